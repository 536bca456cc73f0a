#include "engine/wavreader.h"

#include <algorithm>
#include <cstring>
#include <new>

cByteReader::cByteReader(std::FILE* f) : file(f) {
  if (!file) return;
  const long start = std::ftell(file);
  if (start < 0 || std::fseek(file, 0, SEEK_END) != 0) return;
  const long end = std::ftell(file);
  if (std::fseek(file, start, SEEK_SET) != 0 || end < start) return;
  size = uint64_t(end - start);
}

cByteReader::cByteReader(const uint8_t* data, size_t count) : bytes(data), size(data ? count : 0) {}

bool cByteReader::ReadBytes(void* dest, size_t count) {
  if (count > Remaining()) return false;
  if (count == 0) return true;
  if (file) {
    if (std::fread(dest, 1, count, file) != count) {
      position = size;  // the file ended early: nothing more can be trusted
      return false;
    }
  } else {
    std::memcpy(dest, bytes + position, count);
  }
  position += count;
  return true;
}

bool cByteReader::Read(uint32_t* value) {
  uint8_t b[4];
  if (!ReadBytes(b, 4)) return false;
  *value = uint32_t(b[0]) | uint32_t(b[1]) << 8 | uint32_t(b[2]) << 16 | uint32_t(b[3]) << 24;
  return true;
}

bool cByteReader::Read(int32_t* value) {
  uint32_t v;
  if (!Read(&v)) return false;
  *value = int32_t(v);
  return true;
}

bool cByteReader::Read(uint16_t* value) {
  uint8_t b[2];
  if (!ReadBytes(b, 2)) return false;
  *value = uint16_t(b[0] | b[1] << 8);
  return true;
}

bool cByteReader::ReadSamples(int16_t* dest, size_t count) {
  if (count > Remaining() / 2) return false;
  uint8_t chunk[4096];
  while (count > 0) {
    const size_t n = std::min(count, sizeof chunk / 2);
    if (!ReadBytes(chunk, 2 * n)) return false;
    for (size_t i = 0; i < n; ++i)
      dest[i] = int16_t(uint16_t(chunk[2 * i] | chunk[2 * i + 1] << 8));
    dest += n;
    count -= n;
  }
  return true;
}

bool cByteReader::Skip(uint64_t count) {
  if (count > Remaining()) return false;
  if (file && std::fseek(file, long(count), SEEK_CUR) != 0) {
    position = size;
    return false;
  }
  position += count;
  return true;
}

void cByteWriter::WriteBytes(const void* source, size_t count) {
  if (!ok || count == 0) return;
  if (file) {
    ok = std::fwrite(source, 1, count, file) == count;
  } else if (bytes) {
    const auto* p = static_cast<const uint8_t*>(source);
    bytes->insert(bytes->end(), p, p + count);
  } else {
    ok = false;
  }
}

void cByteWriter::Write(uint32_t value) {
  const uint8_t b[4] = {uint8_t(value), uint8_t(value >> 8), uint8_t(value >> 16),
                        uint8_t(value >> 24)};
  WriteBytes(b, 4);
}

void cByteWriter::WriteSamples(const int16_t* source, size_t count) {
  uint8_t chunk[4096];
  while (count > 0 && ok) {
    const size_t n = std::min(count, sizeof chunk / 2);
    for (size_t i = 0; i < n; ++i) {
      const uint16_t v = uint16_t(source[i]);
      chunk[2 * i] = uint8_t(v);
      chunk[2 * i + 1] = uint8_t(v >> 8);
    }
    WriteBytes(chunk, 2 * n);
    source += n;
    count -= n;
  }
}

namespace {

// Bytes 2-15 of the KSDATAFORMAT_SUBTYPE_PCM GUID; bytes 0-1 hold the tag 1.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

// The most frames a slot may hold: positions are signed 32-bit frames.
constexpr uint64_t kMaxFrames = 0x3FFFFF00;

bool ReadTag(cByteReader& in, const char* tag) {
  char text[4];
  return in.ReadBytes(text, 4) && std::memcmp(text, tag, 4) == 0;
}

}  // namespace

