#include "editor/trackedit.h"

#include <algorithm>

void InsertTrackRow(cSongTables& song, int pattern, int channel, int row) {
  if (row < 0 || row >= kRows) return;
  cCell* track = &song.Cell(pattern, channel, 0);
  std::copy_backward(track + row, track + kRows - 1, track + kRows);
  track[row] = kEmptyCell;
}

void DeleteTrackRow(cSongTables& song, int pattern, int channel, int row) {
  if (row < 0 || row >= kRows) return;
  cCell* track = &song.Cell(pattern, channel, 0);
  std::copy(track + row + 1, track + kRows, track + row);
  track[kRows - 1] = kEmptyCell;
}

void TransposeTrack(cSongTables& song, int pattern, int channel, int first, int count, int step) {
  const int last = std::min(first + count, kRows);
  for (int row = std::max(first, 0); row < last; ++row) {
    uint8_t& note = song.Cell(pattern, channel, row).note;
    if (note >= 1 && note <= kMaxNoteByte)
      note = uint8_t(std::clamp(note + step, 1, int(kMaxNoteByte)));
  }
}
