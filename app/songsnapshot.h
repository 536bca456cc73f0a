#pragma once
// The song as its file holds it, taken from the song in memory in one short
// hold of the engine lock and written to a file later, on any thread,
// without the lock: autosave copies, saves, and the image an export renders
// from. The waves are held by their shared buffers, never copied.

#include <memory>
#include <string>

#include "engine/wavestore.h"
#include "song/fileresult.h"
#include "song/filewriter.h"
#include "song/songimage.h"

class cSongSnapshot {
 public:
  cSongSnapshot();
  ~cSongSnapshot();
  cSongSnapshot(const cSongSnapshot&) = delete;
  cSongSnapshot& operator=(const cSongSnapshot&) = delete;

  // cTracker::TakeSnapshot fills these.
  cSongImage& Image() { return *image; }
  const cSongImage& Image() const { return *image; }
  cWaveSlot waves[kWaveSlots];

  // The song file's bytes, as SaveModule writes them for the same song.
  void Write(cFileWriter& out) const;
  std::vector<uint8_t> Bytes() const;
  // Written to path through an atomic commit; false, and why, on failure.
  bool Save(const std::string& path, cFileResult* why = nullptr,
            eReplaced replaced = eReplaced::kDrop) const;
  // The waves let go, so that a later take frees no buffer under the lock.
  void ReleaseWaves();

 private:
  std::unique_ptr<cSongImage> image;
};
