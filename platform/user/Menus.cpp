// Menus: the menu objects and their items, and TrackPopupMenuEx's menu loop
// with pop-up windows of the server's own class "#32768" (drawn items, hover
// highlight, submenus, keyboard navigation and mnemonics).
//
// The loop captures the mouse on the first menu window and reads the thread's
// queue like every modal loop; a press outside every menu window or Escape on
// the first level cancels it.
#include <algorithm>
#include <cstring>
#include <map>
#include <memory>

#include "platform/user/Server.h"

namespace vcl {

using namespace server;

namespace {

struct MenuItem {
  UINT Type = MFT_STRING;
  UINT State = 0;
  UINT Id = 0;
  HMENU Sub = nullptr;
  HBITMAP Checked = nullptr;
  HBITMAP Unchecked = nullptr;
  HBITMAP Bitmap = nullptr;
  ULONG_PTR Data = 0;
  String Text;
  bool Separator() const { return (Type & MFT_SEPARATOR) != 0; }
  bool Enabled() const { return !(State & MFS_GRAYED); }
};

struct Menu {
  bool Popup = false;
  std::vector<MenuItem> Items;
};

std::mutex gMenuLock;
std::map<HMENU, std::unique_ptr<Menu>>& Menus() {
  static auto* m = new std::map<HMENU, std::unique_ptr<Menu>>;
  return *m;
}
uintptr_t gNextMenu = 0x30000;

Menu* FindMenu(HMENU m) {
  auto it = Menus().find(m);
  return it == Menus().end() ? nullptr : it->second.get();
}

// The item an (item, flags) pair names: by position in m, or by command id
// anywhere in m and its submenus. Menu lock held.
bool Locate(HMENU m, UINT item, bool byPosition, Menu*& owner, size_t& index, int depth = 0) {
  Menu* menu = FindMenu(m);
  if (!menu || depth > 32) return false;
  if (byPosition) {
    if (item >= menu->Items.size()) return false;
    owner = menu;
    index = item;
    return true;
  }
  for (size_t i = 0; i < menu->Items.size(); ++i) {
    const MenuItem& it = menu->Items[i];
    if (!it.Sub && !it.Separator() && it.Id == item) {
      owner = menu;
      index = i;
      return true;
    }
  }
  for (auto& it : menu->Items)
    if (it.Sub && Locate(it.Sub, item, false, owner, index, depth + 1)) return true;
  return false;
}

MenuItem ItemFromFlags(UINT flags, UINT_PTR newItem, const char16_t* text) {
  MenuItem it;
  if (flags & MF_SEPARATOR) {
    it.Type = MFT_SEPARATOR;
    return it;
  }
  it.Type = flags & (MF_OWNERDRAW | MF_BITMAP | MF_MENUBARBREAK | MF_MENUBREAK | MF_RIGHTJUSTIFY);
  it.State = flags & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_DEFAULT);
  if (flags & MF_POPUP) it.Sub = reinterpret_cast<HMENU>(newItem);
  else it.Id = UINT(newItem);
  if (flags & MF_OWNERDRAW) it.Data = reinterpret_cast<ULONG_PTR>(text);
  else if (flags & MF_BITMAP) it.Bitmap = reinterpret_cast<HBITMAP>(const_cast<char16_t*>(text));
  else if (text) it.Text = text;
  return it;
}

void ApplyInfo(MenuItem& it, const MENUITEMINFOW& mi) {
  if (mi.fMask & MIIM_TYPE) {
    it.Type = mi.fType;
    if (!(mi.fType & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)))
      it.Text = mi.dwTypeData ? String(mi.dwTypeData) : String();
    if (mi.fType & MFT_BITMAP) it.Bitmap = reinterpret_cast<HBITMAP>(mi.dwTypeData);
  }
  if (mi.fMask & MIIM_FTYPE) it.Type = mi.fType;
  if (mi.fMask & MIIM_STRING) it.Text = mi.dwTypeData ? String(mi.dwTypeData) : String();
  if (mi.fMask & MIIM_STATE) it.State = mi.fState;
  if (mi.fMask & MIIM_ID) it.Id = mi.wID;
  if (mi.fMask & MIIM_SUBMENU) it.Sub = mi.hSubMenu;
  if (mi.fMask & MIIM_CHECKMARKS) {
    it.Checked = mi.hbmpChecked;
    it.Unchecked = mi.hbmpUnchecked;
  }
  if (mi.fMask & MIIM_DATA) it.Data = mi.dwItemData;
  if (mi.fMask & MIIM_BITMAP) it.Bitmap = mi.hbmpItem;
}

HMENU NewMenu(bool popup) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  HMENU h = reinterpret_cast<HMENU>(gNextMenu);
  gNextMenu += 4;
  auto m = std::make_unique<Menu>();
  m->Popup = popup;
  Menus()[h] = std::move(m);
  return h;
}

