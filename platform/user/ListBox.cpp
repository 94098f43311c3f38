// The "LISTBOX" system class: one ListBox object per window from
// WM_NCCREATE to WM_NCDESTROY, holding the items, the selection (current
// item, caret and anchor), the top index and the item geometry.
#include "platform/user/ListBox.h"
#include "platform/user/ListSelection.h"
#include "platform/user/NativeControl.h"

#include <algorithm>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

constexpr UINT_PTR kTrackTimer = 1;
constexpr UINT kTrackTimerMs = 50;

struct Item {
  String Text;
  ULONG_PTR Data = 0;
  bool Sel = false;
  int Height = 0;  // LBS_OWNERDRAWVARIABLE only
};

class ListBox {
 public:
  explicit ListBox(HWND h) : H(h) {}
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

 private:
  HWND H;
  DWORD St = 0;
  std::vector<Item> Items;
  int Top = 0, Cur = -1, Caret = 0, Anchor = 0;
  int ItemH = 16, ColW = 100;
  int HExt = 0, HOff = 0;     // LB_SETHORIZONTALEXTENT and the pixels scrolled (single column)
  int AveChar = 8;            // the font's average character width: dialog units to pixels
  std::vector<int> TabStops;  // dialog units; empty: every 32
  HFONT Font = nullptr;
  bool Redraw = true, Focused = false, Tracking = false, HasV = false, HasH = false;
  bool Cutting = false;  // CutToRows is resizing the window

  int Count() const { return int(Items.size()); }
  bool Multi() const { return (St & (LBS_MULTIPLESEL | LBS_EXTENDEDSEL)) != 0; }
  bool Extended() const { return (St & LBS_EXTENDEDSEL) != 0; }
  bool Columns() const { return (St & LBS_MULTICOLUMN) != 0; }
  bool Variable() const { return (St & LBS_OWNERDRAWVARIABLE) != 0 && !Columns(); }
  bool OwnerDraw() const { return (St & (LBS_OWNERDRAWFIXED | LBS_OWNERDRAWVARIABLE)) != 0; }
  bool HasStrings() const { return !OwnerDraw() || (St & LBS_HASSTRINGS); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  RECT Client() const {
    RECT r;
    GetClientRect(H, &r);
    return r;
  }
  int HeightOf(int i) const { return Variable() ? Items[size_t(i)].Height : ItemH; }
  int Rows() const { return std::max(1, int(Client().Bottom) / std::max(1, ItemH)); }
  int VisibleRows() const;
  int VisibleColumns() const { return std::max(1, int(Client().Right) / std::max(1, ColW)); }
  int MaxTop() const;
  bool IsSelected(int i) const { return Multi() ? Items[size_t(i)].Sel : i == Cur; }
  RECT ItemRect(int i) const;
  int ItemAt(POINT p, bool& outside) const;

  void Notify(UINT code) {
    if (St & LBS_NOTIFY) SendCommandNotify(H, code);
  }
  void SetFont(HFONT f);
  int Measure(int index);
  void CutToRows();
  void UpdateScrollInfo();
  void Invalidate() {
    if (!Redraw) return;
    Pending.clear();  // the whole list paints again
    InvalidateRect(H, nullptr, true);
  }
  // Repaints one item: plain lists through the update region, owner-drawn
  // ones by a WM_DRAWITEM of that action (ODA_SELECT, ODA_FOCUS) once the
  // message that changed it is done.
  void InvalidateItem(int i, UINT action = ODA_SELECT);
  std::vector<std::pair<int, UINT>> Pending;

 public:
  void FlushPending();

 private:
  void SetTop(int top);
  void EnsureVisible(int i);
  int Insert(int at, const String& s, ULONG_PTR data);
  int Delete(int i);
  void SelectOnly(int i);
  void SelectRange(int a, int b, bool on, bool clearOthers);
  void MoveCaret(int i, bool notify, bool shift, bool ctrl);
  int Find(int start, const String& s, bool exact) const;
  void Paint(HDC dc);
  void DrawItem(HDC dc, int i, UINT action);
  void Press(POINT p, WPARAM keys, bool dbl);
  void Track(POINT p);
  void EndTrack();
  void KeyDown(WPARAM vk);
  void Char(char16_t c);
  void Scroll(bool vertical, int code, int thumb);
  void ScrollSideways(int code, int thumb);
  void SetHOff(int off);
  void TextOut(HDC dc, int x, const RECT& r, const String& t) const;
};

TNativeControls<ListBox>& Lists() {
  static TNativeControls<ListBox> m;
  return m;
}

// ---------------------------------------------------------------------------
// Geometry

int ListBox::VisibleRows() const {
  int h = Client().Bottom;
  if (!Variable()) return std::max(1, h / std::max(1, ItemH));
  int n = 0, y = 0;
  for (int i = Top; i < Count() && y + HeightOf(i) <= h; ++i, ++n) y += HeightOf(i);
  return std::max(1, n);
}

int ListBox::MaxTop() const {
  if (Columns()) {
    int rows = Rows();
    int cols = (Count() + rows - 1) / rows;
    return std::max(0, cols - VisibleColumns()) * rows;
  }
  if (!Variable()) return std::max(0, Count() - VisibleRows());
  // The last page full: the first item from which the rest fits.
  int h = Client().Bottom, y = 0, i = Count();
  while (i > 0 && y + HeightOf(i - 1) <= h) y += HeightOf(--i);
  return std::min(i, std::max(0, Count() - 1));
}

RECT ListBox::ItemRect(int i) const {
  RECT c = Client();
  if (Columns()) {
    int rows = Rows();
    int col = i / rows - Top / rows;
    int row = i % rows;
    return RECT{col * ColW, row * ItemH, (col + 1) * ColW, (row + 1) * ItemH};
  }
  int y = 0;
  if (!Variable()) {
    y = (i - Top) * ItemH;
  } else if (i >= Top) {
    for (int k = Top; k < i; ++k) y += HeightOf(k);
  } else {
    for (int k = i; k < Top; ++k) y -= HeightOf(k);
  }
  // A list wider than its window (LB_SETHORIZONTALEXTENT) scrolls sideways.
  if (HExt > 0) return RECT{-HOff, y, std::max<int>(c.Right, HExt) - HOff, y + HeightOf(i)};
  return RECT{0, y, c.Right, y + HeightOf(i)};
}

int ListBox::ItemAt(POINT p, bool& outside) const {
  RECT c = Client();
  outside = p.X < 0 || p.Y < 0 || p.X >= c.Right || p.Y >= c.Bottom;
  if (Count() == 0) {
    outside = true;
    return 0;
  }
  int i;
  if (Columns()) {
    int rows = Rows();
    int col = std::max(0, int(p.X) / std::max(1, ColW));
    int row = std::clamp(int(p.Y) / std::max(1, ItemH), 0, rows - 1);
    i = Top + col * rows + row;
  } else if (!Variable()) {
    i = Top + (p.Y < 0 ? -1 : int(p.Y) / std::max(1, ItemH));
  } else {
    i = Top;
    int y = 0;
    while (i < Count() - 1 && p.Y >= y + HeightOf(i)) y += HeightOf(i++);
    if (p.Y < 0) i = Top - 1;
  }
  if (i >= Count()) {
    outside = true;
    i = Count() - 1;
  }
  if (i < 0) {
    outside = true;
    i = 0;
  }
  return i;
}

void ListBox::SetFont(HFONT f) {
  Font = f;
  if (OwnerDraw()) return;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, f ? static_cast<HGDIOBJ>(f) : GetStockObject(SYSTEM_FONT));
  TEXTMETRICW tm;
  if (GetTextMetricsW(dc, &tm)) {
    ItemH = std::max<int>(1, tm.tmHeight);
    AveChar = std::max<int>(1, tm.tmAveCharWidth);
  }
  DeleteDC(dc);
}

