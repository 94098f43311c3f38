// Published properties: the metadata that form files, SmartAssign and the
// design-time inspector work from. A class declares its published properties
// once, in its own body, with the QN_PUBLISHED block:
//
//   class TGauge : public TComponent {
//     QN_CLASS_CREATE(TGauge, TComponent, TComponent)
//    public:
//     Integer Progress() const;            void SetProgress(Integer v);
//     TGaugeKind Kind() const;             void SetKind(TGaugeKind v);
//     TGaugeOptions Options() const;       void SetOptions(TGaugeOptions v);
//     String Caption() const;              void SetCaption(const String& v);
//     TFont* Font() const;                 void SetFont(TFont* v);
//     TNotifyEvent OnChange() const;       void SetOnChange(const TNotifyEvent& v);
//
//     QN_PUBLISHED(TGauge) {
//       QN_PROP(Progress).Default(0);
//       QN_PROP(Kind).Default(gkHorizontalBar);
//       QN_PROP(Options).Default(TGaugeOptions{goShowText});
//       QN_PROP(Caption).TypeName(u"TCaption").Stored(&TGauge::IsCaptionStored);
//       QN_PROP(Font);                      // a sub-object: streamed as Font.Name = ...
//       QN_PROP(OnChange);                  // an event: streamed as a method name
//       P.Property(u"Max", &TGauge::GetMax, &TGauge::SetMax).Default(100);
//     }
//   };
//
// A class declared in a widely included header writes QN_PUBLISHED_DECL(TGauge)
// instead, and QN_PUBLISHED_IMPL(ns::TGauge) in the unit that implements it.
//
// QN_PROP(X) binds the getter X() and the setter SetX(v), as every property
// of the library is spelled; P.Property(name, getter, setter) takes any other
// pair (getter and setter may take a leading Integer index, see Index(n);
// the setter may be nullptr for a read-only property). The kind of a property
// follows from the getter's C++ type: integers, Int64, Char, enumerations
// with a QN_ENUM_NAMES table (and bool), TSet<E>, Single/Double/Extended,
// String/AnsiString, object pointers (sub-objects and component references),
// TEvent<...> closures and TIntf<I> interfaces (not streamed). Modifiers:
//   .Default(v) / .NoDefault()   ordinal and set properties equal to their
//                                default are not written; without a default
//                                they always are. Strings are not written
//                                when empty, floats when 0, objects when nil.
//   .Stored(false) / .Stored(&C::IsXStored)   constant or predicate.
//   .Index(n)                    passed to indexed getters and setters.
//   .TypeName(u"TColor")         a type of its own that editors recognise;
//                                TDateTime, TDate, TTime (stored as dates),
//                                Currency (stored as currency) and WideString
//                                change how the value is streamed.
// A distinct C++ type can carry its name once for all its properties with
// QN_TYPE_NAME(TAnchors) next to its declaration. Integer types whose values
// have names (colours, cursors) register them with RegisterIntegerConsts
// under their type name (Streaming.h); the form file then holds the names.
// A class's list starts with its parent's properties in their order; a
// property declared again (to change its default, say) keeps its place.
//
// Methods that events in form files may name are published the same way:
//   QN_METHOD(Button1Click);   // P.Method(u"Button1Click", &TForm1::Button1Click)
#pragma once
#include "platform/rtl/MacroShield.h"

#include <any>
#include <cstdint>
#include <limits>
#include <memory>
#include <typeinfo>
#include <vector>

#include "platform/classes/Persistent.h"
#include "platform/rtl/TypInfo.h"

