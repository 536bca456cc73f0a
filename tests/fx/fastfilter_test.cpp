#include "fx/fastfilter.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "fxtestutil.h"

TEST(FastFilter, CutoffAndResonanceStayWithinTheirLimits) {
  cFastFilter24 fx;
  fx.Init(44100);
  struct Case {
    int32_t index, value;
    float f, q;
  };
  for (Case c : {Case{1, 32767, 0.999f, 100 / 127.0f},
                 {1, 0, 0.001f, 100 / 127.0f},
                 {1, -5000, 0.001f, 100 / 127.0f},
                 {1, 16384, float(16384 / 32767.0), 100 / 127.0f},
                 {2, 127, float(16384 / 32767.0), 0.999f},
                 {2, 0, float(16384 / 32767.0), 0.001f}}) {
    fx.SetParam(c.index, c.value);
    EXPECT_EQ(fx.GetParam(c.index), c.value);  // stored as given
    EXPECT_FLOAT_EQ(fx.f, c.f);
    EXPECT_FLOAT_EQ(fx.q, c.q);
    EXPECT_FLOAT_EQ(fx.oneMinusF, 1.0f - fx.f);
    EXPECT_FLOAT_EQ(fx.feedback, (1.0f / fx.oneMinusF + 1.0f) * fx.q);
  }
}

TEST(FastFilter, Texts) {
  cFastFilter24 fx;
  fx.Init(44100);
  struct Case {
    int32_t index, value;
    const char* text;
  };
  for (Case c : {Case{1, 16384, "11025.3 Hz"},
                 {1, 8192, "5512.7 Hz"},
                 {1, 0, "22.1 Hz"},
                 {0, 0, "LoPass"},
                 {0, 1, "HiPass"},
                 {0, 3, "HiPass"},
                 {2, 100, "100"}}) {
    char text[kFxTextSize] = "";
    fx.GetParamText(text, c.index, c.value);
    EXPECT_STREQ(text, c.text);
  }
  EXPECT_EQ(fx.GetParam(1), 16384);
  EXPECT_EQ(fx.GetParam(2), 100);
}

TEST(FastFilter, CommandsDriveTheFilterWithoutStoringAndNibbleZeroRestores) {
  cFastFilter24 fx;
  fx.Init(44100);
  const float storedF = fx.f;
  const float storedQ = fx.q;

  struct Case {
    int32_t command;  // command byte x 256 + parameter byte
    int32_t highPass;
    float f, q;
  };
  for (Case c : {
           Case{0xA185, 1, storedF, storedQ},  // type from bit 0
           {0xB5FE, 0, storedF, storedQ},
           {0xA285, 1, float(5 * 258 / 32767.0), storedQ},  // type from bit 7, cutoff
           {0xC603, 0, float(3 * 258 / 32767.0), storedQ},
           {0xA340, 0, storedF, float(64 / 127.0)},  // resonance
           {0xDFFF, 0, storedF, 0.999f},
           {0xA4FF, 0, 0.999f, storedQ},                  // 255 -> cutoff 32767
           {0xA864, 0, float(12849 / 32767.0), storedQ},  // trunc(100 x 128.499)
           {0xAC01, 0, float(128 / 32767.0), storedQ},
       }) {
    fx.Command(0xA000, 0);  // back to the stored values first
    ASSERT_EQ(fx.f, storedF);
    fx.Command(c.command, 0);
    EXPECT_EQ(fx.highPass, c.highPass) << std::hex << c.command;
    EXPECT_FLOAT_EQ(fx.f, c.f) << std::hex << c.command;
    EXPECT_FLOAT_EQ(fx.q, c.q) << std::hex << c.command;
    EXPECT_EQ(fx.GetParam(0), 0);
    EXPECT_EQ(fx.GetParam(1), 16384);
    EXPECT_EQ(fx.GetParam(2), 100);
  }
  fx.Command(0xA2FF, 0);
  fx.Command(0xB000, 0);
  EXPECT_EQ(fx.highPass, 0);
  EXPECT_EQ(fx.f, storedF);
}

TEST(FastFilter, LowPassKeepsDcAndHighPassRemovesIt) {
  for (int32_t type : {0, 1}) {
    cFastFilter24 fx;
    fx.Init(44100);
    fx.SetParam(0, type);
    fx.SetParam(1, 3000);
    std::vector<float> frames(2 * 44100, 1000.0f);
    ProcessInBlocks(fx, frames);
    const float settled = frames[frames.size() - 2];
    // The low-pass output carries the internal offset of 1.0.
    EXPECT_NEAR(settled, type == 0 ? 1001.0f : 0.0f, 0.05f) << type;
  }

  // The Nyquist tone is all but gone below a low cutoff.
  cFastFilter24 fx;
  fx.Init(44100);
  fx.SetParam(1, 1000);
  fx.SetParam(2, 0);
  std::vector<float> frames(2 * 4410);
  for (size_t i = 0; i < frames.size(); ++i) frames[i] = (i / 2) % 2 ? 10000.0f : -10000.0f;
  ProcessInBlocks(fx, frames);
  EXPECT_LT(std::fabs(frames[frames.size() - 2] - 1.0f), 10.0f);
}

TEST(FastFilter, ClearZeroesTheMemories) {
  cFastFilter24 fx;
  fx.Init(44100);
  std::vector<float> noise = Noise(100);
  fx.Process(noise.data(), 100);
  fx.Clear();
  EXPECT_EQ(fx.stage1Left, 0.0f);
  EXPECT_EQ(fx.stage2Right, 0.0f);
  EXPECT_EQ(fx.GetParam(1), 16384);
}
