#include "sequencer/player.h"

#include <algorithm>
#include <cstdint>

#include "engine/genmanager.h"
#include "fx/fxchains.h"
#include "song/songtables.h"

cPlayer::cPlayer(int32_t sampleRate, int32_t timer1Mult, cSongTables& song, cGenManager& generators,
                 cFxChains& effects, cRenderPath& renderer)
    : sampleRate(sampleRate),
      timer1Mult(timer1Mult),
      song(song),
      generators(generators),
      effects(effects),
      renderer(renderer),
      rows(song, generators, effects) {
  currentSpeed = song.speed;
  SetBPM(song.bpm);
  timer1Interval = Timer1Interval();
}

int32_t cPlayer::ChannelsInUse() const { return kChannelCountRange.Clamp(song.channelCount); }

void cPlayer::Transport(int32_t command) {
  switch (command) {
    case kTransportStop:
      effects.ApplyAll();
      generators.SetPlaying(0);
      for (int c = 0; c < ChannelsInUse(); ++c) {
        generators.currentChannel = c;
        generators.CutChannel();
      }
      playing = 0;
      timer1Running = 0;
      currentSpeed = song.speed;
      SetBPM(song.bpm);
      timer1Interval = Timer1Interval();
      break;
    case kTransportPlay:
      Start(true, 0);
      break;
    case kTransportContinue:
      Start(false, 0);
      break;
    case kTransportPlayPattern:
      Start(false, 1);
      break;
    case kTransportEditMode:
      // Leaves the generators' playing flag at 1 and runs no apply-all.
      generators.SetPlaying(1);
      editMode = 1 - editMode;
      break;
    default:
      break;
  }
}

// Set-playing comes before reset-all, and Reset clears the flag again: while
// a song plays every generator's flag is 0, so the sampler applies the
// instrument on every note (imported songs whose notes carry no instrument
// byte rely on that).
void cPlayer::Start(bool toStart, int32_t loop) {
  effects.ApplyAll();
  generators.SetPlaying(1);
  generators.ResetAll();
  playing = 1;
  patternLoop = loop;
  wrapCount = 0;
  ResetPosition(toStart);
  timer1Running = 1;
}

void cPlayer::SetSpeed(int32_t speed) { currentSpeed = speed; }

void cPlayer::SetBPM(int32_t bpm) {
  currentBpm = kBpmRange.Clamp(bpm);
  ticksPerSecond = float(currentBpm) * 0.4f;
  // The division is done in extended precision and truncated: 126 BPM is
  // 50.4000015 ticks per second as a float, which gives 874 frames, not 875.
  const long double frames = (long double)sampleRate / (long double)ticksPerSecond;
  samplesPerTick = std::max(int32_t(frames), int32_t{1});
}

void cPlayer::ResetPosition(bool toStart) {
  if (toStart) position = song.start;
  for (int32_t& v : song.noteVolume) v = 127;
  LoadPosition();
  row = 0;
  currentSpeed = song.speed;
  tick = 0;
  SetBPM(song.bpm);
  timer1Interval = Timer1Interval();
}

void cPlayer::LoadPosition() {
  pattern = int32_t(song.GetPattern(position) & 0xFF);
  modeWord = song.GetModeWord(position);
}

void cPlayer::NextPosition() {
  position += 1;
  if (position > song.end || position >= kPositions) {
    position = song.repeat;
    if (wrapCount < INT32_MAX) wrapCount += 1;
  }
  LoadPosition();
}

void cPlayer::ProcessTick() {
  if (playing == 0 || currentSpeed == 0) return;
  if (tick == 0) {
    rows.InterpretRow(cRowPlace{pattern, row, modeWord}, *this);
  } else if (currentSpeed - 1 > tick) {
    // The ticks between the row's first and its last: 1 .. speed - 2.
    for (int c = 0; c < ChannelsInUse(); ++c) {
      generators.currentChannel = c;
      generators.Tick(tick);
    }
  } else {
    tick = -1;
    AdvanceRow();
  }
  tick += 1;
}

void cPlayer::AdvanceRow() {
  row += 1;
  if (row < kRows) return;
  row = 0;
  // In pattern-loop mode the same pattern plays again.
  if (patternLoop == 0) NextPosition();
}

void cPlayer::PatternBreak(int32_t breakRow) {
  if (patternLoop == 0) NextPosition();
  // The end of the current row moves on to the break's row.
  row = (breakRow & 63) - 1;
}

void cPlayer::Panic(bool clearEffects) {
  generators.ResetAll();
  if (clearEffects) effects.ClearAll();
  renderer.ClearBuffers();
}

int32_t cPlayer::Timer1Interval() const {
  if (timer1Mult >= 20) return timer1Mult;
  // timer1Mult half rows at the current tempo, but never faster than 40 ms.
  long double ms = (long double)timer1Mult * 500.0L * currentSpeed / (long double)ticksPerSecond;
  ms = std::clamp(ms, 40.0L, 3600000.0L);
  return int32_t(ms);
}
