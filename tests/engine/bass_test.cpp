#include "engine/bass.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "engine/genmanager.h"
#include "engine/wavetables.h"

namespace {

constexpr int kRate = 44100;

const cWavetables& Store() {
  static auto store = cWavetables::Shared(kRate, "");
  return *store;
}

// A plain voice: osc 1 alone, filter off, no vibrato, no pulse-width LFO.
std::vector<int16_t> PlainBlock(int mode = 0, int waveform = 0) {
  std::vector<int16_t> p(128, 0);
  cBass().GetDefaults(p.data());
  p[2] = int16_t(waveform);
  p[10] = 0;  // osc 2 level
  p[30] = 0;  // osc 3 level
  p[21] = 0;  // no filter
  p[28] = 0;  // LFO 2 depth
  p[60] = 0;  // LFO 3 depth
  p[40] = int16_t(mode);
  return p;
}

struct cVoice {
  explicit cVoice(const std::vector<int16_t>& block, unsigned seed = 1) {
    bass.Init(kRate);
    bass.SetWavetables(&Store());
    std::srand(seed);
    bass.Reset();
    bass.SetParams(block.data());
  }
  // Renders in calls of at most `chunk` frames, as the render path does.
  std::vector<float> Render(int frames, int chunk = 882) {
    std::vector<float> out(size_t(frames) * 2, 12345.0f);
    for (int at = 0; at < frames; at += chunk) {
      bass.Render(out.data() + 2 * at, std::min(chunk, frames - at));
    }
    return out;
  }
  cBass bass;
};

std::vector<float> Channel(const std::vector<float>& frames, int side, size_t from = 0) {
  std::vector<float> out;
  for (size_t i = 2 * from + size_t(side); i < frames.size(); i += 2) out.push_back(frames[i]);
  return out;
}

// Frequency from rising zero crossings (interpolated between frames), with
// hysteresis so that ringing near a saw's edge is not counted.
double Frequency(const std::vector<float>& x) {
  float trough = 0;
  for (float v : x) trough = std::min(trough, v);
  const float arm = 0.5f * trough;
  bool armed = false;
  double first = -1, last = -1;
  int crossings = 0;
  for (size_t i = 1; i < x.size(); ++i) {
    if (x[i] < arm) armed = true;
    if (armed && x[i - 1] < 0 && x[i] >= 0) {
      const double t = double(i - 1) + double(-x[i - 1]) / double(x[i] - x[i - 1]);
      if (first < 0) first = t;
      last = t;
      ++crossings;
      armed = false;
    }
  }
  if (crossings < 2) return 0;
  return (crossings - 1) / (last - first) * kRate;
}

double NoteHz(double semitones) { return 16.3516 * std::pow(2.0, semitones / 12.0); }

// Frames between successive rising zero crossings.
std::vector<double> Periods(const std::vector<float>& x) {
  std::vector<double> out;
  double last = -1;
  for (size_t i = 1; i < x.size(); ++i) {
    if (x[i - 1] < 0 && x[i] >= 0) {
      const double t = double(i - 1) + double(-x[i - 1]) / double(x[i] - x[i - 1]);
      if (last >= 0) out.push_back(t - last);
      last = t;
    }
  }
  return out;
}

// The lag (in frames) of the strongest self-similarity within [low, high].
int PeriodByAutocorrelation(const std::vector<float>& x, int low, int high) {
  int best = low;
  double bestScore = -1e300;
  for (int lag = low; lag <= high; ++lag) {
    double sum = 0, norm = 0;
    for (size_t t = 0; t + size_t(lag) < x.size(); ++t) {
      sum += double(x[t]) * x[t + size_t(lag)];
      norm += double(x[t]) * x[t];
    }
    if (sum / norm > bestScore) bestScore = sum / norm, best = lag;
  }
  return best;
}

// Amplitude of the component at `hz`, through a Hann window.
double Magnitude(const std::vector<float>& x, double hz) {
  double re = 0, im = 0;
  const size_t n = x.size();
  for (size_t i = 0; i < n; ++i) {
    const double w = 0.5 - 0.5 * std::cos(2.0 * M_PI * double(i) / double(n));
    const double a = 2.0 * M_PI * hz * double(i) / kRate;
    re += w * x[i] * std::cos(a);
    im += w * x[i] * std::sin(a);
  }
  return std::hypot(re, im) * 4.0 / double(n);
}

}  // namespace

