#include "song/songfile.h"

#include <algorithm>
#include <cstdio>
#include <cstring>

namespace {

constexpr char kMagic[4] = {'Z', 'Q', '2', '3'};
constexpr size_t kHeaderBytes = 32;
constexpr size_t kMarkerBytes = 8;

void WriteNumberedMarker(cFileWriter& out, const char* format, int number) {
  char marker[16];
  std::snprintf(marker, sizeof marker, format, number & 0xFF);
  out.WriteMarker(marker);
}

// The counts that size the reads, checked before anything is touched: a file
// that states more channels, positions or patterns than the tables hold is
// not a song this program wrote. A file cut short before a count is fine.
bool CountsFit(const cFileReader& in) {
  uint32_t channels = 0, positions = 0, patterns = 0;
  const size_t channelsAt = kHeaderBytes + 8;
  if (!in.PeekAt(channelsAt, &channels)) return true;
  if (channels > uint32_t(kChannelCountRange.high)) return false;
  const size_t positionsAt = channelsAt + 32 + 4 * size_t(channels) + 8;
  if (!in.PeekAt(positionsAt, &positions)) return true;
  if (positions > uint32_t(kPositions)) return false;
  if (!in.PeekAt(positionsAt + 4 + 8 * size_t(positions) + 8, &patterns)) return true;
  return patterns <= uint32_t(kPatterns);
}

}  // namespace

uint64_t LargestSongBytes(uint64_t largestWaveList) {
  // A slot: its type, the parameter count and the values.
  constexpr uint64_t kChain = kFxSlots * (4 + 4 + 4 * uint64_t(kFxMostParams));
  constexpr uint64_t kSettings = kMarkerBytes + 4 * 8 + 4 * uint64_t(kChannels);
  constexpr uint64_t kSequence = kMarkerBytes + 4 + 8 * uint64_t(kPositions);
  constexpr uint64_t kPatternSection =
      kMarkerBytes + 4 + kPatterns * (kMarkerBytes + kPatternBytes);
  constexpr uint64_t kInstrumentSection =
      kMarkerBytes + sizeof(int16_t) * kInstruments * kInstrumentWords;
  constexpr uint64_t kEffects = kMarkerBytes +
                                kChannels * (kMarkerBytes + kChain + 4 * kFxAuxBuses) +
                                kFxAuxBuses * (kMarkerBytes + kChain);
  return kHeaderBytes + kSettings + kSequence + kPatternSection + kInstrumentSection + kEffects +
         kMarkerBytes + largestWaveList;
}

void SaveFXparm(const cEffect* fx, cFileWriter& out) {
  if (fx == nullptr) return;
  auto* effect = const_cast<cEffect*>(fx);  // the effect interface has no const reads
  const int32_t count = effect->GetNumParams();
  out.Write<uint32_t>(uint32_t(count));
  for (int32_t i = 0; i < count; ++i) out.Write<int32_t>(effect->GetParam(i));
}

bool LoadFXparm(cEffect* fx, cFileReader& in) {
  if (fx == nullptr) return true;
  uint32_t count = 0;
  if (!in.Read(&count)) return false;
  // Each stored value is offered to SetParam, which ignores indexes it lacks.
  for (uint32_t i = 0; i < count; ++i) {
    int32_t value;
    if (!in.Read(&value)) return false;
    fx->SetParam(int32_t(i), value);
  }
  return true;
}

