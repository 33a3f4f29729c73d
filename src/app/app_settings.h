// The two application switches read from data/app_settings.xml at start-up:
// the per-second report and the sprite drawing means.
#pragma once

namespace brin { struct CXmlBindContext; }

struct CAppSettings {
  bool debug = false;
  bool spriteDevice = false;
  void Bind(brin::CXmlBindContext& ctx);
};

// Reads data/app_settings.xml into the record; the application hands each
// switch to the layer it steers.
void loadAppSettings(CAppSettings& settings);
