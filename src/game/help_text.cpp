// Writing the help: fixed lines for keys and rules, then one line per part
// of each shop, so a modded shop explains its own parts.
#include "game/help_text.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <vector>

#include "core/player_input.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "platform/key_map.h"

namespace {

// What a part does, as far as its name and bomb flag tell.
std::string whatItDoes(const CGamePart& part) {
  if (part.bomb != 0) return "blows up parts near it";
  if (part.name == "paddle") return "a blade to push blood";
  if (part.name == "wall") return "holds blood back";
  if (part.name == "scoop") return "a cup that catches blood";
  if (part.name == "funnel") return "gathers blood to a stream";
  return "a solid part: steers blood";
}

std::string partLine(const CGamePart& part) {
  std::string name = part.name.empty() ? "part" : part.name;
  if (name.size() > 8) name.resize(8);
  char lasts[16];
  if (part.bomb != 0) {
    std::snprintf(lasts, sizeof lasts, "-");
  } else {
    std::snprintf(lasts, sizeof lasts, "%.0f s", static_cast<double>(part.lifetime / 1000));
  }
  char line[128];
  std::snprintf(line, sizeof line, " %-8s %5.0f %5s  %s", name.c_str(), static_cast<double>(part.cost), lasts,
                whatItDoes(part).c_str());
  std::string text = line;
  // The screen holds 49 characters a line inside the panel.
  if (text.size() > 49) text.resize(49);
  return text;
}

bool sameShops(const CShop& a, const CShop& b) {
  if (a.templates.size() != b.templates.size()) return false;
  for (size_t i = 0; i < a.templates.size(); ++i) {
    const CGamePart& x = *a.templates[i];
    const CGamePart& y = *b.templates[i];
    if (x.name != y.name || x.cost != y.cost || x.lifetime != y.lifetime || x.bomb != y.bomb) return false;
  }
  return true;
}

void addShop(std::string& text, const CShop& shop, const char* heading) {
  text += heading;
  text += "\n";
  if (shop.templates.empty()) text += " (nothing for sale)\n";
  for (const CGamePart* part : shop.templates) text += partLine(*part) + "\n";
}

// A key as the help writes it: "W", "Up", "Left shift".
std::string shownKey(int player, int direction) {
  std::string name = keyName(steeringKey(player, direction));
  // Before SDL can name keys, the rows' own names (the defaults').
  if (name.empty() && steeringKeyName(player, direction)) name = steeringKeyName(player, direction);
  if (name.empty()) name = "?";
  if (name.size() == 1) {
    name[0] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  } else if (name[0] >= 'a' && name[0] <= 'z') {
    name[0] = static_cast<char>(name[0] - 'a' + 'A');
  }
  return name;
}

// The steering table with the keys in use, each centred under its player.
std::string steeringLines() {
  constexpr size_t kColumn[2] = {14, 25};
  constexpr size_t kWidth = 8;
  const struct {
    const char* label;
    int direction;
  } rows[] = {{" forward", kForward}, {" back", kBackward}, {" turn left", kTurnLeft}, {" turn right", kTurnRight}};
  std::string text = "steer         player 1   player 2\n";
  for (const auto& row : rows) {
    std::string line = row.label;
    for (int player = 1; player <= 2; ++player) {
      const std::string key = shownKey(player, row.direction);
      const size_t column = kColumn[player - 1];
      const size_t start = column + (key.size() < kWidth ? (kWidth - key.size() + 1) / 2 : 0);
      line.resize(std::max(start, line.size() + 1), ' ');
      line += key;
    }
    text += line + "\n";
  }
  return text;
}

}  // namespace

std::string helpText(const CGameManager& game, const std::string& handOver, bool canQuit) {
  std::string text =
      "VESICOR - HELP            F1 or Esc: back\n"
      "\n"
      "Blood pours from the spout. Every cell that\n"
      "lands in your collector adds 1 to your value;\n"
      "the first value above its target wins.\n"
      "In your turn your shop slides in: buy parts\n"
      "and lay them to steer the blood your way.\n"
      "\n"
      + steeringLines() +
      "mouse  click a part to buy it, drag it,\n"
      "       wheel turns it, let go to drop it\n"
      "P pause  M sound  F11 or Alt+Enter full screen\n"
      "Enter after a win: again   Esc: leave" + std::string(canQuit ? " or quit" : " the match") + "\n"
      "F2 the computer (" + handOver + ") takes over, or lets go\n"
      "menu  arrows choose, Enter starts, Esc back\n"
      "\n";
  char heading[64];
  if (sameShops(game.shop1, game.shop2)) {
    std::snprintf(heading, sizeof heading, "%-9s %6s %5s", "both", "price", "lasts");
    addShop(text, game.shop1, heading);
  } else {
    std::snprintf(heading, sizeof heading, "%-9s %6s %5s", "player 1", "price", "lasts");
    addShop(text, game.shop1, heading);
    std::snprintf(heading, sizeof heading, "%-9s %6s %5s", "player 2", "price", "lasts");
    addShop(text, game.shop2, heading);
  }
  if (!text.empty() && text.back() == '\n') text.pop_back();
  return text;
}
