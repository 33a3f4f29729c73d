// The application frame: start-up order, the paced main loop, event draining
// and shutdown; see app.h.
#include "app/app.h"

#include <algorithm>
#include <ctime>
#include <iostream>

#include "ai/computer_player.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/game_scene.h"
#include "game/match_settings.h"
#include "game/world_hash.h"
#include "app/input.h"
#include "app/options.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "platform/key_map.h"
#include "platform/video.h"
#include "render/grid_draw.h"
#include "render/image.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace {
constexpr const char* kCaption = "Vesicor - release 1";

// The mouse in the 512 x 512 drawing space, whatever the window's size.
void toDrawing(Uint16& x, Uint16& y) {
  int dx = 0, dy = 0;
  platform::currentWindowToDrawing(x, y, dx, dy);
  x = static_cast<Uint16>(dx);
  y = static_cast<Uint16>(dy);
}
}

CApplication::CApplication() : events_([](SDL_Event& e) { return SDL_PollEvent(&e) != 0; }) {}

CApplication::~CApplication() = default;

int CApplication::run() {
  if (!startup()) return 1;
  while (poll()) {
  }
  shutdown();
  return 0;
}

bool CApplication::startup() {
  seedUsed_ = seed_ ? *seed_ : static_cast<unsigned>(std::time(nullptr));
  seedRandom(seedUsed_);
  if (netWhere_) {
    // From the first part built on, the game's times are counted in steps.
    net_ = std::make_unique<net::CNetGame>();
    platform::setGameTickSource([this] { return net_->gameTicks(); });
  }
  if (!platform::initVideo()) return false;
  if (!platform::setVideoMode(false)) return false;
  if (!platform::createDevice()) return false;
  createSpriteInterface();
  loadAllImages();
  showDrops();
  platform::setCaption(kCaption);

  running_ = true;
  settings_ = CAppSettings();
  loadAppSettings(settings_);
  useSpriteInterface(settings_.spriteDevice);
  g_cellGrid.reportLostBlood = settings_.debug;

  scene_ = std::make_unique<CGameScene>();
  drag_ = CDragState();
  game_ = new CGameManager();
  g_game = game_;
  drag_.game = game_;
  scene_->swayTarget = 0.1f;
  g_scene = scene_.get();

  pacer_.start(platform::ticks());
  if (!bindControllers(*game_)) {
    shutdown();
    return false;
  }
  for (int player = 1; player <= 2; ++player) {
    if (wantsComputer_[player - 1]) setComputer(player, true);
  }
  feedback_ = std::make_unique<CFeedback>();
  g_feedback = feedback_.get();
  const COptions options = loadOptions();
  audio::open(options.volume, options.muted);
  audio::startAmbient();
  session_.setNewMatchHook([this] { resetComputers(); });
  session_.begin(*game_, *scene_, drag_, seedUsed_, options, platform::ticks());
  if (net_) {
    std::string error;
    if (!net_->begin(*netWhere_, *this, seedUsed_, platform::ticks(), error)) {
      std::cout << error << std::endl;
      shutdown();
      return false;
    }
    session_.setNetworked(true);
  }
  return true;
}

void CApplication::setComputer(int player, bool on) {
  if (player != 1 && player != 2) return;
  wantsComputer_[player - 1] = on;
  std::unique_ptr<CComputerPlayer>& computer = computers_[player - 1];
  if (!game_) return;
  if (on && !computer) {
    // Its own generator, from the game's seed: a replay repeats its choices.
    const uint32_t seed = seedUsed_ * 2654435761u ^ static_cast<uint32_t>(player) * 0x9E3779B9u;
    computer = std::make_unique<CComputerPlayer>(player, seed);
  } else if (!on && computer) {
    computerInputs_.clear();
    computer->letGo(*game_, drag_, computerInputs_);
    if (net_) {
      net_->addLocalInputs(computerInputs_);
    } else {
      for (const PlayerInput& in : computerInputs_) applyPlayerInput(in, *game_, drag_);
    }
    computer.reset();
  }
}

bool CApplication::computerPlays(int player) const {
  return (player == 1 || player == 2) && computers_[player - 1] != nullptr;
}

