#include "platform/ide/Inspector.h"

#include <algorithm>

#include "platform/rtl/SysUtils.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Rows

// Holds the inspector's gesture depth for the length of a scope.
struct TInspectorGesture {
  TInspector* I;
  explicit TInspectorGesture(TInspector* AI) : I(AI) { I->Enter(); }
  ~TInspectorGesture() { I->Leave(); }
};

TInspectorRow::TInspectorRow(TInspector* AInspector, std::unique_ptr<TPropertyEditor> AEditor, Integer ALevel,
                             const String& APath)
    : FInspector(AInspector), FEditor(std::move(AEditor)), FLevel(ALevel) {
  FName = FEditor->GetName();
  FPath = APath.empty() ? FName : APath + u"." + FName;
  FTypeName = FEditor->PropType().Name;
  Refresh();
}

void TInspectorRow::Refresh() {
  if (FEditor->PropCount() == 0) return;
  FAttributes = FEditor->GetAttributes();
  FValue = FEditor->AllEqual() ? FEditor->GetValue() : String();
  for (auto& c : FChildren) c->Refresh();
}

void TInspectorRow::Forget(TPersistent* Instance) {
  FEditor->RemoveComponent(Instance);
  for (auto& c : FChildren) c->Forget(Instance);
}

void TInspectorRow::Expand() {
  if (!FAttributes.Contains(paSubProperties)) throw EInvalidOperation(u"Property " + FName + u" has no sub-properties");
  if (FExpanded) return;
  FChildren.clear();
  FEditor->GetProperties([&](std::unique_ptr<TPropertyEditor> p) {
    FChildren.push_back(std::make_unique<TInspectorRow>(FInspector, std::move(p), FLevel + 1, FPath));
  });
  FExpanded = true;
}

void TInspectorRow::Collapse() {
  FChildren.clear();
  FExpanded = false;
}

std::vector<String> TInspectorRow::ValueList() {
  std::vector<String> r;
  if (!FAttributes.Contains(paValueList)) return r;
  FEditor->GetValues([&](const String& s) { r.push_back(s); });
  if (FAttributes.Contains(paSortList))
    std::stable_sort(r.begin(), r.end(), [](const String& a, const String& b) { return CompareText(a, b) < 0; });
  return r;
}

void TInspectorRow::Type(const String& Text) {
  if (FAttributes.Contains(paReadOnly)) throw EPropertyError(u"Property " + FName + u" is read-only");
  TInspector* inspector = FInspector;
  TInspectorGesture g(inspector);
  FEditor->SetValue(Text);
  inspector->Refresh();
}

void TInspectorRow::ClickEllipsis() {
  if (!FAttributes.Contains(paDialog)) throw EInvalidOperation(u"Property " + FName + u" has no dialog");
  TInspector* inspector = FInspector;
  TInspectorGesture g(inspector);
  FEditor->Edit();
  inspector->Refresh();
}

// ---------------------------------------------------------------------------
// Inspector

TInspector::TInspector(IDesigner* ADesigner) : FDesigner(ADesigner) {
  if (!ADesigner) throw EInvalidOperation(u"An inspector needs a designer");
  RegisterDesignNotification(this);
}

TInspector::~TInspector() {
  UnregisterDesignNotification(this);
  FDepth = 0;
  Clear();
}

void TInspector::Clear() {
  for (auto& r : FRows) FRetiredRows.push_back(std::move(r));
  for (auto& r : FEvents) FRetiredRows.push_back(std::move(r));
  if (FComponentEditor) FRetiredEditors.push_back(std::move(FComponentEditor));
  FRows.clear();
  FEvents.clear();
  if (FDepth == 0) {
    FRetiredRows.clear();
    FRetiredEditors.clear();
  }
}

void TInspector::Leave() {
  if (--FDepth > 0) return;
  FRetiredRows.clear();
  FRetiredEditors.clear();
}


void TInspector::Select(const TDesignerSelections& Components) {
  if (!FDesigner) throw EInvalidOperation(u"The inspector's designer is closed");
  FBuilding = true;
  try {
    FDesigner->SetSelections(Components);
  } catch (...) {
    FBuilding = false;
    throw;
  }
  FBuilding = false;
  TDesignerSelections sel;
  FDesigner->GetSelections(sel);
  Build(sel);
}

