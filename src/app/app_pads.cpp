// The application's gamepads: who each plays, their events to the menu, the
// panels or the game, and their pointer moved once a simulation step.
#include "app/app.h"

#include "game/game_manager.h"
#include "render/text_label.h"

namespace {
// The pad's pointer, where the mouse's own does not follow it.
constexpr float kMarkerColour[4] = {1.0f, 0.95f, 0.6f, 1.0f};
constexpr int kMarkerLayer = 99;
}  // namespace

void CApplication::handlePadEvent(const SDL_Event& event) {
  if (!game_) return;
  // A menu or a panel over the game takes the pad as its arrows, Enter and
  // Escape; the pause waits for P.
  const bool panel = menu_ || session_.helpShown() || session_.askingToLeave() || session_.resultOverlay().shown();
  const bool toGame = !panel && !session_.paused();
  padInputs_.clear();
  const SDLKey key = pads_.handleEvent(event, game_->currentPlayer, drag_.mouse, toGame, padInputs_);
  if (toGame) {
    applyPadInputs();
    return;
  }
  if (!panel || key == SDLK_UNKNOWN) return;
  // Only the menu has items to move through; on the panels the arrows
  // would be player 2's keys.
  if (!menu_ && key != SDLK_RETURN && key != SDLK_ESCAPE) return;
  SDL_Event press{};
  press.type = SDL_KEYDOWN;
  press.key.state = SDL_PRESSED;
  press.key.keysym.sym = key;
  handleEvent(press);
}

void CApplication::setupPads() {
  // One side played by a person here: every pad is theirs.
  int onlyPlayer = 0;
  if (netWhere_) {
    onlyPlayer = netWhere_->hosting ? 1 : 2;
  } else if (wantsComputer_[0] != wantsComputer_[1]) {
    onlyPlayer = wantsComputer_[0] ? 2 : 1;
  }
  padInputs_.clear();
  pads_.setup(padsFound_, onlyPlayer, padInputs_);
  if (game_) applyPadInputs();
}

void CApplication::applyPadInputs() {
  for (const PlayerInput& in : padInputs_) {
    if (net_ && !net_->playingOn()) {
      if (!computerPlays(net_->localPlayer())) net_->addLocalInput(in);
    } else {
      applyLocalInput(in);
    }
  }
  padInputs_.clear();
}

void CApplication::stepPads() {
  // The board behind the menu is the computers'; a networked match coming
  // back runs steps whose inputs were made long ago.
  if (pads_.count() == 0 || !game_ || menu_) return;
  if (net_ && net_->match().lockstep() && net_->match().lockstep()->rebuilding()) return;
  padInputs_.clear();
  pads_.step(game_->currentPlayer, drag_.mouse, padInputs_);
  const PlayerInput* moved = nullptr;
  for (const PlayerInput& in : padInputs_) {
    if (in.action == PlayerAction::kMouseMotion) moved = &in;
  }
  if (moved) showPadPointer(moved->player, moved->x, moved->y);
  applyPadInputs();
  if (padPointer_ && !padPointer_->hidden() && padPointerPlayer_ != game_->currentPlayer) hidePadPointer();
}

void CApplication::showPadPointer(int player, float x, float y) {
  if (!padPointer_) {
    padPointer_ = std::make_unique<CTextLabel>(kMarkerLayer, false);
    padPointer_->setText("+");
    padPointer_->setColor(kMarkerColour[0], kMarkerColour[1], kMarkerColour[2], kMarkerColour[3]);
  }
  padPointerPlayer_ = player;
  padPointer_->setPosition(x, y - kGlyphHeight * 0.5f, CTextLabel::kCentre);
  padPointer_->setHidden(false);
}

void CApplication::hidePadPointer() {
  if (padPointer_) padPointer_->setHidden(true);
}
