// The combo box and its list. The combo box keeps the items; the list
// window ("ComboLBox") only shows them: a child under the edit for
// CBS_SIMPLE, a pop-up for the drop-down styles. While the pop-up is shown
// the combo box holds the capture and reads the mouse for it.
#include <algorithm>
#include <mutex>

#include "platform/rtl/SysUtils.h"
#include "platform/user/ComboBox.h"
#include "platform/user/Edit.h"
#include "platform/user/NativeControl.h"

namespace vcl {

namespace {

struct ComboItem {
  String Text;
  ULONG_PTR Data = 0;
  Integer Height = 0;  // CBS_OWNERDRAWVARIABLE only
};

constexpr Integer kTypeAheadMs = 500;
constexpr WPARAM kVkF4 = 0x73;
// The combo box's object, for its edit and its list to reach (the window's
// user data stays the application's).
constexpr const char16_t* kComboProp = u"QnComboBox";

class Combo {
 public:
  explicit Combo(HWND h) : H(h) {}
  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

  HWND H;
  HWND Edit = nullptr;
  HWND List = nullptr;
  DWORD St = 0;
  HFONT Font = nullptr;
  std::vector<ComboItem> Items;
  int Sel = -1;
  int Hot = -1;  // the list's highlighted item while dropped
  int Top = 0;
  bool Dropped = false;
  bool ButtonDown = false;
  Integer ItemH = 16;
  Integer FieldH = 18;
  int MinVisible = 30;
  Integer DroppedWidth = 0;
  String Typed;
  DWORD TypedAt = 0;
  WNDPROC EditProc = nullptr;
  bool Quiet = false;  // the edit's text is being set from the list

  DWORD Kind() const { return St & 3; }
  bool HasEdit() const { return Kind() != CBS_DROPDOWNLIST; }
  bool Simple() const { return Kind() == CBS_SIMPLE; }
  bool OwnerDraw() const { return (St & (CBS_OWNERDRAWFIXED | CBS_OWNERDRAWVARIABLE)) != 0; }
  bool Variable() const { return (St & CBS_OWNERDRAWVARIABLE) != 0; }
  bool HasStrings() const { return !OwnerDraw() || (St & CBS_HASSTRINGS); }
  int Count() const { return int(Items.size()); }
  bool Valid(WPARAM i) const { return intptr_t(i) >= 0 && intptr_t(i) < intptr_t(Items.size()); }
  Integer HeightOf(int i) const { return Variable() && Items[size_t(i)].Height > 0 ? Items[size_t(i)].Height : ItemH; }
  Integer ButtonW() const { return Simple() ? 0 : GetSystemMetrics(SM_CXVSCROLL); }

  TRect Client() const {
    RECT r;
    GetClientRect(H, &r);
    return r;
  }
  // The selection field (or the edit's place), inside the border.
  TRect Field() const {
    TRect c = Client();
    Integer h = Simple() ? FieldH + 4 : c.Height();
    return TRect(c.Left + 2, c.Top + 2, c.Right - 2 - ButtonW(), c.Top + h - 2);
  }
  TRect Button() const {
    if (Simple()) return TRect();
    TRect c = Client();
    return TRect(c.Right - 2 - ButtonW(), c.Top + 2, c.Right - 2, c.Bottom - 2);
  }

  // --- Items

  int Add(const String& text, ULONG_PTR data) {
    ComboItem it{text, data, 0};
    int at = Count();
    if (St & CBS_SORT) {
      auto pos = std::upper_bound(Items.begin(), Items.end(), it,
                                  [](const ComboItem& a, const ComboItem& b) { return AnsiCompareText(a.Text, b.Text) < 0; });
      at = int(pos - Items.begin());
    }
    Insert(at, std::move(it));
    return at;
  }
  void Insert(int at, ComboItem it) {
    Items.insert(Items.begin() + at, std::move(it));
    if (Variable()) Measure(at);
    if (Sel >= at) ++Sel;
    if (Hot >= at) ++Hot;
    Changed();
  }
  int Delete(int at) {
    Items.erase(Items.begin() + at);
    if (Sel == at) SetSel(-1);
    else if (Sel > at) --Sel;
    if (Hot >= Count()) Hot = Count() - 1;
    Changed();
    return Count();
  }
  void Changed() {
    Top = std::clamp(Top, 0, std::max(0, Count() - 1));
    if (List) {
      if (Dropped) PlaceList();
      UpdateScroll();
      InvalidateRect(List, nullptr, true);
    }
    InvalidateRect(H, nullptr, true);
  }
  // Without CBS_HASSTRINGS an owner-drawn item is its data.
  ComboItem FromParam(LPARAM lp) const {
    ComboItem it;
    if (HasStrings()) it.Text = lp ? String(reinterpret_cast<const Char*>(lp)) : String();
    else it.Data = ULONG_PTR(lp);
    return it;
  }
  int Find(int after, const String& text, bool exact) const {
    int n = Count();
    for (int k = 1; k <= n; ++k) {
      int i = ((after < 0 ? -1 : after) + k) % n;
      const String& t = Items[size_t(i)].Text;
      if (exact ? AnsiSameText(t, text) : (t.size() >= text.size() && AnsiSameText(t.substr(0, text.size()), text)))
        return i;
    }
    return -1;
  }

