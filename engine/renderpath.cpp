#include "engine/renderpath.h"

#include <algorithm>
#include <cmath>
#include <cstring>

#include "engine/genmanager.h"

static_assert(kTapBuffers == kMixBuffers && kTapChannels == kChannels);

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
      output(new int16_t[size_t(accumulatorFrames) * 2]()) {}

void cRenderPath::ClearBuffers() {
  std::memset(channelBuffers.get(), 0, sizeof(float) * kMixBuffers * 2 * size_t(blockFrames));
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
      // A bus fed again part-way through a later block must hold silence
      // before that point, not the sound it last had.
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

// Every buffer is added to each sample's sum in the same order (channels 0
// up, then the buses), whichever kernel runs the loop.
void cRenderPath::MixBlock() {
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

  cMixJob job;
  job.sources = sources;
  job.gains = gains;
  job.count = count;
  job.gainLeft = double(volume * panLeft * channelScale);
  job.gainRight = double(volume * panRight * channelScale);
  // Only an export keeps the sums.
  job.sums = tap != nullptr ? tap->Sums() : nullptr;
  job.out = output.get() + size_t(cursor) * 2;
  job.samples = 2 * blockFrames;
  job.dither = ditherState;
  MixSamples(mixKernel, job);
  ditherState = job.dither;
  if (job.clipped > 0) clippedSamples.fetch_add(uint32_t(job.clipped), std::memory_order_relaxed);
  if (tap != nullptr) {
    tap->Capture(ChannelBuffer(0), blockFrames, channels, gains, busLive, job.gainLeft,
                 job.gainRight);
  }
}