void DestroyLocked(HMENU h, int depth) {
  auto it = Menus().find(h);
  if (it == Menus().end() || depth > 32) return;
  std::unique_ptr<Menu> m = std::move(it->second);
  Menus().erase(it);
  for (auto& item : m->Items)
    if (item.Sub) DestroyLocked(item.Sub, depth + 1);
}

bool InsertAt(HMENU m, UINT position, bool byPosition, MenuItem item) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* menu = FindMenu(m);
  if (!menu) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (item.Sub && (item.Sub == m || !FindMenu(item.Sub))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (byPosition) {
    size_t at = std::min<size_t>(position, menu->Items.size());  // -1 appends
    menu->Items.insert(menu->Items.begin() + std::ptrdiff_t(at), std::move(item));
    return true;
  }
  Menu* owner;
  size_t index;
  if (!Locate(m, position, false, owner, index)) {
    menu->Items.push_back(std::move(item));
    return true;
  }
  owner->Items.insert(owner->Items.begin() + std::ptrdiff_t(index), std::move(item));
  return true;
}

// ---------------------------------------------------------------------------
// The menu loop

constexpr int kBorder = 3;
constexpr int kSeparator = 9;

struct Level {
  HMENU Menu = nullptr;
  HWND Wnd = nullptr;
  std::vector<MenuItem> Items;
  std::vector<TRect> Rects;  // client coordinates
  TRect Screen;
  int Hot = -1;
};

struct Tracker {
  HWND Owner = nullptr;
  UINT Flags = 0;
  bool System = false;
  bool Notify = true;
  bool Ended = false;
  UINT Chosen = 0;
  bool HasChoice = false;
  HFONT Font = nullptr;
  int ItemHeight = 20;
  int TextX = 24;
  std::vector<Level> Levels;
};

Tracker* gTracker = nullptr;  // the menu loop under way (one at a time)
TMenuResponder gMenuResponder;

String Before(const String& s, char16_t c) {
  size_t p = s.find(c);
  return p == String::npos ? s : s.substr(0, p);
}
String After(const String& s, char16_t c) {
  size_t p = s.find(c);
  return p == String::npos ? String() : s.substr(p + 1);
}

// The mnemonic of an item's text: the character after a single '&'.
char16_t Mnemonic(const String& s) {
  for (size_t i = 0; i + 1 < s.size(); ++i) {
    if (s[i] != u'&') continue;
    if (s[i + 1] == u'&') {
      ++i;
      continue;
    }
    char16_t c = s[i + 1];
    return (c >= u'a' && c <= u'z') ? char16_t(c - 32) : c;
  }
  return 0;
}

void FillSys(HDC dc, const TRect& r, int color) {
  if (r.Right > r.Left && r.Bottom > r.Top) FillRect(dc, &r, GetSysColorBrush(color));
}

void DrawCheck(HDC dc, const TRect& box, bool radio, int color) {
  int cx = (box.Left + box.Right) / 2, cy = (box.Top + box.Bottom) / 2;
  if (radio) {
    HRGN dot = CreateEllipticRgn(cx - 3, cy - 3, cx + 4, cy + 4);
    FillRgn(dc, dot, GetSysColorBrush(color));
    DeleteObject(dot);
    return;
  }
  // A tick seven pixels wide, three pixels thick.
  static const int kTop[7] = {2, 3, 4, 3, 2, 1, 0};
  for (int i = 0; i < 7; ++i) FillSys(dc, Bounds(cx - 3 + i, cy - 3 + kTop[i], 1, 3), color);
}

void DrawArrow(HDC dc, const TRect& r, int color) {
  int x = r.Right - 12, cy = (r.Top + r.Bottom) / 2;
  for (int i = 0; i < 4; ++i) FillSys(dc, TRect(x + i, cy - 3 + i, x + i + 1, cy + 4 - i), color);
}

