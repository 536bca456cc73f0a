#include "engine/samplefile.h"

#include <algorithm>
#include <cerrno>
#include <new>
#include <vector>

#include "audio/soundfilereader.h"

namespace {

// libsndfile reads through the program's own reader, in pieces.
class cReaderBytes : public cSoundBytes {
 public:
  explicit cReaderBytes(cFileReader& in) : in(in) {}
  int64_t Size() const override { return int64_t(in.Size()); }
  int64_t ReadAt(int64_t offset, void* out, int64_t count) override {
    if (offset < 0 || uint64_t(offset) >= in.Size() || count <= 0) return 0;
    in.Seek(size_t(offset));
    in.ReadBytes(out, size_t(std::min<uint64_t>(uint64_t(count), in.Remaining())));
    return int64_t(in.Position()) - offset;
  }

 private:
  cFileReader& in;
};

cFileResult Finding(eSoundFault fault, int32_t channels) {
  switch (fault) {
    case eSoundFault::kChannels:
      return TooManyChannels(channels);
    case eSoundFault::kNoSound:
      return cFileResult::NotThisKind("the file holds no sound");
    case eSoundFault::kUnsupported:
      return cFileResult::NotThisKind("its sound is encoded in a way that cannot be read");
    case eSoundFault::kMalformed:
    case eSoundFault::kDamaged:
      return cFileResult::Damaged(eSongPart::kWhole, 0, 0);
    case eSoundFault::kEndsEarly:
      return cFileResult::EndsEarly();
    case eSoundFault::kNotSound:
    case eSoundFault::kNone:
      break;
  }
  return cFileResult::NotThisKind();
}

}  // namespace

bool ReadSampleFile(const std::string& path, cWavSound* sound, cFileResult* why) {
  cFileReader in;
  if (!in.Open(path, why)) return false;
  cWavReader wav;
  const eWavVerdict verdict = wav.Read(in, sound, why);
  if (verdict != eWavVerdict::kNotMine) return verdict == eWavVerdict::kRead;

  auto refuse = [&in, why](const cFileResult& finding) {
    Tell(why, in.FaultOr(finding));
    return false;
  };
  cReaderBytes bytes(in);
  cSoundFileReader other(bytes);
  if (!other.Open()) return refuse(Finding(other.Fault(), other.Channels()));
  if (other.Frames() > kMaxWaveFrames)
    return refuse(cFileResult::NotThisKind("the sound is too long for a sample"));
  // Decoded first: the frame count a file states sizes nothing before the
  // sound is there.
  std::vector<int16_t> decoded;
  try {
    if (!other.Decode(&decoded)) return refuse(Finding(other.Fault(), other.Channels()));
  } catch (const std::bad_alloc&) {
    return refuse(cFileResult::System(ENOMEM));
  }
  const size_t samples = decoded.size();
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
  if (!buffer) return refuse(cFileResult::System(ENOMEM));
  std::copy(decoded.begin(), decoded.end(), buffer.get() + kWaveMargin);

  sound->buffer = std::move(buffer);
  sound->frames = int32_t(samples / size_t(other.Channels()));
  sound->channels = other.Channels();
  sound->sampleRate = other.SampleRate();
  Tell(why, {});
  return true;
}
