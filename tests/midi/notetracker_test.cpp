#include "midi/notetracker.h"

#include <gtest/gtest.h>

#include <thread>

#include "midi/midimessage.h"
#include "midi/notecases.h"
#include "midi/spscqueue.h"

TEST(MidiDecode, NotesPedalAndProgramsOnEveryChannel) {
  struct Case {
    std::vector<uint8_t> bytes;
    eMidiKind kind;
    int number, value;
  };
  const Case cases[] = {
      {{0x90, 60, 100}, eMidiKind::noteOn, 60, 100},
      {{0x9F, 60, 1}, eMidiKind::noteOn, 60, 1},
      {{0x93, 60, 0}, eMidiKind::noteOff, 60, 0},
      {{0x80, 61, 64}, eMidiKind::noteOff, 61, 0},
      {{0xB2, 64, 64}, eMidiKind::pedal, 0, 1},
      {{0xB0, 64, 63}, eMidiKind::pedal, 0, 0},
      {{0xC5, 9}, eMidiKind::program, 9, 0},
      {{0xB0, 7, 100}, eMidiKind::none, 0, 0},  // channel volume
      {{0xE0, 0, 64}, eMidiKind::none, 0, 0},   // pitch bend
      {{0x90, 60}, eMidiKind::none, 0, 0},      // truncated
      {{0x90, 200, 100}, eMidiKind::none, 0, 0},
      {{0xF8}, eMidiKind::none, 0, 0},
  };
  for (const Case& c : cases) {
    const cMidiEvent e = DecodeMidi(c.bytes.data(), c.bytes.size());
    SCOPED_TRACE(int(c.bytes[0]));
    EXPECT_EQ(e.kind, c.kind);
    if (c.kind == eMidiKind::none) continue;
    EXPECT_EQ(e.number, c.number);
    EXPECT_EQ(e.value, c.value);
  }
  EXPECT_EQ(MidiNoteByte(60), 49);
  EXPECT_EQ(MidiNoteByte(11), 0);
  EXPECT_EQ(MidiNoteByte(120), 0);
}

TEST(MidiNoteTracker, SequencesGiveTheirNotesAndReleases) {
  for (const cNoteCase& c : NoteCases()) {
    SCOPED_TRACE(c.name);
    cMidiNoteTracker notes;
    cRecordingSink sink;
    for (const cMidiStep& step : c.steps)
      notes.Feed(DecodeMidi(step.bytes.data(), step.bytes.size()), step.channel, sink);
    EXPECT_EQ(sink.actions, c.actions);
  }
}

TEST(MidiNoteTracker, StopAllReleasesEveryChannelItStartedAndForgetsThePedal) {
  cMidiNoteTracker notes;
  cRecordingSink sink;
  auto feed = [&](cMidiStep s) {
    notes.Feed(DecodeMidi(s.bytes.data(), s.bytes.size()), s.channel, sink);
  };
  feed(On(60, 100, 0));
  feed(On(62, 100, 7));
  feed(Pedal(true));
  feed(Off(60, 0));
  notes.StopAll(sink);
  feed(Off(62, 7));     // released already: nothing more
  feed(On(64, 10, 2));  // the pedal is up again
  feed(Off(64, 2));
  EXPECT_EQ(sink.actions, (std::vector<std::string>{"start 0 49 100", "start 7 51 100", "release 0",
                                                    "release 7", "start 2 53 10", "release 2"}));
}

TEST(SpscQueue, HandsEverythingOverInOrderAndRefusesWhenFull) {
  cSpscQueue<int, 4> small;
  for (int i = 0; i < 4; ++i) EXPECT_TRUE(small.Push(i));
  EXPECT_FALSE(small.Push(4));
  int v = -1;
  ASSERT_TRUE(small.Pop(v));
  EXPECT_EQ(v, 0);

  static cSpscQueue<int, 64> queue;
  constexpr int kCount = 50000;
  std::thread producer([] {
    for (int i = 0; i < kCount;) {
      if (queue.Push(i)) {
        ++i;
      } else {
        std::this_thread::yield();
      }
    }
  });
  int expected = 0;
  while (expected < kCount) {
    if (queue.Pop(v)) {
      ASSERT_EQ(v, expected);
      ++expected;
    } else {
      std::this_thread::yield();
    }
  }
  producer.join();
  EXPECT_FALSE(queue.Pop(v));
}
