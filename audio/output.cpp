#include "audio/output.h"

#include <chrono>
#include <limits>
#include <system_error>

#include "audio/threadpriority.h"

// The output whose polling thread this is, so that a close from inside the
// render callback does not wait for itself.
static thread_local const cAudioOutput* pollingOutput = nullptr;

int32_t RoundLatencyMs(int32_t latencyMs) {
  if (latencyMs <= 20) return 20;
  const int64_t rounded = (int64_t(latencyMs) + 19) / 20 * 20;
  return rounded > std::numeric_limits<int32_t>::max() - 20
             ? std::numeric_limits<int32_t>::max() / 20 * 20
             : int32_t(rounded);
}

cAudioOutput::cAudioOutput(std::unique_ptr<cSoundDevice> device) : device(std::move(device)) {}

cAudioOutput::~cAudioOutput() { CloseAudio(); }

int32_t cAudioOutput::OpenAudio(cRenderCallback callback, int32_t rate, int32_t latencyMs) {
  if (pollingOutput == this) return kAudioNoThread;  // the thread cannot replace itself
  CloseAudio();
  std::lock_guard<std::mutex> control(controlLock);
  opened = 0;
  lastError = 0;
  stopRequested = 0;
  resumed = false;
  writeHalf = 1;
  lastBlock = -1;

  // Rates outside what any device plays would make a block of no bytes.
  if (rate < 1000 || rate > 768000) {
    lastError = kAudioBadFormat;
    return lastError;
  }
  const int64_t half = int64_t(RoundLatencyMs(latencyMs)) * rate / 1000 * 4;
  sampleRate = uint32_t(rate);
  blockBytes = sampleRate * 80 / 1000;
  pollIntervalMs = 10;
  // lastBlock is 16 bits: the whole buffer must stay within 32767 blocks.
  if (2 * half > std::numeric_limits<int32_t>::max() || 2 * half / blockBytes > 32767) {
    lastError = kAudioNoBuffer;
    return lastError;
  }
  halfBytes = int32_t(half);
  renderCallback = std::move(callback);

  const int32_t result = device->Open(sampleRate, uint32_t(2 * halfBytes));
  if (result != 0) {
    device->Close();
    if (result != kAudioNoDevice) lastError = result;
    return result;
  }
  try {
    thread = std::thread(&cAudioOutput::ThreadMain, this);
  } catch (const std::system_error&) {
    device->Close();
    lastError = kAudioNoThread;
    return lastError;
  }
  opened = 1;
  return 0;
}

int32_t cAudioOutput::StartAudio() {
  std::lock_guard<std::mutex> control(controlLock);
  if (!opened) return 1;
  if (playing) return 0;
  std::lock_guard<std::mutex> lock(outputLock);
  writeHalf = 1;
  device->SetPosition(0);
  resumed = true;
  resumeSignal.notify_all();
  playing = 1;
  return device->Play() ? 0 : kAudioNoStream;
}

void cAudioOutput::CloseAudio() {
  if (pollingOutput == this) {
    stopRequested = 1;  // the output lock is held around the callback
    return;
  }
  std::lock_guard<std::mutex> control(controlLock);
  if (!opened) return;
  if (playing) {
    SetRenderEnabled(false);
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
    {
      std::lock_guard<std::mutex> lock(outputLock);
      stopRequested = 1;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    thread.join();
    device->Stop();
  } else {
    // Never started: wake the held thread so that it ends.
    {
      std::lock_guard<std::mutex> lock(outputLock);
      stopRequested = 1;
    }
    resumeSignal.notify_all();
    thread.join();
  }
  device->Close();
  playing = 0;
  opened = 0;
}

void cAudioOutput::SetRenderEnabled(bool on) {
  std::lock_guard<std::mutex> lock(outputLock);
  renderEnabled = on ? 1 : 0;
  device->SetVolume(on ? 0 : -1000);
}

void cAudioOutput::SetOutputDucked(bool ducked) { device->SetVolume(ducked ? -1000 : 0); }

uint64_t cAudioOutput::Underruns() const { return underruns.load() + device->DeviceUnderruns(); }

void cAudioOutput::Poll() {
  std::lock_guard<std::mutex> lock(outputLock);
  if (opened && !stopRequested) PollLocked();
}

void cAudioOutput::ThreadMain() {
  pollingOutput = this;
  SetThreadTimeCritical(true);
  std::unique_lock<std::mutex> lock(outputLock);
  resumeSignal.wait(lock, [this] { return resumed || stopRequested != 0; });
  for (;;) {
    if (stopRequested) return;
    PollLocked();
    lock.unlock();
    std::this_thread::sleep_for(std::chrono::milliseconds(pollIntervalMs));
    lock.lock();
  }
}

// polling thread (or a test), output lock held
void cAudioOutput::PollLocked() {
  const uint32_t cursor = device->PlayCursor();
  currentBlock = cursor / blockBytes;
  // lastBlock sign-extends, so its starting -1 matches no block.
  if (currentBlock == uint32_t(int32_t(lastBlock))) return;
  // The blocks the cursor passed since the last poll are serviced too, one
  // call each, as if a poll had seen each of them begin: the render path
  // renders one block per call, so a half handed over after a skipped call
  // would end in a block of the sound one half earlier, and the song would
  // fall a block behind. Cursors skip blocks when a device moves them in
  // steps longer than a block (a sound server's period) or a poll is late.
  // A cursor further on than a half (a stall: that sound is lost anyway) or
  // one that went back is serviced once, where it is.
  if (lastBlock >= 0) {
    const uint32_t blocks = (2 * uint32_t(halfBytes) + blockBytes - 1) / blockBytes;
    const uint32_t ahead = (currentBlock + blocks - uint32_t(lastBlock)) % blocks;
    if (ahead <= blocks / 2) {
      for (uint32_t passed = uint32_t(lastBlock) + 1; passed % blocks != currentBlock; ++passed) {
        ServiceCursor((passed % blocks) * blockBytes);
      }
    }
  }
  lastBlock = int16_t(currentBlock);
  ServiceCursor(cursor);
}

void cAudioOutput::ServiceCursor(uint32_t cursor) {
  const uint32_t h = (cursor / uint32_t(halfBytes)) & 1;
  if (h == writeHalf) {
    // The cursor has just entered the half due next: the other one is free.
    writeHalf = (writeHalf + 1) & 1;
    ServiceBlock(1);
  } else {
    ServiceBlock(0);
  }
}

void cAudioOutput::ServiceBlock(int32_t flag) {
  if (renderEnabled && renderCallback) {
    int16_t* half = nullptr;
    try {
      half = renderCallback(flag);
    } catch (...) {
      half = nullptr;  // a callback that throws is heard as silence
    }
    // A null half is silence too: leaving the half as it was would repeat
    // the sound of one buffer ago.
    if (flag == 1) FillHalf(writeHalf, half);
  } else if (flag == 1) {
    FillHalf(writeHalf, nullptr);
  }
}

void cAudioOutput::FillHalf(uint32_t half, const int16_t* source) {
  const uint32_t offset = half * uint32_t(halfBytes);
  if (((device->PlayCursor() / uint32_t(halfBytes)) & 1) == half) {
    underruns.fetch_add(1, std::memory_order_relaxed);
  }
  eBufferLock result = device->Lock(offset, uint32_t(halfBytes));
  if (result == eBufferLock::lost) {
    // Restored once per fill; lost again, this half keeps what it held.
    device->Restore();
    result = device->Lock(offset, uint32_t(halfBytes));
  }
  if (result != eBufferLock::ok) return;
  device->Write(source);
  device->Unlock();
}
