#include "editor/scope.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <limits>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "editor/digitfont.h"
#include "editor/mutesolo.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

void FillChannel(cTracker& t, int channel, float left, float right) {
  float* buffer = Inside(t).Renderer().ChannelBuffer(channel);
  for (int f = 0; f < Inside(t).Renderer().BlockFrames(); ++f) {
    buffer[2 * f] = left;
    buffer[2 * f + 1] = right;
  }
}

bool White(const TFastBMP& bmp, int x, int y) {
  return bmp.Pixel(x, y) == TFastBMP::Rgb(255, 255, 255);
}

// Whether the channel's number is drawn at its place in the cell.
bool NumberDrawn(const TFastBMP& bmp, const cScopeLayout& l, int channel) {
  const int x0 = l.CellX(channel) + 3 * l.scale, y0 = l.CellY(channel) + 2 * l.scale;
  const int digits[2] = {channel / 10, channel % 10};
  const int first = channel >= 10 ? 0 : 1;
  for (int d = first; d < 2; ++d) {
    const int dx = x0 + (d - first) * kDigitPitch * l.scale;
    for (int gy = 0; gy < kDigitHeight; ++gy) {
      for (int gx = 0; gx < kDigitWidth; ++gx) {
        if (White(bmp, dx + gx * l.scale, y0 + gy * l.scale) != DigitPixel(digits[d], gx, gy)) {
          return false;
        }
      }
    }
  }
  return true;
}

int WhiteInRow(const TFastBMP& bmp, int x0, int x1, int y) {
  int n = 0;
  for (int x = x0; x < x1; ++x) n += White(bmp, x, y) ? 1 : 0;
  return n;
}

}  // namespace

TEST(ScopeLayout, ColumnsCellsAndRowsForEveryCount) {
  struct Case {
    int width, height, channels, scale, columns, cellWidth, halfRow;
  };
  for (const Case c : {Case{200, 72, 4, 1, 2, 98, 18}, Case{200, 72, 7, 1, 4, 48, 18},
                       Case{200, 72, 16, 1, 8, 23, 18}, Case{200, 72, 1, 1, 1, 198, 18},
                       Case{200, 72, 0, 1, 1, 198, 18}, Case{400, 144, 4, 2, 2, 196, 36},
                       Case{3, 3, 16, 1, 8, -2, 0}}) {
    const cScopeLayout l = MakeScopeLayout(c.width, c.height, c.channels, c.scale);
    EXPECT_EQ(l.columns, c.columns) << c.channels;
    EXPECT_EQ(l.cellWidth, c.cellWidth) << c.channels;
    EXPECT_EQ(l.halfRow, c.halfRow) << c.channels;
  }
  const cScopeLayout four = MakeScopeLayout(200, 72, 4);
  EXPECT_EQ(four.CellX(3), 99 + 2);
  EXPECT_EQ(four.CellY(3), 36);
  EXPECT_EQ(four.CellY(2), 0);  // even channels on top
}

TEST(ScopeLayout, AClickFindsTheChannelWhoseCellWasClicked) {
  const cScopeLayout four = MakeScopeLayout(200, 72, 4);
  EXPECT_EQ(four.ChannelAt(150, 60), 3);  // the lower right quarter
  EXPECT_EQ(four.ChannelAt(10, 10), 0);
  EXPECT_EQ(four.ChannelAt(10, 36), 1);
  EXPECT_EQ(four.ChannelAt(199, 0), 2);
  EXPECT_EQ(four.ChannelAt(200, 0), -1);
  EXPECT_EQ(four.ChannelAt(0, -1), -1);

  // Across a wide count every pixel of a cell belongs to that cell's
  // channel, the last column included.
  for (int scale : {1, 2}) {
    const cScopeLayout sixteen = MakeScopeLayout(200 * scale, 72 * scale, 16, scale);
    for (int k = 0; k < 16; ++k) {
      const int y = sixteen.CellY(k) + sixteen.halfRow;
      for (int x = sixteen.CellX(k); x < sixteen.CellX(k) + sixteen.cellWidth; ++x) {
        ASSERT_EQ(sixteen.ChannelAt(x, y), k) << "x " << x << " scale " << scale;
      }
    }
  }

  // An odd count leaves an empty place, which maps past the last channel.
  const cScopeLayout seven = MakeScopeLayout(200, 72, 7);
  EXPECT_EQ(seven.ChannelAt(190, 60), 7);
}

