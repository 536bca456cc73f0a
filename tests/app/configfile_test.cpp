#include "app/configfile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <iterator>

namespace {

std::string Text(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace

TEST(ConfigFile, MissingFileGivesTheDefaults) {
  const cConfig c = GetConfig("/nonexistent/murvelon.ini");
  EXPECT_EQ(c.frequency, 44100);
  EXPECT_EQ(c.latency, 80);
  EXPECT_EQ(c.chans, 4);
  EXPECT_EQ(c.bpm, 126);
  EXPECT_EQ(c.speed, 6);
  EXPECT_EQ(c.masterVol, 120);
  EXPECT_EQ(c.cpuCalc, 1);
  EXPECT_EQ(c.device, "default");
  EXPECT_EQ(c.midiInput, "none");
  EXPECT_EQ(c.midiVelocity, 0);
  EXPECT_EQ(c.midiNoteOff, 0);
}

TEST(ConfigFile, KeysAreReadFromTheirSectionsAndBadValuesKeepDefaults) {
  const auto path =
      std::filesystem::temp_directory_path() / ("murvelon-" + std::to_string(::getpid()) + ".ini");
  std::ofstream(path) << "[DirectSound]\nFrequency=48000\nLatency=abc\nDevice=wav:/tmp/out.wav\n"
                         "[Tracker]\nChans=8\nBPM = 140\nCPUcalc=0\nSpeed=\n"
                         "[MIDI]\nInput=Keys:Port,1\nMidiVelocity=1\n";
  const cConfig c = GetConfig(path.string());
  std::filesystem::remove(path);
  EXPECT_EQ(c.frequency, 48000);
  EXPECT_EQ(c.latency, 80);
  EXPECT_EQ(c.device, "wav:/tmp/out.wav");
  EXPECT_EQ(c.chans, 8);
  EXPECT_EQ(c.bpm, 140);
  EXPECT_EQ(c.cpuCalc, 0);
  EXPECT_EQ(c.speed, 6);
  EXPECT_EQ(c.octave, 3);
  EXPECT_EQ(c.midiInput, "Keys:Port,1");  // a comma is part of a name
  EXPECT_EQ(c.midiVelocity, 1);
  EXPECT_EQ(c.midiNoteOff, 0);
}

// What a number key takes: a whole decimal number with an optional sign that
// fits; anything else leaves the default.
TEST(ConfigFile, ANumberIsTakenOnlyWhenItIsAWholeNumber) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("murvelon-bpm-" + std::to_string(::getpid()) + ".ini");
  struct Case {
    const char* text;
    int32_t bpm;
  };
  for (const Case c : {Case{"140", 140},
                       {"+159", 159},
                       {"-5", -5},
                       {"0140", 140},
                       {"\t141\t", 141},
                       {"\" 142 \"", 142},
                       {"2147483647", 2147483647},
                       {"140 ; fast", 140},
                       {"140 # fast", 126},
                       {"0x10", 126},
                       {"140.5", 126},
                       {"140,5", 126},
                       {"1 2", 126},
                       {"99999999999", 126},
                       {"+-5", 126},
                       {"", 126}}) {
    std::ofstream(path) << "[Tracker]\nBPM=" << c.text << "\n";
    EXPECT_EQ(GetConfig(path.string()).bpm, c.bpm) << c.text;
  }
  std::filesystem::remove(path);
}

// Preferences write what the user changed, and nothing else of the file.
TEST(ConfigFile, SavingWritesOnlyTheChangedKeys) {
  const auto path = std::filesystem::temp_directory_path() /
                    ("murvelon-save-" + std::to_string(::getpid()) + ".ini");
  const std::string before = "; my settings\r\n[DirectSound]\r\nLatency = 40 ; low\r\nMine=1\r\n";
  std::ofstream(path, std::ios::binary) << before;
  const cConfig asRead = GetConfig(path.string());
  cConfig changed = asRead;
  std::string error;
  ASSERT_TRUE(SaveConfig(path.string(), changed, asRead, &error)) << error;
  EXPECT_EQ(Text(path), before);

  changed.latency = 60;
  changed.bpm = 140;
  changed.device = "hw:CARD=PCH,DEV=0";
  ASSERT_TRUE(SaveConfig(path.string(), changed, asRead, &error)) << error;
  EXPECT_EQ(Text(path),
            "; my settings\r\n[DirectSound]\r\nLatency = 60 ; low\r\nMine=1\r\n"
            "Device=\"hw:CARD=PCH,DEV=0\"\r\n\r\n[Tracker]\r\nBPM=140\r\n");
  const cConfig reread = GetConfig(path.string());
  EXPECT_EQ(reread.latency, 60);
  EXPECT_EQ(reread.bpm, 140);
  EXPECT_EQ(reread.device, "hw:CARD=PCH,DEV=0");
  std::filesystem::remove(path);
}
