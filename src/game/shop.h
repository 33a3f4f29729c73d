// A player's shop: the panel of template parts that slides in during the
// player's turn, the hover marker with the cost on the value bar, and buying.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "core/math2d.h"
#include "render/text_label.h"

class CGamePart;
struct CSprite;

class CShop {
 public:
  CShop() = default;
  ~CShop();
  CShop(const CShop&) = delete;
  CShop& operator=(const CShop&) = delete;

  void loadPictures();
  // Loads "data/parts/" + name + "*.xml" (never the stomach) as templates of
  // the player, appending each to the part list.
  void fill(const std::string& name, int player);
  // Appends to the row and spaces the whole row evenly.
  void addTemplate(CGamePart* part);
  // Puts `forSale` in the row where `leaving` was; `leaving` is no longer a
  // template of this shop (a player's steered part takes this way out).
  void replaceTemplate(CGamePart* leaving, CGamePart* forSale);
  // Back where loadPictures and fill left it: hidden, out of sight, no
  // marker, every template on its row above the window.
  void resetHidden();
  // Prices the player can pay in white, the others dimmed red.
  void showAffordability(float value);

  // Once per simulation step: a quarter of the remaining way towards the target.
  void slide();
  void show();
  void hide();
  // Marks the first template under the mouse and shows its cost.
  void hover(Vec2 mouse);

  int shown = 0;
  std::vector<CGamePart*> templates;  // owned by the part list
  CSprite* background = nullptr;
  CSprite* currentMarker = nullptr;
  CSprite* highlight = nullptr;
  CSprite* cannotBuy = nullptr;
  CSprite* costSlice = nullptr;
  Vec2 position{55, -210};
  Vec2 target{55, -210};
  // The price under each template, in row order.
  std::vector<std::unique_ptr<CTextLabel>> prices;

 private:
  void placePrice(size_t index);
};

constexpr float kShopX = 55.0f;
constexpr float kShopShownY = 46.0f;
constexpr float kShopHiddenY = -210.0f;
constexpr float kTemplateDrop = 44.0f;  // templates sit this far below the panel's top

// What the mouse press gets for a part under the mouse: a copy bought from a
// template of the current player, the player's own placed part, or null.
// Nothing at all once the game is over.
CGamePart* buyOrPick(CGamePart* part, int currentPlayer);

// The name players know a part by, from its file name: "player1_2_wall.xml"
// with the prefix "player1" gives "wall".
std::string partName(const std::string& fileName, const std::string& prefix);

// Whether a press or hover at `point` reaches the part: anywhere inside its
// picture for a template in the shop row, where small parts are otherwise
// hard to catch, and only on its solid pixels for a part on the board.
bool reachesPart(const CGamePart& part, Vec2 point);
