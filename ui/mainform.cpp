// The main window: construction, start-up, shutdown and the window's own
// controls. The file commands are in mainform_files.cpp, the timers and the
// status area in mainform_timers.cpp, the transport and pages in
// mainform_transport.cpp.

#include "ui/mainform.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QMenuBar>
#include <QScreen>
#include <QSpinBox>
#include <QStackedWidget>
#include <QStatusBar>
#include <QThread>
#include <QToolBar>
#include <QToolButton>
#include <QVBoxLayout>
#include <thread>

#include "app/startupchecks.h"
#include "app/tracker.h"
#include "app/version.h"
#include "editor/channelbox.h"
#include "editor/songsettings.h"
#include "song/songtables.h"
#include "ui/analyserview.h"
#include "ui/autosavekeeper.h"
#include "ui/formcommands.h"
#include "ui/clipmark.h"
#include "ui/formsystem.h"
#include "ui/framechans.h"
#include "ui/framesynth.h"
#include "ui/instrumentlist.h"
#include "ui/knob.h"
#include "ui/patterneditorpart.h"
#include "ui/patternview.h"
#include "ui/prompts.h"
#include "ui/scope.h"
#include "ui/sequenceview.h"
#include "ui/sidesplit.h"
#include "ui/songpart.h"
#include "ui/stepcloser.h"
#include "ui/threadedtimer.h"

namespace {

// Start-up lines go to the message window, with the pauses that let a
// reader follow them.
class cWindowReport : public cStartupReport {
 public:
  cWindowReport(TFormSystem& form, bool pauses) : form(form), pauses(pauses) {}
  void ShowLine(int line, const std::string& text) override {
    form.SetLine(line, QString::fromStdString(text));
  }
  void Pause(int milliseconds) override {
    if (pauses) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
  }

 private:
  TFormSystem& form;
  bool pauses;
};

QLabel* SunkenLabel(const QString& text, QWidget* parent) {
  auto* label = new QLabel(text, parent);
  label->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  label->setMargin(2);
  return label;
}

// A slot holds one part and lets it grow.
QWidget* Slot(QWidget* parent, const char* name) {
  auto* slot = new QWidget(parent);
  slot->setObjectName(name);
  auto* layout = new QVBoxLayout(slot);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->setSpacing(0);
  return slot;
}

}  // namespace

TMainForm::TMainForm(const cStartOptions& options) {
  quickStart = options.quickStart;
  prompts = options.prompts;
  if (prompts == nullptr) {
    ownPrompts = std::make_unique<TQtPrompts>();
    prompts = ownPrompts.get();
  }
  paths = options.paths;
  pendingSong = QString::fromStdString(options.songPath);
  GetConfigAndProbe(options);
  FormCreate();
}

// Construction: the settings, a probe of the sound device, the priorities.
void TMainForm::GetConfigAndProbe(const cStartOptions& options) {
  iniPath = options.iniPath.empty() ? paths.ini : options.iniPath;
  config = GetConfig(iniPath);
  config.wavetableCache = paths.wavetables;
  if (!ProbeSoundDevice(config)) {
    prompts->Fatal("DirectSound Initialization error!");
    shutDown = true;
    return;
  }
  for (const std::string& warning : ApplyPriorities(config))
    prompts->Inform(nullptr, "System", QString::fromStdString(warning));
}

