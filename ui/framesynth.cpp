#include "ui/framesynth.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QSignalBlocker>
#include <QSlider>
#include <QSpinBox>
#include <QStandardPaths>
#include <QStyle>
#include <QTabBar>
#include <QTabWidget>
#include <QVBoxLayout>
#include <cstring>
#include <mutex>

#include "app/tracker.h"
#include "editor/envelope.h"
#include "editor/samplerlayers.h"
#include "editor/synthcontrols.h"
#include "editor/synthedit.h"
#include "editor/valuetext.h"
#include "ui/envelopeview.h"
#include "ui/knob.h"
#include "ui/partservices.h"
#include "ui/prompts.h"
#include "ui/sampleeditor.h"

namespace {

using K = cControlKind;

// Where the groups sit: each row names one control of every group it holds,
// left to right; a second name puts a group below the first.
struct cPageCell {
  const char* group = nullptr;
  const char* below = nullptr;
};
struct cPageRow {
  int32_t page;
  cPageCell cells[6];
};
constexpr cPageRow kPageRows[] = {
    {kPageOscillators, {{"SpinEdit1"}, {"SpinEdit4"}, {"SpinEdit11"}, {"SpinEditTune"}}},
    {kPageFilter, {{"mKnob17"}, {"mKnob12"}, {"TrackBar22"}}},
    {kPageFilter, {{"mKnob25"}, {"mKnob28"}, {"mKnob42"}, {"mKnob1"}, {"TrackBar34"}}},
    {kPageFM, {{"SpinEdit100"}, {"SpinEdit102"}, {"SpinEdit104"}}},
    {kPageFM, {{"mKnob100"}, {"mKnob110"}}},
};

// Bars whose two ends have names.
struct cBarEnds {
  const char* control;
  const char* low;
  const char* high;
};
constexpr cBarEnds kBarEnds[] = {{"TrackBar39", "Off", "On"}};

constexpr const char* kSynthFilter = "Murvelon Synth (*.zqb);;All Files (*)";
constexpr const char* kFMSynthFilter = "Murvelon FM Synth (*.zqf);;All Files (*)";
constexpr const char* kWaveFilter =
    "Sound Files (*.wav *.flac *.aif *.aiff *.aifc *.ogg);;WAV Files (*.wav);;FLAC Files "
    "(*.flac);;AIFF Files (*.aif *.aiff *.aifc);;Ogg Vorbis Files (*.ogg);;All Files (*)";

const cSynthControl& ControlAt(int index) { return SynthControls()[size_t(index)]; }

// Why a file could not be read: the system's reason when it cannot be
// opened, else what its contents are not.
// Why a file operation failed; notWhat when the file was not of the kind.
QString Reason(const cFileResult& why, const QString& notWhat) {
  return QString::fromStdString(FileResultReason(why, notWhat.toStdString()));
}

// A knob over its label; the unlabelled knobs keep the row's height and
// sit close to the knob they belong to.
QWidget* KnobCell(QWidget* knob, const char* label) {
  auto* cell = new QWidget;
  auto* column = new QVBoxLayout(cell);
  column->setContentsMargins(0, 0, 0, 0);
  column->setSpacing(1);
  column->addWidget(knob, 0, Qt::AlignHCenter);
  auto* text = new QLabel(label, cell);
  text->setAlignment(Qt::AlignHCenter);
  column->addWidget(text);
  cell->setMinimumWidth(label[0] != '\0' ? 40 : 26);
  return cell;
}

// The name of the waveform the field shows, beside it.
QLabel* WaveformLabel(const cSynthControl& c, QWidget* field) {
  auto* spin = static_cast<QSpinBox*>(field);
  auto* name = new QLabel(WaveformName(c, spin->value()));
  name->setAlignment(Qt::AlignRight | Qt::AlignTop);
  QObject::connect(spin, &QSpinBox::valueChanged, name,
                   [name, &c](int value) { name->setText(WaveformName(c, value)); });
  return name;
}

}  // namespace

