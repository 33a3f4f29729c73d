// The game on broken content (garbage files, no board, lying pictures, part
// files that are not files, never end or run on too long) reports what it
// cannot use and plays on, or refuses to start with a clear message.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <string>

#include "engine/file_io.h"
#include "support/scripted_game.h"
#include "support/temp_folder.h"

namespace {

namespace fs = std::filesystem;
using namespace testing_support;

// Over several turns: buys from both shop rows, drops and turns it all, steers both players.
GameScript clumsyPlay(uint32_t durationMs, const std::string& gfx, const std::string& parts) {
  GameScript s;
  s.durationMs = durationMs, s.gfxDir = gfx, s.partsDir = parts;
  for (uint32_t t0 = 800; t0 < 800 + 4 * 5800; t0 += 5800) {
    for (int slot = 0, x = 60; slot < 6; ++slot, x += 65) {
      const uint32_t t = t0 + static_cast<uint32_t>(slot) * 700;
      s.events.insert(s.events.end(), {{t, motionEvent(x, 90)}, {t + 16, motionEvent(x + 1, 91)},
                                       {t + 40, buttonEvent(true, 1, x + 1, 91)}, {t + 100, motionEvent(250, 300)},
                                       {t + 200, buttonEvent(true, 4, 250, 300)}, {t + 260, buttonEvent(true, 5, 250, 300)},
                                       {t + 300, motionEvent(260, 420)}, {t + 400, buttonEvent(false, 1, 260, 420)}});
    }
    s.events.insert(s.events.end(), {{t0, keyEvent(true, SDLK_w)}, {t0 + 50, keyEvent(true, SDLK_UP)},
                                     {t0 + 300, keyEvent(true, SDLK_a)}, {t0 + 2000, keyEvent(false, SDLK_a)},
                                     {t0 + 2500, keyEvent(false, SDLK_w)}, {t0 + 2600, keyEvent(false, SDLK_UP)}});
  }
  std::stable_sort(s.events.begin(), s.events.end(), [](const TimedEvent& a, const TimedEvent& b) { return a.tick < b.tick; });
  return s;
}

TEST(BadContent, BrokenPartsPicturesBoardAndSettingsAreReportedAndTheGamePlaysOn) {
  GameScript s = clumsyPlay(25000, "tests/badcontent/data/gfx", "tests/badcontent/data/parts");
  s.settingsXml = fileText("tests/badcontent/data/settings_garbage.xml"), s.seed = 9;
  auto r = runGame(s);
  ASSERT_TRUE(r.started && !r.crashed && r.frames > 1500) << "exit " << r.exitCode << "\n" << r.output;
  // Every directory entry gets its line, after the failure line of what is
  // not a picture: the sub-folder, a text file, a lying header, a cut file.
  for (std::string path : {"old", "not_a_picture.png", "huge_header.png", "truncated.png", "a_gif.gif"})
    EXPECT_NE(r.output.find("Couldn't load image: data/gfx/" + path + "\nLoaded: data/gfx/" + path + "\n"), std::string::npos) << path;
  for (const char* line : {"Loaded: data/gfx/opaque_picture.png\n", "Couldn't load image: data/gfx/background.jpg\n",
                           // The part whose fields stand out of order is still read, with warnings.
                           "Xml warning a child node wasn't in the place it should be, order fucked up in node: GamePart"})
    EXPECT_NE(r.output.find(line), std::string::npos) << line;
}

// Each thing the game cannot use gets exactly one line that names it, however
// often the game comes back to it: a picture on every use, a part's values
// and mask, the settings' values (read into their defaults); part files that
// are not files or never end are skipped or cut, and the game plays.
TEST(BadContent, EveryUnusableValuePictureMaskAndPartFileIsNamedInOneLineOnce) {
  const testing_support::TempFolder folder;
  const std::string parts = folder.file("parts"), gfx = folder.file("gfx");
  for (const auto& [from, to] : {std::pair{"data/parts", parts}, {"data/gfx", gfx}}) {
    fs::create_directory(to);
    for (const auto& entry : fs::directory_iterator(from))
      fs::create_symlink(fs::absolute(entry.path()), to + "/" + entry.path().filename().string());
  }
  std::ofstream(gfx + "/zero.png").flush();
  // Both use the empty picture; one names a mask that is not there, the other none.
  std::ofstream(parts + "/player1_9_odd.xml")
      << "<GamePart><Filename>data/gfx/gone.png</Filename><ImageFile>data/gfx/zero.png</ImageFile>"
         "<GameplayCost>1e40</GameplayCost><GameplayIsBomb>2147483648</GameplayIsBomb></GamePart>\n";
  std::ofstream(parts + "/player2_9_odd.xml")
      << "<GamePart><ImageFile>data\\gfx\\Zero.png</ImageFile><GameplayHowLongOnBoard>nan</GameplayHowLongOnBoard>"
         "<GameplayIsBomb>0.5</GameplayIsBomb></GamePart>\n";
  ASSERT_EQ(mkfifo((parts + "/player1_zz_fifo.xml").c_str(), 0600), 0);
  fs::create_symlink("/dev/zero", parts + "/player2_zz_zero.xml");
  std::ofstream(parts + "/player2_zz_endless.xml") << std::string(3 << 20, '<');
  // A part whose file runs on past the limit in short lines (one byte over is already too long).
  std::string tooLong = "<GamePart><Filename>data/gfx/p1_wall_mask.png</Filename><ImageFile>data/gfx/p1_wall.png</ImageFile>\n";
  while (tooLong.size() <= brin::kMaxFileBytes) tooLong += std::string(999, 'x') + "\n";
  tooLong.resize(brin::kMaxFileBytes + 1);
  std::ofstream(parts + "/player1_zz_long.xml") << tooLong;
  GameScript s = clumsyPlay(8000, gfx, parts);
  s.settingsXml = "<Settings><P1_InitValue>fast</P1_InitValue><P2_InitValue>inf</P2_InitValue>"
                  "<P1_TargetValue>1e309</P1_TargetValue><P2_TargetValue>2147483648</P2_TargetValue>"
                  "<TurnLength></TurnLength><ChangeTime>1234567</ChangeTime>"
                  "<DraggingAllowed>1e309</DraggingAllowed></Settings>\n";
  auto r = runGame(s);
  ASSERT_TRUE(r.started && !r.crashed && r.frames > 400) << "exit " << r.exitCode << "\n" << r.output;
  const std::string noBody = "; blood flows through the part and it cannot be picked up on the board";
  const std::string lines[] = {
      "data/settings.xml: P1_InitValue is \"fast\", not a number; using 5000",
      "data/settings.xml: P2_InitValue is \"inf\", not a finite number; using 5000",
      "data/settings.xml: P1_TargetValue is \"1e309\", out of range for a float; using 30000",
      "data/settings.xml: TurnLength is \"\", not a number; using 5000",
      "data/settings.xml: DraggingAllowed is \"1e309\", not 0 or 1; using 0",
      "data/parts/player1_9_odd.xml: GameplayCost is \"1e40\", out of range for a float; using 2000",
      "data/parts/player1_9_odd.xml: GameplayIsBomb is \"2147483648\", out of range for an int; using 0",
      "data/parts/player2_9_odd.xml: GameplayHowLongOnBoard is \"nan\", not a finite number; using 20000",
      "data/parts/player2_9_odd.xml: GameplayIsBomb is \"0.5\", not a whole number; using 0",
      "Couldn't load image: data/gfx/zero.png",
      "Couldn't load image: data/gfx/gone.png",
      "Part data/parts/player1_9_odd.xml: its mask picture data/gfx/gone.png could not be read" + noBody,
      "Part data/parts/player2_9_odd.xml: it names no mask picture (Filename)" + noBody,
      "Skipped data/parts/player1_zz_fifo.xml: not a regular file",
      "Skipped data/parts/player2_zz_zero.xml: not a regular file",
      "Cut data/parts/player2_zz_endless.xml after 1048576 bytes: a line longer than 1048576 bytes",
      "Cut data/parts/player1_zz_long.xml after " + std::to_string(brin::kMaxFileBytes) + " bytes: the file is longer",
  };
  for (const std::string& line : lines)
    EXPECT_EQ(occurrences("\n" + r.output, "\n" + line + "\n"), 1) << line << "\n" << r.output;
  // Large values that read are no one's concern.
  for (const char* quiet : {"P2_TargetValue", "ChangeTime", "Zero.png"})
    EXPECT_EQ(r.output.find(quiet), std::string::npos) << quiet << "\n" << r.output;
  // No parts at all: start-up refuses with a message.
  fs::create_directories(folder.file("none/gfx"));
  auto empty = runGame(clumsyPlay(1000, folder.file("none/gfx"), folder.file("none/gfx")));
  EXPECT_TRUE(!empty.started && !empty.crashed && empty.output.find("Cannot start") != std::string::npos) << empty.output;
}

}  // namespace
