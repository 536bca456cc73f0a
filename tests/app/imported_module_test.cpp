// Imported ProTracker modules played through the whole engine: the commands
// the importer carries over must do what they did in the module.

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <vector>

#include "app/tracker.h"
#include "app/trackerinside.h"
#include "engine/sampler.h"
#include "support/modsong.h"
#include "support/synthsong.h"

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

// At 125 BPM and 44100 Hz a tick lasts one 882-frame block: each render
// call below is one tick, which starts at its first frame.
void RenderTick(cTracker& t) { t.RenderCallback(1); }

}  // namespace

TEST(ImportedModule, APatternBreakD10ContinuesAtRowTenOfTheNextPattern) {
  std::vector<uint8_t> m = BuildModule({}, 2, 2);
  SetModCell(m, 0, 5, 0, 0, 0, 0xD, 0x10);
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_TRUE(LoadModuleBytes(t, m));
  t.TransportCommand(kTransportPlay);
  const cPlayer& p = Inside(t).Player();
  for (int tick = 0; tick < 100 && p.position == 0; ++tick) RenderTick(t);
  ASSERT_EQ(p.position, 1);
  while (p.tick != 0) RenderTick(t);  // the break's row ends
  EXPECT_EQ(p.pattern, 1);
  EXPECT_EQ(p.row, 10);
}

// 047 steps note, note + 4, note + 7 tick by tick; the same command on the
// next row returns to the note first.
TEST(ImportedModule, AnArpeggioStepsThroughItsThreeNotes) {
  std::vector<uint8_t> m = BuildModule({{1, 1000, 64, 0, 1000}});
  SetModCell(m, 0, 0, 0, 428, 1, 0x0, 0x47);
  SetModCell(m, 0, 1, 0, 0, 0, 0x0, 0x47);
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ASSERT_TRUE(LoadModuleBytes(t, m));
  t.TransportCommand(kTransportPlay);
  const cSampler& sampler = *Inside(t).Generators().Sampler(0);
  std::vector<double> steps;
  for (int tick = 0; tick < 8; ++tick) {
    RenderTick(t);
    steps.push_back(double(sampler.Voice(0).step));
  }
  ASSERT_GT(steps[0], 0.0);
  // Speed 6: ticks 1-4 of a row arpeggiate, tick 5 ends it, tick 6 is the
  // next row's first.
  const int semitones[8] = {0, 4, 7, 0, 4, 4, 0, 4};
  for (int tick = 0; tick < 8; ++tick) {
    EXPECT_NEAR(steps[size_t(tick)] / steps[0], std::pow(2.0, semitones[tick] / 12.0), 1e-4)
        << "tick " << tick;
  }
}
