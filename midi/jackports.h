#pragma once
// The MIDI sources of a JACK server, watched through one client of our own
// that stays open while there is a server: opening a client for every look
// would make every JACK program see a client come and go each second.

#include <atomic>
#include <cstdint>
#include <string>
#include <vector>

class cJackPorts {
 public:
  cJackPorts() = default;
  ~cJackPorts();
  cJackPorts(const cJackPorts&) = delete;
  cJackPorts& operator=(const cJackPorts&) = delete;

  // The full names of the server's MIDI output ports ("client:port"); false
  // when no server runs. Never starts a server.
  bool List(std::vector<std::string>& names);
  // Counts the servers that went away since the first List: a source opened
  // on one of them is dead even when a new server has a port of its name.
  uint32_t Losses() const { return losses; }

 private:
  static void OnShutdown(void* self);

  void* client = nullptr;  // jack_client_t
  std::atomic<bool> serverGone{false};
  uint32_t losses = 0;
};