namespace vcl {

QN_EXCEPTION(EPropertyError, Exception)
QN_EXCEPTION(EPropertyConvertError, Exception)

enum class TTypeKind {
  tkUnknown, tkInteger, tkChar, tkEnumeration, tkFloat, tkString, tkSet, tkClass, tkMethod,
  tkWChar, tkLString, tkWString, tkVariant, tkArray, tkRecord, tkInterface, tkInt64, tkDynArray,
  tkUString
};
using enum TTypeKind;
using TTypeKinds = TSet<TTypeKind>;
// Every kind; the kinds that are values (tkAny less events and tkUnknown).
inline constexpr TTypeKinds tkAny = TTypeKinds::FromBits((UInt64(1) << (static_cast<int>(tkUString) + 1)) - 1);
inline constexpr TTypeKinds tkProperties = tkAny - TTypeKinds{tkMethod, tkUnknown};
enum class TOrdType { otSByte, otUByte, otSWord, otUWord, otSLong, otULong, otSQWord, otUQWord };
using enum TOrdType;
enum class TFloatType { ftSingle, ftDouble, ftExtended, ftComp, ftCurr };
using enum TFloatType;

// The type of a property: its kind and the metadata of the type itself.
struct TPropType {
  TTypeKind Kind = tkUnknown;
  String Name;
  TOrdType OrdType = otSLong;       // integers, chars, enumerations
  Int64 MinValue = 0, MaxValue = 0;
  TFloatType FloatType = ftDouble;
  bool IsDate = false;              // TDateTime and its kin: streamed as dates
  PTypeInfo EnumType = nullptr;     // enumerations, and the elements of sets
  TClass ClassType = nullptr;       // object-valued properties
  const std::type_info* MethodType = nullptr;  // events: the TEvent<...> type
  TGUID InterfaceGUID;              // interfaces: the IID of the property's type
};

// A property's value, as get/set by name hands it around. Ordinals (integers,
// chars, enumerations, booleans) and sets (as element bits) are Ordinal.
struct TPropValue {
  enum class TKind { Empty, Ordinal, Float, Str, Object, Method, Interface };
  TKind Kind = TKind::Empty;
  Int64 Ordinal = 0;
  Extended Float = 0;
  String Str;
  TObject* Object = nullptr;
  std::any Method;  // a TEvent<...> of the property's type, or empty for nil
  TIntf<IInterface> Intf;

  TPropValue() = default;
  static TPropValue FromOrdinal(Int64 v) { TPropValue r; r.Kind = TKind::Ordinal; r.Ordinal = v; return r; }
  static TPropValue FromFloat(Extended v) { TPropValue r; r.Kind = TKind::Float; r.Float = v; return r; }
  static TPropValue FromString(String v) { TPropValue r; r.Kind = TKind::Str; r.Str = std::move(v); return r; }
  static TPropValue FromObject(TObject* v) { TPropValue r; r.Kind = TKind::Object; r.Object = v; return r; }
  static TPropValue FromMethod(std::any v) { TPropValue r; r.Kind = TKind::Method; r.Method = std::move(v); return r; }
  static TPropValue FromInterface(TIntf<IInterface> v) { TPropValue r; r.Kind = TKind::Interface; r.Intf = std::move(v); return r; }
};

class TPropInfo;
template <class C>
class TPublisher;

namespace detail {
// TDateTime, Currency and WideString change how a value is streamed.
void ApplyTypeName(TPropInfo& Info, const String& Name);
// Type-erased access to one property of one class.
class TPropAccess {
 public:
  virtual ~TPropAccess() = default;
  virtual TPropValue Get(TObject* Instance, const TPropInfo& Info) const = 0;
  virtual void Set(TObject* Instance, const TPropInfo& Info, const TPropValue& Value) const = 0;
  virtual bool CanWrite() const = 0;
  // Events: two values equal (same object and method).
  virtual bool SameMethod(const std::any& a, const std::any& b) const { (void)a; (void)b; return false; }
};
class TStoredAccess {
 public:
  virtual ~TStoredAccess() = default;
  virtual bool IsStored(TObject* Instance) const = 0;
};
}  // namespace detail

inline constexpr Integer NoIndex = static_cast<Integer>(0x80000000u);

class TPropInfo {
 public:
  const String& Name() const { return FName; }
  const TPropType& PropType() const { return FType; }
  TTypeKind Kind() const { return FType.Kind; }
  // The class whose QN_PUBLISHED block declared (or redeclared) it.
  TClass DeclaringClass() const { return FDeclaringClass; }
  Integer Index() const { return FIndex; }
  bool HasDefault() const { return FHasDefault; }
  Int64 Default() const { return FDefault; }
  bool IsWritable() const { return FAccess->CanWrite(); }
  // The stored clause for this instance (constant or predicate).
  bool IsStored(TObject* Instance) const;
  // Equal to what a fresh instance would not write (the default rules above).
  bool IsDefaultValue(TObject* Instance) const;

