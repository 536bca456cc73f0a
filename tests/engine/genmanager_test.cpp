#include <gtest/gtest.h>

#include "engine/genmanager.h"
#include "support/testgenerator.h"

namespace {

struct Channel {
  cTestGenerator* kind[kGenKinds];
};

Channel Install(cGenManager& m, int channel) {
  Channel ch{};
  for (int k = 0; k < kGenKinds; ++k) {
    auto g = std::make_unique<cTestGenerator>(float(k + 1), k + 1);
    ch.kind[k] = g.get();
    m.InstallGenerator(k, channel, std::move(g));
  }
  return ch;
}

}  // namespace

TEST(GenManager, InterpolationTablesHoldTheCubicWeights) {
  cGenManager m(44100);
  const int half = kInterpSize / 2;  // t = 0.5
  EXPECT_FLOAT_EQ(m.interpolation[0][half], -0.0625f);
  EXPECT_FLOAT_EQ(m.interpolation[1][half], 0.5625f);
  EXPECT_FLOAT_EQ(m.interpolation[2][half], 0.5625f);
  EXPECT_FLOAT_EQ(m.interpolation[3][half], -0.0625f);
  EXPECT_FLOAT_EQ(m.interpolation[4][half], 0.5f);
  EXPECT_EQ(m.interpolation[1][0], 1.0f);
  // The four weights always sum to one.
  for (int i = 0; i < kInterpSize; i += 97) {
    float sum = 0;
    for (int t = 0; t < 4; ++t) sum += m.interpolation[t][i];
    EXPECT_NEAR(sum, 1.0f, 1e-6f);
  }
}

TEST(GenManager, CallsReachOnlyTheSelectedGeneratorOfTheCurrentChannel) {
  cGenManager m(44100);
  Channel c0 = Install(m, 0);
  Channel c1 = Install(m, 1);
  m.currentChannel = 1;
  m.SelectGenerator(kGenSampler);
  m.NoteOn(40);
  EXPECT_EQ(c1.kind[kGenSampler]->calls, std::vector<std::string>{"NoteOn 40"});
  EXPECT_TRUE(c1.kind[kGenBass]->calls.empty());
  EXPECT_TRUE(c0.kind[kGenSampler]->calls.empty());

  float frames[8];
  m.Render(frames, 4);
  EXPECT_EQ(frames[7], 2.0f);
}

TEST(GenManager, OutOfRangeTypeSelectsNothingAndRendersSilence) {
  for (int32_t type : {3, -1, 1000}) {
    cGenManager m(44100);
    Channel c = Install(m, 0);
    m.currentChannel = 0;
    m.SelectGenerator(type);
    m.NoteOn(10);
    m.LoadInstrument(nullptr);
    float frames[4] = {5, 5, 5, 5};
    m.Render(frames, 2);
    for (float f : frames) EXPECT_EQ(f, 0.0f);
    for (auto* g : c.kind) EXPECT_TRUE(g->calls.empty());
    EXPECT_EQ(m.VoiceCount(), 0);
  }
}

TEST(GenManager, ChannelOperationsAddressAllThreeKinds) {
  cGenManager m(44100);
  Install(m, 2);
  Channel c = Install(m, 3);
  m.currentChannel = 3;
  m.ResetChannel();
  m.ReleaseChannel();
  m.CutChannel();
  for (auto* g : c.kind) {
    EXPECT_EQ(g->calls, (std::vector<std::string>{"Reset", "NoteOff", "FastRelease"}));
  }
  EXPECT_TRUE(m.Generator(kGenBass, 2)->GetVoiceCount() == 1);
}

TEST(GenManager, VoiceCountAddsOnlyTheSelectedKinds) {
  cGenManager m(44100);
  for (int ch = 0; ch < 3; ++ch) Install(m, ch);  // voices: bass 1, sampler 2, fm 3
  m.generatorType[0] = kGenBass;
  m.generatorType[1] = kGenSampler;
  m.generatorType[2] = kGenFM;
  EXPECT_EQ(m.VoiceCount(), 1 + 2 + 3);
}

TEST(GenManager, CreateGeneratorsInitialisesWhatIsInstalled) {
  cGenManager m(48000);
  Channel c = Install(m, 5);
  EXPECT_TRUE(m.CreateGenerators());
  for (auto* g : c.kind) EXPECT_EQ(g->sampleRate, 48000);
}
