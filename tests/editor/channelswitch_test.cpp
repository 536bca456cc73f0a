// Channels switched on and off in the sequence (F6, Shift+F6 and the Edit
// menu), the header's "off" and the hint for a note on a channel that is
// off; and what follows the question about an unsaved song.

#include "editor/channelswitch.h"

#include "editor/unsavedsong.h"
#include "patterneditor_fixture.h"

TEST(ChannelSwitch, F6PlaysAnOffChannelAndSwitchesEveryOtherModeOff) {
  cSongTables song;
  song.SetChannelCount(4);
  struct Case {
    int before, after;
  };
  for (Case c : {Case{kModeSkip, kModePlay},
                 {kModePlay, kModeSkip},
                 {kModeRelease, kModeSkip},
                 {kModeCut, kModeSkip}}) {
    song.SetModeWord(7, 0xFFFFFFFFu);
    song.SetChannelMode(7, 2, c.before);
    EXPECT_TRUE(SwitchChannel(song, 7, 2));
    EXPECT_EQ(song.GetChannelMode(7, 2), c.after) << c.before;
    // The other channels and entries keep their modes.
    EXPECT_EQ(song.GetModeWord(7) | (3u << 4), 0xFFFFFFFFu) << c.before;
    EXPECT_EQ(song.GetModeWord(6), 0u);
  }
  // A channel the song lacks stays as it is.
  song.SetModeWord(7, 0);
  EXPECT_FALSE(SwitchChannel(song, 7, 4));
  EXPECT_EQ(song.GetModeWord(7), 0u);
}

TEST(ChannelSwitch, AllOnPlaysTheSongsChannelsFromStartToEnd) {
  cSongTables song;
  song.SetChannelCount(3);
  song.start = 2;
  song.end = 4;
  song.repeat = 3;
  song.SetModeWord(3, kModeCut | kModeRelease << 2 | kModeCut << 6);  // channel 3 beyond the count
  ASSERT_TRUE(SwitchAllChannelsOn(song));
  for (int position = 0; position < 6; ++position) {
    const bool inside = position >= 2 && position <= 4;
    EXPECT_EQ(song.GetModeWord(position) & 0x3Fu, inside ? 0x15u : 0u) << position;
  }
  EXPECT_EQ(song.GetChannelMode(3, 3), kModeCut);
  // Nothing left to switch on: no change, so no undo step.
  EXPECT_FALSE(SwitchAllChannelsOn(song));
  song.SetChannelCount(0);
  song.SetModeWord(2, 0);
  EXPECT_FALSE(SwitchAllChannelsOn(song));
}

TEST(ChannelSwitch, TheHintNamesTheChannelAndTheEntryAsTheWindowShowsThem) {
  EXPECT_EQ(ChannelOffHint(0, 0),
            "Channel 0 is off in sequence entry 000: press F6, or click its dash in the sequence");
  EXPECT_EQ(ChannelOffHint(12, 0x1F),
            "Channel 12 is off in sequence entry 01F: press F6, or click its dash in the sequence");
}

TEST(UnsavedSong, TheAnswerAndTheSaveDecideWhetherTheCommandGoesOn) {
  struct Case {
    bool modified;
    eUnsavedAnswer answer;
    bool saves;  // what the save flow returns: false for a cancelled dialog or a failure
    bool asked, saved, goesOn;
  };
  using enum eUnsavedAnswer;
  for (Case c : {Case{false, kCancel, false, false, false, true},
                 {true, kDiscard, false, true, false, true},
                 {true, kCancel, true, true, false, false},
                 {true, kSave, true, true, true, true},
                 {true, kSave, false, true, true, false}}) {
    bool asked = false, saved = false;
    const bool goesOn = MayReplaceSong(
        c.modified,
        [&] {
          asked = true;
          return c.answer;
        },
        [&] {
          saved = true;
          return c.saves;
        });
    EXPECT_EQ(asked, c.asked) << int(c.answer) << c.saves;
    EXPECT_EQ(saved, c.saved) << int(c.answer) << c.saves;
    EXPECT_EQ(goesOn, c.goesOn) << int(c.answer) << c.saves;
  }
}

