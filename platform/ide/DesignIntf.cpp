#include "platform/ide/DesignIntf.h"

#include <algorithm>
#include <climits>
#include <mutex>
#include <tuple>

#include "platform/ide/DesignEditors.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

namespace {

struct TPropertyEditorEntry {
  TTypeRef Type;
  TClass ComponentClass;
  String Name;
  TClass Editor;
};

struct TRegistry {
  std::vector<std::pair<String, std::vector<TClass>>> Pages;
  std::vector<std::pair<TClass, TClass>> ComponentEditors;
  std::vector<TPropertyEditorEntry> PropertyEditors;
  std::vector<IDesignNotification*> Listeners;
  std::vector<TDesigner*> Designers;
  std::vector<TEventRequest> EventRequests;
};

TRegistry& Reg() {
  static TRegistry r;
  return r;
}

// Steps from Class up to Ancestor; -1 when Ancestor is not one.
Integer Distance(TClass Class, TClass Ancestor) {
  Integer d = 0;
  for (TClass c = Class; c; c = c->ClassParent(), ++d)
    if (c == Ancestor) return d;
  return -1;
}

// The editors that come with the host: by type first, then by kind.
const std::vector<TPropertyEditorEntry>& BuiltIns() {
  static const std::vector<TPropertyEditorEntry> list = {
      {TTypeRef(tkInteger, u"TColor"), nullptr, String(), TColorProperty::StaticClass()},
      {TTypeRef(tkInteger, u"TCursor"), nullptr, String(), TCursorProperty::StaticClass()},
      {TypeRefOf<TFont*>(), nullptr, String(), TFontProperty::StaticClass()},
      {TTypeRef(tkUString, u"TComponentName"), TComponent::StaticClass(), u"Name",
       TComponentNameProperty::StaticClass()},
  };
  return list;
}

TClass KindEditor(const TPropType& t) {
  switch (t.Kind) {
    case tkInteger: return TIntegerProperty::StaticClass();
    case tkChar:
    case tkWChar: return TCharProperty::StaticClass();
    case tkEnumeration:
      return t.EnumType == QnEnumTypeInfo(static_cast<bool*>(nullptr)) ? TBoolProperty::StaticClass()
                                                                      : TEnumProperty::StaticClass();
    case tkInt64: return TInt64Property::StaticClass();
    case tkFloat: return TFloatProperty::StaticClass();
    case tkString:
    case tkLString:
    case tkWString:
    case tkUString: return TStringProperty::StaticClass();
    case tkSet: return TSetProperty::StaticClass();
    case tkClass:
      return t.ClassType && t.ClassType->InheritsFrom(TComponent::StaticClass()) ? TComponentProperty::StaticClass()
                                                                                 : TClassProperty::StaticClass();
    case tkMethod: return TMethodProperty::StaticClass();
    default: return TPropertyEditor::StaticClass();
  }
}

// The best of the matching entries, or nil.
TClass BestEditor(const std::vector<TPropertyEditorEntry>& list, TClass ComponentClass, const TPropInfo* Info) {
  using Key = std::tuple<Integer, Integer, Integer, Integer>;
  TClass best = nullptr;
  Key bestKey{};
  for (size_t i = 0; i < list.size(); ++i) {
    const auto& e = list[i];
    if (!e.Type.Matches(Info->PropType())) continue;
    Integer classRank = INT_MIN;
    if (e.ComponentClass) {
      Integer d = ComponentClass ? Distance(ComponentClass, e.ComponentClass) : -1;
      if (d < 0) continue;
      classRank = -d;
    }
    if (!e.Name.empty() && !SameText(e.Name, Info->Name())) continue;
    Integer typeRank = 0;
    if (e.Type.ClassType && Info->PropType().ClassType) typeRank = -Distance(Info->PropType().ClassType, e.Type.ClassType);
    Key k{classRank, e.Name.empty() ? 0 : 1, typeRank, Integer(i)};
    if (!best || k > bestKey) {
      best = e.Editor;
      bestKey = k;
    }
  }
  return best;
}

void Notify(const std::function<void(IDesignNotification*)>& f) {
  // A listener may unregister itself (or another) while being told.
  auto copy = Reg().Listeners;
  for (IDesignNotification* l : copy)
    if (std::find(Reg().Listeners.begin(), Reg().Listeners.end(), l) != Reg().Listeners.end()) f(l);
}

}  // namespace

