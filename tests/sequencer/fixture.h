#pragma once
// A tracker whose 48 generators record their calls, with helpers to write
// cells and to run the player tick by tick.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "support/testgenerator.h"

// Also remembers at which rendered frame each Tick arrived, clamps blocks
// to a maximum and fills defaults with a marker.
class cRecordingGen : public cTestGenerator {
 public:
  explicit cRecordingGen(int16_t kind) : kind(kind) {}
  void Tick(int32_t t) override {
    tickFrames.push_back(framesRendered);
    cTestGenerator::Tick(t);
  }
  void FilterParams(int16_t* params) override {
    cTestGenerator::FilterParams(params);
    for (int i = 0; i < kInstrumentWords; ++i) params[i] = std::min(params[i], clampMax);
  }
  void GetDefaults(int16_t* params) override {
    for (int i = 0; i < kInstrumentWords; ++i) params[i] = int16_t(100 + kind);
    params[kParamGenType] = kind;
  }

  int16_t kind;
  int16_t clampMax = 1000;
  std::vector<long> tickFrames;
};

class cRecordingFx : public cEffect {
 public:
  void Command(int32_t value, int32_t second) override {
    commands.push_back(value);
    seconds.push_back(second);
  }
  void ApplyParams() override { ++applies; }
  void Clear() override { ++clears; }

  std::vector<int32_t> commands, seconds;
  int applies = 0, clears = 0;
};

inline cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;  // no clock measurement in tests
  return config;
}

// The calls of a generator that start with a prefix.
inline std::vector<std::string> Only(const std::vector<std::string>& calls,
                                     const std::string& prefix) {
  std::vector<std::string> out;
  for (const auto& c : calls) {
    if (c.rfind(prefix, 0) == 0) out.push_back(c);
  }
  return out;
}

struct SequencerFixture : ::testing::Test {
  cTracker t{QuietConfig()};
  cRecordingGen* gen[kChannels][kGenKinds] = {};

  SequencerFixture() {
    for (int c = 0; c < kChannels; ++c) {
      for (int k = 0; k < kGenKinds; ++k) {
        auto g = std::make_unique<cRecordingGen>(int16_t(k));
        gen[c][k] = g.get();
        Inside(t).Generators().InstallGenerator(k, c, std::move(g));
      }
    }
    // Four channels that play at every position.
    Song().SetChannelCount(4);
    for (int p = 0; p < 16; ++p) Song().SetModeWord(p, 0x55);
  }

  cSongTables& Song() { return Inside(t).Song(); }
  cPlayer& Player() { return Inside(t).Player(); }

  void SetCell(int pattern, int channel, int row, std::array<uint8_t, 8> cell) {
    std::copy(cell.begin(), cell.end(), Song().Cell(pattern, channel, row));
  }
  // An empty cell with one effect command in column 1.
  static std::array<uint8_t, 8> Command(uint8_t command, uint8_t parameter) {
    return {0, 0, 0xFF, 0xFF, command, parameter, 0, 0};
  }

  void ClearCalls() {
    for (auto& channel : gen) {
      for (auto* g : channel) g->calls.clear();
    }
  }
  // Starts playing and forgets what the transport did to the generators.
  void Start(int32_t command = kTransportPlay) {
    t.TransportCommand(command);
    ClearCalls();
  }
  void Ticks(int n) {
    for (int i = 0; i < n; ++i) Player().ProcessTick();
  }
  std::vector<std::string>& Log(int channel, int kind = kGenBass) {
    return gen[channel][kind]->calls;
  }
};
