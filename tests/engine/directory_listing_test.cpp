// Listing content folders: which names a mask picks, in what order, and how
// links and odd patterns behave.
#include <gtest/gtest.h>
#include <unistd.h>

#include <memory>
#include <string>
#include <vector>

#include "engine/directory_listing.h"
#include "temp_folder.h"

namespace {

using brin::CDirectoryListing;

std::vector<std::string> listAll(const std::string& pattern) {
  CDirectoryListing listing;
  listing.List(pattern);
  std::vector<std::string> names;
  while (!listing.AtEnd()) names.push_back(listing.Next());
  return names;
}

using Names = std::vector<std::string>;

class DirectoryListingFolder : public testing::Test {
 protected:
  void SetUp() override {
    folder.makeFolder("data");
    folder.makeFolder("data/gfx");
    folder.makeFolder("data/parts");
    for (const char* name : {"data/gfx/b.jpg", "data/gfx/a.png"}) folder.write(name, "x");
    folder.makeFolder("data/gfx/old");
    for (const char* name : {"data/parts/player1_x.xml", "data/parts/player2_x.xml", "data/parts/stomach.xml",
                             "data/parts/PLAYER1_X.XML", "data/parts/player1_gun.xml", "data/parts/xplayer1.xml"}) {
      folder.write(name, "<GamePart/>");
    }
    cwd = std::make_unique<engine_tests::WorkingDirectory>(folder.path());
  }
  void TearDown() override { cwd.reset(); }

  engine_tests::TempFolder folder;
  std::unique_ptr<engine_tests::WorkingDirectory> cwd;
};

TEST_F(DirectoryListingFolder, PicturesFolderListsSubFoldersFirstThenFiles) {
  EXPECT_EQ((Names{"old", "a.png", "b.jpg"}), listAll("data/gfx/*.*"));
  EXPECT_EQ((Names{"old", "a.png", "b.jpg"}), listAll("data/gfx/"));
}

TEST_F(DirectoryListingFolder, BackslashesWorkLikeSlashes) {
  EXPECT_EQ(listAll("data/gfx/*.*"), listAll("data\\gfx\\*.*"));
}

TEST_F(DirectoryListingFolder, PlayerMaskPicksOnlyThatPlayersPartsCaseSensitively) {
  EXPECT_EQ((Names{"player1_gun.xml", "player1_x.xml"}), listAll(std::string("data/parts/") + "player1" + "*.xml"));
  EXPECT_EQ((Names{"player2_x.xml"}), listAll("data/parts/player2*.xml"));
}

TEST_F(DirectoryListingFolder, PatternWithoutFolderListsTheCurrentFolder) {
  folder.write("top.xml", "");
  folder.write("notes.txt", "");
  EXPECT_EQ((Names{"top.xml"}), listAll("*.xml"));
  // "." gives every sub-folder and every file with a dot, never . or ..
  EXPECT_EQ((Names{"data", "notes.txt", "top.xml"}), listAll("."));
}

TEST_F(DirectoryListingFolder, FolderWithoutMatchesIsAtEndAtOnce) {
  CDirectoryListing listing;
  listing.List("data/parts/*.png");
  EXPECT_TRUE(listing.AtEnd());
  EXPECT_EQ("", listing.Next());
  EXPECT_TRUE(listing.AtEnd());
  listing.List("data/no_such_folder/*.*");
  EXPECT_TRUE(listing.AtEnd());
}

TEST_F(DirectoryListingFolder, EachListReplacesTheLastAndNextDoesNotConsume) {
  CDirectoryListing listing;
  listing.List("data/parts/player2*.xml");
  ASSERT_FALSE(listing.AtEnd());
  EXPECT_EQ("player2_x.xml", listing.Next());
  EXPECT_TRUE(listing.AtEnd());
  listing.List("data/gfx/*.png");
  EXPECT_EQ("a.png", listing.Next());
  EXPECT_TRUE(listing.AtEnd());
}

TEST_F(DirectoryListingFolder, LinksCountAsWhatTheyPointToAndDanglingOnesAreSkipped) {
  ASSERT_EQ(0, symlink("a.png", (folder.path() + "/data/gfx/linked.png").c_str()));
  ASSERT_EQ(0, symlink("old", (folder.path() + "/data/gfx/shortcut").c_str()));
  ASSERT_EQ(0, symlink("gone.png", (folder.path() + "/data/gfx/dangling.png").c_str()));
  EXPECT_EQ((Names{"old", "shortcut", "a.png", "b.jpg", "linked.png"}), listAll("data/gfx/*.*"));
}

TEST(DirectoryListingPattern, FolderAndMaskParts) {
  EXPECT_EQ("data/gfx/*.*", CDirectoryListing::FolderPart("data/gfx/*.*"));
  EXPECT_EQ("data/gfx/*.*", CDirectoryListing::FolderPart("data/gfx/"));
  EXPECT_EQ("data/parts/*.*", CDirectoryListing::FolderPart("data/parts/player1*.xml"));
  EXPECT_EQ("./*.*", CDirectoryListing::FolderPart("*.xml"));
  EXPECT_EQ("./*.*", CDirectoryListing::FolderPart("."));
  EXPECT_EQ("/*.*", CDirectoryListing::FolderPart("/x.xml"));
  EXPECT_EQ("data/*.*", CDirectoryListing::FolderPart(" \tdata//x.xml "));

  EXPECT_EQ("*.*", CDirectoryListing::MaskPart("data/gfx/"));
  EXPECT_EQ("player1*.xml", CDirectoryListing::MaskPart("data/parts/player1*.xml"));
  EXPECT_EQ("*.xml", CDirectoryListing::MaskPart("*.xml"));
  EXPECT_EQ("*.*", CDirectoryListing::MaskPart("data/gfx"));
}

TEST(DirectoryListingPattern, SplitLeavesOutEmptyPieces) {
  EXPECT_EQ((Names{"."}), CDirectoryListing::Split("*.*", "*"));
  EXPECT_EQ(Names{}, CDirectoryListing::Split("*", "*"));
  EXPECT_EQ((Names{"a", "b"}), CDirectoryListing::Split("**a**b*", "*"));
}

TEST(DirectoryListingPattern, MaskMatching) {
  EXPECT_TRUE(CDirectoryListing::MatchMask("gun.xml", "*.xml"));
  EXPECT_FALSE(CDirectoryListing::MatchMask("gun.XML", "*.xml"));
  EXPECT_FALSE(CDirectoryListing::MatchMask("a.xml.xml", "*.xml"));
  EXPECT_TRUE(CDirectoryListing::MatchMask("player1_gun.xml", "player1*.xml"));
  EXPECT_FALSE(CDirectoryListing::MatchMask("xplayer1.xml", "player1*.xml"));
  EXPECT_TRUE(CDirectoryListing::MatchMask("any.thing", "*.*"));
  EXPECT_FALSE(CDirectoryListing::MatchMask("nodot", "*.*"));
  EXPECT_TRUE(CDirectoryListing::MatchMask("nodot", "**"));
  EXPECT_TRUE(CDirectoryListing::MatchMask("exact", "exact"));
  EXPECT_FALSE(CDirectoryListing::MatchMask("exactly", "exact"));
}

}  // namespace
