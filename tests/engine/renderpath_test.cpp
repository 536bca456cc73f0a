#include "engine/renderpath.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <vector>

#include "engine/genmanager.h"
#include "support/testgenerator.h"

namespace {

// Ticks of a scripted length; records the frame at which each tick began,
// read from the frames a generator on channel 0 has rendered so far.
class cScriptedTicks : public cTickSource {
 public:
  void ProcessTick() override {
    startFrames.push_back(clock ? clock->framesRendered : 0);
    if (next < lengths.size()) current = lengths[next++];
  }
  int32_t SamplesPerTick() const override { return current; }

  std::vector<int32_t> lengths;  // one per tick; the last one repeats
  size_t next = 0;
  int32_t current = 882;
  const cTestGenerator* clock = nullptr;
  std::vector<long> startFrames;
};

class cEffectScale : public cEffect {
 public:
  explicit cEffectScale(float factor) : factor(factor) {}
  int32_t Process(float* frames, int32_t count) override {
    for (int32_t i = 0; i < 2 * count; ++i) frames[i] *= factor;
    ++calls;
    return 0;
  }
  float factor;
  int calls = 0;
};

struct RenderFixture : ::testing::Test {
  int32_t metersOff = 1;
  cpuSPD renderMeter{&metersOff, 0};
  cpuSPD mixMeter{&metersOff, 0};
  cSongTables song;
  cFxChains fx;
  cGenManager gens{44100};
  cRenderPath path{44100, 80, song, gens, fx, renderMeter, mixMeter};
  cScriptedTicks ticks;

  cTestGenerator* Dc(int channel, float level) {
    auto g = std::make_unique<cTestGenerator>(level);
    cTestGenerator* raw = g.get();
    gens.InstallGenerator(kGenBass, channel, std::move(g));
    return raw;
  }
};

// Dither alone, as a silent engine must produce it from its first block on.
std::vector<int16_t> DitherOnly(size_t count, uint32_t state = 381296920) {
  std::vector<int16_t> out;
  for (size_t k = 0; k < count; ++k) {
    state = (state * 1103515245u + 12345u) & 0x7FFFFFFFu;
    out.push_back(int16_t(std::nearbyint(double(state) / 2147483648.0)));
  }
  return out;
}

std::vector<int16_t> Render(cRenderPath& path, int blocks) {
  std::vector<int16_t> pcm;
  for (int b = 0; b < blocks; ++b) {
    const int16_t* start = path.OutputAccumulator();
    const int16_t* end = path.RenderBlock(1);  // every block a whole half
    EXPECT_EQ(end, start);
    pcm.insert(pcm.end(), start, start + 2 * path.BlockFrames());
  }
  return pcm;
}

}  // namespace

TEST_F(RenderFixture, TicksFallOnExactFramesAcrossBlocks) {
  for (int32_t spt : {882, 2756, 300, 1000, 1}) {
    cSongTables s;
    cFxChains f;
    cGenManager g(44100);
    cRenderPath p(44100, 80, s, g, f, renderMeter, mixMeter);
    auto clock = std::make_unique<cTestGenerator>();
    cScriptedTicks t;
    t.clock = clock.get();
    t.current = spt;
    t.lengths = {spt};
    g.InstallGenerator(kGenBass, 0, std::move(clock));
    p.SetTickSource(&t);
    const int blocks = 12;
    for (int b = 0; b < blocks; ++b) p.RenderBlock(0);
    const long total = 882L * blocks;
    ASSERT_EQ(long(t.startFrames.size()), (total + spt - 1) / spt) << "samples per tick " << spt;
    for (size_t k = 0; k < t.startFrames.size(); ++k) EXPECT_EQ(t.startFrames[k], long(k) * spt);
  }
}

