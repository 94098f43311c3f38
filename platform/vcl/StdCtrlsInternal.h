// Host-internal: what the StdCtrls unit's list box and combo box share.
#pragma once

#include <functional>

#include "platform/user/ComboBox.h"  // ODS_COMBOBOXEDIT
#include "platform/vcl/StdCtrls.h"

namespace vcl::stdctrls_detail {

// Answers CN_DRAWITEM of an owner-drawn list: the item's state from the
// DRAWITEMSTRUCT, the control's font and brush on the canvas (the highlight
// colours when selected), Draw for an item or a plain fill for none, then the
// focus rectangle. The canvas lets go of the DC whichever way Draw ends.
void OwnerDrawItem(TControlCanvas* Canvas, TFont* Font, TBrush* Brush, TMessage& Message,
                   const std::function<void(Integer Index, TRect Rect, TOwnerDrawState State)>& Draw);

}  // namespace vcl::stdctrls_detail
