// The "SysListView32" class: one ListView object per window from
// WM_NCCREATE to WM_NCDESTROY, holding the items, the columns, the scroll
// offsets, the selection (focus item and anchor) and the label editor.
#include <algorithm>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/comctl/ListView.h"
#include "platform/gdi/GdiText.h"
#include "platform/user/Edit.h"
#include "platform/user/ListSelection.h"
#include "platform/user/NativeControl.h"

namespace vcl {

void HookLabelEditor(HWND editor, HWND view);

namespace {

constexpr UINT_PTR kEditTimer = 42;
constexpr WPARAM kVkF2 = 0x71;
constexpr int kCheckBox = 16;  // the room a drawn check box takes
constexpr int kPad = 2;        // label padding
constexpr int kSubPad = 6;     // sub-item text inset

struct LvItem {
  String Text;
  int Image = -1;
  LPARAM Param = 0;
  UINT State = 0;
  int Indent = 0;
  std::vector<String> Sub;  // sub-item 1 at [0]
};

struct LvCol {
  int Fmt = LVCFMT_LEFT;
  int Width = 50;
  int SubItem = 0;
  int Image = -1;
  String Text;
};

struct Parts {
  RECT Bounds, State, Icon, Label;
};

class ListView {
 public:
  explicit ListView(HWND h) : H(h) {}
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

 private:
  HWND H;
  DWORD St = 0, Ex = 0;
  std::vector<LvItem> Items;
  std::vector<LvCol> Cols;
  std::vector<int> ColOrder;  // display order while there is no header
  HWND Hdr = nullptr;
  HWND Editor = nullptr;
  int EditItem = -1;
  HIMAGELIST Large = nullptr, Small = nullptr, StateList = nullptr;
  COLORREF Bk = CLR_DEFAULT, TextColor = CLR_DEFAULT, TextBk = CLR_DEFAULT;
  HFONT Font = nullptr;
  int Top = 0;             // report: first row; list: first column
  int XOff = 0, YOff = 0;  // report: pixels sideways; icons: pixels both ways
  int ListColW = 0;        // list column width set by LVM_SETCOLUMNWIDTH; 0: measured
  int RowsTop = 0;         // report rows start here, below the header
  int Anchor = -1, Mark = -1;
  bool Focused = false, InLayout = false;
  // A left press: where, on which item, and whether it may start an edit.
  bool Pressed = false, MayEdit = false;
  POINT PressAt;
  int PressItem = -1;
  TTypeAhead Typed;

  // -- basics
  int Count() const { return int(Items.size()); }
  bool Valid(int i) const { return i >= 0 && i < Count(); }
  DWORD View() const { return St & LVS_TYPEMASK; }
  bool Report() const { return View() == LVS_REPORT; }
  bool Multi() const { return !(St & LVS_SINGLESEL); }
  RECT Client() const {
    RECT r;
    GetClientRect(H, &r);
    return r;
  }
  COLORREF BkColor() const { return Bk == CLR_DEFAULT ? GetSysColor(COLOR_WINDOW) : Bk; }
  COLORREF Fore() const { return TextColor == CLR_DEFAULT ? GetSysColor(COLOR_WINDOWTEXT) : TextColor; }
  String SubText(int i, int sub) const {
    const LvItem& it = Items[size_t(i)];
    if (sub == 0) return it.Text;
    return sub - 1 < int(it.Sub.size()) ? it.Sub[size_t(sub - 1)] : String();
  }
  int FocusIndex() const {
    for (int i = 0; i < Count(); ++i)
      if (Items[size_t(i)].State & LVIS_FOCUSED) return i;
    return -1;
  }
  LRESULT Notify(NMHDR& h) { return SendNotify(H, h); }
  LRESULT NotifyItem(UINT code, int item, int sub = 0, UINT newSt = 0, UINT oldSt = 0, UINT changed = 0);

  // -- geometry
  int TextHeight() const;
  int TextWidth(const String& s) const;
  SIZE ImageSize(HIMAGELIST l) const {
    int cx = 0, cy = 0;
    if (!l || !ImageList_GetIconSize(l, &cx, &cy)) return SIZE{0, 0};
    return SIZE{cx, cy};
  }
  int StateWidth() const {
    if (StateList) return ImageSize(StateList).cx;
    return (Ex & LVS_EX_CHECKBOXES) ? kCheckBox : 0;
  }
  int RowHeight() const;
  int ListColumnWidth() const;
  SIZE IconCell() const;
  int Rows() const { return std::max(1, int(Client().Bottom - RowsTop) / RowHeight()); }
  int PerPageRows() const { return std::max(0, int(Client().Bottom - RowsTop) / RowHeight()); }
  int GridColumns() const {
    int w = View() == LVS_ICON ? IconCell().cx : ListColumnWidth();
    return std::max(1, int(Client().Right) / std::max(1, w));
  }
  int ListColumns() const { return (Count() + Rows() - 1) / Rows(); }
  int VisibleListColumns() const { return std::max(1, int(Client().Right) / std::max(1, ListColumnWidth())); }
  std::vector<int> DisplayOrder() const;
  int TotalWidth() const {
    int w = 0;
    for (const LvCol& c : Cols) w += c.Width;
    return w;
  }
  // Left edge of column c (data index) in client coordinates.
  int ColumnLeft(int c) const;
  SIZE Content() const;
  Parts PartsOf(int i) const;
  RECT LabelRectIcon(int i, const RECT& cell, bool full) const;
  int HitTest(POINT p, UINT& flags, int* sub = nullptr) const;
  void Layout();
  void UpdateScroll();
  void Invalidate() { InvalidateRect(H, nullptr, true); }
  void InvalidateItem(int i) {
    if (!Valid(i)) return;
    RECT r = PartsOf(i).Bounds;
    if (Report()) r.Right = std::max<int>(r.Right, Client().Right);
    InflateRect(r, 1, 1);
    InvalidateRect(H, &r, true);
  }

  // -- items and columns
  int InsertItem(const LVITEMW& it);
  bool DeleteItem(int i);
  void DeleteAll();
  bool SetItem(const LVITEMW& it);
  LRESULT GetItem(LVITEMW* it) const;
  bool SetState(int i, UINT state, UINT mask);
  int InsertColumn(int at, const LVCOLUMNW& c);
  bool SetColumnWidth(int c, int w);
  void ApplyColumn(LvCol& d, const LVCOLUMNW& c);
  void SyncHeaderItem(int c, bool insert);
  void EnsureHeader();
  void Sort(PFNLVCOMPARE cmp, LPARAM data);
  int SortedPosition(const String& s) const;
  int Find(int start, const LVFINDINFOW& fi) const;
  int NextItem(int start, UINT flags) const;

  // -- selection and scrolling
  void SelectOnly(int i);
  void SelectRange(int a, int b, bool clearOthers);
  void MoveFocus(int i, bool shift, bool ctrl);
  void ClearSelection(int except = -1);
  void SetTopRow(int t);
  void SetXOff(int x);
  void SetYOff(int y);
  void ScrollBy(int dx, int dy);
  void EnsureVisible(int i, bool partial);
  void ScrollMsg(bool vertical, int code, int thumb);

  // -- input and editing
  void Press(POINT p, WPARAM keys, bool dbl);
  void KeyDown(WPARAM vk, LPARAM lp);
  void ToggleCheck(int i);
  HWND EditLabel(int i);
  void EndEdit(bool commit);

  // -- painting
  void Paint(HDC dc);
  void DrawItem(HDC dc, int i);
  void DrawStateImage(HDC dc, int i, const RECT& r);
  void DrawGrid(HDC dc);

