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

bool TClipboardFormats::Accepts(const String& S) const {
  const TClipboardFormatListEntry* e = ClipboardFormatList()->FindFormat(S);
  return e && FOwner && e->OfferedBy(FOwner->ClassType());
}

Integer TClipboardFormats::Add(const String& S) { return Accepts(S) ? inherited::Add(S) : -1; }

// Assign and AddStrings come through here: names they bring are checked too.
Integer TClipboardFormats::AddObject(const String& S, TObject* AObject) {
  return Accepts(S) ? inherited::AddObject(S, AObject) : -1;
}

void TClipboardFormats::Insert(Integer Index, const String& S) {
  if (Accepts(S)) inherited::Insert(Index, S);
}

void TBaseLazyTree_qn::SetClipboardFormats(TClipboardFormats* Value) {
  if (Value == FClipboardFormats.get()) return;
  // Through Add, so that names not registered for this tree's class drop out.
  FClipboardFormats->BeginUpdate();
  try {
    FClipboardFormats->Clear();
    if (Value)
      for (Integer i = 0; i < Value->Count(); ++i) FClipboardFormats->Add(Value->Strings(i));
  } catch (...) {
    FClipboardFormats->EndUpdate();
    throw;
  }
  FClipboardFormats->EndUpdate();
}

void TBaseLazyTree_qn::EmptyClipboardMarks() {
  for (PLazyNode n = GetFirstNoInit(false); n; n = GetNextNoInit(n, false)) n->States.Exclude(vsCutOrCopy);
}

}  // namespace qn
