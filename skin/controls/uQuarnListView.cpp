// The skinned list view: header subclassing and flat painting, and the
// external bars kept in step with the native view.
#include "skin/controls/uQuarnListView.h"

#include <algorithm>
#include <vector>

#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"

namespace qn {

namespace {

constexpr Integer kHeaderWidthExtra = 25;  // the header reaches past the view's right edge
constexpr Integer kSectionPad = 5;
constexpr Integer kImageGap = 10;

}  // namespace

String ShortenHeaderCaption(TCanvas* C, const String& S, Integer W) {
  if (C->TextWidth(S) <= W) return S;
  String t = S;
  while (!t.empty() && C->TextWidth(t + u"...") > W) t.pop_back();
  return t + u"...";
}

TQuarnCustomListView::TQuarnCustomListView(TComponent* AOwner) : TCustomListView(AOwner) {
  FHeaderInstance = MakeObjectInstance([this](TMessage& m) { HeaderWndProc(m); });
}

TQuarnCustomListView::~TQuarnCustomListView() {
  ReleaseHeader();
  FreeObjectInstance(FHeaderInstance);
}

void TQuarnCustomListView::ReleaseHeader() {
  if (FHeaderHandle && IsWindow(FHeaderHandle) && FDefHeaderProc &&
      reinterpret_cast<WNDPROC>(GetWindowLongPtrW(FHeaderHandle, GWLP_WNDPROC)) == FHeaderInstance)
    SetWindowLongPtrW(FHeaderHandle, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FDefHeaderProc));
  FHeaderHandle = nullptr;
  FDefHeaderProc = nullptr;
}

void TQuarnCustomListView::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~(WS_HSCROLL | WS_VSCROLL);
}

void TQuarnCustomListView::SetVScrollBar(TQuarnScrollBar* Bar) {
  if (FVScrollBar && FVScrollBar != Bar) FVScrollBar->RemoveFreeNotification(this);
  FVScrollBar = Bar;
  if (Bar) {
    Bar->FreeNotification(this);
    Bar->SetEnabled(true);
    Bar->SetVisible(false);
    Bar->SetOnChange(TNotifyEvent(this, &TQuarnCustomListView::VScrollChange));
  }
  UpDateScrollBars();
}

void TQuarnCustomListView::SetHScrollBar(TQuarnScrollBar* Bar) {
  if (FHScrollBar && FHScrollBar != Bar) FHScrollBar->RemoveFreeNotification(this);
  FHScrollBar = Bar;
  if (Bar) {
    Bar->FreeNotification(this);
    Bar->SetEnabled(true);
    Bar->SetVisible(false);
    Bar->SetOnChange(TNotifyEvent(this, &TQuarnCustomListView::HScrollChange));
  }
  UpDateScrollBars();
}

void TQuarnCustomListView::Notification(TComponent* AComponent, TOperation Operation) {
  inherited::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FVScrollBar) FVScrollBar = nullptr;
  if (AComponent == FHScrollBar) FHScrollBar = nullptr;
}

