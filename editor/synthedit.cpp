#include "editor/synthedit.h"

#include <chrono>
#include <thread>

#include "editor/samplerlayers.h"
#include "editor/valuetext.h"

namespace {

// "Oscillator 2 Detune": a control's label with its group, for the Edit
// menu's "Undo ...".
std::string StepName(const cSynthControl& c) {
  std::string name = c.group;
  if (*c.label) name += std::string(name.empty() ? "" : " ") + c.label;
  return name.empty() ? "Instrument Change" : name;
}

}  // namespace

cSynthEditor::cSynthEditor(cTracker& tracker, cPresetMemory* presets)
    : tracker(tracker), presets(presets), sample(tracker.Waves(), *this) {}

void cSynthEditor::Load(int32_t newBlock) { block = newBlock & 0x7F; }

void cSynthEditor::BeginRefresh() {
  updating = 0;
  if (Engine() == kGenSampler && sample.Slot() != Layer()) sample.SetWave(Layer());
}

int32_t cSynthEditor::ControlValue(int32_t index) {
  const auto controls = SynthControls();
  if (index < 0 || size_t(index) >= controls.size()) return 0;
  const cSynthControl& c = controls[size_t(index)];
  if (c.handler == cSynthHandler::ComboBox2Change) return sample.LoopMode();
  if (c.word < 0) return c.initial;
  return ControlValueFromWord(c, Params()[c.word]);
}

int32_t cSynthEditor::DefaultControlValue(int32_t index) {
  const auto controls = SynthControls();
  if (index < 0 || size_t(index) >= controls.size()) return 0;
  const cSynthControl& c = controls[size_t(index)];
  if (c.word < 0) return c.initial;
  int16_t defaults[kInstrumentWords] = {};
  tracker.GetDefaults(Engine(), defaults);
  return ControlValueFromWord(c, defaults[c.word]);
}

std::string cSynthEditor::ValueText(int32_t index, int32_t value) {
  const auto controls = SynthControls();
  if (index < 0 || size_t(index) >= controls.size()) return {};
  return ControlValueText(controls[size_t(index)], value, Params());
}

cControlResult cSynthEditor::ControlChanged(int32_t index, int32_t value) {
  cControlResult result;
  const auto controls = SynthControls();
  if (!updating || index < 0 || size_t(index) >= controls.size()) return result;
  const cSynthControl& c = controls[size_t(index)];
  const cHandlerRule rule = HandlerRule(c.handler);
  cSongEdits& edits = tracker.Edits();

  switch (c.handler) {
    case cSynthHandler::None:
      return result;
    case cSynthHandler::ComboBox1Change:
      ChangeEngine(value);
      result.wrote = result.refresh = true;
      return result;
    case cSynthHandler::ComboBox2Change:
      result.wrote = sample.SetLoopMode(value);
      result.sampleChanged = true;
      return result;
    case cSynthHandler::SE_LayerChange:
      edits.SetInstrumentWords("Layer", block, 2, int16_t(value));
      sample.SetWave(Layer());
      result.wrote = result.sampleChanged = true;
      return result;
    default:
      break;
  }

  const int16_t word = WordFromControlValue(c, value);
  edits.SetInstrumentWord(StepName(c).c_str(), block, c.word, word,
                          MergeKey(eMergeKind::kInstrumentWord, uint32_t(index)));
  result.wrote = true;
  // The written value: an inverted bar shows what the instrument holds.
  if (rule.paramText) result.text = tracker.FormatParam(c.word, word);
  result.redrawEnvelopes = rule.redrawEnvelopes;
  return result;
}

// The edited channel's voices stop first; the audio thread goes on
// rendering the other channels while the editor waits for them to fade. A
// new sampler gets a layer of its own, so that loading its sample cannot
// replace another instrument's.
void cSynthEditor::ChangeEngine(int32_t engine) {
  if (engine < 0 || engine >= kGenKinds) return;
  tracker.ResetChannel(tracker.EditedChannel());
  if (engineChangeWaitMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(engineChangeWaitMs));
  }
  const int32_t layer = engine == kGenSampler ? FreeSamplerLayer(tracker, block) : -1;
  tracker.Edits().ChangeEngine(block, engine, layer);
  if (presets) presets->Forget(block);
  if (engine == kGenSampler) sample.SetWave(Layer());
}

bool cSynthEditor::LoadPreset(bool fm, const std::string& path, cFileResult* why) {
  if (tracker.GetInsType(block + 1) != (fm ? kGenFM : kGenBass)) {
    Tell(why, cFileResult::NotThisKind());
    return false;
  }
  const int loaded =
      fm ? tracker.LoadFMSynth(path, block, why) : tracker.LoadSynth(path, block, why);
  if (loaded != 1) return false;
  Remember(fm, path);
  tracker.SetInstrument(tracker.GetInstrument());
  return true;
}

bool cSynthEditor::SavePreset(bool fm, const std::string& path, cFileResult* why) {
  if ((fm ? tracker.SaveFMSynth(path, block, why) : tracker.SaveSynth(path, block, why)) != 1)
    return false;
  Remember(fm, path);
  return true;
}

void cSynthEditor::Remember(bool fm, const std::string& path) {
  presetName[fm ? 1 : 0] = path;
  if (presets) presets->Remember(block, fm ? kGenFM : kGenBass, path);
}

// The file is read before anything changes: a file that fails leaves the
// wave, the instrument and the voices as they were.
bool cSynthEditor::LoadSample(const std::string& path, cFileResult* why) {
  cWaveSlot sound;
  int32_t rate = 0;
  if (!cWavManager::ReadWav(path, &sound, why, &rate)) return false;
  fileRates[Layer()] = {sound.buffer, rate};
  tracker.Edits().PutSample("Load Sample", Layer(), sound);
  sample.SetWave(Layer());
  return true;
}

std::string cSynthEditor::RateText() {
  const cFileRate& known = fileRates[Layer()];
  const std::shared_ptr<const int16_t[]> sound = known.sound.lock();
  if (known.rate <= 0 || !sound || sound != tracker.Waves().GetSlot(Layer()).buffer) return {};
  return std::to_string(known.rate) + " Hz";
}

std::vector<int32_t> cSynthEditor::LayerSharedWith() {
  if (Engine() != kGenSampler) return {};
  return OtherSamplersOnLayer(tracker, Layer(), block);
}

void cSynthEditor::DeleteSample() {
  tracker.Edits().DeleteSample(Layer());
  sample.SetWave(Layer());
}

bool cSynthEditor::SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd) {
  if (!tracker.Waves().InUse(slot)) return false;
  tracker.Edits().SetLoop(slot, loopStart, loopEnd);
  return true;
}

bool cSynthEditor::SetLoopMode(int32_t slot, uint32_t mode) {
  if (!tracker.Waves().InUse(slot)) return false;
  tracker.Edits().SetLoopMode(slot, mode);
  return true;
}

cEnvelopeShape cSynthEditor::Envelope(const cEnvelopeImage& image, int32_t width, int32_t height) {
  const int16_t* p = Params();
  const int32_t w = image.firstWord;
  return EnvelopeShape(p[w], p[w + 1], p[w + 2], p[w + 3], width, height);
}
