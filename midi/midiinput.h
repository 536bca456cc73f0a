#pragma once
// MIDI in through RtMidi, from the ALSA sequencer and from JACK. The input
// setting names what to listen to:
//   "" or "none"  nothing; no MIDI client is opened
//   "all"         every MIDI source present, and each new one as it appears
//   a port name   that source, as ListMidiPorts names it
// A watcher thread looks at the ports every second: a source that has gone
// away is closed quietly, and opened again when it returns. A machine with
// neither an ALSA sequencer nor a JACK server has no ports; that is said in
// one line, never as an error.
//
// Threads: SetInput and the destructor on one controlling thread; the
// watcher thread of its own; each open source calls the receiver on a MIDI
// thread of its own (RtMidi's ALSA thread, or the JACK process thread).

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "midi/midimessage.h"

constexpr int kMidiSources = 16;  // sources open at once; more are not opened

class cMidiReceiver {
 public:
  virtual ~cMidiReceiver() = default;
  // The MIDI thread of source 0..kMidiSources-1 (one thread at a time for
  // each source, the last one ended before the next begins). Must neither
  // lock nor wait.
  virtual void Receive(int source, const cMidiEvent& event) = 0;
  // The controlling or the watcher thread, after sources have closed (the
  // input changed, or a port went away): their notes must stop.
  virtual void SourcesClosed() = 0;
};

// Every MIDI source present, by the names the input setting takes. problem
// receives a line when there is no ALSA sequencer and no JACK server, and is
// cleared otherwise.
std::vector<std::string> ListMidiPorts(std::string* problem);

struct cMidiSystems;

class cMidiInput {
 public:
  // pollMs: how often the watcher looks at the ports.
  explicit cMidiInput(cMidiReceiver& receiver, int pollMs = 1000);
  ~cMidiInput();  // closes every source, then the receiver hears SourcesClosed
  cMidiInput(const cMidiInput&) = delete;
  cMidiInput& operator=(const cMidiInput&) = delete;

  // Closes what is open and listens as the setting says. Returns the line
  // for the message label, empty when all is well.
  std::string SetInput(const std::string& setting);
  // The names of the sources open now.
  std::vector<std::string> OpenSources();

 private:
  struct cSource;

  // a source's MIDI thread
  static void OnMessage(double, std::vector<unsigned char>* message, void* source);
  void WatchLoop();
  // Lists the ports, closes sources that went away, opens those wanted and
  // not yet open; false when neither MIDI system answers. Holds the lock.
  bool RescanLocked();
  bool CloseSourcesLocked(bool (*which)(const cSource&, const void*), const void* arg);
  void OpenSourceLocked(int api, const std::string& name);
  bool Wanted(const std::string& name) const;

  cMidiReceiver& receiver;
  const int pollMs;
  std::mutex lock;  // the sources and the setting; never taken by a MIDI thread
  std::string setting;
  bool listenAll = false;
  std::unique_ptr<cMidiSystems> systems;
  std::vector<std::unique_ptr<cSource>> sources;

  std::thread watcher;
  std::condition_variable wake;
  bool stopWatching = false;  // under lock
};