TEST_F(RenderFixture, ALongTickCarriesItsRemainderIntoLaterBlocks) {
  ticks.clock = Dc(0, 0.0f);
  ticks.current = 872;
  ticks.lengths = {872, 2000, 882};  // the 2000-frame tick starts 10 frames before the end
  path.SetTickSource(&ticks);
  path.RenderBlock(0);
  EXPECT_EQ(path.tickRemainder, 1990);
  path.RenderBlock(0);
  EXPECT_EQ(path.tickRemainder, 1990 - 882);
  path.RenderBlock(0);
  EXPECT_EQ(path.tickRemainder, 1990 - 2 * 882);
  path.RenderBlock(0);
  EXPECT_EQ(ticks.startFrames, (std::vector<long>{0, 872, 2872}));
}

TEST_F(RenderFixture, ASilentEngineOutputsTheDitherAloneBitForBit) {
  const std::vector<int16_t> pcm = Render(path, 5);
  EXPECT_EQ(pcm, DitherOnly(pcm.size()));
}

TEST_F(RenderFixture, NoChannelsRendersDitherAlone) {
  song.SetChannelCount(0);
  Dc(0, 1000.0f);
  const std::vector<int16_t> pcm = Render(path, 2);
  EXPECT_EQ(pcm, DitherOnly(pcm.size()));
}

TEST_F(RenderFixture, BrokenSoundIsSilencedNotConverted) {
  for (float bad :
       {std::numeric_limits<float>::quiet_NaN(), std::numeric_limits<float>::infinity()}) {
    cRenderPath p(44100, 80, song, gens, fx, renderMeter, mixMeter);
    Dc(0, bad);
    const std::vector<int16_t> pcm = Render(p, 1);
    EXPECT_EQ(pcm, DitherOnly(pcm.size()));
  }
}

TEST_F(RenderFixture, GainsFollowChannelNoteAndMasterSettings) {
  struct Case {
    int channels, channelVolume, noteVolume, masterVolume, masterPan;
    double left, right;  // expected gain from generator level to output
  };
  const double s4 = 0.7125, s16 = 0.6;
  for (auto c : {Case{4, 100, 127, 100, 0, 0.5 * s4, 0.5 * s4},
                 Case{16, 100, 127, 100, 0, 0.5 * s16, 0.5 * s16},
                 Case{4, 50, 127, 200, 0, 0.5 * s4, 0.5 * s4},
                 Case{4, 100, 64, 100, -100, s4 * 64 / 127, 0.0},
                 Case{4, 100, 127, 100, 100, 0.0, s4}, Case{4, 100, 127, 0, 0, 0.0, 0.0}}) {
    cSongTables s;
    cGenManager g(44100);
    cRenderPath p(44100, 80, s, g, fx, renderMeter, mixMeter);
    g.InstallGenerator(kGenBass, 0, std::make_unique<cTestGenerator>(10000.0f));
    s.SetChannelCount(c.channels);
    s.channelVolume[0] = c.channelVolume;
    s.noteVolume[0] = c.noteVolume;
    s.masterVolume = c.masterVolume;
    s.masterPan = c.masterPan;
    const std::vector<int16_t> pcm = Render(p, 1);
    // The dither adds a value in [0, 1) before rounding.
    for (size_t i = 0; i < pcm.size(); i += 2) {
      ASSERT_NEAR(pcm[i], 10000.0 * c.left + 0.5, 1.0) << "channels " << c.channels;
      ASSERT_NEAR(pcm[i + 1], 10000.0 * c.right + 0.5, 1.0) << "pan " << c.masterPan;
    }
  }
}