TEST(Bass, DefaultsAndFilterParams) {
  cBass b;
  std::vector<int16_t> p(128, 777);
  b.GetDefaults(p.data());
  EXPECT_EQ(p[0], 64);
  EXPECT_EQ(p[23], 208);
  EXPECT_EQ(p[31], 0);
  EXPECT_EQ(p[40], 2);
  EXPECT_EQ(p[45], -12);
  EXPECT_EQ(p[64], 50);
  EXPECT_EQ(p[75], 0);
  EXPECT_EQ(p[76], 777);  // past the generator's words: untouched

  struct Case {
    int word;
    int16_t in, out;
  };
  for (Case c : {Case{0, 200, 127},
                 {2, 99, 15},
                 {2, -3, 0},
                 {21, 9, 7},
                 {31, 2, 0},
                 {32, -200, -127},
                 {41, 64, 63},
                 {40, 4, 3},
                 {51, 9, 3},
                 {8, -30, -30},
                 {65, 40, 40},
                 {70, 128, 127},
                 {14, 300, 255}}) {
    std::vector<int16_t> q = p;
    q[size_t(c.word)] = c.in;
    b.FilterParams(q.data());
    EXPECT_EQ(q[size_t(c.word)], c.out) << "word " << c.word;
  }
  char text[16];
  b.FormatParam(text, 45, -12);
  EXPECT_STREQ(text, "-12");
}

TEST(Bass, ConversionsOfCutoffResonanceVolumeAndPan) {
  cVoice v(PlainBlock());
  cBass& b = v.bass;
  b.SetParam(22, 0);
  EXPECT_FLOAT_EQ(b.TargetCutoff(), 0.0025f);
  b.SetParam(22, 255);
  EXPECT_FLOAT_EQ(b.TargetCutoff(), 1.0f);
  b.SetParam(23, 128);
  EXPECT_FLOAT_EQ(b.TargetResonance(), 2.0f);
  // Command 0x20 sets the cutoff word, 0x21 the resonance (parameter / 256).
  b.SetCommand(0, 0x2033);
  EXPECT_FLOAT_EQ(b.TargetCutoff(), 0.2f);
  b.SetCommand(1, 0x2140);
  EXPECT_FLOAT_EQ(b.TargetResonance(), 0.25f);
  // Volume word 64 is unity; SetPan clamps into 1-126; slides step from there.
  EXPECT_FLOAT_EQ(b.TargetVolume(), 1.0f);
  b.SetVolume(200);
  EXPECT_FLOAT_EQ(b.TargetVolume(), 127.0f / 64.0f);
  b.VolumeSlide(-63);
  EXPECT_FLOAT_EQ(b.TargetVolume(), 1.0f);
  b.SetCommand(0, 0x0C20);
  EXPECT_FLOAT_EQ(b.TargetVolume(), 0.5f);
  b.SetCommand(0, 0x0A52);  // up by 5 - 2 per tick
  b.Tick(1);
  EXPECT_FLOAT_EQ(b.TargetVolume(), 35.0f / 64.0f);
  b.SetPan(0);
  EXPECT_FLOAT_EQ(b.TargetPan(), 1.0f / 127.0f);
  b.SetPan(127);
  EXPECT_FLOAT_EQ(b.TargetPan(), 126.0f / 127.0f);
  b.PanSlide(-20);
  EXPECT_FLOAT_EQ(b.TargetPan(), 106.0f / 127.0f);
  // A slide by one word per tick walks through every pan word.
  b.SetPan(1);
  for (int p = 2; p <= 126; ++p) {
    b.PanSlide(1);
    ASSERT_FLOAT_EQ(b.TargetPan(), float(p) / 127.0f);
  }
}