TFrameSynth::TFrameSynth(QWidget* slot, TPartServices& services) : window(services) {
  setObjectName("FrameSynth");
  BuildControls();
  auto* column = new QVBoxLayout(this);
  column->setContentsMargins(4, 4, 4, 4);
  column->setSpacing(4);
  pages = new QTabWidget(this);
  pages->setObjectName("SynthPages");
  pages->setFocusPolicy(Qt::NoFocus);
  pages->tabBar()->setFocusPolicy(Qt::NoFocus);
  for (int32_t page = 0; page < kSynthPages; ++page) {
    QWidget* content = page == kPageSample ? BuildSamplePage() : BuildPage(page);
    // Smaller windows scroll the page rather than cut it off.
    auto* scroll = new QScrollArea(pages);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setFocusPolicy(Qt::NoFocus);
    scroll->setWidgetResizable(true);
    scroll->setWidget(content);
    scroll->viewport()->setAutoFillBackground(false);
    content->setAutoFillBackground(false);
    pages->addTab(scroll, PageCaption(page));
  }
  column->addWidget(pages, 1);
  column->addWidget(BuildStrip());
  for (size_t i = 0; i < controls.size(); ++i) Connect(int(i));
  slot->layout()->addWidget(this);
}

// The window frees the parts before the engine: the engine must not call
// back into a frame that is gone.
TFrameSynth::~TFrameSynth() {
  if (tracker != nullptr) tracker->SetInstrumentEditor({}, {});
}

void TFrameSynth::BuildControls() {
  const auto table = SynthControls();
  controls.assign(table.size(), nullptr);
  for (size_t i = 0; i < table.size(); ++i) {
    const cSynthControl& c = table[i];
    QWidget* widget = nullptr;
    switch (c.kind) {
      case K::Knob: {
        auto* knob = new TmKnob;
        knob->SetGfxData(&window.KnobStrip());
        knob->SetMin(c.min);
        knob->SetMaxValue(c.max);
        knob->SetCurValue(c.initial);
        knob->setToolTip(QString::fromStdString(ControlCaption(int32_t(i))));
        // The value in the unit of the instrument's engine; a double click
        // gives the word the engine starts an instrument with.
        knob->SetValueText([this, i](int value) {
          return editor ? QString::fromStdString(editor->ValueText(int32_t(i), value))
                        : QString::number(value);
        });
        knob->SetDefaultValue([this, i, knob] {
          return editor ? editor->DefaultControlValue(int32_t(i)) : knob->Position();
        });
        widget = knob;
        break;
      }
      case K::Spin: {
        auto* spin = new QSpinBox;
        spin->setRange(c.min, c.max);
        spin->setValue(c.initial);
        spin->setKeyboardTracking(false);
        spin->setFocusPolicy(Qt::ClickFocus);
        spin->setAlignment(Qt::AlignRight);
        // Enter gives the keys back to the pattern editor.
        connect(spin, &QSpinBox::editingFinished, spin, [spin] { spin->clearFocus(); });
        widget = spin;
        break;
      }
      case K::Check: {
        auto* box = new QCheckBox(c.label);
        box->setChecked(c.initial != 0);
        box->setFocusPolicy(Qt::NoFocus);
        widget = box;
        break;
      }
      case K::Bar:
      case K::VBar: {
        auto* bar = new QSlider(c.kind == K::VBar ? Qt::Vertical : Qt::Horizontal);
        bar->setRange(c.min, c.max);
        bar->setValue(c.initial);
        bar->setFocusPolicy(Qt::NoFocus);
        if (c.kind == K::VBar) {
          // The slider holds max - position (positions count from the top),
          // so that its filled part grows with the word as the bar rises.
          bar->setValue(c.max - c.initial);
          bar->setFixedHeight(96);
        } else if (c.max - c.min <= 8) {
          bar->setTickPosition(QSlider::TicksBelow);
          bar->setTickInterval(1);
          bar->setPageStep(1);
          bar->setFixedWidth(72);
        } else {
          bar->setPageStep(8);
          bar->setFixedWidth(c.page == kStrip ? 160 : 110);
        }
        widget = bar;
        break;
      }
      case K::Combo: {
        auto* box = new QComboBox;
        box->setFocusPolicy(Qt::NoFocus);
        for (int32_t item = c.min; item <= c.max; ++item)
          box->addItem(c.handler == cSynthHandler::ComboBox1Change ? EngineName(item)
                                                                   : LoopModeName(item));
        widget = box;
        break;
      }
      case K::Button: {
        auto* button = new QPushButton(c.label);
        button->setFocusPolicy(Qt::NoFocus);
        widget = button;
        break;
      }
    }
    widget->setObjectName(c.name);
    widget->setAccessibleName(QString::fromStdString(ControlAccessibleName(int32_t(i))));
    controls[i] = widget;
  }
  // Which sound each oscillator's waveform number makes.
  for (const char* name : {"SpinEdit1", "SpinEdit4", "SpinEdit11"})
    Control(name)->setToolTip("0 saw, 1 pulse, 2 sine, 3 noise, 4 inverted saw, 5 off");

  for (const cEnvelopeImage& image : EnvelopeImages()) {
    auto* view = new TEnvelopeView;
    view->setObjectName(image.name);
    envelopes.push_back(view);
  }
}

