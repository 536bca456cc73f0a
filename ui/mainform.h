#pragma once
// The main window. It owns the controller (cTracker) and adds the window
// side: start-up with its message window, the file commands, the transport
// and page buttons, the three display timers and the status area. The
// views and editor pages are parts (TSongPart) placed in its slots; the
// rules they follow live in editor/.

#include <QMainWindow>
#include <QPixmap>
#include <QString>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

#include "app/config.h"
#include "app/configfile.h"
#include "editor/analyser.h"
#include "editor/statustext.h"
#include "ui/partservices.h"
#include "ui/songpart.h"

class QAction;
class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;
class QStackedWidget;
class QToolBar;
class QVBoxLayout;
class TAutosaveKeeper;
class TExportProgress;
class TFormSystem;
class TInstrumentList;
class TSideSplit;
class TmKnob;
class TPatternEditorPart;
class TPrompts;
class TSongPart;
class TScopeView;
class TSpectrumView;
class TClipMark;
class TThreadedTimer;
class cTracker;
class cSongSettingsEditor;
struct cRenderRequest;

// How the program was started.
struct cStartOptions {
  std::string iniPath;          // empty: the default settings file
  std::string songPath;         // a song or module to open after start-up
  cPaths paths;                 // where songs, presets and the cache live
  bool quickStart = false;      // tests: no pauses for reading the start-up lines
  TPrompts* prompts = nullptr;  // not owned; null: message boxes and dialogs
};

// The pages of the lower area.
enum : int { kPagePattern = 0, kPageSynth = 1, kPageChans = 2 };

class TMainForm : public QMainWindow, public TPatternServices {
  Q_OBJECT

 public:
  explicit TMainForm(const cStartOptions& options);
  ~TMainForm() override;

  // Null until start-up has built it.
  cTracker* Tracker() { return tracker.get(); }
  const cConfig& Config() const { return config; }
  const cPaths& Paths() const override { return paths; }
  TPrompts& Prompts() override { return *prompts; }
  bool Started() const { return started; }
  // Start-up failed or the window has closed.
  bool ShutDown() const { return shutDown; }

  // Runs start-up once, as the first showing of the window does; tests
  // call it without showing the window.
  void FormShow();

  // A transient message in the status area; "Ready..." returns after five
  // status periods.
  void SystemMessage(const QString& text) override;
  void SetStatusText(int panel, const QString& text) override;

  // The file commands, as the menu and the tool buttons run them. Each
  // returns whether the song in memory changed (or, for Save, was saved).
  bool NewSongClick();
  bool LoadSongClick();
  // "Save Song...": the save dialog, then the save.
  bool SaveSongClick();
  // "Save Song": to the song's own file at once, without a dialog; a song
  // without one runs "Save Song...".
  bool SaveInPlaceClick();
  bool ImportModClick();
  // Load without the dialog (the command line, a quick load): asks before
  // discarding unsaved changes, pauses the engine, reports a failure.
  bool LoadSongFile(const QString& path) override;
  bool ImportModFile(const QString& path);
  bool SaveSongFile(const QString& path);
  // Before a command that replaces or closes the song: with unsaved
  // changes, Save (then the command goes on only once it saved), Discard or
  // Cancel. True when the command goes on.
  bool AskDiscard(const QString& title);
  // The song's own file: where it was loaded from whole or saved to; empty
  // for a new, imported or partly read song.
  const QString& SongFile() const { return songFile; }
  // A song recovered from an autosave takes the place of the one in
  // memory: load runs with the engine paused and says whether it did. The
  // song then remembers original (empty: none) as its file.
  bool LoadRecovered(const std::function<bool()>& load, const QString& original);
  TAutosaveKeeper* AutosaveKeeper() { return autosave; }
  // File > Export Audio: the save dialog, the options step, then the
  // progress window of a render on a second engine. Returns whether an
  // export started. ExportAudio starts one without the dialogs.
  bool ExportAudioClick();
  TExportProgress* ExportAudio(const cRenderRequest& request);
  TExportProgress* ExportProgress() { return exportProgress; }