TEST(Bass, ANoteSoundsAtItsPitch) {
  struct Case {
    int note, mode, waveform, word, value;  // one extra word set
    double left, right;                     // semitones above 16.3516 Hz
  };
  const Case cases[] = {
      {57, 0, 0, 0, 64, 57, 57},        // 440 Hz
      {33, 0, 0, 0, 64, 33, 33},        // 110 Hz
      {81, 0, 0, 0, 64, 81, 81},        // 1760 Hz
      {57, 0, 1, 0, 64, 57, 57},        // pulse
      {57, 0, 2, 0, 64, 57, 57},        // sine
      {57, 0, 4, 0, 64, 57, 57},        // inverted saw
      {45, 0, 0, 38, 12, 57, 57},       // osc 1 coarse tune
      {57, 0, 0, 39, 50, 57.5, 57.5},   // osc 1 fine tune
      {50, 0, 0, 65, 7, 57, 57},        // transpose
      {57, 2, 0, 0, 64, 57.05, 56.95},  // stereo: set A left, set B right
      {57, 3, 2, 0, 64, 57.05, 57.05},  // delay: the right is the left, late
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << "note " << c.note << " mode " << c.mode << " wave "
                                    << c.waveform << " word " << c.word);
    std::vector<int16_t> block = PlainBlock(c.mode, c.waveform);
    block[size_t(c.word)] = int16_t(c.value);
    cVoice v(block);
    v.bass.NoteOn(c.note);
    const std::vector<float> out = v.Render(kRate);
    const double tolerance = NoteHz(c.left) * 0.0002;  // well under 0.05 semitone
    EXPECT_NEAR(Frequency(Channel(out, 0, 1000)), NoteHz(c.left), tolerance);
    EXPECT_NEAR(Frequency(Channel(out, 1, 1000)), NoteHz(c.right), tolerance);
  }
}

TEST(Bass, SlidesAndArpeggioRetune) {
  cVoice v(PlainBlock(0, 2));
  v.bass.NoteOn(57);
  v.Render(882);
  v.bass.SetCommand(0, 0x0847);
  v.bass.Tick(1);  // note + 4
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 200)), NoteHz(61), 0.2);
  v.bass.Tick(2);  // note + 7
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 200)), NoteHz(64), 0.2);
  v.bass.Tick(3);
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 200)), NoteHz(57), 0.2);

  // 0x01 with parameter 0x40 adds 4 phase steps per tick: 4 x 44100 / 4096 Hz.
  v.bass.SetCommand(0, 0x0140);
  v.bass.Tick(1);
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 200)), NoteHz(57) + 4.0 * kRate / 4096, 0.2);
  // Sliding down stops at 0 instead of turning negative.
  v.bass.SetCommand(0, 0x02FF);
  for (int t = 0; t < 200; ++t) v.bass.Tick(t);
  v.Render(10);
  EXPECT_EQ(v.bass.CurrentIncrement(0, 0), 0.0f);
  // ... and an upward slide has no bound: past one cycle per frame it aliases.
  v.bass.SetCommand(0, 0x01FF);
  for (int t = 0; t < 100000; ++t) v.bass.Tick(t);
  EXPECT_GT(v.bass.TargetIncrement(0, 0), 100000 * 255 * 4096.0f / 65536.0f * 0.99f);
  for (float s : v.Render(2000)) ASSERT_TRUE(std::isfinite(s));
}

TEST(Bass, EnvelopeSegmentsReachTheirTargetsAndCurvatureBendsThem) {
  // A 1 ms attack (word 0) arrives in about samplesPerMs frames.
  {
    std::vector<int16_t> block = PlainBlock();
    block[11] = 0;
    cVoice v(block);
    v.bass.NoteOn(57);
    int frames = 0;
    float one[2];
    while (v.bass.AmpEnvelope().state == cCurveEnvelope::kAttack && frames < 1000) {
      v.bass.Render(one, 1);
      ++frames;
    }
    EXPECT_NEAR(frames, v.bass.SamplesPerMs(), 1.5);
    EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kDecay);
  }
  // A 100 ms attack at its midpoint: straight, bent up, bent down; all arrive.
  for (int curve : {0, 64, -64}) {
    std::vector<int16_t> block = PlainBlock();
    block[11] = 10;
    block[70] = int16_t(curve);
    cVoice v(block);
    v.bass.NoteOn(57);
    v.Render(2205);
    const float mid = v.bass.AmpEnvelope().value;
    if (curve == 0) {
      EXPECT_NEAR(mid, 0.5f, 0.002f);
    } else if (curve > 0) {
      EXPECT_GT(mid, 0.6f);
    } else {
      EXPECT_LT(mid, 0.4f);
    }
    v.Render(2206 + (curve > 0 ? 0 : 1));
    EXPECT_NE(v.bass.AmpEnvelope().state, cCurveEnvelope::kAttack) << curve;
  }
  // The decay lands exactly on the sustain level.
  {
    cVoice v(PlainBlock());
    v.bass.NoteOn(57);
    v.Render(6000);  // the filter envelope's 70 + 50 ms
    EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kSustain);
    EXPECT_FLOAT_EQ(v.bass.AmpEnvelope().value, 48.0f / 127.0f);
    EXPECT_EQ(v.bass.FilterEnvelope().state, cCurveEnvelope::kSustain);
  }
}

