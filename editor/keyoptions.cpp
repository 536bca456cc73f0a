#include "editor/keyoptions.h"

#include <algorithm>
#include <cctype>

#include "app/config.h"

eDigitAdvance DigitAdvanceOf(const std::string& name) {
  const auto same = [&name](const cDigitAdvanceName& n) {
    const std::string want = n.name;
    return std::equal(name.begin(), name.end(), want.begin(), want.end(), [](char a, char b) {
      return std::tolower(static_cast<unsigned char>(a)) == b;
    });
  };
  const auto* found = std::find_if(kDigitAdvanceNames.begin(), kDigitAdvanceNames.end(), same);
  return found == kDigitAdvanceNames.end() ? eDigitAdvance::kDigit : found->advance;
}

const char* NameOf(eDigitAdvance advance) {
  for (const cDigitAdvanceName& n : kDigitAdvanceNames) {
    if (n.advance == advance) return n.name;
  }
  return kDigitAdvanceNames[0].name;
}

cKeyOptions KeyOptionsOf(const cConfig& config) {
  return cKeyOptions{config.previewRelease != 0, DigitAdvanceOf(config.digitAdvance)};
}