  // Transport.
  void PlayClick() override;
  void StopClick() override;
  void ContinueClick() override;
  void PlayPatClick() override;
  void TB_RecClick();
  void TB_PanicClick() override;
  // Engine restart: the output is closed and opened again on a new song,
  // after asking when the song holds unsaved changes.
  bool EngineRestart() override;

  // Pages.
  void TB_PatternClick() override;
  void TB_SynthClick() override;
  void TB_ChansClick() override;
  int ShownPage() const { return shownPage; }

  // Every part reads the song again and the window's own controls follow it.
  void RedrawAll(eSongChange reason);
  // The Edit menu's Undo and Redo.
  void UndoClick();
  void RedoClick();
  // Edit > Preferences...: the window, then what OK chose applied.
  void PreferencesClick();
  // Applies chosen settings: a new output device stops and starts the
  // output (a failing one leaves the previous playing), a new MIDI input
  // listens; the rate and the latency wait for the next start. The keys
  // that changed are written into the settings file. Returns what the
  // message label then says.
  QString ApplyPreferences(const cConfig& chosen);
  const std::string& IniPath() const { return iniPath; }
  // Shows "Edit Mode" or "Play Mode" and the Rec button's state.
  void ShowEditMode() override;

  // The three timers' handlers.
  void DoTimer1();
  void DoTimer2();
  void DoTimer3();
  TThreadedTimer* Timer(int n);

  const QPixmap& KnobStrip() const override { return knobStrip; }
  // A part that shows the song: attached once the engine exists, told when
  // the song changed as a whole.
  void AddPart(TSongPart* part);

  // The display flags of the three check boxes.
  bool WavGfx() const { return displayFlags[0] != 0; }
  bool PatOn() const { return displayFlags[1] != 0; }
  bool SeqOn() const { return displayFlags[2] != 0; }

  // Controls, for the tests; the parts are handed what they need.
  QLabel* KeyHelpLabel() { return keyHelp; }
  QLabel* KeyCodeLabel() { return label1; }  // the last key's code
  QLabel* StatusPanel(int i) { return panels[i]; }
  QMenu* EditMenu() { return editMenu; }
  QSpinBox* BpmField() { return bpmField; }
  QSpinBox* SpeedField() { return speedField; }
  QSpinBox* OctaveEdit() { return SE_Octave; }
  QSpinBox* RowAddEdit() { return SE_RowAdd; }
  QSpinBox* InstrumentEdit() { return SE_Instr; }
  QComboBox* ChannelBox() { return channelBox; }
  TmKnob* VolumeKnob() { return mKnob1; }
  TmKnob* PanKnob() { return mKnob2; }
  TSpectrumView* SpectrumView() { return spectrumView; }
  TClipMark* ClipMark() { return clipMark; }
  QLabel* MessageLabel() { return panels[2]; }
  QLabel* VoiceLabel() { return voiceLabel; }
  QAction* Action(const char* name);
  QCheckBox* DisplayBox(int tag) { return displayBoxes[tag]; }
  TPatternEditorPart* PatternEditor() { return patternEditor; }
  TInstrumentList* InstrumentList() { return instrumentList; }

 protected:
  void showEvent(QShowEvent* event) override;
  void closeEvent(QCloseEvent* event) override;

 private:
  // Start-up.
  void GetConfigAndProbe(const cStartOptions& options);
  void FormCreate();
  bool SystemStart();
  void FormDestroy();
  void HandleFatal(const std::string& message);

  // The window's pieces.
  void BuildActions();
  void BuildMenus();
  void BuildToolBar();
  QWidget* BuildTopArea();
  QWidget* BuildLowerArea();
  void BuildStatusBar();
  void PlaceWindow();

  // File work.
  void PauseEngine();
  void ResumeEngine();
  void SetCaption(const QString& fileName);
  // The caption with its file name and, while the song has unsaved
  // changes, the "*" in front.
  void ShowCaption();
  void SetSongFile(const QString& path);
  void ForgetFileName();
  bool LoadChosenSong(const QString& path);
  bool ImportChosenMod(const QString& path);
  void Wait(int milliseconds);

