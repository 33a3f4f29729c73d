// The title menu through the real loop: keys and the mouse reach each mode,
// the options go to data/options.xml and nowhere else unless asked, the sides
// are named, the score is kept across rematches, Escape asks before leaving a
// match chosen on the menu, and full screen follows F11 and Alt+Enter.
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "ai/computer_player.h"
#include "app/app.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "net/net_game.h"
#include "platform/clock.h"
#include "platform/video.h"
#include "sim/blood.h"
#include "sim/sim_step.h"
#include "support/scripted_game.h"

namespace {

using testing_support::buttonEvent;
using testing_support::GameScript;
using testing_support::keyEvent;
using testing_support::motionEvent;
using testing_support::TimedEvent;

// Presses (down and up) the keys one after another from `from`, 48 ms apart.
void press(std::vector<TimedEvent>& events, uint32_t from, const std::vector<SDLKey>& keys, SDLMod mod = KMOD_NONE) {
  uint32_t at = from;
  for (SDLKey key : keys) {
    SDL_Event down = keyEvent(true, key);
    down.key.keysym.mod = mod;
    events.push_back({at, down});
    events.push_back({at + 16, keyEvent(false, key)});
    at += 48;
  }
}

// A file's text without its layout: "<Level>hard</Level>" however indented.
std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream text;
  text << in.rdbuf();
  std::string squeezed;
  for (char c : text.str()) {
    if (c != ' ' && c != '\n' && c != '\r' && c != '\t') squeezed += c;
  }
  return squeezed;
}

// What the window is doing, as the child prints it for the test to read.
std::string stateOf(CApplication& app) {
  std::ostringstream out;
  out << "menu " << (app.menu() ? 1 : 0) << " fromMenu " << app.startedFromMenu() << " computers "
      << app.computerPlays(1) << app.computerPlays(2) << " net " << (app.network() ? 1 : 0);
  if (app.network()) out << " hosting " << app.network()->where().hosting;
  out << " names [" << app.sideName(1) << "] [" << app.sideName(2) << "]";
  if (app.game()) out << " target " << app.game()->player1Target;
  return out.str();
}

struct ModeCase {
  const char* name;
  std::vector<SDLKey> keys;
  const char* expected;  // the state a second after the keys
};

TEST(FrontDoor, EveryModeStartsFromTheMenuByKeys) {
  const std::vector<ModeCase> cases = {
      {"two players", {SDLK_RETURN},
       "menu 0 fromMenu 1 computers 00 net 0 names [PLAYER 1] [PLAYER 2] target 30000"},
      {"computer at the options' level", {SDLK_DOWN, SDLK_RETURN},
       "menu 0 fromMenu 1 computers 01 net 0 names [YOU] [COMPUTER (normal)] target 30000"},
      {"easier", {SDLK_DOWN, SDLK_LEFT, SDLK_RETURN},
       "menu 0 fromMenu 1 computers 01 net 0 names [YOU] [COMPUTER (easy)] target 30000"},
      {"harder", {SDLK_DOWN, SDLK_RIGHT, SDLK_RETURN},
       "menu 0 fromMenu 1 computers 01 net 0 names [YOU] [COMPUTER (hard)] target 30000"},
      {"host on any free port", {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN},
       "menu 0 fromMenu 1 computers 00 net 1 hosting 1 names [YOU] [REMOTE PLAYER] target 30000"},
      {"options and back leave the menu open", {SDLK_UP, SDLK_UP, SDLK_UP, SDLK_RETURN, SDLK_ESCAPE},
       "menu 1 fromMenu 0 computers 11 net 0 names [COMPUTER (hard)] [COMPUTER (hard)] target 30000"},
  };
  for (const ModeCase& c : cases) {
    SCOPED_TRACE(c.name);
    GameScript s;
    s.frontDoor = true;
    s.durationMs = 2000;
    s.optionsXml = "<Options><HostPort>0</HostPort><HintShown>1</HintShown></Options>";
    press(s.events, 300, c.keys);
    auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms == 48) std::printf("at start: %s\n", stateOf(app).c_str());
      if (ms == 1904) std::printf("after: %s\n", stateOf(app).c_str());
    });
    ASSERT_TRUE(r.started) << r.output;
    EXPECT_NE(r.output.find("at start: menu 1 fromMenu 0 computers 11"), std::string::npos) << r.output;
    EXPECT_NE(r.output.find(std::string("after: ") + c.expected + "\n"), std::string::npos) << r.output;
  }
}

