#pragma once
// The effect parameter window: one row per parameter of the effect in a slot
// (its name, a bar over its range, the value as the effect writes it), tempo
// buttons "1x" .. "8x" for times, a button per preset. A stay-on-top tool
// window shown modally: it holds the effect while open, and nothing can
// replace the effect while the rest of the program waits for it. Its content
// is built for each opening; the rules live in cFxParmForm.

#include <QDialog>
#include <QRect>
#include <vector>

#include "editor/fxparmform.h"

class QLabel;
class QPushButton;
class QSlider;
class cTracker;

class TFormFXparm : public QDialog {
  Q_OBJECT

 public:
  explicit TFormFXparm(QWidget* parent = nullptr);
  ~TFormFXparm() override;

  // Builds the rows for slot (0-3) of chain (0-19), sizes the window and
  // centres it on the screen. False, with nothing built, when the slot holds
  // no effect.
  bool Build(cTracker& tracker, int chain, int slot);
  // Destroys what Build made and lets go of the effect.
  void Clear();
  // Build, show modally until closed, Clear. False when nothing was shown.
  static bool Execute(QWidget* parent, cTracker& tracker, int chain, int slot);

  const cFxParmForm& Form() const { return form; }
  int RowCount() const { return int(rows.size()); }
  QLabel* NameLabel(int row) { return rows[size_t(row)].name; }
  QSlider* Bar(int row) { return rows[size_t(row)].bar; }
  QLabel* ValueLabel(int row) { return rows[size_t(row)].value; }
  // Null for a parameter without tempo buttons.
  QPushButton* TempoButton(int row, int n) { return rows[size_t(row)].tempo[n]; }
  QPushButton* PresetButton(int preset) { return presetButtons[size_t(preset)]; }
  int PresetButtonCount() const { return int(presetButtons.size()); }
  // Logical pixels of the window per pixel of the layout, which is drawn for
  // a font 13 pixels high.
  double Scale() const { return scale; }

 private:
  struct cRow {
    QLabel* name = nullptr;
    QSlider* bar = nullptr;
    QLabel* value = nullptr;
    QPushButton* tempo[kFxTempoButtons] = {};
  };

  QRect Scaled(const cFormRect& r) const;
  void FitColumns();
  void ShowRow(int row);
  void BarMoved(int row, int value);

  cFxParmForm form;
  std::vector<cRow> rows;
  std::vector<QPushButton*> presetButtons;
  double scale = 1.0;
};
