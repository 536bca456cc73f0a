#include "ui/clipmark.h"

#include <QPainter>
#include <chrono>

TClipMark::TClipMark(QWidget* parent) : QWidget(parent) {
  setFixedSize(30, 24);  // the spectrum's height
  setAttribute(Qt::WA_OpaquePaintEvent);
  setAccessibleName("Clip mark");
  Show(false);
}

bool TClipMark::Update(uint32_t clippedTotal, bool playing) {
  const auto now = std::chrono::duration_cast<std::chrono::milliseconds>(
      std::chrono::steady_clock::now().time_since_epoch());
  const cClipMeter::cShow show = meter.Update(clippedTotal, now.count(), playing);
  if (show.changed) Show(show.mark);
  return show.say;
}

void TClipMark::Show(bool on) {
  lit = on;
  const char* state = on ? "Output clipped in the last 2 seconds" : "No clipping";
  setAccessibleDescription(state);
  setToolTip(state);
  update();
}

void TClipMark::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.fillRect(rect(), palette().color(QPalette::Button));
  if (!lit) return;
  // Over the rows the spectrum's bars use (2 to 20).
  const QRect mark(1, 2, width() - 2, 18);
  p.fillRect(mark, QColor(220, 0, 0));
  QFont font = p.font();
  font.setPixelSize(9);
  font.setBold(true);
  p.setFont(font);
  p.setPen(Qt::white);
  p.drawText(mark, Qt::AlignCenter, "CLIP");
}
