#include "platform/classes/PropInfo.h"

#include "platform/classes/ClassesInternal.h"

#include "platform/classes/Component.h"

namespace vcl {

using namespace classes_detail;

namespace {

const std::vector<const TPropInfo*>& NoProps() {
  static const std::vector<const TPropInfo*> none;
  return none;
}

const TPropInfo& RequireProp(const TObject* Instance, const String& PropName) {
  const TPropInfo* p = GetPropInfo(Instance, PropName);
  if (!p) throw EPropertyError(u"Unknown property: " + PropName);
  return *p;
}

bool IsOrdinalKind(TTypeKind k) {
  return k == tkInteger || k == tkChar || k == tkWChar || k == tkEnumeration || k == tkInt64;
}

bool IsStringKind(TTypeKind k) { return k == tkString || k == tkLString || k == tkWString || k == tkUString; }

}  // namespace

namespace detail {

void ApplyTypeName(TPropInfo& Info, const String& Name) {
  Info.FType.Name = Name;
  if (Info.FType.Kind == tkFloat) {
    if (SameIdent(Name, u"TDateTime") || SameIdent(Name, u"TDate") || SameIdent(Name, u"TTime"))
      Info.FType.IsDate = true;
    else if (SameIdent(Name, u"Currency"))
      Info.FType.FloatType = ftCurr;
  } else if (Info.FType.Kind == tkUString && SameIdent(Name, u"WideString")) {
    Info.FType.Kind = tkWString;
  }
}

void RaiseConvertError(const TPropInfo& Info) {
  throw EPropertyConvertError(u"Invalid property type: " + Info.PropType().Name);
}

Int64 OrdinalFromValue(const TPropInfo& Info, const TPropValue& v) {
  const TPropType& t = Info.PropType();
  Int64 r = 0;
  if (v.Kind == TPropValue::TKind::Ordinal) {
    r = v.Ordinal;
  } else if (v.Kind == TPropValue::TKind::Str && t.Kind == tkEnumeration && t.EnumType) {
    r = t.EnumType->ValueOf(v.Str);
    if (r < 0) throw EPropertyConvertError(u"Invalid enumeration value: " + v.Str);
  } else if (v.Kind == TPropValue::TKind::Str && (t.Kind == tkChar || t.Kind == tkWChar) && v.Str.size() == 1) {
    r = v.Str[0];
  } else {
    RaiseConvertError(Info);
  }
  if (t.OrdType != otUQWord && t.OrdType != otSQWord && (r < t.MinValue || r > t.MaxValue))
    throw ERangeError(u"Range check error: " + Info.Name());
  return r;
}

Int64 SetBitsFromValue(const TPropInfo& Info, const TPropValue& v) {
  const TPropType& t = Info.PropType();
  UInt64 bits = 0;
  if (v.Kind == TPropValue::TKind::Ordinal) bits = static_cast<UInt64>(v.Ordinal);
  else if (v.Kind == TPropValue::TKind::Str && t.EnumType) bits = StringToSet(t.EnumType, v.Str);
  else RaiseConvertError(Info);
  if (t.EnumType && t.EnumType->Count() < 64 && (bits >> t.EnumType->Count()) != 0)
    throw ERangeError(u"Range check error: " + Info.Name());
  return static_cast<Int64>(bits);
}

Extended FloatFromValue(const TPropInfo& Info, const TPropValue& v) {
  if (v.Kind == TPropValue::TKind::Float) return v.Float;
  if (v.Kind == TPropValue::TKind::Ordinal) return static_cast<Extended>(v.Ordinal);
  RaiseConvertError(Info);
}

String StringFromValue(const TPropInfo& Info, const TPropValue& v) {
  if (v.Kind == TPropValue::TKind::Str) return v.Str;
  RaiseConvertError(Info);
}

}  // namespace detail

bool TPropInfo::IsStored(TObject* Instance) const {
  if (FStored) return FStored->IsStored(Instance);
  return FStoredConst;
}

bool TPropInfo::IsDefaultValue(TObject* Instance) const {
  TPropValue v = GetValue(Instance);
  switch (FType.Kind) {
    case tkInteger: case tkChar: case tkWChar: case tkEnumeration: case tkInt64: case tkSet:
      return FHasDefault && v.Ordinal == FDefault;
    case tkFloat:
      return v.Float == 0;
    case tkString: case tkLString: case tkWString: case tkUString:
      return v.Str.empty();
    case tkClass:
      return v.Object == nullptr;
    case tkMethod:
      return !v.Method.has_value();
    case tkInterface:
      return !v.Intf;
    default:
      return false;
  }
}

void TPropInfo::SetValue(TObject* Instance, const TPropValue& Value) const {
  if (!IsWritable()) throw EPropertyError(u"Property " + FName + u" is read-only");
  FAccess->Set(Instance, *this, Value);
}

// ---------------------------------------------------------------------------

TPublishedClass::TPublishedClass(TClass AClass, const TPublishedClass* AParent)
    : FClass(AClass), FParent(AParent) {
  if (FParent) FAll = FParent->FAll;
}

void TPublishedClass::AddProperty(std::unique_ptr<TPropInfo> p) {
  const TPropInfo* raw = p.get();
  FOwn.push_back(std::move(p));
  for (auto& slot : FAll)
    if (SameIdent(slot->Name(), raw->Name())) {
      slot = raw;
      return;
    }
  FAll.push_back(raw);
}

void TPublishedClass::AddMethod(std::unique_ptr<TMethodInfo> m) { FMethods.push_back(std::move(m)); }

const TPropInfo* TPublishedClass::FindProperty(const String& Name) const {
  for (const TPropInfo* p : FAll)
    if (SameIdent(p->Name(), Name)) return p;
  return nullptr;
}

const TMethodInfo* TPublishedClass::FindMethod(const String& Name) const {
  for (const TPublishedClass* c = this; c; c = c->FParent)
    for (auto& m : c->FMethods)
      if (SameIdent(m->Name(), Name)) return m.get();
  return nullptr;
}

String TPublishedClass::MethodName(const std::any& Event, TObject* Instance) const {
  if (!Event.has_value()) return String();
  for (const TPublishedClass* c = this; c; c = c->FParent)
    for (auto& m : c->FMethods)
      if (m->EventType() == Event.type() && m->Matches(Event, Instance)) return m->Name();
  return String();
}

const TPublishedClass* TPersistent::StaticPublished() {
  static const TPublishedClass pc(TPersistent::StaticClass(), nullptr);
  return &pc;
}

const TPublishedClass* TPersistent::PublishedClass() const { return StaticPublished(); }

const TPublishedClass* TComponent::StaticPublished() {
  static const std::unique_ptr<const TPublishedClass> pc([] {
    auto* c = new TPublishedClass(TComponent::StaticClass(), TPersistent::StaticPublished());
    TPublisher<TComponent> P(*c);
    P.Property(u"Name", &TComponent::Name, &TComponent::SetName).Stored(false).TypeName(u"TComponentName");
    P.Property(u"Tag", &TComponent::Tag, &TComponent::SetTag).Default(0).TypeName(u"NativeInt");
    return c;
  }());
  return pc.get();
}

const TPublishedClass* TComponent::PublishedClass() const { return StaticPublished(); }

// ---------------------------------------------------------------------------

const TPublishedClass* GetPublishedClass(const TObject* Instance) {
  auto* p = dynamic_cast<const TPersistent*>(Instance);
  return p ? p->PublishedClass() : nullptr;
}

const std::vector<const TPropInfo*>& GetPropInfos(const TObject* Instance) {
  const TPublishedClass* c = GetPublishedClass(Instance);
  return c ? c->Properties() : NoProps();
}

const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName) {
  const TPublishedClass* c = GetPublishedClass(Instance);
  return c ? c->FindProperty(PropName) : nullptr;
}

