#include "engine/fmsynth.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <vector>

namespace {

class FMSynth : public ::testing::Test {
 protected:
  FMSynth() : fm(std::make_unique<cFMSynth>()) {
    fm->Init(44100);
    fm->Reset();
    fm->GetDefaults(params);
  }
  void Apply() { fm->SetParams(params); }
  std::vector<float> Render(int frames) {
    std::vector<float> out(size_t(2 * frames));
    fm->Render(out.data(), frames);
    return out;
  }

  std::unique_ptr<cFMSynth> fm;
  int16_t params[128] = {};
};

TEST_F(FMSynth, TablesHoldTheFourWaveforms) {
  const float* sine = fm->Table(0);
  EXPECT_FLOAT_EQ(sine[4096], 1.0f);
  EXPECT_NEAR(sine[12288], -1.0f, 1e-6f);
  // Waveform 1: the positive half twice; 2: the positive half, then silence.
  EXPECT_NEAR(fm->Table(1)[4096 + 8192], 1.0f, 1e-5f);
  EXPECT_NEAR(fm->Table(2)[12288], 0.0f, 1e-5f);
  EXPECT_NEAR(fm->Table(2)[4096], 1.0f, 1e-5f);
  // Waveform 3: rising quarter, a fast fall past zero, silence; twice.
  const float* w3 = fm->Table(3);
  EXPECT_NEAR(w3[4095], 1.0f, 1e-4f);
  EXPECT_NEAR(w3[5119], -0.38f, 0.01f);
  EXPECT_NEAR(w3[6000], 0.0f, 1e-3f);
  EXPECT_NEAR(w3[8192 + 4095], 1.0f, 1e-4f);
  for (int w = 0; w < 4; ++w) {
    for (int i = 0; i < kFMTableSize; ++i) ASSERT_LE(std::fabs(fm->Table(w)[i]), 1.01f);
  }
}

TEST_F(FMSynth, ANoteBelowZeroPlaysAsZero) {
  fm->NoteOn(0);
  const float inc = fm->Increment(1);
  EXPECT_NEAR(inc, 16.3516f * 16384.0f / 44100.0f, 1e-5f);
  fm->NoteOn(-7);
  EXPECT_EQ(fm->Increment(1), inc);
}

TEST_F(FMSynth, PlaysThePitchOfItsNote) {
  // Modulation index 0: the carrier alone, a sine at the note's frequency.
  params[7] = 0;
  params[1] = 0;  // hard left
  params[19] = 127;
  Apply();
  fm->NoteOn(57);  // 440 Hz
  std::vector<float> out = Render(44100);
  int crossings = 0;
  float peak = 0.0f;
  for (size_t k = 2; k < out.size(); k += 2) {
    if ((out[k - 2] < 0.0f) != (out[k] < 0.0f)) ++crossings;
    peak = std::max(peak, std::fabs(out[k]));
  }
  EXPECT_NEAR(crossings, 880, 2);
  // Full amplitude, full volume, hard left: three quarters of full scale.
  EXPECT_NEAR(peak, 24575.25f, 30.0f);
}

TEST_F(FMSynth, RestartFlagsDecideWhereTheEnvelopesStart) {
  struct Case {
    int16_t modRestart, ampRestart;
  };
  for (Case c : {Case{0, 0}, {1, 0}, {0, 1}, {1, 1}}) {
    params[16] = c.modRestart;
    params[25] = c.ampRestart;
    Apply();
    fm->NoteOn(40);
    Render(2000);
    const float ampLevel = fm->AmpEnvelope().value, modLevel = fm->ModEnvelope().value;
    ASSERT_GT(ampLevel, 0.3f);
    ASSERT_GT(modLevel, 0.3f);
    fm->NoteOn(45);
    EXPECT_EQ(fm->AmpEnvelope().state, cCurveEnvelope::kAttack);
    EXPECT_EQ(fm->AmpEnvelope().value, c.ampRestart ? 0.0f : ampLevel);
    EXPECT_EQ(fm->ModEnvelope().value, c.modRestart ? 0.0f : modLevel);
    fm->Reset();
  }
}

TEST_F(FMSynth, CommandThreeOnlyRetunes) {
  Apply();
  for (int column : {0, 1}) {
    fm->Reset();
    fm->NoteOn(40);
    Render(3000);
    const cCurveEnvelope amp = fm->AmpEnvelope();
    ASSERT_EQ(amp.state, cCurveEnvelope::kSustain);
    const float before = fm->Increment(0);
    fm->SetCommand(column, 0x0310);
    fm->NoteOn(52);
    EXPECT_EQ(fm->AmpEnvelope().state, cCurveEnvelope::kSustain);
    EXPECT_EQ(fm->AmpEnvelope().value, amp.value);
    EXPECT_NEAR(fm->Increment(0) / before, 2.0f, 1e-5f);
    fm->SetCommand(column, 0);
  }
}

TEST_F(FMSynth, EnvelopeWordsWaitForSetParamsOtherWordsApplyAtOnce) {
  Apply();
  fm->SetParam(17, 255);  // amplitude attack 2.55 s
  fm->SetParam(0, 127);
  fm->SetParam(1, 0);
  EXPECT_EQ(fm->TargetVolume(), 127.0f / 64.0f);
  EXPECT_EQ(fm->TargetPan(), 0.0f);
  fm->NoteOn(40);
  EXPECT_FLOAT_EQ(fm->AmpEnvelope().length, 44.1f);  // still 1 ms
  params[17] = 255;
  Apply();
  fm->NoteOn(40);
  EXPECT_FLOAT_EQ(fm->AmpEnvelope().length, 2550.0f * 44.1f);
  // A tuning word is heard from the next pitch.
  const float inc = fm->Increment(1);
  fm->SetParam(5, 12);
  EXPECT_EQ(fm->Increment(1), inc);
  fm->SetPitch(40);
  EXPECT_NEAR(fm->Increment(1) / inc, 2.0f, 1e-5f);
}

TEST_F(FMSynth, RestartFlagsAlsoWaitForSetParams) {
  params[16] = 0;
  params[25] = 0;
  Apply();
  fm->SetParam(16, 1);
  fm->SetParam(25, 1);
  fm->NoteOn(40);
  Render(2000);
  const float amp = fm->AmpEnvelope().value, mod = fm->ModEnvelope().value;
  ASSERT_GT(amp, 0.3f);
  fm->NoteOn(45);
  EXPECT_EQ(fm->AmpEnvelope().value, amp);
  EXPECT_EQ(fm->ModEnvelope().value, mod);
}

TEST_F(FMSynth, PanSlidesStepThroughEveryPanWord) {
  fm->SetPan(1);
  for (int p = 2; p <= 126; ++p) {
    fm->PanSlide(1);
    ASSERT_EQ(fm->TargetPan(), float(p) * (1.0f / 127.0f)) << p;
  }
}

TEST_F(FMSynth, FilterParamsClampsEveryWordToItsControl) {
  struct Case {
    int word;
    int16_t in, out;
  };
  const Case cases[] = {{0, 300, 127}, {1, -5, 0},    {2, 30, 24},    {2, -30, -24},
                        {3, 40, 36},   {3, -99, -36}, {4, 150, 100},  {6, -150, -100},
                        {7, 128, 127}, {8, 300, 255}, {10, 200, 127}, {13, -200, -127},
                        {16, 5, 1},    {19, -1, 0},   {24, 128, 127}, {25, 2, 1},
                        {26, 4, 3},    {27, -1, 0},   {28, 128, 127}, {29, 9, 0},
                        {30, -9, 0},   {31, 0, 2}};
  for (const Case& c : cases) {
    int16_t p[128];
    fm->GetDefaults(p);
    p[c.word] = c.in;
    fm->FilterParams(p);
    EXPECT_EQ(p[c.word], c.out) << "word " << c.word;
  }
}

TEST_F(FMSynth, ReleaseAndFastReleaseEndTheNote) {
  params[21] = 10;  // 100 ms
  Apply();
  fm->NoteOn(40);
  Render(1000);
  fm->NoteOff();
  Render(4400);
  EXPECT_EQ(fm->GetVoiceCount(), 1);
  Render(100);
  EXPECT_EQ(fm->GetVoiceCount(), 0);
  for (float f : Render(10)) EXPECT_EQ(f, 0.0f);

  params[21] = 255;
  Apply();
  fm->NoteOn(40);
  Render(1000);
  fm->FastRelease();
  Render(15 * 441 / 10 + 2);
  EXPECT_EQ(fm->GetVoiceCount(), 0);
}

TEST_F(FMSynth, FullCurvaturesStillEndEverySegment) {
  // Curves that only touch their targets must not hold an envelope forever.
  for (int16_t curve : {-127, -64, 63, 64, 127}) {
    SCOPED_TRACE(curve);
    fm->GetDefaults(params);
    for (int w : {13, 14, 15, 22, 23, 24}) params[w] = curve;
    params[17] = 200;
    params[18] = 200;
    params[20] = 50;  // a sustain time: the envelope ends on its own
    params[21] = 200;
    Apply();
    fm->NoteOn(30);
    Render(44100 * 7);
    EXPECT_EQ(fm->GetVoiceCount(), 0);
    fm->Reset();
  }
}

TEST_F(FMSynth, FeedbackAndHighNotesStayFinite) {
  params[28] = 127;
  params[7] = 127;
  params[2] = 24;
  params[3] = 36;
  params[26] = 3;
  params[27] = 1;
  Apply();
  fm->SetCommand(0, 0x0847);
  fm->NoteOn(107);
  for (int t = 0; t < 30; ++t) {
    fm->Tick(t);
    for (float f : Render(300)) ASSERT_TRUE(std::isfinite(f) && std::fabs(f) < 50000.0f);
  }
}

}  // namespace

TEST_F(FMSynth, ResetReturnsToTheSameSoundBitForBit) {
  params[28] = 60;
  params[26] = 2;
  Apply();
  std::vector<float> first, second;
  for (std::vector<float>* out : {&first, &second}) {
    fm->Reset();
    fm->SetParams(params);
    fm->NoteOn(45);
    *out = Render(3000);
    fm->NoteOff();
    std::vector<float> tail = Render(3000);
    out->insert(out->end(), tail.begin(), tail.end());
  }
  EXPECT_EQ(first, second);
}
