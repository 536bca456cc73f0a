// The mixer's kernels against the mix as written out sample by sample:
// each buffer added to the sums in turn, then gain, dither, saturation and
// rounding. Every kernel the processor runs must give the same sums and
// samples, bit for bit, for any number of buffers and samples, and for
// values a damaged sound can hold.

#include "engine/mixkernel.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

namespace {

struct cMixResult {
  std::vector<double> sums;
  std::vector<int16_t> out;
  uint32_t dither = 0;
  int32_t clipped = 0;  // samples at full scale
};

// The mix as its steps read, one buffer after another.
cMixResult Reference(const std::vector<std::vector<float>>& sources,
                     const std::vector<double>& gains, double gainLeft, double gainRight,
                     int32_t samples, uint32_t dither) {
  cMixResult r;
  r.sums.assign(size_t(samples), 0.0);
  for (size_t j = 0; j < sources.size(); ++j) {
    for (int32_t i = 0; i < samples; ++i)
      r.sums[size_t(i)] += double(sources[j][size_t(i)]) * gains[j];
  }
  for (int32_t i = 0; i < samples; ++i) {
    double x = r.sums[size_t(i)] * ((i & 1) ? gainRight : gainLeft);
    if (!std::isfinite(x)) x = 0.0;
    dither = (dither * 1103515245u + 12345u) & 0x7FFFFFFFu;
    const double y = std::clamp(x + double(dither) * (1.0 / 2147483648.0), -32768.0, 32767.0);
    r.out.push_back(int16_t(std::nearbyint(y)));
    r.clipped += r.out.back() == 32767 || r.out.back() == -32768;
  }
  r.dither = dither;
  return r;
}

cMixResult RunKernel(eMixKernel kernel, const std::vector<std::vector<float>>& sources,
                     const std::vector<double>& gains, double gainLeft, double gainRight,
                     int32_t samples, uint32_t dither, bool keepSums = true) {
  std::vector<const float*> pointers;
  for (const auto& s : sources) pointers.push_back(s.data());
  cMixResult r;
  r.sums.assign(size_t(samples), -1.0);
  r.out.assign(size_t(samples), 0x5555);
  cMixJob job;
  job.sources = pointers.data();
  job.gains = gains.data();
  job.count = int(sources.size());
  job.gainLeft = gainLeft;
  job.gainRight = gainRight;
  job.sums = keepSums ? r.sums.data() : nullptr;
  job.out = r.out.data();
  job.samples = samples;
  job.dither = dither;
  job.clipped = -7;  // a job's count starts from nothing
  MixSamples(kernel, job);
  r.dither = job.dither;
  r.clipped = job.clipped;
  return r;
}

}  // namespace

