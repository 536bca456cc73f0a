#include "app/firststart.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "app/configfile.h"

namespace {

namespace fs = std::filesystem;

std::string Text(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void Write(const fs::path& path, const std::string& text) {
  fs::create_directories(path.parent_path());
  std::ofstream(path, std::ios::binary) << text;
}

// A temporary prefix with an installed program's layout, and a home whose
// XDG variables point inside the temporary folder.
struct FirstStart : ::testing::Test {
  fs::path root, bin, share, home;
  void SetUp() override {
    root = fs::temp_directory_path() /
           ("murvelon-firststart-" + std::to_string(::getpid()) + "-" +
            ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(root);
    bin = root / "prefix" / "bin";
    share = root / "prefix" / "share" / "murvelon";
    home = root / "home";
    fs::create_directories(bin);
    Write(share / "Songs" / "demo.zqm", "ZQ23 demo");
    Write(share / "Synths" / "Saw Bass.zqb", "ZQB1 saw");
    Write(share / "Synths" / "Pluck.zqb", "ZQB1 pluck");
    Write(share / "FMSynths" / "Marimba.zqf", "ZQF1 marimba");
    ::setenv("XDG_CONFIG_HOME", (home / "config").c_str(), 1);
    ::setenv("XDG_DATA_HOME", (home / "data").c_str(), 1);
    ::setenv("XDG_CACHE_HOME", (home / "cache").c_str(), 1);
  }
  void TearDown() override {
    ::unsetenv("XDG_CONFIG_HOME");
    ::unsetenv("XDG_DATA_HOME");
    ::unsetenv("XDG_CACHE_HOME");
    fs::remove_all(root);
  }
};

}  // namespace

// Installed, even in a prefix the user may write to: shipped data under the
// prefix, the user's files in the XDG folders.
TEST_F(FirstStart, AnInstalledProgramUsesTheXdgFoldersAndItsShareFolder) {
  const cPaths p = DefaultPathsFor(bin.string());
  EXPECT_EQ(fs::path(p.shipped), share);
  EXPECT_EQ(fs::path(p.ini), home / "config" / "murvelon" / "murvelon.ini");
  EXPECT_EQ(fs::path(p.songs), home / "data" / "murvelon" / "Songs");
  EXPECT_EQ(fs::path(p.synths), home / "data" / "murvelon" / "Synths");
  EXPECT_EQ(fs::path(p.fmSynths), home / "data" / "murvelon" / "FMSynths");
  EXPECT_EQ(fs::path(p.wavetables), home / "cache" / "murvelon" / "Wavetables" / "wf_sawt.raw");
}

// A program without a share folder (the build tree) keeps its files beside
// itself; a relative XDG variable is ignored in favour of HOME.
TEST_F(FirstStart, AProgramOutsideAPrefixKeepsItsFilesBesideItself) {
  const fs::path folder = root / "build" / "tools";
  fs::create_directories(folder);
  const cPaths beside = DefaultPathsFor(folder.string());
  EXPECT_TRUE(beside.shipped.empty());
  EXPECT_EQ(fs::path(beside.songs), folder / "Songs");
  EXPECT_EQ(fs::path(beside.wavetables), folder / "System" / "Wavetables" / "wf_sawt.raw");

  ::setenv("XDG_DATA_HOME", "relative/data", 1);
  const char* oldHome = std::getenv("HOME");
  const std::string savedHome = oldHome ? oldHome : "";
  ::setenv("HOME", home.c_str(), 1);
  const cPaths installed = DefaultPathsFor(bin.string());
  if (oldHome) ::setenv("HOME", savedHome.c_str(), 1);
  EXPECT_EQ(fs::path(installed.songs), home / ".local" / "share" / "murvelon" / "Songs");
}

TEST_F(FirstStart, TheFirstStartMakesTheFoldersAndCopiesTheShippedFiles) {
  const cPaths p = DefaultPathsFor(bin.string());
  const cFirstStart first = PrepareUserFolders(p);
  EXPECT_TRUE(first.errors.empty());
  EXPECT_EQ(first.created.size(), 3u);
  EXPECT_EQ(first.copied.size(), 4u);
  EXPECT_EQ(Text(fs::path(p.songs) / "demo.zqm"), "ZQ23 demo");
  EXPECT_EQ(Text(fs::path(p.synths) / "Saw Bass.zqb"), "ZQB1 saw");
  EXPECT_EQ(Text(fs::path(p.synths) / "Pluck.zqb"), "ZQB1 pluck");
  EXPECT_EQ(Text(fs::path(p.fmSynths) / "Marimba.zqf"), "ZQF1 marimba");

  // The next start changes nothing.
  const cFirstStart second = PrepareUserFolders(p);
  EXPECT_TRUE(second.created.empty() && second.copied.empty() && second.errors.empty());
}

// The shipped settings become a new user's settings, and never replace a
// settings file the user has.
TEST_F(FirstStart, TheShippedSettingsAreCopiedOnlyWhereTheUserHasNone) {
  Write(share / "murvelon.ini", "[DirectSound]\nLatency=20\n");
  const cPaths p = DefaultPathsFor(bin.string());
  const cFirstStart first = PrepareUserFolders(p);
  EXPECT_TRUE(first.errors.empty());
  EXPECT_EQ(Text(p.ini), "[DirectSound]\nLatency=20\n");
  EXPECT_EQ(GetConfig(p.ini).latency, 20);

  Write(p.ini, "[DirectSound]\nLatency=60\n");
  PrepareUserFolders(p);
  EXPECT_EQ(Text(p.ini), "[DirectSound]\nLatency=60\n");
  fs::remove_all(p.songs);  // a later first start of the folders alone
  PrepareUserFolders(p);
  EXPECT_EQ(Text(p.ini), "[DirectSound]\nLatency=60\n");
}

// What the user did with the folders stays: an edited demo keeps its edit,
// a deleted preset does not come back, and a folder the user made first is
// not filled.
TEST_F(FirstStart, TheUsersFilesAreNeverReplacedOrRestored) {
  const cPaths p = DefaultPathsFor(bin.string());
  PrepareUserFolders(p);
  Write(fs::path(p.songs) / "demo.zqm", "ZQ23 my version");
  fs::remove(fs::path(p.synths) / "Pluck.zqb");
  fs::remove_all(p.fmSynths);
  Write(fs::path(p.fmSynths) / "Mine.zqf", "ZQF1 mine");
  Write(share / "Songs" / "new.zqm", "ZQ23 new");

  const cFirstStart again = PrepareUserFolders(p);
  EXPECT_TRUE(again.copied.empty());
  EXPECT_EQ(Text(fs::path(p.songs) / "demo.zqm"), "ZQ23 my version");
  EXPECT_FALSE(fs::exists(fs::path(p.songs) / "new.zqm"));
  EXPECT_FALSE(fs::exists(fs::path(p.synths) / "Pluck.zqb"));
  EXPECT_FALSE(fs::exists(fs::path(p.fmSynths) / "Marimba.zqf"));
  EXPECT_EQ(Text(fs::path(p.fmSynths) / "Mine.zqf"), "ZQF1 mine");
}

// A data folder that cannot be made (a file stands in its way) is reported
// and the other folders are still made.
TEST_F(FirstStart, AFolderThatCannotBeMadeIsReportedAndTheRestGoOn) {
  cPaths p = DefaultPathsFor(bin.string());
  Write(p.songs, "a file, not a folder's parent");
  p.songs = (fs::path(p.songs) / "Songs").string();
  const cFirstStart result = PrepareUserFolders(p);
  ASSERT_EQ(result.errors.size(), 1u);
  EXPECT_NE(result.errors[0].find("cannot create"), std::string::npos);
  EXPECT_TRUE(fs::is_directory(p.synths));
  EXPECT_TRUE(fs::exists(fs::path(p.fmSynths) / "Marimba.zqf"));
}
