#include "engine/sampler.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "engine/fmsynth.h"
#include "engine/genmanager.h"
#include "engine/wavestore.h"

namespace {

constexpr int kRate = 44100;

class Sampler : public ::testing::Test {
 protected:
  Sampler() : tables(kRate) {
    s.BindTables(tables.interpolation);
    s.SetWaveStore(&store);
    s.Init(kRate);
    s.Reset();
    s.GetDefaults(params);
  }

  // A mono slot of n frames holding value(i).
  template <typename F>
  void Fill(int slot, int n, F value, uint32_t flags = 0, int loopStart = 0, int loopEnd = 0) {
    std::vector<int16_t> d(size_t(n) * ((flags & kWaveStereoFlags) ? 2 : 1));
    for (size_t i = 0; i < d.size(); ++i) d[i] = int16_t(value(int(i)));
    ASSERT_TRUE(store.SetSlot(slot, d.data(), n, flags, loopStart, loopEnd, "t"));
  }
  void Apply() { s.SetParams(params); }
  std::vector<float> Render(int frames) {
    std::vector<float> out(size_t(2 * frames));
    s.Render(out.data(), frames);
    return out;
  }
  static double Step(const cSampler::cVoice& v) { return double(v.step) / 4294967296.0; }

  cGenManager tables;
  cWavManager store;
  cSampler s;
  int16_t params[kSamplerWords];
};

TEST_F(Sampler, NoSampleWordStartsNoVoice) {
  Fill(0, 100, [](int) { return 1000; });
  params[2] = 255;
  Apply();
  s.NoteOn(48);
  EXPECT_EQ(s.GetVoiceCount(), 0);
  for (float f : Render(64)) EXPECT_EQ(f, 0.0f);
  // An empty slot is no better.
  params[2] = 6;
  Apply();
  s.NoteOn(48);
  EXPECT_EQ(s.GetVoiceCount(), 0);
}

TEST_F(Sampler, ANinthNoteTakesVoiceZero) {
  Fill(0, 1000, [](int) { return 1000; });
  params[9] = 255;  // long release: released voices stay busy
  Apply();
  for (int n = 0; n < 9; ++n) s.NoteOn(40 + n);
  EXPECT_EQ(s.GetVoiceCount(), 8);
  EXPECT_EQ(s.Voice(0).note, 48);
  for (int i = 1; i < 8; ++i) EXPECT_EQ(s.Voice(i).note, 40 + i);
}

TEST_F(Sampler, ChordCommandStartsTheNibbleNotes) {
  Fill(0, 1000, [](int) { return 1000; });
  Apply();
  s.SetCommand(0, 0x1847);
  s.NoteOn(36);
  EXPECT_EQ(s.GetVoiceCount(), 3);
  EXPECT_EQ(s.Voice(0).note, 36);
  EXPECT_EQ(s.Voice(1).note, 40);
  EXPECT_EQ(s.Voice(2).note, 43);
  // A zero nibble adds no note.
  s.Reset();
  s.SetCommand(1, 0x1830);
  s.NoteOn(36);
  EXPECT_EQ(s.GetVoiceCount(), 2);
}

// An arpeggio retunes every voice of the note's group from its own note;
// setting the command again returns each to its note.
TEST_F(Sampler, ArpeggioRetunesTheWholeGroup) {
  Fill(
      0, 1000, [](int) { return 1000; }, 1, 0, 999);
  Apply();
  s.SetCommand(0, 0x1847);  // a chord of 36, 40 and 43
  s.SetCommand(1, 0x0835);
  s.NoteOn(36);
  double base[3];
  for (int i = 0; i < 3; ++i) base[i] = Step(s.Voice(i));
  for (int tick : {1, 2, 3, 4}) {
    s.Tick(tick);
    const int up = tick % 3 == 1 ? 3 : tick % 3 == 2 ? 5 : 0;
    for (int i = 0; i < 3; ++i) {
      EXPECT_NEAR(Step(s.Voice(i)) / base[i], std::pow(2.0, up / 12.0), 1e-4) << tick << " " << i;
    }
  }
  s.SetCommand(1, 0x0835);
  for (int i = 0; i < 3; ++i) EXPECT_EQ(Step(s.Voice(i)), base[i]);
  EXPECT_EQ(s.Voice(1).note, 40);
}

TEST_F(Sampler, SampleOffsetStartsAtWholeLengthSteps) {
  Fill(0, 1000, [](int) { return 1000; });
  Apply();
  s.SetCommand(1, 0x1980);
  s.NoteOn(48);
  EXPECT_EQ(s.GetPlayPosition(), 384);
  EXPECT_EQ(s.Voice(0).offset, 0x80);
}

TEST_F(Sampler, EarlierNotesKeepSoundingOnlyWithCommand1A) {
  Fill(0, 1000, [](int) { return 1000; });
  Apply();
  for (bool keep : {false, true}) {
    s.Reset();
    s.SetCommand(0, 0);
    s.SetCommand(1, 0);
    s.NoteOn(36);
    Render(200);
    s.SetCommand(1, keep ? 0x1A00 : 0);
    s.NoteOn(40);
    EXPECT_EQ(s.Voice(0).envState == cSampler::kEnvRelease, !keep);
    EXPECT_EQ(s.Voice(1).envState, cSampler::kEnvAttack);
  }
}

TEST_F(Sampler, PlaysAtItsRecordedSpeedAtFortyRaisedSemitones) {
  // s = 12 log2 10: note 63 with fine tune 110 / 127 semitones lies 0.003 away.
  Fill(0, 1000, [](int) { return 1000; });
  params[3] = 110;
  Apply();
  s.NoteOn(63);
  EXPECT_NEAR(Step(s.Voice(0)), 1.0, 3e-4);
  EXPECT_NEAR(s.Voice(0).playHz, 44100.0, 15.0);
  // Twelve semitones up plays twice as fast.
  s.NoteOn(75);
  EXPECT_NEAR(Step(s.Voice(1)) / Step(s.Voice(0)), 2.0, 1e-5);
}

TEST_F(Sampler, AVoiceWithoutLoopHoldsItsLastFrameWhileItFades) {
  // Gentle steps and steps of hundreds of frames (note 107, coarse +72).
  for (int coarse : {0, 72}) {
    SCOPED_TRACE(coarse);
    Fill(0, 300, [](int i) { return 10 * i + 5; });
    params[4] = int16_t(coarse);
    params[9] = 1;  // 10 ms release
    Apply();
    s.Reset();
    s.NoteOn(coarse ? 107 : 64);
    std::vector<float> out = Render(coarse ? 100 : 400);
    const cSampler::cVoice& v = s.Voice(0);
    EXPECT_EQ(v.envState, cSampler::kEnvRelease);
    EXPECT_EQ(v.position, int64_t(299) << 32);
    EXPECT_EQ(v.step, 0);
    // Frame by frame it now sounds its last value ever more quietly.
    float last = out[out.size() - 2];
    EXPECT_GT(last, 0.0f);
    for (int k = 0; k < 200; ++k) {
      const float left = Render(1)[0];
      EXPECT_LE(left, last);
      EXPECT_NEAR(left / (2.0f * 2995.0f * (1.0f - v.pan) * v.volume), v.envValue + v.envRate,
                  1e-3f);
      last = left;
    }
    Render(441);
    EXPECT_EQ(s.GetVoiceCount(), 0);
  }
}

TEST_F(Sampler, LoopsWrapByWholeLoopLengthsAndStayInsideTheSound) {
  // Loud outside frames 97-202, quiet inside: anything read outside the loop
  // (or its interpolation neighbours) is heard.
  auto loud = [](int i) { return i >= 97 && i <= 202 ? 100 : 30000; };
  struct Case {
    int loopStart, loopEnd;  // as stored in the slot
    int note, coarse;
    int start, end;  // as the voice must take them
  };
  for (uint32_t mode : {1u, 2u, 3u})
    for (Case c : {Case{100, 199, 64, 0, 100, 199}, Case{100, 199, 107, 72, 100, 199},
                   Case{100, 199, 107, 32767, 100, 199}, Case{100, 100, 107, 72, 100, 100},
                   Case{5000, 9000, 107, 72, 999, 999}, Case{-50, 2000, 64, 0, 0, 999},
                   Case{150, 120, 64, 0, 150, 150}}) {
      SCOPED_TRACE(c.loopStart);
      SCOPED_TRACE(mode);
      Fill(0, 1000, loud, mode, c.loopStart, c.loopEnd);
      params[4] = int16_t(c.coarse);
      Apply();
      s.Reset();
      s.NoteOn(c.note);
      EXPECT_EQ(s.Voice(0).loopStart, c.start);
      EXPECT_EQ(s.Voice(0).loopEnd, c.end);
      std::vector<float> out = Render(3000);
      EXPECT_EQ(s.GetVoiceCount(), 1);
      if (c.start == 100) {
        for (size_t k = 200; k < out.size(); ++k) ASSERT_LE(std::fabs(out[k]), 260.0f) << k;
      }
    }
}

// On a ramp, where the sample value is the frame: loop mode 2 plays forward
// to the loop end, turns, plays back to the loop start and turns again;
// mode 1 jumps from the end back to the start.
TEST_F(Sampler, PingPongLoopsTurnAtBothEndsForwardLoopsJumpBack) {
  for (uint32_t mode : {1u, 2u}) {
    SCOPED_TRACE(mode);
    Fill(
        0, 300, [](int i) { return 10 * i; }, mode, 50, 149);
    Apply();
    s.Reset();
    s.NoteOn(64);  // just over one frame per frame
    std::vector<double> frames;
    for (int k = 0; k < 600; ++k) {
      Render(1);
      frames.push_back(double(s.Voice(0).position) / 4294967296.0);
    }
    int turnsAtEnd = 0, turnsAtStart = 0, jumps = 0;
    for (size_t k = 2; k < frames.size(); ++k) {
      const double before = frames[k - 1] - frames[k - 2], now = frames[k] - frames[k - 1];
      // A frame's step may carry the voice past an end; the next frame
      // brings it back before it reads.
      if (frames[k - 1] >= 50.0) {
        ASSERT_LT(frames[k], 151.1) << k;
        ASSERT_GE(frames[k], 48.9) << k;
      }
      if (std::fabs(now) > 10.0) {
        ++jumps;
        EXPECT_GT(frames[k - 1], 148.0);
        EXPECT_LT(frames[k], 52.0);
      } else if (std::fabs(before) > 10.0) {
        continue;  // the frame after a jump
      } else if (before > 0.0 && now < 0.0) {
        ++turnsAtEnd;
        EXPECT_GT(frames[k - 1], 148.0) << k;
      } else if (before < 0.0 && now > 0.0) {
        ++turnsAtStart;
        EXPECT_LT(frames[k - 1], 51.0) << k;
      }
    }
    if (mode == 1) {
      EXPECT_EQ(jumps, 5);
      EXPECT_EQ(turnsAtEnd + turnsAtStart, 0);
    } else {
      EXPECT_EQ(jumps, 0);
      EXPECT_EQ(turnsAtEnd, 3);
      EXPECT_EQ(turnsAtStart, 2);
    }
  }
}

TEST_F(Sampler, StereoSlotsKeepTheirSides) {
  Fill(
      0, 500, [](int i) { return i % 2 ? -4000 : 4000; }, 0x10);
  Apply();
  s.NoteOn(64);
  std::vector<float> out = Render(300);
  EXPECT_GT(out[2 * 200], 1000.0f);
  EXPECT_LT(out[2 * 200 + 1], -1000.0f);
}

TEST_F(Sampler, ReleaseWordZeroMeansTwoMilliseconds) {
  Fill(0, 1000, [](int) { return 1000; });
  for (auto [word, ms] : {std::pair{0, 2.0f}, {1, 10.0f}, {300, 440.0f}, {256, 2.0f}}) {
    params[9] = int16_t(word);
    Apply();
    s.Reset();
    s.NoteOn(40);
    EXPECT_EQ(s.Voice(0).releaseMs, ms);
  }
}

TEST_F(Sampler, SlidesMoveTheStepAndPortamentoReturnsToTheNote) {
  Fill(0, 100000, [](int) { return 1000; });
  Apply();
  s.NoteOn(64);
  const int64_t note = s.Voice(0).targetStep;
  const int64_t d = int64_t(255.0 / 1023.0 * 4294967296.0);
  s.SetCommand(0, 0x01FF);
  s.Tick(1);
  s.Tick(2);
  EXPECT_NEAR(double(s.Voice(0).step - note), double(2 * d), 2e3);
  s.SetCommand(0, 0x0310);
  for (int t = 1; t < 200; ++t) s.Tick(t);
  EXPECT_EQ(s.Voice(0).step, note);
  s.SetCommand(0, 0x02FF);
  for (int t = 1; t < 200; ++t) s.Tick(t);
  EXPECT_EQ(s.Voice(0).step, 0);
  EXPECT_EQ(s.Voice(0).targetStep, note);
}

TEST_F(Sampler, VolumeCommands) {
  Fill(0, 1000, [](int) { return 1000; });
  params[0] = 100;
  Apply();
  s.NoteOn(40);
  s.SetCommand(0, 0x0C20);
  EXPECT_EQ(s.Voice(0).targetVolume, 0.5f);
  // The volume slide first returns to the instrument's volume.
  s.SetCommand(0, 0x0A30);
  EXPECT_EQ(s.Voice(0).targetVolume, 100.0f / 64.0f);
  s.Tick(1);
  EXPECT_EQ(s.Voice(0).targetVolume, 103.0f / 64.0f);
}

TEST_F(Sampler, FastReleaseEndsEveryVoiceWithinAMillisecond) {
  Fill(0, 100000, [](int) { return 1000; });
  params[9] = 255;
  Apply();
  s.SetCommand(0, 0x1A00);
  for (int n = 0; n < 4; ++n) s.NoteOn(40 + n);
  Render(500);
  s.NoteOff();
  s.FastRelease();
  Render(46);
  EXPECT_EQ(s.GetVoiceCount(), 0);
}

TEST_F(Sampler, AVoiceDropsASlotThatWasReplaced) {
  Fill(0, 100000, [](int) { return 1000; });
  Apply();
  s.SetPlaying(1);
  s.SetInstrumentNumber(1);
  s.NoteOn(40);
  Render(100);
  Fill(0, 10, [](int) { return 5; });  // a new, shorter sound in the slot
  std::vector<float> out = Render(100);
  EXPECT_EQ(s.GetVoiceCount(), 0);
  for (float f : out) EXPECT_EQ(f, 0.0f);
  // A later note without an instrument byte takes the new sound.
  s.SetInstrumentNumber(0);
  s.NoteOn(40);
  EXPECT_EQ(s.GetVoiceCount(), 1);
  EXPECT_EQ(s.Voice(0).length, 10);
}

TEST_F(Sampler, WithoutAnInstrumentByteAVoiceStillPlaysTheCurrentInstrument) {
  Fill(0, 1000, [](int) { return 1000; });
  Fill(1, 1000, [](int) { return 1000; });
  Apply();
  s.SetPlaying(1);
  s.SetInstrumentNumber(1);
  s.NoteOn(40);
  s.SetInstrumentNumber(0);
  s.NoteOn(41);  // voice 0 is releasing: voice 1 never held an instrument
  EXPECT_EQ(s.GetVoiceCount(), 2);
  EXPECT_EQ(s.Voice(1).slot, 0);
  params[2] = 1;
  Apply();
  s.NoteOn(42);
  EXPECT_EQ(s.Voice(2).slot, 1);
}

TEST_F(Sampler, WhilePlayingANoteWithoutInstrumentGoesOnWhereTheVoiceStopped) {
  // A looped sound: an idle voice that is started again without an
  // instrument byte keeps its place; an instrument byte, or a stopped
  // transport, starts the sound from its beginning.
  Fill(
      0, 100000, [](int) { return 1000; }, 0x01, 0, 99999);
  params[9] = 0;  // 2 ms release
  Apply();
  struct Case {
    int playing, instrument;
    bool fromStart;
  };
  for (Case c : {Case{1, 0, false}, Case{1, 1, true}, Case{0, 0, true}}) {
    SCOPED_TRACE(c.playing * 10 + c.instrument);
    s.Reset();
    s.SetPlaying(1);
    s.SetInstrumentNumber(1);
    s.NoteOn(63);  // about one frame per frame
    Render(5000);
    s.NoteOff();
    Render(200);
    ASSERT_EQ(s.Voice(0).envState, cSampler::kEnvIdle);
    const int64_t stopped = s.Voice(0).position;
    ASSERT_GT(stopped >> 32, 4000);
    s.SetPlaying(c.playing);
    s.SetInstrumentNumber(c.instrument);
    s.NoteOn(63);
    EXPECT_EQ(s.Voice(0).envState, cSampler::kEnvAttack);
    EXPECT_EQ(s.Voice(0).position, c.fromStart ? 0 : stopped);
  }
}

TEST_F(Sampler, WhilePlayingANoteWithoutInstrumentKeepsTheVoicesSettings) {
  // The voice keeps what it was given, even when the editor has changed a
  // word since: SetParam reaches the sounding voices, not the loaded block.
  Fill(0, 1000, [](int) { return 1000; });
  params[0] = 100;
  Apply();
  s.SetPlaying(1);
  s.SetInstrumentNumber(1);
  s.NoteOn(40);
  s.SetParam(0, 20);
  s.SetParam(9, 50);
  EXPECT_EQ(s.Voice(0).targetVolume, 20.0f / 64.0f);
  Render(100);
  s.NoteOff();
  Render(500);
  ASSERT_EQ(s.Voice(0).envState, cSampler::kEnvIdle);
  s.SetInstrumentNumber(0);
  s.NoteOn(40);
  EXPECT_EQ(s.Voice(0).targetVolume, 20.0f / 64.0f);
  // A stopped transport loads the block as it was given, word 9 included;
  // the volume slide returns to the block's volume.
  s.SetPlaying(0);
  s.NoteOn(40);
  EXPECT_EQ(s.Voice(1).releaseMs, 2.0f);
  s.SetCommand(0, 0x0A00);
  EXPECT_EQ(s.Voice(1).targetVolume, 100.0f / 64.0f);
}

TEST_F(Sampler, AStolenVoiceRisesFromTheLevelItHadReached) {
  Fill(0, 100000, [](int) { return 1000; });
  params[5] = 10;  // 100 ms attack
  Apply();
  s.SetCommand(0, 0x1A00);
  for (int n = 0; n < 8; ++n) s.NoteOn(40 + n);
  Render(1000);
  const float level = s.Voice(0).envValue;
  ASSERT_GT(level, 0.1f);
  s.NoteOn(60);
  EXPECT_EQ(s.Voice(0).note, 60);
  EXPECT_EQ(s.Voice(0).envState, cSampler::kEnvAttack);
  EXPECT_EQ(s.Voice(0).envValue, level);
  EXPECT_EQ(s.GetVoiceCount(), 8);
}

TEST_F(Sampler, AVoiceReleasedAtLevelZeroStillEnds) {
  // A release from level 0 has nothing to take away; the voice must still
  // fall idle, or it would stay busy for ever.
  Fill(0, 100000, [](int) { return 1000; });
  // Release word 256 (low byte 0) must not mean 0 ms: 0 / 0 would hold it.
  struct Case {
    int sustainLevel, framesBeforeRelease, release;
  };
  for (Case c : {Case{0, 500, 0}, Case{112, 0, 0}, Case{112, 0, 256}}) {
    SCOPED_TRACE(c.release);
    params[7] = int16_t(c.sustainLevel);
    params[9] = int16_t(c.release);
    Apply();
    s.Reset();
    s.NoteOn(40);
    Render(c.framesBeforeRelease);
    s.NoteOff();
    Render(200);
    EXPECT_EQ(s.GetVoiceCount(), 0);
    EXPECT_EQ(s.Voice(0).envState, cSampler::kEnvIdle);
  }
}

TEST_F(Sampler, PanSlidesStepThroughEveryPanWord) {
  Fill(0, 1000, [](int) { return 1000; });
  Apply();
  s.NoteOn(40);
  s.SetPan(1);
  for (int p = 2; p <= 126; ++p) {
    s.PanSlide(1);
    ASSERT_EQ(s.Voice(0).targetPan, float(p) * (1.0f / 127.0f)) << p;
  }
}

TEST_F(Sampler, FilterParamsKeepsTheNoSampleMark) {
  int16_t p[kSamplerWords] = {200, 200, 255, 0, 0, 0, 0, 255};
  s.FilterParams(p);
  EXPECT_EQ(p[0], 127);
  EXPECT_EQ(p[1], 200 & 127);
  EXPECT_EQ(p[2], 255);
  EXPECT_EQ(p[7], 127);
  p[2] = 130;
  s.FilterParams(p);
  EXPECT_EQ(p[2], 2);
}

TEST(GenManagerKinds, CreateGeneratorsMakesSamplersAndFMSynthsOnEveryChannel) {
  cGenManager m(44100);
  EXPECT_TRUE(m.CreateGenerators());
  for (int c = 0; c < kGenChannels; ++c) {
    ASSERT_NE(m.Sampler(c), nullptr);
    ASSERT_NE(m.FM(c), nullptr);
  }
  EXPECT_EQ(m.FM(0), m.Generator(kGenFM, 0));
  EXPECT_EQ(m.Sampler(3), m.Generator(kGenSampler, 3));
}

}  // namespace

namespace {

TEST_F(Sampler, ResetReturnsToTheSameSoundBitForBit) {
  Fill(
      0, 5000, [](int i) { return (i * 37) % 4000 - 2000; }, 0x01, 100, 4000);
  params[9] = 3;
  Apply();
  std::vector<float> first, second;
  for (std::vector<float>* out : {&first, &second}) {
    s.Reset();
    s.SetCommand(0, 0x1847);
    s.NoteOn(50);
    *out = Render(2000);
    s.SetCommand(0, 0x0120);
    s.Tick(1);
    s.NoteOff();
    std::vector<float> tail = Render(2000);
    out->insert(out->end(), tail.begin(), tail.end());
  }
  EXPECT_EQ(first, second);
}

}  // namespace
