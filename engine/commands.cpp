#include "engine/commands.h"

#include <cstdio>

namespace {

constexpr uint8_t kSetTick = kOnSet | kOnTick;
using enum eCommandTarget;
using enum eParamWords;

constexpr const char* kSlotParameter =
    "The command's low digit and xx go to the slot's effect. FastFilter 24db: "
    "0 restores its own settings; 1, 5, 9, D set the type (xx & 1: high-pass); "
    "2, 6, A, E set the cutoff to (xx & 7F) x 258 and the type to bit 7 of xx; "
    "3, 7, B, F set the resonance to xx & 7F; 4, 8, C set the cutoff to xx x 128.5. "
    "The song keeps the filter's settings; other effects ignore the command";

// clang-format off
constexpr cCommandInfo kCommands[] = {
    // bytes      name                  parameter
    //   who        Synthesizer, Sampler, FM Synth      status wording
    {0x01, 0x01, "Pitch slide up",     "xx: how far the pitch rises at every tick",
       kGenerators, {kOnTick, kOnTick, 0},             kAmount,   "by ", nullptr},
    {0x02, 0x02, "Pitch slide down",   "xx: how far the pitch falls at every tick, down to silence",
       kGenerators, {kOnTick, kOnTick, 0},             kAmount,   "by ", nullptr},
    {0x03, 0x03, "Slide to note",      "The synthesizers: a note on this row only retunes, without "
                                       "restarting the envelopes (xx unused); the sampler: xx is how far "
                                       "the pitch moves back toward the note's own at every tick",
       kGenerators, {kOnNoteOn, kOnTick, kOnNoteOn},   kAmount,   "by ", nullptr},
    {0x08, 0x08, "Arpeggio",           "xy: the note, the note + x, the note + y semitones on ticks "
                                       "0, 1, 2, over and over",
       kGenerators, {kSetTick, kSetTick, kSetTick},    kNibbles,  "+", "+"},
    {0x0A, 0x0A, "Volume slide",       "xy: up by x, down by y at every tick (the sampler first "
                                       "returns to the instrument's volume)",
       kGenerators, {kOnTick, kSetTick, kOnTick},      kNibbles,  "up ", "down "},
    {0x0C, 0x0C, "Set volume",         "xx: the volume, 00-7F (40 plays at the instrument's level)",
       kGenerators, {kOnSet, kOnSet | kOnNoteOn, kOnSet}, kAmount, "", nullptr},
    {0x0D, 0x0D, "Pattern break",      "xx: after this row, the next sequence position from row "
                                       "xx & 3F",
       kPlayer,     {0, 0, 0},                         kRow,      nullptr, nullptr},
    {0x0F, 0x0F, "Speed / tempo",      "xx: 00-1F ticks per row (00 halts the rows), 20-FF beats "
                                       "per minute",
       kPlayer,     {0, 0, 0},                         kSpeedOrBpm, nullptr, nullptr},
    {0x18, 0x18, "Chord",              "xy: the note also sounds x and y semitones higher (0: not)",
       kGenerators, {0, kOnNoteOn, 0},                 kNibbles,  "+", "+"},
    {0x19, 0x19, "Sample offset",      "xx: the note starts xx/256 of the way into the sample",
       kGenerators, {0, kOnNoteOn, 0},                 kAmount,   "at ", "/256"},
    {0x1A, 0x1A, "Keep voices",        "The note does not release the voices already sounding "
                                       "(xx unused)",
       kGenerators, {0, kOnNoteOn, 0},                 kNone,     nullptr, nullptr},
    {0x20, 0x20, "Filter cutoff",      "xx: the filter cutoff (the instrument's Cutoff, 00-FF)",
       kGenerators, {kOnSet, 0, 0},                    kAmount,   "", nullptr},
    {0x21, 0x21, "Filter resonance",   "xx: the filter resonance, xx/256",
       kGenerators, {kOnSet, 0, 0},                    kAmount,   "", "/256"},
    {0xA0, 0xAF, "Effect slot 1",      kSlotParameter,
       kSlot,       {0, 0, 0},                         kSlotEffect, nullptr, nullptr},
    {0xB0, 0xBF, "Effect slot 2",      kSlotParameter,
       kSlot,       {0, 0, 0},                         kSlotEffect, nullptr, nullptr},
    {0xC0, 0xCF, "Effect slot 3",      kSlotParameter,
       kSlot,       {0, 0, 0},                         kSlotEffect, nullptr, nullptr},
    {0xD0, 0xDF, "Effect slot 4",      kSlotParameter,
       kSlot,       {0, 0, 0},                         kSlotEffect, nullptr, nullptr},
};
// clang-format on

std::string Hex(int value) {
  char text[4];
  std::snprintf(text, sizeof text, "%02X", value & 0xFF);
  return text;
}

// What the filter in the slot does with the command's low digit n.
std::string SlotEffectWords(int n, int p) {
  if (n == 0) return "filter settings restored";
  switch ((n - 1) % 4) {
    case 0:
      return (p & 1) ? "filter high-pass" : "filter low-pass";
    case 1:
      return std::string((p & 0x80) ? "filter high-pass" : "filter low-pass") + ", cutoff " +
             std::to_string((p & 127) * 258);
    case 2:
      return "filter resonance " + std::to_string(p & 127);
    default:
      return "filter cutoff " + std::to_string(int(float(p) * 128.499f));
  }
}

std::string ParameterWords(const cCommandInfo& info, uint8_t command, uint8_t p) {
  const std::string tail = info.word2 ? info.word2 : "";
  switch (info.words) {
    case kNone:
      return {};
    case kAmount:
      return info.word1 + std::to_string(p) + tail;
    case kNibbles:
      return info.word1 + std::to_string(p >> 4) + ", " + tail + std::to_string(p & 15);
    case kRow:
      return "row " + std::to_string(p & 63);
    case kSpeedOrBpm:
      return p < 32 ? "speed " + std::to_string(p) : "BPM " + std::to_string(p);
    case kSlotEffect:
      return SlotEffectWords(command & 15, p);
  }
  return {};
}

}  // namespace

