// The Themes unit: the theme-services object over the host's theme library.
// Controls ask it whether themes are on, name an element by an enumeration
// value (GetElementDetails) and have it drawn or measured. Theme handles are
// opened once per element class and dropped when the theme changes (the
// application forwards WM_THEMECHANGED to ApplyThemeChange).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Component.h"
#include "platform/theme/UxTheme.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

class TWinControl;

enum class TThemedElement : Byte { teButton, teEdit, teHeader, teToolTip, teTreeview };
using enum TThemedElement;

enum class TThemedButton : Byte {
  tbButtonDontCare, tbButtonRoot,
  tbPushButtonNormal, tbPushButtonHot, tbPushButtonPressed, tbPushButtonDisabled, tbPushButtonDefaulted,
  tbRadioButtonUncheckedNormal, tbRadioButtonUncheckedHot, tbRadioButtonUncheckedPressed,
  tbRadioButtonUncheckedDisabled, tbRadioButtonCheckedNormal, tbRadioButtonCheckedHot,
  tbRadioButtonCheckedPressed, tbRadioButtonCheckedDisabled,
  tbCheckBoxUncheckedNormal, tbCheckBoxUncheckedHot, tbCheckBoxUncheckedPressed, tbCheckBoxUncheckedDisabled,
  tbCheckBoxCheckedNormal, tbCheckBoxCheckedHot, tbCheckBoxCheckedPressed, tbCheckBoxCheckedDisabled,
  tbCheckBoxMixedNormal, tbCheckBoxMixedHot, tbCheckBoxMixedPressed, tbCheckBoxMixedDisabled
};
using enum TThemedButton;

enum class TThemedEdit : Byte {
  teEditDontCare, teEditRoot, teEditTextNormal, teEditTextHot, teEditTextSelected, teEditTextDisabled,
  teEditTextFocused, teEditTextReadOnly
};
using enum TThemedEdit;

enum class TThemedHeader : Byte {
  thHeaderDontCare, thHeaderRoot, thHeaderItemNormal, thHeaderItemHot, thHeaderItemPressed,
  thHeaderItemLeftNormal, thHeaderItemLeftHot, thHeaderItemLeftPressed, thHeaderItemRightNormal,
  thHeaderItemRightHot, thHeaderItemRightPressed, thHeaderSortArrowSortedUp, thHeaderSortArrowSortedDown
};
using enum TThemedHeader;

enum class TThemedToolTip : Byte {
  tttToolTipDontCare, tttToolTipRoot, tttStandardNormal, tttStandardLink, tttStandardTitleNormal,
  tttStandardTitleLink, tttBaloonNormal, tttBaloonLink, tttBaloonTitleNormal, tttBaloonTitleLink
};
using enum TThemedToolTip;

enum class TThemedTreeview : Byte {
  ttTreeviewDontCare, ttTreeviewRoot, ttItemNormal, ttItemHot, ttItemSelected, ttItemDisabled,
  ttItemSelectedNotFocus, ttItemHotSelected, ttGlyphClosed, ttGlyphOpened, ttBranch, ttHotGlyphClosed,
  ttHotGlyphOpened
};
using enum TThemedTreeview;

struct TThemedElementDetails {
  TThemedElement Element = teButton;
  Integer Part = 0;
  Integer State = 0;
};

enum class TElementSize : Byte { esMinimum, esActual, esStretch };
using enum TElementSize;

class TThemeServices : public TObject {
  QN_CLASS(TThemeServices, TObject)
 public:
  TThemeServices();
  ~TThemeServices() override;

  // The host has a theme library loaded.
  bool Available() const;
  bool ThemesAvailable() const { return Available(); }
  // Themes are on for this application (active and the application
  // themed).
  bool Enabled() const;
  bool ThemesEnabled() const { return Enabled(); }

  TThemedElementDetails GetElementDetails(TThemedButton Detail) const;
  TThemedElementDetails GetElementDetails(TThemedEdit Detail) const;
  TThemedElementDetails GetElementDetails(TThemedHeader Detail) const;
  TThemedElementDetails GetElementDetails(TThemedToolTip Detail) const;
  TThemedElementDetails GetElementDetails(TThemedTreeview Detail) const;

  // Both answer false (and draw nothing) while themes are off or the
  // element's class is missing.
  bool DrawElement(HDC DC, const TThemedElementDetails& Details, const TRect& R, const TRect* ClipRect = nullptr);
  bool DrawEdge(HDC DC, const TThemedElementDetails& Details, const TRect& R, UINT Edge, UINT Flags,
                TRect* ContentRect = nullptr);
  bool GetElementSize(HDC DC, const TThemedElementDetails& Details, TElementSize ElementSize, TSize& Size);
  bool GetElementSize(HDC DC, const TThemedElementDetails& Details, const TRect& Rect, TElementSize ElementSize,
                      TSize& Size);
  // Paints the themed frame of a control with a client edge into its
  // non-client area; with EraseLRCorner the square between two scroll
  // bars is filled too.
  void PaintBorder(TWinControl* Control, bool EraseLRCorner);
  // The same into DC, laid out as the window's own DC (a print of the window).
  void PaintBorder(TWinControl* Control, bool EraseLRCorner, HDC DC);

  // Drops the theme handles and tells OnThemeChange.
  void ApplyThemeChange();
  void UpdateThemes() { ApplyThemeChange(); }
  TNotifyEvent OnThemeChange;

  // The handle of an element class (opened on first use), or nullptr.
  HTHEME Theme(TThemedElement Element);

 private:
  void CloseThemes();
  HTHEME FThemes[5] = {};
};

// The process's theme-services object (made on first use).
TThemeServices* ThemeServices();
TThemeServices* StyleServices();

// The unit's finalisation.
void DoneThemes();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
