// Fuzz target for the game's own data files read through their records'
// bindings, the way a start reads them: arbitrary bytes are each player's
// part file, the match settings, the application settings and the player's
// options, in a scratch data folder. Odd values (huge, negative, not a
// number, missing, of the wrong type) must neither crash nor leak, what the
// game writes back must read as the values it plays with, and one input
// must leave nothing behind for the next.
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iostream>
#include <memory>
#include <string>

#include "app/app_settings.h"
#include "app/options.h"
#include "engine/xml_bind.h"
#include "game/game_manager.h"
#include "game/game_part.h"
#include "game/match_settings.h"
#include "longest_input.h"
#include "platform/null_device.h"
#include "platform/picture.h"
#include "render/sprite.h"
#include "sim/blood.h"

namespace {

CLongestInput g_longest("binding_fuzz");

// A 6 x 6 picture, part opaque and part clear, so a mask read from it has
// solid pixels and holes.
const unsigned char kPicture[] = {
    0x89, 0x50, 0x4e, 0x47, 0x0d, 0x0a, 0x1a, 0x0a, 0x00, 0x00, 0x00, 0x0d, 0x49, 0x48, 0x44,
    0x52, 0x00, 0x00, 0x00, 0x06, 0x00, 0x00, 0x00, 0x06, 0x08, 0x06, 0x00, 0x00, 0x00, 0xe0,
    0xcc, 0xef, 0x48, 0x00, 0x00, 0x00, 0x1e, 0x49, 0x44, 0x41, 0x54, 0x78, 0xda, 0x63, 0x38,
    0xa1, 0xa1, 0xc1, 0x00, 0xc4, 0xff, 0xa1, 0x18, 0xce, 0xc6, 0x2a, 0x08, 0x62, 0x33, 0x60,
    0x13, 0x84, 0xe9, 0xa0, 0x92, 0x51, 0x00, 0x92, 0x10, 0x3f, 0x49, 0x95, 0x16, 0x27, 0x59,
    0x00, 0x00, 0x00, 0x00, 0x49, 0x45, 0x4e, 0x44, 0xae, 0x42, 0x60, 0x82};

// Where the input goes: under each player's part name, so both shops fill
// from it and both controllers bind, and under every settings file.
const char* const kInputFiles[] = {"data/parts/player1_1_fuzz.xml", "data/parts/player2_1_fuzz.xml",
                                   "data/settings.xml", "data/app_settings.xml", "data/options.xml"};

// The null device, but a picture path that leaves the scratch folder reads
// as missing: what an input names never depends on the machine it runs on.
class CScratchDevice : public platform::NullDevice {
 public:
  bool getImageInfoFromFile(const std::string& path, platform::ImageInfo& info) override {
    return inside(path) && NullDevice::getImageInfoFromFile(path, info);
  }
  std::unique_ptr<platform::Texture> createTextureFromFile(const std::string& path) override {
    return inside(path) ? NullDevice::createTextureFromFile(path) : nullptr;
  }

 private:
  static bool inside(const std::string& path) {
    const std::string native = platform::nativePath(path);
    if (native.empty() || native[0] == '/') return false;
    std::size_t begin = 0;
    while (begin <= native.size()) {
      std::size_t end = native.find('/', begin);
      if (end == std::string::npos) end = native.size();
      if (native.compare(begin, end - begin, "..") == 0) return false;
      begin = end + 1;
    }
    return true;
  }
};

void writeBytes(const std::string& path, const uint8_t* data, std::size_t size) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

// Removes every file in the folder (not its subfolders).
void removeFilesIn(const std::string& folder) {
  DIR* dir = opendir(folder.c_str());
  if (!dir) return;
  while (dirent* entry = readdir(dir)) {
    const std::string path = folder + "/" + entry->d_name;
    struct stat st {};
    if (lstat(path.c_str(), &st) == 0 && !S_ISDIR(st.st_mode)) unlink(path.c_str());
  }
  closedir(dir);
}

void removeTree(const std::string& folder) {
  for (const char* sub : {"/data/gfx", "/data/parts", "/data", ""}) {
    removeFilesIn(folder + sub);
    rmdir((folder + sub).c_str());
  }
}

// The scratch folder: data/, data/parts/ and the pictures the shipped part
// files name, under data/gfx/. Made once, removed as the process ends.
struct CScratch {
  std::string root;

