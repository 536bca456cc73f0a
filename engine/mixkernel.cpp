#include "engine/mixkernel.h"

#include <algorithm>
#include <bit>
#include <cmath>

#if defined(__x86_64__) || defined(__i386__)
#include <immintrin.h>
#define MURVELON_X86 1
#endif

namespace {

constexpr uint32_t kDitherMask = 0x7FFFFFFFu;

// Steps of the dither generator taken at once are one step of the same
// form: state = (state x mul + add) mod 2^31. Generators a few steps apart,
// each jumping that many steps, give the sequence a few values at a time.
struct cDitherJump {
  uint32_t mul = 1, add = 0;
};

constexpr cDitherJump DitherJump(int steps) {
  cDitherJump j;
  for (int k = 0; k < steps; ++k) {
    j.mul *= 1103515245u;
    j.add = j.add * 1103515245u + 12345u;
  }
  return j;
}

constexpr uint32_t Jump(cDitherJump j, uint32_t state) {
  return (state * j.mul + j.add) & kDitherMask;
}

static_assert(Jump(DitherJump(4), 381296920u) ==
              NextDither(NextDither(NextDither(NextDither(381296920u)))));
static_assert(Jump(DitherJump(8), 381296920u) ==
              Jump(DitherJump(4), Jump(DitherJump(4), 381296920u)));
static_assert(Jump(DitherJump(16), 381296920u) ==
              Jump(DitherJump(8), Jump(DitherJump(8), 381296920u)));

// One finished sample: gain, silence for what is not a number, dither,
// saturation, and rounding to the nearest integer, ties to even (the
// current rounding mode, which the vector conversions use too).
int16_t FinishSample(double sum, double gain, uint32_t dither) {
  double x = sum * gain;
  if (!std::isfinite(x)) x = 0.0;  // a broken sound is silenced, never converted
  double y = x + double(dither) * (1.0 / 2147483648.0);
  y = std::clamp(y, -32768.0, 32767.0);
  return int16_t(std::nearbyint(y));
}

// Samples from `from` on, one at a time.
void MixPlain(cMixJob& job, int32_t from) {
  for (int32_t i = from; i < job.samples; ++i) {
    double sum = 0.0;
    for (int j = 0; j < job.count; ++j) sum += double(job.sources[j][i]) * job.gains[j];
    if (job.sums != nullptr) job.sums[i] = sum;
    job.dither = NextDither(job.dither);
    const int16_t sample = FinishSample(sum, (i & 1) ? job.gainRight : job.gainLeft, job.dither);
    job.out[i] = sample;
    job.clipped += sample == 32767 || sample == -32768;
  }
}

#if defined(MURVELON_X86) && defined(__SSE2__)
// The low 32 bits of each lane's product (SSE2 has no such multiply).
__m128i MultiplyLow32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// How many of the 16-bit words that `lanes` marks (two bits a word, as the
// byte mask gives them) lie at full scale.
int FullScaleWords(__m128i words, int lanes = 0xFFFF) {
  const __m128i full = _mm_or_si128(_mm_cmpeq_epi16(words, _mm_set1_epi16(32767)),
                                    _mm_cmpeq_epi16(words, _mm_set1_epi16(-32768)));
  return std::popcount(unsigned(_mm_movemask_epi8(full) & lanes)) / 2;
}

// What FinishSample does, for a left and a right sample at once.
__m128i FinishPair(__m128d sum, __m128d gains, __m128i dither) {
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFll));
  __m128d x = _mm_mul_pd(sum, gains);
  x = _mm_and_pd(x, _mm_cmplt_pd(_mm_and_pd(x, absMask), _mm_set1_pd(HUGE_VAL)));
  __m128d y = _mm_add_pd(x, _mm_mul_pd(_mm_cvtepi32_pd(dither), _mm_set1_pd(1.0 / 2147483648.0)));
  y = _mm_min_pd(_mm_max_pd(y, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
  return _mm_cvtpd_epi32(y);
}

// Two frames a step; returns the samples done.
int32_t MixSse2(cMixJob& job) {
  if (job.samples < 4) return 0;
  __m128d gains[32];
  const int count = std::min(job.count, 32);
  for (int j = 0; j < count; ++j) gains[j] = _mm_set1_pd(job.gains[j]);
  const __m128d master = _mm_set_pd(job.gainRight, job.gainLeft);
  alignas(16) uint32_t first[4];
  uint32_t state = job.dither;
  for (uint32_t& d : first) d = state = NextDither(state);
  constexpr cDitherJump kJump = DitherJump(4);
  const __m128i jumpMul = _mm_set1_epi32(int32_t(kJump.mul));
  const __m128i jumpAdd = _mm_set1_epi32(int32_t(kJump.add));
  const __m128i mask = _mm_set1_epi32(int32_t(kDitherMask));
  __m128i dither = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
  __m128i used = dither;
  int clipped = 0;
  int32_t i = 0;
  for (; i + 4 <= job.samples; i += 4) {
    __m128d low = _mm_setzero_pd(), high = _mm_setzero_pd();
    for (int j = 0; j < count; ++j) {
      const __m128 s = _mm_loadu_ps(job.sources[j] + i);
      low = _mm_add_pd(low, _mm_mul_pd(_mm_cvtps_pd(s), gains[j]));
      high = _mm_add_pd(high, _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(s, s)), gains[j]));
    }
    if (job.sums != nullptr) {
      _mm_storeu_pd(job.sums + i, low);
      _mm_storeu_pd(job.sums + i + 2, high);
    }
    const __m128i a = FinishPair(low, master, dither);
    const __m128i b = FinishPair(high, master, _mm_srli_si128(dither, 8));
    const __m128i words = _mm_packs_epi32(_mm_unpacklo_epi64(a, b), _mm_setzero_si128());
    _mm_storel_epi64(reinterpret_cast<__m128i*>(job.out + i), words);
    clipped += FullScaleWords(words, 0xFF);
    used = dither;
    dither = _mm_and_si128(_mm_add_epi32(MultiplyLow32(dither, jumpMul), jumpAdd), mask);
  }
  job.dither = uint32_t(_mm_cvtsi128_si32(_mm_shuffle_epi32(used, _MM_SHUFFLE(3, 3, 3, 3))));
  job.clipped += clipped;
  return i;
}
#endif

