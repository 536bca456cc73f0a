#pragma once
// The effect commands a cell's two command columns can hold: for each
// command byte its name, what its parameter means and who acts on it (the
// three generators, the player, or an effect slot of the channel's chain).
// The table describes what the generators, the row processor and the
// effects do; it drives none of them. The help window, the status bar and
// the manual page are written from it, and the engine tests hold the
// generators to it.

#include <cstdint>
#include <span>
#include <string>

#include "engine/generator.h"

// When a generator acts on a command it holds (bits).
enum : uint8_t {
  kOnSet = 1,     // as the row gives it the command
  kOnTick = 2,    // at every further tick of the row
  kOnNoteOn = 4,  // when a note starts on that row
};

// Who else acts on it.
enum class eCommandTarget : uint8_t {
  kGenerators,  // only the generators marked in `when`
  kPlayer,      // speed, tempo, pattern break
  kSlot,        // the effect in a slot of the channel's chain
};

// How the status bar words a parameter.
enum class eParamWords : uint8_t {
  kNone,        // the parameter is not used
  kAmount,      // "<word1> 55"
  kNibbles,     // "<word1>4, <word2>0"
  kRow,         // "row 16" (the parameter's low six bits)
  kSpeedOrBpm,  // "speed 6" below 32, else "BPM 125"
  kSlotEffect,  // by the command's low digit, as the filter takes it
};

struct cCommandInfo {
  uint8_t first, last;  // the command bytes it covers
  const char* name;
  const char* parameter;  // what the parameter means, for the help window and the manual
  eCommandTarget target;
  uint8_t when[kGenKinds];  // indexed by generator type; 0: that generator ignores it
  eParamWords words;
  const char* word1;
  const char* word2;
};

std::span<const cCommandInfo> CommandTable();

// The entry covering a command byte; null for a byte nothing acts on.
const cCommandInfo* FindCommand(uint8_t command);

// Whether a generator of a kind (kGenBass, kGenSampler, kGenFM) acts on a
// command byte.
bool GeneratorActsOn(int32_t kind, uint8_t command);

// The slot (0-3) of the channel's chain that a command byte addresses, or -1.
int CommandSlot(uint8_t command);

// "0A Volume slide, up 4, down 0"; "05 no such command".
std::string CommandText(uint8_t command, uint8_t parameter);

// "Synthesizer: tick; Sampler: set, tick", "the player" or "the effect in
// slot 1 of the channel's chain".
std::string CommandActors(const cCommandInfo& info);

// What the parameter does, or "As A0-AF" where an earlier entry told the same.
std::string CommandParameter(const cCommandInfo& info);

// "0A" or "A0-AF".
std::string CommandBytes(const cCommandInfo& info);
