// The audio path must not allocate: a block that reaches the heap can wait
// on the allocator's lock or on the system and miss its deadline. Every
// global operator new of this test program is counted (and, outside the
// sanitizer builds, which own malloc, every malloc, calloc and realloc too)
// while the render callback renders a busy song.

#include <gtest/gtest.h>

#include <atomic>
#include <cstdlib>
#include <new>

#include "app/trackerinside.h"
#include "support/busysong.h"
#include "support/rampwav.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define MURVELON_COUNT_MALLOC 0
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define MURVELON_COUNT_MALLOC 0
#endif
#endif
#ifndef MURVELON_COUNT_MALLOC
#define MURVELON_COUNT_MALLOC 1
#endif

#if MURVELON_COUNT_MALLOC
// glibc's own entry points, under the names it exports for exactly this.
extern "C" void* __libc_malloc(std::size_t);
extern "C" void* __libc_calloc(std::size_t, std::size_t);
extern "C" void* __libc_realloc(void*, std::size_t);
#define RAW_MALLOC __libc_malloc
#else
#define RAW_MALLOC std::malloc
#endif

namespace {

std::atomic<bool> counting{false};
std::atomic<long> allocations{0};

void Note() {
  if (counting.load(std::memory_order_relaxed)) allocations.fetch_add(1, std::memory_order_relaxed);
}

void* Allocate(std::size_t size) {
  Note();
  if (void* p = RAW_MALLOC(size ? size : 1)) return p;
  throw std::bad_alloc();
}

void* AllocateAligned(std::size_t size, std::align_val_t align) {
  Note();
  const std::size_t a = std::size_t(align);
  if (void* p = std::aligned_alloc(a, (size + a - 1) / a * a)) return p;
  throw std::bad_alloc();
}

}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
  Note();
  return RAW_MALLOC(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
  Note();
  return RAW_MALLOC(size ? size : 1);
}
void* operator new(std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void* operator new[](std::size_t size, std::align_val_t align) {
  return AllocateAligned(size, align);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }
void operator delete(void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::align_val_t) noexcept { std::free(p); }
void operator delete(void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t, std::align_val_t) noexcept { std::free(p); }

#if MURVELON_COUNT_MALLOC
extern "C" void* malloc(std::size_t size) {
  Note();
  return __libc_malloc(size);
}
extern "C" void* calloc(std::size_t n, std::size_t size) {
  Note();
  return __libc_calloc(n, size);
}
extern "C" void* realloc(void* p, std::size_t size) {
  Note();
  return __libc_realloc(p, size);
}
#endif

namespace {

cConfig QuietConfig() {
  cConfig config;
  config.cpuCalc = 0;
  return config;
}

// Allocations made by one render callback.
long CountBlock(cTracker& t, int32_t flag) {
  allocations = 0;
  counting = true;
  t.RenderCallback(flag);
  counting = false;
  return allocations.load();
}

}  // namespace

TEST(RealTime, TheCounterSeesAnAllocation) {
  allocations = 0;
  counting = true;
  auto* p = new int(3);
  void* q = std::malloc(16);
  counting = false;
  delete p;
  std::free(q);
  EXPECT_EQ(allocations.load(), MURVELON_COUNT_MALLOC ? 2 : 1);
}

TEST(RealTime, ABusySongRendersWithoutAllocating) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ComposeBusySong(t, 16);
  t.TransportCommand(kTransportPlay);
  // The first blocks may touch memory for the first time, not allocate it;
  // two are still allowed as a warm-up.
  CountBlock(t, 0);
  CountBlock(t, 1);

  long total = 0, worst = 0;
  int voices = 0;
  for (int block = 0; block < 400; ++block) {  // 8 s: both patterns, twice
    const long n = CountBlock(t, block % 4 == 3 ? 1 : 0);
    total += n;
    worst = std::max(worst, n);
    voices = std::max(voices, Inside(t).Generators().VoiceCount());
    if (block == 150) {
      // Pattern commands from the GUI side between blocks: a jump back to
      // the start and a new tempo.
      t.ResetPosition(true);
      t.SetBPM(160);
    }
  }
  EXPECT_EQ(total, 0) << "worst block made " << worst << " allocations";
  EXPECT_GT(voices, 8);  // the song really plays

  // All three generators sound on the channels of the song.
  bool kinds[kGenKinds] = {};
  for (int c = 0; c < 16; ++c) kinds[Inside(t).Generators().generatorType[c] % kGenKinds] = true;
  EXPECT_TRUE(kinds[kGenBass] && kinds[kGenFM] && kinds[kGenSampler]);
}

