// The two application switches read from data/app_settings.xml at start-up:
// the per-second report and the sprite drawing means.
#pragma once

namespace brin { struct CXmlBindContext; }

struct CAppSettings {
  bool debug = false;
  bool spriteDevice = false;
  void Bind(brin::CXmlBindContext& ctx);
};

// Process-wide copies, false until the settings are read.
extern bool g_debug;
extern bool g_spriteDevice;

// Reads data/app_settings.xml into the record and copies it into the flags.
void loadAppSettings(CAppSettings& settings);