TEST_F(RenderFixture, OutputSaturatesAtSixteenBits) {
  // Master 200 % and centre pan: a generator level of 40000 / 0.7125 mixes to 40000.
  song.masterVolume = 200;
  Dc(0, float(40000.0 / 0.7125));
  Dc(1, float(-40000.0 / 0.7125));
  song.channelVolume[1] = 0;
  EXPECT_EQ(path.ClippedSamples(), 0u);
  std::vector<int16_t> pcm = Render(path, 1);
  for (int16_t v : pcm) EXPECT_EQ(v, 32767);
  // Every sample of the block is counted, once.
  EXPECT_EQ(path.ClippedSamples(), uint32_t(pcm.size()));
  song.channelVolume[0] = 0;
  song.channelVolume[1] = 100;
  pcm = Render(path, 1);
  for (int16_t v : pcm) EXPECT_EQ(v, -32768);
  EXPECT_EQ(path.ClippedSamples(), uint32_t(2 * pcm.size()));
  song.channelVolume[1] = 0;
  Render(path, 1);
  EXPECT_EQ(path.ClippedSamples(), uint32_t(2 * pcm.size()));
}

TEST_F(RenderFixture, SoloAndMuteGateTheMixAndTheSends) {
  Dc(0, 1000.0f);
  Dc(1, 2000.0f);
  Dc(2, 3000.0f);
  fx.send[0][0] = 100;
  fx.send[0][1] = 50;
  fx.send[1][2] = 100;
  song.mixer.solo = 2;
  song.mixer.on[2] = 0;  // a soloed channel is heard whatever its flag
  path.RenderBlock(0);
  const float* bus0 = path.ChannelBuffer(kChannels + 0);
  const float* bus1 = path.ChannelBuffer(kChannels + 1);
  EXPECT_EQ(bus0[0], 0.0f);
  EXPECT_EQ(bus1[0], 3000.0f);

  song.mixer.solo = -1;
  song.mixer.on[1] = 0;  // muted: sends nothing
  path.RenderBlock(0);
  EXPECT_EQ(bus0[5], 1000.0f);
  EXPECT_EQ(bus1[5], 0.0f);  // channel 2's flag is 0 now that nobody is soloed
}

TEST_F(RenderFixture, SendsArePostEffectAndBusesRunTheirChains) {
  Dc(0, 1000.0f);
  auto channelFx = std::make_unique<cEffectScale>(0.5f);
  auto busFx = std::make_unique<cEffectScale>(3.0f);
  cEffectScale* channelRaw = channelFx.get();
  fx.object[2][0] = std::move(channelFx);
  fx.object[0][kChannels + 0] = std::move(busFx);
  fx.send[0][0] = 40;
  song.channelVolume[0] = 0;  // pre-fader: the send does not follow it
  path.RenderBlock(0);
  EXPECT_FLOAT_EQ(path.ChannelBuffer(0)[3], 500.0f);
  EXPECT_FLOAT_EQ(path.ChannelBuffer(kChannels)[3], 500.0f * 0.4f * 3.0f);
  EXPECT_EQ(channelRaw->calls, 1);

  // With effects off nothing is processed and the bus holds no stale sound.
  path.fxEngineOn = 0;
  path.RenderBlock(0);
  EXPECT_EQ(channelRaw->calls, 1);
  EXPECT_FLOAT_EQ(path.ChannelBuffer(0)[3], 1000.0f);
  EXPECT_EQ(path.ChannelBuffer(kChannels)[3], 0.0f);
}

TEST_F(RenderFixture, ABusWhoseLastSendDropsIsClearedOnce) {
  Dc(0, 1000.0f);
  fx.send[3][0] = 100;
  path.RenderBlock(1);
  EXPECT_EQ(path.ChannelBuffer(kChannels + 3)[0], 1000.0f);
  fx.send[3][0] = 0;
  song.channelVolume[0] = 0;
  const std::vector<int16_t> pcm = Render(path, 1);
  // Only the channel could sound, and it is faded out: the bus adds nothing.
  for (int16_t v : pcm) EXPECT_TRUE(v == 0 || v == 1);
  EXPECT_EQ(path.ChannelBuffer(kChannels + 3)[0], 0.0f);
}

