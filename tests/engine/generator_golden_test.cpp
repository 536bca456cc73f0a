// Scripted notes on the sampler and the virtual-analogue generator, rendered
// in blocks of changing length and reduced to a hash of the samples' bits.
// The generators use plain IEEE float arithmetic in their frame loops, so
// the hashes hold on every machine; a change here is a change to the sound
// and must be meant. The cases reach the paths a song may not: stereo and
// ping-pong sounds, sounds that end, slides, offsets, chords, envelopes
// that release themselves, every render mode and filter type.

#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <functional>
#include <vector>

#include "engine/bass.h"
#include "engine/genmanager.h"
#include "engine/sampler.h"
#include "engine/wavestore.h"
#include "engine/wavetables.h"
#include "tests/support/digest.h"

namespace {

constexpr int kRate = 44100;

// Renders about `seconds` in blocks of 1 to 1500 frames (a fixed sequence),
// calling `event` before each block with the block's number.
uint64_t RenderScript(cGenerator& g, double seconds, const std::function<void(int)>& event) {
  cDigest hash;
  std::vector<float> frames(2 * 1500);
  uint32_t seed = 2024;
  int32_t done = 0;
  for (int block = 0; done < int32_t(seconds * kRate); ++block) {
    event(block);
    seed = seed * 1664525u + 1013904223u;
    const int32_t n = 1 + int32_t((seed >> 8) % 1500);
    g.Render(frames.data(), n);
    for (int32_t i = 0; i < 2 * n; ++i) hash.AddFloat(frames[size_t(i)]);
    done += n;
  }
  return hash.value;
}

}  // namespace

TEST(GeneratorGolden, SamplerScriptsGiveTheRecordedSamples) {
  cGenManager tables(kRate);
  cWavManager store;
  // Slot 0 mono looped, 1 stereo looped, 2 mono ping-pong, 3 mono without
  // a loop, 4 stereo without a loop, 5 stereo ping-pong.
  struct cSlot {
    int frames;
    uint32_t flags;
    int loopStart, loopEnd;
  };
  const cSlot slots[] = {{6000, 0x01, 1000, 5999}, {5000, 0x11, 700, 4999},
                         {4000, 0x02, 500, 3000},  {3000, 0x00, 0, 0},
                         {2500, 0x10, 0, 0},       {3500, 0x12, 200, 3400}};
  uint32_t noise = 99;
  for (int s = 0; s < int(std::size(slots)); ++s) {
    std::vector<int16_t> d(size_t(slots[s].frames) * ((slots[s].flags & kWaveStereoFlags) ? 2 : 1));
    for (size_t i = 0; i < d.size(); ++i) {
      noise = noise * 1103515245u + 12345u;
      d[i] = int16_t(int((i * 37) % 2000) * 12 - 12000 + int((noise >> 16) % 2001) - 1000);
    }
    ASSERT_TRUE(store.SetSlot(s, d.data(), slots[s].frames, slots[s].flags, slots[s].loopStart,
                              slots[s].loopEnd, "golden"));
  }
  struct Case {
    const char* name;
    int slot;
    int note;
    int column0, column1;     // command words at the note
    int attack, sustainTime;  // words 5 and 8
    uint64_t hash;
  };
  const Case cases[] = {
      {"mono loop", 0, 60, 0, 0, 0, 0, 0x27b15a53d04290a1ull},
      {"stereo loop, volume slide", 1, 48, 0x0A03, 0, 0, 0, 0x5a2e08c32f972a5bull},
      {"mono ping-pong, slide up", 2, 72, 0x0140, 0, 0, 0, 0xadaa39e492dabdd4ull},
      {"mono end, sample offset", 3, 60, 0x1940, 0, 0, 0, 0x78551ebfbef675d0ull},
      {"stereo end, chord kept", 4, 55, 0x1847, 0x1A00, 0, 0, 0x9cf2fa2934170714ull},
      {"mono loop, slide down, self release", 0, 84, 0x0220, 0, 10, 30, 0x1bc67e18e8645ecdull},
      {"stereo ping-pong, portamento", 5, 40, 0x0310, 0, 3, 0, 0x9bc2482696e93903ull},
      {"stereo loop, arpeggio", 1, 52, 0x0837, 0, 0, 0, 0x65620c61047cff2bull},
  };
  for (const Case& c : cases) {
    cSampler s;
    s.BindTables(tables.interpolation);
    s.SetWaveStore(&store);
    s.Init(kRate);
    s.Reset();
    int16_t params[kSamplerWords];
    s.GetDefaults(params);
    params[2] = int16_t(c.slot);
    params[5] = int16_t(c.attack);
    params[8] = int16_t(c.sustainTime);
    params[9] = 20;  // 200 ms release
    s.SetParams(params);
    s.SetPlaying(1);
    s.SetInstrumentNumber(1);
    const uint64_t hash = RenderScript(s, 3.0, [&](int block) {
      if (block % 40 == 0) {
        s.SetCommand(0, c.column0);
        s.SetCommand(1, c.column1);
        s.SetPan(20 + (block * 7) % 100);
        s.NoteOn(c.note + (block / 40) % 5);
      }
      if (block % 40 == 25) s.NoteOff();
      if (block % 40 == 33) s.FastRelease();
      s.Tick(block % 6);
    });
    EXPECT_EQ(hash, c.hash) << c.name << ": 0x" << std::hex << hash;
  }
}

