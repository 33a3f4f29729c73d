// The title menu's pages, their keys and mouse, and their panels; see
// front_door.h.
#include "app/front_door.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdio>

#include "ai/computer_level.h"
#include "app/match_length.h"
#include "app/text_wrap.h"
#include "core/player_input.h"
#include "platform/key_map.h"
#include "render/text_label.h"

namespace {

constexpr float kCentreX = 256;
constexpr float kTop = 120;
// The overlay's margin between the panel's edge and its text.
constexpr float kPanelMargin = 10;
constexpr size_t kLongestAddress = 60;
constexpr float kVolumeStep = 0.1f;
// Characters a line of a message under the items: the panel's width.
constexpr size_t kMessageWidth = 44;

const char* const kLevels[] = {"easy", "normal", "hard"};

// The next of a few names, `direction` steps on, wrapping round.
template <typename Names, typename NameOf>
std::string cycle(const Names& names, size_t count, const std::string& current, int direction, NameOf nameOf) {
  size_t at = 0;
  for (size_t i = 0; i < count; ++i) {
    if (current == nameOf(names[i])) at = i;
  }
  const size_t next = (at + count + static_cast<size_t>(direction % static_cast<int>(count) + static_cast<int>(count))) % count;
  return nameOf(names[next]);
}

std::string percent(float volume) {
  char text[16];
  std::snprintf(text, sizeof text, "%d%%", static_cast<int>(std::lround(volume * 100)));
  return text;
}

// The keys page's rows, in order: each player's four steering keys.
constexpr int kKeyRows = 8;
const int kRowDirections[4] = {kForward, kBackward, kTurnLeft, kTurnRight};

int rowPlayer(int row) { return row / 4 + 1; }
int rowDirection(int row) { return kRowDirections[row % 4]; }

bool isAddressCharacter(int c) {
  return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == '.' || c == ':' ||
         c == '-' || c == '_' || c == '[' || c == ']';
}

}  // namespace

struct CFrontDoor::Item {
  std::string text;
  bool value;  // left and right change it
};

CFrontDoor::CFrontDoor() = default;
CFrontDoor::~CFrontDoor() { release(); }

std::vector<CFrontDoor::TitleItem> CFrontDoor::titleItems() const {
  std::vector<TitleItem> list{TitleItem::kTwoPlayers, TitleItem::kComputer};
  if (offers_.network) {
    list.push_back(TitleItem::kHost);
    list.push_back(TitleItem::kJoin);
  }
  list.push_back(TitleItem::kOptions);
  list.push_back(TitleItem::kHelp);
  if (offers_.quit) list.push_back(TitleItem::kQuit);
  return list;
}

void CFrontDoor::open(COptions& options, const std::string& message) {
  options_ = &options;
  message_ = message;
  typing_ = options.joinAddress;
  page_ = Page::kTitle;
  selected_ = 0;
  shown_ = true;
  redraw();
}

void CFrontDoor::hide() {
  shown_ = false;
  panel_.hide();
  if (highlight_) highlight_->setHidden(true);
}

void CFrontDoor::show() {
  shown_ = true;
  redraw();
}

void CFrontDoor::release() {
  panel_.release();
  highlight_.reset();
  shown_ = false;
}

std::vector<CFrontDoor::Item> CFrontDoor::items() const {
  const COptions& o = *options_;
  switch (page_) {
    case Page::kTitle: {
      std::vector<Item> list;
      for (TitleItem item : titleItems()) {
        switch (item) {
          case TitleItem::kTwoPlayers: list.push_back({"Two players", false}); break;
          case TitleItem::kComputer: list.push_back({"Against the computer (" + o.level + ")", true}); break;
          case TitleItem::kHost: list.push_back({"Host a network match", false}); break;
          case TitleItem::kJoin: list.push_back({"Join a network match", false}); break;
          case TitleItem::kOptions: list.push_back({"Options", false}); break;
          case TitleItem::kHelp: list.push_back({"Help", false}); break;
          case TitleItem::kQuit: list.push_back({"Quit", false}); break;
        }
      }
      return list;
    }
    case Page::kOptions:
      return {{std::string("Match length: ") + matchLengthNamed(o.matchLength).label, true},
              {"Volume: " + percent(o.volume), true},
              {std::string("Full screen: ") + (o.fullScreen ? "on" : "off"), true},
              {"Computer level: " + o.level, true},
              {"Write the match length into settings.xml", false},
              {"Keys", false},
              {std::string("Colours: ") + (o.palette == 1 ? "colour-blind safe" : "standard"), true},
              {"Back", false}};
    case Page::kKeys: {
      std::vector<Item> list;
      for (int row = 0; row < kKeyRows; ++row) {
        const int player = rowPlayer(row), direction = rowDirection(row);
        const std::string key = row == choosing_ ? "press a key" : o.steering[player - 1][direction];
        list.push_back({"Player " + std::to_string(player) + " " + directionName(direction) + ": " + key, false});
      }
      list.push_back({"Reset to the default keys", false});
      list.push_back({"Back", false});
      return list;
    }
    case Page::kJoin:
      return {{"Address: " + (replaceOnType_ ? "[" + typing_ + "]" : typing_ + "_"), false},
              {"Join", false},
              {"Back", false}};
  }
  return {};
}

