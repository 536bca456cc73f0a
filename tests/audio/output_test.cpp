// The output's polling protocol, driven one poll at a time over a simulated
// device whose cursor the test moves.

#include "audio/output.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <deque>
#include <stdexcept>
#include <thread>
#include <vector>

#include "audio/simdevice.h"

namespace {

constexpr int32_t kRate = 44100;
constexpr uint32_t kBlock = 3528;   // 20 ms of frames at 44100
constexpr uint32_t kHalf = 14112;   // 80 ms
constexpr int16_t kUntouched = -7;  // what the buffer held before the poll

struct SimOutput {
  cSimDevice* sim = new cSimDevice;
  cAudioOutput out{std::unique_ptr<cSoundDevice>(sim)};
  std::vector<int32_t> flags;  // every call of the callback
  std::vector<int16_t> half = std::vector<int16_t>(kHalf / 2);

  // The callback hands out a half filled with 1000 + the number of halves so far.
  cRenderCallback Callback() {
    return [this](int32_t flag) -> int16_t* {
      flags.push_back(flag);
      if (flag != 1) return nullptr;
      std::fill(half.begin(), half.end(), int16_t(1000 + Count(1)));
      return half.data();
    };
  }
  int Count(int32_t flag) const { return int(std::count(flags.begin(), flags.end(), flag)); }
  void Open(bool enable = true, cRenderCallback callback = {}) {
    ASSERT_EQ(out.OpenAudio(callback ? callback : Callback(), kRate, 80), 0);
    out.SetRenderEnabled(enable);
    sim->FillBuffer(kUntouched);
  }
  void PollAt(uint32_t cursor) {
    sim->SetCursor(cursor);
    out.Poll();
  }
  // The value every sample of half h holds, or -1 when they differ.
  int HalfValue(uint32_t h) const {
    const int16_t first = sim->Sample(h * kHalf / 2);
    for (uint32_t i = 0; i < kHalf / 2; ++i)
      if (sim->Sample(h * kHalf / 2 + i) != first) return -1;
    return first;
  }
};

TEST(AudioOutput, HalvesAreWrittenBehindTheCursor) {
  SimOutput t;
  t.Open();
  EXPECT_EQ(t.out.BlockBytes(), kBlock);
  EXPECT_EQ(t.out.HalfBytes(), int32_t(kHalf));
  EXPECT_EQ(t.out.LastBlock(), -1);

  // The first poll always services a block, with flag 0: the cursor starts
  // in half 0 while half 1 is due.
  t.PollAt(0);
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0}));
  EXPECT_EQ(t.HalfValue(0), kUntouched);
  EXPECT_EQ(t.HalfValue(1), kUntouched);

  t.PollAt(100);  // same block: nothing
  t.PollAt(kBlock);
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0}));

  // Entering half 1 (blocks 2 and 3 passed on the way) renders the first
  // half into half 0, just left.
  t.PollAt(kHalf);
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 0, 0, 1}));
  EXPECT_EQ(t.HalfValue(0), 1001);
  EXPECT_EQ(t.HalfValue(1), kUntouched);
  EXPECT_EQ(t.out.WriteHalf(), 0u);

  t.PollAt(kHalf + kBlock);
  EXPECT_EQ(t.Count(1), 1);

  // Wrapping into half 0 writes half 1.
  t.PollAt(0);
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 0, 0, 1, 0, 0, 0, 1}));
  EXPECT_EQ(t.HalfValue(0), 1001);
  EXPECT_EQ(t.HalfValue(1), 1002);
  EXPECT_EQ(t.out.Underruns(), 0u);
}

TEST(AudioOutput, EveryBlockPassedBetweenPollsIsServiced) {
  SimOutput t;
  t.Open();
  t.PollAt(0);
  t.PollAt(2 * kBlock);  // blocks 1 and 2 passed between polls
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 0}));
  t.PollAt(kHalf + kBlock);  // blocks 3, 4 (half 1 begins) and 5
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 0, 0, 1, 0}));
  EXPECT_EQ(t.HalfValue(0), 1001);
}

TEST(AudioOutput, ACursorFarOnOrGoneBackIsServicedOnce) {
  SimOutput t;
  t.Open();
  t.PollAt(0);
  t.PollAt(kBlock);
  t.PollAt(kHalf + 3 * kBlock);  // six blocks on: more than a half, a stall
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 1}));
  t.PollAt(kHalf + kBlock);  // back by two blocks
  EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 1, 0}));
}