  CScratch() {
    const char* tmp = std::getenv("TMPDIR");
    std::string pattern = std::string(tmp && *tmp ? tmp : "/tmp") + "/vesicor-binding-fuzz-XXXXXX";
    if (!mkdtemp(pattern.data())) std::abort();
    root = pattern;
    for (const char* sub : {"/data", "/data/gfx", "/data/parts"}) {
      if (mkdir((root + sub).c_str(), 0700) != 0) std::abort();
    }
    for (const char* player : {"p1_", "p2_"}) {
      for (const char* kind : {"paddle", "wall", "scoop", "funnel", "bomb"}) {
        for (const char* suffix : {".png", "_mask.png"}) {
          writeBytes(root + "/data/gfx/" + player + kind + suffix, kPicture, sizeof kPicture);
        }
      }
    }
    writeBytes(root + "/data/gfx/stomach.png", kPicture, sizeof kPicture);
    writeBytes(root + "/data/gfx/stomach_mask.png", kPicture, sizeof kPicture);
  }
  ~CScratch() { removeTree(root); }
};

bool sameBits(float a, float b) { return std::memcmp(&a, &b, sizeof a) == 0; }

bool sameSettings(const MatchSettings& a, const MatchSettings& b) {
  return sameBits(a.value1, b.value1) && sameBits(a.value2, b.value2) && sameBits(a.target1, b.target1) &&
         sameBits(a.target2, b.target2) && sameBits(a.turnLength, b.turnLength) &&
         sameBits(a.changeTime, b.changeTime) && a.draggingAllowed == b.draggingAllowed;
}

// A game started on the input as every file it reads at the start, its
// controllers bound; the settings it wrote back read again.
void startGame() {
  const int firstId = g_lastPartId;
  {
    CGameManager game;
    g_game = &game;
    bindControllers(game);
    MatchSettings written;
    brin::ReadXmlFile(written, "data/settings.xml", "Settings");
    if (!sameSettings(written, settingsOf(game))) std::abort();
    for (CGamePart* part : g_partList) delete part;
    g_partList.clear();
    g_game = nullptr;
  }
  // What a game leaves in the globals is put back as a new process has it.
  valueScale = 20000;
  draggingAllowed = false;
  setEarnReceiver(nullptr);
  g_lastPartId = firstId;
  // Every sprite a game made belongs to something it destroyed.
  if (!spriteList().empty()) std::abort();
}

void readOptions() {
  const COptions options = loadOptions();
  if (!(options.volume >= 0.0f && options.volume <= 1.0f)) std::abort();
  if (!saveOptions(options)) return;
  const COptions again = loadOptions();
  if (!sameBits(again.volume, options.volume) || again.muted != options.muted ||
      again.hintShown != options.hintShown) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  g_longest.note(size);
  static const CScratch scratch;
  // The binding's warnings and the files' messages would drown the log of a
  // long run; what is checked here is what the game does, not what it says.
  static const bool quiet = [] {
    std::cout.setstate(std::ios::failbit);
    std::cerr.setstate(std::ios::failbit);
    platform::setDevice(std::make_unique<CScratchDevice>());
    return true;
  }();
  (void)quiet;

  // The game reads its files from the working folder; the caller's is put
  // back before returning, where the fuzzer writes what it finds.
  const int caller = open(".", O_RDONLY | O_DIRECTORY);
  if (caller < 0 || chdir(scratch.root.c_str()) != 0) std::abort();
  for (const char* path : kInputFiles) writeBytes(path, data, size);

  startGame();
  CAppSettings app;
  loadAppSettings(app);
  readOptions();

  removeFilesIn("data/parts");
  removeFilesIn("data");
  if (fchdir(caller) != 0) std::abort();
  close(caller);
  return 0;
}
