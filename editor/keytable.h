#pragma once
// The keys as data. Each row names a key, the modifiers it wants, the pages
// it acts on and when, what it does and what is drawn after it, and what a
// musician is told about it. The key filter runs the first row that names
// the key; the key help line, the manual page's key section and any other
// key reference are drawn from the same rows. A new key is one row and its
// action.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "editor/keys.h"

class cPatternEditor;

// The modifiers a row wants: those in mask must be as in value. Alt is never
// looked at.
struct cModifiers {
  int mask;
  int value;
  constexpr bool Match(int modifiers) const { return (modifiers & mask) == value; }
};
constexpr cModifiers kAnyModifiers{0, 0};
constexpr cModifiers kNoModifiers{kModShift | kModCtrl, 0};
constexpr cModifiers kShiftOnly{kModShift | kModCtrl, kModShift};
constexpr cModifiers kCtrlOnly{kModShift | kModCtrl, kModCtrl};
constexpr cModifiers kCtrlShift{kModShift | kModCtrl, kModShift | kModCtrl};
constexpr cModifiers kWithoutCtrl{kModCtrl, 0};
constexpr cModifiers kWithCtrl{kModCtrl, kModCtrl};
constexpr cModifiers kWithoutShift{kModShift, 0};
constexpr cModifiers kWithShift{kModShift, kModShift};

// The pages a row acts on.
enum : uint8_t {
  kPatternPage = 1,
  kOtherPages = 2,  // the instrument and the channel page
  kEveryPage = kPatternPage | kOtherPages,
};

// When a row acts; outside that the key does nothing.
enum class eKeyWhen : uint8_t {
  kAlways,
  kStopped,   // the transport stands
  kEditMode,  // typed keys change the pattern
};

// What a key that a row names does outside the row's condition.
enum class eRefused : uint8_t {
  kConsumed,
  kPassedOn,  // to the menus and the focused control
};

// What follows a row's action, in this order.
enum : uint8_t {
  kThenNothing = 0,
  kThenRepaint = 1,  // the pattern picture as drawn is shown again, where it is shown
  kThenMove = 2,     // a fresh working copy, the view draws what moved and is shown
  kThenRedraw = 4,   // a fresh working copy, the whole view drawn and shown
  // Status panel 0 tells the cursor's sub-column on the pattern page, its
  // channel on the others; this one follows a refused key too.
  kThenHelp = 8,
};

// What the help line and the manual say about one or more rows.
struct cKeyDoc {
  const char* line;    // the item on the pattern page's key help line; null: none
  const char* manual;  // the manual's text, one or more sentences
};

struct cKeyRow {
  int vk;
  cModifiers modifiers;
  uint8_t pages;
  eKeyWhen when;
  eRefused refused;
  void (*action)(cPatternEditor&);  // null: only what follows
  uint8_t then;
  const cKeyDoc* doc;  // null: not told (a form that does nothing, a developer's key)

  bool Names(const cKey& key, uint8_t page) const {
    return key.vk == vk && modifiers.Match(key.modifiers) && (pages & page) != 0;
  }
};

// "Page Up", "Keypad +", "F5"; a key's name as the help and the manual
// write it.
std::string KeyName(int vk);
// The row's key with the modifiers it asks for: "Ctrl+Shift+F3".
std::string KeyLabel(const cKeyRow& row);

// One entry of a key reference: the keys of the rows that share a doc, in
// the rows' order, and the doc.
struct cKeyReference {
  std::vector<std::string> keys;
  const cKeyDoc* doc;
};
// The documented rows grouped by their doc, in the order of the docs' first
// rows.
std::vector<cKeyReference> KeyReference(std::span<const cKeyRow> rows);
// The docs' help-line items, two blanks apart.
std::string KeyHelpLine(std::span<const cKeyRow> rows);
// The manual page's entries for the rows, in roff: a tagged paragraph per
// doc.
std::string KeyManual(std::span<const cKeyRow> rows);
