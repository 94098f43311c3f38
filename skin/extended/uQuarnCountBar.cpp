#include "skin/extended/uQuarnCountBar.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

TQuarnCustomCountBar::TQuarnCustomCountBar(TComponent* AOwner) : TQuarnCustomIconButtonList(AOwner) {
  Font()->SetSize(10);
  SetBounds(Left(), Top(), 390, 34);
  FAlpha = 255;
  FItemWidth = 28;
  FItemHeight = 28;
  FColor = clWhite;
  FMarginBorderSize = 3;
  FDispOffset = TPoint(3, 3);
  FItemSpaceSize = 3;
  FAlignWithItems = ihaCenter;
  FAlignVWithItems = ihavTop;
  FHideScrollbar = true;
  FBorderSides = TSides{};
  FFontFocus = std::make_unique<TFont>();
  FFontFocus->SetColor(clWhite);
  FFontFocus->SetSize(10);
  SetNumCount(5);
}

TQuarnCustomCountBar::~TQuarnCustomCountBar() {
  // The records go while this class's DoFreeItem still answers.
  FItems->Clear();
}

void TQuarnCustomCountBar::AddCell(const String& Caption, Integer Value, TCountKind Kind) {
  TQnIconButtonItem* item = FItems->Add();
  auto* rec = new TCountDataRec{Caption, Value, Kind};
  item->SetData(rec);
  item->SetOwnerDraw(true);
}

Integer TQuarnCustomCountBar::IndexOfValue(Integer Value) {
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TCountDataRec* r = Rec(FItems->Items(i));
    if (r && r->Kind == ckNum && r->Value == Value) return i;
  }
  return -1;
}

bool TQuarnCustomCountBar::ResetBar(Integer Value, bool) {
  bool result = false;
  FItems->BeginUpdate();
  try {
    FItems->Clear();
    const bool across = Width() > Height();
    const Int64 S = GetDPIScaledPixels(this, across ? FItemWidth : FItemHeight);
    const Int64 step = S + FItemSpaceSize;
    Int64 fixed = 0;
    for (TCountKind k : {ckPrevious, ckNext, ckSkip, ckFirst, ckLast})
      if (FKinds.Contains(k)) fixed += step;
    // A step of nothing or less leaves no room to count number cells in.
    Int64 K = 0;
    if (step > 0) {
      const Int64 L = Height() < Width() ? Width() : Height();
      Int64 N = (L - fixed - 2 * Int64(FMarginBorderSize)) / step;
      if (FMaxItems > 0 && FMaxItems < N) N = FMaxItems;
      K = N + 1;
    }
    if (FKinds.Contains(ckFirst)) AddCell(u"|<", -1, ckFirst);
    if (FKinds.Contains(ckPrevious)) AddCell(u"<", -1, ckPrevious);
    const Int64 C = FNumCount, V = Value;
    Int64 first, last, current;
    bool skip = false;
    if (step <= 0) {
      first = 1, last = 0, current = std::clamp<Int64>(V, 1, std::max<Int64>(C, 1));
    } else if (K >= C) {
      first = 1, last = C, current = 1;
    } else if (V + K - 1 == C) {
      first = V, last = C, current = V;
    } else if (V + K - 1 > C) {
      first = C - K + 1, last = C, current = V;
    } else {
      first = V, last = V + K - 3, current = V;
      skip = true;
    }
    FNumBegin = Cardinal(std::max<Int64>(first, 0));
    FNumEnd = Cardinal(std::max<Int64>(last, 0));
    FFocusNum = Cardinal(std::max<Int64>(current, 0));
    ResetFocusItemIndex();
    if (FKinds.Contains(ckNum)) {
      for (Int64 p = first; p <= last; ++p) AddCell(IntToStr(Integer(p)), Integer(p), ckNum);
      const Integer at = IndexOfValue(Integer(current));
      if (at >= 0) {
        SetFocusItemIndex(at);
        result = true;
      }
    }
    if (skip && FKinds.Contains(ckSkip)) {
      AddCell(u"...", -1, ckSkip);
      AddCell(IntToStr(Integer(C)), Integer(C), ckNum);
    }
    if (FKinds.Contains(ckNext)) AddCell(u">", -1, ckNext);
    if (FKinds.Contains(ckLast)) AddCell(u">|", -1, ckLast);
  } catch (...) {
    FItems->EndUpdate();
    throw;
  }
  FItems->EndUpdate();
  Invalidate();
  return result;
}

