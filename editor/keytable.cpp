#include "editor/keytable.h"

#include <algorithm>
#include <cstdio>

std::string KeyName(int vk) {
  switch (vk) {
    case kVkBack:
      return "Backspace";
    case kVkTab:
      return "Tab";
    case kVkReturn:
      return "Enter";
    case kVkEscape:
      return "Escape";
    case kVkSpace:
      return "Space";
    case kVkPrior:
      return "Page Up";
    case kVkNext:
      return "Page Down";
    case kVkEnd:
      return "End";
    case kVkHome:
      return "Home";
    case kVkLeft:
      return "Left";
    case kVkUp:
      return "Up";
    case kVkRight:
      return "Right";
    case kVkDown:
      return "Down";
    case kVkInsert:
      return "Insert";
    case kVkDelete:
      return "Delete";
    case kVkOemComma:
      return ",";
    case kVkOemPeriod:
      return ".";
    case kVkOem5:
      return "\\";
    default:
      break;
  }
  if (vk >= kVkNumpad0 && vk <= kVkNumpad0 + 9) return "Keypad " + std::to_string(vk - kVkNumpad0);
  // The keypad's operators, from 0x6A: * + (separator) - . /
  static constexpr char kKeypadSigns[] = "*+,-./";
  if (vk >= 0x6A && vk <= 0x6F) return std::string("Keypad ") + kKeypadSigns[vk - 0x6A];
  if (vk >= kVkF1 && vk < kVkF1 + 24) return "F" + std::to_string(vk - kVkF1 + 1);
  if ((vk >= '0' && vk <= '9') || (vk >= 'A' && vk <= 'Z')) return std::string(1, char(vk));
  char unknown[16];
  std::snprintf(unknown, sizeof unknown, "Key %02X", unsigned(vk) & 0xFFu);
  return unknown;
}

std::string KeyLabel(const cKeyRow& row) {
  std::string label;
  if (row.modifiers.value & kModCtrl) label += "Ctrl+";
  if (row.modifiers.value & kModShift) label += "Shift+";
  return label + KeyName(row.vk);
}

std::vector<cKeyReference> KeyReference(std::span<const cKeyRow> rows) {
  std::vector<cKeyReference> entries;
  for (const cKeyRow& row : rows) {
    if (row.doc == nullptr) continue;
    auto entry = std::find_if(entries.begin(), entries.end(),
                              [&](const cKeyReference& e) { return e.doc == row.doc; });
    if (entry == entries.end()) entry = entries.insert(entries.end(), cKeyReference{{}, row.doc});
    // A key that acts on two pages is told once.
    const std::string label = KeyLabel(row);
    if (std::find(entry->keys.begin(), entry->keys.end(), label) == entry->keys.end())
      entry->keys.push_back(label);
  }
  return entries;
}

std::string KeyHelpLine(std::span<const cKeyRow> rows) {
  std::string line;
  for (const cKeyReference& entry : KeyReference(rows)) {
    if (entry.doc->line == nullptr) continue;
    if (!line.empty()) line += "  ";
    line += entry.doc->line;
  }
  return line;
}

namespace {

// Text for roff: a backslash printed as itself, and no line that starts with
// a control character.
std::string RoffText(const std::string& text) {
  std::string out;
  bool lineStart = true;
  for (char c : text) {
    if (lineStart && (c == '.' || c == '\'')) out += "\\&";
    if (c == '\\') {
      out += "\\e";
    } else {
      out += c;
    }
    lineStart = c == '\n';
  }
  return out;
}

// One sentence a line, as roff sources are written.
std::string SentencePerLine(const char* text) {
  std::string out = text;
  for (size_t at = out.find(". "); at != std::string::npos; at = out.find(". ", at + 1))
    out[at + 1] = '\n';
  return out;
}

}  // namespace

std::string KeyManual(std::span<const cKeyRow> rows) {
  std::string manual;
  for (const cKeyReference& entry : KeyReference(rows)) {
    manual += ".TP\n.B \"";
    for (const std::string& key : entry.keys) {
      if (&key != &entry.keys.front()) manual += ", ";
      // In a key's name a dash is the minus key; a quote is doubled inside
      // the quoted argument.
      for (char c : key) {
        manual += c == '\\' ? "\\e" : c == '-' ? "\\-" : c == '"' ? "\"\"" : std::string(1, c);
      }
    }
    manual += "\"\n" + RoffText(SentencePerLine(entry.doc->manual)) + "\n";
  }
  return manual;
}
