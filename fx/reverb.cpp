#include "fx/reverb.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <iterator>

#include "fx/denormal.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

// A second build of a loop for processors with AVX2, chosen when the
// program starts: the same operations, in the three-operand encoding that
// needs no register copies. No fused multiply-add is enabled. Not under
// ThreadSanitizer: the chooser runs while the program is being loaded,
// before the sanitizer's runtime is set up, and its instrumented entry
// crashes there.
#if defined(__x86_64__) && defined(__GNUC__) && !defined(__clang__) && !defined(__SANITIZE_THREAD__)
#define MURVELON_VEX_CLONES __attribute__((target_clones("avx2", "default")))
#else
#define MURVELON_VEX_CLONES
#endif

namespace {

const cFxParamDesc kReverbParams[cReverb::kNumParams] = {
    {"Dry 0-1000", "Dry", 0, 1000, 650, 0},           {"Wet 0-1000", "Wet", 0, 1000, 150, 0},
    {"RoomSize 0-1000", "RoomDeep", 0, 1000, 900, 0}, {"Damp 0-1000", "Damp", 0, 1000, 500, 0},
    {"Width 0-1000", "RoomWidth", 0, 1000, 830, 0},
};

constexpr int32_t kCombLengths[kReverbCombs] = {1116, 1188, 1277, 1356, 1422, 1491, 1557, 1617};
constexpr int32_t kAllPassLengths[kReverbAllPasses] = {556, 441, 341, 225};
constexpr int32_t kRightSpread = 23;

// Each filter runs over a stretch of frames at a time rather than frame by
// frame: a filter's state depends only on its own past, and every sum still
// adds the filters in the same order for each frame. A stretch ends where
// any filter of the bank wraps its buffer, so the loops hold no wrap test.
constexpr int32_t kStretch = 256;  // frames per pass over the filters

#if defined(__SSE2__)
// FlushDenormal on four lanes.
__m128 FlushDenormals(__m128 x) {
  const __m128i exponent = _mm_and_si128(_mm_castps_si128(x), _mm_set1_epi32(0x7F800000));
  return _mm_andnot_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(exponent, _mm_setzero_si128())), x);
}

// Whether any lane is a denormal or a zero, which FlushDenormals would change.
bool NeedsFlush(__m128 x) {
  const __m128i exponent = _mm_and_si128(_mm_castps_si128(x), _mm_set1_epi32(0x7F800000));
  return _mm_movemask_ps(_mm_castsi128_ps(_mm_cmpeq_epi32(exponent, _mm_setzero_si128()))) != 0;
}

void StoreLanes(__m128 v, float* a, float* b, float* c, float* d) {
  _mm_store_ss(a, v);
  _mm_store_ss(b, _mm_shuffle_ps(v, v, _MM_SHUFFLE(1, 1, 1, 1)));
  _mm_store_ss(c, _mm_movehl_ps(v, v));
  _mm_store_ss(d, _mm_shuffle_ps(v, v, _MM_SHUFFLE(3, 3, 3, 3)));
}
#endif

