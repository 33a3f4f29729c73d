// Gathering, sending and comparing the terms of a match; see match_terms.h.
#include "net/match_terms.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

#include "core/fnv.h"
#include "engine/directory_listing.h"
#include "engine/file_io.h"
#include "engine/text.h"

#ifndef VESICOR_VERSION
#define VESICOR_VERSION "unknown"
#endif

namespace net {

namespace {

// Changes whenever two builds would play the same inputs differently or
// read each other's packets wrongly. 2: the house rules.
constexpr uint32_t kProtocol = 2;

// The house rules travel as one byte of flags after the files, where a
// build that knows none (protocol 1) ends its terms: such terms still read
// here, with the rules off, so the two sides are told they differ in
// version rather than that the terms cannot be read.
constexpr uint8_t kSolidPaddles = 1;
constexpr uint8_t kBombReturnsPaddle = 2;

uint32_t bits(float f) {
  uint32_t u = 0;
  std::memcpy(&u, &f, sizeof u);
  return u;
}

float fromBits(uint32_t u) {
  float f = 0;
  std::memcpy(&f, &u, sizeof f);
  return f;
}

// The text of the first <Filename> element: the mask picture of a part.
std::string maskName(const std::string& xml) {
  const size_t open = xml.find("<Filename>");
  const size_t close = xml.find("</Filename>");
  if (open == std::string::npos || close == std::string::npos || close < open) return {};
  std::string name = xml.substr(open + 10, close - open - 10);
  name.erase(std::remove_if(name.begin(), name.end(), [](char c) { return c == '\r' || c == '\n'; }), name.end());
  return brin::Trim(name);
}

void addFile(std::vector<ContentFile>& files, const std::string& name, const std::string& bytes) {
  if (std::any_of(files.begin(), files.end(), [&](const ContentFile& f) { return f.name == name; })) return;
  files.push_back({name, static_cast<uint32_t>(bytes.size()), fnvOf(bytes)});
}

std::string listNames(const std::vector<std::string>& names) {
  std::string text;
  const size_t shown = std::min<size_t>(names.size(), 3);
  for (size_t i = 0; i < shown; ++i) text += (i ? ", " : "") + names[i];
  if (names.size() > shown) text += " and " + std::to_string(names.size() - shown) + " more";
  return text;
}

}  // namespace

std::vector<ContentFile> contentFiles() {
  std::vector<ContentFile> files;
  brin::CDirectoryListing listing;
  listing.List("data/parts/*.*");
  std::vector<std::string> masks;
  while (!listing.AtEnd()) {
    const std::string name = "data/parts/" + listing.Next();
    const brin::CFileContents file = brin::ReadRegularFile(name);
    if (file.state != brin::FileState::kRead) continue;
    addFile(files, name, file.bytes);
    const std::string mask = maskName(file.bytes);
    if (!mask.empty()) masks.push_back(mask);
  }
  for (const std::string& mask : masks) {
    const brin::CFileContents file = brin::ReadRegularFile(mask);
    // A missing mask is part of the content too: it makes a part that
    // stamps nothing.
    addFile(files, mask, file.state == brin::FileState::kRead ? file.bytes : std::string());
  }
  std::sort(files.begin(), files.end(), [](const ContentFile& a, const ContentFile& b) { return a.name < b.name; });
  return files;
}

MatchTerms localTerms(uint32_t seed, const MatchSettings& settings) {
  MatchTerms t;
  t.version = VESICOR_VERSION;
  t.protocol = kProtocol;
  t.seed = seed;
  t.settings = settings;
  t.files = contentFiles();
  return t;
}

Bytes encodeTerms(const MatchTerms& t) {
  CWireWriter w;
  w.str(t.version);
  w.u32(t.protocol);
  w.u32(t.seed);
  const MatchSettings& s = t.settings;
  for (float f : {s.value1, s.value2, s.target1, s.target2, s.turnLength, s.changeTime}) w.u32(bits(f));
  w.u8(s.draggingAllowed ? 1 : 0);
  w.u16(static_cast<uint16_t>(std::min<size_t>(t.files.size(), 0xffff)));
  for (size_t i = 0; i < t.files.size() && i < 0xffff; ++i) {
    w.str(t.files[i].name);
    w.u32(t.files[i].size);
    w.u64(t.files[i].hash);
  }
  w.u8(static_cast<uint8_t>((s.solidPaddles ? kSolidPaddles : 0) | (s.bombReturnsPaddle ? kBombReturnsPaddle : 0)));
  return std::move(w.bytes);
}

bool decodeTerms(CWireReader& r, MatchTerms& t) {
  t.version = r.str();
  t.protocol = r.u32();
  t.seed = r.u32();
  MatchSettings& s = t.settings;
  for (float* f : {&s.value1, &s.value2, &s.target1, &s.target2, &s.turnLength, &s.changeTime}) *f = fromBits(r.u32());
  s.draggingAllowed = r.u8() != 0;
  t.files.resize(r.u16());
  for (ContentFile& f : t.files) {
    f.name = r.str();
    f.size = r.u32();
    f.hash = r.u64();
  }
  const uint8_t rules = r.ok() && !r.atEnd() ? r.u8() : 0;
  s.solidPaddles = (rules & kSolidPaddles) != 0;
  s.bombReturnsPaddle = (rules & kBombReturnsPaddle) != 0;
  return r.ok() && r.atEnd();
}

namespace {

// Why the joining side cannot play on the host's terms, told to one of the
// two: the joiner's files "missing here" are the host's "only here".
std::string why(const MatchTerms& host, const MatchTerms& joiner, bool toHost) {
  if (host.version != joiner.version || host.protocol != joiner.protocol) {
    const std::string hostRuns = "Vesicor " + host.version + " (network protocol " + std::to_string(host.protocol) + ")";
    const std::string joinerRuns =
        "Vesicor " + joiner.version + " (network protocol " + std::to_string(joiner.protocol) + ")";
    if (toHost) {
      return "A player with " + joinerRuns + " tried to join, and this host runs " + hostRuns +
             ": both players need the same version.";
    }
    return "The host runs " + hostRuns + " and this is " + joinerRuns + ": both players need the same version.";
  }
  std::vector<std::string> differ, hostOnly, joinerOnly;
  for (const ContentFile& h : host.files) {
    auto it = std::find_if(joiner.files.begin(), joiner.files.end(), [&](const ContentFile& m) { return m.name == h.name; });
    if (it == joiner.files.end()) {
      hostOnly.push_back(h.name);
    } else if (!(*it == h)) {
      differ.push_back(h.name);
    }
  }
  for (const ContentFile& m : joiner.files) {
    if (std::none_of(host.files.begin(), host.files.end(), [&](const ContentFile& h) { return h.name == m.name; })) {
      joinerOnly.push_back(m.name);
    }
  }
  if (differ.empty() && hostOnly.empty() && joinerOnly.empty()) return {};
  std::string text = toHost ? "A player tried to join with part files that differ from this host's:"
                            : "The part files differ from the host's:";
  if (!differ.empty()) text += " changed " + listNames(differ) + ";";
  if (toHost) {
    if (!joinerOnly.empty()) text += " only there " + listNames(joinerOnly) + ";";
    if (!hostOnly.empty()) text += " missing there " + listNames(hostOnly) + ";";
  } else {
    if (!hostOnly.empty()) text += " missing here " + listNames(hostOnly) + ";";
    if (!joinerOnly.empty()) text += " only here " + listNames(joinerOnly) + ";";
  }
  text.back() = '.';
  return text + " Both players need the same files in data/parts.";
}

}  // namespace

std::string refusal(const MatchTerms& host, const MatchTerms& mine) { return why(host, mine, false); }

std::string refusalToHost(const MatchTerms& host, const MatchTerms& joiner) { return why(host, joiner, true); }

}  // namespace net