  // The selection: the field (or the edit) shows it. Silent.
  void SetSel(int i) {
    Sel = i;
    if (Edit) {
      String t = i >= 0 ? Items[size_t(i)].Text : String();
      // The edit's own change notice is no edit by the user.
      Quiet = true;
      SetWindowTextW(Edit, t.c_str());
      SendMessageW(Edit, EM_SETSEL, 0, -1);
      Quiet = false;
    }
    if (i >= 0) ScrollTo(i);
    InvalidateRect(H, nullptr, false);
    if (List) InvalidateRect(List, nullptr, true);
  }
  // A selection the user made: the field follows and the parent hears.
  void UserSel(int i) {
    if (i < 0 || i >= Count()) return;
    SetSel(i);
    Notify(CBN_SELCHANGE);
  }
  void Notify(UINT code) {
    if (IsWindow(H)) SendCommandNotify(H, code);
  }

  // --- Owner draw

  void Measure(int i) {
    MEASUREITEMSTRUCT mi;
    mi.CtlType = ODT_COMBOBOX;
    mi.CtlID = UINT(GetDlgCtrlID(H));
    mi.itemID = UINT(i);
    mi.itemHeight = UINT(ItemH);
    mi.itemData = i >= 0 && i < Count() ? Items[size_t(i)].Data : 0;
    if (HWND p = GetParent(H)) SendMessageW(p, WM_MEASUREITEM, mi.CtlID, reinterpret_cast<LPARAM>(&mi));
    Integer h = std::max<Integer>(1, Integer(mi.itemHeight));
    if (i < 0) FieldH = h;
    else if (Variable()) Items[size_t(i)].Height = h;
    else ItemH = h;
  }
  void DrawItem(HDC dc, int i, const TRect& r, UINT state) {
    if (OwnerDraw()) {
      DRAWITEMSTRUCT di;
      di.CtlType = ODT_COMBOBOX;
      di.CtlID = UINT(GetDlgCtrlID(H));
      di.itemID = UINT(i);
      di.itemAction = ODA_DRAWENTIRE;
      di.itemState = state | (IsWindowEnabled(H) ? 0 : ODS_DISABLED);
      di.hwndItem = H;
      di.hDC = dc;
      di.rcItem = r;
      di.itemData = i >= 0 && i < Count() ? Items[size_t(i)].Data : 0;
      if (HWND p = GetParent(H)) SendMessageW(p, WM_DRAWITEM, di.CtlID, reinterpret_cast<LPARAM>(&di));
      return;
    }
    bool sel = state & ODS_SELECTED;
    HBRUSH b = GetSysColorBrush(sel ? COLOR_HIGHLIGHT : COLOR_WINDOW);
    RECT rr = r;
    FillRect(dc, &rr, b);
    if (i < 0) return;
    SetBkMode(dc, TRANSPARENT);
    SetTextColor(dc, GetSysColor(!IsWindowEnabled(H) ? COLOR_GRAYTEXT : sel ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
    HGDIOBJ of = Font ? SelectObject(dc, Font) : nullptr;
    RECT t{r.Left + 2, r.Top, r.Right - 2, r.Bottom};
    const String& s = Items[size_t(i)].Text;
    DrawTextW(dc, s.c_str(), int(s.size()), &t, DT_SINGLELINE | DT_VCENTER | DT_NOPREFIX | DT_END_ELLIPSIS);
    if (of) SelectObject(dc, of);
  }

  // --- The list

  int Visible() const {
    RECT r;
    if (!List || !GetClientRect(List, &r)) return 1;
    int n = 0;
    Integer y = 0;
    for (int i = Top; i < Count() && y < r.Bottom; ++i, ++n) y += HeightOf(i);
    return std::max(1, n);
  }
  int FullyVisible() const {
    RECT r;
    if (!List || !GetClientRect(List, &r)) return 1;
    int n = 0;
    Integer y = 0;
    for (int i = Top; i < Count() && y + HeightOf(i) <= r.Bottom; ++i, ++n) y += HeightOf(i);
    return std::max(1, n);
  }
  void ScrollTo(int i) {
    if (i < 0) return;
    if (i < Top) Top = i;
    else
      while (i >= Top + FullyVisible() && Top < i) ++Top;
    UpdateScroll();
  }
  int ItemAt(const POINT& p) const {  // list client coordinates
    RECT r;
    if (!List || !GetClientRect(List, &r) || p.X < 0 || p.X >= r.Right || p.Y < 0 || p.Y >= r.Bottom) return -1;
    Integer y = 0;
    for (int i = Top; i < Count(); ++i) {
      y += HeightOf(i);
      if (p.Y < y) return i;
    }
    return -1;
  }
  void UpdateScroll() {
    if (!List) return;
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS;
    si.nMin = 0;
    si.nMax = std::max(0, Count() - 1);
    si.nPage = UINT(FullyVisible());
    si.nPos = Top;
    SetScrollInfo(List, SB_VERT, &si, true);
  }
  void PaintList(HDC dc) {
    RECT r;
    GetClientRect(List, &r);
    Integer y = 0;
    int mark = Dropped ? Hot : Sel;
    for (int i = Top; i < Count() && y < r.Bottom; ++i) {
      TRect ir(0, y, r.Right, y + HeightOf(i));
      DrawItem(dc, i, ir, i == mark ? ODS_SELECTED | ODS_FOCUS : 0);
      y += HeightOf(i);
    }
    if (y < r.Bottom) {
      RECT rest{0, y, r.Right, r.Bottom};
      FillRect(dc, &rest, GetSysColorBrush(COLOR_WINDOW));
    }
  }
  // The pop-up's place: under the control, or above it when the work area
  // has no room below.
  void PlaceList() {
    RECT wr;
    GetWindowRect(H, &wr);
    int rows = std::clamp(Count(), 1, std::max(1, MinVisible));
    Integer h = 0;
    for (int i = 0; i < rows; ++i) h += i < Count() ? HeightOf(i) : ItemH;
    h += 2;
    Integer w = std::max<Integer>(wr.Right - wr.Left, DroppedWidth);
    MONITORINFO mi;
    GetMonitorInfoW(MonitorFromWindow(H, MONITOR_DEFAULTTONEAREST), &mi);
    Integer y = wr.Bottom;
    if (y + h > mi.rcWork.Bottom && wr.Top - h >= mi.rcWork.Top) y = wr.Top - h;
    SetWindowPos(List, HWND_TOPMOST, wr.Left, y, w, h, SWP_NOACTIVATE);
  }

  void DropDown() {
    if (Simple() || Dropped || !IsWindowEnabled(H)) return;
    Notify(CBN_DROPDOWN);
    if (!IsWindow(H) || Dropped) return;
    Dropped = true;
    Hot = Sel;
    PlaceList();
    // The list opens with the selection in view, as high up as it can be.
    Top = 0;
    if (Hot >= 0) ScrollTo(Hot);
    UpdateScroll();
    ShowWindow(List, SW_SHOWNOACTIVATE);
    SetCapture(H);
    InvalidateRect(H, nullptr, false);
  }
  void CloseUp(bool pick) {
    if (!Dropped) return;
    Dropped = false;
    ButtonDown = false;
    ShowWindow(List, SW_HIDE);
    if (GetCapture() == H) ReleaseCapture();
    InvalidateRect(H, nullptr, false);
    int chosen = Hot;
    Hot = -1;
    if (pick && chosen >= 0) {
      SetSel(chosen);
      Notify(CBN_SELCHANGE);
      Notify(CBN_SELENDOK);
    } else {
      Notify(CBN_SELENDCANCEL);
    }
    Notify(CBN_CLOSEUP);
  }

  // --- Input

  // The keys of the control; true when handled.
  bool Key(WPARAM vk, bool alt) {
    if (vk == kVkF4 || (alt && (vk == VK_DOWN || vk == VK_UP))) {
      if (Simple()) return false;
      if (Dropped) CloseUp(true);
      else DropDown();
      return true;
    }
    if (Dropped) {
      switch (vk) {
        case VK_RETURN: CloseUp(true); return true;
        case VK_ESCAPE: CloseUp(false); return true;
        default: break;
      }
    }
    int cur = Dropped ? Hot : Sel, next = cur;
    switch (vk) {
      case VK_UP: next = cur < 0 ? 0 : cur - 1; break;
      case VK_DOWN: next = cur + 1; break;
      case VK_HOME: next = 0; break;
      case VK_END: next = Count() - 1; break;
      case VK_PRIOR: next = cur - std::max(1, FullyVisible() - 1); break;
      case VK_NEXT: next = cur + std::max(1, FullyVisible() - 1); break;
      default: return false;
    }
    if (Count() == 0) return true;
    next = std::clamp(next, 0, Count() - 1);
    if (next == cur) return true;
    if (Dropped) {
      Hot = next;
      ScrollTo(next);
      InvalidateRect(List, nullptr, true);
    } else {
      UserSel(next);
    }
    return true;
  }
  // Letters typed in a list style: the next item they begin.
  void TypeAhead(Char c) {
    if (c < 32 || Count() == 0) return;
    DWORD now = GetTickCount();
    if (now - TypedAt > DWORD(kTypeAheadMs)) Typed.clear();
    TypedAt = now;
    Typed.push_back(c);
    int cur = Dropped ? Hot : Sel;
    // The same letter again steps through the items it begins.
    bool repeat = Typed.size() > 1 && std::all_of(Typed.begin(), Typed.end(), [&](Char t) { return t == Typed[0]; });
    String prefix = repeat ? String(1, c) : Typed;
    int found = Find(repeat || Typed.size() == 1 ? cur : cur - 1, prefix, false);
    if (found < 0 || found == cur) return;
    if (Dropped) {
      Hot = found;
      ScrollTo(found);
      InvalidateRect(List, nullptr, true);
    } else {
      UserSel(found);
    }
  }
  void Mouse(UINT msg, LPARAM lp) {
    POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
    if (!Dropped) {
      if ((msg == WM_LBUTTONDOWN || msg == WM_LBUTTONDBLCLK) && !Simple()) {
        if (HasEdit() && !PtInRect(Button(), p)) return;  // a click in the edit is the edit's
        SetFocus(Edit ? Edit : H);
        ButtonDown = true;
        DropDown();
      }
      return;
    }
    POINT lpnt = p;
    ClientToScreen(H, &lpnt);
    ScreenToClient(List, &lpnt);
    int over = ItemAt(lpnt);
    switch (msg) {
      case WM_MOUSEMOVE:
        if (over >= 0 && over != Hot) {
          Hot = over;
          InvalidateRect(List, nullptr, true);
        }
        break;
      case WM_LBUTTONDOWN:
      case WM_LBUTTONDBLCLK: {
        RECT lr;
        GetWindowRect(List, &lr);
        POINT sp = p;
        ClientToScreen(H, &sp);
        if (over >= 0) {
          Hot = over;
        } else if (!PtInRect(lr, sp)) {
          // Outside the list: the control itself or anywhere else closes it.
          CloseUp(false);
        }
        break;
      }
      case WM_LBUTTONUP:
        // Released over an item: picked, whether the press dropped the
        // list or came after.
        ButtonDown = false;
        if (over >= 0) {
          Hot = over;
          CloseUp(true);
        }
        break;
      default: break;
    }
  }

  // --- Layout and paint

  void Layout() {
    TRect f = Field();
    if (Edit) MoveWindow(Edit, f.Left + 1, f.Top + 1, std::max<Integer>(0, f.Width() - 2), std::max<Integer>(0, f.Height() - 2), true);
    if (Simple() && List) {
      TRect c = Client();
      MoveWindow(List, c.Left, f.Bottom + 2, c.Width(), std::max<Integer>(0, c.Bottom - f.Bottom - 2), true);
      UpdateScroll();
    }
  }
  void Paint(HDC dc) {
    TRect c = Client();
    TRect frame = Simple() ? TRect(c.Left, c.Top, c.Right, Field().Bottom + 2) : c;
    RECT fr = frame;
    DrawEdge(dc, &fr, EDGE_SUNKEN, BF_RECT);
    TRect f = Field();
    if (!HasEdit()) {
      bool focused = GetFocus() == H && !Dropped;
      DrawItem(dc, Sel, f, (focused ? ODS_SELECTED | ODS_FOCUS : 0) | ODS_COMBOBOXEDIT);
      if (focused && !OwnerDraw()) {
        RECT fo = f;
        DrawFocusRect(dc, &fo);
      }
    } else {
      RECT ff = f;
      FillRect(dc, &ff, GetSysColorBrush(IsWindowEnabled(H) ? COLOR_WINDOW : COLOR_BTNFACE));
    }
    if (!Simple()) {
      RECT b = Button();
      DrawFrameControl(dc, &b, DFC_SCROLL,
                       DFCS_SCROLLCOMBOBOX | (Dropped ? DFCS_PUSHED | DFCS_FLAT : 0) |
                           (IsWindowEnabled(H) ? 0 : DFCS_INACTIVE));
    }
  }
  void SetFontFrom(HFONT f) {
    Font = f;
    HDC dc = GetDC(H);
    HGDIOBJ of = f ? SelectObject(dc, f) : nullptr;
    TEXTMETRICW tm;
    GetTextMetricsW(dc, &tm);
    if (of) SelectObject(dc, of);
    ReleaseDC(H, dc);
    if (!OwnerDraw()) {
      ItemH = tm.tmHeight + 2;
      FieldH = tm.tmHeight + 4;
    }
    if (Edit) SendMessageW(Edit, WM_SETFONT, WPARAM(f), 0);
    Layout();
  }

  void Create(const CREATESTRUCTW* cs);
  void Info(COMBOBOXINFO& ci) {
    ci.rcItem = Field();
    ci.rcButton = Button();
    ci.stateButton = Simple() ? STATE_SYSTEM_INVISIBLE : Dropped ? STATE_SYSTEM_PRESSED : 0;
    ci.hwndCombo = H;
    ci.hwndItem = Edit;
    ci.hwndList = List;
  }
};

TNativeControls<Combo>& Combos() {
  static TNativeControls<Combo> c;
  return c;
}

LRESULT ComboProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) { return Combos().Dispatch(h, msg, wp, lp); }

LRESULT ComboEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

struct PartLink {
  std::mutex Lock;
  std::vector<std::pair<HWND, HWND>> Parts;  // part -> combo
};
PartLink& Links() {
  static PartLink l;
  return l;
}
void Link(HWND part, HWND combo) {
  std::lock_guard<std::mutex> g(Links().Lock);
  Links().Parts.emplace_back(part, combo);
}
void Unlink(HWND combo) {
  std::lock_guard<std::mutex> g(Links().Lock);
  auto& v = Links().Parts;
  v.erase(std::remove_if(v.begin(), v.end(), [&](auto& p) { return p.second == combo || p.first == combo; }),
          v.end());
}
HWND ComboOf(HWND part) {
  std::lock_guard<std::mutex> g(Links().Lock);
  for (auto& [p, c] : Links().Parts)
    if (p == part) return c;
  return nullptr;
}

void Combo::Create(const CREATESTRUCTW* cs) {
  St = DWORD(cs->style) & ~DWORD(WS_VSCROLL | WS_HSCROLL);
  HINSTANCE inst = cs->hInstance;
  if (HasEdit()) {
    DWORD es = WS_CHILD | WS_VISIBLE | ES_AUTOHSCROLL | (St & CBS_UPPERCASE ? ES_UPPERCASE : 0) |
               (St & CBS_LOWERCASE ? ES_LOWERCASE : 0) | (St & CBS_OEMCONVERT ? ES_OEMCONVERT : 0);
    Edit = CreateWindowExW(0, WC_EDIT, cs->lpszName ? cs->lpszName : u"", es, 0, 0, 10, 10, H,
                           reinterpret_cast<HMENU>(intptr_t(ComboEditId)), inst, nullptr);
    // The combo box hears the edit's keys first (the drop keys, the arrows).
    EditProc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(Edit, GWLP_WNDPROC));
    Link(Edit, H);
    SetWindowLongPtrW(Edit, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&ComboEditProc));
  }
  DWORD ls = WS_VSCROLL | WS_BORDER | (Simple() ? WS_CHILD | WS_VISIBLE : WS_POPUP);
  List = CreateWindowExW(Simple() ? 0 : WS_EX_TOOLWINDOW | WS_EX_TOPMOST, WC_COMBOLBOX, u"", ls, 0, 0, 10, 10,
                         Simple() ? H : H, nullptr, inst, nullptr);
  Link(List, H);
  SetFontFrom(nullptr);
  if (OwnerDraw()) {
    Measure(-1);
    if (!Variable()) Measure(0);
  }
  Layout();
}

LRESULT ComboEditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  HWND combo = ComboOf(h);
  Combo* c = nullptr;
  WNDPROC orig = nullptr;
  if (combo) {
    c = static_cast<Combo*>(GetPropW(combo, kComboProp));
    if (c) orig = c->EditProc;
  }
  if (!c || !orig) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      bool alt = msg == WM_SYSKEYDOWN || (GetKeyState(VK_MENU) < 0);
      bool arrows = wp == VK_UP || wp == VK_DOWN || wp == VK_PRIOR || wp == VK_NEXT;
      if (wp == kVkF4 || (alt && (wp == VK_UP || wp == VK_DOWN)) || (c->Dropped && (wp == VK_RETURN || wp == VK_ESCAPE)) ||
          (arrows && !alt)) {
        if (c->Key(wp, alt)) return 0;
      }
      break;
    }
    case WM_CHAR:
      // Enter and Escape that closed the list are not typed.
      if (wp == u'\r' || wp == 27) {
        if (!c->Dropped) break;
        return 0;
      }
      break;
    case WM_GETDLGCODE:
      return CallWindowProcW(orig, h, msg, wp, lp) | DLGC_WANTARROWS | (c->Dropped ? DLGC_WANTALLKEYS : 0);
    default: break;
  }
  return CallWindowProcW(orig, h, msg, wp, lp);
}

