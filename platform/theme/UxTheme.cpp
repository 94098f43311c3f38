#include "platform/theme/UxTheme.h"

#include <algorithm>
#include <map>
#include <mutex>

#include "platform/rtl/SysUtils.h"

namespace vcl {

namespace {

struct Theme {
  String ClassName;
  bool Explorer = false;
};

struct State {
  std::mutex Lock;
  TThemeMode Mode = TThemeMode::Present;
  std::vector<std::pair<String, int>> Missing;  // class (upper case), part (0: all)
  std::map<HWND, String> WindowThemes;          // sub-app name, lower case; "" = off
  std::map<uintptr_t, Theme> Handles;
  uintptr_t Next = 0x100;
  std::vector<TThemeCall> Log;
  bool Enabled = true;
  std::vector<std::string> MissingExports;
};

State& S() {
  static State* s = new State;
  return *s;
}

using Lock = std::lock_guard<std::mutex>;

void Record(const char16_t* fn, const String& cls, int part, int state, const RECT* r, const RECT* clip, HRESULT hr) {
  TThemeCall c;
  c.Function = fn;
  c.ClassName = cls;
  c.Part = part;
  c.State = state;
  if (r) c.Rect = *r;
  if (clip) {
    c.Clip = *clip;
    c.HasClip = true;
  }
  c.Result = hr;
  S().Log.push_back(c);
}

// The number of states of each part (0: the part does not exist).
int StateCount(const String& cls, int part) {
  if (cls == u"TREEVIEW" || cls == u"Explorer::TreeView") {
    switch (part) {
      case TVP_TREEITEM: return 6;
      case TVP_GLYPH: return 2;
      case TVP_BRANCH: return 1;
      case TVP_HOTGLYPH: return 2;
      default: return 0;
    }
  }
  if (cls == u"HEADER") return part >= HP_HEADERITEM && part <= HP_HEADERITEMRIGHT ? 3 : part == HP_HEADERSORTARROW ? 2 : 0;
  if (cls == u"BUTTON") {
    switch (part) {
      case BP_PUSHBUTTON: return 5;
      case BP_RADIOBUTTON: return 8;
      case BP_CHECKBOX: return 12;
      default: return 0;
    }
  }
  if (cls == u"TOOLTIP") return part >= TTP_STANDARD && part <= TTP_BALLOONTITLE ? 2 : 0;
  if (cls == u"EDIT") return part == EP_EDITTEXT ? 6 : 0;
  if (cls == u"SCROLLBAR") {
    if (part == SBP_ARROWBTN) return 16;
    if (part >= SBP_THUMBBTNHORZ && part <= SBP_UPPERTRACKVERT) return 4;
    if (part == SBP_GRIPPERHORZ || part == SBP_GRIPPERVERT) return 1;
    if (part == SBP_SIZEBOX) return 2;
    return 0;
  }
  return 0;
}

bool IsMissing(const String& cls, int part) {
  if (S().Mode != TThemeMode::Trimmed) return false;
  String up = UpperCase(cls);
  for (auto& [c, p] : S().Missing)
    if (c == up && (p == 0 || p == part)) return true;
  return false;
}

String Resolve(const String& name, bool explorer) {
  String up = UpperCase(Trim(name));
  if (up == u"EXPLORER::TREEVIEW") return u"Explorer::TreeView";
  if (up == u"TREEVIEW") return explorer ? u"Explorer::TreeView" : u"TREEVIEW";
  for (const char16_t* c : {u"HEADER", u"BUTTON", u"TOOLTIP", u"EDIT", u"SCROLLBAR", u"GLOBALS"})
    if (up == c) return c;
  return String();
}

// --- The plain look

void Fill(HDC dc, RECT r, COLORREF c) {
  HBRUSH b = CreateSolidBrush(c);
  FillRect(dc, &r, b);
  DeleteObject(b);
}

void Frame(HDC dc, RECT r, COLORREF c) {
  Fill(dc, RECT{r.Left, r.Top, r.Right, r.Top + 1}, c);
  Fill(dc, RECT{r.Left, r.Bottom - 1, r.Right, r.Bottom}, c);
  Fill(dc, RECT{r.Left, r.Top, r.Left + 1, r.Bottom}, c);
  Fill(dc, RECT{r.Right - 1, r.Top, r.Right, r.Bottom}, c);
}

void Shape(HDC dc, COLORREF fill, COLORREF line, const std::function<void()>& draw) {
  HBRUSH b = CreateSolidBrush(fill);
  HPEN p = CreatePen(PS_SOLID, 1, line);
  HGDIOBJ ob = SelectObject(dc, b), op = SelectObject(dc, p);
  draw();
  SelectObject(dc, ob);
  SelectObject(dc, op);
  DeleteObject(b);
  DeleteObject(p);
}

void RoundBox(HDC dc, RECT r, COLORREF fill, COLORREF line, int radius) {
  Shape(dc, fill, line, [&] { RoundRect(dc, r.Left, r.Top, r.Right, r.Bottom, radius, radius); });
}

void Triangle(HDC dc, POINT a, POINT b, POINT c, COLORREF fill, COLORREF line) {
  POINT pts[3] = {a, b, c};
  Shape(dc, fill, line, [&] { Polygon(dc, pts, 3); });
}

// A square of side n centred in r.
RECT Centered(const RECT& r, int w, int h) {
  int x = r.Left + (r.Right - r.Left - w) / 2, y = r.Top + (r.Bottom - r.Top - h) / 2;
  return RECT{x, y, x + w, y + h};
}

constexpr COLORREF kBlue = RGB(0x00, 0x78, 0xD7), kDarkBlue = RGB(0x00, 0x54, 0x99), kInk = RGB(0x33, 0x33, 0x33),
                   kGray = RGB(0xAD, 0xAD, 0xAD), kLight = RGB(0xE5, 0xE5, 0xE5), kWhite = RGB(0xFF, 0xFF, 0xFF);

void DrawTree(HDC dc, bool explorer, int part, int state, const RECT& r) {
  switch (part) {
    case TVP_TREEITEM: {
      static const COLORREF fills[] = {kWhite, RGB(0xE5, 0xF3, 0xFB), RGB(0xCB, 0xE8, 0xF6), RGB(0xF4, 0xF4, 0xF4),
                                       RGB(0xE8, 0xE8, 0xE8), RGB(0xD1, 0xE8, 0xFF)};
      static const COLORREF lines[] = {kWhite, RGB(0x70, 0xC0, 0xE7), RGB(0x26, 0xA0, 0xDA), RGB(0xD0, 0xD0, 0xD0),
                                       RGB(0xB8, 0xB8, 0xB8), RGB(0x66, 0xA7, 0xE8)};
      RoundBox(dc, r, fills[state - 1], lines[state - 1], explorer ? 7 : 0);
      break;
    }
    case TVP_GLYPH:
    case TVP_HOTGLYPH: {
      COLORREF ink = part == TVP_HOTGLYPH ? kBlue : explorer ? RGB(0x60, 0x60, 0x60) : kInk;
      bool open = state == GLPS_OPENED;
      if (explorer) {
        RECT b = Centered(r, 8, 8);
        if (open)
          Triangle(dc, POINT{b.Right - 1, b.Top + 1}, POINT{b.Right - 1, b.Bottom - 1}, POINT{b.Left + 1, b.Bottom - 1},
                   ink, ink);
        else
          Triangle(dc, POINT{b.Left + 2, b.Top}, POINT{b.Left + 6, b.Top + 4}, POINT{b.Left + 2, b.Top + 8}, kWhite,
                   ink);
      } else {
        RECT b = Centered(r, 9, 9);
        Fill(dc, b, part == TVP_HOTGLYPH ? RGB(0xE5, 0xF3, 0xFB) : kWhite);
        Frame(dc, b, part == TVP_HOTGLYPH ? kBlue : kGray);
        Fill(dc, RECT{b.Left + 2, b.Top + 4, b.Right - 2, b.Top + 5}, ink);
        if (!open) Fill(dc, RECT{b.Left + 4, b.Top + 2, b.Left + 5, b.Bottom - 2}, ink);
      }
      break;
    }
    case TVP_BRANCH: {
      int x = (r.Left + r.Right) / 2;
      for (int y = r.Top; y < r.Bottom; y += 2) SetPixel(dc, x, y, kGray);
      break;
    }
    default: break;
  }
}

void DrawHeader(HDC dc, int part, int state, const RECT& r) {
  if (part == HP_HEADERSORTARROW) {
    RECT b = Centered(r, 9, 5);
    COLORREF ink = RGB(0x56, 0x6B, 0x80);
    if (state == HSAS_SORTEDUP)
      Triangle(dc, POINT{b.Left, b.Bottom - 1}, POINT{b.Left + 4, b.Top}, POINT{b.Right - 1, b.Bottom - 1}, ink, ink);
    else
      Triangle(dc, POINT{b.Left, b.Top}, POINT{b.Right - 1, b.Top}, POINT{b.Left + 4, b.Bottom - 1}, ink, ink);
    return;
  }
  static const COLORREF fills[] = {kWhite, RGB(0xD9, 0xEB, 0xF9), RGB(0xBC, 0xDC, 0xF4)};
  static const COLORREF lines[] = {kLight, RGB(0xBC, 0xDC, 0xF4), RGB(0x79, 0xB7, 0xE7)};
  Fill(dc, r, fills[state - 1]);
  if (state > HIS_NORMAL) Frame(dc, r, lines[state - 1]);
  Fill(dc, RECT{r.Left, r.Bottom - 1, r.Right, r.Bottom}, kLight);
  // The area right of the last item has no separator of its own.
  if (part != HP_HEADERITEMRIGHT) Fill(dc, RECT{r.Right - 1, r.Top, r.Right, r.Bottom}, kLight);
  if (part == HP_HEADERITEMLEFT) Fill(dc, RECT{r.Left, r.Top, r.Left + 1, r.Bottom}, kLight);
}

void DrawButton(HDC dc, int part, int state, const RECT& r) {
  if (part == BP_PUSHBUTTON) {
    static const COLORREF fills[] = {RGB(0xE1, 0xE1, 0xE1), RGB(0xE5, 0xF1, 0xFB), RGB(0xCC, 0xE4, 0xF7),
                                     RGB(0xCC, 0xCC, 0xCC), RGB(0xE1, 0xE1, 0xE1)};
    static const COLORREF lines[] = {kGray, kBlue, kDarkBlue, RGB(0xBF, 0xBF, 0xBF), kBlue};
    RoundBox(dc, r, fills[state - 1], lines[state - 1], 3);
    if (state == PBS_DEFAULTED) Frame(dc, RECT{r.Left + 1, r.Top + 1, r.Right - 1, r.Bottom - 1}, kBlue);
    return;
  }
  // Radio buttons and check boxes: states come in groups of four
  // (normal, hot, pressed, disabled) per check state.
  int look = (state - 1) % 4, mark = (state - 1) / 4;
  static const COLORREF fills[] = {kWhite, kWhite, RGB(0xCC, 0xE4, 0xF7), RGB(0xF0, 0xF0, 0xF0)};
  static const COLORREF lines[] = {kInk, kBlue, kDarkBlue, RGB(0xBC, 0xBC, 0xBC)};
  COLORREF ink = look == 3 ? RGB(0xA0, 0xA0, 0xA0) : look == 0 ? kInk : kBlue;
  RECT b = Centered(r, 13, 13);
  if (part == BP_RADIOBUTTON) {
    Shape(dc, fills[look], lines[look], [&] { Ellipse(dc, b.Left, b.Top, b.Right, b.Bottom); });
    if (mark == 1) Shape(dc, ink, ink, [&] { Ellipse(dc, b.Left + 3, b.Top + 3, b.Right - 3, b.Bottom - 3); });
    return;
  }
  Fill(dc, b, fills[look]);
  Frame(dc, b, lines[look]);
  if (mark == 1) {
    // A tick two pixels thick.
    for (int i = 0; i < 3; ++i) {
      Fill(dc, RECT{b.Left + 3 + i, b.Top + 6 + i, b.Left + 4 + i, b.Top + 8 + i}, ink);
    }
    for (int i = 0; i < 5; ++i) {
      Fill(dc, RECT{b.Left + 6 + i, b.Top + 7 - i, b.Left + 7 + i, b.Top + 9 - i}, ink);
    }
  } else if (mark == 2) {
    Fill(dc, RECT{b.Left + 3, b.Top + 3, b.Right - 3, b.Bottom - 3}, ink);
  }
}

void DrawToolTip(HDC dc, int part, int state, const RECT& r) {
  bool balloon = part >= TTP_BALLOON;
  COLORREF fill = state == TTSS_LINK ? RGB(0xF2, 0xF7, 0xFD) : RGB(0xFF, 0xFF, 0xFF);
  COLORREF line = RGB(0x76, 0x76, 0x76);
  RoundBox(dc, r, fill, line, balloon ? 10 : 0);
  // Title parts get a rule under the first line.
  if (part == TTP_STANDARDTITLE || part == TTP_BALLOONTITLE)
    Fill(dc, RECT{r.Left + 4, r.Top + 20, r.Right - 4, r.Top + 21}, kLight);
}

void DrawEdit(HDC dc, int state, const RECT& r) {
  static const COLORREF lines[] = {RGB(0x7A, 0x7A, 0x7A), RGB(0x17, 0x17, 0x17), kBlue,
                                   RGB(0xCC, 0xCC, 0xCC), kDarkBlue,             RGB(0x7A, 0x7A, 0x7A)};
  Fill(dc, r, state == ETS_DISABLED || state == ETS_READONLY ? RGB(0xF0, 0xF0, 0xF0) : kWhite);
  Frame(dc, r, lines[state - 1]);
}

// Finds a live handle (lock held); E_HANDLE for a null, closed or stale one.
HRESULT Lookup(HTHEME h, Theme& out) {
  if (!h) return E_HANDLE;
  auto it = S().Handles.find(reinterpret_cast<uintptr_t>(h));
  if (it == S().Handles.end()) return E_HANDLE;
  out = it->second;
  return S_OK;
}

HRESULT CheckPart(const Theme& t, int part, int state) {
  if (part == 0) return S_OK;
  int n = StateCount(t.ClassName, part);
  if (n == 0 || IsMissing(t.ClassName, part)) return E_FAIL;
  // State 0 means "any": the first one.
  if (state < 0 || state > n) return E_INVALIDARG;
  return S_OK;
}

// Scroll-bar parts: light boxes that darken with the state, the arrows as
// triangles, the grippers as three short lines.
void DrawScrollBarPart(HDC dc, int part, int state, const RECT& r) {
  static const COLORREF fills[] = {RGB(0xF0, 0xF0, 0xF0), RGB(0xDA, 0xDA, 0xDA), RGB(0x60, 0x60, 0x60),
                                   RGB(0xF4, 0xF4, 0xF4)};
  static const COLORREF thumbs[] = {RGB(0xCD, 0xCD, 0xCD), RGB(0xA6, 0xA6, 0xA6), RGB(0x60, 0x60, 0x60),
                                    RGB(0xE4, 0xE4, 0xE4)};
  if (part == SBP_ARROWBTN) {
    const int dir = (state - 1) / 4, look = (state - 1) % 4;
    Fill(dc, r, fills[look]);
    const COLORREF ink = look == 2 ? RGB(0xFF, 0xFF, 0xFF) : look == 3 ? RGB(0xBF, 0xBF, 0xBF) : RGB(0x60, 0x60, 0x60);
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    const int s = std::max<int>(2, std::min<int>(r.Right - r.Left, r.Bottom - r.Top) / 4);
    switch (dir) {
      case 0: Triangle(dc, POINT(cx - s, cy + s / 2), POINT(cx, cy - s / 2), POINT(cx + s, cy + s / 2), ink, ink); break;
      case 1: Triangle(dc, POINT(cx - s, cy - s / 2), POINT(cx, cy + s / 2), POINT(cx + s, cy - s / 2), ink, ink); break;
      case 2: Triangle(dc, POINT(cx + s / 2, cy - s), POINT(cx - s / 2, cy), POINT(cx + s / 2, cy + s), ink, ink); break;
      default: Triangle(dc, POINT(cx - s / 2, cy - s), POINT(cx + s / 2, cy), POINT(cx - s / 2, cy + s), ink, ink); break;
    }
    return;
  }
  if (part == SBP_THUMBBTNHORZ || part == SBP_THUMBBTNVERT) {
    RECT in = r;
    if (part == SBP_THUMBBTNHORZ) in.Top += 2, in.Bottom -= 2;
    else in.Left += 2, in.Right -= 2;
    Fill(dc, r, fills[0]);
    Fill(dc, in, thumbs[std::clamp(state, 1, 4) - 1]);
    return;
  }
  if (part >= SBP_LOWERTRACKHORZ && part <= SBP_UPPERTRACKVERT) {
    Fill(dc, r, state == SCRBS_PRESSED ? RGB(0xBE, 0xBE, 0xBE) : fills[0]);
    return;
  }
  if (part == SBP_SIZEBOX) {
    // Six dots in a triangle towards the aligned bottom corner, each a light
    // square under a grey one.
    const bool right = state != SZB_LEFTALIGN;
    for (int row = 0; row < 3; ++row)
      for (int col = 0; col <= row; ++col) {
        const int dx = 3 + 4 * col, dy = 3 + 4 * (2 - row);
        const int x = right ? r.Right - dx - 2 : r.Left + dx, y = r.Bottom - dy - 2;
        Fill(dc, RECT{x + 1, y + 1, x + 3, y + 3}, kWhite);
        Fill(dc, RECT{x, y, x + 2, y + 2}, RGB(0xA0, 0xA0, 0xA0));
      }
    return;
  }
  if (part == SBP_GRIPPERHORZ || part == SBP_GRIPPERVERT) {
    const int cx = (r.Left + r.Right) / 2, cy = (r.Top + r.Bottom) / 2;
    for (int i = -1; i <= 1; ++i) {
      if (part == SBP_GRIPPERHORZ) Fill(dc, RECT{cx + 2 * i, cy - 3, cx + 2 * i + 1, cy + 3}, RGB(0x80, 0x80, 0x80));
      else Fill(dc, RECT{cx - 3, cy + 2 * i, cx + 3, cy + 2 * i + 1}, RGB(0x80, 0x80, 0x80));
    }
  }
}

void Broadcast() {
  std::vector<HWND> all;
  auto collect = [](HWND h, LPARAM p) {
    reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
    return true;
  };
  EnumWindows(collect, reinterpret_cast<LPARAM>(&all));
  size_t tops = all.size();
  for (size_t i = 0; i < tops; ++i) EnumChildWindows(all[i], collect, reinterpret_cast<LPARAM>(&all));
  // The hidden utility windows too: programs keep their theme handles on
  // such a window.
  for (HWND h = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); h;
       h = FindWindowExW(HWND_MESSAGE, h, nullptr, nullptr))
    all.push_back(h);
  for (HWND h : all) {
    if (!IsWindow(h)) continue;
    if (GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId()) SendMessageW(h, WM_THEMECHANGED, 0, 0);
    else PostMessageW(h, WM_THEMECHANGED, 0, 0);
  }
}

}  // namespace

