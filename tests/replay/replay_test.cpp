// Recorded replays of the whole game: each script under tests/replay/scripts
// runs headless from its seed and timed events, and must end in the world
// hash it records. A changed hash is a changed behaviour, which the change
// that caused it must explain; tools/update_replays.sh records new hashes.
#include <dirent.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <iomanip>
#include <sstream>
#include <string>
#include <vector>

#include "support/scripted_game.h"

namespace {

const char* kScriptDir = "tests/replay/scripts";

std::vector<std::string> scriptNames() {
  std::vector<std::string> names;
  if (DIR* d = opendir(kScriptDir)) {
    while (dirent* e = readdir(d)) {
      std::string n = e->d_name;
      if (n.size() > 7 && n.compare(n.size() - 7, 7, ".replay") == 0) names.push_back(n);
    }
    closedir(d);
  }
  std::sort(names.begin(), names.end());
  return names;
}

std::string readText(const std::string& path) {
  std::ifstream in(path);
  std::stringstream ss;
  ss << in.rdbuf();
  return ss.str();
}

// "require" lines state what the replay is about, beyond its hash.
struct Requirements {
  int gameOver = -1;
  int minParts = -1;
  int parts = -1;
  float minValue1 = -1e30f, minValue2 = -1e30f;
  float maxValue1 = 1e30f, maxValue2 = 1e30f;
};

std::string takeRequirements(const std::string& text, Requirements& req) {
  std::istringstream in(text);
  std::ostringstream rest;
  std::string line;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    std::string first, what;
    words >> first;
    if (first != "require") {
      rest << line << "\n";
      continue;
    }
    words >> what;
    if (what == "gameover") {
      words >> req.gameOver;
    } else if (what == "parts") {
      words >> req.parts;
    } else if (what == "min-parts") {
      words >> req.minParts;
    } else if (what == "min-value1") {
      words >> req.minValue1;
    } else if (what == "min-value2") {
      words >> req.minValue2;
    } else if (what == "max-value1") {
      words >> req.maxValue1;
    } else if (what == "max-value2") {
      words >> req.maxValue2;
    }
    rest << "\n";
  }
  return rest.str();
}

void recordHash(const std::string& path, const std::string& hex) {
  std::istringstream in(readText(path));
  std::ostringstream out;
  std::string line;
  bool written = false;
  while (std::getline(in, line)) {
    if (line.rfind("expect ", 0) == 0) {
      out << "expect " << hex << "\n";
      written = true;
    } else {
      out << line << "\n";
    }
  }
  if (!written) out << "expect " << hex << "\n";
  std::ofstream(path) << out.str();
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, EndsInTheRecordedWorld) {
  std::string path = std::string(kScriptDir) + "/" + GetParam();
  Requirements req;
  std::string text = takeRequirements(readText(path), req);
  testing_support::GameScript script;
  std::string expect, error;
  ASSERT_TRUE(testing_support::parseScript(text, script, expect, error)) << path << ": " << error;
  auto r = testing_support::runGame(script);
  ASSERT_TRUE(r.started) << r.output;
  ASSERT_FALSE(r.crashed);

  if (req.gameOver >= 0) {
    EXPECT_EQ(r.gameOver, req.gameOver == 1);
  }
  if (req.parts >= 0) {
    EXPECT_EQ(r.parts, req.parts);
  }
  if (req.minParts >= 0) {
    EXPECT_GE(r.parts, req.minParts);
  }
  EXPECT_GE(r.value1, req.minValue1);
  EXPECT_GE(r.value2, req.minValue2);
  EXPECT_LE(r.value1, req.maxValue1);
  EXPECT_LE(r.value2, req.maxValue2);

  std::ostringstream hex;
  hex << std::hex << std::setw(16) << std::setfill('0') << r.hash;
  if (std::getenv("VESICOR_UPDATE_REPLAYS")) {
    recordHash(path, hex.str());
    std::printf("%s: recorded %s\n", GetParam().c_str(), hex.str().c_str());
    return;
  }
  EXPECT_EQ(hex.str(), expect) << GetParam() << " ended in another world (values " << r.value1 << " / "
                               << r.value2 << ", parts " << r.parts << ")";

  // The same script twice gives the same world.
  auto again = testing_support::runGame(script);
  EXPECT_EQ(again.hash, r.hash);
}

INSTANTIATE_TEST_SUITE_P(Scripts, Replay, ::testing::ValuesIn(scriptNames()),
                         [](const ::testing::TestParamInfo<std::string>& param) {
                           std::string n = param.param.substr(0, param.param.size() - 7);
                           for (char& c : n) {
                             if (!isalnum(static_cast<unsigned char>(c))) c = '_';
                           }
                           return n;
                         });
GTEST_ALLOW_UNINSTANTIATED_PARAMETERIZED_TEST(Replay);

}  // namespace
