#include "engine/wavestore.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <new>

namespace {

constexpr char kEmptyName[] = "No sample loaded.";
constexpr int kListNameBytes = 32;  // of the name in a wave-list record

void SetName(char* dest, const char* source, size_t sourceBytes) {
  std::memset(dest, 0, kWaveNameBytes);
  const size_t n = std::min(sourceBytes, size_t(kWaveNameBytes - 1));
  for (size_t i = 0; i < n && source[i] != 0; ++i) dest[i] = source[i];
}

// Loop points outside a wave of one frame or more are drawn inside it.
void HoldLoopInside(cWaveEntry& e) {
  e.loopStart = std::clamp(e.loopStart, 0, e.length - 1);
  e.loopEnd = std::clamp(e.loopEnd, e.loopStart, e.length - 1);
}

void Marker(char* text, const char* format, int32_t slot) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, format, unsigned(slot & 0xFF));
  std::memcpy(text, buffer, 8);
}

}  // namespace

cWavManager::cWavManager() {
  for (int32_t i = 0; i < kWaveSlots; ++i) {
    entries[i] = cWaveEntry{};
    SetName(entries[i].name, kEmptyName, sizeof kEmptyName);
  }
}

cWavManager::~cWavManager() = default;

std::unique_lock<std::recursive_mutex> cWavManager::Lock() const {
  if (!engineLock) return {};
  return std::unique_lock<std::recursive_mutex>(*engineLock);
}

void cWavManager::ClearSlotLocked(int32_t slot) {
  cWaveEntry& e = entries[slot];
  e.data = nullptr;
  e.length = 0;
  e.flags = 0;
  e.loopStart = 0;
  e.loopEnd = 0;
  SetName(e.name, kEmptyName, sizeof kEmptyName);
  buffers[slot].reset();
  ++generation[slot];
}

void cWavManager::ClearSlot(int32_t slot) {
  if (slot < 0 || slot >= kWaveSlots) return;
  auto lock = Lock();
  ClearSlotLocked(slot);
}

void cWavManager::ClearAll() {
  auto lock = Lock();
  for (int32_t i = 0; i < kWaveSlots; ++i) ClearSlotLocked(i);
}

void cWavManager::Install(int32_t slot, std::unique_ptr<int16_t[]> buffer, int32_t length,
                          uint32_t flags, int32_t loopStart, int32_t loopEnd, const char* name,
                          size_t nameBytes) {
  auto lock = Lock();
  ClearSlotLocked(slot);
  buffers[slot] = std::move(buffer);
  cWaveEntry& e = entries[slot];
  e.data = buffers[slot].get();
  e.length = length;
  e.flags = flags;
  // Every way into a slot passes here: loop points outside the wave (from a
  // damaged file) are drawn inside, where the sampler would take them anyway.
  e.loopStart = loopStart;
  e.loopEnd = loopEnd;
  if (length > 0) HoldLoopInside(e);
  SetName(e.name, name, nameBytes);
}

cWaveImport cWavManager::ImportWav(int32_t slot, const std::string& path) {
  cWaveImport result;
  cWavSound sound;
  if (slot < 0 || slot >= kWaveSlots) {
    result.failure = "there is no layer " + std::to_string(slot);
    return result;
  }
  if (!ReadSampleFile(path, &sound, &result.failure)) return result;
  // Named after the file: the text after the last separator of either kind.
  const size_t cut = path.find_last_of("/\\");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  Install(slot, std::move(sound.buffer), sound.frames, sound.channels == 2 ? kWaveStereoFlag : 0, 0,
          sound.frames - 1, name.c_str(), name.size());
  result.loaded = true;
  result.sampleRate = sound.sampleRate;
  return result;
}

bool cWavManager::SetSlot(int32_t slot, const int16_t* samples, int32_t frames, uint32_t flags,
                          int32_t loopStart, int32_t loopEnd, const char* name) {
  if (slot < 0 || slot >= kWaveSlots || frames < 0 || (frames > 0 && !samples)) return false;
  const size_t count = size_t(WaveSamples(frames, flags));
  std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[count + 2 * kWaveMargin]());
  if (!buffer) return false;
  if (count) std::memcpy(buffer.get() + kWaveMargin, samples, count * sizeof(int16_t));
  Install(slot, std::move(buffer), frames, flags, loopStart, loopEnd, name ? name : "",
          name ? std::strlen(name) : 0);
  return true;
}