const CComputerPlayer* CApplication::computer(int player) const {
  return player == 1 || player == 2 ? computers_[player - 1].get() : nullptr;
}

void CApplication::resetComputers() {
  for (auto& computer : computers_) {
    if (computer) computer->reset();
  }
}

void CApplication::runComputers() {
  for (auto& computer : computers_) {
    if (!computer) continue;
    computerInputs_.clear();
    if (net_ && net_->playing()) {
      // Its hands reach the game a few steps later, like a person's over
      // the network, and through the other machine at the same step.
      computer->setInputDelay(net_->inputDelay());
      computer->step(*game_, drag_, computerInputs_);
      net_->addLocalInputs(computerInputs_);
      continue;
    }
    computer->step(*game_, drag_, computerInputs_);
    for (const PlayerInput& in : computerInputs_) applyPlayerInput(in, *game_, drag_);
  }
}

bool CApplication::poll() {
  uint32_t now = platform::ticks();
  uint32_t wait = pacer_.msUntilDue(now);
  if (wait > 0) {
    // Sleeping the bulk of the wait keeps a core free; the last stretch is
    // spun so frames still begin on the same tick.
    if (wait >= 2) platform::sleepMs(1);
    return running_;
  }
  runFrame(now);
  return running_;
}

void CApplication::simulationStepOnce() {
  simulationStep();
  if (stepObserver_) stepObserver_();
}

void CApplication::updateGame() {
  runComputers();
  partListPass(drag_);
  game_->update(*scene_, drag_);
  scene_->update();
  if (feedback_) feedback_->update();
}

void CApplication::printReport() {
  std::cout << "fps: " << pacer_.reportedFrames << ", " << pacer_.reportedSteps << std::endl;
  std::cout << game_->player1Value << ", " << game_->player2Value << std::endl;
}

void CApplication::runFrame(uint32_t now) {
  advanceFrame(now);
  drawScene();
  platform::device()->present();

  drainEvents();
}

void CApplication::advanceFrame(uint32_t now) {
  if (pacer_.beginFrame(now)) {
    if (settings_.debug) printReport();
    scene_->swayTarget = -scene_->swayTarget;
    scene_->pulseTarget = 1.01f;
  }
  if (net_ && !net_->playingOn()) {
    advanceNetworkFrame(now);
    session_.afterUpdate(now);
    return;
  }
  // The game's own updates (steering, shop slide, fades, banners) advance by
  // a fixed amount each time, so they run once per simulation step: a slow
  // frame that catches up on several steps keeps the game at its pace too.
  if (session_.paused()) {
    // Nothing moves, and nothing is owed: the pause must not come back as a
    // burst of catch-up steps.
    pacer_.lag = 0;
  } else {
    int planned = pacer_.plannedSteps();
    int taken = 0;
    for (int i = 0; i < planned; ++i) {
      if (!pacer_.takeStep(i)) break;
      if (net_) net_->countStep();  // playing on after a networked match
      simulationStepOnce();
      updateGame();
      ++taken;
    }
    if (taken == 0) updateGame();
  }
  session_.afterUpdate(now);
}

void CApplication::advanceNetworkFrame(uint32_t now) {
  net_->pump(now);
  if (net_->takeStart()) startNetworkMatch(now);
  // Nothing moves but by a step both machines run: no update without one.
  net_->runSteps(pacer_, now);
  net_->flush(now);
  netNotice_.update(*net_);
}

bool CApplication::apply(const PlayerInput& in) {
  if (in.code == kNewMatchCode) {
    // Enter after a win: a new match on both machines at the same step.
    if (in.action != PlayerAction::kKeyDown || !game_->gameOver) return false;
    session_.newMatch();
    return true;
  }
  return applyPlayerInput(in, *game_, drag_);
}

void CApplication::runStep() {
  simulationStepOnce();
  updateGame();
}

uint64_t CApplication::worldHash() const { return ::worldHash(game_); }

MatchSettings CApplication::settings() const { return settingsOf(*game_); }

void CApplication::startNetworkMatch(uint32_t now) {
  // Both machines begin from the host's seed and settings, whatever the
  // joining side's own file says.
  const net::MatchTerms& terms = net_->terms();
  applySettings(terms.settings, *game_);
  seedRandom(terms.seed);
  session_.begin(*game_, *scene_, drag_, terms.seed, session_.options(), now);
}