bool TQuarnCustomCountBar::SkipTo(Integer Value) {
  if (Value < 1 || Int64(Value) > Int64(FNumCount)) return false;
  const Integer at = IndexOfValue(Value);
  if (at >= 0) {
    SetFocusItemIndex(at);
  } else if (!ResetBar(Value)) {
    FFocusNum = Cardinal(Value);
    if (FOnNumChanged) FOnNumChanged(this);
  }
  return true;
}

void TQuarnCustomCountBar::SetKinds(TCountKinds Value) {
  if (FKinds == Value) return;
  FKinds = Value;
  ResetBar(1);
}

void TQuarnCustomCountBar::SetMaxItems(Integer Value) {
  if (FMaxItems == Value) return;
  FMaxItems = Value;
  ResetBar(1);
}

void TQuarnCustomCountBar::SetNumCount(Cardinal Value) {
  if (Value == FNumCount && Int64(FItems->Count()) >= Int64(Value)) return;
  FNumCount = Value;
  ResetBar(1);
}

void TQuarnCustomCountBar::ScaleControlsForDpi(Integer NewPPI) {
  TQuarnCustomIconButtonList::ScaleControlsForDpi(NewPPI);
  ResetBar(1);
}

void TQuarnCustomCountBar::DoFirstClick() {
  if (FNumCount > 0) SkipTo(1);
  if (FOnFirstClick) FOnFirstClick(this);
}

void TQuarnCustomCountBar::DoPreviousClick() {
  if (Int64(FFocusNum) - 1 > 0) SkipTo(Integer(FFocusNum) - 1);
  if (FOnPreviousClick) FOnPreviousClick(this);
}

void TQuarnCustomCountBar::DoNextClick() {
  if (Int64(FFocusNum) + 1 <= Int64(FNumCount)) SkipTo(Integer(FFocusNum) + 1);
  if (FOnNextClick) FOnNextClick(this);
}

void TQuarnCustomCountBar::DoLastClick() {
  SkipTo(Integer(std::min<Cardinal>(FNumCount, Cardinal(INT32_MAX))));
  if (FOnLastClick) FOnLastClick(this);
}

void TQuarnCustomCountBar::DoDrawItem(TBitmap32* Buffer, TQnIconButtonItem* Item) {
  TCountDataRec* rec = Rec(Item);
  if (!rec) return;
  const bool focused = Item->Index() == FocusItemIndex();
  const TRect& r = Item->Rect();
  Buffer->FillRectS(r.Left, r.Top, r.Right, r.Bottom,
                    Color32(ColorToRGB(focused ? FColorFocus : FColorNormal)) | 0xFF000000u);
  Buffer->Font()->Assign(focused ? FFontFocus.get() : Font());
  TRect tr = r;
  Buffer->Textout(tr, DT_CENTER | DT_VCENTER | DT_SINGLELINE, rec->Caption);
}

void TQuarnCustomCountBar::DoFreeItem(TObject* Sender, TQnIconButtonItem* Item) {
  delete Rec(Item);
  Item->SetData(nullptr);
  TQuarnCustomIconButtonList::DoFreeItem(Sender, Item);
}

void TQuarnCustomCountBar::DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow) {
  TQuarnCustomIconButtonList::DoFocusChanging(Sender, OldIndex, NewIndex, Allow);
  if (!ValidIndex(NewIndex)) return;
  TCountDataRec* rec = Rec(FItems->Items(NewIndex));
  if (!rec) return;
  switch (rec->Kind) {
    case ckNum:
      FFocusNum = Cardinal(std::max(rec->Value, 0));
      if (FOnNumChanged) FOnNumChanged(Sender);
      return;
    case ckPrevious: Allow = false; DoPreviousClick(); return;
    case ckNext: Allow = false; DoNextClick(); return;
    case ckSkip:
      Allow = false;
      if (FOnSkipClick) FOnSkipClick(Sender);
      return;
    case ckFirst: Allow = false; DoFirstClick(); return;
    case ckLast: Allow = false; DoLastClick(); return;
  }
}

void TQuarnCustomCountBar::DoGetCursor(TCursor& Cursor) {
  POINT p;
  GetCursorPos(&p);
  TQnIconButtonItem* item = GetItemAt(ScreenToClient(TPoint(p.X, p.Y)));
  if (item) Cursor = item->Index() == HotItemIndex() ? crHandPoint : crDefault;
}

void InitQuarnCountBar() { RegisterClasses({TQuarnCountBar::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnCountBar)
