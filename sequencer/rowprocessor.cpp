#include "sequencer/rowprocessor.h"

#include <algorithm>

#include "engine/genmanager.h"
#include "fx/fxchains.h"
#include "song/songtables.h"

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
  const cCell cell = song.Cell(place.pattern, c, place.row);

  SequencerCommand(sequencer, cell.command1, cell.parameter1);
  SequencerCommand(sequencer, cell.command2, cell.parameter2);

  // An instrument byte above 128 comes only from a damaged file: no
  // instrument.
  const uint8_t instrument = cell.instrument <= kInstruments ? cell.instrument : 0;
  if (instrument != 0) LoadChannelInstrument(song, generators, c, instrument);
  generators.SetInstrumentNumber(instrument);

  generators.SetCommand(0, cell.Effect1());
  generators.SetCommand(1, cell.Effect2());

  if (cell.note == kNoteRelease) {
    generators.ReleaseChannel();
  } else if (cell.note >= 1 && cell.note <= kMaxNoteByte) {
    generators.NoteOn(cell.note - 1);
  }  // 0 is no note; 110-255 only come from damaged files

  if (cell.volume != kNoChange) {
    int32_t v = song.noteVolume[c];
    if ((cell.volume >> 4) == 0x8) {
      v += cell.volume & 15;
    } else if ((cell.volume >> 4) == 0x9) {
      v -= cell.volume & 15;
    } else {
      v = cell.volume;
    }
    song.noteVolume[c] = std::clamp(v, 0, 127);
  }

  if (cell.pan != kNoChange) {
    if (cell.pan <= 127) {
      generators.SetPan(cell.pan);
    } else if ((cell.pan >> 4) == 0x8) {
      generators.PanSlide(cell.pan & 15);
    } else if ((cell.pan >> 4) == 0x9) {
      generators.PanSlide(-(cell.pan & 15));
    }
  }

  SlotCommand(c, cell.command1, cell.parameter1);
  SlotCommand(c, cell.command2, cell.parameter2);
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
