#include "skin/extended/uQuarnCornerButton.h"

#include <algorithm>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

TQuarnCustomCornerButton::TQuarnCustomCornerButton(TComponent* AOwner) : TQuarnCustomColorButton(AOwner) {
  FCorners = TQnCorners{TQnCorner::TopLeft, TQnCorner::TopRight, TQnCorner::BottomLeft, TQnCorner::BottomRight};
  FNormalColor = TColor(0x00FFFFFF);
  FHotColor = TColor(0x00CF9354);
  FPressedColor = TColor(0x00FF7A0A);
  FBorderColor = TColor(0x00FF7A0A);
  FRoundSize = 10;
  FRoundFrame = true;
  FBorderSides = TSides{sdLeft, sdTop, sdRight, sdBottom};
  Font()->SetColor(TColor(0x00FF7A0A));
  FHotFont->SetColor(TColor(0x00FFFFFF));
  FPressedOffset = 0;
}

void TQuarnCustomCornerButton::SetCorners(TQnCorners Value) {
  if (FCorners == Value) return;
  FCorners = Value;
  Invalidate();
}

void TQuarnCustomCornerButton::SetBorderWidth(Integer Value) {
  if (FBorderWidth == Value) return;
  FBorderWidth = Value;
  Invalidate();
}

namespace {
// A rectangle shrunk by R and grown back with round joins: its corners
// have radius R. Kept a hair wide so a radius of half the side still grows.
TArrayOfFloatPoint RoundedOutline(TFloat X1, TFloat Y1, TFloat X2, TFloat Y2, TFloat R) {
  const TFloat l = X1 + R, t = Y1 + R;
  const TFloat r = std::max(X2 - R, l + 0.01f), b = std::max(Y2 - R, t + 0.01f);
  return Grow(TArrayOfFloatPoint{FloatPoint(l, t), FloatPoint(r, t), FloatPoint(r, b), FloatPoint(l, b)}, R,
              TJoinStyle::jsRound, true, 4.0f);
}
}  // namespace

void TQuarnCustomCornerButton::DrawBody(TBitmap32* Buffer) {
  const Integer W = Width(), H = Height();
  const Integer R = DrawRoundSize(), B = std::max(0, FBorderWidth);
  TBitmap32 temp;
  temp.BeginUpdate();
  temp.Assign(Buffer);
  temp.SetDrawMode(TDrawMode::dmOpaque);
  Byte cr, cg, cb;
  TColor2RGB(FaceColor(), cr, cg, cb);
  const TColor32 fill = Color32(cr, cg, cb, FAlpha), solid = Color32(cr, cg, cb, 255);
  const TColor32 border = Color32(ColorToRGB(FBorderColor)) | 0xFF000000u;
  const TSides& sides = FBorderSides;
  const bool left = sides.Contains(sdLeft), top = sides.Contains(sdTop), right = sides.Contains(sdRight),
             bottom = sides.Contains(sdBottom);
  const bool tl = FCorners.Contains(TQnCorner::TopLeft), tr = FCorners.Contains(TQnCorner::TopRight),
             bl = FCorners.Contains(TQnCorner::BottomLeft), br = FCorners.Contains(TQnCorner::BottomRight);

  // 1. The body, every corner rounded; square ones are filled in below.
  const TArrayOfFloatPoint body = RoundedOutline(0, 0, TFloat(W), TFloat(H), TFloat(R));
  if (!body.empty()) PolygonFS(&temp, body, fill, TPolyFillMode::pfEvenOdd);

  // 2. The anti-aliased outline, when some rounded corner is bordered on
  // both of its sides.
  const bool outline = (tl && left && top) || (tr && right && top) || (br && right && bottom) ||
                       (bl && left && bottom);
  Integer c = 0;
  if (outline) {
    const TArrayOfFloatPoint o = RoundedOutline(0.2f, 0.2f, TFloat(W) - 0.2f, TFloat(H) - 0.2f, TFloat(R));
    if (!o.empty())
      PolylineFS(&temp, o, border, false, TFloat(B) * 1.35f, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
    c = R;
  }

  // 3. Square corners, filled and, with every side bordered, closed.
  const bool all = left && top && right && bottom;
  if (!tl) {
    temp.FillRectS(0, 0, R, R, solid);
    if (all) {
      temp.LineS(0, 0, 0, R, border);
      temp.LineS(0, 0, R, 0, border);
    }
  }
  if (!tr) {
    temp.FillRectS(W - R, 0, W, R, solid);
    if (all) {
      temp.LineS(W - 1, 0, W - 1, R, border);
      temp.LineS(W - R, 0, W, 0, border);
    }
  }
  if (!bl) {
    temp.FillRectS(0, H - R, R, H, solid);
    if (all) {
      temp.LineS(0, H - R, 0, H, border);
      temp.LineS(0, H - 1, R, H - 1, border);
    }
  }
  if (!br) {
    temp.FillRectS(W - R, H - R, W, H, solid);
    if (all) {
      temp.LineS(W - 1, H - 1 - R, W - 1, H, border);
      temp.LineS(W - 1 - R, H - 1, W, H - 1, border);
    }
  }

  // 4. The sides, B lines each, left, top, right, bottom. A side without a
  // border is painted over in the fill, then the bordered neighbour's lines
  // are completed at its square corners.
  const TColor32 lc = left ? border : solid;
  for (Integer i = 0; i < B; ++i) temp.LineS(i, tl ? R : 0, i, H - (bl ? R : 0), lc);
  if (!left)
    for (Integer i = 0; i < B; ++i) {
      if (!tl && top) temp.LineS(0, i, c, i, border);
      if (!bl && bottom) temp.LineS(0, H - 1 - i, c, H - 1 - i, border);
    }
  const TColor32 tc = top ? border : solid;
  for (Integer i = 0; i < B; ++i) temp.LineS(tl ? R : 0, i, W - (tr ? R : 0), i, tc);
  if (!top)
    for (Integer i = 0; i < B; ++i) {
      if (!tl && left) temp.LineS(i, 0, i, c, border);
      if (!tr && right) temp.LineS(W - 1 - i, 0, W - 1 - i, c, border);
    }
  const TColor32 rc = right ? border : solid;
  for (Integer i = 0; i < B; ++i) temp.LineS(W - 1 - i, tr ? R : B, W - 1 - i, H - (br ? R : 0), rc);
  if (!right)
    for (Integer i = 0; i < B; ++i) {
      if (!tr && top) temp.LineS(W - c, i, W, i, border);
      if (!br && bottom) temp.LineS(W - c, H - 1 - i, W, H - 1 - i, border);
    }
  const TColor32 bc = bottom ? border : solid;
  for (Integer i = 0; i < B; ++i) temp.LineS(bl ? R : 0, H - 1 - i, W - (br ? R : 0), H - 1 - i, bc);
  if (!bottom)
    for (Integer i = 0; i < B; ++i) {
      if (!bl && left) temp.LineS(i, H - c - 1, i, H, border);
      if (!br && right) temp.LineS(W - 1 - i, H - c - 1, W - 1 - i, H, border);
    }

  // 5. Image, caption and the design-time frame; no drop-down part and no
  // focus frame on these.
  DrawContent(&temp, false, false);
  temp.EndUpdate();
  temp.DrawTo(Buffer, 0, 0);
}

void InitQuarnCornerButton() { RegisterClasses({TQuarnCornerButton::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCornerButton)
