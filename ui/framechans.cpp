#include "ui/framechans.h"

#include <QComboBox>
#include <QFontMetrics>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLayout>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSlider>
#include <QVBoxLayout>
#include <mutex>

#include "app/tracker.h"
#include "ui/formfxparm.h"

namespace {

constexpr int kVolumeBarHeight = 220;  // logical pixels, about 1.4 % a pixel

QFrame* Panel(QWidget* parent) {
  auto* panel = new QFrame(parent);
  panel->setFrameStyle(QFrame::StyledPanel | QFrame::Sunken);
  return panel;
}

QLabel* Label(const QString& text, QWidget* parent, Qt::Alignment align = Qt::AlignCenter) {
  auto* label = new QLabel(text, parent);
  label->setAlignment(align);
  return label;
}

}  // namespace

TFrameChans::TFrameChans(QWidget* slot) : QWidget(slot) {
  setObjectName("FrameChans");
  auto* row = new QHBoxLayout(this);
  // The frame sits at left 4, top 4 of the lower area.
  row->setContentsMargins(4, 4, 4, 4);
  row->setSpacing(6);
  row->addWidget(BuildVolumes());
  row->addWidget(BuildChain());
  row->addStretch(1);
  setMinimumSize(786, 300);
  if (QLayout* place = slot->layout()) {
    place->addWidget(this);
    place->setAlignment(this, Qt::AlignLeft | Qt::AlignTop);
  }
}

QWidget* TFrameChans::BuildVolumes() {
  QFrame* panel = Panel(this);
  auto* grid = new QGridLayout(panel);
  grid->setContentsMargins(6, 6, 6, 6);
  grid->setHorizontalSpacing(2);
  grid->setVerticalSpacing(4);
  const int column = QFontMetrics(font()).horizontalAdvance("300%") + 6;
  for (int c = 0; c < kPageChannels; ++c) {
    channelNumbers[c] = Label(QString::number(c), panel);
    channelNumbers[c]->setToolTip(QString("Channel %1").arg(c));
    grid->addWidget(channelNumbers[c], 0, c);

    // Qt puts a vertical slider's maximum at the top: the value is the
    // volume, loud at the top.
    QSlider* bar = new QSlider(Qt::Vertical, panel);
    bar->setObjectName(QString("Volume%1").arg(c));
    bar->setRange(0, kChannelVolumeMax);
    bar->setValue(100);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setTickPosition(QSlider::TicksRight);
    bar->setTickInterval(100);
    bar->setFixedHeight(kVolumeBarHeight);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setToolTip(QString("Volume of channel %1").arg(c));
    bar->setAccessibleName(QString::fromStdString(ChainName(c)) + " Volume");
    volumeBars[c] = bar;
    grid->addWidget(bar, 1, c, Qt::AlignHCenter);

    volumeLabels[c] = Label(QString::fromStdString(VolumeText(100)), panel);
    volumeLabels[c]->setMinimumWidth(column);
    grid->addWidget(volumeLabels[c], 2, c);

    connect(bar, &QSlider::valueChanged, this, [this, c](int value) {
      page.SetChannelVolume(c, value);
      volumeLabels[c]->setText(QString::fromStdString(VolumeText(value)));
    });
  }
  return panel;
}