// The eight combs of one side, over n frames: sum[i] receives each comb's
// output in comb order, as one frame's loop over the combs would add it.
// With SSE2 the combs run four to a vector, one lane each, every lane doing
// its comb's own arithmetic.
MURVELON_VEX_CLONES void RunCombs(cReverbComb* combs, const float* input, float* sum, int32_t n) {
  float memory[kReverbCombs], feedback[kReverbCombs], damp1[kReverbCombs], damp2[kReverbCombs];
  for (int k = 0; k < kReverbCombs; ++k) {
    memory[k] = combs[k].memory;
    feedback[k] = combs[k].feedback;
    damp1[k] = combs[k].damp1;
    damp2[k] = combs[k].damp2;
  }
#if defined(__SSE2__)
  static_assert(kReverbCombs == 8);
  __m128 memoryA = _mm_loadu_ps(memory), memoryB = _mm_loadu_ps(memory + 4);
  const __m128 feedbackA = _mm_loadu_ps(feedback), feedbackB = _mm_loadu_ps(feedback + 4);
  const __m128 damp1A = _mm_loadu_ps(damp1), damp1B = _mm_loadu_ps(damp1 + 4);
  const __m128 damp2A = _mm_loadu_ps(damp2), damp2B = _mm_loadu_ps(damp2 + 4);
#endif
  for (int32_t i = 0; i < n;) {
    int32_t run = n - i;
    float* at[kReverbCombs];
    for (int k = 0; k < kReverbCombs; ++k) {
      run = std::min(run, combs[k].length - combs[k].index);
      at[k] = combs[k].buffer + combs[k].index;
    }
    int32_t j = 0;
#if defined(__SSE2__)
    // Four frames at a time: each comb's four points in one load, turned
    // into four frames of four combs for the feedback, and back for the
    // store. The sums take each comb's points in comb order, as the frame
    // loop below does.
    for (; j + 4 <= run; j += 4) {
      __m128 x[4];
      for (int t = 0; t < 4; ++t) x[t] = _mm_set1_ps(input[i + j + t]);
      __m128 s = _mm_setzero_ps();
      for (int g = 0; g < 2; ++g) {
        float* const* row = at + 4 * g;
        __m128 y0 = FlushDenormals(_mm_loadu_ps(row[0] + j));
        __m128 y1 = FlushDenormals(_mm_loadu_ps(row[1] + j));
        __m128 y2 = FlushDenormals(_mm_loadu_ps(row[2] + j));
        __m128 y3 = FlushDenormals(_mm_loadu_ps(row[3] + j));
        s = _mm_add_ps(_mm_add_ps(_mm_add_ps(_mm_add_ps(s, y0), y1), y2), y3);
        _MM_TRANSPOSE4_PS(y0, y1, y2, y3);
        __m128 memory = g == 0 ? memoryA : memoryB;
        const __m128 damp1 = g == 0 ? damp1A : damp1B, damp2 = g == 0 ? damp2A : damp2B;
        const __m128 feedback = g == 0 ? feedbackA : feedbackB;
        __m128 w[4];
        const __m128 y[4] = {y0, y1, y2, y3};
        for (int t = 0; t < 4; ++t) {
          memory = _mm_add_ps(_mm_mul_ps(y[t], damp2), _mm_mul_ps(memory, damp1));
          // The flush taken as a branch keeps its test out of the feedback
          // chain from one frame to the next; a sounding room seldom needs it.
          if (NeedsFlush(memory)) memory = FlushDenormals(memory);
          w[t] = _mm_add_ps(x[t], _mm_mul_ps(memory, feedback));
        }
        (g == 0 ? memoryA : memoryB) = memory;
        _MM_TRANSPOSE4_PS(w[0], w[1], w[2], w[3]);
        for (int k = 0; k < 4; ++k) _mm_storeu_ps(row[k] + j, w[k]);
      }
      _mm_storeu_ps(sum + i + j, s);
    }
#endif
    for (; j < run; ++j) {
#if defined(__SSE2__)
      const __m128 x = _mm_set1_ps(input[i + j]);
      const __m128 yA = FlushDenormals(_mm_setr_ps(at[0][j], at[1][j], at[2][j], at[3][j]));
      const __m128 yB = FlushDenormals(_mm_setr_ps(at[4][j], at[5][j], at[6][j], at[7][j]));
      memoryA = FlushDenormals(_mm_add_ps(_mm_mul_ps(yA, damp2A), _mm_mul_ps(memoryA, damp1A)));
      memoryB = FlushDenormals(_mm_add_ps(_mm_mul_ps(yB, damp2B), _mm_mul_ps(memoryB, damp1B)));
      StoreLanes(_mm_add_ps(x, _mm_mul_ps(memoryA, feedbackA)), at[0] + j, at[1] + j, at[2] + j,
                 at[3] + j);
      StoreLanes(_mm_add_ps(x, _mm_mul_ps(memoryB, feedbackB)), at[4] + j, at[5] + j, at[6] + j,
                 at[7] + j);
      alignas(16) float y[kReverbCombs];
      _mm_store_ps(y, yA);
      _mm_store_ps(y + 4, yB);
      float s = 0.0f;
      for (int k = 0; k < kReverbCombs; ++k) s += y[k];
      sum[i + j] = s;
#else
      const float x = input[i + j];
      float s = 0.0f;
#pragma GCC unroll 8
      for (int k = 0; k < kReverbCombs; ++k) {
        const float y = FlushDenormal(at[k][j]);
        memory[k] = FlushDenormal(y * damp2[k] + memory[k] * damp1[k]);
        at[k][j] = x + memory[k] * feedback[k];
        s += y;
      }
      sum[i + j] = s;
#endif
    }
    for (int k = 0; k < kReverbCombs; ++k) {
      combs[k].index += run;
      if (combs[k].index >= combs[k].length) combs[k].index = 0;
    }
    i += run;
  }
#if defined(__SSE2__)
  _mm_storeu_ps(memory, memoryA);
  _mm_storeu_ps(memory + 4, memoryB);
#endif
  for (int k = 0; k < kReverbCombs; ++k) combs[k].memory = memory[k];
}

}  // namespace

