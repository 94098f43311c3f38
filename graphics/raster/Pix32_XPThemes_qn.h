// Pix32_XPThemes_qn: binds the platform's visual-styles library at run time,
// by name, so that the library can be missing (or lack exports) without the
// program failing to start, and keeps the scroll-bar and globals theme
// handles current through a hidden window that hears theme changes.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/QnBase.h"
#include "platform/theme/UxTheme.h"
#include "platform/user/User.h"

namespace qn {

// Kept apart from the platform's own functions of the same names.
namespace Pix32_XPThemes_qn {

struct _MARGINS {
  Integer cxLeftWidth = 0, cxRightWidth = 0, cyTopHeight = 0, cyBottomHeight = 0;
};
using PMARGINS = _MARGINS*;

// Bound from "uxtheme.dll" by export name; nil while the library is not
// loaded or lacks the export.
extern HTHEME (*OpenThemeData)(HWND hwnd, const Char* pszClassList);
extern HRESULT (*CloseThemeData)(HTHEME hTheme);
extern HRESULT (*DrawThemeBackground)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pRect,
                                      const RECT* pClipRect);
extern HRESULT (*DrawThemeEdge)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, const RECT* pDestRect, UINT uEdge,
                                UINT uFlags, RECT* pContentRect);
extern HRESULT (*GetThemeColor)(HTHEME hTheme, int iPartId, int iStateId, int iPropId, COLORREF* pColor);
extern HRESULT (*GetThemeMetric)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, int* piVal);
extern HRESULT (*GetThemeMargins)(HTHEME hTheme, HDC hdc, int iPartId, int iStateId, int iPropId, RECT* prc,
                                  PMARGINS pMargins);
extern HRESULT (*SetWindowTheme)(HWND hwnd, const Char* pszSubAppName, const Char* pszSubIdList);
extern bool (*IsThemeActive)();
extern bool (*IsAppThemed)();
extern HRESULT (*EnableTheming)(bool fEnable);

// Whether the bars draw through the theme; kept by the nexus.
extern bool USE_THEMES;
extern HTHEME SCROLLBAR_THEME;
extern HTHEME GLOBALS_THEME;

// Loads the library and binds the eleven functions; unloads again when one
// of the five it cannot do without is missing.
bool LoadUxTheme();
void UnloadUxTheme();
// Loaded, and the application and the system both themed.
bool ThemesAvailable();

// The hidden window that reopens the handles on WM_THEMECHANGED.
class TThemeNexus {
 public:
  TThemeNexus();
  ~TThemeNexus();
  TThemeNexus(const TThemeNexus&) = delete;
  TThemeNexus& operator=(const TThemeNexus&) = delete;
  HWND WindowHandle() const { return FWindowHandle; }

 protected:
  void ThemeNexusWindowProc(TMessage& Msg);
  void OpenThemeHandles();
  void CloseThemeHandles();

 private:
  HWND FWindowHandle = nullptr;
};

// The process's nexus, made by the unit's initialization.
TThemeNexus* ThemeNexus();

}  // namespace Pix32_XPThemes_qn

void InitPix32XPThemes();
void DonePix32XPThemes();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
