#include "audio/soundfilewriter.h"

#include <fcntl.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <fstream>

#include "audio/wavfile.h"

namespace {

struct cFormatName {
  eSoundFormat format;
  const char* name;
};
constexpr cFormatName kFormatNames[] = {{eSoundFormat::kWav16, "wav16"},
                                        {eSoundFormat::kWav24, "wav24"},
                                        {eSoundFormat::kWavFloat, "float"},
                                        {eSoundFormat::kFlac16, "flac16"},
                                        {eSoundFormat::kFlac24, "flac24"}};

// RIFF sizes are 32-bit: a WAV file's sound data stops short of 4 GiB.
constexpr uint64_t kMaxWavDataBytes = 0xFFFFFFFFull - 1024;

int BytesPerFrame(eSoundFormat format) {
  switch (format) {
    case eSoundFormat::kWav16:
    case eSoundFormat::kFlac16:
      return 4;
    case eSoundFormat::kWav24:
    case eSoundFormat::kFlac24:
      return 6;
    case eSoundFormat::kWavFloat:
      return 8;
  }
  return 8;
}

int SndFileFormat(eSoundFormat format) {
  switch (format) {
    case eSoundFormat::kWav24:
      return SF_FORMAT_WAV | SF_FORMAT_PCM_24;
    case eSoundFormat::kWavFloat:
      return SF_FORMAT_WAV | SF_FORMAT_FLOAT;
    case eSoundFormat::kFlac16:
      return SF_FORMAT_FLAC | SF_FORMAT_PCM_16;
    case eSoundFormat::kFlac24:
      return SF_FORMAT_FLAC | SF_FORMAT_PCM_24;
    case eSoundFormat::kWav16:
      break;
  }
  return SF_FORMAT_WAV | SF_FORMAT_PCM_16;
}

// The process's file-creation mask, read without changing it: umask() would
// change it for every thread for a moment.
mode_t CurrentUmask() {
  std::ifstream status("/proc/self/status");
  std::string line;
  while (std::getline(status, line)) {
    if (line.rfind("Umask:", 0) == 0) return mode_t(std::strtoul(line.c_str() + 6, nullptr, 8));
  }
  return 022;
}

std::string SystemReason(int error) { return std::strerror(error != 0 ? error : EIO); }

}  // namespace

bool ParseSoundFormat(const std::string& name, eSoundFormat* format) {
  for (const cFormatName& f : kFormatNames) {
    if (name == f.name) {
      *format = f.format;
      return true;
    }
  }
  return false;
}

const char* SoundFormatName(eSoundFormat format) {
  for (const cFormatName& f : kFormatNames) {
    if (f.format == format) return f.name;
  }
  return "wav16";
}

eSoundFormat SoundFormatForPath(const std::string& path) {
  std::string suffix = path.size() >= 5 ? path.substr(path.size() - 5) : std::string();
  std::transform(suffix.begin(), suffix.end(), suffix.begin(),
                 [](unsigned char c) { return char(std::tolower(c)); });
  return suffix == ".flac" ? eSoundFormat::kFlac16 : eSoundFormat::kWav16;
}

bool IsFlac(eSoundFormat format) {
  return format == eSoundFormat::kFlac16 || format == eSoundFormat::kFlac24;
}

const char* SoundFormatSuffix(eSoundFormat format) { return IsFlac(format) ? ".flac" : ".wav"; }

// libsndfile writes through these calls onto the temporary file, so that a
// failed write keeps the system's reason.
struct cSoundFileWriter::cSndFile {
  int fd = -1;
  SNDFILE* file = nullptr;
  int error = 0;  // errno of the first failed write