  TPropValue GetValue(TObject* Instance) const { return FAccess->Get(Instance, *this); }
  // Raises EPropertyError for a read-only property and EPropertyConvertError
  // for a value of the wrong kind.
  void SetValue(TObject* Instance, const TPropValue& Value) const;
  bool SameMethod(const std::any& a, const std::any& b) const { return FAccess->SameMethod(a, b); }

 private:
  template <class C>
  friend class TPublisher;
  friend class TPublishedClass;
  friend void detail::ApplyTypeName(TPropInfo&, const String&);
  String FName;
  TPropType FType;
  TClass FDeclaringClass = nullptr;
  Integer FIndex = NoIndex;
  bool FHasDefault = false;
  Int64 FDefault = 0;
  bool FStoredConst = true;
  // Owned alone: a shared owner would instantiate its control block for
  // every property type of every publishing class.
  std::unique_ptr<const detail::TPropAccess> FAccess;
  std::unique_ptr<const detail::TStoredAccess> FStored;
};

// A published method: what an event in a form file can name.
class TMethodInfo {
 public:
  const String& Name() const { return FName; }
  const std::type_info& EventType() const { return *FEventType; }
  // The event bound to Instance (empty when Instance is not of the publishing class).
  std::any MakeEvent(TObject* Instance) const { return FMake(FHolder.get(), Instance); }
  // True when Event is this method bound to Instance.
  bool Matches(const std::any& Event, TObject* Instance) const { return FMatches(FHolder.get(), Event, Instance); }

 private:
  template <class C>
  friend class TPublisher;
  String FName;
  const std::type_info* FEventType = nullptr;
  std::shared_ptr<const void> FHolder;  // the member pointer
  std::any (*FMake)(const void*, TObject*) = nullptr;
  bool (*FMatches)(const void*, const std::any&, TObject*) = nullptr;
};

// The published properties and methods of one class, parents' included.
class TPublishedClass {
 public:
  TPublishedClass(TClass AClass, const TPublishedClass* AParent);
  TClass ClassType() const { return FClass; }
  const TPublishedClass* Parent() const { return FParent; }
  // Every published property in order (inherited first).
  const std::vector<const TPropInfo*>& Properties() const { return FAll; }
  // Case-insensitive; nil when there is none.
  const TPropInfo* FindProperty(const String& Name) const;
  const TMethodInfo* FindMethod(const String& Name) const;
  // The name of the published method Event is bound to on Instance (empty if none).
  String MethodName(const std::any& Event, TObject* Instance) const;

