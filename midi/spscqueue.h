#pragma once
// A bounded queue for one producing thread and one consuming thread, with
// no lock and no allocation after construction: a MIDI thread pushes, the
// audio thread pops at the start of its next block. A full queue refuses
// the push (the caller counts it) rather than make the producer wait.

#include <array>
#include <atomic>
#include <cstddef>
#include <cstdint>

template <typename T, size_t N>
class cSpscQueue {
  static_assert(N >= 2 && (N & (N - 1)) == 0, "a power of two");

 public:
  // producer thread
  bool Push(const T& item) {
    const uint32_t head = writeIndex.load(std::memory_order_relaxed);
    if (head - readIndex.load(std::memory_order_acquire) == N) return false;
    items[head & (N - 1)] = item;
    writeIndex.store(head + 1, std::memory_order_release);
    return true;
  }

  // consumer thread: the item Pop would take, or null.
  const T* Peek() const {
    const uint32_t tail = readIndex.load(std::memory_order_relaxed);
    if (writeIndex.load(std::memory_order_acquire) == tail) return nullptr;
    return &items[tail & (N - 1)];
  }

  // consumer thread
  bool Pop(T& item) {
    const uint32_t tail = readIndex.load(std::memory_order_relaxed);
    if (writeIndex.load(std::memory_order_acquire) == tail) return false;
    item = items[tail & (N - 1)];
    readIndex.store(tail + 1, std::memory_order_release);
    return true;
  }

 private:
  // Apart, so that the two threads do not share a cache line.
  alignas(64) std::atomic<uint32_t> writeIndex{0};
  alignas(64) std::atomic<uint32_t> readIndex{0};
  std::array<T, N> items{};
};
