#pragma once
// The window's export: the song as it is when the export begins, loaded into
// a second engine of its own, rendered to files on a worker thread below the
// audio thread's priority. Live playback goes on meanwhile; the window's mute
// and solo are no part of the song and do not apply. The render is the
// command line's (RenderSong), so both write the same file.

#include <atomic>
#include <cstdint>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "app/config.h"
#include "app/songrender.h"

class cTracker;

class cExportJob {
 public:
  // Takes the song from the live engine (under its lock, briefly) and the
  // settings the second engine is built with.
  cExportJob(cTracker& live, cRenderRequest request);
  // The same from a song image already taken.
  cExportJob(const cConfig& config, std::vector<uint8_t> songImage, cRenderRequest request);
  // Cancels a render still running and waits for the worker.
  ~cExportJob();
  cExportJob(const cExportJob&) = delete;
  cExportJob& operator=(const cExportJob&) = delete;

  void Start();
  void Cancel() { progress.cancel = true; }
  bool Finished() const { return finished; }
  // Waits for the worker; the result is complete afterwards.
  const cRenderResult& Wait();

  const cRenderProgress& Progress() const { return progress; }
  const cRenderRequest& Request() const { return request; }
  int32_t SampleRate() const { return config.frequency; }

 private:
  void Run();

  cConfig config;
  std::vector<uint8_t> image;
  cRenderRequest request;
  cRenderProgress progress;
  cRenderResult result;
  std::atomic<bool> finished{false};
  std::thread worker;
};
