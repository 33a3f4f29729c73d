// Game parts: the solid pictures players buy and lay into the blood, their
// loading from part files, moving and turning, dropping, explosions and fading.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/math2d.h"
#include "render/image.h"
#include "sim/placement.h"

namespace brin { struct CXmlBindContext; }
struct CSprite;
class CShop;
struct CDragState;

// The last id handed out; a new match winds it back to the start's.
extern int g_lastPartId;
// Parts are numbered from the start again, as in a new process (a game
// begun after another, once the old parts are gone).
void resetPartIds();

class CGamePart : public CPlacedMask {
 public:
  // Takes the next id; the first part ever made gets 2.
  CGamePart();
  // Leaves the grid and frees the pictures (see destroy()).
  ~CGamePart();
  CGamePart(const CGamePart&) = delete;
  CGamePart& operator=(const CGamePart&) = delete;

  // The part file's five keys; reading also loads the pictures they name.
  void Bind(brin::CXmlBindContext& ctx);
  // Releases any masks and the sprite, then loads the mask from fileName
  // (serving as the rotated mask too) and the sprite from imageFile.
  void loadPictures();

  // Both are no-ops for a move to the same point or a turn of 0.025 or less.
  void setGridPosition(Vec2 gridPoint);
  void setRotation(float angle);

  // Puts the part exactly at a grid point and angle recorded earlier (a new
  // match restores the start), without the thresholds of the two above.
  void restorePose(Vec2 gridPoint, float angle);

  // Whether the part, moved to the grid point and turned to the angle by the
  // rules of the two above, would share a solid cell with `other`.
  bool wouldOverlap(Vec2 gridPoint, float angle, const CPlacedMask& other) const;

  Vec2 screenCentre() const { return screen; }
  bool isTemplate() const { return inShop; }

  // Once per simulation step from the part list pass: fading and finishing.
  void update();
  // Laying the part down: its lifetime starts, it may be locked in the
  // arena, and a bomb explodes where it lies.
  void drop();
  // Out of the grid, masks and sprite released. Safe to call twice.
  void destroy();

  CShop* ownerShop = nullptr;
  bool finished = false;
  Vec2 screen;  // always gridToScreen of the grid position
  float rotation = 0;
  std::unique_ptr<CAlphaMask> mask;
  CSprite* sprite = nullptr;
  int ownerPlayer = 0;  // 1 or 2; -1 once locked; 0 for the stomach
  std::string fileName;
  std::string imageFile;
  bool inShop = false;
  float cost = 2000;
  float lifetime = 20000;     // ms, from the first drop
  uint32_t placedTime = 0;    // 0 until first dropped; fade start once dying
  int bomb = 0;
  bool dying = false;
  // Driven by a player's keys: never bought, picked, aged or blown up.
  bool steered = false;
  // What players call it ("wall"), from its part file's name; for the help.
  std::string name;

 private:
  void releaseMasks();
  void placeSprite();
  // A turned copy of the mask, when the part is turned at all; rotatedMask
  // points either here or at the mask itself.
  std::unique_ptr<CAlphaMask> ownedRotatedMask;
};

// Reads a part file (paths in it are used as written). The caller owns it.
// A part left without a mask (none named, or its picture unreadable) is
// named in one line on standard output.
std::unique_ptr<CGamePart> loadGamePart(const std::string& path);

// A fresh part like the template, with its own pictures and id, lying where
// the template lies and turned like it; not in the grid, not yet placed.
std::unique_ptr<CGamePart> copyGamePart(const CGamePart& templatePart);

// Every placed part within 45 pixels of the point starts dying; with the
// BombReturnsPaddle rule a steered part that near is sent back to its start.
void explode(Vec2 screenPoint);

// The main loop's pass over the part list: finished parts are forgotten by
// the drag state and destroyed, the rest aged.
void partListPass(CDragState& drag);

// Every part but the stomach, owning; lives for the whole run.
extern std::vector<CGamePart*> g_partList;