// ---------------------------------------------------------------------------
// Palette

void RegisterComponents(const String& Page, const std::vector<TComponentClass>& Classes) {
  for (TClass c : Classes)
    if (!c || !c->InheritsFrom(TComponent::StaticClass()))
      throw EInvalidOperation(u"Only components can be put on the palette");
  auto& pages = Reg().Pages;
  auto it = std::find_if(pages.begin(), pages.end(), [&](const auto& p) { return p.first == Page; });
  if (it == pages.end()) {
    pages.emplace_back(Page, std::vector<TClass>());
    it = pages.end() - 1;
  }
  for (TClass c : Classes) {
    it->second.push_back(c);
    RegisterClass(c);
  }
}

void RegisterComponents(const String& Page, std::initializer_list<TComponentClass> Classes) {
  RegisterComponents(Page, std::vector<TComponentClass>(Classes));
}

std::vector<String> Pages() {
  std::vector<String> r;
  for (const auto& p : Reg().Pages) r.push_back(p.first);
  return r;
}

std::vector<TComponentClass> PaletteClasses(const String& Page) {
  for (const auto& p : Reg().Pages)
    if (p.first == Page) return p.second;
  return {};
}

// ---------------------------------------------------------------------------
// Types

TTypeRef::TTypeRef(TClass AClass) : Kind(tkClass), Name(AClass ? AClass->ClassName() : String()), ClassType(AClass) {}

bool TTypeRef::Matches(const TPropType& T) const {
  if (ClassType) return T.Kind == tkClass && T.ClassType && T.ClassType->InheritsFrom(ClassType);
  if (T.Kind != Kind) return false;
  return SameText(T.Name, Name);
}

// ---------------------------------------------------------------------------
// Editors

void RegisterComponentEditor(TComponentClass ComponentClass, TComponentEditorClass EditorClass) {
  if (!ComponentClass || !EditorClass || !EditorClass->InheritsFrom(TComponentEditor::StaticClass()) ||
      !EditorClass->CanCreate())
    throw EInvalidOperation(u"Invalid component editor registration");
  Reg().ComponentEditors.emplace_back(ComponentClass, EditorClass);
}

std::unique_ptr<TComponentEditor> GetComponentEditor(TComponent* Component, IDesigner* Designer) {
  TClass editor = TDefaultEditor::StaticClass();
  if (Component) {
    Integer bestDistance = INT_MAX;
    for (const auto& [cls, ed] : Reg().ComponentEditors) {
      Integer d = Distance(Component->ClassType(), cls);
      // Ties go to the later registration.
      if (d >= 0 && d <= bestDistance) {
        bestDistance = d;
        editor = ed;
      }
    }
  }
  TComponentEditorArgs args;
  args.Component = Component;
  args.Designer = Designer;
  return std::unique_ptr<TComponentEditor>(static_cast<TComponentEditor*>(editor->Create(&args)));
}

void RegisterPropertyEditor(const TTypeRef& PropertyType, TClass ComponentClass, const String& PropertyName,
                            TPropertyEditorClass EditorClass) {
  if (!EditorClass || !EditorClass->InheritsFrom(TPropertyEditor::StaticClass()) || !EditorClass->CanCreate())
    throw EInvalidOperation(u"Invalid property editor registration");
  if (PropertyType.Kind == tkUnknown) throw EInvalidOperation(u"A property editor needs a property type");
  Reg().PropertyEditors.push_back({PropertyType, ComponentClass, PropertyName, EditorClass});
}

TPropertyEditorClass GetPropertyEditorClass(TClass ComponentClass, const TPropInfo* PropInfo) {
  if (!PropInfo) return nullptr;
  if (TClass c = BestEditor(Reg().PropertyEditors, ComponentClass, PropInfo)) return c;
  if (TClass c = BestEditor(BuiltIns(), ComponentClass, PropInfo)) return c;
  return KindEditor(PropInfo->PropType());
}

