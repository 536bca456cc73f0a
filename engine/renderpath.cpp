#include "engine/renderpath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/genmanager.h"

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

cRenderPath::cRenderPath(int32_t sampleRate, int32_t latencyMs, cSongTables& song,
                         cGenManager& generators, cFxChains& effects, cpuSPD& renderMeter,
                         cpuSPD& mixMeter)
    : sampleRate(sampleRate),
      blockFrames(20 * sampleRate / 1000),
      halfFrames(latencyMs * sampleRate / 1000),
      accumulatorFrames(std::max(2 * halfFrames, blockFrames)),
      song(song),
      generators(generators),
      effects(effects),
      renderMeter(renderMeter),
      mixMeter(mixMeter),
      channelBuffers(new float[size_t(kMixBuffers) * 2 * blockFrames]()),
      mix(new double[size_t(accumulatorFrames) * 2]()),
      output(new int16_t[size_t(accumulatorFrames) * 2]()) {}

void cRenderPath::ClearBuffers() {
  std::memset(channelBuffers.get(), 0, sizeof(float) * kMixBuffers * 2 * size_t(blockFrames));
  std::memset(mix.get(), 0, sizeof(double) * 2 * size_t(accumulatorFrames));
  std::memset(output.get(), 0, sizeof(int16_t) * 2 * size_t(accumulatorFrames));
}

int16_t* cRenderPath::RenderBlock(int32_t flag) {
  // An output thread that stalled may call with flag 0 more often than a
  // half holds blocks; that half is lost either way, so start it over rather
  // than write past the accumulators.
  WrapCursorsIfFull();
  if (engineOn == 0) {
    RenderSilentBlock();
  } else {
    RenderActiveBlock();
  }
  cursor += blockFrames;
  if (flag == 1) cursor = 0;
  return output.get() + size_t(cursor) * 2;
}

void cRenderPath::WrapCursorsIfFull() {
  if (cursor + blockFrames > accumulatorFrames) cursor = 0;
}

void cRenderPath::RenderSilentBlock() {
  std::memset(mix.get() + size_t(cursor) * 2, 0, sizeof(double) * 2 * size_t(blockFrames));
  std::memset(output.get() + size_t(cursor) * 2, 0, sizeof(int16_t) * 2 * size_t(blockFrames));
}

void cRenderPath::RenderActiveBlock() {
  renderMeter.Start();

  // A tick longer than a block carries its remainder into the next block, so
  // every tick lasts exactly samplesPerTick frames wherever blocks begin.
  int32_t remaining = blockFrames;
  int32_t offset = 0;
  if (tickRemainder >= 1) {
    const int32_t n = std::min(tickRemainder, remaining);
    RenderSubBlock(offset, n);
    offset += n;
    remaining -= n;
    tickRemainder -= n;
  }
  while (remaining > 0) {
    int32_t samplesPerTick = blockFrames;
    if (ticks != nullptr) {
      ticks->ProcessTick();
      samplesPerTick = ticks->SamplesPerTick();
    }
    // A tick of no frames would never end the block.
    samplesPerTick = std::max(samplesPerTick, int32_t{1});
    const int32_t n = std::min(remaining, samplesPerTick);
    RenderSubBlock(offset, n);
    offset += n;
    remaining -= n;
    tickRemainder = samplesPerTick - n;
  }
  renderMeter.Stop();
  renderLoad = renderMeter.BlockLoad(blockFrames, sampleRate);

  mixMeter.Start();
  MixBlock();
  mixMeter.Stop();
  mixLoad = mixMeter.BlockLoad(blockFrames, sampleRate);
}

void cRenderPath::RunChain(int chain, float* frames, int32_t count) {
  for (int slot = 0; slot < kFxSlots; ++slot) {
    if (cEffect* fx = effects.Object(slot, chain)) fx->Process(frames, count);
  }
}

