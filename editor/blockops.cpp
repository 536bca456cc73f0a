#include "editor/blockops.h"

#include <cstring>

namespace {

struct cClipRange {
  uint8_t* cells;
  uint8_t* store;
  size_t bytes;
};

cClipRange RangeOf(cSongTables& song, eClip size, const cClipPlace& at) {
  uint8_t* clip = song.CopyBuffer();
  switch (size) {
    case eClip::kPattern:
      return {song.Cell(at.pattern, 0, 0), clip + kPatternClipOffset, kPatternBytes};
    case eClip::kTrack:
      return {song.Cell(at.pattern, at.channel, 0), clip + kTrackClipOffset, kChannelBytes};
    case eClip::kBlock:
    default:
      return {song.Cell(at.pattern, at.channel, (at.row & 63) / kBlockRows * kBlockRows),
              clip + kBlockClipOffset, kBlockRows * kCellBytes};
  }
}

void FillEmpty(uint8_t* cells, size_t bytes) {
  for (size_t i = 0; i < bytes; i += kCellBytes) std::memcpy(cells + i, kEmptyCell, kCellBytes);
}

}  // namespace

void ClearClipStores(cSongTables& song) { FillEmpty(song.CopyBuffer(), kCopyBufferBytes); }

void CopyToClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::memcpy(range.store, range.cells, range.bytes);
}

void CutToClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::memcpy(range.store, range.cells, range.bytes);
  FillEmpty(range.cells, range.bytes);
}

void PasteFromClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::memcpy(range.cells, range.store, range.bytes);
}