bool IsThemeActive() {
  Lock lk(S().Lock);
  return S().Mode != TThemeMode::Absent;
}

bool IsAppThemed() {
  Lock lk(S().Lock);
  return S().Mode != TThemeMode::Absent && S().Enabled;
}

HRESULT EnableTheming(bool fEnable) {
  {
    Lock lk(S().Lock);
    if (S().Enabled == fEnable) return S_OK;
    S().Enabled = fEnable;
  }
  Broadcast();
  return S_OK;
}

HTHEME OpenThemeData(HWND h, const Char* classList) {
  Lock lk(S().Lock);
  String found;
  bool explorer = false;
  bool off = false;
  if (h) {
    auto it = S().WindowThemes.find(h);
    if (it != S().WindowThemes.end()) {
      off = it->second.empty();
      explorer = it->second == u"explorer";
    }
  }
  if (S().Mode != TThemeMode::Absent && !off && classList) {
    String list(classList);
    size_t from = 0;
    for (;;) {
      size_t semi = list.find(u';', from);
      String cls = Resolve(list.substr(from, semi == String::npos ? String::npos : semi - from), explorer);
      if (!cls.empty() && !IsMissing(cls, 0)) {
        found = cls;
        break;
      }
      if (semi == String::npos) break;
      from = semi + 1;
    }
  }
  if (found.empty()) {
    Record(u"OpenThemeData", String(classList ? classList : u""), 0, 0, nullptr, nullptr, E_FAIL);
    SetLastError(DWORD(E_FAIL));
    return nullptr;
  }
  uintptr_t v = S().Next;
  S().Next += 4;
  S().Handles[v] = Theme{found, found == u"Explorer::TreeView"};
  Record(u"OpenThemeData", found, 0, 0, nullptr, nullptr, S_OK);
  return reinterpret_cast<HTHEME>(v);
}

