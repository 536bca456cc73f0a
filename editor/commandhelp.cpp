#include "editor/commandhelp.h"

#include "engine/commands.h"

namespace {

// A range of bytes is told with a minus sign; the texts themselves hold no
// backslash and start no line with a control character.
std::string RoffBytes(const cCommandInfo& info) {
  std::string bytes = CommandBytes(info);
  const size_t dash = bytes.find('-');
  if (dash != std::string::npos) bytes.replace(dash, 1, "\\-");
  return bytes;
}

}  // namespace

std::string CommandManual() {
  std::string manual;
  for (const cCommandInfo& info : CommandTable()) {
    manual += ".TP\n.B \"" + RoffBytes(info) + "  " + info.name + "\"\n";
    manual += CommandParameter(info) + ".\n";
    manual += "Acts: " + CommandActors(info) + ".\n";
  }
  return manual;
}
