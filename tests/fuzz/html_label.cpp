// Marked-up captions from outside (form files carry them): every
// calculation mode, plain and rule-scaling states and a hit point taken
// from the input run through the renderer without raising, and the canvas
// font size always ends inside the range the renderer allows.
#include <cstdint>
#include <cstdlib>
#include <string>

#include "package/Quarn.h"
#include "platform/gdi/FontEngine.h"
#include "skin/controls/uQuarnHtmlLabel.h"

using namespace qn;

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TBitmap32* bitmap = [] {
    qn::Initialize();
    // Box glyphs keep runs fast and independent of the installed fonts.
    SetGlyphProvider(BoxGlyphProvider());
    auto* b = new TBitmap32();
    b->SetSize(160, 60);
    return b;
  }();
  if (size < 3) return 0;
  const Integer x = data[0], y = data[1] % 64;
  const uint8_t flags = data[2];
  String html;
  for (size_t i = 3; i + 1 < size && html.size() < 2048; i += 2) html.push_back(Char(data[i] | (data[i + 1] << 8)));
  TCanvas* c = bitmap->Canvas();
  c->Font()->SetName(u"Tahoma");
  c->Font()->SetSize(9);
  c->Font()->SetStyle(TFontStyles());
  c->Brush()->SetStyle((flags & 8) ? TBrushStyle::bsClear : TBrushStyle::bsSolid);
  TOwnerDrawState state;
  if (flags & 1) state.Include(TOwnerDrawStateItem::odDisabled);
  if (flags & 2) state.Include(TOwnerDrawStateItem::odSelected);
  if (flags & 4) state.Include(TOwnerDrawStateItem::odReserved1);
  const TRect r(2, 2, 158, 58);
  try {
    for (TQuarnHTMLCalcType mode : {htmlShow, htmlCalcWidth, htmlCalcHeight, htmlHyperLink}) {
      Integer xs = 0, ys = 0;
      bool hit = false;
      String link;
      HTMLDrawTextEx(c, r, state, html, xs, ys, mode, x, y, hit, link, DefaultSuperSubScriptRatio, clRed,
                     (flags >> 4) * 25);
      const Integer size = c->Font()->Size();
      if (size < 1 || size > 1638) std::abort();
      if (xs < 0) std::abort();
      c->Font()->SetSize(9);
    }
    String link;
    IsHyperLink(c, r, html, x, y, link, clRed);
    HTMLTextHeight(c, html, DefaultSuperSubScriptRatio, clRed);
  } catch (...) {
    std::abort();
  }
  return 0;
}
