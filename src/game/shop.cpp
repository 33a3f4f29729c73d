// Shops: filling from the part files, the sliding row of templates, the
// hover marker and cost slice on the value bar, and buying copies.
#include "game/shop.h"

#include <cmath>
#include <cstdio>

#include "engine/directory_listing.h"
#include "game/feedback.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/player_controller.h"
#include "game/rules.h"
#include "render/sprite.h"
#include "render/text_label.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"

namespace {

void moveSprite(CSprite* sprite, float dx, float dy) {
  if (!sprite) return;
  sprite->x += dx;
  sprite->y += dy;
}

void setHidden(CSprite* sprite, bool hidden) {
  if (sprite) sprite->hidden = hidden;
}

void centreSprite(CSprite* sprite, Vec2 centre) {
  if (!sprite) return;
  sprite->x = centre.x - sprite->width * sprite->scaleX * 0.5f;
  sprite->y = centre.y - sprite->height * sprite->scaleY * 0.5f;
}

void moveToScreen(CGamePart* part, Vec2 point) { part->setGridPosition(screenToGrid(point)); }

// Prices sit this far under the row's centre line, inside the panel.
constexpr float kPriceBelowRow = 28.0f;
// The marker over the value bars: drawn after the bars (layer 100), which are
// opaque, so the share a purchase would spend shows on the filled bar.
constexpr int kCostSliceLayer = 99;
constexpr int kPriceLayer = 99;

std::string priceText(float cost) {
  char text[32];
  std::snprintf(text, sizeof text, "%.0f", static_cast<double>(cost));
  return text;
}

}  // namespace

std::string partName(const std::string& fileName, const std::string& prefix) {
  std::string stem = fileName;
  if (stem.size() >= 4 && stem.compare(stem.size() - 4, 4, ".xml") == 0) stem.resize(stem.size() - 4);
  std::string rest = stem.compare(0, prefix.size(), prefix) == 0 ? stem.substr(prefix.size()) : stem;
  // "player1_2_wall" orders the shop by its number; players call it "wall".
  size_t start = rest.find_first_not_of("_-. 0123456789");
  if (start == std::string::npos) return stem;
  return rest.substr(start);
}

CShop::~CShop() {
  for (CSprite* sprite : {background, costSlice, highlight, cannotBuy}) destroySprite(sprite);
}

void CShop::loadPictures() {
  background = createSprite("data/gfx/shop_background.png", 100);
  background->x = kShopX;
  background->y = kShopHiddenY;
  costSlice = createSprite("data/gfx/timer_slice.png", kCostSliceLayer);
  costSlice->hidden = true;
  highlight = createSprite("data/gfx/shop_highlight.png", 100);
  highlight->behindGrid = false;
  highlight->hidden = true;
  cannotBuy = createSprite("data/gfx/shop_nocan.png", 100);
  cannotBuy->behindGrid = false;
  cannotBuy->hidden = true;
  bringSpriteToFront(cannotBuy);
  currentMarker = cannotBuy;
  currentMarker->x = kShopX;
  currentMarker->y = kShopHiddenY;
  shown = 0;
  position = Vec2{kShopX, kShopHiddenY};
  target = position;
}

void CShop::fill(const std::string& name, int player) {
  brin::CDirectoryListing listing;
  listing.List("data/parts/" + name + "*.xml");
  while (!listing.AtEnd()) {
    std::string file = listing.Next();
    if (file == "stomach.xml") continue;
    CGamePart* part = loadGamePart("data/parts/" + file).release();
    part->name = partName(file, name);
    moveToScreen(part, Vec2{100, 30});
    stamp(*part, Vec2{0, -1});
    if (part->sprite) part->sprite->behindGrid = false;
    part->ownerPlayer = player;
    g_partList.push_back(part);
    addTemplate(part);
  }
}

void CShop::addTemplate(CGamePart* part) {
  templates.push_back(part);
  auto label = std::make_unique<CTextLabel>(kPriceLayer, false);
  label->setText(priceText(part->cost));
  prices.push_back(std::move(label));
  float spacing = 392.0f / static_cast<float>(templates.size() + 1);
  float x = kShopX;
  for (CGamePart* t : templates) {
    x += spacing;
    moveToScreen(t, Vec2{x, t->screenCentre().y});
  }
  float rowY = (shown ? kShopShownY : kShopHiddenY) + kTemplateDrop;
  moveToScreen(part, Vec2{x, rowY});
  part->inShop = true;
  part->ownerShop = this;
  for (size_t i = 0; i < templates.size(); ++i) placePrice(i);
}

void CShop::replaceTemplate(CGamePart* leaving, CGamePart* forSale) {
  for (size_t i = 0; i < templates.size(); ++i) {
    if (templates[i] != leaving) continue;
    Vec2 place = leaving->screenCentre();
    templates[i] = forSale;
    leaving->inShop = false;
    leaving->ownerShop = nullptr;
    moveToScreen(forSale, place);
    forSale->inShop = true;
    forSale->ownerShop = this;
    prices[i]->setText(priceText(forSale->cost));
    placePrice(i);
    return;
  }
}