// A sound server moves the cursor a period at a time. Periods longer than a
// block (23 ms here) skip block boundaries between polls, yet each half must
// still get one call per block it holds, the last one with flag 1.
TEST(AudioOutput, ACursorMovingInLongStepsGetsOneCallPerBlock) {
  for (uint32_t step : {4096u, 7000u, kBlock, kHalf - 4}) {
    SCOPED_TRACE(step);
    SimOutput t;
    t.Open();
    uint64_t played = 0;
    t.PollAt(0);
    const size_t afterFirst = t.flags.size();
    while (played + step <= 40 * uint64_t(kHalf)) {
      played += step;
      t.PollAt(uint32_t(played % (2 * kHalf)));
    }
    const size_t calls = t.flags.size() - afterFirst;
    EXPECT_EQ(calls, played / kBlock);
    for (size_t i = afterFirst; i < t.flags.size(); ++i) {
      // Blocks 4, 8, 12, ... begin the halves.
      EXPECT_EQ(t.flags[i], i % 4 == 0 ? 1 : 0) << i;
    }
    EXPECT_EQ(t.out.Underruns(), 0u);
  }
}

TEST(AudioOutput, HalfBoundariesWriteSilenceWithoutASound) {
  enum class Why { disabled, nullHalf, throws };
  for (Why why : {Why::disabled, Why::nullHalf, Why::throws}) {
    SCOPED_TRACE(int(why));
    SimOutput t;
    cRenderCallback inner = t.Callback();
    cRenderCallback callback;
    if (why == Why::nullHalf) {
      callback = [&](int32_t f) -> int16_t* {
        inner(f);
        return nullptr;
      };
    } else if (why == Why::throws) {
      callback = [&](int32_t f) -> int16_t* {
        inner(f);
        throw std::runtime_error("render");
      };
    }
    t.Open(why != Why::disabled, callback);
    t.PollAt(0);
    t.PollAt(kHalf);
    EXPECT_EQ(t.HalfValue(0), 0);
    EXPECT_EQ(t.HalfValue(1), kUntouched);
    if (why == Why::disabled) {
      EXPECT_TRUE(t.flags.empty());
      EXPECT_EQ(t.sim->Volume(), -1000);
    } else {
      EXPECT_EQ(t.flags, (std::vector<int32_t>{0, 0, 0, 0, 1}));
    }
  }
}

TEST(AudioOutput, ALostBufferIsRestoredOncePerFill) {
  using L = eBufferLock;
  struct Case {
    std::deque<L> locks;
    int restores;
    bool written;
  };
  for (const Case& c : {Case{{L::lost, L::ok}, 1, true}, Case{{L::lost, L::lost}, 1, false},
                        Case{{L::lost, L::failed}, 1, false}, Case{{L::failed}, 0, false}}) {
    SimOutput t;
    t.Open();
    t.sim->lockResults = c.locks;
    t.PollAt(0);
    t.PollAt(kHalf);
    EXPECT_EQ(t.sim->restores, c.restores);
    EXPECT_EQ(t.HalfValue(0), c.written ? 1001 : kUntouched);
    // Nothing is retried: the next fill goes its own way.
    t.PollAt(0);
    EXPECT_EQ(t.HalfValue(1), 1002);
    EXPECT_EQ(t.sim->restores, c.restores);
  }
}

TEST(AudioOutput, AFillAfterTheCursorEnteredTheHalfIsAnUnderrun) {
  SimOutput t;
  // A render so slow that the cursor went round into the half it was meant for.
  cRenderCallback inner = t.Callback();
  t.Open(true, [&](int32_t f) {
    t.sim->SetCursor(0);
    return inner(f);
  });
  t.PollAt(0);
  EXPECT_EQ(t.out.Underruns(), 0u);
  t.PollAt(kHalf);
  EXPECT_EQ(t.out.Underruns(), 1u);
}

TEST(AudioOutput, VolumeFollowsRenderingAndDucking) {
  SimOutput t;
  t.Open();
  EXPECT_EQ(t.sim->Volume(), 0);
  t.out.SetRenderEnabled(false);
  EXPECT_EQ(t.sim->Volume(), -1000);
  t.out.SetRenderEnabled(true);
  t.out.SetOutputDucked(true);
  EXPECT_EQ(t.sim->Volume(), -1000);
  t.out.SetOutputDucked(false);
  EXPECT_EQ(t.sim->Volume(), 0);

  // The device plays the buffer at 10^(v/2000).
  t.sim->FillBuffer(10000);
  struct Case {
    int32_t volume;
    int16_t heard;
  };
  for (Case c :
       {Case{0, 10000}, {-1000, 3162}, {-2000, 1000}, {-6000, 10}, {-20000, 0}, {500, 10000}}) {
    t.sim->SetVolume(c.volume);
    int16_t frame[2];
    t.sim->Heard(5, frame);
    EXPECT_EQ(frame[0], c.heard) << c.volume;
    EXPECT_EQ(frame[1], c.heard) << c.volume;
  }
}