int TFrameSynth::WidestPage() const {
  int widest = 0;
  for (int page = 0; page < pages->count(); ++page) {
    if (auto* scroll = qobject_cast<QScrollArea*>(pages->widget(page)))
      widest = std::max(widest, scroll->widget()->minimumSizeHint().width());
  }
  // The frame's margins and the frame of the pages around the page.
  const int frameWidth = pages->style()->pixelMetric(QStyle::PM_DefaultFrameWidth, nullptr, pages);
  const QMargins margins = layout()->contentsMargins();
  return widest + margins.left() + margins.right() + 2 * frameWidth + 4;
}

QWidget* TFrameSynth::Control(const char* name) {
  const int32_t index = FindSynthControl(name);
  return index >= 0 ? controls[size_t(index)] : nullptr;
}

// One captioned group (or, for "", the page's own controls): spin edits and
// vertical bars at the top, the knobs in a row, then the bars, the envelope
// picture and the check boxes.
QWidget* TFrameSynth::BuildGroup(int page, const char* group) {
  QWidget* box = group[0] != '\0' ? new QGroupBox(group) : new QWidget;
  auto* column = new QVBoxLayout(box);
  if (group[0] == '\0') column->setContentsMargins(4, 8, 4, 4);
  column->setSpacing(6);

  auto* spins = new QGridLayout;
  spins->setVerticalSpacing(2);
  auto* vbars = new QHBoxLayout;
  auto* knobs = new QHBoxLayout;
  knobs->setSpacing(4);
  auto* bars = new QGridLayout;
  bars->setVerticalSpacing(2);
  auto* checks = new QVBoxLayout;
  checks->setSpacing(2);
  QWidget* picture = nullptr;
  int spinRows = 0, barRows = 0;

  const auto table = SynthControls();
  for (size_t i = 0; i < table.size(); ++i) {
    const cSynthControl& c = table[i];
    if (c.page != page || std::strcmp(c.group, group) != 0) continue;
    QWidget* w = controls[i];
    switch (c.kind) {
      case K::Knob:
        knobs->addWidget(KnobCell(w, c.label));
        // A curve knob closes the pair of the knob before it.
        if (c.label[0] == '\0') knobs->addSpacing(6);
        break;
      case K::Spin: {
        const int row = spinRows++;
        spins->addWidget(new QLabel(c.label), row, 0);
        spins->addWidget(w, row, 1);
        // Under the number: beside it the three oscillators outgrow the page.
        if (WaveformName(c, c.min) != nullptr) spins->addWidget(WaveformLabel(c, w), spinRows++, 1);
        break;
      }
      case K::VBar: {
        auto* barColumn = new QVBoxLayout;
        barColumn->setSpacing(1);
        auto* label = new QLabel(c.label);
        barColumn->addWidget(label, 0, Qt::AlignHCenter);
        barColumn->addWidget(w, 0, Qt::AlignHCenter);
        vbars->addLayout(barColumn);
        break;
      }
      case K::Bar: {
        const int row = barRows++;
        bars->addWidget(new QLabel(c.label), row, 0);
        auto* line = new QHBoxLayout;
        line->setSpacing(4);
        const cBarEnds* ends = nullptr;
        for (const cBarEnds& e : kBarEnds)
          if (std::strcmp(e.control, c.name) == 0) ends = &e;
        if (ends != nullptr) line->addWidget(new QLabel(ends->low));
        line->addWidget(w);
        if (ends != nullptr) line->addWidget(new QLabel(ends->high));
        line->addStretch(1);
        bars->addLayout(line, row, 1);
        break;
      }
      case K::Check:
        checks->addWidget(w);
        break;
      case K::Button:  // the preset buttons sit in the strip
      case K::Combo:
        break;
    }
  }
  for (size_t i = 0; i < EnvelopeImages().size(); ++i) {
    const cEnvelopeImage& image = EnvelopeImages()[i];
    if (image.page == page && std::strcmp(image.group, group) == 0) picture = envelopes[i];
  }

  if (spins->count() > 0 || vbars->count() > 0) {
    auto* upper = new QHBoxLayout;
    upper->addLayout(spins);
    if (vbars->count() > 0) {
      upper->addSpacing(8);
      upper->addLayout(vbars);
    }
    upper->addStretch(1);
    column->addLayout(upper);
  }
  // With nothing else below them, the check boxes stand beside the knobs.
  const bool checksBesideKnobs =
      knobs->count() > 0 && bars->count() == 0 && picture == nullptr && checks->count() > 0;
  if (checksBesideKnobs) {
    knobs->addSpacing(8);
    knobs->addLayout(checks);
  }
  if (knobs->count() > 0) {
    knobs->addStretch(1);
    column->addLayout(knobs);
  }
  // Beside one bar or a picture, below several bars.
  const bool checksBelow = !checksBesideKnobs && picture == nullptr && barRows > 1;
  if (bars->count() > 0 || picture != nullptr || (checks->count() > 0 && !checksBesideKnobs)) {
    auto* lower = new QHBoxLayout;
    if (bars->count() > 0) lower->addLayout(bars);
    if (picture != nullptr) lower->addWidget(picture, 0, Qt::AlignTop);
    if (checks->count() > 0 && !checksBesideKnobs && !checksBelow) lower->addLayout(checks);
    lower->addStretch(1);
    column->addLayout(lower);
  }
  if (checksBelow) column->addLayout(checks);
  column->addStretch(1);
  // Layouts that stayed empty are dropped with the group's.
  for (QLayout* unused :
       {static_cast<QLayout*>(spins), static_cast<QLayout*>(vbars), static_cast<QLayout*>(knobs),
        static_cast<QLayout*>(bars), static_cast<QLayout*>(checks)}) {
    if (unused->parent() == nullptr) delete unused;
  }
  return box;
}

