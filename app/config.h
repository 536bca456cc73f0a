#pragma once
// The program's settings, read at start-up from the settings file. Every
// key has the default a missing key takes.

#include <cstdint>
#include <string>

// Every key of the settings file, one line each: its section and name in
// the file, and the type, name and default of its field in cConfig.
// Reading, writing and the tests go through this list; a new key is a new
// line here. A missing key, or a value that is not of the type, gives the
// default; an empty text keeps the default too.
#define MURVELON_CONFIG_KEYS(KEY)                                                                \
  KEY("DirectSound", "Frequency", int32_t, frequency, 44100) /* output rate in Hz */             \
  KEY("DirectSound", "Latency", int32_t, latency, 80) /* ms in each half of the output buffer */ \
  KEY("DirectSound", "Timer1Mult", int32_t, timer1Mult, 2)                                       \
  KEY("DirectSound", "Timer2ms", int32_t, timer2ms, 20)                                          \
  KEY("DirectSound", "Timer3ms", int32_t, timer3ms, 250)                                         \
  KEY("DirectSound", "PriorityClass", int32_t, priorityClass, 0)                                 \
  KEY("DirectSound", "ThreadPriority", int32_t, threadPriority, 0)                               \
  KEY("DirectSound", "SoundDevice", int32_t, soundDevice, 0)                                     \
  KEY("DirectSound", "Device", std::string, device, "default")                                   \
  KEY("Tracker", "Chans", int32_t, chans, 4)                                                     \
  KEY("Tracker", "RowAdd", int32_t, rowAdd, 1)                                                   \
  KEY("Tracker", "Octave", int32_t, octave, 3)                                                   \
  KEY("Tracker", "MasterVol", int32_t, masterVol, 120)                                           \
  KEY("Tracker", "MasterPan", int32_t, masterPan, 0)                                             \
  KEY("Tracker", "BPM", int32_t, bpm, 126)                                                       \
  KEY("Tracker", "Speed", int32_t, speed, 6)                                                     \
  KEY("Tracker", "PanelBuffering", int32_t, panelBuffering, 1)                                   \
  KEY("Tracker", "CPUcalc", int32_t, cpuCalc, 1)                                                 \
  /* a copy of a modified song at most this often, in seconds; 0: none */                        \
  KEY("Tracker", "AutosaveSeconds", int32_t, autosaveSeconds, 30)                                \
  /* non-zero: a previewed note is released when its key is let go */                            \
  KEY("Tracker", "PreviewRelease", int32_t, previewRelease, 1)                                   \
  /* digit: every hex digit typed moves the cursor on by the row advance; */                     \
  /* field: to the field's next digit, after its last back and on */                             \
  KEY("Tracker", "DigitAdvance", std::string, digitAdvance, "digit")                             \
  /* none, all, or a port name */                                                                \
  KEY("MIDI", "Input", std::string, midiInput, "none")                                           \
  /* non-zero: a MIDI note's velocity goes into the volume column */                             \
  KEY("MIDI", "MidiVelocity", int32_t, midiVelocity, 0)                                          \
  /* non-zero: a MIDI note-off in edit mode writes "off" */                                      \
  KEY("MIDI", "MidiNoteOff", int32_t, midiNoteOff, 0)

struct cConfig {
#define MURVELON_CONFIG_FIELD(section, key, type, field, fallback) type field = fallback;
  MURVELON_CONFIG_KEYS(MURVELON_CONFIG_FIELD)
#undef MURVELON_CONFIG_FIELD

  // Where the wavetable cache is read and written; empty builds the tables
  // in memory without a cache. Not a key: the program's folders decide it.
  std::string wavetableCache;
};

// Calls visit(section, key, &cConfig::field) for every key, in the list's
// order.
template <typename Visit>
void ForEachConfigKey(Visit&& visit) {
#define MURVELON_CONFIG_VISIT(section, key, type, field, fallback) \
  visit(section, key, &cConfig::field);
  MURVELON_CONFIG_KEYS(MURVELON_CONFIG_VISIT)
#undef MURVELON_CONFIG_VISIT
}
