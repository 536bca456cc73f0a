#pragma once
// The effect parameter window without its widgets: one row per parameter of
// the effect in a slot (its long label, a bar over the descriptor's range,
// the value's text), tempo buttons for time parameters, a button per preset,
// and where each control sits. The window is modal while it is open, so
// nothing replaces the effect meanwhile. The effect is read under the engine
// lock; every change goes through the song's edit path.

#include <cstdint>
#include <string>
#include <vector>

class cTracker;
class cEffect;

struct cFxParmRow {
  std::string label;  // the descriptor's long label
  int32_t minimum = 0;
  int32_t maximum = 0;
  int32_t tickInterval = 1;  // a tenth of the range, at least 1
  int32_t value = 0;         // as the effect holds it
  std::string text;          // the effect's text for the value
  bool tempoSync = false;    // a time with eight tempo buttons
  // The texts of the range's ends, by which the window sizes its value
  // column before the bar has visited them.
  std::string minimumText, maximumText;
};

struct cFormRect {
  int left, top, width, height;
};

constexpr int kFxParmRows = 16;  // rows the window has room for
constexpr int kFxTempoButtons = 8;

class cFxParmForm {
 public:
  // Builds the rows for slot (0-3) of chain (0-19). False, with no rows,
  // when the slot holds no effect.
  bool Open(cTracker& tracker, int chain, int slot);
  void Close();
  bool IsOpen() const { return t != nullptr; }

  const std::string& Caption() const { return caption; }
  const std::vector<cFxParmRow>& Rows() const { return rows; }
  int PresetCount() const { return presets; }

  // A bar moved: the effect takes the value (it may hold it to a narrower
  // range) and the row shows what it kept. The same value changes nothing.
  // The moves of one drag merge into one step.
  void SetParam(int row, int32_t value);
  // Tempo button n (0-7) of a row: the parameter becomes n + 1 rows of the
  // song's tempo in milliseconds.
  void TempoClick(int row, int n);
  // The effect's preset, then every row shows its new value.
  void PresetClick(int preset);

  // "1x" .. "8x".
  static std::string TempoCaption(int n);
  // "Default", "1", "2", ...
  static std::string PresetCaption(int preset);

  // Client-area geometry in logical pixels of a font 13 pixels high. The
  // label column is 60 wide and the value column 56; a wider one (a long
  // label such as "Mode (Normal/PingPong)" needs about 130) moves everything
  // to its right and widens the window by the difference, so no text is cut.
  static constexpr int kClientWidth = 576;  // with the narrowest columns
  static constexpr int kLabelWidth = 60;
  static constexpr int kValueWidth = 56;
  void SetColumns(int labelWidth, int valueWidth);
  int ClientWidth() const { return kClientWidth + labelExtra + valueExtra; }
  int ClientHeight() const { return 64 + 28 * int(rows.size()); }
  cFormRect LabelRect(int row) const { return {8, 16 + 28 * row, kLabelWidth + labelExtra, 13}; }
  cFormRect BarRect(int row) const;
  cFormRect ValueRect(int row) const {
    return {516 + labelExtra, 16 + 28 * row, kValueWidth + valueExtra, 13};
  }
  cFormRect TempoRect(int row, int n) const {
    return {352 + labelExtra + 20 * n, 12 + 28 * row, 19, 20};
  }
  cFormRect PresetRect(int preset) const;

 private:
  void ReadRows();
  std::string StepName(int row) const;

  cTracker* t = nullptr;
  int chain = 0, slot = 0;
  std::string caption;
  std::vector<cFxParmRow> rows;
  int presets = 0;
  int labelExtra = 0;  // beyond the narrowest columns
  int valueExtra = 0;
};
