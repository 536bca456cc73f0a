#pragma once
// What the instrument editor does with a change of one of its controls: the
// word it writes through the song's edit path, the text it shows, the
// engine change, the presets and the samples. The frame builds its widgets
// from SynthControls() and forwards their changes here. UI thread only.

#include <cstdint>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "editor/envelope.h"
#include "editor/instrumentlist.h"
#include "editor/sampleeditor.h"
#include "editor/synthcontrols.h"

// What the frame does after a control changed.
struct cControlResult {
  bool wrote = false;            // a word (or the wave's loop mode) changed
  std::string text;              // for SystemMessage; empty: none
  bool redrawEnvelopes = false;  // the envelope pictures follow the words
  bool refresh = false;          // every control and page shown anew (engine change)
  bool sampleChanged = false;    // the sample page shows another wave or loop
};

class cSynthEditor : private cLoopWriter {
 public:
  // presets, when given, learns the name of every preset loaded or saved.
  explicit cSynthEditor(cTracker& tracker, cPresetMemory* presets = nullptr);

  // The block (0-127) the editor edits from now on; the controller calls
  // this, under the engine lock, when an instrument is selected.
  void Load(int32_t block);
  int32_t Block() const { return block; }
  const int16_t* Params() const { return tracker.GetParams(block); }
  int32_t Engine() { return Params()[kParamGenType]; }

  // Around a refresh, while the frame sets its controls from the block:
  // changes they report in between write nothing. BeginRefresh also shows
  // the wave of the instrument's layer when it is a sampler.
  void BeginRefresh();
  void EndRefresh() { updating = 1; }
  // What the control at the index of SynthControls() shows for the block.
  int32_t ControlValue(int32_t index);

  // What the control shows when its word is the instrument engine's
  // default (a double click on a knob puts it there).
  int32_t DefaultControlValue(int32_t index);
  // The control's value in its unit, for its tooltip and screen readers.
  std::string ValueText(int32_t index, int32_t value);

  // A control at the index of SynthControls() changed to value. The changes
  // of one drag of a control merge into one step.
  cControlResult ControlChanged(int32_t index, int32_t value);

  // The engine change: the edited channel's voices stop, then after a wait
  // the block becomes the defaults of the engine (0-2).
  void ChangeEngine(int32_t engine);
  // Milliseconds between stopping the voices and the new defaults.
  int32_t engineChangeWaitMs = 100;

  // Presets of the virtual-analogue (fm false, .zqb) or FM synthesizer
  // (.zqf). A load happens only into an instrument of that engine and then
  // selects the instrument again, so that the frame refreshes.
  // why, when given, says why a preset did not load or save.
  bool LoadPreset(bool fm, const std::string& path, cFileResult* why = nullptr);
  bool SavePreset(bool fm, const std::string& path, cFileResult* why = nullptr);
  // The save dialog's default: the path of the last preset loaded or saved,
  // else the name "Synth" or "FMSynth".
  const std::string& PresetName(bool fm) const { return presetName[fm ? 1 : 0]; }

  // The layer's wave: a sample file (WAV, FLAC, AIFF, Ogg Vorbis) loaded
  // into it, or deleted. A file that fails leaves the layer as it was.
  bool LoadSample(const std::string& path, cFileResult* why = nullptr);
  void DeleteSample();
  // The rate of the file the layer's wave came from, as "22050 Hz"; empty
  // when the wave came from elsewhere (a song file holds no rate).
  std::string RateText();
  int32_t Layer() { return Params()[2] & 0x7F; }
  // The other sampler instruments (numbers 1-128) whose layer is this
  // sampler's: a new or deleted sample changes theirs too. Empty for the
  // synths.
  std::vector<int32_t> LayerSharedWith();
  cSampleEditor& Sample() { return sample; }

  // The shape of an envelope picture of width x height pixels.
  cEnvelopeShape Envelope(const cEnvelopeImage& image, int32_t width, int32_t height);

 private:
  // The preset's path as the dialogs' default and the block's preset name.
  void Remember(bool fm, const std::string& path);
  // The loop writes of the sample page, through the edit path.
  bool SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd) override;
  bool SetLoopMode(int32_t slot, uint32_t mode) override;

  cTracker& tracker;
  cPresetMemory* presets;
  int32_t block = 0;
  int32_t updating = 1;
  cSampleEditor sample;
  std::string presetName[2] = {"Synth", "FMSynth"};
  // The rate of the file each layer's sound was last loaded from, while the
  // layer holds that sound (an undo may take it away and a redo bring it
  // back: sounds are never changed, so the buffer tells).
  struct cFileRate {
    std::weak_ptr<const int16_t[]> sound;
    int32_t rate = 0;
  };
  cFileRate fileRates[kWaveSlots];
};
