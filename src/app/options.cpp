// Reading and writing data/options.xml. Keys are read in any order without
// warnings: the file is the game's own and any order it had was fine.
#include "app/options.h"

#include <cmath>
#include <iostream>
#include <memory>
#include <string>

#include "engine/file_io.h"
#include "engine/xml_bind.h"
#include "engine/xml_writer.h"

namespace {

const char* const kOptionsPath = "data/options.xml";
const char* const kRootName = "Options";

float clampVolume(float volume) {
  if (std::isnan(volume)) return COptions().volume;
  return volume < 0.0f ? 0.0f : volume > 1.0f ? 1.0f : volume;
}

// Whether the key's text reads as its field's type: reading into two
// different starting values leaves them different only when it does not.
bool readsAsNumber(const brin::CXmlNode* node) {
  float a = 0.0f, b = 1.0f;
  brin::ReadValue(node, a);
  brin::ReadValue(node, b);
  return a == b;
}

bool readsAsFlag(const brin::CXmlNode* node) {
  bool a = false, b = true;
  brin::ReadValue(node, a);
  brin::ReadValue(node, b);
  return a == b;
}

bool readsAsWholeNumber(const brin::CXmlNode* node) {
  int a = 0, b = 1;
  brin::ReadValue(node, a);
  brin::ReadValue(node, b);
  return a == b;
}

bool isFlagKey(const std::string& name) { return name == "Muted" || name == "HintShown" || name == "FullScreen"; }

// The known keys whose text does not read, as "Volume, Muted".
std::string unreadableKeys(const brin::CXmlNode& root) {
  std::string keys;
  for (int i = 0; i < root.GetChildCount(); ++i) {
    const brin::CXmlNode* child = root.GetChild(i);
    const std::string& name = child->GetName();
    const bool bad = name == "Volume"     ? !readsAsNumber(child)
                     : isFlagKey(name)    ? !readsAsFlag(child)
                     : name == "HostPort" ? !readsAsWholeNumber(child)
                                          : false;
    if (bad) keys += (keys.empty() ? "" : ", ") + name;
  }
  return keys;
}

// Names that are read as text but must be one of a few words; the others
// are reported with the unreadable keys and replaced by the default.
std::string unknownNames(COptions& options) {
  const COptions defaults;
  std::string keys;
  auto check = [&keys](std::string& value, const std::string& fallback, bool known, const char* key) {
    if (known) return;
    value = fallback;
    keys += (keys.empty() ? "" : ", ") + std::string(key);
  };
  check(options.level, defaults.level,
        options.level == "easy" || options.level == "normal" || options.level == "hard", "Level");
  check(options.matchLength, defaults.matchLength,
        options.matchLength == "quick" || options.matchLength == "standard" || options.matchLength == "long",
        "MatchLength");
  if (options.hostPort < 0 || options.hostPort > 65535) {
    options.hostPort = defaults.hostPort;
    keys += (keys.empty() ? "" : ", ") + std::string("HostPort");
  }
  return keys;
}

}  // namespace

void COptions::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "Volume", volume, kOptionsPath, 0);
  brin::BindField(ctx, "Muted", muted, kOptionsPath, 0);
  brin::BindField(ctx, "HintShown", hintShown, kOptionsPath, 0);
  brin::BindField(ctx, "FullScreen", fullScreen, kOptionsPath, 0);
  brin::BindField(ctx, "Level", level, kOptionsPath, 0);
  brin::BindField(ctx, "MatchLength", matchLength, kOptionsPath, 0);
  brin::BindField(ctx, "JoinAddress", joinAddress, kOptionsPath, 0);
  brin::BindField(ctx, "HostPort", hostPort, kOptionsPath, 0);
}

COptions loadOptions() {
  COptions options;
  const brin::CFileContents file = brin::ReadRegularFile(kOptionsPath);
  if (file.state == brin::FileState::kUnreadable) return options;
  if (file.state == brin::FileState::kNotRegular) {
    std::cerr << "Ignored " << kOptionsPath << ": not a regular file; the default options are used" << std::endl;
    return options;
  }
  std::unique_ptr<brin::CXmlNode> root;
  if (!file.cut) root = brin::ParseXmlFile(kOptionsPath);
  if (!root || root->GetName() != kRootName) {
    std::cerr << "Ignored " << kOptionsPath << ": it holds no " << kRootName
              << " element; the default options are used" << std::endl;
    return options;
  }
  brin::CXmlBindContext ctx;
  ctx.report = false;
  ctx.direction = brin::kBindRead;
  ctx.root = root.get();
  ctx.current = root.get();
  options.Bind(ctx);
  options.volume = clampVolume(options.volume);
  std::string bad = unreadableKeys(*root);
  const std::string unknown = unknownNames(options);
  if (!unknown.empty()) bad += (bad.empty() ? "" : ", ") + unknown;
  if (!bad.empty()) {
    std::cerr << "Ignored the unreadable " << bad << " in " << kOptionsPath << "; the defaults are used for them"
              << std::endl;
  }
  return options;
}

bool saveOptions(const COptions& options) {
  COptions written = options;
  written.volume = clampVolume(written.volume);
  std::unique_ptr<brin::CXmlNode> root = brin::BuildXmlTree(written, kRootName);
  return brin::ReplaceFile(kOptionsPath, brin::ComposeXmlText(*root));
}