TEST(Bass, ANoteOffOnASilentVoiceReleasesFromZeroForOneCall) {
  cVoice v(PlainBlock());
  v.bass.NoteOff();
  EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kRelease);
  EXPECT_EQ(v.bass.FilterEnvelope().state, cCurveEnvelope::kRelease);
  EXPECT_EQ(v.bass.GetVoiceCount(), 1);
  for (float s : v.Render(100)) ASSERT_EQ(s, 0.0f);
  EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kIdle);
  EXPECT_EQ(v.bass.GetVoiceCount(), 0);
}

TEST(Bass, SustainTimeZeroHoldsUntilNoteOff) {
  cVoice hold(PlainBlock());  // sustain time 0
  hold.bass.NoteOn(57);
  hold.Render(3 * kRate);
  EXPECT_EQ(hold.bass.AmpEnvelope().state, cCurveEnvelope::kSustain);
  EXPECT_EQ(hold.bass.GetVoiceCount(), 1);
  hold.bass.NoteOff();
  EXPECT_EQ(hold.bass.AmpEnvelope().state, cCurveEnvelope::kRelease);
  hold.Render(int(0.075 * kRate));  // release word 7: 70 ms
  EXPECT_EQ(hold.bass.GetVoiceCount(), 0);
  // Idle, the voice overwrites its frames with zeros.
  for (float s : hold.Render(100)) ASSERT_EQ(s, 0.0f);

  std::vector<int16_t> block = PlainBlock();
  block[14] = 10;  // 100 ms of sustain, then release on its own
  cVoice timed(block);
  timed.bass.NoteOn(57);
  timed.Render(int(0.13 * kRate));
  EXPECT_EQ(timed.bass.AmpEnvelope().state, cCurveEnvelope::kSustain);
  timed.Render(int(0.05 * kRate));
  EXPECT_EQ(timed.bass.AmpEnvelope().state, cCurveEnvelope::kRelease);
  timed.Render(int(0.08 * kRate));
  EXPECT_EQ(timed.bass.GetVoiceCount(), 0);
}

TEST(Bass, FastReleaseEndsTheNoteIn15Ms) {
  std::vector<int16_t> block = PlainBlock();
  block[15] = 255;  // a 2.55 s release that the cut must not wait for
  block[20] = 255;
  cVoice v(block);
  v.bass.NoteOn(57);
  v.Render(4410);
  v.bass.FastRelease();
  v.Render(int(0.014 * kRate));
  EXPECT_EQ(v.bass.GetVoiceCount(), 1);
  v.Render(int(0.002 * kRate));
  EXPECT_EQ(v.bass.GetVoiceCount(), 0);
  EXPECT_EQ(v.bass.FilterEnvelope().state, cCurveEnvelope::kIdle);
}

TEST(Bass, ANoteOnUnderCommand3OnlyRetunes) {
  cVoice v(PlainBlock(0, 2));
  v.bass.NoteOn(45);
  v.Render(8820);
  const cCurveEnvelope before = v.bass.AmpEnvelope();
  ASSERT_EQ(before.state, cCurveEnvelope::kSustain);
  v.bass.SetCommand(1, 0x0300);
  v.bass.NoteOn(57);
  EXPECT_EQ(v.bass.AmpEnvelope().state, before.state);
  EXPECT_EQ(v.bass.AmpEnvelope().value, before.value);
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0)), NoteHz(57), 0.2);
  // Without the command the envelopes start again.
  v.bass.SetCommand(1, 0);
  v.bass.NoteOn(57);
  EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kAttack);
}

TEST(Bass, WithoutGlideThePitchJumpsAtTheNextRender) {
  for (int glide : {0, 20}) {
    std::vector<int16_t> block = PlainBlock(0, 2);
    block[4] = int16_t(glide);
    cVoice v(block);
    v.bass.NoteOn(45);
    v.Render(4410);
    v.bass.SetCommand(0, 0x0300);
    v.bass.NoteOn(57);
    // The new note takes over from the first frame of the next call.
    const double hz = Frequency(Channel(v.Render(1000, 1000), 0));
    if (glide == 0) {
      EXPECT_NEAR(hz, NoteHz(57), 0.5);
    } else {
      EXPECT_LT(hz, NoteHz(50));  // 4096 / (21 x 35) phase steps per call
      EXPECT_GT(hz, NoteHz(45));
      v.Render(882 * 30);
      EXPECT_NEAR(Frequency(Channel(v.Render(4410), 0)), NoteHz(57), 0.2);
    }
  }
}

