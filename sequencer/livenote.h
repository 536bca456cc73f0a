#pragma once
// A note played live, outside the song: a piano key's preview or a MIDI
// note. It sounds on a channel as a row would start it: the instrument
// loaded as a row loads an instrument byte, then the note. Engine lock held.

class cGenManager;
class cSongTables;

// noteByte 1-108 (note number + 1), instrument 1-128, volume 0-127 (the
// channel's note volume from now on). Anything out of range sounds nothing.
void StartLiveNote(cSongTables& song, cGenManager& generators, int channel, int instrument,
                   int noteByte, int volume);
// Releases whatever the channel sounds.
void ReleaseLiveNote(cGenManager& generators, int channel);
