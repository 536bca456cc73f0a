#pragma once
// The text views' picture: a QImage at the screen's pixel ratio that the
// editor's views draw into through cTextCanvas. Characters are copied from
// tiles rendered once per background colour in a fixed-pitch font, so a
// full pattern view costs a few block copies per line, and the picture
// stays crisp at any scale. Window thread only.

#include <QFont>
#include <QImage>
#include <QRect>
#include <cstdint>
#include <vector>

#include "editor/canvas.h"

class TTextImage : public cTextCanvas {
 public:
  // A picture of width x height logical pixels with `ratio` device pixels
  // to the logical pixel; its content is undefined until drawn.
  void Resize(int width, int height, qreal ratio);
  const QImage& Image() const { return image; }
  qreal Ratio() const { return ratio; }
  int Width() const { return width; }
  int Height() const { return height; }
  // The part drawn since the last call, in logical pixels; then empty.
  QRect TakeDirty();

  void Text(int x, int y, std::string_view text, cRgb background) override;
  void Fill(int x, int y, int width, int height, cRgb colour) override;
  void Scroll(int top, int height, int dy) override;

  // The font the tiles are drawn in.
  const QFont& Font() const { return font; }

 private:
  // The printable ASCII characters, each cellWidth x cellHeight device
  // pixels, one after another.
  struct cGlyphs {
    cRgb background;
    std::vector<uint32_t> pixels;
  };
  static constexpr int kFirstGlyph = 32;
  static constexpr int kGlyphCount = 95;

  const uint32_t* GlyphsOn(cRgb background);
  void ChooseFont();
  int Device(int logical) const;
  void MarkDirty(int x, int y, int w, int h);

  QImage image;
  qreal ratio = 1.0;
  int width = 0, height = 0;
  int cellWidth = kCharWidth, cellHeight = kLineHeight;  // device pixels
  QFont font;
  std::vector<cGlyphs> glyphs;  // a handful of colours: searched in order
  size_t lastGlyphs = 0;
  QRect dirty;
};
