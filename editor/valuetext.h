#pragma once
// What a control's value means, worded for the musician: the instrument
// knobs in the unit their engine gives the word (ms, Hz, %, semitones,
// degrees) and the oscillators' waveforms by name. Knobs show these as
// tooltips and to screen readers; the status line keeps the engine's plain
// number.

#include <cstdint>
#include <string>

#include "editor/synthcontrols.h"

// The name of a waveform ("Saw", "Half Sine") for an oscillator waveform
// control; null for every other control.
const char* WaveformName(const cSynthControl& control, int32_t value);

// The value of a control in its unit ("30 ms", "0.31 Hz", "38%"); block is
// the instrument's 128 words, for the words the unit depends on (an LFO's
// rate range). A word without a unit gives the plain number.
std::string ControlValueText(const cSynthControl& control, int32_t value, const int16_t* block);
