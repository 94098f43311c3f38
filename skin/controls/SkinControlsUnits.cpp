// The standard skinned controls' units.
#include "platform/rtl/Units.h"
#include "skin/controls/uQnCustomButton.h"
#include "skin/controls/uQnHLSTrackBar.h"
#include "skin/controls/uQuarnBoxCtrls.h"
#include "skin/controls/uQuarnButton.h"
#include "skin/controls/uQuarnCheckBox.h"
#include "skin/controls/uQuarnEdit.h"
#include "skin/controls/uQuarnEditTips.h"
#include "skin/controls/uQuarnExpandBox.h"
#include "skin/controls/uQuarnHtmlLabel.h"
#include "skin/controls/uQuarnLabel.h"
#include "skin/controls/uQuarnListView.h"
#include "skin/controls/uQuarnMemo.h"
#include "skin/controls/uQuarnPanel.h"
#include "skin/controls/uQuarnPasswordEdit.h"
#include "skin/controls/uQuarnProgressBar.h"
#include "skin/controls/uQuarnRadioBox.h"
#include "skin/controls/uQuarnScrollBar.h"
#include "skin/controls/uQuarnScrollBox.h"
#include "skin/controls/uQuarnSearchEdit.h"
#include "skin/controls/uQuarnSizeGrip.h"
#include "skin/controls/uQuarnSpinEdit.h"
#include "skin/controls/uQuarnSplitter.h"
#include "skin/controls/uQuarnTabs.h"
#include "skin/controls/uQuarnTips.h"

namespace qn {

void RegisterSkinControlsUnits() {
  RegisterUnit({"uQuarnPanel", {"uQuarnResManager", "uQnPix32Lib"}, nullptr, nullptr});
  RegisterUnit({"uQuarnLabel", {"uQuarnPanel", "Pix32_Polygons_qn"}, nullptr, nullptr});
  RegisterUnit({"uQuarnBoxCtrls", {"uQuarnResManager", "Gdiplus_qn", "uQuarnScrollBar", "Controls"},
                +[] {
                  InitQuarnListBox();
                  InitQuarnComboBox();
                },
                nullptr});
  RegisterUnit({"uQnHLSTrackBar", {"uQuarnResManager", "Controls"}, InitQnHLSTrackBar, nullptr});
  RegisterUnit({"uQuarnExpandBox", {"uQuarnResManager", "Controls"}, InitQuarnExpandBox, nullptr});
  RegisterUnit({"uQuarnProgressBar", {"uQuarnResManager", "Controls"}, InitQuarnProgressBar, nullptr});
  RegisterUnit({"uQuarnTips", {"uQuarnResManager", "uSimpleTimer"}, InitQuarnTips, nullptr});
  RegisterUnit({"uQuarnEditTips", {"uQuarnTips"}, InitQuarnEditTips, nullptr});
  RegisterUnit({"uQuarnHtmlLabel", {"uQuarnLabel"}, InitQuarnHtmlLabel, nullptr});
  RegisterUnit({"uQnCustomButton", {"uQuarnResManager", "uSimpleTimer", "Menus", "Forms"}, nullptr, nullptr});
  RegisterUnit({"uQuarnButton", {"uQnCustomButton", "uQuarnLabel", "uQnPix32Lib"}, nullptr, nullptr});
  RegisterUnit({"uQuarnCheckBox", {"uQuarnResManager"}, nullptr, nullptr});
  RegisterUnit({"uQuarnRadioBox", {"uQuarnCheckBox"}, nullptr, nullptr});
  RegisterUnit({"uQuarnEdit", {"uQuarnEditTips", "uSimpleTimer", "Clipbrd"}, InitQuarnEdit, nullptr});
  RegisterUnit({"uQuarnSpinEdit", {"uQuarnEdit"}, InitQuarnSpinEdit, nullptr});
  RegisterUnit({"uQuarnSearchEdit", {"uQuarnEdit"}, InitQuarnSearchEdit, nullptr});
  RegisterUnit({"uQuarnPasswordEdit", {"uQuarnEdit"}, InitQuarnPasswordEdit, nullptr});
  RegisterUnit({"uQuarnScrollBar", {"uQuarnResManager", "Controls"}, InitQuarnScrollBar, nullptr});
  RegisterUnit({"uQuarnSplitter", {"uQuarnResManager", "Controls"}, InitQuarnSplitter, nullptr});
  RegisterUnit({"uQuarnListView", {"uQuarnScrollBar", "Controls"}, InitQuarnListView, nullptr});
  RegisterUnit({"uQuarnTabs", {"uQuarnResManager", "uQnPix32Lib", "Controls"}, InitQuarnTabs, nullptr});
  RegisterUnit({"uQuarnMemo", {"uQuarnScrollBar", "uQuarnPanel", "Clipbrd"}, InitQuarnMemo, nullptr});
  RegisterUnit({"uQuarnScrollBox", {"uQuarnScrollBar", "uQuarnPanel"}, InitQuarnScrollBox, nullptr});
  RegisterUnit({"uQuarnSizeGrip", {"uQuarnResManager", "Forms"}, InitQuarnSizeGrip, nullptr});
}

}  // namespace qn
