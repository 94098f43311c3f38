// The "SysTabControl32" class: one TabCtl object per window from
// WM_NCCREATE to WM_NCDESTROY. The geometry is worked out afresh from the
// items, font, sizes and style whenever something asks for it, in strip
// coordinates (along the tab side, and across it from the control's edge)
// and then turned to the side the tabs are on.
#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/comctl/TabControl.h"
#include "platform/user/NativeControl.h"
#include "platform/gdi/GdiText.h"
#include "platform/rtl/SysUtils.h"

namespace vcl {

void RegisterUpDownClass();

namespace {

constexpr int kEdge = 2;     // rows start this far in from the control's edges
constexpr int kFrame = 4;    // display frame border plus its padding
constexpr int kBtnGap = 3;   // between buttons and between their rows
constexpr int kTabImageGap = 3;

struct Tab {
  String Text;
  int Image = -1;
  LPARAM Param = 0;
  DWORD State = 0;
  // Laid out, in strip coordinates: along the side, and the row.
  int Along = 0, Length = 0, Row = 0;
};

enum class Side { Top, Bottom, Left, Right };

class TabCtl {
 public:
  explicit TabCtl(HWND h) : H(h) {}
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

 private:
  HWND H;
  DWORD St = 0;
  std::vector<Tab> Tabs;
  int Cur = -1, FocusIdx = -1, Hot = -1, First = 0;
  int PadX = 6, PadY = 3, SizeW = 0, SizeH = 0, MinW = 0;
  DWORD ExStyle = 0;
  HFONT Font = nullptr;
  HIMAGELIST Images = nullptr;
  HWND ToolTips = nullptr;
  HWND Spin = nullptr;
  bool Focused = false, Tracking = false;
  // The last layout.
  int Rows = 1, Thick = 0, MaxFirst = 0;

