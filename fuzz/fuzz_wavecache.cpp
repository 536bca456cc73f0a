// The wavetable cache. The input is patched into a valid cache image: its
// first four bytes give the byte offset, the rest is written there. What
// is taken must index only inside the tables and hold only finite values.
// The image is handed to the store as the file's bytes: reading the file
// and rebuilding the set after a refusal are the same every time and would
// only slow the run.
#include <cstring>
#include <vector>

#include "engine/wavetables.h"
#include "fuzz/fuzzcommon.h"
#include "song/filereader.h"

namespace {

cWavetables& Store() {
  static cWavetables* store = [] {
    auto* w = new cWavetables;
    if (!w->Create(44100.0f, "")) std::abort();
    return w;
  }();
  return *store;
}

const std::vector<uint8_t>& ValidImage() {
  static const std::vector<uint8_t> image = [] {
    const cWavetables& w = Store();
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
  static std::vector<uint8_t> image = ValidImage();
  size_t offset = 0, patched = 0, length = image.size();
  if (size >= 4) {
    uint32_t at;
    std::memcpy(&at, data, 4);
    offset = at % uint32_t(image.size() + 1);
    patched = std::min(size - 4, image.size() - offset);
    std::memcpy(image.data() + offset, data + 4, patched);
    // An input whose top bit of byte 0 is set also cuts the file short.
    if ((data[0] & 0x80) && size > 8) length -= size_t(data[4]) + 1;
  }
  cWavetables& w = Store();
  cFileReader in(image.data(), length);
  const bool taken = w.TakeCache(in);
  std::memcpy(image.data() + offset, ValidImage().data() + offset, patched);
  if (!taken) return 0;
  const float* first = w.Tables();
  const float* last = first + size_t(kWaveTablesMax) * kWaveSize;  // the zero guard table
  for (int hz = 0; hz < kWaveIndexEntries; ++hz) {
    const float* table = w.TableForHz(hz);
    if (table < first || table >= last) FuzzFail("saw outside the tables", hz, w.IndexTable()[hz]);
  }
  if (!AllFinite(first, int(last + kWaveSize - first), 2.0f)) FuzzFail("saw value");
  return 0;
}
