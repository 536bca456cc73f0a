#include "ui/knob.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QCursor>
#include <QGuiApplication>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QTimer>
#include <QToolTip>
#include <QWheelEvent>
#include <cmath>
#include <numbers>

namespace {

constexpr int kStripTiles = 63;  // the strip's tile count, whatever NumTile says
constexpr int kTileSize = 25;

// Under Wayland, and without a screen, a program cannot put the pointer
// back: each move is then measured from the last position instead.
bool PlatformMovesPointer() {
  const QString platform = QGuiApplication::platformName();
  return !platform.startsWith("wayland") && platform != "offscreen" && platform != "minimal";
}

constexpr int kWheelNotch = 120;  // eighths of a degree

// What a screen reader sees of a knob: a dial with its name and its value,
// which it may also set.
class TKnobAccessible : public QAccessibleWidget, public QAccessibleValueInterface {
 public:
  explicit TKnobAccessible(TmKnob* knob) : QAccessibleWidget(knob, QAccessible::Dial) {}

  void* interface_cast(QAccessible::InterfaceType type) override {
    if (type == QAccessible::ValueInterface) return static_cast<QAccessibleValueInterface*>(this);
    return QAccessibleWidget::interface_cast(type);
  }
  QString text(QAccessible::Text type) const override {
    if (type == QAccessible::Value) return Knob()->ValueText();
    if (type == QAccessible::Name && Knob()->accessibleName().isEmpty()) return Knob()->toolTip();
    return QAccessibleWidget::text(type);
  }
  QVariant currentValue() const override { return Knob()->Position(); }
  void setCurrentValue(const QVariant& value) override { Knob()->SetCurValue(value.toInt()); }
  QVariant maximumValue() const override { return Knob()->Max(); }
  QVariant minimumValue() const override { return Knob()->Min(); }
  QVariant minimumStepSize() const override { return 1; }

 private:
  TmKnob* Knob() const { return static_cast<TmKnob*>(widget()); }
};

QAccessibleInterface* KnobAccessible(const QString& className, QObject* object) {
  if (className != QLatin1String("TmKnob") || object == nullptr || !object->isWidgetType())
    return nullptr;
  return new TKnobAccessible(static_cast<TmKnob*>(object));
}

}  // namespace

TmKnob::TmKnob(QWidget* parent) : QWidget(parent), pointerMovable(PlatformMovesPointer()) {
  static const bool accessible = [] {
    QAccessible::installFactory(KnobAccessible);
    return true;
  }();
  (void)accessible;
  faceColor = palette().color(QPalette::Button);
  setAttribute(Qt::WA_OpaquePaintEvent);
  setFocusPolicy(Qt::NoFocus);
  resize(28, 28);
  setFixedSize(28, 28);
}

void TmKnob::SetCurValue(int value) {
  if (!model.SetCurValue(value)) return;
  update();
  KnobChange();
}

void TmKnob::DeltaCurValue(int delta) {
  if (!model.DeltaCurValue(delta)) return;
  update();
  KnobChange();
}

void TmKnob::SetMaxValue(int value) {
  model.max = value;
  update();
}

void TmKnob::SetNumTile(int n) {
  model.SetNumTile(n);
  update();
}

void TmKnob::SetMarkStyle(TMarkStyle style) {
  if (style == markStyle) return;
  markStyle = style;
  update();
}

void TmKnob::SetTickColor(const QColor& color) {
  if (color == tickColor) return;
  tickColor = color;
  update();
}

void TmKnob::SetColor(const QColor& color) {
  faceColor = color;
  update();
}

void TmKnob::SetDrag(bool allow) {
  if (allow == allowUserDrag) return;
  allowUserDrag = allow;
  update();
}

void TmKnob::SetGfxData(const QPixmap* strip) {
  graphics = strip;
  if (strip != nullptr) {
    const QSizeF logical = strip->deviceIndependentSize();
    setFixedSize(int(logical.width()) / kStripTiles, int(logical.height()));
  }
  update();
}

void TmKnob::KnobChange() {
  if (QAccessible::isActive()) {
    QAccessibleValueChangeEvent changed(this, model.position);
    QAccessible::updateAccessibility(&changed);
  }
  if (onChange) onChange(this, model.position);
}

QString TmKnob::ValueText() const {
  return valueText ? valueText(model.position) : QString::number(model.position);
}

void TmKnob::ShowValueTip(QPoint at) {
  const QString caption = toolTip();
  QToolTip::showText(at, caption.isEmpty() ? ValueText() : caption + ": " + ValueText(), this,
                     rect());
}

bool TmKnob::event(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QWidget::event(event);
  ShowValueTip(static_cast<QHelpEvent*>(event)->globalPos());
  return true;
}

void TmKnob::PointerToAnchor() {
  if (pointerMovable) QCursor::setPos(anchor);
}

void TmKnob::UpdatePosition(QPoint pointer) {
  const int delta = (pointerMovable ? anchor.y() : lastSeen.y()) - pointer.y();
  lastSeen = pointer;
  if (delta == 0) return;
  DeltaCurValue(delta);
  // Back to the anchor after every step, also one the bounds swallowed, so
  // that the drag has no screen edge and turning back acts at once.
  if (!dragging) return;
  PointerToAnchor();
  ShowValueTip(anchor);
}

