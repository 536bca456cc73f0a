#include "song/modimport.h"

#include <algorithm>
#include <cstdio>
#include <vector>

namespace {

constexpr size_t kSampleHeaders = 20;
constexpr size_t kSongLength = 950;
constexpr size_t kOrders = 952;
constexpr size_t kSignature = 1080;
constexpr size_t kPatternData = 1084;
constexpr int kModSamples = 31;

// Finetune 0, three octaves from C-1.
constexpr int kPeriods[36] = {856, 808, 762, 720, 678, 640, 604, 570, 538, 508, 480, 453,
                              428, 404, 381, 360, 339, 320, 302, 285, 269, 254, 240, 226,
                              214, 202, 190, 180, 170, 160, 151, 143, 135, 127, 120, 113};

struct SampleHeader {
  int32_t length = 0;                     // bytes
  int32_t volume = 0;                     // 0-64
  int32_t loopStart = 0, loopLength = 0;  // bytes
};

bool ReadBigEndian16(cFileReader& in, int32_t* value) {
  uint8_t b[2];
  if (!in.ReadBytes(b, 2)) return false;
  *value = (b[0] << 8) | b[1];
  return true;
}

}  // namespace

uint8_t ModPeriodToNote(int period) {
  for (int i = 0; i < 36; ++i) {
    if (kPeriods[i] == period) return uint8_t(i + 25);
  }
  return 0;
}

bool ReadModuleMOD(cFileReader& in, cSongTables& song, cModHost& host, cFileResult* why) {
  if (!in.Matches(kSignature, "M.K.", 4)) {
    Tell(why, in.FaultOr(cFileResult::NotThisKind()));
    return false;
  }
  cFileResult result;  // where a truncated module stopped

  host.NewModule();
  song.SetChannelCount(4);
  song.masterVolume = 100;
  song.masterPan = 0;
  for (int c = 0; c < 4; ++c) song.channelVolume[c] = 100;
  song.bpm = 125;
  song.speed = 6;
  host.SetCurrentTempo(125, 6);

  in.Seek(kSongLength);
  uint8_t length = 0;
  in.Read(&length);
  // A module holds 128 positions; a larger length comes from a damaged file.
  const int positions = std::min<int>(length, 128);
  in.Seek(kOrders);
  uint8_t orders[128] = {};
  in.ReadBytes(orders, sizeof orders);
  int patternCount = 0;
  for (int p = 0; p < 128; ++p) {
    song.SetPattern(p, orders[p]);
    patternCount = std::max(patternCount, orders[p] + 1);
  }
  for (int p = 0; p < positions; ++p) {
    for (int c = 0; c < 4; ++c) song.SetChannelMode(p, c, kModePlay);
  }
  song.start = 0;
  song.repeat = 0;
  song.end = std::max(positions - 1, 0);  // a length of 0 leaves the sequence on position 0

  SampleHeader samples[kModSamples];
  in.Seek(kSampleHeaders);
  for (SampleHeader& s : samples) {
    in.Skip(22);
    int32_t words = 0, loopStart = 0, loopLength = 0;
    uint8_t finetune = 0, volume = 0;
    ReadBigEndian16(in, &words);
    in.Read(&finetune);
    in.Read(&volume);
    ReadBigEndian16(in, &loopStart);
    ReadBigEndian16(in, &loopLength);
    s.length = words * 2;
    s.volume = std::min<int32_t>(volume, 64);
    s.loopStart = loopStart * 2;
    s.loopLength = loopLength * 2;
  }

  in.Seek(kPatternData);
  for (int p = 0; p < patternCount; ++p) {
    if (in.Remaining() < kRows * 4 * 4 && result.Ok())
      result = cFileResult::EndsEarly(eSongPart::kPatterns, uint64_t(p), uint64_t(patternCount));
    for (int r = 0; r < kRows; ++r) {
      for (int c = 0; c < 4; ++c) {
        uint8_t b[4];
        if (!in.ReadBytes(b, 4)) break;
        uint8_t* cell = song.Cell(p, c, r);
        cell[0] = ModPeriodToNote((b[0] & 0x0F) * 256 + b[1]);
        cell[1] = uint8_t((b[0] & 0x10) | (b[2] >> 4));
        const int effect = b[2] & 0x0F;
        const uint8_t parameter = b[3];
        if (effect == 0x3 || effect == 0xC || effect == 0xF) {
          cell[4] = uint8_t(effect);
          cell[5] = parameter;
        } else if (effect == 0xD) {
          // The module names the break's row in decimal digits (D10 is row
          // 10); a row past the pattern's end starts the next one at its top.
          const int row = (parameter >> 4) * 10 + (parameter & 0x0F);
          cell[4] = uint8_t(effect);
          cell[5] = uint8_t(row < kRows ? row : 0);
        } else if (effect == 0x0 && parameter != 0) {
          cell[4] = 0x08;  // arpeggio
          cell[5] = parameter;
        }
      }
    }
  }

  int wave = 0;
  const int waves = int(std::count_if(samples, samples + kModSamples,
                                      [](const SampleHeader& s) { return s.length != 0; }));
  std::vector<int8_t> data;
  for (int k = 0; k < kModSamples; ++k) {
    const SampleHeader& s = samples[k];
    if (s.length == 0) continue;
    // A sample cut short by the end of the file keeps what was read.
    const int32_t frames = int32_t(std::min<size_t>(size_t(s.length), in.Remaining()));
    if (frames < s.length && result.Ok())
      result = cFileResult::EndsEarly(eSongPart::kSamples, uint64_t(wave), uint64_t(waves));
    data.assign(size_t(frames), 0);
    in.ReadBytes(data.data(), size_t(frames));
    bool looped = s.loopLength > 2;
    int32_t loopStart = 0, loopEnd = frames - 1;
    if (looped) {
      // Loop points never reach beyond the sample's last frame.
      loopStart = std::min(s.loopStart, frames - 1);
      loopEnd = std::min(s.loopStart + s.loopLength - 1, frames - 1);
      looped = frames > 0 && loopEnd > loopStart;
      if (!looped) loopStart = 0, loopEnd = frames - 1;
    }
    char name[32];
    std::snprintf(name, sizeof name, "Sample %02d", wave);
    if (frames > 0) {
      host.StoreWave(wave, name, data.data(), frames, looped ? 1u : 0u, loopStart, loopEnd);
    }

    int16_t* block = song.Instrument(k);
    host.SamplerDefaults(block);
    block[0] = int16_t(s.volume / 2);
    block[2] = int16_t(wave);
    block[4] = 1;
    block[31] = 1;
    ++wave;
  }

  for (int c = 0; c < 4; ++c) host.SetGeneratorType(c, 1);
  song.SetChannelCount(4);
  result = in.FaultOr(result);
  Tell(why, result);
  return result.problem != eFileProblem::kSystem;
}

int LoadModuleMOD(const std::string& path, cSongTables& song, cModHost& host, cFileResult* why) {
  cFileReader in;
  if (!in.Open(path, why)) return 0;
  return ReadModuleMOD(in, song, host, why) ? 1 : 0;
}
