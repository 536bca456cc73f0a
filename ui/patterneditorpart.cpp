#include "ui/patterneditorpart.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QMenu>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QToolButton>
#include <QVBoxLayout>

#include "app/tracker.h"
#include "editor/patterneditor.h"
#include "midi/midimessage.h"
#include "ui/appmessage.h"
#include "ui/patternview.h"
#include "ui/sequenceview.h"

TPatternEditorPart::TPatternEditorPart(TPatternServices& w, const TPatternWidgets& parts,
                                       QObject* parent)
    : QObject(parent), window(w), widgets(parts) {
  setObjectName("PatternEditor");
  patternView = new TPatternView(*this, widgets.patternSlot);
  widgets.patternSlot->layout()->addWidget(patternView);
  BuildSequencePanel();
  BuildEditMenu();
  ConnectControls();
  widgets.keyHelp->setText(QString::fromStdString(KeyHelpLine(cPatternEditor::Keys())));
  widgets.keyHelp->setWordWrap(true);
  filter = new TAppMessage(*this, this);
  qApp->installEventFilter(filter);
}

TPatternEditorPart::~TPatternEditorPart() { qApp->removeEventFilter(filter); }

cPatternEditor* TPatternEditorPart::Editor() { return tracker != nullptr ? editor.get() : nullptr; }

QToolButton* TPatternEditorPart::SequenceButton(const char* name, const char* tip) {
  auto* button = new QToolButton(sequenceView->parentWidget());
  button->setObjectName(name);
  button->setToolTip(tip);
  button->setFocusPolicy(Qt::NoFocus);
  button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
  return button;
}

// Beside the sequence view: the arrows that step the song position, then
// the entry insert and delete buttons.
void TPatternEditorPart::BuildSequencePanel() {
  QWidget* slot = widgets.sequenceSlot;
  auto* panel = new QWidget(slot);
  panel->setObjectName("SequencePanel");
  auto* row = new QHBoxLayout(panel);
  row->setContentsMargins(0, 0, 0, 0);
  row->setSpacing(2);
  sequenceView = new TSequenceView(*this, panel);
  row->addWidget(sequenceView, 0, Qt::AlignTop);
  auto* column = new QVBoxLayout;
  column->setSpacing(2);
  QToolButton* up =
      SequenceButton("SequenceUp",
                     "Song position up: the song goes on there from the pattern's first row\n"
                     "(with Ctrl: after the pattern that plays)");
  up->setArrowType(Qt::UpArrow);
  up->setAccessibleName("Song position up");
  QToolButton* down =
      SequenceButton("SequenceDown",
                     "Song position down: the song goes on there from the pattern's first row\n"
                     "(with Ctrl: after the pattern that plays)");
  down->setArrowType(Qt::DownArrow);
  down->setAccessibleName("Song position down");
  for (QToolButton* arrow : {up, down}) arrow->setAutoRepeat(true);
  QToolButton* insert = SequenceButton("InsRow", "Insert an entry at the sequence cursor");
  insert->setText("InsRow");
  QToolButton* remove = SequenceButton("DelRow", "Delete the entry at the sequence cursor");
  remove->setText("DelRow");
  column->addWidget(up);
  column->addWidget(down);
  column->addStretch(1);
  column->addWidget(insert);
  column->addWidget(remove);
  row->addLayout(column);
  slot->layout()->addWidget(panel);

  auto arrow = [this](int direction) {
    const bool ctrl = QGuiApplication::keyboardModifiers() & Qt::ControlModifier;
    if (cPatternEditor* e = Editor()) e->SequenceArrow(direction, ctrl);
  };
  connect(up, &QToolButton::clicked, this, [arrow] { arrow(-1); });
  connect(down, &QToolButton::clicked, this, [arrow] { arrow(1); });
  connect(insert, &QToolButton::clicked, this, [this] {
    if (cPatternEditor* e = Editor()) e->InsertSequenceEntry();
  });
  connect(remove, &QToolButton::clicked, this, [this] {
    if (cPatternEditor* e = Editor()) e->DeleteSequenceEntry();
  });
}

