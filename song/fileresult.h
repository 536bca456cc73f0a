#pragma once
// Why a file operation went as it did, carried beside its 1 or 0 from the
// loaders and writers up to the window and the command line, which word it.
// A load that returned 1 may still say that the file ends early or is
// damaged: it then kept what it read whole before the fault.

#include <cstdint>
#include <string>

enum class eFileProblem : uint8_t {
  kNone,
  kSystem,       // the system refused: sysError holds its code
  kNotThisKind,  // the file is not one of the kind asked for
  kTooLarge,     // larger than the largest file of its kind (done: its size, total: the largest)
  kEndsEarly,    // cut short: done of total items of part were read
  kDamaged,      // a value no writer of the kind makes: done of total items of part were read
};

// The part of a song file being read when it turned out cut short or
// damaged; kWhole for files not made of parts (presets, WAV files).
enum class eSongPart : uint8_t {
  kWhole,
  kSettings,
  kSequence,
  kPatterns,
  kInstruments,
  kEffects,
  kSamples,
};

struct cFileResult {
  eFileProblem problem = eFileProblem::kNone;
  int sysError = 0;
  eSongPart part = eSongPart::kWhole;
  // Whole items of the part read, of how many; total 0 when the file ended
  // before it said how many. For kTooLarge, the file's size and the largest.
  uint64_t done = 0, total = 0;
  // For kNotThisKind, what the reader found the file to hold instead, when
  // it knows ("the file has 6 channels; ..."); empty: the caller words it.
  std::string detail = {};

  bool Ok() const { return problem == eFileProblem::kNone; }

  static cFileResult System(int code) { return {eFileProblem::kSystem, code}; }
  static cFileResult NotThisKind(std::string detail = {}) {
    cFileResult result{eFileProblem::kNotThisKind};
    result.detail = std::move(detail);
    return result;
  }
  static cFileResult TooLarge(uint64_t size, uint64_t largest) {
    return {eFileProblem::kTooLarge, 0, eSongPart::kWhole, size, largest};
  }
  static cFileResult EndsEarly(eSongPart part = eSongPart::kWhole, uint64_t done = 0,
                               uint64_t total = 0) {
    return {eFileProblem::kEndsEarly, 0, part, done, total};
  }
  static cFileResult Damaged(eSongPart part, uint64_t done, uint64_t total) {
    return {eFileProblem::kDamaged, 0, part, done, total};
  }
};

// Hands the result to a caller that asked for it (why may be null).
inline void Tell(cFileResult* why, const cFileResult& result) {
  if (why != nullptr) *why = result;
}

// The reason in the words every front end shows after the file's path:
// the system's own text ("No such file or directory"), "the file ends
// early: 2 of 3 samples were read", ... For a file that is not of the kind
// asked for, the reader's detail, or else notThisKind (the caller knows what
// kind it wanted).
std::string FileResultReason(const cFileResult& result, const std::string& notThisKind = {});
