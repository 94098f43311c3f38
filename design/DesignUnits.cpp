#include "design/DesignUnits.h"

#include "design/frmAboutQuarn.h"
#include "design/frmQuarnResManager.h"
#include "design/uQnReg.h"
#include "platform/ide/DesignPackage.h"

namespace qn {

void RegisterDesignUnits() {
  vcl::RegisterDesignUnit({"frmQuarnResManager",
                           {"uQuarnResManager", "uQuarnLazyTree", "uQuarnPanel", "uQuarnScrollBar", "uQuarnSplitter",
                            "StdCtrls", "ActnList", "Menus", "Forms"},
                           InitQuarnResManagerUnit, FinalQuarnResManagerUnit});
  vcl::RegisterDesignUnit({"frmAboutQuarn", {"uQuarnPanel", "uQuarnColorButton", "ExtCtrls", "StdCtrls", "Forms"},
                           InitAboutQuarnUnit, FinalAboutQuarnUnit});
  vcl::RegisterDesignUnit({"uQnReg", {"frmAboutQuarn", "frmQuarnResManager", "Registry"}, InitQnRegUnit,
                           FinalQnRegUnit},
                          Register);
}

}  // namespace qn
