// Scan codes of the US layout (set 1, as key messages carry them) and the
// mappings between keys, scan codes and characters.

#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

struct KeyScan {
  Byte Vk;
  uint16_t Scan;  // 0xE0xx for extended keys
};

// One entry per key; where two keys share a virtual key (the left and right
// Shift), the first one is the one a virtual key maps to.
constexpr KeyScan kKeys[] = {
    {VK_ESCAPE, 0x01}, {'1', 0x02}, {'2', 0x03}, {'3', 0x04}, {'4', 0x05}, {'5', 0x06}, {'6', 0x07},
    {'7', 0x08}, {'8', 0x09}, {'9', 0x0A}, {'0', 0x0B}, {VK_OEM_MINUS, 0x0C}, {VK_OEM_PLUS, 0x0D},
    {VK_BACK, 0x0E}, {VK_TAB, 0x0F}, {'Q', 0x10}, {'W', 0x11}, {'E', 0x12}, {'R', 0x13}, {'T', 0x14},
    {'Y', 0x15}, {'U', 0x16}, {'I', 0x17}, {'O', 0x18}, {'P', 0x19}, {VK_OEM_4, 0x1A}, {VK_OEM_6, 0x1B},
    {VK_RETURN, 0x1C}, {VK_LCONTROL, 0x1D}, {'A', 0x1E}, {'S', 0x1F}, {'D', 0x20}, {'F', 0x21},
    {'G', 0x22}, {'H', 0x23}, {'J', 0x24}, {'K', 0x25}, {'L', 0x26}, {VK_OEM_1, 0x27}, {VK_OEM_7, 0x28},
    {VK_OEM_3, 0x29}, {VK_LSHIFT, 0x2A}, {VK_OEM_5, 0x2B}, {'Z', 0x2C}, {'X', 0x2D}, {'C', 0x2E},
    {'V', 0x2F}, {'B', 0x30}, {'N', 0x31}, {'M', 0x32}, {VK_OEM_COMMA, 0x33}, {VK_OEM_PERIOD, 0x34},
    {VK_OEM_2, 0x35}, {VK_RSHIFT, 0x36}, {VK_MULTIPLY, 0x37}, {VK_LMENU, 0x38}, {VK_SPACE, 0x39},
    {VK_CAPITAL, 0x3A}, {VK_F1, 0x3B}, {VK_F1 + 1, 0x3C}, {VK_F1 + 2, 0x3D}, {VK_F1 + 3, 0x3E},
    {VK_F1 + 4, 0x3F}, {VK_F1 + 5, 0x40}, {VK_F1 + 6, 0x41}, {VK_F1 + 7, 0x42}, {VK_F1 + 8, 0x43},
    {VK_F1 + 9, 0x44}, {VK_NUMLOCK, 0xE045}, {VK_SCROLL, 0x46},
    {VK_NUMPAD0 + 7, 0x47}, {VK_NUMPAD0 + 8, 0x48}, {VK_NUMPAD0 + 9, 0x49}, {VK_SUBTRACT, 0x4A},
    {VK_NUMPAD0 + 4, 0x4B}, {VK_NUMPAD0 + 5, 0x4C}, {VK_NUMPAD0 + 6, 0x4D}, {VK_ADD, 0x4E},
    {VK_NUMPAD0 + 1, 0x4F}, {VK_NUMPAD0 + 2, 0x50}, {VK_NUMPAD0 + 3, 0x51}, {VK_NUMPAD0, 0x52},
    {VK_DECIMAL, 0x53}, {VK_CLEAR, 0x4C}, {VK_F1 + 10, 0x57}, {VK_F1 + 11, 0x58},
    // Extended keys: the gray navigation block, the right Ctrl and Alt, ...
    {VK_HOME, 0xE047}, {VK_UP, 0xE048}, {VK_PRIOR, 0xE049}, {VK_LEFT, 0xE04B}, {VK_RIGHT, 0xE04D},
    {VK_END, 0xE04F}, {VK_DOWN, 0xE050}, {VK_NEXT, 0xE051}, {VK_INSERT, 0xE052}, {VK_DELETE, 0xE053},
    {VK_RCONTROL, 0xE01D}, {VK_RMENU, 0xE038}, {VK_DIVIDE, 0xE035}, {VK_SNAPSHOT, 0xE037},
    {VK_LWIN, 0xE05B}, {VK_RWIN, 0xE05C}, {VK_APPS, 0xE05D}};