 private:
  template <class C>
  friend class TPublisher;
  void AddProperty(std::unique_ptr<TPropInfo> p);
  void AddMethod(std::unique_ptr<TMethodInfo> m);
  TClass FClass;
  const TPublishedClass* FParent;
  std::vector<std::unique_ptr<TPropInfo>> FOwn;
  std::vector<const TPropInfo*> FAll;
  std::vector<std::unique_ptr<TMethodInfo>> FMethods;
};

// ---------------------------------------------------------------------------
// Look-ups.

const TPublishedClass* GetPublishedClass(const TObject* Instance);
// All published properties of Instance in order (empty for non-persistent objects).
const std::vector<const TPropInfo*>& GetPropInfos(const TObject* Instance);
const TPropInfo* GetPropInfo(const TObject* Instance, const String& PropName);
// Filtered by kind, in order.
std::vector<const TPropInfo*> GetPropList(const TObject* Instance, std::initializer_list<TTypeKind> Kinds);
bool IsPublishedProp(const TObject* Instance, const String& PropName);
bool PropIsType(const TObject* Instance, const String& PropName, TTypeKind Kind);
TTypeKind PropType(const TObject* Instance, const String& PropName);
bool IsStoredProp(TObject* Instance, const String& PropName);

// Get and set by name; an unknown name raises EPropertyError
// "Unknown property: %s".
TPropValue GetPropValue(TObject* Instance, const String& PropName);
void SetPropValue(TObject* Instance, const String& PropName, const TPropValue& Value);
Int64 GetOrdProp(TObject* Instance, const String& PropName);
void SetOrdProp(TObject* Instance, const String& PropName, Int64 Value);
Int64 GetInt64Prop(TObject* Instance, const String& PropName);
void SetInt64Prop(TObject* Instance, const String& PropName, Int64 Value);
String GetEnumProp(TObject* Instance, const String& PropName);
void SetEnumProp(TObject* Instance, const String& PropName, const String& Value);
String GetSetProp(TObject* Instance, const String& PropName, bool Brackets = false);
void SetSetProp(TObject* Instance, const String& PropName, const String& Value);
String GetStrProp(TObject* Instance, const String& PropName);
void SetStrProp(TObject* Instance, const String& PropName, const String& Value);
Extended GetFloatProp(TObject* Instance, const String& PropName);
void SetFloatProp(TObject* Instance, const String& PropName, Extended Value);
TObject* GetObjectProp(TObject* Instance, const String& PropName);
void SetObjectProp(TObject* Instance, const String& PropName, TObject* Value);
std::any GetMethodProp(TObject* Instance, const String& PropName);
void SetMethodProp(TObject* Instance, const String& PropName, const std::any& Value);
TIntf<IInterface> GetInterfaceProp(TObject* Instance, const String& PropName);
void SetInterfaceProp(TObject* Instance, const String& PropName, const TIntf<IInterface>& Value);

// The published method of Instance's class with that name (nil when none),
// and the name of the one an event is bound to (empty when none).
const TMethodInfo* MethodAddress(const TObject* Instance, const String& Name);
String MethodName(const TObject* Instance, const std::any& Event);

// Copies every published property of Source that Dest publishes under the
// same name and kind, events and unknown kinds excepted. Sub-objects are
// assigned (Dest's Assign) or, when Dest's is not assignable, copied by
// their own published properties; component references are copied as
// references. Properties that fail to copy are skipped; the count of those
// copied is returned.
Integer CopyPublishedProperties(TPersistent* Source, TPersistent* Dest);
// The same limited to properties of the given kinds (of Source's property);
// tkMethod is never copied, whatever Kinds says.
Integer CopyPublishedProperties(TPersistent* Source, TPersistent* Dest, const TTypeKinds& Kinds);

// ---------------------------------------------------------------------------
// Declaring them.

// Names a distinct C++ type for the metadata, found by argument-dependent
// look-up: QN_TYPE_NAME(TAnchors) next to `using TAnchors = TSet<TAnchorKind>`.
#define QN_TYPE_NAME(T) \
  inline const char16_t* QnPropTypeName(T*) { return u"" #T; }

namespace detail {

template <class T> struct IsTSet : std::false_type {};
template <class E> struct IsTSet<TSet<E>> : std::true_type { using Elem = E; };
template <class T> struct IsTEvent : std::false_type {};
template <class Sig> struct IsTEvent<TEvent<Sig>> : std::true_type {};
template <class T> struct IsTIntf : std::false_type {};
template <class I> struct IsTIntf<TIntf<I>> : std::true_type { using Intf = I; };

template <class T>
String DefaultTypeName() {
  if constexpr (requires { QnPropTypeName(static_cast<T*>(nullptr)); })
    return QnPropTypeName(static_cast<T*>(nullptr));
  else if constexpr (std::is_same_v<T, bool>) return u"Boolean";
  else if constexpr (std::is_same_v<T, char16_t>) return u"Char";
  else if constexpr (std::is_same_v<T, char>) return u"AnsiChar";
  else if constexpr (std::is_same_v<T, Integer>) return u"Integer";
  else if constexpr (std::is_same_v<T, Cardinal>) return u"Cardinal";
  else if constexpr (std::is_same_v<T, SmallInt>) return u"SmallInt";
  else if constexpr (std::is_same_v<T, Word>) return u"Word";
  else if constexpr (std::is_same_v<T, ShortInt>) return u"ShortInt";
  else if constexpr (std::is_same_v<T, Byte>) return u"Byte";
  else if constexpr (std::is_same_v<T, Int64>) return u"Int64";
  else if constexpr (std::is_same_v<T, UInt64>) return u"UInt64";
  else if constexpr (std::is_same_v<T, long long> || std::is_same_v<T, long>) return u"NativeInt";
  else if constexpr (std::is_same_v<T, float>) return u"Single";
  else if constexpr (std::is_same_v<T, double>) return u"Double";
  else if constexpr (std::is_same_v<T, long double>) return u"Extended";
  else if constexpr (std::is_same_v<T, String>) return u"string";
  else if constexpr (std::is_same_v<T, std::string>) return u"AnsiString";
  else if constexpr (std::is_enum_v<T>) return TypeInfo<T>()->Name();
  else if constexpr (IsTSet<T>::value) return u"set of " + TypeInfo<typename IsTSet<T>::Elem>()->Name();
  else if constexpr (std::is_pointer_v<T>) return std::remove_pointer_t<T>::StaticClass()->ClassName();
  else if constexpr (IsTEvent<T>::value) return u"TEvent";
  else if constexpr (IsTIntf<T>::value) return u"IInterface";
  else return u"";
}

template <class T>
TPropType MakePropType() {
  TPropType t;
  t.Name = DefaultTypeName<T>();
  if constexpr (std::is_same_v<T, bool>) {
    t.Kind = tkEnumeration;
    t.EnumType = QnEnumTypeInfo(static_cast<bool*>(nullptr));
    t.OrdType = otUByte;
    t.MaxValue = 1;
  } else if constexpr (std::is_same_v<T, char16_t>) {
    t.Kind = tkWChar;
    t.OrdType = otUWord;
    t.MaxValue = 0xFFFF;
  } else if constexpr (std::is_same_v<T, char>) {
    t.Kind = tkChar;
    t.OrdType = otUByte;
    t.MaxValue = 0xFF;
  } else if constexpr (std::is_integral_v<T> && sizeof(T) == 8) {
    t.Kind = tkInt64;
    t.OrdType = std::is_signed_v<T> ? otSQWord : otUQWord;
    t.MinValue = std::is_signed_v<T> ? INT64_MIN : 0;
    t.MaxValue = INT64_MAX;
  } else if constexpr (std::is_integral_v<T>) {
    t.Kind = tkInteger;
    constexpr bool s = std::is_signed_v<T>;
    t.OrdType = sizeof(T) == 1 ? (s ? otSByte : otUByte) : sizeof(T) == 2 ? (s ? otSWord : otUWord) : (s ? otSLong : otULong);
    t.MinValue = static_cast<Int64>(std::numeric_limits<T>::min());
    t.MaxValue = static_cast<Int64>(std::numeric_limits<T>::max());
  } else if constexpr (std::is_enum_v<T>) {
    t.Kind = tkEnumeration;
    t.EnumType = TypeInfo<T>();
    t.OrdType = otUByte;
    t.MaxValue = t.EnumType->MaxValue();
  } else if constexpr (IsTSet<T>::value) {
    t.Kind = tkSet;
    t.EnumType = TypeInfo<typename IsTSet<T>::Elem>();
  } else if constexpr (std::is_floating_point_v<T>) {
    t.Kind = tkFloat;
    t.FloatType = std::is_same_v<T, float> ? ftSingle : std::is_same_v<T, double> ? ftDouble : ftExtended;
  } else if constexpr (std::is_same_v<T, String>) {
    t.Kind = tkUString;
  } else if constexpr (std::is_same_v<T, std::string>) {
    t.Kind = tkLString;
  } else if constexpr (std::is_pointer_v<T>) {
    static_assert(std::is_base_of_v<TObject, std::remove_pointer_t<T>>, "object properties point to TObject descendants");
    t.Kind = tkClass;
    t.ClassType = std::remove_pointer_t<T>::StaticClass();
  } else if constexpr (IsTEvent<T>::value) {
    t.Kind = tkMethod;
    t.MethodType = &typeid(T);
  } else if constexpr (IsTIntf<T>::value) {
    t.Kind = tkInterface;
    t.InterfaceGUID = IsTIntf<T>::Intf::IID;
  } else {
    static_assert(sizeof(T) == 0, "this type cannot be published");
  }
  return t;
}

[[noreturn]] void RaiseConvertError(const TPropInfo& Info);
Int64 SetBitsFromValue(const TPropInfo& Info, const TPropValue& v);
Int64 OrdinalFromValue(const TPropInfo& Info, const TPropValue& v);
Extended FloatFromValue(const TPropInfo& Info, const TPropValue& v);
String StringFromValue(const TPropInfo& Info, const TPropValue& v);

template <class T>
TPropValue ToPropValue(const T& v) {
  if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) return TPropValue::FromOrdinal(static_cast<Int64>(v));
  else if constexpr (IsTSet<T>::value) return TPropValue::FromOrdinal(static_cast<Int64>(v.Bits()));
  else if constexpr (std::is_floating_point_v<T>) return TPropValue::FromFloat(static_cast<Extended>(v));
  else if constexpr (std::is_same_v<T, String>) return TPropValue::FromString(v);
  else if constexpr (std::is_same_v<T, std::string>) return TPropValue::FromString(FromUtf8(v));
  else if constexpr (std::is_pointer_v<T>) return TPropValue::FromObject(const_cast<TObject*>(static_cast<const TObject*>(v)));
  else if constexpr (IsTEvent<T>::value) return v ? TPropValue::FromMethod(std::any(v)) : TPropValue::FromMethod(std::any());
  else if constexpr (IsTIntf<T>::value) return TPropValue::FromInterface(TIntf<IInterface>(v));
}

template <class T>
T FromPropValue(const TPropInfo& Info, const TPropValue& v) {
  if constexpr (std::is_same_v<T, bool>) return OrdinalFromValue(Info, v) != 0;
  else if constexpr (std::is_integral_v<T> || std::is_enum_v<T>) return static_cast<T>(OrdinalFromValue(Info, v));
  else if constexpr (IsTSet<T>::value) return T::FromBits(static_cast<UInt64>(SetBitsFromValue(Info, v)));
  else if constexpr (std::is_floating_point_v<T>) return static_cast<T>(FloatFromValue(Info, v));
  else if constexpr (std::is_same_v<T, String>) return StringFromValue(Info, v);
  else if constexpr (std::is_same_v<T, std::string>) return ToUtf8(StringFromValue(Info, v));
  else if constexpr (std::is_pointer_v<T>) {
    if (v.Kind != TPropValue::TKind::Object) RaiseConvertError(Info);
    if (!v.Object) return nullptr;
    auto* p = dynamic_cast<T>(v.Object);
    if (!p) RaiseConvertError(Info);
    return p;
  } else if constexpr (IsTEvent<T>::value) {
    if (v.Kind != TPropValue::TKind::Method) RaiseConvertError(Info);
    if (!v.Method.has_value()) return T();
    const T* e = std::any_cast<T>(&v.Method);
    if (!e) RaiseConvertError(Info);
    return *e;
  } else if constexpr (IsTIntf<T>::value) {
    if (v.Kind != TPropValue::TKind::Interface) RaiseConvertError(Info);
    if (!v.Intf) return T();
    // Asked of the object, so any interface of it that has the type will do.
    T r = IntfCast<typename IsTIntf<T>::Intf>(v.Intf);
    if (!r) RaiseConvertError(Info);
    return r;
  }
}

template <class M> struct MemberFn;
template <class C, class R, class... A> struct MemberFn<R (C::*)(A...) const> { using Class = C; using Ret = R; static constexpr size_t Arity = sizeof...(A); };
template <class C, class R, class... A> struct MemberFn<R (C::*)(A...)> { using Class = C; using Ret = R; static constexpr size_t Arity = sizeof...(A); };

template <class C, class V, class G, class S>
class TPropAccessImpl final : public TPropAccess {
 public:
  TPropAccessImpl(G g, S s) : FGet(g), FSet(s) {}
  TPropValue Get(TObject* Instance, const TPropInfo& Info) const override {
    C* obj = static_cast<C*>(Instance);
    if constexpr (MemberFn<G>::Arity == 1) return ToPropValue<V>((obj->*FGet)(Info.Index()));
    else return ToPropValue<V>((obj->*FGet)());
  }
  void Set(TObject* Instance, const TPropInfo& Info, const TPropValue& Value) const override {
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      (void)Instance; (void)Info; (void)Value;
    } else {
      C* obj = static_cast<C*>(Instance);
      V v = FromPropValue<V>(Info, Value);
      if constexpr (MemberFn<S>::Arity == 2) (obj->*FSet)(Info.Index(), v);
      else (obj->*FSet)(v);
    }
  }
  bool CanWrite() const override { return !std::is_same_v<S, std::nullptr_t>; }
  bool SameMethod(const std::any& a, const std::any& b) const override {
    if constexpr (IsTEvent<V>::value) {
      const V* x = std::any_cast<V>(&a);
      const V* y = std::any_cast<V>(&b);
      if (!x || !y) return !a.has_value() && !b.has_value();
      return *x == *y;
    } else {
      (void)a; (void)b;
      return false;
    }
  }

 private:
  G FGet;
  S FSet;
};

template <class C, class P>
class TStoredImpl final : public TStoredAccess {
 public:
  explicit TStoredImpl(P p) : FPred(p) {}
  bool IsStored(TObject* Instance) const override { return (static_cast<C*>(Instance)->*FPred)(); }

