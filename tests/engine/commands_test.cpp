// The command table against the generators: each generator acts on exactly
// the command bytes the table names for it.

#include "engine/commands.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/bass.h"
#include "engine/fmsynth.h"
#include "engine/genmanager.h"
#include "engine/sampler.h"
#include "engine/wavestore.h"
#include "engine/wavetables.h"

namespace {

constexpr int kRate = 44100;
constexpr int kWaveSlot = 3;

// The generators as a channel holds them, each with its default instrument;
// the sampler's plays a looped second of a gliding tone.
struct cChannelGenerators {
  cChannelGenerators() : manager(kRate), wavetables(cWavetables::Shared(kRate, "")) {
    std::vector<int16_t> wave(kRate);
    for (size_t i = 0; i < wave.size(); ++i) {
      const double t = double(i) / kRate;
      wave[i] = int16_t(std::lround(12000.0 * std::sin(2 * M_PI * (200.0 + 300.0 * t) * t)));
    }
    EXPECT_TRUE(store.SetSlot(kWaveSlot, wave.data(), kRate, 1, 0, kRate - 1, "glide"));
  }

  std::unique_ptr<cGenerator> Make(int32_t kind) {
    std::unique_ptr<cGenerator> g;
    if (kind == kGenBass) {
      auto bass = std::make_unique<cBass>();
      bass->SetWavetables(wavetables.get());
      g = std::move(bass);
    } else if (kind == kGenSampler) {
      auto sampler = std::make_unique<cSampler>();
      sampler->BindTables(manager.interpolation);
      sampler->SetWaveStore(&store);
      g = std::move(sampler);
    } else {
      g = std::make_unique<cFMSynth>();
    }
    g->Init(kRate);
    std::srand(1);  // the synthesizer's noise starts alike in every run
    g->Reset();
    int16_t params[128] = {};
    g->GetDefaults(params);
    if (kind == kGenSampler) params[2] = kWaveSlot;
    g->SetParams(params);
    g->SetPlaying(1);
    return g;
  }

  cGenManager manager;
  cWavManager store;
  std::shared_ptr<const cWavetables> wavetables;
};

// Four rows of four ticks: a note, a slide away from its pitch, then the
// command word on a row without a note and on a row with one, so that a
// command acting when set, at a tick or at a note-on all leave a trace.
std::vector<float> Play(cGenerator& g, int32_t word) {
  std::vector<float> out;
  auto row = [&](int32_t command, int note) {
    g.SetCommand(0, command);
    g.SetCommand(1, 0);
    if (note >= 0) g.NoteOn(note);
    for (int t = 0; t < 4; ++t) {
      if (t > 0) g.Tick(t);
      const size_t at = out.size();
      out.resize(at + 2 * 400);
      g.Render(out.data() + at, 400);
    }
  };
  row(0, 48);
  row(0x0120, -1);
  row(word, -1);
  row(word, 55);
  return out;
}

std::string Bytes(const std::vector<int>& commands) {
  std::string out;
  for (int c : commands) {
    char text[4];
    std::snprintf(text, sizeof text, "%02X", c);
    out += (out.empty() ? "" : " ") + std::string(text);
  }
  return out.empty() ? "none" : out;
}

}  // namespace

TEST(CommandTable, EachGeneratorActsOnExactlyTheCommandsTheTableNames) {
  cChannelGenerators channel;
  const char* names[kGenKinds] = {"cBass", "cSampler", "cFMSynth"};
  for (int32_t kind = 0; kind < kGenKinds; ++kind) {
    std::unique_ptr<cGenerator> plain = channel.Make(kind);
    const std::vector<float> without = Play(*plain, 0);
    std::vector<int> acts, named;
    for (int command = 0; command < 256; ++command) {
      std::unique_ptr<cGenerator> g = channel.Make(kind);
      // 0x37: both digits set and unlike each other, unlike every default.
      if (Play(*g, command << 8 | 0x37) != without) acts.push_back(command);
      if (GeneratorActsOn(kind, uint8_t(command))) named.push_back(command);
    }
    EXPECT_EQ(Bytes(acts), Bytes(named)) << names[kind];
  }
}

TEST(CommandTable, TheStatusTextWordsTheParameterAsTheTableSays) {
  struct Case {
    uint8_t command, parameter;
    const char* text;
  };
  for (auto c :
       {Case{0x0A, 0x40, "0A Volume slide, up 4, down 0"}, Case{0x08, 0x47, "08 Arpeggio, +4, +7"},
        Case{0x0C, 0x40, "0C Set volume, 64"}, Case{0x0F, 0x06, "0F Speed / tempo, speed 6"},
        Case{0x0F, 0x7D, "0F Speed / tempo, BPM 125"}, Case{0x0D, 0x50, "0D Pattern break, row 16"},
        Case{0x19, 0x80, "19 Sample offset, at 128/256"}, Case{0x1A, 0x12, "1A Keep voices"},
        Case{0xA0, 0x00, "A0 Effect slot 1, filter settings restored"},
        Case{0xB2, 0x81, "B2 Effect slot 2, filter high-pass, cutoff 258"},
        Case{0xC3, 0x40, "C3 Effect slot 3, filter resonance 64"},
        Case{0xDC, 0xFF, "DC Effect slot 4, filter cutoff 32767"},
        Case{0x05, 0x11, "05 no such command"}}) {
    EXPECT_EQ(CommandText(c.command, c.parameter), c.text);
  }
  // Each byte has at most one entry.
  for (size_t i = 0; i < CommandTable().size(); ++i) {
    for (size_t j = i + 1; j < CommandTable().size(); ++j) {
      EXPECT_TRUE(CommandTable()[i].last < CommandTable()[j].first ||
                  CommandTable()[j].last < CommandTable()[i].first)
          << CommandBytes(CommandTable()[i]) << " and " << CommandBytes(CommandTable()[j]);
    }
  }
}
