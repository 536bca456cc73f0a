// MIDI notes written into the pattern: sequences of events to the cells
// they write, and the same through a real RtMidi keyboard on a JACK server.

#include <RtMidi.h>

#include <atomic>
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "editor/patterntext.h"
#include "midi/midimessage.h"
#include "patterneditor_fixture.h"
#include "support/jackkeyboards.h"
#include "support/jackserver.h"

namespace {

using cBytes = std::vector<unsigned char>;
cBytes On(int note, int velocity) { return {0x90, uint8_t(note), uint8_t(velocity)}; }
cBytes Off(int note) { return {0x80, uint8_t(note), 0}; }
cBytes Pedal(bool down) { return {0xB0, 64, uint8_t(down ? 127 : 0)}; }
cBytes Program(int p) { return {0xC0, uint8_t(p)}; }

cMidiEvent Event(const cBytes& bytes) { return DecodeMidi(bytes.data(), bytes.size()); }

// A cell as text: "C-4 05 64" (note, instrument, volume in hex; "--" empty).
std::string CellText(const cCell& cell) {
  char name[3];
  NoteName(cell.note, name);
  char text[16];
  std::snprintf(text, sizeof text, "%.3s %02X ", name, cell.instrument);
  std::string out = text;
  if (cell.volume == kNoChange) return out + "--";
  std::snprintf(text, sizeof text, "%02X", cell.volume);
  return out + text;
}

}  // namespace

class MidiEntryTest : public PatternEditorTest {
 protected:
  void Clear() {
    for (int c = 0; c < 4; ++c)
      for (int r = 0; r < kRows; ++r) Cell(c, r) = kEmptyCell;
  }
  std::string Row(int channel, int row) { return CellText(Cell(channel, row)); }
};