TEST(AudioOutput, OpenReportsTheFailingStep) {
  struct Case {
    int32_t deviceAnswer;
    int32_t lastError;
  };
  for (Case c : {Case{100, 0}, {101, 101}, {110, 110}, {111, 111}, {120, 120}}) {
    SimOutput t;
    t.sim->openResult = c.deviceAnswer;
    EXPECT_EQ(t.out.OpenAudio(t.Callback(), kRate, 80), c.deviceAnswer);
    EXPECT_EQ(t.out.LastError(), c.lastError);
    EXPECT_FALSE(t.out.Opened());
    EXPECT_FALSE(t.out.ThreadRunning());
    EXPECT_EQ(t.out.StartAudio(), 1);
  }
  SimOutput t;
  EXPECT_EQ(t.out.OpenAudio(t.Callback(), 0, 80), 111);
  EXPECT_EQ(t.sim->opens, 0);
  // A buffer of more blocks than the block counter holds.
  EXPECT_EQ(t.out.OpenAudio(t.Callback(), kRate, 700000), 120);
}

TEST(AudioOutput, LatencyRoundsUpToWholeBlocks) {
  struct Case {
    int32_t latency, rounded;
  };
  for (Case c :
       {Case{-5, 20}, {0, 20}, {1, 20}, {20, 20}, {21, 40}, {79, 80}, {80, 80}, {81, 100}}) {
    EXPECT_EQ(RoundLatencyMs(c.latency), c.rounded) << c.latency;
    SimOutput t;
    ASSERT_EQ(t.out.OpenAudio(nullptr, 48000, c.latency), 0);
    EXPECT_EQ(t.out.HalfBytes(), c.rounded * 48 * 4);
    EXPECT_EQ(t.out.BlockBytes(), 3840u);
    EXPECT_EQ(t.sim->BufferBytes(), uint32_t(2 * c.rounded * 48 * 4));
  }
}

TEST(AudioOutput, StartBeforeOpenDoesNothing) {
  SimOutput t;
  EXPECT_EQ(t.out.StartAudio(), 1);
  EXPECT_EQ(t.sim->plays, 0);
  EXPECT_FALSE(t.out.ThreadRunning());
  EXPECT_FALSE(t.out.Playing());
}

TEST(AudioOutput, CloseEndsTheThreadOnceWhetherStartedOrNot) {
  for (bool start : {false, true}) {
    SimOutput t;
    // A probe: no callback, the thread held until a start that never comes.
    ASSERT_EQ(t.out.OpenAudio(start ? t.Callback() : nullptr, kRate, 80), 0);
    EXPECT_TRUE(t.out.ThreadRunning());
    if (start) {
      t.out.SetRenderEnabled(true);
      EXPECT_EQ(t.out.StartAudio(), 0);
      EXPECT_EQ(t.sim->plays, 1);
    }
    t.out.CloseAudio();
    EXPECT_FALSE(t.out.ThreadRunning());
    EXPECT_FALSE(t.out.Opened());
    EXPECT_EQ(t.sim->closes, 1);
    EXPECT_EQ(t.sim->stops, start ? 1 : 0);
    t.out.CloseAudio();  // the fatal exit and the shutdown may both close
    EXPECT_EQ(t.sim->closes, 1);
  }
}

TEST(AudioOutput, ACloseFromInsideTheCallbackEndsTheThread) {
  SimOutput t;
  std::atomic<int> calls{0};
  ASSERT_EQ(t.out.OpenAudio(
                [&](int32_t) -> int16_t* {
                  ++calls;
                  t.out.CloseAudio();
                  return nullptr;
                },
                kRate, 80),
            0);
  t.out.SetRenderEnabled(true);
  ASSERT_EQ(t.out.StartAudio(), 0);
  // The thread polls the resting cursor once, calls back, and leaves.
  while (calls == 0) std::this_thread::sleep_for(std::chrono::milliseconds(1));
  t.sim->SetCursor(kHalf);
  std::this_thread::sleep_for(std::chrono::milliseconds(30));
  t.out.CloseAudio();
  EXPECT_EQ(calls, 1);
  EXPECT_FALSE(t.out.ThreadRunning());
  EXPECT_EQ(t.sim->closes, 1);
}

TEST(AudioOutput, AFailedPlayIsAFailedStart) {
  SimOutput t;
  t.sim->playResult = false;
  ASSERT_EQ(t.out.OpenAudio(t.Callback(), kRate, 80), 0);
  EXPECT_NE(t.out.StartAudio(), 0);
  t.out.CloseAudio();
  EXPECT_FALSE(t.out.ThreadRunning());
}

}  // namespace
