#pragma once
// The instrument list at the right of the lower area, beside every page:
// the song's 128 instruments with their engine and what they hold, those
// the patterns use in bold. A click makes an instrument current, a double
// click also opens its page; the selection follows the current instrument
// however it is chosen. The rows are cInstrumentList's.

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>

#include "editor/instrumentlist.h"
#include "ui/songpart.h"

class QTableView;
class TInstrumentModel;

class TInstrumentList : public QWidget, public TSongPart {
  Q_OBJECT

 public:
  // Places itself in the slot.
  explicit TInstrumentList(QWidget* slot);
  ~TInstrumentList() override;

  void Attach(cTracker& tracker) override;
  void SongChanged(eSongChange reason) override;

  // The song changed by an edit: the rows are read again once the window
  // has finished what it is doing (a drag's many steps read once).
  void SongEdited();
  // The rows read again now; the current instrument's row selected.
  void Refresh();
  // The instrument's row selected and in view (1-127).
  void Follow(int32_t instrument);

  // What a click (make the instrument current) and a double click (and
  // open its page) ask of the window.
  void SetOnSelect(std::function<void(int32_t instrument)> f) { onSelect = std::move(f); }
  void SetOnOpen(std::function<void(int32_t instrument)> f) { onOpen = std::move(f); }

  // The names of the presets loaded or saved this session, which the
  // instrument page keeps up to date.
  cPresetMemory& Presets() { return presets; }
  QTableView* View() { return view; }
  // Room for a wave's or preset's name of some length beside the engine.
  QSize sizeHint() const override { return {280, QWidget::sizeHint().height()}; }
  const cInstrumentList* Rows() const { return list.get(); }

 private:
  cTracker* tracker = nullptr;
  cPresetMemory presets;
  std::unique_ptr<cInstrumentList> list;
  TInstrumentModel* model = nullptr;
  QTableView* view = nullptr;
  bool following = false;  // the selection is set from the song: no select back
  bool refreshPending = false;
  std::function<void(int32_t)> onSelect, onOpen;
};
