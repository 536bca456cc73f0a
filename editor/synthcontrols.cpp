#include "editor/synthcontrols.h"

#include <cstring>
#include <iterator>
#include <vector>

namespace {

using K = cControlKind;
using H = cSynthHandler;

constexpr const char* kOsc1 = " Oscillator 1 ";
constexpr const char* kOsc2 = " Oscillator 2 ";
constexpr const char* kOsc3 = " Oscillator 3 ";
constexpr const char* kVolEnv = " Volume Envelope ";
constexpr const char* kFiltEnv = " Filter Envelope ";
constexpr const char* kFilter = " Filter ";
constexpr const char* kFiltLfo = " Filter LFO ";
constexpr const char* kPwLfo = " Pulse Width LFO ";
constexpr const char* kPitchLfo = " Pitch LFO ";
constexpr const char* kPitchEnv = "Filter 2 Osc Pitch Env ";
constexpr const char* kDist = " Distorter ";
constexpr const char* kMod = " Modulator ";
constexpr const char* kCarrier = " Carrier ";
constexpr const char* kDepthEnv = " Depth Envelope ";

// An unlabelled knob follows the envelope knob it sits beside.
// clang-format off
constexpr cSynthControl kControls[] = {
    // The strip, always shown.
    {"TrackBar1", kStrip, "", "Volume", K::Bar, 0, 0, 127, false, H::TrackBarChange2, 64},
    {"TrackBar2", kStrip, "", "Pan", K::Bar, 1, 0, 127, false, H::TrackBarChange2, 64},
    {"ComboBox1", kStrip, "", "", K::Combo, kParamGenType, 0, 2, false, H::ComboBox1Change, 0},

    // "Oscillators"
    {"SpinEdit1", kPageOscillators, kOsc1, "Waveform", K::Spin, 2, 0, 5, false, H::SpinEditChange, 0},
    {"SpinEdit2", kPageOscillators, kOsc1, "Detune", K::Spin, 38, -36, 36, false, H::SpinEditChange, 0},
    {"SpinEdit3", kPageOscillators, kOsc1, "Finetune", K::Spin, 39, -100, 100, false, H::SpinEditChange, 0},
    {"SpinEdit7", kPageOscillators, kOsc1, "PulseWidth", K::Spin, 3, 0, 127, false, H::SpinEditChange, 0},
    {"TrackBar9", kPageOscillators, kOsc1, "FB", K::VBar, 48, 0, 127, true, H::TrackBar2Change, 0},
    {"TrackBar4", kPageOscillators, kOsc1, "LV", K::VBar, 42, 0, 127, true, H::TrackBar2Change, 0},
    {"SpinEdit4", kPageOscillators, kOsc2, "Waveform", K::Spin, 6, 0, 5, false, H::SpinEditChange, 0},
    {"SpinEdit5", kPageOscillators, kOsc2, "Detune", K::Spin, 8, -36, 36, false, H::SpinEditChange, 0},
    {"SpinEdit6", kPageOscillators, kOsc2, "Finetune", K::Spin, 9, -100, 100, false, H::SpinEditChange, 0},
    {"SpinEdit8", kPageOscillators, kOsc2, "PulseWidth", K::Spin, 7, 0, 127, false, H::SpinEditChange, 0},
    {"TrackBar10", kPageOscillators, kOsc2, "FB", K::VBar, 49, 0, 127, true, H::TrackBar2Change, 0},
    {"TrackBar7", kPageOscillators, kOsc2, "LV", K::VBar, 10, 0, 127, true, H::TrackBar2Change, 0},
    {"CheckBox1", kPageOscillators, kOsc2, "Sync Osc1", K::Check, 5, 0, 1, false, H::CheckBox1Click, 0},
    {"SpinEdit11", kPageOscillators, kOsc3, "Waveform", K::Spin, 43, 0, 5, false, H::SpinEditChange, 0},
    {"SpinEdit12", kPageOscillators, kOsc3, "Detune", K::Spin, 45, -36, 36, false, H::SpinEditChange, 0},
    {"SpinEdit13", kPageOscillators, kOsc3, "Finetune", K::Spin, 46, -100, 100, false, H::SpinEditChange, 0},
    {"SpinEdit14", kPageOscillators, kOsc3, "PulseWidth", K::Spin, 44, 0, 127, false, H::SpinEditChange, 0},
    {"TrackBar11", kPageOscillators, kOsc3, "FB", K::VBar, 50, 0, 127, true, H::TrackBar2Change, 0},
    {"TrackBar8", kPageOscillators, kOsc3, "LV", K::VBar, 30, 0, 127, true, H::TrackBar2Change, 0},
    {"CheckBox2", kPageOscillators, kOsc3, "Sync Osc2", K::Check, 47, 0, 1, false, H::CheckBox1Click, 0},
    {"SpinEditTune", kPageOscillators, "", "Tune", K::Spin, 65, -24, 24, false, H::TuneChange, 0},
    {"TrackBar39", kPageOscillators, "", "DualVoice", K::Bar, 40, 0, 3, false, H::TrackBarChange2, 0},
    {"mKnob5", kPageOscillators, "", "Glide", K::Knob, 4, 0, 127, false, H::mKnobChange2, 0},

    // "Filter / Amplifier / LFOs"
    {"mKnob17", kPageFilter, kVolEnv, "Attack", K::Knob, 11, 0, 255, false, H::mKnobChange, 0},
    {"mKnob70", kPageFilter, kVolEnv, "", K::Knob, 70, -127, 127, false, H::mKnobChange, 0},
    {"mKnob18", kPageFilter, kVolEnv, "Decay", K::Knob, 12, 0, 255, false, H::mKnobChange, 0},
    {"mKnob71", kPageFilter, kVolEnv, "", K::Knob, 71, -127, 127, false, H::mKnobChange, 0},
    {"mKnob19", kPageFilter, kVolEnv, "Sustain", K::Knob, 13, 0, 127, false, H::mKnobChange, 0},
    {"mKnob20", kPageFilter, kVolEnv, "Hold", K::Knob, 14, 0, 255, false, H::mKnobChange, 0},
    {"mKnob21", kPageFilter, kVolEnv, "Release", K::Knob, 15, 0, 255, false, H::mKnobChange, 0},
    {"mKnob72", kPageFilter, kVolEnv, "", K::Knob, 72, -127, 127, false, H::mKnobChange, 0},
    {"CheckBox3", kPageFilter, kVolEnv, "No RST", K::Check, 53, 0, 1, true, H::CheckBox3Click, 0},
    {"mKnob12", kPageFilter, kFiltEnv, "Attack", K::Knob, 16, 0, 255, false, H::mKnobChange, 0},
    {"mKnob73", kPageFilter, kFiltEnv, "", K::Knob, 73, -127, 127, false, H::mKnobChange, 0},
    {"mKnob13", kPageFilter, kFiltEnv, "Decay", K::Knob, 17, 0, 255, false, H::mKnobChange, 0},
    {"mKnob74", kPageFilter, kFiltEnv, "", K::Knob, 74, -127, 127, false, H::mKnobChange, 0},
    {"mKnob14", kPageFilter, kFiltEnv, "Sustain", K::Knob, 18, 0, 127, false, H::mKnobChange, 0},
    {"mKnob15", kPageFilter, kFiltEnv, "Hold", K::Knob, 19, 0, 255, false, H::mKnobChange, 0},
    {"mKnob16", kPageFilter, kFiltEnv, "Release", K::Knob, 20, 0, 255, false, H::mKnobChange, 0},
    {"mKnob75", kPageFilter, kFiltEnv, "", K::Knob, 75, -127, 127, false, H::mKnobChange, 0},
    // The filter envelope's own restart flag: word 53 belongs to the volume envelope.
    {"CheckBox4", kPageFilter, kFiltEnv, "No RST", K::Check, 54, 0, 1, true, H::CheckBox3Click, 0},
    {"TrackBar22", kPageFilter, kFilter, "Type", K::Bar, 21, 0, 3, false, H::TrackBarChange2, 0},
    {"CheckBox8", kPageFilter, kFilter, "Multiplier", K::Check, 58, 0, 1, false, H::CheckBox1Click, 0},
    {"mKnob23", kPageFilter, kFilter, "Cutoff", K::Knob, 22, 0, 255, false, H::mKnobChange2, 0},
    {"mKnob24", kPageFilter, kFilter, "Res", K::Knob, 23, 0, 255, false, H::mKnobChange2, 0},
    {"mKnob40", kPageFilter, kFilter, "Quality", K::Knob, 41, 0, 63, false, H::mKnobChange2, 0},
    {"mKnob32", kPageFilter, kFilter, "Env", K::Knob, 32, -127, 127, false, H::mKnobChange2, 0},
    {"mKnob25", kPageFilter, kFiltLfo, "Freq", K::Knob, 24, 0, 255, false, H::mKnobChange2, 0},
    {"mKnob26", kPageFilter, kFiltLfo, "Amp", K::Knob, 25, 0, 127, false, H::mKnobChange2, 0},
    {"mKnob27", kPageFilter, kFiltLfo, "Pha", K::Knob, 26, 0, 127, false, H::mKnobChange, 0},
    {"TrackBar3", kPageFilter, kFiltLfo, "Div", K::Bar, 51, 0, 3, false, H::TrackBarChange2, 0},
    {"CheckBox5", kPageFilter, kFiltLfo, "Keyb", K::Check, 55, 0, 1, true, H::CheckBox3Click, 0},
    {"mKnob28", kPageFilter, kPwLfo, "Freq", K::Knob, 27, 0, 255, false, H::mKnobChange2, 0},
    {"mKnob29", kPageFilter, kPwLfo, "Amp", K::Knob, 28, 0, 127, false, H::mKnobChange2, 0},
    {"mKnob30", kPageFilter, kPwLfo, "Pha", K::Knob, 29, 0, 127, false, H::mKnobChange, 0},
    {"TrackBar6", kPageFilter, kPwLfo, "Div", K::Bar, 52, 0, 3, false, H::TrackBarChange2, 0},
    {"CheckBox6", kPageFilter, kPwLfo, "Keyb", K::Check, 56, 0, 1, true, H::CheckBox3Click, 0},
    {"mKnob42", kPageFilter, kPitchLfo, "Freq", K::Knob, 59, 0, 255, false, H::mKnobChange2, 0},
    {"mKnob43", kPageFilter, kPitchLfo, "Amp", K::Knob, 60, 0, 127, false, H::mKnobChange2, 0},
    {"mKnob44", kPageFilter, kPitchLfo, "Pha", K::Knob, 61, 0, 127, false, H::mKnobChange, 0},
    {"mKnob46", kPageFilter, kPitchLfo, "Wait", K::Knob, 64, 0, 127, false, H::mKnobChange2, 0},
    {"TrackBar45", kPageFilter, kPitchLfo, "Div", K::Bar, 62, 0, 3, false, H::TrackBarChange2, 0},
    {"CheckBox9", kPageFilter, kPitchLfo, "Keyb", K::Check, 63, 0, 1, true, H::CheckBox3Click, 0},
    {"mKnob1", kPageFilter, kPitchEnv, "EnvLevel", K::Knob, 66, -127, 127, false, H::mKnobChange2, 0},
    {"CheckBox11", kPageFilter, kPitchEnv, "Osc1", K::Check, 67, 0, 1, false, H::CheckBox1Click, 0},
    {"CheckBox12", kPageFilter, kPitchEnv, "Osc2", K::Check, 68, 0, 1, false, H::CheckBox1Click, 0},
    {"CheckBox13", kPageFilter, kPitchEnv, "Osc3", K::Check, 69, 0, 1, false, H::CheckBox1Click, 0},
    {"TrackBar34", kPageFilter, kDist, "Wet / Dry", K::Bar, 34, 0, 127, false, H::TrackBarChange, 0},
    {"TrackBar35", kPageFilter, kDist, "Threshold", K::Bar, 35, 0, 127, false, H::TrackBarChange, 0},
    {"TrackBar36", kPageFilter, kDist, "Clamp", K::Bar, 36, 0, 127, false, H::TrackBarChange, 3},
    {"CheckBox7", kPageFilter, kDist, "Enabled", K::Check, 33, 0, 1, false, H::CheckBox1Click, 0},
    {"SpeedButton3", kPageFilter, "", "Load Synth", K::Button, -1, 0, 0, false, H::None, 0},
    {"SpeedButton4", kPageFilter, "", "Save Synth", K::Button, -1, 0, 0, false, H::None, 0},

    // "Sample"
    {"SE_Layer", kPageSample, "", "Layer n.:", K::Spin, 2, 0, 127, false, H::SE_LayerChange, 0},
    {"SE_Tune", kPageSample, "", "Tune", K::Spin, 4, -72, 72, false, H::SE_TuneChange, 0},
    {"SE_Fine", kPageSample, "", "Finetune", K::Spin, 3, -128, 127, false, H::SE_FineChange, 0},
    {"mKnob31", kPageSample, "", "Attack", K::Knob, 5, 0, 255, false, H::mKnob31Change, 0},
    {"mKnob33", kPageSample, "", "Decay", K::Knob, 6, 0, 255, false, H::mKnob31Change, 0},
    {"mKnob37", kPageSample, "", "Sustain", K::Knob, 7, 0, 127, false, H::mKnob31Change, 0},
    {"mKnob38", kPageSample, "", "Hold", K::Knob, 8, 0, 255, false, H::mKnob31Change, 0},
    {"mKnob41", kPageSample, "", "Release", K::Knob, 9, 0, 255, false, H::mKnob31Change, 0},
    {"CheckBox10", kPageSample, "", "No RST", K::Check, 15, 0, 1, true, H::CheckBox3Click, 0},
    {"ComboBox2", kPageSample, "", "", K::Combo, -1, 0, 2, false, H::ComboBox2Change, 0},
    {"SpeedButton1", kPageSample, "", "Load Sample", K::Button, -1, 0, 0, false, H::None, 0},
    {"SpeedButton2", kPageSample, "", "Del", K::Button, -1, 0, 0, false, H::None, 0},
    {"Btn_ZoomIn", kPageSample, "", "Zoom IN", K::Button, -1, 0, 0, false, H::None, 0},
    {"Btn_ZoomOut", kPageSample, "", "Zoom OUT", K::Button, -1, 0, 0, false, H::None, 0},
    {"Btn_ShowAll", kPageSample, "", "Show All", K::Button, -1, 0, 0, false, H::None, 0},
    {"SB_LS", kPageSample, "", "LS", K::Button, -1, 0, 0, false, H::None, 0},
    {"SB_LE", kPageSample, "", "LE", K::Button, -1, 0, 0, false, H::None, 0},
    {"Btn_Rng2Loop", kPageSample, "", "Rng2Loop", K::Button, -1, 0, 0, false, H::None, 0},

    // "FM Synth"
    {"SpinEdit104", kPageFM, "", "Tune", K::Spin, 2, -24, 24, false, H::SpinEdit104Change, 0},
    {"SpinEdit100", kPageFM, kMod, "Detune", K::Spin, 3, -36, 36, false, H::SpinEditChange, 0},
    {"SpinEdit101", kPageFM, kMod, "Finetune", K::Spin, 4, -100, 100, false, H::SpinEditChange, 0},
    {"SpinEdit105", kPageFM, kMod, "Waveform", K::Spin, 26, 0, 3, false, H::SpinEditChange, 0},
    {"mKnob121", kPageFM, kMod, "Feedback", K::Knob, 28, 0, 127, false, H::mKnobChange, 0},
    {"SpinEdit102", kPageFM, kCarrier, "Detune", K::Spin, 5, -36, 36, false, H::SpinEditChange, 0},
    {"SpinEdit103", kPageFM, kCarrier, "Finetune", K::Spin, 6, -100, 100, false, H::SpinEditChange, 0},
    {"SpinEdit106", kPageFM, kCarrier, "Waveform", K::Spin, 27, 0, 3, false, H::SpinEditChange, 0},
    {"mKnob100", kPageFM, kDepthEnv, "Attack", K::Knob, 8, 0, 255, false, H::mKnobChange, 0},
    {"mKnob101", kPageFM, kDepthEnv, "", K::Knob, 13, -127, 127, false, H::mKnobChange, 0},
    {"mKnob102", kPageFM, kDepthEnv, "Decay", K::Knob, 9, 0, 255, false, H::mKnobChange, 0},
    {"mKnob103", kPageFM, kDepthEnv, "", K::Knob, 14, -127, 127, false, H::mKnobChange, 0},
    {"mKnob104", kPageFM, kDepthEnv, "Sustain", K::Knob, 10, 0, 127, false, H::mKnobChange, 0},
    {"mKnob105", kPageFM, kDepthEnv, "Hold", K::Knob, 11, 0, 255, false, H::mKnobChange, 0},
    {"mKnob106", kPageFM, kDepthEnv, "Release", K::Knob, 12, 0, 255, false, H::mKnobChange, 0},
    {"mKnob107", kPageFM, kDepthEnv, "", K::Knob, 15, -127, 127, false, H::mKnobChange, 0},
    {"mKnob120", kPageFM, kDepthEnv, "Depth", K::Knob, 7, 0, 127, false, H::mKnobChange, 0},
    {"CheckBox100", kPageFM, kDepthEnv, "No RST", K::Check, 16, 0, 1, true, H::CheckBox3Click, 0},
    {"mKnob110", kPageFM, kVolEnv, "Attack", K::Knob, 17, 0, 255, false, H::mKnobChange, 0},
    {"mKnob111", kPageFM, kVolEnv, "", K::Knob, 22, -127, 127, false, H::mKnobChange, 0},
    {"mKnob112", kPageFM, kVolEnv, "Decay", K::Knob, 18, 0, 255, false, H::mKnobChange, 0},
    {"mKnob113", kPageFM, kVolEnv, "", K::Knob, 23, -127, 127, false, H::mKnobChange, 0},
    {"mKnob114", kPageFM, kVolEnv, "Sustain", K::Knob, 19, 0, 127, false, H::mKnobChange, 0},
    {"mKnob115", kPageFM, kVolEnv, "Hold", K::Knob, 20, 0, 255, false, H::mKnobChange, 0},
    {"mKnob116", kPageFM, kVolEnv, "Release", K::Knob, 21, 0, 255, false, H::mKnobChange, 0},
    {"mKnob117", kPageFM, kVolEnv, "", K::Knob, 24, -127, 127, false, H::mKnobChange, 0},
    {"CheckBox101", kPageFM, kVolEnv, "No RST", K::Check, 25, 0, 1, true, H::CheckBox3Click, 0},
    {"SpeedButton6", kPageFM, "", "Load Synth", K::Button, -1, 0, 0, false, H::None, 0},
    {"SpeedButton5", kPageFM, "", "Save Synth", K::Button, -1, 0, 0, false, H::None, 0},
};
// clang-format on

}  // namespace

