// The extended controls' and pop-up windows' units.
#include "platform/rtl/Units.h"
#include "skin/extended/frmQnDateTimePicker.h"
#include "skin/extended/uQnLikeMenuDlg.h"
#include "skin/extended/uQnQQAlign.h"
#include "skin/extended/uQuarnAlphaForm.h"
#include "skin/extended/uQnTrayIcon.h"
#include "skin/extended/uQuarnAnimation.h"
#include "skin/extended/uQuarnCalendar.h"
#include "skin/extended/uQuarnCalloutPanel.h"
#include "skin/extended/uQuarnCircleShape.h"
#include "skin/extended/uQuarnCircleProgress.h"
#include "skin/extended/uQuarnColorButton.h"
#include "skin/extended/uQuarnColorControls.h"
#include "skin/extended/uQuarnCornerButton.h"
#include "skin/extended/uQuarnCountBar.h"
#include "skin/extended/uQuarnDatetimePicker.h"
#include "skin/extended/uQuarnDragFile.h"
#include "skin/extended/uQuarnHint.h"
#include "skin/extended/uQuarnIconButtonList.h"
#include "skin/extended/uQuarnImageSlider.h"
#include "skin/extended/uQuarnLine.h"
#include "skin/extended/uQuarnMarker.h"
#include "skin/extended/uQuarnMessageBox.h"
#include "skin/extended/uQuarnNCMessage.h"
#include "skin/extended/uQuarnPng.h"
#include "skin/extended/uQuarnPopupMessage.h"
#include "skin/extended/uQuarnScrollMsgBar.h"
#include "skin/extended/uQuarnShape.h"
#include "skin/extended/uQuarnSpeedometer.h"
#include "skin/extended/uQuarnSwitchButton.h"
#include "skin/extended/uQuarnTabset.h"
#include "skin/extended/uQuarnTagsBox.h"
#include "skin/extended/uQuarnTimeBox.h"
#include "skin/extended/uQuarnToolbar.h"

namespace qn {

void RegisterSkinExtendedUnits() {
  RegisterUnit({"uQuarnMessageBox", {"uQuarnForm", "uQuarnButton", "uQuarnCheckBox", "Clipbrd"}, InitQuarnMessageBox,
                DoneQuarnMessageBox});
  RegisterUnit({"uQuarnColorButton", {"uQnCustomButton", "Pix32_Polygons_qn"},
                InitQuarnColorButton, nullptr});
  RegisterUnit({"uQuarnCornerButton", {"uQuarnColorButton"}, InitQuarnCornerButton, nullptr});
  RegisterUnit({"uQnLikeMenuDlg", {"Forms"}, InitQnLikeMenuDlg, nullptr});
  RegisterUnit({"uQuarnCalendar", {"uQuarnPanel", "DateUtils"}, InitQuarnCalendar, nullptr});
  RegisterUnit({"uQuarnTimeBox", {"uQuarnPanel"}, InitQuarnTimeBox, nullptr});
  RegisterUnit({"frmQnDateTimePicker",
                {"uQuarnPanel", "uQuarnColorButton", "uQuarnCalendar", "uQuarnTimeBox", "uQnLikeMenuDlg", "StdCtrls"},
                InitQnDateTimePicker, nullptr});
  RegisterUnit({"uQuarnDatetimePicker", {"uQuarnEdit", "frmQnDateTimePicker"}, InitQuarnDatetimePicker, nullptr});
  RegisterUnit({"uQuarnPopupMessage", {"uQuarnForm", "uQuarnButton", "uQuarnLabel"}, InitQuarnPopupMessage, nullptr});
  RegisterUnit({"uQuarnGraphics", {"Pix32_Polygons_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnShape", {"uQuarnGraphics", "Controls"}, InitQuarnShape, nullptr});
  RegisterUnit({"uQuarnSwitchButton", {"uQuarnResManager", "Controls"}, InitQuarnSwitchButton, nullptr});
  RegisterUnit({"uQuarnLine", {"uQuarnGraphics", "uQuarnResManager", "Controls"}, InitQuarnLine, nullptr});
  RegisterUnit({"uQuarnCalloutPanel", {"uQuarnPanel", "uQnPix32Lib"}, InitQuarnCalloutPanel, nullptr});
  RegisterUnit({"uQuarnToolbar", {"uQuarnPanel", "uQnCustomButton", "uSimpleTimer", "Menus"}, InitQuarnToolbar, nullptr});
  RegisterUnit({"uQuarnTabset", {"uQuarnToolbar"}, InitQuarnTabset, nullptr});
  RegisterUnit({"uQuarnIconButtonList", {"uQuarnPanel", "uQuarnScrollBar", "uQnPix32Lib", "uQuarnResManager", "Controls"},
                InitQuarnIconButtonList, nullptr});
  RegisterUnit({"uQuarnColorControls", {"Pix32_Polygons_qn"}, InitQuarnColorControls, nullptr});
  RegisterUnit({"uQuarnTagsBox", {"uQuarnColorControls", "uQuarnIconButtonList"}, InitQuarnTagsBox, nullptr});
  RegisterUnit({"uQuarnCountBar", {"uQuarnIconButtonList"}, InitQuarnCountBar, nullptr});
  RegisterUnit({"uQuarnCircleProgress", {"Pix32_Polygons_qn", "Controls"}, InitQuarnCircleProgress, nullptr});
  RegisterUnit({"uQuarnSpeedometer", {"uQuarnCircleProgress", "uSimpleTimer"},
                InitQuarnSpeedometer, nullptr});
  RegisterUnit({"uQuarnScrollMsgBar", {"Pix32_Image_qn", "uSimpleTimer", "Forms"}, InitQuarnScrollMsgBar, nullptr});
  RegisterUnit({"uQnTrayIcon", {"uQnSimpleTimer", "Forms", "Menus"}, InitQnTrayIcon,
                DoneQnTrayIcon});
  RegisterUnit({"uQuarnAnimation", {"uQnSimpleTimer", "Controls"}, InitQuarnAnimation, nullptr});
  RegisterUnit({"uQnQQAlign", {"Forms"}, InitQnQQAlign, nullptr});
  RegisterUnit({"uQuarnDragFile", {"Forms", "Pix32_Polygons_qn"}, InitQuarnDragFile, nullptr});
  RegisterUnit({"uQuarnAlphaForm", {"uQuarnForm", "uQnPix32Lib"}, InitQuarnAlphaForm, nullptr});
  RegisterUnit({"uQuarnNCMessage", {"uQuarnForm", "uSimpleTimer"}, InitQuarnNCMessage, nullptr});
  RegisterUnit({"uQuarnHint", {"uQuarnAlphaForm", "Forms"}, InitQuarnHint, DoneQuarnHint});
  RegisterUnit({"uQuarnImageSlider", {"uQuarnPanel", "uSimpleTimer", "uQnPix32Lib", "Pix32_Polygons_qn", "Forms"},
                InitQuarnImageSlider, nullptr});
  RegisterUnit({"uQuarnCircleShape", {"uQuarnPanel", "Gdiplus_qn", "Pix32_qn"}, InitQuarnCircleShape, nullptr});
  RegisterUnit({"uQuarnMarker", {"Gdiplus_qn", "Graphics"}, InitQuarnMarker, nullptr});
  RegisterUnit({"uQuarnPng", {"Classes"}, InitQuarnPng, nullptr});
}

}  // namespace qn
