#pragma once
// A key press as the editors see it: the virtual-key code of the printed key
// (letters and digits are their upper-case ASCII codes), the X11 keycode of
// the physical key (0 when the platform gives none) and the modifiers held.
// The window translates its key events into this; the editors never see the
// toolkit's own key events.

#include <cstdint>

// Virtual-key codes.
enum : int {
  kVkBack = 0x08,
  kVkTab = 0x09,
  kVkReturn = 0x0D,
  kVkEscape = 0x1B,
  kVkSpace = 0x20,
  kVkPrior = 0x21,  // Page Up
  kVkNext = 0x22,   // Page Down
  kVkEnd = 0x23,
  kVkHome = 0x24,
  kVkLeft = 0x25,
  kVkUp = 0x26,
  kVkRight = 0x27,
  kVkDown = 0x28,
  kVkInsert = 0x2D,
  kVkDelete = 0x2E,
  kVkNumpad0 = 0x60,
  kVkNumpad7 = 0x67,
  kVkNumpad8 = 0x68,
  kVkNumpad9 = 0x69,
  kVkMultiply = 0x6A,  // numeric keypad *
  kVkAdd = 0x6B,       // numeric keypad +
  kVkSubtract = 0x6D,  // numeric keypad -
  kVkDivide = 0x6F,    // numeric keypad /
  kVkF1 = 0x70,
  kVkF2 = 0x71,
  kVkF3 = 0x72,
  kVkF4 = 0x73,
  kVkF5 = 0x74,
  kVkF6 = 0x75,
  kVkF7 = 0x76,
  kVkF8 = 0x77,
  kVkF9 = 0x78,
  kVkF12 = 0x7B,
  kVkOemComma = 0xBC,
  kVkOemPeriod = 0xBE,  // the full-stop key
  kVkOem5 = 0xDC,       // backslash on a US layout
};

// Modifier bits. Alt is carried but the pattern keys ignore it.
enum : int {
  kModShift = 1,
  kModCtrl = 2,
  kModAlt = 4,
};

struct cKey {
  int vk = 0;
  int scanCode = 0;  // X11 keycode (evdev code + 8); 0: unknown
  int modifiers = 0;
  bool repeat = false;  // sent again by the keyboard while the key is held

  bool Shift() const { return (modifiers & kModShift) != 0; }
  bool Ctrl() const { return (modifiers & kModCtrl) != 0; }
};
