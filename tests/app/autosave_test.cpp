// Autosave: the snapshot writes what a save writes, copies come at most
// once an interval while the song is modified and are rotated, a state
// folder that cannot take them is reported and tried again, and a later
// start offers exactly the work of sessions that ended without cleaning up.

#include "app/autosave.h"

#include <gtest/gtest.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

#include <csignal>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <mutex>
#include <vector>

#include "app/songsnapshot.h"
#include "app/tracker.h"
#include "app/trackerinside.h"
#include "song/songfile.h"
#include "support/busysong.h"

namespace fs = std::filesystem;

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

std::vector<uint8_t> FileBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The bytes the song-file writer makes from the tracker's own tables.
std::vector<uint8_t> SavedBytes(cTracker& t) {
  struct cHost : cSongFileHost {
    cWavManager& waves;
    explicit cHost(cWavManager& w) : waves(w) {}
    void NewModule() override {}
    cEffect* CreateEffect(int, int, uint32_t) override { return nullptr; }
    void WriteWaveList(cFileWriter& out) override { waves.WriteWaveList(out); }
  } host(Inside(t).Waves());
  cFileWriter out;
  WriteModule(out, Inside(t).Song(), Inside(t).Effects(), host);
  return out.Bytes();
}

void TypeNote(cTracker& t, int row, uint8_t note = 49) {
  t.Edits().EditPattern("Note", 0, [&](cSongTables& song) {
    song.Cell(0, 0, row).note = note;
    return true;
  });
}

// Sets a file's modification time, seconds from now.
void Age(const fs::path& path, int seconds) {
  fs::last_write_time(path, fs::file_time_type::clock::now() + std::chrono::seconds(seconds));
}

struct Autosave : ::testing::Test {
  fs::path dir, state;
  cTracker t{QuietConfig()};
  void SetUp() override {
    dir = fs::temp_directory_path() /
          ("murvelon-autosave-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir);
    fs::create_directories(dir);
    state = dir / "state";
    ASSERT_TRUE(t.SystemStart(false));
  }
  void TearDown() override {
    std::error_code ignored;
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, ignored);
    fs::remove_all(dir);
  }
  std::vector<std::string> Names(const fs::path& folder) const {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& e : fs::directory_iterator(folder, error))
      names.push_back(e.path().filename());
    std::sort(names.begin(), names.end());
    return names;
  }
  size_t CopyCount() const { return cStateFolder(state.string()).Copies().size(); }
};

}  // namespace

TEST_F(Autosave, ASnapshotWritesWhatASaveWrites) {
  // The demo file as it lies on disk, and a busy song with waves, every
  // effect type and sends, as the writer makes it from the tables.
  ASSERT_EQ(t.LoadModule(MURVELON_SOURCE_DIR "/Songs/demo.zqm"), 1);
  cSongSnapshot snapshot;
  t.TakeSnapshot(snapshot);
  EXPECT_TRUE(snapshot.Bytes() == FileBytes(MURVELON_SOURCE_DIR "/Songs/demo.zqm"));

  ComposeBusySong(t, 16);
  Inside(t).Song().SetPattern(4000, 200);  // beyond the range saved
  const int16_t stereo[6] = {1, -1, 2, -2, 3, -3};
  ASSERT_TRUE(Inside(t).Waves().SetSlot(127, stereo, 3, kWaveStereoFlag, 0, 2, "stereo"));
  t.TakeSnapshot(snapshot);
  EXPECT_TRUE(snapshot.Bytes() == SavedBytes(t));
  // The waves are the store's own buffers.
  EXPECT_EQ(snapshot.waves[0].buffer, Inside(t).Waves().GetSlot(0).buffer);
  EXPECT_NE(snapshot.waves[0].buffer, nullptr);

  // A smaller song afterwards: nothing of the larger one is left over.
  t.NewModule();
  t.TakeSnapshot(snapshot);
  EXPECT_TRUE(snapshot.Bytes() == SavedBytes(t));
}

