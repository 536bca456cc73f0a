#include "editor/fxparmform.h"

#include <algorithm>
#include <mutex>

#include "app/tracker.h"
#include "fx/effect.h"

namespace {

// Engine lock held.
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
  std::lock_guard<std::recursive_mutex> lock(tracker.EngineLock());
  if (tracker.Effects().type[slot][chain] == 0) return false;
  cEffect* effect = tracker.GetFxObjPtr(slot, chain);
  if (!effect) return false;
  t = &tracker;
  fx = effect;
  const char* name = fx->GetName();
  caption = name ? name : "";
  presets = std::max(fx->GetNumPresets(), 0);
  const int count = std::clamp(fx->GetNumParams(), 0, kFxParmRows);
  rows.resize(size_t(count));
  for (int i = 0; i < count; ++i) {
    cFxParmRow& row = rows[size_t(i)];
    if (const cFxParamDesc* desc = fx->GetParamDesc(i)) {
      row.label = desc->longLabel ? desc->longLabel : "";
      row.minimum = desc->minimum;
      row.maximum = std::max(desc->maximum, desc->minimum);
      row.tempoSync = (desc->flags & kFxTimeSync) != 0;
    }
    row.tickInterval = std::max((row.maximum - row.minimum) / 10, 1);
    row.minimumText = ParamText(*fx, i, row.minimum);
    row.maximumText = ParamText(*fx, i, row.maximum);
    ReadRow(i);
  }
  return true;
}

void cFxParmForm::Close() {
  t = nullptr;
  fx = nullptr;
  caption.clear();
  rows.clear();
  presets = 0;
  labelExtra = valueExtra = 0;
}

void cFxParmForm::SetColumns(int labelWidth, int valueWidth) {
  labelExtra = std::max(labelWidth - kLabelWidth, 0);
  valueExtra = std::max(valueWidth - kValueWidth, 0);
}

// Engine lock held.
void cFxParmForm::ReadRow(int row) {
  cFxParmRow& r = rows[size_t(row)];
  r.value = fx->GetParam(row);
  r.text = ParamText(*fx, row, r.value);
}

void cFxParmForm::SetParam(int row, int32_t value) {
  if (!fx || row < 0 || row >= int(rows.size()) || value == rows[size_t(row)].value) return;
  std::lock_guard<std::recursive_mutex> lock(t->EngineLock());
  fx->SetParam(row, value);
  ReadRow(row);
  t->Song().modified = true;
}

void cFxParmForm::TempoClick(int row, int n) {
  if (!fx || row < 0 || row >= int(rows.size()) || n < 0 || n >= kFxTempoButtons) return;
  std::lock_guard<std::recursive_mutex> lock(t->EngineLock());
  fx->SetParam(row, t->x2ms(n));
  ReadRow(row);
  t->Song().modified = true;
}

void cFxParmForm::PresetClick(int preset) {
  if (!fx || preset < 0 || preset >= presets) return;
  std::lock_guard<std::recursive_mutex> lock(t->EngineLock());
  fx->Reset(false);
  fx->LoadPreset(preset);
  for (int i = 0; i < int(rows.size()); ++i) ReadRow(i);
  t->Song().modified = true;
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