std::span<const cCommandInfo> CommandTable() { return kCommands; }

const cCommandInfo* FindCommand(uint8_t command) {
  for (const cCommandInfo& info : kCommands) {
    if (command >= info.first && command <= info.last) return &info;
  }
  return nullptr;
}

bool GeneratorActsOn(int32_t kind, uint8_t command) {
  const cCommandInfo* info = FindCommand(command);
  return info != nullptr && kind >= 0 && kind < kGenKinds && info->when[kind] != 0;
}

int CommandSlot(uint8_t command) {
  const cCommandInfo* info = FindCommand(command);
  return info != nullptr && info->target == kSlot ? (command >> 4) - 0xA : -1;
}

std::string CommandText(uint8_t command, uint8_t parameter) {
  const cCommandInfo* info = FindCommand(command);
  if (info == nullptr) return Hex(command) + " no such command";
  const std::string words = ParameterWords(*info, command, parameter);
  return Hex(command) + " " + info->name + (words.empty() ? "" : ", " + words);
}

std::string CommandActors(const cCommandInfo& info) {
  if (info.target == kPlayer) return "the player";
  if (info.target == kSlot)
    return "the effect in slot " + std::to_string((info.first >> 4) - 0xA + 1) +
           " of the channel's chain";
  static const char* const kGenerator[kGenKinds] = {"Synthesizer", "Sampler", "FM Synth"};
  std::string out;
  for (int kind = 0; kind < kGenKinds; ++kind) {
    const uint8_t when = info.when[kind];
    if (when == 0) continue;
    std::string times;
    for (auto [bit, word] : {std::pair{kOnSet, "set"}, {kOnTick, "tick"}, {kOnNoteOn, "note"}}) {
      if (when & bit) times += (times.empty() ? "" : ", ") + std::string(word);
    }
    out += (out.empty() ? "" : "; ") + std::string(kGenerator[kind]) + ": " + times;
  }
  return out;
}

std::string CommandParameter(const cCommandInfo& info) {
  for (const cCommandInfo& earlier : kCommands) {
    if (&earlier == &info) break;
    if (earlier.parameter == info.parameter) return "As " + CommandBytes(earlier);
  }
  return info.parameter;
}

std::string CommandBytes(const cCommandInfo& info) {
  return info.first == info.last ? Hex(info.first) : Hex(info.first) + "-" + Hex(info.last);
}