TEST(Bass, Mode3RightChannelIsTheInvertedSound5MsLate) {
  std::vector<int16_t> block = PlainBlock(3, 0);
  block[21] = 1;  // with the filter and the envelopes: any sound will do
  block[10] = 48;
  cVoice v(block);
  v.bass.NoteOn(40);
  const std::vector<float> out = v.Render(4410);
  const std::vector<float> left = Channel(out, 0), right = Channel(out, 1);
  const double pan = 64.0 / 127.0, ratio = pan / (1.0 - pan);
  int bestLag = -1;
  double bestError = 1e300, energy = 0;
  for (int lag = 150; lag <= 300; ++lag) {
    double error = 0;
    for (size_t t = 300; t + size_t(lag) < left.size(); ++t) {
      const double d = right[t + size_t(lag)] + left[t] * ratio;
      error += d * d;
      if (lag == 150) energy += left[t] * left[t];
    }
    if (error < bestError) bestError = error, bestLag = lag;
  }
  EXPECT_EQ(bestLag, 220);  // 5 ms at 44,100 Hz, whole frames
  EXPECT_LT(bestError, energy * 1e-9);
  EXPECT_GT(energy, 0.0);
}

TEST(Bass, AResetLeavesNothingOfTheEarlierSound) {
  // Two voices play different notes, are reset and play the same note: the
  // right channel of the stereo and delay modes must not carry the old one.
  for (int mode : {2, 3}) {
    for (int filter : {1, 3}) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " filter " << filter);
      std::vector<int16_t> block = PlainBlock(mode, 0);
      block[21] = int16_t(filter);
      auto play = [&](int first) {
        cVoice v(block);
        v.bass.NoteOn(first);
        v.Render(3000 + first);  // the update count stops at different places
        v.bass.Reset();
        v.bass.SetParams(block.data());
        v.bass.NoteOn(48);
        return v.Render(2000);
      };
      const std::vector<float> a = play(36), b = play(61);
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
    }
  }
}

TEST(Bass, ChangingTheFilterTypeMidNoteTakesTheNewTypesCoefficients) {
  // The two-pole types' feedback grows with the cutoff (about 1000 here); the
  // four-pole filter must not run on it until its next update.
  std::vector<int16_t> block = PlainBlock(0, 0);
  block[21] = 3;
  block[22] = 200;
  block[23] = 255;
  cVoice v(block);
  v.bass.NoteOn(45);
  v.Render(1000);
  block[21] = 1;
  block[22] = 255;
  v.bass.SetParams(block.data());
  v.Render(1000);
  block[21] = 3;
  v.bass.SetParams(block.data());
  for (float s : v.Render(100)) {
    ASSERT_TRUE(std::isfinite(s));
    ASSERT_LT(std::fabs(s), 32767.0f * 16);
  }
}

TEST(Bass, EveryModeAndFilterStaysFiniteAndRepeatsBitForBit) {
  for (int mode = 0; mode < 4; ++mode) {
    for (int filter = 0; filter < 4; ++filter) {
      SCOPED_TRACE(testing::Message() << "mode " << mode << " filter " << filter);
      std::vector<int16_t> block(128);
      cBass().GetDefaults(block.data());
      block[40] = int16_t(mode);
      block[21] = int16_t(filter);
      block[6] = 3;   // noise on osc 2
      block[43] = 1;  // pulse on osc 3
      block[30] = 100;
      block[23] = 255;  // the most resonance
      block[22] = 200;
      block[49] = 127;  // feedback
      block[5] = 1;     // sync
      block[47] = 1;
      block[33] = 1;  // soft clipping
      block[36] = 127;
      block[66] = -60;  // envelope to pitch on osc 1
      block[67] = 1;
      block[64] = 0;  // LFO 3 at once
      auto render = [&] {
        cVoice v(block, 99);
        v.bass.NoteOn(36);
        std::vector<float> out = v.Render(22050, 441);
        v.bass.NoteOn(60);
        std::vector<float> more = v.Render(22050, 300);
        out.insert(out.end(), more.begin(), more.end());
        return out;
      };
      const std::vector<float> a = render(), b = render();
      ASSERT_EQ(std::memcmp(a.data(), b.data(), a.size() * sizeof(float)), 0);
      double energy = 0;
      for (float s : a) {
        ASSERT_TRUE(std::isfinite(s));
        // Soft clipping bounds the sound, whatever the resonance does.
        ASSERT_LE(std::fabs(s), 32767.0f * 0.51f);
        energy += double(s) * s;
      }
      EXPECT_GT(energy, 0.0);
      if (mode == 2) {
        EXPECT_NE(Channel(a, 0), Channel(a, 1));
      }
    }
  }
}