 public:
  // The label editor's subclass reports Enter, Escape and focus loss here.
  void EditorKey(bool commit) { EndEdit(commit); }
};

TNativeControls<ListView>& Views() {
  static TNativeControls<ListView> m;
  return m;
}

// ---------------------------------------------------------------------------
// Geometry

int ListView::TextHeight() const {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  TEXTMETRICW tm;
  GetTextMetricsW(dc, &tm);
  DeleteDC(dc);
  return tm.tmHeight;
}

int ListView::TextWidth(const String& s) const {
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  SIZE sz{0, 0};
  GetTextExtentPoint32W(dc, s.c_str(), int(s.size()), &sz);
  DeleteDC(dc);
  return sz.cx;
}

int ListView::RowHeight() const {
  int h = TextHeight() + 4;
  h = std::max<int>(h, ImageSize(Small).cy + 2);
  h = std::max<int>(h, ImageSize(StateList).cy + 2);
  if (Ex & LVS_EX_CHECKBOXES) h = std::max(h, kCheckBox);
  return h;
}

int ListView::ListColumnWidth() const {
  if (View() == LVS_LIST && ListColW > 0) return ListColW;
  int w = 0;
  for (const LvItem& it : Items) w = std::max(w, TextWidth(it.Text));
  return std::max(20, StateWidth() + ImageSize(Small).cx + w + 4 * kPad + 4);
}

SIZE ListView::IconCell() const {
  SIZE im = ImageSize(Large);
  int w = std::max<int>(75, im.cx + 43);
  return SIZE{w, im.cy + 2 * TextHeight() + 10};
}

std::vector<int> ListView::DisplayOrder() const {
  int n = int(Cols.size());
  std::vector<int> o(size_t(n), 0);
  if (Hdr && n > 0 && SendMessageW(Hdr, HDM_GETITEMCOUNT, 0, 0) == n &&
      SendMessageW(Hdr, HDM_GETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(o.data())))
    return o;
  if (int(ColOrder.size()) == n) return ColOrder;
  for (int k = 0; k < n; ++k) o[size_t(k)] = k;
  return o;
}

int ListView::ColumnLeft(int c) const {
  int x = -XOff;
  for (int k : DisplayOrder()) {
    if (k == c) break;
    x += Cols[size_t(k)].Width;
  }
  return x;
}

SIZE ListView::Content() const {
  switch (View()) {
    case LVS_REPORT:
      return SIZE{TotalWidth(), Count() * RowHeight()};
    case LVS_LIST:
      return SIZE{ListColumns() * ListColumnWidth(), Rows() * RowHeight()};
    default: {
      int cols = GridColumns();
      SIZE cell = View() == LVS_ICON ? IconCell() : SIZE{ListColumnWidth(), RowHeight()};
      int used = std::min(cols, Count());
      int rows = (Count() + cols - 1) / cols;
      return SIZE{used * cell.cx, rows * cell.cy};
    }
  }
}

RECT ListView::LabelRectIcon(int i, const RECT& cell, bool full) const {
  SIZE im = ImageSize(Large);
  int top = cell.Top + 2 + im.cy + 2;
  int width = cell.Right - cell.Left - 4;
  const String& s = Items[size_t(i)].Text;
  HDC dc = CreateCompatibleDC(nullptr);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT t{0, 0, width, 0};
  UINT fmt = DT_CALCRECT | DT_NOPREFIX | DT_CENTER | ((St & LVS_NOLABELWRAP) ? DT_SINGLELINE : DT_WORDBREAK);
  DrawTextW(dc, s.c_str(), int(s.size()), &t, fmt);
  DeleteDC(dc);
  int w = std::min<int>(width, t.Right - t.Left) + 2 * kPad;
  int h = int(t.Bottom - t.Top);
  // Two lines unless the item has the focus, which shows the whole label.
  if (!full) h = std::min(h, 2 * TextHeight());
  int cx = (cell.Left + cell.Right) / 2;
  return RECT{cx - w / 2, top, cx - w / 2 + w, top + std::max(h, TextHeight())};
}

Parts ListView::PartsOf(int i) const {
  Parts p;
  int rh = RowHeight();
  SIZE sm = ImageSize(Small);
  int sw = StateWidth();
  auto rowParts = [&](int left, int top, int right, int h, int textRight) {
    int x = left + kPad;
    p.State = RECT{x, top, x + sw, top + h};
    x += sw;
    p.Icon = RECT{x, top, x + sm.cx, top + h};
    x += sm.cx;
    p.Label = RECT{x, top, std::max(x, std::min(textRight, right)), top + h};
  };
  switch (View()) {
    case LVS_REPORT: {
      int top = RowsTop + (i - Top) * rh;
      p.Bounds = RECT{-XOff, top, -XOff + TotalWidth(), top + rh};
      int left = Cols.empty() ? -XOff : ColumnLeft(0);
      int right = Cols.empty() ? left : left + Cols[0].Width;
      rowParts(left + Items[size_t(i)].Indent * sm.cx, top, right, rh, right);
      break;
    }
    case LVS_LIST: {
      int rows = Rows(), w = ListColumnWidth();
      int x = (i / rows - Top) * w, y = (i % rows) * rh;
      p.Bounds = RECT{x, y, x + w, y + rh};
      rowParts(x, y, x + w, rh, x + kPad + sw + sm.cx + TextWidth(Items[size_t(i)].Text) + 2 * kPad);
      break;
    }
    case LVS_SMALLICON: {
      int cols = GridColumns(), w = ListColumnWidth();
      int x = (i % cols) * w - XOff, y = (i / cols) * rh - YOff;
      p.Bounds = RECT{x, y, x + w, y + rh};
      rowParts(x, y, x + w, rh, x + kPad + sw + sm.cx + TextWidth(Items[size_t(i)].Text) + 2 * kPad);
      break;
    }
    default: {
      SIZE cell = IconCell();
      int cols = GridColumns();
      int x = (i % cols) * cell.cx - XOff, y = (i / cols) * cell.cy - YOff;
      p.Bounds = RECT{x, y, x + cell.cx, y + cell.cy};
      SIZE im = ImageSize(Large);
      int ix = x + (cell.cx - im.cx) / 2;
      p.Icon = RECT{ix, y + 2, ix + im.cx, y + 2 + im.cy};
      p.State = RECT{ix - sw, p.Icon.Bottom - std::max<int>(1, sw), ix, p.Icon.Bottom};
      p.Label = LabelRectIcon(i, p.Bounds, (Items[size_t(i)].State & LVIS_FOCUSED) && Focused);
      break;
    }
  }
  return p;
}

int ListView::HitTest(POINT p, UINT& flags, int* sub) const {
  RECT c = Client();
  flags = 0;
  if (sub) *sub = 0;
  if (p.Y < 0) flags |= LVHT_ABOVE;
  if (p.Y >= c.Bottom) flags |= LVHT_BELOW;
  if (p.X < 0) flags |= LVHT_TOLEFT;
  if (p.X >= c.Right) flags |= LVHT_TORIGHT;
  if (flags) return -1;
  flags = LVHT_NOWHERE;
  int first = 0, last = Count() - 1;
  if (Report()) {
    if (p.Y < RowsTop) return -1;
    first = last = Top + (int(p.Y) - RowsTop) / RowHeight();
  } else if (View() == LVS_LIST) {
    int rows = Rows(), w = ListColumnWidth();
    int row = int(p.Y) / RowHeight();
    if (row >= rows) return -1;
    first = last = (Top + int(p.X) / std::max(1, w)) * rows + row;
  }
  for (int i = std::max(0, first); i <= std::min(last, Count() - 1); ++i) {
    Parts q = PartsOf(i);
    auto in = [&](const RECT& r) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; };
    if (View() == LVS_ICON) {
      if (in(q.State)) flags = LVHT_ONITEMSTATEICON;
      else if (in(q.Icon)) flags = LVHT_ONITEMICON;
      else if (in(q.Label)) flags = LVHT_ONITEMLABEL;
      else continue;
      return i;
    }
    if (!in(q.Bounds)) continue;
    if (in(q.State) && StateWidth() > 0) flags = LVHT_ONITEMSTATEICON;
    else if (in(q.Icon) && q.Icon.Right > q.Icon.Left) flags = LVHT_ONITEMICON;
    else if (in(q.Label)) flags = LVHT_ONITEMLABEL;
    if (Report()) {
      // Which column the point is in; outside the first, a row is hit only
      // with full-row selection (or by the sub-item hit test).
      int col = -1;
      for (int k = 0; k < int(Cols.size()); ++k) {
        int l = ColumnLeft(k);
        if (p.X >= l && p.X < l + Cols[size_t(k)].Width) col = k;
      }
      if (sub && col >= 0) *sub = Cols[size_t(col)].SubItem;
      if (flags == LVHT_NOWHERE && (Ex & LVS_EX_FULLROWSELECT)) flags = LVHT_ONITEMLABEL;
      if (flags == LVHT_NOWHERE && sub && col >= 0) flags = LVHT_ONITEMLABEL;
    }
    if (flags == LVHT_NOWHERE) return -1;
    return i;
  }
  return -1;
}

void ListView::Layout() {
  if (InLayout) return;
  InLayout = true;
  RowsTop = 0;
  if (Report() && Hdr) {
    RECT rc = Client();
    WINDOWPOS wp;
    HDLAYOUT l;
    l.prc = &rc;
    l.pwpos = &wp;
    if (SendMessageW(Hdr, HDM_LAYOUT, 0, reinterpret_cast<LPARAM>(&l)) && !Dead) {
      // The header scrolls sideways with the rows.
      SetWindowPos(Hdr, wp.hwndInsertAfter, wp.x - XOff, wp.y, wp.cx + XOff, wp.cy, wp.flags);
      RowsTop = rc.Top;
    }
  } else if (Hdr && IsWindowVisible(Hdr)) {
    ShowWindow(Hdr, SW_HIDE);
  }
  if (!Dead) {
    // Offsets may lie past the end after a resize.
    SetTopRow(Top);
    SetXOff(XOff);
    SetYOff(YOff);
    UpdateScroll();
  }
  InLayout = false;
}

void ListView::UpdateScroll() {
  if (St & LVS_NOSCROLL) return;
  RECT c = Client();
  SCROLLINFO v, h;
  v.fMask = h.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
  SIZE content = Content();
  switch (View()) {
    case LVS_REPORT:
      v.nMin = 0;
      v.nMax = std::max(0, Count() - 1);
      v.nPage = UINT(PerPageRows());
      v.nPos = Top;
      h.nMax = std::max(0, TotalWidth() - 1);
      h.nPage = UINT(std::max(0, int(c.Right)));
      h.nPos = XOff;
      break;
    case LVS_LIST:
      v.nMax = 0;
      v.nPage = 0;
      h.nMax = std::max(0, ListColumns() - 1);
      h.nPage = UINT(VisibleListColumns());
      h.nPos = Top;
      break;
    default:
      v.nMax = std::max(0, int(content.cy) - 1);
      v.nPage = UINT(std::max(0, int(c.Bottom)));
      v.nPos = YOff;
      h.nMax = std::max(0, int(content.cx) - 1);
      h.nPage = UINT(std::max(0, int(c.Right)));
      h.nPos = XOff;
      break;
  }
  SetScrollInfo(H, SB_VERT, &v, true);
  if (Dead) return;
  SetScrollInfo(H, SB_HORZ, &h, true);
}

// ---------------------------------------------------------------------------
// Items

LRESULT ListView::NotifyItem(UINT code, int item, int sub, UINT newSt, UINT oldSt, UINT changed) {
  NMLISTVIEW nm;
  nm.hdr.code = code;
  nm.iItem = item;
  nm.iSubItem = sub;
  nm.uNewState = newSt;
  nm.uOldState = oldSt;
  nm.uChanged = changed;
  if (Valid(item)) nm.lParam = Items[size_t(item)].Param;
  return Notify(nm.hdr);
}

int ListView::SortedPosition(const String& s) const {
  bool down = (St & LVS_SORTDESCENDING) != 0;
  int i = 0;
  while (i < Count()) {
    int c = AnsiCompareText(s, Items[size_t(i)].Text);
    if (down ? c > 0 : c < 0) break;
    ++i;
  }
  return i;
}

int ListView::InsertItem(const LVITEMW& it) {
  if (it.iSubItem != 0 || it.iItem < 0) return -1;
  LvItem d;
  if (it.mask & LVIF_TEXT) d.Text = it.pszText ? String(it.pszText) : String();
  if (it.mask & LVIF_IMAGE) d.Image = it.iImage;
  if (it.mask & LVIF_PARAM) d.Param = it.lParam;
  if (it.mask & LVIF_INDENT) d.Indent = std::max(0, it.iIndent);
  if (it.mask & LVIF_STATE) d.State = it.state & it.stateMask;
  if ((Ex & LVS_EX_CHECKBOXES) && !(d.State & LVIS_STATEIMAGEMASK)) d.State |= INDEXTOSTATEIMAGEMASK(1);
  int i = (St & (LVS_SORTASCENDING | LVS_SORTDESCENDING)) ? SortedPosition(d.Text) : std::min(it.iItem, Count());
  if ((d.State & LVIS_SELECTED) && !Multi()) ClearSelection();
  if (d.State & LVIS_FOCUSED)
    for (auto& o : Items) o.State &= ~LVIS_FOCUSED;
  Items.insert(Items.begin() + i, d);
  if (Anchor >= i) ++Anchor;
  if (Mark >= i) ++Mark;
  if (EditItem >= i) ++EditItem;
  Layout();
  Invalidate();
  NotifyItem(LVN_INSERTITEM, i);
  return i;
}

bool ListView::DeleteItem(int i) {
  if (!Valid(i)) return false;
  // An item whose label is being edited ends the edit first, cancelled, so
  // no later notice names an item that is gone.
  if (EditItem == i) EndEdit(false);
  if (Dead || !Valid(i)) return false;
  NotifyItem(LVN_DELETEITEM, i);
  if (Dead || !Valid(i)) return false;
  Items.erase(Items.begin() + i);
  auto fix = [i](int& k) {
    if (k == i) k = -1;
    else if (k > i) --k;
  };
  fix(Anchor);
  fix(Mark);
  fix(EditItem);
  if (PressItem == i) Pressed = false;
  fix(PressItem);
  Layout();
  Invalidate();
  return true;
}

void ListView::DeleteAll() {
  if (EditItem >= 0) EndEdit(false);
  if (Dead) return;
  NMLISTVIEW nm;
  nm.hdr.code = LVN_DELETEALLITEMS;
  nm.iItem = -1;
  // An answer of TRUE spares the per-item notices.
  if (!Notify(nm.hdr))
    for (int i = 0; i < Count() && !Dead; ++i) NotifyItem(LVN_DELETEITEM, i);
  if (Dead) return;
  Items.clear();
  Anchor = Mark = PressItem = -1;
  Pressed = false;
  Top = XOff = YOff = 0;
  Layout();
  Invalidate();
}

bool ListView::SetState(int i, UINT state, UINT mask) {
  if (!Valid(i)) return false;
  UINT old = Items[size_t(i)].State;
  UINT now = (old & ~mask) | (state & mask);
  if (now == old) return true;
  if (NotifyItem(LVN_ITEMCHANGING, i, 0, now, old, LVIF_STATE) || Dead || !Valid(i)) return false;
  // One focused item, and one selected in single-selection views.
  if ((now & LVIS_FOCUSED) && !(old & LVIS_FOCUSED)) {
    int f = FocusIndex();
    if (f >= 0 && f != i && !SetState(f, 0, LVIS_FOCUSED)) return false;
  }
  if ((now & LVIS_SELECTED) && !(old & LVIS_SELECTED) && !Multi()) ClearSelection(i);
  if (Dead || !Valid(i)) return false;
  old = Items[size_t(i)].State;
  now = (old & ~mask) | (state & mask);
  Items[size_t(i)].State = now;
  if (Anchor < 0 && (now & LVIS_SELECTED)) Anchor = i;
  InvalidateItem(i);
  NotifyItem(LVN_ITEMCHANGED, i, 0, now, old, LVIF_STATE);
  return true;
}

bool ListView::SetItem(const LVITEMW& it) {
  int i = it.iItem;
  if (!Valid(i)) return false;
  if (it.iSubItem > 0) {
    if (!(it.mask & LVIF_TEXT)) return true;
    auto& sub = Items[size_t(i)].Sub;
    if (int(sub.size()) < it.iSubItem) sub.resize(size_t(it.iSubItem));
    sub[size_t(it.iSubItem - 1)] = it.pszText ? String(it.pszText) : String();
    InvalidateItem(i);
    return true;
  }
  UINT changed = it.mask & (LVIF_TEXT | LVIF_IMAGE | LVIF_PARAM | LVIF_INDENT);
  if (changed) {
    if (NotifyItem(LVN_ITEMCHANGING, i, 0, 0, 0, changed) || Dead || !Valid(i)) return false;
    LvItem& d = Items[size_t(i)];
    if (it.mask & LVIF_TEXT) d.Text = it.pszText ? String(it.pszText) : String();
    if (it.mask & LVIF_IMAGE) d.Image = it.iImage;
    if (it.mask & LVIF_PARAM) d.Param = it.lParam;
    if (it.mask & LVIF_INDENT) d.Indent = std::max(0, it.iIndent);
    if ((it.mask & LVIF_TEXT) && View() != LVS_REPORT) Layout();
    Invalidate();
    NotifyItem(LVN_ITEMCHANGED, i, 0, 0, 0, changed);
    if (Dead) return false;
  }
  if (it.mask & LVIF_STATE) return SetState(i, it.state, it.stateMask);
  return true;
}

LRESULT ListView::GetItem(LVITEMW* it) const {
  if (!it || !Valid(it->iItem) || it->iSubItem < 0) return 0;
  const LvItem& d = Items[size_t(it->iItem)];
  if ((it->mask & LVIF_TEXT) && it->pszText && it->cchTextMax > 0) {
    String s = SubText(it->iItem, it->iSubItem);
    int n = std::min(int(s.size()), it->cchTextMax - 1);
    std::copy_n(s.c_str(), n, it->pszText);
    it->pszText[n] = 0;
  }
  if (it->mask & LVIF_IMAGE) it->iImage = it->iSubItem == 0 ? d.Image : -1;
  if (it->mask & LVIF_PARAM) it->lParam = d.Param;
  if (it->mask & LVIF_STATE) it->state = d.State & it->stateMask;
  if (it->mask & LVIF_INDENT) it->iIndent = d.Indent;
  return 1;
}

void ListView::ApplyColumn(LvCol& d, const LVCOLUMNW& c) {
  if (c.mask & LVCF_FMT) d.Fmt = c.fmt;
  if (c.mask & LVCF_WIDTH) d.Width = std::max(0, c.cx);
  if (c.mask & LVCF_TEXT) d.Text = c.pszText ? String(c.pszText) : String();
  if (c.mask & LVCF_SUBITEM) d.SubItem = std::max(0, c.iSubItem);
  if (c.mask & LVCF_IMAGE) d.Image = c.iImage;
}

void ListView::SyncHeaderItem(int c, bool insert) {
  if (!Hdr) return;
  const LvCol& d = Cols[size_t(c)];
  HDITEMW h;
  h.mask = HDI_WIDTH | HDI_TEXT | HDI_FORMAT | HDI_IMAGE | HDI_LPARAM;
  h.cxy = d.Width;
  h.pszText = const_cast<char16_t*>(d.Text.c_str());
  h.fmt = (d.Fmt & LVCFMT_JUSTIFYMASK) | HDF_STRING | ((d.Fmt & LVCFMT_IMAGE) && d.Image >= 0 ? HDF_IMAGE : 0);
  h.iImage = d.Image;
  h.lParam = c;
  SendMessageW(Hdr, insert ? HDM_INSERTITEMW : HDM_SETITEMW, WPARAM(c), reinterpret_cast<LPARAM>(&h));
}

int ListView::InsertColumn(int at, const LVCOLUMNW& c) {
  if (at < 0) return -1;
  at = std::min(at, int(Cols.size()));
  LvCol d;
  d.SubItem = at;
  ApplyColumn(d, c);
  Cols.insert(Cols.begin() + at, d);
  for (int& k : ColOrder)
    if (k >= at) ++k;
  ColOrder.insert(ColOrder.begin() + std::min(at, int(ColOrder.size())), at);
  SyncHeaderItem(at, true);
  Layout();
  Invalidate();
  return at;
}

bool ListView::SetColumnWidth(int c, int w) {
  if (View() == LVS_LIST) {
    if (c != 0) return false;
    ListColW = std::max(0, w);
    Layout();
    Invalidate();
    return true;
  }
  if (c < 0 || c >= int(Cols.size())) return false;
  if (w == LVSCW_AUTOSIZE || w == LVSCW_AUTOSIZE_USEHEADER) {
    int sub = Cols[size_t(c)].SubItem, m = 0;
    for (int i = 0; i < Count(); ++i) m = std::max(m, TextWidth(SubText(i, sub)));
    m += 2 * kSubPad;
    if (sub == 0) m += StateWidth() + ImageSize(Small).cx + kPad;
    if (w == LVSCW_AUTOSIZE_USEHEADER) {
      m = std::max(m, TextWidth(Cols[size_t(c)].Text) + 2 * kSubPad + 6);
      // The last column shown takes the rest of the view.
      std::vector<int> order = DisplayOrder();
      if (!order.empty() && order.back() == c) {
        int left = ColumnLeft(c) + XOff;
        m = std::max<int>(m, Client().Right - left);
      }
    }
    w = m;
  }
  Cols[size_t(c)].Width = std::max(0, w);
  SyncHeaderItem(c, false);
  Layout();
  Invalidate();
  return true;
}

void ListView::EnsureHeader() {
  if (Hdr || !Report() || Dead) return;
  DWORD hs = WS_CHILD | HDS_HORZ | HDS_FULLDRAG;
  if (!(St & LVS_NOSORTHEADER)) hs |= HDS_BUTTONS;
  if (St & LVS_NOCOLUMNHEADER) hs |= HDS_HIDDEN;
  if (Ex & LVS_EX_HEADERDRAGDROP) hs |= HDS_DRAGDROP;
  // The parent hears of the header through WM_PARENTNOTIFY as it is made.
  HWND h = CreateWindowExW(0, WC_HEADER, u"", hs, 0, 0, 0, 0, H, nullptr, nullptr, nullptr);
  if (Dead || !h) return;
  Hdr = h;
  SendMessageW(Hdr, WM_SETFONT, reinterpret_cast<WPARAM>(Font), 0);
  SendMessageW(Hdr, HDM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(Small));
  for (int c = 0; c < int(Cols.size()); ++c) SyncHeaderItem(c, true);
  if (int(ColOrder.size()) == int(Cols.size()) && !Cols.empty())
    SendMessageW(Hdr, HDM_SETORDERARRAY, WPARAM(ColOrder.size()), reinterpret_cast<LPARAM>(ColOrder.data()));
}

void ListView::Sort(PFNLVCOMPARE cmp, LPARAM data) {
  if (!cmp || Count() < 2) return;
  if (EditItem >= 0) EndEdit(false);
  LPARAM anchor = Valid(Anchor) ? Items[size_t(Anchor)].Param : 0;
  bool hadAnchor = Valid(Anchor);
  std::stable_sort(Items.begin(), Items.end(),
                   [&](const LvItem& a, const LvItem& b) { return cmp(a.Param, b.Param, data) < 0; });
  Anchor = -1;
  if (hadAnchor)
    for (int i = 0; i < Count(); ++i)
      if (Items[size_t(i)].Param == anchor) Anchor = i;
  Mark = Anchor;
  Invalidate();
}

int ListView::Find(int start, const LVFINDINFOW& fi) const {
  int n = Count();
  if (n == 0) return -1;
  int from = start < -1 || start >= n ? -1 : start;
  int steps = (fi.flags & LVFI_WRAP) ? n : n - from - 1;
  String want = fi.psz ? AnsiUpperCase(String(fi.psz)) : String();
  for (int k = 1; k <= steps; ++k) {
    int i = (from + k) % n;
    const LvItem& d = Items[size_t(i)];
    if (fi.flags & LVFI_PARAM) {
      if (d.Param == fi.lParam) return i;
      continue;
    }
    if (!(fi.flags & (LVFI_STRING | LVFI_PARTIAL))) continue;
    String t = AnsiUpperCase(d.Text);
    if ((fi.flags & LVFI_PARTIAL) ? t.compare(0, want.size(), want) == 0 : t == want) return i;
  }
  return -1;
}

int ListView::NextItem(int start, UINT flags) const {
  UINT dir = flags & (LVNI_ABOVE | LVNI_BELOW | LVNI_TOLEFT | LVNI_TORIGHT);
  auto fits = [&](int i) {
    UINT s = Items[size_t(i)].State;
    if ((flags & LVNI_SELECTED) && !(s & LVIS_SELECTED)) return false;
    if ((flags & LVNI_FOCUSED) && !(s & LVIS_FOCUSED)) return false;
    return true;
  };
  if (dir) {
    if (!Valid(start)) return -1;
    int step = 1;
    switch (View()) {
      case LVS_LIST: step = (dir & (LVNI_TOLEFT | LVNI_TORIGHT)) ? Rows() : 1; break;
      case LVS_REPORT: step = (dir & (LVNI_TOLEFT | LVNI_TORIGHT)) ? 0 : 1; break;
      default: step = (dir & (LVNI_ABOVE | LVNI_BELOW)) ? GridColumns() : 1; break;
    }
    if (step == 0) return -1;
    int sign = (dir & (LVNI_ABOVE | LVNI_TOLEFT)) ? -1 : 1;
    for (int i = start + sign * step; Valid(i); i += sign * step)
      if (fits(i)) return i;
    return -1;
  }
  for (int i = std::max(-1, start) + 1; i < Count(); ++i)
    if (fits(i)) return i;
  return -1;
}

// ---------------------------------------------------------------------------
// Selection and scrolling

void ListView::ClearSelection(int except) {
  for (int k = 0; k < Count() && !Dead; ++k)
    if (k != except && (Items[size_t(k)].State & LVIS_SELECTED)) SetState(k, 0, LVIS_SELECTED);
}

void ListView::SelectOnly(int i) {
  ClearSelection(i);
  if (Dead || !Valid(i)) return;
  SetState(i, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  Anchor = Mark = i;
}

void ListView::SelectRange(int a, int b, bool clearOthers) {
  if (!Valid(a)) a = b;
  int lo = std::min(a, b), hi = std::max(a, b);
  for (int k = 0; k < Count() && !Dead; ++k) {
    bool inside = k >= lo && k <= hi;
    if (inside) SetState(k, LVIS_SELECTED, LVIS_SELECTED);
    else if (clearOthers && (Items[size_t(k)].State & LVIS_SELECTED)) SetState(k, 0, LVIS_SELECTED);
  }
}

void ListView::MoveFocus(int i, bool shift, bool ctrl) {
  if (Count() == 0) return;
  i = std::clamp(i, 0, Count() - 1);
  if (Multi() && ctrl && !shift) {
    SetState(i, LVIS_FOCUSED, LVIS_FOCUSED);
  } else if (Multi() && shift) {
    SelectRange(Anchor, i, !ctrl);
    if (!Dead) SetState(i, LVIS_FOCUSED, LVIS_FOCUSED);
  } else {
    SelectOnly(i);
  }
  if (!Dead) EnsureVisible(i, false);
}

void ListView::SetTopRow(int t) {
  int max = 0;
  if (Report()) max = std::max(0, Count() - PerPageRows());
  else if (View() == LVS_LIST) max = std::max(0, ListColumns() - VisibleListColumns());
  t = std::clamp(t, 0, max);
  if (t == Top) return;
  Top = t;
  if (EditItem >= 0) EndEdit(true);
  Invalidate();
  if (!InLayout) UpdateScroll();
}

void ListView::SetXOff(int x) {
  int max = 0;
  if (View() != LVS_LIST) max = std::max(0, int(Content().cx) - int(Client().Right));
  x = std::clamp(x, 0, max);
  if (x == XOff) return;
  XOff = x;
  if (EditItem >= 0) EndEdit(true);
  Invalidate();
  if (!InLayout) Layout();
}

void ListView::SetYOff(int y) {
  int max = 0;
  if (View() == LVS_ICON || View() == LVS_SMALLICON) max = std::max(0, int(Content().cy) - int(Client().Bottom));
  y = std::clamp(y, 0, max);
  if (y == YOff) return;
  YOff = y;
  if (EditItem >= 0) EndEdit(true);
  Invalidate();
  if (!InLayout) UpdateScroll();
}

// LVM_SCROLL: pixels, rounded to whole rows in report view and to whole
// columns in list view.
void ListView::ScrollBy(int dx, int dy) {
  auto whole = [](int d, int unit) {
    unit = std::max(1, unit);
    return (d >= 0 ? d + unit / 2 : d - unit / 2) / unit;
  };
  switch (View()) {
    case LVS_REPORT:
      SetTopRow(Top + whole(dy, RowHeight()));
      SetXOff(XOff + dx);
      break;
    case LVS_LIST:
      SetTopRow(Top + whole(dx, ListColumnWidth()));
      break;
    default:
      SetXOff(XOff + dx);
      SetYOff(YOff + dy);
      break;
  }
}

void ListView::EnsureVisible(int i, bool partial) {
  if (!Valid(i)) return;
  RECT c = Client();
  switch (View()) {
    case LVS_REPORT: {
      int per = std::max(1, PerPageRows());
      if (i < Top) SetTopRow(i);
      else if (i >= Top + per) SetTopRow(i - per + 1);
      break;
    }
    case LVS_LIST: {
      int col = i / Rows(), vis = VisibleListColumns();
      if (col < Top) SetTopRow(col);
      else if (col >= Top + vis) SetTopRow(col - vis + 1);
      break;
    }
    default: {
      RECT b = PartsOf(i).Bounds;
      if (partial && b.Right > 0 && b.Left < c.Right && b.Bottom > 0 && b.Top < c.Bottom) return;
      if (b.Top < 0) SetYOff(YOff + b.Top);
      else if (b.Bottom > c.Bottom) SetYOff(YOff + (b.Bottom - c.Bottom));
      if (b.Left < 0) SetXOff(XOff + b.Left);
      else if (b.Right > c.Right) SetXOff(XOff + (b.Right - c.Right));
      break;
    }
  }
}

// Where a scroll-bar code moves a position (the line and page codes of the
// two axes share their values); false for codes that move nothing.
bool ScrollTarget(int code, int pos, int line, int page, int last, int thumb, int& to) {
  switch (code) {
    case SB_LINEUP: to = pos - line; return true;
    case SB_LINEDOWN: to = pos + line; return true;
    case SB_PAGEUP: to = pos - page; return true;
    case SB_PAGEDOWN: to = pos + page; return true;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: to = thumb; return true;
    case SB_TOP: to = 0; return true;
    case SB_BOTTOM: to = last; return true;
    default: return false;
  }
}

void ListView::ScrollMsg(bool vertical, int code, int thumb) {
  RECT c = Client();
  int rh = RowHeight();
  if (Report() && vertical) {
    int t;
    if (ScrollTarget(code, Top, 1, std::max(1, PerPageRows()), Count(), thumb, t)) SetTopRow(t);
    return;
  }
  if (View() == LVS_LIST) {
    if (vertical) return;
    int t;
    if (ScrollTarget(code, Top, 1, VisibleListColumns(), ListColumns(), thumb, t)) SetTopRow(t);
    return;
  }
  // Pixels: report sideways, and both axes of the icon views.
  int cur = vertical ? YOff : XOff;
  int page = vertical ? int(c.Bottom) : int(c.Right);
  int line = Report() ? 16 : rh;
  int to;
  if (!ScrollTarget(code, cur, line, page, 1 << 29, thumb, to)) return;
  if (vertical) SetYOff(to);
  else SetXOff(to);
}

// ---------------------------------------------------------------------------
// Input

void ListView::ToggleCheck(int i) {
  if (!Valid(i) || !(Ex & LVS_EX_CHECKBOXES)) return;
  UINT idx = (Items[size_t(i)].State & LVIS_STATEIMAGEMASK) >> 12;
  SetState(i, INDEXTOSTATEIMAGEMASK(idx == 2 ? 1 : 2), LVIS_STATEIMAGEMASK);
}

void ListView::Press(POINT p, WPARAM keys, bool dbl) {
  bool hadFocus = GetFocus() == H;
  if (Editor) EndEdit(true);
  if (Dead) return;
  if (!hadFocus) SetFocus(H);
  if (Dead) return;
  KillTimer(H, kEditTimer);
  UINT flags = 0;
  int i = HitTest(p, flags);
  bool shift = keys & MK_SHIFT, ctrl = keys & MK_CONTROL;
  NMITEMACTIVATE act;
  act.iItem = i;
  act.ptAction = p;
  act.uKeyFlags = UINT(keys);
  // A double click selects as a press does, then says so.
  if (i < 0) {
    if (!(shift || ctrl)) ClearSelection();
    if (Dead) return;
    act.hdr.code = dbl ? NM_DBLCLK : NM_CLICK;
    Notify(act.hdr);
    return;
  }
  if (flags == LVHT_ONITEMSTATEICON && (Ex & LVS_EX_CHECKBOXES)) {
    ToggleCheck(i);
    if (Dead) return;
    act.hdr.code = dbl ? NM_DBLCLK : NM_CLICK;
    Notify(act.hdr);
    return;
  }
  UINT st = Items[size_t(i)].State;
  // A second click on the focused, selected item's label starts an edit
  // once the double-click time has passed without a second press.
  MayEdit = hadFocus && (St & LVS_EDITLABELS) && !shift && !ctrl && (st & LVIS_FOCUSED) && (st & LVIS_SELECTED) &&
            (flags & LVHT_ONITEMLABEL);
  switch (ClickSelection(Multi(), true, shift, ctrl)) {
    case TClickSelect::Toggle:
      SetState(i, (st & LVIS_SELECTED) ? LVIS_FOCUSED : (LVIS_SELECTED | LVIS_FOCUSED),
               LVIS_SELECTED | LVIS_FOCUSED);
      Anchor = Mark = i;
      break;
    case TClickSelect::Range:
    case TClickSelect::Add:
      SelectRange(Anchor, i, !ctrl);
      if (!Dead) SetState(i, LVIS_FOCUSED, LVIS_FOCUSED);
      break;
    case TClickSelect::Only:
      SelectOnly(i);
      break;
  }
  if (Dead) return;
  if (dbl) {
    MayEdit = false;
    act.hdr.code = NM_DBLCLK;
    Notify(act.hdr);
    return;
  }
  Pressed = true;
  PressItem = i;
  PressAt = p;
  SetCapture(H);
}

namespace {

// The item a movement key lands on in a grid of items: Up and Down move by
// vertStep, Left and Right by horzStep; false for any other key.
bool GridKeyTarget(WPARAM vk, int from, int vertStep, int horzStep, int page, int count, int& to) {
  switch (vk) {
    case VK_UP: to = from - vertStep; return true;
    case VK_DOWN: to = from + vertStep; return true;
    case VK_LEFT: to = from - horzStep; return true;
    case VK_RIGHT: to = from + horzStep; return true;
    case VK_PRIOR: to = from - page; return true;
    case VK_NEXT: to = from + page; return true;
    case VK_HOME: to = 0; return true;
    case VK_END: to = count - 1; return true;
    default: return false;
  }
}

}  // namespace

void ListView::KeyDown(WPARAM vk, LPARAM lp) {
  NMLVKEYDOWN kd;
  kd.hdr.code = LVN_KEYDOWN;
  kd.wVKey = WORD(vk);
  kd.flags = UINT(lp);
  Notify(kd.hdr);
  if (Dead) return;
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int f = FocusIndex();
  if (vk == VK_RETURN) {
    NMHDR nm;
    nm.code = NM_RETURN;
    Notify(nm);
    return;
  }
  if (vk == kVkF2) {
    if ((St & LVS_EDITLABELS) && f >= 0) EditLabel(f);
    return;
  }
  if (vk == VK_SPACE) {
    if (f < 0) return;
    if (Ex & LVS_EX_CHECKBOXES) ToggleCheck(f);
    else if (ctrl && Multi())
      SetState(f, (Items[size_t(f)].State & LVIS_SELECTED) ? 0 : LVIS_SELECTED, LVIS_SELECTED);
    else SelectOnly(f);
    return;
  }
  if (Count() == 0) return;
  int from = f < 0 ? 0 : f, to = from;
  int rows = Rows(), cols = GridColumns();
  switch (View()) {
    case LVS_REPORT: {
      int page = std::max(1, PerPageRows() - 1);
      switch (vk) {
        case VK_UP: to = from - 1; break;
        case VK_DOWN: to = from + 1; break;
        case VK_PRIOR: to = from - page; break;
        case VK_NEXT: to = from + page; break;
        case VK_HOME: to = 0; break;
        case VK_END: to = Count() - 1; break;
        case VK_LEFT: SetXOff(XOff - 16); return;
        case VK_RIGHT: SetXOff(XOff + 16); return;
        default: return;
      }
      break;
    }
    case LVS_LIST:
      // Items run down the columns: a row step is one item, a column step
      // a whole column of them.
      if (!GridKeyTarget(vk, from, 1, rows, rows * std::max(1, VisibleListColumns()), Count(), to)) return;
      break;
    default: {
      // Items run along the rows.
      SIZE cell = View() == LVS_ICON ? IconCell() : SIZE{ListColumnWidth(), RowHeight()};
      int page = cols * std::max(1, int(Client().Bottom) / std::max(1, int(cell.cy)));
      if (!GridKeyTarget(vk, from, cols, 1, page, Count(), to)) return;
      break;
    }
  }
  if (to < 0 || to >= Count()) to = std::clamp(to, 0, Count() - 1);
  MoveFocus(to, shift, ctrl);
}

HWND ListView::EditLabel(int i) {
  if (Editor) EndEdit(true);
  if (Dead || !Valid(i)) return nullptr;
  EnsureVisible(i, false);
  NMLVDISPINFOW d;
  d.hdr.code = LVN_BEGINLABELEDITW;
  d.item.mask = LVIF_TEXT | LVIF_PARAM | LVIF_STATE;
  d.item.iItem = i;
  String text = Items[size_t(i)].Text;
  d.item.pszText = text.data();
  d.item.cchTextMax = int(text.size()) + 1;
  d.item.lParam = Items[size_t(i)].Param;
  d.item.state = Items[size_t(i)].State;
  if (Notify(d.hdr) || Dead || !Valid(i)) return nullptr;
  Parts q = PartsOf(i);
  RECT r = q.Label;
  int minW = TextWidth(Items[size_t(i)].Text) + 16;
  if (r.Right - r.Left < minW) r.Right = r.Left + minW;
  if (View() == LVS_ICON) r.Bottom = r.Top + TextHeight() + 6;
  HWND e = CreateWindowExW(0, WC_EDIT, Items[size_t(i)].Text.c_str(), WS_CHILD | WS_BORDER | ES_AUTOHSCROLL,
                           r.Left, r.Top, r.Right - r.Left, std::max<int>(r.Bottom - r.Top, TextHeight() + 4), H,
                           nullptr, nullptr, nullptr);
  if (!e || Dead) return nullptr;
  Editor = e;
  EditItem = i;
  SendMessageW(e, WM_SETFONT, reinterpret_cast<WPARAM>(Font), 0);
  HookLabelEditor(e, H);
  SendMessageW(e, EM_SETSEL, 0, -1);
  ShowWindow(e, SW_SHOW);
  SetFocus(e);
  return Editor;
}

void ListView::EndEdit(bool commit) {
  if (!Editor) return;
  HWND e = Editor;
  int i = EditItem;
  Editor = nullptr;
  EditItem = -1;
  String text = GetWindowText(e);
  if (GetFocus() == e) SetFocus(H);
  DestroyWindow(e);
  if (Dead || !Valid(i)) return;
  NMLVDISPINFOW d;
  d.hdr.code = LVN_ENDLABELEDITW;
  d.item.mask = LVIF_TEXT | LVIF_PARAM;
  d.item.iItem = i;
  d.item.pszText = commit ? text.data() : nullptr;
  d.item.cchTextMax = int(text.size()) + 1;
  d.item.lParam = Items[size_t(i)].Param;
  // A non-zero answer takes the new text.
  if (Notify(d.hdr) && commit && !Dead && Valid(i)) {
    LVITEMW it;
    it.mask = LVIF_TEXT;
    it.iItem = i;
    it.pszText = text.data();
    SetItem(it);
  }
}

// ---------------------------------------------------------------------------
// Painting

void ListView::DrawStateImage(HDC dc, int i, const RECT& r) {
  UINT idx = (Items[size_t(i)].State & LVIS_STATEIMAGEMASK) >> 12;
  if (idx == 0) return;
  if (StateList) {
    SIZE s = ImageSize(StateList);
    ImageList_Draw(StateList, int(idx) - 1, dc, r.Left, (r.Top + r.Bottom - s.cy) / 2, ILD_TRANSPARENT);
    return;
  }
  if (!(Ex & LVS_EX_CHECKBOXES)) return;
  int y = (r.Top + r.Bottom - 13) / 2;
  RECT b{r.Left + 1, y, r.Left + 14, y + 13};
  DrawFrameControl(dc, &b, DFC_BUTTON, DFCS_BUTTONCHECK | DFCS_FLAT | (idx == 2 ? DFCS_CHECKED : 0));
}

void ListView::DrawItem(HDC dc, int i) {
  const LvItem& d = Items[size_t(i)];
  Parts q = PartsOf(i);
  bool sel = (d.State & LVIS_SELECTED) && (Focused || (St & LVS_SHOWSELALWAYS));
  bool focus = Focused && (d.State & LVIS_FOCUSED);
  if (Report() && (St & LVS_OWNERDRAWFIXED)) {
    DRAWITEMSTRUCT di;
    di.CtlType = ODT_LISTVIEW;
    di.CtlID = UINT(GetDlgCtrlID(H));
    di.itemID = UINT(i);
    di.itemAction = ODA_DRAWENTIRE;
    di.itemState = (d.State & LVIS_SELECTED ? ODS_SELECTED : 0) | (focus ? ODS_FOCUS : 0);
    di.hwndItem = H;
    di.hDC = dc;
    di.rcItem = q.Bounds;
    di.itemData = ULONG_PTR(d.Param);
    SendMessageW(GetParent(H), WM_DRAWITEM, WPARAM(di.CtlID), reinterpret_cast<LPARAM>(&di));
    return;
  }
  COLORREF selBk = GetSysColor(Focused ? COLOR_HIGHLIGHT : COLOR_BTNFACE);
  COLORREF selFg = GetSysColor(Focused ? COLOR_HIGHLIGHTTEXT : COLOR_BTNTEXT);
  bool fullRow = Report() && (Ex & LVS_EX_FULLROWSELECT);
  RECT selRect = q.Label;
  if (fullRow) selRect = RECT{q.Icon.Left, q.Bounds.Top, q.Bounds.Right, q.Bounds.Bottom};
  if (sel) {
    HBRUSH b = CreateSolidBrush(selBk);
    FillRect(dc, &selRect, b);
    DeleteObject(b);
  } else if (TextBk != CLR_DEFAULT && TextBk != CLR_NONE) {
    HBRUSH b = CreateSolidBrush(TextBk);
    FillRect(dc, &q.Label, b);
    DeleteObject(b);
  }
  DrawStateImage(dc, i, q.State);
  HIMAGELIST il = View() == LVS_ICON ? Large : Small;
  if (il && d.Image >= 0) {
    SIZE s = ImageSize(il);
    UINT style = ILD_TRANSPARENT | (d.State & LVIS_OVERLAYMASK) | (sel && View() == LVS_ICON ? ILD_BLEND50 : 0);
    int y = View() == LVS_ICON ? q.Icon.Top : (q.Icon.Top + q.Icon.Bottom - s.cy) / 2;
    ImageList_Draw(il, d.Image, dc, q.Icon.Left, y, style);
  }
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, sel ? selFg : Fore());
  RECT t = q.Label;
  InflateRect(t, -kPad, 0);
  if (View() == LVS_ICON) {
    UINT fmt = DT_CENTER | DT_NOPREFIX | ((St & LVS_NOLABELWRAP) ? DT_SINGLELINE | DT_END_ELLIPSIS : DT_WORDBREAK);
    if (!focus) fmt |= DT_END_ELLIPSIS;
    DrawTextW(dc, d.Text.c_str(), int(d.Text.size()), &t, fmt);
  } else {
    UINT align = DT_LEFT;
    if (Report() && !Cols.empty()) {
      int f = Cols[0].Fmt & LVCFMT_JUSTIFYMASK;
      align = f == LVCFMT_RIGHT ? DT_RIGHT : f == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
    }
    DrawTextW(dc, d.Text.c_str(), int(d.Text.size()), &t,
              align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
  }
  if (Report()) {
    for (int c = 1; c < int(Cols.size()); ++c) {
      const LvCol& col = Cols[size_t(c)];
      int left = ColumnLeft(c);
      RECT s{left + kSubPad, q.Bounds.Top, left + col.Width - kSubPad, q.Bounds.Bottom};
      if (s.Right <= s.Left) continue;
      int f = col.Fmt & LVCFMT_JUSTIFYMASK;
      UINT align = f == LVCFMT_RIGHT ? DT_RIGHT : f == LVCFMT_CENTER ? DT_CENTER : DT_LEFT;
      SetTextColor(dc, sel && fullRow ? selFg : Fore());
      String st = SubText(i, col.SubItem);
      DrawTextW(dc, st.c_str(), int(st.size()), &s, align | DT_SINGLELINE | DT_VCENTER | DT_END_ELLIPSIS | DT_NOPREFIX);
    }
  }
  if (focus) {
    SetTextColor(dc, RGB(0, 0, 0));
    SetBkColor(dc, RGB(255, 255, 255));
    DrawFocusRect(dc, &selRect);
  }
}

void ListView::DrawGrid(HDC dc) {
  RECT c = Client();
  HPEN pen = CreatePen(PS_SOLID, 1, GetSysColor(COLOR_BTNFACE));
  HGDIOBJ old = SelectObject(dc, pen);
  int rh = RowHeight();
  for (int y = RowsTop + rh - 1; y < c.Bottom; y += rh) {
    MoveToEx(dc, 0, y, nullptr);
    LineTo(dc, c.Right, y);
  }
  int x = -XOff;
  for (int k : DisplayOrder()) {
    x += Cols[size_t(k)].Width;
    MoveToEx(dc, x - 1, RowsTop, nullptr);
    LineTo(dc, x - 1, c.Bottom);
  }
  SelectObject(dc, old);
  DeleteObject(pen);
}

void ListView::Paint(HDC dc) {
  int saved = SaveDC(dc);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(DEFAULT_GUI_FONT));
  RECT c = Client();
  if (Bk != CLR_NONE) {
    HBRUSH b = CreateSolidBrush(BkColor());
    FillRect(dc, &c, b);
    DeleteObject(b);
  }
  if (Report()) {
    IntersectClipRect(dc, 0, RowsTop, c.Right, c.Bottom);
    int rh = RowHeight();
    for (int i = Top; i < Count() && RowsTop + (i - Top) * rh < c.Bottom; ++i) DrawItem(dc, i);
    if (Ex & LVS_EX_GRIDLINES) DrawGrid(dc);
  } else {
    for (int i = 0; i < Count(); ++i) {
      RECT b = PartsOf(i).Bounds;
      if (b.Right > 0 && b.Left < c.Right && b.Bottom > 0 && b.Top < c.Bottom) DrawItem(dc, i);
    }
  }
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT ListView::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE:
      St = DWORD(reinterpret_cast<CREATESTRUCTW*>(lp)->style);
      return DefWindowProcW(H, msg, wp, lp);
    case WM_CREATE:
      EnsureHeader();
      Layout();
      return 0;
    case WM_NCDESTROY:
      if (!(St & LVS_SHAREIMAGELISTS)) {
        for (HIMAGELIST l : {Large, Small, StateList})
          if (l) ImageList_Destroy(l);
      }
      Large = Small = StateList = nullptr;
      return DefWindowProcW(H, msg, wp, lp);
    case WM_DESTROY:
      if (Editor) {
        DestroyWindow(Editor);
        Editor = nullptr;
        EditItem = -1;
      }
      KillTimer(H, kEditTimer);
      return 0;
    case WM_STYLECHANGED:
      if (wp == WPARAM(GWL_STYLE)) {
        DWORD old = St;
        St = reinterpret_cast<STYLESTRUCT*>(lp)->styleNew;
        if ((old & LVS_TYPEMASK) != View()) {
          if (Editor) EndEdit(true);
          Top = XOff = YOff = 0;
        }
        if (Hdr && ((old ^ St) & LVS_NOCOLUMNHEADER)) {
          DWORD hs = DWORD(GetWindowLongW(Hdr, GWL_STYLE));
          SetWindowLongW(Hdr, GWL_STYLE, LONG((St & LVS_NOCOLUMNHEADER) ? (hs | HDS_HIDDEN) : (hs & ~HDS_HIDDEN)));
        }
        if (Hdr && ((old ^ St) & LVS_NOSORTHEADER)) {
          DWORD hs = DWORD(GetWindowLongW(Hdr, GWL_STYLE));
          SetWindowLongW(Hdr, GWL_STYLE, LONG((St & LVS_NOSORTHEADER) ? (hs & ~HDS_BUTTONS) : (hs | HDS_BUTTONS)));
        }
        EnsureHeader();
        if (Dead) return 0;
        Layout();
        Invalidate();
      }
      return 0;
    case WM_SIZE:
      Layout();
      Invalidate();
      return 0;
    case WM_SETFONT:
      Font = reinterpret_cast<HFONT>(wp);
      if (Hdr) SendMessageW(Hdr, WM_SETFONT, wp, lp);
      Layout();
      if (LOWORD(uintptr_t(lp))) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS | DLGC_WANTCHARS;
    case WM_SETFOCUS: {
      Focused = true;
      NMHDR nm;
      nm.code = NM_SETFOCUS;
      Notify(nm);
      Invalidate();
      return 0;
    }
    case WM_KILLFOCUS: {
      Focused = false;
      NMHDR nm;
      nm.code = NM_KILLFOCUS;
      Notify(nm);
      Invalidate();
      return 0;
    }
    case WM_ENABLE:
      Invalidate();
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (!dc || Bk == CLR_NONE) return 0;
      RECT c = Client();
      HBRUSH b = CreateSolidBrush(BkColor());
      FillRect(dc, &c, b);
      DeleteObject(b);
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
    case WM_LBUTTONDBLCLK:
      Press(POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), wp, msg == WM_LBUTTONDBLCLK);
      return 0;
    case WM_MOUSEMOVE: {
      if (!Pressed || !(wp & MK_LBUTTON)) return 0;
      POINT p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      if (std::abs(p.X - PressAt.X) > GetSystemMetrics(SM_CXDRAG) ||
          std::abs(p.Y - PressAt.Y) > GetSystemMetrics(SM_CYDRAG)) {
        int i = PressItem;
        Pressed = MayEdit = false;
        if (GetCapture() == H) ReleaseCapture();
        if (Valid(i)) {
          NMLISTVIEW nm;
          nm.hdr.code = LVN_BEGINDRAG;
          nm.iItem = i;
          nm.ptAction = PressAt;
          nm.lParam = Items[size_t(i)].Param;
          Notify(nm.hdr);
        }
      }
      return 0;
    }
    case WM_LBUTTONUP: {
      if (!Pressed) return 0;
      Pressed = false;
      if (GetCapture() == H) ReleaseCapture();
      if (Dead) return 0;
      NMITEMACTIVATE act;
      act.hdr.code = NM_CLICK;
      act.iItem = PressItem;
      act.ptAction = POINT(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      act.uKeyFlags = UINT(wp);
      Notify(act.hdr);
      if (!Dead && MayEdit) SetTimer(H, kEditTimer, GetDoubleClickTime(), nullptr);
      MayEdit = false;
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != H) Pressed = false;
      return 0;
    case WM_RBUTTONDOWN: {
      if (Editor) EndEdit(true);
      if (Dead) return 0;
      if (GetFocus() != H) SetFocus(H);
      if (Dead) return 0;
      POINT p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      UINT flags = 0;
      int i = HitTest(p, flags);
      if (i >= 0 && !(Items[size_t(i)].State & LVIS_SELECTED)) SelectOnly(i);
      else if (i >= 0) SetState(i, LVIS_FOCUSED, LVIS_FOCUSED);
      if (Dead) return 0;
      NMITEMACTIVATE act;
      act.hdr.code = NM_RCLICK;
      act.iItem = i;
      act.ptAction = p;
      act.uKeyFlags = UINT(wp);
      Notify(act.hdr);
      return 0;
    }
    case WM_TIMER:
      if (wp == kEditTimer) {
        KillTimer(H, kEditTimer);
        int f = FocusIndex();
        if (f >= 0 && (St & LVS_EDITLABELS)) EditLabel(f);
        return 0;
      }
      return DefWindowProcW(H, msg, wp, lp);
    case WM_KEYDOWN:
      KeyDown(wp, lp);
      return 0;
    case WM_CHAR: {
      char16_t c = char16_t(wp);
      if (c < 0x20 || Count() == 0) return 0;
      int i = Typed.Type(c, GetTickCount(), Count(), FocusIndex(),
                         [this](int k) { return Items[size_t(k)].Text; });
      if (i >= 0) MoveFocus(i, false, false);
      return 0;
    }
    case WM_VSCROLL:
    case WM_HSCROLL: {
      int thumb = int(short(HIWORD(wp)));
      if (LOWORD(wp) == SB_THUMBTRACK || LOWORD(wp) == SB_THUMBPOSITION) {
        // The 16-bit position in WParam is short of large ranges.
        SCROLLINFO si;
        si.fMask = SIF_TRACKPOS;
        if (GetScrollInfo(H, msg == WM_VSCROLL ? SB_VERT : SB_HORZ, &si) && si.nTrackPos > 0xFFFF) thumb = si.nTrackPos;
      }
      ScrollMsg(msg == WM_VSCROLL, LOWORD(wp), thumb);
      return 0;
    }
    case WM_MOUSEWHEEL: {
      int notches = int(short(HIWORD(wp))) / 120;
      if (notches == 0) return 0;
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      if (lines == 0) return 0;
      if (View() == LVS_LIST) SetTopRow(Top - notches);
      else if (Report()) SetTopRow(Top - notches * int(lines));
      else SetYOff(YOff - notches * int(lines) * RowHeight());
      return 0;
    }
    case WM_NOTIFY: {
      auto* nm = reinterpret_cast<NMHDR*>(lp);
      if (!nm || !Hdr || nm->hwndFrom != Hdr) return 0;
      auto* hn = reinterpret_cast<NMHEADERW*>(lp);
      switch (nm->code) {
        case HDN_ITEMCHANGEDW:
          if (hn->pitem && (hn->pitem->mask & HDI_WIDTH) && hn->iItem >= 0 && hn->iItem < int(Cols.size())) {
            Cols[size_t(hn->iItem)].Width = std::max(0, hn->pitem->cxy);
            Layout();
            Invalidate();
          }
          return 0;
        case HDN_ITEMCLICKW:
          if (!(St & LVS_NOSORTHEADER)) NotifyItem(LVN_COLUMNCLICK, -1, hn->iItem);
          return 0;
        case HDN_BEGINDRAG:
          return (Ex & LVS_EX_HEADERDRAGDROP) ? 0 : 1;
        case HDN_ENDDRAG:
          Invalidate();
          return 0;
        case HDN_DIVIDERDBLCLICKW:
          SetColumnWidth(hn->iItem, LVSCW_AUTOSIZE);
          return 0;
        default:
          return 0;
      }
    }
    case LVM_GETITEMCOUNT:
      return Count();
    case LVM_INSERTITEMW: {
      auto* it = reinterpret_cast<const LVITEMW*>(lp);
      return it ? InsertItem(*it) : -1;
    }
    case LVM_SETITEMW: {
      auto* it = reinterpret_cast<const LVITEMW*>(lp);
      return it && SetItem(*it);
    }
    case LVM_GETITEMW:
      return GetItem(reinterpret_cast<LVITEMW*>(lp));
    case LVM_DELETEITEM:
      return DeleteItem(int(intptr_t(wp)));
    case LVM_DELETEALLITEMS:
      DeleteAll();
      return 1;
    case LVM_SETITEMSTATE: {
      auto* it = reinterpret_cast<const LVITEMW*>(lp);
      if (!it) return 0;
      int i = int(intptr_t(wp));
      if (i == -1) {
        bool ok = true;
        for (int k = 0; k < Count() && !Dead; ++k) ok = SetState(k, it->state, it->stateMask) && ok;
        return ok;
      }
      return SetState(i, it->state, it->stateMask);
    }
    case LVM_GETITEMSTATE: {
      int i = int(intptr_t(wp));
      return Valid(i) ? LRESULT(Items[size_t(i)].State & UINT(lp)) : 0;
    }
    case LVM_GETITEMTEXTW: {
      auto* it = reinterpret_cast<LVITEMW*>(lp);
      int i = int(intptr_t(wp));
      if (!it || !Valid(i) || !it->pszText || it->cchTextMax <= 0) return 0;
      String s = SubText(i, it->iSubItem);
      int n = std::min(int(s.size()), it->cchTextMax - 1);
      std::copy_n(s.c_str(), n, it->pszText);
      it->pszText[n] = 0;
      return n;
    }
    case LVM_SETITEMTEXTW: {
      auto* it = reinterpret_cast<const LVITEMW*>(lp);
      if (!it) return 0;
      LVITEMW copy = *it;
      copy.iItem = int(intptr_t(wp));
      copy.mask = LVIF_TEXT;
      return SetItem(copy);
    }
    case LVM_GETNEXTITEM:
      return NextItem(int(intptr_t(wp)), UINT(LOWORD(uintptr_t(lp))));
    case LVM_GETSELECTEDCOUNT: {
      int n = 0;
      for (const LvItem& d : Items) n += (d.State & LVIS_SELECTED) ? 1 : 0;
      return n;
    }
    case LVM_GETSELECTIONMARK:
      return Mark;
    case LVM_SETSELECTIONMARK: {
      int old = Mark;
      Mark = Anchor = Valid(int(lp)) ? int(lp) : -1;
      return old;
    }
    case LVM_INSERTCOLUMNW: {
      auto* c = reinterpret_cast<const LVCOLUMNW*>(lp);
      return c ? InsertColumn(int(intptr_t(wp)), *c) : -1;
    }
    case LVM_DELETECOLUMN: {
      int c = int(intptr_t(wp));
      if (c < 0 || c >= int(Cols.size())) return 0;
      Cols.erase(Cols.begin() + c);
      ColOrder.erase(std::find(ColOrder.begin(), ColOrder.end(), c));
      for (int& k : ColOrder)
        if (k > c) --k;
      if (Hdr) SendMessageW(Hdr, HDM_DELETEITEM, WPARAM(c), 0);
      Layout();
      Invalidate();
      return 1;
    }
    case LVM_SETCOLUMNW: {
      auto* c = reinterpret_cast<const LVCOLUMNW*>(lp);
      int k = int(intptr_t(wp));
      if (!c || k < 0 || k >= int(Cols.size())) return 0;
      ApplyColumn(Cols[size_t(k)], *c);
      SyncHeaderItem(k, false);
      Layout();
      Invalidate();
      return 1;
    }
    case LVM_GETCOLUMNW: {
      auto* c = reinterpret_cast<LVCOLUMNW*>(lp);
      int k = int(intptr_t(wp));
      if (!c || k < 0 || k >= int(Cols.size())) return 0;
      const LvCol& d = Cols[size_t(k)];
      if (c->mask & LVCF_FMT) c->fmt = d.Fmt;
      if (c->mask & LVCF_WIDTH) c->cx = d.Width;
      if (c->mask & LVCF_SUBITEM) c->iSubItem = d.SubItem;
      if (c->mask & LVCF_IMAGE) c->iImage = d.Image;
      if ((c->mask & LVCF_TEXT) && c->pszText && c->cchTextMax > 0) {
        int n = std::min(int(d.Text.size()), c->cchTextMax - 1);
        std::copy_n(d.Text.c_str(), n, c->pszText);
        c->pszText[n] = 0;
      }
      if (c->mask & LVCF_ORDER) {
        std::vector<int> o = DisplayOrder();
        c->iOrder = int(std::find(o.begin(), o.end(), k) - o.begin());
      }
      return 1;
    }
    case LVM_GETCOLUMNWIDTH: {
      int k = int(intptr_t(wp));
      if (View() == LVS_LIST) return ListColumnWidth();
      return k >= 0 && k < int(Cols.size()) ? Cols[size_t(k)].Width : 0;
    }
    case LVM_SETCOLUMNWIDTH:
      return SetColumnWidth(int(intptr_t(wp)), int(short(LOWORD(uintptr_t(lp)))));
    case LVM_GETCOLUMNORDERARRAY: {
      int n = int(intptr_t(wp));
      auto* out = reinterpret_cast<int*>(lp);
      if (!out || n < 0 || n > int(Cols.size())) return 0;
      std::vector<int> o = DisplayOrder();
      std::copy_n(o.begin(), n, out);
      return 1;
    }
    case LVM_SETCOLUMNORDERARRAY: {
      int n = int(intptr_t(wp));
      auto* in = reinterpret_cast<const int*>(lp);
      if (!in || n != int(Cols.size())) return 0;
      std::vector<int> o(in, in + n), s = o;
      std::sort(s.begin(), s.end());
      for (int k = 0; k < n; ++k)
        if (s[size_t(k)] != k) return 0;
      ColOrder = o;
      if (Hdr) SendMessageW(Hdr, HDM_SETORDERARRAY, WPARAM(n), reinterpret_cast<LPARAM>(o.data()));
      Invalidate();
      return 1;
    }
    case LVM_GETHEADER:
      return reinterpret_cast<LRESULT>(Hdr);
    case LVM_SETIMAGELIST: {
      HIMAGELIST l = reinterpret_cast<HIMAGELIST>(lp), old = nullptr;
      switch (wp) {
        case LVSIL_NORMAL: old = Large; Large = l; break;
        case LVSIL_SMALL:
          old = Small;
          Small = l;
          if (Hdr) SendMessageW(Hdr, HDM_SETIMAGELIST, 0, lp);
          break;
        case LVSIL_STATE: old = StateList; StateList = l; break;
        default: return 0;
      }
      Layout();
      Invalidate();
      return reinterpret_cast<LRESULT>(old);
    }
    case LVM_GETIMAGELIST:
      return reinterpret_cast<LRESULT>(wp == LVSIL_NORMAL ? Large : wp == LVSIL_SMALL ? Small
                                                              : wp == LVSIL_STATE ? StateList : nullptr);
    case LVM_SETBKCOLOR:
      Bk = COLORREF(lp);
      Invalidate();
      return 1;
    case LVM_GETBKCOLOR:
      return Bk == CLR_DEFAULT ? LRESULT(GetSysColor(COLOR_WINDOW)) : LRESULT(Bk);
    case LVM_SETTEXTCOLOR:
      TextColor = COLORREF(lp);
      Invalidate();
      return 1;
    case LVM_GETTEXTCOLOR:
      return LRESULT(Fore());
    case LVM_SETTEXTBKCOLOR:
      TextBk = COLORREF(lp);
      Invalidate();
      return 1;
    case LVM_GETTEXTBKCOLOR:
      return LRESULT(TextBk == CLR_DEFAULT ? BkColor() : TextBk);
    case LVM_GETITEMRECT: {
      // An index outside the items is refused and the caller's rectangle
      // left as it was.
      int i = int(intptr_t(wp));
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r || !Valid(i)) return 0;
      Parts q = PartsOf(i);
      switch (r->Left) {
        case LVIR_BOUNDS: *r = q.Bounds; break;
        case LVIR_ICON: *r = q.Icon; break;
        case LVIR_LABEL: *r = q.Label; break;
        case LVIR_SELECTBOUNDS:
          if (Report() && (Ex & LVS_EX_FULLROWSELECT)) *r = RECT{q.Icon.Left, q.Bounds.Top, q.Bounds.Right, q.Bounds.Bottom};
          else if (View() == LVS_ICON) UnionRect(*r, q.Icon, q.Label);
          else *r = RECT{q.Icon.Left, q.Bounds.Top, q.Label.Right, q.Bounds.Bottom};
          break;
        default: return 0;
      }
      return 1;
    }
    case LVM_GETITEMPOSITION: {
      int i = int(intptr_t(wp));
      auto* p = reinterpret_cast<POINT*>(lp);
      if (!p || !Valid(i)) return 0;
      RECT b = PartsOf(i).Bounds;
      *p = POINT(b.Left, b.Top);
      return 1;
    }
    case LVM_GETCOUNTPERPAGE:
      if (Report()) return PerPageRows();
      if (View() == LVS_LIST) return Rows() * VisibleListColumns();
      return Count();
    case LVM_GETTOPINDEX:
      if (Report()) return Top;
      if (View() == LVS_LIST) return std::min(Count(), Top * Rows());
      return 0;
    case LVM_SCROLL:
      ScrollBy(int(intptr_t(wp)), int(intptr_t(lp)));
      return 1;
    case LVM_ENSUREVISIBLE:
      EnsureVisible(int(intptr_t(wp)), lp != 0);
      return Valid(int(intptr_t(wp)));
    case LVM_HITTEST:
    case LVM_SUBITEMHITTEST: {
      auto* ht = reinterpret_cast<LVHITTESTINFO*>(lp);
      if (!ht) return -1;
      int sub = 0;
      ht->iItem = HitTest(ht->pt, ht->flags, msg == LVM_SUBITEMHITTEST ? &sub : nullptr);
      ht->iSubItem = ht->iItem >= 0 ? sub : -1;
      return ht->iItem;
    }
    case LVM_GETVIEWRECT: {
      auto* r = reinterpret_cast<RECT*>(lp);
      if (!r || Report() || View() == LVS_LIST) return 0;
      SIZE c = Content();
      *r = RECT{-XOff, -YOff, -XOff + c.cx, -YOff + c.cy};
      return 1;
    }
    case LVM_GETORIGIN: {
      auto* p = reinterpret_cast<POINT*>(lp);
      if (!p || Report() || View() == LVS_LIST) return 0;
      *p = POINT(XOff, YOff);
      return 1;
    }
    case LVM_ARRANGE:
      // Items always sit in their grid cells.
      Layout();
      Invalidate();
      return View() == LVS_ICON || View() == LVS_SMALLICON;
    case LVM_SORTITEMS:
      Sort(reinterpret_cast<PFNLVCOMPARE>(lp), LPARAM(wp));
      return 1;
    case LVM_FINDITEMW: {
      auto* fi = reinterpret_cast<const LVFINDINFOW*>(lp);
      return fi ? Find(int(intptr_t(wp)), *fi) : -1;
    }
    case LVM_GETSTRINGWIDTHW: {
      auto* s = reinterpret_cast<const char16_t*>(lp);
      return s ? TextWidth(String(s)) : 0;
    }
    case LVM_EDITLABELW:
      return reinterpret_cast<LRESULT>(EditLabel(int(intptr_t(wp))));
    case LVM_GETEDITCONTROL:
      return reinterpret_cast<LRESULT>(Editor);
    case LVM_CANCELEDITLABEL:
      EndEdit(false);
      return 0;
    case LVM_REDRAWITEMS: {
      int a = int(intptr_t(wp)), b = int(intptr_t(lp));
      for (int i = std::max(0, a); i <= std::min(b, Count() - 1); ++i) InvalidateItem(i);
      return 1;
    }
    case LVM_UPDATE:
      if (!Valid(int(intptr_t(wp)))) return 0;
      if (St & LVS_AUTOARRANGE) Layout();
      InvalidateItem(int(intptr_t(wp)));
      return 1;
    case LVM_SETEXTENDEDLISTVIEWSTYLE: {
      DWORD old = Ex;
      DWORD mask = wp ? DWORD(wp) : 0xFFFFFFFFu;
      Ex = (Ex & ~mask) | (DWORD(lp) & mask);
      if ((Ex & LVS_EX_CHECKBOXES) && !(old & LVS_EX_CHECKBOXES))
        for (auto& d : Items)
          if (!(d.State & LVIS_STATEIMAGEMASK)) d.State |= INDEXTOSTATEIMAGEMASK(1);
      if (Hdr && ((old ^ Ex) & LVS_EX_HEADERDRAGDROP)) {
        DWORD hs = DWORD(GetWindowLongW(Hdr, GWL_STYLE));
        SetWindowLongW(Hdr, GWL_STYLE, LONG((Ex & LVS_EX_HEADERDRAGDROP) ? (hs | HDS_DRAGDROP) : (hs & ~HDS_DRAGDROP)));
      }
      Layout();
      Invalidate();
      return LRESULT(old);
    }
    case LVM_GETEXTENDEDLISTVIEWSTYLE:
      return LRESULT(Ex);
    default:
      return DefWindowProcW(H, msg, wp, lp);
  }
}

