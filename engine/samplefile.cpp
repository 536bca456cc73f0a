#include "engine/samplefile.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

#include "audio/soundfilereader.h"

namespace {

constexpr const char* kNoMemory = "there is not enough memory for the sample";

bool Refuse(std::string* failure, const std::string& reason) {
  if (failure != nullptr) *failure = reason;
  return false;
}

// The whole file; the system's reason when it cannot be read.
bool ReadWholeFile(const std::string& path, std::vector<uint8_t>* bytes, std::string* failure) {
  errno = 0;
  std::FILE* f = std::fopen(path.c_str(), "rb");
  if (f == nullptr) return Refuse(failure, std::strerror(errno != 0 ? errno : EIO));
  uint8_t chunk[65536];
  size_t n;
  while ((n = std::fread(chunk, 1, sizeof chunk, f)) > 0)
    bytes->insert(bytes->end(), chunk, chunk + n);
  const int error = std::ferror(f) != 0 ? (errno != 0 ? errno : EIO) : 0;
  std::fclose(f);
  return error == 0 || Refuse(failure, std::strerror(error));
}

}  // namespace

bool ReadSampleFile(const std::string& path, cWavSound* sound, std::string* failure) {
  std::vector<uint8_t> bytes;
  if (!ReadWholeFile(path, &bytes, failure)) return false;

  cFileReader in(bytes.data(), bytes.size());
  cWavReader wav;
  const eWavVerdict verdict = wav.Read(in, sound);
  if (verdict == eWavVerdict::kRead) return true;
  if (verdict == eWavVerdict::kRefused) return Refuse(failure, wav.failure);

  cSoundFileReader other(bytes.data(), bytes.size());
  if (!other.Open()) return Refuse(failure, other.Failure());
  if (other.Frames() > kMaxWaveFrames) return Refuse(failure, "the sound is too long for a sample");
  // Decoded first: the frame count a file states sizes nothing before the
  // sound is there.
  std::vector<int16_t> decoded;
  try {
    if (!other.Decode(&decoded)) return Refuse(failure, other.Failure());
  } catch (const std::bad_alloc&) {
    return Refuse(failure, kNoMemory);
  }
  const size_t samples = decoded.size();
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
  if (!buffer) return Refuse(failure, kNoMemory);
  std::copy(decoded.begin(), decoded.end(), buffer.get() + kWaveMargin);

  sound->buffer = std::move(buffer);
  sound->frames = int32_t(samples / size_t(other.Channels()));
  sound->channels = other.Channels();
  sound->sampleRate = other.SampleRate();
  return true;
}
