// uQnFormBorder: the layered image border of a skinned form. Form-skin
// settings refer to it (ImageBorder) before it draws anything; the four
// layer windows come with the title-bar work.
#pragma once

#include "platform/classes/Component.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

class TQnFormLayerBorder : public TComponent {
  QN_CLASS_CREATE(TQnFormLayerBorder, TComponent, TComponent)
 public:
  explicit TQnFormLayerBorder(TComponent* AOwner) : TComponent(AOwner) {}
};

}  // namespace qn