void TInspector::Build(const TDesignerSelections& Components) {
  Clear();
  FSelection = Components;
  if (FSelection.empty()) return;
  TPersistent* first = FSelection[0];
  for (const TPropInfo* info : GetPropInfos(first)) {
    bool common = std::all_of(FSelection.begin() + 1, FSelection.end(), [&](TPersistent* o) {
      const TPropInfo* other = GetPropInfo(o, info->Name());
      return other && other->Kind() == info->Kind() && other->PropType().Name == info->PropType().Name;
    });
    if (!common) continue;
    auto editor = CreatePropertyEditor(FDesigner, FSelection, info);
    if (FSelection.size() > 1 && !editor->GetAttributes().Contains(paMultiSelect)) continue;
    auto row = std::make_unique<TInspectorRow>(this, std::move(editor), 0, String());
    (info->Kind() == tkMethod ? FEvents : FRows).push_back(std::move(row));
  }
  if (auto* c = dynamic_cast<TComponent*>(first)) FComponentEditor = GetComponentEditor(c, FDesigner);
}

std::vector<TInspectorRow*> TInspector::Rows() const {
  std::vector<TInspectorRow*> r;
  auto add = [&](auto&& self, const std::vector<std::unique_ptr<TInspectorRow>>& rows) -> void {
    for (auto& row : rows) {
      r.push_back(row.get());
      if (row->Expanded()) self(self, row->Children());
    }
  };
  add(add, FRows);
  return r;
}

std::vector<TInspectorRow*> TInspector::Events() const {
  std::vector<TInspectorRow*> r;
  for (auto& row : FEvents) r.push_back(row.get());
  return r;
}

TInspectorRow* TInspector::Row(const String& Path) const {
  for (TInspectorRow* r : Rows())
    if (SameText(r->Path(), Path)) return r;
  return nullptr;
}

TInspectorRow* TInspector::Event(const String& Name) const {
  for (auto& r : FEvents)
    if (SameText(r->Name(), Name)) return r.get();
  return nullptr;
}

std::vector<String> TInspector::Verbs() {
  std::vector<String> r;
  if (!FComponentEditor) return r;
  for (Integer i = 0; i < FComponentEditor->GetVerbCount(); ++i) r.push_back(FComponentEditor->GetVerb(i));
  return r;
}

void TInspector::ExecuteVerb(Integer Index) {
  if (!FComponentEditor || Index < 0 || Index >= FComponentEditor->GetVerbCount())
    throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  TInspectorGesture g(this);
  FComponentEditor->ExecuteVerb(Index);
  Refresh();
}

void TInspector::DoubleClick() {
  TInspectorGesture g(this);
  if (FComponentEditor) FComponentEditor->Edit();
  Refresh();
}

void TInspector::Refresh() {
  for (auto& r : FRows) r->Refresh();
  for (auto& r : FEvents) r->Refresh();
}

void TInspector::ItemDeleted(IDesigner* ADesigner, TPersistent* AItem) {
  if (ADesigner != FDesigner) return;
  if (std::find(FSelection.begin(), FSelection.end(), AItem) == FSelection.end()) return;
  TDesignerSelections kept;
  for (TPersistent* p : FSelection)
    if (p != AItem) kept.push_back(p);
  // The rows may reach into the component (its font, say): they go
  // before anything reads them again.
  Build(kept);
}

void TInspector::ItemsModified(IDesigner* ADesigner) {
  if (ADesigner == FDesigner && !FBuilding) Refresh();
}

void TInspector::SelectionChanged(IDesigner* ADesigner, const TDesignerSelections& ASelection) {
  if (ADesigner == FDesigner && !FBuilding && ASelection != FSelection) Build(ASelection);
}

void TInspector::DesignerClosed(IDesigner* ADesigner, bool) {
  if (ADesigner != FDesigner) return;
  Clear();
  FSelection.clear();
  FDesigner = nullptr;
}

}  // namespace vcl