QWidget* TFrameSynth::BuildPage(int page) {
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(6);
  for (const cPageRow& row : kPageRows) {
    if (row.page != page) continue;
    auto* line = new QHBoxLayout;
    line->setSpacing(6);
    for (const cPageCell& cell : row.cells) {
      if (cell.group == nullptr) break;
      QWidget* group = BuildGroup(page, ControlAt(FindSynthControl(cell.group)).group);
      if (cell.below == nullptr) {
        line->addWidget(group, 0, Qt::AlignTop);
        continue;
      }
      auto* stack = new QVBoxLayout;
      stack->addWidget(group);
      stack->addWidget(BuildGroup(page, ControlAt(FindSynthControl(cell.below)).group));
      stack->addStretch(1);
      line->addLayout(stack);
    }
    line->addStretch(1);
    column->addLayout(line);
  }
  column->addStretch(1);
  return content;
}

// The sample page: the layer and its file above the wave, the view and loop
// commands below it, the tuning and the envelope at the bottom.
QWidget* TFrameSynth::BuildSamplePage() {
  auto* content = new QWidget;
  auto* column = new QVBoxLayout(content);
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(4);
  auto label = [](const char* control) {
    return new QLabel(ControlAt(FindSynthControl(control)).label);
  };

  auto* top = new QHBoxLayout;
  top->addWidget(label("SE_Layer"));
  top->addWidget(Control("SE_Layer"));
  top->addSpacing(8);
  top->addWidget(Control("SpeedButton1"));
  top->addWidget(Control("SpeedButton2"));
  top->addSpacing(12);
  nameLabel = new QLabel;
  nameLabel->setObjectName("NameLabel");
  top->addWidget(nameLabel);
  top->addSpacing(8);
  rateLabel = new QLabel;
  rateLabel->setObjectName("RateLabel");
  rateLabel->setAccessibleName("Sample rate of the file");
  rateLabel->setToolTip("The rate the sample was recorded at: set Tune to play it at pitch");
  top->addWidget(rateLabel, 1);
  column->addLayout(top);

  sampleImage = new TSampleEditor;
  sampleImage->setObjectName("Image1");
  sampleImage->SetOnLoopChange([this] { ShowSample(); });
  column->addWidget(sampleImage, 1);

  auto* commands = new QHBoxLayout;
  commands->setSpacing(4);
  for (const char* name :
       {"Btn_ZoomIn", "Btn_ZoomOut", "Btn_ShowAll", "SB_LS", "SB_LE", "Btn_Rng2Loop"})
    commands->addWidget(Control(name));
  commands->addSpacing(12);
  commands->addWidget(Control("ComboBox2"));
  commands->addSpacing(12);
  loopLabel = new QLabel;
  loopLabel->setObjectName("Label_Loop");
  commands->addWidget(loopLabel, 1);
  column->addLayout(commands);

  auto* bottom = new QHBoxLayout;
  auto* tuning = new QGridLayout;
  tuning->setVerticalSpacing(2);
  tuning->addWidget(label("SE_Tune"), 0, 0);
  tuning->addWidget(Control("SE_Tune"), 0, 1);
  tuning->addWidget(label("SE_Fine"), 1, 0);
  tuning->addWidget(Control("SE_Fine"), 1, 1);
  bottom->addLayout(tuning);
  bottom->addSpacing(12);
  for (const char* name : {"mKnob31", "mKnob33", "mKnob37", "mKnob38", "mKnob41"})
    bottom->addWidget(KnobCell(Control(name), ControlAt(FindSynthControl(name)).label));
  bottom->addSpacing(8);
  for (size_t i = 0; i < EnvelopeImages().size(); ++i) {
    if (EnvelopeImages()[i].page == kPageSample) bottom->addWidget(envelopes[i]);
  }
  bottom->addWidget(Control("CheckBox10"));
  bottom->addStretch(1);
  column->addLayout(bottom);
  // The spin edits of the page go back to 0 on a double click.
  for (const char* name : {"SE_Layer", "SE_Tune", "SE_Fine"}) {
    if (auto* edit = Control(name)->findChild<QLineEdit*>()) edit->installEventFilter(this);
  }
  return content;
}

