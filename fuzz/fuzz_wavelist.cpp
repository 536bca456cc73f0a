// The wave list of a song file, read on its own into the wave store.
#include "app/trackerinside.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cTracker& t = FuzzTracker();
  cFileReader in(data, size);
  Inside(t).Waves().ReadWaveList(in);  // a damaged list keeps what it read completely
  CheckWaves(Inside(t).Waves());
  return 0;
}
