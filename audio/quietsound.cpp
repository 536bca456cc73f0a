#include "audio/quietsound.h"

#include <dlfcn.h>

#include <iostream>
#include <mutex>
#include <streambuf>

extern "C" {
static void QuietAlsa(const char*, int, const char*, int, const char*, ...) {}
static void QuietJack(const char*) {}
}

void QuietSoundLibraries() {
  static std::once_flag once;
  std::call_once(once, [] {
    using AlsaHandler = void (*)(const char*, int, const char*, int, const char*, ...);
    if (void* set = dlsym(RTLD_DEFAULT, "snd_lib_error_set_handler")) {
      reinterpret_cast<int (*)(AlsaHandler)>(set)(QuietAlsa);
    }
    using JackHandler = void (*)(const char*);
    for (const char* name : {"jack_set_error_function", "jack_set_info_function"}) {
      if (void* set = dlsym(RTLD_DEFAULT, name))
        reinterpret_cast<void (*)(JackHandler)>(set)(QuietJack);
    }
  });
}

namespace {

struct cSink : std::streambuf {
  int overflow(int c) override { return traits_type::not_eof(c); }
};

std::mutex muteLock;
int mutes = 0;                      // under muteLock
std::streambuf* unmuted = nullptr;  // under muteLock
cSink sink;

}  // namespace

cMutedCerr::cMutedCerr() {
  std::lock_guard<std::mutex> guard(muteLock);
  if (mutes++ == 0) unmuted = std::cerr.rdbuf(&sink);
}

cMutedCerr::~cMutedCerr() {
  std::lock_guard<std::mutex> guard(muteLock);
  if (--mutes == 0) std::cerr.rdbuf(unmuted);
}