void cRenderPath::RenderSubBlock(int32_t offset, int32_t count) {
  if (count <= 0) return;
  const int channels = song.channelCount;
  for (int c = 0; c < channels; ++c) {
    generators.currentChannel = c;
    generators.Render(ChannelBuffer(c) + size_t(offset) * 2, count);
  }

  for (int b = 0; b < kFxAuxBuses; ++b) {
    float* bus = ChannelBuffer(kChannels + b);
    if (fxEngineOn == 0 || !effects.BusFed(b)) {
      // A bus nobody feeds is still mixed: it must hold no stale sound.
      if (busLive[b]) {
        std::memset(bus, 0, sizeof(float) * 2 * size_t(blockFrames));
        busLive[b] = false;
      }
    }
  }
  if (fxEngineOn == 0) return;

  for (int c = 0; c < channels; ++c) RunChain(c, ChannelBuffer(c) + size_t(offset) * 2, count);

  for (int b = 0; b < kFxAuxBuses; ++b) {
    if (!effects.BusFed(b)) continue;
    float* bus = ChannelBuffer(kChannels + b) + size_t(offset) * 2;
    std::memset(bus, 0, sizeof(float) * 2 * size_t(count));
    // Sends are taken after the channel's effects and before its faders; a
    // channel that is not heard sends nothing.
    for (int c = 0; c < channels; ++c) {
      const int32_t level = effects.send[b][c];
      if (level == 0 || !song.IsActive(c)) continue;
      const float gain = float(level * 0.01);
      const float* src = ChannelBuffer(c) + size_t(offset) * 2;
      for (int32_t i = 0; i < 2 * count; ++i) bus[i] += src[i] * gain;
    }
    RunChain(kChannels + b, bus, count);
    busLive[b] = true;
  }
}

namespace {

// The dither generator: state = (state x 1103515245 + 12345) mod 2^31. Four
// steps at once are one step of the same form, state = (state x A4 + C4)
// mod 2^31, so four generators a step apart give the sequence four values
// at a time.
constexpr uint32_t kDitherMul = 1103515245u;
constexpr uint32_t kDitherAdd = 12345u;
constexpr uint32_t kDitherMask = 0x7FFFFFFFu;

constexpr uint32_t NextDither(uint32_t state) {
  return (state * kDitherMul + kDitherAdd) & kDitherMask;
}

struct cDitherJump {
  uint32_t mul = 1, add = 0;
};

constexpr cDitherJump DitherJump(int steps) {
  cDitherJump j;
  for (int k = 0; k < steps; ++k) {
    j.mul *= kDitherMul;
    j.add = j.add * kDitherMul + kDitherAdd;
  }
  return j;
}

static_assert(((DitherJump(4).mul * 381296920u + DitherJump(4).add) & kDitherMask) ==
              NextDither(NextDither(NextDither(NextDither(381296920u)))));

// One finished sample: gain, silence for what is not a number, dither,
// saturation, and rounding to the nearest integer, ties to even (the
// processor's default rounding).
int16_t FinishSample(double sum, double gain, uint32_t dither) {
  double x = sum * gain;
  if (!std::isfinite(x)) x = 0.0;  // a broken sound is silenced, never converted
  double y = x + double(dither) * (1.0 / 2147483648.0);
  y = std::clamp(y, -32768.0, 32767.0);
  return int16_t(std::nearbyint(y));
}

#if defined(__SSE2__)
// The low 32 bits of each lane's product (SSE2 has no such multiply).
__m128i MultiplyLow32(__m128i a, __m128i b) {
  const __m128i even = _mm_mul_epu32(a, b);
  const __m128i odd = _mm_mul_epu32(_mm_srli_epi64(a, 32), _mm_srli_epi64(b, 32));
  return _mm_unpacklo_epi32(_mm_shuffle_epi32(even, _MM_SHUFFLE(0, 0, 2, 0)),
                            _mm_shuffle_epi32(odd, _MM_SHUFFLE(0, 0, 2, 0)));
}

// What FinishSample does, for a left and a right sample at once; the
// conversion rounds as nearbyint does, in the current rounding mode.
__m128i FinishPair(__m128d sum, __m128d gains, __m128i dither) {
  const __m128d absMask = _mm_castsi128_pd(_mm_set1_epi64x(0x7FFFFFFFFFFFFFFFll));
  const __m128d infinity = _mm_set1_pd(HUGE_VAL);
  __m128d x = _mm_mul_pd(sum, gains);
  x = _mm_and_pd(x, _mm_cmplt_pd(_mm_and_pd(x, absMask), infinity));
  __m128d y = _mm_add_pd(x, _mm_mul_pd(_mm_cvtepi32_pd(dither), _mm_set1_pd(1.0 / 2147483648.0)));
  y = _mm_min_pd(_mm_max_pd(y, _mm_set1_pd(-32768.0)), _mm_set1_pd(32767.0));
  return _mm_cvtpd_epi32(y);
}
#endif

}  // namespace

