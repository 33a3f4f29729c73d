// Loads the two application switches once at start-up.
#include "app/app_settings.h"

#include "core/binding_source.h"
#include "engine/xml_bind.h"

void CAppSettings::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "Debug", debug, kBindingSource, 2304);
  brin::BindField(ctx, "SpriteDevice", spriteDevice, kBindingSource, 2305);
}

void loadAppSettings(CAppSettings& settings) {
  brin::ReadXmlFile(settings, "data/app_settings.xml", "Settings");
}
