#include "song/songfile.h"

#include <algorithm>
#include <cstdio>

namespace {

constexpr char kMagic[4] = {'Z', 'Q', '2', '3'};
constexpr size_t kHeaderBytes = 32;

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

void SaveFXparm(const cEffect* fx, cFileWriter& out) {
  if (fx == nullptr) return;
  auto* effect = const_cast<cEffect*>(fx);  // the effect interface has no const reads
  const int32_t count = effect->GetNumParams();
  out.Write<uint32_t>(uint32_t(count));
  for (int32_t i = 0; i < count; ++i) out.Write<int32_t>(effect->GetParam(i));
}

void LoadFXparm(cEffect* fx, cFileReader& in) {
  if (fx == nullptr) return;
  uint32_t count = 0;
  if (!in.Read(&count)) return;
  // Each stored value is offered to SetParam, which ignores indexes it lacks.
  for (uint32_t i = 0; i < count; ++i) {
    int32_t value;
    if (!in.Read(&value)) return;
    fx->SetParam(int32_t(i), value);
  }
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
               cSongFileHost& host) {
  cFileWriter out;
  WriteModule(out, song, fx, host);
  if (!out.Commit(path)) return 0;
  return 1;
}

bool ReadModule(cFileReader& in, cSongTables& song, cFxChains& fx, cSongFileHost& host) {
  if (!in.Matches(0, kMagic, 4) || !CountsFit(in)) return false;
  host.NewModule();

  // From here a file cut short loads as far as it goes: every read below
  // stops quietly at the end, and what was not read keeps the reset's values.
  in.Seek(kHeaderBytes + 8);  // markers are skipped without being compared
  uint32_t channels = 0;
  const bool haveChannels = in.Read(&channels);
  int32_t* general[] = {&song.masterVolume, &song.masterPan, &song.bpm, &song.speed,
                        &song.start,        &song.repeat,    &song.end};
  for (int32_t* field : general) in.Read(field);
  // The settings are held to their ranges: a damaged master pan far outside
  // them would otherwise overflow the mixer's sums.
  song.masterVolume = kMasterVolumeRange.Clamp(song.masterVolume);
  song.masterPan = kMasterPanRange.Clamp(song.masterPan);
  song.bpm = kBpmRange.Clamp(song.bpm);
  song.speed = kSpeedRange.Clamp(song.speed);
  song.NormaliseRange();  // a damaged file may have them in any order
  for (uint32_t c = 0; c < channels; ++c) in.Read(&song.channelVolume[c]);

  in.Skip(8);
  uint32_t positions = 0;
  in.Read(&positions);
  for (uint32_t p = 0; p < positions; ++p) {
    uint32_t pattern = 0, modes = 0;
    if (!in.Read(&pattern) || !in.Read(&modes)) break;
    song.SetPattern(int(p), pattern);  // keeps the low 8 bits
    song.SetModeWord(int(p), modes);
  }

  in.Skip(8);
  uint32_t patterns = 0;
  in.Read(&patterns);
  for (uint32_t p = 0; p < patterns; ++p) {
    in.Skip(8);
    in.ReadBytes(song.Cell(int(p), 0, 0), kChannelBytes * channels);
  }

  in.Skip(8);
  in.ReadBytes(song.InstrumentTable(), sizeof(int16_t) * kInstruments * kInstrumentWords);
  // Older virtual-analogue instruments stored words 22 and 23 sign-extended.
  for (int i = 0; i < kInstruments; ++i) {
    int16_t* block = song.Instrument(i);
    if (block[31] != 0) continue;
    for (int w : {22, 23}) {
      if (block[w] < 0) block[w] = int16_t(block[w] & 0xFF);
    }
  }

  in.Skip(8);
  auto readChain = [&](int chain) {
    for (int slot = 0; slot < kFxSlots; ++slot) {
      uint32_t type = 0;
      if (!in.Read(&type)) return;
      if (type == 0) continue;
      // A type this program does not know leaves the slot empty; its
      // parameter block is stepped over so that the next slot reads in step.
      if (type >= uint32_t(kFxTypeCount)) {
        uint32_t count = 0;
        if (in.Read(&count)) in.Skip(size_t(count) * 4);
        continue;
      }
      LoadFXparm(host.CreateEffect(chain, slot, type), in);
    }
  };
  for (uint32_t c = 0; c < channels; ++c) {
    in.Skip(8);
    readChain(int(c));
    for (int a = 0; a < kFxAuxBuses; ++a) {
      // Send levels are percentages; a damaged one never scales a bus beyond 100.
      if (in.Read(&fx.send[a][c])) fx.send[a][c] = std::clamp(fx.send[a][c], 0, 100);
    }
  }
  for (int a = 0; a < kFxAuxBuses; ++a) {
    in.Skip(8);
    readChain(kChannels + a);
  }

  in.Skip(8);
  // A wave list that fails part-way keeps the waves read so far.
  if (in.Remaining() > 0) host.ReadWaveList(in);

  if (haveChannels) song.SetChannelCount(int(channels));
  return true;
}

int LoadModule(const std::string& path, cSongTables& song, cFxChains& fx, cSongFileHost& host) {
  cFileReader in;
  if (!in.Open(path)) return 0;
  return ReadModule(in, song, fx, host) ? 1 : 0;
}
