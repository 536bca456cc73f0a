#pragma once
// The settings that change what typing does: whether a previewed note stops
// when its key is let go, and where the cursor goes after a hex digit.

#include <array>
#include <string>

struct cConfig;

enum class eDigitAdvance {
  kDigit,  // every digit moves the cursor on by the row advance
  kField,  // to the field's next digit; after its last, back to its first and on
};

struct cDigitAdvanceName {
  eDigitAdvance advance;
  const char* name;  // as the settings file writes it
  const char* told;  // as the Preferences window offers it
};
inline constexpr std::array<cDigitAdvanceName, 2> kDigitAdvanceNames{{
    {eDigitAdvance::kDigit, "digit", "Every digit moves on by RowAdd"},
    {eDigitAdvance::kField, "field", "A field's last digit moves on by RowAdd"},
}};

// The setting's value, in any case; any other text is "digit", as it has
// always been.
eDigitAdvance DigitAdvanceOf(const std::string& name);
// The name the settings file writes.
const char* NameOf(eDigitAdvance advance);

struct cKeyOptions {
  bool previewRelease = true;
  eDigitAdvance digitAdvance = eDigitAdvance::kDigit;
};

cKeyOptions KeyOptionsOf(const cConfig& config);
