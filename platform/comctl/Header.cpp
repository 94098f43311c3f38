// The "SysHeader32" class: one Header object per window from WM_NCCREATE to
// WM_NCDESTROY, holding the items, their display order and the state of a
// divider track or an item drag.
#include <algorithm>
#include <mutex>
#include <numeric>
#include <vector>

#include "platform/comctl/Header.h"
#include "platform/gdi/GdiText.h"
#include "platform/user/NativeControl.h"

namespace vcl {

namespace {

constexpr int kDivider = 3;  // how near an item's right edge counts as its divider
constexpr int kPadX = 6;     // text and image inset
constexpr int kImageGap = 4;

struct HdItem {
  int Width = 0;
  String Text;
  int Fmt = HDF_LEFT | HDF_STRING;
  int Image = -1;
  LPARAM Param = 0;
};

enum class Mode { None, Press, Track, Drag };

class Header {
 public:
  explicit Header(HWND h) : H(h) {}
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

 private:
  HWND H;
  DWORD St = 0;
  std::vector<HdItem> Items;
  std::vector<int> Order;  // display position -> item index
  HFONT Font = nullptr;
  HIMAGELIST Images = nullptr;
  int Hot = -1;
  bool Tracking = false;  // leave tracking for hot items
  Mode Mouse = Mode::None;
  int Target = -1;     // the item pressed, tracked or dragged
  int StartX = 0;      // where the press began
  int StartWidth = 0;  // the tracked item's width at the press

