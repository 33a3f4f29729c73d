// Data bindings of the game's records, with the line numbers their warnings
// name (see core/binding_source.h).
#include "core/binding_source.h"
#include "engine/xml_bind.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/match_settings.h"


void CGamePart::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "Filename", fileName, kBindingSource, 2410);
  brin::BindField(ctx, "ImageFile", imageFile, kBindingSource, 2411);
  brin::BindField(ctx, "GameplayCost", cost, kBindingSource, 2412);
  brin::BindField(ctx, "GameplayHowLongOnBoard", lifetime, kBindingSource, 2413);
  brin::BindField(ctx, "GameplayIsBomb", bomb, kBindingSource, 2414);
  // A part read from its file is ready to draw and stamp.
  if (ctx.direction == brin::kBindRead) loadPictures();
}

// The game's settings are the match's: one record, one set of keys.
void CGameManager::Bind(brin::CXmlBindContext& ctx) {
  MatchSettings settings = settingsOf(*this);
  settings.Bind(ctx);
  if (ctx.direction == brin::kBindRead) applySettings(settings, *this);
}

void MatchSettings::Bind(brin::CXmlBindContext& ctx) {
  brin::BindField(ctx, "P1_InitValue", value1, kBindingSource, 2520);
  brin::BindField(ctx, "P2_InitValue", value2, kBindingSource, 2521);
  brin::BindField(ctx, "P1_TargetValue", target1, kBindingSource, 2522);
  brin::BindField(ctx, "P2_TargetValue", target2, kBindingSource, 2523);
  brin::BindField(ctx, "TurnLength", turnLength, kBindingSource, 2524);
  brin::BindField(ctx, "ChangeTime", changeTime, kBindingSource, 2525);
  brin::BindField(ctx, "DraggingAllowed", draggingAllowed, kBindingSource, 2526);
  brin::BindField(ctx, "SolidPaddles", solidPaddles, kBindingSource, 2527);
  brin::BindField(ctx, "BombReturnsPaddle", bombReturnsPaddle, kBindingSource, 2528);
}
