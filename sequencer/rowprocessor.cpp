#include "sequencer/rowprocessor.h"

#include <algorithm>
#include <cstring>

#include "engine/genmanager.h"
#include "fx/fxchains.h"
#include "song/songtables.h"

namespace {

constexpr uint8_t kEmptyByte = 0xFF;  // volume and pan: nothing to do

}  // namespace

void RestartChannelEffects(cFxChains& effects, int channel) {
  for (int slot = 0; slot < kFxSlots; ++slot) {
    if (cEffect* fx = effects.Object(slot, channel)) fx->rowFlag = 0;
  }
}

void LoadChannelInstrument(cSongTables& song, cGenManager& generators, int channel,
                           int instrument) {
  const int16_t* block = song.Instrument(instrument - 1);
  generators.SelectGenerator(block[kParamGenType]);
  generators.LoadInstrument(block);
  song.noteVolume[channel & 15] = 127;
}

void cRowProcessor::InterpretRow(const cRowPlace& place, cRowSequencer& sequencer) {
  // A row outside the pattern is never read: a view may leave -1 behind so
  // that the next row advance lands on row 0.
  if (place.row < 0 || place.row >= kRows) return;
  breakCount = 0;
  const int channels = kChannelCountRange.Clamp(song.channelCount);
  for (int c = 0; c < channels; ++c) InterpretChannel(place, sequencer, c);
  // Every channel has read the row it started with; only now may the
  // position move.
  for (int b = 0; b < breakCount; ++b) sequencer.PatternBreak(breakRows[b]);
}

void cRowProcessor::InterpretChannel(const cRowPlace& place, cRowSequencer& sequencer, int c) {
  const int mode = int((place.modeWord >> (2 * c)) & 3);
  if (mode == kModeSkip) return;
  if (mode == kModeRelease || mode == kModeCut) {
    generators.currentChannel = c;
    if (mode == kModeRelease) {
      generators.ReleaseChannel();
    } else {
      generators.CutChannel();
    }
    return;
  }

  RestartChannelEffects(effects, c);
  generators.currentChannel = c;

  // The cell is read once; everything below uses the copy.
  uint8_t cell[kCellBytes];
  std::memcpy(cell, song.Cell(place.pattern, c, place.row), kCellBytes);
  const uint8_t note = cell[0];
  uint8_t instrument = cell[1];
  const uint8_t volume = cell[2], pan = cell[3];
  const uint8_t command1 = cell[4], parameter1 = cell[5];
  const uint8_t command2 = cell[6], parameter2 = cell[7];

  SequencerCommand(sequencer, command1, parameter1);
  SequencerCommand(sequencer, command2, parameter2);

  // An instrument byte above 128 comes only from a damaged file: no
  // instrument.
  if (instrument > kInstruments) instrument = 0;
  if (instrument != 0) LoadChannelInstrument(song, generators, c, instrument);
  generators.SetInstrumentNumber(instrument);

  generators.SetCommand(0, command1 * 256 + parameter1);
  generators.SetCommand(1, command2 * 256 + parameter2);

  if (note == kNoteRelease) {
    generators.ReleaseChannel();
  } else if (note >= 1 && note <= kMaxNoteByte) {
    generators.NoteOn(note - 1);
  }  // 0 is no note; 110-255 only come from damaged files

  if (volume != kEmptyByte) {
    int32_t v = song.noteVolume[c];
    if ((volume >> 4) == 0x8) {
      v += volume & 15;
    } else if ((volume >> 4) == 0x9) {
      v -= volume & 15;
    } else {
      v = volume;
    }
    song.noteVolume[c] = std::clamp(v, 0, 127);
  }

  if (pan != kEmptyByte) {
    if (pan <= 127) {
      generators.SetPan(pan);
    } else if ((pan >> 4) == 0x8) {
      generators.PanSlide(pan & 15);
    } else if ((pan >> 4) == 0x9) {
      generators.PanSlide(-(pan & 15));
    }
  }

  SlotCommand(c, command1, parameter1);
  SlotCommand(c, command2, parameter2);
}

void cRowProcessor::SequencerCommand(cRowSequencer& sequencer, uint8_t command, uint8_t parameter) {
  if (command == kCmdPatternBreak) {
    if (breakCount < kMaxBreaks) breakRows[breakCount++] = parameter;
  } else if (command == kCmdSpeedTempo) {
    if (parameter <= 31) {
      sequencer.SetSpeed(parameter);
    } else {
      sequencer.SetBPM(parameter);
    }
  }
}

// Commands 0xA0-0xDF address slots 1-4 of the channel's own chain.
void cRowProcessor::SlotCommand(int channel, uint8_t command, uint8_t parameter) {
  const int high = command >> 4;
  if (high < 0xA || high > 0xD) return;
  if (cEffect* fx = effects.Object(high - 0xA, channel)) fx->Command(command * 256 + parameter, 0);
}