std::vector<std::string> CFrontDoor::header() const {
  switch (page_) {
    case Page::kTitle:
      return {"V E S I C O R", "Steer the blood into your collector:", "the first above the target wins.", ""};
    case Page::kOptions:
      return {"OPTIONS", ""};
    case Page::kJoin:
      return {"JOIN A NETWORK MATCH", "", "Type the host's address, with :port", "if it is not 28470.", ""};
    case Page::kKeys:
      return {"KEYS", ""};
  }
  return {};
}

int CFrontDoor::lineOfItem(int item) const { return static_cast<int>(header().size()) + item; }

std::vector<std::string> CFrontDoor::lines() const {
  std::vector<std::string> out = header();
  const std::vector<Item> list = items();
  for (size_t i = 0; i < list.size(); ++i) {
    const bool chosen = static_cast<int>(i) == selected_;
    out.push_back(chosen ? (list[i].value ? "< " + list[i].text + " >" : "> " + list[i].text + " <") : list[i].text);
  }
  out.push_back("");
  switch (page_) {
    case Page::kTitle:
      out.push_back(offers_.quit ? "Arrows: choose   Enter: start   Esc: quit" : "Arrows: choose   Enter: start");
      break;
    case Page::kOptions:
      out.push_back("Left, Right: change   Esc: back");
      break;
    case Page::kJoin:
      out.push_back("Enter: join   Esc: back");
      break;
    case Page::kKeys:
      out.push_back(choosing_ >= 0 ? "Press the new key   Esc: keep it" : "Enter: choose a key   Esc: back");
      break;
  }
  if (!message_.empty()) {
    out.push_back("");
    const std::string wrapped = wrapText(message_, kMessageWidth);
    size_t start = 0;
    while (start <= wrapped.size()) {
      const size_t end = wrapped.find('\n', start);
      out.push_back(wrapped.substr(start, end == std::string::npos ? std::string::npos : end - start));
      if (end == std::string::npos) break;
      start = end + 1;
    }
  }
  return out;
}

float CFrontDoor::lineCentreY(int line) const { return kTop + kPanelMargin + (static_cast<float>(line) + 0.5f) * kGlyphHeight; }

void CFrontDoor::redraw() {
  if (!shown_ || !options_) return;
  std::vector<std::string> all = lines();
  const int chosenLine = lineOfItem(selected_);
  const std::string chosenText = all[static_cast<size_t>(chosenLine)];
  // The chosen line is drawn again in its own colour over a gap of its width.
  all[static_cast<size_t>(chosenLine)] = std::string(chosenText.size(), ' ');
  std::string text;
  for (size_t i = 0; i < all.size(); ++i) text += (i ? "\n" : "") + all[i];
  panel_.show(text, kCentreX, kTop);
  if (!highlight_) highlight_ = std::make_unique<CTextLabel>(0, false);
  highlight_->setText(chosenText);
  highlight_->setColor(1.0f, 0.85f, 0.3f, 1.0f);
  highlight_->setPosition(kCentreX, lineCentreY(chosenLine) - kGlyphHeight * 0.5f, CTextLabel::kCentre);
  highlight_->setHidden(false);
}

void CFrontDoor::goTo(Page page) {
  page_ = page;
  choosing_ = -1;
  selected_ = 0;
  redraw();
}

