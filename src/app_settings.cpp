// Loads the two application switches once at start-up.
#include "app_settings.h"

#include "engine/xml_bind.h"

bool g_debug = false;
bool g_spriteDevice = false;

void loadAppSettings(CAppSettings& settings) {
  brin::ReadXmlFile(settings, "data/app_settings.xml", "Settings");
  g_debug = settings.debug;
  g_spriteDevice = settings.spriteDevice;
}