// The keys are shown beside the items but not bound to them: from the
// keyboard a cut acts only in edit mode, from the menu in either mode.
void TPatternEditorPart::BuildEditMenu() {
  struct cItem {
    const char* name;
    const char* text;
    bool cut, paste;
    eClip size;
  };
  static constexpr cItem kItems[] = {
      {"TrackCut", "Cu&t Track\tShift+F3", true, false, eClip::kTrack},
      {"TrackCopy", "&Copy Track\tShift+F4", false, false, eClip::kTrack},
      {"TrackPaste", "&Paste Track\tShift+F5", false, true, eClip::kTrack},
      {nullptr, nullptr, false, false, eClip::kTrack},
      {"PatternCut", "Cut P&attern\tCtrl+F3", true, false, eClip::kPattern},
      {"PatternCopy", "C&opy Pattern\tCtrl+F4", false, false, eClip::kPattern},
      {"PatternPaste", "Pa&ste Pattern", false, true, eClip::kPattern},
  };
  QMenu* menu = widgets.editMenu;
  for (const cItem& item : kItems) {
    if (item.name == nullptr) {
      menu->addSeparator();
      continue;
    }
    QAction* action = menu->addAction(item.text);
    action->setObjectName(item.name);
    connect(action, &QAction::triggered, this, [this, item] {
      cPatternEditor* e = Editor();
      if (e == nullptr) return;
      if (item.cut) {
        e->Cut(item.size);
      } else if (item.paste) {
        e->Paste(item.size);
      } else {
        e->Copy(item.size);
      }
    });
  }
  // The channels of the sequence, from any page.
  menu->addSeparator();
  QAction* one = menu->addAction("Switch C&hannel On/Off\tF6");
  one->setObjectName("SwitchChannel");
  connect(one, &QAction::triggered, this, [this] {
    if (cPatternEditor* e = Editor()) e->SwitchChannel();
  });
  QAction* all = menu->addAction("Switch A&ll Channels On\tShift+F6");
  all->setObjectName("SwitchAllChannelsOn");
  connect(all, &QAction::triggered, this, [this] {
    if (cPatternEditor* e = Editor()) e->SwitchAllChannelsOn();
  });
}

void TPatternEditorPart::ConnectControls() {
  connect(widgets.octave, &QSpinBox::valueChanged, this, [this](int v) {
    if (cPatternEditor* e = Editor()) e->SetOctave(v);
  });
  connect(widgets.rowAdd, &QSpinBox::valueChanged, this, [this](int v) {
    if (cPatternEditor* e = Editor()) e->SetRowAdd(v);
  });
  connect(widgets.instrument, &QSpinBox::valueChanged, this, [this](int v) {
    if (cPatternEditor* e = Editor()) e->SetInstrument(v);
  });
  // The view starts masking the channels that do not play; the box shows it.
  widgets.patternMask->setChecked(true);
  connect(widgets.patternMask, &QCheckBox::toggled, this, [this](bool on) { SetMaskDisplay(on); });
}

void TPatternEditorPart::SetMaskDisplay(bool on) {
  if (cPatternEditor* e = Editor()) e->SetMaskDisplay(on);
}

void TPatternEditorPart::TakeMidiEvents(const cMidiEntryOptions& options) {
  cPatternEditor* e = Editor();
  if (e == nullptr) return;
  cMidiEvent event;
  while (tracker->LiveNotes().NextForWindow(event)) {
    if (e->MidiEvent(event, options)) {
      const QSignalBlocker blocker(widgets.instrument);
      widgets.instrument->setValue(tracker->Song().currentInstrument);
    }
  }
}

void TPatternEditorPart::Attach(cTracker& t) {
  if (editor) return;
  tracker = &t;
  editor = std::make_unique<cPatternEditor>(t, *this);
  editor->PatternView().SetCanvas(&patternView->Canvas());
  editor->SequenceView().SetCanvas(&sequenceView->Canvas());
  editor->PatternView().maskDisplay = widgets.patternMask->isChecked() ? 1 : 0;
  editor->SetShownPage(shownPage);
  editor->StartViews(patternView->Canvas().Width(), patternView->Canvas().Height());
}