TEST(ScopeMuteSolo, ButtonsOnFlagsAndSolo) {
  struct Case {
    uint16_t on;  // bit k: channel k's on-flag
    int solo, channel;
    bool right;
    uint16_t wantOn;
    int wantSolo;
  };
  for (const Case c : {
           Case{0xFFFF, -1, 2, false, 0xFFFB, -1},  // toggles off
           Case{0xFFFB, -1, 2, false, 0xFFFF, -1},  // and on again
           Case{0xFFFF, -1, 5, true, 0xFFFF, 5},    // solos
           Case{0x0000, 5, 3, true, 0xFFFF, -1},    // right again opens every channel
           Case{0xFFFF, 1, 3, false, 0x000A, -1},   // the soloed and the clicked stay
           Case{0x00F0, 3, 3, false, 0x00F0, -1},   // the soloed channel ends the solo
       }) {
    cMixerFlags m;
    for (int k = 0; k < 16; ++k) m.on[k] = (c.on >> k) & 1;
    m.solo = c.solo;
    ScopeMuteSolo(m, c.channel, c.right);
    uint16_t on = 0;
    for (int k = 0; k < 16; ++k) on = uint16_t(on | (m.on[k] == 1 ? 1 << k : 0));
    EXPECT_EQ(on, c.wantOn) << "channel " << c.channel << " solo " << c.solo;
    EXPECT_EQ(m.solo, c.wantSolo) << "channel " << c.channel << " solo " << c.solo;
  }
}

TEST(Scope, SoloThenClickAnotherLeavesExactlyThoseTwoAudible) {
  cTracker t(QuietConfig());
  Inside(t).Song().SetChannelCount(4);
  cScope scope;
  scope.Resize(200, 72);
  ASSERT_TRUE(scope.Click(t, 10, 10, true));  // solo channel 0
  EXPECT_EQ(Inside(t).Song().mixer.solo, 0);
  ASSERT_TRUE(scope.Click(t, 150, 60, false));  // channel 3
  for (int k = 0; k < 16; ++k) EXPECT_EQ(Inside(t).Song().IsActive(k), k == 0 || k == 3) << k;
  EXPECT_FALSE(t.Modified());  // mute and solo are not part of the song
}

TEST(Scope, AClickPastTheLastChannelChangesNothing) {
  cTracker t(QuietConfig());
  cScope scope;
  scope.Resize(200, 72);
  for (int count : {7, 0}) {
    Inside(t).Song().SetChannelCount(count);
    Inside(t).Song().mixer.solo = 2;
    const cMixerFlags before = Inside(t).Song().mixer;
    for (bool right : {false, true}) EXPECT_FALSE(scope.Click(t, 190, 60, right)) << count;
    EXPECT_EQ(Inside(t).Song().mixer.solo, 2);
    for (int k = 0; k < 16; ++k) EXPECT_EQ(Inside(t).Song().mixer.on[k], before.on[k]);
  }
}

TEST(Scope, DrawsHeardChannelsAndEveryNumber) {
  cTracker t(QuietConfig());
  Inside(t).Song().SetChannelCount(4);
  FillChannel(t, 0, -900.0f, -900.0f);  // sum -1800: one row below the middle
  FillChannel(t, 1, -900.0f, -900.0f);
  FillChannel(t, 2, 30000.0f, 30000.0f);  // beyond the cell: on its top row
  FillChannel(t, 3, std::numeric_limits<float>::quiet_NaN(), 0.0f);
  Inside(t).Song().mixer.on[1] = 0;
  for (int scale : {1, 2}) {
    cScope scope;
    scope.Resize(200 * scale, 72 * scale, scale);
    scope.Refresh(t);
    const TFastBMP& bmp = *scope.Image();
    const cScopeLayout& l = scope.Layout();
    const int q = l.halfRow, w = l.cellWidth, trace = w - 2 * scale;
    for (int k = 0; k < 4; ++k) EXPECT_TRUE(NumberDrawn(bmp, l, k)) << k << " at scale " << scale;
    const int row = q + scale;  // 1800 x 0.01 / 18 logical pixels below the middle
    EXPECT_EQ(WhiteInRow(bmp, l.CellX(0), l.CellX(0) + trace, l.CellY(0) + row), trace);
    EXPECT_EQ(WhiteInRow(bmp, l.CellX(0), l.CellX(0) + w + scale, l.CellY(0) + row + 1), 0);
    // The muted channel: nothing but its number.
    for (int y = l.CellY(1) + 10 * scale; y < l.CellY(1) + 2 * q; ++y) {
      ASSERT_EQ(WhiteInRow(bmp, l.CellX(1), l.CellX(1) + w, y), 0) << y;
    }
    EXPECT_EQ(WhiteInRow(bmp, l.CellX(2) + 12 * scale, l.CellX(2) + trace, l.CellY(2)),
              trace - 12 * scale);
    EXPECT_EQ(WhiteInRow(bmp, l.CellX(3) + 12 * scale, l.CellX(3) + trace, l.CellY(3)),
              trace - 12 * scale);
  }
}