 private:
  P FPred;
};

template <class C, class M>
struct TMethodHolder {
  M Method;
};

template <class Cls>
const TPublishedClass* BuildPublished(const TPublishedClass* Parent) {
  auto* pc = new TPublishedClass(Cls::StaticClass(), Parent);
  TPublisher<Cls> p(*pc);
  Cls::QnPublish(p);
  return pc;
}

}  // namespace detail

// Handed to a class's QN_PUBLISHED block; each call adds to the class's list.
template <class C>
class TPublisher {
 public:
  class TPropBuilder {
   public:
    explicit TPropBuilder(TPropInfo* p) : FP(p) {}
    template <class T>
    TPropBuilder& Default(const T& v) {
      FP->FHasDefault = true;
      if constexpr (detail::IsTSet<T>::value) FP->FDefault = static_cast<Int64>(v.Bits());
      else FP->FDefault = static_cast<Int64>(v);
      return *this;
    }
    TPropBuilder& NoDefault() { FP->FHasDefault = false; FP->FDefault = 0; return *this; }
    TPropBuilder& Stored(bool v) { FP->FStoredConst = v; FP->FStored.reset(); return *this; }
    template <class Base>
    TPropBuilder& Stored(bool (Base::*pred)() const) {
      static_assert(std::is_base_of_v<Base, C>);
      FP->FStored.reset(new detail::TStoredImpl<Base, bool (Base::*)() const>(pred));
      return *this;
    }
    TPropBuilder& Index(Integer i) { FP->FIndex = i; return *this; }
    TPropBuilder& TypeName(const String& name) { detail::ApplyTypeName(*FP, name); return *this; }

