// What the title page offers where the game cannot do everything: in a web
// page no network match and no Quit, and every item still leads where its
// name says, by the keys and by Escape; nor does the help promise a quit.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/app.h"
#include "app/front_door.h"
#include "game/overlay.h"
#include "platform/device.h"
#include "platform/null_device.h"
#include "render/sprite.h"
#include "support/scripted_game.h"

namespace {

SDL_Event key(SDLKey sym) {
  SDL_Event e{};
  e.type = SDL_KEYDOWN;
  e.key.keysym.sym = sym;
  return e;
}

class MenuOffersTest : public ::testing::Test {
 protected:
  void SetUp() override {
    platform::setDevice(platform::createNullDevice());
    createSpriteInterface();
  }
  void TearDown() override {
    destroyAllSprites();
    releaseSpriteInterface();
    platform::releaseDevice();
  }
  // The choice that Enter on the title page's `downs`-th item gives.
  MenuChoice chooseItem(CFrontDoor& menu, int downs) {
    for (int i = 0; i < downs; ++i) menu.handleEvent(key(SDLK_DOWN));
    return menu.handleEvent(key(SDLK_RETURN));
  }
  COptions options_;
};

bool mentions(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines) {
    if (line.find(text) != std::string::npos) return true;
  }
  return false;
}

TEST_F(MenuOffersTest, EachItemLeadsWhereItsNameSaysWithAndWithoutTheNetworkAndQuit) {
  struct Item {
    const char* name;
    MenuChoice choice;   // kNone: a page of the menu's own
    bool optionsPage;
  };
  const std::vector<Item> desktop = {{"Two players", MenuChoice::kTwoPlayers, false},
                                     {"Against the computer", MenuChoice::kComputer, false},
                                     {"Host a network match", MenuChoice::kHost, false},
                                     {"Join a network match", MenuChoice::kNone, false},
                                     {"Options", MenuChoice::kNone, true},
                                     {"Help", MenuChoice::kHelp, false},
                                     {"Quit", MenuChoice::kQuit, false}};
  const std::vector<Item> browser = {{"Two players", MenuChoice::kTwoPlayers, false},
                                     {"Against the computer", MenuChoice::kComputer, false},
                                     {"Options", MenuChoice::kNone, true},
                                     {"Help", MenuChoice::kHelp, false}};
  const struct {
    MenuOffers offers;
    const std::vector<Item>& items;
    MenuChoice escape;
  } cases[] = {{MenuOffers{true, true}, desktop, MenuChoice::kQuit}, {MenuOffers{false, false}, browser, MenuChoice::kNone}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.offers.network ? "desktop" : "browser");
    for (int i = 0; i < static_cast<int>(c.items.size()); ++i) {
      CFrontDoor menu;
      menu.setOffers(c.offers);
      menu.open(options_);
      SCOPED_TRACE(c.items[size_t(i)].name);
      const int line = menu.lineOfItem(i);
      ASSERT_LT(line, static_cast<int>(menu.lines().size()));
      EXPECT_NE(menu.lines()[size_t(line)].find(c.items[size_t(i)].name), std::string::npos) << menu.lines()[size_t(line)];
      EXPECT_EQ(chooseItem(menu, i), c.items[size_t(i)].choice);
      EXPECT_EQ(menu.page() == CFrontDoor::Page::kOptions, c.items[size_t(i)].optionsPage);
      menu.release();
    }
    CFrontDoor menu;
    menu.setOffers(c.offers);
    menu.open(options_);
    EXPECT_EQ(mentions(menu.lines(), "network"), c.offers.network);
    EXPECT_EQ(mentions(menu.lines(), "Quit"), c.offers.quit);
    EXPECT_EQ(mentions(menu.lines(), "Esc: quit"), c.offers.quit);
    // Down past the last item comes round to the first, whatever the count.
    EXPECT_EQ(chooseItem(menu, static_cast<int>(c.items.size())), MenuChoice::kTwoPlayers);
    EXPECT_EQ(menu.handleEvent(key(SDLK_ESCAPE)), c.escape);
    EXPECT_EQ(menu.page(), CFrontDoor::Page::kTitle);
    menu.release();
  }
}

// In a match the help tells what Escape does where the game runs: a page
// that cannot quit never promises it.
TEST(HelpOffers, TheHelpSaysWhatEscapeDoesWhereTheGameRuns) {
  const struct {
    bool canQuit;
    const char* escape;
  } cases[] = {{true, "Esc: leave or quit\n"}, {false, "Esc: leave the match\n"}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.canQuit ? "desktop" : "browser");
    testing_support::GameScript s;
    s.durationMs = 400;
    s.events = {{200, testing_support::keyEvent(true, SDLK_F1)}};
    auto r = testing_support::runGame(s, [&c](CApplication& app, uint32_t ms) {
      if (ms == 16) app.session().setCanQuit(c.canQuit);
      if (ms == 304) std::printf("help:\n%s\nend of help\n", app.session().helpOverlay().text().c_str());
    });
    ASSERT_TRUE(r.started) << r.output;
    const size_t from = r.output.find("help:\n"), to = r.output.find("end of help\n");
    ASSERT_LT(from, to) << r.output;
    const std::string help = r.output.substr(from, to - from);
    EXPECT_NE(help.find(c.escape), std::string::npos) << help;
    EXPECT_EQ(help.find("quit") != std::string::npos, c.canQuit) << help;
  }
}

}  // namespace