TEST(GeneratorGolden, VirtualAnalogueScriptsGiveTheRecordedSamples) {
  auto tables = cWavetables::Shared(kRate, "");
  ASSERT_TRUE(tables);
  struct Case {
    int mode, filter;
    std::vector<std::pair<int, int>> words;  // changed from the defaults
    uint64_t hash;
  };
  const Case cases[] = {
      {0, 1, {}, 0xeb70836d6dc45af4ull},
      {1, 2, {{30, 60}, {48, 40}}, 0x7685bde073815d6ull},
      {2, 3, {{4, 20}, {33, 1}, {36, 90}}, 0x8af9004de77049e8ull},
      {3, 1, {{2, 1}, {6, 3}, {43, 2}, {30, 50}}, 0x734a9c15d868b093ull},
      {2, 1, {{5, 1}, {47, 1}, {30, 70}, {58, 1}, {67, 1}, {66, 60}}, 0xe4ca6247c791fb08ull},
      {0, 3, {{2, 4}, {14, 40}, {70, 100}, {71, -90}, {72, 50}, {41, 40}}, 0x72040db4e3cdff03ull},
      {1, 0, {{28, 0}, {50, 127}, {64, 0}}, 0xb478f9d599cc9439ull},
      // Every waveform with the pulse width, pitch and cutoff LFOs running
      // from the first frame, in the modes whose voices run side by side.
      {2,
       3,
       {{2, 1}, {6, 3}, {43, 2}, {30, 60}, {28, 90}, {64, 0}, {51, 2}, {55, 1}},
       0x63b1db8c8585c830ull},
      {2,
       2,
       {{2, 4}, {6, 7}, {48, 60}, {49, 30}, {11, 0}, {15, 0}, {42, 127}},
       0x8c5def0518f8985dull},
      {2,
       0,
       {{10, 0}, {42, 0}, {30, 100}, {43, 4}, {50, 90}, {60, 127}, {64, 0}},
       0x40b9697676e14fddull},
      {2, 5, {{2, 2}, {6, 1}, {7, 20}, {28, 0}, {14, 25}, {23, 255}}, 0x4dbbfbd765f88073ull},
      {1, 3, {{2, 1}, {47, 1}, {30, 50}, {43, 3}, {14, 20}, {58, 1}}, 0x6d3f329df4c51140ull},
      {0,
       2,
       {{6, 2}, {49, 127}, {60, 127}, {64, 0}, {67, 1}, {68, 1}, {66, -100}},
       0x9d6831c92d38523cull},
      {3, 3, {{2, 3}, {6, 4}, {4, 60}, {41, 63}, {33, 1}, {36, 127}}, 0x2528edb5c36d90abull},
  };
  for (const Case& c : cases) {
    std::srand(7);  // the noise seed
    cBass b;
    b.Init(kRate);
    b.SetWavetables(tables.get());
    b.Reset();
    int16_t params[128];
    b.GetDefaults(params);
    params[40] = int16_t(c.mode);
    params[21] = int16_t(c.filter);
    for (auto [word, value] : c.words) params[word] = int16_t(value);
    b.FilterParams(params);
    b.SetParams(params);
    b.SetPlaying(1);
    const uint64_t hash = RenderScript(b, 2.0, [&](int block) {
      if (block % 30 == 0) b.NoteOn(36 + (block / 30) % 12);
      if (block % 30 == 20) b.NoteOff();
      if (block % 30 == 10) b.SetCommand(0, 0x0140);
      if (block % 30 == 15) b.SetCommand(0, 0x2060);
      b.Tick(block % 6);
    });
    EXPECT_EQ(hash, c.hash) << "mode " << c.mode << ", filter " << c.filter << ": 0x" << std::hex
                            << hash;
  }
}
