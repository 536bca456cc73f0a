#pragma once
// The program's versions: the package's (from the build's project version)
// and the one the window's caption and the system window name.

#ifndef MURVELON_PACKAGE_VERSION
#define MURVELON_PACKAGE_VERSION "0.1"
#endif
#define MURVELON_VERSION_TEXT "0.o150a"
