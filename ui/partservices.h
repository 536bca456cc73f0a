#pragma once
// What the main window offers the parts it holds, so that no part includes
// the window: the prompts, the program's folders, the message line and the
// knobs' film strip; and for the pattern editor, the window's commands and
// the controls of the top area it works with. The window implements these
// and wires the parts; tests may stand in for it.

#include <QString>
#include <cstdint>

#include "app/configfile.h"

class QCheckBox;
class QLabel;
class QMenu;
class QPixmap;
class QSpinBox;
class QWidget;
class TPrompts;

class TPartServices {
 public:
  virtual ~TPartServices() = default;
  virtual TPrompts& Prompts() = 0;
  virtual const cPaths& Paths() const = 0;
  // A transient message in the status area.
  virtual void SystemMessage(const QString& text) = 0;
  virtual const QPixmap& KnobStrip() const = 0;
};

// The window's commands the pattern editor's keys and buttons run.
class TPatternServices : public TPartServices {
 public:
  virtual void PlayClick() = 0;
  virtual void ContinueClick() = 0;
  virtual void PlayPatClick() = 0;
  virtual void StopClick() = 0;
  virtual void TB_PanicClick() = 0;
  // False when the musician kept the song.
  virtual bool EngineRestart() = 0;
  virtual void TB_PatternClick() = 0;
  virtual void TB_ChansClick() = 0;
  virtual void TB_SynthClick() = 0;
  virtual bool LoadSongFile(const QString& path) = 0;
  // Panel 0-3 of the status bar.
  virtual void SetStatusText(int panel, const QString& text) = 0;
  // Panel 1's "Edit Mode" or "Play Mode" and the Rec button's state.
  virtual void ShowEditMode() = 0;
};

// The window's pieces the pattern editor fills or follows.
struct TPatternWidgets {
  QWidget* window = nullptr;        // the main window: its keys are the editor's
  QWidget* patternSlot = nullptr;   // the pattern page's view
  QWidget* sequenceSlot = nullptr;  // the sequence view and its buttons
  QLabel* keyHelp = nullptr;        // the key help line under the pattern
  QLabel* keyCode = nullptr;        // the last key's code
  QMenu* editMenu = nullptr;        // cut, copy and paste go here
  QSpinBox* octave = nullptr;
  QSpinBox* rowAdd = nullptr;
  QSpinBox* instrument = nullptr;
  QCheckBox* patternMask = nullptr;  // "PatMsk"
};