// The second item's row on the title page; the golden picture of the menu
// pins the layout this aims at.
constexpr int kComputerRowY = 224;

TEST(FrontDoor, TheMouseChoosesAndEscapeOrQuitEndsWithExitZero) {
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 2000;
  s.events = {{300, motionEvent(256, kComputerRowY)},
              {400, buttonEvent(true, 1, 256, kComputerRowY)},
              {420, buttonEvent(false, 1, 256, kComputerRowY)}};
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 352) std::printf("hovered %d\n", app.menu() ? app.menu()->selected() : -1);
    if (ms == 1504) std::printf("after: %s\n", stateOf(app).c_str());
  });
  EXPECT_NE(r.output.find("hovered 1\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("after: menu 0 fromMenu 1 computers 01"), std::string::npos) << r.output;

  for (SDLKey last : {SDLK_ESCAPE, SDLK_RETURN}) {
    GameScript q;
    q.frontDoor = true;
    q.durationMs = 3000;
    // Escape quits from the title page; Enter on its last item, Quit, too.
    press(q.events, 300, last == SDLK_ESCAPE ? std::vector<SDLKey>{SDLK_ESCAPE} : std::vector<SDLKey>{SDLK_UP, last});
    auto quit = testing_support::runGame(q);
    EXPECT_EQ(quit.exitCode, 0);
    EXPECT_LT(quit.frames, 40) << "the game ran on after Quit";
  }
}

TEST(FrontDoor, OptionsGoToTheirOwnFileAndTheSettingsOnlyWhenAsked) {
  const std::string settings =
      "<Settings><P1_InitValue>5000</P1_InitValue><P2_InitValue>5000</P2_InitValue>"
      "<P1_TargetValue>40000</P1_TargetValue><P2_TargetValue>40000</P2_TargetValue>"
      "<TurnLength>5000</TurnLength></Settings>";
  for (bool write : {false, true}) {
    SCOPED_TRACE(write ? "written into the settings" : "options only");
    GameScript s;
    s.frontDoor = true;
    s.durationMs = 3000;
    s.settingsXml = settings;
    s.optionsXml = "<Options><Volume>0.5</Volume><HintShown>1</HintShown></Options>";
    // Options; match length Standard -> Long; volume 50% -> 40%; full screen
    // on; level normal -> hard; then, or not, write the length, and go back.
    press(s.events, 300,
          {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_RIGHT, SDLK_DOWN, SDLK_LEFT, SDLK_DOWN,
           SDLK_RETURN, SDLK_DOWN, SDLK_RIGHT, SDLK_DOWN});
    if (write) press(s.events, 1000, {SDLK_RETURN});
    // Back to the title page and into a two-player match.
    press(s.events, 1200, {SDLK_ESCAPE, SDLK_RETURN});
    auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
      if (ms != 2400) return;
      std::printf("fullscreen %d target %.0f turn %.0f\n", platform::isFullScreen() ? 1 : 0,
                  static_cast<double>(app.game()->player1Target), static_cast<double>(app.game()->turnLength));
      std::printf("options:\n%s\nsettings:\n%s\n", readText("data/options.xml").c_str(),
                  readText("data/settings.xml").c_str());
    });
    ASSERT_TRUE(r.started) << r.output;
    // The long match: twice the way from 5000 to 40000, turns of 7 s; the
    // same whether the file holds it or the options do.
    EXPECT_NE(r.output.find("fullscreen 1 target 75000 turn 7000"), std::string::npos) << r.output;
    for (const char* kept : {"<Volume>0.4</Volume>", "<FullScreen>1</FullScreen>", "<Level>hard</Level>"}) {
      EXPECT_NE(r.output.find(kept), std::string::npos) << kept << "\n" << r.output;
    }
    EXPECT_NE(r.output.find(write ? "<MatchLength>standard</MatchLength>" : "<MatchLength>long</MatchLength>"),
              std::string::npos)
        << r.output;
    EXPECT_EQ(r.output.find("<P1_TargetValue>75000</P1_TargetValue>") != std::string::npos, write) << r.output;
  }
}

