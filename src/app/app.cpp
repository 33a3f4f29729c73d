// The application frame: start-up order, the paced main loop, event draining
// and shutdown; see app.h.
#include "app/app.h"

#include <algorithm>
#include <cstdlib>
#include <ctime>
#include <iostream>

#include "ai/computer_player.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/game_scene.h"
#include "game/match_settings.h"
#include "game/world_hash.h"
#include "app/input.h"
#include "app/match_length.h"
#include "app/options.h"
#include "engine/file_io.h"
#include "platform/audio.h"
#include "platform/clock.h"
#include "platform/device.h"
#include "platform/joysticks.h"
#include "platform/key_map.h"
#include "platform/video.h"
#include "render/grid_draw.h"
#include "render/image.h"
#include "render/palette.h"
#include "render/text_label.h"
#include "render/sprite.h"
#include "sim/cell_grid.h"
#include "sim/particles.h"
#include "sim/random.h"
#include "sim/sim_step.h"

namespace {
constexpr const char* kCaption = "Vesicor - release 1";

// The mouse in the 512 x 512 drawing space, whatever the window's size (and
// whatever type the SDL at hand gives its coordinates).
template <typename Coordinate>
void toDrawing(Coordinate& x, Coordinate& y) {
  int dx = 0, dy = 0;
  platform::currentWindowToDrawing(x, y, dx, dy);
  x = static_cast<Coordinate>(dx);
  y = static_cast<Coordinate>(dy);
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
  if (!platformUp_) {
    // The window opens as the player last left it.
    options_ = loadOptions();
    if (!platform::initVideo()) return false;
    SDL_EnableUNICODE(1);  // the join screen's typed address
    // SDL knows the keys' names once its video is up.
    applySteeringKeys(options_);
    padsFound_ = platform::openJoysticks();
    if (!platform::setVideoMode(options_.fullScreen)) return false;
    // A web page opens in its window whatever was kept: full screen waits
    // for the player's key.
    options_.fullScreen = platform::isFullScreen();
    if (!platform::createDevice()) return false;
    platformUp_ = true;
  }
  return startGame();
}

bool CApplication::startGame() {
  seedUsed_ = seed_ ? *seed_ : static_cast<unsigned>(std::time(nullptr));
  seedRandom(seedUsed_);
  if (netWhere_) {
    // From the first part built on, the game's times are counted in steps.
    net_ = std::make_unique<net::CNetGame>();
    platform::setGameTickSource([this] { return net_->gameTicks(); });
  }
  createSpriteInterface();
  usePalette(options_.palette);
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
  fileSettings_ = settingsOf(*game_);
  const MatchLength& length = matchLengthNamed(options_.matchLength);
  if (std::string(length.name) != "standard") applySettings(atLength(fileSettings_, length), *game_);

  pacer_.start(platform::ticks());
  if (!bindControllers(*game_)) {
    shutdown();
    return false;
  }
  if (frontDoor_) {
    // The board behind the menu: the computer at its best on both sides.
    game_->quietTurns = true;
    level_ = ComputerLevel::kHard;
    wantsComputer_[0] = wantsComputer_[1] = true;
  }
  for (int player = 1; player <= 2; ++player) {
    if (wantsComputer_[player - 1]) setComputer(player, true);
  }
  feedback_ = std::make_unique<CFeedback>();
  g_feedback = feedback_.get();
  audio::open(options_.volume, options_.muted);
  audio::startAmbient();
  session_.setNewMatchHook([this] { resetComputers(); });
  session_.setCanQuit(!platform::kInBrowser);
  session_.setDemo(frontDoor_);
  // Behind the menu the computers play at their best; F2 in a match takes
  // the options' level.
  session_.setHandOverLevel(frontDoor_ ? options_.level : std::string(levelName(level_)));
  session_.begin(*game_, *scene_, drag_, seedUsed_, options_, platform::ticks());
  if (frontDoor_) {
    menu_ = std::make_unique<CFrontDoor>();
    MenuOffers offers;
    offers.network = offers.quit = !platform::kInBrowser;
    menu_->setOffers(offers);
    menu_->open(options_, menuMessage_);
    menuMessage_.clear();
  }
  if (net_) {
    std::string error;
    if (!net_->begin(*netWhere_, *this, seedUsed_, platform::ticks(), error)) {
      std::cout << error << std::endl;
      if (fromMenu_) {
        // Back to the menu, which says why.
        menuMessage_ = error;
        next_ = Next::kMenu;
        return true;
      }
      shutdown();
      return false;
    }
    session_.setNetworked(true);
    netNotice_.setEscapeText(fromMenu_ ? "Esc: back to the menu" : "Esc: quit");
  }
  updateNames();
  setupPads();
  return true;
}

std::string CApplication::sideName(int player) const {
  if (player != 1 && player != 2) return {};
  if (const CComputerPlayer* c = computer(player)) return std::string("COMPUTER (") + levelName(c->level()) + ")";
  if (net_ && !net_->playingOn()) return player == net_->localPlayer() ? "YOU" : "REMOTE PLAYER";
  if (net_) return "YOU";  // playing on: the other side is the computer's
  if (computerPlays(3 - player)) return "YOU";
  return "PLAYER " + std::to_string(player);
}

void CApplication::updateNames() {
  if (!scene_) return;
  const std::string one = sideName(1), two = sideName(2);
  scene_->setSideName(1, one);
  scene_->setSideName(2, two);
  session_.setSideNames(one, two);
}

void CApplication::switchMatch() {
  const Next next = next_;
  next_ = Next::kStay;
  shutdownGame();
  wantsComputer_[0] = wantsComputer_[1] = false;
  netWhere_.reset();
  frontDoor_ = next == Next::kMenu;
  fromMenu_ = next != Next::kMenu;
  // The options' level also answers F2 in any match chosen on the menu.
  if (!parseLevel(options_.level, level_)) level_ = ComputerLevel::kNormal;
  switch (next) {
    case Next::kComputer:
      wantsComputer_[1] = true;
      break;
    case Next::kHost: {
      net::CNetGame::Where where;
      where.hosting = true;
      where.port = static_cast<uint16_t>(options_.hostPort);
      netWhere_ = where;
      break;
    }
    case Next::kJoin: {
      net::CNetGame::Where where;
      const std::string& address = options_.joinAddress;
      const size_t colon = address.rfind(':');
      where.host = address.substr(0, colon);
      if (colon != std::string::npos) {
        const std::string port = address.substr(colon + 1);
        char* end = nullptr;
        const unsigned long value = std::strtoul(port.c_str(), &end, 10);
        if (port.empty() || *end != '\0' || value == 0 || value > 65535) {
          menuMessage_ = "Not a port: " + port;
          frontDoor_ = true;
          fromMenu_ = false;
          break;
        }
        where.port = static_cast<uint16_t>(value);
      }
      netWhere_ = where;
      break;
    }
    default:
      break;
  }
  if (frontDoor_) netWhere_.reset();
  if (!startGame()) {
    running_ = false;
  } else if (next_ != Next::kStay) {
    switchMatch();  // the network could not start: back to the menu, which says why
  }
}
void CApplication::setComputer(int player, bool on) {
  if (player != 1 && player != 2) return;
  wantsComputer_[player - 1] = on;
  std::unique_ptr<CComputerPlayer>& computer = computers_[player - 1];
  if (!game_) return;
  if (on && !computer) {
    // Its own generator, from the game's seed: a replay repeats its choices.
    const uint32_t seed = seedUsed_ * 2654435761u ^ static_cast<uint32_t>(player) * 0x9E3779B9u;
    computer = std::make_unique<CComputerPlayer>(player, seed, level_);
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
  setupPads();
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
  switch (session_.takeLeave()) {
    case CSession::Leave::kToMenu:
      next_ = Next::kMenu;
      break;
    case CSession::Leave::kQuit:
      running_ = false;
      break;
    case CSession::Leave::kNone:
      break;
  }
  if (running_ && next_ != Next::kStay) switchMatch();
}

void CApplication::advanceFrame(uint32_t now) {
  if (pacer_.beginFrame(now)) {
    if (settings_.debug) printReport();
    scene_->swayTarget = -scene_->swayTarget;
    scene_->pulseTarget = 1.01f;
  }
  updateNames();
  // Escape asks only once there is a match to leave.
  session_.setAsksBeforeLeaving(fromMenu_ && (!net_ || net_->playing() || net_->playingOn()));
  if (menu_ && !menu_->shown() && !session_.helpShown()) menu_->show();
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
      stepPads();
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
  netNotice_.update(*net_, now);
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
  stepPads();
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
  session_.begin(*game_, *scene_, drag_, terms.seed, options_, now);
}

void CApplication::playOnAgainstComputer() {
  net_->playOn();
  netNotice_.update(*net_, platform::ticks());
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
  while (events_(event)) handleEvent(event);
}

void CApplication::handleEvent(SDL_Event event) {
  switch (event.type) {
    case SDL_VIDEORESIZE:
      platform::handleResize(event.resize.w, event.resize.h);
      return;
    case SDL_MOUSEMOTION:
      toDrawing(event.motion.x, event.motion.y);
      hidePadPointer();
      break;
    case SDL_MOUSEBUTTONDOWN:
    case SDL_MOUSEBUTTONUP:
      toDrawing(event.button.x, event.button.y);
      break;
    case SDL_JOYAXISMOTION:
    case SDL_JOYHATMOTION:
    case SDL_JOYBUTTONDOWN:
    case SDL_JOYBUTTONUP:
      handlePadEvent(event);
      return;
    case SDL_KEYDOWN: {
      const AppCommand command = commandOfKey(event.key.keysym.sym);
      // A key being chosen on the menu is the menu's, whatever it is.
      if (menu_ && menu_->choosingKey()) break;
      if (command == AppCommand::kFullScreen ||
          (command == AppCommand::kEnter && (event.key.keysym.mod & KMOD_ALT) != 0)) {
        toggleFullScreen();
        return;
      }
      if (command == AppCommand::kHandOver && !menu_) {
        // Over the network only this machine's side can be handed over.
        const int player = net_ ? net_->localPlayer() : 2;
        setComputer(player, !computerPlays(player));
        updateNames();
        session_.flash("Player " + std::to_string(player) + ": " + sideName(player), platform::ticks());
        return;
      }
      break;
    }
    default:
      break;
  }
  if (menu_) {
    handleMenuEvent(event);
    return;
  }
  if (session_.handleEvent(event)) return;
  if (net_ && !net_->playingOn()) {
    handleNetworkEvent(event);
    return;
  }
  if (isQuit(event)) {
    running_ = false;
    return;
  }
  PlayerInput in;
  if (game_ && playerInputOf(event, in)) applyLocalInput(in);
}

void CApplication::handleMenuEvent(const SDL_Event& event) {
  if (event.type == SDL_QUIT) {
    running_ = false;
    return;
  }
  const AppCommand command = event.type == SDL_KEYDOWN ? commandOfKey(event.key.keysym.sym) : AppCommand::kNone;
  // The help over the menu is the session's; so is the sound switch.
  if (session_.helpShown() || (command == AppCommand::kHelp && !menu_->choosingKey()) ||
      (command == AppCommand::kSound && menu_->page() != CFrontDoor::Page::kJoin && !menu_->choosingKey())) {
    session_.handleEvent(event);
    if (session_.helpShown()) menu_->hide();
    return;
  }
  switch (menu_->handleEvent(event)) {
    case MenuChoice::kTwoPlayers:
      next_ = Next::kTwoPlayers;
      break;
    case MenuChoice::kComputer:
      next_ = Next::kComputer;
      break;
    case MenuChoice::kHost:
      next_ = Next::kHost;
      break;
    case MenuChoice::kJoin:
      saveOptions(options_);
      next_ = Next::kJoin;
      break;
    case MenuChoice::kHelp:
      session_.toggleHelp();
      menu_->hide();
      break;
    case MenuChoice::kQuit:
      running_ = false;
      break;
    case MenuChoice::kFullScreen:
      // The menu changed the flag; the window follows it.
      if (!platform::setFullScreen(options_.fullScreen)) options_.fullScreen = platform::isFullScreen();
      saveOptions(options_);
      menu_->show();
      break;
    case MenuChoice::kVolume:
      audio::setVolume(options_.volume);
      saveOptions(options_);
      break;
    case MenuChoice::kWriteSettings:
      writeMatchLength();
      break;
    case MenuChoice::kOptionsChanged:
    case MenuChoice::kKeysChanged:
      saveOptions(options_);
      break;
    case MenuChoice::kNone:
      break;
  }
}

void CApplication::toggleFullScreen() {
  if (platform::setFullScreen(!platform::isFullScreen())) {
    options_.fullScreen = platform::isFullScreen();
    saveOptions(options_);
    if (menu_ && menu_->shown()) menu_->show();
  }
}

void CApplication::writeMatchLength() {
  const MatchLength& length = matchLengthNamed(options_.matchLength);
  const MatchSettings written = atLength(fileSettings_, length);
  if (!brin::ReplaceFile("data/settings.xml", settingsXml(written))) {
    session_.flash("Could not write data/settings.xml", platform::ticks());
    return;
  }
  // The file now holds the length: played at its own measure from here on.
  fileSettings_ = written;
  options_.matchLength = "standard";
  saveOptions(options_);
  menu_->show();
  session_.flash(std::string(length.label) + " written into data/settings.xml", platform::ticks());
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
    // Escape on the waiting screen of a match chosen on the menu goes back.
    if (fromMenu_ && event.type == SDL_KEYDOWN) {
      next_ = Next::kMenu;
    } else {
      running_ = false;
    }
  } else if (command == AppCommand::kEnter && net_->canRetry()) {
    net_->retry(platform::ticks());
    netNotice_.update(*net_, platform::ticks());
  } else if (command == AppCommand::kEnter && net_->canPlayOn()) {
    playOnAgainstComputer();
  } else if (command == AppCommand::kWaitForOther && net_->canWait()) {
    net_->waitForOther();
    netNotice_.update(*net_, platform::ticks());
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
  shutdownGame();
  platform::closeJoysticks();
  platform::releaseDevice();
  platformUp_ = false;
}

void CApplication::shutdownGame() {
  if (net_) {
    net_->leave();
    netNotice_.release();
  }
  if (menu_) menu_->release();
  menu_.reset();
  padPointer_.reset();
  session_.end();
  // The shops' sprites and labels go with the manager, before the sprite list.
  delete game_;
  game_ = nullptr;
  feedback_.reset();
  g_feedback = nullptr;
  scene_.reset();
  g_scene = nullptr;
  destroyAllSprites();
  releaseSpriteInterface();
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
  // The next game starts from the world a new process has: two machines that
  // came to a networked match from different games must hash alike.
  resetSimulation();
  resetPartIds();
  drag_ = CDragState();
  for (auto& computer : computers_) computer.reset();
  audio::close();
  if (net_) {
    net_.reset();
    platform::setGameTickSource(nullptr);
  }
}