bool cWavManager::SetLoop(int32_t slot, int32_t loopStart, int32_t loopEnd) {
  if (slot < 0 || slot >= kWaveSlots) return false;
  auto lock = Lock();
  cWaveEntry& e = entries[slot];
  if (e.length <= 0 || !e.data) return false;
  e.loopStart = loopStart;
  e.loopEnd = loopEnd;
  HoldLoopInside(e);
  return true;
}

bool cWavManager::SetLoopMode(int32_t slot, uint32_t mode) {
  if (slot < 0 || slot >= kWaveSlots) return false;
  auto lock = Lock();
  cWaveEntry& e = entries[slot];
  if (e.length <= 0 || !e.data) return false;
  e.flags = (e.flags & ~kWaveLoopModeMask) | (mode & kWaveLoopModeMask);
  return true;
}

bool cWavManager::GetEntry(int32_t slot, cWaveEntry* dest) const {
  if (slot < 0 || slot >= kWaveSlots || !dest) return false;
  auto lock = Lock();
  *dest = entries[slot];
  return true;
}

bool cWavManager::InUse(int32_t slot) const {
  if (slot < 0 || slot >= kWaveSlots) return false;
  auto lock = Lock();
  return entries[slot].length > 0 && entries[slot].data != nullptr;
}

void cWavManager::WriteWaveList(cFileWriter& out) const {
  auto lock = Lock();
  int32_t count = 0;
  for (int32_t i = 0; i < kWaveSlots; ++i) count += InUse(i) ? 1 : 0;
  out.Write(count);
  for (int32_t i = 0; i < kWaveSlots; ++i) {
    if (!InUse(i)) continue;
    const cWaveEntry& e = entries[i];
    char marker[8];
    Marker(marker, "#WLI %02X#", i);
    out.WriteBytes(marker, 8);
    out.Write(i);
    out.WriteBytes(e.name, kListNameBytes);
    out.Write(e.length);
    out.Write(e.flags);
    out.Write(e.loopStart);
    out.Write(e.loopEnd);
  }
  for (int32_t i = 0; i < kWaveSlots; ++i) {
    if (!InUse(i)) continue;
    const cWaveEntry& e = entries[i];
    char marker[8];
    Marker(marker, "#WLD %02X#", i);
    out.WriteBytes(marker, 8);
    out.Write(i);
    out.WriteSamples(e.data + kWaveMargin, size_t(WaveSamples(e.length, e.flags)));
  }
}

bool cWavManager::ReadWaveList(cFileReader& in) {
  ClearAll();
  int32_t count;
  if (!in.Read(&count)) return false;
  if (count == 0) return true;
  if (count < 0 || count > kWaveSlots) return false;

  struct Info {
    int32_t length;
    uint32_t flags;
    int32_t loopStart, loopEnd;
    char name[kListNameBytes];
  };
  Info info[kWaveSlots];
  bool announced[kWaveSlots] = {};
  bool filled[kWaveSlots] = {};
  uint64_t dataBytes = 0;  // what the data records must hold
  for (int32_t n = 0; n < count; ++n) {
    char marker[8];
    int32_t slot;
    if (!in.ReadBytes(marker, 8) || !in.Read(&slot)) return false;
    if (slot < 0 || slot >= kWaveSlots || announced[slot]) return false;
    Info& r = info[slot];
    if (!in.ReadBytes(r.name, kListNameBytes) || !in.Read(&r.length) || !in.Read(&r.flags) ||
        !in.Read(&r.loopStart) || !in.Read(&r.loopEnd)) {
      return false;
    }
    if (r.length < 0) return false;
    announced[slot] = true;
    dataBytes += 12 + 2 * uint64_t(WaveSamples(r.length, r.flags));
  }
  if (dataBytes > in.Remaining()) return false;

  for (int32_t n = 0; n < count; ++n) {
    char marker[8];
    int32_t slot;
    if (!in.ReadBytes(marker, 8) || !in.Read(&slot)) return false;
    if (slot < 0 || slot >= kWaveSlots || !announced[slot] || filled[slot]) return false;
    const Info& r = info[slot];
    const size_t samples = size_t(WaveSamples(r.length, r.flags));
    std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
    if (!buffer || !in.ReadSamples(buffer.get() + kWaveMargin, samples)) return false;
    // The name field of the list holds 32 bytes and may lack its zero.
    Install(slot, std::move(buffer), r.length, r.flags, r.loopStart, r.loopEnd, r.name,
            kListNameBytes);
    filled[slot] = true;
  }
  return true;
}
