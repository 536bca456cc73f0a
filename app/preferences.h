#pragma once
// What the Preferences window's OK does with the settings it was given and
// those it shows: which parts of the program start again, which wait for the
// next start, and which keys the settings file gets.

#include <string>

#include "app/config.h"

struct cPreferenceChanges {
  bool device = false;     // the output stops and starts on the new device
  bool midiInput = false;  // the MIDI input listens anew
  // The rate and the latency size tables made at start-up, and autosave
  // keeps its session marker from the start: they take effect at the next
  // start.
  bool atNextStart = false;
  bool any = false;  // some key of the file changes
};

cPreferenceChanges ComparePreferences(const cConfig& before, const cConfig& after);

// What the window says about a change that waits for the next start.
constexpr const char* kNextStartNote =
    "Sample rate, latency and autosave take effect at the next start.";
