#include "engine/wavreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Bytes 2-15 of the KSDATAFORMAT_SUBTYPE_PCM GUID; bytes 0-1 hold the tag 1.
constexpr uint8_t kPcmGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                      0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool ReadTag(cFileReader& in, const char* tag) {
  char text[4];
  return in.ReadBytes(text, 4) && std::memcmp(text, tag, 4) == 0;
}

}  // namespace

bool cWavReader::Read(const std::string& path, cWavSound* sound, cFileResult* why) {
  cFileReader in;
  return in.Open(path, why) && Read(in, sound, why);
}

bool cWavReader::Read(cFileReader& in, cWavSound* sound, cFileResult* why) {
  // A WAV file that ends inside what it announced says so (every short read
  // leaves the reader at the end): the musician looks for the cut, not at
  // the format. Anything else is not a WAV file this program reads.
  auto refuse = [&in, why](bool endsEarly = false) {
    Tell(why, in.FaultOr(endsEarly || in.Remaining() == 0 ? cFileResult::EndsEarly()
                                                          : cFileResult::NotThisKind()));
    return false;
  };
  uint32_t riffSize;
  if (!ReadTag(in, "RIFF") || !in.Read(&riffSize) || !ReadTag(in, "WAVE")) {
    Tell(why, in.FaultOr(cFileResult::NotThisKind()));
    return false;
  }

  // Walk the chunks: the format must come before the data.
  bool haveFormat = false;
  uint32_t dataSize = 0;
  for (;;) {
    char id[4];
    uint32_t chunkSize;
    if (!in.ReadBytes(id, 4) || !in.Read(&chunkSize)) return refuse();
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (chunkSize < 16) return refuse();
      uint16_t tag, chans, align, bits;
      uint32_t rate, byteRate;
      if (!in.Read(&tag) || !in.Read(&chans) || !in.Read(&rate) || !in.Read(&byteRate) ||
          !in.Read(&align) || !in.Read(&bits)) {
        return refuse();
      }
      uint32_t used = 16;
      if (tag == 0xFFFE) {
        // WAVE_FORMAT_EXTENSIBLE: only a PCM sub-format is taken.
        uint16_t extra, validBits;
        uint32_t channelMask;
        uint8_t guid[16];
        if (chunkSize < 40 || !in.Read(&extra) || extra < 22 || !in.Read(&validBits) ||
            !in.Read(&channelMask) || !in.ReadBytes(guid, 16)) {
          return refuse();
        }
        if (guid[0] != 1 || guid[1] != 0 || std::memcmp(guid + 2, kPcmGuidTail, 14) != 0) {
          return refuse();
        }
        used = 40;
      } else if (tag != 1) {
        return refuse();
      }
      if (chans != 1 && chans != 2) return refuse();
      if (bits != 8 && bits != 16) return refuse();
      // A block align that disagrees with the sample layout would misread
      // every frame; 0 would divide by zero.
      if (align == 0 || align != chans * (bits / 8)) return refuse();
      if (!in.Skip(uint64_t(chunkSize - used) + (chunkSize & 1))) return refuse();
      channels = chans;
      sampleRate = int32_t(rate);
      blockAlign = align;
      bitsPerSample = bits;
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (!haveFormat) return refuse();
      dataSize = chunkSize;
      break;
    } else if (!in.Skip(uint64_t(chunkSize) + (chunkSize & 1))) {
      return refuse();
    }
  }

  // A data chunk shorter than it claims is refused, not padded.
  if (dataSize > in.Remaining()) return refuse(true);
  const uint64_t frames = dataSize / uint32_t(blockAlign);
  if (frames < 1 || frames > uint64_t(kMaxWaveFrames)) return refuse();

  const size_t samples = size_t(frames) * size_t(channels);
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
  if (!buffer) {
    Tell(why, cFileResult::System(ENOMEM));
    return false;
  }

  uint8_t chunk[4096];
  const size_t bytesPerSample = size_t(bitsPerSample / 8);
  size_t done = 0;  // samples converted
  while (done < samples) {
    const size_t n = std::min(samples - done, sizeof chunk / bytesPerSample);
    int16_t* out = buffer.get() + kWaveMargin + done;
    if (bytesPerSample == 1) {
      if (!in.ReadBytes(chunk, n)) return refuse();
      for (size_t i = 0; i < n; ++i) out[i] = int16_t((int(chunk[i]) - 128) * 256);
    } else if (!in.ReadSamples(out, n)) {
      return refuse();
    }
    done += n;
  }

  sound->buffer = std::move(buffer);
  sound->frames = int32_t(frames);
  sound->channels = channels;
  sound->sampleRate = sampleRate;
  Tell(why, {});
  return true;
}
