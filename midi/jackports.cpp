#include "midi/jackports.h"

#include <jack/jack.h>

#include "audio/quietsound.h"

cJackPorts::~cJackPorts() {
  if (client != nullptr) jack_client_close(static_cast<jack_client_t*>(client));
}

// JACK's notification thread
void cJackPorts::OnShutdown(void* self) {
  static_cast<cJackPorts*>(self)->serverGone.store(true, std::memory_order_release);
}

bool cJackPorts::List(std::vector<std::string>& names) {
  names.clear();
  QuietSoundLibraries();
  if (client != nullptr && serverGone.load(std::memory_order_acquire)) {
    jack_client_close(static_cast<jack_client_t*>(client));
    client = nullptr;
    ++losses;
  }
  if (client == nullptr) {
    serverGone.store(false);
    jack_status_t status{};
    jack_client_t* c = jack_client_open("Murvelon MIDI ports", JackNoStartServer, &status);
    if (c == nullptr) return false;
    jack_on_shutdown(c, OnShutdown, this);
    client = c;
  }
  const char** ports = jack_get_ports(static_cast<jack_client_t*>(client), nullptr,
                                      JACK_DEFAULT_MIDI_TYPE, JackPortIsOutput);
  if (ports != nullptr) {
    for (const char** p = ports; *p != nullptr; ++p) names.emplace_back(*p);
    jack_free(ports);
  }
  return true;
}
