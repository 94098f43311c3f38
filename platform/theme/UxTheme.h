// The theme library of the host layer: visual-style handles for the window
// classes the components draw with the platform's look (tree views, headers,
// buttons, tool tips, edit borders), drawn in a plain look of our own in
// which every part and state can be told apart.
//
// The library can be absent (no theme: IsThemeActive is false and
// OpenThemeData fails), present (every class), or trimmed (present, but the
// classes or parts named by SetThemeMissing are not there: opening such a
// class fails, drawing such a part does nothing and its size query fails).
// Tests pick the mode; every change of it sends WM_THEMECHANGED to every
// window. Every call is logged for tests to read.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <string>
#include <vector>

#include "platform/user/User.h"

namespace vcl {

struct HTHEME__;
using HTHEME = HTHEME__*;

constexpr HRESULT E_HANDLE = static_cast<HRESULT>(0x80070006u);

enum THEMESIZE { TS_MIN = 0, TS_TRUE = 1, TS_DRAW = 2 };

// Parts and states of the classes the library knows.
// "TREEVIEW" (and "Explorer::TreeView", its look after SetWindowTheme
// with "explorer").
constexpr int TVP_TREEITEM = 1, TVP_GLYPH = 2, TVP_BRANCH = 3, TVP_HOTGLYPH = 4;
constexpr int TREIS_NORMAL = 1, TREIS_HOT = 2, TREIS_SELECTED = 3, TREIS_DISABLED = 4,
              TREIS_SELECTEDNOTFOCUS = 5, TREIS_HOTSELECTED = 6;
constexpr int GLPS_CLOSED = 1, GLPS_OPENED = 2, HGLPS_CLOSED = 1, HGLPS_OPENED = 2;
// "HEADER"
constexpr int HP_HEADERITEM = 1, HP_HEADERITEMLEFT = 2, HP_HEADERITEMRIGHT = 3, HP_HEADERSORTARROW = 4;
constexpr int HIS_NORMAL = 1, HIS_HOT = 2, HIS_PRESSED = 3;
constexpr int HSAS_SORTEDUP = 1, HSAS_SORTEDDOWN = 2;
// "BUTTON"
constexpr int BP_PUSHBUTTON = 1, BP_RADIOBUTTON = 2, BP_CHECKBOX = 3;
constexpr int PBS_NORMAL = 1, PBS_HOT = 2, PBS_PRESSED = 3, PBS_DISABLED = 4, PBS_DEFAULTED = 5;
constexpr int RBS_UNCHECKEDNORMAL = 1, RBS_UNCHECKEDHOT = 2, RBS_UNCHECKEDPRESSED = 3, RBS_UNCHECKEDDISABLED = 4,
              RBS_CHECKEDNORMAL = 5, RBS_CHECKEDHOT = 6, RBS_CHECKEDPRESSED = 7, RBS_CHECKEDDISABLED = 8;
constexpr int CBS_UNCHECKEDNORMAL = 1, CBS_UNCHECKEDHOT = 2, CBS_UNCHECKEDPRESSED = 3, CBS_UNCHECKEDDISABLED = 4,
              CBS_CHECKEDNORMAL = 5, CBS_CHECKEDHOT = 6, CBS_CHECKEDPRESSED = 7, CBS_CHECKEDDISABLED = 8,
              CBS_MIXEDNORMAL = 9, CBS_MIXEDHOT = 10, CBS_MIXEDPRESSED = 11, CBS_MIXEDDISABLED = 12;
// "TOOLTIP"
constexpr int TTP_STANDARD = 1, TTP_STANDARDTITLE = 2, TTP_BALLOON = 3, TTP_BALLOONTITLE = 4;
constexpr int TTSS_NORMAL = 1, TTSS_LINK = 2;
// "EDIT" (the border of controls with a client edge)
constexpr int EP_EDITTEXT = 1;
constexpr int ETS_NORMAL = 1, ETS_HOT = 2, ETS_SELECTED = 3, ETS_DISABLED = 4, ETS_FOCUSED = 5, ETS_READONLY = 6;

// "SCROLLBAR": arrow buttons (16 states: up 1-4, down 5-8, left 9-12,
// right 13-16, each normal/hot/pressed/disabled), thumbs and tracks (4
// states: normal/hot/pressed/disabled), the grippers on the thumbs, and the
// size box in the corner between two bars (grip dots towards the right or
// the left corner).
constexpr int SBP_ARROWBTN = 1, SBP_THUMBBTNHORZ = 2, SBP_THUMBBTNVERT = 3, SBP_LOWERTRACKHORZ = 4,
              SBP_UPPERTRACKHORZ = 5, SBP_LOWERTRACKVERT = 6, SBP_UPPERTRACKVERT = 7, SBP_GRIPPERHORZ = 8,
              SBP_GRIPPERVERT = 9, SBP_SIZEBOX = 10;
constexpr int SZB_RIGHTALIGN = 1, SZB_LEFTALIGN = 2;
constexpr int ABS_UPNORMAL = 1, ABS_DOWNNORMAL = 5, ABS_LEFTNORMAL = 9, ABS_RIGHTNORMAL = 13;
constexpr int SCRBS_NORMAL = 1, SCRBS_HOT = 2, SCRBS_PRESSED = 3, SCRBS_DISABLED = 4;
// "GLOBALS" has no parts of its own; programs open it for the theme's
// global values.

bool IsThemeActive();
// Themes for this process: off makes IsAppThemed false until turned on.
bool IsAppThemed();
HRESULT EnableTheming(bool fEnable);
// classList: class names separated by ';', the first one the library has
// wins. A window given SetWindowTheme(h, "explorer", ...) opens the
// "Explorer::" variant of a class where one exists.
HTHEME OpenThemeData(HWND h, const Char* classList);
HRESULT CloseThemeData(HTHEME theme);
HRESULT DrawThemeBackground(HTHEME theme, HDC dc, int partId, int stateId, const RECT* rect, const RECT* clipRect);
// Draws an edge as DrawEdge would, within the part's look; contentRect
// receives the inside with BF_ADJUST.
HRESULT DrawThemeEdge(HTHEME theme, HDC dc, int partId, int stateId, const RECT* destRect, UINT edge, UINT flags,
                      RECT* contentRect);
HRESULT GetThemePartSize(HTHEME theme, HDC dc, int partId, int stateId, const RECT* rect, THEMESIZE size, SIZE* psz);
bool IsThemePartDefined(HTHEME theme, int partId, int stateId);
// subAppName "explorer" gives the window the explorer look; an empty string
// with an empty id list turns its theme off; nullptrs restore the default.
// Sends WM_THEMECHANGED to the window.
HRESULT SetWindowTheme(HWND h, const Char* subAppName, const Char* subIdList);

// --- Tests
enum class TThemeMode { Absent, Present, Trimmed };
// Sends WM_THEMECHANGED to every window when the mode changes.
void SetThemeMode(TThemeMode mode);
TThemeMode ThemeMode();
// In trimmed mode: a class (part 0) or one part of it that the library
// lacks. Cleared by SetThemeMode(Present) and ResetThemes.
void SetThemeMissing(const String& className, int partId = 0);
// Back to present, nothing missing, no window themes, theming enabled,
// every export there, an empty log.
void ResetThemes();

// The library as a module loaded by name: LoadThemeLibrary is what the
// host's loader does for "uxtheme.dll" (nothing while the library is
// absent); GetThemeProcAddress answers the exports by name. Tests can take
// one export away, as an older or trimmed library would lack it.
HMODULE LoadThemeLibrary();
void* GetThemeProcAddress(const char* name);
void SetThemeExportMissing(const char* name);

struct TThemeCall {
  String Function;   // "OpenThemeData", "DrawThemeBackground", ...
  String ClassName;  // as resolved ("Explorer::TreeView"), empty when none
  int Part = 0;
  int State = 0;
  RECT Rect;
  RECT Clip;
  bool HasClip = false;
  HRESULT Result = S_OK;
};
std::vector<TThemeCall> ThemeCallLog();
void ClearThemeCallLog();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
