#pragma once
// The lines of the program's manual page between two marker comments, for
// the tests that hold a section of the page to the table it is drawn from.

#include <fstream>
#include <optional>
#include <sstream>
#include <string>

// The text between ".\" The NAME begin here." and ".\" The NAME end here.",
// or nothing when the page lacks the markers.
inline std::optional<std::string> ManualSection(const std::string& name) {
  std::ifstream file(MURVELON_SOURCE_DIR "/data/man/murvelon.1");
  std::stringstream all;
  all << file.rdbuf();
  const std::string text = all.str();
  const std::string begin = ".\\\" The " + name + " begin here.\n";
  const std::string end = ".\\\" The " + name + " end here.\n";
  const size_t from = text.find(begin), to = text.find(end);
  if (from == std::string::npos || to == std::string::npos || to < from) return std::nullopt;
  return text.substr(from + begin.size(), to - from - begin.size());
}
