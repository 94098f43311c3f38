// The tree view layer's units.
#include "platform/rtl/Units.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/VTAccessibilityFactory_qn.h"
#include "treeview/uQuarnLazyTree.h"

namespace qn {

void RegisterTreeviewUnits() {
  RegisterUnit({"LazyTrees_qn", {}, InitLazyTrees, DoneLazyTrees});
  RegisterUnit({"VTAccessibilityFactory_qn", {"LazyTrees_qn"}, InitVTAccessibilityFactory,
                DoneVTAccessibilityFactory});
  RegisterUnit({"uQuarnLazyTree", {"LazyTrees_qn", "uQuarnScrollBar", "uQuarnPanel"}, InitQuarnLazyTree, nullptr});
}

}  // namespace qn