void PaintLevel(HWND h, HDC dc) {
  Tracker* t = gTracker;
  if (!t) return;
  Level* lv = nullptr;
  for (auto& l : t->Levels)
    if (l.Wnd == h) lv = &l;
  if (!lv) return;
  TRect cr;
  GetClientRect(h, &cr);
  FillSys(dc, cr, COLOR_MENU);
  TRect e = cr;
  DrawEdge(dc, &e, EDGE_RAISED, BF_RECT);
  HGDIOBJ oldFont = SelectObject(dc, t->Font);
  SetBkMode(dc, TRANSPARENT);
  for (size_t i = 0; i < lv->Items.size(); ++i) {
    const MenuItem& it = lv->Items[i];
    const TRect& r = lv->Rects[i];
    if (it.Type & MFT_OWNERDRAW) {
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_MENU;
      di.itemID = it.Id;
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = (int(i) == lv->Hot ? ODS_SELECTED : 0) | ((it.State & MF_GRAYED) == MF_GRAYED ? ODS_GRAYED : 0) |
                     ((it.State & MF_DISABLED) ? ODS_DISABLED : 0) | ((it.State & MF_CHECKED) ? ODS_CHECKED : 0) |
                     ((it.State & MF_DEFAULT) ? ODS_DEFAULT : 0);
      di.hwndItem = reinterpret_cast<HWND>(lv->Menu);
      di.hDC = dc;
      di.rcItem = r;
      di.itemData = it.Data;
      int saved = SaveDC(dc);
      if (t->Owner) SendMessageW(t->Owner, WM_DRAWITEM, 0, reinterpret_cast<LPARAM>(&di));
      RestoreDC(dc, saved);
      // The submenu arrow is the menu's own, over what the owner drew.
      if (it.Sub) DrawArrow(dc, r, int(i) == lv->Hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT);
      continue;
    }
    if (it.Separator()) {
      int mid = (r.Top + r.Bottom) / 2;
      FillSys(dc, TRect(r.Left + 1, mid - 1, r.Right - 1, mid), COLOR_BTNSHADOW);
      FillSys(dc, TRect(r.Left + 1, mid, r.Right - 1, mid + 1), COLOR_BTNHIGHLIGHT);
      continue;
    }
    bool hot = int(i) == lv->Hot;
    if (hot) FillSys(dc, r, COLOR_HIGHLIGHT);
    TRect text(r.Left + t->TextX - kBorder, r.Top, r.Right - 18, r.Bottom);
    String label = Before(it.Text, u'\t'), accel = After(it.Text, u'\t');
    // Disabled items are embossed, except under the highlight.
    bool emboss = !it.Enabled() && !hot;
    for (int pass = emboss ? 0 : 1; pass < 2; ++pass) {
      int color = pass == 0 ? COLOR_BTNHIGHLIGHT
                  : !it.Enabled() ? (hot ? COLOR_GRAYTEXT : COLOR_BTNSHADOW)
                  : hot ? COLOR_HIGHLIGHTTEXT : COLOR_MENUTEXT;
      int d = pass == 0 ? 1 : 0;
      SetTextColor(dc, GetSysColor(color));
      TRect tr = text, ar = text;
      OffsetRect(tr, d, d);
      OffsetRect(ar, d, d);
      DrawTextW(dc, label.c_str(), int(label.size()), &tr, DT_SINGLELINE | DT_VCENTER | DT_LEFT);
      if (!accel.empty()) DrawTextW(dc, accel.c_str(), int(accel.size()), &ar, DT_SINGLELINE | DT_VCENTER | DT_RIGHT | DT_NOPREFIX);
      TRect box(r.Left + d, r.Top + d, r.Left + t->TextX - kBorder + d, r.Bottom + d);
      if (it.State & MFS_CHECKED) DrawCheck(dc, box, (it.Type & MFT_RADIOCHECK) != 0, color);
      if (it.Sub) {
        TRect ab = r;
        OffsetRect(ab, d, d);
        DrawArrow(dc, ab, color);
      }
    }
  }
  SelectObject(dc, oldFont);
}

LRESULT CALLBACK_MenuProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      PaintLevel(h, dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEACTIVATE:
      return 3;  // MA_NOACTIVATE: a menu never takes the activation
    case MN_GETHMENU:
      if (Tracker* t = gTracker)
        for (auto& l : t->Levels)
          if (l.Wnd == h) return reinterpret_cast<LRESULT>(l.Menu);
      return 0;
    default:
      return DefWindowProcW(h, msg, wp, lp);
  }
}

const char16_t* MenuClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.style = CS_SAVEBITS;
    wc.lpfnWndProc = CALLBACK_MenuProc;
    wc.lpszClassName = u"#32768";
    RegisterClassExW(&wc);
    return true;
  }();
  (void)done;
  return u"#32768";
}

void Notify(Tracker& t, UINT msg, WPARAM wp, LPARAM lp) {
  if (t.Notify && t.Owner) Send(t.Owner, msg, wp, lp);
}

void MenuSelect(Tracker& t, size_t level, bool mouse) {
  Level& lv = t.Levels[level];
  if (lv.Hot < 0) return;
  const MenuItem& it = lv.Items[size_t(lv.Hot)];
  UINT flags = (it.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED)) | MF_HILITE | (it.Sub ? MF_POPUP : 0) |
               (mouse ? MF_MOUSESELECT : 0) | (t.System ? MF_SYSMENU : 0);
  int id = it.Sub ? lv.Hot : int(it.Id);
  Notify(t, WM_MENUSELECT, MAKEWPARAM(id, int(flags)), reinterpret_cast<LPARAM>(lv.Menu));
}

