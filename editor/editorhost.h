#pragma once
// What the pattern editor asks of the window it lives in: the tool buttons'
// actions, the status texts and repainting the two views. The window's
// pattern-editor part (TPatternEditorPart) implements it; tests record the
// calls.

#include <string>

class cEditorHost {
 public:
  virtual ~cEditorHost() = default;

  // Transport, as the tool buttons do it (the window starts and stops the
  // display timer around the engine's transport).
  virtual void PlayClick() = 0;
  virtual void ContinueClick() = 0;
  virtual void PlayPatClick() = 0;
  virtual void StopClick() = 0;
  virtual void PanicClick() = 0;
  // The audio engine closed and started again.
  virtual void EngineRestart() = 0;

  // Page buttons; each tells the editor the page it shows (SetShownPage).
  virtual void PatternClick() = 0;
  virtual void ChansClick() = 0;
  virtual void SynthClick() = 0;

  // Loads a song through the window's load flow, which asks before unsaved
  // changes are discarded. The path is relative to the data folder.
  virtual void LoadSongFile(const std::string& path) = 0;

  // Status-bar panel 0 (cursor help, channel) and the edit-mode display:
  // panel 1's "Edit Mode" or "Play Mode" and the Rec button's state.
  virtual void SetStatusText(int panel, const std::string& text) = 0;
  // A message in the message label (panel 2), which returns to "Ready..."
  // after a while in the window.
  virtual void SystemMessage(const std::string& text) { SetStatusText(2, text); }
  virtual void ShowEditMode(int editMode) = 0;

  // The octave or the current instrument changed by a key: the window's
  // fields show the song's values.
  virtual void ShowEntryFields() {}

  // The views' canvases changed: show them.
  virtual void RepaintPattern() = 0;
  virtual void RepaintSequence() = 0;
};
