#include "skin/extended/uQuarnCalloutPanel.h"

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

TColor32 WithAlpha(TColor Color, Byte Alpha) {
  Byte R, G, B;
  TColor2RGB(Color, R, G, B);
  return Color32(R, G, B, Alpha);
}

}  // namespace

TQuarnCustomCalloutPanel::TQuarnCustomCalloutPanel(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  FAlpha = 255;
  FDoubleBorder = false;
  SetBounds(Left(), Top(), 120, 120);
}

void TQuarnCustomCalloutPanel::SetCalloutWidth(Integer Value) { Change(FCalloutWidth, Value); }
void TQuarnCustomCalloutPanel::SetCalloutLength(Integer Value) { Change(FCalloutLength, Value); }
void TQuarnCustomCalloutPanel::SetCalloutOffset(Integer Value) { Change(FCalloutOffset, Value); }

void TQuarnCustomCalloutPanel::SetCalloutPosition(TQnCalloutPosition Value) {
  if (FCalloutPosition == Value) return;
  FCalloutPosition = Value;
  Invalidate();
}

Integer TQuarnCustomCalloutPanel::CalloutStart() const {
  if (FCalloutOffset != 0) return FCalloutOffset;
  const bool Side = FCalloutPosition == cpLeft || FCalloutPosition == cpRight;
  return ((Side ? Height() : Width()) - FCalloutWidth) / 2;
}

// The body's edges are the border lines themselves, so only the pointer's
// band is taken off the client area.
void TQuarnCustomCalloutPanel::AdjustClientRect(TRect& Rect) {
  TQuarnCustomControl::AdjustClientRect(Rect);
  switch (FCalloutPosition) {
    case cpLeft: Rect.Left += FCalloutLength; break;
    case cpTop: Rect.Top += FCalloutLength; break;
    case cpRight: Rect.Right -= FCalloutLength; break;
    case cpBottom: Rect.Bottom -= FCalloutLength; break;
  }
}

void TQuarnCustomCalloutPanel::DrawBody(TBitmap32* Buffer) {
  const Integer W = ClientWidth(), H = ClientHeight(), L = FCalloutLength;
  const TColor32 Fill = WithAlpha(FColor, FAlpha);
  switch (FCalloutPosition) {
    case cpTop: Buffer->FillRectTS(0, L, W, H, Fill); break;
    case cpLeft: Buffer->FillRectTS(L, 0, W, H, Fill); break;
    case cpBottom: Buffer->FillRectTS(0, 0, W, H - L, Fill); break;
    case cpRight: Buffer->FillRectTS(0, 0, W - L, H, Fill); break;
  }
  TQuarnImage* Image =
      FBackgroundImage.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FBackgroundImage);
  if (Image) {
    if (FBackgroundFillType == ftNormal)
      Image->DrawTo(Buffer, FBackgroundOffsetX, FBackgroundOffsetY);
    else
      DrawImage(Image, Buffer, FBackgroundFillType);
  }
  if (FOnCustomDraw) FOnCustomDraw(this, Buffer);
  DrawBorder(Buffer);
}

void TQuarnCustomCalloutPanel::DrawBorder(TBitmap32* Buffer) {
  const Integer W = Width(), H = Height();
  if (W < 1 || H < 1) return;
  Buffer->BeginUpdate();
  const TColor32 Bc = WithAlpha(FBorderColor, FBorderAlpha);
  const TColor32 Fc = WithAlpha(FColor, FAlpha);
  const Integer L = FCalloutLength, CW = FCalloutWidth, S = CalloutStart(), Tip = S + CW / 2;
  // Along the pointer's side: the line up to the base, then the line after
  // it, which meets the pointer's anti-aliased edges and is drawn that way.
  const auto Split = [&](bool Horizontal, Integer At, Integer From, Integer To) {
    if (Horizontal) {
      Buffer->LineAS(From, At, S, At, Bc);
      Buffer->LineFS(static_cast<Single>(S + CW), static_cast<Single>(At), static_cast<Single>(To),
                     static_cast<Single>(At), Bc);
    } else {
      Buffer->LineAS(At, From, At, S, Bc);
      Buffer->LineFS(static_cast<Single>(At), static_cast<Single>(S + CW), static_cast<Single>(At),
                     static_cast<Single>(To), Bc);
    }
  };
  TFloatPoint Base1, Base2, Apex, Out1, Out2;
  const auto F = [](Integer X, Integer Y) { return FloatPoint(static_cast<Single>(X), static_cast<Single>(Y)); };
  switch (FCalloutPosition) {
    case cpTop:
      Buffer->LineAS(0, L, 0, H, Bc);
      Split(true, L, 0, W);
      Buffer->LineAS(W - 1, L, W - 1, H, Bc);
      Buffer->LineAS(0, H - 1, W, H - 1, Bc);
      Base1 = F(S, L), Base2 = F(S + CW, L), Apex = F(Tip, 0), Out1 = F(S - 1, L), Out2 = F(S + CW + 1, L);
      break;
    case cpLeft:
      Split(false, L, 0, H);
      Buffer->LineAS(L, 0, W - 1, 0, Bc);
      Buffer->LineAS(W - 1, 0, W - 1, H, Bc);
      Buffer->LineAS(L, H - 1, W - 1, H - 1, Bc);
      Base1 = F(L, S), Base2 = F(L, S + CW), Apex = F(0, Tip), Out1 = F(L, S - 1), Out2 = F(L, S + CW + 1);
      break;
    case cpBottom:
      Buffer->LineAS(0, 0, 0, H - 1 - L, Bc);
      Buffer->LineAS(0, 0, W, 0, Bc);
      Buffer->LineAS(W - 1, 0, W - 1, H - 1 - L, Bc);
      Split(true, H - L - 1, 0, W);
      Base1 = F(S, H - L - 1), Base2 = F(S + CW, H - L - 1), Apex = F(Tip, H - 1);
      Out1 = F(S - 1, H - L - 1), Out2 = F(S + CW + 1, H - L - 1);
      break;
    case cpRight:
      Buffer->LineAS(0, 0, 0, H, Bc);
      Buffer->LineAS(0, 0, W - L - 1, 0, Bc);
      Split(false, W - L - 1, 0, H);
      Buffer->LineAS(0, H - 1, W - L - 1, H - 1, Bc);
      Base1 = F(W - L - 1, S), Base2 = F(W - L - 1, S + CW), Apex = F(W - 1, Tip);
      Out1 = F(W - L - 1, S - 1), Out2 = F(W - L - 1, S + CW + 1);
      break;
  }
  PolygonFS(Buffer, TArrayOfFloatPoint{Apex, Base1, Base2}, Fc, TPolyFillMode::pfEvenOdd);
  Buffer->LineFS(Out1.X, Out1.Y, Apex.X, Apex.Y, Bc);
  Buffer->LineFS(Out2.X, Out2.Y, Apex.X, Apex.Y, Bc);
  Buffer->EndUpdate();
}

void InitQuarnCalloutPanel() { RegisterClasses({TQuarnCalloutPanel::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCalloutPanel)
