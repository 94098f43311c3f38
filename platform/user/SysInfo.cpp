// System metrics and parameters with the platform's defaults (96 DPI), the
// screen's monitors, the locale, and scroll-bar state.
#include <algorithm>
#include <climits>
#include <cstring>
#include <map>

#include "platform/rtl/System.h"
#include "platform/user/Server.h"

namespace vcl::server {

namespace {

struct SysState {
  std::map<int, int> MetricOverrides;
  std::map<UINT, UINT> Params;  // SPI_GETxxx -> value
  UINT DoubleClickTime = 500;
  LCID Lcid = 0x0409;
  std::map<LCTYPE, String> LocaleOverrides;
};

SysState& Sys() {
  static auto* s = new SysState;
  return *s;
}

const std::map<UINT, UINT>& DefaultParams() {
  static const auto* m = new std::map<UINT, UINT>{
      {SPI_GETKEYBOARDSPEED, 31},   {SPI_GETKEYBOARDDELAY, 1},       {SPI_GETDRAGFULLWINDOWS, 1},
      {SPI_GETANIMATION, 1},        {SPI_GETFONTSMOOTHING, 1},       {SPI_GETMOUSEHOVERWIDTH, 4},
      {SPI_GETMOUSEHOVERHEIGHT, 4}, {SPI_GETMOUSEHOVERTIME, 400},    {SPI_GETWHEELSCROLLLINES, 3},
      {SPI_GETWHEELSCROLLCHARS, 3}, {SPI_GETMENUANIMATION, 1},       {SPI_GETCOMBOBOXANIMATION, 1},
      {SPI_GETLISTBOXSMOOTHSCROLLING, 1}, {SPI_GETGRADIENTCAPTIONS, 1}, {SPI_GETKEYBOARDCUES, 0},
      {SPI_GETHOTTRACKING, 1},      {SPI_GETMENUFADE, 1},            {SPI_GETSELECTIONFADE, 1},
      {SPI_GETTOOLTIPANIMATION, 1}, {SPI_GETTOOLTIPFADE, 1},         {SPI_GETFLATMENU, 1},
      {SPI_GETDROPSHADOW, 1},       {SPI_GETCLIENTAREAANIMATION, 1}, {SPI_GETCARETWIDTH, 1}};
  return *m;
}

UINT Param(UINT get) {
  auto& p = Sys().Params;
  auto it = p.find(get);
  if (it != p.end()) return it->second;
  auto d = DefaultParams().find(get);
  return d == DefaultParams().end() ? 0 : d->second;
}

TRect VirtualScreenRect() {
  TRect r;
  for (auto& m : S().Monitors) UnionRect(r, r, m.Bounds);
  return r;
}

const Monitor& Primary() {
  for (auto& m : S().Monitors)
    if (m.Primary) return m;
  return S().Monitors.front();
}

int DefaultMetric(int index) {
  const Monitor& p = Primary();
  TRect vs = VirtualScreenRect();
  switch (index) {
    case SM_CXSCREEN: return p.Bounds.Width();
    case SM_CYSCREEN: return p.Bounds.Height();
    case SM_CXVSCROLL: case SM_CYHSCROLL: case SM_CYVSCROLL: case SM_CXHSCROLL:
    case SM_CYVTHUMB: case SM_CXHTHUMB: return 17;
    case SM_CYCAPTION: case SM_CYSMCAPTION: return 23;
    case SM_CXBORDER: case SM_CYBORDER: return 1;
    case SM_CXDLGFRAME: case SM_CYDLGFRAME: return 3;
    case SM_CXICON: case SM_CYICON: case SM_CXCURSOR: case SM_CYCURSOR: return 32;
    case SM_CYMENU: return 20;
    case SM_CXFULLSCREEN: return p.Work.Width();
    case SM_CYFULLSCREEN: return p.Work.Height() - 23;
    case SM_MOUSEPRESENT: case SM_MOUSEWHEELPRESENT: case SM_SAMEDISPLAYFORMAT: return 1;
    case SM_CXMIN: case SM_CXMINTRACK: return 136;
    case SM_CYMIN: case SM_CYMINTRACK: return 39;
    case SM_CXSIZE: return 36;
    case SM_CYSIZE: return 22;
    case SM_CXFRAME: case SM_CYFRAME: return 4;
    case SM_CXPADDEDBORDER: return 4;
    case SM_CXDOUBLECLK: case SM_CYDOUBLECLK: case SM_CXDRAG: case SM_CYDRAG: return 4;
    case SM_CXICONSPACING: case SM_CYICONSPACING: return 75;
    case SM_CMOUSEBUTTONS: return 5;
    case SM_CXEDGE: case SM_CYEDGE: return 2;
    case SM_CXSMICON: case SM_CYSMICON: return 16;
    case SM_CXSMSIZE: case SM_CYSMSIZE: return 22;
    case SM_CXMENUSIZE: case SM_CYMENUSIZE: return 19;
    case SM_CXMINIMIZED: return 160;
    case SM_CYMINIMIZED: return 28;
    case SM_CXMAXTRACK: return vs.Width() + 12;
    case SM_CYMAXTRACK: return vs.Height() + 12;
    case SM_CXMAXIMIZED: return p.Work.Width() + 16;
    case SM_CYMAXIMIZED: return p.Work.Height() + 16;
    case SM_CXMENUCHECK: case SM_CYMENUCHECK: return 15;
    case SM_XVIRTUALSCREEN: return vs.Left;
    case SM_YVIRTUALSCREEN: return vs.Top;
    case SM_CXVIRTUALSCREEN: return vs.Width();
    case SM_CYVIRTUALSCREEN: return vs.Height();
    case SM_CMONITORS: return int(S().Monitors.size());
    case SM_CXFOCUSBORDER: case SM_CYFOCUSBORDER: return 1;
    default: return 0;
  }
}

const std::map<LCTYPE, String>& LocaleTable(LCID lcid) {
  static const auto* enUS = new std::map<LCTYPE, String>{
      {LOCALE_ILANGUAGE, u"0409"}, {LOCALE_SLANGUAGE, u"English (United States)"},
      {LOCALE_SENGLANGUAGE, u"English"}, {LOCALE_SABBREVLANGNAME, u"ENU"},
      {LOCALE_SCOUNTRY, u"United States"}, {LOCALE_SENGCOUNTRY, u"United States"},
      {LOCALE_SLIST, u","}, {LOCALE_IMEASURE, u"1"}, {LOCALE_SDECIMAL, u"."},
      {LOCALE_STHOUSAND, u","}, {LOCALE_SGROUPING, u"3;0"}, {LOCALE_IDIGITS, u"2"},
      {LOCALE_ILZERO, u"1"}, {LOCALE_SNATIVEDIGITS, u"0123456789"}, {LOCALE_SCURRENCY, u"$"},
      {LOCALE_SMONDECIMALSEP, u"."}, {LOCALE_SMONTHOUSANDSEP, u","}, {LOCALE_ICURRDIGITS, u"2"},
      {LOCALE_ICURRENCY, u"0"}, {LOCALE_INEGCURR, u"0"}, {LOCALE_SDATE, u"/"},
      {LOCALE_STIME, u":"}, {LOCALE_SSHORTDATE, u"M/d/yyyy"},
      {LOCALE_SLONGDATE, u"dddd, MMMM d, yyyy"}, {LOCALE_IDATE, u"0"}, {LOCALE_ITIME, u"0"},
      {LOCALE_S1159, u"AM"}, {LOCALE_S2359, u"PM"}, {LOCALE_IDEFAULTLANGUAGE, u"0409"},
      {LOCALE_IDEFAULTCODEPAGE, u"437"}, {LOCALE_IDEFAULTANSICODEPAGE, u"1252"},
      {LOCALE_SISO639LANGNAME, u"en"}, {LOCALE_SISO3166CTRYNAME, u"US"}, {LOCALE_SNAME, u"en-US"},
      {LOCALE_STIMEFORMAT, u"h:mm:ss tt"}, {LOCALE_IFIRSTDAYOFWEEK, u"6"},
      {LOCALE_SNEGATIVESIGN, u"-"}, {LOCALE_SPOSITIVESIGN, u""},
      {LOCALE_SDAYNAME1 + 0, u"Monday"}, {LOCALE_SDAYNAME1 + 1, u"Tuesday"},
      {LOCALE_SDAYNAME1 + 2, u"Wednesday"}, {LOCALE_SDAYNAME1 + 3, u"Thursday"},
      {LOCALE_SDAYNAME1 + 4, u"Friday"}, {LOCALE_SDAYNAME1 + 5, u"Saturday"},
      {LOCALE_SDAYNAME1 + 6, u"Sunday"}, {LOCALE_SABBREVDAYNAME1 + 0, u"Mon"},
      {LOCALE_SABBREVDAYNAME1 + 1, u"Tue"}, {LOCALE_SABBREVDAYNAME1 + 2, u"Wed"},
      {LOCALE_SABBREVDAYNAME1 + 3, u"Thu"}, {LOCALE_SABBREVDAYNAME1 + 4, u"Fri"},
      {LOCALE_SABBREVDAYNAME1 + 5, u"Sat"}, {LOCALE_SABBREVDAYNAME1 + 6, u"Sun"},
      {LOCALE_SMONTHNAME1 + 0, u"January"}, {LOCALE_SMONTHNAME1 + 1, u"February"},
      {LOCALE_SMONTHNAME1 + 2, u"March"}, {LOCALE_SMONTHNAME1 + 3, u"April"},
      {LOCALE_SMONTHNAME1 + 4, u"May"}, {LOCALE_SMONTHNAME1 + 5, u"June"},
      {LOCALE_SMONTHNAME1 + 6, u"July"}, {LOCALE_SMONTHNAME1 + 7, u"August"},
      {LOCALE_SMONTHNAME1 + 8, u"September"}, {LOCALE_SMONTHNAME1 + 9, u"October"},
      {LOCALE_SMONTHNAME1 + 10, u"November"}, {LOCALE_SMONTHNAME1 + 11, u"December"},
      {LOCALE_SABBREVMONTHNAME1 + 0, u"Jan"}, {LOCALE_SABBREVMONTHNAME1 + 1, u"Feb"},
      {LOCALE_SABBREVMONTHNAME1 + 2, u"Mar"}, {LOCALE_SABBREVMONTHNAME1 + 3, u"Apr"},
      {LOCALE_SABBREVMONTHNAME1 + 4, u"May"}, {LOCALE_SABBREVMONTHNAME1 + 5, u"Jun"},
      {LOCALE_SABBREVMONTHNAME1 + 6, u"Jul"}, {LOCALE_SABBREVMONTHNAME1 + 7, u"Aug"},
      {LOCALE_SABBREVMONTHNAME1 + 8, u"Sep"}, {LOCALE_SABBREVMONTHNAME1 + 9, u"Oct"},
      {LOCALE_SABBREVMONTHNAME1 + 10, u"Nov"}, {LOCALE_SABBREVMONTHNAME1 + 11, u"Dec"}};
  static const auto* deDE = [] {
    auto* m = new std::map<LCTYPE, String>(*enUS);
    (*m)[LOCALE_ILANGUAGE] = u"0407";
    (*m)[LOCALE_SLANGUAGE] = u"German (Germany)";
    (*m)[LOCALE_SENGLANGUAGE] = u"German";
    (*m)[LOCALE_SABBREVLANGNAME] = u"DEU";
    (*m)[LOCALE_SCOUNTRY] = u"Germany";
    (*m)[LOCALE_SENGCOUNTRY] = u"Germany";
    (*m)[LOCALE_SLIST] = u";";
    (*m)[LOCALE_IMEASURE] = u"0";
    (*m)[LOCALE_SDECIMAL] = u",";
    (*m)[LOCALE_STHOUSAND] = u".";
    (*m)[LOCALE_SCURRENCY] = u"\u20AC";
    (*m)[LOCALE_SMONDECIMALSEP] = u",";
    (*m)[LOCALE_SMONTHOUSANDSEP] = u".";
    (*m)[LOCALE_SDATE] = u".";
    (*m)[LOCALE_SSHORTDATE] = u"dd.MM.yyyy";
    (*m)[LOCALE_SLONGDATE] = u"dddd, d. MMMM yyyy";
    (*m)[LOCALE_IDATE] = u"1";
    (*m)[LOCALE_ITIME] = u"1";
    (*m)[LOCALE_S1159] = u"";
    (*m)[LOCALE_S2359] = u"";
    (*m)[LOCALE_SISO639LANGNAME] = u"de";
    (*m)[LOCALE_SISO3166CTRYNAME] = u"DE";
    (*m)[LOCALE_SNAME] = u"de-DE";
    (*m)[LOCALE_STIMEFORMAT] = u"HH:mm:ss";
    (*m)[LOCALE_IFIRSTDAYOFWEEK] = u"0";
    (*m)[LOCALE_IDEFAULTLANGUAGE] = u"0407";
    (*m)[LOCALE_IDEFAULTCODEPAGE] = u"850";
    const char16_t* days[] = {u"Montag", u"Dienstag", u"Mittwoch", u"Donnerstag", u"Freitag", u"Samstag", u"Sonntag"};
    const char16_t* sdays[] = {u"Mo", u"Di", u"Mi", u"Do", u"Fr", u"Sa", u"So"};
    const char16_t* months[] = {u"Januar", u"Februar", u"M\u00E4rz", u"April", u"Mai", u"Juni", u"Juli",
                                u"August", u"September", u"Oktober", u"November", u"Dezember"};
    const char16_t* smonths[] = {u"Jan", u"Feb", u"M\u00E4r", u"Apr", u"Mai", u"Jun", u"Jul", u"Aug",
                                 u"Sep", u"Okt", u"Nov", u"Dez"};
    for (int i = 0; i < 7; ++i) {
      (*m)[LOCALE_SDAYNAME1 + LCTYPE(i)] = days[i];
      (*m)[LOCALE_SABBREVDAYNAME1 + LCTYPE(i)] = sdays[i];
    }
    for (int i = 0; i < 12; ++i) {
      (*m)[LOCALE_SMONTHNAME1 + LCTYPE(i)] = months[i];
      (*m)[LOCALE_SABBREVMONTHNAME1 + LCTYPE(i)] = smonths[i];
    }
    return m;
  }();
  return (lcid & 0x3FF) == 0x07 ? *deDE : *enUS;
}

// The user-interface font at 96 DPI: 9 points.
LOGFONTW DefaultUiFont() {
  LOGFONTW f;
  f.lfHeight = -12;
  f.lfWeight = 400;
  f.lfCharSet = 1;  // DEFAULT_CHARSET
  const char16_t face[] = u"Segoe UI";
  std::memcpy(f.lfFaceName, face, sizeof face);
  return f;
}

ScrollBarState* Bar(Window* w, int bar) {
  if (bar == SB_HORZ) return &w->HScroll;
  if (bar == SB_VERT) return &w->VScroll;
  return nullptr;
}

// Keeps page and position inside the range, as the platform does.
void Normalize(ScrollBarState& b) {
  if (b.Max < b.Min) b.Max = b.Min;
  UINT span = UINT(b.Max - b.Min) + 1;
  if (b.Page > span) b.Page = span;
  int maxPos = b.Max - std::max<int>(int(b.Page) - 1, 0);
  b.Pos = std::clamp(b.Pos, b.Min, std::max(b.Min, maxPos));
}

void ShowBar(HWND h, int bar, bool show) {
  DWORD bit = bar == SB_HORZ ? WS_HSCROLL : bar == SB_VERT ? WS_VSCROLL : WS_HSCROLL | WS_VSCROLL;
  bool changed = false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    DWORD ns = show ? (w->Style | bit) : (w->Style & ~bit);
    changed = ns != w->Style;
    w->Style = ns;
    VisibilityChanged();
    if (bar == SB_HORZ || bar == SB_BOTH) w->HScroll.Shown = show;
    if (bar == SB_VERT || bar == SB_BOTH) w->VScroll.Shown = show;
  }
  if (changed)
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_NOSIZE | SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
}

}  // namespace

