#pragma once
// The render path: turns song state into dithered 16-bit stereo, one block
// per call of the audio output. Ticks of the sequencer fall on exact frames
// inside the blocks; between ticks each channel's generator renders into its
// buffer, the channel's effect slots process it, the aux buses gather the
// sends, and the mixer applies channel, note and master gains.
// Audio thread only, with the engine lock held for the whole block.

#include <atomic>
#include <cstdint>
#include <memory>

#include "audio/cpuspd.h"
#include "engine/mixkernel.h"
#include "engine/mixtap.h"
#include "fx/fxchains.h"
#include "song/songtables.h"

class cGenManager;

// The sequencer as the render path sees it: one call per tick, and the
// length of a tick in frames (read after each tick, which may change it).
class cTickSource {
 public:
  virtual ~cTickSource() = default;
  virtual void ProcessTick() = 0;
  virtual int32_t SamplesPerTick() const = 0;
};

constexpr int kMixBuffers = 20;  // channels 0-15, then aux buses 0-3

class cRenderPath {
 public:
  // latencyMs sets the frames of one half of the output buffer.
  cRenderPath(int32_t sampleRate, int32_t latencyMs, cSongTables& song, cGenManager& generators,
              cFxChains& effects, cpuSPD& renderMeter, cpuSPD& mixMeter);

  void SetTickSource(cTickSource* source) { ticks = source; }
  // An export's tap, filled after every block's mix; null: none (the
  // real-time path). Set only between blocks.
  void SetTap(cMixTap* mixTap) { tap = mixTap; }

  // Renders one block; flag 1 marks the last block of a half. Returns the
  // output cursor after the block: the accumulator's start when flag is 1.
  int16_t* RenderBlock(int32_t flag);

  // Zeros the channel buffers and both accumulators; cursors stay.
  void ClearBuffers();

  float* ChannelBuffer(int index) { return channelBuffers.get() + size_t(index) * 2 * blockFrames; }
  const float* ChannelBuffer(int index) const {
    return channelBuffers.get() + size_t(index) * 2 * blockFrames;
  }
  int16_t* OutputAccumulator() { return output.get(); }
  const int16_t* OutputAccumulator() const { return output.get(); }
  int32_t AccumulatorFrames() const { return accumulatorFrames; }
  // The frame of the output accumulator where the next block goes.
  int32_t WriteFrame() const { return cursor; }
  int32_t BlockFrames() const { return blockFrames; }
  int32_t HalfFrames() const { return halfFrames; }
  int32_t SampleRate() const { return sampleRate; }
  // Samples the mix has put out at full scale since start-up, counting on
  // and wrapping at 2^32; any thread may read it without the lock.
  uint32_t ClippedSamples() const { return clippedSamples.load(std::memory_order_relaxed); }

  int32_t engineOn = 1;                     // 0 renders silence and stops the sequencer
  int32_t fxEngineOn = 1;                   // 0 skips every effect and the aux buses
  int32_t tickRemainder = 0;                // frames of the current tick still to render
  uint32_t ditherState = 381296920;         // never reseeded
  float renderLoad = 0.0f, mixLoad = 0.0f;  // percent

 private:
  void RenderSilentBlock();
  void RenderActiveBlock();
  void RenderSubBlock(int32_t offset, int32_t count);
  void RunChain(int chain, float* frames, int32_t count);
  void MixBlock();
  void WrapCursorsIfFull();

  const int32_t sampleRate;
  const int32_t blockFrames;        // 20 ms
  const int32_t halfFrames;         // one half of the device buffer
  const int32_t accumulatorFrames;  // room for two halves

  cSongTables& song;
  cGenManager& generators;
  cFxChains& effects;
  cpuSPD& renderMeter;
  cpuSPD& mixMeter;
  cTickSource* ticks = nullptr;
  cMixTap* tap = nullptr;

  std::unique_ptr<float[]> channelBuffers;  // 20 x blockFrames stereo frames
  std::unique_ptr<int16_t[]> output;        // accumulatorFrames stereo frames
  int32_t cursor = 0;                       // frame where the next block goes
  bool busLive[kFxAuxBuses] = {};           // the bus buffer holds sound
  const eMixKernel mixKernel = FastestMixKernel();
  // Added to once a block, by the audio thread alone.
  std::atomic<uint32_t> clippedSamples{0};
};