std::unique_ptr<TPropertyEditor> CreatePropertyEditor(IDesigner* Designer, const TDesignerSelections& Selection,
                                                      const TPropInfo* PropInfo) {
  if (Selection.empty() || !PropInfo) throw EInvalidOperation(u"A property editor needs a property to edit");
  TClass cls = GetPropertyEditorClass(Selection[0]->ClassType(), PropInfo);
  TPropertyEditorArgs args;
  args.Designer = Designer;
  args.Selection = Selection;
  args.PropInfo = PropInfo;
  return std::unique_ptr<TPropertyEditor>(static_cast<TPropertyEditor*>(cls->Create(&args)));
}

void ResetRegistrations() {
  Reg().Pages.clear();
  Reg().ComponentEditors.clear();
  Reg().PropertyEditors.clear();
}

// ---------------------------------------------------------------------------
// Designer

void RegisterDesignNotification(IDesignNotification* Notification) {
  auto& l = Reg().Listeners;
  if (Notification && std::find(l.begin(), l.end(), Notification) == l.end()) l.push_back(Notification);
}

void UnregisterDesignNotification(IDesignNotification* Notification) {
  auto& l = Reg().Listeners;
  l.erase(std::remove(l.begin(), l.end(), Notification), l.end());
}

// Hears of every watched component that goes.
class TDesigner::TWatcher : public TComponent {
 public:
  explicit TWatcher(TDesigner* D) : TComponent(nullptr), FDesigner(D) {}

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    TComponent::Notification(AComponent, Operation);
    if (Operation == opRemove && AComponent != this) FDesigner->Gone(AComponent);
  }

 private:
  TDesigner* FDesigner;
};

// What the root form's components reach through the form's Designer.
class TDesigner::THook : public IDesignerHook {
 public:
  explicit THook(TDesigner* D) : FDesigner(D) {}
  void Modified() override { FDesigner->Modified(); }

 private:
  TDesigner* FDesigner;
};

TDesigner::TDesigner(TComponent* ARoot)
    : FRoot(ARoot), FWatcher(std::make_unique<TWatcher>(this)), FHook(std::make_unique<THook>(this)) {
  if (!ARoot) throw EInvalidOperation(u"A designer needs a root component");
  if (Find(ARoot) && Find(ARoot)->Root() == ARoot) throw EInvalidOperation(u"The component already has a designer");
  if (auto* form = dynamic_cast<TCustomForm*>(ARoot)) form->SetDesigner(FHook.get());
  FRoot->SetDesigning(true);
  Watch(FRoot);
  for (Integer i = 0; i < FRoot->ComponentCount(); ++i) Watch(FRoot->Components(i));
  Reg().Designers.push_back(this);
  Notify([&](IDesignNotification* l) { l->DesignerOpened(this, false); });
}

TDesigner::~TDesigner() {
  try {
    Notify([&](IDesignNotification* l) { l->DesignerClosed(this, false); });
  } catch (...) {
  }
  for (TComponentEditor* e : FEditors) e->FWatchedBy = nullptr;
  auto& d = Reg().Designers;
  d.erase(std::remove(d.begin(), d.end(), this), d.end());
  // The form outlives its designer: it must not keep reporting to it.
  if (auto* form = dynamic_cast<TCustomForm*>(FRoot); form && form->Designer() == FHook.get())
    form->SetDesigner(nullptr);
  if (FRoot && !FRoot->ComponentState().Contains(csDestroying)) FRoot->SetDesigning(false);
}

TDesigner* TDesigner::Find(TComponent* Component) {
  for (TComponent* c = Component; c; c = c->Owner())
    for (TDesigner* d : Reg().Designers)
      if (d->FRoot == c) return d;
  return nullptr;
}

void TDesigner::Watch(TComponent* C) {
  if (C) C->FreeNotification(FWatcher.get());
}

void TDesigner::AddEditor(TComponentEditor* Editor) {
  FEditors.push_back(Editor);
  Editor->FWatchedBy = this;
}

void TDesigner::RemoveEditor(TComponentEditor* Editor) {
  FEditors.erase(std::remove(FEditors.begin(), FEditors.end(), Editor), FEditors.end());
}

