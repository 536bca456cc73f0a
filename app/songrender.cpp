#include "app/songrender.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <mutex>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/mixtap.h"

namespace {

// A file of the render and the tap buffer it takes: -1 the mix.
struct cRenderFile {
  int buffer = -1;
  cSoundFileWriter writer;
};

// The song plays once, then this much more.
constexpr int64_t kTailSeconds = 2;
constexpr int64_t kLongestSeconds = 60 * 60;

}  // namespace

std::string StemFileName(int buffer, eSoundFormat format) {
  char name[32];
  if (buffer < kTapChannels) {
    std::snprintf(name, sizeof name, "channel-%02d", buffer);
  } else {
    std::snprintf(name, sizeof name, "aux-%d", buffer - kTapChannels + 1);
  }
  return std::string(name) + SoundFormatSuffix(format);
}

cRenderResult RenderSong(cTracker& tracker, const cRenderRequest& request,
                         cRenderProgress* progress) {
  const auto started = std::chrono::steady_clock::now();
  cRenderResult result;
  cRenderProgress ownProgress;
  cRenderProgress& shown = progress != nullptr ? *progress : ownProgress;
  const int32_t rate = tracker.Config().frequency;
  cTrackerInside engine = Inside(tracker);
  cRenderPath& renderer = engine.Renderer();
  cMixTap tap(renderer.BlockFrames());

  std::vector<std::unique_ptr<cRenderFile>> files;
  auto addFile = [&](int buffer, const std::string& path, eSoundFormat format) {
    auto file = std::make_unique<cRenderFile>();
    file->buffer = buffer;
    if (!file->writer.Open(path, format, rate)) {
      result.error = path + ": " + file->writer.Failure();
      return false;
    }
    files.push_back(std::move(file));
    return true;
  };

  std::vector<int> stems;
  {
    std::lock_guard<std::recursive_mutex> lock(engine.EngineLock());
    cSongTables& song = engine.Song();
    if (request.firstPosition >= 0 && request.lastPosition >= request.firstPosition) {
      song.start = request.firstPosition;
      song.end = request.lastPosition;
      song.repeat = request.firstPosition;
      song.NormaliseRange();
    }
    shown.firstPosition = song.start;
    shown.lastPosition = song.end;
    if (!request.stemsFolder.empty()) {
      for (int c = 0; c < song.channelCount; ++c) stems.push_back(c);
      for (int b = 0; b < kFxAuxBuses; ++b) {
        if (engine.Effects().BusFed(b)) stems.push_back(kTapChannels + b);
      }
    }
  }

  // A folder made here and left empty by a failure or a cancel goes again.
  bool madeFolder = false;
  if (!request.stemsFolder.empty()) {
    std::error_code error;
    madeFolder = std::filesystem::create_directories(request.stemsFolder, error);
    if (error) {
      result.error = request.stemsFolder + ": " + error.message();
      return result;
    }
  }
  auto removeMadeFolder = [&] {
    std::error_code ignored;
    if (madeFolder) std::filesystem::remove(request.stemsFolder, ignored);  // only when empty
  };

  bool opened = request.mixPath.empty() || addFile(-1, request.mixPath, request.mixFormat);
  for (int buffer : stems) {
    if (!opened) break;
    tap.WantStem(buffer);
    const std::string path =
        (std::filesystem::path(request.stemsFolder) / StemFileName(buffer, request.stemFormat))
            .string();
    opened = addFile(buffer, path, request.stemFormat);
  }
  if (!opened) {
    files.clear();
    removeMadeFolder();
    return result;
  }

  {
    std::lock_guard<std::recursive_mutex> lock(engine.EngineLock());
    renderer.SetTap(&tap);
  }
  tracker.TransportCommand(1);
  const int64_t blockFrames = renderer.BlockFrames();
  const int64_t limit = int64_t(rate) * kLongestSeconds;
  int64_t wanted = request.seconds >= 0 ? int64_t(request.seconds * rate + 0.5) : limit;
  int64_t written = 0;
  bool wrapped = false;
  std::vector<double> stemSamples(size_t(blockFrames) * 2);
  while (written < wanted && result.error.empty() && !shown.cancel) {
    const int16_t* block = tracker.RenderCallback(1);
    const int32_t n = int32_t(std::min(blockFrames, wanted - written));
    for (const auto& file : files) {
      const double* mix = tap.Mix();
      if (file->buffer >= 0) {
        const float* stem = tap.Stem(file->buffer);
        std::copy(stem, stem + 2 * n, stemSamples.begin());
        mix = stemSamples.data();
      }
      if (!file->writer.Write(mix, file->buffer < 0 ? block : nullptr, n)) {
        result.error = file->writer.Path() + ": " + file->writer.Failure();
        break;
      }
    }
    written += n;
    shown.frames = written;
    std::lock_guard<std::recursive_mutex> lock(engine.EngineLock());
    const cPlayer& player = engine.Player();
    shown.position = player.position;
    shown.row = std::max(player.row, 0);
    if (request.seconds < 0 && !wrapped && player.wrapCount > 0) {
      wrapped = true;
      shown.inTail = true;
      wanted = std::min(limit, written + kTailSeconds * rate);
    }
  }
  {
    std::lock_guard<std::recursive_mutex> lock(engine.EngineLock());
    renderer.SetTap(nullptr);
  }

  result.cancelled = shown.cancel && result.error.empty();
  for (const auto& file : files) {
    if (!result.error.empty() || result.cancelled) break;
    if (!file->writer.Commit()) {
      result.error = file->writer.Path() + ": " + file->writer.Failure();
    } else {
      result.files.push_back(file->writer.Path());
    }
  }
  if (!files.empty() && files.front()->buffer < 0)
    result.clippedSamples = files.front()->writer.ClippedSamples();
  files.clear();  // what was not committed is removed
  if (!result.error.empty() || result.cancelled) removeMadeFolder();
  result.ok = result.error.empty() && !result.cancelled;
  result.frames = written;
  result.elapsedSeconds =
      std::chrono::duration<double>(std::chrono::steady_clock::now() - started).count();
  return result;
}