LRESULT ListViewProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return Views().Dispatch(h, msg, wp, lp); }

// The label editor is the window server's edit with its keys and focus
// loss watched: Enter and focus loss commit, Escape cancels.
struct EditorHook {
  HWND View;
  WNDPROC Old;
};

std::mutex& EditorLock() {
  static std::mutex m;
  return m;
}
std::unordered_map<HWND, EditorHook>& Editors() {
  static std::unordered_map<HWND, EditorHook> m;
  return m;
}

LRESULT EditorProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  EditorHook hook{nullptr, nullptr};
  {
    std::lock_guard<std::mutex> lk(EditorLock());
    auto it = Editors().find(h);
    if (it == Editors().end()) return DefWindowProcW(h, msg, wp, lp);
    hook = it->second;
    if (msg == WM_NCDESTROY) Editors().erase(it);
  }
  auto end = [&](bool commit) {
    Views().Dispatch(hook.View, WM_NULL, 0, 0, [commit](ListView& v) { v.EditorKey(commit); });
  };
  switch (msg) {
    case WM_GETDLGCODE:
      return CallWindowProcW(hook.Old, h, msg, wp, lp) | DLGC_WANTALLKEYS;
    case WM_KEYDOWN:
      if (wp == VK_RETURN || wp == VK_ESCAPE) {
        end(wp == VK_RETURN);
        return 0;
      }
      break;
    case WM_CHAR:
      if (wp == '\r' || wp == 0x1B) return 0;
      break;
    case WM_KILLFOCUS: {
      LRESULT r = CallWindowProcW(hook.Old, h, msg, wp, lp);
      end(true);
      return r;
    }
    default:
      break;
  }
  return CallWindowProcW(hook.Old, h, msg, wp, lp);
}

}  // namespace

void HookLabelEditor(HWND editor, HWND view) {
  WNDPROC old = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(editor, GWLP_WNDPROC));
  {
    std::lock_guard<std::mutex> lk(EditorLock());
    Editors()[editor] = EditorHook{view, old};
  }
  SetWindowLongPtrW(editor, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&EditorProc));
}

void RegisterListViewClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    RegisterHeaderClass();
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = ListViewProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_LISTVIEW;
    RegisterClassExW(&wc);
  });
}

}  // namespace vcl
