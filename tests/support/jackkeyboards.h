#pragma once
// Keyboards for the tests: RtMidi output ports on the test's JACK server.
// RtMidi frees an output's message buffer before it closes the output's JACK
// client, so an output destroyed while the server runs can be read by one
// last process cycle: a crash now and then on a busy machine. The keyboards
// here close their ports when asked (a port that goes away, as a cable
// pulled) and are destroyed only when the holder ends: declare the holder
// before the cJackServer, so that it ends after the server has stopped, and
// close the ports while the server still runs (CloseAll), which ends quickly.

#include <RtMidi.h>

#include <memory>
#include <string>
#include <vector>

class cJackKeyboards {
 public:
  // A new output client with one port, "client:out".
  RtMidiOut& Open(const std::string& client) {
    outs.push_back(std::make_unique<RtMidiOut>(RtMidi::UNIX_JACK, client));
    outs.back()->openVirtualPort("out");
    return *outs.back();
  }
  void CloseAll() {
    for (auto& out : outs) out->closePort();
  }

 private:
  std::vector<std::unique_ptr<RtMidiOut>> outs;
};
