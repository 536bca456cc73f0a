#pragma once
// The channel page: the 16 channel volumes, the chain being edited with its
// four effect slots ("..." opens an effect's parameters) and, for the 16
// channel chains, the sends to the four aux buses. The values and the rules
// live in cChansPage; the controls show it and forward the user's moves.

#include <QWidget>

#include "editor/chanspage.h"
#include "ui/songpart.h"

class QComboBox;
class QLabel;
class QPushButton;
class QSlider;

class TFrameChans : public QWidget, public TSongPart {
  Q_OBJECT

 public:
  // Puts itself into the slot's layout.
  explicit TFrameChans(QWidget* slot);

  void Attach(cTracker& tracker) override;
  void SongChanged(eSongChange reason) override;

  const cChansPage& Page() const { return page; }

  // The controls, for the tests and the screenshots.
  QSlider* VolumeBar(int channel) { return volumeBars[channel]; }
  QLabel* VolumeLabel(int channel) { return volumeLabels[channel]; }
  QLabel* ChannelNumber(int channel) { return channelNumbers[channel]; }
  QComboBox* ChainBox() { return chainBox; }
  QComboBox* TypeBox(int slot) { return typeBoxes[slot]; }
  QPushButton* ParamButton(int slot) { return paramButtons[slot]; }
  QSlider* SendBar(int bus) { return sendBars[bus]; }

  // "..." of the slot: the effect's parameter window, modal, when the slot
  // holds an effect; returns whether it was shown.
  bool ParamClick(int slot);

 private:
  QWidget* BuildVolumes();
  QWidget* BuildChain();
  // The controls take the page's values without writing them back.
  void ShowAll();
  void ShowChain();

  cTracker* tracker = nullptr;
  cChansPage page;
  int channelCount = 0;
  QSlider* volumeBars[kPageChannels] = {};
  QLabel* volumeLabels[kPageChannels] = {};
  QLabel* channelNumbers[kPageChannels] = {};
  QComboBox* chainBox = nullptr;
  QLabel* slotCaptions[kPageSlots] = {};
  QComboBox* typeBoxes[kPageSlots] = {};
  QPushButton* paramButtons[kPageSlots] = {};
  QWidget* sends = nullptr;
  QSlider* sendBars[kPageBuses] = {};
  QLabel* sendLabels[kPageBuses] = {};
};
