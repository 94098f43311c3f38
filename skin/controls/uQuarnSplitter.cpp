#include "skin/controls/uQuarnSplitter.h"

#include "platform/vcl/ControlMessages.h"

namespace qn {

TQuarnSplitter::TQuarnSplitter(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  // Holds no controls; keeps the pointer's messages while dragging.
  SetControlStyle(ControlStyle() - TControlStyle{csAcceptsControls} + TControlStyle{csCaptureMouse});
  SetBounds(Left(), Top(), Width(), 100);
  SetAlign(alLeft);
  SetCursor(crHSplit);
  SetBounds(Left(), Top(), 3, Height());
  SetColor(clWhite);
}

TQuarnSplitter::~TQuarnSplitter() {
  // A splitter freed in the middle of a drag gives back what it borrowed.
  if (FActiveControl) FActiveControl->SetOnKeyDown(FOldKeyDown);
  ReleaseLineDC();
}

void TQuarnSplitter::SetResizeType(TQnResizeType Value) {
  if (FResizeType == Value) return;
  FResizeType = Value;
  Invalidate();
}

void TQuarnSplitter::SetDotColor(TColor Value) {
  if (FDotColor == Value) return;
  FDotColor = Value;
  Invalidate();
}

bool TQuarnSplitter::CanResize(Integer& NewSize) {
  bool accept = true;
  if (FOnCanResize) FOnCanResize(this, NewSize, accept);
  return accept;
}

bool TQuarnSplitter::DoCanResize(Integer& NewSize) {
  const bool ok = CanResize(NewSize);
  if (ok && NewSize <= FMinSize && FAutoSnap) NewSize = 0;
  return ok;
}

void TQuarnSplitter::RequestAlign() {
  TQuarnCustomControl::RequestAlign();
  if (Cursor() != crVSplit && Cursor() != crHSplit) return;
  SetCursor(Align() == alTop || Align() == alBottom ? crVSplit : crHSplit);
}

// ---------------------------------------------------------------------------
// The sibling

TControl* TQuarnSplitter::FindControl() {
  TWinControl* parent = Parent();
  if (!parent) return nullptr;
  TPoint p(Left(), Top());
  const TMargins* m = AlignWithMargins() ? Margins() : nullptr;
  switch (Align()) {
    case alLeft: p.X -= 1 + (m ? m->Left() : 0); break;
    case alRight: p.X += Width() + (m ? m->Right() + 1 : 0); break;
    case alTop: p.Y -= 1 + (m ? m->Top() : 0); break;
    case alBottom: p.Y += Height() + (m ? m->Bottom() + 1 : 0); break;
    default: return nullptr;
  }
  const bool horz = Horizontal();
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (c == this || !c->Visible() || !c->Enabled()) continue;
    const TAlign a = c->Align();
    const bool sameAxis = horz ? (a == alLeft || a == alRight) : (a == alTop || a == alBottom);
    if (!sameAxis) continue;
    TRect r = c->BoundsRect();
    if (c->AlignWithMargins()) {
      r.Left -= c->Margins()->Left();
      r.Top -= c->Margins()->Top();
      r.Right += c->Margins()->Right();
      r.Bottom += c->Margins()->Bottom();
    }
    // A collapsed sibling still has to be found to be dragged open again.
    if (r.Right - r.Left == 0) {
      if (Align() == alTop || Align() == alLeft)
        --r.Left;
      else
        ++r.Right;
    }
    if (r.Bottom - r.Top == 0) {
      if (Align() == alTop || Align() == alLeft)
        --r.Top;
      else
        ++r.Bottom;
    }
    if (r.Left <= p.X && p.X < r.Right && r.Top <= p.Y && p.Y < r.Bottom) return c;
  }
  return nullptr;
}

// ---------------------------------------------------------------------------
// The drag

