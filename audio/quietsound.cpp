#include "audio/quietsound.h"

#include <dlfcn.h>

#include <iostream>
#include <mutex>

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

cMutedCerr::cMutedCerr() : saved(std::cerr.rdbuf(&sink)) {}

cMutedCerr::~cMutedCerr() { std::cerr.rdbuf(saved); }