Integer TQuarnCustomListView::ItemHeight() {
  // Without items there is no item 0 to measure.
  if (Items()->Count() == 0 || !HandleAllocated()) return 1;
  RECT r{LVIR_BOUNDS, 0, 0, 0};
  if (!LV(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) return 1;
  return std::max<Integer>(1, r.Bottom - r.Top);
}

// ---------------------------------------------------------------------------
// Native to bars

void TQuarnCustomListView::ShowBar(TQuarnScrollBar* Bar, bool Show, bool& Changed) {
  if (!Bar) return;
  // A bar shows only while the view does.
  Show = Show && Visible();
  if (Bar->Visible() == Show) return;
  FInCheckScrollBars = true;
  try {
    Bar->SetVisible(Show);
  } catch (...) {
    FInCheckScrollBars = false;
    throw;
  }
  FInCheckScrollBars = false;
  Changed = true;
}

void TQuarnCustomListView::RealignAfter(bool Changed) {
  if (!Changed || Align() == alNone || !Parent() || FInCheckScrollBars) return;
  FInCheckScrollBars = true;
  try {
    Parent()->Realign();
  } catch (...) {
    FInCheckScrollBars = false;
    throw;
  }
  FInCheckScrollBars = false;
}

void TQuarnCustomListView::UpDateScrollBars() {
  if (!HandleAllocated() || FLockUpdate || Width() <= 5 || Height() <= 5) return;
  switch (ViewStyle()) {
    case vsIcon:
    case vsSmallIcon: UpDateScrollBars1(); break;
    case vsReport: UpDateScrollBars2(); break;
    case vsList: UpDateScrollBars3(); break;
  }
}

void TQuarnCustomListView::UpDateScrollBars1() {
  bool changed = false;
  int mn = 0, mx = 0;
  Integer step = std::max<Integer>(1, ItemHeight() / 2);
  if (FVScrollBar) {
    GetScrollRange(Handle(), SB_VERT, &mn, &mx);
    bool show = mx > Height();
    ShowBar(FVScrollBar, show, changed);
    if (show) {
      FVScrollBar->SetSmallChange(step);
      FVScrollBar->SetLargeChange(step);
      Integer pos = GetScrollPos(Handle(), SB_VERT);
      FVScrollBar->SetRange(mn, mx, pos, Height());
      FOldVScrollBarPos = pos;
    }
  }
  if (FHScrollBar) {
    GetScrollRange(Handle(), SB_HORZ, &mn, &mx);
    bool show = mx > Width();
    ShowBar(FHScrollBar, show, changed);
    if (show) {
      FHScrollBar->SetSmallChange(step);
      FHScrollBar->SetLargeChange(step);
      Integer pos = GetScrollPos(Handle(), SB_HORZ);
      FHScrollBar->SetRange(mn, mx, pos, Width());
      FOldHScrollBarPos = pos;
    }
  }
  RealignAfter(changed);
}

void TQuarnCustomListView::UpDateScrollBars2() {
  bool changed = false;
  int mn = 0, mx = 0;
  if (FVScrollBar) {
    GetScrollRange(Handle(), SB_VERT, &mn, &mx);
    Integer perPage = Integer(LV(LVM_GETCOUNTPERPAGE, 0, 0));
    bool show = perPage < mx + 1;
    ShowBar(FVScrollBar, show, changed);
    if (show) {
      Integer pos = GetScrollPos(Handle(), SB_VERT);
      FVScrollBar->SetRange(mn, mx, pos, perPage);
      FOldVScrollBarPos = pos;
      FVScrollBar->SetSmallChange(1);
      FVScrollBar->SetLargeChange(std::max<Integer>(1, perPage));
    }
  }
  if (FHScrollBar) {
    GetScrollRange(Handle(), SB_HORZ, &mn, &mx);
    bool show = mx > Width();
    ShowBar(FHScrollBar, show, changed);
    if (show) {
      Integer pos = GetScrollPos(Handle(), SB_HORZ);
      FHScrollBar->SetRange(mn, mx, pos, Width());
      FOldHScrollBarPos = pos;
    }
  }
  RealignAfter(changed);
}

void TQuarnCustomListView::UpDateScrollBars3() {
  bool changed = false;
  ShowBar(FVScrollBar, false, changed);
  if (FHScrollBar) {
    Integer w = 1;
    if (Items()->Count() > 0) {
      RECT r{LVIR_BOUNDS, 0, 0, 0};
      if (LV(LVM_GETITEMRECT, 0, reinterpret_cast<LPARAM>(&r))) w = r.Right - r.Left;
    }
    if (w <= 0) w = 1;
    Integer perPage = Integer(LV(LVM_GETCOUNTPERPAGE, 0, 0));
    bool show = perPage < Integer(LV(LVM_GETITEMCOUNT, 0, 0));
    ShowBar(FHScrollBar, show, changed);
    if (show) {
      int mn = 0, mx = 0;
      GetScrollRange(Handle(), SB_HORZ, &mn, &mx);
      Integer pos = GetScrollPos(Handle(), SB_HORZ);
      FHScrollBar->SetRange(mn, mx, pos, Width() / w);
      FHScrollBar->SetSmallChange(1);
      FHScrollBar->SetLargeChange(1);
      FOldHScrollBarPos = pos;
    }
  }
  RealignAfter(changed);
}

// ---------------------------------------------------------------------------
// Bars to native

void TQuarnCustomListView::VScrollChange(TObject* Sender) {
  if (!FVScrollBar || !HandleAllocated()) return;
  FLockUpdate = true;
  try {
    if (IsEditing())
      if (TListItem* s = Selected()) s->CancelEdit();
    Integer d = FVScrollBar->Position() - FOldVScrollBarPos;
    if (ViewStyle() == vsIcon || ViewStyle() == vsSmallIcon) Scroll(0, d);
    else Scroll(0, d * ItemHeight());
    FOldVScrollBarPos = FVScrollBar->Position();
  } catch (...) {
    FLockUpdate = false;
    throw;
  }
  FLockUpdate = false;
  if (FOnScrollBarChange) FOnScrollBarChange(Sender);
}

void TQuarnCustomListView::HScrollChange(TObject* Sender) {
  if (!FHScrollBar || !HandleAllocated()) return;
  FLockUpdate = true;
  try {
    if (IsEditing())
      if (TListItem* s = Selected()) s->CancelEdit();
    Integer d = FHScrollBar->Position() - FOldHScrollBarPos;
    if (ViewStyle() == vsList) {
      // One column per step.
      for (Integer k = 0; k < std::abs(d); ++k) Perform(WM_HSCROLL, d > 0 ? SB_LINERIGHT : SB_LINELEFT, 0);
    } else {
      Scroll(d, 0);
    }
    FOldHScrollBarPos = FHScrollBar->Position();
  } catch (...) {
    FLockUpdate = false;
    throw;
  }
  FLockUpdate = false;
  if (FOnScrollBarChange) FOnScrollBarChange(Sender);
}

void TQuarnCustomListView::Change(TListItem* Item, TItemChange Change) {
  inherited::Change(Item, Change);
  if (!FInCheckScrollBars) UpDateScrollBars();
}

// ---------------------------------------------------------------------------
// Messages and the header

void TQuarnCustomListView::WndProc(TMessage& Message) {
  if (Message.Msg == WM_PARENTNOTIFY && LOWORD(Message.WParam) == WM_CREATE) {
    HWND child = reinterpret_cast<HWND>(Message.LParam);
    char16_t cls[50] = {};
    GetClassNameW(child, cls, 50);
    if (ShowColumnHeaders() && String(cls) == u"SysHeader32") {
      ReleaseHeader();
      FHeaderHandle = child;
      FDefHeaderProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(child, GWLP_WNDPROC));
      SetWindowLongPtrW(child, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(FHeaderInstance));
    }
  }
  inherited::WndProc(Message);
}

