#pragma once
// The audio output: a looping device buffer in two halves, and a polling
// thread that watches the play cursor every 10 ms. For every 20 ms block
// boundary the cursor passes it calls the render callback once (a poll that
// finds the cursor several blocks on, but no more than a half, catches up on
// the blocks between): with flag 1 when the block begins a new half, and
// then copies the callback's half into the half the cursor has just left;
// with flag 0 otherwise. It knows nothing of songs: the callback is the
// whole engine.
//
// Locks: the polling thread holds the output lock around each poll, and so
// around every call of the callback, which takes the engine lock inside it.
// The order is output lock, then engine lock. CloseAudio takes the output
// lock and waits for the thread, which may be waiting for the engine lock
// inside the callback: never call CloseAudio (nor OpenAudio on an open
// output, which closes it first, nor SetRenderEnabled, which takes the
// output lock) while holding the engine lock. Close the output first, then
// take the engine lock.

#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>

#include "audio/sounddevice.h"

// Called on the polling thread once per block played, with flag 1 at a half
// boundary, 0 otherwise. With flag 1 it returns the start of a whole half of
// 16-bit stereo frames, or null for silence; the result of flag 0 is unused.
using cRenderCallback = std::function<int16_t*(int32_t flag)>;

// A half must hold whole blocks: the latency is rounded up to a multiple of
// 20 ms, at least 20 (80 stays 80).
int32_t RoundLatencyMs(int32_t latencyMs);

class cAudioOutput {
 public:
  explicit cAudioOutput(std::unique_ptr<cSoundDevice> device);
  ~cAudioOutput();  // closes

  cAudioOutput(const cAudioOutput&) = delete;
  cAudioOutput& operator=(const cAudioOutput&) = delete;

  // Opens the device with a buffer of two halves of the rounded latency and
  // creates the polling thread, held until StartAudio. A null callback
  // probes whether the device opens with these settings (close again
  // after). Returns 0 or 100, 101, 110, 111, 120, 130 (see sounddevice.h);
  // all but 100 are kept in LastError. An open output is closed first.
  int32_t OpenAudio(cRenderCallback callback, int32_t sampleRate, int32_t latencyMs);
  // Plays from the buffer's start and lets the thread poll. Returns 0, 1
  // when not open, 110 when the device refuses to play.
  int32_t StartAudio();
  // Ends the thread (also one never started), stops and releases the
  // device. Does nothing when closed, so it may be called twice. Called
  // from inside the render callback it only asks the thread to end; a
  // later call from another thread completes the close.
  void CloseAudio();
  // Off: the callback is no longer called, halves fill with silence, and
  // the volume drops to -10 dB; on: volume 0. Takes the output lock.
  void SetRenderEnabled(bool on);
  // -10 dB while ducked; takes no lock.
  void SetOutputDucked(bool ducked);

  // One poll of the play cursor, as the thread does it every 10 ms. Tests
  // call it on an output that is open but not started.
  void Poll();

  // Halves whose fill came after the cursor had entered them, and gaps the
  // device noticed itself.
  uint64_t Underruns() const;

  int32_t LastError() const { return lastError; }
  bool Opened() const { return opened.load() != 0; }
  bool Playing() const { return playing.load() != 0; }
  bool ThreadRunning() const { return thread.joinable(); }
  uint32_t BlockBytes() const { return blockBytes; }
  int32_t HalfBytes() const { return halfBytes; }
  uint32_t WriteHalf() const { return writeHalf; }
  int16_t LastBlock() const { return lastBlock; }
  cSoundDevice& Device() { return *device; }

 private:
  void ThreadMain();
  void PollLocked();
  // Services the block that begins (or is seen) at cursor.
  void ServiceCursor(uint32_t cursor);
  void ServiceBlock(int32_t flag);
  void FillHalf(uint32_t half, const int16_t* source);

  const std::unique_ptr<cSoundDevice> device;
  cRenderCallback renderCallback;
  uint32_t sampleRate = 0;
  uint32_t blockBytes = 0;  // 20 ms of frames: rate x 80 / 1000
  int32_t halfBytes = 0;    // (latency x rate / 1000) frames x 4
  uint32_t writeHalf = 1;   // the half written next
  int16_t lastBlock = -1;   // block of the cursor at the last poll
  uint32_t currentBlock = 0;
  uint32_t pollIntervalMs = 10;
  uint32_t stopRequested = 0;  // under the output lock
  bool resumed = false;        // the thread may poll; under the output lock
  uint32_t renderEnabled = 0;  // under the output lock
  std::atomic<uint32_t> opened{0};
  std::atomic<uint32_t> playing{0};
  int32_t lastError = 0;
  std::atomic<uint64_t> underruns{0};

  std::thread thread;
  std::mutex outputLock;
  std::condition_variable resumeSignal;
  // Serialises open, start and close between the threads that control
  // the output; the polling thread never takes it.
  std::mutex controlLock;
};
