// Hooks of the search, hint, clipboard and editor code, answered with
// their neutral behaviour by the base tree.
#include "treeview/LazyTrees_qn.h"

namespace qn {

Integer TBaseLazyTree_qn::DoIncrementalSearch(PLazyNode Node, const String& Text) {
  Integer result = 0;
  if (Assigned(OnIncrementalSearch)) OnIncrementalSearch(this, Node, Text, result);
  return result;
}

String TBaseLazyTree_qn::DoGetNodeHint(PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle& LineBreakStyle) {
  LineBreakStyle = hlbDefault;
  return Hint();
}

String TBaseLazyTree_qn::DoGetNodeTooltip(PLazyNode, TColumnIndex, TVTTooltipLineBreakStyle& LineBreakStyle) {
  LineBreakStyle = hlbDefault;
  return Hint();
}

void TBaseLazyTree_qn::GetTextInfo(PLazyNode, TColumnIndex, TFont* AFont, TRect& R, String& Text) {
  R = TRect();
  Text.clear();
  AFont->Assign(Font());
  Canvas()->Font()->Assign(AFont);
}

TClipboardFormats::TClipboardFormats(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {
  SetSorted(true);
  SetDuplicates(TDuplicates::dupIgnore);
}

void TBaseLazyTree_qn::SetClipboardFormats(TClipboardFormats* Value) {
  if (Value != FClipboardFormats.get()) FClipboardFormats->Assign(Value);
}

void TBaseLazyTree_qn::EmptyClipboardMarks() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) n->States.Exclude(vsCutOrCopy);
}

}  // namespace qn
