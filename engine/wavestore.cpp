#include "engine/wavestore.h"

#include <algorithm>
#include <cerrno>
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

cWaveSlot cWavManager::MakeSlot(std::unique_ptr<int16_t[]> buffer, int32_t length, uint32_t flags,
                                int32_t loopStart, int32_t loopEnd, const char* name,
                                size_t nameBytes) {
  cWaveSlot made;
  made.buffer = std::move(buffer);
  cWaveEntry& e = made.entry;
  e.data = made.buffer.get();
  e.length = length;
  e.flags = flags;
  // Every way into a slot passes here: loop points outside the wave (from a
  // damaged file) are drawn inside, where the sampler would take them anyway.
  e.loopStart = loopStart;
  e.loopEnd = loopEnd;
  if (length > 0) HoldLoopInside(e);
  SetName(e.name, name, nameBytes);
  return made;
}

void cWavManager::Install(int32_t slot, std::unique_ptr<int16_t[]> buffer, int32_t length,
                          uint32_t flags, int32_t loopStart, int32_t loopEnd, const char* name,
                          size_t nameBytes) {
  PutSlot(slot, MakeSlot(std::move(buffer), length, flags, loopStart, loopEnd, name, nameBytes));
}

cWaveSlot cWavManager::GetSlot(int32_t slot) const {
  cWaveSlot value;
  if (slot < 0 || slot >= kWaveSlots) return value;
  auto lock = Lock();
  value.entry = entries[slot];
  value.buffer = buffers[slot];
  return value;
}

void cWavManager::PutSlot(int32_t slot, const cWaveSlot& value) {
  if (slot < 0 || slot >= kWaveSlots) return;
  auto lock = Lock();
  if (buffers[slot] != value.buffer) ++generation[slot];
  buffers[slot] = value.buffer;
  entries[slot] = value.entry;
  entries[slot].data = buffers[slot].get();
  if (!entries[slot].data) {
    entries[slot].length = 0;
    entries[slot].flags = 0;
    entries[slot].loopStart = entries[slot].loopEnd = 0;
  }
}

bool cWavManager::ReadWav(const std::string& path, cWaveSlot* dest, cFileResult* why,
                          int32_t* fileRate) {
  cWavSound sound;
  if (!dest || !ReadSampleFile(path, &sound, why)) return false;
  if (fileRate != nullptr) *fileRate = sound.sampleRate;
  // Named after the file: the text after the last separator of either kind.
  const size_t cut = path.find_last_of("/\\");
  const std::string name = cut == std::string::npos ? path : path.substr(cut + 1);
  *dest = MakeSlot(std::move(sound.buffer), sound.frames, sound.channels == 2 ? kWaveStereoFlag : 0,
                   0, sound.frames - 1, name.c_str(), name.size());
  return true;
}