#if defined(MURVELON_X86) && (defined(__GNUC__) || defined(__clang__))
#define MURVELON_AVX2 1
// What FinishSample does, for two frames at once. AVX2 only: no fused
// multiply-add, which would round differently.
__attribute__((target("avx2"))) __m128i FinishQuad(__m256d sum, __m256d gains, __m128i dither) {
  const __m256d absMask = _mm256_castsi256_pd(_mm256_set1_epi64x(0x7FFFFFFFFFFFFFFFll));
  __m256d x = _mm256_mul_pd(sum, gains);
  x = _mm256_and_pd(x,
                    _mm256_cmp_pd(_mm256_and_pd(x, absMask), _mm256_set1_pd(HUGE_VAL), _CMP_LT_OQ));
  __m256d y = _mm256_add_pd(
      x, _mm256_mul_pd(_mm256_cvtepi32_pd(dither), _mm256_set1_pd(1.0 / 2147483648.0)));
  y = _mm256_min_pd(_mm256_max_pd(y, _mm256_set1_pd(-32768.0)), _mm256_set1_pd(32767.0));
  return _mm256_cvtpd_epi32(y);
}

// Eight frames a step; returns the samples done.
__attribute__((target("avx2"))) int32_t MixAvx2(cMixJob& job) {
  if (job.samples < 16) return 0;
  __m256d gains[32];
  const int count = std::min(job.count, 32);
  for (int j = 0; j < count; ++j) gains[j] = _mm256_set1_pd(job.gains[j]);
  const float* const* sources = job.sources;
  double* sums = job.sums;
  int16_t* out = job.out;
  const int32_t samples = job.samples;
  const __m256d master = _mm256_set_pd(job.gainRight, job.gainLeft, job.gainRight, job.gainLeft);
  alignas(32) uint32_t first[16];
  uint32_t state = job.dither;
  for (uint32_t& d : first) d = state = NextDither(state);
  constexpr cDitherJump kJump = DitherJump(16);
  const __m256i jumpMul = _mm256_set1_epi32(int32_t(kJump.mul));
  const __m256i jumpAdd = _mm256_set1_epi32(int32_t(kJump.add));
  const __m256i mask = _mm256_set1_epi32(int32_t(kDitherMask));
  __m256i ditherLow = _mm256_load_si256(reinterpret_cast<const __m256i*>(first));
  __m256i ditherHigh = _mm256_load_si256(reinterpret_cast<const __m256i*>(first + 8));
  __m256i used = ditherHigh;
  int clipped = 0;
  int32_t i = 0;
  for (; i + 16 <= samples; i += 16) {
    __m256d a = _mm256_setzero_pd(), b = a, c = a, d = a;
    for (int j = 0; j < count; ++j) {
      const float* s = sources[j] + i;
      const __m256d g = gains[j];
      a = _mm256_add_pd(a, _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(s)), g));
      b = _mm256_add_pd(b, _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(s + 4)), g));
      c = _mm256_add_pd(c, _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(s + 8)), g));
      d = _mm256_add_pd(d, _mm256_mul_pd(_mm256_cvtps_pd(_mm_loadu_ps(s + 12)), g));
    }
    if (sums != nullptr) {
      _mm256_storeu_pd(sums + i, a);
      _mm256_storeu_pd(sums + i + 4, b);
      _mm256_storeu_pd(sums + i + 8, c);
      _mm256_storeu_pd(sums + i + 12, d);
    }
    const __m128i low =
        _mm_packs_epi32(FinishQuad(a, master, _mm256_castsi256_si128(ditherLow)),
                        FinishQuad(b, master, _mm256_extracti128_si256(ditherLow, 1)));
    const __m128i high =
        _mm_packs_epi32(FinishQuad(c, master, _mm256_castsi256_si128(ditherHigh)),
                        FinishQuad(d, master, _mm256_extracti128_si256(ditherHigh, 1)));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i), low);
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out + i + 8), high);
    clipped += FullScaleWords(low) + FullScaleWords(high);
    used = ditherHigh;
    ditherLow =
        _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(ditherLow, jumpMul), jumpAdd), mask);
    ditherHigh =
        _mm256_and_si256(_mm256_add_epi32(_mm256_mullo_epi32(ditherHigh, jumpMul), jumpAdd), mask);
  }
  job.dither = uint32_t(_mm256_extract_epi32(used, 7));
  job.clipped += clipped;
  return i;
}

