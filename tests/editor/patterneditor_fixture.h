#pragma once
// A controller with a four-channel song, the pattern editor over it, views
// drawing into recording canvases, and test generators on channels 0-3 in
// place of the virtual-analogue ones, so that previews can be heard.

#include <gtest/gtest.h>

#include <memory>
#include <mutex>

#include "app/trackerinside.h"
#include "editor/patterneditor.h"
#include "editorfixture.h"
#include "support/testgenerator.h"

class PatternEditorTest : public ::testing::Test {
 protected:
  PatternEditorTest() : tracker(QuietConfig(4)), editor(tracker, host) {
    host.tracker = &tracker;
    editor.PatternView().SetCanvas(&patternCanvas);
    editor.SequenceView().SetCanvas(&sequenceCanvas);
    editor.StartViews(800, 400);
    for (int c = 0; c < 4; ++c) {
      auto generator = std::make_unique<cTestGenerator>();
      generators[c] = generator.get();
      Inside(tracker).Generators().InstallGenerator(kGenBass, c, std::move(generator));
    }
  }

  bool Press(int vk, int modifiers = 0, int scanCode = 0) {
    return editor.AppMessage(cKey{vk, scanCode, modifiers});
  }
  void SetEditMode(int mode) {
    if (editor.EditMode() != mode) editor.ToggleEditMode();
  }
  // The cursor on a row and a column (channel x 15 + sub-column).
  void Cursor(int row, int column) {
    view().SetRow(row);
    view().cursorColumn = column;
    view().NormaliseColumn();
  }
  uint8_t* Cell(int channel, int row) {
    return Inside(tracker).Song().Cell(view().currentPattern, channel, row);
  }
  cPatternView& view() { return editor.PatternView(); }
  cSongTables& song() { return Inside(tracker).Song(); }
  // Calls that reached channel c's generator, then forgotten.
  std::vector<std::string> Heard(int c = 0) {
    auto calls = generators[c]->calls;
    generators[c]->calls.clear();
    return calls;
  }
  bool HeardNote(int c, int note) {
    for (const auto& call : Heard(c)) {
      if (call == "NoteOn " + std::to_string(note)) return true;
    }
    return false;
  }
  // The player as if it played, without rendering anything.
  void FakePlaying(int playing) {
    std::lock_guard<std::recursive_mutex> lock(Inside(tracker).EngineLock());
    Inside(tracker).Player().playing = playing;
  }

  cRecordingHost host;
  cTracker tracker;
  cRecordingCanvas patternCanvas, sequenceCanvas;
  cPatternEditor editor;
  cTestGenerator* generators[4] = {};
};