std::vector<const TPropInfo*> GetPropList(const TObject* Instance, std::initializer_list<TTypeKind> Kinds) {
  std::vector<const TPropInfo*> r;
  for (const TPropInfo* p : GetPropInfos(Instance))
    for (TTypeKind k : Kinds)
      if (p->Kind() == k) {
        r.push_back(p);
        break;
      }
  return r;
}

bool IsPublishedProp(const TObject* Instance, const String& PropName) { return GetPropInfo(Instance, PropName) != nullptr; }

bool PropIsType(const TObject* Instance, const String& PropName, TTypeKind Kind) {
  return RequireProp(Instance, PropName).Kind() == Kind;
}

TTypeKind PropType(const TObject* Instance, const String& PropName) { return RequireProp(Instance, PropName).Kind(); }

bool IsStoredProp(TObject* Instance, const String& PropName) { return RequireProp(Instance, PropName).IsStored(Instance); }

TPropValue GetPropValue(TObject* Instance, const String& PropName) {
  return RequireProp(Instance, PropName).GetValue(Instance);
}

void SetPropValue(TObject* Instance, const String& PropName, const TPropValue& Value) {
  RequireProp(Instance, PropName).SetValue(Instance, Value);
}

Int64 GetOrdProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (!IsOrdinalKind(p.Kind()) && p.Kind() != tkSet) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Ordinal;
}

void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value) {
  SetPropValue(Instance, PropName, TPropValue::FromOrdinal(Value));
}

Int64 GetInt64Prop(TObject* Instance, const String& PropName) { return GetOrdProp(Instance, PropName); }
void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value) { SetOrdProp(Instance, PropName, Value); }

String GetEnumProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkEnumeration) detail::RaiseConvertError(p);
  return GetEnumName(p.PropType().EnumType, static_cast<Integer>(p.GetValue(Instance).Ordinal));
}