// GCC 12's AVX-512 intrinsics start from deliberately undefined registers,
// which its uninitialised-value warning reports inside the header.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#endif

// What FinishSample does, for four frames at once.
__attribute__((target("avx512f"))) __m256i FinishOctet(__m512d sum, __m512d gains, __m256i dither) {
  __m512d x = _mm512_mul_pd(sum, gains);
  x = _mm512_maskz_mov_pd(
      _mm512_cmp_pd_mask(_mm512_abs_pd(x), _mm512_set1_pd(HUGE_VAL), _CMP_LT_OQ), x);
  __m512d y = _mm512_add_pd(
      x, _mm512_mul_pd(_mm512_cvtepi32_pd(dither), _mm512_set1_pd(1.0 / 2147483648.0)));
  y = _mm512_min_pd(_mm512_max_pd(y, _mm512_set1_pd(-32768.0)), _mm512_set1_pd(32767.0));
  return _mm512_cvtpd_epi32(y);
}

// Eight frames a step; returns the samples done.
__attribute__((target("avx512f"))) int32_t MixAvx512(cMixJob& job) {
  if (job.samples < 16) return 0;
  __m512d gains[32];
  const int count = std::min(job.count, 32);
  for (int j = 0; j < count; ++j) gains[j] = _mm512_set1_pd(job.gains[j]);
  const float* const* sources = job.sources;
  double* sums = job.sums;
  int16_t* out = job.out;
  const int32_t samples = job.samples;
  const __m512d master = _mm512_set_pd(job.gainRight, job.gainLeft, job.gainRight, job.gainLeft,
                                       job.gainRight, job.gainLeft, job.gainRight, job.gainLeft);
  alignas(64) uint32_t first[16];
  uint32_t state = job.dither;
  for (uint32_t& d : first) d = state = NextDither(state);
  constexpr cDitherJump kJump = DitherJump(16);
  const __m512i jumpMul = _mm512_set1_epi32(int32_t(kJump.mul));
  const __m512i jumpAdd = _mm512_set1_epi32(int32_t(kJump.add));
  const __m512i mask = _mm512_set1_epi32(int32_t(kDitherMask));
  __m512i dither = _mm512_load_si512(first);
  __m512i used = dither;
  const __m512i top = _mm512_set1_epi32(32767), bottom = _mm512_set1_epi32(-32768);
  int clipped = 0;
  int32_t i = 0;
  for (; i + 16 <= samples; i += 16) {
    __m512d low = _mm512_setzero_pd(), high = low;
    for (int j = 0; j < count; ++j) {
      const float* s = sources[j] + i;
      low = _mm512_add_pd(low, _mm512_mul_pd(_mm512_cvtps_pd(_mm256_loadu_ps(s)), gains[j]));
      high = _mm512_add_pd(high, _mm512_mul_pd(_mm512_cvtps_pd(_mm256_loadu_ps(s + 8)), gains[j]));
    }
    if (sums != nullptr) {
      _mm512_storeu_pd(sums + i, low);
      _mm512_storeu_pd(sums + i + 8, high);
    }
    const __m512i words = _mm512_inserti64x4(
        _mm512_castsi256_si512(FinishOctet(low, master, _mm512_castsi512_si256(dither))),
        FinishOctet(high, master, _mm512_extracti64x4_epi64(dither, 1)), 1);
    // The values lie within 16 bits already: the saturation changes none.
    _mm256_storeu_si256(reinterpret_cast<__m256i*>(out + i), _mm512_cvtsepi32_epi16(words));
    clipped += std::popcount(
        unsigned(_mm512_cmpeq_epi32_mask(words, top) | _mm512_cmpeq_epi32_mask(words, bottom)));
    used = dither;
    dither = _mm512_and_si512(_mm512_add_epi32(_mm512_mullo_epi32(dither, jumpMul), jumpAdd), mask);
  }
  job.dither = uint32_t(_mm_extract_epi32(_mm512_extracti32x4_epi32(used, 3), 3));
  job.clipped += clipped;
  return i;
}