TEST(MixKernel, EveryKernelGivesTheSamplesOfTheMixAsWritten) {
  const float specials[] = {0.0f,
                            -0.0f,
                            std::numeric_limits<float>::quiet_NaN(),
                            std::numeric_limits<float>::infinity(),
                            -std::numeric_limits<float>::infinity(),
                            1e30f,
                            -1e30f,
                            std::numeric_limits<float>::denorm_min(),
                            45000.0f,
                            -45000.0f,
                            32767.5f,
                            -32768.5f,
                            0.5f,
                            1.5f,
                            -2.5f};
  struct Case {
    int sources;
    int32_t samples;
    double gainLeft, gainRight;
    bool damaged;  // special values among the samples
  };
  const Case cases[] = {
      {0, 8, 0.7, 0.7, false},         {1, 2, 0.721875, 0.721875, false},
      {4, 1764, 0.721875, 0.5, false}, {4, 1764, 0.721875, 0.721875, true},
      {20, 1766, 0.6, 1.2, true},      {3, 10, 1.0, 0.0, true},
      {16, 14, 2.0, 0.01, false},      {5, 6, 0.0, 1.5, true},
  };
  uint32_t seed = 12345;
  auto next = [&seed] {
    seed = seed * 1664525u + 1013904223u;
    return seed;
  };
  for (const Case& c : cases) {
    std::vector<std::vector<float>> sources(size_t(c.sources),
                                            std::vector<float>(size_t(c.samples)));
    std::vector<double> gains;
    for (auto& s : sources) {
      for (float& v : s) {
        v = float(int32_t(next() >> 8) % 80000 - 40000) * 0.37f;
        if (c.damaged && next() % 7 == 0) v = specials[next() % std::size(specials)];
      }
      // Channel and note volumes as the render path forms them, muted ones too.
      const int volume = int(next() % 201), note = int(next() % 128), gate = next() % 5 ? 1 : 0;
      gains.push_back(double(volume * 0.01L * note * (1.0L / 127.0L) * gate));
    }
    const uint32_t dither = next() & 0x7FFFFFFFu;
    const cMixResult want = Reference(sources, gains, c.gainLeft, c.gainRight, c.samples, dither);
    for (eMixKernel kernel :
         {eMixKernel::kPlain, eMixKernel::kSse2, eMixKernel::kAvx2, eMixKernel::kAvx512}) {
      if (!MixKernelAvailable(kernel)) continue;
      SCOPED_TRACE(testing::Message() << "kernel " << int(kernel) << ", " << c.sources
                                      << " sources, " << c.samples << " samples");
      const cMixResult got =
          RunKernel(kernel, sources, gains, c.gainLeft, c.gainRight, c.samples, dither);
      ASSERT_EQ(got.out, want.out);
      EXPECT_EQ(got.dither, want.dither);
      EXPECT_EQ(got.clipped, want.clipped);
      for (int32_t i = 0; i < c.samples; ++i) {
        // Which NaN a sum holds depends on the order of the operands the
        // compiler chose; every NaN becomes silence all the same.
        const double g = got.sums[size_t(i)], w = want.sums[size_t(i)];
        if (std::isnan(w)) {
          ASSERT_TRUE(std::isnan(g)) << "sum " << i;
        } else {
          ASSERT_EQ(std::bit_cast<uint64_t>(g), std::bit_cast<uint64_t>(w)) << "sum " << i;
        }
      }
      // The render path keeps only the samples.
      const cMixResult bare =
          RunKernel(kernel, sources, gains, c.gainLeft, c.gainRight, c.samples, dither, false);
      EXPECT_EQ(bare.out, want.out);
      EXPECT_EQ(bare.dither, want.dither);
      EXPECT_EQ(bare.clipped, want.clipped);
    }
  }
}

// Loud samples put where each kernel's vector steps and its plain tail fall,
// on the left and on the right: every kernel counts exactly those.
TEST(MixKernel, EveryKernelCountsTheSamplesItHoldsAtFullScale) {
  struct Loud {
    int32_t at;
    float value;
    bool full;  // held at full scale
  };
  const Loud louds[] = {
      {0, 40000.0f, true},
      {1, -40000.0f, true},
      {5, 1e30f, true},
      {17, -32768.5f, true},
      {100, 32768.0f, true},
      {101, 30000.0f, false},
      {102, -32000.0f, false},
      {400, std::numeric_limits<float>::infinity(), false},
      {401, std::numeric_limits<float>::quiet_NaN(), false},
      {1760, 50000.0f, true},  // the last vector step
      {1763, -50000.0f, true},
      {1765, 33000.0f, true},  // the plain tail
  };
  const int32_t samples = 1766;
  std::vector<std::vector<float>> sources(1, std::vector<float>(size_t(samples), 0.0f));
  int32_t expected = 0;
  for (const Loud& l : louds) {
    sources[0][size_t(l.at)] = l.value;
    expected += l.full;
  }
  for (eMixKernel kernel :
       {eMixKernel::kPlain, eMixKernel::kSse2, eMixKernel::kAvx2, eMixKernel::kAvx512}) {
    if (!MixKernelAvailable(kernel)) continue;
    SCOPED_TRACE(testing::Message() << "kernel " << int(kernel));
    const cMixResult got = RunKernel(kernel, sources, {1.0}, 1.0, 1.0, samples, 12345, false);
    EXPECT_EQ(got.clipped, expected);
    for (const Loud& l : louds) {
      const int16_t v = got.out[size_t(l.at)];
      EXPECT_EQ(v == 32767 || v == -32768, l.full) << "sample " << l.at;
    }
  }
}

TEST(MixKernel, TheFastestKernelIsOneThisProcessorRuns) {
  EXPECT_TRUE(MixKernelAvailable(FastestMixKernel()));
  EXPECT_TRUE(MixKernelAvailable(eMixKernel::kPlain));
}