// The buffers are laid out at once, so that no filter is ever without one
// (a block processed before Init runs over silent lines, not through null
// pointers, and the stretches of Process never come out empty).
cReverb::cReverb() : cParamEffect(kReverbParams) { LayOut(); }

void cReverb::LayOut() {
  float* next = storage;
  for (int k = 0; k < kReverbCombs; ++k) {
    combLeft[k].buffer = next;
    combLeft[k].length = kCombLengths[k];
    next += kCombLengths[k];
    combRight[k].buffer = next;
    combRight[k].length = kCombLengths[k] + kRightSpread;
    next += kCombLengths[k] + kRightSpread;
  }
  for (int k = 0; k < kReverbAllPasses; ++k) {
    allPassLeft[k].buffer = next;
    allPassLeft[k].length = kAllPassLengths[k];
    next += kAllPassLengths[k];
    allPassRight[k].buffer = next;
    allPassRight[k].length = kAllPassLengths[k] + kRightSpread;
    next += kAllPassLengths[k] + kRightSpread;
  }
}

void cReverb::Init(int32_t /*sampleRate*/) {
  std::fill(std::begin(params), std::end(params), 0);
  Reset(true);
}

void cReverb::Reset(bool loadDefaults) {
  for (int k = 0; k < kReverbAllPasses; ++k) {
    allPassLeft[k].feedback = 0.5f;
    allPassRight[k].feedback = 0.5f;
  }
  Clear();
  if (loadDefaults) LoadPreset(0);
}

// Only the buffers: the comb damping memories and the output smoothing keep
// their values.
void cReverb::Clear() { std::memset(storage, 0, sizeof(storage)); }

void cReverb::SetParam(int32_t index, int32_t value) {
  if (!Has(index)) return;
  // A damaged song may hold anything; a room size above 1000 would make the
  // combs' feedback grow without bound.
  const int32_t v = Clamped(index, value);
  params[index] = v;
  const double scaled = v * 0.001;
  switch (index) {
    case 0:
      dry = float(scaled * 2.0);
      break;
    case 1:
      wet = float(scaled * 3.0);
      break;
    case 2:
      roomSize = float(scaled * 0.28 + 0.7);
      break;
    case 3:
      damp = float(scaled * 0.4);
      break;
    default:
      width = float(scaled);
      break;
  }
  Update();
}

void cReverb::Update() {
  wet1 = wet * (width * 0.5f + 0.5f);
  wet2 = wet * (1.0f - width) * 0.25f;
  for (int k = 0; k < kReverbCombs; ++k) {
    for (cReverbComb* comb : {&combLeft[k], &combRight[k]}) {
      comb->feedback = roomSize;
      comb->damp1 = damp;
      comb->damp2 = 1.0f - damp;
    }
  }
  gain = 0.015f;
}