TEST(Scope, AShortBlockEndsTheTraceInsteadOfReadingOn) {
  cConfig config = QuietConfig();
  config.frequency = 8000;  // 160 frames a block
  cTracker t(config);
  Inside(t).Song().SetChannelCount(1);
  FillChannel(t, 0, -900.0f, -900.0f);
  FillChannel(t, 1, -900.0f, -900.0f);  // lies right after it: reading on would draw it
  cScope scope;
  scope.Resize(1000, 72);
  scope.Refresh(t);
  const cScopeLayout& l = scope.Layout();
  const int drawn = WhiteInRow(*scope.Image(), 0, 1000, l.halfRow + 1);
  EXPECT_GT(drawn, 100);
  EXPECT_LE(drawn, int(std::ceil(160 / ScopeFrameStep(l.cellWidth, 1))));
}

TEST(Scope, NoImageNoWork) {
  cTracker t(QuietConfig());
  cScope scope;
  scope.Refresh(t);
  EXPECT_FALSE(scope.Click(t, 1, 1, false));
  scope.Resize(0, 72);
  EXPECT_EQ(scope.Image(), nullptr);
  scope.Resize(2, 2);  // too small for a trace
  scope.Refresh(t);
  EXPECT_FALSE(scope.Click(t, 5, 5, false));
}

// The window resizes the picture between a capture and the paint that draws
// it: the traces of the old size must not be drawn into the new one.
TEST(Scope, AResizeBetweenCaptureAndDrawKeepsOnlyTheNumbers) {
  cTracker t(QuietConfig());
  Inside(t).Song().SetChannelCount(16);
  for (int k = 0; k < 16; ++k) FillChannel(t, k, -900.0f, -900.0f);
  cScope scope;
  scope.Resize(1600, 72);
  scope.Capture(t);
  scope.Resize(100, 72);
  scope.Draw();
  const cScopeLayout& l = scope.Layout();
  EXPECT_EQ(WhiteInRow(*scope.Image(), 0, 100, l.halfRow + 1), 0);
  scope.Capture(t);
  scope.Draw();
  EXPECT_GT(WhiteInRow(*scope.Image(), 0, 100, l.halfRow + 1), 0);
}

// The window repaints the scope only when a capture says it changed: the
// same flat traces again are no change, and whatever moves a pixel is one.
TEST(Scope, ACaptureSaysWhetherThePictureChanged) {
  cTracker t(QuietConfig());
  Inside(t).Song().SetChannelCount(4);
  cScope scope;
  scope.Resize(200, 72);
  struct Step {
    const char* what;
    std::function<void()> change;
    bool changed;
  };
  const Step steps[] = {
      {"first capture after a resize", [] {}, true},
      {"the same silence again", [] {}, false},
      {"a sound on channel 2", [&] { FillChannel(t, 2, -900.0f, -900.0f); }, true},
      {"the same sound again", [] {}, false},
      {"a sound too quiet to move a pixel", [&] { FillChannel(t, 1, 0.1f, 0.1f); }, false},
      {"channel 2 muted", [&] { Inside(t).Song().mixer.on[2] = 0; }, true},
      {"channel 2 heard again", [&] { Inside(t).Song().mixer.on[2] = 1; }, true},
      {"two more channels", [&] { Inside(t).Song().SetChannelCount(6); }, true},
      {"a resize", [&] { scope.Resize(300, 72); }, true},
      {"nothing new", [] {}, false},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_EQ(scope.Capture(t), step.changed) << step.what;
  }
}
