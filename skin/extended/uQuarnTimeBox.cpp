#include "skin/extended/uQuarnTimeBox.h"

#include "platform/gdi/GdiText.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/ControlMessages.h"

namespace qn {

namespace {
constexpr Integer kGap = 2, kTitle = 23;
TColor32 TimeBoxColor(TColor C) { return Color32(ColorToRGB(C)) | 0xFF000000u; }
bool Inside(const TRect& R, const TPoint& P) {
  return P.X >= R.Left && P.Y >= R.Top && P.X < R.Right && P.Y < R.Bottom;
}
}  // namespace

TQuarnTimeBox::TQuarnTimeBox(TComponent* AOwner) : TQuarnCustomPanel(AOwner) {
  FTextMinute = u"分钟";
  FTextHour = u"小时";
  FTextSecond = u"秒钟";
  FAlpha = 255;
  SetBounds(Left(), Top(), 128, 128);
}

void TQuarnTimeBox::SetKind(TQnBoxKind Value) {
  if (FKind == Value) return;
  FKind = Value;
  FHotCell = nullptr;
  FResetCells = true;
  Invalidate();
}

void TQuarnTimeBox::SetFrameColor(TColor Value) {
  if (FFrameColor == Value) return;
  FFrameColor = Value;
  Invalidate();
}

void TQuarnTimeBox::SetHeaderColor(TColor Value) {
  if (FHeaderColor == Value) return;
  FHeaderColor = Value;
  Invalidate();
}

void TQuarnTimeBox::SetCellFocusColor(TColor Value) {
  if (FCellFocusColor == Value) return;
  FCellFocusColor = Value;
  Invalidate();
}

void TQuarnTimeBox::SetFocusNum(Integer Value) {
  if (FFocusNum == Value) return;
  FFocusNum = Value;
  Invalidate();
}

void TQuarnTimeBox::UpdateCells() {
  if (!FResetCells) return;
  FResetCells = false;
  if (FKind == bkHour) {
    const Integer cw = (Width() - 6 * kGap) / 5, ch = (Height() - kTitle - 6 * kGap) / 5;
    for (Integer r = 0; r < 5; ++r)
      for (Integer c = 0; c < 5; ++c) {
        TQnNumCell& cell = FHourNumCells[size_t(c)][size_t(r)];
        const Integer n = r * 5 + c;
        if (n >= 24) {
          cell = TQnNumCell();
          continue;
        }
        const Integer x = kGap + c * (cw + kGap), y = kTitle + kGap + r * (ch + kGap);
        cell.Rect = TRect(x, y, x + cw, y + ch);
        cell.Num = n;
        cell.Enabled = true;
      }
    if (FFocusNum >= 24) FFocusNum = 0;
  } else {
    const Integer cw = (Width() - 11 * kGap) / 10, ch = (Height() - kTitle - 7 * kGap) / 6;
    for (Integer r = 0; r < 6; ++r)
      for (Integer c = 0; c < 10; ++c) {
        TQnNumCell& cell = FMinuteNumCells[size_t(c)][size_t(r)];
        const Integer x = kGap + c * (cw + kGap), y = kTitle + kGap + r * (ch + kGap);
        cell.Rect = TRect(x, y, x + cw, y + ch);
        cell.Num = r * 10 + c;
        cell.Enabled = true;
      }
    if (FFocusNum >= 60) FFocusNum = 0;
  }
}

template <class F>
void TQuarnTimeBox::ForEachCell(F Fn) {
  // Columns outer, rows inner.
  if (FKind == bkHour) {
    for (auto& column : FHourNumCells)
      for (TQnNumCell& c : column)
        if (Fn(c)) return;
  } else {
    for (auto& column : FMinuteNumCells)
      for (TQnNumCell& c : column)
        if (Fn(c)) return;
  }
}

PQnNumCell TQuarnTimeBox::CellAt(const TPoint& P) {
  PQnNumCell found = nullptr;
  ForEachCell([&](TQnNumCell& c) {
    if (c.Enabled && Inside(c.Rect, P)) found = &c;
    return found != nullptr;
  });
  return found;
}

void TQuarnTimeBox::DrawBody(TBitmap32* Buffer) {
  TQuarnCustomPanel::DrawBody(Buffer);
  Buffer->BeginUpdate();
  UpdateCells();
  const Integer w = Width(), h = Height();
  Buffer->FillRectS(TitleRect(), TimeBoxColor(FHeaderColor));
  Buffer->FrameRectS(0, 0, w, h, TimeBoxColor(FFrameColor));
  Buffer->LineS(0, kTitle, w, kTitle, TimeBoxColor(FFrameColor));
  TRect x = CloseRect();
  const Integer shrink = FHotCloseBtn ? 6 : 7;
  InflateRect(x, -shrink, -shrink);
  Buffer->LineS(x.Left + 1, x.Top + 1, x.Right, x.Bottom, 0xFF000000u);
  Buffer->LineS(x.Right - 1, x.Top + 1, x.Left, x.Bottom, 0xFF000000u);
  constexpr Cardinal kCentred = DT_CENTER | DT_VCENTER | DT_SINGLELINE;
  Buffer->Font()->Assign(Font());
  TRect title = TitleRect();
  Buffer->Textout(title, kCentred, FKind == bkHour ? FTextHour : FKind == bkMinute ? FTextMinute : FTextSecond);
  ForEachCell([&](TQnNumCell& c) {
    if (!c.Enabled) return false;
    if (c.Num == FFocusNum) Buffer->FillRectS(c.Rect, TimeBoxColor(FCellFocusColor));
    else if (&c == FHotCell) Buffer->FillRectTS(c.Rect, (TimeBoxColor(FCellFocusColor) & 0xFFFFFFu) | 0x80000000u);
    else Buffer->FillRectS(c.Rect, 0xFFFFFFFFu);
    TRect r = c.Rect;
    Buffer->Textout(r, kCentred, IntToStr(c.Num));
    return false;
  });
  Buffer->EndUpdate();
}

void TQuarnTimeBox::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_MOUSEMOVE: {
      TQuarnCustomPanel::Dispatch(Message);
      const TPoint p(GET_X_LPARAM(Message.LParam), GET_Y_LPARAM(Message.LParam));
      const bool onCross = Inside(CloseRect(), p);
      if (onCross != FHotCloseBtn) {
        FHotCloseBtn = onCross;
        Invalidate();
      }
      if (onCross) return;
      UpdateCells();
      PQnNumCell found = CellAt(p);
      if (found != FHotCell || !found) {
        FHotCell = found;
        Invalidate();
      }
      return;
    }
    case WM_LBUTTONDOWN:
      TQuarnCustomPanel::Dispatch(Message);
      if (FHotCloseBtn) {
        Hide();
      } else if (FHotCell && FHotCell->Enabled) {
        FFocusNum = FHotCell->Num;
        Invalidate();
        if (FOnCellClick) FOnCellClick(this, *FHotCell);
        Hide();
      }
      return;
    case CM_MOUSELEAVE:
      TQuarnCustomPanel::Dispatch(Message);
      FHotCell = nullptr;
      FHotCloseBtn = false;
      Invalidate();
      return;
    case WM_SIZE:
      TQuarnCustomPanel::Dispatch(Message);
      FResetCells = true;
      Invalidate();
      return;
    default: TQuarnCustomPanel::Dispatch(Message);
  }
}

void InitQuarnTimeBox() { RegisterClasses({TQuarnTimeBox::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnTimeBox)
