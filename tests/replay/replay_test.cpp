// Recorded replays of the whole game: each script under tests/replay/scripts
// runs headless from its seed and timed events, and must end in the world
// hash it records. A changed hash is a changed behaviour, which the change
// that caused it must explain; tools/update_replays.sh records new hashes.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iomanip>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "support/scripted_game.h"

namespace {

const char* kScriptDir = "tests/replay/scripts";

std::vector<std::string> scriptNames() {
  std::vector<std::string> names;
  for (const auto& e : std::filesystem::directory_iterator(kScriptDir))
    if (e.path().extension() == ".replay") names.push_back(e.path().filename());
  std::sort(names.begin(), names.end());
  return names;
}

std::string readText(const std::string& path) {
  std::stringstream ss;
  ss << std::ifstream(path).rdbuf();
  return ss.str();
}

// The "require" lines state what a replay is about beyond its hash; they are
// blanked so the script's line numbers in parse errors stay right.
std::string takeRequirements(const std::string& text, std::map<std::string, float>& req) {
  std::istringstream in(text);
  std::ostringstream rest;
  std::string line, first, what;
  while (std::getline(in, line)) {
    std::istringstream words(line);
    if (!(words >> first) || first != "require") {
      rest << line << "\n";
      continue;
    }
    words >> what >> req[what];
    rest << "\n";
  }
  return rest.str();
}

class Replay : public ::testing::TestWithParam<std::string> {};

TEST_P(Replay, EndsInTheRecordedWorld) {
  const std::string path = std::string(kScriptDir) + "/" + GetParam();
  std::map<std::string, float> req;
  testing_support::GameScript script;
  std::string expect, error;
  ASSERT_TRUE(testing_support::parseScript(takeRequirements(readText(path), req), script, expect, error))
      << path << ": " << error;
  const auto r = testing_support::runGame(script);
  ASSERT_TRUE(r.started) << r.output;
  ASSERT_FALSE(r.crashed);
  for (const auto& [what, bound] : req) {
    SCOPED_TRACE("require " + what);
    if (what == "gameover") EXPECT_EQ(r.gameOver, bound == 1);
    else if (what == "parts") EXPECT_EQ(r.parts, static_cast<int>(bound));
    else if (what == "min-parts") EXPECT_GE(r.parts, static_cast<int>(bound));
    else if (what == "min-value1") EXPECT_GE(r.value1, bound);
    else if (what == "min-value2") EXPECT_GE(r.value2, bound);
    else if (what == "max-value1") EXPECT_LE(r.value1, bound);
    else if (what == "max-value2") EXPECT_LE(r.value2, bound);
    else ADD_FAILURE() << "unknown requirement";
  }

  std::ostringstream hex;
  hex << std::hex << std::setw(16) << std::setfill('0') << r.hash;
  if (std::getenv("VESICOR_UPDATE_REPLAYS")) {
    std::istringstream in(readText(path));
    std::ostringstream out;
    std::string line;
    while (std::getline(in, line)) out << (line.rfind("expect ", 0) == 0 ? "expect " + hex.str() : line) << "\n";
    if (expect.empty()) out << "expect " << hex.str() << "\n";
    std::ofstream(path) << out.str();
    std::printf("%s: recorded %s\n", GetParam().c_str(), hex.str().c_str());
    return;
  }
  EXPECT_EQ(hex.str(), expect) << GetParam() << " ended in another world (values " << r.value1 << " / "
                               << r.value2 << ", parts " << r.parts << ")";
  EXPECT_EQ(testing_support::runGame(script).hash, r.hash) << "the same script twice gave two worlds";
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
