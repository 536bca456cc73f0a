// The main window: start-up, the file commands, the master knobs, the status
// area and the tempo fields.

#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QLabel>
#include <QSpinBox>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <iterator>
#include <thread>

#include "app/preferences.h"
#include "app/tracker.h"
#include "app/trackerinside.h"
#include "editor/patterneditor.h"
#include "engine/generator.h"
#include "midi/midimessage.h"
#include "song/songfile.h"
#include "tests/ui/uitestsupport.h"
#include "ui/analyserview.h"
#include "ui/formpreferences.h"
#include "ui/knob.h"
#include "ui/patterneditorpart.h"
#include "ui/threadedtimer.h"

namespace {

constexpr const char* kDemo = MURVELON_SOURCE_DIR "/Songs/demo.zqm";

// Note 49 in the first cell of pattern 0, as one edit.
void MarkModified(cTracker& t) {
  t.Edits().EditPattern("Note", 0, [](cSongTables& song) {
    song.Cell(0, 0, 0).note = 49;
    return true;
  });
}

}  // namespace

TEST(MainForm, StartsWithTheDefaultSongWithoutASettingsFile) {
  TQtEnvironment::App();
  TScriptedPrompts prompts;
  QTemporaryDir folder;
  cStartOptions options;
  options.iniPath = folder.filePath("absent.ini").toStdString();
  options.paths.wavetables = SharedWavetableCache();
  options.quickStart = true;
  options.prompts = &prompts;
  TMainForm form(options);
  form.FormShow();
  ASSERT_TRUE(form.Started());
  cTracker& t = *form.Tracker();
  EXPECT_EQ(Inside(t).Song().channelCount, 4);
  EXPECT_EQ(Inside(t).Song().bpm, 126);
  EXPECT_EQ(Inside(t).Song().speed, 6);
  EXPECT_EQ(Inside(t).Song().masterVolume, 120);
  EXPECT_EQ(t.Config().frequency, 44100);
  EXPECT_EQ(form.windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3");
  EXPECT_EQ(form.ChannelBox()->currentText(), "4 Channels");
  EXPECT_EQ(form.BpmField()->value(), 126);
  EXPECT_EQ(form.VolumeKnob()->Position(), 120);
  EXPECT_EQ(form.PanKnob()->Position(), 0);
  // Instrument 4 plays samples; 1-3 and 5-128 are virtual-analogue.
  EXPECT_EQ(t.GetInsType(4), kGenSampler);
  for (int i : {1, 3, 5, 128}) EXPECT_EQ(t.GetInsType(i), kGenBass) << i;
  EXPECT_TRUE(prompts.fatal.empty());
}

TEST(MainForm, ASongNamedOnTheCommandLineIsLoaded) {
  TWindowFixture w({}, kDemo);
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 7);
  EXPECT_EQ(w.Form().windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  demo.zqm");
  // A count the box does not list is shown in its place.
  EXPECT_EQ(w.Form().ChannelBox()->currentText(), "7 Channels");
  EXPECT_FALSE(w.Tracker().Modified());
}

TEST(MainForm, NewAsksBeforeDiscardingChanges) {
  TWindowFixture w;
  MarkModified(w.Tracker());
  w.prompts.answers = {false};
  EXPECT_FALSE(w.Form().NewSongClick());
  ASSERT_EQ(w.prompts.asked.size(), 1u);
  EXPECT_EQ(w.prompts.asked[0], "New Song: Song has not been saved, discard it?");
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 49);  // kept

  w.prompts.answers = {true};
  EXPECT_TRUE(w.Form().NewSongClick());
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 0);
  EXPECT_FALSE(w.Tracker().Modified());
  // Nothing to lose: no question.
  EXPECT_TRUE(w.Form().NewSongClick());
  EXPECT_EQ(w.prompts.asked.size(), 2u);
}