void CShop::resetHidden() {
  shown = 0;
  position = Vec2{kShopX, kShopHiddenY};
  target = position;
  if (background) {
    background->x = kShopX;
    background->y = kShopHiddenY;
  }
  setHidden(costSlice, true);
  setHidden(highlight, true);
  setHidden(cannotBuy, true);
  currentMarker = cannotBuy;
  if (currentMarker) {
    currentMarker->x = kShopX;
    currentMarker->y = kShopHiddenY;
  }
  for (size_t i = 0; i < templates.size(); ++i) placePrice(i);
}

void CShop::placePrice(size_t index) {
  Vec2 centre = templates[index]->screenCentre();
  prices[index]->setPosition(centre.x, centre.y + kPriceBelowRow - kGlyphHeight * 0.5f, CTextLabel::kCentre);
}

void CShop::showAffordability(float value) {
  for (size_t i = 0; i < templates.size(); ++i) {
    if (templates[i]->cost > value) {
      prices[i]->setColor(1.0f, 0.45f, 0.5f, 0.8f);
    } else {
      prices[i]->setColor(1, 1, 1, 1);
    }
  }
}

void CShop::slide() {
  if (absf(target.y - position.y) <= 0.5f) return;
  float dx = (target.x - position.x) * 0.25f;
  float dy = (target.y - position.y) * 0.25f;
  moveSprite(background, dx, dy);
  moveSprite(currentMarker, dx, dy);
  for (CGamePart* t : templates) {
    Vec2 centre = t->screenCentre();
    moveToScreen(t, Vec2{centre.x + dx, centre.y + dy});
  }
  for (auto& label : prices) label->move(dx, dy);
  position.x += dx;
  position.y += dy;
}

void CShop::show() {
  shown = 1;
  target = Vec2{kShopX, kShopShownY};
}

void CShop::hide() {
  shown = 0;
  target = Vec2{kShopX, kShopHiddenY};
  setHidden(costSlice, true);
  // A marker left showing would float over the other player's shop, or over
  // the board, for the whole next turn.
  setHidden(highlight, true);
  setHidden(cannotBuy, true);
}

void CShop::hover(Vec2 mouse) {
  CGamePart* found = nullptr;
  for (CGamePart* t : templates) {
    if (reachesPart(*t, mouse)) {
      found = t;
      break;
    }
  }
  if (!found) {
    setHidden(currentMarker, true);
    setHidden(costSlice, true);
    return;
  }
  setHidden(costSlice, false);

  int player = found->ownerPlayer;
  float costShare = found->cost / valueScale;
  float fill = 0;
  if (g_game) {
    fill = player == 1 ? g_game->player1Value / g_game->player1Target
                       : g_game->player2Value / g_game->player2Target;
    fill = clampf(fill, 0, 1);
  }
  Vec2 point = costShare > fill ? Vec2{0, 0} : barPoint(player == 1 ? 1 : 2, fill);
  bool affordable = !(point.x == 0 && point.y == 0);

  CSprite* chosen = affordable ? highlight : cannotBuy;
  if (!affordable) setHidden(costSlice, true);
  setHidden(highlight, true);
  setHidden(cannotBuy, true);
  if (chosen) {
    chosen->hidden = false;
    chosen->behindGrid = false;
    bringSpriteToFront(chosen);
    centreSprite(chosen, found->screenCentre());
  }
  currentMarker = chosen;

  if (costSlice) {
    costSlice->x = point.x;
    costSlice->y = point.y;
    if (costSlice->width == 0 || costSlice->height == 0) {
      costSlice->scaleX = 0;
      costSlice->scaleY = 0;
    } else {
      costSlice->scaleX = 1;
      costSlice->scaleY = costShare * kBarHeight / costSlice->height;
    }
  }
}

CGamePart* buyOrPick(CGamePart* part, int currentPlayer) {
  if (g_game && g_game->gameOver) return nullptr;
  // A click on the own steered part must neither buy a copy nor lift it out
  // of the controller's hands.
  if (part->steered) return nullptr;
  if (part->inShop) {
    if (CShop* shop = part->ownerShop) {
      setHidden(shop->costSlice, true);
      setHidden(shop->currentMarker, true);
    }
    // Only the player whose turn it is may buy, and only from the own shop:
    // clicking the other player's steered template must not spend for them.
    if (part->ownerPlayer != currentPlayer) return nullptr;
    if (!spendValue(part->ownerPlayer, part->cost)) {
      if (g_feedback) g_feedback->cannotBuy(part->screenCentre());
      return nullptr;
    }
    if (g_feedback) g_feedback->purchased();
    CGamePart* copy = copyGamePart(*part).release();
    copy->ownerPlayer = currentPlayer;
    stamp(*copy, Vec2{0, -1});
    if (copy->sprite) copy->sprite->behindGrid = false;
    g_partList.push_back(copy);
    return copy;
  }
  if (part->dying) return nullptr;
  return part->ownerPlayer == currentPlayer ? part : nullptr;
}

bool reachesPart(const CGamePart& part, Vec2 point) {
  if (!part.inShop || !part.sprite) return hitTest(part, point);
  const CSprite& picture = *part.sprite;
  Vec2 centre = part.screenCentre();
  float dx = point.x - centre.x;
  float dy = point.y - centre.y;
  rotateVector(dx, dy, -part.rotation);
  return std::fabs(dx) <= picture.width * picture.scaleX * 0.5f &&
         std::fabs(dy) <= picture.height * picture.scaleY * 0.5f;
}