// Volume, pan and engine; then which instrument this is and the preset it
// holds, with the synthesizer's preset buttons, so that every page of the
// synthesizer shows them.
QWidget* TFrameSynth::BuildStrip() {
  auto* strip = new QWidget(this);
  strip->setObjectName("Panel1");
  auto* row = new QHBoxLayout(strip);
  row->setContentsMargins(4, 0, 4, 0);
  const auto table = SynthControls();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].page != kStrip) continue;
    if (table[i].label[0] != '\0') row->addWidget(new QLabel(table[i].label));
    row->addWidget(controls[i]);
    row->addSpacing(12);
  }
  titleLabel = new QLabel(strip);
  titleLabel->setObjectName("InstrumentTitle");
  titleLabel->setAccessibleName("Instrument and its sound");
  row->addWidget(titleLabel, 1);
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].kind == K::Button && table[i].page != kPageSample) row->addWidget(controls[i]);
  }
  return strip;
}

void TFrameSynth::Connect(int index) {
  const cSynthControl& c = ControlAt(index);
  QWidget* w = controls[size_t(index)];
  switch (c.kind) {
    case K::Knob:
      static_cast<TmKnob*>(w)->SetOnChange([this, index](TmKnob*, int v) { Changed(index, v); });
      break;
    case K::Spin:
      connect(static_cast<QSpinBox*>(w), &QSpinBox::valueChanged, this,
              [this, index](int v) { Changed(index, v); });
      break;
    case K::Check:
      connect(static_cast<QCheckBox*>(w), &QCheckBox::toggled, this,
              [this, index](bool on) { Changed(index, on ? 1 : 0); });
      break;
    case K::Bar:
      connect(static_cast<QSlider*>(w), &QSlider::valueChanged, this,
              [this, index](int v) { Changed(index, v); });
      break;
    case K::VBar:
      connect(static_cast<QSlider*>(w), &QSlider::valueChanged, this,
              [this, index, max = c.max](int v) { Changed(index, max - v); });
      break;
    case K::Combo:
      connect(static_cast<QComboBox*>(w), &QComboBox::currentIndexChanged, this,
              [this, index](int v) { Changed(index, v); });
      break;
    case K::Button:
      connect(static_cast<QPushButton*>(w), &QPushButton::clicked, this,
              [this, name = c.name] { Command(name); });
      break;
  }
}