void TQuarnCustomListView::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_NCCALCSIZE:
    case WM_NCPAINT:
      // Whatever bars the native view shows take no room and no paint.
      Message.Result = 0;
      return;
    case WM_DESTROY:
      inherited::Dispatch(Message);
      ReleaseHeader();
      return;
    case WM_SIZE:
      inherited::Dispatch(Message);
      if (!FInCheckScrollBars && Items()->Count() > 0) {
        UpDateScrollBars();
        if (ViewStyle() == vsReport && FHeaderHandle) InvalidateRect(FHeaderHandle, nullptr, false);
      }
      return;
    case WM_PAINT:
      inherited::Dispatch(Message);
      if (!FInCheckScrollBars) UpDateScrollBars();
      return;
    case WM_KEYDOWN:
    case WM_LBUTTONUP:
      inherited::Dispatch(Message);
      UpDateScrollBars();
      return;
    default:
      inherited::Dispatch(Message);
  }
}

void TQuarnCustomListView::HeaderWndProc(TMessage& Message) {
  HWND h = FHeaderHandle;
  switch (Message.Msg) {
    case WM_WINDOWPOSCHANGING:
      reinterpret_cast<WINDOWPOS*>(Message.LParam)->cx += kHeaderWidthExtra;
      Message.Result = 0;
      return;
    case WM_PAINT:
      PaintHeader(reinterpret_cast<HDC>(Message.WParam));
      Message.Result = 0;
      return;
    case HDM_LAYOUT: {
      Message.Result = CallWindowProcW(FDefHeaderProc, h, Message.Msg, Message.WParam, Message.LParam);
      auto* l = reinterpret_cast<HDLAYOUT*>(Message.LParam);
      if (l && l->pwpos && l->prc) {
        Integer hh = GetDPIScaledPixels(this, FHeaderHeight);
        l->pwpos->cy = hh;
        // The rows start two pixels below the header.
        l->prc->Top = hh + 2;
      }
      return;
    }
    case WM_ERASEBKGND:
      Message.Result = 1;
      return;
    default:
      Message.Result = FDefHeaderProc ? CallWindowProcW(FDefHeaderProc, h, Message.Msg, Message.WParam, Message.LParam)
                                      : DefWindowProcW(h, Message.Msg, Message.WParam, Message.LParam);
  }
}

TRect TQuarnCustomListView::GetHeaderSectionRect(Integer Index) {
  TRect r(0, 0, 0, 0);
  if (!FHeaderHandle) return r;
  Integer n = Integer(SendMessageW(FHeaderHandle, HDM_GETITEMCOUNT, 0, 0));
  if (Index < 0 || Index >= n) return r;
  if (FullDrag()) {
    std::vector<int> order(size_t(n), 0);
    if (SendMessageW(FHeaderHandle, HDM_GETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(order.data())))
      Index = order[size_t(Index)];
  }
  RECT rc{0, 0, 0, 0};
  if (SendMessageW(FHeaderHandle, HDM_GETITEMRECT, WPARAM(Index), reinterpret_cast<LPARAM>(&rc))) r = rc;
  return r;
}