// Lays a level out and places its window: at the point for the first level,
// beside its parent item for a submenu, kept on the monitor.
void Place(Tracker& t, Level& lv, TPoint at, const TRect* parentItem, const TRect* exclude) {
  HDC dc = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(dc, t.Font);
  int textW = 0, accelW = 0, ownerW = 0;
  std::vector<int> heights;
  for (auto& it : lv.Items) {
    heights.push_back(it.Separator() ? kSeparator : t.ItemHeight);
    if (it.Type & MFT_OWNERDRAW) {
      MEASUREITEMSTRUCT mi;
      mi.CtlType = ODT_MENU;
      mi.itemID = it.Id;
      mi.itemHeight = UINT(t.ItemHeight);
      mi.itemData = it.Data;
      if (t.Owner) SendMessageW(t.Owner, WM_MEASUREITEM, 0, reinterpret_cast<LPARAM>(&mi));
      heights.back() = std::clamp<int>(int(mi.itemHeight), 1, 1000);
      ownerW = std::max(ownerW, std::clamp<int>(int(mi.itemWidth), 0, 4000));
      continue;
    }
    if (it.Separator()) continue;
    String label = Before(it.Text, u'\t'), accel = After(it.Text, u'\t');
    TRect r;
    DrawTextW(dc, label.c_str(), int(label.size()), &r, DT_SINGLELINE | DT_CALCRECT);
    textW = std::max(textW, int(r.Width()));
    if (!accel.empty()) {
      TRect a;
      DrawTextW(dc, accel.c_str(), int(accel.size()), &a, DT_SINGLELINE | DT_CALCRECT | DT_NOPREFIX);
      accelW = std::max(accelW, int(a.Width()));
    }
  }
  SelectObject(dc, old);
  DeleteDC(dc);
  // An owner-drawn item's width comes on top of the check-mark column.
  int width = std::max(t.TextX + textW + (accelW ? 24 + accelW : 0) + 18, t.TextX + ownerW) + kBorder;
  int y = kBorder;
  lv.Rects.clear();
  for (int hgt : heights) {
    lv.Rects.push_back(TRect(kBorder, y, width - kBorder, y + hgt));
    y += hgt;
  }
  int height = y + kBorder;
  MONITORINFO mi;
  GetMonitorInfoW(MonitorFromPoint(at, MONITOR_DEFAULTTONEAREST), &mi);
  const TRect& mon = mi.rcMonitor;
  int x = at.X, top = at.Y;
  if (parentItem) {
    x = parentItem->Right - kBorder;
    top = parentItem->Top - kBorder;
    // A submenu that does not fit on the right opens to the left.
    if (x + width > mon.Right) x = parentItem->Left + kBorder - width;
    if (top + height > mon.Bottom) top = std::max<int>(mon.Top, mon.Bottom - height);
  } else {
    if (t.Flags & TPM_RIGHTALIGN) x -= width;
    else if (t.Flags & TPM_CENTERALIGN) x -= width / 2;
    if (t.Flags & TPM_BOTTOMALIGN) top -= height;
    else if (t.Flags & TPM_VCENTERALIGN) top -= height / 2;
    if (x + width > mon.Right) x = (t.Flags & (TPM_RIGHTALIGN | TPM_CENTERALIGN)) ? mon.Right - width : at.X - width;
    if (top + height > mon.Bottom) top = at.Y - height;
    if (exclude) {
      TRect r = Bounds(x, top, width, height), overlap;
      if (IntersectRect(overlap, r, *exclude)) {
        // Keep the excluded area visible: beside it, or below/above it.
        if (t.Flags & TPM_VERTICAL) top = exclude->Bottom + height <= mon.Bottom ? exclude->Bottom : exclude->Top - height;
        else x = exclude->Right + width <= mon.Right ? exclude->Right : exclude->Left - width;
      }
    }
  }
  x = std::clamp<int>(x, mon.Left, std::max<int>(mon.Left, mon.Right - width));
  top = std::clamp<int>(top, mon.Top, std::max<int>(mon.Top, mon.Bottom - height));
  lv.Screen = Bounds(x, top, width, height);
  lv.Wnd = CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, MenuClass(), u"", WS_POPUP, x, top,
                           width, height, t.Owner, nullptr, nullptr, nullptr);
  if (lv.Wnd) {
    SetWindowPos(lv.Wnd, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_SHOWWINDOW | SWP_NOACTIVATE);
    UpdateWindow(lv.Wnd);
  }
}

void Repaint(const Level& lv) {
  if (lv.Wnd) {
    InvalidateRect(lv.Wnd, nullptr, false);
    UpdateWindow(lv.Wnd);
  }
}

// Opens a level for a menu; returns false when the menu is gone or empty.
bool Open(Tracker& t, HMENU m, int indexInParent, TPoint at, const TRect* parentItem, const TRect* exclude) {
  Notify(t, WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(m), MAKELPARAM(indexInParent, t.System ? 1 : 0));
  Level lv;
  lv.Menu = m;
  {
    std::lock_guard<std::mutex> lk(gMenuLock);
    Menu* menu = FindMenu(m);
    if (!menu) return false;
    lv.Items = menu->Items;
  }
  if (lv.Items.empty()) return false;
  // The level is in place before its window exists: the window's first
  // paint looks it up.
  t.Levels.push_back(std::move(lv));
  Place(t, t.Levels.back(), at, parentItem, exclude);
  return true;
}

void CloseFrom(Tracker& t, size_t level) {
  while (t.Levels.size() > level) {
    Level lv = std::move(t.Levels.back());
    t.Levels.pop_back();
    if (lv.Wnd) DestroyWindow(lv.Wnd);
    Notify(t, WM_UNINITMENUPOPUP, reinterpret_cast<WPARAM>(lv.Menu), t.System ? MAKELPARAM(0, 0x2000) : 0);
  }
}

