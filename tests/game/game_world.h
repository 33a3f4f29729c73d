// A small game world for the rule tests: a temporary data folder with tiny
// pictures and part files, the null device, a fake clock, and helpers.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <memory>
#include <string>

#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/game_scene.h"
#include "core/math2d.h"
#include "support/temp_folder.h"

// The pictures the screen needs, small and plain, into `gfxDir`.
void writePictures(const std::string& gfxDir);

class GameWorld : public ::testing::Test {
 protected:
  void SetUp() override;
  void TearDown() override;

  // A part file under data/parts/ whose mask and picture is a 20 x 20 square.
  static void writePart(const std::string& fileName, float cost = 1000, float lifetime = 20000, int bomb = 0,
                        const std::string& picture = "data/gfx/block.png");
  static void writeFile(const std::string& path, const std::string& text);
  // One template for each player, then the scene (if not built yet) and the
  // manager published in the globals; with `bind` the controllers are bound
  // as at start-up.
  void buildGame(bool bind = true, bool parts = true);
  void buildScene() { g_scene = (scene = std::make_unique<CGameScene>()).get(); }
  // What the main loop does for the rules once per frame.
  void frame();
  // The first frame, then a second of frames: player 1's shop has slid in.
  void startTurn();
  // A part lying on the board with its centre at (about) the screen point,
  // owned by `owner`, already dropped unless `placed` is false.
  CGamePart* placePart(int owner, Vec2 screenPoint, bool placed = true, int bomb = 0);
  // Where the tests were started: the source tree, with the real content.
  std::string sourceDir() const { return cwd_.previous.string(); }

  uint32_t now = 1000;
  std::unique_ptr<CGameScene> scene;
  std::unique_ptr<CGameManager> game;
  CDragState drag{};

 private:
  testing_support::TempFolder folder_;
  testing_support::WorkingDirectory cwd_{folder_.path()};
};