  // Controls.
  void DisplayBoxClick(int tag, bool on);
  void ChannelBoxChange(int index);
  void BpmEdited(int value);
  void SpeedEdited(int value);
  void MasterVolumeChange(int value);
  void MasterPanChange(int value);
  void ShowChannelBox();
  void ShowMasterKnobs();
  // The tempo in use while playing (fromPlayer), else the song's.
  void ReadTempo(bool fromPlayer, int32_t& bpm, int32_t& speed);
  void ShowHistory();
  void StepHistory(bool back);
  void ShowTempoFields(int32_t bpm, int32_t speed);
  void ShowPage(int page);
  void RecomputeTimer1();
  void Transport(int32_t command);
  // The MIDI events waiting for the window go into the pattern editor.
  void TakeMidiEvents();

  cConfig config;
  cPaths paths;
  std::string iniPath;
  bool quickStart = false;
  std::unique_ptr<TPrompts> ownPrompts;
  TPrompts* prompts = nullptr;
  QString pendingSong;  // from the command line, opened after start-up
  bool started = false;
  bool starting = false;
  bool shutDown = false;
  bool destroyed = false;      // the output is closed for good
  bool followingSong = false;  // controls take the song's values: no writes back

  std::unique_ptr<cTracker> tracker;
  std::unique_ptr<TFormSystem> formSystem;
  std::unique_ptr<cSpectrum> spectrum;
  std::unique_ptr<cSongSettingsEditor> settings;

  // Parts.
  std::vector<TSongPart*> parts;
  TPatternEditorPart* patternEditor = nullptr;  // follows playback on Timer1
  TScopeView* scopeView = nullptr;              // refreshed on Timer2
  TInstrumentList* instrumentList = nullptr;    // read again after every edit

  // Timers and their state.
  TThreadedTimer* timers[3] = {};
  int32_t displayFlags[3] = {1, 1, 1};  // WavGfx, PatOn, SeqOn
  cMessageCountdown messageCountdown;
  int32_t spectrumCountdown = 2;
  float displayLoad = 0.0f;  // percent
  int shownPage = kPagePattern;

  // File dialogs' starting places.
  QString songFolder, saveName;
  QString songFile;
  QString captionName;  // the file name the caption shows
  TAutosaveKeeper* autosave = nullptr;
  QString exportFolder;                       // the last export's; empty: the song's folder
  TExportProgress* exportProgress = nullptr;  // the running or last export

  // Controls.
  QMenu* fileMenu = nullptr;
  QMenu* editMenu = nullptr;
  QToolBar* toolBar = nullptr;
  QWidget* image1Slot = nullptr;
  QWidget* image2Slot = nullptr;
  QWidget* image3Slot = nullptr;
  QWidget* synthSlot = nullptr;
  QWidget* chansSlot = nullptr;
  QWidget* instrumentSlot = nullptr;
  QWidget* patternPage = nullptr;
  QStackedWidget* lowerPanel = nullptr;
  TSideSplit* lowerSplit = nullptr;  // the pages and the instrument list
  QLabel* keyHelp = nullptr;
  QLabel* label1 = nullptr;
  QLabel* voiceLabel = nullptr;
  QLabel* panels[4] = {};
  QSpinBox* bpmField = nullptr;
  QSpinBox* speedField = nullptr;
  QSpinBox* SE_Octave = nullptr;
  QSpinBox* SE_RowAdd = nullptr;
  QSpinBox* SE_Instr = nullptr;
  QComboBox* channelBox = nullptr;
  QCheckBox* displayBoxes[3] = {};
  QCheckBox* patMsk = nullptr;
  TmKnob* mKnob1 = nullptr;  // master volume
  TmKnob* mKnob2 = nullptr;  // master pan
  TSpectrumView* spectrumView = nullptr;
  TClipMark* clipMark = nullptr;
  QPixmap knobStrip;
};
