#include "audio/soundfilereader.h"

#include <sndfile.h>

#include <algorithm>
#include <cmath>
#include <cstring>

// libsndfile reads through these calls, at the reader's own position.
struct cSoundFileIo {
  static cSoundFileReader& Of(void* user) { return *static_cast<cSoundFileReader*>(user); }
  static sf_count_t Length(void* user) { return Of(user).bytes.Size(); }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    cSoundFileReader& r = Of(user);
    sf_count_t base = 0;
    if (whence == SEEK_CUR) base = r.position;
    if (whence == SEEK_END) base = r.bytes.Size();
    const sf_count_t to = base + offset;
    if (to < 0) return -1;
    r.position = to;
    return to;
  }
  static sf_count_t Read(void* out, sf_count_t count, void* user) {
    cSoundFileReader& r = Of(user);
    if (count <= 0) return 0;
    const sf_count_t n = r.bytes.ReadAt(r.position, out, count);
    r.position += n;
    return n;
  }
  static sf_count_t Write(const void*, sf_count_t, void*) { return 0; }
  static sf_count_t Tell(void* user) { return Of(user).position; }
};

namespace {

SNDFILE* Sound(void* file) { return static_cast<SNDFILE*>(file); }

// Full scale 1.0 becomes 32768; integer files arrive scaled by a power of
// two, so their values convert exactly before the rounding.
int16_t ToSample(double x) {
  if (!std::isfinite(x)) return 0;
  return int16_t(std::clamp(std::nearbyint(x * 32768.0), -32768.0, 32767.0));
}

}  // namespace

int64_t cSoundMemory::ReadAt(int64_t offset, void* out, int64_t count) {
  if (offset < 0 || offset >= size || count <= 0) return 0;
  const int64_t n = std::min(count, size - offset);
  std::memcpy(out, data + offset, size_t(n));
  return n;
}

cSoundFileReader::~cSoundFileReader() {
  if (file != nullptr) sf_close(Sound(file));
}

bool cSoundFileReader::Open() {
  SF_VIRTUAL_IO io{&cSoundFileIo::Length, &cSoundFileIo::Seek, &cSoundFileIo::Read,
                   &cSoundFileIo::Write, &cSoundFileIo::Tell};
  SF_INFO info{};
  position = 0;
  file = sf_open_virtual(&io, SFM_READ, &info, this);
  if (file == nullptr) {
    switch (sf_error(nullptr)) {
      case SF_ERR_MALFORMED_FILE:
        fault = eSoundFault::kMalformed;
        break;
      case SF_ERR_UNSUPPORTED_ENCODING:
        fault = eSoundFault::kUnsupported;
        break;
      default:
        fault = eSoundFault::kNotSound;
        break;
    }
    return false;
  }
  frames = info.frames;
  channels = info.channels;
  sampleRate = info.samplerate;
  if (channels < 1) {
    fault = eSoundFault::kMalformed;
  } else if (channels > 2) {
    fault = eSoundFault::kChannels;
  } else if (frames < 1) {
    fault = eSoundFault::kNoSound;
  }
  // Integer files scaled by their own full scale, a power of two.
  sf_command(Sound(file), SFC_SET_NORM_DOUBLE, nullptr, SF_TRUE);
  return fault == eSoundFault::kNone;
}

bool cSoundFileReader::Decode(std::vector<int16_t>* out) {
  if (file == nullptr || fault != eSoundFault::kNone) return false;
  constexpr sf_count_t kChunkFrames = 4096;
  std::vector<double> chunk(size_t(kChunkFrames) * size_t(channels));
  // A first guess of the size, never beyond what a short file could be.
  out->reserve(out->size() + size_t(std::min<int64_t>(frames, 1 << 20)) * size_t(channels));
  int64_t done = 0;
  while (done < frames) {
    const sf_count_t want = std::min<sf_count_t>(kChunkFrames, frames - done);
    const sf_count_t got = sf_readf_double(Sound(file), chunk.data(), want);
    if (got <= 0) {
      fault = sf_error(Sound(file)) != SF_ERR_NO_ERROR ? eSoundFault::kDamaged
                                                       : eSoundFault::kEndsEarly;
      return false;
    }
    const size_t samples = size_t(got) * size_t(channels);
    for (size_t i = 0; i < samples; ++i) out->push_back(ToSample(chunk[i]));
    done += got;
  }
  return true;
}