  static cSndFile& Of(void* user) { return *static_cast<cSndFile*>(user); }
  static sf_count_t Length(void* user) {
    struct stat info;
    return ::fstat(Of(user).fd, &info) == 0 ? sf_count_t(info.st_size) : -1;
  }
  static sf_count_t Seek(sf_count_t offset, int whence, void* user) {
    return sf_count_t(::lseek(Of(user).fd, off_t(offset), whence));
  }
  static sf_count_t Tell(void* user) { return sf_count_t(::lseek(Of(user).fd, 0, SEEK_CUR)); }
  static sf_count_t Read(void* data, sf_count_t count, void* user) {
    sf_count_t done = 0;
    while (done < count) {
      const ssize_t n = ::read(Of(user).fd, static_cast<char*>(data) + done, size_t(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;
      done += n;
    }
    return done;
  }
  static sf_count_t Write(const void* data, sf_count_t count, void* user) {
    cSndFile& f = Of(user);
    sf_count_t done = 0;
    while (done < count && f.error == 0) {
      const ssize_t n = ::write(f.fd, static_cast<const char*>(data) + done, size_t(count - done));
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) {
        f.error = n < 0 ? errno : ENOSPC;
        break;
      }
      done += n;
    }
    return done;
  }
};

cSoundFileWriter::cSoundFileWriter() = default;

cSoundFileWriter::~cSoundFileWriter() { Abort(); }

bool cSoundFileWriter::Fail(const std::string& reason) {
  if (failure.empty()) failure = reason;
  return false;
}

bool cSoundFileWriter::Open(const std::string& path, eSoundFormat wanted, int32_t sampleRate) {
  Abort();
  failure.clear();
  clipped = 0;
  dataBytes = 0;
  format = wanted;
  target = path;
  temporary = path + ".XXXXXX";
  const int fd = ::mkstemp(temporary.data());
  if (fd < 0) {
    const int reason = errno;
    temporary.clear();
    return Fail(SystemReason(reason));
  }
  open = true;
  if (format == eSoundFormat::kWav16) {
    ::close(fd);
    wav = std::make_unique<cWavFile>();
    errno = 0;
    if (!wav->Create(temporary, uint32_t(sampleRate))) {
      const int reason = errno;
      Abort();
      return Fail(SystemReason(reason));
    }
    return true;
  }

  sound = std::make_unique<cSndFile>();
  sound->fd = fd;
  SF_VIRTUAL_IO io{&cSndFile::Length, &cSndFile::Seek, &cSndFile::Read, &cSndFile::Write,
                   &cSndFile::Tell};
  SF_INFO info{};
  info.samplerate = sampleRate;
  info.channels = 2;
  info.format = SndFileFormat(format);
  sound->file = sf_open_virtual(&io, SFM_WRITE, &info, sound.get());
  if (sound->file == nullptr) {
    const std::string reason =
        sound->error != 0 ? SystemReason(sound->error) : std::string(sf_strerror(nullptr));
    Abort();
    return Fail(reason);
  }
  // A PEAK chunk carries the time of writing: without it the same song
  // always gives the same bytes.
  sf_command(sound->file, SFC_SET_ADD_PEAK_CHUNK, nullptr, SF_FALSE);
  return true;
}

bool cSoundFileWriter::Write(const double* mix, const int16_t* finished, int32_t frames) {
  if (!open || !failure.empty()) return false;
  if (frames <= 0) return true;
  const size_t samples = size_t(frames) * 2;
  dataBytes += uint64_t(frames) * uint64_t(BytesPerFrame(format));
  if (!IsFlac(format) && dataBytes > kMaxWavDataBytes)
    return Fail("the sound is longer than the 4 GiB a WAV file can hold");

  // What a value is stored as: 16-bit scale, or 24-bit (x 256); a value
  // that is not a number is silence, as in the mix.
  auto scaled = [&](size_t i, double scale, double low, double high) {
    const double x = std::isfinite(mix[i]) ? std::nearbyint(mix[i] * scale) : 0.0;
    if (x < low || x > high) ++clipped;
    return std::clamp(x, low, high);
  };
  switch (format) {
    case eSoundFormat::kWav16:
    case eSoundFormat::kFlac16:
      pcm16.resize(samples);
      for (size_t i = 0; i < samples; ++i) {
        const int16_t rounded = int16_t(scaled(i, 1.0, -32768.0, 32767.0));
        pcm16[i] = finished != nullptr ? finished[i] : rounded;
      }
      break;
    case eSoundFormat::kWav24:
    case eSoundFormat::kFlac24:
      // libsndfile takes 24-bit samples in the top bits of an int.
      pcm24.resize(samples);
      for (size_t i = 0; i < samples; ++i)
        pcm24[i] = int32_t(scaled(i, 256.0, -8388608.0, 8388607.0)) * 256;
      break;
    case eSoundFormat::kWavFloat:
      floats.resize(samples);
      for (size_t i = 0; i < samples; ++i)
        floats[i] = std::isfinite(mix[i]) ? float(mix[i] / 32768.0) : 0.0f;
      break;
  }

  if (wav) {
    errno = 0;
    if (!wav->Append(pcm16.data(), uint32_t(frames))) return Fail(SystemReason(errno));
    return true;
  }
  sf_count_t written = 0;
  if (format == eSoundFormat::kFlac16) {
    written = sf_writef_short(sound->file, pcm16.data(), frames);
  } else if (format == eSoundFormat::kWavFloat) {
    written = sf_writef_float(sound->file, floats.data(), frames);
  } else {
    written = sf_writef_int(sound->file, pcm24.data(), frames);
  }
  if (sound->error != 0) return Fail(SystemReason(sound->error));
  if (written != frames) return Fail(sf_strerror(sound->file));
  return true;
}

bool cSoundFileWriter::Commit() {
  if (!open) return Fail("no file was started");
  if (failure.empty()) {
    if (wav) {
      errno = 0;
      if (!wav->Finish()) Fail(SystemReason(errno));
    } else {
      const int closed = sf_close(sound->file);
      sound->file = nullptr;
      if (sound->error != 0) {
        Fail(SystemReason(sound->error));
      } else if (closed != 0) {
        Fail(sf_error_number(closed));
      }
    }
  }
  if (failure.empty()) {
    // On disk before it replaces anything, with the permissions a plain
    // file of the user's would have.
    const int fd = sound ? sound->fd : ::open(temporary.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0 || ::fchmod(fd, 0666 & ~CurrentUmask()) != 0)
      Fail(SystemReason(errno));
    if (!sound && fd >= 0) ::close(fd);
  }
  if (failure.empty() && std::rename(temporary.c_str(), target.c_str()) != 0)
    Fail(SystemReason(errno));
  if (!failure.empty()) {
    Abort();
    return false;
  }
  temporary.clear();
  Close();
  return true;
}

void cSoundFileWriter::Close() {
  if (sound) {
    if (sound->file != nullptr) sf_close(sound->file);
    if (sound->fd >= 0) ::close(sound->fd);
    sound.reset();
  }
  wav.reset();
  open = false;
}

void cSoundFileWriter::Abort() {
  Close();
  if (!temporary.empty()) std::remove(temporary.c_str());
  temporary.clear();
}
