#include "design/DesignUnits.h"

#include "design/frmQuarnResManager.h"
#include "platform/ide/DesignPackage.h"

namespace qn {

void RegisterDesignUnits() {
  vcl::RegisterDesignUnit({"frmQuarnResManager",
                           {"uQuarnResManager", "uQuarnLazyTree", "uQuarnPanel", "uQuarnScrollBar", "uQuarnSplitter",
                            "StdCtrls", "ActnList", "Menus", "Forms"},
                           InitQuarnResManagerUnit, FinalQuarnResManagerUnit});
}

}  // namespace qn
