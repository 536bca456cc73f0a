// Imported ProTracker modules played through the whole engine: the commands
// the importer carries over must do what they did in the module.

#include <gtest/gtest.h>

#include <cstdlib>
#include <vector>

#include "app/tracker.h"
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
  const cPlayer& p = t.Player();
  for (int tick = 0; tick < 100 && p.position == 0; ++tick) RenderTick(t);
  ASSERT_EQ(p.position, 1);
  while (p.tick != 0) RenderTick(t);  // the break's row ends
  EXPECT_EQ(p.pattern, 1);
  EXPECT_EQ(p.row, 10);
}
