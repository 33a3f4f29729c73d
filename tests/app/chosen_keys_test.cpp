// Steering keys chosen on the options' keys page, through the real loop: a
// chosen key steers and the old one does not, a key of the other player or
// of the game is refused with the reason, the choice is in data/options.xml
// for the next start and in the help, and a reset brings the defaults back.
#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/app.h"
#include "game/game_manager.h"
#include "platform/key_map.h"
#include "render/palette.h"
#include "support/scripted_game.h"

namespace {

using testing_support::GameScript;
using testing_support::keyEvent;
using testing_support::TimedEvent;

// Presses (down and up) the keys one after another from `from`, 48 ms apart.
void press(std::vector<TimedEvent>& events, uint32_t from, const std::vector<SDLKey>& keys) {
  for (SDLKey key : keys) {
    events.push_back({from, keyEvent(true, key)});
    events.push_back({from + 16, keyEvent(false, key)});
    from += 48;
  }
}

// data/options.xml without its layout, one line, for the next run.
std::string optionsText() {
  std::ifstream in("data/options.xml");
  std::stringstream text;
  text << in.rdbuf();
  std::string squeezed;
  for (char c : text.str()) {
    if (c != ' ' && c != '\n') squeezed += c;
  }
  return squeezed;
}

// The text after `key` in the output, to the end of its line.
std::string lineAfter(const std::string& output, const std::string& key) {
  const size_t at = output.find(key);
  if (at == std::string::npos) return {};
  return output.substr(at + key.size(), output.find('\n', at) - at - key.size());
}

// Title page: Options; options page: Keys.
const std::vector<SDLKey> kToTheKeys = {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_DOWN,
                                        SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN};

TEST(ChosenKeys, AChosenKeySteersClashesAreRefusedAndTheChoiceLastsUntilReset) {
  GameScript choose;
  choose.frontDoor = true;
  choose.durationMs = 2000;
  choose.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  press(choose.events, 300, kToTheKeys);
  press(choose.events, 900, {SDLK_RETURN, SDLK_i});          // player 1 forward: I
  press(choose.events, 1100, {SDLK_DOWN, SDLK_RETURN, SDLK_UP});  // player 1 back: player 2's key
  press(choose.events, 1300, {SDLK_RETURN, SDLK_F1});        // and the game's help key
  press(choose.events, 1500, {SDLK_DOWN, SDLK_RETURN, SDLK_d});   // turn left: swaps with turn right
  press(choose.events, 1920, {SDLK_ESCAPE});                      // back to the options
  auto chosen = testing_support::runGame(choose, [](CApplication& app, uint32_t ms) {
    if (ms == 1984 && app.menu()) std::printf("back on page %d\n", static_cast<int>(app.menu()->page()));
    if (!app.menu() || (ms != 1040 && ms != 1248 && ms != 1440 && ms != 1904)) return;
    std::printf("at %u help %d:", ms, app.session().helpShown() ? 1 : 0);
    for (const std::string& line : app.menu()->lines()) std::printf(" [%s]", line.c_str());
    std::printf("\n");
    if (ms == 1904) std::printf("options %s\n", optionsText().c_str());
  });
  ASSERT_TRUE(chosen.started) << chosen.output;
  const struct {
    const char* at;
    const char* want;
  } shown[] = {
      {"at 1040 ", "Player 1 forward: i <]"},
      {"at 1248 ", "[Not taken: up is player 2's forward key.]"},
      {"at 1248 ", "Player 1 back: s <]"},
      {"at 1440 help 0:", "[Not taken: f1 is the game's help key.]"},
      {"at 1904 ", "Player 1 turn left: d <] [Player 1 turn right: a]"},
  };
  for (const auto& c : shown) EXPECT_NE(lineAfter(chosen.output, c.at).find(c.want), std::string::npos) << c.want << "\n" << chosen.output;
  EXPECT_NE(chosen.output.find("back on page 1\n"), std::string::npos) << chosen.output;
  const std::string options = lineAfter(chosen.output, "options ");
  for (const char* kept : {"<P1_Forward>i</P1_Forward>", "<P1_Back>s</P1_Back>", "<P1_Left>d</P1_Left>",
                           "<P1_Right>a</P1_Right>", "<P2_Forward>up</P2_Forward>"}) {
    EXPECT_NE(options.find(kept), std::string::npos) << kept << "\n" << options;
  }

  // The next start: I steers player 1 forward and W nothing; the help says so.
  GameScript play;
  play.durationMs = 1200;
  play.optionsXml = options;
  play.events = {{300, keyEvent(true, SDLK_i)}, {400, keyEvent(false, SDLK_i)},
                 {700, keyEvent(true, SDLK_w)}, {800, keyEvent(false, SDLK_w)}};
  press(play.events, 1000, {SDLK_F1});
  auto played = testing_support::runGame(play, [](CApplication& app, uint32_t ms) {
    if (ms == 384 || ms == 784) std::printf("speed at %u: %d\n", ms, app.game()->controller1.speed > 0 ? 1 : 0);
    if (ms == 1104) std::printf("help:\n%s\n", app.session().helpOverlay().text().c_str());
  });
  ASSERT_TRUE(played.started) << played.output;
  EXPECT_NE(played.output.find("speed at 384: 1\nspeed at 784: 0\n"), std::string::npos) << played.output;
  for (const char* line : {"\n forward          I         Up\n", "\n turn left        D        Left\n"}) {
    EXPECT_NE(played.output.find(line), std::string::npos) << line << played.output;
  }

  // The reset, the keys page's ninth item.
  GameScript reset;
  reset.frontDoor = true;
  reset.durationMs = 1500;
  reset.optionsXml = options;
  press(reset.events, 300, kToTheKeys);
  press(reset.events, 900, {SDLK_UP, SDLK_UP, SDLK_RETURN});
  auto back = testing_support::runGame(reset, [](CApplication&, uint32_t ms) {
    if (ms == 1296) std::printf("options %s\n", optionsText().c_str());
  });
  const std::string defaults = lineAfter(back.output, "options ");
  for (const char* kept : {"<P1_Forward>w</P1_Forward>", "<P1_Left>a</P1_Left>", "<P1_Right>d</P1_Right>"}) {
    EXPECT_NE(defaults.find(kept), std::string::npos) << kept << "\n" << back.output;
  }
}

// The options page's Colours: kept in the file, and the next match is drawn
// in that palette, its player 2 named in the pale colour.
TEST(ChosenKeys, TheColoursOptionIsKeptAndTheNextMatchIsDrawnInIt) {
  GameScript s;
  s.frontDoor = true;
  s.durationMs = 1500;
  s.optionsXml = "<Options><HintShown>1</HintShown></Options>";
  press(s.events, 300, {SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_DOWN, SDLK_RETURN, SDLK_UP, SDLK_UP, SDLK_RIGHT});
  press(s.events, 1000, {SDLK_ESCAPE, SDLK_RETURN});  // two players
  auto r = testing_support::runGame(s, [](CApplication& app, uint32_t ms) {
    if (ms == 896 || ms == 1296) std::printf("at %u palette %d menu %d\n", ms, currentPalette(), app.menu() ? 1 : 0);
    if (ms == 896) std::printf("options %s\n", optionsText().c_str());
  });
  ASSERT_TRUE(r.started) << r.output;
  EXPECT_NE(lineAfter(r.output, "options ").find("<Palette>1</Palette>"), std::string::npos) << r.output;
  // The menu's board keeps the pictures it loaded; the match loads them anew.
  for (const char* state : {"at 896 palette 0 menu 1\n", "at 1296 palette 1 menu 0\n"}) {
    EXPECT_NE(r.output.find(state), std::string::npos) << state << r.output;
  }
}

// What the file holds is checked once SDL can name keys: a name it does not
// know is that key's default, and a set that clashes is the defaults whole.
TEST(ChosenKeys, UnknownOrClashingKeysInTheFileFallBackToTheDefaults) {
  const struct {
    const char* keys;
    const char* inUse;  // player 1 forward, back, player 2 forward, back
  } cases[] = {
      {"<P1_Forward>i</P1_Forward><P2_Back>k</P2_Back>", "i s up k"},
      {"<P1_Forward>no such key</P1_Forward><P2_Back>k</P2_Back>", "w s up k"},
      {"<P1_Forward>up</P1_Forward><P2_Forward>w</P2_Forward>", "up s w down"},  // swapped: no clash
      {"<P1_Forward>up</P1_Forward><P2_Back>k</P2_Back>", "w s up down"},
      {"<P1_Forward>i</P1_Forward><P1_Back>i</P1_Back>", "w s up down"},
      {"<P1_Forward>i</P1_Forward><P2_Back>escape</P2_Back>", "w s up down"},
      {"<P1_Forward>i</P1_Forward><P2_Back>f11</P2_Back>", "w s up down"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.keys);
    GameScript s;
    s.durationMs = 100;
    s.optionsXml = std::string("<Options><HintShown>1</HintShown>") + c.keys + "</Options>";
    auto r = testing_support::runGame(s, [](CApplication&, uint32_t ms) {
      if (ms != 48) return;
      std::printf("keys %s %s %s %s\n", keyName(steeringKey(1, kForward)).c_str(), keyName(steeringKey(1, kBackward)).c_str(),
                  keyName(steeringKey(2, kForward)).c_str(), keyName(steeringKey(2, kBackward)).c_str());
    });
    EXPECT_EQ(lineAfter(r.output, "keys "), c.inUse) << r.output;
  }
}

}  // namespace