UINT ParameterLocked(UINT spiGet) { return Param(spiGet); }

void SetMetricOverride(int index, int value) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().MetricOverrides[index] = value;
}

void SetParameterOverride(UINT spiGet, UINT value) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().Params[spiGet] = value;
}

void ResetSystemSettings() {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().MetricOverrides.clear();
  Sys().Params.clear();
  Sys().DoubleClickTime = 500;
  Sys().Lcid = 0x0409;
  Sys().LocaleOverrides.clear();
}

void SetLocale(LCID lcid) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().Lcid = lcid;
  Sys().LocaleOverrides.clear();
}

void SetLocaleOverride(LCTYPE type, const String& value) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().LocaleOverrides[type] = value;
}

void SetMonitors(const std::vector<Monitor>& monitors) {
  std::lock_guard<std::mutex> lk(S().Lock);
  if (monitors.empty()) return;
  auto& m = S().Monitors;
  m = monitors;
  bool primary = false;
  for (size_t i = 0; i < m.size(); ++i) {
    m[i].Handle = reinterpret_cast<HMONITOR>(uintptr_t(0x10001 + i));
    if (m[i].Device.empty()) m[i].Device = u"\\\\.\\DISPLAY" + FromUtf8(std::to_string(i + 1));
    if (m[i].Primary) {
      if (primary) m[i].Primary = false;
      primary = true;
    }
  }
  if (!primary) m.front().Primary = true;
  ScreenChanged();
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

int GetSystemMetrics(int index) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto& o = Sys().MetricOverrides;
  auto it = o.find(index);
  return it != o.end() ? it->second : DefaultMetric(index);
}

