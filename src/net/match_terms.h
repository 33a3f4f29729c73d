// What two machines must agree on before a match: the game's version, the
// seed the host chose, the host's settings (which the joining side plays
// with) and the part files with the mask pictures they name, which decide
// the shape of everything on the board.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "game/match_settings.h"
#include "net/wire.h"

namespace net {

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
// The same, told to the host about a joiner with `joiner`'s terms.
std::string refusalToHost(const MatchTerms& host, const MatchTerms& joiner);

}  // namespace net