void CApplication::playOnAgainstComputer() {
  net_->playOn();
  netNotice_.update(*net_);
  pacer_.lag = 0;  // the wait is not owed as catch-up
  session_.setNetworked(false);
  setComputer(3 - net_->localPlayer(), true);
}

void CApplication::drawScene() {
  platform::Device* dev = platform::device();
  dev->beginScene();
  dev->clear(0);
  drawFirstPass();
  g_cellGrid.draw();
  drawSecondPass();
  dev->endScene();
}

void CApplication::drainEvents() {
  SDL_Event event;
  while (events_(event)) {
    switch (event.type) {
      case SDL_VIDEORESIZE:
        platform::handleResize(event.resize.w, event.resize.h);
        continue;
      case SDL_MOUSEMOTION:
        toDrawing(event.motion.x, event.motion.y);
        break;
      case SDL_MOUSEBUTTONDOWN:
      case SDL_MOUSEBUTTONUP:
        toDrawing(event.button.x, event.button.y);
        break;
      case SDL_KEYDOWN:
        if (commandOfKey(event.key.keysym.sym) == AppCommand::kHandOver) {
          // Over the network only this machine's side can be handed over.
          const int player = net_ ? net_->localPlayer() : 2;
          setComputer(player, !computerPlays(player));
          continue;
        }
        break;
      default:
        break;
    }
    if (session_.handleEvent(event)) continue;
    if (net_ && !net_->playingOn()) {
      handleNetworkEvent(event);
      continue;
    }
    if (isQuit(event)) {
      running_ = false;
      continue;
    }
    PlayerInput in;
    if (game_ && playerInputOf(event, in)) applyLocalInput(in);
  }
}

void CApplication::applyLocalInput(PlayerInput in) {
  if (net_) {
    // Playing on here after a networked match: this machine's player keeps
    // either key set and the mouse.
    in.player = net_->localPlayer();
  } else if (in.player == 0) {
    // The one mouse belongs to whoever's turn it is, and a release to
    // whoever pressed.
    in.player = in.action == PlayerAction::kButtonUp && drag_.held ? drag_.holder : game_->currentPlayer;
  }
  if (computerPlays(in.player)) return;
  applyPlayerInput(in, *game_, drag_);
}

void CApplication::handleNetworkEvent(const SDL_Event& event) {
  const AppCommand command = event.type == SDL_KEYDOWN ? commandOfKey(event.key.keysym.sym) : AppCommand::kNone;
  if (isQuit(event)) {
    net_->leave();
    running_ = false;
  } else if (command == AppCommand::kEnter && net_->canPlayOn()) {
    playOnAgainstComputer();
  } else if (command == AppCommand::kWaitForOther && net_->canWait()) {
    net_->waitForOther();
    netNotice_.update(*net_);
  } else if (command == AppCommand::kEnter) {
    // The next match is the person's to start, whoever steers this side.
    PlayerInput in;
    in.action = PlayerAction::kKeyDown;
    in.code = kNewMatchCode;
    net_->addLocalInput(in);
  } else if (!computerPlays(net_->localPlayer())) {
    PlayerInput in;
    // Either key set steers this machine's player.
    if (playerInputOf(event, in)) net_->addLocalInput(in);
  }
}

void CApplication::shutdown() {
  if (net_) {
    net_->leave();
    netNotice_.release();
  }
  session_.end();
  feedback_.reset();
  g_feedback = nullptr;
  scene_.reset();
  g_scene = nullptr;
  g_cellGrid.clear();
  destroyAllSprites();
  releaseSpriteInterface();
  platform::releaseDevice();
  // The drops and the parts live until the process ends; their sprites went
  // with the sprite list above, so only the records are left to free.
  for (CParticle* drop : g_particleList) {
    drop->sprite = nullptr;
    delete drop;
  }
  g_particleList.clear();
  for (CGamePart* part : g_partList) {
    part->sprite = nullptr;
    delete part;
  }
  g_partList.clear();
  drag_ = CDragState();
  for (auto& computer : computers_) computer.reset();
  audio::close();
  if (net_) {
    net_.reset();
    platform::setGameTickSource(nullptr);
  }
}
