// The configuration file, read through the settings reader.
#include "app/configfile.h"
#include "fuzz/fuzzcommon.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string path = FuzzFile(data, size, ".ini");
  const cConfig config = GetConfig(path);
  (void)config;
  return 0;
}