TEST_F(RenderFixture, CursorsAdvanceByBlocksAndFlagOneReturnsToTheStart) {
  int16_t* start = path.OutputAccumulator();
  EXPECT_EQ(path.RenderBlock(0), start + 2 * 882);
  EXPECT_EQ(path.RenderBlock(0), start + 4 * 882);
  EXPECT_EQ(path.RenderBlock(1), start);
  // A stalled output calling with flag 0 again and again never runs past the
  // accumulators: the cursors start over.
  int16_t* end = start + 2 * 2 * path.HalfFrames();
  for (int i = 0; i < 50; ++i) {
    int16_t* cursor = path.RenderBlock(0);
    EXPECT_GE(cursor, start);
    EXPECT_LE(cursor, end);
  }
  EXPECT_EQ(path.RenderBlock(1), start);
}

TEST_F(RenderFixture, AnEngineSwitchedOffRendersZerosAndKeepsItsTick) {
  ticks.clock = Dc(0, 1000.0f);
  ticks.current = 2000;
  ticks.lengths = {2000};
  path.SetTickSource(&ticks);
  path.RenderBlock(1);
  const int32_t remainder = path.tickRemainder;
  const uint32_t dither = path.ditherState;
  path.engineOn = 0;
  const std::vector<int16_t> pcm = Render(path, 3);
  for (int16_t v : pcm) EXPECT_EQ(v, 0);
  EXPECT_EQ(path.tickRemainder, remainder);
  EXPECT_EQ(path.ditherState, dither);
  EXPECT_EQ(ticks.startFrames.size(), 1u);
}

// An export's tap: each channel's stem at the gain the mixer gives it (a
// muted one silent), each bus at unity, all at the master gains; together
// they are the mix before dither, and tapping changes no output sample.
TEST_F(RenderFixture, AnExportsStemsAddUpToTheMixBeforeDither) {
  Dc(0, 1000.0f);
  Dc(1, -2000.0f);
  Dc(2, 3000.0f);
  song.SetChannelCount(6);
  song.channelVolume[0] = 80;
  song.noteVolume[1] = 64;
  song.mixer.on[2] = 0;  // muted: a silent stem, and it sends nothing
  song.masterVolume = 150;
  song.masterPan = -40;
  fx.send[0][0] = 50;
  fx.send[0][2] = 100;
  fx.object[0][kChannels] = std::make_unique<cEffectScale>(3.0f);

  cRenderPath plain(44100, 80, song, gens, fx, renderMeter, mixMeter);
  const std::vector<int16_t> untapped = Render(plain, 1);
  cMixTap tap(path.BlockFrames());
  const int wanted[] = {0, 1, 2, 3, kChannels, kChannels + 1};
  for (int b : wanted) tap.WantStem(b);
  path.SetTap(&tap);
  const std::vector<int16_t> tapped = Render(path, 1);
  EXPECT_EQ(tapped, untapped);

  const double scale = (1.0 - 6 * double(0.0125f)) * double(0.75f);
  const double master[2] = {1.5 * 0.7 * scale, 1.5 * 0.3 * scale};
  ASSERT_EQ(tap.Frames(), path.BlockFrames());
  for (int32_t i = 0; i < 2 * tap.Frames(); ++i) {
    const double m = master[i & 1];
    EXPECT_FLOAT_EQ(tap.Stem(0)[i], float(1000.0 * 0.8 * m));
    EXPECT_FLOAT_EQ(tap.Stem(1)[i], float(-2000.0 * 64.0 / 127.0 * m));
    EXPECT_EQ(tap.Stem(2)[i], 0.0f);
    EXPECT_EQ(tap.Stem(3)[i], 0.0f);
    EXPECT_FLOAT_EQ(tap.Stem(kChannels)[i], float(1000.0 * 0.5 * 3.0 * m));
    EXPECT_EQ(tap.Stem(kChannels + 1)[i], 0.0f);
    double sum = 0.0;
    for (int b : wanted) sum += tap.Stem(b)[i];
    EXPECT_NEAR(sum, tap.Mix()[i], 1e-3);
    // The finished sample is the mix plus a dither in [0, 1), rounded.
    EXPECT_NEAR(tapped[size_t(i)], tap.Mix()[i] + 0.5, 1.0);
  }
}
