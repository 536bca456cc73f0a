#include "editor/trackedit.h"

#include <algorithm>
#include <cstring>

void InsertTrackRow(cSongTables& song, int pattern, int channel, int row) {
  if (row < 0 || row >= kRows) return;
  uint8_t* cell = song.Cell(pattern, channel, row);
  std::memmove(cell + kCellBytes, cell, size_t(kRows - 1 - row) * kCellBytes);
  std::memcpy(cell, kEmptyCell, kCellBytes);
}

void DeleteTrackRow(cSongTables& song, int pattern, int channel, int row) {
  if (row < 0 || row >= kRows) return;
  uint8_t* cell = song.Cell(pattern, channel, row);
  std::memmove(cell, cell + kCellBytes, size_t(kRows - 1 - row) * kCellBytes);
  std::memcpy(song.Cell(pattern, channel, kRows - 1), kEmptyCell, kCellBytes);
}

void TransposeTrack(cSongTables& song, int pattern, int channel, int first, int count, int step) {
  const int last = std::min(first + count, kRows);
  for (int row = std::max(first, 0); row < last; ++row) {
    uint8_t& note = song.Cell(pattern, channel, row)[0];
    if (note >= 1 && note <= kMaxNoteByte)
      note = uint8_t(std::clamp(note + step, 1, int(kMaxNoteByte)));
  }
}