void TQuarnSplitter::CalcSplitSize(Integer X, Integer Y, Integer& NewSize, Integer& Split) {
  Split = Horizontal() ? X - FDownPos.X : Y - FDownPos.Y;
  Integer s = 0;
  switch (Align()) {
    case alLeft: s = FControl->Width() + Split; break;
    case alRight: s = FControl->Width() - Split; break;
    case alTop: s = FControl->Height() + Split; break;
    case alBottom: s = FControl->Height() - Split; break;
    default: break;
  }
  NewSize = s;
  if (s < FMinSize)
    NewSize = FMinSize;
  else if (s > FMaxSize)
    NewSize = FMaxSize;
  if (s != NewSize) {
    if (Align() == alRight || Align() == alBottom)
      Split += s - NewSize;
    else
      Split += NewSize - s;
  }
}

void TQuarnSplitter::UpdateSize(Integer X, Integer Y) { CalcSplitSize(X, Y, FNewSize, FSplit); }

void TQuarnSplitter::AllocateLineDC() {
  FLineDC = GetDCEx(Parent()->Handle(), nullptr, DCX_CACHE | DCX_CLIPSIBLINGS | DCX_LOCKWINDOWUPDATE);
  // Alternate pixels: the line reads as a shade over any picture and
  // drawing it twice gives the parent's pixels back.
  static const Word kPattern[8] = {0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA, 0x5555, 0xAAAA};
  if (!FBrush) {
    FPatternBitmap = CreateBitmap(8, 8, 1, 1, kPattern);
    FBrush = std::make_unique<TBrush>();
    FBrush->SetHandle(CreatePatternBrush(FPatternBitmap));
  }
  FPrevBrush = static_cast<HBRUSH>(SelectObject(FLineDC, FBrush->Handle()));
}

void TQuarnSplitter::ReleaseLineDC() {
  if (FLineDC) {
    if (FPrevBrush) SelectObject(FLineDC, FPrevBrush);
    ReleaseDC(Parent() && Parent()->HandleAllocated() ? Parent()->Handle() : nullptr, FLineDC);
    FLineDC = nullptr;
    FPrevBrush = nullptr;
  }
  FBrush.reset();
  if (FPatternBitmap) {
    DeleteObject(FPatternBitmap);
    FPatternBitmap = nullptr;
  }
}

void TQuarnSplitter::DrawLine() {
  if (!FLineDC) return;
  FLineVisible = !FLineVisible;
  const Integer x = Horizontal() ? Left() + FSplit : Left();
  const Integer y = Horizontal() ? Top() : Top() + FSplit;
  PatBlt(FLineDC, x, y, Width(), Height(), PATINVERT);
}

void TQuarnSplitter::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
  if (Button != TMouseButton::mbLeft || FControl) return;
  FControl = FindControl();
  FDownPos = TPoint(X, Y);
  if (!FControl) return;
  TWinControl* parent = Parent();
  const bool horz = Horizontal();
  FMaxSize = (horz ? parent->ClientWidth() : parent->ClientHeight()) - FMinSize;
  for (Integer i = 0; i < parent->ControlCount(); ++i) {
    TControl* c = parent->Controls(i);
    if (!c->Visible()) continue;
    const TAlign a = c->Align();
    if (horz && (a == alLeft || a == alRight)) FMaxSize -= c->Width();
    if (!horz && (a == alTop || a == alBottom)) FMaxSize -= c->Height();
  }
  FMaxSize += horz ? FControl->Width() : FControl->Height();
  UpdateSize(X, Y);
  AllocateLineDC();
  if (TCustomForm* form = GetParentForm(this); form && form->ActiveControl()) {
    FActiveControl = form->ActiveControl();
    FOldKeyDown = FActiveControl->OnKeyDown();
    FActiveControl->SetOnKeyDown(MakeEvent(this, &TQuarnSplitter::FocusKeyDown));
  }
  DrawLine();
}