  int Count() const { return int(Tabs.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  bool Vertical() const { return (St & TCS_VERTICAL) != 0; }
  bool Buttons() const { return (St & TCS_BUTTONS) != 0; }
  bool Multi() const { return (St & TCS_MULTILINE) || Vertical(); }
  Side TabSide() const {
    if (Vertical()) return (St & TCS_RIGHT) ? Side::Right : Side::Left;
    return (St & TCS_BOTTOM) ? Side::Bottom : Side::Top;
  }
  int Gap() const { return Buttons() ? kBtnGap : 0; }
  RECT Client() const {
    RECT r;
    GetClientRect(H, &r);
    return r;
  }
  int SideLength() const {
    RECT c = Client();
    return Vertical() ? c.Bottom - c.Top : c.Right - c.Left;
  }
  // How deep the rows reach in from the tab side.
  int StripDepth() const { return kEdge + Rows * Thick + (Rows - 1) * Gap() + Gap(); }

  void Layout();
  int SpinWidth() const { return 2 * std::max(8, Thick - 4); }
  void PlaceSpin(bool needed);
  RECT ToClient(int along0, int along1, int across0, int across1) const;
  RECT ItemRect(int i) const;
  RECT DisplayRect() const;
  int HitTest(POINT p, UINT* flags) const;
  bool ChangeTo(int i);
  void EnsureVisible(int i);
  // Every change lays the tabs out again (which places the up-down) and
  // repaints.
  void Invalidate() {
    Layout();
    InvalidateRect(H, nullptr, true);
  }
  void Paint(HDC dc);
  void DrawTab(HDC dc, int i);
  void DrawContent(HDC dc, int i, RECT r);
  void KeyDown(WPARAM vk, LPARAM lp);
  LRESULT GetItem(int i, TCITEMW* it) const;
  void SetItem(Tab& t, const TCITEMW* it);
};

TNativeControls<TabCtl>& TabCtls() {
  static TNativeControls<TabCtl> m;
  return m;
}

// ---------------------------------------------------------------------------
// Geometry

void TabCtl::Layout() {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  int icx = 0, icy = 0;
  if (Images) ImageList_GetIconSize(Images, &icx, &icy);
  Thick = SizeH > 0 ? SizeH : std::max<int>(tm.tmHeight, icy) + 2 * PadY;
  int widest = 0;
  for (auto& t : Tabs) {
    SIZE s{0, 0};
    if (!t.Text.empty()) GetTextExtentPoint32W(dc, t.Text.c_str(), t.Text.size(), &s);
    t.Length = s.cx + 2 * PadX;
    if (Images && t.Image >= 0) t.Length += icx + kTabImageGap;
    widest = std::max(widest, t.Length);
  }
  DeleteDC(dc);
  for (auto& t : Tabs) {
    if (St & TCS_FIXEDWIDTH) t.Length = SizeW > 0 ? SizeW : widest;
    t.Length = std::max(t.Length, MinW);
  }

  int length = SideLength() - 2 * kEdge, gap = Gap();
  Rows = 1;
  if (Multi()) {
    // Fill rows greedily, a tab that is longer than a row on a row of its own.
    std::vector<std::vector<int>> rows(1);
    int used = 0;
    for (int i = 0; i < Count(); ++i) {
      int need = (rows.back().empty() ? 0 : gap) + Tabs[size_t(i)].Length;
      if (!rows.back().empty() && used + need > length) {
        rows.emplace_back();
        used = 0;
        need = Tabs[size_t(i)].Length;
      }
      rows.back().push_back(i);
      used += need;
    }
    Rows = int(rows.size());
    bool stretch = Rows > 1 && !(St & (TCS_RAGGEDRIGHT | TCS_FIXEDWIDTH));
    for (int r = 0; r < Rows; ++r) {
      auto& row = rows[size_t(r)];
      int total = 0;
      for (int i : row) total += Tabs[size_t(i)].Length;
      total += gap * (int(row.size()) - 1);
      int extra = stretch ? std::max(0, length - total) : 0;
      int a = kEdge, n = int(row.size());
      for (int k = 0; k < n; ++k) {
        auto& t = Tabs[size_t(row[size_t(k)])];
        // Spread the extra evenly, the remainder to the first tabs.
        int add = n ? extra / n + (k < extra % n ? 1 : 0) : 0;
        t.Length += add;
        t.Along = a;
        t.Row = r;
        a += t.Length + gap;
      }
    }
    First = 0;
    MaxFirst = 0;
    PlaceSpin(false);
    return;
  }
  // One row: scrolled so that tab First comes first.
  int total = 0;
  for (auto& t : Tabs) total += t.Length + gap;
  total -= Count() ? gap : 0;
  bool overflow = total > length;
  MaxFirst = 0;
  if (overflow) {
    // The smallest first tab from which the rest fits before the up-down.
    int room = length - SpinWidth(), tail = 0;
    MaxFirst = Count() - 1;
    for (int i = Count() - 1; i >= 0; --i) {
      tail += Tabs[size_t(i)].Length + (i < Count() - 1 ? gap : 0);
      if (tail > room) break;
      MaxFirst = i;
    }
  }
  First = std::clamp(First, 0, MaxFirst);
  int a = kEdge;
  for (int i = First - 1; i >= 0; --i) {
    a -= Tabs[size_t(i)].Length + gap;
  }
  for (auto& t : Tabs) {
    t.Along = a;
    t.Row = 0;
    a += t.Length + gap;
  }
  PlaceSpin(overflow);
}

void TabCtl::PlaceSpin(bool needed) {
  if (!needed) {
    if (Spin) {
      HWND s = Spin;
      Spin = nullptr;
      DestroyWindow(s);
    }
    return;
  }
  RegisterUpDownClass();
  int w = SpinWidth(), h = std::max(8, Thick - 4);
  int along = SideLength() - kEdge - w;
  RECT r = ToClient(along, along + w, kEdge + (Thick - h) / 2, kEdge + (Thick - h) / 2 + h);
  if (!Spin) {
    Spin = CreateWindowExW(0, UPDOWN_CLASS, u"", WS_CHILD | WS_VISIBLE | UDS_HORZ, r.Left, r.Top,
                           r.Right - r.Left, r.Bottom - r.Top, H, nullptr, nullptr, nullptr);
  } else {
    SetWindowPos(Spin, nullptr, r.Left, r.Top, r.Right - r.Left, r.Bottom - r.Top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
  }
  if (Spin) {
    SendMessageW(Spin, UDM_SETRANGE32, 0, MaxFirst);
    SendMessageW(Spin, UDM_SETPOS32, 0, First);
  }
}

// Strip coordinates to client coordinates on the tab side.
RECT TabCtl::ToClient(int a0, int a1, int c0, int c1) const {
  RECT c = Client();
  switch (TabSide()) {
    case Side::Top:
      return RECT{a0, c0, a1, c1};
    case Side::Bottom:
      return RECT{a0, c.Bottom - c1, a1, c.Bottom - c0};
    case Side::Left:
      return RECT{c0, a0, c1, a1};
    case Side::Right:
      return RECT{c.Right - c1, a0, c.Right - c0, a1};
  }
  return RECT{};
}

RECT TabCtl::ItemRect(int i) const {
  const Tab& t = Tabs[size_t(i)];
  // Row 0 is the outermost unless rows rotate the selected one inwards.
  int d = Rows - 1 - t.Row;  // distance from the display area
  if (!Buttons() && Rows > 1 && Valid(Cur)) {
    int shift = Rows - 1 - Tabs[size_t(Cur)].Row;
    d = (d - shift + Rows) % Rows;
  }
  int across = kEdge + (Rows - 1 - d) * (Thick + Gap());
  return ToClient(t.Along, t.Along + t.Length, across, across + Thick);
}

// The display area with its frame.
RECT TabCtl::DisplayRect() const {
  RECT c = Client();
  int s = StripDepth();
  switch (TabSide()) {
    case Side::Top: c.Top += s; break;
    case Side::Bottom: c.Bottom -= s; break;
    case Side::Left: c.Left += s; break;
    case Side::Right: c.Right -= s; break;
  }
  return c;
}

int TabCtl::HitTest(POINT p, UINT* flags) const {
  if (flags) *flags = TCHT_NOWHERE;
  RECT c = Client();
  if (!PtInRect(c, p)) return -1;
  for (int i = 0; i < Count(); ++i) {
    RECT r = ItemRect(i);
    if (!PtInRect(r, p)) continue;
    if (flags) {
      *flags = TCHT_ONITEMLABEL;
      int icx = 0, icy = 0;
      if (Images && Tabs[size_t(i)].Image >= 0 && ImageList_GetIconSize(Images, &icx, &icy)) {
        int off = (Vertical() ? p.Y - r.Top : p.X - r.Left) - PadX;
        if (off >= 0 && off < icx) *flags = TCHT_ONITEMICON;
      }
    }
    return i;
  }
  return -1;
}

void TabCtl::EnsureVisible(int i) {
  if (Multi() || !Valid(i)) return;
  Layout();
  if (i < First) First = i;
  else if (MaxFirst > 0) {
    int room = SideLength() - kEdge - SpinWidth();
    while (First < i && First < MaxFirst && Tabs[size_t(i)].Along + Tabs[size_t(i)].Length > room) {
      ++First;
      Layout();
    }
  }
  Layout();
}

// A change asked for by the user: the parent may refuse it.
bool TabCtl::ChangeTo(int i) {
  if (!Valid(i) || i == Cur) return false;
  NMHDR nm;
  nm.code = TCN_SELCHANGING;
  if (SendNotify(H, nm)) return false;
  if (Dead || !Valid(i)) return false;
  Cur = FocusIdx = i;
  EnsureVisible(i);
  Invalidate();
  NMHDR nc;
  nc.code = TCN_SELCHANGE;
  SendNotify(H, nc);
  return true;
}

// ---------------------------------------------------------------------------
// Painting

void Line(HDC dc, int x0, int y0, int x1, int y1, int color) {
  RECT r{std::min(x0, x1), std::min(y0, y1), std::max(x0, x1) + 1, std::max(y0, y1) + 1};
  FillRect(dc, &r, GetSysColorBrush(color));
}

void TabCtl::DrawContent(HDC dc, int i, RECT r) {
  const Tab& t = Tabs[size_t(i)];
  if (St & TCS_OWNERDRAWFIXED) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_TAB;
    di.CtlID = UINT(GetDlgCtrlID(H));
    di.itemID = UINT(i);
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (i == Cur ? ODS_SELECTED : 0) | (Focused && i == FocusIdx ? ODS_FOCUS : 0) |
                   (IsWindowEnabled(H) ? 0 : ODS_DISABLED);
    di.hwndItem = H;
    di.hDC = dc;
    di.rcItem = r;
    di.itemData = ULONG_PTR(t.Param);
    HWND parent = GetParent(H);
    int saved = SaveDC(dc);
    if (parent) SendMessageW(parent, WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
    RestoreDC(dc, saved);
    return;
  }
  bool hi = (t.State & TCIS_HIGHLIGHTED) != 0;
  if (hi) {
    RECT f = r;
    InflateRect(f, -1, -1);
    FillRect(dc, &f, GetSysColorBrush(COLOR_HIGHLIGHT));
  }
  int color = !IsWindowEnabled(H) ? COLOR_GRAYTEXT
              : hi               ? COLOR_HIGHLIGHTTEXT
              : ((St & TCS_HOTTRACK) && i == Hot) ? COLOR_HOTLIGHT
                                                  : COLOR_BTNTEXT;
  SetTextColor(dc, GetSysColor(color));
  SetBkMode(dc, TRANSPARENT);
  int icx = 0, icy = 0;
  bool image = Images && t.Image >= 0 && ImageList_GetIconSize(Images, &icx, &icy);
  HFONT base = Font ? Font : static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  SIZE ts{0, 0};
  SelectObject(dc, base);
  if (!t.Text.empty()) GetTextExtentPoint32W(dc, t.Text.c_str(), t.Text.size(), &ts);
  int content = ts.cx + (image ? icx + kTabImageGap : 0);
  if (!Vertical()) {
    // Centred along the tab, whatever its stretch.
    int x = r.Left + std::max(0, (r.Right - r.Left - content) / 2);
    if (image) {
      ImageList_Draw(Images, t.Image, dc, x, r.Top + (r.Bottom - r.Top - icy) / 2, ILD_TRANSPARENT);
      x += icx + kTabImageGap;
    }
    if (!t.Text.empty()) TextOutW(dc, x, r.Top + (r.Bottom - r.Top - ts.cy) / 2, t.Text.c_str(), t.Text.size());
    if (Focused && i == FocusIdx && !(St & TCS_FOCUSNEVER)) {
      RECT f{x - 2, r.Top + (r.Bottom - r.Top - ts.cy) / 2 - 1, x + ts.cx + 2,
             r.Top + (r.Bottom - r.Top + ts.cy) / 2 + 1};
      DrawFocusRect(dc, &f);
    }
    return;
  }
  // Vertical tabs read upwards on the left and downwards on the right.
  bool left = TabSide() == Side::Left;
  LOGFONTW lf;
  GetObject(base, sizeof(lf), &lf);
  lf.lfEscapement = lf.lfOrientation = left ? 900 : 2700;
  HFONT turned = CreateFontIndirectW(&lf);
  int cx = (r.Left + r.Right) / 2;
  int start = left ? r.Bottom - std::max(0, (r.Bottom - r.Top - content) / 2)
                   : r.Top + std::max(0, (r.Bottom - r.Top - content) / 2);
  if (image) {
    int y = left ? start - icy : start;
    ImageList_Draw(Images, t.Image, dc, cx - icx / 2, y, ILD_TRANSPARENT);
    start += left ? -(icy + kTabImageGap) : icy + kTabImageGap;
  }
  SelectObject(dc, turned);
  if (!t.Text.empty())
    TextOutW(dc, left ? cx - ts.cy / 2 : cx + (ts.cy + 1) / 2, start, t.Text.c_str(), t.Text.size());
  SelectObject(dc, base);
  DeleteObject(turned);
  if (Focused && i == FocusIdx && !(St & TCS_FOCUSNEVER)) {
    int y0 = left ? start - ts.cx : start;
    RECT f{cx - ts.cy / 2 - 1, y0 - 2, cx + (ts.cy + 1) / 2 + 1, y0 + ts.cx + 2};
    DrawFocusRect(dc, &f);
  }
}

void TabCtl::DrawTab(HDC dc, int i) {
  RECT r = ItemRect(i);
  bool sel = i == Cur;
  if (Buttons()) {
    bool down = sel || (Tabs[size_t(i)].State & TCIS_BUTTONPRESSED);
    FillRect(dc, &r, GetSysColorBrush(down ? COLOR_3DLIGHT : COLOR_BTNFACE));
    RECT e = r;
    if (down) DrawEdge(dc, &e, EDGE_SUNKEN, BF_RECT);
    else if (!(St & TCS_FLATBUTTONS)) DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
    else if (i == Hot) DrawEdge(dc, &e, BDR_RAISEDINNER, BF_RECT);
    if ((St & TCS_FLATBUTTONS) && i + 1 < Count() && Tabs[size_t(i + 1)].Row == Tabs[size_t(i)].Row) {
      // An etched separator in the gap after each flat button.
      if (Vertical()) {
        Line(dc, r.Left, r.Bottom + 1, r.Right - 1, r.Bottom + 1, COLOR_BTNSHADOW);
        Line(dc, r.Left, r.Bottom + 2, r.Right - 1, r.Bottom + 2, COLOR_BTNHIGHLIGHT);
      } else {
        Line(dc, r.Right + 1, r.Top, r.Right + 1, r.Bottom - 1, COLOR_BTNSHADOW);
        Line(dc, r.Right + 2, r.Top, r.Right + 2, r.Bottom - 1, COLOR_BTNHIGHLIGHT);
      }
    }
    RECT c = r;
    InflateRect(c, -2, -2);
    if (down) OffsetRect(c, 1, 1);
    DrawContent(dc, i, c);
    return;
  }
  Side side = TabSide();
  // The selected tab stands 2 pixels proud on its three free sides and
  // reaches 2 pixels into the frame to join it.
  if (sel) InflateRect(r, 2, 2);
  FillRect(dc, &r, GetSysColorBrush(COLOR_BTNFACE));
  int L = r.Left, T = r.Top, R = r.Right - 1, B = r.Bottom - 1;
  // Light falls from the top left: edges facing up or left are light,
  // those facing down or right dark; the outer corners are cut.
  switch (side) {
    case Side::Top:
      Line(dc, L, T + 2, L, B, COLOR_BTNHIGHLIGHT);
      Line(dc, L + 1, T + 1, L + 1, T + 1, COLOR_BTNHIGHLIGHT);
      Line(dc, L + 2, T, R - 2, T, COLOR_BTNHIGHLIGHT);
      Line(dc, R - 1, T + 1, R - 1, B, COLOR_BTNSHADOW);
      Line(dc, R, T + 2, R, B, COLOR_3DDKSHADOW);
      Line(dc, R - 1, T + 1, R - 1, T + 1, COLOR_3DDKSHADOW);
      break;
    case Side::Bottom:
      Line(dc, L, T, L, B - 2, COLOR_BTNHIGHLIGHT);
      Line(dc, L + 1, B - 1, L + 1, B - 1, COLOR_3DDKSHADOW);
      Line(dc, L + 2, B, R - 2, B, COLOR_3DDKSHADOW);
      Line(dc, L + 2, B - 1, R - 2, B - 1, COLOR_BTNSHADOW);
      Line(dc, R - 1, T, R - 1, B - 2, COLOR_BTNSHADOW);
      Line(dc, R, T, R, B - 2, COLOR_3DDKSHADOW);
      Line(dc, R - 1, B - 1, R - 1, B - 1, COLOR_3DDKSHADOW);
      break;
    case Side::Left:
      Line(dc, L + 2, T, R, T, COLOR_BTNHIGHLIGHT);
      Line(dc, L + 1, T + 1, L + 1, T + 1, COLOR_BTNHIGHLIGHT);
      Line(dc, L, T + 2, L, B - 2, COLOR_BTNHIGHLIGHT);
      Line(dc, L + 2, B - 1, R, B - 1, COLOR_BTNSHADOW);
      Line(dc, L + 2, B, R, B, COLOR_3DDKSHADOW);
      Line(dc, L + 1, B - 1, L + 1, B - 1, COLOR_3DDKSHADOW);
      break;
    case Side::Right:
      Line(dc, L, T, R - 2, T, COLOR_BTNHIGHLIGHT);
      Line(dc, R - 1, T + 1, R - 1, T + 1, COLOR_BTNSHADOW);
      Line(dc, R, T + 2, R, B - 2, COLOR_3DDKSHADOW);
      Line(dc, R - 1, T + 2, R - 1, B - 2, COLOR_BTNSHADOW);
      Line(dc, L, B - 1, R - 2, B - 1, COLOR_BTNSHADOW);
      Line(dc, L, B, R - 2, B, COLOR_3DDKSHADOW);
      Line(dc, R - 1, B - 1, R - 1, B - 1, COLOR_3DDKSHADOW);
      break;
  }
  RECT c = r;
  InflateRect(c, -3, -3);
  DrawContent(dc, i, c);
}

void TabCtl::Paint(HDC dc) {
  Layout();
  int saved = SaveDC(dc);
  RECT c = Client();
  FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
  if (!Buttons()) {
    // The frame: light outside on the top and left, dark on the others.
    RECT d = DisplayRect();
    int L = d.Left, T = d.Top, R = d.Right - 1, B = d.Bottom - 1;
    Line(dc, L, T, R, T, COLOR_BTNHIGHLIGHT);
    Line(dc, L, T, L, B, COLOR_BTNHIGHLIGHT);
    Line(dc, L + 1, T + 1, R - 1, T + 1, COLOR_3DLIGHT);
    Line(dc, L + 1, T + 1, L + 1, B - 1, COLOR_3DLIGHT);
    Line(dc, L, B, R, B, COLOR_3DDKSHADOW);
    Line(dc, R, T, R, B, COLOR_3DDKSHADOW);
    Line(dc, L + 1, B - 1, R - 1, B - 1, COLOR_BTNSHADOW);
    Line(dc, R - 1, T + 1, R - 1, B - 1, COLOR_BTNSHADOW);
  }
  // Unselected tabs first so the selected one lies over its neighbours.
  for (int i = 0; i < Count(); ++i)
    if (i != Cur) DrawTab(dc, i);
  if (Valid(Cur)) DrawTab(dc, Cur);
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Items

LRESULT TabCtl::GetItem(int i, TCITEMW* it) const {
  if (!Valid(i) || !it) return 0;
  const Tab& t = Tabs[size_t(i)];
  if ((it->mask & TCIF_TEXT) && it->pszText && it->cchTextMax > 0) {
    int n = std::min(int(t.Text.size()), it->cchTextMax - 1);
    std::copy_n(t.Text.c_str(), n, it->pszText);
    it->pszText[n] = 0;
  }
  if (it->mask & TCIF_IMAGE) it->iImage = t.Image;
  if (it->mask & TCIF_PARAM) it->lParam = t.Param;
  if (it->mask & TCIF_STATE) it->dwState = t.State & it->dwStateMask;
  return 1;
}

void TabCtl::SetItem(Tab& t, const TCITEMW* it) {
  if (it->mask & TCIF_TEXT) t.Text = it->pszText ? String(it->pszText) : String();
  if (it->mask & TCIF_IMAGE) t.Image = it->iImage;
  if (it->mask & TCIF_PARAM) t.Param = it->lParam;
  if (it->mask & TCIF_STATE) t.State = (t.State & ~it->dwStateMask) | (it->dwState & it->dwStateMask);
}

// ---------------------------------------------------------------------------
// Input

void TabCtl::KeyDown(WPARAM vk, LPARAM lp) {
  NMTCKEYDOWN kd;
  kd.hdr.code = TCN_KEYDOWN;
  kd.wVKey = WORD(vk);
  kd.flags = UINT(lp);
  SendNotify(H, kd.hdr);
  if (Dead || Count() == 0) return;
  int from = Valid(Cur) ? Cur : 0, to = -1;
  bool vert = Vertical();
  if (vk == WPARAM(vert ? VK_UP : VK_LEFT)) to = from - 1;
  else if (vk == WPARAM(vert ? VK_DOWN : VK_RIGHT)) to = from + 1;
  else if (vk == VK_HOME) to = 0;
  else if (vk == VK_END) to = Count() - 1;
  if (Valid(to)) ChangeTo(to);
}

LRESULT TabCtl::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      St = DWORD(reinterpret_cast<CREATESTRUCTW*>(lp)->style);
      return DefWindowProcW(H, msg, wp, lp);
    case WM_STYLECHANGED:
      if (wp == WPARAM(GWL_STYLE)) St = reinterpret_cast<STYLESTRUCT*>(lp)->styleNew;
      Invalidate();
      return 0;
    case WM_SIZE:
      Layout();
      Invalidate();
      return 0;
    case WM_SETFONT:
      Font = reinterpret_cast<HFONT>(wp);
      if (LOWORD(uintptr_t(lp))) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      Focused = true;
      if (!Valid(FocusIdx)) FocusIdx = Cur;
      Invalidate();
      return 0;
    case WM_KILLFOCUS:
      Focused = false;
      Invalidate();
      return 0;
    case WM_ENABLE:
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK: {
      // Where the press lands in our own geometry picks the tab.
      Layout();
      int i = HitTest(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), nullptr);
      bool focus = !(St & TCS_FOCUSNEVER) && (!Buttons() || (St & TCS_FOCUSONBUTTONDOWN));
      if (focus && GetFocus() != H) SetFocus(H);
      if (Dead) return 0;
      if (i >= 0) ChangeTo(i);
      return 0;
    }
    case WM_MOUSEMOVE: {
      if (!(St & TCS_HOTTRACK) && !((St & TCS_FLATBUTTONS) && Buttons())) return 0;
      Layout();
      int i = HitTest(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), nullptr);
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
      return 0;
    }
    case WM_MOUSELEAVE:
      Tracking = false;
      if (Hot != -1) {
        Hot = -1;
        Invalidate();
      }
      return 0;
    case WM_KEYDOWN:
      KeyDown(wp, lp);
      return 0;
    case WM_HSCROLL:
      if (reinterpret_cast<HWND>(lp) == Spin && Spin && LOWORD(wp) == SB_THUMBPOSITION) {
        First = std::clamp(int(short(HIWORD(wp))), 0, MaxFirst);
        Layout();
        Invalidate();
      }
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (!dc) return 0;
      RECT c = Client();
      FillRect(dc, &c, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    case WM_PAINT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      PAINTSTRUCT ps;
      bool own = !dc;
      if (own) dc = BeginPaint(H, &ps);
      Paint(dc);
      if (own) EndPaint(H, &ps);
      return 0;
    }
    case TCM_GETITEMCOUNT:
      return Count();
    case TCM_INSERTITEMW: {
      auto* it = reinterpret_cast<const TCITEMW*>(lp);
      int i = int(intptr_t(wp));
      if (!it || i < 0) return -1;
      i = std::min(i, Count());
      Tab t;
      SetItem(t, it);
      Tabs.insert(Tabs.begin() + i, t);
      if (Cur < 0) Cur = 0;  // the first tab is selected as it arrives
      else if (i <= Cur && Count() > 1) ++Cur;
      if (FocusIdx >= i && Count() > 1) ++FocusIdx;
      Invalidate();
      return i;
    }
    case TCM_SETITEMW: {
      auto* it = reinterpret_cast<const TCITEMW*>(lp);
      int i = int(intptr_t(wp));
      if (!Valid(i) || !it) return 0;
      SetItem(Tabs[size_t(i)], it);
      Invalidate();
      return 1;
    }
    case TCM_GETITEMW:
      return GetItem(int(intptr_t(wp)), reinterpret_cast<TCITEMW*>(lp));
    case TCM_DELETEITEM: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return 0;
      Tabs.erase(Tabs.begin() + i);
      // Deleting the selected tab leaves none selected; the owner picks.
      if (Cur == i) Cur = -1;
      else if (Cur > i) --Cur;
      if (FocusIdx == i) FocusIdx = -1;
      else if (FocusIdx > i) --FocusIdx;
      if (Hot >= Count()) Hot = -1;
      Layout();
      Invalidate();
      return 1;
    }
    case TCM_DELETEALLITEMS:
      Tabs.clear();
      Cur = FocusIdx = Hot = -1;
      First = 0;
      Layout();
      Invalidate();
      return 1;
    case TCM_GETITEMRECT: {
      int i = int(intptr_t(wp));
      if (!Valid(i) || !lp) return 0;
      Layout();
      *reinterpret_cast<RECT*>(lp) = ItemRect(i);
      return 1;
    }
    case TCM_GETCURSEL:
      return Cur;
    case TCM_SETCURSEL: {
      // The program's own choice: no notification; -1 selects none.
      int i = int(intptr_t(wp)), old = Cur;
      if (i == -1) {
        Cur = -1;
        Invalidate();
        return old;
      }
      if (!Valid(i)) return -1;
      Cur = FocusIdx = i;
      EnsureVisible(i);
      Invalidate();
      return old;
    }
    case TCM_GETCURFOCUS:
      return FocusIdx;
    case TCM_SETCURFOCUS: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return 0;
      if (Buttons()) {
        FocusIdx = i;
        Invalidate();
      } else {
        ChangeTo(i);
      }
      return 0;
    }
    case TCM_HITTEST: {
      auto* ht = reinterpret_cast<TCHITTESTINFO*>(lp);
      if (!ht) return -1;
      Layout();
      return HitTest(ht->pt, &ht->flags);
    }
    case TCM_ADJUSTRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r) return 0;
      Layout();
      int s = StripDepth();
      int dl = kFrame, dt = kFrame, dr = kFrame, db = kFrame;
      switch (TabSide()) {
        case Side::Top: dt += s; break;
        case Side::Bottom: db += s; break;
        case Side::Left: dl += s; break;
        case Side::Right: dr += s; break;
      }
      if (wp) *r = RECT{r->Left - dl, r->Top - dt, r->Right + dr, r->Bottom + db};
      else *r = RECT{r->Left + dl, r->Top + dt, r->Right - dr, r->Bottom - db};
      return 0;
    }
    case TCM_SETITEMSIZE: {
      LRESULT old;
      Layout();
      int ow = Count() ? Tabs[0].Length : SizeW;
      old = MAKELRESULT(WORD(ow), WORD(Thick));
      SizeH = int(HIWORD(uintptr_t(lp)));
      if (St & TCS_FIXEDWIDTH) SizeW = int(LOWORD(uintptr_t(lp)));
      Layout();
      Invalidate();
      return old;
    }
    case TCM_SETPADDING:
      PadX = int(short(LOWORD(uintptr_t(lp))));
      PadY = int(short(HIWORD(uintptr_t(lp))));
      Invalidate();
      return 0;
    case TCM_SETMINTABWIDTH: {
      int old = MinW;
      MinW = std::max(0, int(lp));
      Invalidate();
      return old;
    }
    case TCM_GETROWCOUNT:
      Layout();
      return Rows;
    case TCM_SETIMAGELIST: {
      HIMAGELIST old = Images;
      Images = reinterpret_cast<HIMAGELIST>(lp);
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    case TCM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(Images);
    case TCM_REMOVEIMAGE: {
      int k = int(intptr_t(wp));
      for (auto& t : Tabs) {
        if (t.Image == k) t.Image = -1;
        else if (t.Image > k) --t.Image;
      }
      Invalidate();
      return 0;
    }
    case TCM_HIGHLIGHTITEM: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return 0;
      auto& s = Tabs[size_t(i)].State;
      s = LOWORD(uintptr_t(lp)) ? (s | TCIS_HIGHLIGHTED) : (s & ~TCIS_HIGHLIGHTED);
      Invalidate();
      return 1;
    }
    case TCM_DESELECTALL:
      for (int i = 0; i < Count(); ++i)
        if (!wp || i != Cur) Tabs[size_t(i)].State &= ~TCIS_BUTTONPRESSED;
      Invalidate();
      return 0;
    case TCM_SETEXTENDEDSTYLE: {
      DWORD old = ExStyle;
      DWORD mask = wp ? DWORD(wp) : 0xFFFFFFFFu;
      ExStyle = (ExStyle & ~mask) | (DWORD(lp) & mask);
      return old;
    }
    case TCM_GETEXTENDEDSTYLE:
      return ExStyle;
    case TCM_SETTOOLTIPS:
      ToolTips = reinterpret_cast<HWND>(wp);
      return 0;
    case TCM_GETTOOLTIPS:
      return reinterpret_cast<LRESULT>(ToolTips);
    case TCM_SETITEMEXTRA:
      // Items carry one LPARAM of data; no room beyond it.
      return Count() == 0 && wp <= sizeof(LPARAM);
    default:
      return DefWindowProcW(H, msg, wp, lp);
  }
}

LRESULT TabControlProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return TabCtls().Dispatch(h, msg, wp, lp);
}

}  // namespace

void RegisterTabControlClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS | CS_HREDRAW | CS_VREDRAW;
    wc.lpfnWndProc = TabControlProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_TABCONTROL;
    RegisterClassExW(&wc);
  });
}

}  // namespace vcl