int CFrontDoor::itemAt(int x, int y) const {
  const std::vector<std::string> all = lines();
  size_t widest = 0;
  for (const std::string& line : all) widest = std::max(widest, line.size());
  const float half = static_cast<float>(widest) * kGlyphWidth * 0.5f + kPanelMargin;
  if (std::fabs(static_cast<float>(x) - kCentreX) > half) return -1;
  const float row = (static_cast<float>(y) - kTop - kPanelMargin) / kGlyphHeight;
  if (row < 0) return -1;
  const int item = static_cast<int>(row) - static_cast<int>(header().size());
  return item >= 0 && item < static_cast<int>(items().size()) ? item : -1;
}

MenuChoice CFrontDoor::activate(int item, int direction) {
  COptions& o = *options_;
  message_.clear();
  auto levelName = [](const char* name) { return std::string(name); };
  auto lengthName = [](const MatchLength& length) { return std::string(length.name); };
  switch (page_) {
    case Page::kTitle: {
      const std::vector<TitleItem> list = titleItems();
      if (item < 0 || item >= static_cast<int>(list.size())) return MenuChoice::kNone;
      const TitleItem chosen = list[static_cast<size_t>(item)];
      if (chosen == TitleItem::kComputer && direction != 0) {
        o.level = cycle(kLevels, 3, o.level, direction, levelName);
        redraw();
        return MenuChoice::kOptionsChanged;
      }
      if (direction != 0) return MenuChoice::kNone;
      switch (chosen) {
        case TitleItem::kTwoPlayers: return MenuChoice::kTwoPlayers;
        case TitleItem::kComputer: return MenuChoice::kComputer;
        case TitleItem::kHost: return MenuChoice::kHost;
        case TitleItem::kJoin:
          // The remembered address is offered as a selected text: Enter
          // takes it, a typed character starts a new one.
          typing_ = o.joinAddress;
          replaceOnType_ = !typing_.empty();
          goTo(Page::kJoin);
          return MenuChoice::kNone;
        case TitleItem::kOptions: goTo(Page::kOptions); return MenuChoice::kNone;
        case TitleItem::kHelp: return MenuChoice::kHelp;
        case TitleItem::kQuit: return MenuChoice::kQuit;
      }
      return MenuChoice::kNone;
    }
    case Page::kOptions: {
      // Enter and a click step a value on, like the right arrow.
      const int step = direction == 0 ? 1 : direction;
      MenuChoice choice = MenuChoice::kOptionsChanged;
      switch (item) {
        case 0:
          o.matchLength = cycle(matchLengths(), matchLengths().size(), o.matchLength, step, lengthName);
          break;
        case 1:
          o.volume = std::clamp(std::round((o.volume + kVolumeStep * static_cast<float>(step)) * 10.0f) / 10.0f, 0.0f,
                                1.0f);
          choice = MenuChoice::kVolume;
          break;
        case 2:
          o.fullScreen = !o.fullScreen;
          choice = MenuChoice::kFullScreen;
          break;
        case 3:
          o.level = cycle(kLevels, 3, o.level, step, levelName);
          break;
        case 4:
          if (direction != 0) return MenuChoice::kNone;
          return MenuChoice::kWriteSettings;
        case 5:
          if (direction != 0) return MenuChoice::kNone;
          goTo(Page::kKeys);
          return MenuChoice::kNone;
        case 6:
          // Drawn so from the next match on, whose pictures load afresh.
          o.palette = 1 - o.palette;
          break;
        default:
          if (direction != 0) return MenuChoice::kNone;
          goTo(Page::kTitle);
          return MenuChoice::kNone;
      }
      redraw();
      return choice;
    }
    case Page::kKeys:
      if (direction != 0) return MenuChoice::kNone;
      if (item < kKeyRows) {
        choosing_ = item;
        redraw();
        return MenuChoice::kNone;
      }
      if (item == kKeyRows) {
        resetSteeringKeys();
        takeSteeringKeys(o);
        message_ = "The default keys are back.";
        redraw();
        return MenuChoice::kKeysChanged;
      }
      goTo(Page::kOptions);
      return MenuChoice::kNone;
    case Page::kJoin:
      if (direction != 0) return MenuChoice::kNone;
      if (item == 2) {
        goTo(Page::kTitle);
        return MenuChoice::kNone;
      }
      if (typing_.empty()) {
        message_ = "Type the host's address first.";
        redraw();
        return MenuChoice::kNone;
      }
      o.joinAddress = typing_;
      return MenuChoice::kJoin;
  }
  return MenuChoice::kNone;
}

