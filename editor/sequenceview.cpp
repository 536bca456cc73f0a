#include "editor/sequenceview.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string_view>

namespace {

constexpr char kHex[] = "0123456789ABCDEF";
constexpr int kDigitSteps[3] = {0x100, 0x10, 0x1};

void Hex3(int value, char* out) {
  out[0] = kHex[(value >> 8) & 15];
  out[1] = kHex[(value >> 4) & 15];
  out[2] = kHex[value & 15];
}

}  // namespace

const char* SequenceHeaderText() { return "ORD PT CHANNELS BIT SET"; }

void SequenceEntryText(const cSongTables& song, int index, char out[kSequenceTextChars]) {
  index &= 0xFFF;
  Hex3(index, out);
  out[3] = ' ';
  const uint32_t pattern = song.GetPattern(index);
  out[4] = kHex[(pattern >> 4) & 15];
  out[5] = kHex[pattern & 15];
  out[6] = ' ';
  for (int c = 0; c < kChannels; ++c) {
    switch (song.GetChannelMode(index, c)) {
      case kModeSkip:
        out[7 + c] = '-';
        break;
      case kModePlay:
        out[7 + c] = kHex[c];
        break;
      case kModeRelease:
        out[7 + c] = '\\';
        break;
      default:
        out[7 + c] = 'X';
        break;
    }
  }
}

void SequenceFooterText(const cSongTables& song, char out[kSequenceTextChars]) {
  std::memcpy(out, "STA:000 REP:000 END:000", kSequenceTextChars);
  Hex3(song.start, out + 4);
  Hex3(song.repeat, out + 12);
  Hex3(song.end, out + 20);
}

cRgb SequenceEntryColour(int index, bool cursor) {
  const bool fourth = (index & 3) == 0;
  if (cursor) return fourth ? cRgb{184, 184, 168} : cRgb{192, 192, 176};
  return fourth ? cRgb{208, 208, 192} : cRgb{216, 216, 200};
}

void cSequenceView::SetCursor(int position) { cursor = position & 0xFFF; }

void cSequenceView::Draw() {
  if (redraw != 0) {
    FullDraw();
    return;
  }
  // The shorter way round: from 4095 to 0 is one entry down.
  int moved = cursor - drawnCursor;
  if (moved > kPositions / 2) moved -= kPositions;
  if (moved < -kPositions / 2) moved += kPositions;
  if (moved == 0) return;
  if (std::abs(moved) > half - 1) {
    FullDraw();
    return;
  }
  drawnCursor = cursor;
  if (canvas == nullptr || song == nullptr) return;
  ScrollLines(*canvas, kLineHeight, lines, half, moved, [this](int line) { DrawEntryLine(line); });
}

void cSequenceView::FullDraw() {
  redraw = 0;
  drawnCursor = cursor;
  if (canvas == nullptr || song == nullptr) return;
  canvas->Text(0, 0, SequenceHeaderText(), kSequenceHeaderColour);
  for (int line = 0; line < lines; ++line) DrawEntryLine(line);
  DrawFooter();
}

void cSequenceView::DrawEntryLine(int line) {
  const int index = (drawnCursor - half + line) & 0xFFF;
  char text[kSequenceTextChars];
  SequenceEntryText(*song, index, text);
  canvas->Text(0, kLineHeight * (1 + line), std::string_view(text, kSequenceTextChars),
               SequenceEntryColour(index, line == half));
}

void cSequenceView::DrawFooter() {
  char text[kSequenceTextChars];
  SequenceFooterText(*song, text);
  canvas->Text(0, kLineHeight * (1 + lines), std::string_view(text, kSequenceTextChars),
               kSequenceHeaderColour);
}

eSequenceClick cSequenceView::Click(int x, int y, int button, cSongTables& edited) {
  if (x < 0 || y < 0) return eSequenceClick::kNothing;
  const int c = x / kCharWidth;
  const int line = y / kLineHeight - 1;  // -1: the header
  const bool right = button == kButtonRight;
  const bool middle = button == kButtonMiddle;
  const int sign = right ? -1 : 1;

  if (line >= 0 && line < lines) {
    const int offset = line - half;
    const int index = (cursor + offset) & 0xFFF;
    if (c <= 2) {
      if (offset == 0) {
        if (middle) return eSequenceClick::kNothing;
        SetCursor(cursor + sign * kDigitSteps[c]);
      } else {
        const int step = right ? 8 : 1;
        SetCursor(offset < 0 ? cursor - step : cursor + step);
      }
      return eSequenceClick::kCursorMoved;
    }
    if (c == 4 || c == 5) {
      if (middle) return eSequenceClick::kNothing;
      const int step = c == 4 ? 16 : 1;
      edited.SetPattern(index, (edited.GetPattern(index) + uint32_t(sign * step)) & 0xFF);
      redraw = 4;
      return eSequenceClick::kPatternChanged;
    }
    if (c >= 7) {
      const int channel = c - 7 > 15 ? 15 : c - 7;
      edited.SetChannelMode(index, channel, (edited.GetChannelMode(index, channel) + sign) & 3);
      redraw = 4;
      return eSequenceClick::kModeChanged;
    }
    return eSequenceClick::kNothing;
  }

  if (line == lines) {
    int32_t* field = nullptr;
    int digit = 0;
    if (c >= 4 && c <= 6) {
      field = &edited.start;
      digit = c - 4;
    } else if (c >= 12 && c <= 14) {
      field = &edited.repeat;
      digit = c - 12;
    } else if (c >= 20 && c <= 22) {
      field = &edited.end;
      digit = c - 20;
    }
    if (field == nullptr || middle) return eSequenceClick::kNothing;
    *field += sign * kDigitSteps[digit];
    edited.NormaliseRange();
    redraw = 4;
    return eSequenceClick::kRangeChanged;
  }
  return eSequenceClick::kNothing;
}

void cSequenceView::InsertEntry(cSongTables& edited) {
  uint8_t* entries = edited.Sequence();
  const size_t at = size_t(cursor) * 8;
  std::memmove(entries + at + 8, entries + at, kSequenceBytes - at - 8);
  std::memset(entries + at, 0, 8);
  redraw = 4;
}

void cSequenceView::DeleteEntry(cSongTables& edited) {
  uint8_t* entries = edited.Sequence();
  const size_t at = size_t(cursor) * 8;
  std::memmove(entries + at, entries + at + 8, kSequenceBytes - at - 8);
  std::memset(entries + kSequenceBytes - 8, 0, 8);
  redraw = 4;
}