void OpenSub(Tracker& t, size_t level, bool hotFirst) {
  Level& lv = t.Levels[level];
  if (lv.Hot < 0) return;
  const MenuItem it = lv.Items[size_t(lv.Hot)];
  if (!it.Sub || !it.Enabled()) return;
  if (t.Levels.size() > level + 1 && t.Levels[level + 1].Menu == it.Sub) return;
  CloseFrom(t, level + 1);
  TRect item = t.Levels[level].Rects[size_t(t.Levels[level].Hot)];
  TPoint o = t.Levels[level].Screen.TopLeft();
  OffsetRect(item, o.X, o.Y);
  if (!Open(t, it.Sub, t.Levels[level].Hot, item.TopLeft(), &item, nullptr)) return;
  if (hotFirst) {
    Level& sub = t.Levels.back();
    for (size_t i = 0; i < sub.Items.size(); ++i)
      if (!sub.Items[i].Separator()) {
        sub.Hot = int(i);
        break;
      }
    Repaint(sub);
    MenuSelect(t, t.Levels.size() - 1, false);
  }
}

void SetHot(Tracker& t, size_t level, int hot, bool mouse) {
  Level& lv = t.Levels[level];
  if (lv.Hot == hot) return;
  lv.Hot = hot;
  // The submenu of another item closes.
  if (t.Levels.size() > level + 1 &&
      (hot < 0 || t.Levels[level].Items[size_t(hot)].Sub != t.Levels[level + 1].Menu))
    CloseFrom(t, level + 1);
  Repaint(t.Levels[level]);
  MenuSelect(t, level, mouse);
  if (mouse && hot >= 0) OpenSub(t, level, false);
}

int LevelAt(const Tracker& t, TPoint p) {
  for (size_t i = t.Levels.size(); i-- > 0;)
    if (PtInRect(t.Levels[i].Screen, p)) return int(i);
  return -1;
}

int ItemAt(const Level& lv, TPoint p) {
  TPoint local(p.X - lv.Screen.Left, p.Y - lv.Screen.Top);
  for (size_t i = 0; i < lv.Rects.size(); ++i)
    if (PtInRect(lv.Rects[i], local)) return lv.Items[i].Separator() ? -1 : int(i);
  return -1;
}

void ChooseItem(Tracker& t, const MenuItem& it) {
  if (it.Sub || it.Separator() || !it.Enabled()) return;
  t.Chosen = it.Id;
  t.HasChoice = true;
  t.Ended = true;
}

// Activates the item at a position of a level: opens its submenu or chooses it.
void Activate(Tracker& t, size_t level, int index) {
  Level& lv = t.Levels[level];
  SetHot(t, level, index, false);
  const MenuItem& it = lv.Items[size_t(index)];
  if (it.Sub) OpenSub(t, level, true);
  else ChooseItem(t, it);
}

void Key(Tracker& t, WPARAM vk) {
  size_t level = t.Levels.size() - 1;
  Level& lv = t.Levels[level];
  int n = int(lv.Items.size());
  switch (vk) {
    case VK_ESCAPE:
      if (level == 0) t.Ended = true;
      else CloseFrom(t, level);
      return;
    case VK_DOWN:
    case VK_UP: {
      int step = vk == VK_DOWN ? 1 : -1;
      int i = lv.Hot;
      for (int k = 0; k < n; ++k) {
        i = i < 0 ? (step > 0 ? 0 : n - 1) : (i + step + n) % n;
        if (!lv.Items[size_t(i)].Separator()) break;
      }
      if (i >= 0 && !lv.Items[size_t(i)].Separator()) SetHot(t, level, i, false);
      return;
    }
    case VK_RIGHT:
      OpenSub(t, level, true);
      return;
    case VK_LEFT:
      if (level > 0) CloseFrom(t, level);
      return;
    case VK_RETURN:
      if (lv.Hot >= 0) Activate(t, level, lv.Hot);
      return;
    default:
      return;
  }
}

void TypeChar(Tracker& t, char16_t c) {
  if (c >= u'a' && c <= u'z') c = char16_t(c - 32);
  size_t level = t.Levels.size() - 1;
  Level& lv = t.Levels[level];
  for (size_t i = 0; i < lv.Items.size(); ++i)
    if (!lv.Items[i].Separator() && Mnemonic(lv.Items[i].Text) == c) {
      Activate(t, level, int(i));
      return;
    }
}

// The positions leading from m to the item with command id, submenus first
// entered in order; false when no item has it. Menu lock held.
bool PathTo(HMENU m, UINT id, std::vector<size_t>& path, int depth = 0) {
  Menu* menu = FindMenu(m);
  if (!menu || depth > 32) return false;
  for (size_t i = 0; i < menu->Items.size(); ++i) {
    const MenuItem& it = menu->Items[i];
    if (it.Sub) {
      path.push_back(i);
      if (PathTo(it.Sub, id, path, depth + 1)) return true;
      path.pop_back();
    } else if (!it.Separator() && it.Id == id) {
      path.push_back(i);
      return true;
    }
  }
  return false;
}