TEST_F(Autosave, CopiesComeAtMostOnceAnIntervalWhileTheSongIsModified) {
  cAutosave autosave(state.string(), 30);
  ASSERT_TRUE(autosave.Begin(nullptr));
  const auto t0 = cAutosave::tClock::now();
  auto at = [&](int seconds) { return t0 + std::chrono::seconds(seconds); };
  const std::string song = (dir / "tune.zqm").string();

  EXPECT_FALSE(autosave.Tick(t, song, at(0)));  // a new song is not modified
  TypeNote(t, 0);
  EXPECT_TRUE(autosave.Tick(t, song, at(1)));  // the first change goes at once
  autosave.Idle();
  TypeNote(t, 1);
  EXPECT_FALSE(autosave.Tick(t, song, at(20)));
  EXPECT_TRUE(autosave.Tick(t, song, at(31)));
  autosave.Idle();
  EXPECT_FALSE(autosave.Tick(t, song, at(90)));  // nothing new since the copy
  t.Edits().Undo();
  EXPECT_TRUE(autosave.Tick(t, song, at(91)));
  autosave.Idle();
  t.Edits().Undo();  // back where the song was saved: nothing to keep
  EXPECT_FALSE(autosave.Tick(t, song, at(200)));

  const std::vector<cAutosaveCopy> copies = cStateFolder(state.string()).Copies();
  ASSERT_EQ(copies.size(), 3u);
  EXPECT_EQ(copies[0].song, "tune.zqm");
  EXPECT_EQ(copies[0].session, autosave.Session());
  EXPECT_EQ(cStateFolder(state.string()).OriginalFile(copies[0]), song);
  // The newest copy holds the song as it was at the third tick.
  cTracker loaded(QuietConfig());
  ASSERT_TRUE(loaded.SystemStart(false));
  ASSERT_EQ(loaded.LoadModule(copies[0].path), 1);
  EXPECT_EQ(Inside(loaded).Song().Cell(0, 0, 0).note, 49);
  EXPECT_EQ(Inside(loaded).Song().Cell(0, 0, 1).note, 0);

  // Off: nothing, ever.
  cAutosave off(state.string(), 0);
  EXPECT_FALSE(off.Tick(t, song, at(1000)));
}

TEST_F(Autosave, RotationKeepsTheNewestPerSongAndSessionAndABoundOnAll) {
  cStateFolder folder(state.string());
  ASSERT_TRUE(folder.Make(nullptr));
  const fs::path copies = folder.AutosaveFolder();
  // Fifteen copies of a song in session aaaaaaaa, twelve in bbbbbbbb, each
  // a minute apart, 1000 bytes each.
  auto make = [&](const std::string& song, const std::string& session, int minute) {
    const fs::path p = copies / (song + "." + session + ".20250101-10" +
                                 std::to_string(10 + minute) + "00-000.zqm");
    std::ofstream(p) << std::string(1000, 'x');
    Age(p, -3600 + 60 * minute);
  };
  for (int m = 0; m < 15; ++m) make("a.zqm", "aaaaaaaa", m);
  for (int m = 0; m < 12; ++m) make("b.zqm", "bbbbbbbb", m);
  std::ofstream(copies / "notes.txt") << "not ours";

  folder.Rotate("aaaaaaaa", 10, 1000000);
  std::vector<cAutosaveCopy> left = folder.Copies();
  EXPECT_EQ(std::count_if(left.begin(), left.end(),
                          [](const cAutosaveCopy& c) { return c.session == "aaaaaaaa"; }),
            10);
  EXPECT_EQ(left.size(), 22u);  // the other session's copies are its own business

  // The bound: oldest first, of any session, but never a song's newest.
  folder.Rotate("aaaaaaaa", 10, 5500);
  left = folder.Copies();
  ASSERT_EQ(left.size(), 5u);
  EXPECT_EQ(left.back().bytes, 1000u);
  folder.Rotate("aaaaaaaa", 10, 0);
  left = folder.Copies();
  ASSERT_EQ(left.size(), 2u);
  EXPECT_NE(left[0].session, left[1].session);
  EXPECT_TRUE(fs::exists(copies / "notes.txt"));
}

