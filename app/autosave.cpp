#include "app/autosave.h"

#include "app/tracker.h"

cAutosave::cAutosave(const std::string& stateFolder, int32_t seconds)
    : state(stateFolder),
      enabled(!stateFolder.empty() && seconds > 0),
      interval(std::chrono::seconds(std::max(seconds, 0))),
      job(std::make_unique<cJob>()) {}

cAutosave::~cAutosave() {
  {
    std::lock_guard<std::mutex> lock(mutex);
    stopping = true;
  }
  wake.notify_all();
  if (worker.joinable()) worker.join();
}

bool cAutosave::Begin(std::string* problem) {
  if (!enabled) return true;
  cFileResult why;
  if (marker.Create(state, &why)) return true;
  if (problem) *problem = state.Folder() + ": " + FileResultReason(why);
  return false;
}

void cAutosave::End(bool clean) {
  if (clean) {
    marker.Remove();
  } else {
    marker.Leave();
  }
}

void cAutosave::SetListener(std::function<void(const cAutosaveResult&)> told) {
  std::lock_guard<std::mutex> lock(mutex);
  listener = std::move(told);
}

void cAutosave::Idle() {
  std::unique_lock<std::mutex> lock(mutex);
  wake.wait(lock, [this] { return !busy; });
}

bool cAutosave::Tick(cTracker& tracker, const std::string& songFile, tClock::time_point now) {
  if (!enabled || !tracker.Modified()) return false;
  if (tried && now - lastTry < interval) return false;
  const uint64_t changes = tracker.Edits().Changes();
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (busy || (written && changes == writtenChanges)) return false;
  }
  tried = true;
  lastTry = now;
  // A folder that could not hold the marker at start may have come back.
  std::string problem;
  if (!marker.Held() && !Begin(&problem)) {
    Finish({false, {}, problem}, changes);
    return false;
  }
  // The worker is idle: the job is this thread's until busy is set.
  job->songFile = songFile;
  job->changes = changes;
  tracker.TakeSnapshot(job->snapshot);
  {
    std::lock_guard<std::mutex> lock(mutex);
    busy = true;
    if (!worker.joinable()) worker = std::thread([this] { Run(); });
  }
  wake.notify_all();
  return true;
}

bool cAutosave::WriteNow(cTracker& tracker, const std::string& songFile, std::string* problem) {
  if (!enabled || !tracker.Modified()) return true;
  const uint64_t changes = tracker.Edits().Changes();
  {
    std::unique_lock<std::mutex> lock(mutex);
    wake.wait(lock, [this] { return !busy; });
    if (written && changes == writtenChanges) return true;
  }
  cAutosaveResult result;
  if (marker.Held() || Begin(&result.problem)) {
    job->songFile = songFile;
    job->changes = changes;
    tracker.TakeSnapshot(job->snapshot);
    result = Write(*job);
    job->snapshot.ReleaseWaves();
  }
  Finish(result, changes);
  if (problem) *problem = result.problem;
  return result.written;
}

void cAutosave::Run() {
  std::unique_lock<std::mutex> lock(mutex);
  for (;;) {
    wake.wait(lock, [this] { return stopping || busy; });
    if (!busy) return;  // stopping, with nothing left to write
    lock.unlock();
    const cAutosaveResult result = Write(*job);
    // The waves go here, outside the engine lock, and not at the next take.
    job->snapshot.ReleaseWaves();
    Finish(result, job->changes);
    lock.lock();
  }
}

// Worker thread, or the window thread while the worker is idle.
cAutosaveResult cAutosave::Write(const cJob& work) {
  cAutosaveResult result;
  cFileResult why;
  std::string song;
  if (state.Make(&why)) song = state.SongName(Session(), work.songFile, &why);
  if (song.empty()) {
    result.problem = state.AutosaveFolder() + ": " + FileResultReason(why);
    return result;
  }
  result.path = state.NewCopyPath(song, Session());
  if (!work.snapshot.Save(result.path, &why)) {
    result.problem = result.path + ": " + FileResultReason(why);
    return result;
  }
  result.written = true;
  state.Rotate(Session());
  return result;
}

// The listener is told before the worker counts as idle: Idle() returns
// only once it was.
void cAutosave::Finish(const cAutosaveResult& result, uint64_t changes) {
  std::function<void(const cAutosaveResult&)> told;
  {
    std::lock_guard<std::mutex> lock(mutex);
    if (result.written) {
      written = true;
      writtenChanges = changes;
    }
    told = listener;
  }
  if (told) told(result);
  {
    std::lock_guard<std::mutex> lock(mutex);
    busy = false;
  }
  wake.notify_all();
}

cRestored RestoreAutosave(cTracker& tracker, const std::vector<cAutosaveCopy>& copies) {
  cRestored restored;
  const cAutosaveCopy* partial = nullptr;
  for (const cAutosaveCopy& copy : copies) {
    cFileResult why;
    const int loaded = tracker.LoadModule(copy.path, &why);
    if (loaded == 1 && why.Ok()) {
      restored.restored = true;
      restored.copy = copy;
      break;
    }
    restored.skipped.push_back(copy.path + ": " + FileResultReason(why, "not a song"));
    if (loaded == 1 && partial == nullptr) partial = &copy;
  }
  // None whole: what the newest readable copy still holds beats nothing.
  if (!restored.restored && partial != nullptr && tracker.LoadModule(partial->path) == 1) {
    restored.restored = true;
    restored.whole = false;
    restored.copy = *partial;
  }
  if (restored.restored) tracker.Edits().MarkUnsaved();
  return restored;
}
