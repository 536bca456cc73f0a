#pragma once
// The wave store: the sampled sounds of a song in 128 slots. The sampler
// plays from it, WAV files are imported into it, and the song file stores it
// as a wave list. Every change of a slot happens under the engine lock, so
// the audio thread never sees a half-replaced slot.

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "engine/samplefile.h"
#include "song/filereader.h"
#include "song/filewriter.h"

constexpr int kWaveSlots = 128;
constexpr int kWaveNameBytes = 128;
constexpr uint32_t kWaveLoopFlags = 0x03;    // loop mode: 0 none, 2 ping-pong, 1 or 3 forward
constexpr uint32_t kWaveStereoFlag = 0x10;   // written for stereo sounds
constexpr uint32_t kWaveStereoFlags = 0xF0;  // any of them: read as stereo

// The loop mode the sample editor sets: 0 none, 1 forward, 2 ping-pong.
constexpr uint32_t kWaveLoopModeMask = 0x07;

// What an import made of a file.
struct cWaveImport {
  bool loaded = false;
  std::string failure;     // why not, in words that follow "Sample could not be loaded!"
  int32_t sampleRate = 0;  // of the file; the slot keeps its frames at that rate
  explicit operator bool() const { return loaded; }
};

struct cWaveEntry {
  int16_t* data;   // the whole buffer, margins included; null when empty
  int32_t length;  // frames; 0 = empty
  uint32_t flags;
  int32_t loopStart;  // first frame of the loop
  int32_t loopEnd;    // last frame of the loop
  char name[kWaveNameBytes];
};

class cWavManager {
 public:
  cWavManager();
  ~cWavManager();
  cWavManager(const cWavManager&) = delete;
  cWavManager& operator=(const cWavManager&) = delete;

  // The controller's engine lock; without one (tests) nothing is locked.
  void SetEngineLock(std::recursive_mutex* lock) { engineLock = lock; }

  void ClearSlot(int32_t slot);
  void ClearAll();

  // Reads a sample file (WAV, FLAC, AIFF, Ogg Vorbis) into the slot; on any
  // fault the slot stays as it was and the result says why.
  cWaveImport ImportWav(int32_t slot, const std::string& path);

  // Puts a copy of frames x (1 or 2) samples into the slot with the given
  // flags and loop; the sample editor and the MOD import fill slots this way.
  // The stereo flag is taken from flags. False when the buffer cannot be had.
  bool SetSlot(int32_t slot, const int16_t* samples, int32_t frames, uint32_t flags,
               int32_t loopStart, int32_t loopEnd, const char* name);

  // The sample editor's writes, under the engine lock: the sampler reads the
  // loop when a voice starts. The loop is held inside the wave with its start
  // never past its end; the mode goes into the low three bits of the flags,
  // the other bits kept. False for a slot that is not in use. Neither counts
  // as a change of the slot: a sounding voice keeps its sound.
  bool SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd);
  bool SetLoopMode(int32_t slot, uint32_t mode);

  // Copies the entry, the whole name included, under the engine lock.
  // False for a slot index outside 0-127.
  bool GetEntry(int32_t slot, cWaveEntry* dest) const;
  bool InUse(int32_t slot) const;

  // Counts every change of the slot's buffer or fields. A voice remembers
  // the count of the slot it took and drops its pointer when it moves on.
  uint32_t Generation(int32_t slot) const { return generation[slot & 0x7F]; }

  // The wave list of the song file, right after its "#WAVINF#" marker.
  void WriteWaveList(cFileWriter& out) const;
  // Clears every slot, then reads the list. False, without writing outside
  // the store, when the list is damaged (a slot index outside 0-127 or named
  // twice, a negative length, more sample data than the file holds) or a
  // buffer cannot be had; the slots read completely so far stay filled.
  bool ReadWaveList(cFileReader& in);

 private:
  void ClearSlotLocked(int32_t slot);
  void Install(int32_t slot, std::unique_ptr<int16_t[]> buffer, int32_t length, uint32_t flags,
               int32_t loopStart, int32_t loopEnd, const char* name, size_t nameBytes);
  std::unique_lock<std::recursive_mutex> Lock() const;

  std::recursive_mutex* engineLock = nullptr;
  cWaveEntry entries[kWaveSlots];
  std::unique_ptr<int16_t[]> buffers[kWaveSlots];
  uint32_t generation[kWaveSlots] = {};
};

// Samples held by a slot of this length and these flags (2 per frame when
// stereo).
inline int64_t WaveSamples(int32_t length, uint32_t flags) {
  return int64_t(length) * ((flags & kWaveStereoFlags) ? 2 : 1);
}
