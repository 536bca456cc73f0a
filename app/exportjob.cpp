#include "app/exportjob.h"

#include "app/tracker.h"
#include "audio/threadpriority.h"

namespace {

// The worker yields to the audio thread and to the window even where the
// audio thread could not have real-time priority.
constexpr int kWorkerNice = 10;

}  // namespace

cExportJob::cExportJob(cTracker& live, cRenderRequest request)
    : cExportJob(live.Config(), live.SongImage(), std::move(request)) {}

cExportJob::cExportJob(const cConfig& config, std::vector<uint8_t> songImage,
                       cRenderRequest request)
    : config(config), image(std::move(songImage)), request(std::move(request)) {
  // No clock measurement: nothing shows this engine's load.
  this->config.cpuCalc = 0;
}

cExportJob::~cExportJob() {
  Cancel();
  if (worker.joinable()) worker.join();
}

void cExportJob::Start() {
  if (worker.joinable() || finished) return;
  worker = std::thread([this] { Run(); });
}

const cRenderResult& cExportJob::Wait() {
  if (worker.joinable()) worker.join();
  return result;
}

// The same steps as the command line: start without a sound device, load
// with the engine paused, then render.
void cExportJob::Run() {
  SetThreadNice(0, kWorkerNice);
  std::string fatal;
  {
    cTracker engine(config);
    engine.SetFatalHandler([this, &fatal](const std::string& message) {
      fatal = message;
      progress.cancel = true;
    });
    if (engine.SystemStart(false)) {
      engine.PauseEngine();
      const int loaded = engine.LoadModuleImage(std::move(image));
      engine.ResumeEngine();
      if (loaded == 1) {
        result = RenderSong(engine, request, &progress);
      } else {
        result.error = "Song format not recognized!";
      }
    }
  }
  if (!fatal.empty()) {
    result.ok = false;
    result.cancelled = false;
    result.error = fatal;
  }
  finished = true;
}
