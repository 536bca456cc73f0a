// Whole songs through the render callback, reduced to one digest of their
// 16-bit samples. Rendering is deterministic to the bit, so a digest moves
// only when the sound does; a change here must be a change of sound that is
// meant, and its commit says which.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <functional>
#include <string>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "support/synthsong.h"
#include "tests/support/digest.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

// FNV-1a 64 over the little-endian bytes of the samples of `seconds` of
// playback from the start of the song.
uint64_t RenderDigest(cTracker& t, int seconds) {
  t.TransportCommand(kTransportPlay);
  const int32_t frames = Inside(t).Renderer().BlockFrames();
  const int32_t blocks = seconds * t.Config().frequency / frames;
  cDigest digest;
  for (int32_t b = 0; b < blocks; ++b) {
    const int16_t* pcm = t.RenderCallback(1);
    for (int32_t i = 0; i < 2 * frames; ++i) digest.AddSampleBytes(pcm[i]);
  }
  return digest.value;
}

// A fresh engine; the noise generators seed from rand(), so it starts from
// a known state.
uint64_t SongDigest(const std::function<bool(cTracker&)>& compose, int seconds) {
  std::srand(1);
  cTracker t(QuietConfig());
  EXPECT_TRUE(t.SystemStart(false));
  EXPECT_TRUE(compose(t));
  return RenderDigest(t, seconds);
}

}  // namespace

TEST(SoundDigest, PinnedSongsRenderTheRecordedSamples) {
  struct Case {
    const char* name;
    std::function<bool(cTracker&)> compose;
    uint64_t digest;
  };
  const Case cases[] = {
      {"Songs/demo.zqm",
       [](cTracker& t) { return t.LoadModule(MURVELON_SOURCE_DIR "/Songs/demo.zqm") == 1; },
       0x0c541ebd076587f4ull},
      {"composed 4-channel module", [](cTracker& t) { return LoadComposedModule(t); },
       0x40a02b59270d69d9ull},
      {"16 synth channels with reverbs",
       [](cTracker& t) {
         ComposeSynthSong(t);
         return true;
       },
       0x89c2138e6343b600ull},
      {"16 stereo four-pole synths with reverbs",
       [](cTracker& t) {
         ComposeHeavySynthSong(t);
         return true;
       },
       0x01c91f54faeccfd3ull},
  };
  for (const Case& c : cases) {
    const uint64_t digest = SongDigest(c.compose, 5);
    EXPECT_EQ(digest, c.digest) << c.name << ": 0x" << std::hex << digest;
  }
}
