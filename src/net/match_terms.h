// What two machines must agree on before a match: the game's version, the
// seed the host chose, the host's settings (which the joining side plays
// with) and the part files with the mask pictures they name, which decide
// the shape of everything on the board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "net/wire.h"

class CGameManager;

namespace net {

// The values of data/settings.xml.
struct MatchSettings {
  float value1 = 5000, value2 = 5000;
  float target1 = 30000, target2 = 30000;
  float turnLength = 5000, changeTime = 749;
  bool draggingAllowed = false;
};

MatchSettings settingsOf(const CGameManager& game);
// Start values, targets and turn timing as the host's; the price scale
// follows player 1's target as it does after loading the file.
void applySettings(const MatchSettings& settings, CGameManager& game);
// The settings in the form of data/settings.xml.
std::string settingsXml(const MatchSettings& settings);

struct ContentFile {
  std::string name;  // path from the game's folder
  uint32_t size = 0;
  uint64_t hash = 0;
  bool operator==(const ContentFile& o) const { return name == o.name && size == o.size && hash == o.hash; }
};

struct MatchTerms {
  std::string version;
  uint32_t protocol = 0;
  uint32_t seed = 0;
  MatchSettings settings;
  std::vector<ContentFile> files;
};

// This build's version and protocol, the settings given, and every file
// under data/parts/ with the mask pictures the part files name, sorted.
MatchTerms localTerms(uint32_t seed, const MatchSettings& settings);
std::vector<ContentFile> contentFiles();

Bytes encodeTerms(const MatchTerms& terms);
bool decodeTerms(CWireReader& reader, MatchTerms& terms);

// Empty when this side can play on the host's terms; otherwise the sentence
// that tells the player why not.
std::string refusal(const MatchTerms& host, const MatchTerms& mine);

}  // namespace net
