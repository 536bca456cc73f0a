#include "audio/nulldevice.h"

#include <algorithm>

cNullDevice::cNullDevice(cClock clock) : clock(clock ? std::move(clock) : cClock(SteadyNowNs)) {}

int32_t cNullDevice::Open(uint32_t sampleRate, uint32_t bufferBytes) {
  Close();
  if (sampleRate == 0) return kAudioBadFormat;
  if (!AllocateBuffer(sampleRate, bufferBytes)) return kAudioNoBuffer;
  return 0;
}

void cNullDevice::Close() {
  playing = false;
  cursorFrame = 0;
  FreeBuffer();
}

void cNullDevice::SetPosition(uint32_t byteOffset) {
  if (BufferFrames() != 0) cursorFrame = (byteOffset / 4) % BufferFrames();
}

bool cNullDevice::Play() {
  if (!HasBuffer()) return false;
  if (!playing) {
    playing = true;
    lastNs = clock();
    pendingRateNs = 0;
  }
  return true;
}

void cNullDevice::Stop() {
  Advance();
  playing = false;
}

// Time lost while the player watched counts as an underrun; the wait of a
// stop (the polling thread has ended by then) does not.
uint32_t cNullDevice::PlayCursor() {
  if (Advance()) dropped.fetch_add(1, std::memory_order_relaxed);
  return cursorFrame * 4;
}

bool cNullDevice::Advance() {
  if (!playing) return false;
  const int64_t now = clock();
  // Longer than a second counts as a second: the limit below applies anyway,
  // and the product with the rate stays far from overflow.
  const int64_t elapsed = std::clamp<int64_t>(now - lastNs, 0, 1000000000);
  lastNs = now;
  pendingRateNs += uint64_t(elapsed) * SampleRate();
  uint64_t frames = pendingRateNs / 1000000000u;
  pendingRateNs %= 1000000000u;
  const uint64_t half = BufferFrames() / 2;
  const uint64_t limit = half > 1 ? half - 1 : 1;
  const bool lost = frames > limit;
  if (lost) {
    frames = limit;
    pendingRateNs = 0;
  }
  if (frames == 0) return lost;
  if (cOnsetWatch* watch = ArmedOnsetWatch()) ReportOnset(*watch, uint32_t(frames), now);
  OnPlayed(cursorFrame * 4, uint32_t(frames));
  cursorFrame = uint32_t((cursorFrame + frames) % BufferFrames());
  return lost;
}

// The frames from the cursor on played until now, each at its own time.
void cNullDevice::ReportOnset(cOnsetWatch& watch, uint32_t frames, int64_t now) {
  const double frameNs = 1e9 / SampleRate();
  int16_t chunk[2 * 256];
  for (uint32_t done = 0; done < frames && watch.Armed();) {
    const uint32_t n = std::min<uint32_t>(frames - done, 256);
    ReadPlayed((cursorFrame + done) % BufferFrames() * 4, n, chunk);
    watch.Played(chunk, n, now - int64_t((frames - done) * frameNs), frameNs);
    done += n;
  }
}
