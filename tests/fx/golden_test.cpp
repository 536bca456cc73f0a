#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <utility>
#include <vector>

#include "fx/fxfactory.h"
#include "fxtestutil.h"
#include "tests/support/digest.h"

namespace {

// FNV-1a over the bit patterns of the samples.
uint64_t Hash(const std::vector<float>& frames) {
  cDigest digest;
  for (float v : frames) digest.AddFloat(v);
  return digest.value;
}

}  // namespace

// Two seconds of noise through each effect, at its defaults and at other
// settings (a preset, or parameters set one by one). The effects use only
// plain IEEE float and double arithmetic in their sample paths, no library
// functions, so the result is the same on every machine; a change here is a
// change to the sound and must be meant.
TEST(FxGolden, EveryEffectGivesTheRecordedOutput) {
  int32_t bpm = 125, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  struct Case {
    int32_t type;
    int32_t preset;  // -1: none
    std::vector<std::pair<int32_t, int32_t>> params;
    uint64_t hash;
  };
  const Case cases[] = {
      {1, -1, {}, 0x6147475d141900a1},
      {1, -1, {{0, 1}, {1, 9000}, {2, 120}}, 0x2aecdb9f618c88c9},
      {2, -1, {}, 0xfc594dadd26a7056},
      {2, 1, {{7, 1}}, 0x97d38e497297a361},
      {3, -1, {}, 0x37e2f0ab0fba69f4},
      {3, -1, {{0, 300}, {1, 900}, {2, 1000}, {3, 100}, {4, 0}}, 0x144f7b57d096e4c4},
      {4, -1, {}, 0x567b71d00c94bf43},
      {4, -1, {{0, 1}}, 0xaae3f334fca84043},
      {5, -1, {}, 0x3b4c1c100a94a8a0},
      {5, -1, {{0, 90}, {1, 20}, {2, 60}}, 0x7a5de15a9006837e},
      {6, -1, {}, 0x917ee2c99fc1746b},
      {6, -1, {{0, 20}, {1, 90}, {2, 5}, {3, 40}}, 0x151c224ea3530e19},
      {7, -1, {}, 0x20c90f38d0b66e42},
      {7, 1, {}, 0x6663d1f7daedb8be},
      {7, 2, {}, 0x3ce87f47a39fb9ee},
      {8, -1, {}, 0xa3319c0899ffd4f8},
      {8, 1, {}, 0x3f959a1ec5f7808f},
      {9, -1, {{0, 60}, {2, -80}, {4, 100}, {5, 70}}, 0x486e79548d1e862},
      {10, -1, {{1, 50}, {3, -100}, {6, 80}, {7, 90}}, 0x325e912910628c80},
      {11, -1, {}, 0xd3fc209f8a106e5e},
      {11, -1, {{1, 300}, {3, 9000}, {5, 100}, {6, -40}, {9, 200}, {11, -128}}, 0x3094fd99af2bcbfe},
  };
  for (const Case& c : cases) {
    std::unique_ptr<cEffect> fx = factory.NewFxModule(c.type);
    ASSERT_NE(fx, nullptr);
    if (c.preset >= 0) fx->LoadPreset(c.preset);
    for (auto [index, value] : c.params) fx->SetParam(index, value);
    std::vector<float> frames = Noise(88200, 777);
    ProcessInBlocks(*fx, frames);
    EXPECT_EQ(Hash(frames), c.hash) << fx->GetName() << std::hex << " 0x" << Hash(frames);
  }
}