LRESULT ListProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  HWND combo = ComboOf(h);
  Combo* c = combo ? static_cast<Combo*>(GetPropW(combo, kComboProp)) : nullptr;
  if (!c || c->List != h) return DefWindowProcW(h, msg, wp, lp);
  switch (msg) {
    case WM_MOUSEACTIVATE: return MA_NOACTIVATE;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      if (wp) {
        c->PaintList(reinterpret_cast<HDC>(wp));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(h, &ps);
      c->PaintList(dc);
      EndPaint(h, &ps);
      return 0;
    }
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      // Only the always-shown list of CBS_SIMPLE is clicked directly.
      if (c->Simple()) {
        POINT p{GET_X_LPARAM(lp), GET_Y_LPARAM(lp)};
        int i = c->ItemAt(p);
        SetFocus(c->Edit ? c->Edit : c->H);
        if (i >= 0) {
          if (i != c->Sel) c->UserSel(i);
          if (msg == WM_LBUTTONDBLCLK) c->Notify(CBN_DBLCLK);
        }
      }
      return 0;
    case WM_VSCROLL: {
      int top = c->Top;
      switch (LOWORD(wp)) {
        case SB_LINEUP: --top; break;
        case SB_LINEDOWN: ++top; break;
        case SB_PAGEUP: top -= c->FullyVisible(); break;
        case SB_PAGEDOWN: top += c->FullyVisible(); break;
        case SB_THUMBTRACK:
        case SB_THUMBPOSITION: top = HIWORD(wp); break;
        default: break;
      }
      c->Top = std::clamp(top, 0, std::max(0, c->Count() - c->FullyVisible()));
      c->UpdateScroll();
      InvalidateRect(h, nullptr, true);
      return 0;
    }
    default: return DefWindowProcW(h, msg, wp, lp);
  }
}

