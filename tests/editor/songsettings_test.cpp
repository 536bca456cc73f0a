// The top area's song settings: each control's value, its range, the
// message of the knobs, and one undo step per gesture.

#include "editor/songsettings.h"

#include <gtest/gtest.h>

#include <functional>

#include "app/tracker.h"
#include "editorfixture.h"

namespace {

TEST(SongSettings, EachControlSetsItsSettingWithinItsRange) {
  struct Case {
    const char* what;
    std::function<void(cSongSettingsEditor&)> set;
    std::function<int32_t(const cSongTables&)> read;
    int32_t expected;
    bool changed;
  };
  const Case cases[] = {
      {"channel count", [](auto& e) { e.SetChannelCount(12); },
       [](auto& s) { return s.channelCount; }, 12, true},
      {"a channel count of 17 is refused", [](auto& e) { e.SetChannelCount(17); },
       [](auto& s) { return s.channelCount; }, 4, false},
      {"no channels at all", [](auto& e) { e.SetChannelCount(0); },
       [](auto& s) { return s.channelCount; }, 0, true},
      {"BPM", [](auto& e) { e.SetBpm(140); }, [](auto& s) { return s.bpm; }, 140, true},
      {"BPM held to 32", [](auto& e) { e.SetBpm(5); }, [](auto& s) { return s.bpm; }, 32, true},
      {"speed", [](auto& e) { e.SetSpeed(3); }, [](auto& s) { return s.speed; }, 3, true},
      {"speed held to 31", [](auto& e) { e.SetSpeed(99); }, [](auto& s) { return s.speed; }, 31,
       true},
      {"master volume", [](auto& e) { e.SetMasterVolume(60); },
       [](auto& s) { return s.masterVolume; }, 60, true},
      {"master pan in steps of 5", [](auto& e) { e.SetMasterPan(-37); },
       [](auto& s) { return s.masterPan; }, -35, true},
      {"master pan unchanged", [](auto& e) { e.SetMasterPan(3); },
       [](auto& s) { return s.masterPan; }, 0, false},
  };
  for (const Case& c : cases) {
    cTracker t(QuietConfig(4));
    ASSERT_TRUE(t.SystemStart(false));
    cSongSettingsEditor settings(t);
    c.set(settings);
    EXPECT_EQ(c.read(t.Song()), c.expected) << c.what;
    EXPECT_EQ(t.Modified(), c.changed) << c.what;
    EXPECT_EQ(t.Edits().CanUndo(), c.changed) << c.what;
  }
}

TEST(SongSettings, AKnobGestureIsOneStepAndSaysWhatItSet) {
  cTracker t(QuietConfig(4));
  ASSERT_TRUE(t.SystemStart(false));
  cSongSettingsEditor settings(t);
  EXPECT_EQ(settings.SetMasterVolume(100), "Master Volume: 100%");
  EXPECT_EQ(settings.SetMasterVolume(80), "Master Volume: 80%");
  EXPECT_EQ(settings.SetMasterPan(0), "Master Pan: Center");
  EXPECT_EQ(settings.SetMasterPan(52), "Master Pan: 50%");
  EXPECT_EQ(t.Edits().History().Steps(), 2u);  // the volume's drag, then the pan's
  t.Edits().CloseStep();
  settings.SetMasterVolume(70);
  EXPECT_EQ(t.Edits().History().Steps(), 3u);
  // While the song plays, the tempo in use follows the fields.
  t.TransportCommand(1);
  settings.SetBpm(150);
  settings.SetSpeed(4);
  EXPECT_EQ(t.PlayerState().currentBpm, 150);
  EXPECT_EQ(t.PlayerState().currentSpeed, 4);
  t.TransportCommand(0);
}

}  // namespace