// Plays the responder's answer as the user's moves through the menus.
void Respond(Tracker& t, HMENU root, bool choose, UINT id) {
  std::vector<size_t> path;
  if (choose) {
    std::lock_guard<std::mutex> lk(gMenuLock);
    if (!PathTo(root, id, path)) path.clear();
  }
  for (size_t level = 0; level < path.size() && !t.Ended; ++level) {
    if (level >= t.Levels.size() || path[level] >= t.Levels[level].Items.size()) break;
    SetHot(t, level, int(path[level]), false);
    const MenuItem& it = t.Levels[level].Items[path[level]];
    if (level + 1 < path.size()) {
      if (!it.Sub || !it.Enabled()) break;
      OpenSub(t, level, false);
      continue;
    }
    ChooseItem(t, it);
  }
  // Whatever could not be chosen ends the menu as a cancel.
  t.Ended = true;
}

bool IsMouseMsg(UINT m) {
  return (m >= WM_MOUSEFIRST && m <= WM_MOUSELAST) || (m >= WM_NCMOUSEMOVE && m <= WM_NCMBUTTONDBLCLK);
}

}  // namespace

namespace server {

int TrackMenuLoop(HMENU m, UINT flags, TPoint at, HWND owner, const TRect* exclude, bool systemMenu) {
  {
    std::lock_guard<std::mutex> lk(gMenuLock);
    if (!FindMenu(m)) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
  }
  if (gTracker || (owner && !IsWindow(owner))) return 0;  // one menu loop at a time
  Tracker t;
  t.Owner = owner;
  t.Flags = flags;
  t.System = systemMenu;
  t.Notify = !(flags & TPM_NONOTIFY);
  NONCLIENTMETRICSW ncm;
  SystemParametersInfoW(SPI_GETNONCLIENTMETRICS, sizeof ncm, &ncm, 0);
  t.Font = CreateFontIndirectW(&ncm.lfMenuFont);
  {
    HDC dc = CreateCompatibleDC(nullptr);
    HGDIOBJ old = SelectObject(dc, t.Font);
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    SelectObject(dc, old);
    DeleteDC(dc);
    t.ItemHeight = std::max<int>(tm.tmHeight + 6, GetSystemMetrics(SM_CYMENUCHECK) + 4);
    t.TextX = kBorder + GetSystemMetrics(SM_CXMENUCHECK) + 6;
  }
  gTracker = &t;
  Notify(t, WM_ENTERMENULOOP, 1, 0);
  if (Open(t, m, 0, at, nullptr, exclude) && t.Levels[0].Wnd) {
    HWND first = t.Levels[0].Wnd;
    SetCapture(first);
    if (TMenuResponder responder = gMenuResponder) {
      UINT id = 0;
      bool choose = responder(m, id);
      if (!t.Ended) Respond(t, m, choose, id);
    }
    while (!t.Ended) {
      MSG msg;
      if (!ModalGetMessage(&msg)) break;
      if (IsMouseMsg(msg.message)) {
        int level = LevelAt(t, msg.pt);
        switch (msg.message) {
          case WM_MOUSEMOVE:
          case WM_NCMOUSEMOVE:
            if (level >= 0) SetHot(t, size_t(level), ItemAt(t.Levels[size_t(level)], msg.pt), true);
            break;
          case WM_LBUTTONDOWN:
          case WM_RBUTTONDOWN:
          case WM_MBUTTONDOWN:
          case WM_NCLBUTTONDOWN:
          case WM_NCRBUTTONDOWN:
          case WM_NCMBUTTONDOWN:
            if (level < 0) t.Ended = true;  // a press elsewhere dismisses the menu
            break;
          case WM_LBUTTONUP:
          case WM_NCLBUTTONUP:
          case WM_RBUTTONUP:
          case WM_NCRBUTTONUP: {
            bool right = msg.message == WM_RBUTTONUP || msg.message == WM_NCRBUTTONUP;
            if (level < 0 || (right && !(flags & TPM_RIGHTBUTTON))) break;
            int i = ItemAt(t.Levels[size_t(level)], msg.pt);
            if (i >= 0) {
              SetHot(t, size_t(level), i, true);
              ChooseItem(t, t.Levels[size_t(level)].Items[size_t(i)]);
            }
            break;
          }
          default:
            break;
        }
      } else if (msg.message == WM_KEYDOWN || msg.message == WM_SYSKEYDOWN) {
        WPARAM vk = msg.wParam;
        if (vk == VK_ESCAPE || vk == VK_UP || vk == VK_DOWN || vk == VK_LEFT || vk == VK_RIGHT || vk == VK_RETURN)
          Key(t, vk);
        else if (vk == VK_MENU || vk == VK_F1 + 9)
          t.Ended = true;  // Alt or F10 leaves menu mode
        else
          TranslateMessage(&msg);
      } else if (msg.message == WM_CHAR || msg.message == WM_SYSCHAR) {
        TypeChar(t, char16_t(msg.wParam));
      } else if (msg.message >= WM_KEYFIRST && msg.message <= WM_KEYLAST) {
        // Key releases and the rest belong to the menu while it is open.
      } else {
        DispatchMessageW(&msg);
      }
      if (!t.Ended && GetCapture() != first) t.Ended = true;  // the capture was taken away
    }
    if (GetCapture() == first) ReleaseCapture();
  }
  CloseFrom(t, 0);
  Notify(t, WM_MENUSELECT, MAKEWPARAM(0, 0xFFFF), 0);
  Notify(t, WM_EXITMENULOOP, 1, 0);
  DeleteObject(t.Font);
  gTracker = nullptr;
  if (!t.HasChoice) return 0;
  if (flags & TPM_RETURNCMD) return int(t.Chosen);
  if (owner && !(flags & TPM_NONOTIFY)) PostMessageW(owner, t.System ? WM_SYSCOMMAND : WM_COMMAND, t.Chosen, 0);
  return 1;
}

}  // namespace server