// A new song puts the cursors at its start; an edit or an undo leaves them
// where they are (an undo has put them where its step was made).
void TPatternEditorPart::SongChanged(eSongChange reason) {
  cPatternEditor* e = Editor();
  if (e == nullptr) return;
  if (reason == eSongChange::kNewSong) {
    e->ResetViews();
  } else {
    e->StartViews(patternView->Canvas().Width(), patternView->Canvas().Height());
  }
}

void TPatternEditorPart::GoTo(const cEditLocation& where) {
  if (cPatternEditor* e = Editor()) e->GoTo(where);
}

bool TPatternEditorPart::AppMessage(const cKey& key) {
  cPatternEditor* e = Editor();
  return e != nullptr && e->AppMessage(key);
}

void TPatternEditorPart::KeyUp(const cKey& key) {
  if (cPatternEditor* e = Editor()) e->KeyUpAppMessage(key);
}

void TPatternEditorPart::KeyboardLost() {
  if (cPatternEditor* e = Editor()) e->KeyboardLost();
}

void TPatternEditorPart::ApplySettings(const cConfig& config) {
  if (cPatternEditor* e = Editor()) e->SetKeyOptions(KeyOptionsOf(config));
}

void TPatternEditorPart::ShowEntryFields() {
  const cSongTables& song = tracker->Song();
  const QSignalBlocker octave(widgets.octave), instrument(widgets.instrument);
  widgets.octave->setValue(song.octave);
  widgets.instrument->setValue(song.currentInstrument);
}

void TPatternEditorPart::ToggleEditMode() {
  if (cPatternEditor* e = Editor()) e->ToggleEditMode();
}

void TPatternEditorPart::SetShownPage(int page) {
  shownPage = page;
  if (cPatternEditor* e = Editor()) e->SetShownPage(page);
}

void TPatternEditorPart::PatternResized() {
  if (cPatternEditor* e = Editor())
    e->StartViews(patternView->Canvas().Width(), patternView->Canvas().Height());
}

void TPatternEditorPart::SequenceResized() {
  cPatternEditor* e = Editor();
  if (e == nullptr) return;
  e->SequenceView().FullDraw();
  RepaintSequence();
}

void TPatternEditorPart::FollowPlayback(bool followSequence, bool followPattern) {
  if (cPatternEditor* e = Editor())
    e->FollowPlayback(followSequence, followPattern, widgets.patternMask->isChecked());
}

void TPatternEditorPart::PlayClick() { window.PlayClick(); }
void TPatternEditorPart::ContinueClick() { window.ContinueClick(); }
void TPatternEditorPart::PlayPatClick() { window.PlayPatClick(); }
void TPatternEditorPart::StopClick() { window.StopClick(); }
void TPatternEditorPart::PanicClick() { window.TB_PanicClick(); }
void TPatternEditorPart::EngineRestart() { window.EngineRestart(); }
void TPatternEditorPart::PatternClick() { window.TB_PatternClick(); }
void TPatternEditorPart::ChansClick() { window.TB_ChansClick(); }
void TPatternEditorPart::SynthClick() { window.TB_SynthClick(); }

// The path is relative to the data folder, the one that holds Songs/.
void TPatternEditorPart::LoadSongFile(const std::string& path) {
  const QString songs = QDir::cleanPath(QString::fromStdString(window.Paths().songs));
  const QString relative = QString::fromStdString(path);
  const QString file = QFileInfo(songs).path() + "/" + relative;
  if (!QFileInfo(file).isFile()) {
    window.SystemMessage("Song not found: " + relative);
    return;
  }
  window.LoadSongFile(file);
}

void TPatternEditorPart::SetStatusText(int panel, const std::string& text) {
  if (panel < 0 || panel > 3) return;
  window.SetStatusText(panel, QString::fromStdString(text));
}

void TPatternEditorPart::SystemMessage(const std::string& text) {
  window.SystemMessage(QString::fromStdString(text));
}

void TPatternEditorPart::ShowEditMode(int) { window.ShowEditMode(); }

void TPatternEditorPart::RepaintPattern() { patternView->ShowDrawn(); }

void TPatternEditorPart::RepaintSequence() { sequenceView->ShowDrawn(); }
