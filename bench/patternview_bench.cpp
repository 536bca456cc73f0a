// The pattern view as the window shows it: 1920 x 1080 pixels, 16 channels
// of a full pattern, drawn into the picture the widget copies to the
// screen. A full draw happens on a new pattern or a page of rows; a one-row
// scroll on every row while the view follows playback. The ratio argument
// is the screen's scale in percent.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <cstdint>

#include "editor/patternview.h"
#include "ui/textimage.h"

namespace {

QApplication& App() {
  static int argc = 1;
  static char name[] = "bench_patternview";
  static char* argv[] = {name, nullptr};
  static QApplication* app = [] {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    return new QApplication(argc, argv);
  }();
  return *app;
}

// Every cell in use: notes, instruments, volumes, pans and both effects.
struct cFullPattern {
  cCell cells[kChannels * kRows];
  cFullPattern() {
    for (int i = 0; i < kChannels * kRows; ++i) {
      const auto n = uint8_t(i);
      cells[i] = cCell{uint8_t(1 + n % 108),     uint8_t(1 + n % 127), uint8_t(n % 0xA0),
                       uint8_t(0x40 + n % 0x40), uint8_t(n % 16),      n,
                       uint8_t(n % 7),           uint8_t(255 - n)};
    }
  }
};

struct cViewOnScreen {
  TTextImage canvas;
  cPatternView view;
  explicit cViewOnScreen(double ratio) {
    App();
    static const cFullPattern pattern;
    canvas.Resize(1920, 1080, ratio);
    view.SetCanvas(&canvas);
    view.Start(1920, 1080, 16);
    view.modeWord = 0x55555555;  // every channel plays
    view.Snapshot(pattern.cells);
    view.FullDraw();  // the glyphs are rendered once, on first use
  }
};

}  // namespace

static void BM_PatternViewFullDraw(benchmark::State& state) {
  cViewOnScreen screen(double(state.range(0)) / 100.0);
  for (auto _ : state) {
    screen.view.RequestFullDraw();
    screen.view.Draw();
    benchmark::DoNotOptimize(screen.canvas.Image().constBits());
  }
}
BENCHMARK(BM_PatternViewFullDraw)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

static void BM_PatternViewOneRowScroll(benchmark::State& state) {
  cViewOnScreen screen(double(state.range(0)) / 100.0);
  for (auto _ : state) {
    screen.view.RowDown(1);
    screen.view.Draw();
    benchmark::DoNotOptimize(screen.canvas.Image().constBits());
  }
}
BENCHMARK(BM_PatternViewOneRowScroll)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);

// What the widget's paint costs after a scroll: the whole picture copied
// into a window-sized backing store, as Qt's raster engine does.
static void BM_PatternViewPaint(benchmark::State& state) {
  const double ratio = double(state.range(0)) / 100.0;
  cViewOnScreen screen(ratio);
  QImage store(screen.canvas.Image().size(), QImage::Format_ARGB32_Premultiplied);
  store.setDevicePixelRatio(ratio);
  for (auto _ : state) {
    QPainter painter(&store);
    painter.drawImage(QRectF(0, 0, 1920, 1080), screen.canvas.Image(),
                      QRectF(QPointF(0, 0), QSizeF(screen.canvas.Image().size())));
    painter.end();
    benchmark::DoNotOptimize(store.constBits());
  }
}
BENCHMARK(BM_PatternViewPaint)->Arg(100)->Arg(200)->Unit(benchmark::kMillisecond);