HRESULT CloseThemeData(HTHEME theme) {
  Lock lk(S().Lock);
  Theme t;
  HRESULT hr = Lookup(theme, t);
  if (hr == S_OK) S().Handles.erase(reinterpret_cast<uintptr_t>(theme));
  Record(u"CloseThemeData", t.ClassName, 0, 0, nullptr, nullptr, hr);
  return hr;
}

HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int partId, int stateId, const RECT* rect, const RECT* clipRect) {
  Theme t;
  HRESULT hr;
  {
    Lock lk(S().Lock);
    hr = Lookup(theme, t);
    if (hr == S_OK) hr = !dc || !rect ? E_INVALIDARG : CheckPart(t, partId, stateId);
    Record(u"DrawThemeBackground", t.ClassName, partId, stateId, rect, clipRect, hr);
  }
  if (hr != S_OK || partId == 0) return hr;
  int state = stateId == 0 ? 1 : stateId;
  int saved = SaveDC(dc);
  if (clipRect) IntersectClipRect(dc, clipRect->Left, clipRect->Top, clipRect->Right, clipRect->Bottom);
  const String& c = t.ClassName;
  if (c == u"TREEVIEW" || c == u"Explorer::TreeView") DrawTree(dc, t.Explorer, partId, state, *rect);
  else if (c == u"HEADER") DrawHeader(dc, partId, state, *rect);
  else if (c == u"BUTTON") DrawButton(dc, partId, state, *rect);
  else if (c == u"TOOLTIP") DrawToolTip(dc, partId, state, *rect);
  else if (c == u"EDIT") DrawEdit(dc, state, *rect);
  else if (c == u"SCROLLBAR") DrawScrollBarPart(dc, partId, stateId, *rect);
  RestoreDC(dc, saved);
  return S_OK;
}

HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int partId, int stateId, const RECT* destRect, UINT edge, UINT flags,
                      RECT* contentRect) {
  Theme t;
  HRESULT hr;
  {
    Lock lk(S().Lock);
    hr = Lookup(theme, t);
    if (hr == S_OK) hr = !dc || !destRect ? E_INVALIDARG : CheckPart(t, partId, stateId);
    Record(u"DrawThemeEdge", t.ClassName, partId, stateId, destRect, nullptr, hr);
  }
  if (hr != S_OK) return hr;
  RECT r = *destRect;
  DrawEdge(dc, &r, edge, flags);
  if (contentRect) *contentRect = r;
  return S_OK;
}

HRESULT GetThemePartSize(HTHEME theme, HDC, int partId, int stateId, const RECT* rect, THEMESIZE size, SIZE* psz) {
  Lock lk(S().Lock);
  Theme t;
  HRESULT hr = Lookup(theme, t);
  if (hr == S_OK) hr = !psz ? E_INVALIDARG : partId == 0 ? E_FAIL : CheckPart(t, partId, stateId);
  if (hr == S_OK) {
    const String& c = t.ClassName;
    SIZE s(rect ? rect->Right - rect->Left : 0, rect ? rect->Bottom - rect->Top : 0);
    if ((c == u"TREEVIEW" || c == u"Explorer::TreeView") && (partId == TVP_GLYPH || partId == TVP_HOTGLYPH))
      s = t.Explorer ? SIZE(16, 16) : SIZE(9, 9);
    else if (c == u"HEADER" && partId == HP_HEADERSORTARROW) s = SIZE(9, 5);
    else if (c == u"BUTTON" && partId != BP_PUSHBUTTON) s = SIZE(13, 13);
    else if (size == TS_MIN) s = SIZE(std::min<int>(s.cx, 8), std::min<int>(s.cy, 8));
    *psz = s;
  }
  Record(u"GetThemePartSize", t.ClassName, partId, stateId, rect, nullptr, hr);
  return hr;
}