TEST(MainForm, AFailedSaveIsReportedAndTheSongStaysModified) {
  TWindowFixture w;
  MarkModified(w.Tracker());
  // A folder that cannot be written, also for root: its parent is a file.
  const QString notAFolder = w.Path("plain-file");
  std::ofstream(notAFolder.toStdString()) << "x";
  w.prompts.files = {notAFolder + "/song.zqm"};
  EXPECT_FALSE(w.Form().SaveSongClick());
  ASSERT_EQ(w.prompts.told.size(), 1u);
  EXPECT_EQ(w.prompts.told[0].rfind("Save Song: Song could not be saved!\n", 0), 0u)
      << w.prompts.told[0];
  EXPECT_NE(w.prompts.told[0].find("Not a directory"), std::string::npos);
  EXPECT_TRUE(w.Tracker().Modified());
  EXPECT_EQ(w.Form().windowTitle(), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3");

  w.prompts.files = {w.Path("song.zqm")};
  EXPECT_TRUE(w.Form().SaveSongClick());
  EXPECT_FALSE(w.Tracker().Modified());
  EXPECT_EQ(w.Form().windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  song.zqm");
}

std::string FileBytes(const QString& path) {
  std::ifstream in(path.toStdString(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// Ctrl+S saves a song that has a file into it at once; a new song asks for
// a name first. Ctrl+Shift+S and the tool bar's Save always ask. The
// caption's star follows the unsaved changes.
TEST(MainForm, SaveSongWritesTheSongsOwnFileWithoutADialog) {
  TWindowFixture w;
  EXPECT_EQ(w.Form().Action("SaveSongInPlace")->text(), "&Save Song");
  EXPECT_EQ(w.Form().Action("SaveSongInPlace")->shortcut(), QKeySequence("Ctrl+S"));
  EXPECT_EQ(w.Form().Action("SaveSong")->text(), "Save Song...");
  EXPECT_EQ(w.Form().Action("SaveSong")->shortcut(), QKeySequence("Ctrl+Shift+S"));

  MarkModified(w.Tracker());
  EXPECT_EQ(w.Form().windowTitle(), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3");
  const QString path = w.Path("song.zqm");
  w.prompts.files = {path};
  w.Form().Action("SaveSongInPlace")->trigger();  // no file yet: the dialog
  ASSERT_EQ(w.prompts.suggested.size(), 1u);
  EXPECT_FALSE(w.Tracker().Modified());
  EXPECT_EQ(w.Form().windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  song.zqm");
  const std::string first = FileBytes(path);

  w.Tracker().Edits().EditPattern("Note", 0, [](cSongTables& song) {
    song.Cell(0, 0, 1).note = 50;
    return true;
  });
  EXPECT_EQ(w.Form().windowTitle(), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  song.zqm");
  w.Form().Action("SaveSongInPlace")->trigger();
  EXPECT_EQ(w.prompts.suggested.size(), 1u);  // no dialog, no question
  EXPECT_TRUE(w.prompts.asked.empty());
  EXPECT_FALSE(w.Tracker().Modified());
  EXPECT_NE(FileBytes(path), first);
  EXPECT_EQ(w.Form().windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  song.zqm");

  w.prompts.files = {};  // the tool bar's Save asks, here cancelled
  w.Form().Action("Save")->trigger();
  EXPECT_EQ(w.prompts.suggested.size(), 2u);
}

// The question before a command that replaces the song: Save saves first,
// and a save that does not happen stops the command.
TEST(MainForm, SaveInTheUnsavedQuestionSavesBeforeTheCommand) {
  TWindowFixture w;
  MarkModified(w.Tracker());
  w.prompts.saveAnswers = {eUnsavedAnswer::kSave};  // the dialog is cancelled
  EXPECT_FALSE(w.Form().NewSongClick());
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 49);
  EXPECT_EQ(w.prompts.suggested.size(), 1u);

  const QString path = w.Path("kept.zqm");
  w.prompts.saveAnswers = {eUnsavedAnswer::kSave};
  w.prompts.files = {path};
  EXPECT_TRUE(w.Form().NewSongClick());
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 0);
  ASSERT_EQ(w.prompts.asked.size(), 2u);
  EXPECT_EQ(w.prompts.asked[1], "New Song: Song has not been saved, discard it?");
  EXPECT_TRUE(w.Form().LoadSongFile(path));
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 49);

  // A song with a file saves into it; Cancel keeps everything.
  w.Tracker().Edits().EditPattern("Note", 0, [](cSongTables& song) {
    song.Cell(0, 0, 0).note = 60;
    return true;
  });
  w.prompts.saveAnswers = {eUnsavedAnswer::kCancel};
  EXPECT_FALSE(w.Form().NewSongClick());
  EXPECT_TRUE(w.Tracker().Modified());
  w.prompts.saveAnswers = {eUnsavedAnswer::kSave};
  EXPECT_TRUE(w.Form().NewSongClick());
  EXPECT_EQ(w.prompts.suggested.size(), 2u);  // no dialog the second time
  EXPECT_TRUE(w.Form().LoadSongFile(path));
  EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 60);
}

// The message names the file and, where the system gave one, its reason.
TEST(MainForm, AFileThatDoesNotLoadLeavesTheSongAndTheCaptionAndSaysWhy) {
  TWindowFixture w({}, kDemo);
  const QString junk = w.Path("junk.zqm"), empty = w.Path("empty.zqm"), huge = w.Path("huge.zqm");
  std::ofstream(junk.toStdString()) << "not a song at all";
  std::ofstream(empty.toStdString()) << "";
  const uint64_t largest = LargestSongBytes(cWavManager::kLargestWaveListBytes);
  { std::ofstream(huge.toStdString()) << "ZQ23"; }
  std::filesystem::resize_file(huge.toStdString(), largest + 1);  // sparse: nothing written
  struct Case {
    QString path;
    std::string reason;
  };
  for (const Case& c : {Case{w.Path("missing.zqm"), ": No such file or directory"},
                        Case{w.Path(""), ": Is a directory"}, Case{empty, ""}, Case{junk, ""},
                        Case{huge, ": the file (" + std::to_string(largest + 1) +
                                       " bytes) is larger than the largest song (" +
                                       std::to_string(largest) + " bytes)"}}) {
    SCOPED_TRACE(c.path.toStdString());
    w.prompts.told.clear();
    EXPECT_FALSE(w.Form().LoadSongFile(c.path));
    ASSERT_EQ(w.prompts.told.size(), 1u);
    EXPECT_EQ(w.prompts.told[0],
              "Load Song: Song format not recognized!\n" + c.path.toStdString() + c.reason);
    EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 7);
    EXPECT_EQ(w.Form().windowTitle(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  demo.zqm");
  }
}

// The demo without its last 284 bytes: the first two waves and everything
// before them load; the song is then no file's, and a save asks where.
TEST(MainForm, ASongCutShortLoadsWhatItHoldsSaysWhatItLacksAndHasNoName) {
  TWindowFixture w;
  std::ifstream in(kDemo, std::ios::binary);
  std::vector<char> bytes((std::istreambuf_iterator<char>(in)), {});
  bytes.resize(bytes.size() - 284);
  const QString cut = w.Path("cut.zqm");
  std::ofstream(cut.toStdString(), std::ios::binary).write(bytes.data(), long(bytes.size()));

  EXPECT_TRUE(w.Form().LoadSongFile(cut));
  ASSERT_EQ(w.prompts.told.size(), 1u);
  EXPECT_EQ(w.prompts.told[0], "Load Song: The file ends early: 2 of 3 samples were read");
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 7);
  EXPECT_TRUE(Inside(w.Tracker()).Waves().InUse(1));
  EXPECT_FALSE(Inside(w.Tracker()).Waves().InUse(2));
  EXPECT_TRUE(w.Tracker().Modified());
  EXPECT_EQ(w.Form().windowTitle(), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3");
  EXPECT_FALSE(w.Form().SaveSongClick());  // the dialog is cancelled
  ASSERT_EQ(w.prompts.suggested.size(), 1u);
  EXPECT_EQ(w.prompts.suggested[0], w.Path("Songs/Module.zqm").toStdString());
}

TEST(MainForm, ChoosingAChannelCountSetsItAndMarksTheSong) {
  TWindowFixture w({}, kDemo);
  QComboBox* box = w.Form().ChannelBox();
  const int eight = box->findText("8 Channels");
  ASSERT_GE(eight, 0);
  box->setCurrentIndex(eight);
  emit box->activated(eight);
  EXPECT_EQ(Inside(w.Tracker()).Song().channelCount, 8);
  EXPECT_TRUE(w.Tracker().Modified());
  EXPECT_EQ(box->count(), 7);  // the odd entry is gone with the odd count
}

TEST(MainForm, MasterKnobsSetTheSongAndSayWhat) {
  TWindowFixture w;
  w.Form().PanKnob()->SetCurValue(37);
  EXPECT_EQ(Inside(w.Tracker()).Song().masterPan, 35);
  EXPECT_EQ(w.Form().MessageLabel()->text(), "Master Pan: 35%");
  w.Form().PanKnob()->SetCurValue(-4);
  EXPECT_EQ(Inside(w.Tracker()).Song().masterPan, 0);
  EXPECT_EQ(w.Form().MessageLabel()->text(), "Master Pan: Center");
  w.Form().VolumeKnob()->SetCurValue(150);
  EXPECT_EQ(Inside(w.Tracker()).Song().masterVolume, 150);
  EXPECT_EQ(w.Form().MessageLabel()->text(), "Master Volume: 150%");
  EXPECT_TRUE(w.Tracker().Modified());
  // A loaded song moves the knobs without writing anything back.
  w.prompts.answers = {true};
  ASSERT_TRUE(w.Form().LoadSongFile(kDemo));
  EXPECT_EQ(w.Form().VolumeKnob()->Position(), Inside(w.Tracker()).Song().masterVolume);
  EXPECT_FALSE(w.Tracker().Modified());
}

TEST(MainForm, ASecondMessageStaysForFiveStatusPeriods) {
  TWindowFixture w;
  w.Form().SystemMessage("first");
  w.Form().DoTimer3();
  w.Form().DoTimer3();
  w.Form().SystemMessage("second");
  for (int i = 0; i < 4; ++i) w.Form().DoTimer3();
  EXPECT_EQ(w.Form().MessageLabel()->text(), "second");
  w.Form().DoTimer3();
  EXPECT_EQ(w.Form().MessageLabel()->text(), "Ready...");
  // Without clock measurement the load panel is never written.
  EXPECT_EQ(w.Form().StatusPanel(3)->text(), "");
  EXPECT_EQ(w.Form().VoiceLabel()->text(), "Voices: 0");
}

TEST(MainForm, TempoFieldsShowTheSongWhileStoppedAndSetItWhenEdited) {
  TWindowFixture w;
  cTracker& t = w.Tracker();
  w.Form().PlayClick();
  t.SetBPM(150);  // as a tempo command would while playing
  w.Form().DoTimer2();
  EXPECT_EQ(w.Form().BpmField()->value(), 150);
  w.Form().StopClick();
  w.Form().DoTimer2();
  EXPECT_EQ(w.Form().BpmField()->value(), 126);
  EXPECT_FALSE(t.Modified());

  // An edit sets the song's tempo (and the one in use while playing).
  w.Form().PlayClick();
  w.Form().BpmField()->setValue(140);
  w.Form().SpeedField()->setValue(3);
  EXPECT_EQ(Inside(t).Song().bpm, 140);
  EXPECT_EQ(Inside(t).Player().currentBpm, 140);
  EXPECT_EQ(Inside(t).Song().speed, 3);
  EXPECT_EQ(Inside(t).Player().currentSpeed, 3);
  EXPECT_TRUE(t.Modified());
  // Timer1 follows the new tempo: two half rows of 3 ticks at 56 ticks/s.
  EXPECT_EQ(w.Form().Timer(1)->Interval(), 53);
  w.Form().StopClick();
}

TEST(MainForm, TheSpectrumReadsAroundTheEndOfTheSmallestAccumulator) {
  // 20 ms halves: the accumulator holds two blocks, 1764 frames, and the
  // spectrum's 1024 frames wrap at its end half of the time.
  TWindowFixture w("[DirectSound]\nLatency=20\n", kDemo);
  w.Form().PlayClick();
  int height = 0;
  for (int i = 0; i < 60 && height == 0; ++i) {
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    w.Form().DoTimer2();
    for (int b = 0; b < 15; ++b) height += w.Form().SpectrumView()->Height(b);
  }
  w.Form().StopClick();
  EXPECT_GT(height, 0);
}

TEST(MainForm, PagesAndEditMode) {
  TWindowFixture w;
  w.Form().TB_SynthClick();
  EXPECT_EQ(w.Form().ShownPage(), kPageSynth);
  w.Form().TB_PatternClick();
  EXPECT_EQ(w.Form().ShownPage(), kPagePattern);
  w.Form().TB_RecClick();
  EXPECT_EQ(w.Form().StatusPanel(1)->text(), "Edit Mode");
  w.Form().TB_RecClick();
  EXPECT_EQ(w.Form().StatusPanel(1)->text(), "Play Mode");
}

// The timers run on their own while the demo plays through the null device:
// the views follow, the spectrum moves, the status area counts voices.
TEST(MainForm, TheTimersFollowTheDemoWhileItPlays) {
  TWindowFixture w({}, kDemo);
  w.Form().resize(1280, 800);
  w.Form().show();
  w.Form().PlayClick();
  EXPECT_TRUE(w.Form().Timer(1)->Enabled());
  int voicesSeen = 0, barsSeen = 0;
  const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
  while (std::chrono::steady_clock::now() < until) {
    QApplication::processEvents(QEventLoop::AllEvents, 20);
    if (w.Form().VoiceLabel()->text() != "Voices: 0") ++voicesSeen;
    for (int b = 0; b < 15; ++b) barsSeen += w.Form().SpectrumView()->Height(b) > 0;
  }
  w.Form().StopClick();
  EXPECT_FALSE(w.Form().Timer(1)->Enabled());
  EXPECT_GT(voicesSeen, 0);
  EXPECT_GT(barsSeen, 0);
}

TEST(MainForm, CommandsThatReplaceTheSongAskOnceBeforeLosingChanges) {
  TWindowFixture w;
  struct Case {
    const char* title;
    std::function<bool(TMainForm&)> run;
  };
  const QString mod = w.Path("not-a-module.mod");
  std::ofstream(mod.toStdString()) << "nothing here";
  const std::vector<Case> cases = {
      {"Load Song", [](TMainForm& f) { return f.LoadSongClick(); }},
      {"Import ProTracker Song", [](TMainForm& f) { return f.ImportModClick(); }},
      {"Engine Restart", [](TMainForm& f) { return f.EngineRestart(); }},
  };
  for (const Case& c : cases) {
    MarkModified(w.Tracker());
    w.prompts.asked.clear();
    w.prompts.told.clear();
    w.prompts.answers = {false};
    w.prompts.files = {kDemo};
    EXPECT_FALSE(c.run(w.Form())) << c.title;
    EXPECT_EQ(Inside(w.Tracker()).Song().Cell(0, 0, 0).note, 49) << c.title;
    // Yes, once; then the dialog (where there is one) and the work.
    w.prompts.answers = {true, false};
    w.prompts.files = {QString(c.title) == "Import ProTracker Song" ? mod : QString(kDemo)};
    c.run(w.Form());
    ASSERT_EQ(w.prompts.asked.size(), 2u) << c.title;
    EXPECT_EQ(w.prompts.asked[1], std::string(c.title) + ": Song has not been saved, discard it?");
  }
  // The last import was of a file that is no module: said so.
  w.prompts.files = {mod};
  EXPECT_FALSE(w.Form().ImportModClick());
  ASSERT_EQ(w.prompts.told.size(), 1u);
  EXPECT_EQ(w.prompts.told[0],
            "Import ProTracker Song: Song format not recognized!\n" + mod.toStdString());
}

// Preferences' OK while the demo plays: the output moves to a WAV recording
// and the song plays on, untouched; a device that fails leaves it there and
// says why; the settings file gets the changed keys and keeps the rest.
TEST(MainForm, PreferencesMoveTheOutputWhileTheDemoPlays) {
  TWindowFixture w("; my own comment\nUnknownKey=keep me\n", kDemo);
  w.Form().PlayClick();
  const auto playFor = [&](int milliseconds) {
    const auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
    while (std::chrono::steady_clock::now() < until)
      QApplication::processEvents(QEventLoop::AllEvents, 20);
  };
  playFor(300);
  const std::string recording = w.Path("played.wav").toStdString();

  cConfig chosen = w.Form().Config();
  chosen.device = "wav:" + recording;
  chosen.latency = 40;
  EXPECT_EQ(w.Form().ApplyPreferences(chosen), kNextStartNote);
  EXPECT_EQ(w.Tracker().DeviceName(), "wav:" + recording);
  playFor(500);
  EXPECT_NE(w.Tracker().PlayerState().playing, 0);
  EXPECT_FALSE(w.Tracker().Modified());
  w.Tracker().StopAudio();  // the recording is complete
  std::ifstream played(recording, std::ios::binary | std::ios::ate);
  EXPECT_GT(int64_t(played.tellg()), 44 + 4 * 44100 / 10);  // more than 0.1 s of sound
  ASSERT_TRUE(w.Tracker().StartAudio());

  chosen = w.Form().Config();
  chosen.device = "wav:/no/such/folder/x.wav";
  chosen.midiVelocity = 1;
  EXPECT_EQ(w.Form().ApplyPreferences(chosen).toStdString(),
            "The sound device \"wav:/no/such/folder/x.wav\" cannot be used (error 100): \"wav:" +
                recording + "\" plays on.");
  EXPECT_EQ(w.Tracker().DeviceName(), "wav:" + recording);
  EXPECT_NE(w.Tracker().PlayerState().playing, 0);
  w.Form().StopClick();

  std::ifstream file(w.options.iniPath);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, "[DirectSound]\nDevice=wav:" + recording +
                      "\nLatency=40\n[Tracker]\nCPUcalc=0\n; my own comment\nUnknownKey=keep me\n"
                      "\n[MIDI]\nMidiVelocity=1\n");
}

// Every control of the Preferences window has a name a screen reader says.
TEST(MainForm, PreferencesControlsAreNamed) {
  TQtEnvironment::App();
  cConfig config;
  TFormPreferences window(nullptr, config, {"system"}, {"Keys:out"});
  int controls = 0;
  for (QWidget* child : window.findChildren<QWidget*>()) {
    if (qobject_cast<QAbstractButton*>(child) || qobject_cast<QComboBox*>(child) ||
        qobject_cast<QAbstractSpinBox*>(child)) {
      ++controls;
      EXPECT_FALSE(child->accessibleName().isEmpty()) << child->metaObject()->className();
    }
  }
  // device, rate, latency, MIDI, three check boxes, autosave, hex digits, OK, Cancel
  EXPECT_EQ(controls, 11);
}

// What typing does takes effect at OK, and the file gets it.
TEST(MainForm, PreferencesChangeWhatTypingDoesAtOnce) {
  TWindowFixture w;
  cKeyOptions options = w.Form().PatternEditor()->Editor()->KeyOptions();
  EXPECT_TRUE(options.previewRelease);
  EXPECT_EQ(options.digitAdvance, eDigitAdvance::kDigit);

  TFormPreferences window(&w.Form(), w.Form().Config(), {}, {});
  window.PreviewReleaseBox()->setChecked(false);
  window.DigitAdvanceBox()->setCurrentIndex(1);
  w.Form().ApplyPreferences(window.Chosen());
  options = w.Form().PatternEditor()->Editor()->KeyOptions();
  EXPECT_FALSE(options.previewRelease);
  EXPECT_EQ(options.digitAdvance, eDigitAdvance::kField);
  std::ifstream file(w.options.iniPath);
  const std::string text((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
  EXPECT_NE(text.find("PreviewRelease=0\nDigitAdvance=field\n"), std::string::npos) << text;

  // A window opened on those settings shows them.
  TFormPreferences again(&w.Form(), w.Form().Config(), {}, {});
  EXPECT_FALSE(again.PreviewReleaseBox()->isChecked());
  EXPECT_EQ(again.DigitAdvanceBox()->currentData().toString(), "field");
}

// A MIDI event wakes the window, which writes it without waiting for a
// timer; a program change shows in the instrument edit.
TEST(MainForm, MidiEventsReachThePatternThroughTheWindow) {
  TWindowFixture w("[MIDI]\nMidiVelocity=1\n");
  w.Form().TB_RecClick();
  const auto event = [](std::initializer_list<uint8_t> bytes) {
    const std::vector<uint8_t> b(bytes);
    return DecodeMidi(b.data(), b.size());
  };
  w.Tracker().LiveNotes().Receive(0, event({0xC0, 8}));
  w.Tracker().LiveNotes().Receive(0, event({0x90, 60, 0x30}));
  QApplication::processEvents();
  EXPECT_EQ(w.Form().InstrumentEdit()->value(), 9);
  const cCell& cell = w.Tracker().Song().Cell(0, 0, 0);
  EXPECT_EQ(cell.note, 49);
  EXPECT_EQ(cell.instrument, 9);
  EXPECT_EQ(cell.volume, 0x30);
  EXPECT_EQ(w.Tracker().Edits().UndoText(), "Undo Note");
}