void TFrameSynth::Command(const char* name) {
  struct cCommand {
    const char* control;
    void (TFrameSynth::*run)();
  };
  static constexpr cCommand kCommands[] = {
      {"SpeedButton1", &TFrameSynth::LoadSampleClick},
      {"SpeedButton2", &TFrameSynth::DeleteSampleClick},
      {"Btn_ZoomIn", &TFrameSynth::ZoomInClick},
      {"Btn_ZoomOut", &TFrameSynth::ZoomOutClick},
      {"Btn_ShowAll", &TFrameSynth::ShowAllClick},
      {"SB_LS", &TFrameSynth::LoopStartClick},
      {"SB_LE", &TFrameSynth::LoopEndClick},
      {"Btn_Rng2Loop", &TFrameSynth::RangeToLoopClick},
  };
  for (const cCommand& command : kCommands) {
    if (std::strcmp(command.control, name) == 0) return (this->*command.run)();
  }
  // The preset buttons of the two synthesizers' pages.
  if (std::strcmp(name, "SpeedButton3") == 0) LoadSynthClick(false);
  if (std::strcmp(name, "SpeedButton4") == 0) SaveSynthClick(false);
  if (std::strcmp(name, "SpeedButton6") == 0) LoadSynthClick(true);
  if (std::strcmp(name, "SpeedButton5") == 0) SaveSynthClick(true);
}

void TFrameSynth::Attach(cTracker& t) {
  tracker = &t;
  editor = std::make_unique<cSynthEditor>(t, presets);
  // Called by the controller when an instrument is selected: the block
  // under the engine lock, the refresh after it.
  t.SetInstrumentEditor([this](int32_t block, const int16_t*) { editor->Load(block); },
                        [this] { Refresh(); });
  sampleImage->SetEditor(&editor->Sample());
  const QString music = QStandardPaths::writableLocation(QStandardPaths::MusicLocation);
  sampleFolder = QDir(music).exists() ? music : QDir::homePath();
}

// A new song's instruments hold none of the presets of the one before.
void TFrameSynth::SongChanged(eSongChange reason) {
  if (!editor) return;
  if (reason == eSongChange::kNewSong) presets->ForgetAll();
  editor->Load(tracker->Song().currentInstrument - 1);
  Refresh();
}

void TFrameSynth::Refresh() {
  if (!editor) return;
  const auto table = SynthControls();
  std::vector<int32_t> values(table.size());
  editor->BeginRefresh();
  for (size_t i = 0; i < table.size(); ++i) values[i] = editor->ControlValue(int32_t(i));
  const int32_t engine = editor->Engine();
  // The controls report what they are set to; the editor writes none of it.
  for (size_t i = 0; i < table.size(); ++i) SetControl(int(i), values[i]);
  ShowPages(engine);
  DrawEnvelopes();
  ShowSample();
  editor->EndRefresh();
}

