// The player's own options: volume, mute, and whether the help hint was
// shown, kept in data/options.xml apart from the game's settings files.
#pragma once

namespace brin { struct CXmlBindContext; }

struct COptions {
  float volume = 0.8f;
  bool muted = false;
  bool hintShown = false;
  void Bind(brin::CXmlBindContext& ctx);
};

// Reads data/options.xml. A missing file gives the defaults, silently, and
// nothing is created until saveOptions. A file that holds no Options element
// gives the defaults and one line on standard error; so does a value that
// does not read, for that key alone. The volume comes back within 0..1.
COptions loadOptions();

// Writes data/options.xml whole or not at all (through a temporary file);
// false, after one line on standard error, when the disk refused it.
bool saveOptions(const COptions& options);