void TQuarnSplitter::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseMove(Shift, X, Y);
  if (!Shift.Contains(ssLeft) || !FControl) return;
  Integer newSize = 0, split = 0;
  CalcSplitSize(X, Y, newSize, split);
  if (!DoCanResize(newSize)) return;
  if (FLineVisible) DrawLine();
  FNewSize = newSize;
  FSplit = split;
  DrawLine();
}

void TQuarnSplitter::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
  if (!FControl) return;
  if (FLineVisible) DrawLine();
  UpdateControlSize();
  StopSizing();
  Invalidate();
}

void TQuarnSplitter::UpdateControlSize() {
  if (FNewSize == FOldSize) return;
  switch (Align()) {
    case alLeft: FControl->SetWidth(FNewSize); break;
    case alTop: FControl->SetHeight(FNewSize); break;
    case alRight:
    case alBottom: {
      // Moved and resized in one go: the parent's alignment in between
      // would slide the sibling back before it got its new size.
      TWinControl* parent = Parent();
      parent->DisableAlign();
      try {
        if (Align() == alRight) {
          FControl->SetLeft(FControl->Left() + FControl->Width() - FNewSize);
          FControl->SetWidth(FNewSize);
        } else {
          FControl->SetTop(FControl->Top() + FControl->Height() - FNewSize);
          FControl->SetHeight(FNewSize);
        }
      } catch (...) {
        parent->EnableAlign();
        throw;
      }
      parent->EnableAlign();
      break;
    }
    default: break;
  }
  Update();
  // OnMoved comes once per drag, from StopSizing.
  FOldSize = FNewSize;
}

void TQuarnSplitter::StopSizing() {
  if (FControl) {
    if (FLineVisible) DrawLine();
    FControl = nullptr;
    ReleaseLineDC();
    if (FActiveControl) {
      FActiveControl->SetOnKeyDown(FOldKeyDown);
      FActiveControl = nullptr;
      FOldKeyDown = nullptr;
    }
  }
  if (FOnMoved) FOnMoved(this);
}

void TQuarnSplitter::FocusKeyDown(TObject*, Word& Key, TShiftState) {
  if (Key == VK_ESCAPE) StopSizing();
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnSplitter::DrawBody(TBitmap32* Buffer) {
  if (FResizeType == rtDot) {
    const TColor32 c = Color32(ColorToRGB(FDotColor)) | 0xFF000000u;
    const TColor32 lite = 0xFFF0F0F0u;
    const Integer W = Width(), H = Height();
    if (Align() == alTop || Align() == alBottom) {
      Integer x = (W - 30) / 2;
      const Integer y = (H - 2) / 2;
      for (Integer i = 0; i < 10; ++i, x += 3) {
        Buffer->SetPixelTS(x, y, c);
        Buffer->SetPixelTS(x, y + 2, c);
        Buffer->SetPixelTS(x + 1, y, lite);
        Buffer->SetPixelTS(x + 1, y + 2, lite);
      }
    } else if (Align() == alLeft || Align() == alRight) {
      Integer y = (H - 30) / 2;
      const Integer x = (W - 2) / 2;
      for (Integer i = 0; i < 10; ++i, y += 3) {
        Buffer->SetPixelTS(x, y, c);
        Buffer->SetPixelTS(x + 2, y, c);
        Buffer->SetPixelTS(x, y + 1, lite);
        Buffer->SetPixelTS(x + 2, y + 1, lite);
      }
    }
  }
  if (Designing()) {
    TCanvas* cv = Buffer->Canvas();
    cv->Pen()->SetStyle(TPenStyle::psDot);
    cv->Pen()->SetMode(TPenMode::pmXor);
    cv->Pen()->SetColor(static_cast<TColor>(0x00FFD8CE));
    cv->Brush()->SetStyle(TBrushStyle::bsClear);
    cv->Rectangle(0, 0, ClientWidth(), ClientHeight());
  }
}

void InitQuarnSplitter() { RegisterClasses({TQuarnSplitter::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnSplitter)