cHandlerRule HandlerRule(cSynthHandler handler) {
  switch (handler) {
    case H::TrackBar2Change:
    case H::mKnobChange2:
      return {true, false};
    case H::TrackBarChange:
      return {false, true};
    case H::mKnobChange:
    case H::mKnob31Change:
      return {true, true};
    default:
      return {false, false};
  }
}

std::span<const cSynthControl> SynthControls() { return kControls; }

int32_t FindSynthControl(const char* name) {
  for (size_t i = 0; i < std::size(kControls); ++i) {
    if (std::strcmp(kControls[i].name, name) == 0) return int32_t(i);
  }
  return -1;
}

const char* PageCaption(int32_t page) {
  static const char* const kCaptions[kSynthPages] = {"Oscillators", "Filter / Amplifier / LFOs",
                                                     "Sample", "FM Synth"};
  return page >= 0 && page < kSynthPages ? kCaptions[page] : "";
}

const char* EngineName(int32_t engine) {
  static const char* const kNames[kGenKinds] = {"Synthesizer", "Sampler", "FM Synth"};
  return engine >= 0 && engine < kGenKinds ? kNames[engine] : "";
}

const char* LoopModeName(int32_t mode) {
  static const char* const kNames[3] = {"No Loop", "Forward", "Pingpong"};
  return mode >= 0 && mode < 3 ? kNames[mode] : "";
}

