#pragma once
// The channel scope: a small oscilloscope of the last rendered block of every
// audible channel, side by side, with each channel's number; a click on a
// channel mutes or solos it. It draws into its own image, which the widget
// copies to the screen.

#include <cstdint>
#include <memory>
#include <vector>

#include "editor/fastbmp.h"
#include "editor/scopelayout.h"

class cTracker;

// The row of one trace point, counted from the top of its cell, for the sum
// of a frame's left and right samples (16-bit scale). A point that would
// leave the cell's two rows lies on the cell's top row and `clipped` is set.
int ScopeTraceRow(float left, float right, int halfRow, int scale, bool* clipped);

// Frames from one trace point to the next, for a cell of cellWidth image
// pixels.
double ScopeFrameStep(int cellWidth, int scale);

class cScope {
 public:
  // A black image of width x height image pixels; scale is the image pixels
  // per logical pixel. A size below 1 leaves no image.
  void Resize(int width, int height, int scale = 1);

  // Capture, then Draw.
  void Refresh(cTracker& t);
  // Copies what the picture needs (the channel count, who is heard, the
  // trace points of the last block) under the engine lock, which it takes
  // itself; a display timer that already holds it may call this. Returns
  // whether any of it differs from the last Capture (or a Resize came
  // between): when not, the picture drawn from it stands as it is.
  bool Capture(cTracker& t);
  // Draws what the last Capture copied; needs no lock.
  void Draw();

  // A press at (x, y) in image pixels. Changes the mixer under the engine
  // lock and returns true, or changes nothing when the point maps to no
  // channel of the song.
  bool Click(cTracker& t, int x, int y, bool rightButton);

  // Null until Resize made an image.
  const TFastBMP* Image() const { return bmp.get(); }
  const cScopeLayout& Layout() const { return layout; }

 private:
  std::unique_ptr<TFastBMP> bmp;
  cScopeLayout layout;
  int scale = 1;
  bool resized = false;  // since the last Capture
  // Per channel: heard or not, and one row per pixel column of its cell
  // (negative: clipped to the top); sized by Resize.
  bool heard[16] = {};
  int points[16] = {};
  std::vector<int> rows;
};
