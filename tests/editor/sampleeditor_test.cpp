#include "editor/sampleeditor.h"

#include <gtest/gtest.h>

#include <vector>

#include "editor/sampledraw.h"

namespace {

class SampleEditor : public ::testing::Test {
 protected:
  // A wave of the given frames in slot 3, shown in a 100 x 60 image.
  void Show(int32_t frames, bool stereo = false, int32_t width = 100) {
    std::vector<int16_t> samples(size_t(frames) * (stereo ? 2 : 1), 0);
    ASSERT_TRUE(waves.SetSlot(3, samples.data(), frames, stereo ? kWaveStereoFlag : 0, 0,
                              frames - 1, "kick.wav"));
    editor.SetImageSize(width, 60);
    editor.SetWave(3);
  }
  void ExpectView(int32_t start, int32_t end) {
    EXPECT_EQ(editor.ViewStart(), start);
    EXPECT_EQ(editor.ViewEnd(), end);
  }
  void ExpectLoop(int32_t start, int32_t end) {
    EXPECT_EQ(editor.Wave().loopStart, start);
    EXPECT_EQ(editor.Wave().loopEnd, end);
  }
  // The pixel column that shows the frame in the current view.
  int32_t X(int32_t frame) { return editor.FrameToPixel(frame); }
  int32_t Middle() { return editor.Height() / 2; }

  // Writes the store itself, as the song's edit path does; counts what it
  // changed.
  struct cStoreWriter : cLoopWriter {
    explicit cStoreWriter(cWavManager& waves) : waves(waves) {}
    bool SetLoop(int32_t slot, int32_t start, int32_t end) override {
      return modified |= waves.SetLoop(slot, start, end);
    }
    bool SetLoopMode(int32_t slot, uint32_t mode) override {
      return modified |= waves.SetLoopMode(slot, mode);
    }
    cWavManager& waves;
    bool modified = false;
  };

