#include "editor/synthedit.h"

#include <chrono>
#include <mutex>
#include <thread>

cSynthEditor::cSynthEditor(cTracker& tracker)
    : tracker(tracker), sample(tracker.Waves(), &tracker.Song().modified) {}

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

std::string cSynthEditor::FormatParam(int32_t word, int16_t value) {
  std::lock_guard<std::recursive_mutex> lock(tracker.EngineLock());
  char text[64] = {};
  cGenManager& generators = tracker.Generators();
  generators.currentChannel = tracker.EditedChannel();
  generators.FormatParam(text, word, value);
  return text;
}

cControlResult cSynthEditor::ControlChanged(int32_t index, int32_t value) {
  cControlResult result;
  const auto controls = SynthControls();
  if (!updating || index < 0 || size_t(index) >= controls.size()) return result;
  const cSynthControl& c = controls[size_t(index)];
  const cHandlerRule rule = HandlerRule(c.handler);
  std::unique_lock<std::recursive_mutex> lock(tracker.EngineLock(), std::defer_lock);
  if (rule.engineLock) lock.lock();

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
      tracker.SetParams(block, 2, int16_t(value));
      MarkModified();
      sample.SetWave(Layer());
      result.wrote = result.sampleChanged = true;
      return result;
    default:
      break;
  }

  const int16_t word = WordFromControlValue(c, value);
  tracker.SetParam(block, c.word, word);
  MarkModified();
  result.wrote = true;
  // The written value: an inverted bar shows what the instrument holds.
  if (rule.paramText) result.text = FormatParam(c.word, word);
  result.redrawEnvelopes = rule.redrawEnvelopes;
  return result;
}

void cSynthEditor::ChangeEngine(int32_t engine) {
  if (engine < 0 || engine >= kGenKinds) return;
  {
    std::lock_guard<std::recursive_mutex> lock(tracker.EngineLock());
    cGenManager& generators = tracker.Generators();
    generators.currentChannel = tracker.EditedChannel();
    generators.ResetChannel();
  }
  // Outside the lock: the audio thread goes on rendering the other channels.
  if (engineChangeWaitMs > 0) {
    std::this_thread::sleep_for(std::chrono::milliseconds(engineChangeWaitMs));
  }
  std::lock_guard<std::recursive_mutex> lock(tracker.EngineLock());
  tracker.SetParam(block, kParamGenType, int16_t(engine));
  tracker.DefaultParams(block);
  // The defaults make channel 0 play the new engine; the edited channel,
  // which the editor's writes address, follows the block as well.
  tracker.FilterParams(tracker.GetParams(block));
  MarkModified();
  if (engine == kGenSampler) sample.SetWave(Layer());
}

bool cSynthEditor::LoadPreset(bool fm, const std::string& path) {
  if (tracker.GetInsType(block + 1) != (fm ? kGenFM : kGenBass)) return false;
  const int loaded = fm ? tracker.LoadFMSynth(path, block) : tracker.LoadSynth(path, block);
  if (loaded != 1) return false;
  MarkModified();
  presetName[fm ? 1 : 0] = path;
  tracker.SetInstrument(tracker.GetInstrument());
  return true;
}

bool cSynthEditor::SavePreset(bool fm, const std::string& path) {
  if ((fm ? tracker.SaveFMSynth(path, block) : tracker.SaveSynth(path, block)) != 1) return false;
  presetName[fm ? 1 : 0] = path;
  return true;
}

// A replaced or emptied slot must not be heard half-way: the mix buffers
// are cleared and every sampler voice stops first.
void cSynthEditor::StopSamplers() {
  std::lock_guard<std::recursive_mutex> lock(tracker.EngineLock());
  tracker.ClearBuffers();
  tracker.Generators().ResetSamplers();
}

cWaveImport cSynthEditor::LoadSample(const std::string& path) {
  StopSamplers();
  // The file is read outside the engine lock; the store takes the lock only
  // to put the new sound into the slot.
  const int32_t layer = Layer();
  cWaveImport loaded = tracker.Waves().ImportWav(layer, path);
  if (loaded) {
    MarkModified();
    fileRates[layer] = {tracker.Waves().Generation(layer), loaded.sampleRate};
  }
  sample.SetWave(layer);
  return loaded;
}

std::string cSynthEditor::RateText() {
  const cFileRate& known = fileRates[Layer()];
  if (known.rate <= 0 || known.generation != tracker.Waves().Generation(Layer())) return {};
  return std::to_string(known.rate) + " Hz";
}

void cSynthEditor::DeleteSample() {
  StopSamplers();
  if (tracker.Waves().InUse(Layer())) MarkModified();
  tracker.Waves().ClearSlot(Layer());
  sample.SetWave(Layer());
}

cEnvelopeShape cSynthEditor::Envelope(const cEnvelopeImage& image, int32_t width, int32_t height) {
  const int16_t* p = Params();
  const int32_t w = image.firstWord;
  return EnvelopeShape(p[w], p[w + 1], p[w + 2], p[w + 3], width, height);
}