bool IsThemePartDefined(HTHEME theme, int partId, int stateId) {
  Lock lk(S().Lock);
  Theme t;
  return Lookup(theme, t) == S_OK && partId != 0 && CheckPart(t, partId, stateId) == S_OK;
}

HRESULT SetWindowTheme(HWND h, const Char* subAppName, const Char* subIdList) {
  if (!IsWindow(h)) return E_HANDLE;
  {
    Lock lk(S().Lock);
    if (!subAppName && !subIdList) S().WindowThemes.erase(h);
    else S().WindowThemes[h] = subAppName ? LowerCase(String(subAppName)) : String(u"-");
    Record(u"SetWindowTheme", subAppName ? String(subAppName) : String(), 0, 0, nullptr, nullptr, S_OK);
  }
  SendMessageW(h, WM_THEMECHANGED, 0, 0);
  return S_OK;
}

void SetThemeMode(TThemeMode mode) {
  {
    Lock lk(S().Lock);
    if (mode == TThemeMode::Present) S().Missing.clear();
    if (S().Mode == mode) return;
    S().Mode = mode;
    // Handles of the old look are stale: programs reopen on WM_THEMECHANGED.
    S().Handles.clear();
  }
  Broadcast();
}

TThemeMode ThemeMode() {
  Lock lk(S().Lock);
  return S().Mode;
}