void TFrameSynth::SetControl(int index, int value) {
  QWidget* w = controls[size_t(index)];
  switch (ControlAt(index).kind) {
    case K::Knob:
      static_cast<TmKnob*>(w)->SetCurValue(value);
      break;
    case K::Spin:
      static_cast<QSpinBox*>(w)->setValue(value);
      break;
    case K::Check:
      static_cast<QCheckBox*>(w)->setChecked(value != 0);
      break;
    case K::Bar:
      static_cast<QSlider*>(w)->setValue(value);
      break;
    case K::VBar:
      static_cast<QSlider*>(w)->setValue(ControlAt(index).max - value);
      break;
    case K::Combo:
      static_cast<QComboBox*>(w)->setCurrentIndex(value);
      break;
    case K::Button:
      break;
  }
}

// A page already shown or hidden as wanted is left alone. Another engine
// opens on its first page; the same engine stays on the page in view.
void TFrameSynth::ShowPages(int engine) {
  const bool keepPage = PageShown(pages->currentIndex(), engine);
  for (int32_t page = 0; page < kSynthPages; ++page) {
    const bool shown = PageShown(page, engine);
    if (pages->isTabVisible(page) != shown) pages->setTabVisible(page, shown);
  }
  // The preset buttons of the engine's pages, in the strip.
  const auto table = SynthControls();
  for (size_t i = 0; i < table.size(); ++i) {
    if (table[i].kind == K::Button && table[i].page != kPageSample)
      controls[i]->setVisible(PageShown(table[i].page, engine));
  }
  if (keepPage) return;
  for (int32_t page = 0; page < kSynthPages; ++page) {
    if (PageShown(page, engine)) {
      pages->setCurrentIndex(page);
      break;
    }
  }
}

void TFrameSynth::Changed(int index, int value) {
  if (!editor) return;
  const cControlResult result = editor->ControlChanged(index, value);
  // A loop mode the layer could not take (it holds no wave) is put back.
  if (result.sampleChanged) ShowSample();
  if (!result.wrote) return;
  if (!result.text.empty()) window.SystemMessage(QString::fromStdString(result.text));
  if (result.refresh) Refresh();
  if (result.redrawEnvelopes) DrawEnvelopes();
}

void TFrameSynth::DrawEnvelopes() {
  const auto images = EnvelopeImages();
  std::vector<cEnvelopeShape> shapes;
  for (const cEnvelopeImage& image : images)
    shapes.push_back(editor->Envelope(image, TEnvelopeView::kWidth, TEnvelopeView::kHeight));
  for (size_t i = 0; i < images.size(); ++i) envelopes[i]->SetShape(shapes[i]);
}

// The wave of the layer: its picture, its labels and its loop mode.
void TFrameSynth::ShowSample() {
  cSampleEditor& sample = editor->Sample();
  const std::string shared = SharedLayerText(editor->LayerSharedWith());
  nameLabel->setText(
      QString::fromStdString(sample.NameText() + (shared.empty() ? "" : "    " + shared)));
  loopLabel->setText(QString::fromStdString(sample.LoopText()));
  rateLabel->setText(QString::fromStdString(editor->RateText()));
  auto* mode = static_cast<QComboBox*>(Control("ComboBox2"));
  const QSignalBlocker block(mode);
  mode->setCurrentIndex(sample.LoopMode());
  sampleImage->Redraw();
  ShowTitle();
}

void TFrameSynth::ShowTitle() {
  const int32_t block = editor->Block();
  titleLabel->setText(QString::fromStdString(
      InstrumentTitle(block + 1, InstrumentHolds(*tracker, *presets, block))));
}

void TFrameSynth::SampleViewChanged(bool changed) {
  if (changed) sampleImage->Redraw();
}

void TFrameSynth::Report(const QString& title, const QString& text, const QString& path,
                         const QString& reason) {
  window.Prompts().Inform(this, title, text + "\n" + path + ": " + reason);
}

