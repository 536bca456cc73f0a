#pragma once
// The row processor: on tick 0 of a row it turns each channel's cell into
// generator-manager calls, note-volume changes, sequencer commands (speed,
// tempo, pattern break) and commands for the channel's effect slots.
// Audio thread only, engine lock held.

#include <cstdint>

class cGenManager;
class cFxChains;
class cSongTables;
class cPlayer;

// Sequencer commands of the effect columns.
constexpr uint8_t kCmdPatternBreak = 0x0D;
constexpr uint8_t kCmdSpeedTempo = 0x0F;  // 0-31 speed, 32-255 tempo

class cRowProcessor {
 public:
  cRowProcessor(cSongTables& song, cGenManager& generators, cFxChains& effects)
      : song(song), generators(generators), effects(effects) {}

  // Interprets the player's current row for channels 0 to count - 1 in
  // ascending order, then carries out the row's pattern breaks in the order
  // they were met.
  void InterpretRow(cPlayer& player);

 private:
  void InterpretChannel(cPlayer& player, int channel);
  void SequencerCommand(cPlayer& player, uint8_t command, uint8_t parameter);
  void SlotCommand(int channel, uint8_t command, uint8_t parameter);

  cSongTables& song;
  cGenManager& generators;
  cFxChains& effects;

  // Two command columns on each of 16 channels.
  static constexpr int kMaxBreaks = 32;
  int32_t breakRows[kMaxBreaks] = {};
  int breakCount = 0;
};