TEST_F(Autosave, AStateFolderThatCannotTakeCopiesIsToldAndTriedAgain) {
  std::ofstream(state) << "a file where the folder should be";
  cAutosave autosave(state.string(), 5);
  std::vector<cAutosaveResult> told;
  std::mutex toldLock;
  autosave.SetListener([&](const cAutosaveResult& r) {
    std::lock_guard<std::mutex> lock(toldLock);
    told.push_back(r);
  });
  std::string problem;
  EXPECT_FALSE(autosave.Begin(&problem));
  EXPECT_NE(problem.find("Not a directory"), std::string::npos) << problem;

  const auto t0 = cAutosave::tClock::now();
  TypeNote(t, 0);
  EXPECT_FALSE(autosave.Tick(t, {}, t0));
  autosave.Idle();
  ASSERT_EQ(told.size(), 1u);
  EXPECT_FALSE(told[0].written);
  EXPECT_EQ(told[0].problem.find('\n'), std::string::npos);  // one line

  // The folder comes back; the next interval writes.
  fs::remove(state);
  EXPECT_FALSE(autosave.Tick(t, {}, t0 + std::chrono::seconds(2)));
  EXPECT_TRUE(autosave.Tick(t, {}, t0 + std::chrono::seconds(5)));
  autosave.Idle();
  ASSERT_EQ(told.size(), 2u);
  EXPECT_TRUE(told[1].written);
  EXPECT_EQ(fs::path(told[1].path).filename().string().rfind("untitled.", 0), 0u);

  // A disk that fills while writing (a file size limit stands in for it):
  // the copy fails, leaves nothing behind, and the next interval tries again.
  TypeNote(t, 1);
  struct rlimit old;
  ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &old), 0);
  struct rlimit small = old;
  small.rlim_cur = 4096;
  auto* oldHandler = std::signal(SIGXFSZ, SIG_IGN);
  ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &small), 0);
  EXPECT_TRUE(autosave.Tick(t, {}, t0 + std::chrono::seconds(10)));
  autosave.Idle();
  ::setrlimit(RLIMIT_FSIZE, &old);
  std::signal(SIGXFSZ, oldHandler);
  ASSERT_EQ(told.size(), 3u);
  EXPECT_FALSE(told[2].written);
  EXPECT_NE(told[2].problem.find("too large"), std::string::npos) << told[2].problem;
  EXPECT_EQ(CopyCount(), 1u);
  for (const std::string& name : Names(state / "autosave"))
    EXPECT_EQ(name.find(".murvelon-"), std::string::npos) << name;
  EXPECT_TRUE(autosave.Tick(t, {}, t0 + std::chrono::seconds(15)));
  autosave.Idle();
  EXPECT_EQ(CopyCount(), 2u);
}

