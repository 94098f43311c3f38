#include "graphics/raster/Pix32_XPThemes_qn.h"

namespace qn {

namespace Pix32_XPThemes_qn {

HTHEME (*OpenThemeData)(HWND, const Char*) = nullptr;
HRESULT (*CloseThemeData)(HTHEME) = nullptr;
HRESULT (*DrawThemeBackground)(HTHEME, HDC, int, int, const RECT*, const RECT*) = nullptr;
HRESULT (*DrawThemeEdge)(HTHEME, HDC, int, int, const RECT*, UINT, UINT, RECT*) = nullptr;
HRESULT (*GetThemeColor)(HTHEME, int, int, int, COLORREF*) = nullptr;
HRESULT (*GetThemeMetric)(HTHEME, HDC, int, int, int, int*) = nullptr;
HRESULT (*GetThemeMargins)(HTHEME, HDC, int, int, int, RECT*, PMARGINS) = nullptr;
HRESULT (*SetWindowTheme)(HWND, const Char*, const Char*) = nullptr;
bool (*IsThemeActive)() = nullptr;
bool (*IsAppThemed)() = nullptr;
HRESULT (*EnableTheming)(bool) = nullptr;

bool USE_THEMES = false;
HTHEME SCROLLBAR_THEME = nullptr;
HTHEME GLOBALS_THEME = nullptr;

namespace {

HMODULE ThemeLibrary = nullptr;
TThemeNexus* Nexus = nullptr;

template <class F>
void Bind(F& Fn, const char* Name) {
  Fn = reinterpret_cast<F>(vcl::GetThemeProcAddress(Name));
}

void ClearBindings() {
  OpenThemeData = nullptr;
  CloseThemeData = nullptr;
  DrawThemeBackground = nullptr;
  DrawThemeEdge = nullptr;
  GetThemeColor = nullptr;
  GetThemeMetric = nullptr;
  GetThemeMargins = nullptr;
  SetWindowTheme = nullptr;
  IsThemeActive = nullptr;
  IsAppThemed = nullptr;
  EnableTheming = nullptr;
}

}  // namespace

bool LoadUxTheme() {
  if (!ThemeLibrary) {
    ThemeLibrary = vcl::LoadThemeLibrary();
    if (ThemeLibrary) {
      Bind(OpenThemeData, "OpenThemeData");
      Bind(CloseThemeData, "CloseThemeData");
      Bind(DrawThemeBackground, "DrawThemeBackground");
      Bind(DrawThemeEdge, "DrawThemeEdge");
      Bind(GetThemeColor, "GetThemeColor");
      Bind(GetThemeMetric, "GetThemeMetric");
      Bind(GetThemeMargins, "GetThemeMargins");
      Bind(SetWindowTheme, "SetWindowTheme");
      Bind(IsThemeActive, "IsThemeActive");
      Bind(IsAppThemed, "IsAppThemed");
      Bind(EnableTheming, "EnableTheming");
      if (!OpenThemeData || !CloseThemeData || !IsThemeActive || !IsAppThemed || !EnableTheming) UnloadUxTheme();
    }
  }
  return ThemeLibrary != nullptr;
}

void UnloadUxTheme() {
  // The library is linked into the program, never a library loaded by
  // another: it can always be let go.
  ThemeLibrary = nullptr;
  ClearBindings();
}

bool ThemesAvailable() { return ThemeLibrary && IsAppThemed() && IsThemeActive(); }

TThemeNexus::TThemeNexus() {
  FWindowHandle = AllocateHWnd([this](TMessage& M) { ThemeNexusWindowProc(M); });
  OpenThemeHandles();
}

TThemeNexus::~TThemeNexus() {
  CloseThemeHandles();
  if (FWindowHandle) DeallocateHWnd(FWindowHandle);
}

void TThemeNexus::OpenThemeHandles() {
  USE_THEMES = false;
  if (!LoadUxTheme()) return;
  USE_THEMES = ThemesAvailable();
  if (USE_THEMES) {
    SCROLLBAR_THEME = OpenThemeData(FWindowHandle, u"SCROLLBAR");
    GLOBALS_THEME = OpenThemeData(FWindowHandle, u"GLOBALS");
  }
}

void TThemeNexus::CloseThemeHandles() {
  if (ThemeLibrary && ThemesAvailable()) {
    if (SCROLLBAR_THEME) CloseThemeData(SCROLLBAR_THEME);
    if (GLOBALS_THEME) CloseThemeData(GLOBALS_THEME);
  }
  SCROLLBAR_THEME = nullptr;
  GLOBALS_THEME = nullptr;
  USE_THEMES = false;
  UnloadUxTheme();
}

void TThemeNexus::ThemeNexusWindowProc(TMessage& Msg) {
  if (Msg.Msg == WM_THEMECHANGED) {
    CloseThemeHandles();
    OpenThemeHandles();
  }
  Msg.Result = DefWindowProcW(FWindowHandle, Msg.Msg, Msg.WParam, Msg.LParam);
}

TThemeNexus* ThemeNexus() { return Nexus; }

}  // namespace Pix32_XPThemes_qn

void InitPix32XPThemes() {
  if (!Pix32_XPThemes_qn::Nexus) Pix32_XPThemes_qn::Nexus = new Pix32_XPThemes_qn::TThemeNexus();
}

void DonePix32XPThemes() {
  delete Pix32_XPThemes_qn::Nexus;
  Pix32_XPThemes_qn::Nexus = nullptr;
}

}  // namespace qn
