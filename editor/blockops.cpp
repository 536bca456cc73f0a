#include "editor/blockops.h"

#include <algorithm>

namespace {

struct cClipRange {
  cCell* cells;
  cCell* store;
  size_t count;
};

cClipRange RangeOf(cSongTables& song, eClip size, const cClipPlace& at) {
  cCell* clip = song.CopyBuffer();
  switch (size) {
    case eClip::kPattern:
      return {song.Pattern(at.pattern), clip + kPatternClipOffset, size_t(kChannels * kRows)};
    case eClip::kTrack:
      return {&song.Cell(at.pattern, at.channel, 0), clip + kTrackClipOffset, size_t(kRows)};
    case eClip::kBlock:
    default:
      return {&song.Cell(at.pattern, at.channel, (at.row & 63) / kBlockRows * kBlockRows),
              clip + kBlockClipOffset, size_t(kBlockRows)};
  }
}

}  // namespace

void ClearClipStores(cSongTables& song) {
  std::fill_n(song.CopyBuffer(), kCopyBufferCells, kEmptyCell);
}

void CopyToClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::copy_n(range.cells, range.count, range.store);
}

void CutToClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::copy_n(range.cells, range.count, range.store);
  std::fill_n(range.cells, range.count, kEmptyCell);
}

void PasteFromClip(cSongTables& song, eClip size, const cClipPlace& at) {
  const cClipRange range = RangeOf(song, size, at);
  std::copy_n(range.store, range.count, range.cells);
}
