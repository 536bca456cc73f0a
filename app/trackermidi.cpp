// MIDI in: the input the settings name, feeding the engine's live notes.

#include "app/tracker.h"

std::string cTracker::OpenMidiInput(const std::string& setting) {
  if (!midiInput) midiInput = std::make_unique<cMidiInput>(*liveNotes);
  return midiInput->SetInput(setting);
}
