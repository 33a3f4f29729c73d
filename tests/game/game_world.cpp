// The rule tests' world: temporary data folder, pictures, part files, null
// device, fake clock, and a teardown that leaves no global state behind.
#include "game_world.h"

#include <filesystem>
#include <fstream>
#include <sstream>

#include "platform/clock.h"
#include "platform/null_device.h"
#include "render/sprite.h"
#include "sim/blood.h"
#include "sim/cell_grid.h"
#include "sim/placement.h"
#include "support/png_writer.h"

namespace fs = std::filesystem;

void writePictures(const std::string& gfxDir) {
  // Sizes tell the pictures apart: turn banners are 32 tall, winner banners 40 and 44.
  const struct {
    const char* name;
    int w, h;
    uint32_t argb;
  } pictures[] = {{"block.png", 20, 20, 0xffcc2222},         {"empty.png", 8, 8, 0},
                  {"background.jpg", 64, 64, 0xff402020},    {"player1_bar.png", 8, 100, 0xff2222cc},
                  {"player2_bar.png", 8, 100, 0xffcc2222},   {"timer_down.png", 100, 10, 0xffffffff},
                  {"timer_up.png", 104, 14, 0xff808080},     {"dude.png", 16, 16, 0xff00ff00},
                  {"shadow.png", 16, 16, 0x80000000},        {"shop_background.png", 400, 100, 0xff303030},
                  {"shop_highlight.png", 24, 24, 0x8000ff00}, {"shop_nocan.png", 24, 24, 0x80ff0000},
                  {"timer_slice.png", 8, 10, 0xffffff00},    {"player1_turn.png", 64, 32, 0xff0000ff},
                  {"player2_turn.png", 64, 32, 0xffff0000},  {"player1_wins.png", 64, 40, 0xff0000ff},
                  {"player2_wins.png", 64, 44, 0xffff0000},  {"particle.png", 2, 2, 0xffff0000}};
  for (const auto& p : pictures) ASSERT_TRUE(testing_support::writeSolidPng(gfxDir + "/" + p.name, p.w, p.h, p.argb));
}

void GameWorld::SetUp() {
  fs::create_directories("data/gfx");
  fs::create_directories("data/parts");
  writePictures("data/gfx");
  // The board holds no walls here, so only the tests' parts are solid.
  writeFile("data/parts/stomach.xml",
            "<GamePart><Filename>data/gfx/empty.png</Filename><ImageFile>data/gfx/empty.png</ImageFile></GamePart>\n");
  platform::setDevice(platform::createNullDevice());
  platform::setTickSource([this] { return now; });
}

void GameWorld::TearDown() {
  for (CGamePart* part : g_partList) delete part;
  g_partList.clear();
  game.reset();
  scene.reset();
  g_game = nullptr;
  g_scene = nullptr;
  valueScale = 20000;
  draggingAllowed = false;
  g_motionsSinceHover = 0;
  setEarnReceiver(nullptr);
  g_cellGrid.clear();
  destroyAllSprites();
  platform::releaseDevice();
  platform::resetTickSource();
}

void GameWorld::writeFile(const std::string& path, const std::string& text) {
  std::ofstream(path, std::ios::binary) << text;
}

void GameWorld::writePart(const std::string& fileName, float cost, float lifetime, int bomb,
                          const std::string& picture) {
  std::ostringstream xml;
  xml << "<GamePart>\n  <Filename>" << picture << "</Filename>\n  <ImageFile>" << picture
      << "</ImageFile>\n  <GameplayCost>" << cost << "</GameplayCost>\n  <GameplayHowLongOnBoard>" << lifetime
      << "</GameplayHowLongOnBoard>\n  <GameplayIsBomb>" << bomb << "</GameplayIsBomb>\n</GamePart>\n";
  writeFile("data/parts/" + fileName, xml.str());
}

void GameWorld::buildGame(bool bind, bool parts) {
  if (parts && !fs::exists("data/parts/player1_a.xml")) writePart("player1_a.xml");
  if (parts && !fs::exists("data/parts/player2_a.xml")) writePart("player2_a.xml");
  if (!scene) buildScene();
  game = std::make_unique<CGameManager>();
  g_game = game.get();
  drag.game = game.get();
  if (bind) {
    ASSERT_TRUE(bindControllers(*game));
  }
}

void GameWorld::frame() {
  partListPass(drag);
  if (game) game->update(*scene, drag);
  if (scene) scene->update();
}

void GameWorld::startTurn() {
  frame();
  for (int i = 0; i < 60; ++i) now += 16, frame();
}

CGamePart* GameWorld::placePart(int owner, Vec2 screenPoint, bool placed, int bomb) {
  auto part = std::make_unique<CGamePart>();
  part->fileName = part->imageFile = "data/gfx/block.png";
  part->bomb = bomb;
  part->loadPictures();
  part->setGridPosition(screenToGrid(screenPoint));
  stamp(*part, Vec2{0, -1});
  part->ownerPlayer = owner;
  if (placed) part->placedTime = now;
  g_partList.push_back(part.get());
  return part.release();
}
