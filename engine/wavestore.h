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

struct cWaveEntry {
  const int16_t* data;  // the whole buffer, margins included; null when empty
  int32_t length;       // frames; 0 = empty
  uint32_t flags;
  int32_t loopStart;  // first frame of the loop
  int32_t loopEnd;    // last frame of the loop
  char name[kWaveNameBytes];
};

// A slot as a value: its entry and the buffer that holds its sound. A
// buffer is never changed once it is made (a new sound is a new buffer), so
// the edit history, an autosave copy or an export can hold a slot without
// copying the sound; entry.data points into buffer.
struct cWaveSlot {
  cWaveEntry entry{};
  std::shared_ptr<const int16_t[]> buffer;
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

  // Reads a sample file (WAV, FLAC, AIFF, Ogg Vorbis) into the slot; false
  // (slot unchanged) on any fault, and why says which.
  bool ImportWav(int32_t slot, const std::string& path, cFileResult* why = nullptr);
  // Reads a sample file into a slot value, named after the file, without
  // touching the store; false on any fault, and why says which. The frames
  // keep the file's own rate, which fileRate receives.
  static bool ReadWav(const std::string& path, cWaveSlot* dest, cFileResult* why = nullptr,
                      int32_t* fileRate = nullptr);

  // The slot as a value, and a slot put back from one. Neither allocates:
  // the buffer is shared. Putting a slot whose buffer differs from the one
  // held counts as a change of the slot; the same buffer with other loop
  // points or flags does not (a sounding voice keeps its sound).
  cWaveSlot GetSlot(int32_t slot) const;
  void PutSlot(int32_t slot, const cWaveSlot& value);

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
  // the store, when the list ends early, is damaged (a slot index outside
  // 0-127 or named twice, a length outside 0-kMaxWaveFrames, data for a slot
  // not announced) or a buffer cannot be had; the waves read whole so far
  // stay, and why says how many of how many that is (or the system's
  // reason when a buffer could not be had).
  bool ReadWaveList(cFileReader& in, cFileResult* why = nullptr);
  // The most bytes a wave list can hold: every slot at the longest stereo
  // wave.
  static constexpr uint64_t kLargestWaveListBytes =
      4 + uint64_t(kWaveSlots) * (60 + 12 + 4 * uint64_t(kMaxWaveFrames));

  // Takes every slot of other in exchange for its own, under the engine
  // lock: a song loaded aside becomes the store's at once.
  void TakeSlots(cWavManager& other);

 private:
  void ClearSlotLocked(int32_t slot);
  void Install(int32_t slot, std::unique_ptr<int16_t[]> buffer, int32_t length, uint32_t flags,
               int32_t loopStart, int32_t loopEnd, const char* name, size_t nameBytes);
  static cWaveSlot MakeSlot(std::unique_ptr<int16_t[]> buffer, int32_t length, uint32_t flags,
                            int32_t loopStart, int32_t loopEnd, const char* name, size_t nameBytes);
  std::unique_lock<std::recursive_mutex> Lock() const;

  std::recursive_mutex* engineLock = nullptr;
  cWaveEntry entries[kWaveSlots];
  std::shared_ptr<const int16_t[]> buffers[kWaveSlots];
  uint32_t generation[kWaveSlots] = {};
};

// The wave list of slots taken from a store (GetSlot), as the store would
// write it.
void WriteWaveList(cFileWriter& out, const cWaveSlot (&slots)[kWaveSlots]);

// Samples held by a slot of this length and these flags (2 per frame when
// stereo).
inline int64_t WaveSamples(int32_t length, uint32_t flags) {
  return int64_t(length) * ((flags & kWaveStereoFlags) ? 2 : 1);
}
