#pragma once
// The effect commands told from the command table: the manual page's
// entries, as roff.

#include <string>

// One ".TP" entry per table row: the command bytes and name, what the
// parameter does, and who acts on it.
std::string CommandManual();
