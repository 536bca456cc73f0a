#pragma once
// Cut, copy and paste at three sizes, each with its own store in the song's
// copy buffer so that a pattern, a track and a block can be held at once: a
// whole pattern (all 16 channel slots), a track (one channel's 64 cells) and
// a block (16 cells of one channel from a multiple of 16 rows). The stores
// hold raw cells; the cursor alone decides where they are taken from and
// where they land. Callers hold the engine lock.

#include <cstddef>

#include "song/songtables.h"

enum class eClip { kPattern, kTrack, kBlock };

struct cClipPlace {
  int pattern = 0;
  int channel = 0;
  int row = 0;  // a block is the quarter of the track that holds this row
};

constexpr int kBlockRows = 16;
// Where each store starts in the copy buffer, in cells.
constexpr size_t kPatternClipOffset = 0;
constexpr size_t kTrackClipOffset = kChannels * kRows;         // byte 8192
constexpr size_t kBlockClipOffset = kTrackClipOffset + kRows;  // byte 8704
static_assert(kBlockClipOffset + kBlockRows <= kCopyBufferCells);

// Fills all three stores with empty cells.
void ClearClipStores(cSongTables& song);

void CopyToClip(cSongTables& song, eClip size, const cClipPlace& at);
// A copy, then empty cells over the range taken.
void CutToClip(cSongTables& song, eClip size, const cClipPlace& at);
// The store keeps its contents: one copy pastes many times.
void PasteFromClip(cSongTables& song, eClip size, const cClipPlace& at);