TEST(FrontDoor, SidesAreNamedAndTheScoreIsKeptAcrossRematches) {
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 4000;
  press(s.events, 300, {SDLK_DOWN, SDLK_RETURN});
  press(s.events, 2000, {SDLK_RETURN});
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    CGameManager* game = app.game();
    if (ms == 1008) game->player2Value = game->player2Target + 1;
    if (ms == 2800) game->player1Value = game->player1Target + 1;
    if (ms == 1904 || ms == 3504) std::printf("result:\n%s\n", app.session().resultOverlay().text().c_str());
  });
  EXPECT_NE(r.output.find("result:\nCOMPUTER (normal) WINS\n\nYOU: "), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Score  0 - 1\n\nEnter: play again   Esc: leave"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("result:\nYOU WIN\n\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("Score  1 - 1\n"), std::string::npos) << r.output;
}

TEST(FrontDoor, EscapeAsksInAMatchFromTheMenuAndF2SaysWhoPlays) {
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 3500;
  press(s.events, 300, {SDLK_RETURN});                 // two players
  press(s.events, 1000, {SDLK_F2});                    // the computer takes player 2
  press(s.events, 1400, {SDLK_ESCAPE});                // asks
  press(s.events, 1700, {SDLK_ESCAPE});                // keeps playing
  press(s.events, 2000, {SDLK_ESCAPE, SDLK_RETURN});   // back to the menu
  press(s.events, 3000, {SDLK_ESCAPE});                // quits from there
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 1104) std::printf("flash [%s]\n", app.session().flashOverlay().text().c_str());
    if (ms == 1504 || ms == 1808) {
      std::printf("asking %d paused %d\n", app.session().askingToLeave(), app.session().paused());
    }
    if (ms == 2704) std::printf("after: %s\n", stateOf(app).c_str());
  });
  EXPECT_NE(r.output.find("flash [Player 2: COMPUTER (normal)]"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("asking 1 paused 1\nasking 0 paused 0\n"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("after: menu 1 fromMenu 0"), std::string::npos) << r.output;
  EXPECT_EQ(r.exitCode, 0);
  EXPECT_LT(r.frames, 3200 / 16) << "Escape on the menu did not quit";
}

// One pad: the cross and the stick move through the menu, one button
// chooses and the other goes back; in the match against the computer the
// lone pad is the person's, and it starts the next match from the result.
TEST(FrontDoor, APadChoosesOnTheMenuPlaysAgainstTheComputerAndStartsTheNextMatch) {
  using testing_support::padAxisEvent;
  using testing_support::padButtonEvent;
  using testing_support::padHatEvent;
  GameScript s;
  s.frontDoor = true;
  s.pads = 1;
  s.durationMs = 2000;
  s.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  for (uint32_t at : {300u, 348u, 396u, 444u}) {  // down to Options
    s.events.push_back({at, padHatEvent(0, SDL_HAT_DOWN)});
    s.events.push_back({at + 16, padHatEvent(0, SDL_HAT_CENTERED)});
  }
  auto tap = [&s](uint32_t at, int button) {
    s.events.push_back({at, padButtonEvent(0, button, true)});
    s.events.push_back({at + 16, padButtonEvent(0, button, false)});
  };
  tap(500, 0);  // into the options
  tap(600, 1);  // and back
  s.events.push_back({700, padAxisEvent(0, 1, 30000)});
  s.events.push_back({748, padAxisEvent(0, 1, 2000)});
  tap(800, 0);  // against the computer
  s.events.push_back({1100, padHatEvent(0, SDL_HAT_UP)});
  s.events.push_back({1250, padHatEvent(0, SDL_HAT_CENTERED)});
  tap(1600, 0);  // the next match
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (app.menu() && (ms == 480 || ms == 560 || ms == 656 || ms == 784)) {
      std::printf("at %u page %d item %d\n", ms, static_cast<int>(app.menu()->page()), app.menu()->selected());
    }
    if (ms == 1008) std::printf("after: %s\n", stateOf(app).c_str());
    if (ms == 1200) std::printf("steered %d\n", app.game()->controller1.speed > 0 ? 1 : 0);
    if (ms == 1296) app.game()->player2Value = app.game()->player2Target + 1;
    if (ms == 1584) std::printf("result %d\n", app.session().resultOverlay().shown() ? 1 : 0);
    if (ms == 1808) std::printf("match %d result %d\n", app.session().matchNumber(), app.session().resultOverlay().shown() ? 1 : 0);
  });
  ASSERT_TRUE(r.started) << r.output;
  for (const char* want : {"at 480 page 0 item 4\n", "at 560 page 1 item 0\n", "at 656 page 0 item 0\n",
                           "at 784 page 0 item 1\n", "after: menu 0 fromMenu 1 computers 01", "steered 1\n",
                           "result 1\n", "match 1 result 0\n"}) {
    EXPECT_NE(r.output.find(want), std::string::npos) << want << "\n" << r.output;
  }
}

