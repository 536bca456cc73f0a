#include "fx/fxchains.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "fx/fastfilter.h"
#include "fx/fxfactory.h"
#include "fxtestutil.h"

namespace {

struct ChainsFixture : ::testing::Test {
  int32_t bpm = 140;
  int32_t speed = 6;
  cFxChains chains;
  void SetUp() override { chains.factory = cFxFactory(&bpm, &speed, 44100); }
};

}  // namespace

TEST(FxFactory, TypeNamesAndWhatNewFxModuleBuilds) {
  const char* names[] = {"None",
                         "FastFilter 24db",
                         "Delay + Feedback",
                         "Reverberator",
                         "Stereo Expander",
                         "Distorter",
                         "Overdrive",
                         "Flanger/Chorus",
                         "Compressor",
                         "Equalizer (5 Bands)",
                         "Equalizer (7 Bands)",
                         "Flanger/Chorus 2"};
  for (int32_t type = 0; type < kFxTypeCount; ++type) EXPECT_STREQ(FxTypeName(type), names[type]);
  EXPECT_EQ(FxTypeName(-1), nullptr);
  EXPECT_EQ(FxTypeName(12), nullptr);

  int32_t bpm = 125, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  for (int32_t type : {0, 12, -1, 255}) EXPECT_EQ(factory.NewFxModule(type), nullptr) << type;
  for (int32_t type = 1; type < kFxTypeCount; ++type) {
    std::unique_ptr<cEffect> fx = factory.NewFxModule(type);
    ASSERT_NE(fx, nullptr) << type;
    SCOPED_TRACE(names[type]);
    EXPECT_STREQ(fx->GetName(), names[type]);
    EXPECT_EQ(fx->bpm, &bpm);
    EXPECT_EQ(fx->speed, &speed);
    EXPECT_GE(fx->GetNumPresets(), 1);
    // Built holding preset 0.
    for (int32_t i = 0; i < fx->GetNumParams(); ++i) {
      EXPECT_EQ(fx->GetParam(i), fx->GetParamDesc(i)->defaultValue) << i;
    }
    EXPECT_EQ(fx->GetParam(fx->GetNumParams()), -1);
    EXPECT_EQ(fx->GetParamDesc(-1), nullptr);
  }
}

TEST(FxFactory, StoredParametersReloadIntoAFreshEffect) {
  int32_t bpm = 125, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  for (int32_t type = 1; type < kFxTypeCount; ++type) {
    std::unique_ptr<cEffect> saved = factory.NewFxModule(type);
    ASSERT_NE(saved, nullptr) << type;
    uint32_t seed = uint32_t(type) * 7919u;
    std::vector<int32_t> stored;
    for (int32_t i = 0; i < saved->GetNumParams(); ++i) {
      const cFxParamDesc* d = saved->GetParamDesc(i);
      seed = seed * 1664525u + 1013904223u;
      saved->SetParam(i, d->minimum + int32_t(seed >> 8) % (d->maximum - d->minimum + 1));
      stored.push_back(saved->GetParam(i));
    }
    std::unique_ptr<cEffect> loaded = factory.NewFxModule(type);
    for (int32_t i = 0; i < int32_t(stored.size()); ++i) loaded->SetParam(i, stored[i]);
    for (int32_t i = 0; i < int32_t(stored.size()); ++i) {
      EXPECT_EQ(loaded->GetParam(i), stored[i]) << saved->GetName() << " " << i;
    }
  }
}

TEST(FxFactory, RowsInMillisecondsAtTheSongTempo) {
  int32_t bpm = 140, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  EXPECT_EQ(factory.x2ms(0), 107);
  EXPECT_EQ(factory.x2ms(15), 1712);
  EXPECT_EQ(factory.x2ms(7), 856);
  speed = 3;
  EXPECT_EQ(factory.x2ms(0), 53);
  bpm = 0;  // a damaged song: no division by zero
  EXPECT_EQ(factory.x2ms(3), 0);
  EXPECT_EQ(cFxFactory().x2ms(3), 0);
}

