#pragma once
// The one edit path: every change of the song goes through here. An edit is
// a short transaction: it takes the engine lock, applies the change, takes
// what it needs to undo it, and releases the lock; then, outside the lock,
// it becomes a step of the undo history and the song counts as modified.
// Nothing under the lock allocates or touches a file: sounds and presets
// are read before the lock is taken, effects are built before it and freed
// after it, and the history's steps are made after it from copies taken
// under it into buffers made at start-up.
//
// Window thread only. The song data changes on this thread alone, so this
// thread may read it without the lock (cTracker::Song()).

#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "app/edithistory.h"
#include "app/editstep.h"

class cTracker;
class cEffect;

// Keys under which one control's changes between its press and its release
// merge into one step: the kind of control and which one.
enum class eMergeKind : uint32_t {
  kInstrumentWord = 1,
  kEffectParam,
  kSend,
  kSetting,
  kChannelVolume,
};
constexpr uint32_t MergeKey(eMergeKind kind, uint32_t index) {
  return uint32_t(kind) << 24 | (index & 0xFFFFFFu);
}

class cSongEdits {
 public:
  explicit cSongEdits(cTracker& tracker);
  ~cSongEdits();

  // The pattern cursor, which each step records with the song position.
  void SetCursor(int32_t channel, int32_t row);

  // Pattern cells: change(cSongTables&) runs under the engine lock and may
  // write any cell of the pattern (the clip stores too, which are not song
  // data); it returns false when it changed nothing it meant to. The cells
  // that differ afterwards are the step. False when nothing changed.
  template <class Change>
  bool EditPattern(const char* what, int32_t pattern, Change&& change, uint32_t mergeKey = 0);
  // The sequence entries and the start, repeat and end positions; the
  // player takes the mode word of its position again. change returns the
  // step's name, or null when it meant no change.
  template <class Change>
  bool EditSequence(Change&& change);

  // The clip stores of cut, copy and paste sit in the song's memory block
  // but are not song data: undo never touches them and the audio thread
  // never reads them. use(cSongTables&) may write them and nothing else.
  template <class Use>
  void UseClipStores(Use&& use) {
    use(SongTables());
  }

  // Song settings. The channel count outside 0-16 is refused; the others
  // are held to their ranges. BPM and speed also set the tempo in use while
  // the song plays. Each returns whether the song changed.
  bool SetChannelCount(int32_t count);
  bool SetBpm(int32_t bpm, uint32_t mergeKey = 0);
  bool SetSpeed(int32_t speed, uint32_t mergeKey = 0);
  bool SetMasterVolume(int32_t volume, uint32_t mergeKey = 0);
  bool SetMasterPan(int32_t pan, uint32_t mergeKey = 0);
  bool SetChannelVolume(int32_t channel, int32_t volume, uint32_t mergeKey = 0);

  // Instrument words (block 0-127), through the controller's SetParam: the
  // edited channel's generator follows. SetInstrumentWords is SetParams:
  // the channel's generators restart and the block is filtered.
  bool SetInstrumentWord(const char* what, int32_t block, int32_t word, int16_t value,
                         uint32_t mergeKey = 0);
  bool SetInstrumentWords(const char* what, int32_t block, int32_t word, int16_t value);
  // Word 31 becomes the engine, then the block takes that engine's defaults
  // and the edited channel plays it.
  // samplerLayer >= 0: a block made a sampler plays that layer instead of
  // the defaults' layer 0, in the same undo step.
  bool ChangeEngine(int32_t block, int32_t engine, int32_t samplerLayer = -1);
  // A whole block read from a preset: filtered for its engine and stored.
  bool PutInstrument(const char* what, int32_t block, const int16_t* words);

