#include "skin/extended/uQuarnColorButton.h"

#include <algorithm>

#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/gdi/GdiText.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

TQuarnCustomColorButton::TQuarnCustomColorButton(TComponent* AOwner) : TQuarnCustomButton(AOwner) {
  FNormalColor = TColor(0x003854FF);
  FHotColor = TColor(0x004343E0);
  FPressedColor = TColor(0x00DA9956);
  FBorderColor = TColor(0x00DFCBBB);
  FCaptionVisible = true;
  SetBounds(Left(), Top(), 80, 30);
  Font()->SetColor(TColor(0x00FFFFFF));
  FHotFont->SetColor(TColor(0x00FFFFFF));
}

void TQuarnCustomColorButton::SetAlpha(Byte Value) {
  if (FAlpha == Value) return;
  FAlpha = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetNormalColor(TColor Value) {
  if (FNormalColor == Value) return;
  FNormalColor = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetHotColor(TColor Value) {
  if (FHotColor == Value) return;
  FHotColor = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetPressedColor(TColor Value) {
  if (FPressedColor == Value) return;
  FPressedColor = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetBorderSides(TSides Value) {
  if (FBorderSides == Value) return;
  FBorderSides = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetRoundFrame(bool Value) {
  if (FRoundFrame == Value) return;
  FRoundFrame = Value;
  UpdateRegion();
  Invalidate();
}

void TQuarnCustomColorButton::SetRoundSize(Integer Value) {
  if (FRoundSize == Value) return;
  FRoundSize = Value;
  UpdateRegion();
  Invalidate();
}

void TQuarnCustomColorButton::SetSmoothRound(bool Value) {
  if (FSmoothRound == Value) return;
  FSmoothRound = Value;
  UpdateRegion();
  Invalidate();
}

void TQuarnCustomColorButton::SetImage(const TQnResID& Value) {
  if (FImage == Value) return;
  FImage = Value;
  Invalidate();
}

void TQuarnCustomColorButton::SetHotImage(const TQnResID& Value) {
  if (FHotImage == Value) return;
  FHotImage = Value;
  Invalidate();
}

Integer TQuarnCustomColorButton::DrawRoundSize() const {
  return std::clamp(FRoundSize, 0, std::max(0, std::min(Width(), Height()) / 2));
}

TColor TQuarnCustomColorButton::FaceColor() const {
  if (!Enabled()) return TColor(0x00D3D3D3);
  if (FaceHot()) return FHotColor;
  if (FacePressed()) return FPressedColor;
  return FNormalColor;
}

// ---- window region and messages ---------------------------------------------

void TQuarnCustomColorButton::CreateHandle() {
  TQuarnCustomButton::CreateHandle();
  // A new window starts without a region.
  FHasRegion = false;
  UpdateRegion();
}

void TQuarnCustomColorButton::UpdateRegion() {
  if (!HandleAllocated()) return;
  if (FRoundFrame && !FSmoothRound) {
    const Integer r = DrawRoundSize();
    // The window owns the region from here on, the old one included.
    SetWindowRgn(Handle(), CreateRoundRectRgn(0, 0, Width(), Height(), r, r), true);
    FHasRegion = true;
  } else if (FHasRegion) {
    SetWindowRgn(Handle(), nullptr, true);
    FHasRegion = false;
  }
}

void TQuarnCustomColorButton::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SIZE:
      TQuarnCustomButton::Dispatch(Message);
      UpdateRegion();
      return;
    case CM_FOCUSCHANGED:
      TQuarnCustomButton::Dispatch(Message);
      if (FShowFocusFrame) Invalidate();
      return;
    default: TQuarnCustomButton::Dispatch(Message);
  }
}

// ---- drawing ----------------------------------------------------------------

void TQuarnCustomColorButton::DrawFocusFrame(TBitmap32* Buffer) {
  if (!FShowFocusFrame || !Focused()) return;
  TRect r = ClientRect();
  InflateRect(r, -1, -1);
  TCanvas* c = Buffer->Canvas();
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  c->DrawFocusRect(r);
}

void TQuarnCustomColorButton::DrawContent(TBitmap32* Temp, bool DropDownPart, bool FocusFrame) {
  const bool hot = FaceHot(), pressed = FacePressed();
  TPoint image(FImageOffset->X(), FImageOffset->Y());
  TRect caption = ClientRect();
  caption.Left += FCaptionOffset->X();
  caption.Top += FCaptionOffset->Y();
  if (pressed) {
    caption.Left += FPressedOffset;
    caption.Top += FPressedOffset;
    caption.Right += FPressedOffset;
    caption.Bottom += FPressedOffset;
    image.X += FPressedOffset;
    image.Y += FPressedOffset;
  }
  const TQnResID& id = (hot || pressed) && !FHotImage.empty() ? FHotImage : FImage;
  if (!id.empty())
    if (TQuarnImage* img = TQuarnResManagerObj()->GetImageByName(id)) img->DrawTo(Temp, image.X, image.Y);
  if (DropDownPart) DrawDropdownMenu(Temp);
  if (FCaptionVisible) {
    TFont* font = hot || pressed ? FHotFont.get() : Font();
    Temp->Font()->Assign(font);
    if (!Enabled()) Temp->Font()->SetColor(TColor(0x008C8C8C));
    caption.Right -= DropdownMenuWidth();
    Cardinal format = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_WORDBREAK;
    const String text = Caption();
    if (FWordWrap) {
      format = DT_CENTER | DT_VCENTER | DT_WORDBREAK;
      // Measured in the font it is written in, so the block is centred
      // whatever the hot font's size.
      Temp->Canvas()->Font()->Assign(Temp->Font());
      Temp->Canvas()->TextExtent(String());
      RECT m(0, 0, caption.Right - caption.Left, 0);
      String t = text;
      DrawTextW(Temp->Canvas()->Handle(), t.data(), Integer(t.size()), &m, format | DT_CALCRECT);
      caption.Top = ((caption.Bottom - caption.Top) - (m.Bottom - m.Top)) / 2;
    }
    Temp->Textout(caption, format, text);
  }
  FinishFace(Temp, FocusFrame);
}

void TQuarnCustomColorButton::DrawBody(TBitmap32* Buffer) {
  const Integer w = Width(), h = Height();
  TBitmap32 temp;
  temp.BeginUpdate();
  temp.Assign(Buffer);
  // Copied back as it is: the buffer's own draw mode must not blend it.
  temp.SetDrawMode(TDrawMode::dmOpaque);
  Byte r, g, b;
  TColor2RGB(FaceColor(), r, g, b);
  const TColor32 fill = Color32(r, g, b, FAlpha);
  if (FRoundFrame && FSmoothRound) {
    const TFloat rs = TFloat(DrawRoundSize());
    // The shrunk rectangle grown back with round joins; kept a hair wide so
    // a radius of half the side still leaves an outline to grow.
    const TFloat x2 = std::max(TFloat(w) - rs, rs + 0.01f), y2 = std::max(TFloat(h) - rs, rs + 0.01f);
    const TArrayOfFloatPoint inner = {FloatPoint(rs, rs), FloatPoint(x2, rs), FloatPoint(x2, y2), FloatPoint(rs, y2)};
    const TArrayOfFloatPoint outline = Grow(inner, rs, TJoinStyle::jsRound, true, 4.0f);
    if (!outline.empty()) PolygonFS(&temp, outline, fill, TPolyFillMode::pfEvenOdd);
  } else {
    temp.FillRectT(0, 0, w, h, fill);
    if (!FRoundFrame) {
      const TColor32 line = Color32(ColorToRGB(FBorderColor)) | 0xFF000000u;
      if (FBorderSides.Contains(sdLeft)) temp.LineS(0, 0, 0, h, line);
      if (FBorderSides.Contains(sdTop)) temp.LineS(0, 0, w, 0, line);
      if (FBorderSides.Contains(sdRight)) temp.LineS(w - 1, 0, w - 1, h, line);
      if (FBorderSides.Contains(sdBottom)) temp.LineS(0, h - 1, w, h - 1, line);
    }
  }
  DrawContent(&temp, true, true);
  temp.EndUpdate();
  temp.DrawTo(Buffer, 0, 0);
}

void InitQuarnColorButton() { RegisterClasses({TQuarnColorButton::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnColorButton)