TEST_F(ChainsFixture, ChangeAllocateAndDestroyModules) {
  chains.ChangeFxModule(3, 5, 2);  // slot 5 is slot 1
  cEffect* delay = chains.GetFxObjPtr(1, 3);
  ASSERT_NE(delay, nullptr);
  EXPECT_STREQ(delay->GetName(), "Delay + Feedback");
  EXPECT_EQ(chains.GetFxObjPtr(5, 3), delay);
  EXPECT_EQ(chains.type[1][3], 0u);  // the caller writes the type table

  chains.ChangeFxModule(3, 1, 12);  // no such type: the slot empties
  EXPECT_EQ(chains.GetFxObjPtr(1, 3), nullptr);
  chains.ChangeFxModule(20, 0, 1);  // no such chain
  chains.ChangeFxModule(-1, 0, 1);
  EXPECT_EQ(chains.GetFxObjPtr(0, 20), nullptr);
  EXPECT_EQ(chains.GetFxObjPtr(0, -1), nullptr);

  // As after loading a song: the type table is written, then allocated.
  chains.type[0][0] = 1;
  chains.type[3][19] = 3;
  chains.type[2][16] = 10;
  chains.type[1][5] = 200;  // damaged: stays empty
  chains.AllocateFxModules();
  EXPECT_STREQ(chains.GetFxObjPtr(0, 0)->GetName(), "FastFilter 24db");
  EXPECT_STREQ(chains.GetFxObjPtr(3, 19)->GetName(), "Reverberator");
  EXPECT_STREQ(chains.GetFxObjPtr(2, 16)->GetName(), "Equalizer (7 Bands)");
  EXPECT_EQ(chains.GetFxObjPtr(1, 5), nullptr);

  chains.SetSend(4, 2, 60);
  chains.DestroyAll();
  for (int s = 0; s < kFxSlots; ++s) {
    for (int c = 0; c < kFxChains; ++c) {
      EXPECT_EQ(chains.GetFxObjPtr(s, c), nullptr);
      EXPECT_EQ(chains.type[s][c], 0u);
    }
  }
  for (int a = 0; a < kFxAuxBuses; ++a) {
    for (int c = 0; c < kFxChannels; ++c) EXPECT_EQ(chains.GetSend(c, a), 0);
  }
}

TEST_F(ChainsFixture, SendLevels) {
  chains.SetSend(15, 6, 40);  // aux 6 is aux 2
  EXPECT_EQ(chains.GetSend(15, 2), 40);
  EXPECT_EQ(chains.send[2][15], 40);
  chains.SetSend(0, 0, 250);
  EXPECT_EQ(chains.GetSend(0, 0), 100);
  chains.SetSend(0, 1, -5);
  EXPECT_EQ(chains.GetSend(0, 1), 0);
  chains.SetSend(16, 0, 50);  // aux buses have no sends
  EXPECT_EQ(chains.GetSend(16, 0), -1);
  EXPECT_EQ(chains.GetSend(-1, 0), -1);
}

TEST_F(ChainsFixture, ApplyAllRestoresAndClearAllSilences) {
  chains.ChangeFxModule(2, 0, 1);
  chains.ChangeFxModule(17, 3, 2);
  auto* filter = static_cast<cFastFilter24*>(chains.GetFxObjPtr(0, 2));
  const float storedF = filter->f;
  filter->Command(0xA2FF, 0);
  ASSERT_NE(filter->f, storedF);

  cEffect* delay = chains.GetFxObjPtr(3, 17);
  std::vector<float> frames = Frames(882);
  frames[0] = 1000.0f;
  delay->Process(frames.data(), 882);

  chains.ApplyAll();
  EXPECT_EQ(filter->f, storedF);
  EXPECT_EQ(filter->highPass, 0);

  chains.ClearAll();
  frames = Frames(44100);
  delay->Process(frames.data(), 44100);
  for (float v : frames) ASSERT_EQ(v, 0.0f);  // the pending echo is gone
}