bool SystemParametersInfoW(UINT action, UINT uiParam, void* pvParam, UINT) {
  std::lock_guard<std::mutex> lk(S().Lock);
  switch (action) {
    case SPI_GETWORKAREA:
      if (!pvParam) return false;
      *static_cast<TRect*>(pvParam) = Primary().Work;
      return true;
    case SPI_SETWORKAREA: {
      if (!pvParam) return false;
      for (auto& m : S().Monitors)
        if (m.Primary) IntersectRect(m.Work, *static_cast<TRect*>(pvParam), m.Bounds);
      return true;
    }
    case SPI_GETNONCLIENTMETRICS: {
      auto* m = static_cast<NONCLIENTMETRICSW*>(pvParam);
      // The older, shorter record (without the padded border) is accepted too.
      if (!m || m->cbSize < sizeof(NONCLIENTMETRICSW) - sizeof(int) || m->cbSize > sizeof(NONCLIENTMETRICSW)) {
        SetLastError(ERROR_INVALID_PARAMETER);
        return false;
      }
      auto metric = [](int i) {
        auto it = Sys().MetricOverrides.find(i);
        return it != Sys().MetricOverrides.end() ? it->second : DefaultMetric(i);
      };
      UINT size = m->cbSize;
      m->iBorderWidth = 1;
      m->iScrollWidth = metric(SM_CXVSCROLL);
      m->iScrollHeight = metric(SM_CYHSCROLL);
      m->iCaptionWidth = metric(SM_CXSIZE);
      m->iCaptionHeight = metric(SM_CYCAPTION) - 1;
      m->iSmCaptionWidth = metric(SM_CXSMSIZE);
      m->iSmCaptionHeight = metric(SM_CYSMCAPTION) - 1;
      m->iMenuWidth = metric(SM_CXMENUSIZE);
      m->iMenuHeight = metric(SM_CYMENUSIZE);
      for (LOGFONTW* f : {&m->lfCaptionFont, &m->lfSmCaptionFont, &m->lfMenuFont, &m->lfStatusFont, &m->lfMessageFont})
        *f = DefaultUiFont();
      if (size == sizeof(NONCLIENTMETRICSW)) m->iPaddedBorderWidth = metric(SM_CXPADDEDBORDER);
      return true;
    }
    case SPI_GETICONTITLELOGFONT:
      if (!pvParam || uiParam < sizeof(LOGFONTW)) return false;
      *static_cast<LOGFONTW*>(pvParam) = DefaultUiFont();
      return true;
    case SPI_SETDRAGFULLWINDOWS:
      Sys().Params[SPI_GETDRAGFULLWINDOWS] = uiParam ? 1 : 0;
      return true;
    case SPI_SETWHEELSCROLLLINES:
    case SPI_SETWHEELSCROLLCHARS:
      Sys().Params[action - 1] = uiParam;
      return true;
    case SPI_SETMENUANIMATION:
    case SPI_SETMENUFADE:
    case SPI_SETSELECTIONFADE:
    case SPI_SETTOOLTIPANIMATION:
    case SPI_SETTOOLTIPFADE:
      // These take their value in pvParam, as the platform does.
      Sys().Params[action - 1] = pvParam ? 1 : 0;
      return true;
    default: break;
  }
  auto d = DefaultParams().find(action);
  if (d == DefaultParams().end() && !Sys().Params.count(action)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return false;
  }
  if (!pvParam) return false;
  UINT v = Param(action);
  switch (action) {
    case SPI_GETWHEELSCROLLLINES:
    case SPI_GETWHEELSCROLLCHARS:
    case SPI_GETKEYBOARDSPEED:
    case SPI_GETKEYBOARDDELAY:
    case SPI_GETMOUSEHOVERWIDTH:
    case SPI_GETMOUSEHOVERHEIGHT:
    case SPI_GETMOUSEHOVERTIME:
    case SPI_GETCARETWIDTH:
      *static_cast<UINT*>(pvParam) = v;
      return true;
    default:
      *static_cast<int32_t*>(pvParam) = int32_t(v);  // BOOL
      return true;
  }
}