bool PageShown(int32_t page, int32_t engine) {
  switch (engine) {
    case kGenBass:
      return page == kPageOscillators || page == kPageFilter;
    case kGenSampler:
      return page == kPageSample;
    case kGenFM:
      return page == kPageFM;
    default:
      return false;
  }
}

int32_t PageEngine(int32_t page) {
  for (int32_t engine = 0; engine < kGenKinds; ++engine) {
    if (PageShown(page, engine)) return engine;
  }
  return -1;
}

std::string ControlCaption(int32_t index) {
  const auto table = SynthControls();
  if (index < 0 || size_t(index) >= table.size()) return {};
  const cSynthControl& c = table[size_t(index)];
  if (c.handler == H::ComboBox1Change) return "Engine";
  if (c.handler == H::ComboBox2Change) return "Loop Mode";
  // An unlabelled knob bends the segment of the knob before it.
  if (c.label[0] == '\0' && index > 0) return ControlCaption(index - 1) + " curve";
  std::string caption = c.label;
  while (!caption.empty() && (caption.back() == ':' || caption.back() == ' ')) caption.pop_back();
  return caption;
}

namespace {

// The group's caption without the spaces that set it off in its frame.
std::string GroupName(const cSynthControl& c) {
  std::string group = c.group;
  const size_t first = group.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return group.substr(first, group.find_last_not_of(' ') - first + 1);
}

std::string Joined(const std::string& a, const std::string& b) {
  return a.empty() ? b : a + " " + b;
}

// Each name that more than one control has is qualified by what qualify
// adds to every control that has it.
template <class By>
void Qualify(std::vector<std::string>& names, By qualify) {
  const std::vector<std::string> before = names;
  for (size_t i = 0; i < names.size(); ++i) {
    size_t same = 0;
    for (const std::string& other : before) same += other == before[i] ? 1 : 0;
    if (same > 1) names[i] = Joined(qualify(kControls[i]), before[i]);
  }
}

std::vector<std::string> AccessibleNames() {
  std::vector<std::string> names;
  for (size_t i = 0; i < std::size(kControls); ++i) names.push_back(ControlCaption(int32_t(i)));
  Qualify(names, GroupName);
  Qualify(names,
          [](const cSynthControl& c) { return std::string(EngineName(PageEngine(c.page))); });
  return names;
}

}  // namespace

const std::string& ControlAccessibleName(int32_t index) {
  static const std::vector<std::string> names = AccessibleNames();
  static const std::string none;
  return index >= 0 && size_t(index) < names.size() ? names[size_t(index)] : none;
}

int32_t ControlValueFromWord(const cSynthControl& c, int16_t word) {
  if (c.page == kStrip && c.word == 0) return word & 127;
  switch (c.kind) {
    case K::VBar:
      return c.inverted ? 127 - word : word;
    case K::Check:
      return c.inverted ? (word == 0 ? 1 : 0) : (word == 1 ? 1 : 0);
    default:
      return word;
  }
}

int16_t WordFromControlValue(const cSynthControl& c, int32_t value) {
  switch (c.kind) {
    case K::VBar:
      return int16_t(c.inverted ? 127 - value : value);
    case K::Check:
      return int16_t(c.inverted ? (value ? 0 : 1) : (value ? 1 : 0));
    default:
      return int16_t(value);
  }
}
