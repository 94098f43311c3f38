#include "platform/ide/DesignEditors.h"

#include <algorithm>
#include <mutex>

#include "platform/classes/Collection.h"
#include "platform/classes/Streaming.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Cursors.h"
#include "platform/vcl/Dialogs.h"
#include "platform/vcl/Graphics.h"

namespace vcl {

namespace {

[[noreturn]] void InvalidValue() { throw EPropertyError(u"Invalid property value"); }

TFontEditHook& FontHook() {
  static TFontEditHook h;
  return h;
}

struct TCollectionCalls {
  TCollectionEditorHook Hook;
  std::vector<TCollectionEditorCall> Calls;
};
TCollectionCalls& Collections() {
  static TCollectionCalls c;
  return c;
}

// The component whose published methods events are bound to: the
// designer's root, else the owner of the edited component.
TObject* MethodRoot(IDesigner* Designer, TPersistent* Instance) {
  if (Designer && Designer->Root()) return Designer->Root();
  if (auto* c = dynamic_cast<TComponent*>(Instance)) return c->Owner() ? c->Owner() : c;
  return Instance;
}

struct TMethodLister {};

}  // namespace

// The published-class table lists its methods only to its publishers; the
// inspector's drop-down of handlers reads them through one of its own.
template <>
class TPublisher<TMethodLister> {
 public:
  static std::vector<const TMethodInfo*> Own(const TPublishedClass* Class) {
    std::vector<const TMethodInfo*> r;
    for (auto& m : Class->FMethods) r.push_back(m.get());
    return r;
  }
};

// ---------------------------------------------------------------------------
// Component editors

TComponentEditor::TComponentEditor(TComponent* AComponent, IDesigner* ADesigner)
    : FComponent(AComponent), FDesigner(ADesigner) {
  if (auto* d = dynamic_cast<TDesigner*>(ADesigner)) d->AddEditor(this);
}

TComponentEditor::~TComponentEditor() {
  if (FWatchedBy) FWatchedBy->RemoveEditor(this);
}

Integer TComponentEditor::GetVerbCount() { return 0; }
String TComponentEditor::GetVerb(Integer) { return String(); }
void TComponentEditor::ExecuteVerb(Integer) {}

void TComponentEditor::Edit() {
  if (FComponent && GetVerbCount() > 0) ExecuteVerb(0);
}

void TDefaultEditor::Edit() {
  TComponent* c = Component();
  if (!c) return;
  auto events = GetPropList(c, {tkMethod});
  if (events.empty()) return;
  const TPropInfo* chosen = events[0];
  for (const char16_t* name : {u"OnCreate", u"OnChange", u"OnClick"}) {
    auto it = std::find_if(events.begin(), events.end(), [&](const TPropInfo* p) { return SameText(p->Name(), name); });
    if (it != events.end()) {
      chosen = *it;
      break;
    }
  }
  String event = chosen->Name();
  String stem = event.size() > 2 && SameText(event.substr(0, 2), u"On") ? event.substr(2) : event;
  RecordDefaultEventRequest({c->Name(), event, c->Name() + stem});
}

// ---------------------------------------------------------------------------
// Property editors

TPropertyEditor::TPropertyEditor(IDesigner* ADesigner, const TDesignerSelections& ASelection,
                                 const TPropInfo* APropInfo)
    : FDesigner(ADesigner), FSelection(ASelection), FPropInfo(APropInfo) {
  if (FSelection.empty() || !FPropInfo) throw EInvalidOperation(u"A property editor needs a property to edit");
}

TPropertyAttributes TPropertyEditor::GetAttributes() { return {paRevertable, paReadOnly}; }
String TPropertyEditor::GetValue() { return u"(unknown)"; }
void TPropertyEditor::SetValue(const String&) { InvalidValue(); }
void TPropertyEditor::GetValues(const std::function<void(const String&)>&) {}
void TPropertyEditor::Edit() {}
void TPropertyEditor::GetProperties(const TGetPropProc&) {}
String TPropertyEditor::GetName() { return FPropInfo->Name(); }

bool TPropertyEditor::AllEqual() {
  if (FSelection.size() < 2) return true;
  String first = GetValue();
  // Compared through each one's own text, as the inspector would show it.
  for (size_t i = 1; i < FSelection.size(); ++i) {
    TPropertyEditorArgs args;
    args.Designer = FDesigner;
    args.Selection = {FSelection[i]};
    args.PropInfo = InfoOf(Integer(i));
    std::unique_ptr<TPropertyEditor> one(static_cast<TPropertyEditor*>(ClassType()->Create(&args)));
    if (one->GetValue() != first) return false;
  }
  return true;
}

TPersistent* TPropertyEditor::GetComponent(Integer Index) const {
  if (Index < 0 || Index >= PropCount()) throw EListError(u"List index out of bounds (" + IntToStr(Index) + u")");
  return FSelection[size_t(Index)];
}

const TPropInfo* TPropertyEditor::InfoOf(Integer Index) const {
  TPersistent* p = GetComponent(Index);
  if (Index == 0) return FPropInfo;
  const TPropInfo* info = vcl::GetPropInfo(p, FPropInfo->Name());
  if (!info) throw EPropertyError(u"Unknown property: " + FPropInfo->Name());
  return info;
}

void TPropertyEditor::Modified() {
  ++FModifiedCount;
  if (FDesigner) FDesigner->Modified();
}

void TPropertyEditor::RemoveComponent(TPersistent* Instance) {
  FSelection.erase(std::remove(FSelection.begin(), FSelection.end(), Instance), FSelection.end());
}

TPropValue TPropertyEditor::GetPropValueAt(Integer Index) { return InfoOf(Index)->GetValue(GetComponent(Index)); }

Int64 TPropertyEditor::GetOrdValueAt(Integer Index) {
  TPropValue v = GetPropValueAt(Index);
  if (v.Kind != TPropValue::TKind::Ordinal) InvalidValue();
  return v.Ordinal;
}
String TPropertyEditor::GetStrValueAt(Integer Index) {
  TPropValue v = GetPropValueAt(Index);
  if (v.Kind != TPropValue::TKind::Str) InvalidValue();
  return v.Str;
}
Extended TPropertyEditor::GetFloatValueAt(Integer Index) {
  TPropValue v = GetPropValueAt(Index);
  if (v.Kind != TPropValue::TKind::Float) InvalidValue();
  return v.Float;
}
TObject* TPropertyEditor::GetObjectValueAt(Integer Index) {
  TPropValue v = GetPropValueAt(Index);
  if (v.Kind != TPropValue::TKind::Object) InvalidValue();
  return v.Object;
}

void TPropertyEditor::SetOrdValue(Int64 Value) { SetPropValueAll(TPropValue::FromOrdinal(Value)); }
void TPropertyEditor::SetStrValue(const String& Value) { SetPropValueAll(TPropValue::FromString(Value)); }
void TPropertyEditor::SetFloatValue(Extended Value) { SetPropValueAll(TPropValue::FromFloat(Value)); }
void TPropertyEditor::SetObjectValue(TObject* Value) { SetPropValueAll(TPropValue::FromObject(Value)); }

void TPropertyEditor::SetPropValueAll(const TPropValue& Value) {
  if (!FPropInfo->IsWritable()) throw EPropertyError(u"Property " + FPropInfo->Name() + u" is read-only");
  // All or nothing: a component that refuses the value puts back the ones
  // already set.
  std::vector<TPropValue> old;
  for (Integer i = 0; i < PropCount(); ++i) old.push_back(GetPropValueAt(i));
  Integer done = 0;
  try {
    for (; done < PropCount(); ++done) InfoOf(done)->SetValue(GetComponent(done), Value);
  } catch (...) {
    for (Integer i = 0; i < done; ++i) {
      try {
        InfoOf(i)->SetValue(GetComponent(i), old[size_t(i)]);
      } catch (...) {
      }
    }
    throw;
  }
  Modified();
}

// --- Ordinals

TPropertyAttributes TOrdinalProperty::GetAttributes() { return {paMultiSelect, paRevertable}; }

// Integer types whose values have names (charsets, say) show and take the
// names the form files use.
String TIntegerProperty::GetValue() {
  Int64 v = GetOrdValue();
  String ident;
  if (TIntToIdent toIdent = FindIntToIdent(PropType().Name); toIdent && toIdent(Integer(v), ident)) return ident;
  return IntToStr(v);
}

void TIntegerProperty::SetValue(const String& Value) {
  Int64 v;
  Integer named;
  if (TIdentToInt toInt = FindIdentToInt(PropType().Name); toInt && toInt(Trim(Value), named)) v = named;
  else if (!TryStrToInt64(Trim(Value), v)) InvalidValue();
  const TPropType& t = PropType();
  if (t.MinValue < t.MaxValue && (v < t.MinValue || v > t.MaxValue))
    throw EPropertyError(Format(u"Value must be between %d and %d", {t.MinValue, t.MaxValue}));
  SetOrdValue(v);
}

String TCharProperty::GetValue() {
  Int64 c = GetOrdValue();
  if (c > 32 && c != 127 && c < 0xD800) return String(1, Char(c));
  return u"#" + IntToStr(c);
}

void TCharProperty::SetValue(const String& Value) {
  Int64 c;
  if (Value.size() == 1) c = Value[0];
  else if (Value.size() > 1 && Value[0] == u'#' && TryStrToInt64(Value.substr(1), c)) {
  } else {
    InvalidValue();
  }
  if (c < 0 || c > PropType().MaxValue) InvalidValue();
  SetOrdValue(c);
}

TPropertyAttributes TEnumProperty::GetAttributes() { return {paMultiSelect, paValueList, paSortList, paRevertable}; }

String TEnumProperty::GetValue() {
  Int64 v = GetOrdValue();
  String n = PropType().EnumType ? GetEnumName(PropType().EnumType, Integer(v)) : String();
  return n.empty() ? IntToStr(v) : n;
}

void TEnumProperty::SetValue(const String& Value) {
  if (!PropType().EnumType) InvalidValue();
  Integer v = GetEnumValue(PropType().EnumType, Trim(Value));
  if (v < 0) InvalidValue();
  SetOrdValue(v);
}

void TEnumProperty::GetValues(const std::function<void(const String&)>& Proc) {
  if (!PropType().EnumType) return;
  for (const String& n : PropType().EnumType->Names()) Proc(n);
}

TPropertyAttributes TInt64Property::GetAttributes() { return {paMultiSelect, paRevertable}; }
String TInt64Property::GetValue() { return IntToStr(GetInt64Value()); }
void TInt64Property::SetValue(const String& Value) {
  Int64 v;
  if (!TryStrToInt64(Trim(Value), v)) InvalidValue();
  SetInt64Value(v);
}

TPropertyAttributes TFloatProperty::GetAttributes() { return {paMultiSelect, paRevertable}; }
String TFloatProperty::GetValue() { return FloatToStr(GetFloatValue()); }
void TFloatProperty::SetValue(const String& Value) {
  Extended v;
  if (!TryStrToFloat(Trim(Value), v)) InvalidValue();
  SetFloatValue(v);
}
bool TFloatProperty::AllEqual() {
  Extended first = GetFloatValue();
  for (Integer i = 1; i < PropCount(); ++i)
    if (GetFloatValueAt(i) != first) return false;
  return true;
}

TPropertyAttributes TStringProperty::GetAttributes() { return {paMultiSelect, paRevertable}; }
String TStringProperty::GetValue() { return GetStrValue(); }
void TStringProperty::SetValue(const String& Value) { SetStrValue(Value); }

TPropertyAttributes TComponentNameProperty::GetAttributes() { return {paRevertable}; }

// --- Sets

TPropertyAttributes TSetProperty::GetAttributes() {
  return {paMultiSelect, paSubProperties, paReadOnly, paRevertable};
}

String TSetProperty::GetValue() {
  if (!PropType().EnumType) return String();
  return SetToString(PropType().EnumType, UInt64(GetOrdValue()), true);
}

void TSetProperty::SetValue(const String& Value) {
  if (!PropType().EnumType) InvalidValue();
  UInt64 bits;
  try {
    bits = StringToSet(PropType().EnumType, Value);
  } catch (EConvertError&) {
    InvalidValue();
  }
  SetOrdValue(Int64(bits));
}

void TSetProperty::GetProperties(const TGetPropProc& Proc) {
  if (!PropType().EnumType) return;
  for (Integer e = 0; e < PropType().EnumType->Count(); ++e)
    Proc(std::make_unique<TSetElementProperty>(Designer(), Selection(), GetPropInfo(), e));
}

TSetElementProperty::TSetElementProperty(IDesigner* ADesigner, const TDesignerSelections& ASelection,
                                         const TPropInfo* APropInfo, Integer AElement)
    : TPropertyEditor(ADesigner, ASelection, APropInfo), FElement(AElement) {}

TPropertyAttributes TSetElementProperty::GetAttributes() { return {paMultiSelect, paValueList, paSortList}; }
String TSetElementProperty::GetName() { return GetEnumName(PropType().EnumType, FElement); }
String TSetElementProperty::GetValue() { return (GetOrdValue() >> FElement) & 1 ? u"True" : u"False"; }

void TSetElementProperty::SetValue(const String& Value) {
  bool on;
  if (SameText(Value, u"True")) on = true;
  else if (SameText(Value, u"False")) on = false;
  else InvalidValue();
  // Each component keeps its other elements.
  bool changed = false;
  for (Integer i = 0; i < PropCount(); ++i) {
    Int64 bits = GetOrdValueAt(i);
    Int64 nb = on ? bits | (Int64(1) << FElement) : bits & ~(Int64(1) << FElement);
    if (nb == bits) continue;
    InfoOf(i)->SetValue(GetComponent(i), TPropValue::FromOrdinal(nb));
    changed = true;
  }
  if (changed) Modified();
}

void TSetElementProperty::GetValues(const std::function<void(const String&)>& Proc) {
  Proc(u"False");
  Proc(u"True");
}

bool TSetElementProperty::AllEqual() {
  Int64 first = (GetOrdValue() >> FElement) & 1;
  for (Integer i = 1; i < PropCount(); ++i)
    if (((GetOrdValueAt(i) >> FElement) & 1) != first) return false;
  return true;
}

// --- Objects

TPropertyAttributes TClassProperty::GetAttributes() { return {paMultiSelect, paSubProperties, paReadOnly}; }

String TClassProperty::GetValue() {
  TObject* o = GetObjectValue();
  return o ? u"(" + o->ClassName() + u")" : String();
}

void TClassProperty::GetProperties(const TGetPropProc& Proc) {
  TDesignerSelections objects;
  for (Integer i = 0; i < PropCount(); ++i) {
    auto* p = dynamic_cast<TPersistent*>(GetObjectValueAt(i));
    if (!p) return;
    objects.push_back(p);
  }
  for (const TPropInfo* info : GetPropInfos(objects[0])) {
    if (info->Kind() == tkMethod) continue;
    bool common = std::all_of(objects.begin() + 1, objects.end(), [&](TPersistent* o) {
      const TPropInfo* other = vcl::GetPropInfo(o, info->Name());
      return other && other->Kind() == info->Kind();
    });
    if (common) Proc(CreatePropertyEditor(Designer(), objects, info));
  }
}

TPropertyAttributes TComponentProperty::GetAttributes() { return {paMultiSelect, paValueList, paSortList, paRevertable}; }

String TComponentProperty::GetValue() {
  auto* c = dynamic_cast<TComponent*>(GetObjectValue());
  if (!c) return String();
  TComponent* root = Designer() ? Designer()->Root() : nullptr;
  if (root && c->Owner() != root && c != root && c->Owner()) return c->Owner()->Name() + u"." + c->Name();
  return c->Name();
}

void TComponentProperty::SetValue(const String& Value) {
  String name = Trim(Value);
  if (name.empty()) {
    SetObjectValue(nullptr);
    return;
  }
  TComponent* c = Designer() ? Designer()->GetComponent(name) : nullptr;
  if (!c || !c->InheritsFrom(PropType().ClassType)) InvalidValue();
  SetObjectValue(c);
}

void TComponentProperty::GetValues(const std::function<void(const String&)>& Proc) {
  TComponent* root = Designer() ? Designer()->Root() : nullptr;
  if (!root) return;
  std::vector<String> names;
  if (root->InheritsFrom(PropType().ClassType) && !root->Name().empty()) names.push_back(root->Name());
  for (Integer i = 0; i < root->ComponentCount(); ++i) {
    TComponent* c = root->Components(i);
    if (c->InheritsFrom(PropType().ClassType) && !c->Name().empty()) names.push_back(c->Name());
  }
  for (const String& n : names) Proc(n);
}

TPropertyAttributes TMethodProperty::GetAttributes() { return {paMultiSelect, paValueList, paSortList, paRevertable}; }

String TMethodProperty::GetValue() {
  TPropValue v = GetPropValueAt(0);
  if (v.Kind != TPropValue::TKind::Method || !v.Method.has_value()) return String();
  return MethodName(MethodRoot(Designer(), GetComponent(0)), v.Method);
}

void TMethodProperty::SetValue(const String& Value) {
  String name = Trim(Value);
  if (name.empty()) {
    SetPropValueAll(TPropValue::FromMethod(std::any()));
    return;
  }
  TObject* root = MethodRoot(Designer(), GetComponent(0));
  const TMethodInfo* m = MethodAddress(root, name);
  if (!m || m->EventType() != *PropType().MethodType) InvalidValue();
  SetPropValueAll(TPropValue::FromMethod(m->MakeEvent(root)));
}

void TMethodProperty::GetValues(const std::function<void(const String&)>& Proc) {
  TObject* root = MethodRoot(Designer(), GetComponent(0));
  for (const TPublishedClass* pc = GetPublishedClass(root); pc; pc = pc->Parent())
    for (const TMethodInfo* m : TPublisher<TMethodLister>::Own(pc))
      if (PropType().MethodType && m->EventType() == *PropType().MethodType) Proc(m->Name());
}

// --- Colours, cursors, fonts

TPropertyAttributes TColorProperty::GetAttributes() {
  return {paMultiSelect, paDialog, paValueList, paRevertable};
}

String TColorProperty::GetValue() { return ColorToString(TColor(GetOrdValue())); }

void TColorProperty::SetValue(const String& Value) {
  TColor c;
  try {
    c = StringToColor(Trim(Value));
  } catch (EConvertError&) {
    InvalidValue();
  }
  SetOrdValue(Int64(c));
}

void TColorProperty::GetValues(const std::function<void(const String&)>& Proc) {
  GetColorValues([&](const String& s) { Proc(s); });
}

void TColorProperty::Edit() {
  TColorDialog dlg(nullptr);
  dlg.SetColor(TColor(GetOrdValue()));
  if (dlg.Execute()) SetOrdValue(Int64(dlg.Color()));
}

TPropertyAttributes TCursorProperty::GetAttributes() { return {paMultiSelect, paValueList, paSortList, paRevertable}; }
String TCursorProperty::GetValue() { return CursorToString(TCursor(GetOrdValue())); }

void TCursorProperty::SetValue(const String& Value) {
  Integer c;
  if (!IdentToCursor(Trim(Value), c) && !TryStrToInt(Trim(Value), c)) InvalidValue();
  if (c < -32768 || c > 32767) InvalidValue();
  SetOrdValue(c);
}

void TCursorProperty::GetValues(const std::function<void(const String&)>& Proc) {
  for (Integer c = 0; c >= -32; --c) {
    String id;
    if (CursorToIdent(c, id)) Proc(id);
  }
}

TPropertyAttributes TFontProperty::GetAttributes() {
  TPropertyAttributes a = TClassProperty::GetAttributes();
  if (FontHook()) a.Include(paDialog);
  return a;
}

void TFontProperty::Edit() {
  auto* first = dynamic_cast<TFont*>(GetObjectValue());
  if (!first || !FontHook()) return;
  TFont font;
  font.Assign(first);
  if (!FontHook()(&font)) return;
  for (Integer i = 0; i < PropCount(); ++i)
    if (auto* f = dynamic_cast<TFont*>(GetObjectValueAt(i))) f->Assign(&font);
  Modified();
}

TFontEditHook SetFontEditHook(TFontEditHook Hook) {
  TFontEditHook old = std::move(FontHook());
  FontHook() = std::move(Hook);
  return old;
}

// ---------------------------------------------------------------------------
// Collections

void ShowCollectionEditorClass(IDesigner* ADesigner, TClass CollectionEditorClass, TComponent* AComponent,
                               TCollection* ACollection, const String& PropertyName, TColOptions ColOptions) {
  if (!AComponent || !ACollection) throw EInvalidOperation(u"A collection editor needs a collection");
  TCollectionEditorCall call{ADesigner, CollectionEditorClass, AComponent, ACollection, PropertyName, ColOptions};
  Collections().Calls.push_back(call);
  if (Collections().Hook) Collections().Hook(call);
}

TCollectionEditorHook SetCollectionEditorHook(TCollectionEditorHook Hook) {
  TCollectionEditorHook old = std::move(Collections().Hook);
  Collections().Hook = std::move(Hook);
  return old;
}

std::vector<TCollectionEditorCall> CollectionEditorCalls() { return Collections().Calls; }
void ClearCollectionEditorCalls() { Collections().Calls.clear(); }

}  // namespace vcl
