// The key table as data: every row reachable, and the help line and the
// manual drawn from it.

#include "editor/keytable.h"

#include <gtest/gtest.h>

#include "editor/patterneditor.h"
#include "support/manualsection.h"

namespace {

constexpr cKeyDoc kOne{"A one", "First. Second."};
constexpr cKeyDoc kTwo{nullptr, ".dot and \\ back"};
constexpr cKeyDoc kThree{"Minus it", "Takes away."};

// clang-format off
constexpr cKeyRow kSmall[] = {
    {'A',         kAnyModifiers, kEveryPage,   eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, &kOne},
    {kVkSubtract, kCtrlShift,    kPatternPage, eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, &kThree},
    {kVkF5,       kCtrlOnly,     kPatternPage, eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, nullptr},
    {kVkOem5,     kWithShift,    kOtherPages,  eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, &kTwo},
    {'A',         kAnyModifiers, kOtherPages,  eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, &kOne},
    {kVkPrior,    kWithoutCtrl,  kPatternPage, eKeyWhen::kAlways, eRefused::kConsumed, nullptr, kThenNothing, &kOne},
};
// clang-format on

// The manual page's entries between the two marker lines.
std::string ManualKeys() { return ManualSection("keys of the key table").value_or("(no markers)"); }

}  // namespace

TEST(KeyTable, ReferenceGroupsTheRowsOfEachDocInTheirOrder) {
  const auto reference = KeyReference(kSmall);
  ASSERT_EQ(reference.size(), 3u);
  // A key on two pages is told once; the rows of a doc need not be adjacent.
  EXPECT_EQ(reference[0].keys, (std::vector<std::string>{"A", "Page Up"}));
  EXPECT_EQ(reference[1].keys, (std::vector<std::string>{"Ctrl+Shift+Keypad -"}));
  EXPECT_EQ(reference[2].keys, (std::vector<std::string>{"Shift+\\"}));
  EXPECT_EQ(KeyHelpLine(kSmall), "A one  Minus it");
  EXPECT_EQ(KeyManual(kSmall),
            ".TP\n.B \"A, Page Up\"\nFirst.\nSecond.\n"
            ".TP\n.B \"Ctrl+Shift+Keypad \\-\"\nTakes away.\n"
            ".TP\n.B \"Shift+\\e\"\n\\&.dot and \\e back\n");
}

// A row that an earlier row shadows on every page and with every modifier
// would never run: a key added after its catch-all form.
TEST(KeyTable, EveryRowOfTheEditorRuns) {
  const auto keys = cPatternEditor::Keys();
  for (size_t i = 0; i < keys.size(); ++i) {
    bool runs = false;
    for (uint8_t page : {kPatternPage, kOtherPages}) {
      for (int modifiers : {0, int(kModShift), int(kModCtrl), kModShift | kModCtrl}) {
        const cKey key{keys[i].vk, 0, modifiers};
        const auto first = std::find_if(keys.begin(), keys.end(),
                                        [&](const cKeyRow& r) { return r.Names(key, page); });
        if (first == keys.begin() + ptrdiff_t(i)) runs = true;
      }
    }
    EXPECT_TRUE(runs) << "row " << i << ": " << KeyLabel(keys[i]);
  }
}

TEST(KeyTable, TheManualPageTellsTheTablesKeys) {
  const std::string drawn = KeyManual(cPatternEditor::Keys());
  EXPECT_EQ(ManualKeys(), drawn)
      << "data/man/murvelon.1 should hold, between its key table markers:\n"
      << drawn;
}