// The parent's WM_MEASUREITEM answer for one item (variable) or for all.
int ListBox::Measure(int index) {
  MEASUREITEMSTRUCT mi;
  mi.CtlType = ODT_LISTBOX;
  mi.CtlID = UINT(GetDlgCtrlID(H));
  mi.itemID = UINT(std::max(0, index));
  mi.itemWidth = UINT(Client().Right);
  mi.itemHeight = UINT(ItemH);
  if (index >= 0 && index < Count()) mi.itemData = Items[size_t(index)].Data;
  if (HWND parent = GetParent(H)) SendMessageW(parent, WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
  return std::clamp<int>(int(mi.itemHeight), 1, 255);
}

void ListBox::CutToRows() {
  if ((St & LBS_NOINTEGRALHEIGHT) || Variable() || Columns() || Cutting) return;
  RECT wr, cr;
  GetWindowRect(H, &wr);
  GetClientRect(H, &cr);
  int extra = cr.Bottom % std::max(1, ItemH);
  if (extra == 0 || cr.Bottom < ItemH) return;
  Cutting = true;
  SetWindowPos(H, nullptr, 0, 0, wr.Right - wr.Left, wr.Bottom - wr.Top - extra,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  Cutting = false;
}

void ListBox::UpdateScrollInfo() {
  UINT keep = (St & LBS_DISABLENOSCROLL) ? SIF_DISABLENOSCROLL : 0;
  if (HasV && !Columns()) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | keep;
    si.nMin = 0;
    si.nMax = std::max(0, Count() - 1);
    si.nPage = UINT(VisibleRows());
    si.nPos = Top;
    SetScrollInfo(H, SB_VERT, &si, Redraw);
  }
  if (HasH && !Columns()) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | keep;
    si.nMin = 0;
    si.nMax = std::max(0, HExt - 1);
    si.nPage = UINT(std::max<int>(0, Client().Right));
    si.nPos = HOff;
    SetScrollInfo(H, SB_HORZ, &si, Redraw);
  }
  if (HasH && Columns()) {
    int rows = Rows();
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | keep;
    si.nMin = 0;
    si.nMax = std::max(0, (Count() + rows - 1) / rows - 1);
    si.nPage = UINT(VisibleColumns());
    si.nPos = Top / rows;
    SetScrollInfo(H, SB_HORZ, &si, Redraw);
  }
}

