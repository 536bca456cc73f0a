#include "sequencer/livenote.h"

#include "engine/genmanager.h"
#include "sequencer/rowprocessor.h"
#include "song/songtables.h"

void StartLiveNote(cSongTables& song, cGenManager& generators, int channel, int instrument,
                   int noteByte, int volume) {
  if (channel < 0 || channel >= kChannels || instrument < 1 || instrument > kInstruments ||
      noteByte < 1 || noteByte > kMaxNoteByte || volume < 0 || volume > 127) {
    return;
  }
  generators.currentChannel = channel;
  LoadChannelInstrument(song, generators, channel, instrument);  // note volume 127
  generators.SetInstrumentNumber(instrument);
  generators.NoteOn(noteByte - 1);
  song.noteVolume[channel] = volume;
}

void ReleaseLiveNote(cGenManager& generators, int channel) {
  if (channel < 0 || channel >= kChannels) return;
  generators.currentChannel = channel;
  generators.ReleaseChannel();
}
