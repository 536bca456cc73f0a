#include "song/fileresult.h"

#include <cstring>

namespace {

struct cPartWords {
  const char* section;  // "the file ends early before the ..."
  const char* items;    // "... 2 of 3 ... were read"
};

cPartWords Words(eSongPart part) {
  switch (part) {
    case eSongPart::kSettings:
      return {"song settings", "song settings"};
    case eSongPart::kSequence:
      return {"sequence", "sequence positions"};
    case eSongPart::kPatterns:
      return {"patterns", "patterns"};
    case eSongPart::kInstruments:
      return {"instruments", "instruments"};
    case eSongPart::kEffects:
      return {"effects", "effect chains"};
    case eSongPart::kSamples:
      return {"samples", "samples"};
    case eSongPart::kWhole:
      break;
  }
  return {nullptr, nullptr};
}

// "the file ends early" or "the file is damaged", and what was read.
std::string Fault(const char* fault, const cFileResult& r) {
  std::string text = std::string("the file ") + fault;
  const cPartWords words = Words(r.part);
  if (words.section == nullptr) return text;
  if (r.total == 0) {
    return r.problem == eFileProblem::kDamaged
               ? text + ": its " + words.section + " could not be read"
               : text + " before the " + words.section;
  }
  return text + ": " + std::to_string(r.done) + " of " + std::to_string(r.total) + " " +
         words.items + " were read";
}

}  // namespace

std::string FileResultReason(const cFileResult& r, const std::string& notThisKind) {
  switch (r.problem) {
    case eFileProblem::kNone:
      return {};
    case eFileProblem::kSystem:
      return std::strerror(r.sysError);
    case eFileProblem::kNotThisKind:
      return r.detail.empty() ? notThisKind : r.detail;
    case eFileProblem::kTooLarge:
      return "the file (" + std::to_string(r.done) + " bytes) is larger than the largest song (" +
             std::to_string(r.total) + " bytes)";
    case eFileProblem::kEndsEarly:
      return Fault("ends early", r);
    case eFileProblem::kDamaged:
      return Fault("is damaged", r);
  }
  return {};
}