UINT GetDoubleClickTime() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return Sys().DoubleClickTime;
}

bool SetDoubleClickTime(UINT ms) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Sys().DoubleClickTime = ms ? std::min<UINT>(ms, 5000) : 500;
  return true;
}

DWORD GetComCtlVersion() { return DWORD(MAKELPARAM(0, 6)); }

namespace {
HMONITOR Choose(const TRect& r, DWORD flags, bool point) {
  const Monitor* best = nullptr;
  Int64 bestArea = 0;
  for (auto& m : S().Monitors) {
    TRect i;
    if (point) {
      if (PtInRect(m.Bounds, r.TopLeft())) return m.Handle;
      continue;
    }
    if (IntersectRect(i, r, m.Bounds)) {
      Int64 a = Int64(i.Width()) * i.Height();
      if (a > bestArea) { bestArea = a; best = &m; }
    }
  }
  if (best) return best->Handle;
  if (flags == MONITOR_DEFAULTTONULL) return nullptr;
  if (flags == MONITOR_DEFAULTTOPRIMARY) return Primary().Handle;
  // Nearest: the smallest distance from the rectangle to a monitor.
  Int64 bestD = INT64_MAX;
  for (auto& m : S().Monitors) {
    Int64 dx = std::max({0, m.Bounds.Left - r.Right + 1, r.Left - m.Bounds.Right + 1});
    Int64 dy = std::max({0, m.Bounds.Top - r.Bottom + 1, r.Top - m.Bounds.Bottom + 1});
    if (dx * dx + dy * dy < bestD) { bestD = dx * dx + dy * dy; best = &m; }
  }
  return best ? best->Handle : nullptr;
}
}  // namespace