TEST(Bass, TheNoiseSeedComesFromRand) {
  std::vector<int16_t> block = PlainBlock(0, 3);
  cVoice a(block, 1), b(block, 1), c(block, 2);
  for (cVoice* v : {&a, &b, &c}) v->bass.NoteOn(57);
  const auto ra = a.Render(2000), rb = b.Render(2000), rc = c.Render(2000);
  EXPECT_EQ(ra, rb);
  EXPECT_NE(ra, rc);
}

TEST(Bass, WithoutWavetablesAVoiceIsSilent) {
  cBass b;
  b.Init(kRate);
  b.NoteOn(57);
  std::vector<float> out(200, 5.0f);
  b.Render(out.data(), 100);
  for (float s : out) EXPECT_EQ(s, 0.0f);
}

TEST(Bass, TheManagerCreatesSixteenAndKeepsInstalledOnes) {
  cGenManager m(kRate);
  ASSERT_TRUE(m.CreateGenerators());
  for (int c = 0; c < kGenChannels; ++c) {
    ASSERT_NE(m.Bass(c), nullptr);
    EXPECT_EQ(m.Generator(kGenBass, c), m.Bass(c));
  }
  EXPECT_EQ(m.Bass(16), nullptr);
  m.Bass(3)->SetWavetables(&Store());
  m.currentChannel = 3;
  m.SelectGenerator(kGenBass);
  m.NoteOn(57);
  EXPECT_EQ(m.VoiceCount(), 1);
  m.CutChannel();
  std::vector<float> out(2 * 882);
  m.Render(out.data(), 882);
  EXPECT_EQ(m.VoiceCount(), 0);
}

TEST(Bass, SomeWordsActAtOnceOthersWaitForTheNextBlock) {
  cVoice v(PlainBlock(0, 2));
  v.bass.NoteOn(57);
  v.Render(4410);
  v.bass.SetParam(38, 12);  // osc 1 an octave up: retunes the sounding note
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 100)), NoteHz(69), 0.3);
  v.bass.SetParam(65, -12);  // transpose back down
  EXPECT_NEAR(Frequency(Channel(v.Render(8820), 0, 100)), NoteHz(57), 0.2);

  // The attack word waits: the next note still rises in 30 ms.
  v.bass.SetParam(11, 100);
  v.bass.NoteOff();
  v.Render(8820);
  v.bass.NoteOn(57);
  v.Render(int(0.031 * kRate));
  EXPECT_NE(v.bass.AmpEnvelope().state, cCurveEnvelope::kAttack);
  // A whole block brings it in: 1 s now.
  std::vector<int16_t> block = PlainBlock(0, 2);
  block[11] = 100;
  v.bass.SetParams(block.data());
  v.bass.NoteOff();
  v.Render(8820);
  v.bass.NoteOn(57);
  v.Render(int(0.5 * kRate));
  EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kAttack);
}

TEST(Bass, AnLfoRateWordTakesEffectAtTheNextNoteOn) {
  cVoice v(PlainBlock());
  v.bass.NoteOn(57);
  const uint32_t before = v.bass.LfoIncrement(0);
  // Word 24 = 5 at range 0: 5 / 16 Hz.
  EXPECT_EQ(before, uint32_t(5.0f / 16.0f * 2048.0f / float(kRate) * 1048576.0f));
  v.bass.SetParam(24, 100);
  v.bass.SetParam(51, 2);  // 100 / 64 Hz
  v.bass.SetParam(59, 7);
  v.Render(441);
  EXPECT_EQ(v.bass.LfoIncrement(0), before);
  v.bass.NoteOn(57);
  EXPECT_NEAR(double(v.bass.LfoIncrement(0)), 100.0 / 64 * 2048 / kRate * 1048576, 1.0);
  EXPECT_NEAR(double(v.bass.LfoIncrement(2)), 7.0 / 16 * 2048 / kRate * 1048576, 1.0);
}

