// ProTracker modules: import through the controller, then play what loaded. A
// load resets the song first, so nothing of an earlier input plays on.
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  cTracker& t = FuzzTracker();
  const std::string path = FuzzFile(data, size, ".mod");
  if (t.LoadModuleMOD(path) == 1) {
    CheckSong(t);
    PlayAndCheck(t);
  }
  return 0;
}
