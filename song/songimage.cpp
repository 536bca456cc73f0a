#include "song/songimage.h"

#include <algorithm>
#include <cstring>

uint32_t PatternsInUse(const cSongTables& song) {
  uint32_t highest = 0;
  for (int p = 0; p < kPositions; ++p) highest = std::max(highest, song.GetPattern(p));
  return std::min<uint32_t>(highest + 1, kPatterns);
}

uint32_t PatternsToKeep(const cSongTables& song) {
  const uint32_t named = PatternsInUse(song);
  const int channels = kChannelCountRange.Clamp(song.channelCount);
  for (uint32_t p = kPatterns; p > named; --p) {
    for (int c = 0; c < channels; ++c) {
      const cCell* cells = &song.Cell(int(p - 1), c, 0);
      if (!std::all_of(cells, cells + kRows, [](const cCell& cell) { return cell == kEmptyCell; }))
        return p;
    }
  }
  return named;
}

void cSongImage::Reserve(const cSongTables& song) {
  const size_t channelCount = size_t(kChannelCountRange.Clamp(song.channelCount));
  reservedPatterns = PatternsToKeep(song);
  const size_t needed = reservedPatterns * kChannelBytes * channelCount;
  // Filled, not only reserved: the pages are touched here, and the copy
  // under the lock does not wait for the system to hand them over.
  if (cells.size() < needed) cells.resize(needed);
}

void cSongImage::Take(const cSongTables& song, const cFxChains& fx) {
  channels = kChannelCountRange.Clamp(song.channelCount);
  masterVolume = song.masterVolume;
  masterPan = song.masterPan;
  bpm = song.bpm;
  speed = song.speed;
  start = song.start;
  repeat = song.repeat;
  end = song.end;
  std::copy(song.channelVolume, song.channelVolume + kChannels, channelVolume);

  positions = uint32_t(std::max(song.end, song.repeat) & 0xFFF) + 1;
  for (uint32_t p = 0; p < positions; ++p) {
    sequence[p][0] = song.GetPattern(int(p));
    sequence[p][1] = song.GetModeWord(int(p));
  }

  // Within the capacity Reserve made, unless the song changed since.
  patterns = std::max(PatternsInUse(song), reservedPatterns);
  cells.resize(patterns * PatternBytes());
  // A song of no channels has no pattern bytes, and no buffer to copy into.
  for (uint32_t p = 0; p < patterns && PatternBytes() > 0; ++p)
    std::memcpy(cells.data() + p * PatternBytes(), &song.Cell(int(p), 0, 0), PatternBytes());

  std::memcpy(instruments, song.InstrumentTable(), sizeof instruments);

  for (int slot = 0; slot < kFxSlots; ++slot) {
    for (int chain = 0; chain < kFxChains; ++chain) {
      cFxSlotImage& image = effects[slot][chain];
      image.type = fx.type[slot][chain];
      image.count = -1;
      // The effect interface has no const reads.
      auto* effect = const_cast<cEffect*>(fx.Object(slot, chain));
      if (effect == nullptr) continue;
      image.count = std::clamp(effect->GetNumParams(), 0, kFxMostParams);
      for (int32_t i = 0; i < image.count; ++i) image.values[i] = effect->GetParam(i);
    }
  }
  std::memcpy(send, fx.send, sizeof send);
}