void TMainForm::FormCreate() {
  knobStrip = MakeKnobStrip(std::max<qreal>(1.0, qApp->devicePixelRatio()));
  BuildActions();
  BuildMenus();
  BuildToolBar();
  auto* central = new QWidget(this);
  auto* layout = new QVBoxLayout(central);
  layout->setContentsMargins(4, 4, 4, 0);
  layout->setSpacing(4);
  layout->addWidget(BuildTopArea());
  layout->addWidget(BuildLowerArea(), 1);
  setCentralWidget(central);
  BuildStatusBar();
  auto* synth = new TFrameSynth(synthSlot, *this);
  instrumentList = new TInstrumentList(instrumentSlot);
  synth->SetPresetMemory(&instrumentList->Presets());
  instrumentList->SetOnSelect([this](int32_t instrument) { SE_Instr->setValue(instrument); });
  instrumentList->SetOnOpen([this](int32_t instrument) {
    SE_Instr->setValue(instrument);
    TB_SynthClick();
  });
  AddPart(synth);
  AddPart(instrumentList);
  AddPart(new TFrameChans(chansSlot));
  // The pattern view fits any width; the other pages want theirs.
  lowerSplit->SetPageWidth(kPageSynth, synth->WidestPage());
  lowerSplit->SetPageWidth(kPageChans, chansSlot->minimumSizeHint().width());
  scopeView = new TScopeView(image3Slot);
  AddPart(scopeView);

  // The pattern editor: its two views, the sequence buttons, the Edit menu
  // and the key filter.
  patternEditor =
      new TPatternEditorPart(*this,
                             TPatternWidgets{this, image2Slot, image1Slot, keyHelp, label1,
                                             editMenu, SE_Octave, SE_RowAdd, SE_Instr, patMsk},
                             this);
  AddPart(patternEditor);

  // The changes of one drag, wheel burst or typed number are one undo step.
  qApp->installEventFilter(new TStepCloser(
      [this] {
        if (tracker) tracker->Edits().CloseStep();
      },
      this));

  for (int i = 0; i < 3; ++i) timers[i] = new TThreadedTimer(this);
  timers[0]->SetOnTimer([this](TThreadedTimer*) { DoTimer1(); });
  timers[1]->SetOnTimer([this](TThreadedTimer*) { DoTimer2(); });
  timers[2]->SetOnTimer([this](TThreadedTimer*) { DoTimer3(); });
  timers[2]->SetThreadPriority(TThreadPriority::Lowest);
  for (TThreadedTimer* timer : timers) timer->SetEnabled(false);
  // An interval of 0 stops a timer, as the settings may ask.
  timers[1]->SetInterval(uint16_t(std::clamp(config.timer2ms, 0, 65535)));
  timers[2]->SetInterval(uint16_t(std::clamp(config.timer3ms, 0, 65535)));

  setWindowTitle(QString::fromStdString(MainCaption()));
  PlaceWindow();
  songFolder = QString::fromStdString(paths.songs);
  saveName = songFolder + "/Module.zqm";
  autosave = new TAutosaveKeeper(*this, paths.state, config.autosaveSeconds);
}

void TMainForm::PlaceWindow() {
  QScreen* screen = QGuiApplication::primaryScreen();
  const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 1280, 800);
  resize(std::min(1280, area.width()), std::min(800, area.height()));
  const int x = area.x() + (area.width() - width()) / 2;
  const int y = area.height() > 600 ? area.y() + (area.height() - height()) / 2 : area.y();
  move(x, y);
}

void TMainForm::showEvent(QShowEvent* event) {
  QMainWindow::showEvent(event);
  if (!started && !starting && !shutDown)
    QMetaObject::invokeMethod(
        this, [this] { FormShow(); }, Qt::QueuedConnection);
}

// The first showing runs start-up, then the song of the command line.
void TMainForm::FormShow() {
  // Start-up lets events through to paint its lines; a second showing
  // meanwhile must not start again.
  if (started || starting || shutDown) return;
  starting = true;
  if (!SystemStart()) return;
  started = true;
  timers[0]->SetEnabled(false);
  timers[1]->SetEnabled(true);
  timers[2]->SetEnabled(true);
  formSystem->hide();
  Wait(250);
  raise();
  activateWindow();
  autosave->Start();
  if (!pendingSong.isEmpty()) {
    const QString song = pendingSong;
    pendingSong.clear();
    if (song.endsWith(".mod", Qt::CaseInsensitive)) {
      ImportModFile(song);
    } else {
      LoadSongFile(song);
    }
  }
}