TEST(FrontDoor, FullScreenFollowsF11AndAltEnterAndIsRemembered) {
  GameScript s;
  s.durationMs = 1500;
  s.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  press(s.events, 300, {SDLK_F11});
  press(s.events, 800, {SDLK_RETURN}, KMOD_LALT);
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms != 496 && ms != 1008) return;
    int w = 0, h = 0;
    platform::windowSize(w, h);
    std::printf("at %u full %d game over %d options [%s]\n", ms, platform::isFullScreen() ? 1 : 0,
                app.game()->gameOver ? 1 : 0, readText("data/options.xml").find("<FullScreen>1") != std::string::npos ? "1" : "0");
  });
  EXPECT_NE(r.output.find("at 496 full 1 game over 0 options [1]"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("at 1008 full 0 game over 0 options [0]"), std::string::npos) << r.output;
}

// A UDP port held by a plain socket that never answers: nobody hosts there,
// and no other test can take it while it is held.
struct SilentPort {
  SilentPort() {
    fd = socket(AF_INET, SOCK_DGRAM, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t size = sizeof a;
    if (fd >= 0 && bind(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0 &&
        getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size) == 0) {
      port = ntohs(a.sin_port);
    }
  }
  ~SilentPort() {
    if (fd >= 0) close(fd);
  }
  int fd = -1;
  int port = 0;
};

TEST(FrontDoor, HostingOnAPortInUseGoesBackToTheMenuSayingWhy) {
  SilentPort taken;
  ASSERT_NE(taken.port, 0);
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 1500;
  s.optionsXml = "<Options><HostPort>" + std::to_string(taken.port) + "</HostPort></Options>";
  press(s.events, 300, {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms != 1008 || !app.menu()) return;
    std::printf("after: %s\n", stateOf(app).c_str());
    for (const std::string& line : app.menu()->lines()) std::printf("| %s\n", line.c_str());
  });
  EXPECT_NE(r.output.find("after: menu 1 fromMenu 0"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("| Cannot wait for a player on port " + std::to_string(taken.port)), std::string::npos)
      << r.output;
}

TEST(FrontDoor, JoiningWhereNobodyHostsRetriesThenSaysWhatToCheckAndGoesBack) {
  SilentPort silent;
  ASSERT_NE(silent.port, 0);
  const std::string address = "127.0.0.1:" + std::to_string(silent.port);
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 30000;
  // The remembered address is offered; typing replaces it.
  s.optionsXml = "<Options><JoinAddress>box.lan:5000</JoinAddress></Options>";
  press(s.events, 300, {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
  std::vector<SDLKey> typed;
  for (char c : address) typed.push_back(static_cast<SDLKey>(c));
  typed.push_back(SDLK_RETURN);
  press(s.events, 600, typed);
  press(s.events, 26000, {SDLK_RETURN});  // try again
  press(s.events, 27000, {SDLK_ESCAPE});  // back to the menu
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 6000 || ms == 25008 || ms == 26400) {
      std::printf("at %u: [%s]\n", ms, app.networkNotice().text().c_str());
    }
    if (ms == 28000) std::printf("after: %s\n", stateOf(app).c_str());
  });
  ASSERT_TRUE(r.started) << r.output;
  EXPECT_NE(r.output.find("at 6000: [Connecting to 127.0.0.1 on port " + std::to_string(silent.port) +
                          "...\nattempt 2 of 7"),
            std::string::npos)
      << r.output;
  const size_t failed = r.output.find("at 25008: [Could not reach 127.0.0.1");
  ASSERT_NE(failed, std::string::npos) << r.output;
  const std::string failure = r.output.substr(failed, r.output.find(']', failed) - failed);
  for (const char* part : {"firewall", "Enter: try again", "Esc: back to the menu"}) {
    EXPECT_NE(failure.find(part), std::string::npos) << part << " in " << failure;
  }
  EXPECT_NE(r.output.find("at 26400: [Connecting to 127.0.0.1"), std::string::npos) << r.output;
  EXPECT_NE(r.output.find("after: menu 1 fromMenu 0"), std::string::npos) << r.output;
  EXPECT_EQ(r.exitCode, 0);
}

