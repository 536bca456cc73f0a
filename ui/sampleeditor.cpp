#include "ui/sampleeditor.h"

#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "editor/sampledraw.h"
#include "editor/sampleeditor.h"

TSampleEditor::TSampleEditor(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
  setMinimumSize(200, 80);
  setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Expanding);
  setCursor(Qt::IBeamCursor);
  setMouseTracking(true);
  setToolTip("Top strip: loop start. Bottom strip: loop end. Drag between them to select.");
}

void TSampleEditor::SetEditor(cSampleEditor* newEditor) {
  editor = newEditor;
  Redraw();
}

void TSampleEditor::Redraw() {
  dirty = true;
  update();
}

int TSampleEditor::DevicePixel(qreal logical) const {
  return int(std::floor(logical * devicePixelRatioF()));
}

void TSampleEditor::SyncSize() {
  if (editor == nullptr) return;
  const qreal ratio = devicePixelRatioF();
  const int w = std::max(int(std::ceil(width() * ratio)), 1);
  const int h = std::max(int(std::ceil(height() * ratio)), 1);
  const int scale = std::max(int(std::lround(ratio)), 1);
  if (w != editor->Width() || h != editor->Height() || scale != editor->Scale()) {
    editor->SetImageSize(w, h, scale);
    dirty = true;
  }
}

void TSampleEditor::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  SyncSize();
  Redraw();
}

void TSampleEditor::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (editor == nullptr) {
    p.fillRect(rect(), Qt::black);
    return;
  }
  // A move to a screen of another scale changes the pixels, not the size.
  SyncSize();
  if (dirty || picture.isNull()) {
    const cSamplePicture computed = ComputeSamplePicture(*editor);
    RenderSamplePicture(computed, pixels);
    picture = QImage(reinterpret_cast<const uchar*>(pixels.data()), editor->Width(),
                     editor->Height(), editor->Width() * 4, QImage::Format_RGB32)
                  .copy();
    picture.setDevicePixelRatio(devicePixelRatioF());
    dirty = false;
  }
  p.drawImage(QPointF(0, 0), picture);
}

void TSampleEditor::mousePressEvent(QMouseEvent* event) {
  if (editor == nullptr || event->button() != Qt::LeftButton) return;
  SyncSize();
  const QPointF at = event->position();
  if (editor->MouseDown(DevicePixel(at.x()), DevicePixel(at.y()))) {
    Redraw();
    if (!editor->Selecting() && onLoopChange) onLoopChange();
  }
}

void TSampleEditor::mouseMoveEvent(QMouseEvent* event) {
  if (editor == nullptr) return;
  if (!editor->Selecting()) {
    // The loop strips show where a press moves a loop point.
    const bool strip = editor->InLoopStrip(DevicePixel(event->position().y()));
    setCursor(strip ? Qt::SplitHCursor : Qt::IBeamCursor);
    return;
  }
  if (editor->MouseMove(DevicePixel(event->position().x()))) Redraw();
}

void TSampleEditor::mouseReleaseEvent(QMouseEvent* event) {
  if (editor != nullptr && event->button() == Qt::LeftButton) editor->MouseUp();
}
