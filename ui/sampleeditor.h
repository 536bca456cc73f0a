#pragma once
// The sample page's picture of a wave: paints what cSampleEditor computes,
// one image pixel per device pixel, and forwards the mouse to it (loop start
// in the top strip, loop end in the bottom strip, a selection elsewhere).

#include <QImage>
#include <QWidget>
#include <functional>
#include <vector>

class cSampleEditor;

class TSampleEditor : public QWidget {
  Q_OBJECT

 public:
  explicit TSampleEditor(QWidget* parent = nullptr);

  // The editor it shows (not owned); null shows black.
  void SetEditor(cSampleEditor* editor);
  cSampleEditor* Editor() { return editor; }
  // Draws the picture again at the next paint.
  void Redraw();
  // After a press in a loop strip changed a loop point.
  void SetOnLoopChange(std::function<void()> handler) { onLoopChange = std::move(handler); }

  // The editor's image: the widget's size in device pixels.
  void SyncSize();
  // The picture as last painted, in device pixels.

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  void mousePressEvent(QMouseEvent* event) override;
  void mouseMoveEvent(QMouseEvent* event) override;
  void mouseReleaseEvent(QMouseEvent* event) override;

 private:
  int DevicePixel(qreal logical) const;

  cSampleEditor* editor = nullptr;
  std::function<void()> onLoopChange;
  std::vector<uint32_t> pixels;
  QImage picture;
  bool dirty = true;
};