HMONITOR MonitorFromPoint(POINT p, DWORD flags) {
  std::lock_guard<std::mutex> lk(S().Lock);
  return Choose(TRect(p.X, p.Y, p.X + 1, p.Y + 1), flags, true);
}

HMONITOR MonitorFromRect(const RECT* r, DWORD flags) {
  if (!r) return nullptr;
  std::lock_guard<std::mutex> lk(S().Lock);
  TRect rr = *r;
  if (IsRectEmpty(rr)) return Choose(TRect(rr.Left, rr.Top, rr.Left + 1, rr.Top + 1), flags, true);
  return Choose(rr, flags, false);
}

HMONITOR MonitorFromWindow(HWND h, DWORD flags) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return flags == MONITOR_DEFAULTTONULL ? nullptr : Primary().Handle;
  Window* t = TopOf(w);
  TRect r = t->Minimized ? t->RestoreRect : ScreenRect(t);
  if (IsRectEmpty(r)) return Choose(TRect(r.Left, r.Top, r.Left + 1, r.Top + 1), flags, true);
  return Choose(r, flags, false);
}

bool GetMonitorInfoW(HMONITOR hm, MONITORINFO* info) {
  if (!info) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  for (auto& m : S().Monitors) {
    if (m.Handle != hm) continue;
    info->rcMonitor = m.Bounds;
    info->rcWork = m.Work;
    info->dwFlags = m.Primary ? MONITORINFOF_PRIMARY : 0;
    if (info->cbSize >= sizeof(MONITORINFOEXW)) {
      auto* ex = static_cast<MONITORINFOEXW*>(info);
      size_t n = std::min<size_t>(m.Device.size(), 31);
      std::memcpy(ex->szDevice, m.Device.data(), n * sizeof(char16_t));
      ex->szDevice[n] = 0;
    }
    return true;
  }
  return false;
}

