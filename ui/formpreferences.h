#pragma once
// The Preferences window: the output device, sample rate and latency, the
// MIDI input and what MIDI notes write, and what typing does. It shows settings and gives back
// those chosen; the main window applies them (cPreferenceChanges says what
// each change needs).

#include <QDialog>
#include <string>
#include <vector>

#include "app/config.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QSpinBox;

class TFormPreferences : public QDialog {
  Q_OBJECT

 public:
  // devices: the outputs as the device setting names them; midiPorts: the
  // MIDI sources as the input setting names them.
  TFormPreferences(QWidget* parent, const cConfig& config, const std::vector<std::string>& devices,
                   const std::vector<std::string>& midiPorts);

  // The settings given, with the window's choices in them.
  cConfig Chosen() const;

  QComboBox* DeviceBox() { return device; }
  QComboBox* RateBox() { return rate; }
  QSpinBox* LatencyEdit() { return latency; }
  QComboBox* MidiBox() { return midi; }
  QCheckBox* VelocityBox() { return velocity; }
  QCheckBox* NoteOffBox() { return noteOff; }
  QSpinBox* AutosaveEdit() { return autosave; }
  QCheckBox* PreviewReleaseBox() { return previewRelease; }
  QComboBox* DigitAdvanceBox() { return digitAdvance; }

 private:
  cConfig given;
  QComboBox* device = nullptr;
  QComboBox* rate = nullptr;
  QSpinBox* latency = nullptr;
  QComboBox* midi = nullptr;
  QCheckBox* velocity = nullptr;
  QCheckBox* noteOff = nullptr;
  QSpinBox* autosave = nullptr;
  QCheckBox* previewRelease = nullptr;
  QComboBox* digitAdvance = nullptr;
};