bool cWavManager::ImportWav(int32_t slot, const std::string& path, cFileResult* why) {
  if (slot < 0 || slot >= kWaveSlots) {
    Tell(why, cFileResult::System(EINVAL));
    return false;
  }
  cWaveSlot sound;
  if (!ReadWav(path, &sound, why)) return false;
  PutSlot(slot, sound);
  return true;
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

namespace {

// The wave list of the entries entry(0) to entry(127) gives.
template <class EntryAt>
void WriteEntries(cFileWriter& out, EntryAt&& entry) {
  auto inUse = [](const cWaveEntry& e) { return e.length > 0 && e.data != nullptr; };
  int32_t count = 0;
  for (int32_t i = 0; i < kWaveSlots; ++i) count += inUse(entry(i)) ? 1 : 0;
  out.Write(count);
  for (int32_t i = 0; i < kWaveSlots; ++i) {
    const cWaveEntry& e = entry(i);
    if (!inUse(e)) continue;
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
    const cWaveEntry& e = entry(i);
    if (!inUse(e)) continue;
    char marker[8];
    Marker(marker, "#WLD %02X#", i);
    out.WriteBytes(marker, 8);
    out.Write(i);
    out.WriteSamples(e.data + kWaveMargin, size_t(WaveSamples(e.length, e.flags)));
  }
}

}  // namespace

void cWavManager::WriteWaveList(cFileWriter& out) const {
  auto lock = Lock();
  WriteEntries(out, [this](int32_t i) -> const cWaveEntry& { return entries[i]; });
}

void WriteWaveList(cFileWriter& out, const cWaveSlot (&slots)[kWaveSlots]) {
  WriteEntries(out, [&slots](int32_t i) -> const cWaveEntry& { return slots[i].entry; });
}

bool cWavManager::ReadWaveList(cFileReader& in, cFileResult* why) {
  ClearAll();
  int32_t count = 0;
  // Waves read whole so far stay; the result says how many of how many.
  auto stop = [&in, why, &count](eFileProblem problem, int32_t done) {
    const uint64_t total = uint64_t(std::max(count, 0));
    Tell(why, in.FaultOr(problem == eFileProblem::kDamaged
                             ? cFileResult::Damaged(eSongPart::kSamples, uint64_t(done), total)
                             : cFileResult::EndsEarly(eSongPart::kSamples, uint64_t(done), total)));
    return false;
  };
  constexpr auto kEnds = eFileProblem::kEndsEarly;
  constexpr auto kDamaged = eFileProblem::kDamaged;
  if (!in.Read(&count)) return stop(kEnds, 0);
  if (count < 0 || count > kWaveSlots) {
    count = 0;
    return stop(kDamaged, 0);
  }

  struct Info {
    int32_t length;
    uint32_t flags;
    int32_t loopStart, loopEnd;
    char name[kListNameBytes];
  };
  Info info[kWaveSlots];
  bool announced[kWaveSlots] = {};
  bool filled[kWaveSlots] = {};
  for (int32_t n = 0; n < count; ++n) {
    char marker[8];
    int32_t slot;
    if (!in.ReadBytes(marker, 8) || !in.Read(&slot)) return stop(kEnds, 0);
    if (slot < 0 || slot >= kWaveSlots || announced[slot]) return stop(kDamaged, 0);
    Info& r = info[slot];
    if (!in.ReadBytes(r.name, kListNameBytes) || !in.Read(&r.length) || !in.Read(&r.flags) ||
        !in.Read(&r.loopStart) || !in.Read(&r.loopEnd)) {
      return stop(kEnds, 0);
    }
    if (r.length < 0 || r.length > kMaxWaveFrames) return stop(kDamaged, 0);
    announced[slot] = true;
  }

  for (int32_t n = 0; n < count; ++n) {
    char marker[8];
    int32_t slot;
    if (!in.ReadBytes(marker, 8) || !in.Read(&slot)) return stop(kEnds, n);
    if (slot < 0 || slot >= kWaveSlots || !announced[slot] || filled[slot])
      return stop(kDamaged, n);
    const Info& r = info[slot];
    const size_t samples = size_t(WaveSamples(r.length, r.flags));
    // Sample data the file does not hold is never asked for.
    if (samples > in.Remaining() / 2) {
      in.Seek(in.Size());
      return stop(kEnds, n);
    }
    std::unique_ptr<int16_t[]> buffer(new (std::nothrow) int16_t[samples + 2 * kWaveMargin]());
    if (!buffer) {
      Tell(why, cFileResult::System(ENOMEM));
      return false;
    }
    if (!in.ReadSamples(buffer.get() + kWaveMargin, samples)) return stop(kEnds, n);
    // The name field of the list holds 32 bytes and may lack its zero.
    Install(slot, std::move(buffer), r.length, r.flags, r.loopStart, r.loopEnd, r.name,
            kListNameBytes);
    filled[slot] = true;
  }
  Tell(why, {});
  return true;
}

void cWavManager::TakeSlots(cWavManager& other) {
  auto lock = Lock();
  for (int32_t i = 0; i < kWaveSlots; ++i) {
    std::swap(entries[i], other.entries[i]);
    std::swap(buffers[i], other.buffers[i]);
    ++generation[i];
    ++other.generation[i];
  }
}