bool cWavReader::Read(const std::string& path, cWavSound* sound) {
  std::FILE* file = std::fopen(path.c_str(), "rb");
  if (!file) return false;
  cByteReader in(file);
  const bool ok = Read(in, sound);
  std::fclose(file);
  return ok;
}

bool cWavReader::Read(cByteReader& in, cWavSound* sound) {
  uint32_t riffSize;
  if (!ReadTag(in, "RIFF") || !in.Read(&riffSize) || !ReadTag(in, "WAVE")) return false;

  // Walk the chunks: the format must come before the data.
  bool haveFormat = false;
  uint32_t dataSize = 0;
  for (;;) {
    char id[4];
    uint32_t chunkSize;
    if (!in.ReadBytes(id, 4) || !in.Read(&chunkSize)) return false;
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (chunkSize < 16) return false;
      uint16_t tag, chans, align, bits;
      uint32_t rate, byteRate;
      if (!in.Read(&tag) || !in.Read(&chans) || !in.Read(&rate) || !in.Read(&byteRate) ||
          !in.Read(&align) || !in.Read(&bits)) {
        return false;
      }
      uint32_t used = 16;
      if (tag == 0xFFFE) {
        // WAVE_FORMAT_EXTENSIBLE: only a PCM sub-format is taken.
        uint16_t extra, validBits;
        uint32_t channelMask;
        uint8_t guid[16];
        if (chunkSize < 40 || !in.Read(&extra) || extra < 22 || !in.Read(&validBits) ||
            !in.Read(&channelMask) || !in.ReadBytes(guid, 16)) {
          return false;
        }
        if (guid[0] != 1 || guid[1] != 0 || std::memcmp(guid + 2, kPcmGuidTail, 14) != 0) {
          return false;
        }
        used = 40;
      } else if (tag != 1) {
        return false;
      }
      if (chans != 1 && chans != 2) return false;
      if (bits != 8 && bits != 16) return false;
      // A block align that disagrees with the sample layout would misread
      // every frame; 0 would divide by zero.
      if (align == 0 || align != chans * (bits / 8)) return false;
      if (!in.Skip(uint64_t(chunkSize - used) + (chunkSize & 1))) return false;
      channels = chans;
      sampleRate = int32_t(rate);
      blockAlign = align;
      bitsPerSample = bits;
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (!haveFormat) return false;
      dataSize = chunkSize;
      break;
    } else if (!in.Skip(uint64_t(chunkSize) + (chunkSize & 1))) {
      return false;
    }
  }

  // A data chunk shorter than it claims is refused, not padded.
  if (dataSize > in.Remaining()) return false;
  const uint64_t frames = dataSize / uint32_t(blockAlign);
  if (frames < 1 || frames > kMaxFrames) return false;

  const size_t samples = size_t(frames) * size_t(channels);
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
  if (!buffer) return false;

  uint8_t chunk[4096];
  const size_t bytesPerSample = size_t(bitsPerSample / 8);
  size_t done = 0;  // samples converted
  while (done < samples) {
    const size_t n = std::min(samples - done, sizeof chunk / bytesPerSample);
    int16_t* out = buffer.get() + kWaveMargin + done;
    if (bytesPerSample == 1) {
      if (!in.ReadBytes(chunk, n)) return false;
      for (size_t i = 0; i < n; ++i) out[i] = int16_t((int(chunk[i]) - 128) * 256);
    } else if (!in.ReadSamples(out, n)) {
      return false;
    }
    done += n;
  }

  sound->buffer = std::move(buffer);
  sound->frames = int32_t(frames);
  sound->channels = channels;
  sound->sampleRate = sampleRate;
  return true;
}