  // Samples: a slot takes a sound read before (cWavManager::ReadWav), or
  // is emptied; the sampler voices stop first. Loop points and mode are
  // held inside the wave as the store holds them.
  bool PutSample(const char* what, int32_t slot, const cWaveSlot& sound);
  bool DeleteSample(int32_t slot);
  bool SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd, uint32_t mergeKey = 0);
  bool SetLoopMode(int32_t slot, uint32_t mode);

  // Effects: a slot (chain 0-19, slot 0-3) takes a new effect of the type
  // (0 empties it), with effect processing off around the exchange; a
  // parameter or a preset of the effect in a slot; a send level (0-100).
  bool ChangeEffectType(int32_t chain, int32_t slot, int32_t type);
  bool SetEffectParam(const char* what, int32_t chain, int32_t slot, int32_t index, int32_t value,
                      uint32_t mergeKey = 0);
  bool LoadEffectPreset(int32_t chain, int32_t slot, int32_t preset);
  bool SetSend(int32_t channel, int32_t bus, int32_t level, uint32_t mergeKey = 0);

  // The history. Undo and redo apply a step; where is the step's location.
  // Stopped, the song position goes there as well (the caller moves the
  // cursors); playing, the transport is left alone.
  bool Undo(cEditLocation* where = nullptr);
  bool Redo(cEditLocation* where = nullptr);
  bool CanUndo() const { return history.CanUndo(); }
  bool CanRedo() const { return history.CanRedo(); }
  std::string UndoText() const { return history.UndoText(); }
  std::string RedoText() const { return history.RedoText(); }
  // A press on a control was let go (or a burst of wheel steps ended): the
  // next change of that control is a step of its own.
  void CloseStep() { history.CloseStep(); }

  // New, load, import and engine restart: the history starts empty and the
  // song counts as saved. MarkSaved after a save; MarkUnsaved for a song
  // that no file holds as it is (a damaged file read as far as it goes).
  void Clear();
  void MarkSaved();
  void MarkUnsaved();
  bool Modified() const { return history.Modified(); }
  // Counts every change of the history or of the saved state: autosave
  // writes a copy only when it moved since the last one.
  uint64_t Changes() const { return changes; }
  // Told after every change of the history or of the saved state: the
  // window's Edit menu and caption follow.
  void SetHistoryListener(std::function<void()> listener) { onHistory = std::move(listener); }

  cEditHistory& History() { return history; }

  // The longest time an edit, an undo or a redo held the engine lock since
  // the last reset (the audio thread waits meanwhile), for the bench.
  std::chrono::nanoseconds LongestLockHold() const { return longestHold; }
  void ResetLockHold() { longestHold = {}; }
  // Tests: told when an edit takes the engine lock (true) and just before it
  // lets it go (false).
  void SetLockObserver(void (*observer)(bool held)) { lockObserver = observer; }

 private:
  // The engine lock, timed.
  class cLock {
   public:
    explicit cLock(std::recursive_mutex& mutex, cSongEdits& edits)
        : guard(mutex), edits(edits), since(std::chrono::steady_clock::now()) {
      if (edits.lockObserver) edits.lockObserver(true);
    }
    ~cLock() {
      if (edits.lockObserver) edits.lockObserver(false);
      const auto held = std::chrono::steady_clock::now() - since;
      if (held > edits.longestHold) edits.longestHold = held;
    }
    cLock(const cLock&) = delete;
    cLock& operator=(const cLock&) = delete;

   private:
    std::lock_guard<std::recursive_mutex> guard;
    cSongEdits& edits;
    std::chrono::steady_clock::time_point since;
  };
  std::recursive_mutex& Lock();
  cSongTables& SongTables();
  // Engine lock held: where an edit is made now.
  cEditLocation Here();
  void Record(const char* what, const cEditLocation& where, cEditDelta&& delta, uint32_t mergeKey);
  // Engine lock held.
  cSongSettings ReadSettings();
  void WriteSettings(const cSongSettings& s);
  void CopyPattern(int32_t pattern, cCell* dest);
  void CaptureSequence(uint8_t* entries, cSequenceRange* range);
  // Engine lock held: the player takes its position's mode word again.
  void FollowSequence();
  cPatternDelta DiffPattern(int32_t pattern) const;
  cSequenceDelta DiffSequence(const cSequenceRange& before, const cSequenceRange& after) const;
  bool EditSettings(const char* what, uint32_t mergeKey, auto&& change);
  bool EditInstrument(const char* what, int32_t block, uint32_t mergeKey, auto&& change);
  // Engine lock held: the state of an effect slot.
  cEffectState ReadEffect(int32_t chain, int32_t slot);
  // Engine lock held: the slot's parameters take the state's values.
  void WriteEffectParams(int32_t chain, int32_t slot, const cEffectState& state);
  bool EditEffectParams(const char* what, int32_t chain, int32_t slot, uint32_t mergeKey,
                        auto&& change);
  bool EditSample(const char* what, int32_t slot, uint32_t mergeKey, auto&& change);
  void StopSamplers();
  // A step, or its undoing, applied: backwards puts the before values.
  bool Apply(const cEditStep& step, bool backwards, cEditLocation* where);
  void ApplyLocked(const cEditDelta& delta, bool backwards, std::unique_ptr<cEffect>* built,
                   std::unique_ptr<cEffect>* displaced);

  void HistoryChanged() {
    ++changes;
    if (onHistory) onHistory();
  }

  cTracker& tracker;
  cEditHistory history;
  std::function<void()> onHistory;
  uint64_t changes = 0;
  std::chrono::nanoseconds longestHold{0};
  void (*lockObserver)(bool held) = nullptr;
  int32_t cursorChannel = 0, cursorRow = 0;
  // Copies taken under the lock, made once: a pattern and the sequence,
  // before and after an edit.
  std::unique_ptr<cCell[]> patternBefore, patternAfter;
  std::unique_ptr<uint8_t[]> sequenceBefore, sequenceAfter;
};

template <class Change>
bool cSongEdits::EditPattern(const char* what, int32_t pattern, Change&& change,
                             uint32_t mergeKey) {
  cEditLocation where;
  {
    cLock lock(Lock(), *this);
    where = Here();
    CopyPattern(pattern, patternBefore.get());
    if (!change(SongTables())) return false;
    CopyPattern(pattern, patternAfter.get());
  }
  cPatternDelta delta = DiffPattern(pattern);
  if (delta.cells.empty()) return false;
  Record(what, where, std::move(delta), mergeKey);
  return true;
}

template <class Change>
bool cSongEdits::EditSequence(Change&& change) {
  cEditLocation where;
  cSequenceRange before, after;
  const char* what;
  {
    cLock lock(Lock(), *this);
    where = Here();
    CaptureSequence(sequenceBefore.get(), &before);
    what = change(SongTables());
    if (!what) return false;
    CaptureSequence(sequenceAfter.get(), &after);
    FollowSequence();
  }
  cSequenceDelta delta = DiffSequence(before, after);
  if (delta.entries.empty() && before == after) return false;
  Record(what, where, std::move(delta), 0);
  return true;
}