bool TMainForm::SystemStart() {
  formSystem = std::make_unique<TFormSystem>();
  formSystem->setWindowTitle("Murvelon " MURVELON_VERSION_TEXT " system message");
  if (isVisible()) formSystem->show();
  cWindowReport report(*formSystem, !quickStart);
  try {
    tracker = std::make_unique<cTracker>(config, &report);
  } catch (const std::bad_alloc&) {
    tracker.reset();
    HandleFatal("Memory Allocation Error!");
    return false;
  }
  tracker->SetFatalHandler([this](const std::string& message) { HandleFatal(message); });
  if (!tracker->SystemStart(false)) return false;
  spectrum = std::make_unique<cSpectrum>(tracker->Config().frequency);
  settings = std::make_unique<cSongSettingsEditor>(*tracker);
  for (TSongPart* part : parts) part->Attach(*tracker);
  tracker->Edits().SetHistoryListener([this] {
    ShowHistory();
    ShowCaption();
    instrumentList->SongEdited();
  });
  RedrawAll(eSongChange::kNewSong);
  if (!tracker->StartAudio()) return false;
  if (!tracker->DeviceWarning().empty())
    panels[2]->setText(QString::fromStdString(tracker->DeviceWarning()));
  // MIDI events wake the window at once, not at its next display timer.
  tracker->LiveNotes().SetWindowNotify([this] {
    QMetaObject::invokeMethod(
        this, [this] { TakeMidiEvents(); }, Qt::QueuedConnection);
  });
  // A machine without MIDI says so here, once; it is no error.
  if (const std::string midi = tracker->OpenMidiInput(config.midiInput); !midi.empty())
    panels[2]->setText(QString::fromStdString(midi));
  return true;
}

// ErrorExit: the controller has closed the output; the box ends the
// program. The audio thread hands the message to the GUI thread.
void TMainForm::HandleFatal(const std::string& message) {
  if (QThread::currentThread() != thread()) {
    QMetaObject::invokeMethod(
        this, [this, message] { HandleFatal(message); }, Qt::QueuedConnection);
    return;
  }
  if (formSystem) formSystem->hide();
  shutDown = true;
  for (TThreadedTimer* timer : timers)
    if (timer != nullptr) timer->SetEnabled(false);
  prompts->Fatal(QString::fromStdString(message));
}

void TMainForm::closeEvent(QCloseEvent* event) {
  if (tracker && started && !AskDiscard("Quit")) {
    event->ignore();
    return;
  }
  event->accept();
  FormDestroy();
}

TMainForm::~TMainForm() {
  FormDestroy();
  // The parts hold the engine: they go first, the engine after them.
  delete takeCentralWidget();
  tracker.reset();
}

// Shutdown: the output is ducked and paused, then stopped, and only then is
// anything freed that the render path uses.
// The engine objects themselves are freed with the window, after the parts
// that show them.
void TMainForm::FormDestroy() {
  if (destroyed) return;
  destroyed = shutDown = true;
  if (autosave) autosave->End();
  qApp->removeEventFilter(this);
  for (TThreadedTimer* timer : timers)
    if (timer != nullptr) timer->SetEnabled(false);
  if (tracker) {
    tracker->Shutdown();
    Wait(25);
  }
}

