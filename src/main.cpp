// Data bindings of the game's records. Their warnings name this file as
// ".\src\main" with fixed line numbers, so the messages stay the same
// whatever the layout of this file.
#include "app_settings.h"
#include "engine/xml_bind.h"

namespace {
const char* const kBindingSource = ".\\src\\main";
}  // namespace

void CAppSettings::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "Debug", debug, kBindingSource, 2304);
  brin::BindField(ctx, "SpriteDevice", spriteDevice, kBindingSource, 2305);
}
