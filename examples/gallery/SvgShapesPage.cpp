// Gallery page "svgshapes": on a skinned form, the shape control's seven
// kinds with each pen style, SVG path icons drawn with absolute and relative
// curves, implicit repeats and the smooth forms, and a broken path showing
// what was drawn before its fault. Saved as svgshapes.png.
#include <memory>
#include <string>
#include <vector>

#include "examples/gallery/Gallery.h"
#include "examples/gallery/SkinnedForm.h"
#include "platform/desktop/Desktop.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/extended/uQuarnShape.h"

namespace gallery {

namespace {

using namespace qn;

TQuarnShape* Shape(TWinControl* Parent, Integer X, Integer Y, Integer W, Integer H) {
  auto* s = new TQuarnShape(Parent);
  s->SetParent(Parent);
  s->SetBounds(X, Y, W, H);
  return s;
}

}  // namespace

std::vector<std::string> SvgShapesPage(const std::string& outDir) {
  SetScreenSize(1000, 760);
  auto form = NewSkinnedForm(TRect(30, 30, 920, 700), u"Shapes and SVG paths");
  TForm* f = form.get();

  // --- the seven kinds by pen style -----------------------------------------
  PageLabel(f, 24, 40, u"The seven kinds, one pen style per row (fill alpha 160)", true);
  struct TKind {
    TQnShapeKind Kind;
    const char16_t* Name;
  };
  const TKind kinds[] = {{skCircle, u"skCircle"},   {skEllipse, u"skEllipse"},         {skRectangle, u"skRectangle"},
                         {skRoundRect, u"skRoundRect"}, {skRoundSquare, u"skRoundSquare"}, {skSquare, u"skSquare"},
                         {skSVG, u"skSVG"}};
  const struct {
    TQnPenStyle Style;
    const char16_t* Name;
  } pens[] = {{psSolid, u"psSolid"}, {psDot, u"psDot"}, {psDash, u"psDash"}};
  const Integer gx = 96, gy = 86, cw = 108, rh = 96;
  for (Integer c = 0; c < 7; ++c) PageLabel(f, gx + c * cw, gy - 18, kinds[c].Name);
  for (Integer r = 0; r < 3; ++r) {
    PageLabel(f, 24, gy + r * rh + 32, pens[r].Name);
    for (Integer c = 0; c < 7; ++c) {
      auto* s = Shape(f, gx + c * cw, gy + r * rh, 96, 80);
      s->SetShape(kinds[c].Kind);
      s->SetAlpha(160);
      s->SetRoundRadius(14);
      s->Brush()->SetColor(TColor(0x00E0A060));
      s->Pen()->SetVisible(true);
      s->Pen()->SetStyle(pens[r].Style);
      s->Pen()->SetWidth(2);
      s->Pen()->SetColor(TColor(0x00704010));
      s->SetSvgPath(u"M 8 70 L 46 8 L 86 70 Z");
    }
  }

  // --- SVG icons --------------------------------------------------------------
  const Integer iy = 404;
  PageLabel(f, 24, iy, u"SVG path data", true);
  struct TIcon {
    const char16_t* Path;
    const char16_t* Caption;
    TColor Fill, Pen;
    bool Stroke;
  };
  const TIcon icons[] = {
      {u"M 40 72 C 8 50 4 26 18 16 C 28 8 38 14 40 26 C 40 14 50 6 60 16 C 76 26 70 50 40 72 Z",
       u"C: cubic curves", TColor(0x004040E0), TColor(0x00202090), true},
      {u"m 40.0 7.0 l 6.7,21.7 21.7,1.1 -19.6,14.5 4.6,22.4 -20.9,-12.7 -20.9,12.7 4.6,-22.4 -19.6,-14.5 "
       u"21.7,-1.1 z",
       u"l: implicit repeats", TColor(0x0020C0F0), TColor(0x00106090), true},
      {u"M 6 60 C 14 20 30 20 36 42 S 58 64 72 18", u"S: smooth cubic", TColor(0x00FFFFFF),
       TColor(0x00A06020), true},
      {u"M 4 44 Q 14 14 28 44 T 52 44 T 76 44", u"Q, T: quadratics", TColor(0x00FFFFFF),
       TColor(0x00308030), true},
      {u"m 12 66 c 0 -20 10 -30 26 -40 c 14 10 26 20 26 40 z m 20 -4 v -16 h 12 v 16 z",
       u"c, h, v: relative", TColor(0x0050B050), TColor(0x00206020), true},
      {u"M 10 12 L 70 12 L 40 66 Z M 50 50 L 70", u"broken: L 70 lacks y", TColor(0x006060C0),
       TColor(0x00303070), true},
  };
  for (Integer i = 0; i < 6; ++i) {
    const Integer x = 24 + i * 142;
    auto* s = Shape(f, x + 20, iy + 30, 84, 80);
    s->SetShape(skSVG);
    s->SetSvgPath(icons[i].Path);
    s->SetAlpha(200);
    s->Brush()->SetColor(icons[i].Fill);
    s->Brush()->SetVisible(icons[i].Fill != TColor(0x00FFFFFF));
    s->Pen()->SetVisible(icons[i].Stroke);
    s->Pen()->SetWidth(2);
    s->Pen()->SetColor(icons[i].Pen);
    PageLabel(f, x, iy + 116, icons[i].Caption);
  }
  String msg;
  ValidateSvgPath(icons[5].Path, msg);
  PageLabel(f, 24 + 5 * 142, iy + 134, u"ValidateSvgPath: " + msg);
  PageLabel(f, 24, iy + 170,
        u"The broken path's first figure ended at its second M and stays drawn; painting raises nothing.");

  LiftContent(f, 24);
  form->Show();
  PumpMessages();
  const std::string path = outDir + "/svgshapes.png";
  vcl::SaveWindowSnapshot(form->Handle(), path);
  Hold();
  form.reset();
  PumpMessages();
  return {path};
}

}  // namespace gallery
