#pragma once
// Autosave: while the song is modified, a copy goes to the state folder at
// most every so many seconds. The copy is a snapshot taken on the window
// thread in one short hold of the engine lock and written by a worker
// thread of its own, so neither the audio nor the window waits for the
// disk. A copy that cannot be written is told to the listener and tried
// again an interval later.
//
// The session's marker lives as long as this object; a clean end removes
// it, an end with unsaved work leaves it for the next start to find.

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>

#include "app/songsnapshot.h"
#include "app/statefolder.h"

class cTracker;

struct cAutosaveResult {
  bool written = false;
  std::string path;     // the copy written
  std::string problem;  // why not, as one line
};

class cAutosave {
 public:
  using tClock = std::chrono::steady_clock;

  // stateFolder empty, or seconds 0 or less: no copies are written.
  cAutosave(const std::string& stateFolder, int32_t seconds);
  // Waits for a copy being written.
  ~cAutosave();
  cAutosave(const cAutosave&) = delete;
  cAutosave& operator=(const cAutosave&) = delete;

  // Makes the session's marker. False, and problem says why, when the state
  // folder cannot hold it; copies are still tried.
  bool Begin(std::string* problem);
  // A clean end removes the marker; otherwise it stays for the next start.
  void End(bool clean);
  const std::string& Session() const { return marker.Session(); }
  const cStateFolder& State() const { return state; }
  bool Enabled() const { return enabled; }

  // Window thread, often (every second or so): when the song is modified,
  // has changed since the last copy written and the interval has passed
  // since the last copy tried, takes a snapshot and hands it to the worker.
  // songFile is the song's own file, empty for none. True when a copy went.
  bool Tick(cTracker& tracker, const std::string& songFile, tClock::time_point now);
  // A copy of a modified song now, written before this returns (the
  // program is about to end); waits for a copy being written first. True
  // when one was written or none was needed.
  bool WriteNow(cTracker& tracker, const std::string& songFile, std::string* problem);
  // Told after each copy, on the worker thread (on the calling thread for
  // WriteNow).
  void SetListener(std::function<void(const cAutosaveResult&)> listener);
  // Tests: waits until no copy is being written.
  void Idle();

 private:
  struct cJob {
    cSongSnapshot snapshot;
    std::string songFile;
    uint64_t changes = 0;
  };
  void Run();
  cAutosaveResult Write(const cJob& job);
  void Finish(const cAutosaveResult& result, uint64_t changes);

  cStateFolder state;
  const bool enabled;
  const tClock::duration interval;
  cSessionMarker marker;

  std::mutex mutex;  // guards what follows it
  std::condition_variable wake;
  std::unique_ptr<cJob> job;  // the one snapshot, reused
  bool busy = false;          // the worker holds job
  bool stopping = false;
  uint64_t writtenChanges = 0;  // the history's count at the last copy written
  bool written = false;
  std::function<void(const cAutosaveResult&)> listener;

  bool tried = false;
  tClock::time_point lastTry;  // window thread
  std::thread worker;
};

// What restoring a copy made of the song in memory.
struct cRestored {
  bool restored = false;
  cAutosaveCopy copy;                // the copy now in memory
  bool whole = true;                 // it loaded whole
  std::vector<std::string> skipped;  // each copy passed over, with why
};

// Loads the newest copy that reads whole, passing over damaged ones; when
// none does, the newest that loads at all. The song counts as modified.
// The caller pauses the engine around it.
cRestored RestoreAutosave(cTracker& tracker, const std::vector<cAutosaveCopy>& copies);
