// The title menu and its pages (options, the steering keys, joining a
// network match): panels of text over the board, which plays itself behind
// them. Arrows, Enter and Escape or the mouse move through it (a pad's cross
// and buttons come as those keys); what the player chooses goes back to the
// application, which starts the match or applies the option.
#pragma once

#include <SDL/SDL.h>

#include <memory>
#include <string>
#include <vector>

#include "app/options.h"
#include "game/overlay.h"

class CTextLabel;

enum class MenuChoice {
  kNone,
  kTwoPlayers,
  kComputer,  // at the options' level
  kHost,
  kJoin,      // the options' join address
  kHelp,
  kQuit,
  kFullScreen,     // the options' full-screen flag changed
  kVolume,         // the options' volume changed
  kWriteSettings,  // the match length, written into data/settings.xml
  kOptionsChanged,  // anything else in the options; saved by the caller
  kKeysChanged      // a steering key chosen, or the defaults back; saved by the caller
};

// What the title page offers beyond the local matches, options and help: a
// web page can neither open the game's network port nor close itself.
struct MenuOffers {
  bool network = true;
  bool quit = true;
};

class CFrontDoor {
 public:
  enum class Page { kTitle, kOptions, kJoin, kKeys };

  CFrontDoor();
  ~CFrontDoor();
  CFrontDoor(const CFrontDoor&) = delete;
  CFrontDoor& operator=(const CFrontDoor&) = delete;

  // Opens the title page on these options, which the pages show and change;
  // they must outlive the menu. `message` is shown under the items (why a
  // network match could not start), until the next choice.
  void open(COptions& options, const std::string& message = {});
  // Before open; every item is offered unless told otherwise.
  void setOffers(const MenuOffers& offers) { offers_ = offers; }
  void hide();
  void show();
  bool shown() const { return shown_; }
  // Before the sprites go.
  void release();

  // A key or the mouse (in the drawing space). Every such event is the
  // menu's while it shows.
  MenuChoice handleEvent(const SDL_Event& event);

  Page page() const { return page_; }
  // A steering row awaits its new key: every key is the page's.
  bool choosingKey() const { return choosing_ >= 0; }
  int selected() const { return selected_; }
  // The page as drawn, one entry a line; the selected item is marked.
  std::vector<std::string> lines() const;
  // The drawing-space row of a page's line, for a pointer to aim at.
  float lineCentreY(int line) const;
  // Which line the item `item` is on.
  int lineOfItem(int item) const;

 private:
  enum class TitleItem { kTwoPlayers, kComputer, kHost, kJoin, kOptions, kHelp, kQuit };
  struct Item;
  std::vector<TitleItem> titleItems() const;
  std::vector<Item> items() const;
  std::vector<std::string> header() const;
  void goTo(Page page);
  MenuChoice activate(int item, int direction);
  MenuChoice typed(const SDL_keysym& key);
  MenuChoice keyPressed(const SDL_keysym& key);
  int itemAt(int x, int y) const;
  void redraw();

  COptions* options_ = nullptr;
  MenuOffers offers_;
  Page page_ = Page::kTitle;
  int selected_ = 0;
  bool shown_ = false;
  std::string message_;
  std::string typing_;  // the join address as it is being typed
  bool replaceOnType_ = false;
  int choosing_ = -1;  // the keys page's row awaiting its new key
  COverlay panel_;
  std::unique_ptr<CTextLabel> highlight_;
};