LCID GetSystemDefaultLCID() {
  std::lock_guard<std::mutex> lk(S().Lock);
  return Sys().Lcid;
}
LCID GetUserDefaultLCID() { return GetSystemDefaultLCID(); }
WORD GetSystemDefaultLangID() { return WORD(GetSystemDefaultLCID() & 0xFFFF); }
WORD GetUserDefaultLangID() { return GetSystemDefaultLangID(); }

int GetLocaleInfoW(LCID locale, LCTYPE type, char16_t* buffer, int size) {
  String value;
  bool number = (type & LOCALE_RETURN_NUMBER) != 0;
  bool noOverride = (type & LOCALE_NOUSEROVERRIDE) != 0;
  type &= ~(LOCALE_RETURN_NUMBER | LOCALE_NOUSEROVERRIDE);
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    LCID cur = Sys().Lcid;
    if (locale == LOCALE_USER_DEFAULT || locale == LOCALE_SYSTEM_DEFAULT || locale == 0) locale = cur;
    if (locale == LOCALE_INVARIANT) locale = 0x0409;
    auto& table = LocaleTable(locale);
    auto it = table.find(type);
    if (it == table.end()) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
    }
    value = it->second;
    if (locale == cur && !noOverride) {
      auto o = Sys().LocaleOverrides.find(type);
      if (o != Sys().LocaleOverrides.end()) value = o->second;
    }
  }
  if (number) {
    bool hex = type == LOCALE_ILANGUAGE || type == LOCALE_IDEFAULTLANGUAGE;
    DWORD n = 0;
    for (char16_t c : value) {
      int d = (c >= u'0' && c <= u'9') ? c - u'0' : (hex && c >= u'a' && c <= u'f') ? c - u'a' + 10
              : (hex && c >= u'A' && c <= u'F') ? c - u'A' + 10 : -1;
      if (d < 0) break;
      n = n * (hex ? 16 : 10) + DWORD(d);
    }
    if (size == 0) return 2;
    if (size < 2 || !buffer) {
      SetLastError(ERROR_INSUFFICIENT_BUFFER);
      return 0;
    }
    std::memcpy(buffer, &n, sizeof n);
    return 2;
  }
  int need = int(value.size()) + 1;
  if (size == 0) return need;
  if (!buffer || size < need) {
    SetLastError(ERROR_INSUFFICIENT_BUFFER);
    return 0;
  }
  std::memcpy(buffer, value.c_str(), size_t(need) * sizeof(char16_t));
  return need;
}