void TDesigner::Gone(TComponent* C) {
  // Everything that could read the component lets go of it first.
  for (TComponentEditor* e : FEditors)
    if (e->Component() == C) e->ComponentGone();
  TDesignerSelections kept;
  for (TPersistent* p : FSelection)
    if (p != C) kept.push_back(p);
  bool selectionChanged = kept.size() != FSelection.size();
  FSelection = std::move(kept);
  if (C == FRoot) FRoot = nullptr;
  Notify([&](IDesignNotification* l) { l->ItemDeleted(this, C); });
  if (selectionChanged) Notify([&](IDesignNotification* l) { l->SelectionChanged(this, FSelection); });
}

String TDesigner::UniqueName(const String& BaseName) {
  String base = BaseName;
  if (base.size() > 1 && (base[0] == u'T' || base[0] == u't')) base.erase(0, 1);
  if (!FRoot) return base + u"1";
  for (Integer n = 1;; ++n) {
    String name = base + IntToStr(n);
    if (!FRoot->FindComponent(name) && !SameText(FRoot->Name(), name)) return name;
  }
}

void TDesigner::Modified() {
  ++FModifiedCount;
  Notify([&](IDesignNotification* l) { l->ItemsModified(this); });
}

TComponent* TDesigner::CreateComponent(TComponentClass ComponentClass, TComponent* Parent, const TRect& Rect) {
  if (!FRoot) throw EInvalidOperation(u"The designer's root is gone");
  if (!ComponentClass || !ComponentClass->InheritsFrom(TComponent::StaticClass()) || !ComponentClass->CanCreate())
    throw EInvalidOperation(u"Cannot create a component of that class");
  TComponent* c = vcl::CreateComponent(ComponentClass, FRoot);
  try {
    c->SetName(UniqueName(ComponentClass->ClassName()));
    if (auto* control = dynamic_cast<TControl*>(c)) {
      if (auto* parent = dynamic_cast<TWinControl*>(Parent ? Parent : FRoot)) control->SetParent(parent);
      if (Rect.Width() > 0 && Rect.Height() > 0) control->SetBoundsRect(Rect);
      else control->SetBounds(Rect.Left, Rect.Top, control->Width(), control->Height());
    }
  } catch (...) {
    delete c;
    throw;
  }
  Watch(c);
  Notify([&](IDesignNotification* l) { l->ItemInserted(this, c); });
  Modified();
  return c;
}

TComponent* TDesigner::GetComponent(const String& Name) {
  if (!FRoot) return nullptr;
  if (!Name.empty() && SameText(FRoot->Name(), Name)) return FRoot;
  return FRoot->FindComponent(Name);
}

void TDesigner::ChangeSelection(TDesignerSelections List) {
  for (TPersistent* p : List)
    if (auto* c = dynamic_cast<TComponent*>(p)) Watch(c);
  if (List == FSelection) return;
  FSelection = std::move(List);
  Notify([&](IDesignNotification* l) { l->SelectionChanged(this, FSelection); });
}

void TDesigner::SelectComponent(TPersistent* Instance) {
  TDesignerSelections l;
  if (Instance) l.push_back(Instance);
  ChangeSelection(std::move(l));
}

void TDesigner::GetSelections(TDesignerSelections& List) { List = FSelection; }

void TDesigner::SetSelections(const TDesignerSelections& List) {
  TDesignerSelections l;
  for (TPersistent* p : List)
    if (p && std::find(l.begin(), l.end(), p) == l.end()) l.push_back(p);
  ChangeSelection(std::move(l));
}

void TDesigner::DeleteSelection() {
  std::vector<TComponent*> doomed;
  for (TPersistent* p : FSelection)
    if (auto* c = dynamic_cast<TComponent*>(p); c && c != FRoot) doomed.push_back(c);
  if (doomed.empty()) return;
  for (TComponent* c : doomed) {
    // One freed earlier may have taken this one with it.
    if (std::find(FSelection.begin(), FSelection.end(), c) == FSelection.end()) continue;
    delete c;
  }
  if (FRoot) SelectComponent(FRoot);
  Modified();
}

// ---------------------------------------------------------------------------
// Default events

std::vector<TEventRequest> DefaultEventRequests() { return Reg().EventRequests; }
void ClearDefaultEventRequests() { Reg().EventRequests.clear(); }
void RecordDefaultEventRequest(const TEventRequest& Request) { Reg().EventRequests.push_back(Request); }

}  // namespace vcl