void TMainForm::Wait(int milliseconds) {
  if (!quickStart) std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

void TMainForm::AddPart(TSongPart* part) {
  parts.push_back(part);
  if (tracker) part->Attach(*tracker);
}

void TMainForm::SetStatusText(int panel, const QString& text) {
  if (panel >= 0 && panel < 4) panels[panel]->setText(text);
}

void TMainForm::SystemMessage(const QString& text) {
  panels[2]->setText(text);
  messageCountdown.Start();
}

void TMainForm::BuildActions() {
  struct cActionText {
    const char* name;
    const char* text;
    const char* tip;
    void (TMainForm::*slot)();
  };
  static constexpr cActionText kActions[] = {
      {"New", "New", "New song (Ctrl+N)", nullptr},
      {"Open", "Open", "Load song (Ctrl+O)", nullptr},
      {"Save", "Save", "Save song under a name (Ctrl+Shift+S)", nullptr},
      {"Play", "Play", "Play song (F9)", &TMainForm::PlayClick},
      {"Stop", "Stop", "Stop (Space)", &TMainForm::StopClick},
      {"Continue", "Cont", "Continue from the current pattern (F8)", &TMainForm::ContinueClick},
      {"PlayPattern", "PlayPat", "Play the current pattern (F7)", &TMainForm::PlayPatClick},
      {"Rec", "Rec", "Edit mode (Space)", &TMainForm::TB_RecClick},
      {"Panic", "Panic", "Silence every voice (Esc)", &TMainForm::TB_PanicClick},
      {"Pattern", "Pattern", "Pattern page (keypad 7)", &TMainForm::TB_PatternClick},
      {"Synth", "Synth", "Instrument page (keypad 9)", &TMainForm::TB_SynthClick},
      {"Chans", "Chans", "Channel page (keypad 8)", &TMainForm::TB_ChansClick},
  };
  for (const cActionText& a : kActions) {
    auto* action = new QAction(a.text, this);
    action->setObjectName(a.name);
    action->setToolTip(a.tip);
    if (a.slot != nullptr)
      connect(action, &QAction::triggered, this, [this, slot = a.slot] { (this->*slot)(); });
    addAction(action);
  }
  // The file buttons switch the displays off around the command.
  auto fileButton = [this](const char* name, bool (TMainForm::*command)()) {
    connect(Action(name), &QAction::triggered, this, [this, command] {
      int32_t saved[3];
      std::copy(std::begin(displayFlags), std::end(displayFlags), saved);
      std::fill(std::begin(displayFlags), std::end(displayFlags), 0);
      (this->*command)();
      std::copy(std::begin(saved), std::end(saved), displayFlags);
    });
  };
  fileButton("New", &TMainForm::NewSongClick);
  fileButton("Open", &TMainForm::LoadSongClick);
  fileButton("Save", &TMainForm::SaveSongClick);
  Action("Rec")->setCheckable(true);
  for (const char* page : {"Pattern", "Synth", "Chans"}) Action(page)->setCheckable(true);
  Action("Pattern")->setChecked(true);
}

QAction* TMainForm::Action(const char* name) { return findChild<QAction*>(name); }

void TMainForm::BuildMenus() {
  fileMenu = menuBar()->addMenu("&File");
  fileMenu->setObjectName("FileMenu");
  auto item = [this](const char* name, const char* text, QKeySequence key, auto handler) {
    QAction* action = fileMenu->addAction(text);
    action->setObjectName(name);
    if (!key.isEmpty()) action->setShortcut(key);
    connect(action, &QAction::triggered, this, handler);
    return action;
  };
  item("NewSong", "&New Song", QKeySequence::New, [this] { NewSongClick(); });
  item("LoadSong", "&Load Song...", QKeySequence::Open, [this] { LoadSongClick(); });
  item("OpenAutosave", "Open A&utosave...", QKeySequence(),
       [this] { autosave->OpenAutosaveClick(); });
  item("SaveSongInPlace", "&Save Song", QKeySequence::Save, [this] { SaveInPlaceClick(); });
  item("SaveSong", "Save Song...", QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
       [this] { SaveSongClick(); });
  item("ExportAudio", "&Export Audio...", QKeySequence("Ctrl+E"), [this] { ExportAudioClick(); });
  fileMenu->addSeparator();
  item("ImportMod", "&Import Protracker Song (*.mod)...", QKeySequence(),
       [this] { ImportModClick(); });
  fileMenu->addSeparator();
  item("Quit", "&Quit", QKeySequence::Quit, [this] { close(); });
  editMenu = menuBar()->addMenu("&Edit");
  editMenu->setObjectName("EditMenu");
  // A number box with the focus keeps these keys for its own text.
  QAction* undo = editMenu->addAction("Undo");
  undo->setObjectName("Undo");
  undo->setShortcut(QKeySequence::Undo);
  connect(undo, &QAction::triggered, this, [this] { UndoClick(); });
  QAction* redo = editMenu->addAction("Redo");
  redo->setObjectName("Redo");
  redo->setShortcuts(
      {QKeySequence(Qt::CTRL | Qt::Key_Y), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z)});
  connect(redo, &QAction::triggered, this, [this] { RedoClick(); });
  QAction* preferences = editMenu->addAction("Preferences...");
  preferences->setObjectName("Preferences");
  preferences->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
  connect(preferences, &QAction::triggered, this, [this] { PreferencesClick(); });
  editMenu->addSeparator();
  ShowHistory();
  QMenu* help = menuBar()->addMenu("&Help");
  help->setObjectName("HelpMenu");
  QAction* commands = help->addAction("Effect Commands");
  commands->setObjectName("EffectCommands");
  connect(commands, &QAction::triggered, this, [this] { TFormCommands::ShowFor(this); });
}

// The Edit menu names the step undo and redo would take, greyed when there
// is none.
void TMainForm::ShowHistory() {
  QAction* undo = Action("Undo");
  QAction* redo = Action("Redo");
  if (!undo || !redo) return;
  const bool ready = tracker != nullptr;
  undo->setText(QString::fromStdString(ready ? tracker->Edits().UndoText() : "Undo"));
  redo->setText(QString::fromStdString(ready ? tracker->Edits().RedoText() : "Redo"));
  undo->setEnabled(ready && tracker->Edits().CanUndo());
  redo->setEnabled(ready && tracker->Edits().CanRedo());
}