TEST(Bass, ABlockThatSkippedFilterParamsIsConvertedAsItStands) {
  // Song files load their instruments unfiltered.
  std::vector<int16_t> block = PlainBlock(2, 0);
  block[0] = 200;   // volume
  block[22] = 510;  // cutoff
  block[6] = 1;     // osc 2: pulse
  block[10] = 127;
  block[7] = 254;   // twice the full width: the two saws cancel
  block[51] = 9;    // a shift count: held to 3
  block[24] = -16;  // a negative rate runs LFO 1 backwards
  cVoice v(block);
  EXPECT_FLOAT_EQ(v.bass.TargetVolume(), 200.0f / 64.0f);
  EXPECT_FLOAT_EQ(v.bass.TargetCutoff(), 2.0f);
  v.bass.NoteOn(57);
  EXPECT_EQ(v.bass.LfoIncrement(0),
            uint32_t(-int32_t(0.125f * 2048.0f / float(kRate) * 1048576.0f)));
  const std::vector<float> out = v.Render(4410);
  for (float s : out) ASSERT_TRUE(std::isfinite(s));
  // Osc 1 alone is heard: the pulse adds nothing.
  std::vector<int16_t> alone = block;
  alone[10] = 0;
  cVoice w(alone);
  w.bass.NoteOn(57);
  const std::vector<float> ref = w.Render(4410);
  double diff = 0, energy = 0;
  for (size_t i = 0; i < out.size(); ++i) {
    diff += double(out[i] - ref[i]) * (out[i] - ref[i]);
    energy += double(ref[i]) * ref[i];
  }
  EXPECT_GT(energy, 0.0);
  EXPECT_LT(diff, energy * 1e-3);
  // A coarse tune far out of range stays finite.
  v.bass.SetParam(38, 30000);
  for (float s : v.Render(2000)) ASSERT_TRUE(std::isfinite(s));
}

TEST(Bass, Lfo3VibratoStartsAfterItsDelay) {
  std::vector<int16_t> block = PlainBlock(0, 2);
  block[60] = 127;  // about +-9 % pitch
  block[64] = 10;   // 200 ms
  cVoice v(block);
  v.bass.NoteOn(57);
  const std::vector<float> out = Channel(v.Render(kRate / 2), 0);
  const std::vector<float> early(out.begin() + 100, out.begin() + int(0.19 * kRate));
  const std::vector<float> late(out.begin() + int(0.21 * kRate), out.end());
  auto spread = [](const std::vector<double>& p) {
    return *std::max_element(p.begin(), p.end()) / *std::min_element(p.begin(), p.end());
  };
  EXPECT_LT(spread(Periods(early)), 1.001);
  EXPECT_GT(spread(Periods(late)), 1.1);
}

TEST(Bass, ASyncedOscillatorRepeatsAtItsMastersPeriod) {
  for (int sync : {0, 1}) {
    std::vector<int16_t> block = PlainBlock(0, 2);
    block[42] = 0;  // osc 1 silent: it only drives the sync
    block[6] = 2;   // osc 2: sine, a fifth up
    block[8] = 7;
    block[9] = 0;
    block[10] = 127;
    block[5] = int16_t(sync);
    cVoice v(block);
    v.bass.NoteOn(57);  // 440 Hz: 100.2 frames; osc 2 at 659 Hz: 66.9 frames
    const int period = PeriodByAutocorrelation(Channel(v.Render(8820), 0, 4000), 50, 120);
    EXPECT_NEAR(period, sync ? 100 : 67, 1) << sync;
  }
}

TEST(Bass, LowPassKeepsTheFundamentalHighPassTheHarmonics) {
  // The 20th harmonic of a 110 Hz saw against its fundamental.
  auto ratio = [](int type, int cutoff) {
    std::vector<int16_t> block = PlainBlock(0, 0);
    block[21] = int16_t(type);
    block[22] = int16_t(cutoff);
    block[23] = 0;  // no resonance
    block[32] = 0;  // no envelope sweep
    block[25] = 0;  // no cutoff LFO
    cVoice v(block);
    v.bass.NoteOn(33);
    const std::vector<float> x = Channel(v.Render(4410 + 16384), 0, 4410);
    return Magnitude(x, NoteHz(33) * 20) / Magnitude(x, NoteHz(33));
  };
  const double plain = ratio(0, 10);
  EXPECT_NEAR(plain, 1.0 / 20, 0.02);  // a saw: harmonic h at 1/h
  EXPECT_LT(ratio(1, 10), plain / 10);
  EXPECT_LT(ratio(3, 10), plain / 10);
  EXPECT_GT(ratio(2, 60), plain * 4);
}

