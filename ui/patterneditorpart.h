#pragma once
// The pattern editor in the main window: it owns the editor (cPatternEditor),
// the pattern and sequence views, the sequence arrows and the "InsRow" and
// "DelRow" buttons, the Edit menu's items, the key filter and the wiring of
// the octave, row-advance and instrument edits and the PatMsk box. It is the
// window the editor asks for transport, pages, status texts and repaints.

#include <QObject>
#include <memory>

#include "editor/editorhost.h"
#include "editor/keys.h"
#include "ui/partservices.h"
#include "ui/songpart.h"

class cPatternEditor;
struct cConfig;
struct cMidiEntryOptions;
struct cEditLocation;
class QToolButton;
class TAppMessage;
class TPatternView;
class TSequenceView;

class TPatternEditorPart : public QObject, public cEditorHost, public TSongPart {
 public:
  // Places its views in the widgets' slots and fills the Edit menu.
  TPatternEditorPart(TPatternServices& window, const TPatternWidgets& widgets, QObject* parent);
  ~TPatternEditorPart() override;

  TPatternView* PatternView() { return patternView; }
  TSequenceView* SequenceView() { return sequenceView; }
  // Null until start-up has built the engine, and again once the window
  // has shut it down.
  cPatternEditor* Editor();
  // The window whose keys the filter hands to the editor, and the label of
  // the last key's code.
  QWidget* Window() const { return widgets.window; }
  QLabel* KeyCodeLabel() const { return widgets.keyCode; }

  // The key filter's way in: true when the key was consumed.
  bool AppMessage(const cKey& key);
  // A key let go.
  void KeyUp(const cKey& key);
  void KeyboardLost();
  // The settings that change what typing does.
  void ApplySettings(const cConfig& config);
  // TB_Rec.
  void ToggleEditMode();
  // The page buttons: 0 the pattern page, 1 the instrument or channel page.
  void SetShownPage(int page);
  // "PatMsk" was switched.
  void SetMaskDisplay(bool on);
  // The pattern view's picture has a new size.
  void PatternResized();
  // The sequence view's picture is new: drawn in full.
  void SequenceResized();
  // Timer1 while the transport plays: the views move to the playing
  // position and row.
  void FollowPlayback(bool followSequence, bool followPattern);

  // The MIDI events waiting for the window: written into the pattern as
  // the options say; a program change shows in the instrument edit.
  void TakeMidiEvents(const cMidiEntryOptions& options);

  // TSongPart.
  void Attach(cTracker& tracker) override;
  void SongChanged(eSongChange reason) override;
  // After an undo or a redo: the cursors where the step was made.
  void GoTo(const cEditLocation& where);

  // cEditorHost.
  void PlayClick() override;
  void ContinueClick() override;
  void PlayPatClick() override;
  void StopClick() override;
  void PanicClick() override;
  void EngineRestart() override;
  void PatternClick() override;
  void ChansClick() override;
  void SynthClick() override;
  void LoadSongFile(const std::string& path) override;
  void SetStatusText(int panel, const std::string& text) override;
  void SystemMessage(const std::string& text) override;
  void ShowEditMode(int editMode) override;
  void ShowEntryFields() override;
  void RepaintPattern() override;
  void RepaintSequence() override;

 private:
  void BuildSequencePanel();
  void BuildEditMenu();
  void ConnectControls();
  QToolButton* SequenceButton(const char* name, const char* tip);

  TPatternServices& window;
  const TPatternWidgets widgets;
  cTracker* tracker = nullptr;
  int shownPage = 0;
  std::unique_ptr<cPatternEditor> editor;
  TPatternView* patternView = nullptr;
  TSequenceView* sequenceView = nullptr;
  TAppMessage* filter = nullptr;
};
