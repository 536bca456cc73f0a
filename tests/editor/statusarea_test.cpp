// The main window's status texts, master knobs, channel box and spectrum.

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "editor/analyser.h"
#include "editor/channelbox.h"
#include "editor/statustext.h"

TEST(StatusText, CaptionAndLoadLine) {
  EXPECT_EQ(MainCaption(), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3");
  EXPECT_EQ(MainCaption("demo.zqm"), "Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  demo.zqm");
  // Unsaved changes put a star in front, with or without a file.
  EXPECT_EQ(MainCaption("demo.zqm", true), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3  -  demo.zqm");
  EXPECT_EQ(MainCaption({}, true), "*Murvelon ver. 0.o150a  -  Tadrelo 2oo3");
  EXPECT_EQ(LoadStatusText(2400, 1.25f, 3.44f, 0.05f, 4.74f),
            " CPU: 2400 MHz, Rou: 1.2%, Chn: 3.4%, Gfx: 0.1%, Tot: 4.7% ");
  EXPECT_EQ(VoicesText(12), "Voices: 12");
}

TEST(StatusText, MasterKnobMessages) {
  struct Case {
    int knob;
    int pan;
    const char* text;
  };
  for (auto c : {Case{37, 35, "Master Pan: 35%"}, Case{-4, 0, "Master Pan: Center"},
                 Case{-37, -35, "Master Pan: -35%"}, Case{100, 100, "Master Pan: 100%"}}) {
    EXPECT_EQ(MasterPanFromKnob(c.knob), c.pan) << c.knob;
    EXPECT_EQ(MasterPanMessage(MasterPanFromKnob(c.knob)), c.text) << c.knob;
  }
  EXPECT_EQ(MasterVolumeMessage(120), "Master Volume: 120%");
}

TEST(StatusText, ASecondMessageRestartsTheCountdown) {
  cMessageCountdown countdown;
  countdown.Start();
  EXPECT_FALSE(countdown.Tick());
  EXPECT_FALSE(countdown.Tick());  // 0.5 s at 250 ms periods
  countdown.Start();
  for (int i = 0; i < 4; ++i) EXPECT_FALSE(countdown.Tick());
  EXPECT_TRUE(countdown.Tick());   // 1.25 s after the second
  EXPECT_FALSE(countdown.Tick());  // and only once
}

TEST(ChannelBox, ListedCountsAndTheOnesBetween) {
  cChannelBox four = ChannelBoxFor(4);
  ASSERT_EQ(four.entries.size(), 7u);
  EXPECT_EQ(four.entries[0].text, "4 Channels");
  EXPECT_EQ(four.entries[6].text, "16 Channels");
  EXPECT_EQ(four.selected, 0);
  EXPECT_EQ(ChannelBoxFor(16).selected, 6);

  struct Case {
    int count;
    int selected;
  };
  for (auto c : {Case{7, 2}, Case{0, 0}, Case{1, 0}, Case{15, 6}}) {
    cChannelBox box = ChannelBoxFor(c.count);
    ASSERT_EQ(box.entries.size(), 8u) << c.count;
    EXPECT_EQ(box.selected, c.selected) << c.count;
    EXPECT_EQ(box.entries[size_t(c.selected)].count, c.count);
    EXPECT_EQ(box.entries[size_t(c.selected)].text, std::to_string(c.count) + " Channels");
  }
}

namespace {

// An accumulator holding a sine of the given level on both sides.
std::vector<int16_t> SineAccumulator(int frames, double hz, double level) {
  std::vector<int16_t> acc(size_t(frames) * 2);
  for (int i = 0; i < frames; ++i) {
    const auto v = int16_t(std::lround(32767.0 * level * std::sin(2 * M_PI * hz * i / 44100.0)));
    acc[2 * size_t(i)] = acc[2 * size_t(i) + 1] = v;
  }
  return acc;
}

}  // namespace

TEST(Spectrum, AFullScaleSineFillsItsBandAndLeavesFarBandsLow) {
  std::vector<int16_t> acc = SineAccumulator(7056, 1000.0, 1.0);
  cSpectrum spectrum(44100);
  for (int i = 0; i < 8; ++i) {
    spectrum.Capture(acc.data(), 7056, 0);
    spectrum.Analyse();
  }
  int loudest = 0;
  for (int b = 1; b <= cSpectrum::kBars; ++b)
    if (spectrum.BandMagnitude(b) > spectrum.BandMagnitude(loudest)) loudest = b;
  EXPECT_NEAR(spectrum.BandMagnitude(loudest), 1.0, 0.02);
  EXPECT_LT(spectrum.BandMagnitude(1), 0.2);
  EXPECT_LT(spectrum.BandMagnitude(15), 0.2);
  // Band weighting 0.9 + b x 0.0125 and 18 pixels per unit, after smoothing.
  EXPECT_NEAR(spectrum.BarHeight(loudest - 1), 18 * (0.9 + (loudest - 1) * 0.0125), 1.0);
}

TEST(Spectrum, ReadsWrapAtTheEndOfASmallAccumulator) {
  // The smallest latency gives two 882-frame halves: 1764 frames, fewer than
  // 1024 beyond a write position near the end.
  std::vector<int16_t> acc(1764 * 2);
  for (int i = 0; i < 1764; ++i) {
    acc[2 * size_t(i)] = int16_t(i);
    acc[2 * size_t(i) + 1] = int16_t(-i - 1);  // (i + (-i - 1)) / 2 rounds toward zero: 0
  }
  acc[2 * 5] = 101;  // frame 5 after the wrap: (101 - 6) / 2 = 47
  cSpectrum spectrum(44100);
  spectrum.Capture(acc.data(), 1764, 1500);
  EXPECT_EQ(spectrum.MonoSamples()[0], 0);
  EXPECT_EQ(spectrum.MonoSamples()[264 + 5], 47);
  // A silent accumulator leaves every bar down.
  std::vector<int16_t> silence(1764 * 2, 0);
  for (int i = 0; i < 6; ++i) {
    spectrum.Capture(silence.data(), 1764, 1700);
    spectrum.Analyse();
  }
  for (int b = 0; b < cSpectrum::kBars; ++b) EXPECT_EQ(spectrum.BarHeight(b), 0);
}

// Near-silence skips the transform; whatever reaches the 60 dB scale must
// still show, and what does not leaves every band at 0.
TEST(Spectrum, OnlyWhatStaysBelowSixtyDecibelsSkipsTheTransform) {
  struct Case {
    double db;  // sine level; below -200: the dither alone (0 or 1)
    bool shows;
  };
  const Case cases[] = {{-57.0, true}, {-50.0, true}, {-66.0, false}, {-300.0, false}};
  for (const Case& c : cases) {
    std::vector<int16_t> acc = SineAccumulator(2048, 1000.0, std::pow(10.0, c.db / 20.0));
    if (c.db < -200) {
      for (size_t i = 0; i < acc.size(); ++i) acc[i] = int16_t((i * 7919 / 3) % 2);
    }
    cSpectrum spectrum(44100);
    spectrum.Capture(acc.data(), 2048, 0);
    spectrum.Analyse();
    double loudest = 0.0;
    for (int b = 1; b <= cSpectrum::kBars; ++b)
      loudest = std::max(loudest, spectrum.BandMagnitude(b));
    EXPECT_EQ(loudest > 0.0, c.shows) << c.db << " dB: " << loudest;
  }
}
