#pragma once
// Ends the open undo step where a gesture on a control ends: the changes of
// one drag of a knob or a bar, one burst of wheel steps, or one number
// typed into a field are one step, and the next gesture starts another.
// An event filter on the application; it consumes nothing.

#include <QObject>
#include <QTimer>
#include <functional>

class TStepCloser : public QObject {
 public:
  // close is called when a gesture ends.
  TStepCloser(std::function<void()> close, QObject* parent);

  // The pause after a wheel step that ends its burst.
  static constexpr int kWheelPauseMs = 500;

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  std::function<void()> close;
  QTimer wheelPause;
};