void ListBox::InvalidateItem(int i, UINT action) {
  if (!Redraw || !Valid(i)) return;
  if (OwnerDraw()) {
    for (auto& [k, a] : Pending)
      if (k == i) {
        a |= action;
        return;
      }
    Pending.emplace_back(i, action);
    return;
  }
  RECT r = ItemRect(i);
  InvalidateRect(H, &r, true);
}

void ListBox::FlushPending() {
  if (Pending.empty()) return;
  auto pending = std::move(Pending);
  Pending.clear();
  if (!Redraw || !IsWindowVisible(H)) return;
  HDC dc = GetDC(H);
  int saved = SaveDC(dc);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(SYSTEM_FONT));
  RECT c = Client();
  for (auto [i, a] : pending) {
    if (!Valid(i)) continue;
    RECT r = ItemRect(i), x;
    if (!IntersectRect(x, r, c)) continue;
    if (a & ODA_SELECT) DrawItem(dc, i, ODA_SELECT);
    if (Dead) break;
    if ((a & ODA_FOCUS) && Valid(i)) DrawItem(dc, i, ODA_FOCUS);
    if (Dead) break;
  }
  RestoreDC(dc, saved);
  ReleaseDC(H, dc);
}

// Moves the view; the pixels that stay are moved, the band uncovered is
// invalidated with erase, so the next paint begins with WM_ERASEBKGND.
void ListBox::SetTop(int top) {
  top = std::clamp(top, 0, MaxTop());
  if (Columns()) top -= top % Rows();
  if (top == Top) return;
  int old = Top;
  if (Redraw) {
    if (Columns()) {
      int dx = (old / Rows() - top / Rows()) * ColW;
      Top = top;
      ScrollWindowEx(H, dx, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    } else {
      int dy = 0;
      for (int k = std::min(old, top); k < std::max(old, top); ++k) dy += HeightOf(k);
      if (top > old) dy = -dy;
      Top = top;
      ScrollWindowEx(H, 0, dy, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
    }
  }
  Top = top;
  UpdateScrollInfo();
}

void ListBox::EnsureVisible(int i) {
  if (!Valid(i)) return;
  if (Columns()) {
    int rows = Rows();
    int col = i / rows, first = Top / rows, n = VisibleColumns();
    if (col < first) SetTop(col * rows);
    else if (col >= first + n) SetTop((col - n + 1) * rows);
    return;
  }
  if (i < Top) {
    SetTop(i);
    return;
  }
  if (!Variable()) {
    if (i >= Top + VisibleRows()) SetTop(i - VisibleRows() + 1);
    return;
  }
  int h = Client().Bottom, top = Top;
  auto fits = [&](int t) {
    int y = 0;
    for (int k = t; k <= i; ++k) y += HeightOf(k);
    return y <= h;
  };
  while (top < i && !fits(top)) ++top;
  SetTop(top);
}

// ---------------------------------------------------------------------------
// Items and selection

int ListBox::Insert(int at, const String& s, ULONG_PTR data) {
  Item it;
  if (HasStrings()) it.Text = s;
  it.Data = data;
  if (at < 0 || at > Count()) at = Count();
  if ((St & LBS_SORT) && HasStrings() && at == -2) at = 0;
  Items.insert(Items.begin() + at, it);
  if (Cur >= at) ++Cur;
  if (Caret >= at && Count() > 1) ++Caret;
  if (Anchor >= at && Count() > 1) ++Anchor;
  if (Variable()) Items[size_t(at)].Height = Measure(at);
  UpdateScrollInfo();
  Invalidate();
  return at;
}

int ListBox::Delete(int i) {
  if (!Valid(i)) return int(LB_ERR);
  if (OwnerDraw() || !HasStrings()) {
    DELETEITEMSTRUCT di;
    di.CtlType = ODT_LISTBOX;
    di.CtlID = UINT(GetDlgCtrlID(H));
    di.itemID = UINT(i);
    di.hwndItem = H;
    di.itemData = Items[size_t(i)].Data;
    if (HWND parent = GetParent(H)) SendMessageW(parent, WM_DELETEITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
  }
  Items.erase(Items.begin() + i);
  if (Cur == i) Cur = -1;
  else if (Cur > i) --Cur;
  // Caret and anchor stay inside the list, even while a drag selects.
  if (Caret > i) --Caret;
  if (Anchor > i) --Anchor;
  Caret = std::clamp(Caret, 0, std::max(0, Count() - 1));
  Anchor = std::clamp(Anchor, 0, std::max(0, Count() - 1));
  Top = std::clamp(Top, 0, MaxTop());
  UpdateScrollInfo();
  Invalidate();
  return Count();
}

void ListBox::SelectOnly(int i) {
  if (Multi()) {
    for (int k = 0; k < Count(); ++k)
      if (Items[size_t(k)].Sel != (k == i)) {
        Items[size_t(k)].Sel = k == i;
        InvalidateItem(k);
      }
  } else if (Cur != i) {
    InvalidateItem(Cur);
    Cur = i;
    InvalidateItem(Cur);
  }
}

void ListBox::SelectRange(int a, int b, bool on, bool clearOthers) {
  if (a > b) std::swap(a, b);
  for (int k = 0; k < Count(); ++k) {
    bool inside = k >= a && k <= b;
    bool want = inside ? on : (clearOthers ? false : Items[size_t(k)].Sel);
    if (Items[size_t(k)].Sel != want) {
      Items[size_t(k)].Sel = want;
      InvalidateItem(k);
    }
  }
}

// The caret goes to i; the selection follows the list's mode.
void ListBox::MoveCaret(int i, bool notify, bool shift, bool ctrl) {
  if (Count() == 0) return;
  i = std::clamp(i, 0, Count() - 1);
  InvalidateItem(Caret, ODA_FOCUS);
  Caret = i;
  InvalidateItem(Caret, ODA_FOCUS);
  if (!(St & LBS_NOSEL)) {
    if (!Multi()) {
      SelectOnly(i);
    } else if (Extended()) {
      if (shift) SelectRange(Anchor, i, true, !ctrl);
      else if (!ctrl) {
        SelectOnly(i);
        Anchor = i;
      }
    }
  }
  EnsureVisible(i);
  if (notify) Notify(LBN_SELCHANGE);
}

int ListBox::Find(int start, const String& s, bool exact) const {
  int n = Count();
  if (n == 0) return int(LB_ERR);
  if (start < -1 || start >= n) start = -1;
  String want = AnsiUpperCase(s);
  for (int k = 1; k <= n; ++k) {
    int i = (start + k) % n;
    const Item& it = Items[size_t(i)];
    if (!HasStrings()) {
      if (it.Data == ULONG_PTR(reinterpret_cast<uintptr_t>(s.c_str()))) return i;
      continue;
    }
    String t = AnsiUpperCase(it.Text);
    if (exact ? t == want : t.compare(0, want.size(), want) == 0) return i;
  }
  return int(LB_ERR);
}

// ---------------------------------------------------------------------------
// Painting

void ListBox::DrawItem(HDC dc, int i, UINT action) {
  RECT r = ItemRect(i);
  bool sel = IsSelected(i), focus = Focused && i == Caret, enabled = IsWindowEnabled(H);
  if (OwnerDraw()) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_LISTBOX;
    di.CtlID = UINT(GetDlgCtrlID(H));
    di.itemID = UINT(i);
    di.itemAction = action;
    di.itemState = (sel ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0) | (enabled ? 0 : ODS_DISABLED);
    di.hwndItem = H;
    di.hDC = dc;
    di.rcItem = r;
    di.itemData = Items[size_t(i)].Data;
    if (HWND parent = GetParent(H)) SendMessageW(parent, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
    return;
  }
  int saved = SaveDC(dc);
  if (sel) {
    HBRUSH b = GetSysColorBrush(COLOR_HIGHLIGHT);
    FillRect(dc, &r, b);
    SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
  } else if (!enabled) {
    SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  }
  SetBkMode(dc, TRANSPARENT);
  TextOut(dc, r.Left + 2, r, Items[size_t(i)].Text);
  RestoreDC(dc, saved);
  if (focus) DrawFocusRect(dc, &r);
}

// An item's text. With LBS_USETABSTOPS a tab moves to the next stop
// (dialog units from the item's left; every 32 without LB_SETTABSTOPS,
// a blank past the last one); otherwise it shows as a blank.
void ListBox::TextOut(HDC dc, int x0, const RECT& r, const String& t) const {
  if (!(St & LBS_USETABSTOPS) || t.find(u'\t') == String::npos) {
    String shown = t;
    std::replace(shown.begin(), shown.end(), u'\t', u' ');
    ExtTextOutW(dc, x0, r.Top, ETO_CLIPPED, &r, shown.c_str(), UINT(shown.size()), nullptr);
    return;
  }
  int x = x0;
  size_t from = 0;
  while (true) {
    size_t tab = t.find(u'\t', from);
    String part = t.substr(from, tab == String::npos ? String::npos : tab - from);
    ExtTextOutW(dc, x, r.Top, ETO_CLIPPED, &r, part.c_str(), UINT(part.size()), nullptr);
    SIZE sz{0, 0};
    if (!part.empty()) GetTextExtentPoint32W(dc, part.c_str(), int(part.size()), &sz);
    x += sz.cx;
    if (tab == String::npos) return;
    int rel = x - x0, next = -1;
    if (TabStops.size() <= 1) {
      int step = std::max(1, (TabStops.empty() ? 32 : TabStops[0]) * AveChar / 4);
      next = (rel / step + 1) * step;
    } else {
      for (int du : TabStops) {
        int px = du * AveChar / 4;
        if (px > rel) {
          next = px;
          break;
        }
      }
      if (next < 0) {
        SIZE sp{0, 0};
        GetTextExtentPoint32W(dc, u" ", 1, &sp);
        next = rel + sp.cx;
      }
    }
    x = x0 + next;
    from = tab + 1;
  }
}

void ListBox::Paint(HDC dc) {
  int saved = SaveDC(dc);
  HWND parent = GetParent(H);
  LRESULT br = parent ? SendMessageW(parent, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc),
                                     reinterpret_cast<LPARAM>(H))
                      : 0;
  if (!br) br = DefWindowProcW(H, WM_CTLCOLORLISTBOX, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(H));
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(SYSTEM_FONT));
  RECT c = Client();
  for (int i = Top; i < Count(); ++i) {
    RECT r = ItemRect(i);
    if (r.Top >= c.Bottom || r.Left >= c.Right) {
      if (!Columns()) break;
      continue;
    }
    if (!OwnerDraw() && br && HGDIOBJ(br) != GetStockObject(NULL_BRUSH))
      FillRect(dc, &r, reinterpret_cast<HBRUSH>(br));
    DrawItem(dc, i, ODA_DRAWENTIRE);
  }
  // A focused empty list shows the focus on its first row.
  if (Count() == 0 && Focused && !OwnerDraw()) {
    RECT r{0, 0, c.Right, ItemH};
    DrawFocusRect(dc, &r);
  }
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Input

void ListBox::Press(POINT p, WPARAM keys, bool dbl) {
  if (GetFocus() != H) SetFocus(H);
  if (Dead) return;
  bool outside = false;
  int i = ItemAt(p, outside);
  if (Count() == 0 || outside) return;
  bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;
  if (St & LBS_NOSEL) {
    MoveCaret(i, false, false, false);
  } else if (ClickSelection(Multi(), Extended(), shift, ctrl) == TClickSelect::Toggle) {
    InvalidateItem(Caret, ODA_FOCUS);
    Caret = Anchor = i;
    Items[size_t(i)].Sel = !Items[size_t(i)].Sel;
    InvalidateItem(i);
    Notify(LBN_SELCHANGE);
  } else {
    MoveCaret(i, true, shift, ctrl);
  }
  if (Dead) return;
  if (dbl) {
    Notify(LBN_DBLCLK);
    return;
  }
  Tracking = true;
  SetCapture(H);
  SetTimer(H, kTrackTimer, kTrackTimerMs, nullptr);
}

void ListBox::Track(POINT p) {
  if (!Tracking || Count() == 0) return;
  bool outside = false;
  int i = ItemAt(p, outside);
  RECT c = Client();
  // Outside the view the clock does the scrolling; the item stays at the edge.
  if (!Columns()) {
    if (p.Y < 0) i = Top;
    else if (p.Y >= c.Bottom) i = std::min(Count() - 1, Top + VisibleRows() - 1);
  }
  if (Multi() && !Extended()) return;
  if (i != Caret) MoveCaret(i, true, Extended(), false);
}

void ListBox::EndTrack() {
  if (!Tracking) return;
  Tracking = false;
  KillTimer(H, kTrackTimer);
  if (GetCapture() == H) ReleaseCapture();
}

void ListBox::KeyDown(WPARAM vk) {
  if (St & LBS_WANTKEYBOARDINPUT) {
    HWND parent = GetParent(H);
    LRESULT r = parent ? SendMessageW(parent, WM_VKEYTOITEM, MAKEWPARAM(int(vk), Caret), reinterpret_cast<LPARAM>(H))
                       : -1;
    if (Dead || r == -2) return;
    if (r >= 0) {
      MoveCaret(int(r), true, false, false);
      return;
    }
  }
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int rows = Columns() ? Rows() : 1;
  int to = Caret;
  switch (vk) {
    case VK_UP: to = Caret - 1; break;
    case VK_DOWN: to = Caret + 1; break;
    case VK_LEFT: to = Caret - rows; break;
    case VK_RIGHT: to = Caret + rows; break;
    case VK_PRIOR: to = Caret - std::max(1, Columns() ? rows * VisibleColumns() : VisibleRows() - 1); break;
    case VK_NEXT: to = Caret + std::max(1, Columns() ? rows * VisibleColumns() : VisibleRows() - 1); break;
    case VK_HOME: to = 0; break;
    case VK_END: to = Count() - 1; break;
    case VK_SPACE:
      if (Multi() && Valid(Caret) && !(St & LBS_NOSEL)) {
        if (Extended() && !ctrl) SelectOnly(Caret);
        else Items[size_t(Caret)].Sel = !Items[size_t(Caret)].Sel;
        Anchor = Caret;
        InvalidateItem(Caret);
        Notify(LBN_SELCHANGE);
      }
      return;
    default:
      return;
  }
  if (Count() == 0) return;
  to = std::clamp(to, 0, Count() - 1);
  if (Multi() && !Extended()) {
    // A multiple-selection list moves only its caret.
    InvalidateItem(Caret, ODA_FOCUS);
    Caret = to;
    InvalidateItem(Caret, ODA_FOCUS);
    EnsureVisible(Caret);
    return;
  }
  if (to == Caret && IsSelected(to)) return;
  MoveCaret(to, true, shift && Extended(), ctrl && Extended());
}

void ListBox::Char(char16_t c) {
  if (St & LBS_WANTKEYBOARDINPUT && !HasStrings()) {
    HWND parent = GetParent(H);
    LRESULT r = parent ? SendMessageW(parent, WM_CHARTOITEM, MAKEWPARAM(int(c), Caret), reinterpret_cast<LPARAM>(H))
                       : -1;
    if (Dead || r < 0) return;
    MoveCaret(int(r), true, false, false);
    return;
  }
  if (c < 0x20 || !HasStrings()) return;
  // Type-ahead: the next item starting with the letter.
  int i = FindItemPrefix(Count(), Caret, String(1, c), [this](int k) { return Items[size_t(k)].Text; });
  if (i >= 0) MoveCaret(i, true, false, false);
}

void ListBox::SetHOff(int off) {
  off = std::clamp(off, 0, std::max(0, HExt - int(Client().Right)));
  if (off == HOff) return;
  int dx = HOff - off;
  HOff = off;
  if (Redraw) ScrollWindowEx(H, dx, 0, nullptr, nullptr, nullptr, nullptr, SW_INVALIDATE | SW_ERASE);
  UpdateScrollInfo();
}

// A single-column list scrolls sideways by pixels: a line is an average
// character, a page the window's width.
void ListBox::ScrollSideways(int code, int thumb) {
  int off = HOff, page = std::max(1, int(Client().Right));
  switch (code) {
    case SB_LINELEFT: off -= AveChar; break;
    case SB_LINERIGHT: off += AveChar; break;
    case SB_PAGELEFT: off -= page; break;
    case SB_PAGERIGHT: off += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: off = thumb; break;
    case SB_LEFT: off = 0; break;
    case SB_RIGHT: off = HExt; break;
    default: return;
  }
  SetHOff(off);
}

void ListBox::Scroll(bool vertical, int code, int thumb) {
  if (!vertical && !Columns()) {
    ScrollSideways(code, thumb);
    return;
  }
  int unit = Columns() ? Rows() : 1;
  int page = Columns() ? unit * VisibleColumns() : std::max(1, VisibleRows() - 1);
  if (vertical == Columns()) return;
  int top = Top;
  switch (code) {
    case SB_LINEUP: top -= unit; break;
    case SB_LINEDOWN: top += unit; break;
    case SB_PAGEUP: top -= page; break;
    case SB_PAGEDOWN: top += page; break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: top = thumb * unit; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = Count(); break;
    default: return;
  }
  SetTop(top);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT ListBox::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      St = DWORD(cs->style);
      if (St & LBS_NODATA) St &= ~(LBS_SORT | LBS_HASSTRINGS);
      HasV = (St & WS_VSCROLL) != 0;
      HasH = (St & WS_HSCROLL) != 0;
      SetFont(nullptr);
      return DefWindowProcW(H, msg, wp, lp);
    }
    case WM_CREATE:
      // Owner-drawn rows are as high as the parent says, asked once here.
      if (OwnerDraw() && !Variable()) ItemH = Measure(-1);
      CutToRows();
      UpdateScrollInfo();
      return 0;
    case WM_SIZE:
      // Without LBS_NOINTEGRALHEIGHT the list shows whole rows only.
      CutToRows();
      Top = std::clamp(Top, 0, MaxTop());
      UpdateScrollInfo();
      Invalidate();
      return 0;
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wp));
      CutToRows();
      Top = std::clamp(Top, 0, MaxTop());
      UpdateScrollInfo();
      if (lp) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_SETREDRAW:
      Redraw = wp != 0;
      DefWindowProcW(H, msg, wp, lp);
      if (Redraw) UpdateScrollInfo();
      return 0;
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS:
      Focused = true;
      InvalidateItem(Caret, ODA_FOCUS);
      if (Count() == 0) Invalidate();
      Notify(LBN_SETFOCUS);
      return 0;
    case WM_KILLFOCUS:
      Focused = false;
      EndTrack();
      InvalidateItem(Caret, ODA_FOCUS);
      if (Count() == 0) Invalidate();
      Notify(LBN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      Invalidate();
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      Press(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), wp, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE:
      Track(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    case WM_LBUTTONUP:
      EndTrack();
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != H) {
        Tracking = false;
        KillTimer(H, kTrackTimer);
      }
      return 0;
    case WM_TIMER:
      if (wp == kTrackTimer && Tracking) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(H, &p);
        RECT c = Client();
        if (!Columns() && p.Y < 0) {
          SetTop(Top - 1);
          if (!(Multi() && !Extended())) MoveCaret(Top, true, Extended(), false);
        } else if (!Columns() && p.Y >= c.Bottom) {
          SetTop(Top + 1);
          if (!(Multi() && !Extended()))
            MoveCaret(std::min(Count() - 1, Top + VisibleRows() - 1), true, Extended(), false);
        }
      }
      return 0;
    case WM_KEYDOWN:
      KeyDown(wp);
      return 0;
    case WM_CHAR:
      Char(char16_t(wp));
      return 0;
    case WM_VSCROLL:
    case WM_HSCROLL:
      Scroll(msg == WM_VSCROLL, LOWORD(wp), int(HIWORD(wp)));
      return 0;
    case WM_MOUSEWHEEL: {
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      int notches = int(int16_t(HIWORD(wp))) / WHEEL_DELTA;  // the delta is signed
      int step = lines == 0xFFFFFFFF ? std::max(1, VisibleRows() - 1) : int(lines);
      SetTop(Top - notches * step * (Columns() ? Rows() : 1));
      return 0;
    }
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (!dc) return 0;
      HWND parent = GetParent(H);
      int saved = SaveDC(dc);
      LRESULT br = parent ? SendMessageW(parent, WM_CTLCOLORLISTBOX, wp, reinterpret_cast<LPARAM>(H)) : 0;
      if (!br) br = DefWindowProcW(H, WM_CTLCOLORLISTBOX, wp, reinterpret_cast<LPARAM>(H));
      RestoreDC(dc, saved);
      RECT c = Client();
      if (br && HGDIOBJ(br) != GetStockObject(NULL_BRUSH)) FillRect(dc, &c, reinterpret_cast<HBRUSH>(br));
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
    case LB_ADDSTRING:
    case LB_INSERTSTRING: {
      if (St & LBS_NODATA) return LB_ERR;
      String s = HasStrings() && lp ? String(reinterpret_cast<const char16_t*>(lp)) : String();
      ULONG_PTR data = HasStrings() ? 0 : ULONG_PTR(lp);
      int at = msg == LB_ADDSTRING ? Count() : int(intptr_t(wp));
      if (msg == LB_INSERTSTRING && (at < -1 || at > Count())) return LB_ERR;
      if (msg == LB_ADDSTRING && (St & LBS_SORT) && HasStrings()) {
        at = 0;
        while (at < Count() && AnsiCompareText(Items[size_t(at)].Text, s) <= 0) ++at;
      }
      return Insert(at, s, data);
    }
    case LB_DELETESTRING:
      return Delete(int(intptr_t(wp)));
    case LB_RESETCONTENT:
      while (Count() > 0) Delete(Count() - 1);
      Top = 0;
      Cur = -1;
      Caret = Anchor = 0;
      UpdateScrollInfo();
      Invalidate();
      return 0;
    case LB_SETCOUNT: {
      if (!(St & LBS_NODATA)) return LB_ERR;
      Items.assign(size_t(std::max<intptr_t>(0, intptr_t(wp))), Item());
      Cur = -1;
      Caret = Anchor = 0;
      Top = std::clamp(Top, 0, MaxTop());
      UpdateScrollInfo();
      Invalidate();
      return 0;
    }
    case LB_INITSTORAGE:
      Items.reserve(Items.size() + size_t(wp));
      return Count() + int(wp);
    case LB_GETCOUNT:
      return Count();
    case LB_GETTEXT: {
      int i = int(intptr_t(wp));
      if (!Valid(i) || !lp) return LB_ERR;
      if (!HasStrings()) {
        *reinterpret_cast<ULONG_PTR*>(lp) = Items[size_t(i)].Data;
        return sizeof(ULONG_PTR);
      }
      const String& t = Items[size_t(i)].Text;
      auto* buf = reinterpret_cast<char16_t*>(lp);
      std::copy(t.begin(), t.end(), buf);
      buf[t.size()] = 0;
      return LRESULT(t.size());
    }
    case LB_GETTEXTLEN: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return LB_ERR;
      return HasStrings() ? LRESULT(Items[size_t(i)].Text.size()) : LRESULT(sizeof(ULONG_PTR));
    }
    case LB_GETITEMDATA: {
      int i = int(intptr_t(wp));
      return Valid(i) ? LRESULT(Items[size_t(i)].Data) : LB_ERR;
    }
    case LB_SETITEMDATA: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return LB_ERR;
      Items[size_t(i)].Data = ULONG_PTR(lp);
      return 1;
    }
    case LB_SETCURSEL: {
      if (Multi()) return LB_ERR;
      int i = int(intptr_t(wp));
      if (!Valid(i)) {
        SelectOnly(-1);
        return i == -1 ? LB_ERR : LB_ERR;
      }
      SelectOnly(i);
      InvalidateItem(Caret, ODA_FOCUS);
      Caret = Anchor = i;
      InvalidateItem(Caret, ODA_FOCUS);
      EnsureVisible(i);
      return i;
    }
    case LB_GETCURSEL:
      if (Multi()) return Count() ? Caret : LB_ERR;
      return Cur >= 0 ? Cur : LB_ERR;
    case LB_SETSEL: {
      if (!Multi()) return LB_ERR;
      int i = int(intptr_t(lp));
      if (i == -1) {
        SelectRange(0, Count() - 1, wp != 0, false);
        return 0;
      }
      if (!Valid(i)) return LB_ERR;
      Items[size_t(i)].Sel = wp != 0;
      InvalidateItem(i);
      return 0;
    }
    case LB_GETSEL: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return LB_ERR;
      return IsSelected(i) ? 1 : 0;
    }
    case LB_GETSELCOUNT: {
      if (!Multi()) return LB_ERR;
      return std::count_if(Items.begin(), Items.end(), [](const Item& it) { return it.Sel; });
    }
    case LB_GETSELITEMS: {
      if (!Multi()) return LB_ERR;
      auto* out = reinterpret_cast<int*>(lp);
      int n = 0;
      for (int i = 0; i < Count() && n < int(wp); ++i)
        if (Items[size_t(i)].Sel) {
          if (out) out[n] = i;
          ++n;
        }
      return n;
    }
    case LB_SELITEMRANGE:
    case LB_SELITEMRANGEEX: {
      if (!Multi()) return LB_ERR;
      int a, b;
      bool on;
      if (msg == LB_SELITEMRANGE) {
        a = LOWORD(uintptr_t(lp));
        b = HIWORD(uintptr_t(lp));
        on = wp != 0;
      } else {
        a = int(intptr_t(wp));
        b = int(lp);
        on = a <= b;
      }
      a = std::clamp(a, 0, Count() - 1);
      b = std::clamp(b, 0, Count() - 1);
      SelectRange(a, b, on, false);
      return 0;
    }
    case LB_SETANCHORINDEX:
      if (!Valid(int(intptr_t(wp)))) return LB_ERR;
      Anchor = int(intptr_t(wp));
      return 0;
    case LB_GETANCHORINDEX:
      return Anchor;
    case LB_SETCARETINDEX: {
      int i = int(intptr_t(wp));
      if (!Valid(i)) return LB_ERR;
      InvalidateItem(Caret, ODA_FOCUS);
      Caret = i;
      InvalidateItem(Caret, ODA_FOCUS);
      if (!lp) EnsureVisible(i);
      return 0;
    }
    case LB_GETCARETINDEX:
      return Caret;
    case LB_SETTOPINDEX: {
      int i = int(intptr_t(wp));
      if (!Valid(i) && !(i == 0 && Count() == 0)) return LB_ERR;
      SetTop(i);
      return 0;
    }
    case LB_GETTOPINDEX:
      return Top;
    case LB_GETITEMRECT: {
      int i = int(intptr_t(wp));
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r || (!Valid(i) && !(i == 0 && Count() == 0))) return LB_ERR;
      *r = ItemRect(i);
      return 1;
    }
    case LB_ITEMFROMPOINT: {
      bool outside = false;
      int i = ItemAt(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), outside);
      return MAKELRESULT(i, outside ? 1 : 0);
    }
    case LB_SETITEMHEIGHT: {
      int h = int(LOWORD(uintptr_t(lp)));
      if (h < 1 || h > 255) return LB_ERR;
      if (Variable()) {
        int i = int(intptr_t(wp));
        if (!Valid(i)) return LB_ERR;
        Items[size_t(i)].Height = h;
      } else {
        ItemH = h;
      }
      Top = std::clamp(Top, 0, MaxTop());
      UpdateScrollInfo();
      Invalidate();
      return 0;
    }
    case LB_GETITEMHEIGHT: {
      if (Variable()) {
        int i = int(intptr_t(wp));
        return Valid(i) ? Items[size_t(i)].Height : LB_ERR;
      }
      return ItemH;
    }
    case LB_SETCOLUMNWIDTH:
      ColW = std::max(1, int(wp));
      UpdateScrollInfo();
      Invalidate();
      return 0;
    case LB_FINDSTRING:
    case LB_FINDSTRINGEXACT: {
      if (!HasStrings()) {
        int n = Count(), start = int(intptr_t(wp));
        if (start < -1 || start >= n) start = -1;
        for (int k = 1; k <= n; ++k)
          if (Items[size_t((start + k) % n)].Data == ULONG_PTR(lp)) return (start + k) % n;
        return LB_ERR;
      }
      auto* s = reinterpret_cast<const char16_t*>(lp);
      return Find(int(intptr_t(wp)), s ? String(s) : String(), msg == LB_FINDSTRINGEXACT);
    }
    case LB_SELECTSTRING: {
      if (Multi() || !HasStrings()) return LB_ERR;
      auto* s = reinterpret_cast<const char16_t*>(lp);
      int i = Find(int(intptr_t(wp)), s ? String(s) : String(), false);
      if (i < 0) return LB_ERR;
      SelectOnly(i);
      Caret = Anchor = i;
      EnsureVisible(i);
      return i;
    }
    case LB_SETTABSTOPS: {
      if (!(St & LBS_USETABSTOPS)) return 0;
      auto* stops = reinterpret_cast<const int*>(lp);
      int n = int(wp);
      if (n < 0 || (n > 0 && !stops)) return 0;
      std::vector<int> v(stops, stops + n);
      for (size_t k = 1; k < v.size(); ++k)
        if (v[k] <= v[k - 1]) return 0;  // stops run left to right
      for (int du : v)
        if (du <= 0) return 0;
      TabStops = std::move(v);
      Invalidate();
      return 1;
    }
    case LB_SETHORIZONTALEXTENT:
      if (Columns()) return 0;
      HExt = std::max(0, int(wp));
      HOff = std::clamp(HOff, 0, std::max(0, HExt - int(Client().Right)));
      UpdateScrollInfo();
      Invalidate();
      return 0;
    case LB_GETHORIZONTALEXTENT:
      return HExt;
    case WM_NCDESTROY:
      EndTrack();
      if (OwnerDraw())
        while (Count() > 0) Delete(Count() - 1);
      return DefWindowProcW(H, msg, wp, lp);
    default:
      return DefWindowProcW(H, msg, wp, lp);
  }
}

LRESULT ListBoxProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return Lists().Dispatch(h, msg, wp, lp, [](ListBox& l) {
    if (!l.Dead) l.FlushPending();
  });
}

}  // namespace

void RegisterListBoxClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ListBoxProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_LISTBOX;
    RegisterClassExW(&wc);
  });
}

}  // namespace vcl
