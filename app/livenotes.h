#pragma once
// MIDI notes on their way from the MIDI threads to the engine and to the
// window. Each source pushes into queues of its own, without a lock; the
// audio thread drains them at the start of its next block and sounds the
// notes on the cursor's channel with the current instrument, as a piano
// key's preview does; the window thread takes the same events to write
// them into the pattern.

#include <atomic>
#include <cstdint>
#include <functional>

#include "midi/midiinput.h"
#include "midi/notetracker.h"
#include "midi/spscqueue.h"

class cGenManager;
class cSongTables;

// The instrument a MIDI program change chose, on the audio thread, until the
// song's current instrument moves away from what it was then (the window has
// taken the change, or the musician chose another).
class cProgramChoice {
 public:
  int Instrument(int songInstrument) const { return chosen != 0 ? chosen : songInstrument; }
  void Select(int instrument, int songInstrument) {
    chosen = instrument;
    songWhenChosen = songInstrument;
  }
  void Follow(int songInstrument) {
    if (songInstrument != songWhenChosen) chosen = 0;
  }

 private:
  int chosen = 0;
  int songWhenChosen = 0;
};

class cLiveNotes : public cMidiReceiver {
 public:
  // Events a source may have waiting before more are dropped: far more
  // than a player's hands make in one block.
  static constexpr size_t kQueueLength = 256;

  // Set before any source opens: the window then gets every event too, and
  // is called on the MIDI thread after each one, so that it looks at once
  // rather than at its next timer. Without it only the engine hears them.
  void SetWindowNotify(std::function<void()> notify) { windowNotify = std::move(notify); }

  // MIDI threads
  void Receive(int source, const cMidiEvent& event) override;
  // Any thread: every note a MIDI event started stops in the next block.
  void SourcesClosed() override;

  // Audio thread, engine lock held, before the block renders: sounds what
  // arrived on channel (the cursor's), then stops all when asked to.
  void StartBlock(cSongTables& song, cGenManager& generators, int channel);

  // Window thread: the next event to write, in arrival order per source.
  bool NextForWindow(cMidiEvent& event);

  // Events dropped because a queue was full.
  uint64_t Dropped() const { return dropped.load(std::memory_order_relaxed); }

 private:
  cSpscQueue<cMidiEvent, kQueueLength> toEngine[kMidiSources];
  cSpscQueue<cMidiEvent, kQueueLength> toWindow[kMidiSources];
  std::function<void()> windowNotify;
  std::atomic<uint64_t> dropped{0};
  std::atomic<uint32_t> stopRequests{0};
  uint32_t stopsDone = 0;  // audio thread
  cMidiNoteTracker notes;  // audio thread
  cProgramChoice program;  // audio thread
};
