// The Preferences window's OK: the output, the MIDI input and the settings
// file follow the choices.

#include <QLabel>

#include "app/preferences.h"
#include "app/tracker.h"
#include "audio/devicechoice.h"
#include "editor/patterneditor.h"
#include "midi/midiinput.h"
#include "ui/formpreferences.h"
#include "ui/mainform.h"
#include "ui/patterneditorpart.h"

void TMainForm::PreferencesClick() {
  if (!tracker || shutDown) return;
  TFormPreferences window(this, config, ListSoundDevices(), ListMidiPorts(nullptr));
  if (window.exec() != QDialog::Accepted) return;
  ApplyPreferences(window.Chosen());
}

QString TMainForm::ApplyPreferences(const cConfig& chosen) {
  if (!tracker || shutDown) return {};
  cConfig next = chosen;
  const cPreferenceChanges changes = ComparePreferences(config, next);
  if (!changes.any) return {};
  QStringList lines;
  if (changes.device) {
    std::string why;
    if (!tracker->ChangeDevice(next.device, &why)) {
      next.device = config.device;  // the file keeps the device that plays
      lines << QString::fromStdString(why);
    } else if (!tracker->DeviceWarning().empty()) {
      lines << QString::fromStdString(tracker->DeviceWarning());
    }
  }
  if (changes.midiInput) {
    if (patternEditor != nullptr && patternEditor->Editor() != nullptr)
      patternEditor->Editor()->ForgetMidiNotes();
    const std::string midi = tracker->OpenMidiInput(next.midiInput);
    if (!midi.empty()) lines << QString::fromStdString(midi);
  }
  if (changes.atNextStart) lines << kNextStartNote;
  std::string error;
  if (!SaveConfig(iniPath, next, config, &error))
    lines << QString::fromStdString("The settings cannot be saved: " + error);
  config = next;
  if (patternEditor != nullptr) patternEditor->ApplySettings(config);
  const QString text = lines.join(' ');
  if (!text.isEmpty()) SystemMessage(text);
  return text;
}