// Every buffer is added to the sum in the same order for each sample
// (channels 0 up, then the buses), so the sums are those of a loop over one
// buffer at a time.
void cRenderPath::MixBlock() {
  double* acc = mix.get() + size_t(cursor) * 2;
  const int32_t samples = 2 * blockFrames;
  const int channels = song.channelCount;

  const float* sources[kMixBuffers];
  double gains[kMixBuffers];
  int count = 0;
  for (int c = 0; c < channels; ++c) {
    const long double gate = song.IsActive(c) ? 1.0L : 0.0L;
    sources[count] = ChannelBuffer(c);
    gains[count++] =
        double(song.channelVolume[c] * 0.01L * song.noteVolume[c] * (1.0L / 127.0L) * gate);
  }
  // A bus without sound holds +0 everywhere, and adding +0 changes no sum
  // (a sum that starts at +0 never becomes -0): only buses with sound are
  // added, at unity gain.
  for (int b = 0; b < kFxAuxBuses; ++b) {
    if (!busLive[b]) continue;
    sources[count] = ChannelBuffer(kChannels + b);
    gains[count++] = 1.0;
  }

  const long double panRight = (song.masterPan + 100) * 0.005L;
  const long double panLeft = 1.0L - panRight;
  const long double volume = song.masterVolume * 0.01L;
  const long double channelScale = (1.0L - channels * (long double)0.0125f) * (long double)0.75f;
  const double gainLeft = double(volume * panLeft * channelScale);
  const double gainRight = double(volume * panRight * channelScale);

  int16_t* out = output.get() + size_t(cursor) * 2;
  int32_t i = 0;
#if defined(__SSE2__)
  if (samples >= 4) {
    // Two frames a step: four sums, then four samples.
    __m128d sourceGains[kMixBuffers];
    for (int j = 0; j < count; ++j) sourceGains[j] = _mm_set1_pd(gains[j]);
    const __m128d masterGains = _mm_set_pd(gainRight, gainLeft);
    alignas(16) uint32_t first[4];
    uint32_t state = ditherState;
    for (uint32_t& d : first) d = state = NextDither(state);
    constexpr cDitherJump kJump = DitherJump(4);
    const __m128i jumpMul = _mm_set1_epi32(int32_t(kJump.mul));
    const __m128i jumpAdd = _mm_set1_epi32(int32_t(kJump.add));
    const __m128i mask = _mm_set1_epi32(int32_t(kDitherMask));
    __m128i dither = _mm_load_si128(reinterpret_cast<const __m128i*>(first));
    __m128i used = dither;
    for (; i + 4 <= samples; i += 4) {
      __m128d low = _mm_setzero_pd(), high = _mm_setzero_pd();
      for (int j = 0; j < count; ++j) {
        const __m128 s = _mm_loadu_ps(sources[j] + i);
        low = _mm_add_pd(low, _mm_mul_pd(_mm_cvtps_pd(s), sourceGains[j]));
        high = _mm_add_pd(high, _mm_mul_pd(_mm_cvtps_pd(_mm_movehl_ps(s, s)), sourceGains[j]));
      }
      _mm_storeu_pd(acc + i, low);
      _mm_storeu_pd(acc + i + 2, high);
      const __m128i a = FinishPair(low, masterGains, dither);
      const __m128i b = FinishPair(high, masterGains, _mm_srli_si128(dither, 8));
      _mm_storel_epi64(reinterpret_cast<__m128i*>(out + i),
                       _mm_packs_epi32(_mm_unpacklo_epi64(a, b), _mm_setzero_si128()));
      used = dither;
      dither = _mm_and_si128(_mm_add_epi32(MultiplyLow32(dither, jumpMul), jumpAdd), mask);
    }
    ditherState = uint32_t(_mm_cvtsi128_si32(_mm_shuffle_epi32(used, _MM_SHUFFLE(3, 3, 3, 3))));
  }
#endif
  for (; i < samples; ++i) {
    double sum = 0.0;
    for (int j = 0; j < count; ++j) sum += double(sources[j][i]) * gains[j];
    acc[i] = sum;
    ditherState = NextDither(ditherState);
    out[i] = FinishSample(sum, (i & 1) ? gainRight : gainLeft, ditherState);
  }
}