   private:
    TPropInfo* FP;
  };

  explicit TPublisher(TPublishedClass& target) : FTarget(target) {}

  template <class G, class S>
  TPropBuilder Property(const String& Name, G Getter, S Setter) {
    using Traits = detail::MemberFn<G>;
    using Base = typename Traits::Class;
    static_assert(std::is_base_of_v<Base, C>, "the getter belongs to this class or a parent");
    using V = std::remove_cvref_t<typename Traits::Ret>;
    auto p = std::make_unique<TPropInfo>();
    p->FName = Name;
    p->FType = detail::MakePropType<V>();
    p->FDeclaringClass = C::StaticClass();
    if constexpr (std::is_same_v<S, std::nullptr_t>) {
      p->FAccess.reset(new detail::TPropAccessImpl<Base, V, G, std::nullptr_t>(Getter, nullptr));
    } else {
      using SBase = typename detail::MemberFn<S>::Class;
      static_assert(std::is_base_of_v<SBase, C>, "the setter belongs to this class or a parent");
      static_assert(std::is_base_of_v<SBase, Base> || std::is_base_of_v<Base, SBase>);
      // Getter and setter may sit in different classes; the more derived
      // one is where the instance is cast to.
      using Most = std::conditional_t<std::is_base_of_v<Base, SBase>, SBase, Base>;
      p->FAccess.reset(new detail::TPropAccessImpl<Most, V, G, S>(Getter, Setter));
    }
    TPropInfo* raw = p.get();
    FTarget.AddProperty(std::move(p));
    return TPropBuilder(raw);
  }

