#pragma once
// Edits of one track (a channel's 64 cells in one pattern): inserting and
// deleting a row, and transposing a range of its notes. Callers hold the
// engine lock.

#include "song/songtables.h"

// The cells from row move one down (the last row's cell is lost) and the
// cell at row becomes empty.
void InsertTrackRow(cSongTables& song, int pattern, int channel, int row);
// The cells below row move one up and the last row's cell becomes empty.
void DeleteTrackRow(cSongTables& song, int pattern, int channel, int row);
// Notes 1-108 of rows first .. first + count - 1 move by step semitones,
// held to 1-108; empty cells and releases stay.
void TransposeTrack(cSongTables& song, int pattern, int channel, int first, int count, int step);
