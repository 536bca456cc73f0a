#pragma once
// A song rendered to files, as `murvelon-cli render` and the window's export
// both do it, so that both give the same file: from the first block after
// play starts until the song first wraps from its end to its repeat
// position, plus two seconds (an hour at most), or for a given time. The mix
// and, when asked, one stem per song channel and per aux bus that a channel
// sends to, all from the same pass and all exactly as long as the mix.
// Runs on the calling thread, on an engine that nothing else plays.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

#include "audio/soundfilewriter.h"

class cTracker;

struct cRenderRequest {
  std::string mixPath;  // empty: no mix file
  eSoundFormat mixFormat = eSoundFormat::kWav16;
  std::string stemsFolder;  // empty: no stems
  eSoundFormat stemFormat = eSoundFormat::kWavFloat;
  double seconds = -1;  // negative: the song once, plus the tail
  // The positions of the sequence to play, start to end; -1: the song's own.
  int32_t firstPosition = -1, lastPosition = -1;
};

// Written by the render, read by other threads; cancel is theirs to set.
struct cRenderProgress {
  std::atomic<int32_t> firstPosition{0}, lastPosition{0};  // of the range played
  std::atomic<int32_t> position{0}, row{0};
  std::atomic<bool> inTail{false};  // the song has played once
  std::atomic<int64_t> frames{0};   // written so far
  std::atomic<bool> cancel{false};
};

struct cRenderResult {
  bool ok = false;
  bool cancelled = false;
  std::string error;  // the file and the system's reason
  int64_t frames = 0;
  int64_t clippedSamples = 0;  // of the mix, beyond its format's full scale
  double elapsedSeconds = 0;
  std::vector<std::string> files;  // written: the mix first, then the stems
};

// "channel-00.wav" .. "channel-15.wav" for buffers 0-15, "aux-1.wav" ..
// "aux-4.wav" for the buses, with the format's suffix.
std::string StemFileName(int buffer, eSoundFormat format);

cRenderResult RenderSong(cTracker& tracker, const cRenderRequest& request,
                         cRenderProgress* progress = nullptr);
