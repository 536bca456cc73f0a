#include "editor/sampleeditor.h"

#include <algorithm>
#include <cmath>
#include <cstring>

void cSampleEditor::SetImageSize(int32_t w, int32_t h, int32_t s) {
  width = std::max(w, 1);
  height = std::max(h, 1);
  scale = std::max(s, 1);
}

void cSampleEditor::SetWave(int32_t newSlot) {
  slot = newSlot >= 0 && newSlot < kWaveSlots ? newSlot : -1;
  generation = slot >= 0 ? waves.Generation(slot) : 0;
  if (slot < 0 || !waves.GetEntry(slot, &wave)) wave = cWaveEntry{};
  ShowWhole();
  rangeStart = rangeEnd = -1;
  selecting = false;
}

void cSampleEditor::Fetch() {
  if (slot < 0) return;
  waves.GetEntry(slot, &wave);
  if (waves.Generation(slot) != generation) {
    generation = waves.Generation(slot);
    ShowWhole();
    rangeStart = rangeEnd = -1;
    selecting = false;
  }
}

const cWaveEntry& cSampleEditor::Wave() {
  Fetch();
  return wave;
}

bool cSampleEditor::HasSound() {
  Fetch();
  return wave.data != nullptr && wave.length >= 2;
}

bool cSampleEditor::IsLooped() {
  Fetch();
  return (wave.flags & 0x0F) != 0;
}

int32_t cSampleEditor::LoopMode() {
  Fetch();
  return int32_t(wave.flags & kWaveLoopModeMask);
}

void cSampleEditor::ShowWhole() {
  viewStart = 0;
  viewEnd = std::max(wave.length - 1, 0);
}

bool cSampleEditor::SetView(int32_t start, int32_t end) {
  Fetch();
  const int32_t oldStart = viewStart, oldEnd = viewEnd;
  const int32_t last = std::max(wave.length - 1, 0);
  if (start == -1 && end == -1) {
    start = 0;
    end = last;
  } else {
    start = std::max(start, 0);
    end = std::min(end, last);
    if (end < start) start = end - 1;
    // A wave of one frame (or none) has nothing before frame 0 to show.
    start = std::max(start, 0);
    end = std::clamp(end, start, std::max(last, start));
  }
  viewStart = start;
  viewEnd = end;
  return viewStart != oldStart || viewEnd != oldEnd;
}

int32_t cSampleEditor::PixelToFrame(int32_t x) const {
  return int32_t(std::lround(double(x) * ViewWidth() / width)) + viewStart;
}

int32_t cSampleEditor::FrameToPixel(int64_t frame) const {
  return int32_t(std::lround(double(frame - viewStart) * width / ViewWidth()));
}

bool cSampleEditor::SetRangeByPixels(int32_t x1, int32_t x2) {
  Fetch();
  const int32_t oldStart = rangeStart, oldEnd = rangeEnd;
  const int32_t last = std::max(wave.length - 1, 0);
  if (x1 == -1 && x2 == -1) {
    rangeStart = 0;
    rangeEnd = last;
  } else {
    // Pixels past either end of the wave select up to that end.
    int32_t a = std::clamp(PixelToFrame(x1), 0, last);
    int32_t b = std::clamp(PixelToFrame(x2), 0, last);
    rangeStart = std::min(a, b);
    rangeEnd = std::max(a, b);
  }
  return rangeStart != oldStart || rangeEnd != oldEnd;
}

bool cSampleEditor::WriteLoop(int32_t start, int32_t end) {
  if (start == wave.loopStart && end == wave.loopEnd) return false;
  if (!writer.SetLoop(slot, start, end)) return false;
  Fetch();
  return true;
}

bool cSampleEditor::SetLoopStartByPixel(int32_t x) {
  Fetch();
  if (slot < 0 || wave.length <= 0) return false;
  const int32_t frame = PixelToFrame(x);
  const int32_t start = frame >= 0 && frame < wave.length ? frame : 0;
  return WriteLoop(start, std::max(wave.loopEnd, start));
}