  template <class Base, class R, class... A>
  void Method(const String& Name, R (Base::*m)(A...)) {
    static_assert(std::is_base_of_v<Base, C>);
    using E = TEvent<R(A...)>;
    using M = R (Base::*)(A...);
    auto info = std::make_unique<TMethodInfo>();
    info->FName = Name;
    info->FEventType = &typeid(E);
    info->FHolder = std::make_shared<detail::TMethodHolder<Base, M>>(detail::TMethodHolder<Base, M>{m});
    info->FMake = &MakeFn<Base, M, E>;
    info->FMatches = &MatchFn<Base, M, E>;
    FTarget.AddMethod(std::move(info));
  }

  template <class Base, class M, class E>
  static std::any MakeFn(const void* holder, TObject* inst) {
    auto* h = static_cast<const detail::TMethodHolder<Base, M>*>(holder);
    Base* obj = dynamic_cast<Base*>(inst);
    if (!obj) return std::any();
    return std::any(E(obj, h->Method));
  }
  template <class Base, class M, class E>
  static bool MatchFn(const void* holder, const std::any& ev, TObject* inst) {
    const E* e = std::any_cast<E>(&ev);
    Base* obj = dynamic_cast<Base*>(inst);
    if (!e || !obj) return false;
    auto* h = static_cast<const detail::TMethodHolder<Base, M>*>(holder);
    return *e == E(obj, h->Method);
  }

