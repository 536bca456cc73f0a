#include <gtest/gtest.h>

#include <unistd.h>

#include <filesystem>
#include <fstream>

#include "app/configfile.h"

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
  const auto path = std::filesystem::temp_directory_path() / ("murvelon-" + std::to_string(::getpid()) + ".ini");
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