MenuChoice CFrontDoor::typed(const SDL_keysym& key) {
  if (key.sym == SDLK_BACKSPACE) {
    if (!typing_.empty()) typing_.pop_back();
    replaceOnType_ = false;
  } else {
    // The character the key gives, where SDL tells it; a plain key's own
    // symbol otherwise (a script's keys, or no text input).
    int c = key.unicode != 0 && key.unicode < 128 ? key.unicode : 0;
    if (c == 0 && key.sym < 128) c = key.sym;
    if (c == 0 || !isAddressCharacter(c)) return MenuChoice::kNone;
    if (replaceOnType_) typing_.clear();
    replaceOnType_ = false;
    if (typing_.size() >= kLongestAddress) return MenuChoice::kNone;
    typing_ += static_cast<char>(c);
  }
  message_.clear();
  selected_ = 0;
  redraw();
  return MenuChoice::kNone;
}

MenuChoice CFrontDoor::keyPressed(const SDL_keysym& key) {
  const int row = choosing_;
  choosing_ = -1;
  if (key.sym == SDLK_ESCAPE) {
    message_.clear();
    redraw();
    return MenuChoice::kNone;
  }
  const int player = rowPlayer(row), direction = rowDirection(row);
  const std::string why = steeringKeyRefusal(player, direction, key.sym);
  if (!why.empty() || !chooseSteeringKey(player, direction, key.sym)) {
    message_ = "Not taken: " + why + ".";
    redraw();
    return MenuChoice::kNone;
  }
  takeSteeringKeys(*options_);
  message_.clear();
  redraw();
  return MenuChoice::kKeysChanged;
}

MenuChoice CFrontDoor::handleEvent(const SDL_Event& event) {
  if (!shown_ || !options_) return MenuChoice::kNone;
  if (choosing_ >= 0) return event.type == SDL_KEYDOWN ? keyPressed(event.key.keysym) : MenuChoice::kNone;
  const int count = static_cast<int>(items().size());
  if (event.type == SDL_MOUSEMOTION || event.type == SDL_MOUSEBUTTONDOWN) {
    const int x = event.type == SDL_MOUSEMOTION ? event.motion.x : event.button.x;
    const int y = event.type == SDL_MOUSEMOTION ? event.motion.y : event.button.y;
    const int item = itemAt(x, y);
    if (item < 0) return MenuChoice::kNone;
    if (item != selected_) {
      selected_ = item;
      redraw();
    }
    if (event.type != SDL_MOUSEBUTTONDOWN) return MenuChoice::kNone;
    const Uint8 button = event.button.button;
    if (button == SDL_BUTTON_LEFT) return activate(item, 0);
    if (button == SDL_BUTTON_RIGHT || button == SDL_BUTTON_WHEELDOWN) return activate(item, -1);
    if (button == SDL_BUTTON_WHEELUP) return activate(item, 1);
    return MenuChoice::kNone;
  }
  if (event.type != SDL_KEYDOWN) return MenuChoice::kNone;
  const SDL_keysym& key = event.key.keysym;
  switch (key.sym) {
    case SDLK_UP:
      selected_ = (selected_ + count - 1) % count;
      redraw();
      return MenuChoice::kNone;
    case SDLK_DOWN:
    case SDLK_TAB:
      selected_ = (selected_ + 1) % count;
      redraw();
      return MenuChoice::kNone;
    case SDLK_LEFT:
      return activate(selected_, -1);
    case SDLK_RIGHT:
      return activate(selected_, 1);
    case SDLK_RETURN:
    case SDLK_KP_ENTER:
      return activate(selected_, 0);
    case SDLK_ESCAPE:
      if (page_ == Page::kTitle) return offers_.quit ? MenuChoice::kQuit : MenuChoice::kNone;
      message_.clear();
      goTo(page_ == Page::kKeys ? Page::kOptions : Page::kTitle);
      return MenuChoice::kNone;
    default:
      if (page_ == Page::kJoin) return typed(key);
      return MenuChoice::kNone;
  }
}
