// Listing content folders: which names a mask picks, in what order, and how
// links and odd patterns behave.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "engine/directory_listing.h"
#include "temp_folder.h"

namespace {

using brin::CDirectoryListing;
using Names = std::vector<std::string>;

TEST(DirectoryListing, FoldersFirstThenFilesMatchingTheMaskCaseSensitively) {
  engine_tests::TempFolder folder;
  for (const char* name : {"data", "data/gfx", "data/gfx/old", "data/parts"}) folder.makeFolder(name);
  for (const char* name : {"data/gfx/b.jpg", "data/gfx/a.png", "data/parts/player1_x.xml", "data/parts/player2_x.xml",
                           "data/parts/PLAYER1_X.XML", "data/parts/player1_gun.xml", "data/parts/xplayer1.xml",
                           "top.xml", "notes.txt", "nodot"})
    folder.write(name, "x");
  engine_tests::WorkingDirectory cwd(folder.path());
  ASSERT_EQ(0, symlink("a.png", "data/gfx/linked.png"));
  ASSERT_EQ(0, symlink("old", "data/gfx/shortcut"));
  ASSERT_EQ(0, symlink("gone.png", "data/gfx/dangling.png"));  // skipped
  const struct {
    const char* pattern;
    Names names;
  } cases[] = {
      {"data/gfx/*.*", {"old", "shortcut", "a.png", "b.jpg", "linked.png"}},
      {"data\\gfx\\", {"old", "shortcut", "a.png", "b.jpg", "linked.png"}},
      {"data/parts/player1*.xml", {"player1_gun.xml", "player1_x.xml"}},
      {" \tdata//parts/player2*.xml ", {"player2_x.xml"}},
      {"*.xml", {"top.xml"}},
      {".", {"data", "notes.txt", "top.xml"}},  // never . or .., nor names without a dot
      {"data/parts/*.png", {}},
      {"data/no_such_folder/*.*", {}},
      {"data/parts/**x**.*", {"player1_x.xml", "player2_x.xml", "xplayer1.xml"}},
      {"nodo*", {"nodot"}},
      {"nodo", {}},
  };
  CDirectoryListing listing;  // each List replaces the last
  for (const auto& c : cases) {
    listing.List(c.pattern);
    Names names;
    while (!listing.AtEnd()) names.push_back(listing.Next());
    EXPECT_EQ(c.names, names) << c.pattern;
    EXPECT_EQ("", listing.Next());
  }
}

}  // namespace