TEST(RealTime, SilenceAndStoppedRenderingDoNotAllocate) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ComposeBusySong(t, 4);
  t.TransportCommand(kTransportPlay);
  CountBlock(t, 0);
  CountBlock(t, 1);
  t.TransportCommand(kTransportStop);  // voices release, effects ring out
  long total = 0;
  for (int block = 0; block < 50; ++block) total += CountBlock(t, block & 1);
  t.SetEngine(0);
  for (int block = 0; block < 10; ++block) total += CountBlock(t, block & 1);
  EXPECT_EQ(total, 0);
}

// The window thread's edits, undo and redo hold the engine lock while the
// audio thread waits: nothing they do under it may reach the heap. Every
// allocation made while an edit holds the lock is counted.
TEST(RealTime, EditsUndoAndRedoAllocateNothingUnderTheEngineLock) {
  cTracker t(QuietConfig());
  ASSERT_TRUE(t.SystemStart(false));
  ComposeBusySong(t, 4);
  const std::string wav = ::testing::TempDir() + "murvelon-alloc-ramp.wav";
  ASSERT_TRUE(WriteRampWav(wav, 2000, 2));
  cWaveSlot sound;
  ASSERT_TRUE(cWavManager::ReadWav(wav, &sound));
  int16_t block[kInstrumentWords];
  std::copy(t.GetParams(0), t.GetParams(0) + kInstrumentWords, block);
  block[kParamGenType] = kGenFM;  // a preset of another engine than block 6's
  t.TransportCommand(kTransportPlay);

  cSongEdits& edits = t.Edits();
  allocations = 0;
  edits.SetLockObserver([](bool held) { counting = held; });
  EXPECT_TRUE(edits.EditPattern("Note", 0, [](cSongTables& s) {
    s.Cell(0, 1, 2)[0] = 40;
    return true;
  }));
  EXPECT_TRUE(edits.EditSequence([](cSongTables& s) {
    s.SetChannelMode(3, 1, kModeCut);
    return "Channel Mode";
  }));
  EXPECT_TRUE(edits.SetBpm(99));
  EXPECT_TRUE(edits.SetChannelVolume(2, 50));
  EXPECT_TRUE(edits.SetInstrumentWord("Word", 0, 40, 12));
  EXPECT_TRUE(edits.SetInstrumentWords("Layer", kBusySampler - 1, 2, 5));
  EXPECT_TRUE(edits.ChangeEngine(5, kGenFM));
  EXPECT_TRUE(edits.PutInstrument("Load Synth", 6, block));
  EXPECT_TRUE(edits.PutSample("Load Sample", 9, sound));
  EXPECT_TRUE(edits.SetLoop(9, 10, 900));
  EXPECT_TRUE(edits.SetLoopMode(9, 2));
  EXPECT_TRUE(edits.DeleteSample(9));
  EXPECT_TRUE(edits.ChangeEffectType(4, 1, 7));
  EXPECT_TRUE(edits.SetEffectParam("Parameter", 4, 1, 0, 7));
  EXPECT_TRUE(edits.LoadEffectPreset(4, 1, 1));
  EXPECT_TRUE(edits.SetSend(1, 2, 30));
  while (edits.Undo()) {
  }
  while (edits.Redo()) {
  }
  edits.SetLockObserver(nullptr);
  counting = false;
  EXPECT_EQ(allocations.load(), 0);
  EXPECT_EQ(edits.History().Steps(), 16u);
  t.TransportCommand(kTransportStop);
}
