// Helpers for the font and text tests: fonts by description, the ink of a
// drawing, and a scope that swaps in the box glyph provider.
#pragma once

#include <fontconfig/fontconfig.h>

#include <algorithm>
#include <string>

#include "platform/gdi/FontEngine.h"
#include "platform/rtl/System.h"
#include "tests/platform/gdi/GdiTestSupport.h"

namespace gditest {

inline HFONT MakeFont(const char16_t* face, int height, int weight = FW_NORMAL, bool italic = false,
                      BYTE quality = ANTIALIASED_QUALITY, int escapement = 0, bool underline = false,
                      bool strike = false, BYTE charset = DEFAULT_CHARSET) {
  return CreateFontW(height, 0, escapement, escapement, weight, italic, underline, strike, charset, 0, 0, quality,
                     0, face);
}

// Selects a font into a DC for a scope and deletes it afterwards.
struct TUseFont {
  HDC DC;
  HFONT Font;
  HGDIOBJ Old;
  TUseFont(HDC dc, HFONT f) : DC(dc), Font(f), Old(SelectObject(dc, f)) {}
  ~TUseFont() {
    SelectObject(DC, Old);
    DeleteObject(Font);
  }
  TUseFont(const TUseFont&) = delete;
  TUseFont& operator=(const TUseFont&) = delete;
};

// Every text function uses the box provider while alive.
struct TBoxFonts {
  TGlyphProviderPtr Old;
  TBoxFonts() : Old(SetGlyphProvider(BoxGlyphProvider())) {}
  ~TBoxFonts() { SetGlyphProvider(Old); }
};

// Bounding box of the pixels that differ from background (empty: none).
inline TRect InkBox(TDib& d, uint32_t background) {
  TRect r(d.W, d.H, 0, 0);
  for (int y = 0; y < d.H; ++y)
    for (int x = 0; x < d.W; ++x)
      if (d.At(x, y) != background) {
        r.Left = std::min(r.Left, x);
        r.Top = std::min(r.Top, y);
        r.Right = std::max(r.Right, x + 1);
        r.Bottom = std::max(r.Bottom, y + 1);
      }
  return r.IsEmpty() ? TRect() : r;
}

inline SIZE Extent(HDC dc, const std::u16string& s) {
  SIZE sz;
  GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &sz);
  return sz;
}

// Whether a font fontconfig offers has the code point, asked of fontconfig
// itself rather than of the engine under test.
inline bool SomeFontCovers(char32_t ch) {
  FcPattern* p = FcPatternCreate();
  FcCharSet* cs = FcCharSetCreate();
  FcCharSetAddChar(cs, FcChar32(ch));
  FcPatternAddCharSet(p, FC_CHARSET, cs);
  FcObjectSet* os = FcObjectSetBuild(FC_FILE, nullptr);
  FcFontSet* found = FcFontList(nullptr, p, os);
  const bool any = found && found->nfont > 0;
  if (found) FcFontSetDestroy(found);
  FcObjectSetDestroy(os);
  FcCharSetDestroy(cs);
  FcPatternDestroy(p);
  return any;
}

// The first of two neighbouring private-use code points that no font has,
// for the tests of the default glyph; 0 when the fonts cover them all. The
// tests' fonts are fixed (tests/test-fonts.txt), but a machine's own fonts
// often cover part of the private-use area, so the choice is checked.
inline char32_t CodePointsNoFontCovers() {
  for (char32_t c = 0xE000; c < 0xF8FF; c += 2)
    if (!SomeFontCovers(c) && !SomeFontCovers(c + 1)) return c;
  return 0;
}

inline void Fill(TDib& d, uint32_t v) { std::fill(d.Bits, d.Bits + d.W * d.H, v); }

}  // namespace gditest