void TQuarnCustomListView::PaintHeader(HDC DC) {
  HWND h = FHeaderHandle;
  if (!h) return;
  PAINTSTRUCT ps;
  bool own = !DC;
  if (own) DC = BeginPaint(h, &ps);
  {
    TCanvas canvas;
    canvas.SetHandle(DC);
    Integer n = Integer(SendMessageW(h, HDM_GETITEMCOUNT, 0, 0));
    std::vector<int> order(size_t(std::max(0, n)), 0);
    bool mapped = FullDrag() && n > 0 &&
                  SendMessageW(h, HDM_GETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(order.data()));
    Integer right = 0;
    for (Integer i = 0; i < n; ++i) {
      TRect r = GetHeaderSectionRect(i);
      // Each section shows its own column: with a mapped index the rect
      // belongs to the column at that display position.
      Integer col = mapped ? order[size_t(i)] : i;
      if (col >= 0 && col < Columns()->Count()) DrawHeaderSection(&canvas, Columns()->Items(col), r);
      right = std::max(right, r.Right);
    }
    RECT wr;
    GetWindowRect(h, &wr);
    TRect e(right, 0, Integer(wr.Right - wr.Left) + 1, Integer(wr.Bottom - wr.Top));
    if (!e.IsEmpty()) {
      canvas.Brush()->SetStyle(TBrushStyle::bsSolid);
      canvas.Brush()->SetColor(FHeaderBgColor);
      canvas.FillRect(e);
      canvas.Pen()->SetStyle(TPenStyle::psSolid);
      canvas.Pen()->SetColor(FHeaderPenColor);
      canvas.MoveTo(e.Left, e.Bottom - 1);
      canvas.LineTo(e.Right, e.Bottom - 1);
    }
    canvas.SetHandle(nullptr);
  }
  if (own) EndPaint(h, &ps);
}

void TQuarnCustomListView::DrawHeaderSection(TCanvas* ACanvas, TListColumn* Column, const TRect& R) {
  if (R.IsEmpty() || !Column) return;
  TBitmap bmp;
  bmp.SetSize(R.Width(), R.Height());
  TCanvas* c = bmp.Canvas();
  TRect b(0, 0, bmp.Width(), bmp.Height());
  c->Brush()->SetStyle(TBrushStyle::bsSolid);
  c->Brush()->SetColor(FHeaderBgColor);
  c->FillRect(b);
  c->Pen()->SetStyle(TPenStyle::psSolid);
  c->Pen()->SetColor(FHeaderPenColor);
  c->MoveTo(b.Right - 1, b.Top);
  c->LineTo(b.Right - 1, b.Bottom);
  c->MoveTo(b.Left, b.Bottom - 1);
  c->LineTo(b.Right, b.Bottom - 1);
  c->Font()->Assign(Font());
  c->Brush()->SetStyle(TBrushStyle::bsClear);
  b.Left += kSectionPad;
  b.Right -= kSectionPad;
  String s = Column->Caption();
  Integer x = b.Left;
  TCustomImageList* images = SmallImages();
  if (images && Column->ImageIndex() >= 0 && Column->ImageIndex() < images->Count()) {
    Integer iw = images->Width(), ih = images->Height();
    String full = s;
    s = ShortenHeaderCaption(c, s, b.Width() - kImageGap - iw);
    if (s == full) {
      if (Column->Alignment() == taRightJustify) x = b.Right - c->TextWidth(s) - iw - kImageGap;
      else if (Column->Alignment() == taCenter) x = b.Left + b.Width() / 2 - (c->TextWidth(s) + iw + kImageGap) / 2;
    }
    images->Draw(c, x, b.Top + b.Height() / 2 - ih / 2, Column->ImageIndex(), true);
    x += iw + kImageGap;
  } else {
    s = ShortenHeaderCaption(c, s, b.Width());
    if (Column->Alignment() == taRightJustify) x = b.Right - c->TextWidth(s);
    else if (Column->Alignment() == taCenter) x = b.Left + b.Width() / 2 - c->TextWidth(s) / 2;
  }
  Integer y = b.Top + b.Height() / 2 - c->TextHeight(s) / 2;
  if (Font()->Height() % 2 != 0) --y;
  c->TextRect(b, x, y, s);
  ACanvas->Draw(R.Left, R.Top, &bmp);
}

void InitQuarnListView() { RegisterClasses({TQuarnListView::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnListView)