// ---------------------------------------------------------------------------
// The menu functions

HMENU CreateMenu() { return NewMenu(false); }
HMENU CreatePopupMenu() { return NewMenu(true); }

bool DestroyMenu(HMENU m) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  if (!FindMenu(m)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  DestroyLocked(m, 0);
  // A menu that goes while its loop shows it cancels the loop.
  if (Tracker* t = gTracker)
    for (auto& l : t->Levels)
      if (!FindMenu(l.Menu)) {
        t->Ended = true;
        if (!t->Levels.empty() && t->Levels[0].Wnd) PostMessageW(t->Levels[0].Wnd, WM_NULL, 0, 0);
        break;
      }
  return true;
}

TMenuResponder SetMenuResponder(TMenuResponder Responder) {
  TMenuResponder old = std::move(gMenuResponder);
  gMenuResponder = std::move(Responder);
  return old;
}

bool IsMenu(HMENU m) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  return FindMenu(m) != nullptr;
}

bool AppendMenuW(HMENU m, UINT flags, UINT_PTR newItem, const char16_t* text) {
  return InsertAt(m, UINT(-1), true, ItemFromFlags(flags, newItem, text));
}

bool InsertMenuW(HMENU m, UINT position, UINT flags, UINT_PTR newItem, const char16_t* text) {
  return InsertAt(m, position, (flags & MF_BYPOSITION) != 0, ItemFromFlags(flags, newItem, text));
}

bool InsertMenuItemW(HMENU m, UINT item, bool byPosition, const MENUITEMINFOW* info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  MenuItem it;
  ApplyInfo(it, *info);
  return InsertAt(m, item, byPosition, std::move(it));
}

namespace {
bool Drop(HMENU m, UINT position, UINT flags, bool destroy) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, position, (flags & MF_BYPOSITION) != 0, owner, index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  HMENU sub = owner->Items[index].Sub;
  owner->Items.erase(owner->Items.begin() + std::ptrdiff_t(index));
  if (destroy && sub) DestroyLocked(sub, 0);
  return true;
}
}  // namespace

bool RemoveMenu(HMENU m, UINT position, UINT flags) { return Drop(m, position, flags, false); }
bool DeleteMenu(HMENU m, UINT position, UINT flags) { return Drop(m, position, flags, true); }

int GetMenuItemCount(HMENU m) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* menu = FindMenu(m);
  if (!menu) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return -1;
  }
  return int(menu->Items.size());
}

UINT GetMenuItemID(HMENU m, int position) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* menu = FindMenu(m);
  if (!menu || position < 0 || size_t(position) >= menu->Items.size()) return UINT(-1);
  const MenuItem& it = menu->Items[size_t(position)];
  return it.Sub ? UINT(-1) : it.Id;
}

HMENU GetSubMenu(HMENU m, int position) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* menu = FindMenu(m);
  if (!menu || position < 0 || size_t(position) >= menu->Items.size()) return nullptr;
  return menu->Items[size_t(position)].Sub;
}

UINT GetMenuState(HMENU m, UINT item, UINT flags) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, (flags & MF_BYPOSITION) != 0, owner, index)) return UINT(-1);
  const MenuItem& it = owner->Items[index];
  UINT r = (it.State & (MF_GRAYED | MF_DISABLED | MF_CHECKED | MF_HILITE | MF_DEFAULT)) |
           (it.Type & (MF_SEPARATOR | MF_OWNERDRAW | MF_BITMAP | MF_MENUBARBREAK | MF_MENUBREAK));
  if (it.Sub) {
    Menu* sub = FindMenu(it.Sub);
    r |= MF_POPUP | (UINT(sub ? sub->Items.size() : 0) << 8);
  }
  return r;
}

