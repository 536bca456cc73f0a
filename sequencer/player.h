#pragma once
// The player: transport, tempo and the sequencer tick. It has no thread and
// no lock of its own. The render path calls ProcessTick on the audio thread at
// the frame where each tick begins, with the engine lock held; the transport
// runs on the window thread, and the controller takes the same lock around it.

#include <cstdint>

#include "engine/renderpath.h"
#include "sequencer/rowprocessor.h"

class cGenManager;
class cFxChains;
class cSongTables;

// Transport commands, as the toolbar buttons' tags give them.
enum : int32_t {
  kTransportStop = 0,
  kTransportPlay = 1,
  kTransportContinue = 2,
  kTransportPlayPattern = 3,
  kTransportEditMode = 4,
};

// The text of the second status-bar panel for an edit mode.
inline const char* EditModeText(int32_t editMode) { return editMode ? "Edit Mode" : "Play Mode"; }

class cPlayer : public cTickSource, public cRowSequencer {
 public:
  // timer1Mult: the display-follow setting; at 20 or more an interval in ms,
  // below 20 a number of half rows.
  cPlayer(int32_t sampleRate, int32_t timer1Mult, cSongTables& song, cGenManager& generators,
          cFxChains& effects, cRenderPath& renderer);

  // 0 stop, 1 play, 2 continue, 3 play pattern, 4 toggle edit mode; any
  // other value does nothing.
  void Transport(int32_t command);

  // Ticks per row in use. 0 halts rows and ticks; rendering goes on.
  void SetSpeed(int32_t speed) override;
  // Tempo in use, held to kBpmRange: a damaged song's tempo of 0 would give
  // no ticks at all, one of 200,000 ticks of no frames.
  void SetBPM(int32_t bpm) override;

  // The row restarts at 0 with the song's speed and tempo; with toStart the
  // position goes back to the sequence start first.
  void ResetPosition(bool toStart);
  // The pattern and channel modes of the sequence position.
  void LoadPosition();

  // Audio thread: one tick; on tick 0 the current row is interpreted.
  void ProcessTick() override;
  int32_t SamplesPerTick() const override { return samplesPerTick; }

  // Everything silent at once: every generator reset, the effects' memories
  // cleared when asked, the mix buffers zeroed.
  void Panic(bool clearEffects);

  // A pattern break of the row processor, carried out after the row's last
  // channel: the next position (unless the pattern loops), at row r & 63.
  void PatternBreak(int32_t row) override;

  // The display-follow interval in ms for the current speed and tempo.
  int32_t Timer1Interval() const;

  // The text of the second status-bar panel.
  const char* ModeText() const { return EditModeText(editMode); }

  // Player state. Written only under the engine lock; the views read it.
  int32_t playing = 0;
  int32_t patternLoop = 0;
  int32_t editMode = 0;
  int32_t position = 0;
  int32_t pattern = 0;
  uint32_t modeWord = 0;
  int32_t row = 0;   // 0-63; a view may set -1 so that the next row is 0
  int32_t tick = 0;  // within the row
  int32_t currentSpeed = 6;
  int32_t currentBpm = 126;
  float ticksPerSecond = 50.4f;
  int32_t samplesPerTick = 874;  // frames of one tick, at least 1
  // How often playback went from past the sequence end back to the repeat
  // position, at the end of a pattern or by a pattern break; zeroed when play,
  // continue or play pattern starts. At 1 the song has played once.
  int32_t wrapCount = 0;

  // The display-follow timer: whether it runs, and its interval as last
  // recomputed (on stop and on every position reset).
  int32_t timer1Running = 0;
  int32_t timer1Interval = 40;  // ms

 private:
  void Start(bool toStart, int32_t loop);
  void AdvanceRow();
  void NextPosition();
  int32_t ChannelsInUse() const;

  const int32_t sampleRate;
  const int32_t timer1Mult;
  cSongTables& song;
  cGenManager& generators;
  cFxChains& effects;
  cRenderPath& renderer;
  cRowProcessor rows;
};