  cWavManager waves;
  cStoreWriter writer{waves};
  bool& modified = writer.modified;
  cSampleEditor editor{waves, writer};
};

TEST_F(SampleEditor, PixelsAndFramesConvertThroughTheView) {
  Show(1000);
  EXPECT_EQ(editor.PixelToFrame(50), 500);
  EXPECT_EQ(editor.FrameToPixel(500), 50);
  EXPECT_EQ(editor.FrameToPixel(1000), 100);  // one past the end: the right edge
  editor.SetView(100, 149);                   // two pixels per frame
  EXPECT_EQ(editor.PixelToFrame(0), 100);
  EXPECT_EQ(editor.PixelToFrame(3), 102);  // 1.5 rounds away from zero
  EXPECT_EQ(editor.FrameToPixel(110), 20);
}

TEST_F(SampleEditor, TheViewIsHeldInsideTheWave) {
  Show(1000);
  struct Case {
    int32_t start, end;
    int32_t wantStart, wantEnd;
  };
  for (Case c : {Case{-50, 149, 0, 149},
                 {900, 2000, 900, 999},
                 {1500, 2000, 998, 999},
                 {500, 400, 399, 400},
                 {-1, -1, 0, 999}}) {
    editor.SetView(c.start, c.end);
    SCOPED_TRACE(testing::Message() << c.start << ".." << c.end);
    ExpectView(c.wantStart, c.wantEnd);
  }
  EXPECT_FALSE(editor.SetView(-1, -1));  // no change reported
}

TEST_F(SampleEditor, ZoomingInTakesTheRangeAndOutWidensByHalf) {
  Show(1000);
  editor.SetView(0, 99);
  EXPECT_TRUE(editor.ZoomOut());
  ExpectView(0, 149);
  EXPECT_EQ(editor.RangeStart(), 0);  // collapsed to the frame at pixel 0
  EXPECT_EQ(editor.RangeEnd(), 0);

  EXPECT_FALSE(editor.ZoomIn());  // a range of one frame
  ExpectView(0, 149);

  editor.SetView(-1, -1);
  editor.SetRangeByPixels(10, 20);  // frames 100..200
  EXPECT_TRUE(editor.ZoomIn());
  ExpectView(100, 200);
  EXPECT_EQ(editor.RangeStart(), 100);
  EXPECT_EQ(editor.RangeEnd(), 100);

  EXPECT_TRUE(editor.ShowAll());
  ExpectView(0, 999);
}

TEST_F(SampleEditor, StripPressesSetTheLoopPoints) {
  Show(1000);
  const int32_t bottom = editor.Height() - 1;
  EXPECT_TRUE(editor.MouseDown(30, 2));
  ExpectLoop(300, 999);
  EXPECT_TRUE(modified);
  EXPECT_TRUE(editor.MouseDown(80, bottom));
  ExpectLoop(300, 800);
  // Beyond the end of the wave: the start goes to 0, the end to the last frame.
  EXPECT_TRUE(editor.MouseDown(150, 0));
  ExpectLoop(0, 800);
  EXPECT_TRUE(editor.MouseDown(150, bottom));
  ExpectLoop(0, 999);
  EXPECT_FALSE(editor.MouseDown(150, bottom));  // nothing changed
  // A start pressed past the end takes the end with it, and the reverse.
  editor.MouseDown(50, bottom);
  EXPECT_TRUE(editor.MouseDown(70, 0));
  ExpectLoop(700, 700);
  EXPECT_TRUE(editor.MouseDown(20, bottom));
  ExpectLoop(200, 200);
  EXPECT_FALSE(editor.Selecting());  // strip presses select nothing
}

TEST_F(SampleEditor, DraggingSelectsFromTheAnchor) {
  Show(1000);
  EXPECT_TRUE(editor.MouseDown(40, Middle()));
  EXPECT_EQ(editor.RangeStart(), 400);
  EXPECT_EQ(editor.RangeEnd(), 400);
  EXPECT_TRUE(editor.MouseMove(25));
  EXPECT_EQ(editor.RangeStart(), 250);
  EXPECT_EQ(editor.RangeEnd(), 400);
  EXPECT_FALSE(editor.MouseMove(25));
  EXPECT_TRUE(editor.MouseMove(130));  // past the image: up to the last frame
  EXPECT_EQ(editor.RangeEnd(), 999);
  editor.MouseUp();
  EXPECT_FALSE(editor.MouseMove(60));
  EXPECT_FALSE(modified);  // a selection is not part of the song
}

TEST_F(SampleEditor, RangeToLoopLoopsForward) {
  Show(1000);
  EXPECT_EQ(editor.LoopText(), "No loop");
  editor.SetView(100, 199);  // a frame per pixel
  editor.MouseDown(X(100), Middle());
  editor.MouseMove(X(199));
  ASSERT_EQ(editor.RangeStart(), 100);
  ASSERT_EQ(editor.RangeEnd(), 199);
  EXPECT_TRUE(editor.Rng2Loop());
  ExpectLoop(100, 199);
  EXPECT_EQ(editor.LoopMode(), kLoopForward);
  EXPECT_EQ(editor.LoopText(), "Loop: (100 - 199) LoopLen: 100");
  EXPECT_TRUE(modified);

  // A ping-pong loop keeps its mode; a range of one frame is no loop.
  editor.SetLoopMode(kLoopPingpong);
  editor.SetRangeByPixels(50, 60);
  EXPECT_TRUE(editor.Rng2Loop());
  EXPECT_EQ(editor.LoopMode(), kLoopPingpong);
  editor.MouseDown(10, Middle());
  EXPECT_FALSE(editor.Rng2Loop());
  ExpectLoop(150, 160);
}

TEST_F(SampleEditor, ShowingALoopPointCentresTheViewOnIt) {
  Show(1000);
  editor.SetView(0, 99);
  EXPECT_FALSE(editor.LS());  // no loop mode
  EXPECT_FALSE(editor.LE());
  ExpectView(0, 99);

  editor.SetLoopMode(kLoopForward);
  waves.SetLoop(3, 500, 990);
  EXPECT_TRUE(editor.LS());
  ExpectView(450, 549);
  EXPECT_TRUE(editor.LE());
  ExpectView(900, 999);  // held inside the wave, width kept
  waves.SetLoop(3, 10, 990);
  EXPECT_TRUE(editor.LS());
  ExpectView(0, 99);
}

TEST_F(SampleEditor, TheLabelsDescribeTheWave) {
  Show(1000, true);
  EXPECT_EQ(editor.NameText(), "kick.wav:  1000 (Stereo)");
  editor.SetLoopMode(kLoopForward);
  waves.SetLoop(3, 10, 12);
  EXPECT_EQ(editor.LoopText(), "Loop: (10 - 12) LoopLen: 3");
  waves.SetLoop(3, 10, 11);
  EXPECT_EQ(editor.LoopText(), "No loop");  // two frames are no loop to show
  Show(1000);
  EXPECT_EQ(editor.NameText(), "kick.wav:  1000 (Mono)");
}

TEST_F(SampleEditor, AOneFrameWaveShowsNothing) {
  Show(1);
  EXPECT_EQ(editor.NameText(), "No sample loaded.");
  std::vector<uint32_t> pixels;
  RenderSamplePicture(ComputeSamplePicture(editor), pixels);
  ASSERT_EQ(pixels.size(), 100u * 60u);
  for (uint32_t p : pixels) ASSERT_EQ(p, kSampleBackground);
  EXPECT_FALSE(editor.ZoomOut());
  editor.MouseDown(50, Middle());
  EXPECT_FALSE(editor.ZoomIn());

  editor.SetWave(7);  // an empty slot
  EXPECT_EQ(editor.NameText(), "No sample loaded.");
  EXPECT_FALSE(editor.MouseDown(10, 0));
}

TEST_F(SampleEditor, AReplacedWaveIsShownWhole) {
  Show(1000);
  editor.SetView(100, 199);
  editor.SetRangeByPixels(10, 20);
  std::vector<int16_t> samples(50, 0);
  waves.SetSlot(3, samples.data(), 50, 0, 0, 49, "snare.wav");
  EXPECT_EQ(editor.NameText(), "snare.wav:  50 (Mono)");
  ExpectView(0, 49);
  EXPECT_FALSE(editor.HasRange());
  waves.ClearSlot(3);
  EXPECT_FALSE(editor.HasSound());
  EXPECT_FALSE(editor.ZoomOut());
}

class SamplePicture : public SampleEditor {
 protected:
  uint32_t Pixel(int32_t x, int32_t y) { return pixels[size_t(y) * 100 + size_t(x)]; }
  void Draw() { RenderSamplePicture(ComputeSamplePicture(editor), pixels); }
  std::vector<uint32_t> pixels;
};

TEST_F(SamplePicture, EveryPeakUnderAColumnIsDrawn) {
  // 10000 frames in 100 columns: one loud frame must not fall between them.
  std::vector<int16_t> samples(10000, 0);
  samples[5055] = 32767;
  samples[7033] = -32767;
  waves.SetSlot(3, samples.data(), 10000, 0, 0, 9999, "spike");
  editor.SetImageSize(100, 60);
  editor.SetWave(3);
  const cSamplePicture p = ComputeSamplePicture(editor);
  EXPECT_EQ(p.columns[50].high[0], 32767);
  EXPECT_EQ(p.columns[70].low[0], -32767);
  EXPECT_EQ(p.columns[60].high[0], 0);
  Draw();
  // The mono lane: centre 30, 22 pixels for full scale.
  EXPECT_EQ(Pixel(50, 30 + 22), kSampleWave);
  EXPECT_EQ(Pixel(70, 30 - 22), kSampleWave);
  EXPECT_EQ(Pixel(60, 30), kSampleWave);  // the centre line
  EXPECT_EQ(Pixel(60, 40), kSampleBackground);
}

TEST_F(SamplePicture, StereoChannelsHaveALaneEach) {
  std::vector<int16_t> samples(2 * 100, 0);
  for (int i = 0; i < 100; ++i) samples[2 * i] = 32767;  // the left channel only
  waves.SetSlot(3, samples.data(), 100, kWaveStereoFlag, 0, 99, "left");
  editor.SetImageSize(100, 60);
  editor.SetWave(3);
  Draw();
  EXPECT_EQ(Pixel(40, 15 + 11), kSampleWave);  // upper lane, half the scale
  EXPECT_EQ(Pixel(40, 45 + 11), kSampleBackground);
  EXPECT_EQ(Pixel(40, 45), kSampleWave);
}

TEST_F(SamplePicture, TheRangeIsInvertedAndTheLoopMarked) {
  Show(1000);
  editor.SetRangeByPixels(20, 30);  // frames 200..300: columns 20..29
  editor.SetLoopMode(kLoopForward);
  waves.SetLoop(3, 500, 799);
  Draw();
  const uint32_t inverted = MergePenNot(kSampleBackground, kSampleRangePen);
  EXPECT_EQ(inverted, 0xFFFFFFFFu);
  EXPECT_EQ(Pixel(19, 10), kSampleBackground);
  EXPECT_EQ(Pixel(20, 10), inverted);
  EXPECT_EQ(Pixel(29, 10), inverted);
  EXPECT_EQ(Pixel(30, 10), kSampleBackground);
  EXPECT_EQ(Pixel(25, 30), MergePenNot(kSampleWave, kSampleRangePen));
  // Red at the loop start with its flag to the right at the top, green at
  // the loop end with its flag to the left at the bottom.
  EXPECT_EQ(Pixel(50, 30), kSampleLoopStart);
  EXPECT_EQ(Pixel(57, 7), kSampleLoopStart);
  EXPECT_EQ(Pixel(58, 7), kSampleBackground);
  EXPECT_EQ(Pixel(79, 30), kSampleLoopEnd);
  EXPECT_EQ(Pixel(72, 59), kSampleLoopEnd);
  EXPECT_EQ(Pixel(71, 59), kSampleBackground);
  EXPECT_EQ(Pixel(80, 30), kSampleWave);  // the centre line beyond it
}

}  // namespace