int GetMenuStringW(HMENU m, UINT item, char16_t* buffer, int maxCount, UINT flags) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, (flags & MF_BYPOSITION) != 0, owner, index)) return 0;
  const String& s = owner->Items[index].Text;
  if (!buffer || maxCount <= 0) return int(s.size());
  int n = std::min<int>(int(s.size()), maxCount - 1);
  std::memcpy(buffer, s.data(), size_t(n) * sizeof(char16_t));
  buffer[n] = 0;
  return n;
}

bool GetMenuItemInfoW(HMENU m, UINT item, bool byPosition, MENUITEMINFOW* info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, byPosition, owner, index)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  const MenuItem& it = owner->Items[index];
  UINT mask = info->fMask;
  if (mask & (MIIM_TYPE | MIIM_FTYPE)) info->fType = it.Type;
  if (mask & MIIM_STATE) info->fState = it.State;
  if (mask & MIIM_ID) info->wID = it.Id;
  if (mask & MIIM_SUBMENU) info->hSubMenu = it.Sub;
  if (mask & MIIM_CHECKMARKS) {
    info->hbmpChecked = it.Checked;
    info->hbmpUnchecked = it.Unchecked;
  }
  if (mask & MIIM_DATA) info->dwItemData = it.Data;
  if (mask & MIIM_BITMAP) info->hbmpItem = it.Bitmap;
  bool text = (mask & MIIM_STRING) || ((mask & MIIM_TYPE) && !(it.Type & (MFT_SEPARATOR | MFT_BITMAP | MFT_OWNERDRAW)));
  if (text) {
    // Without a buffer the length is reported; with one, as much as fits.
    if (!info->dwTypeData || info->cch == 0) {
      info->cch = UINT(it.Text.size());
    } else {
      UINT n = std::min<UINT>(UINT(it.Text.size()), info->cch - 1);
      std::memcpy(info->dwTypeData, it.Text.data(), size_t(n) * sizeof(char16_t));
      info->dwTypeData[n] = 0;
      info->cch = n;
    }
  }
  return true;
}

bool SetMenuItemInfoW(HMENU m, UINT item, bool byPosition, const MENUITEMINFOW* info) {
  if (!info || info->cbSize != sizeof(MENUITEMINFOW)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, byPosition, owner, index) ||
      ((info->fMask & MIIM_SUBMENU) && info->hSubMenu && (info->hSubMenu == m || !FindMenu(info->hSubMenu)))) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  ApplyInfo(owner->Items[index], *info);
  return true;
}

UINT EnableMenuItem(HMENU m, UINT item, UINT enable) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, (enable & MF_BYPOSITION) != 0, owner, index)) return UINT(-1);
  UINT& st = owner->Items[index].State;
  UINT old = st & (MF_GRAYED | MF_DISABLED);
  st = (st & ~UINT(MF_GRAYED | MF_DISABLED)) | (enable & (MF_GRAYED | MF_DISABLED));
  return old;
}

DWORD CheckMenuItem(HMENU m, UINT item, UINT check) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  Menu* owner;
  size_t index;
  if (!Locate(m, item, (check & MF_BYPOSITION) != 0, owner, index)) return DWORD(-1);
  UINT& st = owner->Items[index].State;
  DWORD old = st & MF_CHECKED;
  st = (st & ~UINT(MF_CHECKED)) | (check & MF_CHECKED);
  return old;
}

bool CheckMenuRadioItem(HMENU m, UINT first, UINT last, UINT check, UINT flags) {
  std::lock_guard<std::mutex> lk(gMenuLock);
  bool byPos = (flags & MF_BYPOSITION) != 0;
  Menu *o1, *o2, *oc;
  size_t i1, i2, ic;
  if (!Locate(m, first, byPos, o1, i1) || !Locate(m, last, byPos, o2, i2) || !Locate(m, check, byPos, oc, ic) ||
      o1 != o2 || o1 != oc || i1 > i2 || ic < i1 || ic > i2)
    return false;
  for (size_t i = i1; i <= i2; ++i) {
    MenuItem& it = o1->Items[i];
    if (it.Separator()) continue;
    if (i == ic) {
      it.State |= MFS_CHECKED;
      it.Type |= MFT_RADIOCHECK;
    } else {
      it.State &= ~UINT(MFS_CHECKED);
    }
  }
  return true;
}

int TrackPopupMenuEx(HMENU m, UINT flags, int x, int y, HWND owner, const TPMPARAMS* params) {
  const TRect* exclude = params && params->cbSize == sizeof(TPMPARAMS) ? &params->rcExclude : nullptr;
  return TrackMenuLoop(m, flags, TPoint(x, y), owner, exclude, false);
}

int TrackPopupMenu(HMENU m, UINT flags, int x, int y, int, HWND owner, const RECT*) {
  return TrackPopupMenuEx(m, flags, x, y, owner, nullptr);
}

bool EndMenu() {
  Tracker* t = gTracker;
  if (!t) return false;
  t->Ended = true;
  // Wakes the loop if it is waiting for input.
  if (!t->Levels.empty() && t->Levels[0].Wnd) PostMessageW(t->Levels[0].Wnd, WM_NULL, 0, 0);
  return true;
}

}  // namespace vcl
