// Saving replaces the file a path names, as the musician expects of it:
// through a link, with its permissions, and never leaving a half-written
// file or a temporary behind, even when the process is killed while writing.

#include "song/filewriter.h"

#include <gtest/gtest.h>
#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {

struct FileWriter : ::testing::Test {
  fs::path dir;
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("murvelon-filewriter-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::create_directories(dir);
  }
  void TearDown() override {
    cFileWriter::testSeams = {};
    fs::remove_all(dir);
  }
  static std::string Text(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
  }
  static cFileWriter Holding(const std::string& text, size_t repeat = 1) {
    cFileWriter out;
    for (size_t i = 0; i < repeat; ++i) out.WriteBytes(text.data(), text.size());
    return out;
  }
  std::vector<std::string> Names(const fs::path& folder) const {
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(folder)) names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
};

// The child's hook: tells the parent that a piece is on disk, then waits to
// be killed.
int killPipe = -1;
void TellAndWait() {
  const char byte = 1;
  if (::write(killPipe, &byte, 1) != 1) ::_exit(3);
  for (;;) ::pause();
}

}  // namespace

TEST_F(FileWriter, ASaveThroughALinkReplacesTheFileItNamesAndKeepsTheLink) {
  fs::create_directories(dir / "real");
  std::ofstream(dir / "real" / "song.zqm") << "old";
  fs::create_symlink("real/song.zqm", dir / "song.zqm");
  // A chain of two links, and one to a file not made yet.
  fs::create_symlink("song.zqm", dir / "again.zqm");
  fs::create_symlink("real/new.zqm", dir / "new.zqm");

  for (const char* name : {"song.zqm", "again.zqm", "new.zqm"}) {
    SCOPED_TRACE(name);
    cFileResult why;
    ASSERT_TRUE(Holding(name).Commit((dir / name).string(), &why));
    EXPECT_TRUE(why.Ok());
    EXPECT_TRUE(fs::is_symlink(dir / name));
    EXPECT_EQ(Text(dir / name), name);
  }
  EXPECT_EQ(Text(dir / "real" / "song.zqm"), "again.zqm");
  EXPECT_EQ(Text(dir / "real" / "new.zqm"), "new.zqm");
  // Nothing was left beside the link or the file.
  EXPECT_EQ(Names(dir), (std::vector<std::string>{"again.zqm", "new.zqm", "real", "song.zqm"}));
  EXPECT_EQ(Names(dir / "real"), (std::vector<std::string>{"new.zqm", "song.zqm"}));

  fs::create_symlink("loop.zqm", dir / "loop.zqm");
  cFileResult why;
  EXPECT_FALSE(Holding("x").Commit((dir / "loop.zqm").string(), &why));
  EXPECT_EQ(why.sysError, ELOOP);
}

TEST_F(FileWriter, ASaveKeepsTheModeAndGroupOfTheFileItReplaces) {
  const fs::path path = dir / "private.zqm";
  std::ofstream(path) << "old";
  ASSERT_EQ(::chmod(path.c_str(), 0600), 0);
  // A group other than the user's own, where the user may give it.
  const gid_t group = ::getegid() == 0 ? 4321 : ::getegid();
  ASSERT_EQ(::chown(path.c_str(), uid_t(-1), group), 0);
  ASSERT_TRUE(Holding("new").Commit(path.string()));
  struct stat info;
  ASSERT_EQ(::stat(path.c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0600u);
  EXPECT_EQ(info.st_gid, group);
  EXPECT_EQ(Text(path), "new");

  // A new file gets what a plain open gives it.
  const mode_t mask = ::umask(022);
  ASSERT_TRUE(Holding("fresh").Commit((dir / "fresh.zqm").string()));
  ::umask(mask);
  ASSERT_EQ(::stat((dir / "fresh.zqm").c_str(), &info), 0);
  EXPECT_EQ(info.st_mode & 07777, 0644u);
}

// A save killed part-way leaves the old file whole and, with an unnamed
// temporary, nothing beside it; a named temporary left by a killed save goes
// with the next save of that file, and one of another file stays.
TEST_F(FileWriter, ASaveKilledPartWayLeavesNothingAfterTheNextSave) {
  const fs::path target = dir / "song.zqm";
  for (bool named : {false, true}) {
    SCOPED_TRACE(named ? "named temporary" : "unnamed temporary");
    std::ofstream(target, std::ios::trunc) << "old";
    std::ofstream(dir / ".other.zqm.murvelon-000000000000") << "another song's save";
    int fds[2];
    ASSERT_EQ(::pipe(fds), 0);
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
      ::close(fds[0]);
      killPipe = fds[1];
      cFileWriter::testSeams.afterPiece = TellAndWait;
      cFileWriter::testSeams.namedTemporary = named;
      Holding("eight bytes", 300000).Commit(target.string());  // about 3 MB: several pieces
      ::_exit(2);
    }
    ::close(fds[1]);
    char byte = 0;
    ASSERT_EQ(::read(fds[0], &byte, 1), 1);  // the first piece is written
    ::close(fds[0]);
    ::kill(child, SIGKILL);
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFSIGNALED(status));

    EXPECT_EQ(Text(target), "old");
    const size_t leftovers = Names(dir).size() - 2;
    EXPECT_EQ(leftovers, named ? 1u : 0u);

    cFileWriter::testSeams.namedTemporary = named;
    ASSERT_TRUE(Holding("new").Commit(target.string()));
    EXPECT_EQ(Text(target), "new");
    EXPECT_EQ(Names(dir),
              (std::vector<std::string>{".other.zqm.murvelon-000000000000", "song.zqm"}));
  }
}
