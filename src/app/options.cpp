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

// The known keys whose text does not read, as "Volume, Muted".
std::string unreadableKeys(const brin::CXmlNode& root) {
  std::string keys;
  for (int i = 0; i < root.GetChildCount(); ++i) {
    const brin::CXmlNode* child = root.GetChild(i);
    const std::string& name = child->GetName();
    const bool bad = name == "Volume" ? !readsAsNumber(child)
                     : (name == "Muted" || name == "HintShown") ? !readsAsFlag(child)
                                                                : false;
    if (bad) keys += (keys.empty() ? "" : ", ") + name;
  }
  return keys;
}

}  // namespace

void COptions::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "Volume", volume, kOptionsPath, 0);
  brin::BindField(ctx, "Muted", muted, kOptionsPath, 0);
  brin::BindField(ctx, "HintShown", hintShown, kOptionsPath, 0);
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
  const std::string bad = unreadableKeys(*root);
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
