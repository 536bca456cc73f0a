#include "midi/midiinput.h"

#include <RtMidi.h>

#include <chrono>
#include <cstdlib>

#include "audio/onsetwatch.h"
#include "audio/quietsound.h"
#include "midi/jackports.h"

namespace {

enum eApi { kAlsa, kJack };

struct cPort {
  eApi api;
  std::string name;
};

constexpr const char* kClientName = "Murvelon";

// With an error callback RtMidi reports instead of throwing or printing.
void IgnoreError(RtMidiError::Type, const std::string&, void*) {}

std::unique_ptr<RtMidiIn> MakeInput(eApi api) {
  QuietSoundLibraries();
  cMutedCerr quiet;
  try {
    auto in = std::make_unique<RtMidiIn>(api == kAlsa ? RtMidi::LINUX_ALSA : RtMidi::UNIX_JACK,
                                         kClientName);
    in->setErrorCallback(IgnoreError);
    return in;
  } catch (...) {
    return nullptr;  // no sequencer device, or no memory
  }
}

// RtMidi names an ALSA port "client:port c:p"; the numbers change when a
// device is plugged in again, so the name the setting takes is without
// them. Client 0 is the sequencer's own (timer, announcements): no source.
bool AlsaPortName(const std::string& full, std::string& name) {
  const size_t space = full.rfind(' ');
  const size_t colon = full.rfind(':');
  name = full;
  if (space == std::string::npos || colon == std::string::npos || colon < space) return true;
  const std::string client = full.substr(space + 1, colon - space - 1);
  const std::string port = full.substr(colon + 1);
  auto digits = [](const std::string& s) {
    return !s.empty() && s.find_first_not_of("0123456789") == std::string::npos;
  };
  if (!digits(client) || !digits(port)) return true;
  name = full.substr(0, space);
  return std::atoi(client.c_str()) != 0;
}

std::string PortName(eApi api, const std::string& full) {
  if (api != kAlsa) return full;
  std::string name;
  AlsaPortName(full, name);
  return name;
}

}  // namespace

// The two MIDI systems as the watcher sees them.
struct cMidiSystems {
  std::unique_ptr<RtMidiIn> alsa;  // lists the sequencer's ports
  cJackPorts jack;
  uint32_t jackLosses = 0;

  // false when neither system answers.
  bool List(std::vector<cPort>& ports) {
    ports.clear();
    if (!alsa) alsa = MakeInput(kAlsa);
    if (alsa) {
      cMutedCerr quiet;
      const unsigned int count = alsa->getPortCount();
      for (unsigned int i = 0; i < count; ++i) {
        std::string name;
        if (AlsaPortName(alsa->getPortName(i), name)) ports.push_back({kAlsa, name});
      }
    }
    std::vector<std::string> names;
    const bool jackUp = jack.List(names);
    for (const std::string& name : names) {
      // The ALSA-to-JACK bridge shows the sequencer's ports again: listened
      // to twice, every note would sound twice.
      if (alsa && name.rfind("a2j:", 0) == 0) continue;
      ports.push_back({kJack, name});
    }
    return alsa != nullptr || jackUp;
  }
};

struct cMidiInput::cSource {
  cMidiInput* owner = nullptr;
  int slot = 0;
  eApi api = kAlsa;
  std::string name;
  std::unique_ptr<RtMidiIn> in;
};

std::vector<std::string> ListMidiPorts(std::string* problem) {
  cMidiSystems systems;
  std::vector<cPort> ports;
  const bool any = systems.List(ports);
  if (problem != nullptr) {
    *problem = any ? "" : "No MIDI input: neither the ALSA sequencer nor a JACK server is there.";
  }
  std::vector<std::string> names;
  for (const cPort& p : ports) names.push_back(p.name);
  return names;
}

cMidiInput::cMidiInput(cMidiReceiver& receiver, int pollMs) : receiver(receiver), pollMs(pollMs) {}

void cMidiInput::OnMessage(double, std::vector<unsigned char>* message, void* user) {
  if (message == nullptr) return;
  cMidiEvent event = DecodeMidi(message->data(), message->size());
  if (event.kind == eMidiKind::none) return;
  event.arrivalNs = SteadyNowNs();
  const auto* source = static_cast<const cSource*>(user);
  source->owner->receiver.Receive(source->slot, event);
}

