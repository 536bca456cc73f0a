#include "app/livenotes.h"

#include "sequencer/livenote.h"
#include "song/songtables.h"

namespace {

// What the note tracker decides, done to the engine. A program change is the
// engine's own until the window makes it the song's current instrument: the
// audio thread never writes the song, which the window reads unlocked.
class cEngineNotes : public cMidiNoteSink {
 public:
  cEngineNotes(cSongTables& song, cGenManager& generators, cProgramChoice& program)
      : song(song), generators(generators), program(program) {}

  void StartNote(int channel, int noteByte, int volume) override {
    StartLiveNote(song, generators, channel, program.Instrument(song.currentInstrument), noteByte,
                  volume);
  }
  void ReleaseNote(int channel) override { ReleaseLiveNote(generators, channel); }
  // The notes that follow in this block already take it; the window shows
  // it when it takes the same event.
  void SelectInstrument(int instrument) override {
    program.Select(instrument, song.currentInstrument);
  }

 private:
  cSongTables& song;
  cGenManager& generators;
  cProgramChoice& program;
};

}  // namespace

void cLiveNotes::Receive(int source, const cMidiEvent& event) {
  if (source < 0 || source >= kMidiSources) return;
  if (!toEngine[source].Push(event)) dropped.fetch_add(1, std::memory_order_relaxed);
  if (!windowNotify) return;
  if (!toWindow[source].Push(event)) dropped.fetch_add(1, std::memory_order_relaxed);
  windowNotify();
}

void cLiveNotes::SourcesClosed() { stopRequests.fetch_add(1, std::memory_order_release); }

void cLiveNotes::StartBlock(cSongTables& song, cGenManager& generators, int channel) {
  program.Follow(song.currentInstrument);
  cEngineNotes engine(song, generators, program);
  // In the order the events arrived, whichever source they came from: a
  // note-off from one keyboard and a note-on from another may meet on one
  // channel.
  for (;;) {
    cSpscQueue<cMidiEvent, kQueueLength>* first = nullptr;
    int64_t firstNs = 0;
    for (auto& queue : toEngine) {
      const cMidiEvent* next = queue.Peek();
      if (next != nullptr && (first == nullptr || next->arrivalNs < firstNs)) {
        first = &queue;
        firstNs = next->arrivalNs;
      }
    }
    cMidiEvent event;
    if (first == nullptr || !first->Pop(event)) break;
    notes.Feed(event, channel, engine);
  }
  const uint32_t stops = stopRequests.load(std::memory_order_acquire);
  if (stops != stopsDone) {
    stopsDone = stops;
    notes.StopAll(engine);
  }
}

bool cLiveNotes::NextForWindow(cMidiEvent& event) {
  for (auto& queue : toWindow) {
    if (queue.Pop(event)) return true;
  }
  return false;
}
