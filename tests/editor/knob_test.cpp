#include "editor/knob.h"

#include <gtest/gtest.h>

TEST(Knob, SettingClampsAndReportsOnlyRealChanges) {
  cKnobModel knob;
  knob.max = 255;
  EXPECT_TRUE(knob.SetCurValue(300));
  EXPECT_EQ(knob.position, 255);
  EXPECT_FALSE(knob.SetCurValue(255));  // the same value raises nothing
  EXPECT_FALSE(knob.SetCurValue(400));  // nor a value that clamps to it
  EXPECT_TRUE(knob.SetCurValue(-5));
  EXPECT_EQ(knob.position, 0);
}

TEST(Knob, DraggingUpStopsAtTheMaximumAndThenRaisesNothing) {
  cKnobModel knob;
  knob.max = 255;
  knob.position = 250;
  EXPECT_TRUE(knob.DeltaCurValue(10));
  EXPECT_EQ(knob.position, 255);
  EXPECT_FALSE(knob.DeltaCurValue(3));
  EXPECT_FALSE(knob.DeltaCurValue(0));
  EXPECT_FALSE(knob.DeltaCurValue(2147483647));  // no wrap past the top
  EXPECT_TRUE(knob.DeltaCurValue(-1));
  EXPECT_EQ(knob.position, 254);
}

TEST(Knob, TheMarkSweepsFromLowerLeftThroughTopToLowerRight) {
  cKnobModel knob;
  knob.min = -127;
  knob.max = 127;
  knob.position = 0;
  // Straight up from a quarter to three eighths of a 28-pixel dial.
  cKnobLine up = knob.MarkLine(28, 28);
  EXPECT_EQ(up.x1, 14);
  EXPECT_EQ(up.x2, 14);
  EXPECT_EQ(up.y1, 14 - 6);
  EXPECT_EQ(up.y2, 14 - 11);
  knob.position = -127;
  cKnobLine low = knob.MarkLine(28, 28);
  EXPECT_LT(low.x2, 14);
  EXPECT_GT(low.y2, 14);
  knob.position = 127;
  cKnobLine high = knob.MarkLine(28, 28);
  EXPECT_GT(high.x2, 14);
  EXPECT_GT(high.y2, 14);
}

TEST(Knob, FilmStripTiles) {
  cKnobModel knob;
  knob.max = 200;
  knob.position = 200;
  EXPECT_EQ(knob.TileIndex(), 62);
  knob.position = 0;
  EXPECT_EQ(knob.TileIndex(), 0);
  knob.position = 100;
  EXPECT_EQ(knob.TileIndex(), 32);  // round(0.5 x 63)
  knob.min = knob.max = 5;
  EXPECT_EQ(knob.TileIndex(), 62);  // an empty range shows the last tile
  knob.SetNumTile(1);
  EXPECT_EQ(knob.numTile, 63);
  knob.SetNumTile(16);
  EXPECT_EQ(knob.numTile, 16);
}
