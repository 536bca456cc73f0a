// The MIDI input on a real JACK server, played by a real RtMidi client.

#include <RtMidi.h>
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <atomic>
#include <chrono>
#include <mutex>
#include <thread>

#include "midi/midiinput.h"
#include "midi/notecases.h"
#include "support/jackkeyboards.h"
#include "support/jackserver.h"

namespace {

class cCollector : public cMidiReceiver {
 public:
  void Receive(int source, const cMidiEvent& event) override {
    std::lock_guard<std::mutex> guard(lock);  // a test's receiver may lock
    events.push_back(event);
    sources.push_back(source);
  }
  void SourcesClosed() override { closings.fetch_add(1); }

  size_t Count() {
    std::lock_guard<std::mutex> guard(lock);
    return events.size();
  }
  std::vector<cMidiEvent> Take() {
    std::lock_guard<std::mutex> guard(lock);
    std::vector<cMidiEvent> out;
    out.swap(events);
    sources.clear();
    return out;
  }

  std::mutex lock;
  std::vector<cMidiEvent> events;
  std::vector<int> sources;
  std::atomic<int> closings{0};
};

template <typename Done>
bool WaitFor(Done done, int milliseconds = 5000) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(milliseconds);
  while (!done()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  return true;
}

void Send(RtMidiOut& out, const std::vector<unsigned char>& bytes) {
  auto copy = bytes;
  out.sendMessage(&copy);
}

// Waits until the keyboard's messages arrive: a connection in the JACK
// graph takes effect at a later cycle. The note-off for note 0 it sends
// changes nothing anywhere.
bool Connected(RtMidiOut& out, cCollector& collector) {
  const bool arrived = WaitFor([&] {
    Send(out, {0x80, 0, 0});
    return collector.Count() > 0;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(50));
  collector.Take();
  return arrived;
}

struct JackMidi : ::testing::Test {
  void TearDown() override { keyboards.CloseAll(); }
  // A keyboard: an RtMidi output port on the test's JACK server.
  RtMidiOut* Keyboard(const std::string& client) { return &keyboards.Open(client); }

  cJackKeyboards keyboards;  // ends after the server
  cJackServer server;
  cCollector collector;
};

}  // namespace

TEST_F(JackMidi, TheNoteTableThroughARealClient) {
  SKIP_WITHOUT_JACK(server);
  auto keys = Keyboard("Keys");
  cMidiInput input(collector, 100);
  EXPECT_EQ(input.SetInput("Keys:out"), "");
  ASSERT_EQ(input.OpenSources(), std::vector<std::string>{"Keys:out"});
  ASSERT_TRUE(Connected(*keys, collector));

  for (const cNoteCase& c : NoteCases()) {
    SCOPED_TRACE(c.name);
    std::vector<int> channels;  // the cursor's channel for each message that means something
    for (const cMidiStep& step : c.steps) {
      Send(*keys, step.bytes);
      if (DecodeMidi(step.bytes.data(), step.bytes.size()).kind != eMidiKind::none)
        channels.push_back(step.channel);
    }
    ASSERT_TRUE(WaitFor([&] { return collector.Count() >= channels.size(); }));
    std::this_thread::sleep_for(std::chrono::milliseconds(30));  // nothing more may come
    const std::vector<cMidiEvent> events = collector.Take();
    ASSERT_EQ(events.size(), channels.size());
    cMidiNoteTracker notes;
    cRecordingSink sink;
    for (size_t i = 0; i < events.size(); ++i) {
      EXPECT_GT(events[i].arrivalNs, 0);
      notes.Feed(events[i], channels[i], sink);
    }
    EXPECT_EQ(sink.actions, c.actions);
  }
}

TEST_F(JackMidi, APortThatGoesAwayIsClosedAndOpenedAgainWhenItReturns) {
  SKIP_WITHOUT_JACK(server);
  auto keys = Keyboard("Keys");
  cMidiInput input(collector, 100);
  EXPECT_EQ(input.SetInput("Keys:out"), "");
  ASSERT_EQ(input.OpenSources().size(), 1u);

  keys->closePort();
  ASSERT_TRUE(WaitFor([&] { return input.OpenSources().empty(); }));
  EXPECT_EQ(collector.closings.load(), 1);  // the notes it started must stop

  keys->openVirtualPort("out");
  ASSERT_TRUE(WaitFor([&] { return input.OpenSources().size() == 1; }));
  EXPECT_TRUE(Connected(*keys, collector));
}

TEST_F(JackMidi, AllListensToEverySourceAndNoneClosesThem) {
  SKIP_WITHOUT_JACK(server);
  auto first = Keyboard("First");
  Keyboard("Second");
  std::string problem;
  const std::vector<std::string> ports = ListMidiPorts(&problem);
  EXPECT_EQ(problem, "");
  EXPECT_EQ(ports, (std::vector<std::string>{"First:out", "Second:out"}));

  cMidiInput input(collector, 100);
  EXPECT_EQ(input.SetInput("all"), "");
  EXPECT_EQ(input.OpenSources().size(), 2u);
  auto third = Keyboard("Third");  // a source that appears later is heard too
  ASSERT_TRUE(WaitFor([&] { return input.OpenSources().size() == 3; }));
  ASSERT_TRUE(Connected(*first, collector) && Connected(*third, collector));
  Send(*first, {0x90, 60, 100});
  Send(*third, {0x90, 64, 100});
  ASSERT_TRUE(WaitFor([&] { return collector.Count() == 2; }));
  EXPECT_NE(collector.sources[0], collector.sources[1]);

  EXPECT_EQ(input.SetInput("none"), "");
  EXPECT_TRUE(input.OpenSources().empty());
  EXPECT_EQ(collector.closings.load(), 1);
  Send(*first, {0x90, 62, 100});
  std::this_thread::sleep_for(std::chrono::milliseconds(100));
  EXPECT_EQ(collector.Count(), 2u);  // switched off means off
}

TEST_F(JackMidi, APortNotThereYetIsSaidInOneLineAndOpensWhenItAppears) {
  SKIP_WITHOUT_JACK(server);
  cMidiInput input(collector, 100);
  EXPECT_EQ(input.SetInput("Later:out"),
            "MIDI input \"Later:out\" is not there: it opens when it appears.");
  Keyboard("Later");
  EXPECT_TRUE(WaitFor([&] { return input.OpenSources().size() == 1; }));
}

// Neither an ALSA sequencer nor a JACK server: no ports, one line, no crash.
TEST(NoMidi, AMachineWithoutMidiHasNoPortsAndSaysSoOnce) {
  struct stat st {};
  if (::stat("/dev/snd/seq", &st) == 0) GTEST_SKIP() << "this machine has an ALSA sequencer";
  ::setenv("JACK_DEFAULT_SERVER", "murvelon-test-nobody-runs-this", 1);
  ::setenv("JACK_NO_START_SERVER", "1", 1);
  const std::string line = "No MIDI input: neither the ALSA sequencer nor a JACK server is there.";
  std::string problem;
  EXPECT_TRUE(ListMidiPorts(&problem).empty());
  EXPECT_EQ(problem, line);
  cCollector collector;
  cMidiInput input(collector, 50);
  EXPECT_EQ(input.SetInput("all"), line);
  EXPECT_EQ(input.SetInput("Keys:out"), line);
  std::this_thread::sleep_for(std::chrono::milliseconds(120));  // the watcher looks again, quietly
  EXPECT_TRUE(input.OpenSources().empty());
  EXPECT_EQ(input.SetInput("none"), "");
}
