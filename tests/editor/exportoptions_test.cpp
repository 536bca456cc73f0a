#include "editor/exportoptions.h"

#include <gtest/gtest.h>

TEST(ExportOptions, TheSuffixFollowsTheTypeAndFlacHasNoFloat) {
  struct Case {
    const char* path;
    bool flac;
    const char* result;
  };
  for (const Case& c : {Case{"a/song.wav", true, "a/song.flac"},
                        {"a/song.FLAC", false, "a/song.wav"},
                        {"a/song", false, "a/song.wav"},
                        {"a/song.x.wav", false, "a/song.x.wav"}}) {
    EXPECT_EQ(PathForType(c.path, c.flac), c.result) << c.path;
  }
  EXPECT_EQ(ExportFormat(true, eExportDepth::kFloat), eSoundFormat::kFlac24);
  EXPECT_EQ(ExportFormat(false, eExportDepth::kFloat), eSoundFormat::kWavFloat);
  const cExportOptions options = DefaultExportOptions("/m/Tune.FLAC", 3, 7);
  EXPECT_TRUE(options.flac);
  EXPECT_EQ(options.path, "/m/Tune.flac");
  EXPECT_EQ(options.stemsFolder, "/m/Tune stems");
}

TEST(ExportOptions, ProgressAndResultTexts) {
  EXPECT_EQ(ClockText(754.9), "12:34");
  EXPECT_EQ(ExportPositionText(3, 12, 0, 11, false), "Position 003 (000-011), row 12");
  EXPECT_EQ(ExportRows(2, 3), 128);
  // A jump outside the range keeps the bar inside it.
  EXPECT_EQ(ExportRowsDone(3, 10, 2, 3, false), 74);
  EXPECT_EQ(ExportRowsDone(0, 10, 2, 3, false), 0);
  EXPECT_EQ(ExportRowsDone(2, 0, 2, 3, true), 128);

  cRenderResult result;
  result.ok = true;
  result.frames = 44100 * 65;
  result.elapsedSeconds = 2.7;
  result.files = {"a.wav"};
  result.clippedSamples = 1;
  EXPECT_EQ(ExportResultText(result, 44100),
            "Exported 1:05 of sound in 2.7 s, 1 file.\n"
            "1 sample clipped: the mix is louder than full scale there.");
  result.ok = false;
  result.error = "/x/a.wav: No space left on device";
  EXPECT_EQ(ExportResultText(result, 44100), "Export failed!\n/x/a.wav: No space left on device");
  result.cancelled = true;
  EXPECT_EQ(ExportResultText(result, 44100), "Export cancelled: no file was written.");
}
