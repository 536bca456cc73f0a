#pragma once
// The row processor: on tick 0 of a row it turns each channel's cell into
// generator-manager calls, note-volume changes, sequencer commands (speed,
// tempo, pattern break) and commands for the channel's effect slots.
// Audio thread only, engine lock held.

#include <cstdint>

class cGenManager;
class cFxChains;
class cSongTables;

// Sequencer commands of the effect columns.
constexpr uint8_t kCmdPatternBreak = 0x0D;
constexpr uint8_t kCmdSpeedTempo = 0x0F;  // 0-31 speed, 32-255 tempo

// Where the row to interpret lies.
struct cRowPlace {
  int32_t pattern;
  int32_t row;        // 0-63; any other row is not read
  uint32_t modeWord;  // two bits per channel: skip, play, release, cut
};

// What a row's sequencer commands reach: the player.
class cRowSequencer {
 public:
  virtual ~cRowSequencer() = default;
  virtual void SetSpeed(int32_t speed) = 0;
  virtual void SetBPM(int32_t bpm) = 0;
  // Called after the row's last channel, once for each break in the order
  // they were met: the next position (unless the pattern loops), at row r & 63.
  virtual void PatternBreak(int32_t row) = 0;
};

// What a row does to a channel before its note, also done when a note is
// typed or previewed in the editor. Engine lock held.
// The channel's effects start afresh: each slot's row flag is cleared.
void RestartChannelEffects(cFxChains& effects, int channel);
// An instrument (1-128) takes the generator the channel's current one is
// (generators.currentChannel): its kind and parameters, and the note volume
// starts at 127.
void LoadChannelInstrument(cSongTables& song, cGenManager& generators, int channel, int instrument);

class cRowProcessor {
 public:
  cRowProcessor(cSongTables& song, cGenManager& generators, cFxChains& effects)
      : song(song), generators(generators), effects(effects) {}

  // Interprets the row for channels 0 to count - 1 in ascending order, then
  // carries out the row's pattern breaks in the order they were met.
  void InterpretRow(const cRowPlace& place, cRowSequencer& sequencer);

 private:
  void InterpretChannel(const cRowPlace& place, cRowSequencer& sequencer, int channel);
  void SequencerCommand(cRowSequencer& sequencer, uint8_t command, uint8_t parameter);
  void SlotCommand(int channel, uint8_t command, uint8_t parameter);

  cSongTables& song;
  cGenManager& generators;
  cFxChains& effects;

  // Two command columns on each of 16 channels.
  static constexpr int kMaxBreaks = 32;
  int32_t breakRows[kMaxBreaks] = {};
  int breakCount = 0;
};
