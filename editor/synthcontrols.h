#pragma once
// The instrument editor's controls as data: every control of the four pages
// and the strip, with the instrument word it edits (its tag), its range, its
// inversion and the handler that writes it. The widgets are built from this
// table, and the handlers' rules below say what each change writes.

#include <cstdint>
#include <span>
#include <string>

#include "engine/generator.h"

// The pages of the instrument editor; the strip below them is always shown.
enum : int32_t {
  kPageOscillators = 0,
  kPageFilter = 1,
  kPageSample = 2,
  kPageFM = 3,
  kSynthPages = 4,
  kStrip = -1,
};

enum class cControlKind {
  Knob,    // rotary knob
  Spin,    // spin edit
  Check,   // check box: 1 checked, 0 not
  Bar,     // horizontal track bar
  VBar,    // vertical track bar; its position counts from the top
  Combo,   // list box; its value is the item index
  Button,  // a command of the page (presets, samples, sample editor)
};

// The handlers, named after the controls that first used them.
enum class cSynthHandler {
  None,               // buttons: the frame runs their commands itself
  SpinEditChange,     // spin value
  TuneChange,         // page 0 "Tune" into word 65
  SpinEdit104Change,  // page 3 "Tune" into word 2
  CheckBox1Click,     // 1 when checked
  CheckBox3Click,     // 0 when checked ("No RST", "Keyb")
  TrackBarChange2,    // bar position
  TrackBar2Change,    // 127 - bar position (the "FB" and "LV" bars)
  TrackBarChange,     // bar position (the Distorter)
  mKnobChange2,       // knob position, with its text
  mKnobChange,        // as mKnobChange2, and the envelope pictures follow
  mKnob31Change,      // the sample page's envelope knobs, as mKnobChange
  SE_TuneChange,      // into word 4
  SE_FineChange,      // into word 3
  SE_LayerChange,     // word 2 through SetParams; the layer's wave is shown
  ComboBox1Change,    // the engine change
  ComboBox2Change,    // the loop mode of the layer's wave
};

struct cHandlerRule {
  bool paramText;        // the written value is shown as a message
  bool redrawEnvelopes;  // the envelope pictures are drawn again
};
cHandlerRule HandlerRule(cSynthHandler handler);

struct cSynthControl {
  const char* name;   // the control's name, e.g. "SpinEdit1"
  int32_t page;       // kPage..., or kStrip
  const char* group;  // the caption of its group; "" on the page itself
  const char* label;  // "" for the unlabelled knobs
  cControlKind kind;
  int32_t word;  // the instrument word it edits (its tag); -1 for none
  int32_t min, max;
  bool inverted;  // the written value is 127 - position, or 0 when checked
  cSynthHandler handler;
  int32_t initial;  // what it shows before an instrument is loaded
};

std::span<const cSynthControl> SynthControls();
// Index into SynthControls() of the named control; -1 when none has it.
int32_t FindSynthControl(const char* name);

// What a control at the index of SynthControls() is called: its caption is
// its label ("Attack curve" for the unlabelled knobs, "Engine" and "Loop
// Mode" for the boxes); its accessible name is the caption with its group
// where captions repeat ("Oscillator 2 Detune"), and with its engine where
// that still repeats ("FM Synth Volume Envelope Attack"). Every control
// has a name of its own, so that a screen reader can tell them apart.
std::string ControlCaption(int32_t index);
const std::string& ControlAccessibleName(int32_t index);

// The captions of the pages, and the engines' names in the engine box.
const char* PageCaption(int32_t page);
const char* EngineName(int32_t engine);
// The loop modes' names in the loop-mode box.
const char* LoopModeName(int32_t mode);

// Whether the page is shown for an instrument of the engine.
bool PageShown(int32_t page, int32_t engine);
// The engine whose words a page edits; -1 for the strip, which edits all.
int32_t PageEngine(int32_t page);

// The value a control shows for a word of the block.
int32_t ControlValueFromWord(const cSynthControl& control, int16_t word);
// The value a change of the control writes into its word.
int16_t WordFromControlValue(const cSynthControl& control, int32_t value);
