#include "ui/formfxparm.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QLabel>
#include <QPushButton>
#include <QScreen>
#include <QSignalBlocker>
#include <QSlider>
#include <algorithm>
#include <cmath>

namespace {

// The layout's pixels are those of a font whose lines are 13 pixels high;
// the window grows with a larger font, never shrinks below that.
constexpr double kLayoutLineHeight = 13.0;
// Between the bar's end and the value's text.
constexpr int kValueIndent = 4;

}  // namespace

TFormFXparm::TFormFXparm(QWidget* parent)
    : QDialog(parent, Qt::Tool | Qt::WindowStaysOnTopHint | Qt::WindowTitleHint |
                          Qt::WindowCloseButtonHint) {
  setObjectName("FormFXparm");
  setModal(true);
}

TFormFXparm::~TFormFXparm() { Clear(); }

QRect TFormFXparm::Scaled(const cFormRect& r) const {
  const int left = int(std::lround(r.left * scale)), top = int(std::lround(r.top * scale));
  const int right = int(std::lround((r.left + r.width) * scale));
  const int bottom = int(std::lround((r.top + r.height) * scale));
  return QRect(left, top, right - left, bottom - top);
}

bool TFormFXparm::Build(cTracker& tracker, int chain, int slot) {
  Clear();
  if (!form.Open(tracker, chain, slot)) return false;
  scale = std::max(QFontMetrics(font()).height() / kLayoutLineHeight, 1.0);
  FitColumns();
  setWindowTitle(QString::fromStdString(form.Caption()));

  const int count = int(form.Rows().size());
  rows.resize(size_t(count));
  for (int i = 0; i < count; ++i) {
    const cFxParmRow& r = form.Rows()[size_t(i)];
    cRow& row = rows[size_t(i)];
    row.name = new QLabel(QString::fromStdString(r.label), this);
    row.name->setGeometry(Scaled(form.LabelRect(i)));
    row.bar = new QSlider(Qt::Horizontal, this);
    row.bar->setObjectName(QString("Param%1").arg(i));
    row.bar->setRange(r.minimum, r.maximum);
    row.bar->setTickPosition(QSlider::TicksBelow);
    row.bar->setTickInterval(r.tickInterval);
    row.bar->setSingleStep(1);
    row.bar->setPageStep(r.tickInterval);
    row.bar->setValue(r.value);
    row.bar->setGeometry(Scaled(form.BarRect(i)));
    connect(row.bar, &QSlider::valueChanged, this, [this, i](int value) { BarMoved(i, value); });
    row.value = new QLabel(QString::fromStdString(r.text), this);
    row.value->setGeometry(Scaled(form.ValueRect(i)));
    row.value->setIndent(int(std::lround(kValueIndent * scale)));
    if (r.tempoSync) {
      for (int n = 0; n < kFxTempoButtons; ++n) {
        auto* button = new QPushButton(QString::fromStdString(cFxParmForm::TempoCaption(n)), this);
        button->setGeometry(Scaled(form.TempoRect(i, n)));
        button->setFocusPolicy(Qt::NoFocus);
        button->setToolTip(n == 0 ? QString("One row at the song's tempo")
                                  : QString("%1 rows at the song's tempo").arg(n + 1));
        connect(button, &QPushButton::clicked, this, [this, i, n] {
          form.TempoClick(i, n);
          ShowRow(i);
        });
        row.tempo[n] = button;
      }
    }
  }
  for (int p = 0; p < form.PresetCount(); ++p) {
    auto* button = new QPushButton(QString::fromStdString(cFxParmForm::PresetCaption(p)), this);
    button->setGeometry(Scaled(form.PresetRect(p)));
    button->setFocusPolicy(Qt::NoFocus);
    button->setToolTip(p == 0 ? QString("The effect's default values")
                              : QString("Preset %1").arg(p));
    connect(button, &QPushButton::clicked, this, [this, p] {
      form.PresetClick(p);
      for (int i = 0; i < int(rows.size()); ++i) ShowRow(i);
    });
    presetButtons.push_back(button);
  }
  for (QWidget* child : findChildren<QWidget*>()) child->show();

  setFixedSize(int(std::lround(form.ClientWidth() * scale)),
               int(std::lround(form.ClientHeight() * scale)));
  const QWidget* anchor = parentWidget() != nullptr ? parentWidget()->window() : nullptr;
  QScreen* screen = anchor != nullptr ? anchor->screen() : QGuiApplication::primaryScreen();
  if (screen != nullptr) {
    const QRect desk = screen->availableGeometry();
    move(desk.x() + (desk.width() - width()) / 2, desk.y() + (desk.height() - height()) / 2);
  }
  return true;
}

// The label column takes the longest name, the value column the longest of
// the texts at the range's ends and now: no text is cut off.
void TFormFXparm::FitColumns() {
  const QFontMetrics metrics(font());
  int label = 0, value = 0;
  for (const cFxParmRow& r : form.Rows()) {
    label = std::max(label, metrics.horizontalAdvance(QString::fromStdString(r.label)));
    for (const std::string* text : {&r.text, &r.minimumText, &r.maximumText})
      value = std::max(value, metrics.horizontalAdvance(QString::fromStdString(*text)));
  }
  // A little room before the bar, and the value's digits may still grow.
  form.SetColumns(int(std::ceil((label + 6) / scale)),
                  int(std::ceil((value + 8) / scale)) + kValueIndent);
}

void TFormFXparm::Clear() {
  for (cRow& row : rows) {
    delete row.name;
    delete row.bar;
    delete row.value;
    for (QPushButton* button : row.tempo) delete button;
  }
  rows.clear();
  for (QPushButton* button : presetButtons) delete button;
  presetButtons.clear();
  form.Close();
}

// The effect may keep a value other than the bar's (a narrower range): the
// bar then shows what it kept.
void TFormFXparm::BarMoved(int row, int value) {
  form.SetParam(row, value);
  ShowRow(row);
}

void TFormFXparm::ShowRow(int row) {
  const cFxParmRow& r = form.Rows()[size_t(row)];
  cRow& controls = rows[size_t(row)];
  if (controls.bar->value() != r.value) {
    const QSignalBlocker block(controls.bar);
    controls.bar->setValue(r.value);
  }
  controls.value->setText(QString::fromStdString(r.text));
}

bool TFormFXparm::Execute(QWidget* parent, cTracker& tracker, int chain, int slot) {
  TFormFXparm window(parent);
  if (!window.Build(tracker, chain, slot)) return false;
  window.exec();
  window.Clear();
  return true;
}