// A new song is silent: the header says "off", a note says why, F6 switches
// the cursor's channel at the shown entry as one undo step and the player
// takes the new modes at once.
TEST_F(PatternEditorTest, F6SwitchesTheCursorsChannelAtTheShownEntry) {
  auto headerOff = [&](int channel) {
    return patternCanvas.Line(0, (3 + 24 * channel + 8) * kCharWidth, 3) == "off";
  };
  EXPECT_TRUE(headerOff(0));
  EXPECT_TRUE(headerOff(1));
  Press('Z');  // a preview in play mode
  EXPECT_EQ(host.status[2],
            "Channel 0 is off in sequence entry 000: press F6, or click its dash in the sequence");

  tracker.Edits().MarkSaved();
  EXPECT_TRUE(Press(kVkF6));
  EXPECT_EQ(song().GetChannelMode(0, 0), kModePlay);
  EXPECT_EQ(tracker.PlayerState().modeWord, 1u);
  EXPECT_FALSE(headerOff(0));
  EXPECT_TRUE(headerOff(1));
  EXPECT_TRUE(tracker.Modified());
  EXPECT_EQ(tracker.Edits().UndoText(), "Undo Channel On");
  host.status[2].clear();
  Press('Z');
  EXPECT_EQ(host.status[2], "");

  // Writing on channel 1 of entry 2, shown after two steps down the sequence.
  editor.SequenceArrow(1, false);
  editor.SequenceArrow(1, false);
  SetEditMode(1);
  Cursor(0, 15);
  Press('Z');
  EXPECT_EQ(host.status[2],
            "Channel 1 is off in sequence entry 002: press F6, or click its dash in the sequence");
  Press(kVkF6);
  EXPECT_EQ(song().GetModeWord(2), 1u << 2);
  EXPECT_EQ(song().GetModeWord(0), 1u);
  Press(kVkF6);
  EXPECT_EQ(tracker.Edits().UndoText(), "Undo Channel Off");
  EXPECT_EQ(song().GetModeWord(2), 0u);
  tracker.Edits().Undo();
  EXPECT_EQ(song().GetModeWord(2), 1u << 2);
}

TEST_F(PatternEditorTest, ShiftF6SwitchesEveryChannelOnAsOneStep) {
  song().end = 3;
  song().SetChannelMode(1, 2, kModeCut);
  tracker.Edits().MarkSaved();
  EXPECT_TRUE(Press(kVkF6, kModShift));
  for (int position = 0; position <= 3; ++position)
    EXPECT_EQ(song().GetModeWord(position), 0x55u) << position;
  EXPECT_EQ(song().GetModeWord(4), 0u);
  EXPECT_EQ(tracker.PlayerState().modeWord, 0x55u);
  EXPECT_EQ(patternCanvas.Line(0).find("off"), std::string::npos);
  EXPECT_EQ(tracker.Edits().UndoText(), "Undo All Channels On");
  tracker.Edits().Undo();
  EXPECT_EQ(song().GetModeWord(0), 0u);
  EXPECT_EQ(song().GetChannelMode(1, 2), kModeCut);
  EXPECT_FALSE(tracker.Modified());
  // The instrument and channel pages switch the channel Tab chose, at the
  // shown entry while stopped and at the playing one while the song plays.
  editor.SetShownPage(1);
  Press(kVkTab);
  EXPECT_TRUE(Press(kVkF6));
  EXPECT_EQ(song().GetModeWord(0), 1u << 2);
  FakePlaying(1);
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    Inside(tracker).Player().position = 3;
  }
  EXPECT_TRUE(Press(kVkF6));
  EXPECT_EQ(song().GetModeWord(3), 1u << 2);
  EXPECT_EQ(song().GetModeWord(0), 1u << 2);
  FakePlaying(0);
}
