// The sound devices on their own: the clock-driven cursor, the WAV record,
// the choice by name and the real-device backend on this machine.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "audio/devicechoice.h"
#include "audio/nulldevice.h"
#include "audio/rtaudiodevice.h"
#include "audio/wavdevice.h"

namespace {

constexpr uint32_t kRate = 1000;        // one frame per millisecond
constexpr uint32_t kBufferBytes = 400;  // 100 frames, halves of 50
constexpr int64_t kMs = 1000000;

std::string TempPath(const char* name) { return std::string(::testing::TempDir()) + name; }

std::vector<uint8_t> ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | uint32_t(b[at + 3]) << 24;
}
int16_t Le16(const std::vector<uint8_t>& b, size_t at) { return int16_t(b[at] | b[at + 1] << 8); }

// Writes frame i of the buffer as (i + 1) * 100 on the left, its negative on the right.
void WriteFrameNumbers(cSoundDevice& device) {
  std::vector<int16_t> frames(kBufferBytes / 2);
  for (size_t i = 0; i < frames.size() / 2; ++i) {
    frames[2 * i] = int16_t((i + 1) * 100);
    frames[2 * i + 1] = int16_t(-(int(i) + 1) * 100);
  }
  ASSERT_EQ(device.Lock(0, kBufferBytes), eBufferLock::ok);
  device.Write(frames.data());
  device.Unlock();
}

TEST(NullDevice, TheCursorFollowsTheClockWhilePlaying) {
  int64_t now = 5 * kMs;
  cNullDevice device([&] { return now; });
  ASSERT_EQ(device.Open(kRate, kBufferBytes), 0);
  EXPECT_EQ(device.PlayCursor(), 0u);
  now += 30 * kMs;  // not playing yet
  EXPECT_EQ(device.PlayCursor(), 0u);
  ASSERT_TRUE(device.Play());
  struct Step {
    int64_t ns;
    uint32_t frame;
  };
  for (Step s : {Step{10 * kMs, 10},
                 {kMs / 2, 10},
                 {kMs / 2, 11},
                 {45 * kMs, 56},
                 // wraps round the 100-frame buffer
                 {45 * kMs, 1},
                 // a stall of a second moves it by just under a half, no more
                 {1000 * kMs, 50}}) {
    now += s.ns;
    EXPECT_EQ(device.PlayCursor(), s.frame * 4) << s.ns;
  }
  EXPECT_EQ(device.DeviceUnderruns(), 1u);  // the stall's lost time
  device.Stop();
  now += 10 * kMs;
  EXPECT_EQ(device.PlayCursor(), 50u * 4);
}

TEST(WavDevice, RecordsWhatPlaysAtItsVolumeAndFinishesTheFile) {
  const std::string path = TempPath("murvelon_wavdevice.wav");
  int64_t now = 0;
  {
    cWavDevice device(path, [&] { return now; });
    EXPECT_EQ(device.Name(), "wav:" + path);
    ASSERT_EQ(device.Open(kRate, kBufferBytes), 0);
    WriteFrameNumbers(device);
    ASSERT_TRUE(device.Play());
    now += 30 * kMs;
    device.PlayCursor();  // frames 0-29 at full volume
    device.SetVolume(-2000);
    now += 90 * kMs;  // 30-79, then just under a half: the clock slips
    device.PlayCursor();
    device.Stop();
    device.Close();
    EXPECT_FALSE(device.WriteFailed());
  }
  const std::vector<uint8_t> file = ReadFile(path);
  ASSERT_EQ(file.size(), 44u + 79 * 4);
  EXPECT_EQ(std::string(file.begin(), file.begin() + 4), "RIFF");
  EXPECT_EQ(Le32(file, 4), file.size() - 8);
  EXPECT_EQ(std::string(file.begin() + 8, file.begin() + 16), "WAVEfmt ");
  EXPECT_EQ(Le32(file, 16), 16u);
  EXPECT_EQ(Le16(file, 20), 1);  // PCM
  EXPECT_EQ(Le16(file, 22), 2);  // stereo
  EXPECT_EQ(Le32(file, 24), kRate);
  EXPECT_EQ(Le32(file, 28), kRate * 4);
  EXPECT_EQ(Le16(file, 32), 4);
  EXPECT_EQ(Le16(file, 34), 16);
  EXPECT_EQ(std::string(file.begin() + 36, file.begin() + 40), "data");
  EXPECT_EQ(Le32(file, 40), 79u * 4);
  for (int i = 0; i < 79; ++i) {
    const int full = (i + 1) * 100;
    const int16_t expected = i < 30 ? int16_t(full) : int16_t(std::lrint(full * 0.1f));
    EXPECT_EQ(Le16(file, 44 + 4 * i), expected) << i;
    EXPECT_EQ(Le16(file, 46 + 4 * i), -expected) << i;
  }
  std::remove(path.c_str());
}

TEST(WavDevice, AFileThatCannotBeCreatedIsAMissingDevice) {
  cWavDevice device("/nonexistent-folder/out.wav");
  EXPECT_EQ(device.Open(44100, 28224), kAudioNoDevice);
  cWavDevice unnamed("");
  EXPECT_EQ(unnamed.Open(44100, 28224), kAudioNoDevice);
}

TEST(DeviceChoice, NamesPickTheirDevice) {
  struct Case {
    const char* setting;
    const char* device;
  };
  for (Case c : {Case{"null", "null"},
                 {"NULL", "null"},
                 {"wav:/tmp/take.wav", "wav:/tmp/take.wav"},
                 {"WAV:/tmp/a b.wav", "wav:/tmp/a b.wav"},
                 {"hw:Some Card,0", "hw:Some Card,0"},
                 {"nullish", "nullish"}}) {
    std::string warning = "stale";
    auto device = ChooseSoundDevice(c.setting, &warning);
    ASSERT_NE(device, nullptr);
    EXPECT_EQ(device->Name(), c.device);
    EXPECT_EQ(warning, "");
  }
}

TEST(DeviceChoice, DefaultFallsBackToNullOnlyWithoutAnyDevice) {
  for (const char* setting : {"default", "Default", ""}) {
    std::string warning;
    auto device = ChooseSoundDevice(setting, &warning);
    if (HasRtAudioOutput()) {
      EXPECT_EQ(device->Name(), "default");
      EXPECT_EQ(warning, "");
    } else {
      EXPECT_EQ(device->Name(), "null");
      EXPECT_FALSE(warning.empty());
      EXPECT_EQ(warning.find('\n'), std::string::npos);
    }
  }
}

TEST(RtAudioDevice, AMissingDeviceFailsQuietly) {
  ::testing::internal::CaptureStderr();
  cRtAudioDevice missing("no such output device");
  EXPECT_EQ(missing.Open(44100, 28224), kAudioNoDevice);
  const std::vector<std::string> names = ListSoundDevices();
  if (names.empty()) {
    cRtAudioDevice fallback("");
    EXPECT_EQ(fallback.Open(44100, 28224), kAudioNoDevice);
  }
  // The sound libraries' probing chatter stays off the terminal.
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
}

}  // namespace