String GetLocaleStr(LCID locale, LCTYPE type, const String& deflt) {
  char16_t buf[256];
  int n = GetLocaleInfoW(locale, type, buf, 256);
  return n > 0 ? String(buf, size_t(n - 1)) : deflt;
}

// ---------------------------------------------------------------------------
// Scroll bars

int SetScrollInfo(HWND h, int bar, const SCROLLINFO* si, bool redraw) {
  if (!si || (bar != SB_HORZ && bar != SB_VERT)) return 0;
  bool scrollable, wasShown;
  int pos;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return 0;
    ScrollBarState& b = *Bar(w, bar);
    if (si->fMask & SIF_RANGE) { b.Min = si->nMin; b.Max = si->nMax; }
    if (si->fMask & SIF_PAGE) b.Page = si->nPage;
    if (si->fMask & SIF_POS) b.Pos = si->nPos;
    Normalize(b);
    pos = b.Pos;
    wasShown = b.Shown;
    scrollable = b.Page ? UINT(b.Max - b.Min) + 1 > b.Page : b.Max > b.Min;
    if (redraw && b.Shown) w->NcPaintNeeded = true;
    if (!(si->fMask & (SIF_RANGE | SIF_PAGE))) return pos;
    if (!scrollable && (si->fMask & SIF_DISABLENOSCROLL)) {
      b.Disabled = ESB_DISABLE_BOTH;
      return pos;
    }
    if (scrollable) b.Disabled = ESB_ENABLE_BOTH;
  }
  // A range that needs no scrolling hides the bar, one that does shows it.
  if (scrollable != wasShown) ShowBar(h, bar, scrollable);
  return pos;
}

