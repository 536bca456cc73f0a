#include <gtest/gtest.h>

#include <bit>
#include <cstdint>
#include <memory>
#include <vector>

#include "fx/fxfactory.h"
#include "fxtestutil.h"

namespace {

// FNV-1a over the bit patterns of the samples.
uint64_t Hash(const std::vector<float>& frames) {
  uint64_t h = 1469598103934665603ull;
  for (float v : frames) {
    h ^= std::bit_cast<uint32_t>(v);
    h *= 1099511628211ull;
  }
  return h;
}

}  // namespace

// Two seconds of noise through each effect at its defaults. The effects use
// only plain IEEE float and double arithmetic in their sample paths, no
// library functions, so the result is the same on every machine; a change
// here is a change to the sound and must be meant.
TEST(FxGolden, DefaultSettingsGiveTheRecordedOutput) {
  int32_t bpm = 125, speed = 6;
  const cFxFactory factory(&bpm, &speed, 44100);
  struct Case {
    int32_t type;
    uint64_t hash;
  };
  for (Case c : {Case{1, 0x6147475d141900a1}, {2, 0xfc594dadd26a7056}, {3, 0x37e2f0ab0fba69f4}}) {
    std::unique_ptr<cEffect> fx = factory.NewFxModule(c.type);
    std::vector<float> frames = Noise(88200, 777);
    ProcessInBlocks(*fx, frames);
    EXPECT_EQ(Hash(frames), c.hash) << fx->GetName() << std::hex << " 0x" << Hash(frames);
  }
}