void TMainForm::UndoClick() { StepHistory(true); }
void TMainForm::RedoClick() { StepHistory(false); }

// The song goes back or forth by one step; the cursors go where the step
// was made, and every part shows the song as it now is.
void TMainForm::StepHistory(bool back) {
  if (!tracker) return;
  cEditLocation where;
  const bool stepped = back ? tracker->Edits().Undo(&where) : tracker->Edits().Redo(&where);
  if (!stepped) return;
  if (patternEditor) patternEditor->GoTo(where);
  RedrawAll(eSongChange::kUndone);
}

void TMainForm::BuildToolBar() {
  toolBar = addToolBar("Tools");
  toolBar->setObjectName("ToolBar");
  toolBar->setMovable(false);
  toolBar->setFocusPolicy(Qt::NoFocus);
  const char* groups[][5] = {{"New", "Open", "Save"},
                             {"Play", "Stop", "Continue", "PlayPattern", "Rec"},
                             {"Panic"},
                             {"Pattern", "Synth", "Chans"}};
  bool first = true;
  for (auto& group : groups) {
    if (!first) toolBar->addSeparator();
    first = false;
    for (const char* name : group) {
      if (name == nullptr) break;
      toolBar->addAction(Action(name));
    }
  }
  for (QToolButton* button : toolBar->findChildren<QToolButton*>())
    button->setFocusPolicy(Qt::NoFocus);
  // The button a narrow window shows for the buttons that did not fit.
  if (auto* more = toolBar->findChild<QToolButton*>("qt_toolbar_ext_button"))
    more->setAccessibleName("More Tools");
}