  int Count() const { return int(Items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  int LeftOf(int item) const {
    int x = 0;
    for (int k : Order) {
      if (k == item) break;
      x += Items[size_t(k)].Width;
    }
    return x;
  }
  RECT ItemRect(int item) const {
    RECT c;
    GetClientRect(H, &c);
    int x = LeftOf(item);
    return RECT{x, 0, x + Items[size_t(item)].Width, c.Bottom};
  }
  int Height() const;
  int HitTest(POINT p, UINT& flags) const;
  LRESULT Notify(UINT code, int item, HDITEMW* it = nullptr, int button = 0) {
    NMHEADERW nm;
    nm.hdr.code = code;
    nm.iItem = item;
    nm.iButton = button;
    nm.pitem = it;
    return SendNotify(H, nm.hdr);
  }
  // HDN_ITEMCHANGING, the change, HDN_ITEMCHANGED; false when refused.
  bool Change(int item, const HDITEMW& it);
  void Apply(HdItem& d, const HDITEMW& it);
  LRESULT GetItem(int item, HDITEMW* it) const;
  void Invalidate() { InvalidateRect(H, nullptr, true); }
  void Paint(HDC dc);
  void DrawItem(HDC dc, int item, const RECT& r);
  void Press(POINT p);
  void Move(POINT p);
  void Release(POINT p);
  int DropPosition(int x) const;
};

TNativeControls<Header>& Headers() {
  static TNativeControls<Header> m;
  return m;
}

int Header::Height() const {
  if (St & HDS_HIDDEN) return 0;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  DeleteDC(dc);
  int h = tm.tmHeight + 8;
  int cx = 0, cy = 0;
  if (Images && ImageList_GetIconSize(Images, &cx, &cy)) h = std::max(h, cy + 6);
  return h;
}

int Header::HitTest(POINT p, UINT& flags) const {
  RECT c;
  GetClientRect(H, &c);
  flags = 0;
  if (p.Y < 0) flags |= HHT_ABOVE;
  if (p.Y >= c.Bottom) flags |= HHT_BELOW;
  if (p.X < 0) flags |= HHT_TOLEFT;
  if (p.X >= c.Right) flags |= HHT_TORIGHT;
  if (flags) return -1;
  // Dividers first, from the right, so a zero-width item's divider stays
  // reachable and the last item's divider wins over its neighbour's body.
  int x = 0;
  std::vector<int> rights;
  for (int k : Order) rights.push_back(x += Items[size_t(k)].Width);
  for (int pos = Count() - 1; pos >= 0; --pos)
    if (std::abs(p.X - rights[size_t(pos)]) <= kDivider) {
      flags = HHT_ONDIVIDER;
      return Order[size_t(pos)];
    }
  x = 0;
  for (int k : Order) {
    int w = Items[size_t(k)].Width;
    if (p.X >= x && p.X < x + w) {
      flags = HHT_ONHEADER;
      return k;
    }
    x += w;
  }
  flags = HHT_NOWHERE;
  return -1;
}

void Header::Apply(HdItem& d, const HDITEMW& it) {
  if (it.mask & HDI_WIDTH) d.Width = std::max(0, it.cxy);
  if (it.mask & HDI_TEXT) d.Text = it.pszText ? String(it.pszText) : String();
  if (it.mask & HDI_FORMAT) d.Fmt = it.fmt;
  if (it.mask & HDI_IMAGE) d.Image = it.iImage;
  if (it.mask & HDI_LPARAM) d.Param = it.lParam;
}

bool Header::Change(int item, const HDITEMW& it) {
  HDITEMW copy = it;
  if (Notify(HDN_ITEMCHANGINGW, item, &copy) || Dead || !Valid(item)) return false;
  Apply(Items[size_t(item)], it);
  if (it.mask & HDI_ORDER) {
    int to = std::clamp(it.iOrder, 0, Count() - 1);
    Order.erase(std::find(Order.begin(), Order.end(), item));
    Order.insert(Order.begin() + to, item);
  }
  Invalidate();
  copy = it;
  Notify(HDN_ITEMCHANGEDW, item, &copy);
  return true;
}

LRESULT Header::GetItem(int item, HDITEMW* it) const {
  if (!Valid(item) || !it) return 0;
  const HdItem& d = Items[size_t(item)];
  if (it->mask & HDI_WIDTH) it->cxy = d.Width;
  if ((it->mask & HDI_TEXT) && it->pszText && it->cchTextMax > 0) {
    int n = std::min(int(d.Text.size()), it->cchTextMax - 1);
    std::copy_n(d.Text.c_str(), n, it->pszText);
    it->pszText[n] = 0;
  }
  if (it->mask & HDI_FORMAT) it->fmt = d.Fmt;
  if (it->mask & HDI_IMAGE) it->iImage = d.Image;
  if (it->mask & HDI_LPARAM) it->lParam = d.Param;
  if (it->mask & HDI_ORDER) it->iOrder = int(std::find(Order.begin(), Order.end(), item) - Order.begin());
  return 1;
}

// ---------------------------------------------------------------------------
// Painting

void Header::DrawItem(HDC dc, int item, const RECT& r) {
  const HdItem& d = Items[size_t(item)];
  bool down = Mouse == Mode::Press && Target == item && (St & HDS_BUTTONS);
  FillRect(dc, &r, GetSysColorBrush(item == Hot && (St & HDS_HOTTRACK) ? COLOR_3DLIGHT : COLOR_BTNFACE));
  RECT e = r;
  DrawEdge(dc, &e, down ? EDGE_SUNKEN : EDGE_RAISED, BF_RECT);
  RECT c = r;
  InflateRect(c, -kPadX, -2);
  if (down) OffsetRect(c, 1, 1);
  int icx = 0, icy = 0;
  bool image = Images && (d.Fmt & HDF_IMAGE) && d.Image >= 0 && d.Image < ImageList_GetImageCount(Images) &&
               ImageList_GetIconSize(Images, &icx, &icy);
  SIZE ts{0, 0};
  GetTextExtentPoint32W(dc, d.Text.c_str(), int(d.Text.size()), &ts);
  int content = (image ? icx + (d.Text.empty() ? 0 : kImageGap) : 0) + int(ts.cx);
  int room = c.Right - c.Left;
  int x = c.Left;
  switch (d.Fmt & HDF_JUSTIFYMASK) {
    case HDF_RIGHT: x = std::max<int>(c.Left, c.Right - content); break;
    case HDF_CENTER: x = std::max<int>(c.Left, c.Left + (room - content) / 2); break;
    default: break;
  }
  int saved = SaveDC(dc);
  IntersectClipRect(dc, c.Left, c.Top, c.Right, c.Bottom);
  if (image) {
    ImageList_Draw(Images, d.Image, dc, x, (r.Top + r.Bottom - icy) / 2, ILD_TRANSPARENT);
    x += icx + kImageGap;
  }
  RECT t{x, c.Top, c.Right, c.Bottom};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  DrawTextW(dc, d.Text.c_str(), int(d.Text.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  RestoreDC(dc, saved);
}

void Header::Paint(HDC dc) {
  int saved = SaveDC(dc);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT c;
  GetClientRect(H, &c);
  int x = 0;
  for (int k : Order) {
    RECT r{x, 0, x + Items[size_t(k)].Width, c.Bottom};
    if (r.Right > r.Left) DrawItem(dc, k, r);
    x = r.Right;
  }
  // The rest of the row is an empty button face.
  if (x < c.Right) {
    RECT rest{x, 0, c.Right, c.Bottom};
    FillRect(dc, &rest, GetSysColorBrush(COLOR_BTNFACE));
    DrawEdge(dc, &rest, EDGE_RAISED, BF_RECT);
  }
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Mouse

void Header::Press(POINT p) {
  UINT flags = 0;
  int i = HitTest(p, flags);
  if (i < 0) return;
  if (flags & HHT_ONDIVIDER) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    it.cxy = Items[size_t(i)].Width;
    if (Notify(HDN_BEGINTRACKW, i, &it) || Dead) return;
    Mouse = Mode::Track;
    Target = i;
    StartX = p.X;
    StartWidth = Items[size_t(i)].Width;
    SetCapture(H);
    SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
    return;
  }
  if (!(St & (HDS_BUTTONS | HDS_DRAGDROP))) return;
  Mouse = Mode::Press;
  Target = i;
  StartX = p.X;
  SetCapture(H);
  Invalidate();
}

void Header::Move(POINT p) {
  if (Mouse == Mode::Track && Valid(Target)) {
    HDITEMW it;
    it.mask = HDI_WIDTH;
    it.cxy = std::max(0, StartWidth + p.X - StartX);
    if (Notify(HDN_TRACKW, Target, &it) || Dead) return;
    // With full drag the columns follow the pointer; otherwise the width
    // lands at the release.
    if ((St & HDS_FULLDRAG) && Valid(Target)) Change(Target, it);
    return;
  }
  if (Mouse == Mode::Press && (St & HDS_DRAGDROP) && Valid(Target) &&
      std::abs(p.X - StartX) > GetSystemMetrics(SM_CXDRAG)) {
    if (Notify(HDN_BEGINDRAG, Target) || Dead) {
      if (!Dead) Mouse = Mode::None;
      return;
    }
    Mouse = Mode::Drag;
    Invalidate();
  }
  if (St & HDS_HOTTRACK) {
    UINT flags = 0;
    int i = HitTest(p, flags);
    if (!(flags & HHT_ONHEADER)) i = -1;
    if (!Tracking) {
      TRACKMOUSEEVENT e;
      e.dwFlags = TME_LEAVE;
      e.hwndTrack = H;
      Tracking = TrackMouseEvent(&e);
    }
    if (i != Hot) {
      Hot = i;
      Invalidate();
    }
  }
}

// The display position an item dropped at x takes: before the item whose
// middle lies right of x.
int Header::DropPosition(int x) const {
  int left = 0, pos = 0;
  for (int k : Order) {
    int w = Items[size_t(k)].Width;
    if (x < left + w / 2) return pos;
    left += w;
    ++pos;
  }
  return Count() - 1;
}

void Header::Release(POINT p) {
  Mode m = Mouse;
  int i = Target;
  Mouse = Mode::None;
  Target = -1;
  if (GetCapture() == H) ReleaseCapture();
  if (Dead || !Valid(i)) return;
  switch (m) {
    case Mode::Track: {
      HDITEMW it;
      it.mask = HDI_WIDTH;
      it.cxy = std::max(0, StartWidth + p.X - StartX);
      Notify(HDN_ENDTRACKW, i, &it);
      if (!Dead && Valid(i) && Items[size_t(i)].Width != it.cxy) Change(i, it);
      break;
    }
    case Mode::Drag: {
      HDITEMW it;
      it.mask = HDI_ORDER;
      it.iOrder = DropPosition(p.X);
      if (Notify(HDN_ENDDRAG, i, &it) || Dead || !Valid(i)) break;
      int to = std::clamp(it.iOrder, 0, Count() - 1);
      Order.erase(std::find(Order.begin(), Order.end(), i));
      Order.insert(Order.begin() + to, i);
      Invalidate();
      break;
    }
    case Mode::Press: {
      Invalidate();
      UINT flags = 0;
      if (HitTest(p, flags) == i && (flags & HHT_ONHEADER) && (St & HDS_BUTTONS)) Notify(HDN_ITEMCLICKW, i);
      break;
    }
    case Mode::None:
      break;
  }
}

// ---------------------------------------------------------------------------
// Messages

LRESULT Header::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      St = DWORD(reinterpret_cast<CREATESTRUCTW*>(lp)->style);
      return DefWindowProcW(H, msg, wp, lp);
    case WM_STYLECHANGED:
      if (wp == WPARAM(GWL_STYLE)) St = reinterpret_cast<STYLESTRUCT*>(lp)->styleNew;
      Invalidate();
      return 0;
    case WM_SETFONT:
      Font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(uintptr_t(lp))) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_SIZE:
      Invalidate();
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (!dc) return 0;
      RECT c;
      GetClientRect(H, &c);
      FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      PAINTSTRUCT ps;
      bool own = !dc;
      if (own) dc = BeginPaint(H, &ps);
      Paint(dc);
      if (own) EndPaint(H, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
      Press(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    case WM_LBUTTONDBLCLK: {
      UINT flags = 0;
      int i = HitTest(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), flags);
      if (i >= 0) Notify((flags & HHT_ONDIVIDER) ? HDN_DIVIDERDBLCLICKW : HDN_ITEMDBLCLICKW, i);
      return 0;
    }
    case WM_MOUSEMOVE:
      Move(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    case WM_LBUTTONUP:
      Release(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    case WM_CAPTURECHANGED:
      if (Mouse != Mode::None && reinterpret_cast<HWND>(lp) != H) {
        Mouse = Mode::None;
        Target = -1;
        Invalidate();
      }
      return 0;
    case WM_MOUSELEAVE:
      Tracking = false;
      if (Hot != -1) {
        Hot = -1;
        Invalidate();
      }
      return 0;
    case WM_RBUTTONUP: {
      NMHDR nm;
      nm.code = NM_RCLICK;
      SendNotify(H, nm);
      return 0;
    }
    case WM_SETCURSOR: {
      POINT p;
      GetCursorPos(&p);
      ScreenToClient(H, &p);
      UINT flags = 0;
      if (Mouse == Mode::Track || (HitTest(p, flags) >= 0 && (flags & HHT_ONDIVIDER))) {
        SetCursor(LoadCursorW(nullptr, IDC_SIZEWE));
        return 1;
      }
      return DefWindowProcW(H, msg, wp, lp);
    }
    case HDM_GETITEMCOUNT:
      return Count();
    case HDM_INSERTITEMW: {
      auto* it = reinterpret_cast<const HDITEMW*>(lp);
      int i = int(intptr_t(wp));
      if (!it || i < 0) return -1;
      i = std::min(i, Count());
      HdItem d;
      Apply(d, *it);
      Items.insert(Items.begin() + i, d);
      for (int& k : Order)
        if (k >= i) ++k;
      int pos = (it->mask & HDI_ORDER) ? std::clamp(it->iOrder, 0, int(Order.size())) : std::min(i, int(Order.size()));
      Order.insert(Order.begin() + pos, i);
      Invalidate();
      return i;
    }
    case HDM_DELETEITEM: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return 0;
      Items.erase(Items.begin() + i);
      Order.erase(std::find(Order.begin(), Order.end(), i));
      for (int& k : Order)
        if (k > i) --k;
      if (Hot == i) Hot = -1;
      else if (Hot > i) --Hot;
      if (Target == i) {
        Mouse = Mode::None;
        Target = -1;
        if (GetCapture() == H) ReleaseCapture();
      } else if (Target > i) {
        --Target;
      }
      Invalidate();
      return 1;
    }
    case HDM_GETITEMW:
      return GetItem(int(intptr_t(wp)), reinterpret_cast<HDITEMW*>(lp));
    case HDM_SETITEMW: {
      auto* it = reinterpret_cast<const HDITEMW*>(lp);
      int i = int(intptr_t(wp));
      if (!Valid(i) || !it) return 0;
      return Change(i, *it);
    }
    case HDM_LAYOUT: {
      auto* l = reinterpret_cast<HDLAYOUT*>(lp);
      if (!l || !l->prc || !l->pwpos) return 0;
      int h = Height();
      RECT& r = *l->prc;
      WINDOWPOS& w = *l->pwpos;
      w.hwnd = H;
      w.hwndInsertAfter = nullptr;
      w.x = r.Left;
      w.y = r.Top;
      w.cx = r.Right - r.Left;
      w.cy = h;
      w.flags = SWP_NOZORDER | SWP_NOACTIVATE | ((St & HDS_HIDDEN) ? SWP_HIDEWINDOW : SWP_SHOWWINDOW);
      r.Top += h;
      return 1;
    }
    case HDM_HITTEST: {
      auto* ht = reinterpret_cast<HDHITTESTINFO*>(lp);
      if (!ht) return -1;
      ht->iItem = HitTest(ht->pt, ht->flags);
      return ht->iItem;
    }
    case HDM_GETITEMRECT: {
      int i = int(intptr_t(wp));
      if (!Valid(i) || !lp) return 0;
      *reinterpret_cast<RECT*>(lp) = ItemRect(i);
      return 1;
    }
    case HDM_SETIMAGELIST: {
      HIMAGELIST old = Images;
      Images = reinterpret_cast<HIMAGELIST>(lp);
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    case HDM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(Images);
    case HDM_ORDERTOINDEX: {
      int pos = int(intptr_t(wp));
      return pos >= 0 && pos < Count() ? Order[size_t(pos)] : pos;
    }
    case HDM_GETORDERARRAY: {
      // A count beyond the items, or none, is refused without writing.
      int n = int(intptr_t(wp));
      auto* out = reinterpret_cast<int*>(lp);
      if (!out || n < 0 || n > Count()) return 0;
      std::copy_n(Order.begin(), n, out);
      return 1;
    }
    case HDM_SETORDERARRAY: {
      int n = int(intptr_t(wp));
      auto* in = reinterpret_cast<const int*>(lp);
      if (!in || n != Count()) return 0;
      std::vector<int> o(in, in + n), sorted = o;
      std::sort(sorted.begin(), sorted.end());
      for (int k = 0; k < n; ++k)
        if (sorted[size_t(k)] != k) return 0;
      Order = o;
      Invalidate();
      return 1;
    }
    default:
      return DefWindowProcW(H, msg, wp, lp);
  }
}

LRESULT HeaderProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return Headers().Dispatch(h, msg, wp, lp); }

}  // namespace

void RegisterHeaderClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = HeaderProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_HEADER;
    RegisterClassExW(&wc);
  });
}

}  // namespace vcl