TEST_F(MidiEntryTest, EventSequencesWriteTheCellsAKeyWould) {
  struct Case {
    const char* name;
    std::vector<cBytes> events;
    cMidiEntryOptions options;
    int editMode, rowAdd, subColumn;
    std::vector<std::string> rows;  // channel 1, rows 4 to 4 + size - 1
    int cursorAfter;
    int steps;  // undo steps made
  };
  const std::string empty = "... 00 --";
  const cMidiEntryOptions plain, velocity{true, false}, offs{false, true}, both{true, true};
  const Case cases[] = {
      {"middle C is C-4 with the current instrument",
       {On(60, 100), Off(60)},
       plain,
       1,
       1,
       0,
       {"C-4 05 --", empty},
       5,
       1},
      {"velocity into the volume column", {On(62, 100)}, velocity, 1, 1, 0, {"D-4 05 64"}, 5, 1},
      {"velocity 0 is a note-off: off written where the cursor then is",
       {On(60, 90), {0x90, 60, 0}},
       offs,
       1,
       1,
       0,
       {"C-4 05 --", "off 00 --"},
       6,
       2},
      {"a note-off that releases nothing writes nothing",
       {On(60, 90), On(64, 80), Off(60), Off(64)},
       both,
       1,
       2,
       0,
       {"C-4 05 5A", empty, "E-4 05 50", empty, "off 00 --"},
       10,
       3},
      {"the pedal holds the off until it is released",
       {Pedal(true), On(60, 90), Off(60), Pedal(false)},
       offs,
       1,
       1,
       0,
       {"C-4 05 --", "off 00 --"},
       6,
       2},
      {"play mode writes nothing", {On(60, 90), Off(60)}, both, 0, 1, 0, {empty}, 4, 0},
      {"outside 12-119 nothing", {On(11, 90), On(120, 90)}, both, 1, 1, 0, {empty}, 4, 0},
      {"any sub-column: the note column, and the column stays",
       {On(48, 70)},
       plain,
       1,
       3,
       9,
       {"C-3 05 --"},
       7,
       1},
      {"a row advance of 0 overwrites in place",
       {On(60, 70), On(61, 70)},
       plain,
       1,
       0,
       0,
       {"C#4 05 --"},
       4,
       2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Clear();
    tracker.Edits().Clear();
    editor.ForgetMidiNotes();
    SetEditMode(c.editMode);
    editor.SetInstrument(5);
    editor.SetRowAdd(c.rowAdd);
    Cursor(4, 15 + c.subColumn);
    for (const cBytes& bytes : c.events) editor.MidiEvent(Event(bytes), c.options);
    for (size_t i = 0; i < c.rows.size(); ++i)
      EXPECT_EQ(Row(1, 4 + int(i)), c.rows[i]) << "row " << 4 + i;
    EXPECT_EQ(view().cursorRow, c.cursorAfter);
    EXPECT_EQ(view().cursorColumn, 15 + c.subColumn);
    int steps = 0;
    while (tracker.Edits().Undo()) ++steps;
    EXPECT_EQ(steps, c.steps);
    EXPECT_EQ(Row(1, 4), empty);  // each undone
  }
}

TEST_F(MidiEntryTest, AProgramChangeSelectsTheNextInstrumentInAnyMode) {
  for (int mode : {0, 1}) {
    SetEditMode(mode);
    editor.SetInstrument(1);
    EXPECT_TRUE(editor.MidiEvent(Event(Program(6)), {}));
    EXPECT_EQ(tracker.Song().currentInstrument, 7);
    EXPECT_FALSE(editor.MidiEvent(Event(Program(127)), {}));  // 128 cannot be current
    EXPECT_EQ(tracker.Song().currentInstrument, 7);
  }
}

TEST_F(MidiEntryTest, WhilePlayingTheNoteLandsOnThePlayingRowAndTheCursorStays) {
  Clear();
  SetEditMode(1);
  editor.SetInstrument(2);
  Cursor(3, 0);
  FakePlaying(1);
  {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    Inside(tracker).Player().row = 21;  // the display timer has not shown it yet
  }
  editor.MidiEvent(Event(On(72, 100)), {});
  FakePlaying(0);
  EXPECT_EQ(Row(0, 21), "C-5 02 --");
  EXPECT_EQ(Row(0, 3), "... 00 --");
  EXPECT_EQ(view().cursorRow, 21);
}

// A keyboard on a JACK server, the program's MIDI input, and the window's
// side as the main window drives it: woken by the notify, writing each event.
TEST_F(MidiEntryTest, ARealKeyboardOnJackWritesMiddleCs) {
  cJackKeyboards keyboards;  // ends after the server
  cJackServer server;
  SKIP_WITHOUT_JACK(server);
  std::atomic<int> wakes{0};
  tracker.LiveNotes().SetWindowNotify([&] { wakes.fetch_add(1); });
  RtMidiOut& keys = keyboards.Open("Keys");
  ASSERT_EQ(tracker.OpenMidiInput("Keys:out"), "");
  Clear();
  SetEditMode(1);
  editor.SetInstrument(3);
  Cursor(0, 0);

  auto send = [&](const cBytes& bytes) {
    cBytes copy = bytes;
    keys.sendMessage(&copy);
  };
  // The connection takes effect at a later cycle: a note-off for a key
  // nobody holds changes nothing, and says when messages arrive.
  cMidiEvent event;
  const auto end = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!tracker.LiveNotes().NextForWindow(event)) {
    ASSERT_LT(std::chrono::steady_clock::now(), end) << "the keyboard's messages never arrived";
    send(Off(0));
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  while (tracker.LiveNotes().NextForWindow(event)) {
  }

  const int before = wakes.load();
  for (int i = 0; i < 3; ++i) {
    send(On(60, 100));
    send(Off(60));
  }
  int taken = 0;
  while (taken < 6 && std::chrono::steady_clock::now() < end + std::chrono::seconds(5)) {
    while (tracker.LiveNotes().NextForWindow(event)) {
      editor.MidiEvent(event, {true, true});
      ++taken;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  ASSERT_EQ(taken, 6);
  EXPECT_GE(wakes.load() - before, 6);
  for (int row = 0; row < 6; row += 2) {
    EXPECT_EQ(Row(0, row), "C-4 03 64") << row;
    EXPECT_EQ(Row(0, row + 1), "off 00 --") << row + 1;
  }
  EXPECT_EQ(tracker.OpenMidiInput("none"), "");
  keyboards.CloseAll();
}
