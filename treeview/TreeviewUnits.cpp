// The tree view layer's units.
#include "platform/rtl/Units.h"
#include "treeview/LazyTrees_qn.h"

namespace qn {

void RegisterTreeviewUnits() {
  RegisterUnit({"LazyTrees_qn", {}, InitLazyTrees, DoneLazyTrees});
}

}  // namespace qn