QWidget* TFrameChans::BuildChain() {
  QFrame* panel = Panel(this);
  auto* column = new QVBoxLayout(panel);
  column->setContentsMargins(6, 6, 6, 6);
  column->setSpacing(4);

  chainBox = new QComboBox(panel);
  chainBox->setObjectName("ChainBox");
  chainBox->setFocusPolicy(Qt::NoFocus);
  chainBox->setMaxVisibleItems(kPageChains);
  chainBox->setToolTip("The channel or aux bus whose effects are shown");
  chainBox->setAccessibleName("Effect Chain");
  for (int chain = 0; chain < kPageChains; ++chain)
    chainBox->addItem(QString::fromStdString(ChainName(chain)));
  column->addWidget(chainBox);
  connect(chainBox, &QComboBox::currentIndexChanged, this, [this](int chain) {
    page.SelectChain(chain);
    ShowChain();
  });

  auto* slotGrid = new QGridLayout;
  slotGrid->setHorizontalSpacing(4);
  slotGrid->setVerticalSpacing(4);
  for (int s = 0; s < kPageSlots; ++s) {
    slotCaptions[s] =
        Label(QString::fromStdString(SlotCaption(s)), panel, Qt::AlignLeft | Qt::AlignVCenter);
    slotGrid->addWidget(slotCaptions[s], s, 0);
    QComboBox* box = new QComboBox(panel);
    box->setObjectName(QString("FxType%1").arg(s));
    box->setFocusPolicy(Qt::NoFocus);
    box->setMaxVisibleItems(EffectTypeCount());
    box->setAccessibleName(QString::fromStdString(SlotCaption(s)) + " Effect");
    slotCaptions[s]->setBuddy(box);  // what a screen reader on Linux names the box by
    for (int type = 0; type < EffectTypeCount(); ++type) box->addItem(EffectTypeName(type));
    typeBoxes[s] = box;
    slotGrid->addWidget(box, s, 1);
    QPushButton* open = new QPushButton("...", panel);
    open->setObjectName(QString("FxParams%1").arg(s));
    open->setFocusPolicy(Qt::NoFocus);
    open->setToolTip("The effect's parameters");
    open->setAccessibleName(QString::fromStdString(SlotCaption(s)) + " Parameters");
    open->setFixedWidth(QFontMetrics(font()).horizontalAdvance("...") + 20);
    paramButtons[s] = open;
    slotGrid->addWidget(open, s, 2);
    connect(box, &QComboBox::currentIndexChanged, this, [this, s](int type) {
      page.ChangeType(s, type);
      paramButtons[s]->setEnabled(page.CanOpen(s));
    });
    connect(open, &QPushButton::clicked, this, [this, s] { ParamClick(s); });
  }
  slotGrid->setColumnStretch(1, 1);
  column->addLayout(slotGrid);
  column->addSpacing(8);

  // Aux chains send nowhere: their send bars are hidden as one.
  sends = new QWidget(panel);
  auto* grid = new QGridLayout(sends);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->setHorizontalSpacing(4);
  const int valueWidth = QFontMetrics(font()).horizontalAdvance("100%") + 4;
  for (int b = 0; b < kPageBuses; ++b) {
    grid->addWidget(
        Label(QString::fromStdString(SendCaption(b)), sends, Qt::AlignLeft | Qt::AlignVCenter), b,
        0);
    QSlider* bar = new QSlider(Qt::Horizontal, sends);
    bar->setObjectName(QString("Send%1").arg(b));
    bar->setRange(0, kSendMax);
    bar->setSingleStep(1);
    bar->setPageStep(10);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(10);
    bar->setFocusPolicy(Qt::NoFocus);
    bar->setToolTip(QString("Send to aux bus %1").arg(b + 1));
    bar->setAccessibleName("Send to " + QString::fromStdString(SendCaption(b)));
    sendBars[b] = bar;
    grid->addWidget(bar, b, 1);
    sendLabels[b] =
        Label(QString::fromStdString(VolumeText(0)), sends, Qt::AlignRight | Qt::AlignVCenter);
    sendLabels[b]->setMinimumWidth(valueWidth);
    grid->addWidget(sendLabels[b], b, 2);
    connect(bar, &QSlider::valueChanged, this, [this, b](int level) {
      page.SetSend(b, level);
      sendLabels[b]->setText(QString::fromStdString(VolumeText(level)));
    });
  }
  grid->setColumnStretch(1, 1);
  column->addWidget(sends);
  column->addStretch(1);
  panel->setMinimumWidth(240);
  return panel;
}

void TFrameChans::Attach(cTracker& t) {
  tracker = &t;
  page.Attach(t);
  ShowAll();
}

// The song was replaced or its channel count changed: everything is read
// again, so that the next touch does not write the old song's values back.
void TFrameChans::SongChanged(eSongChange) {
  if (tracker == nullptr) return;
  page.Reload();
  ShowAll();
}

void TFrameChans::ShowAll() {
  channelCount = tracker->Song().channelCount;
  for (int c = 0; c < kPageChannels; ++c) {
    const QSignalBlocker block(volumeBars[c]);
    volumeBars[c]->setValue(page.Volume(c));
    volumeLabels[c]->setText(QString::fromStdString(VolumeText(page.Volume(c))));
    // Channels the song does not play keep their volume, greyed.
    channelNumbers[c]->setEnabled(c < channelCount);
  }
  {
    const QSignalBlocker block(chainBox);
    chainBox->setCurrentIndex(page.Chain());
  }
  ShowChain();
}

void TFrameChans::ShowChain() {
  for (int s = 0; s < kPageSlots; ++s) {
    const QSignalBlocker block(typeBoxes[s]);
    typeBoxes[s]->setCurrentIndex(page.Type(s));
    paramButtons[s]->setEnabled(page.CanOpen(s));
  }
  for (int b = 0; b < kPageBuses; ++b) {
    const QSignalBlocker block(sendBars[b]);
    sendBars[b]->setValue(page.Send(b));
    sendLabels[b]->setText(QString::fromStdString(VolumeText(page.Send(b))));
  }
  sends->setVisible(page.SendsVisible());
  // The strip of the channel whose chain is shown has its number in bold.
  for (int c = 0; c < kPageChannels; ++c) {
    QFont bold = channelNumbers[c]->font();
    bold.setBold(c == page.Chain());
    channelNumbers[c]->setFont(bold);
  }
}

bool TFrameChans::ParamClick(int slot) {
  if (tracker == nullptr || !page.CanOpen(slot)) return false;
  return TFormFXparm::Execute(this, *tracker, page.Chain(), slot);
}