// What a later start offers, case by case: each case is one session that
// wrote a copy of its song and then ended as the case says.
TEST_F(Autosave, AStartOffersTheWorkOfSessionsThatEndedWithoutCleaningUp) {
  struct cCase {
    const char* name;
    bool clean;     // the session removed its marker
    bool running;   // its program still runs
    bool songFile;  // the song had a file
    int fileAge;    // seconds after the copy the file was saved (0: not since)
    bool offered;
  };
  const cCase cases[] = {
      {"crashed", false, false, true, 0, true},
      {"crashed untitled", false, false, false, 0, true},
      {"crashed, saved after the copy", false, false, true, 60, false},
      {"ended cleanly", true, false, true, 0, false},
      {"still running", false, true, true, 0, false},
  };
  for (const cCase& c : cases) {
    SCOPED_TRACE(c.name);
    fs::remove_all(state);
    const fs::path song = dir / "song.zqm";
    std::ofstream(song) << "saved long ago";
    Age(song, -3600);
    TypeNote(t, 0);
    {
      auto other = std::make_unique<cAutosave>(state.string(), 30);
      ASSERT_TRUE(other->Begin(nullptr));
      ASSERT_TRUE(other->WriteNow(t, c.songFile ? song.string() : "", nullptr));
      if (c.fileAge > 0) Age(song, c.fileAge);
      if (c.running) {
        // Its marker stays held while this program starts.
        cAutosave me(state.string(), 30);
        ASSERT_TRUE(me.Begin(nullptr));
        cRestoreOffers offers;
        offers.Find(me.State(), me.Session());
        EXPECT_TRUE(offers.Offers().empty());
        continue;
      }
      other->End(c.clean);
    }
    cAutosave me(state.string(), 30);
    ASSERT_TRUE(me.Begin(nullptr));
    cRestoreOffers offers;
    offers.Find(me.State(), me.Session());
    ASSERT_EQ(offers.Offers().size(), c.offered ? 1u : 0u);
    if (c.offered) {
      const cRestoreOffer& offer = offers.Offers()[0];
      EXPECT_EQ(offer.song, c.songFile ? "song.zqm" : "untitled");
      EXPECT_EQ(offer.original, c.songFile ? song.string() : "");
      EXPECT_EQ(offer.copies.size(), 1u);
      // A second program starting meanwhile leaves it alone.
      cAutosave second(state.string(), 30);
      ASSERT_TRUE(second.Begin(nullptr));
      cRestoreOffers none;
      none.Find(second.State(), second.Session());
      EXPECT_TRUE(none.Offers().empty());
      offers.Answered(0);
    }
    // Asked once, or nothing to ask: the next start finds nothing.
    cRestoreOffers again;
    again.Find(me.State(), me.Session());
    EXPECT_TRUE(again.Offers().empty());
    // Answered or not, the copies stay for File > Open Autosave.
    EXPECT_EQ(CopyCount(), 1u);
  }
}

TEST_F(Autosave, ADamagedCopyIsPassedOverForTheNextOlderOne) {
  cAutosave autosave(state.string(), 1);
  ASSERT_TRUE(autosave.Begin(nullptr));
  const auto t0 = cAutosave::tClock::now();
  TypeNote(t, 0, 49);
  ASSERT_TRUE(autosave.Tick(t, {}, t0));
  autosave.Idle();
  TypeNote(t, 1, 50);
  std::this_thread::sleep_for(std::chrono::milliseconds(5));  // a name of its own
  ASSERT_TRUE(autosave.Tick(t, {}, t0 + std::chrono::seconds(2)));
  autosave.Idle();
  std::vector<cAutosaveCopy> copies = cStateFolder(state.string()).Copies();
  ASSERT_EQ(copies.size(), 2u);
  // The newest copy cut short, as a crash in the middle of a disk's work
  // might leave it.
  fs::resize_file(copies[0].path, 600);

  cTracker restored(QuietConfig());
  ASSERT_TRUE(restored.SystemStart(false));
  const cRestored r = RestoreAutosave(restored, copies);
  ASSERT_TRUE(r.restored);
  EXPECT_TRUE(r.whole);
  EXPECT_EQ(r.copy.path, copies[1].path);
  ASSERT_EQ(r.skipped.size(), 1u);
  EXPECT_NE(r.skipped[0].find(copies[0].path), std::string::npos);
  EXPECT_EQ(Inside(restored).Song().Cell(0, 0, 0).note, 49);
  EXPECT_TRUE(restored.Modified());

  // Only damaged copies: the newest one that reads at all, as far as it goes.
  fs::resize_file(copies[1].path, 20);  // not even a header
  const cRestored partial = RestoreAutosave(restored, copies);
  ASSERT_TRUE(partial.restored);
  EXPECT_FALSE(partial.whole);
  EXPECT_EQ(partial.copy.path, copies[0].path);
  EXPECT_EQ(partial.skipped.size(), 2u);
}