void SetEnumProp(TObject* Instance, const String& PropName, const String& Value) {
  SetPropValue(Instance, PropName, TPropValue::FromString(Value));
}

String GetSetProp(TObject* Instance, const String& PropName, bool Brackets) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkSet) detail::RaiseConvertError(p);
  return SetToString(p.PropType().EnumType, static_cast<UInt64>(p.GetValue(Instance).Ordinal), Brackets);
}

void SetSetProp(TObject* Instance, const String& PropName, const String& Value) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkSet) detail::RaiseConvertError(p);
  p.SetValue(Instance, TPropValue::FromString(Value));
}

String GetStrProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (!IsStringKind(p.Kind())) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Str;
}

void SetStrProp(TObject* Instance, const String& PropName, const String& Value) {
  SetPropValue(Instance, PropName, TPropValue::FromString(Value));
}

Extended GetFloatProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkFloat) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Float;
}

void SetFloatProp(TObject* Instance, const String& PropName, Extended Value) {
  SetPropValue(Instance, PropName, TPropValue::FromFloat(Value));
}

TObject* GetObjectProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkClass) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Object;
}

void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value) {
  SetPropValue(Instance, PropName, TPropValue::FromObject(Value));
}

std::any GetMethodProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkMethod) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Method;
}

void SetMethodProp(TObject* Instance, const String& PropName, const std::any& Value) {
  SetPropValue(Instance, PropName, TPropValue::FromMethod(Value));
}

TIntf<IInterface> GetInterfaceProp(TObject* Instance, const String& PropName) {
  const TPropInfo& p = RequireProp(Instance, PropName);
  if (p.Kind() != tkInterface) detail::RaiseConvertError(p);
  return p.GetValue(Instance).Intf;
}

void SetInterfaceProp(TObject* Instance, const String& PropName, const TIntf<IInterface>& Value) {
  SetPropValue(Instance, PropName, TPropValue::FromInterface(Value));
}

const TMethodInfo* MethodAddress(const TObject* Instance, const String& Name) {
  const TPublishedClass* c = GetPublishedClass(Instance);
  return c ? c->FindMethod(Name) : nullptr;
}

String MethodName(const TObject* Instance, const std::any& Event) {
  const TPublishedClass* c = GetPublishedClass(Instance);
  return c ? c->MethodName(Event, const_cast<TObject*>(Instance)) : String();
}

namespace {

bool KindsMatch(TTypeKind a, TTypeKind b) {
  if (a == b) return true;
  if (IsStringKind(a) && IsStringKind(b)) return true;
  return (a == tkInteger || a == tkInt64) && (b == tkInteger || b == tkInt64);
}

Integer CopyProps(TPersistent* Source, TPersistent* Dest, const TTypeKinds& Kinds, int depth) {
  if (!Source || !Dest || depth > 16) return 0;
  Integer copied = 0;
  for (const TPropInfo* sp : GetPropInfos(Source)) {
    if (sp->Kind() == tkMethod || sp->Kind() == tkUnknown || !Kinds.Contains(sp->Kind())) continue;
    const TPropInfo* dp = GetPropInfo(Dest, sp->Name());
    if (!dp || !KindsMatch(sp->Kind(), dp->Kind())) continue;
    // The name identifies a component within its owner; copying it would clash.
    if (Source->Is<TComponent>() && SameIdent(sp->Name(), u"Name")) continue;
    try {
      TPropValue v = sp->GetValue(Source);
      if (sp->Kind() == tkClass) {
        auto* dstObj = dynamic_cast<TPersistent*>(dp->GetValue(Dest).Object);
        auto* srcObj = dynamic_cast<TPersistent*>(v.Object);
        bool reference = dynamic_cast<TComponent*>(v.Object) != nullptr &&
                         !static_cast<TComponent*>(v.Object)->ComponentStyle().Contains(csSubComponent);
        if (!reference && dstObj && srcObj && dstObj != srcObj) {
          try {
            dstObj->Assign(srcObj);
          } catch (const EConvertError&) {
            CopyProps(srcObj, dstObj, Kinds, depth + 1);
          }
          ++copied;
          continue;
        }
        if (!dp->IsWritable()) continue;
      }
      if (!dp->IsWritable()) continue;
      dp->SetValue(Dest, v);
      ++copied;
    } catch (const Exception&) {
      // A value the destination does not accept is left as it was.
    }
  }
  return copied;
}

}  // namespace

Integer CopyPublishedProperties(TPersistent* Source, TPersistent* Dest) {
  return CopyPublishedProperties(Source, Dest, tkProperties);
}

Integer CopyPublishedProperties(TPersistent* Source, TPersistent* Dest, const TTypeKinds& Kinds) {
  if (Source == Dest) return 0;
  return CopyProps(Source, Dest, Kinds, 0);
}

}  // namespace vcl
