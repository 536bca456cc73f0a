#pragma once
// What the export's options step decides and what its progress window says,
// without Qt: the file type and bit depth, the part of the song, the stems
// folder, and the texts of the progress.

#include <cstdint>
#include <string>

#include "app/songrender.h"

enum class eExportDepth { k16, k24, kFloat };

struct cExportOptions {
  std::string path;  // the mix; its suffix follows the file type
  bool flac = false;
  eExportDepth depth = eExportDepth::k16;
  bool wholeSong = true;
  int32_t firstPosition = 0, lastPosition = 0;  // when not the whole song
  bool stems = false;
  std::string stemsFolder;
};

// The options a chosen file starts with: its type from its suffix, 16 bits,
// the whole song (the range offered is the song's start to end), and a
// stems folder beside the file named after it ("Song stems").
cExportOptions DefaultExportOptions(const std::string& path, int32_t songStart, int32_t songEnd);

// FLAC has no float samples: it is 24-bit instead.
eSoundFormat ExportFormat(bool flac, eExportDepth depth);
// The path with the type's suffix in place of ".wav" or ".flac" (added when
// it has neither).
std::string PathForType(const std::string& path, bool flac);

// The render the options ask for; the stems take the mix's format.
cRenderRequest ExportRequest(const cExportOptions& options);

// "0:07", "12:04": minutes and seconds.
std::string ClockText(double seconds);
// While it renders: "Position 003 (000-011), row 12", then "Tail" after the
// song has played once.
std::string ExportPositionText(int32_t position, int32_t row, int32_t first, int32_t last,
                               bool inTail);
// Rows of the range done, 64 to a position, for a progress bar whose end is
// ExportRows(first, last).
int32_t ExportRowsDone(int32_t position, int32_t row, int32_t first, int32_t last, bool inTail);
int32_t ExportRows(int32_t first, int32_t last);
// At the end: what was written and how long it took, the clipped samples if
// any, the reason of a failure, or the cancel.
std::string ExportResultText(const cRenderResult& result, int32_t sampleRate);
