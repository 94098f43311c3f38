// Internal to platform/gdi: the text run painter shared by ExtTextOut and
// DrawText.
#pragma once

#include <vector>

#include "platform/gdi/FontEngine.h"
#include "platform/gdi/GdiInternal.h"

namespace vcl::gdi {

struct TTextRun {
  std::vector<char32_t> Chars;
  std::vector<int> Advances;  // pixels per character, the pen steps
  // Extra underlined spans (start, end) in pixels along the baseline from
  // the run's start: DrawText's prefix underlines.
  std::vector<std::pair<int, int>> Underlines;
  bool NoGlyphs = false;  // DT_PREFIXONLY: the underlines alone
  int Total() const {
    int t = 0;
    for (int a : Advances) t += a;
    return t;
  }
};

// Paints a run whose baseline starts at the surface point (ox, oy), with the
// DC's colours and background mode; clip (surface coordinates) limits it.
void PaintTextRun(TDCObj& dc, TGdiSurface& s, TFontInstance& font, int ox, int oy, const TTextRun& run,
                  const TRegion& clip);

// Advances of characters in a font with the DC's character extra.
void RunAdvances(TDCObj& dc, TFontInstance& font, TTextRun& run);

}  // namespace vcl::gdi
