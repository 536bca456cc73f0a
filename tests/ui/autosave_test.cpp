// Autosave in the window: a failure is one line in the message label, the
// restore question at start brings a crashed session's work back as a
// modified song that remembers its file, File > "Open Autosave..." lists
// the copies, and SIGTERM leaves a copy and the marker behind.

#include "app/autosave.h"

#include <gtest/gtest.h>

#include <QLabel>
#include <csignal>
#include <filesystem>
#include <fstream>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "tests/ui/uitestsupport.h"
#include "ui/autosavekeeper.h"

namespace fs = std::filesystem;

namespace {

// A started window whose autosaves go to state; the prompts' answers are
// set before it starts, so that the restore question finds them.
struct TAutosaveWindow {
  TScriptedPrompts prompts;
  std::unique_ptr<TMainForm> form;

  TAutosaveWindow(const QTemporaryDir& folder, const std::string& state,
                  std::deque<bool> answers = {}) {
    TQtEnvironment::App();
    prompts.answers = std::move(answers);
    const std::string ini = folder.filePath("murvelon.ini").toStdString();
    std::ofstream(ini) << "[DirectSound]\nDevice=null\n[Tracker]\nCPUcalc=0\nAutosaveSeconds=1\n";
    cStartOptions options;
    options.iniPath = ini;
    options.paths.songs = folder.filePath("Songs").toStdString();
    options.paths.wavetables = SharedWavetableCache();
    options.paths.state = state;
    options.quickStart = true;
    options.prompts = &prompts;
    form = std::make_unique<TMainForm>(options);
    form->FormShow();
  }
  cTracker& Tracker() { return *form->Tracker(); }
  TAutosaveKeeper& Keeper() { return *form->AutosaveKeeper(); }
  void TypeNote(uint8_t note) {
    Tracker().Edits().EditPattern("Note", 0, [note](cSongTables& song) {
      song.Cell(0, 0, 0).note = note;
      return true;
    });
  }
};

size_t Copies(const std::string& state) { return cStateFolder(state).Copies().size(); }

}  // namespace

TEST(WindowAutosave, AFailedCopyIsOneLineInTheMessageLabelAndNoBox) {
  QTemporaryDir folder;
  const std::string state = folder.filePath("state").toStdString();
  std::ofstream(state) << "a file where the folder should be";
  TAutosaveWindow w(folder, state);
  w.TypeNote(49);
  w.Keeper().Tick();
  w.Keeper().Autosave().Idle();
  QCoreApplication::processEvents();
  const QString line = w.form->MessageLabel()->text();
  EXPECT_TRUE(line.startsWith("Autosave failed: ")) << line.toStdString();
  EXPECT_FALSE(line.contains('\n'));
  EXPECT_TRUE(w.prompts.told.empty());
  EXPECT_TRUE(w.prompts.asked.empty());
}

TEST(WindowAutosave, TheRestoreQuestionBringsACrashedSessionsWorkBack) {
  QTemporaryDir folder;
  const std::string state = folder.filePath("state").toStdString();
  const QString song = folder.filePath("tune.zqm");
  {
    TAutosaveWindow crashed(folder, state);
    ASSERT_EQ(crashed.Tracker().SaveModule(song.toStdString()), 1);
    ASSERT_TRUE(crashed.form->LoadSongFile(song));
    crashed.TypeNote(49);
    crashed.Keeper().Tick();
    crashed.Keeper().Autosave().Idle();
    // Killed: nothing of the window's end runs, the marker stays.
    crashed.Keeper().Autosave().End(false);
  }
  ASSERT_EQ(Copies(state), 1u);

  TAutosaveWindow next(folder, state, {true});
  ASSERT_EQ(next.prompts.asked.size(), 1u);
  EXPECT_EQ(next.prompts.asked[0].rfind("Restore: Restore the unsaved work of tune.zqm from ", 0),
            0u)
      << next.prompts.asked[0];
  EXPECT_EQ(Inside(next.Tracker()).Song().Cell(0, 0, 0).note, 49);
  EXPECT_TRUE(next.Tracker().Modified());
  EXPECT_EQ(next.form->SongFile(), song);
  EXPECT_TRUE(next.form->windowTitle().endsWith("tune.zqm"));
  // The save goes to the song's file, and the file it replaces stays as
  // its backup.
  next.prompts.files = {song};
  ASSERT_TRUE(next.form->SaveSongClick());
  EXPECT_EQ(next.prompts.suggested.back(), song.toStdString());
  EXPECT_FALSE(next.Tracker().Modified());
  cTracker backup(next.Tracker().Config());
  ASSERT_TRUE(backup.SystemStart(false));
  ASSERT_EQ(backup.LoadModule(song.toStdString() + ".bak"), 1);
  EXPECT_EQ(Inside(backup).Song().Cell(0, 0, 0).note, 0);
  next.form.reset();

  // Asked once: a third start asks nothing.
  TAutosaveWindow third(folder, state);
  EXPECT_TRUE(third.prompts.asked.empty());
}

TEST(WindowAutosave, NoKeepsTheCopiesForOpenAutosave) {
  QTemporaryDir folder;
  const std::string state = folder.filePath("state").toStdString();
  {
    TAutosaveWindow crashed(folder, state);
    crashed.TypeNote(61);
    crashed.Keeper().Tick();
    crashed.Keeper().Autosave().Idle();
    crashed.Keeper().Autosave().End(false);
  }
  TAutosaveWindow next(folder, state, {false});
  ASSERT_EQ(next.prompts.asked.size(), 1u);
  EXPECT_NE(next.prompts.asked[0].find("untitled"), std::string::npos);
  EXPECT_EQ(Inside(next.Tracker()).Song().Cell(0, 0, 0).note, 0);
  EXPECT_FALSE(next.Tracker().Modified());

  next.prompts.choices = {0};
  ASSERT_TRUE(next.Keeper().OpenAutosaveClick());
  ASSERT_EQ(next.prompts.offered.size(), 1u);
  EXPECT_EQ(next.prompts.offered[0].rfind("Open Autosave: untitled from ", 0), 0u);
  EXPECT_EQ(Inside(next.Tracker()).Song().Cell(0, 0, 0).note, 61);
  EXPECT_TRUE(next.Tracker().Modified());
  EXPECT_TRUE(next.form->SongFile().isEmpty());
}

TEST(WindowAutosave, SigtermLeavesACopyAndTheMarkerBehind) {
  QTemporaryDir folder;
  const std::string state = folder.filePath("state").toStdString();
  {
    TAutosaveWindow w(folder, state);
    w.TypeNote(73);
    ASSERT_EQ(Copies(state), 0u);
    std::raise(SIGTERM);
    for (int i = 0; i < 50 && Copies(state) == 0; ++i) QCoreApplication::processEvents();
    EXPECT_EQ(Copies(state), 1u);
  }
  // The handler is gone with the window: a later SIGTERM would end the
  // program as usual. The next start offers the copy.
  struct sigaction now;
  ::sigaction(SIGTERM, nullptr, &now);
  EXPECT_EQ(now.sa_handler, SIG_DFL);
  TAutosaveWindow next(folder, state, {true});
  ASSERT_EQ(next.prompts.asked.size(), 1u);
  EXPECT_EQ(Inside(next.Tracker()).Song().Cell(0, 0, 0).note, 73);
}
