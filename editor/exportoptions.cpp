#include "editor/exportoptions.h"

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <filesystem>

namespace {

constexpr int32_t kRowsPerPosition = 64;

bool EndsWith(const std::string& text, const std::string& end) {
  if (text.size() < end.size()) return false;
  return std::equal(end.rbegin(), end.rend(), text.rbegin(), [](char a, char b) {
    return std::tolower(static_cast<unsigned char>(a)) ==
           std::tolower(static_cast<unsigned char>(b));
  });
}

std::string Position(int32_t position) {
  char text[8];
  std::snprintf(text, sizeof text, "%03d", position);
  return text;
}

}  // namespace

cExportOptions DefaultExportOptions(const std::string& path, int32_t songStart, int32_t songEnd) {
  cExportOptions options;
  options.flac = SoundFormatForPath(path) == eSoundFormat::kFlac16;
  options.path = PathForType(path, options.flac);
  options.firstPosition = songStart;
  options.lastPosition = songEnd;
  const std::filesystem::path file(options.path);
  options.stemsFolder = (file.parent_path() / (file.stem().string() + " stems")).string();
  return options;
}

eSoundFormat ExportFormat(bool flac, eExportDepth depth) {
  if (flac) return depth == eExportDepth::k16 ? eSoundFormat::kFlac16 : eSoundFormat::kFlac24;
  switch (depth) {
    case eExportDepth::k24:
      return eSoundFormat::kWav24;
    case eExportDepth::kFloat:
      return eSoundFormat::kWavFloat;
    case eExportDepth::k16:
      break;
  }
  return eSoundFormat::kWav16;
}

std::string PathForType(const std::string& path, bool flac) {
  std::string base = path;
  for (const char* suffix : {".wav", ".flac"}) {
    if (EndsWith(base, suffix)) base.resize(base.size() - std::string(suffix).size());
  }
  return base + (flac ? ".flac" : ".wav");
}

cRenderRequest ExportRequest(const cExportOptions& options) {
  cRenderRequest request;
  request.mixPath = PathForType(options.path, options.flac);
  request.mixFormat = ExportFormat(options.flac, options.depth);
  if (options.stems) {
    request.stemsFolder = options.stemsFolder;
    request.stemFormat = request.mixFormat;
  }
  if (!options.wholeSong) {
    request.firstPosition = std::min(options.firstPosition, options.lastPosition);
    request.lastPosition = std::max(options.firstPosition, options.lastPosition);
  }
  return request;
}

std::string ClockText(double seconds) {
  const long whole = std::max(0L, long(seconds));
  char text[32];
  std::snprintf(text, sizeof text, "%ld:%02ld", whole / 60, whole % 60);
  return text;
}

std::string ExportPositionText(int32_t position, int32_t row, int32_t first, int32_t last,
                               bool inTail) {
  if (inTail) return "Tail after the end of the song";
  return "Position " + Position(position) + " (" + Position(first) + "-" + Position(last) +
         "), row " + std::to_string(row);
}

int32_t ExportRows(int32_t first, int32_t last) {
  return std::max(last - first + 1, 1) * kRowsPerPosition;
}

int32_t ExportRowsDone(int32_t position, int32_t row, int32_t first, int32_t last, bool inTail) {
  if (inTail) return ExportRows(first, last);
  // A jump in the sequence may lead outside the range: the bar stays in it.
  const int32_t done =
      (position - first) * kRowsPerPosition + std::clamp(row, 0, kRowsPerPosition - 1);
  return std::clamp(done, 0, ExportRows(first, last));
}

std::string ExportResultText(const cRenderResult& result, int32_t sampleRate) {
  if (result.cancelled) return "Export cancelled: no file was written.";
  if (!result.ok) return "Export failed!\n" + result.error;
  const double sound = sampleRate > 0 ? double(result.frames) / sampleRate : 0.0;
  char took[32];
  if (result.elapsedSeconds < 60) {
    std::snprintf(took, sizeof took, "%.1f s", result.elapsedSeconds);
  } else {
    std::snprintf(took, sizeof took, "%s", ClockText(result.elapsedSeconds).c_str());
  }
  std::string text = "Exported " + ClockText(sound) + " of sound in " + took + ", " +
                     std::to_string(result.files.size()) +
                     (result.files.size() == 1 ? " file." : " files.");
  if (result.clippedSamples > 0) {
    text += "\n" + std::to_string(result.clippedSamples) +
            (result.clippedSamples == 1 ? " sample" : " samples") +
            " clipped: the mix is louder than full scale there.";
  }
  return text;
}
