#include "audio/soundfilereader.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <vector>

namespace {

using cMemory = cSoundFileReader::cMemory;

cMemory& Of(void* user) { return *static_cast<cMemory*>(user); }

sf_count_t Length(void* user) { return Of(user).size; }

sf_count_t Seek(sf_count_t offset, int whence, void* user) {
  cMemory& m = Of(user);
  sf_count_t base = 0;
  if (whence == SEEK_CUR) base = m.position;
  if (whence == SEEK_END) base = m.size;
  const sf_count_t to = base + offset;
  if (to < 0 || to > m.size) return -1;
  m.position = to;
  return to;
}

sf_count_t Read(void* out, sf_count_t count, void* user) {
  cMemory& m = Of(user);
  const sf_count_t n =
      std::clamp<sf_count_t>(m.size - m.position, 0, std::max<sf_count_t>(count, 0));
  if (n > 0) std::memcpy(out, m.data + m.position, size_t(n));
  m.position += n;
  return n;
}

sf_count_t Write(const void*, sf_count_t, void*) { return 0; }

sf_count_t Tell(void* user) { return Of(user).position; }

SNDFILE* Sound(void* file) { return static_cast<SNDFILE*>(file); }

// Full scale 1.0 becomes 32768; integer files arrive scaled by a power of
// two, so their values convert exactly before the rounding.
int16_t ToSample(double x) {
  if (!std::isfinite(x)) return 0;
  return int16_t(std::clamp(std::nearbyint(x * 32768.0), -32768.0, 32767.0));
}

}  // namespace

cSoundFileReader::cSoundFileReader(const uint8_t* data, size_t size)
    : memory{data, data != nullptr ? int64_t(size) : 0} {}

cSoundFileReader::~cSoundFileReader() {
  if (file != nullptr) sf_close(Sound(file));
}

bool cSoundFileReader::Open() {
  SF_VIRTUAL_IO io{&Length, &Seek, &Read, &Write, &Tell};
  SF_INFO info{};
  memory.position = 0;
  file = sf_open_virtual(&io, SFM_READ, &info, &memory);
  if (file == nullptr) {
    switch (sf_error(nullptr)) {
      case SF_ERR_UNRECOGNISED_FORMAT:
        failure = "not a sound file that can be read (WAV, FLAC, AIFF or Ogg Vorbis)";
        break;
      case SF_ERR_MALFORMED_FILE:
        failure = "the file is damaged or cut short";
        break;
      case SF_ERR_UNSUPPORTED_ENCODING:
        failure = "its sound is encoded in a way that cannot be read";
        break;
      default:
        failure = std::string("the file cannot be read: ") + sf_strerror(nullptr);
        break;
    }
    return false;
  }
  frames = info.frames;
  channels = info.channels;
  sampleRate = info.samplerate;
  if (channels < 1 || channels > 2) {
    failure = "the file has " + std::to_string(channels) +
              " channels; only mono and stereo samples can be loaded";
    return false;
  }
  if (frames < 1) {
    failure = "the file holds no sound";
    return false;
  }
  // Integer files scaled by their own full scale, a power of two.
  sf_command(Sound(file), SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
  return true;
}

bool cSoundFileReader::Decode(std::vector<int16_t>* out) {
  if (file == nullptr || !failure.empty()) return false;
  constexpr sf_count_t kChunkFrames = 4096;
  std::vector<double> chunk(size_t(kChunkFrames) * size_t(channels));
  // A first guess of the size, never beyond what a short file could be.
  out->reserve(out->size() + size_t(std::min<int64_t>(frames, 1 << 20)) * size_t(channels));
  int64_t done = 0;
  while (done < frames) {
    const sf_count_t want = std::min<sf_count_t>(kChunkFrames, frames - done);
    const sf_count_t got = sf_readf_double(Sound(file), chunk.data(), want);
    if (got <= 0) {
      failure = sf_error(Sound(file)) != SF_ERR_NO_ERROR
                    ? "the sound data is damaged or cut short"
                    : "the file ends before its sound data does";
      return false;
    }
    const size_t samples = size_t(got) * size_t(channels);
    for (size_t i = 0; i < samples; ++i) out->push_back(ToSample(chunk[i]));
    done += got;
  }
  return true;
}