QWidget* TMainForm::BuildTopArea() {
  auto* top = new QWidget(this);
  auto* row = new QHBoxLayout(top);
  row->setContentsMargins(0, 0, 0, 0);

  image1Slot = Slot(top, "Image1");
  image1Slot->setMinimumSize(184, 144);
  row->addWidget(image1Slot);

  auto* controls = new QWidget(top);
  auto* grid = new QGridLayout(controls);
  grid->setContentsMargins(4, 0, 4, 0);
  grid->setVerticalSpacing(2);
  auto spin = [controls](const char* name, int lo, int hi, int value) {
    auto* box = new QSpinBox(controls);
    box->setObjectName(name);
    box->setRange(lo, hi);
    box->setValue(value);
    box->setKeyboardTracking(false);
    box->setFocusPolicy(Qt::ClickFocus);
    return box;
  };
  bpmField = spin("BPM", kBpmRange.low, kBpmRange.high, config.bpm);
  speedField = spin("Speed", kSpeedRange.low, kSpeedRange.high, config.speed);
  SE_Octave = spin("SE_Octave", 0, 9, 3);
  SE_RowAdd = spin("SE_RowAdd", 0, 16, 1);
  SE_Instr = spin("SE_Instr", 1, 127, 1);
  // Named as their labels read.
  for (QSpinBox* box : {bpmField, speedField, SE_Octave, SE_RowAdd, SE_Instr})
    box->setAccessibleName(QString(box->objectName()).remove("SE_"));
  grid->addWidget(new QLabel("BPM", controls), 0, 0);
  grid->addWidget(bpmField, 0, 1);
  grid->addWidget(new QLabel("Speed", controls), 0, 2);
  grid->addWidget(speedField, 0, 3);
  grid->addWidget(new QLabel("Octave", controls), 1, 0);
  grid->addWidget(SE_Octave, 1, 1);
  grid->addWidget(new QLabel("RowAdd", controls), 1, 2);
  grid->addWidget(SE_RowAdd, 1, 3);
  grid->addWidget(new QLabel("Instr", controls), 1, 4);
  grid->addWidget(SE_Instr, 1, 5);

  channelBox = new QComboBox(controls);
  channelBox->setObjectName("ChannelBox");
  channelBox->setFocusPolicy(Qt::NoFocus);
  channelBox->setAccessibleName("Channels");
  grid->addWidget(channelBox, 2, 0, 1, 3);
  label1 = new QLabel("0000", controls);
  label1->setObjectName("Label1");
  label1->setToolTip("The last key's code");
  grid->addWidget(label1, 2, 4, 1, 2);

  auto* boxes = new QHBoxLayout;
  const char* boxTexts[] = {"Wav", "Pat", "Seq"};
  for (int tag = 0; tag < 3; ++tag) {
    displayBoxes[tag] = new QCheckBox(boxTexts[tag], controls);
    displayBoxes[tag]->setChecked(true);
    displayBoxes[tag]->setFocusPolicy(Qt::NoFocus);
    connect(displayBoxes[tag], &QCheckBox::toggled, this,
            [this, tag](bool on) { DisplayBoxClick(tag, on); });
    boxes->addWidget(displayBoxes[tag]);
  }
  patMsk = new QCheckBox("PatMsk", controls);
  patMsk->setObjectName("PatMsk");
  patMsk->setFocusPolicy(Qt::NoFocus);
  boxes->addWidget(patMsk);
  boxes->addStretch(1);
  grid->addLayout(boxes, 3, 0, 1, 6);

  auto* knobs = new QHBoxLayout;
  mKnob1 = new TmKnob(controls);
  mKnob1->setObjectName("mKnob1");
  mKnob1->SetGfxData(&knobStrip);
  mKnob1->SetMin(kMasterVolumeRange.low);
  mKnob1->SetMaxValue(kMasterVolumeRange.high);
  mKnob1->setToolTip("Master volume");
  mKnob1->setAccessibleName("Master volume");
  mKnob1->SetValueText([](int v) { return QString::fromStdString(MasterVolumeText(v)); });
  mKnob1->SetDefaultValue([this] { return config.masterVol; });
  mKnob2 = new TmKnob(controls);
  mKnob2->setObjectName("mKnob2");
  mKnob2->SetGfxData(&knobStrip);
  mKnob2->SetMin(kMasterPanRange.low);
  mKnob2->SetMaxValue(kMasterPanRange.high);
  mKnob2->setToolTip("Master pan");
  mKnob2->setAccessibleName("Master pan");
  mKnob2->SetValueText(
      [](int v) { return QString::fromStdString(MasterPanText(MasterPanFromKnob(v))); });
  mKnob2->SetDefaultValue([this] { return config.masterPan; });
  knobs->addWidget(new QLabel("Vol", controls));
  knobs->addWidget(mKnob1);
  knobs->addSpacing(8);
  knobs->addWidget(new QLabel("Pan", controls));
  knobs->addWidget(mKnob2);
  knobs->addStretch(1);
  grid->addLayout(knobs, 4, 0, 1, 6);
  grid->setRowStretch(5, 1);
  row->addWidget(controls);

  auto* right = new QWidget(top);
  auto* rightColumn = new QVBoxLayout(right);
  rightColumn->setContentsMargins(0, 0, 0, 0);
  image3Slot = Slot(right, "Image3");
  image3Slot->setMinimumSize(256, 96);
  rightColumn->addWidget(image3Slot, 1);
  auto* under = new QHBoxLayout;
  spectrumView = new TSpectrumView(right);
  spectrumView->setObjectName("Spectrum");
  under->addWidget(spectrumView);
  clipMark = new TClipMark(right);
  clipMark->setObjectName("ClipMark");
  under->addWidget(clipMark);
  voiceLabel = new QLabel(QString::fromStdString(VoicesText(0)), right);
  voiceLabel->setObjectName("VoiceLabel");
  under->addWidget(voiceLabel);
  under->addStretch(1);
  rightColumn->addLayout(under);
  row->addWidget(right, 1);

  connect(channelBox, &QComboBox::activated, this, [this](int index) { ChannelBoxChange(index); });
  connect(bpmField, &QSpinBox::valueChanged, this, [this](int v) { BpmEdited(v); });
  connect(speedField, &QSpinBox::valueChanged, this, [this](int v) { SpeedEdited(v); });
  for (QSpinBox* box : {bpmField, speedField, SE_Octave, SE_RowAdd, SE_Instr}) {
    // Enter gives the keys back to the pattern editor.
    connect(box, &QSpinBox::editingFinished, box, [box] { box->clearFocus(); });
  }
  mKnob1->SetOnChange([this](TmKnob*, int v) { MasterVolumeChange(v); });
  mKnob2->SetOnChange([this](TmKnob*, int v) { MasterPanChange(v); });
  top->setFixedHeight(std::max(top->sizeHint().height(), 150));
  return top;
}