bool cSampleEditor::SetLoopEndByPixel(int32_t x) {
  Fetch();
  if (slot < 0 || wave.length <= 0) return false;
  const int32_t frame = PixelToFrame(x);
  const int32_t end = frame >= 0 && frame < wave.length ? frame : wave.length - 1;
  return WriteLoop(std::min(wave.loopStart, end), end);
}

bool cSampleEditor::ZoomToRange() {
  if (RangeWidth() < 2) return false;
  return SetView(rangeStart, rangeEnd);
}

bool cSampleEditor::RangeToLoop() {
  Fetch();
  if (slot < 0 || wave.length <= 0 || RangeWidth() < 2) return false;
  WriteLoop(rangeStart, rangeEnd);
  return true;
}

// The view keeps its width and is held inside the wave.
bool cSampleEditor::ShowLoopStart() {
  if (!IsLooped() || ViewWidth() - 1 < 2) return false;
  const int32_t w = ViewWidth();
  const int32_t start = std::clamp(wave.loopStart - w / 2, 0, std::max(wave.length - w, 0));
  SetView(start, start + w - 1);
  return true;
}

bool cSampleEditor::ShowLoopEnd() {
  if (!IsLooped() || ViewWidth() - 1 < 2) return false;
  const int32_t w = ViewWidth();
  const int32_t last = wave.length - 1;
  const int32_t end = std::clamp(wave.loopEnd + w / 2, std::min(w - 1, last), last);
  SetView(end - w + 1, end);
  return true;
}

bool cSampleEditor::SetLoopMode(int32_t mode) {
  Fetch();
  if (slot < 0 || mode < 0 || mode > kLoopPingpong) return false;
  if (int32_t(wave.flags & kWaveLoopModeMask) == mode) return false;
  if (!writer.SetLoopMode(slot, uint32_t(mode))) return false;
  Fetch();
  return true;
}

void cSampleEditor::CollapseRange() { rangeStart = rangeEnd = PixelToFrame(0); }

bool cSampleEditor::ZoomIn() {
  if (!ZoomToRange()) return false;
  CollapseRange();
  return true;
}

bool cSampleEditor::ZoomOut() {
  const int32_t h = ViewWidth() / 2;
  if (!SetView(viewStart - h, viewEnd + h)) return false;
  CollapseRange();
  return true;
}

bool cSampleEditor::ShowAll() {
  SetView(-1, -1);
  return true;
}

bool cSampleEditor::Rng2Loop() {
  if (!RangeToLoop()) return false;
  if (LoopMode() == kLoopNone) SetLoopMode(kLoopForward);
  return true;
}

bool cSampleEditor::InLoopStrip(int32_t y) const {
  return y < StripHeight() || y >= height - StripHeight();
}

bool cSampleEditor::MouseDown(int32_t x, int32_t y) {
  selecting = false;
  if (y < StripHeight()) return SetLoopStartByPixel(x);
  if (y >= height - StripHeight()) return SetLoopEndByPixel(x);
  selecting = true;
  anchor = x;
  SetRangeByPixels(x, x);
  return true;
}

bool cSampleEditor::MouseMove(int32_t x) {
  if (!selecting) return false;
  return SetRangeByPixels(std::min(anchor, x), std::max(anchor, x));
}

std::string cSampleEditor::NameText() {
  if (!HasSound()) return "No sample loaded.";
  std::string text(wave.name, strnlen(wave.name, kWaveNameBytes));
  text += ":  " + std::to_string(wave.length) + " ";
  text += (wave.flags & kWaveStereoFlags) ? "(Stereo)" : "(Mono)";
  return text;
}

std::string cSampleEditor::LoopText() {
  if (!IsLooped()) return "No loop";
  const int64_t length = int64_t(wave.loopEnd) - wave.loopStart + 1;
  if (length <= 2) return "No loop";
  return "Loop: (" + std::to_string(wave.loopStart) + " - " + std::to_string(wave.loopEnd) +
         ") LoopLen: " + std::to_string(length);
}
