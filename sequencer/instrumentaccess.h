#pragma once
// Reading and writing the instrument table while keeping the generator of
// the channel being edited in step with it. The instrument editor and the
// note entry go through these; the controller takes the engine lock around
// the writers. Block indexes are 0-127; the instrument numbers of the cells
// (GetInsType) are 1-128.

#include <cstdint>

class cGenManager;
class cSongTables;

class cInstrumentAccess {
 public:
  cInstrumentAccess(cSongTables& song, cGenManager& generators)
      : song(song), generators(generators) {}

  // Null for a block outside 0-127.
  int16_t* GetParams(int32_t block);
  // 0 for a block or word outside the table.
  int16_t GetParam(int32_t block, int32_t word) const;

  // Stores the word and hands it to the edited channel's selected generator.
  void SetParam(int32_t channel, int32_t block, int32_t word, int16_t value);
  // Resets the edited channel's three generators, stores the word, filters
  // the block and loads it into the channel's generator, so that the channel
  // plays the edited instrument rather than the defaults Reset reloaded.
  void SetParams(int32_t channel, int32_t block, int32_t word, int16_t value);
  // Word 31 of the block selects the channel's generator, which clamps every
  // word of the block in place.
  void FilterParams(int32_t channel, int16_t* params);
  // Fills the block with the defaults of the generator type in its word 31,
  // which becomes channel 0's type.
  void DefaultParams(int32_t block);

  // Word 31 of block number - 1; -1 for a number outside 1-128.
  int32_t GetInsType(int32_t instrument) const;

 private:
  cSongTables& song;
  cGenManager& generators;
};
