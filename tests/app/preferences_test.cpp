// What the Preferences window's OK needs for each change, and the output
// moved to another device while the song plays on.

#include "app/preferences.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>

#include "app/tracker.h"

TEST(Preferences, EachChangeSaysWhatItNeeds) {
  struct Case {
    const char* name;
    void (*change)(cConfig&);
    bool device, midi, atNextStart, any;
  };
  const Case cases[] = {
      {"nothing", [](cConfig&) {}, false, false, false, false},
      {"device", [](cConfig& c) { c.device = "null"; }, true, false, false, true},
      {"rate", [](cConfig& c) { c.frequency = 48000; }, false, false, true, true},
      {"latency", [](cConfig& c) { c.latency = 40; }, false, false, true, true},
      {"MIDI input", [](cConfig& c) { c.midiInput = "all"; }, false, true, false, true},
      {"velocity", [](cConfig& c) { c.midiVelocity = 1; }, false, false, false, true},
      {"note-off", [](cConfig& c) { c.midiNoteOff = 1; }, false, false, false, true},
      {"autosave", [](cConfig& c) { c.autosaveSeconds = 0; }, false, false, true, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    cConfig before, after;
    c.change(after);
    const cPreferenceChanges changes = ComparePreferences(before, after);
    EXPECT_EQ(changes.device, c.device);
    EXPECT_EQ(changes.midiInput, c.midi);
    EXPECT_EQ(changes.atNextStart, c.atNextStart);
    EXPECT_EQ(changes.any, c.any);
  }
}

TEST(Preferences, ADeviceThatFailsKeepsThePreviousOnePlaying) {
  cConfig config;
  config.cpuCalc = 0;
  config.device = "null";
  cTracker tracker(config);
  ASSERT_TRUE(tracker.SystemStart(true));
  const std::string recording =
      ::testing::TempDir() + "/murvelon-device-" + std::to_string(::getpid()) + ".wav";

  std::string why;
  EXPECT_TRUE(tracker.ChangeDevice("wav:" + recording, &why));
  EXPECT_EQ(why, "");
  EXPECT_EQ(tracker.DeviceName(), "wav:" + recording);

  EXPECT_FALSE(tracker.ChangeDevice("wav:/no/such/folder/x.wav", &why));
  EXPECT_EQ(why,
            "The sound device \"wav:/no/such/folder/x.wav\" cannot be used (error 100): \"wav:" +
                recording + "\" plays on.");
  EXPECT_EQ(tracker.DeviceName(), "wav:" + recording);
  ASSERT_NE(tracker.Output(), nullptr);
  tracker.Shutdown();
  ::unlink(recording.c_str());
}
