// MIDI notes from the input's queues to the generators, in the engine's
// next block.

#include "app/livenotes.h"

#include <gtest/gtest.h>

#include "sequencer/fixture.h"

namespace {

// Each event arrives after the one made before it.
cMidiEvent Event(std::vector<uint8_t> bytes) {
  static int64_t arrival = 0;
  cMidiEvent e = DecodeMidi(bytes.data(), bytes.size());
  e.arrivalNs = ++arrival;
  return e;
}

struct LiveNotes : SequencerFixture {
  std::vector<std::string> NoteCalls(int channel) {
    std::vector<std::string> out;
    for (const auto& c : gen[channel][kGenBass]->calls) {
      if (c.rfind("NoteO", 0) == 0 || c.rfind("SetInstrumentNumber", 0) == 0) out.push_back(c);
    }
    gen[channel][kGenBass]->calls.clear();
    return out;
  }
  void Block() { t.RenderCallback(0); }
};

}  // namespace

TEST_F(LiveNotes, SoundOnTheCursorsChannelInTheNextBlockWithTheCurrentInstrument) {
  t.SetEditedChannel(2);
  t.SetInstrument(5);
  ClearCalls();
  t.LiveNotes().Receive(0, Event({0x90, 60, 100}));
  EXPECT_TRUE(NoteCalls(2).empty());  // nothing before the engine's block
  Block();
  EXPECT_EQ(NoteCalls(2), (std::vector<std::string>{"SetInstrumentNumber 5", "NoteOn 48"}));
  EXPECT_EQ(Song().noteVolume[2], 100);

  // A program change takes effect for the notes after it in the same block;
  // events from two sources count in the order they arrived.
  t.LiveNotes().Receive(1, Event({0xC0, 9}));
  t.LiveNotes().Receive(1, Event({0x90, 62, 30}));
  t.LiveNotes().Receive(0, Event({0x80, 60, 0}));  // no longer the last started: no release
  Block();
  EXPECT_EQ(NoteCalls(2), (std::vector<std::string>{"SetInstrumentNumber 10", "NoteOn 50"}));
  EXPECT_EQ(Song().noteVolume[2], 30);

  t.LiveNotes().Receive(1, Event({0x80, 62, 0}));
  Block();
  EXPECT_EQ(NoteCalls(2), std::vector<std::string>{"NoteOff"});
}

// The audio thread leaves the song's current instrument to the window, which
// reads it unlocked; the program change holds for MIDI notes until the
// window takes it or the musician chooses another instrument.
TEST_F(LiveNotes, AProgramChangeHoldsUntilTheCurrentInstrumentMoves) {
  t.SetInstrument(5);
  auto noteWith = [&](int expected) {
    t.LiveNotes().Receive(0, Event({0x90, 60, 100}));
    Block();
    EXPECT_EQ(NoteCalls(0).front(), "SetInstrumentNumber " + std::to_string(expected));
  };
  t.LiveNotes().Receive(0, Event({0xC0, 9}));
  noteWith(10);
  EXPECT_EQ(Song().currentInstrument, 5);
  noteWith(10);
  t.SetInstrument(10);  // the window takes the event
  noteWith(10);
  t.SetInstrument(5);  // the musician goes back
  noteWith(5);
}

TEST_F(LiveNotes, ClosedSourcesStopEveryNoteTheyStarted) {
  t.SetEditedChannel(3);
  t.LiveNotes().Receive(0, Event({0x90, 60, 100}));
  t.LiveNotes().Receive(0, Event({0xB0, 64, 127}));  // pedal down
  Block();
  t.SetEditedChannel(1);
  t.LiveNotes().Receive(0, Event({0x90, 72, 100}));
  ClearCalls();
  t.LiveNotes().SourcesClosed();
  Block();
  EXPECT_EQ(NoteCalls(3), std::vector<std::string>{"NoteOff"});
  EXPECT_EQ(NoteCalls(1),
            (std::vector<std::string>{"SetInstrumentNumber 1", "NoteOn 60", "NoteOff"}));
  Block();  // stopped once
  EXPECT_TRUE(NoteCalls(3).empty());
}

TEST_F(LiveNotes, TheWindowGetsEveryEventOnlyOnceItAsks) {
  cMidiEvent e;
  t.LiveNotes().Receive(0, Event({0x90, 60, 100}));
  EXPECT_FALSE(t.LiveNotes().NextForWindow(e));
  int notified = 0;
  t.LiveNotes().SetWindowNotify([&] { ++notified; });
  t.LiveNotes().Receive(3, Event({0x90, 61, 100}));
  ASSERT_TRUE(t.LiveNotes().NextForWindow(e));
  EXPECT_EQ(e.number, 61);
  EXPECT_EQ(notified, 1);
  EXPECT_FALSE(t.LiveNotes().NextForWindow(e));
}
