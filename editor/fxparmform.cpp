#include "editor/fxparmform.h"

#include <algorithm>

#include "app/tracker.h"
#include "fx/effect.h"

namespace {

// Under the engine lock (cTracker::ReadEffect).
std::string ParamText(cEffect& fx, int index, int32_t value) {
  char text[kFxTextSize] = {};
  fx.GetParamText(text, index, value);
  text[kFxTextSize - 1] = 0;
  return text;
}

}  // namespace

bool cFxParmForm::Open(cTracker& tracker, int chain, int slot) {
  Close();
  if (chain < 0 || chain >= kFxChains || slot < 0 || slot >= kFxSlots) return false;
  if (tracker.Effects().type[slot][chain] == 0) return false;
  const bool opened = tracker.ReadEffect(chain, slot, [&](cEffect* effect) {
    if (!effect) return false;
    const char* name = effect->GetName();
    caption = name ? name : "";
    presets = std::max(effect->GetNumPresets(), 0);
    const int count = std::clamp(effect->GetNumParams(), 0, kFxParmRows);
    rows.resize(size_t(count));
    for (int i = 0; i < count; ++i) {
      cFxParmRow& row = rows[size_t(i)];
      if (const cFxParamDesc* desc = effect->GetParamDesc(i)) {
        row.label = desc->longLabel ? desc->longLabel : "";
        row.minimum = desc->minimum;
        row.maximum = std::max(desc->maximum, desc->minimum);
        row.tempoSync = (desc->flags & kFxTimeSync) != 0;
      }
      row.tickInterval = std::max((row.maximum - row.minimum) / 10, 1);
      row.minimumText = ParamText(*effect, i, row.minimum);
      row.maximumText = ParamText(*effect, i, row.maximum);
    }
    return true;
  });
  if (!opened) {
    Close();
    return false;
  }
  t = &tracker;
  this->chain = chain;
  this->slot = slot;
  ReadRows();
  return true;
}

void cFxParmForm::Close() {
  t = nullptr;
  caption.clear();
  rows.clear();
  presets = 0;
  labelExtra = valueExtra = 0;
}

void cFxParmForm::SetColumns(int labelWidth, int valueWidth) {
  labelExtra = std::max(labelWidth - kLabelWidth, 0);
  valueExtra = std::max(valueWidth - kValueWidth, 0);
}

// Every row shows the value the effect holds now, and its text.
void cFxParmForm::ReadRows() {
  t->ReadEffect(chain, slot, [&](cEffect* effect) {
    if (!effect) return;
    for (int i = 0; i < int(rows.size()); ++i) {
      cFxParmRow& r = rows[size_t(i)];
      r.value = effect->GetParam(i);
      r.text = ParamText(*effect, i, r.value);
    }
  });
}

void cFxParmForm::SetParam(int row, int32_t value) {
  if (!t || row < 0 || row >= int(rows.size()) || value == rows[size_t(row)].value) return;
  t->Edits().SetEffectParam(
      StepName(row).c_str(), chain, slot, row, value,
      MergeKey(eMergeKind::kEffectParam, uint32_t((chain * kFxSlots + slot) * kFxParmRows + row)));
  ReadRows();
}

// "Reverb Room Size", for the Edit menu's "Undo ...".
std::string cFxParmForm::StepName(int row) const {
  return caption.empty() ? rows[size_t(row)].label : caption + " " + rows[size_t(row)].label;
}

void cFxParmForm::TempoClick(int row, int n) {
  if (!t || row < 0 || row >= int(rows.size()) || n < 0 || n >= kFxTempoButtons) return;
  t->Edits().SetEffectParam(StepName(row).c_str(), chain, slot, row, t->x2ms(n));
  ReadRows();
}

void cFxParmForm::PresetClick(int preset) {
  if (!t || preset < 0 || preset >= presets) return;
  t->Edits().LoadEffectPreset(chain, slot, preset);
  ReadRows();
}

std::string cFxParmForm::TempoCaption(int n) { return std::to_string(n + 1) + "x"; }

std::string cFxParmForm::PresetCaption(int preset) {
  return preset == 0 ? std::string("Default") : std::to_string(preset);
}

cFormRect cFxParmForm::BarRect(int row) const {
  const bool tempo = row >= 0 && row < int(rows.size()) && rows[size_t(row)].tempoSync;
  return {68 + labelExtra, 14 + 28 * row, tempo ? 278 : 448, 24};
}

// Right-aligned in a line below the rows: "Default" is 44 wide, the numbered
// ones 22, with 2 between them.
cFormRect cFxParmForm::PresetRect(int preset) const {
  const int top = 24 + 28 * int(rows.size());
  const int first = ClientWidth() - 24 - (presets + 1) * 24;
  if (preset == 0) return {first, top, 44, 20};
  return {first + 46 + (preset - 1) * 24, top, 22, 20};
}
