// The wavetable cache. The input is patched into a valid cache image: its
// first four bytes give the byte offset, the rest is written there. What
// loads must index only inside the tables and hold only finite values.
#include <cstring>
#include <vector>

#include "engine/wavetables.h"
#include "fuzz/fuzzcommon.h"

namespace {

const std::vector<uint8_t>& ValidImage() {
  static const std::vector<uint8_t> image = [] {
    cWavetables w;
    if (!w.Create(44100.0f, "")) std::abort();
    std::vector<uint8_t> bytes(kWaveCacheBytes);
    std::memcpy(bytes.data(), w.IndexTable(), kWaveIndexEntries * 4);
    std::memcpy(bytes.data() + kWaveIndexEntries * 4, w.Tables(),
                size_t(kWaveTablesMax) * kWaveSize * 4);
    return bytes;
  }();
  return image;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::vector<uint8_t> image = ValidImage();
  if (size >= 4) {
    uint32_t offset;
    std::memcpy(&offset, data, 4);
    offset %= uint32_t(image.size() + 1);
    const size_t n = std::min(size - 4, image.size() - offset);
    std::memcpy(image.data() + offset, data + 4, n);
    // An input whose low bit of byte 0 is set also cuts the file short.
    if ((data[0] & 0x80) && size > 8) image.resize(image.size() - size_t(data[4]) - 1);
  }
  const std::string path = FuzzFile(image.data(), image.size(), ".cache");
  cWavetables w;
  if (!w.Create(44100.0f, path)) return 0;
  const float* first = w.Tables();
  const float* last = first + size_t(kWaveTablesMax) * kWaveSize;  // the zero guard table
  for (int hz = 0; hz < kWaveIndexEntries; ++hz) {
    const float* table = w.TableForHz(hz);
    if (table < first || table >= last) FuzzFail("saw outside the tables", hz, w.IndexTable()[hz]);
  }
  for (const float* p = first; p < last + kWaveSize; ++p) {
    if (!std::isfinite(*p) || std::fabs(*p) > 2.0f) FuzzFail("saw value", int(p - first));
  }
  return 0;
}
