#include "ui/formpreferences.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialogButtonBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>
#include <QVBoxLayout>
#include <algorithm>

#include "app/preferences.h"
#include "app/tracker.h"
#include "editor/keyoptions.h"

namespace {

// An editable list that holds value whether or not it is one of the items.
QComboBox* ChoiceBox(const QStringList& items, const std::string& value, const char* name) {
  auto* box = new QComboBox;
  box->setObjectName(name);
  box->setAccessibleName(name);
  box->setEditable(true);
  box->addItems(items);
  box->setCurrentText(QString::fromStdString(value));
  box->setMinimumContentsLength(28);
  return box;
}

QStringList Texts(const std::vector<std::string>& names) {
  QStringList list;
  for (const std::string& name : names) list << QString::fromStdString(name);
  return list;
}

}  // namespace

TFormPreferences::TFormPreferences(QWidget* parent, const cConfig& config,
                                   const std::vector<std::string>& devices,
                                   const std::vector<std::string>& midiPorts)
    : QDialog(parent), given(config) {
  setWindowTitle("Preferences");
  setObjectName("Preferences");
  auto* form = new QFormLayout;

  // "wav:PATH" records what plays into PATH.
  device = ChoiceBox(
      QStringList{"default", "null"} + Texts(devices) + QStringList{"wav:murvelon-recording.wav"},
      config.device, "Output device");
  form->addRow("Output &device:", device);

  rate = ChoiceBox({"22050", "32000", "44100", "48000", "88200", "96000"},
                   std::to_string(config.frequency), "Sample rate");
  form->addRow("Sample &rate (Hz):", rate);

  latency = new QSpinBox;
  latency->setObjectName("Latency");
  latency->setAccessibleName("Latency");
  latency->setRange(20, kMaxLatencyMs);
  latency->setSingleStep(20);
  latency->setSuffix(" ms");
  latency->setValue(config.latency);
  form->addRow("&Latency:", latency);

  autosave = new QSpinBox;
  autosave->setObjectName("AutosaveSeconds");
  autosave->setAccessibleName("Autosave interval");
  autosave->setRange(0, 3600);
  autosave->setSpecialValueText("Off");
  autosave->setSuffix(" s");
  autosave->setValue(config.autosaveSeconds);
  form->addRow("&Autosave every:", autosave);

  auto* note = new QLabel(kNextStartNote);
  note->setObjectName("NextStartNote");
  note->setAccessibleName("Note on the settings that wait for the next start");
  form->addRow(note);

  midi = ChoiceBox(QStringList{"none", "all"} + Texts(midiPorts), config.midiInput, "MIDI input");
  form->addRow("&MIDI input:", midi);

  velocity = new QCheckBox("MIDI &velocity into the volume column");
  velocity->setObjectName("MidiVelocity");
  velocity->setAccessibleName(velocity->text().remove('&'));
  velocity->setChecked(config.midiVelocity != 0);
  form->addRow(velocity);

  noteOff = new QCheckBox("MIDI note-&off writes \"off\" in edit mode");
  noteOff->setObjectName("MidiNoteOff");
  noteOff->setAccessibleName(noteOff->text().remove('&'));
  noteOff->setChecked(config.midiNoteOff != 0);
  form->addRow(noteOff);

  previewRelease = new QCheckBox("A previewed note &stops when its key is let go");
  previewRelease->setObjectName("PreviewRelease");
  previewRelease->setAccessibleName(previewRelease->text().remove('&'));
  previewRelease->setChecked(config.previewRelease != 0);
  form->addRow(previewRelease);

  digitAdvance = new QComboBox;
  digitAdvance->setObjectName("DigitAdvance");
  digitAdvance->setAccessibleName("Hex digits advance");
  for (const cDigitAdvanceName& choice : kDigitAdvanceNames)
    digitAdvance->addItem(choice.told, QString(choice.name));
  digitAdvance->setCurrentIndex(
      digitAdvance->findData(QString(NameOf(DigitAdvanceOf(config.digitAdvance)))));
  form->addRow("&Hex digits:", digitAdvance);

  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel);
  buttons->setObjectName("Buttons");
  buttons->button(QDialogButtonBox::Ok)->setAccessibleName("OK");
  buttons->button(QDialogButtonBox::Cancel)->setAccessibleName("Cancel");
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);

  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(buttons);
}

cConfig TFormPreferences::Chosen() const {
  cConfig chosen = given;
  const std::string deviceText = device->currentText().trimmed().toStdString();
  chosen.device = deviceText.empty() ? "default" : deviceText;
  bool number = false;
  const int hz = rate->currentText().trimmed().toInt(&number);
  if (number && hz >= 8000 && hz <= 192000) chosen.frequency = hz;
  // The output rounds to whole blocks: the file keeps what it will use.
  if (latency->value() != given.latency) chosen.latency = RoundLatencyMs(latency->value());
  const std::string midiText = midi->currentText().trimmed().toStdString();
  chosen.midiInput = midiText.empty() ? "none" : midiText;
  // A box left as it was keeps the file's own non-zero value.
  if (velocity->isChecked() != (given.midiVelocity != 0))
    chosen.midiVelocity = velocity->isChecked() ? 1 : 0;
  if (noteOff->isChecked() != (given.midiNoteOff != 0))
    chosen.midiNoteOff = noteOff->isChecked() ? 1 : 0;
  if (previewRelease->isChecked() != (given.previewRelease != 0))
    chosen.previewRelease = previewRelease->isChecked() ? 1 : 0;
  // A setting the list names otherwise ("Field") stays as the file has it.
  const std::string advance = digitAdvance->currentData().toString().toStdString();
  if (DigitAdvanceOf(advance) != DigitAdvanceOf(given.digitAdvance)) chosen.digitAdvance = advance;
  // The box holds 0-3600: a value beyond it stays unless the box moved.
  if (autosave->value() != std::clamp(given.autosaveSeconds, 0, 3600))
    chosen.autosaveSeconds = autosave->value();
  return chosen;
}