bool GetScrollInfo(HWND h, int bar, SCROLLINFO* si) {
  if (!si || (bar != SB_HORZ && bar != SB_VERT)) return false;
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  ScrollBarState& b = *Bar(w, bar);
  if (si->fMask & SIF_RANGE) { si->nMin = b.Min; si->nMax = b.Max; }
  if (si->fMask & SIF_PAGE) si->nPage = b.Page;
  if (si->fMask & SIF_POS) si->nPos = b.Pos;
  if (si->fMask & SIF_TRACKPOS) si->nTrackPos = b.TrackPos;
  return true;
}

int GetScrollPos(HWND h, int bar) {
  SCROLLINFO si;
  si.fMask = SIF_POS;
  return GetScrollInfo(h, bar, &si) ? si.nPos : 0;
}

int SetScrollPos(HWND h, int bar, int pos, bool redraw) {
  int old = GetScrollPos(h, bar);
  SCROLLINFO si;
  si.fMask = SIF_POS;
  si.nPos = pos;
  SetScrollInfo(h, bar, &si, redraw);
  return old;
}

bool GetScrollRange(HWND h, int bar, int* minPos, int* maxPos) {
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  if (!GetScrollInfo(h, bar, &si)) return false;
  if (minPos) *minPos = si.nMin;
  if (maxPos) *maxPos = si.nMax;
  return true;
}

bool SetScrollRange(HWND h, int bar, int minPos, int maxPos, bool redraw) {
  if (!IsWindow(h)) return false;
  SCROLLINFO si;
  si.fMask = SIF_RANGE;
  si.nMin = minPos;
  si.nMax = maxPos;
  SetScrollInfo(h, bar, &si, redraw);
  return true;
}

bool ShowScrollBar(HWND h, int bar, bool show) {
  if (!IsWindow(h) || bar < SB_HORZ || bar > SB_BOTH || bar == SB_CTL) return false;
  ShowBar(h, bar, show);
  return true;
}

bool EnableScrollBar(HWND h, UINT bar, UINT arrows) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  bool changed = false;
  for (ScrollBarState* b : {bar == SB_HORZ || bar == SB_BOTH ? &w->HScroll : nullptr,
                            bar == SB_VERT || bar == SB_BOTH ? &w->VScroll : nullptr}) {
    if (!b) continue;
    changed |= b->Disabled != arrows;
    b->Disabled = arrows;
  }
  if (changed) w->NcPaintNeeded = true;
  return changed;
}

}  // namespace vcl
