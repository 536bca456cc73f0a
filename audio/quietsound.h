#pragma once
// The sound libraries (ALSA, JACK, RtAudio, RtMidi) print every failed
// probe to stderr ("ALSA lib confmisc.c: cannot find card '0'", "Cannot
// connect to server socket", "MidiInJack::initialize: JACK server not
// running?"). A machine without a sound system is no error here: the
// callers say so themselves, in one line.

// Sends ALSA's and JACK's own error printing nowhere, once per process.
// The libraries are looked up at run time: neither header is needed, and a
// library that is absent is simply not asked.
void QuietSoundLibraries();

// While one lives, std::cerr writes into nothing (RtAudio and RtMidi write
// some of their warnings there directly). The threads that open devices and
// watch MIDI ports may each hold one: the first mutes, the last unmutes. A
// message that any thread writes meanwhile is lost with them.
class cMutedCerr {
 public:
  cMutedCerr();
  ~cMutedCerr();
  cMutedCerr(const cMutedCerr&) = delete;
  cMutedCerr& operator=(const cMutedCerr&) = delete;
};