#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
#endif

}  // namespace

bool MixKernelAvailable(eMixKernel kernel) {
  switch (kernel) {
    case eMixKernel::kPlain:
      return true;
    case eMixKernel::kSse2:
#if defined(MURVELON_X86) && defined(__SSE2__)
      return true;
#else
      return false;
#endif
    case eMixKernel::kAvx2:
#if defined(MURVELON_AVX2)
      return __builtin_cpu_supports("avx2");
#else
      return false;
#endif
    case eMixKernel::kAvx512:
#if defined(MURVELON_AVX2)
      return __builtin_cpu_supports("avx512f");
#else
      return false;
#endif
  }
  return false;
}

eMixKernel FastestMixKernel() {
  for (eMixKernel k : {eMixKernel::kAvx512, eMixKernel::kAvx2, eMixKernel::kSse2}) {
    if (MixKernelAvailable(k)) return k;
  }
  return eMixKernel::kPlain;
}

void MixSamples(eMixKernel kernel, cMixJob& job) {
  int32_t done = 0;
  job.clipped = 0;
  // More sources than the vector kernels hold gains for go the plain way.
  if (job.count <= 32 && MixKernelAvailable(kernel)) {
#if defined(MURVELON_AVX2)
    if (kernel == eMixKernel::kAvx2) done = MixAvx2(job);
    if (kernel == eMixKernel::kAvx512) done = MixAvx512(job);
#endif
#if defined(MURVELON_X86) && defined(__SSE2__)
    if (kernel == eMixKernel::kSse2) done = MixSse2(job);
#endif
  }
  MixPlain(job, done);
}