void cReverb::GetParamText(char* text, int32_t index, int32_t value) {
  if (!Has(index)) return;
  std::snprintf(text, kFxTextSize, "%.1f %%", value * 0.1);
}

namespace {

// One stretch of at most kStretch frames of a block, in place.
MURVELON_VEX_CLONES void ProcessStretch(cReverb& r, float* block, int32_t n) {
  float input[kStretch], sumL[kStretch], sumR[kStretch];
  for (int32_t i = 0; i < n; ++i) {
    input[i] = FlushDenormal((block[2 * i] + block[2 * i + 1]) * r.gain);
  }
  RunCombs(r.combLeft, input, sumL, n);
  RunCombs(r.combRight, input, sumR, n);

  // The all-passes in series, then the output smoothing and the mix.
  float feedbackL[kReverbAllPasses], feedbackR[kReverbAllPasses];
  for (int k = 0; k < kReverbAllPasses; ++k) {
    feedbackL[k] = r.allPassLeft[k].feedback;
    feedbackR[k] = r.allPassRight[k].feedback;
  }
  for (int32_t i = 0; i < n;) {
    int32_t run = n - i;
    float* atL[kReverbAllPasses];
    float* atR[kReverbAllPasses];
    for (int k = 0; k < kReverbAllPasses; ++k) {
      run = std::min({run, r.allPassLeft[k].length - r.allPassLeft[k].index,
                      r.allPassRight[k].length - r.allPassRight[k].index});
      atL[k] = r.allPassLeft[k].buffer + r.allPassLeft[k].index;
      atR[k] = r.allPassRight[k].buffer + r.allPassRight[k].index;
    }
#if defined(__SSE2__)
    // Left in lane 0, right in lane 1: each lane does its side's part of
    // the plain loop below, operation for operation.
    __m128 feedback[kReverbAllPasses];
    for (int k = 0; k < kReverbAllPasses; ++k) {
      feedback[k] = _mm_setr_ps(feedbackL[k], feedbackR[k], 0.0f, 0.0f);
    }
    __m128 smoothed = _mm_setr_ps(r.smoothedLeft, r.smoothedRight, 0.0f, 0.0f);
    const __m128 dryGain = _mm_set1_ps(r.dry), ownGain = _mm_set1_ps(r.wet1),
                 crossGain = _mm_set1_ps(r.wet2);
    // The output smoothing (in double precision, its chain of roundings
    // from one frame to the next) and the mix of one frame.
    const auto finish = [&](__m128 side, float* frame) {
      smoothed = _mm_cvtpd_ps(
          _mm_add_pd(_mm_cvtps_pd(smoothed),
                     _mm_mul_pd(_mm_cvtps_pd(_mm_sub_ps(side, smoothed)), _mm_set1_pd(0.6))));
      const __m128 in = _mm_castpd_ps(_mm_load_sd(reinterpret_cast<const double*>(frame)));
      const __m128 crossed = _mm_shuffle_ps(smoothed, smoothed, _MM_SHUFFLE(3, 2, 0, 1));
      const __m128 out =
          _mm_add_ps(_mm_sub_ps(_mm_mul_ps(in, dryGain), _mm_mul_ps(smoothed, ownGain)),
                     _mm_mul_ps(crossed, crossGain));
      _mm_store_sd(reinterpret_cast<double*>(frame), _mm_castps_pd(FlushDenormals(out)));
    };
    int32_t j = 0;
    // Four frames at a time, one side to a vector: a run wraps no buffer,
    // so no frame of it reads a point that another frame of it wrote, and
    // the four frames pass the all-passes in series together.
    for (; j + 4 <= run; j += 4) {
      __m128 sideL = _mm_loadu_ps(sumL + i + j), sideR = _mm_loadu_ps(sumR + i + j);
      for (int k = 0; k < kReverbAllPasses; ++k) {
        const __m128 yL = FlushDenormals(_mm_loadu_ps(atL[k] + j));
        _mm_storeu_ps(atL[k] + j, _mm_add_ps(sideL, _mm_mul_ps(yL, _mm_set1_ps(feedbackL[k]))));
        sideL = _mm_sub_ps(yL, sideL);
        const __m128 yR = FlushDenormals(_mm_loadu_ps(atR[k] + j));
        _mm_storeu_ps(atR[k] + j, _mm_add_ps(sideR, _mm_mul_ps(yR, _mm_set1_ps(feedbackR[k]))));
        sideR = _mm_sub_ps(yR, sideR);
      }
      const __m128 first = _mm_unpacklo_ps(sideL, sideR), second = _mm_unpackhi_ps(sideL, sideR);
      float* frame = block + 2 * (i + j);
      finish(first, frame);
      finish(_mm_movehl_ps(first, first), frame + 2);
      finish(second, frame + 4);
      finish(_mm_movehl_ps(second, second), frame + 6);
    }
    for (; j < run; ++j) {
      __m128 side = _mm_unpacklo_ps(_mm_load_ss(sumL + i + j), _mm_load_ss(sumR + i + j));
      for (int k = 0; k < kReverbAllPasses; ++k) {
        const __m128 y =
            FlushDenormals(_mm_unpacklo_ps(_mm_load_ss(atL[k] + j), _mm_load_ss(atR[k] + j)));
        const __m128 w = _mm_add_ps(side, _mm_mul_ps(y, feedback[k]));
        _mm_store_ss(atL[k] + j, w);
        _mm_store_ss(atR[k] + j, _mm_shuffle_ps(w, w, _MM_SHUFFLE(1, 1, 1, 1)));
        side = _mm_sub_ps(y, side);
      }
      finish(side, block + 2 * (i + j));
    }
    r.smoothedLeft = _mm_cvtss_f32(smoothed);
    r.smoothedRight = _mm_cvtss_f32(_mm_shuffle_ps(smoothed, smoothed, _MM_SHUFFLE(1, 1, 1, 1)));
#else
    for (int32_t j = 0; j < run; ++j) {
      float sL = sumL[i + j];
      float sR = sumR[i + j];
#pragma GCC unroll 4
      for (int k = 0; k < kReverbAllPasses; ++k) {
        const float yL = FlushDenormal(atL[k][j]);
        atL[k][j] = sL + yL * feedbackL[k];
        sL = yL - sL;
        const float yR = FlushDenormal(atR[k][j]);
        atR[k][j] = sR + yR * feedbackR[k];
        sR = yR - sR;
      }
      // 0.6 itself, not the float next to it; each memory is rounded once.
      r.smoothedLeft = float(r.smoothedLeft + (sL - r.smoothedLeft) * 0.6);
      r.smoothedRight = float(r.smoothedRight + (sR - r.smoothedRight) * 0.6);
      // The own side's reverb is subtracted, the other side's added.
      float* frame = block + 2 * (i + j);
      const float outL = frame[0] * r.dry - r.smoothedLeft * r.wet1 + r.smoothedRight * r.wet2;
      const float outR = frame[1] * r.dry - r.smoothedRight * r.wet1 + r.smoothedLeft * r.wet2;
      frame[0] = FlushDenormal(outL);
      frame[1] = FlushDenormal(outR);
    }
#endif
    for (int k = 0; k < kReverbAllPasses; ++k) {
      for (cReverbAllPass* pass : {&r.allPassLeft[k], &r.allPassRight[k]}) {
        pass->index += run;
        if (pass->index >= pass->length) pass->index = 0;
      }
    }
    i += run;
  }
}

}  // namespace

// audio thread, engine lock held
int32_t cReverb::Process(float* frames, int32_t count) {
  for (int32_t done = 0; done < count; done += kStretch) {
    ProcessStretch(*this, frames + 2 * size_t(done), std::min(kStretch, count - done));
  }
  lastBlock = frames;
  lastBlockFrames = count;
  return 0;
}