QWidget* TMainForm::BuildLowerArea() {
  lowerPanel = new QStackedWidget(this);
  lowerPanel->setObjectName("LowerPanel");
  patternPage = new QWidget(lowerPanel);
  auto* column = new QVBoxLayout(patternPage);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(2);
  image2Slot = Slot(patternPage, "Image2");
  column->addWidget(image2Slot, 1);
  keyHelp = new QLabel(patternPage);
  keyHelp->setObjectName("KeyHelp");
  column->addWidget(keyHelp);
  synthSlot = Slot(lowerPanel, "SynthPage");
  chansSlot = Slot(lowerPanel, "ChansPage");
  lowerPanel->addWidget(patternPage);
  lowerPanel->addWidget(synthSlot);
  lowerPanel->addWidget(chansSlot);
  // The instrument list beside every page; its handle narrows or folds it.
  instrumentSlot = Slot(this, "InstrumentListSlot");
  lowerSplit = new TSideSplit(lowerPanel, instrumentSlot, this);
  lowerSplit->setObjectName("LowerSplit");
  return lowerSplit;
}

void TMainForm::BuildStatusBar() {
  const char* initial[] = {"Note", "Play Mode", kReadyText, ""};
  const int stretch[] = {1, 1, 2, 3};
  for (int i = 0; i < 4; ++i) {
    panels[i] = SunkenLabel(initial[i], statusBar());
    panels[i]->setObjectName(QString("Panel%1").arg(i));
    statusBar()->addWidget(panels[i], stretch[i]);
  }
}

void TMainForm::DisplayBoxClick(int tag, bool on) {
  if (tag < 0 || tag > 2) return;
  displayFlags[tag] = on ? 1 : 0;
  if (tag == 0 && !on) spectrumView->Clear();
}

// Every part and the window's own controls show the song as it now is.
void TMainForm::RedrawAll(eSongChange reason) {
  if (!tracker) return;
  ShowChannelBox();
  ShowMasterKnobs();
  int32_t bpm, speed;
  ReadTempo(false, bpm, speed);
  ShowTempoFields(bpm, speed);
  {
    const cSongTables& song = tracker->Song();
    const QSignalBlocker b1(SE_Octave), b2(SE_RowAdd), b3(SE_Instr);
    SE_Octave->setValue(song.octave);
    SE_RowAdd->setValue(song.rowAdd);
    SE_Instr->setValue(song.currentInstrument);
  }
  ShowEditMode();
  for (TSongPart* part : parts) part->SongChanged(reason);
  ShowHistory();
  update();
}

void TMainForm::ShowChannelBox() {
  const cChannelBox box = ChannelBoxFor(tracker->Song().channelCount);
  const QSignalBlocker block(channelBox);
  channelBox->clear();
  for (const cChannelBoxEntry& entry : box.entries)
    channelBox->addItem(QString::fromStdString(entry.text), entry.count);
  channelBox->setCurrentIndex(box.selected);
}

void TMainForm::ShowMasterKnobs() {
  // The knobs follow the song without writing it back.
  followingSong = true;
  mKnob1->SetCurValue(tracker->Song().masterVolume);
  mKnob2->SetCurValue(tracker->Song().masterPan);
  followingSong = false;
}

// Channel count entries set the song's count; the listed entries are the
// even counts, and an entry for the song's own odd count keeps it.
void TMainForm::ChannelBoxChange(int index) {
  if (!tracker || index < 0) return;
  if (!settings->SetChannelCount(channelBox->itemData(index).toInt())) return;
  RedrawAll(eSongChange::kEdited);
}

// The song's tempo, and while playing also the tempo in use: a field that
// set only the one in use would be put back by the next redraw.
void TMainForm::BpmEdited(int value) {
  if (!tracker) return;
  settings->SetBpm(value);
  RecomputeTimer1();
}

void TMainForm::SpeedEdited(int value) {
  if (!tracker) return;
  settings->SetSpeed(value);
  RecomputeTimer1();
}

void TMainForm::MasterVolumeChange(int value) {
  if (!tracker || followingSong) return;
  SystemMessage(QString::fromStdString(settings->SetMasterVolume(value)));
}

void TMainForm::MasterPanChange(int value) {
  if (!tracker || followingSong) return;
  SystemMessage(QString::fromStdString(settings->SetMasterPan(value)));
}