void TFrameSynth::LoadSynthClick(bool fm) {
  if (!editor) return;
  const QString last = QString::fromStdString(editor->PresetName(fm));
  const QString folder =
      QFileInfo(last).isAbsolute()
          ? QFileInfo(last).absolutePath()
          : QString::fromStdString(fm ? window.Paths().fmSynths : window.Paths().synths);
  const QString path =
      window.Prompts().OpenFileName(this, "Load Synth", folder, fm ? kFMSynthFilter : kSynthFilter);
  if (path.isEmpty()) return;
  // The preset selects the instrument again, which refreshes the frame.
  cFileResult why;
  if (!editor->LoadPreset(fm, path.toStdString(), &why)) {
    Report("Load Synth", "Preset could not be loaded!", path,
           Reason(why, fm ? "not an FM synth preset (*.zqf)" : "not a synth preset (*.zqb)"));
  }
}

void TFrameSynth::SaveSynthClick(bool fm) {
  if (!editor) return;
  const QString last = QString::fromStdString(editor->PresetName(fm));
  const QString suggested =
      QFileInfo(last).isAbsolute()
          ? last
          : QString::fromStdString(fm ? window.Paths().fmSynths : window.Paths().synths) + "/" +
                last + (fm ? ".zqf" : ".zqb");
  const QString path = window.Prompts().SaveFileName(
      this, "Save Synth", suggested, fm ? kFMSynthFilter : kSynthFilter, fm ? "zqf" : "zqb");
  if (path.isEmpty()) return;
  cFileResult why;
  if (!editor->SavePreset(fm, path.toStdString(), &why)) {
    Report("Save Synth", "Preset could not be saved!", path,
           Reason(why, QString("the instrument is not a ") + EngineName(fm ? kGenFM : kGenBass)));
  }
  ShowTitle();
}

void TFrameSynth::LoadSampleClick() {
  if (!editor) return;
  const QString path =
      window.Prompts().OpenFileName(this, "Load Sample", sampleFolder, kWaveFilter);
  if (path.isEmpty()) return;
  sampleFolder = QFileInfo(path).absolutePath();
  if (!ChangeOfSharedLayerAgreed(true)) return;
  LoadSampleFile(path);
}

// A layer that other sampler instruments play changes for them too: the
// musician says so first.
bool TFrameSynth::ChangeOfSharedLayerAgreed(bool replace) {
  const std::vector<int32_t> others = editor->LayerSharedWith();
  if (others.empty() || (!replace && !editor->Sample().HasSound())) return true;
  return window.Prompts().AskYesNo(
      this, replace ? "Load Sample" : "Delete Sample",
      QString::fromStdString(SharedLayerQuestion(editor->Layer(), others, replace)));
}

// A file that does not load leaves the layer's wave as it was.
bool TFrameSynth::LoadSampleFile(const QString& path) {
  if (!editor) return false;
  cFileResult why;
  const bool loaded = editor->LoadSample(path.toStdString(), &why);
  ShowSample();
  if (!loaded) {
    Report("Load Sample", "Sample could not be loaded!", path,
           Reason(why, "not a sound file that can be read (WAV, FLAC, AIFF or Ogg Vorbis)"));
  }
  return loaded;
}

void TFrameSynth::DeleteSampleClick() {
  if (!editor || !ChangeOfSharedLayerAgreed(false)) return;
  editor->DeleteSample();
  ShowSample();
}

void TFrameSynth::ZoomInClick() {
  if (editor) SampleViewChanged(editor->Sample().ZoomIn());
}

void TFrameSynth::ZoomOutClick() {
  if (editor) SampleViewChanged(editor->Sample().ZoomOut());
}

void TFrameSynth::ShowAllClick() {
  if (editor) SampleViewChanged(editor->Sample().ShowAll());
}

void TFrameSynth::LoopStartClick() {
  if (editor) SampleViewChanged(editor->Sample().LS());
}

void TFrameSynth::LoopEndClick() {
  if (editor) SampleViewChanged(editor->Sample().LE());
}

void TFrameSynth::RangeToLoopClick() {
  if (editor && editor->Sample().Rng2Loop()) ShowSample();
}

bool TFrameSynth::eventFilter(QObject* watched, QEvent* event) {
  if (event->type() == QEvent::MouseButtonDblClick) {
    if (auto* spin = qobject_cast<QSpinBox*>(watched->parent())) spin->setValue(0);
  }
  return QWidget::eventFilter(watched, event);
}