LRESULT Combo::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      SetPropW(H, kComboProp, static_cast<HANDLE>(this));
      // The scroll bars asked for are the list's; the control has none.
      LONG_PTR style = GetWindowLongPtrW(H, GWL_STYLE);
      if (style & (WS_VSCROLL | WS_HSCROLL)) SetWindowLongPtrW(H, GWL_STYLE, style & ~LONG_PTR(WS_VSCROLL | WS_HSCROLL));
      return DefWindowProcW(H, msg, wp, lp);
    }
    case WM_CREATE:
      Create(reinterpret_cast<const CREATESTRUCTW*>(lp));
      return 0;
    case WM_DESTROY:
      // Going away closes the list without a word to the parent.
      Dropped = false;
      if (GetCapture() == H) ReleaseCapture();
      if (List && !Simple()) DestroyWindow(List);
      return 0;
    case WM_NCDESTROY:
      Unlink(H);
      RemovePropW(H, kComboProp);
      return DefWindowProcW(H, msg, wp, lp);
    case WM_SIZE: Layout(); return 0;
    case WM_SETFONT:
      SetFontFrom(reinterpret_cast<HFONT>(wp));
      if (LOWORD(lp)) InvalidateRect(H, nullptr, true);
      return 0;
    case WM_GETFONT: return reinterpret_cast<LRESULT>(Font);
    case WM_ENABLE:
      if (Edit) EnableWindow(Edit, wp != 0);
      if (!wp) CloseUp(false);
      InvalidateRect(H, nullptr, true);
      return 0;
    case WM_SETFOCUS:
      if (Edit) SetFocus(Edit);
      else {
        InvalidateRect(H, nullptr, false);
        Notify(CBN_SETFOCUS);
      }
      return 0;
    case WM_KILLFOCUS:
      if (!Edit) {
        CloseUp(false);
        InvalidateRect(H, nullptr, false);
        Notify(CBN_KILLFOCUS);
      }
      return 0;
    case WM_COMMAND:
      if (HwndFromValue(lp) == Edit && Edit) {
        switch (HIWORD(wp)) {
          case EN_CHANGE:
            if (!Quiet) Notify(CBN_EDITCHANGE);
            break;
          case EN_UPDATE:
            if (!Quiet) Notify(CBN_EDITUPDATE);
            break;
          case EN_SETFOCUS: Notify(CBN_SETFOCUS); break;
          case EN_KILLFOCUS:
            if (GetFocus() != H) {
              CloseUp(false);
              Notify(CBN_KILLFOCUS);
            }
            break;
          default: break;
        }
      }
      return 0;
    case WM_CAPTURECHANGED:
      if (Dropped && HwndFromValue(lp) != H) CloseUp(false);
      return 0;
    case WM_GETDLGCODE: return DLGC_WANTARROWS | DLGC_WANTCHARS | (Dropped ? DLGC_WANTALLKEYS : 0);
    case WM_KEYDOWN:
    case WM_SYSKEYDOWN: {
      bool alt = msg == WM_SYSKEYDOWN || GetKeyState(VK_MENU) < 0;
      if (Key(wp, alt)) return 0;
      return msg == WM_SYSKEYDOWN ? DefWindowProcW(H, msg, wp, lp) : 0;
    }
    case WM_CHAR:
      if (!Edit) TypeAhead(Char(wp));
      return 0;
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
    case WM_LBUTTONUP: Mouse(msg, lp); return 0;
    case WM_MOUSEWHEEL:
      if (Dropped) {
        int steps = -int16_t(HIWORD(wp)) / 120 * 3;
        Top = std::clamp(Top + steps, 0, std::max(0, Count() - FullyVisible()));
        UpdateScroll();
        InvalidateRect(List, nullptr, true);
      } else if (!Simple()) {
        Key(int16_t(HIWORD(wp)) > 0 ? VK_UP : VK_DOWN, false);
      }
      return 0;
    case WM_ERASEBKGND: return 1;
    case WM_PAINT:
    case WM_PRINTCLIENT: {
      // A DC in WParam is painted into as it is (a subclass's own BeginPaint).
      if (wp) {
        Paint(reinterpret_cast<HDC>(wp));
        return 0;
      }
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(H, &ps);
      Paint(dc);
      EndPaint(H, &ps);
      return 0;
    }
    case WM_SETTEXT:
      if (Edit) return SendMessageW(Edit, msg, wp, lp);
      {
        String t = lp ? String(reinterpret_cast<const Char*>(lp)) : String();
        int i = t.empty() ? -1 : Find(-1, t, true);
        if (i < 0 && !t.empty()) return CB_ERR;
        SetSel(i);
        return 1;
      }
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: {
      if (Edit) return SendMessageW(Edit, msg, wp, lp);
      String t = Sel >= 0 ? Items[size_t(Sel)].Text : String();
      if (msg == WM_GETTEXTLENGTH) return LRESULT(t.size());
      if (!lp || wp == 0) return 0;
      size_t n = std::min<size_t>(t.size(), wp - 1);
      Char* out = reinterpret_cast<Char*>(lp);
      std::copy_n(t.begin(), n, out);
      out[n] = 0;
      return LRESULT(n);
    }

    // --- Items
    case CB_ADDSTRING: {
      ComboItem it = FromParam(lp);
      return Add(it.Text, it.Data);
    }
    case CB_INSERTSTRING: {
      int at = int(intptr_t(wp)) < 0 ? Count() : int(wp);
      if (at > Count()) return CB_ERR;
      Insert(at, FromParam(lp));
      return at;
    }
    case CB_DELETESTRING:
      if (!Valid(wp)) return CB_ERR;
      return Delete(int(wp));
    case CB_RESETCONTENT:
      Items.clear();
      Sel = Hot = -1;
      Top = 0;
      if (Edit) {
        Quiet = true;
        SetWindowTextW(Edit, u"");
        Quiet = false;
      }
      Changed();
      return CB_OKAY;
    case CB_INITSTORAGE: Items.reserve(Items.size() + size_t(wp)); return LRESULT(Items.capacity());
    case CB_GETCOUNT: return Count();
    case CB_GETCURSEL: return Sel;
    case CB_SETCURSEL:
      if (!Valid(wp)) {
        SetSel(-1);
        return CB_ERR;
      }
      SetSel(int(wp));
      return Sel;
    case CB_GETLBTEXT: {
      if (!Valid(wp) || !lp) return CB_ERR;
      const String& t = Items[size_t(wp)].Text;
      Char* out = reinterpret_cast<Char*>(lp);
      std::copy(t.begin(), t.end(), out);
      out[t.size()] = 0;
      return LRESULT(t.size());
    }
    case CB_GETLBTEXTLEN:
      if (!Valid(wp)) return CB_ERR;
      return LRESULT(Items[size_t(wp)].Text.size());
    case CB_GETITEMDATA:
      if (!Valid(wp)) return CB_ERR;
      return LRESULT(Items[size_t(wp)].Data);
    case CB_SETITEMDATA:
      if (!Valid(wp)) return CB_ERR;
      Items[size_t(wp)].Data = ULONG_PTR(lp);
      return CB_OKAY;
    case CB_FINDSTRING:
    case CB_FINDSTRINGEXACT:
    case CB_SELECTSTRING: {
      if (Count() == 0 || !lp) return CB_ERR;
      String t(reinterpret_cast<const Char*>(lp));
      int i = Find(int(intptr_t(wp)), t, msg == CB_FINDSTRINGEXACT);
      if (i < 0) return CB_ERR;
      if (msg == CB_SELECTSTRING) SetSel(i);
      return i;
    }
    case CB_SHOWDROPDOWN:
      if (wp) DropDown();
      else CloseUp(false);
      return 1;
    case CB_GETDROPPEDSTATE: return Dropped ? 1 : 0;
    case CB_GETDROPPEDCONTROLRECT:
      if (lp && List) GetWindowRect(Simple() ? H : List, reinterpret_cast<RECT*>(lp));
      return lp ? 1 : CB_ERR;
    case CB_SETDROPPEDWIDTH: DroppedWidth = Integer(wp); return DroppedWidth;
    case CB_GETDROPPEDWIDTH: {
      RECT r;
      GetWindowRect(H, &r);
      return std::max<Integer>(DroppedWidth, r.Right - r.Left);
    }
    case CB_SETITEMHEIGHT: {
      Integer h = Integer(LOWORD(lp));
      if (h <= 0 || h > 255) return CB_ERR;
      if (intptr_t(wp) == -1) FieldH = h;
      else if (Variable()) {
        if (!Valid(wp)) return CB_ERR;
        Items[size_t(wp)].Height = h;
      } else {
        ItemH = h;
      }
      Layout();
      Changed();
      return CB_OKAY;
    }
    case CB_GETITEMHEIGHT:
      if (intptr_t(wp) == -1) return FieldH;
      if (Variable()) return Valid(wp) ? HeightOf(int(wp)) : CB_ERR;
      return ItemH;
    case CB_GETTOPINDEX: return Top;
    case CB_SETTOPINDEX:
      if (!Valid(wp)) return CB_ERR;
      Top = int(wp);
      UpdateScroll();
      if (List) InvalidateRect(List, nullptr, true);
      return CB_OKAY;
    case CB_SETMINVISIBLE:
      if (intptr_t(wp) <= 0) return 0;
      MinVisible = int(wp);
      if (Dropped) PlaceList();
      return 1;
    case CB_GETMINVISIBLE: return MinVisible;
    case CB_LIMITTEXT:
      if (!Edit) return CB_ERR;
      SendMessageW(Edit, EM_LIMITTEXT, wp, 0);
      return 1;
    case CB_GETEDITSEL: {
      if (!Edit) return CB_ERR;
      DWORD s = 0, e = 0;
      SendMessageW(Edit, EM_GETSEL, reinterpret_cast<WPARAM>(&s), reinterpret_cast<LPARAM>(&e));
      if (wp) *reinterpret_cast<DWORD*>(wp) = s;
      if (lp) *reinterpret_cast<DWORD*>(lp) = e;
      return MAKELRESULT(int(s), int(e));
    }
    case CB_SETEDITSEL:
      if (!Edit) return CB_ERR;
      SendMessageW(Edit, EM_SETSEL, WPARAM(int16_t(LOWORD(lp))), LPARAM(int16_t(HIWORD(lp))));
      return 1;
    case CB_GETCOMBOBOXINFO: {
      auto* ci = reinterpret_cast<COMBOBOXINFO*>(lp);
      if (!ci || ci->cbSize != sizeof(COMBOBOXINFO)) return 0;
      Info(*ci);
      return 1;
    }
    default: return DefWindowProcW(H, msg, wp, lp);
  }
}

}  // namespace

bool GetComboBoxInfo(HWND hwndCombo, COMBOBOXINFO* pcbi) {
  // A combo box whatever class a program subclassed it into.
  if (!pcbi || pcbi->cbSize != sizeof(COMBOBOXINFO) || !IsWindow(hwndCombo) || !GetPropW(hwndCombo, kComboProp)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  return SendMessageW(hwndCombo, CB_GETCOMBOBOXINFO, 0, reinterpret_cast<LPARAM>(pcbi)) != 0;
}

void RegisterComboBoxClass() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS | CS_PARENTDC;
    wc.lpfnWndProc = ComboProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = WC_COMBOBOX;
    RegisterClassExW(&wc);
    WNDCLASSEXW lc;
    lc.style = CS_DBLCLKS | CS_GLOBALCLASS | CS_SAVEBITS;
    lc.lpfnWndProc = ListProc;
    lc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    lc.lpszClassName = WC_COMBOLBOX;
    RegisterClassExW(&lc);
  });
}

}  // namespace vcl