// Virtual keys that stand for a left/right pair.
Byte Generic(Byte vk) {
  switch (vk) {
    case VK_LSHIFT: case VK_RSHIFT: return VK_SHIFT;
    case VK_LCONTROL: case VK_RCONTROL: return VK_CONTROL;
    case VK_LMENU: case VK_RMENU: return VK_MENU;
    default: return vk;
  }
}

uint16_t ScanOf(UINT vk) {
  if (vk == VK_SHIFT) vk = VK_LSHIFT;
  if (vk == VK_CONTROL) vk = VK_LCONTROL;
  if (vk == VK_MENU) vk = VK_LMENU;
  for (const KeyScan& k : kKeys)
    if (k.Vk == vk) return k.Scan;
  return 0;
}

// The key for a scan code (0xE0xx for extended ones). Told apart, the keypad
// keys are the digits; taken together, as with Num Lock off, a keypad key
// is the navigation key its gray twin is.
UINT VkOf(UINT scan, bool distinguish) {
  bool ext = (scan & 0xFF00) == 0xE000;
  UINT low = scan & 0xFF;
  if ((scan & 0xFF00) && !ext) return 0;
  if (!ext && low == 0x45) return VK_NUMLOCK;
  if (ext && low == 0x1C) return VK_RETURN;
  if (!ext && !distinguish && low >= 0x47 && low <= 0x53 && low != 0x4A && low != 0x4E) {
    if (low == 0x4C) return VK_CLEAR;
    return VkOf(0xE000 | low, false);
  }
  for (const KeyScan& k : kKeys)
    if (k.Scan == scan) return distinguish ? k.Vk : Generic(k.Vk);
  return 0;
}

}  // namespace

UINT ScanCodeOf(UINT vk, bool* extended) {
  uint16_t s = ScanOf(vk);
  if (extended) *extended = (s & 0xFF00) == 0xE000;
  return s & 0xFF;
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

UINT MapVirtualKeyW(UINT code, UINT mapType) {
  switch (mapType) {
    case MAPVK_VK_TO_VSC: return code > 255 ? 0 : ScanOf(code) & 0xFF;
    case MAPVK_VK_TO_VSC_EX: return code > 255 ? 0 : ScanOf(code);
    case MAPVK_VSC_TO_VK: return VkOf(code, false);
    case MAPVK_VSC_TO_VK_EX: return VkOf(code, true);
    case MAPVK_VK_TO_CHAR: {
      if (code > 255) return 0;
      Byte state[256] = {};
      char16_t c[2] = {};
      if (ToUnicode(code, ScanOf(code) & 0xFF, state, c, 2, 0) != 1) return 0;
      // Letters come as the key caps show them: the US layout's capitals,
      // whatever locale the program set (toupper keeps 'i' under Turkish).
      return c[0] >= u'a' && c[0] <= u'z' ? UINT(c[0] - 32) : UINT(c[0]);
    }
    default: return 0;
  }
}

int ToAscii(UINT vk, UINT scanCode, const Byte* state256, WORD* chars, UINT flags) {
  if (!chars) return 0;
  char16_t c[2] = {};
  int n = ToUnicode(vk, scanCode, state256, c, 2, flags);
  if (n != 1 || c[0] > 0xFF) return 0;
  chars[0] = WORD(c[0]);
  return 1;
}

}  // namespace vcl