void SetThemeMissing(const String& className, int partId) {
  Lock lk(S().Lock);
  S().Missing.emplace_back(UpperCase(className), partId);
}

void ResetThemes() {
  Lock lk(S().Lock);
  S().Mode = TThemeMode::Present;
  S().Missing.clear();
  S().WindowThemes.clear();
  S().Handles.clear();
  S().Log.clear();
  S().Enabled = true;
  S().MissingExports.clear();
}

HMODULE LoadThemeLibrary() {
  Lock lk(S().Lock);
  // Any non-null value names the one module; it is never unloaded.
  return S().Mode == TThemeMode::Absent ? nullptr : reinterpret_cast<HMODULE>(uintptr_t(0x7E000000));
}

void* GetThemeProcAddress(const char* name) {
  if (!name) return nullptr;
  {
    Lock lk(S().Lock);
    for (const std::string& m : S().MissingExports)
      if (m == name) return nullptr;
  }
  const std::string n(name);
  // The exports the host's library has; GetThemeColor, GetThemeMetric and
  // GetThemeMargins are not among them.
  if (n == "OpenThemeData") return reinterpret_cast<void*>(&OpenThemeData);
  if (n == "CloseThemeData") return reinterpret_cast<void*>(&CloseThemeData);
  if (n == "DrawThemeBackground") return reinterpret_cast<void*>(&DrawThemeBackground);
  if (n == "DrawThemeEdge") return reinterpret_cast<void*>(&DrawThemeEdge);
  if (n == "GetThemePartSize") return reinterpret_cast<void*>(&GetThemePartSize);
  if (n == "SetWindowTheme") return reinterpret_cast<void*>(&SetWindowTheme);
  if (n == "IsThemeActive") return reinterpret_cast<void*>(&IsThemeActive);
  if (n == "IsAppThemed") return reinterpret_cast<void*>(&IsAppThemed);
  if (n == "EnableTheming") return reinterpret_cast<void*>(&EnableTheming);
  return nullptr;
}

void SetThemeExportMissing(const char* name) {
  Lock lk(S().Lock);
  S().MissingExports.emplace_back(name);
}

std::vector<TThemeCall> ThemeCallLog() {
  Lock lk(S().Lock);
  return S().Log;
}

void ClearThemeCallLog() {
  Lock lk(S().Lock);
  S().Log.clear();
}

}  // namespace vcl