// Every curvature word on every kind of segment: the segment ends within its
// length and one frame more, and its value stays finite and inside the
// ramp's own overshoot. Near full curvature a ramp only touches its target,
// and a rounding step short it used to turn back and run away for good.
TEST(Bass, EverySegmentEndsWithinItsLengthWhateverItsCurvature) {
  const float samplesPerMs = 44.1f;
  enum { kAttackSegment, kDecaySegment, kReleaseSegment };
  for (int segment : {kAttackSegment, kDecaySegment, kReleaseSegment}) {
    for (int timeWord : {0, 3, 7, 100}) {
      for (int curveWord = -127; curveWord <= 127; ++curveWord) {
        const float time = timeWord == 0 ? samplesPerMs : float(timeWord * 10) * samplesPerMs;
        const float curve = float(curveWord) * (1.0f / 127.0f);
        cCurveEnvelope e;
        e.attack = e.decay = e.release = time;
        e.sustain = 48.0f / 127.0f;
        e.sustainTime = 0.0f;
        (segment == kAttackSegment  ? e.attackCurve
         : segment == kDecaySegment ? e.decayCurve
                                    : e.releaseCurve) = curve;
        e.restart = true;
        e.Start();
        const int32_t wanted = segment == kAttackSegment  ? cCurveEnvelope::kAttack
                               : segment == kDecaySegment ? cCurveEnvelope::kDecay
                                                          : cCurveEnvelope::kRelease;
        // The straight segments before the one under test end as they always did.
        for (int i = 0; e.state != wanted && i < 100000; ++i) {
          e.Advance();
          if (segment == kReleaseSegment && e.state == cCurveEnvelope::kSustain) e.Release();
        }
        ASSERT_EQ(e.state, wanted);
        const int limit = int(std::floor(time)) + 2;
        int frames = 0;
        while (e.state == wanted && frames <= limit + 10) {
          e.Advance();
          ++frames;
          ASSERT_TRUE(std::isfinite(e.value));
          ASSERT_GE(e.value, -0.125f - 1e-4f) << segment << " " << timeWord << " " << curveWord;
          ASSERT_LE(e.value, 1.125f + 1e-4f) << segment << " " << timeWord << " " << curveWord;
        }
        ASSERT_LE(frames, limit) << "segment " << segment << " time " << timeWord << " curve "
                                 << curveWord;
        if (segment == kReleaseSegment) {
          EXPECT_EQ(e.state, cCurveEnvelope::kIdle);
        }
      }
    }
  }
}

// The default instrument with its amplitude attack bent by word 64, then
// released along a curve of -64: it reaches its sustain level, and the voice
// frees after its release.
TEST(Bass, AVoiceWithCurvesNearFullBendStillEnds) {
  std::vector<int16_t> block(128, 0);
  cBass().GetDefaults(block.data());
  block[70] = 64;
  block[72] = -64;
  cVoice v(block);
  v.bass.NoteOn(45);
  v.Render(kRate / 2);
  EXPECT_EQ(v.bass.AmpEnvelope().state, cCurveEnvelope::kSustain);
  EXPECT_FLOAT_EQ(v.bass.AmpEnvelope().value, 48.0f / 127.0f);
  v.bass.NoteOff();
  v.Render(int(0.08 * kRate));  // release word 7: 70 ms
  EXPECT_EQ(v.bass.GetVoiceCount(), 0);
  for (float s : v.Render(100)) ASSERT_EQ(s, 0.0f);
}

// Each engine's noise seeds run as rand() runs from seed 1 in a process of
// its own, whatever another engine beside it has drawn.
TEST(Bass, EveryEngineSeedsItsNoiseAsAFreshProcessWould) {
  cNoiseSeeds first;
  for (int i = 0; i < 500; ++i) first.Next();
  std::srand(1);
  cNoiseSeeds second;
  for (int i = 0; i < 2000; ++i) ASSERT_EQ(second.Next(), std::rand()) << i;
}
