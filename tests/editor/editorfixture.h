#pragma once
// What the editor tests share: a canvas that records what was drawn, a
// window stand-in that records what the editor asked of it, and a controller
// with a song of a few channels.

#include <map>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "editor/canvas.h"
#include "editor/editorhost.h"

struct cDrawn {
  enum Kind { kText, kFill, kScroll } kind;
  int x, y, w, h;  // a scroll keeps its band in y, h and its distance in w
  std::string text;
  cRgb colour;
};

class cRecordingCanvas : public cTextCanvas {
 public:
  void Text(int x, int y, std::string_view text, cRgb background) override {
    calls.push_back({cDrawn::kText, x, y, int(text.size()) * kCharWidth, kLineHeight,
                     std::string(text), background});
    for (size_t i = 0; i < text.size(); ++i) {
      chars[y][x + int(i) * kCharWidth] = {text[i], background};
    }
  }
  void Fill(int x, int y, int w, int h, cRgb colour) override {
    calls.push_back({cDrawn::kFill, x, y, w, h, "", colour});
  }
  void Scroll(int top, int height, int dy) override {
    calls.push_back({cDrawn::kScroll, 0, top, dy, height, "", {}});
    // Move the remembered characters with the picture.
    std::map<int, std::map<int, cChar>> moved;
    for (auto& [y, line] : chars) {
      if (y >= top && y < top + height) {
        if (y + dy >= top && y + dy < top + height) moved[y + dy] = line;
      } else {
        moved[y] = line;
      }
    }
    chars = moved;
  }

  // The characters of the text line at y, from x on.
  std::string Line(int y, int x = 0, int count = 1000) const {
    std::string out;
    auto found = chars.find(y);
    if (found == chars.end()) return out;
    for (const auto& [cx, c] : found->second) {
      if (cx >= x && cx < x + count * kCharWidth) out += c.ch;
    }
    return out;
  }
  cRgb Background(int x, int y) const { return chars.at(y).at(x).background; }
  // Fills of exactly this colour.
  std::vector<cDrawn> Fills(cRgb colour) const {
    std::vector<cDrawn> out;
    for (const cDrawn& d : calls) {
      if (d.kind == cDrawn::kFill && d.colour == colour) out.push_back(d);
    }
    return out;
  }
  int Count(cDrawn::Kind kind) const {
    int n = 0;
    for (const cDrawn& d : calls) n += d.kind == kind ? 1 : 0;
    return n;
  }
  // The text lines drawn since the last Clear, by y.
  std::vector<int> TextLines() const {
    std::vector<int> ys;
    for (const cDrawn& d : calls) {
      if (d.kind == cDrawn::kText && (ys.empty() || ys.back() != d.y)) ys.push_back(d.y);
    }
    return ys;
  }
  void Clear() { calls.clear(); }

  struct cChar {
    char ch;
    cRgb background;
  };
  std::vector<cDrawn> calls;
  std::map<int, std::map<int, cChar>> chars;
};

class cRecordingHost : public cEditorHost {
 public:
  void PlayClick() override { Note("Play"); }
  void ContinueClick() override { Note("Continue"); }
  void PlayPatClick() override { Note("PlayPat"); }
  void StopClick() override {
    Note("Stop");
    if (tracker) tracker->TransportCommand(0);
  }
  void PanicClick() override { Note("Panic"); }
  void EngineRestart() override { Note("EngineRestart"); }
  void PatternClick() override { Note("Pattern"); }
  void ChansClick() override { Note("Chans"); }
  void SynthClick() override { Note("Synth"); }
  void LoadSongFile(const std::string& path) override { Note("Load " + path); }
  void SetStatusText(int panel, const std::string& text) override { status[panel] = text; }
  void ShowEditMode(int mode) override { shownEditMode = mode; }
  void ShowEntryFields() override { ++entryFieldShows; }
  void RepaintPattern() override { ++patternRepaints; }
  void RepaintSequence() override { ++sequenceRepaints; }

  void Note(const std::string& call) { calls.push_back(call); }

  cTracker* tracker = nullptr;  // when set, Stop stops the transport
  std::vector<std::string> calls;
  std::map<int, std::string> status;
  int shownEditMode = -1;
  int entryFieldShows = 0;
  int patternRepaints = 0;
  int sequenceRepaints = 0;
};

inline cConfig QuietConfig(int channels = 4) {
  cConfig config;
  config.cpuCalc = 0;  // no clock measurement in tests
  config.chans = channels;
  return config;
}