void WriteModule(cFileWriter& out, const cSongTables& song, const cFxChains& fx,
                 cSongFileHost& host) {
  const uint32_t channels = uint32_t(kChannelCountRange.Clamp(song.channelCount));
  out.WriteBytes(kMagic, 4);
  const uint8_t zeros[28] = {};
  out.WriteBytes(zeros, sizeof zeros);

  out.WriteMarker("#GENINF#");
  out.Write<uint32_t>(channels);
  for (int32_t v : {song.masterVolume, song.masterPan, song.bpm, song.speed, song.start,
                    song.repeat, song.end}) {
    out.Write<uint32_t>(uint32_t(v));
  }
  for (uint32_t c = 0; c < channels; ++c) out.Write<uint32_t>(uint32_t(song.channelVolume[c]));

  out.WriteMarker("#SEQINF#");
  const uint32_t positions = uint32_t(std::max(song.end, song.repeat) & 0xFFF) + 1;
  out.Write<uint32_t>(positions);
  for (uint32_t p = 0; p < positions; ++p) {
    out.Write<uint32_t>(song.GetPattern(int(p)));
    out.Write<uint32_t>(song.GetModeWord(int(p)));
  }

  // Every pattern up to the highest one the whole sequence names, even
  // beyond the positions saved.
  out.WriteMarker("#PATINF#");
  uint32_t highest = 0;
  for (int p = 0; p < kPositions; ++p) highest = std::max(highest, song.GetPattern(p));
  const uint32_t patterns = std::min<uint32_t>(highest + 1, kPatterns);
  out.Write<uint32_t>(patterns);
  for (uint32_t p = 0; p < patterns; ++p) {
    WriteNumberedMarker(out, "#PAT %02X#", int(p));
    out.WriteBytes(song.Cell(int(p), 0, 0), kChannelBytes * channels);
  }

  out.WriteMarker("#INSINF#");
  out.WriteBytes(song.InstrumentTable(), sizeof(int16_t) * kInstruments * kInstrumentWords);

  out.WriteMarker("#EFXINF#");
  auto writeChain = [&](int chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      out.Write<uint32_t>(fx.type[slot][chain]);
      SaveFXparm(fx.Object(slot, chain), out);
    }
  };
  for (uint32_t c = 0; c < channels; ++c) {
    WriteNumberedMarker(out, "#FXN %02X#", int(c));
    writeChain(int(c));
    for (int a = 0; a < kFxAuxBuses; ++a) out.Write<uint32_t>(uint32_t(fx.send[a][c]));
  }
  for (int a = 0; a < kFxAuxBuses; ++a) {
    WriteNumberedMarker(out, "#AUX %02X#", a);
    writeChain(kChannels + a);
  }

  out.WriteMarker("#WAVINF#");
  host.WriteWaveList(out);
}

int SaveModule(const std::string& path, const cSongTables& song, const cFxChains& fx,
               cSongFileHost& host, cFileResult* why) {
  cFileWriter out;
  WriteModule(out, song, fx, host);
  if (!out.Commit(path, why)) return 0;
  return 1;
}

namespace {

// Reads the sections after the header in order. Each stops at the first
// read the file cannot give and says how far its part got: what was not
// read keeps the reset's values.
class cSongReader {
 public:
  cSongReader(cFileReader& in, cSongTables& song, cFxChains& fx, cSongFileHost& host)
      : in(in), song(song), fx(fx), host(host) {}

  // Ok when every section was there.
  cFileResult Read() {
    in.Seek(kHeaderBytes);
    if (Settings() && Sequence() && Patterns() && Instruments() && Effects()) Samples();
    return result;
  }
  bool haveChannels = false;
  uint32_t channels = 0;

 private:
  bool Stop(eSongPart part, uint64_t done, uint64_t total) {
    result = cFileResult::EndsEarly(part, done, total);
    return false;
  }
  // The marker that opens a section (skipped without being compared) and
  // the count after it; false when the file ends before them.
  bool Opening(uint32_t* count) { return in.Skip(kMarkerBytes) && in.Read(count); }

  bool Settings() {
    if (!Opening(&channels)) return Stop(eSongPart::kSettings, 0, 0);
    haveChannels = true;
    const uint64_t total = 8 + channels;
    int32_t* general[] = {&song.masterVolume, &song.masterPan, &song.bpm, &song.speed,
                          &song.start,        &song.repeat,    &song.end};
    for (int i = 0; i < 7; ++i) {
      if (!in.Read(general[i])) return Stop(eSongPart::kSettings, 1 + i, total);
    }
    for (uint32_t c = 0; c < channels; ++c) {
      if (!in.Read(&song.channelVolume[c])) return Stop(eSongPart::kSettings, 8 + c, total);
    }
    return true;
  }

  bool Sequence() {
    uint32_t positions = 0;
    if (!Opening(&positions)) return Stop(eSongPart::kSequence, 0, 0);
    for (uint32_t p = 0; p < positions; ++p) {
      uint32_t pattern = 0, modes = 0;
      if (!in.Read(&pattern) || !in.Read(&modes)) return Stop(eSongPart::kSequence, p, positions);
      song.SetPattern(int(p), pattern);  // keeps the low 8 bits
      song.SetModeWord(int(p), modes);
    }
    return true;
  }

  bool Patterns() {
    uint32_t patterns = 0;
    if (!Opening(&patterns)) return Stop(eSongPart::kPatterns, 0, 0);
    for (uint32_t p = 0; p < patterns; ++p) {
      if (!in.Skip(kMarkerBytes) ||
          !in.ReadBytes(song.Cell(int(p), 0, 0), kChannelBytes * channels))
        return Stop(eSongPart::kPatterns, p, patterns);
    }
    return true;
  }

  // Whole instruments only: one cut short keeps the reset's block rather
  // than words of two generators.
  bool Instruments() {
    if (!in.Skip(kMarkerBytes)) return Stop(eSongPart::kInstruments, 0, 0);
    for (int i = 0; i < kInstruments; ++i) {
      int16_t block[kInstrumentWords];
      if (!in.ReadBytes(block, sizeof block)) return Stop(eSongPart::kInstruments, i, kInstruments);
      std::memcpy(song.Instrument(i), block, sizeof block);
    }
    return true;
  }

