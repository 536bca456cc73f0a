#pragma once
// A busy song composed in code, for the tests and benchmarks that need the
// whole engine working at once: all three generators sounding, effects in
// slots, aux sends and pattern commands on most rows.

#include <cmath>
#include <cstdint>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/generator.h"

// Instrument numbers the busy song uses.
constexpr int kBusyBass = 1, kBusyFM = 2, kBusySampler = 4;

// A looped 440 Hz sine of one second in wave slot 0 (instrument 4 plays it).
inline void PutSineWave(cTracker& t, int32_t slot = 0) {
  std::vector<int16_t> wave(44100);
  for (size_t i = 0; i < wave.size(); ++i) {
    wave[i] = int16_t(12000.0 * std::sin(6.283185307179586 * 440.0 * double(i) / 44100.0));
  }
  Inside(t).Waves().SetSlot(slot, wave.data(), int32_t(wave.size()), 0x01, 100,
                            int32_t(wave.size()) - 1, "sine");
}

// Fills instruments 1 (virtual analogue), 2 (FM) and 4 (sampler on slot 0),
// then `channels` channels of two patterns: notes of all three instruments,
// releases, volume and pan columns, generator commands and commands to the
// channel's own effect slots. Every channel gets an effect of each type in
// turn (types 1-11 cover all eleven) and sends to the aux buses, whose
// slots hold a reverberator, a delay, a chorus and a filter. Call after
// SystemStart; the song is left at the start, not playing.
inline void ComposeBusySong(cTracker& t, int channels = 8, bool effectsOnEveryChannel = true) {
  std::lock_guard<std::recursive_mutex> lock(Inside(t).EngineLock());
  cSongTables& song = Inside(t).Song();
  PutSineWave(t);
  song.Instrument(kBusyFM - 1)[kParamGenType] = kGenFM;
  Inside(t).DefaultParams(kBusyFM - 1);
  song.Instrument(kBusySampler - 1)[kParamGenType] = kGenSampler;
  Inside(t).DefaultParams(kBusySampler - 1);
  song.Instrument(kBusySampler - 1)[2] = 0;  // wave slot 0
  song.SetChannelCount(channels);
  const uint32_t allPlay = 0x55555555u;
  for (int p = 0; p < 2; ++p) {
    song.SetPattern(p, uint32_t(p));
    song.SetModeWord(p, allPlay);
  }
  song.start = 0;
  song.repeat = 0;
  song.end = 1;
  const uint8_t instruments[3] = {kBusyBass, kBusyFM, kBusySampler};
  const uint8_t generatorCommands[8] = {0x01, 0x02, 0x08, 0x0A, 0x0C, 0x03, 0x04, 0x00};
  for (int p = 0; p < 2; ++p) {
    for (int c = 0; c < channels; ++c) {
      for (int r = 0; r < kRows; ++r) {
        uint8_t* cell = song.Cell(p, c, r);
        const int step = r + c * 3 + p * 7;
        cell[0] = (r % 4 == 0) ? uint8_t(37 + (step % 24)) : (r % 16 == 14 ? kNoteRelease : 0);
        cell[1] = (r % 4 == 0) ? instruments[(c + r / 4 + p) % 3] : 0;
        cell[2] = (r % 8 == 2) ? 0x84 : (r % 8 == 6 ? 0x92 : (r % 4 == 0 ? 100 : 0xFF));
        cell[3] = (r % 6 == 3) ? uint8_t(0x80 | (step % 4))
                               : (r % 4 == 0 ? uint8_t(step * 9 % 128) : 0xFF);
        cell[4] = generatorCommands[step % 8];
        cell[5] = uint8_t(0x10 + step % 0x30);
        cell[6] = uint8_t(0xA0 + 0x10 * (step % 4) + (step % 3));  // slots 1-4 of the channel
        cell[7] = uint8_t(step * 5);
      }
    }
  }
  // A tempo change halfway through the second pattern.
  song.Cell(1, 0, 32)[4] = 0x0F;
  song.Cell(1, 0, 32)[5] = 140;

  cFxChains& fx = Inside(t).Effects();
  for (int c = 0; c < channels; ++c) {
    for (int s = 0; s < (effectsOnEveryChannel ? kFxSlots : 1); ++s) {
      const int32_t type = 1 + (c * kFxSlots + s) % 11;
      fx.type[s][c] = uint32_t(type);
      fx.ChangeFxModule(c, s, type);
    }
    for (int a = 0; a < kFxAuxBuses; ++a) fx.SetSend(c, a, 10 + 7 * ((c + a) % 5));
  }
  const int32_t auxTypes[kFxAuxBuses] = {3, 2, 5, 1};
  for (int a = 0; a < kFxAuxBuses; ++a) {
    fx.type[0][kFxChannels + a] = uint32_t(auxTypes[a]);
    fx.ChangeFxModule(kFxChannels + a, 0, auxTypes[a]);
  }
}
