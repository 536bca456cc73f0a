#pragma once
// The sample editor: which frames of a wave its image shows (the view), the
// selected frames (the range), and the loop points the sampler plays, set
// with the buttons and the mouse. Positions are pixels of the image; the
// widget hands it the image's size and forwards the mouse.
//
// The wave lives in the wave store; the editor keeps a copy of the slot's
// entry and fetches it again before each use, so a slot that was replaced
// (a song load, a new sample, an undo) is never read through a stale
// pointer. The loop points and mode are written through a writer: the
// song's edit path in the program. UI thread only.

#include <cstdint>
#include <string>

#include "engine/wavestore.h"

// The loop modes of the loop-mode box, its item indexes.
enum : int32_t { kLoopNone = 0, kLoopForward = 1, kLoopPingpong = 2 };

// Where the loop points and the loop mode go; each returns false when the
// slot holds no wave.
class cLoopWriter {
 public:
  virtual ~cLoopWriter() = default;
  virtual bool SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd) = 0;
  virtual bool SetLoopMode(int32_t slot, uint32_t mode) = 0;
};

class cSampleEditor {
 public:
  cSampleEditor(const cWavManager& waves, cLoopWriter& writer) : waves(waves), writer(writer) {}

  // The image in pixels; scale is the image's pixels per logical pixel (2 at
  // 200 %), which widens the mouse strips and the loop flags with it.
  void SetImageSize(int32_t width, int32_t height, int32_t scale = 1);
  int32_t Width() const { return width; }
  int32_t Height() const { return height; }
  int32_t Scale() const { return scale; }

  // Shows the wave of the slot: the whole wave in view, no range.
  void SetWave(int32_t slot);
  int32_t Slot() const { return slot; }
  // The entry as the store holds it now.
  const cWaveEntry& Wave();
  bool HasSound();  // data and at least 2 frames
  bool IsLooped();  // any of the low four flag bits
  int32_t LoopMode();

  // (-1, -1) shows the whole wave. True when the view changed.
  bool SetView(int32_t start, int32_t end);
  // (-1, -1) selects the whole wave. True when the range changed.
  bool SetRangeByPixels(int32_t x1, int32_t x2);
  // The frame under x, or 0 (start) / length - 1 (end) outside the wave.
  // A start past the loop end takes the end with it, and the reverse.
  bool SetLoopStartByPixel(int32_t x);
  bool SetLoopEndByPixel(int32_t x);
  // The view becomes the range when the range holds at least 2 frames.
  bool ZoomToRange();
  // The loop becomes the range when the range holds at least 2 frames.
  bool RangeToLoop();
  // Centre the view, width kept, on a loop point of a looped wave.
  bool ShowLoopStart();
  bool ShowLoopEnd();
  // Writes the mode (0-2) into the store.
  bool SetLoopMode(int32_t mode);

  // The buttons. Each returns true when the image must be drawn again.
  bool ZoomIn();
  bool ZoomOut();
  bool ShowAll();
  bool LS() { return ShowLoopStart(); }
  bool LE() { return ShowLoopEnd(); }
  // Range to loop; a wave without loop mode is then looped forward.
  bool Rng2Loop();

  // The mouse: a press in the top strip sets the loop start, in the bottom
  // strip the loop end; elsewhere it starts a selection that moves follow.
  // Each returns true when the image must be drawn again.
  bool MouseDown(int32_t x, int32_t y);
  // The top and bottom strips, where a press moves a loop point.
  bool InLoopStrip(int32_t y) const;
  bool MouseMove(int32_t x);
  void MouseUp() { selecting = false; }
  bool Selecting() const { return selecting; }

  int32_t PixelToFrame(int32_t x) const;
  int32_t FrameToPixel(int64_t frame) const;

  int32_t ViewStart() const { return viewStart; }
  int32_t ViewEnd() const { return viewEnd; }
  int32_t ViewWidth() const { return viewEnd - viewStart + 1; }
  // No range: both -1.
  int32_t RangeStart() const { return rangeStart; }
  int32_t RangeEnd() const { return rangeEnd; }
  bool HasRange() const { return rangeStart >= 0; }
  int32_t RangeWidth() const { return HasRange() ? rangeEnd - rangeStart + 1 : 0; }

  // The texts of the name label and the loop label.
  std::string NameText();
  std::string LoopText();

  // The pixel rows of the loop-point strips at the top and bottom.
  int32_t StripHeight() const { return 10 * scale; }

 private:
  // Fetches the entry; a slot that changed since it was shown is shown anew.
  void Fetch();
  void ShowWhole();
  void CollapseRange();
  bool WriteLoop(int32_t start, int32_t end);

  const cWavManager& waves;
  cLoopWriter& writer;
  cWaveEntry wave{};
  int32_t slot = -1;
  uint32_t generation = 0;
  int32_t width = 1, height = 1, scale = 1;
  int32_t viewStart = 0, viewEnd = 0;
  int32_t rangeStart = -1, rangeEnd = -1;
  bool selecting = false;
  int32_t anchor = 0;  // pixel where the selection began
};
