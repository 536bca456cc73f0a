#pragma once
// The controller without windows. It owns every table and engine object, the
// engine lock and the load meters, and offers the controller operations.
// It composes and locks; the algorithms live in the engine folders.

#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/config.h"
#include "audio/cpuspd.h"
#include "engine/genmanager.h"
#include "engine/renderpath.h"
#include "engine/wavetables.h"
#include "fx/fxchains.h"
#include "song/songtables.h"

class cTracker : private cTickSource {
 public:
  // Allocates every table and engine object. With cpuCalc set the processor
  // clock is measured first (1.5 s).
  explicit cTracker(const cConfig& config);
  ~cTracker() override;

  cTracker(const cTracker&) = delete;
  cTracker& operator=(const cTracker&) = delete;

  // The render callback installed into the audio output: one block, flag 1
  // on the last block of a half. Returns the output cursor after the block.
  int16_t* RenderCallback(int32_t flag);

  // The song reset: every table back to the state of a new song.
  void ResetSong();

  void SetEngine(int32_t on);
  void SetFxEngine(int32_t on);
  void ClearBuffers();

  // Fatal stop: shows the text (through the handler) and ends the program.
  // Safe to reach from the audio thread: it never waits for that thread.
  void ErrorExit(const std::string& message);
  void SetFatalHandler(std::function<void(const std::string&)> handler) {
    fatalHandler = std::move(handler);
  }

  // Until the sequencer takes over: what runs at each tick, and its length.
  void SetTickHook(std::function<void()> hook, int32_t framesPerTick) {
    tickHook = std::move(hook);
    samplesPerTick = framesPerTick;
  }

  std::recursive_mutex& EngineLock() { return engineLock; }
  const cConfig& Config() const { return config; }
  cSongTables& Song() { return *song; }
  cGenManager& Generators() { return *generators; }
  cFxChains& Effects() { return *effects; }
  cRenderPath& Renderer() { return *renderer; }
  const cWavetables& Wavetables() const { return *wavetables; }

  // Load meters: the mixing and render meters of the render path, then two
  // for the status timers. They share one disabled flag.
  cpuSPD& MixMeter() { return *meters[0]; }
  cpuSPD& RenderMeter() { return *meters[1]; }
  cpuSPD& StatusMeter(int i) { return *meters[2 + (i & 1)]; }
  uint32_t CpuMhz() const { return meters[0]->Mhz(); }

 private:
  void ProcessTick() override;
  cSongDefaults SongDefaults() const;
  void FillInstrumentDefaults();
  int32_t SamplesPerTick() const override { return samplesPerTick; }

  const cConfig config;
  int32_t metersDisabled;
  std::unique_ptr<cpuSPD> meters[4];
  std::recursive_mutex engineLock;
  std::unique_ptr<cSongTables> song;
  std::unique_ptr<cFxChains> effects;
  // Declared before the generators, which read it until they are gone.
  std::shared_ptr<const cWavetables> wavetables;
  std::unique_ptr<cGenManager> generators;
  std::unique_ptr<cRenderPath> renderer;

  std::function<void()> tickHook;
  int32_t samplesPerTick = 882;
  std::function<void(const std::string&)> fatalHandler;
};