void TmKnob::mousePressEvent(QMouseEvent* event) {
  QWidget::mousePressEvent(event);
  if (!allowUserDrag) return;
  dragging = true;
  anchor = lastSeen = event->globalPosition().toPoint();
  setCursor(Qt::BlankCursor);
  UpdatePosition(anchor);
}

void TmKnob::mouseMoveEvent(QMouseEvent* event) {
  if (dragging) UpdatePosition(event->globalPosition().toPoint());
}

// A button's release hides every tooltip: the knob's comes back with the
// value the drag or the double click left.
void TmKnob::mouseReleaseEvent(QMouseEvent* event) {
  QWidget::mouseReleaseEvent(event);
  if (!allowUserDrag) return;
  if (dragging) {
    dragging = false;
    PointerToAnchor();
    unsetCursor();
  }
  // After the release has gone its whole way: on its way it closes tips.
  const QPoint at = pointerMovable ? anchor : event->globalPosition().toPoint();
  QTimer::singleShot(0, this, [this, at] { ShowValueTip(at); });
}

// The first click of the two ended its drag on its release; this one sets
// the default without starting another (its release shows the value).
void TmKnob::mouseDoubleClickEvent(QMouseEvent* event) {
  if (!allowUserDrag || !defaultValue) return QWidget::mouseDoubleClickEvent(event);
  SetCurValue(defaultValue());
}

void TmKnob::wheelEvent(QWheelEvent* event) {
  if (!allowUserDrag) return QWidget::wheelEvent(event);
  // Fine-grained wheels and touch pads send parts of a notch.
  wheelRest += event->angleDelta().y();
  const int notches = wheelRest / kWheelNotch;
  wheelRest -= notches * kWheelNotch;
  if (notches != 0) {
    DeltaCurValue(notches);
    ShowValueTip(event->globalPosition().toPoint());
  }
  event->accept();
}

void TmKnob::paintEvent(QPaintEvent*) {
  QPainter p(this);
  if (graphics != nullptr) {
    // The strip's tiles are round: the face shows around them.
    p.fillRect(rect(), palette().color(QPalette::Window));
    p.setRenderHint(QPainter::SmoothPixmapTransform);
    const qreal ratio = graphics->devicePixelRatio();
    const qreal tileWidth = graphics->width() / qreal(model.numTile);
    const int index = model.TileIndex();
    const QRectF source(index * tileWidth, 0, tileWidth, graphics->height());
    p.drawPixmap(QRectF(0, 0, tileWidth / ratio, graphics->height() / ratio), *graphics, source);
    return;
  }
  const int w = width(), h = height();
  p.fillRect(rect(), palette().color(QPalette::Button));
  p.setRenderHint(QPainter::Antialiasing);
  p.setPen(QPen(Qt::black, 2));
  p.setBrush(faceColor);
  p.drawEllipse(QRectF(1, 1, w - 2, h - 2));
  const cKnobLine mark = model.MarkLine(w, h);
  if (markStyle == msLine) {
    p.setPen(QPen(tickColor, 3, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(mark.x1, mark.y1, mark.x2, mark.y2);
  } else {
    p.setPen(Qt::NoPen);
    p.setBrush(tickColor);
    const qreal r = w / 25;
    p.drawEllipse(QPointF(mark.x2, mark.y2), r, r);
  }
}

QPixmap MakeKnobStrip(qreal devicePixelRatio) {
  QPixmap strip(QSize(kStripTiles * kTileSize, kTileSize) * devicePixelRatio);
  strip.setDevicePixelRatio(devicePixelRatio);
  strip.fill(Qt::transparent);
  QPainter p(&strip);
  p.setRenderHint(QPainter::Antialiasing);
  const qreal c = kTileSize / 2.0;
  for (int tile = 0; tile < kStripTiles; ++tile) {
    p.save();
    p.translate(tile * kTileSize, 0);
    // A dark cap on a lighter skirt, lit from the upper left.
    QRadialGradient skirt(QPointF(c - 4, c - 5), 16);
    skirt.setColorAt(0.0, QColor(0xd8, 0xd8, 0xd8));
    skirt.setColorAt(1.0, QColor(0x70, 0x70, 0x70));
    p.setPen(QPen(QColor(0x30, 0x30, 0x30), 1));
    p.setBrush(skirt);
    p.drawEllipse(QPointF(c, c), 11.5, 11.5);
    QRadialGradient cap(QPointF(c - 2, c - 3), 10);
    cap.setColorAt(0.0, QColor(0x5a, 0x5a, 0x62));
    cap.setColorAt(1.0, QColor(0x22, 0x22, 0x28));
    p.setBrush(cap);
    p.setPen(Qt::NoPen);
    p.drawEllipse(QPointF(c, c), 8.5, 8.5);
    // The indicator: the same sweep as the drawn dial, 270 degrees.
    // The value picks tile round(f x 63): tile i shows f = i / 63, so that
    // the middle of a range points straight up, and the last tile the top.
    const double f = tile == kStripTiles - 1 ? 1.0 : double(tile) / kStripTiles;
    const double a = f * 3.0 * std::numbers::pi / 2.0 - 3.0 * std::numbers::pi / 4.0;
    const QPointF inner(c + 3.0 * std::sin(a), c - 3.0 * std::cos(a));
    const QPointF outer(c + 10.5 * std::sin(a), c - 10.5 * std::cos(a));
    p.setPen(QPen(QColor(0xf2, 0xa0, 0x30), 2.2, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(inner, outer);
    p.restore();
  }
  return strip;
}
