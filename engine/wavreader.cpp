#include "engine/wavreader.h"

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <new>

namespace {

// Bytes 2-15 of the KSDATAFORMAT_SUBTYPE_* GUIDs; bytes 0-1 hold the tag.
constexpr uint8_t kGuidTail[14] = {0x00, 0x00, 0x00, 0x00, 0x10, 0x00, 0x80,
                                   0x00, 0x00, 0xAA, 0x00, 0x38, 0x9B, 0x71};

bool ReadTag(cFileReader& in, const char* tag) {
  char text[4];
  return in.ReadBytes(text, 4) && std::memcmp(text, tag, 4) == 0;
}

}  // namespace

cFileResult TooManyChannels(int32_t channels) {
  return cFileResult::NotThisKind("the file has " + std::to_string(channels) +
                                  " channels; only mono and stereo samples can be loaded");
}

eWavVerdict cWavReader::Read(cFileReader& in, cWavSound* sound, cFileResult* why) {
  // A file that ends inside what it announced says so (every short read
  // leaves the reader at the end): the musician looks for the cut.
  auto refuse = [&in, why](const cFileResult& finding) {
    Tell(why, in.FaultOr(finding));
    return eWavVerdict::kRefused;
  };
  auto endsEarly = [&] { return refuse(cFileResult::EndsEarly()); };
  auto damaged = [&] { return refuse(cFileResult::Damaged(eSongPart::kWhole, 0, 0)); };
  uint32_t riffSize;
  if (!ReadTag(in, "RIFF") || !in.Read(&riffSize) || !ReadTag(in, "WAVE")) {
    if (in.ReadError() != 0) return refuse({});
    Tell(why, cFileResult::NotThisKind());
    return eWavVerdict::kNotMine;
  }

  // Walk the chunks: the format must come before the data.
  bool haveFormat = false;
  bool pcm = false;  // integer samples of 8 or 16 bits: this reader's own
  uint32_t dataSize = 0;
  for (;;) {
    char id[4];
    uint32_t chunkSize;
    if (!in.ReadBytes(id, 4) || !in.Read(&chunkSize)) return endsEarly();
    if (std::memcmp(id, "fmt ", 4) == 0) {
      if (chunkSize < 16) return damaged();
      uint16_t tag, chans, align, bits;
      uint32_t rate, byteRate;
      if (!in.Read(&tag) || !in.Read(&chans) || !in.Read(&rate) || !in.Read(&byteRate) ||
          !in.Read(&align) || !in.Read(&bits)) {
        return endsEarly();
      }
      uint32_t used = 16;
      if (tag == 0xFFFE) {
        // WAVE_FORMAT_EXTENSIBLE: the sub-format's tag stands in its GUID.
        uint16_t extra, validBits;
        uint32_t channelMask;
        uint8_t guid[16];
        if (chunkSize < 40 || !in.Read(&extra) || extra < 22 || !in.Read(&validBits) ||
            !in.Read(&channelMask) || !in.ReadBytes(guid, 16)) {
          return damaged();
        }
        if (std::memcmp(guid + 2, kGuidTail, 14) == 0) tag = uint16_t(guid[0] | guid[1] << 8);
        used = 40;
      }
      if (chans == 0) return damaged();
      if (chans > 2) return refuse(TooManyChannels(chans));
      pcm = tag == 1 && (bits == 8 || bits == 16);
      // A block align that disagrees with the sample layout would misread
      // every frame; 0 would divide by zero.
      if (pcm && (align == 0 || align != chans * (bits / 8))) return damaged();
      if (!in.Skip(uint64_t(chunkSize - used) + (chunkSize & 1))) return endsEarly();
      channels = chans;
      sampleRate = int32_t(rate);
      blockAlign = align;
      bitsPerSample = bits;
      haveFormat = true;
    } else if (std::memcmp(id, "data", 4) == 0) {
      if (!haveFormat) return damaged();
      dataSize = chunkSize;
      break;
    } else if (!in.Skip(uint64_t(chunkSize) + (chunkSize & 1))) {
      return endsEarly();
    }
  }

  // A data chunk shorter than it claims is refused, not padded, whatever
  // its samples are.
  if (dataSize > in.Remaining()) return endsEarly();
  if (!pcm) {
    Tell(why, cFileResult::NotThisKind());
    return eWavVerdict::kNotMine;
  }
  const uint64_t frames = dataSize / uint32_t(blockAlign);
  if (frames < 1) return refuse(cFileResult::NotThisKind("the file holds no sound"));
  if (frames > uint64_t(kMaxWaveFrames))
    return refuse(cFileResult::NotThisKind("the sound is too long for a sample"));

  const size_t samples = size_t(frames) * size_t(channels);
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
  if (!buffer) return refuse(cFileResult::System(ENOMEM));

  uint8_t chunk[4096];
  const size_t bytesPerSample = size_t(bitsPerSample / 8);
  size_t done = 0;  // samples converted
  while (done < samples) {
    const size_t n = std::min(samples - done, sizeof chunk / bytesPerSample);
    int16_t* out = buffer.get() + kWaveMargin + done;
    if (bytesPerSample == 1) {
      if (!in.ReadBytes(chunk, n)) return endsEarly();
      for (size_t i = 0; i < n; ++i) out[i] = int16_t((int(chunk[i]) - 128) * 256);
    } else if (!in.ReadSamples(out, n)) {
      return endsEarly();
    }
    done += n;
  }

  sound->buffer = std::move(buffer);
  sound->frames = int32_t(frames);
  sound->channels = channels;
  sound->sampleRate = sampleRate;
  Tell(why, {});
  return eWavVerdict::kRead;
}
