// Reading and writing data/options.xml. Keys are read in any order without
// warnings: the file is the game's own and any order it had was fine.
#include "app/options.h"

#include <cmath>
#include <iostream>
#include <memory>
#include <string>

#include "core/player_input.h"
#include "engine/file_io.h"
#include "engine/xml_bind.h"
#include "engine/xml_writer.h"
#include "platform/key_map.h"

namespace {

const char* const kOptionsPath = "data/options.xml";
const char* const kRootName = "Options";

// The keys' names in the file, by player and direction.
const char* const kSteeringKeys[2][4] = {{"P1_Right", "P1_Forward", "P1_Back", "P1_Left"},
                                         {"P2_Right", "P2_Forward", "P2_Back", "P2_Left"}};
// The order they are written in.
const int kDirectionsInFile[4] = {kForward, kBackward, kTurnLeft, kTurnRight};

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
                     : name == "HostPort" || name == "Palette" ? !readsAsWholeNumber(child)
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
  if (options.palette != 0 && options.palette != 1) {
    options.palette = defaults.palette;
    keys += (keys.empty() ? "" : ", ") + std::string("Palette");
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
  for (int player = 0; player < 2; ++player) {
    for (int direction : kDirectionsInFile) {
      brin::BindField(ctx, kSteeringKeys[player][direction], steering[player][direction], kOptionsPath, 0);
    }
  }
  brin::BindField(ctx, "Palette", palette, kOptionsPath, 0);
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

void applySteeringKeys(COptions& options) {
  const COptions defaults;
  resetSteeringKeys();
  std::string unknown;
  int keys[2][4] = {};
  for (int player = 0; player < 2; ++player) {
    for (int direction = 0; direction < 4; ++direction) {
      std::string& name = options.steering[player][direction];
      keys[player][direction] = keyNamed(name);
      if (keys[player][direction] != 0) continue;
      unknown += (unknown.empty() ? "" : ", ") + std::string(kSteeringKeys[player][direction]) + " (" + name + ")";
      name = defaults.steering[player][direction];
      keys[player][direction] = keyNamed(name);
    }
  }
  if (!unknown.empty()) {
    std::cerr << "Ignored the unknown keys " << unknown << " in " << kOptionsPath << "; the defaults are used for them"
              << std::endl;
  }
  // Taken as a whole, so two players may have swapped keys; a clash sends
  // them all back, since which of the two to keep is anyone's guess.
  std::string clash;
  for (int i = 0; i < 8 && clash.empty(); ++i) {
    const int key = keys[i / 4][i % 4];
    if (commandOfKey(key) != AppCommand::kNone) clash = keyName(key) + " is one of the game's keys";
    for (int j = 0; j < i && clash.empty(); ++j) {
      if (keys[j / 4][j % 4] == key) clash = keyName(key) + " steers twice";
    }
  }
  if (clash.empty()) {
    for (int i = 0; i < 8; ++i) setSteeringKey(i / 4 + 1, i % 4, keys[i / 4][i % 4]);
  } else {
    std::cerr << "Ignored the steering keys in " << kOptionsPath << ": " << clash << "; the default keys are used"
              << std::endl;
  }
  takeSteeringKeys(options);
}

void takeSteeringKeys(COptions& options) {
  for (int player = 0; player < 2; ++player) {
    for (int direction = 0; direction < 4; ++direction) {
      options.steering[player][direction] = keyName(steeringKey(player + 1, direction));
    }
  }
}
