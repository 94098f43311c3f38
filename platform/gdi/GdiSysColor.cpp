// System colours with the classic defaults, and their brushes.
#include <array>
#include <mutex>

#include "platform/gdi/GdiInternal.h"

namespace vcl {

using namespace gdi;

namespace {
constexpr int kColorCount = COLOR_ENDCOLORS + 1;

constexpr std::array<COLORREF, kColorCount> kClassic = {
    RGB(212, 208, 200),  // COLOR_SCROLLBAR
    RGB(58, 110, 165),   // COLOR_BACKGROUND
    RGB(10, 36, 106),    // COLOR_ACTIVECAPTION
    RGB(128, 128, 128),  // COLOR_INACTIVECAPTION
    RGB(212, 208, 200),  // COLOR_MENU
    RGB(255, 255, 255),  // COLOR_WINDOW
    RGB(0, 0, 0),        // COLOR_WINDOWFRAME
    RGB(0, 0, 0),        // COLOR_MENUTEXT
    RGB(0, 0, 0),        // COLOR_WINDOWTEXT
    RGB(255, 255, 255),  // COLOR_CAPTIONTEXT
    RGB(212, 208, 200),  // COLOR_ACTIVEBORDER
    RGB(212, 208, 200),  // COLOR_INACTIVEBORDER
    RGB(128, 128, 128),  // COLOR_APPWORKSPACE
    RGB(10, 36, 106),    // COLOR_HIGHLIGHT
    RGB(255, 255, 255),  // COLOR_HIGHLIGHTTEXT
    RGB(212, 208, 200),  // COLOR_BTNFACE
    RGB(128, 128, 128),  // COLOR_BTNSHADOW
    RGB(128, 128, 128),  // COLOR_GRAYTEXT
    RGB(0, 0, 0),        // COLOR_BTNTEXT
    RGB(212, 208, 200),  // COLOR_INACTIVECAPTIONTEXT
    RGB(255, 255, 255),  // COLOR_BTNHIGHLIGHT
    RGB(64, 64, 64),     // COLOR_3DDKSHADOW
    RGB(212, 208, 200),  // COLOR_3DLIGHT
    RGB(0, 0, 0),        // COLOR_INFOTEXT
    RGB(255, 255, 225),  // COLOR_INFOBK
    RGB(181, 181, 181),  // 25, unnamed
    RGB(0, 0, 128),      // COLOR_HOTLIGHT
    RGB(166, 202, 240),  // COLOR_GRADIENTACTIVECAPTION
    RGB(192, 192, 192),  // COLOR_GRADIENTINACTIVECAPTION
    RGB(10, 36, 106),    // COLOR_MENUHILIGHT
    RGB(212, 208, 200),  // COLOR_MENUBAR
};

struct TSysColors {
  std::mutex Lock;
  std::array<COLORREF, kColorCount> Colors = kClassic;
  std::array<std::shared_ptr<TBrushObj>, kColorCount> Brushes;
};
TSysColors& Sys() {
  static TSysColors s;
  return s;
}
}  // namespace

DWORD GetSysColor(int index) {
  if (index < 0 || index >= kColorCount) return 0;
  auto& s = Sys();
  std::lock_guard g(s.Lock);
  return s.Colors[size_t(index)];
}

HBRUSH GetSysColorBrush(int index) {
  if (index < 0 || index >= kColorCount) return nullptr;
  auto& s = Sys();
  std::lock_guard g(s.Lock);
  auto& b = s.Brushes[size_t(index)];
  if (!b) {
    b = std::make_shared<TBrushObj>();
    b->Kind = TKind::Brush;
    b->Stock = true;
    b->Log.lbStyle = BS_SOLID;
    b->Log.lbColor = s.Colors[size_t(index)];
    AddObject(b);
  }
  return static_cast<HBRUSH>(b->Handle);
}

BOOL SetSysColors(int count, const int* indexes, const COLORREF* values) {
  if (count < 0 || (count > 0 && (!indexes || !values))) return 0;
  auto& s = Sys();
  std::lock_guard g(s.Lock);
  for (int i = 0; i < count; ++i) {
    int k = indexes[i];
    if (k < 0 || k >= kColorCount) continue;
    s.Colors[size_t(k)] = values[i] & 0x00FFFFFF;
    // The brush handles stay the same and take the new colour.
    if (s.Brushes[size_t(k)]) s.Brushes[size_t(k)]->Log.lbColor = s.Colors[size_t(k)];
  }
  return 1;
}

void ResetSysColors() {
  auto& s = Sys();
  std::lock_guard g(s.Lock);
  s.Colors = kClassic;
  for (size_t k = 0; k < s.Brushes.size(); ++k)
    if (s.Brushes[k]) s.Brushes[k]->Log.lbColor = s.Colors[k];
}

}  // namespace vcl