cMidiInput::~cMidiInput() { SetInput("none"); }

std::string cMidiInput::SetInput(const std::string& wanted) {
  {
    std::lock_guard<std::mutex> guard(lock);
    stopWatching = true;
  }
  wake.notify_all();
  if (watcher.joinable()) watcher.join();

  std::lock_guard<std::mutex> guard(lock);
  if (CloseSourcesLocked([](const cSource&, const void*) { return true; }, nullptr))
    receiver.SourcesClosed();
  setting = wanted;
  listenAll = setting == "all";
  if (setting.empty() || setting == "none") {
    systems.reset();  // no MIDI client stays open
    return "";
  }
  if (!systems) systems = std::make_unique<cMidiSystems>();
  const bool any = RescanLocked();
  stopWatching = false;
  watcher = std::thread(&cMidiInput::WatchLoop, this);
  if (!any) return "No MIDI input: neither the ALSA sequencer nor a JACK server is there.";
  if (!listenAll && sources.empty())
    return "MIDI input \"" + setting + "\" is not there: it opens when it appears.";
  return "";
}

std::vector<std::string> cMidiInput::OpenSources() {
  std::lock_guard<std::mutex> guard(lock);
  std::vector<std::string> names;
  for (const auto& s : sources) names.push_back(s->name);
  return names;
}

void cMidiInput::WatchLoop() {
  std::unique_lock<std::mutex> guard(lock);
  while (!stopWatching) {
    wake.wait_for(guard, std::chrono::milliseconds(pollMs), [this] { return stopWatching; });
    if (!stopWatching) RescanLocked();
  }
}

bool cMidiInput::Wanted(const std::string& name) const {
  if (listenAll) return true;
  std::string bare;
  AlsaPortName(setting, bare);  // a setting copied with the ALSA numbers
  return name == setting || name == bare;
}

bool cMidiInput::RescanLocked() {
  std::vector<cPort> ports;
  const bool any = systems->List(ports);
  bool closed = false;
  // Sources on a JACK server that went away are dead, whatever the new
  // server holds.
  if (systems->jack.Losses() != systems->jackLosses) {
    systems->jackLosses = systems->jack.Losses();
    closed |=
        CloseSourcesLocked([](const cSource& s, const void*) { return s.api == kJack; }, nullptr);
  }
  closed |= CloseSourcesLocked(
      [](const cSource& s, const void* arg) {
        for (const cPort& p : *static_cast<const std::vector<cPort>*>(arg)) {
          if (p.api == s.api && p.name == s.name) return false;
        }
        return true;
      },
      &ports);
  if (closed) receiver.SourcesClosed();
  for (const cPort& p : ports) {
    if (!Wanted(p.name)) continue;
    bool open = false;
    for (const auto& s : sources) open |= s->api == p.api && s->name == p.name;
    if (!open) OpenSourceLocked(p.api, p.name);
  }
  return any;
}

bool cMidiInput::CloseSourcesLocked(bool (*which)(const cSource&, const void*), const void* arg) {
  bool closed = false;
  cMutedCerr quiet;
  for (auto it = sources.begin(); it != sources.end();) {
    if (which(**it, arg)) {
      // Ends the source's MIDI thread: no message arrives after this.
      (*it)->in.reset();
      it = sources.erase(it);
      closed = true;
    } else {
      ++it;
    }
  }
  return closed;
}

void cMidiInput::OpenSourceLocked(int api, const std::string& name) {
  bool used[kMidiSources] = {};
  for (const auto& s : sources) used[s->slot] = true;
  int slot = 0;
  while (slot < kMidiSources && used[slot]) ++slot;
  if (slot == kMidiSources) return;

  auto source = std::make_unique<cSource>();
  source->owner = this;
  source->slot = slot;
  source->api = eApi(api);
  source->name = name;
  source->in = MakeInput(source->api);
  if (!source->in) return;
  cMutedCerr quiet;
  // The port's number now: the list may have changed since it was read.
  const unsigned int count = source->in->getPortCount();
  for (unsigned int i = 0; i < count; ++i) {
    if (PortName(source->api, source->in->getPortName(i)) != name) continue;
    source->in->ignoreTypes(true, true, true);
    source->in->setCallback(OnMessage, source.get());
    source->in->openPort(i, "MIDI in");
    if (source->in->isPortOpen()) sources.push_back(std::move(source));
    return;
  }
}