  TPublishedClass& FTarget;
};

// Declares the published block of class Cls; see the header comment. The
// block is a template, though it is only ever called with TPublisher<Cls>:
// a plain inline body would have every unit that includes the class's header
// instantiate the accessors of all its properties, whether or not it builds
// the list.
#define QN_PUBLISHED(Cls)                                                                  \
 public:                                                                                   \
  using QnPublishedSelf = Cls;                                                             \
  static const ::vcl::TPublishedClass* StaticPublished() {                                 \
    static const std::unique_ptr<const ::vcl::TPublishedClass> pc(                         \
        ::vcl::detail::BuildPublished<Cls>(inherited::StaticPublished()));                 \
    return pc.get();                                                                       \
  }                                                                                        \
  const ::vcl::TPublishedClass* PublishedClass() const override { return StaticPublished(); } \
  template <class QnPublisher = ::vcl::TPublisher<Cls>>                                   \
  static void QnPublish([[maybe_unused]] QnPublisher& P)

// The same block for a class declared in a header that many units include:
// the list is then built only where QN_PUBLISHED_IMPL(Cls) stands, in the
// unit that implements the class. Inline, every unit that creates such an
// object compiles the whole list again along with the class's virtual
// functions.
#define QN_PUBLISHED_DECL(Cls)                                                             \
 public:                                                                                   \
  using QnPublishedSelf = Cls;                                                             \
  static const ::vcl::TPublishedClass* StaticPublished();                                  \
  const ::vcl::TPublishedClass* PublishedClass() const override;                           \
  template <class QnPublisher = ::vcl::TPublisher<Cls>>                                   \
  static void QnPublish([[maybe_unused]] QnPublisher& P)

// At namespace scope, with the class's qualified name, in exactly one unit.
#define QN_PUBLISHED_IMPL(Cls)                                                             \
  const ::vcl::TPublishedClass* Cls::StaticPublished() {                                   \
    static const std::unique_ptr<const ::vcl::TPublishedClass> pc(                         \
        ::vcl::detail::BuildPublished<Cls>(inherited::StaticPublished()));                 \
    return pc.get();                                                                       \
  }                                                                                        \
  const ::vcl::TPublishedClass* Cls::PublishedClass() const { return StaticPublished(); }

#define QN_PROP(Name) P.Property(u"" #Name, &QnPublishedSelf::Name, &QnPublishedSelf::Set##Name)
#define QN_PROP_RO(Name) P.Property(u"" #Name, &QnPublishedSelf::Name, nullptr)
#define QN_METHOD(Name) P.Method(u"" #Name, &QnPublishedSelf::Name)

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