  bool Chain(int chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      uint32_t type = 0;
      if (!in.Read(&type)) return false;
      if (type == 0) continue;
      // A type this program does not know leaves the slot empty; its
      // parameter block is stepped over so that the next slot reads in step.
      if (type >= uint32_t(kFxTypeCount)) {
        uint32_t count = 0;
        if (!in.Read(&count) || !in.Skip(size_t(count) * 4)) return false;
        continue;
      }
      if (!LoadFXparm(host.CreateEffect(chain, slot, type), in)) return false;
    }
    return true;
  }

  bool Sends(uint32_t channel) {
    for (int a = 0; a < kFxAuxBuses; ++a) {
      if (!in.Read(&fx.send[a][channel])) return false;
      // Send levels are percentages; a damaged one never scales a bus beyond 100.
      fx.send[a][channel] = std::clamp(fx.send[a][channel], 0, 100);
    }
    return true;
  }

  bool Effects() {
    if (!in.Skip(kMarkerBytes)) return Stop(eSongPart::kEffects, 0, 0);
    const uint64_t chains = channels + kFxAuxBuses;
    for (uint32_t c = 0; c < channels; ++c) {
      if (!in.Skip(kMarkerBytes) || !Chain(int(c)) || !Sends(c))
        return Stop(eSongPart::kEffects, c, chains);
    }
    for (int a = 0; a < kFxAuxBuses; ++a) {
      if (!in.Skip(kMarkerBytes) || !Chain(kChannels + a))
        return Stop(eSongPart::kEffects, channels + uint64_t(a), chains);
    }
    return true;
  }

  void Samples() {
    if (!in.Skip(kMarkerBytes)) {
      Stop(eSongPart::kSamples, 0, 0);
      return;
    }
    // A file that ends right after the marker was written without a store.
    if (in.Remaining() == 0) return;
    // A list cut short or damaged keeps the waves read whole before the fault.
    cFileResult waves;
    if (!host.ReadWaveList(in, &waves)) result = waves;
  }

  cFileReader& in;
  cSongTables& song;
  cFxChains& fx;
  cSongFileHost& host;
  cFileResult result;
};

}  // namespace

bool ReadModule(cFileReader& in, cSongTables& song, cFxChains& fx, cSongFileHost& host,
                cFileResult* why) {
  // The signature and the counts from the first bytes, before anything is
  // touched or read further: a file shorter than its header, or stating
  // more channels, positions or patterns than the tables hold, is no song
  // this program wrote, and one larger than the largest song is no song.
  if (in.Size() < kHeaderBytes || !in.Matches(0, kMagic, 4) || !CountsFit(in)) {
    Tell(why, in.FaultOr(cFileResult::NotThisKind()));
    return false;
  }
  const uint64_t largest = LargestSongBytes(host.LargestWaveList());
  if (in.Size() > largest) {
    Tell(why, cFileResult::TooLarge(in.Size(), largest));
    return false;
  }
  host.NewModule();

  cSongReader reader(in, song, fx, host);
  cFileResult result = reader.Read();
  // The settings are held to their ranges: a damaged master pan far outside
  // them would otherwise overflow the mixer's sums.
  song.masterVolume = kMasterVolumeRange.Clamp(song.masterVolume);
  song.masterPan = kMasterPanRange.Clamp(song.masterPan);
  song.bpm = kBpmRange.Clamp(song.bpm);
  song.speed = kSpeedRange.Clamp(song.speed);
  song.NormaliseRange();  // a damaged file may have them in any order
  // Older virtual-analogue instruments stored words 22 and 23 sign-extended.
  for (int i = 0; i < kInstruments; ++i) {
    int16_t* block = song.Instrument(i);
    if (block[31] != 0) continue;
    for (int w : {22, 23}) {
      if (block[w] < 0) block[w] = int16_t(block[w] & 0xFF);
    }
  }
  if (reader.haveChannels) song.SetChannelCount(int(reader.channels));

  // A file the system could not read to its end, or a wave that could not
  // be stored, fails the load: the song is not what the file holds, and
  // not for want of bytes in it.
  result = in.FaultOr(result);
  Tell(why, result);
  if (result.problem == eFileProblem::kSystem) return false;
  return true;
}

int LoadModule(const std::string& path, cSongTables& song, cFxChains& fx, cSongFileHost& host,
               cFileResult* why) {
  cFileReader in;
  if (!in.Open(path, why)) return 0;
  return ReadModule(in, song, fx, host, why) ? 1 : 0;
}