// A match begun after the board behind the menu played for a while starts
// from the same world as one begun in a fresh process: two machines that
// came to a networked match by different ways must hash alike.
TEST(FrontDoor, AMatchChosenOnTheMenuStartsFromAFreshWorld) {
  // After the first step of the match: the frame that switched to it ran
  // none of the new game's.
  auto firstStep = [](int framesBefore) {
    return [framesBefore](CApplication& app, uint32_t) {
      static int seen = 0;
      if (app.menu() || seen++ != framesBefore) return;
    std::printf("fresh: tick %d counter %d sim %llx parts", bloodTick(), stepCounter(),
                static_cast<unsigned long long>(simulationHash()));
    for (const CGamePart* part : g_partList) std::printf(" %d", part->id);
    std::printf("\n");
    };
  };
  GameScript viaMenu, direct;
  viaMenu.frontDoor = true;
  viaMenu.durationMs = 4000;
  press(viaMenu.events, 3000, {SDLK_RETURN});
  direct.durationMs = 200;
  auto a = testing_support::runGame(viaMenu, firstStep(1));
  auto b = testing_support::runGame(direct, firstStep(0));
  const size_t at = b.output.find("fresh: ");
  ASSERT_NE(at, std::string::npos) << b.output;
  const std::string fresh = b.output.substr(at, b.output.find('\n', at) - at);
  EXPECT_NE(a.output.find(fresh), std::string::npos) << fresh << "\n" << a.output;
}

// Both sides from their menus: one hosts on any free port, the other types
// that address on its join page; both begin the match and name the sides.
TEST(FrontDoor, HostAndJoinOnLoopbackFromTheMenus) {
  GameScript host, join;
  host.frontDoor = join.frontDoor = true;
  host.durationMs = join.durationMs = 3000;
  host.optionsXml = "<Options><HostPort>0</HostPort><HintShown>1</HintShown></Options>";
  join.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  press(host.events, 300, {SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
  press(join.events, 300, {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN});
  join.typeHostPortAt = 600;
  auto waitForMatch = [](CApplication& app, uint32_t) {
    net::CNetGame* net = app.network();
    static bool waited = false;
    static int framesPlaying = 0;
    if (!net) return;
    if (!waited) {
      waited = true;
      // Game time stands still meanwhile; the guard is only against a hang.
      const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(20);
      while (!net->playing() && !net->ended() && std::chrono::steady_clock::now() < until) {
        net->pump(platform::ticks());
        net->flush(platform::ticks());
      }
    }
    // The side that plays first may see the other finish its run and leave
    // within one pump: a match that began is one the other left while playing.
    const bool began = net->playing() || (net->ended() && net->match().otherGone());
    if (began && ++framesPlaying == 1) std::printf("playing: %s\n", stateOf(app).c_str());
  };
  auto r = testing_support::runGamesTogether({host, join}, {waitForMatch, waitForMatch});
  ASSERT_EQ(r.size(), 2u);
  EXPECT_NE(r[0].output.find("playing: menu 0 fromMenu 1 computers 00 net 1 hosting 1 names [YOU] [REMOTE PLAYER]"),
            std::string::npos)
      << r[0].output;
  EXPECT_NE(r[1].output.find("playing: menu 0 fromMenu 1 computers 00 net 1 hosting 0 names [REMOTE PLAYER] [YOU]"),
            std::string::npos)
      << r[1].output;
}

}  // namespace
