// The platform's run-time core: the object model (TObject and metaclasses
// with names, parents and virtual constructors), the base exception, sets over
// enumerations and comparable event closures.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <atomic>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "platform/rtl/Types.h"

namespace vcl {

// ---------------------------------------------------------------------------
// GUIDs and interfaces.

struct TGUID {
  Cardinal D1 = 0;
  Word D2 = 0;
  Word D3 = 0;
  Byte D4[8] = {};
  friend constexpr bool operator==(const TGUID&, const TGUID&) = default;
  constexpr bool IsEmpty() const { return *this == TGUID{}; }
};

namespace detail {
constexpr int GuidHex(char c) {
  return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : c >= 'A' && c <= 'F' ? c - 'A' + 10 : -1;
}
// Parses "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}"; false when malformed.
template <class Ch>
constexpr bool ParseGuid(const Ch* s, size_t n, TGUID& g) {
  if (n != 38 || s[0] != '{' || s[37] != '}') return false;
  if (s[9] != '-' || s[14] != '-' || s[19] != '-' || s[24] != '-') return false;
  UInt64 parts[5] = {};
  const int from[5] = {1, 10, 15, 20, 25}, len[5] = {8, 4, 4, 4, 12};
  for (int p = 0; p < 5; ++p)
    for (int i = 0; i < len[p]; ++i) {
      Ch c = s[from[p] + i];
      int h = c < 128 ? GuidHex(static_cast<char>(c)) : -1;
      if (h < 0) return false;
      parts[p] = parts[p] << 4 | static_cast<UInt64>(h);
    }
  g.D1 = static_cast<Cardinal>(parts[0]);
  g.D2 = static_cast<Word>(parts[1]);
  g.D3 = static_cast<Word>(parts[2]);
  g.D4[0] = static_cast<Byte>(parts[3] >> 8);
  g.D4[1] = static_cast<Byte>(parts[3]);
  for (int i = 0; i < 6; ++i) g.D4[2 + i] = static_cast<Byte>(parts[4] >> (40 - 8 * i));
  return true;
}
}  // namespace detail

// A GUID written as its registry form; a malformed literal does not compile:
//   static constexpr TGUID IID = MakeGUID("{00000000-0000-0000-C000-000000000046}");
consteval TGUID MakeGUID(const char (&s)[39]) {
  TGUID g;
  if (!detail::ParseGuid(s, 38, g)) throw "malformed GUID literal";
  return g;
}

// "{XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX}" in upper case.
String GUIDToString(const TGUID& g);
// Raises EConvertError "'%s' is not a valid GUID value" for anything else.
TGUID StringToGUID(const String& s);
bool TryStringToGUID(const String& s, TGUID& g);
// A fresh random (version 4) GUID.
TGUID CreateGUID();

using HRESULT = Integer;
constexpr HRESULT S_OK = 0;
constexpr HRESULT S_FALSE = 1;
constexpr HRESULT E_NOTIMPL = static_cast<HRESULT>(0x80004001u);
constexpr HRESULT E_NOINTERFACE = static_cast<HRESULT>(0x80004002u);
constexpr HRESULT E_POINTER = static_cast<HRESULT>(0x80004003u);
constexpr HRESULT E_FAIL = static_cast<HRESULT>(0x80004005u);
constexpr HRESULT E_UNEXPECTED = static_cast<HRESULT>(0x8000FFFFu);
constexpr HRESULT E_INVALIDARG = static_cast<HRESULT>(0x80070057u);
constexpr bool Succeeded(HRESULT hr) { return hr >= 0; }
constexpr bool Failed(HRESULT hr) { return hr < 0; }

// The root of every interface. Interfaces derive from it (and from each
// other) virtually, so that one object implementing several of them has a
// single count:
//   struct IShape : virtual IInterface {
//     static constexpr TGUID IID = MakeGUID("{...}");
//     virtual Integer Area() = 0;
//   };
// An interface is never deleted through its pointer; _Release frees.
struct IInterface {
  static constexpr TGUID IID = MakeGUID("{00000000-0000-0000-C000-000000000046}");
  // On success stores the interface asked for (one reference added) and
  // returns S_OK; otherwise stores nullptr and returns E_NOINTERFACE. The
  // pointer stored is an I* for I::IID: cast it back to exactly that type.
  virtual HRESULT QueryInterface(const TGUID& iid, void** obj) = 0;
  virtual Integer _AddRef() = 0;
  virtual Integer _Release() = 0;

 protected:
  ~IInterface() = default;
};
using IUnknown = IInterface;

class TObject;
class TMetaClass;
using TClass = const TMetaClass*;

// UTF-16 <-> UTF-8. Invalid sequences become U+FFFD rather than failing, so a
// message can always be shown.
std::string ToUtf8(const String& s);
String FromUtf8(const std::string& s);
inline String FromUtf8(const char* s) { return FromUtf8(std::string(s ? s : "")); }

// A class reference. Every class of the object model has exactly one, reached
// through its static StaticClass() or an instance's ClassType().
class TMetaClass {
 public:
  // The virtual constructor. Its single argument is the owner for components
  // and the collection for collection items; class families that need more
  // declare their own factories.
  using TCreateFn = TObject* (*)(TObject* arg);

  constexpr TMetaClass(const char16_t* name, TClass parent, TCreateFn create = nullptr)
      : FName(name), FParent(parent), FCreate(create) {}

  String ClassName() const { return FName; }
  const char16_t* ClassNamePtr() const { return FName; }
  TClass ClassParent() const { return FParent; }
  bool InheritsFrom(TClass other) const;
  bool CanCreate() const { return FCreate != nullptr; }
  // Raises EAbstractError for a class without a virtual constructor.
  TObject* Create(TObject* arg = nullptr) const;

 private:
  const char16_t* FName;
  TClass FParent;
  TCreateFn FCreate;
};

class TObject {
 public:
  TObject() = default;
  TObject(const TObject&) = delete;
  TObject& operator=(const TObject&) = delete;
  virtual ~TObject() = default;

  static TClass StaticClass() noexcept;
  virtual TClass ClassType() const noexcept { return StaticClass(); }
  String ClassName() const { return ClassType()->ClassName(); }
  TClass ClassParent() const { return ClassType()->ClassParent(); }
  bool InheritsFrom(TClass c) const { return ClassType()->InheritsFrom(c); }
  template <class T>
  bool Is() const { return InheritsFrom(T::StaticClass()); }

  // Finds an interface the object implements (classes list theirs with
  // QN_INTERFACES). With obj set, stores it with one reference added; with
  // obj nullptr only answers, leaving the count alone.
  virtual bool GetInterface(const TGUID& iid, void** obj);
};

// Declares the class reference of a class. Put it first in the class body.
// QN_CLASS for classes without a virtual constructor (abstract ones included),
// QN_CLASS_CREATE(Cls, Parent, ArgType) for those created through their
// class reference with one argument (ArgType* may be TObject, TComponent...).
#define QN_CLASS(Cls, Parent)                                                        \
 public:                                                                             \
  using inherited = Parent;                                                          \
  static ::vcl::TClass StaticClass() noexcept {                                      \
    static const ::vcl::TMetaClass mc(u## #Cls, Parent::StaticClass());              \
    return &mc;                                                                      \
  }                                                                                  \
  ::vcl::TClass ClassType() const noexcept override { return StaticClass(); }        \
                                                                                     \
 private:

#define QN_CLASS_CREATE(Cls, Parent, ArgType)                                        \
 public:                                                                             \
  using inherited = Parent;                                                          \
  static ::vcl::TClass StaticClass() noexcept {                                      \
    static const ::vcl::TMetaClass mc(u## #Cls, Parent::StaticClass(),               \
                                      [](::vcl::TObject* a) -> ::vcl::TObject* {     \
                                        return new Cls(static_cast<ArgType*>(a));    \
                                      });                                            \
    return &mc;                                                                      \
  }                                                                                  \
  ::vcl::TClass ClassType() const noexcept override { return StaticClass(); }        \
                                                                                     \
 private:

// Class registry (RegisterClass / FindClass / GetClass) by exact class name.
void RegisterClass(TClass c);
void RegisterClasses(std::initializer_list<TClass> cs);
void UnRegisterClass(TClass c);
TClass GetClass(const String& name);   // nullptr when unknown
TClass FindClass(const String& name);  // raises EClassNotFound when unknown

// ---------------------------------------------------------------------------
// An "array of const" element, as Format and friends take it:
//   Format(u"%s has %d items", {Name, Count})
// Strings are held by pointer, so a TVarRec lives no longer than the
// full-expression that made it. Unsigned 32-bit values travel as Int64, as
// on the platform, so that they print without wrapping.

struct TVarRec {
  enum TVarType : Byte {
    vtInteger, vtBoolean, vtChar, vtExtended, vtPointer, vtPChar, vtObject, vtClass,
    vtWideChar, vtPWideChar, vtAnsiString, vtInt64, vtUnicodeString
  };
  TVarType VType = vtPointer;
  union {
    Integer VInteger;
    Boolean VBoolean;
    AnsiChar VChar;
    WideChar VWideChar;
    Extended VExtended;
    const void* VPointer;
    const AnsiChar* VPChar;
    const WideChar* VPWideChar;
    const AnsiString* VAnsiString;
    const String* VUnicodeString;
    TObject* VObject;
    TClass VClass;
    Int64 VInt64;
  };

  constexpr TVarRec() : VPointer(nullptr) {}
  template <class T, std::enable_if_t<std::is_integral_v<T> && !std::is_same_v<T, bool> &&
                                          !std::is_same_v<T, char> && !std::is_same_v<T, char16_t> &&
                                          !std::is_same_v<T, wchar_t> && !std::is_same_v<T, char32_t> &&
                                          !std::is_same_v<T, char8_t>, int> = 0>
  constexpr TVarRec(T v) {  // NOLINT: implicit, like the platform's open arrays
    if constexpr (std::is_signed_v<T> && sizeof(T) <= 4) { VType = vtInteger; VInteger = v; }
    else if constexpr (!std::is_signed_v<T> && sizeof(T) < 4) { VType = vtInteger; VInteger = v; }
    else { VType = vtInt64; VInt64 = static_cast<Int64>(v); }
  }
  constexpr TVarRec(bool v) : VType(vtBoolean), VBoolean(v) {}          // NOLINT
  constexpr TVarRec(char v) : VType(vtChar), VChar(v) {}                // NOLINT
  constexpr TVarRec(char16_t v) : VType(vtWideChar), VWideChar(v) {}    // NOLINT
  constexpr TVarRec(float v) : VType(vtExtended), VExtended(v) {}       // NOLINT
  constexpr TVarRec(double v) : VType(vtExtended), VExtended(v) {}      // NOLINT
  constexpr TVarRec(long double v) : VType(vtExtended), VExtended(v) {} // NOLINT
  constexpr TVarRec(const String& v) : VType(vtUnicodeString), VUnicodeString(&v) {}  // NOLINT
  constexpr TVarRec(const AnsiString& v) : VType(vtAnsiString), VAnsiString(&v) {}    // NOLINT
  constexpr TVarRec(const char16_t* v) : VType(vtPWideChar), VPWideChar(v) {}         // NOLINT
  constexpr TVarRec(const char* v) : VType(vtPChar), VPChar(v) {}                     // NOLINT
  constexpr TVarRec(std::nullptr_t) : VType(vtPointer), VPointer(nullptr) {}          // NOLINT
  constexpr TVarRec(TClass v) : VType(vtClass), VClass(v) {}                          // NOLINT
  template <class T, std::enable_if_t<!std::is_same_v<std::remove_cv_t<T>, char> &&
                                          !std::is_same_v<std::remove_cv_t<T>, char16_t> &&
                                          !std::is_same_v<std::remove_cv_t<T>, TMetaClass>, int> = 0>
  TVarRec(T* v) {  // NOLINT
    if constexpr (std::is_base_of_v<TObject, T>) { VType = vtObject; VObject = const_cast<std::remove_cv_t<T>*>(v); }
    else { VType = vtPointer; VPointer = v; }
  }

  bool IsInteger() const { return VType == vtInteger || VType == vtInt64; }
  bool IsString() const {
    return VType == vtUnicodeString || VType == vtAnsiString || VType == vtPWideChar || VType == vtPChar ||
           VType == vtChar || VType == vtWideChar;
  }
  // The integer of vtInteger/vtInt64 (caller checks IsInteger).
  Int64 AsInt64() const { return VType == vtInteger ? VInteger : VInt64; }
  // The text of any string or character kind (caller checks IsString).
  String AsString() const;
};

// ---------------------------------------------------------------------------
// Exceptions. Every exception the system raises derives from Exception.

class Exception : public TObject, public std::exception {
  QN_CLASS(Exception, TObject)
 public:
  explicit Exception(String msg) : FMessage(std::move(msg)), FUtf8(ToUtf8(FMessage)) {}
  explicit Exception(const char16_t* msg) : Exception(String(msg ? msg : u"")) {}
  // The platform's CreateFmt: the message is Format(fmt, args). Every
  // exception class also has a static CreateFmt returning its own type.
  Exception(const String& fmt, std::initializer_list<TVarRec> args);
  static Exception CreateFmt(const String& fmt, std::initializer_list<TVarRec> args) { return Exception(fmt, args); }
  Exception(const Exception& e) : TObject(), std::exception(e), FMessage(e.FMessage), FUtf8(e.FUtf8) {}
  const String& Message() const { return FMessage; }
  void SetMessage(const String& m) { FMessage = m; FUtf8 = ToUtf8(m); }
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  String FMessage;
  std::string FUtf8;
};

#define QN_EXCEPTION(Name, Parent)                                                      \
  class Name : public Parent {                                                          \
    QN_CLASS(Name, Parent)                                                              \
   public:                                                                              \
    using Parent::Parent;                                                               \
    static Name CreateFmt(const ::vcl::String& fmt, std::initializer_list<::vcl::TVarRec> args) { \
      return Name(fmt, args);                                                           \
    }                                                                                   \
  };

QN_EXCEPTION(EAbort, Exception)
QN_EXCEPTION(EConvertError, Exception)
QN_EXCEPTION(EAssertionFailed, Exception)
QN_EXCEPTION(EListError, Exception)
QN_EXCEPTION(EInvalidCast, Exception)
QN_EXCEPTION(EAbstractError, Exception)
QN_EXCEPTION(EOutOfMemory, Exception)
QN_EXCEPTION(EIntError, Exception)

// Readers of outside data (pictures, form files, streams) run their work
// through this: memory running out while a file is read is the library's
// EOutOfMemory, which callers handle like every other failed load, and never
// a bare std::bad_alloc escaping a library call. Readers build into
// temporaries, so the target is still as it was.
template <class F>
decltype(auto) GuardOutOfMemory(F&& Body) {
  try {
    return std::forward<F>(Body)();
  } catch (const std::bad_alloc&) {
    throw EOutOfMemory(u"Out of memory");
  }
}
QN_EXCEPTION(EIntOverflow, EIntError)
QN_EXCEPTION(EDivByZero, EIntError)
QN_EXCEPTION(ERangeError, EIntError)
QN_EXCEPTION(EMathError, Exception)
QN_EXCEPTION(EZeroDivide, EMathError)
QN_EXCEPTION(EInvalidOp, EMathError)
QN_EXCEPTION(EOverflow, EMathError)
QN_EXCEPTION(EInvalidOperation, Exception)
QN_EXCEPTION(EInvalidPointer, Exception)
QN_EXCEPTION(EArgumentException, Exception)
QN_EXCEPTION(EArgumentOutOfRangeException, EArgumentException)
QN_EXCEPTION(ENotSupportedException, Exception)
QN_EXCEPTION(EStreamError, Exception)
QN_EXCEPTION(EFilerError, EStreamError)
QN_EXCEPTION(EReadError, EFilerError)
QN_EXCEPTION(EWriteError, EFilerError)
QN_EXCEPTION(EClassNotFound, EFilerError)
QN_EXCEPTION(EFOpenError, EStreamError)
QN_EXCEPTION(EFCreateError, EStreamError)
QN_EXCEPTION(EParserError, Exception)
QN_EXCEPTION(EInOutError, Exception)
QN_EXCEPTION(EThread, Exception)
QN_EXCEPTION(EComponentError, Exception)
QN_EXCEPTION(EStringListError, EListError)
QN_EXCEPTION(EResNotFound, Exception)

class EOSError : public Exception {
  QN_CLASS(EOSError, Exception)
 public:
  using Exception::Exception;
  static EOSError CreateFmt(const String& fmt, std::initializer_list<TVarRec> args) { return EOSError(fmt, args); }
  EOSError(String msg, Cardinal code) : Exception(std::move(msg)), ErrorCode(code) {}
  Cardinal ErrorCode = 0;
};

// Programming errors in the libraries raise EAssertionFailed. The test is
// inline and a literal message becomes a string only when it fails: asserts
// sit on paths taken once a row or once a paint, where building the message
// each time would cost an allocation.
[[noreturn]] void AssertionFailed(const String& msg);
inline void Assert(bool condition, const String& msg) {
  if (!condition) AssertionFailed(msg);
}
inline void Assert(bool condition, const char16_t* msg = u"Assertion failure") {
  if (!condition) AssertionFailed(String(msg));
}
[[noreturn]] void Abort();

// Checked cast: nullptr stays nullptr; a wrong class raises EInvalidCast.
template <class T, class U>
T* As(U* obj) {
  if (!obj) return nullptr;
  if (auto* t = dynamic_cast<T*>(obj)) return t;
  throw EInvalidCast(u"Invalid class typecast");
}
template <class T, class U>
bool Is(const U* obj) {
  return obj && dynamic_cast<const T*>(obj) != nullptr;
}

template <class T>
void FreeAndNil(T*& p) {
  T* q = p;
  p = nullptr;
  delete q;
}

template <class T>
constexpr bool Assigned(const T* p) { return p != nullptr; }

// ---------------------------------------------------------------------------
// Sets over enumerations (enum class with values 0..255).

template <class E>
class TSet {
  static_assert(std::is_enum_v<E>, "TSet is a set of an enumeration");
  using U = std::underlying_type_t<E>;

 public:
  constexpr TSet() = default;
  constexpr TSet(std::initializer_list<E> es) {
    for (E e : es) Include(e);
  }
  constexpr TSet(E e) { Include(e); }  // NOLINT: a single element converts, as in [e]

  static constexpr TSet FromBits(UInt64 bits) {
    TSet s;
    s.FBits[0] = bits;
    return s;
  }
  // The low 64 elements as bits; sets that are streamed stay below that.
  constexpr UInt64 Bits() const { return FBits[0]; }

  constexpr TSet& Include(E e) { FBits[idx(e) >> 6] |= (UInt64(1) << (idx(e) & 63)); return *this; }
  constexpr TSet& Exclude(E e) { FBits[idx(e) >> 6] &= ~(UInt64(1) << (idx(e) & 63)); return *this; }
  constexpr bool Contains(E e) const { return (FBits[idx(e) >> 6] >> (idx(e) & 63)) & 1; }
  constexpr bool empty() const { return !(FBits[0] | FBits[1] | FBits[2] | FBits[3]); }
  constexpr bool Empty() const { return empty(); }
  constexpr int Count() const {
    int n = 0;
    for (UInt64 w : FBits) n += __builtin_popcountll(w);
    return n;
  }

  friend constexpr TSet operator+(TSet a, const TSet& b) { for (int i = 0; i < 4; ++i) a.FBits[i] |= b.FBits[i]; return a; }
  friend constexpr TSet operator-(TSet a, const TSet& b) { for (int i = 0; i < 4; ++i) a.FBits[i] &= ~b.FBits[i]; return a; }
  friend constexpr TSet operator*(TSet a, const TSet& b) { for (int i = 0; i < 4; ++i) a.FBits[i] &= b.FBits[i]; return a; }
  constexpr TSet& operator+=(const TSet& b) { return *this = *this + b; }
  constexpr TSet& operator-=(const TSet& b) { return *this = *this - b; }
  constexpr TSet& operator*=(const TSet& b) { return *this = *this * b; }
  friend constexpr bool operator==(const TSet& a, const TSet& b) = default;
  // a <= b: a is a subset of b.
  friend constexpr bool operator<=(const TSet& a, const TSet& b) { return (a - b).empty(); }
  friend constexpr bool operator>=(const TSet& a, const TSet& b) { return b <= a; }

  class iterator {
   public:
    using iterator_category = std::forward_iterator_tag;
    using value_type = E;
    using difference_type = std::ptrdiff_t;
    using pointer = const E*;
    using reference = E;
    constexpr iterator() = default;
    constexpr iterator(const TSet* s, int i) : FSet(s), FI(i) { skip(); }
    constexpr E operator*() const { return static_cast<E>(FI); }
    constexpr iterator& operator++() { ++FI; skip(); return *this; }
    constexpr bool operator!=(const iterator& o) const { return FI != o.FI; }
    constexpr bool operator==(const iterator& o) const { return FI == o.FI; }

   private:
    constexpr void skip() { while (FI < 256 && !((FSet->FBits[FI >> 6] >> (FI & 63)) & 1)) ++FI; }
    const TSet* FSet = nullptr;
    int FI = 256;
  };
  constexpr iterator begin() const { return iterator(this, 0); }
  constexpr iterator end() const { return iterator(this, 256); }

 private:
  static constexpr unsigned idx(E e) { return static_cast<unsigned>(static_cast<U>(e)) & 255u; }
  std::array<UInt64, 4> FBits{};
};

// ---------------------------------------------------------------------------
// Events: closures bound to an object's method (comparable: equal when object
// and method are the same, as the platform compares method pointers), or to
// any callable (equal only to copies of itself).

template <class Sig>
class TEvent;

template <class R, class... A>
class TEvent<R(A...)> {
 public:
  TEvent() = default;
  TEvent(std::nullptr_t) {}  // NOLINT: assigning nil clears an event

  template <class C, class Base>
  TEvent(C* obj, R (Base::*method)(A...)) {
    static_assert(std::is_base_of_v<Base, C>);
    using M = R (Base::*)(A...);
    static_assert(sizeof(M) <= sizeof(FCode), "method pointer too large");
    FData = static_cast<Base*>(obj);
    std::memcpy(FCode, &method, sizeof(M));
    FInvoke = [](const TEvent& e, A... args) -> R {
      M m;
      std::memcpy(&m, e.FCode, sizeof(M));
      return (static_cast<Base*>(e.FData)->*m)(std::forward<A>(args)...);
    };
  }

  // A free callable (lambda). Copies share it and compare equal.
  template <class F, class = std::enable_if_t<std::is_invocable_r_v<R, F&, A...> &&
                                              !std::is_same_v<std::decay_t<F>, TEvent>>>
  TEvent(F&& f) {  // NOLINT
    auto holder = std::make_shared<std::decay_t<F>>(std::forward<F>(f));
    FData = holder.get();
    FHolder = holder;
    FInvoke = [](const TEvent& e, A... args) -> R {
      return (*static_cast<std::decay_t<F>*>(e.FData))(std::forward<A>(args)...);
    };
  }

  explicit operator bool() const { return FInvoke != nullptr; }
  R operator()(A... args) const { return FInvoke(*this, std::forward<A>(args)...); }

  // The object the event is bound to (the platform's TMethod.Data).
  void* Data() const { return FData; }
  bool IsMethod() const { return FInvoke && !FHolder; }

  friend bool operator==(const TEvent& a, const TEvent& b) {
    if (!a.FInvoke || !b.FInvoke) return !a.FInvoke && !b.FInvoke;
    return a.FData == b.FData && a.FInvoke == b.FInvoke && std::memcmp(a.FCode, b.FCode, sizeof a.FCode) == 0;
  }
  friend bool operator==(const TEvent& a, std::nullptr_t) { return !a.FInvoke; }

 private:
  void* FData = nullptr;
  alignas(8) unsigned char FCode[16] = {};
  R (*FInvoke)(const TEvent&, A...) = nullptr;
  std::shared_ptr<void> FHolder;
};

template <class R, class... A>
bool Assigned(const TEvent<R(A...)>& e) { return static_cast<bool>(e); }

// Binds obj->method as an event: MakeEvent(this, &TFoo::Handler).
template <class C, class Base, class R, class... A>
TEvent<R(A...)> MakeEvent(C* obj, R (Base::*method)(A...)) {
  return TEvent<R(A...)>(obj, method);
}

using TNotifyEvent = TEvent<void(TObject* Sender)>;

// ---------------------------------------------------------------------------
// Objects that implement interfaces.

namespace detail {
template <class Self, class... Is>
bool FindInterface(Self* self, const TGUID& iid, void** obj) {
  bool found = false;
  ([&] {
    if (found || !(iid == Is::IID)) return;
    found = true;
    if (obj) {
      Is* p = self;
      p->_AddRef();
      *obj = p;
    }
  }(), ...);
  return found;
}
}  // namespace detail

// Lists the interfaces a class implements, after QN_CLASS (it chains to the
// parent through `inherited`). As on the platform, an interface answers
// QueryInterface only when listed: listing IShape2 does not list IShape.
#define QN_INTERFACES(...)                                                                    \
 public:                                                                                     \
  bool GetInterface(const ::vcl::TGUID& iid, void** obj) override {                          \
    return ::vcl::detail::FindInterface<std::remove_pointer_t<decltype(this)>, __VA_ARGS__>( \
               this, iid, obj) ||                                                            \
           inherited::GetInterface(iid, obj);                                                \
  }                                                                                          \
                                                                                             \
 private:

// Reference counted: the count starts at 0 and the object frees itself when
// its last interface reference goes. Create it with new and hand it to a
// TIntf at once; an object whose count never rose is freed by its creator.
class TInterfacedObject : public TObject, public virtual IInterface {
  QN_CLASS(TInterfacedObject, TObject)
 public:
  HRESULT QueryInterface(const TGUID& iid, void** obj) override;
  Integer _AddRef() override { return FRefCount.fetch_add(1, std::memory_order_relaxed) + 1; }
  Integer _Release() override;
  Integer RefCount() const { return FRefCount.load(std::memory_order_relaxed); }

 protected:
  // A constructor that hands out references to the object under
  // construction holds one of these first, so that those references going
  // away cannot free it (the platform holds a count of 1 from allocation to
  // the end of construction for the same reason):
  //   TFoo::TFoo() { TConstructionGuard guard(this); Registry.Add(TIntf<IFoo>(this)); }
  class TConstructionGuard {
   public:
    explicit TConstructionGuard(TInterfacedObject* obj) : FObj(obj) { FObj->FRefCount.fetch_add(1); }
    ~TConstructionGuard() { FObj->FRefCount.fetch_sub(1); }
    TConstructionGuard(const TConstructionGuard&) = delete;
    TConstructionGuard& operator=(const TConstructionGuard&) = delete;

   private:
    TInterfacedObject* FObj;
  };

  std::atomic<Integer> FRefCount{0};
};

// Interfaces without counting: the owner frees the object; _AddRef and
// _Release only answer -1.
class TNoRefCountObject : public TObject, public virtual IInterface {
  QN_CLASS(TNoRefCountObject, TObject)
 public:
  HRESULT QueryInterface(const TGUID& iid, void** obj) override;
  Integer _AddRef() override { return -1; }
  Integer _Release() override { return -1; }
};

// An interface reference: copying adds a reference, destruction and
// reassignment release one. Converts to references of base interfaces.
template <class I>
class TIntf {
 public:
  using element_type = I;
  TIntf() = default;
  TIntf(std::nullptr_t) {}  // NOLINT
  TIntf(I* p) : FP(p) {     // NOLINT: assigning an object to an interface variable
    if (FP) FP->_AddRef();
  }
  TIntf(const TIntf& o) : TIntf(o.FP) {}
  TIntf(TIntf&& o) noexcept : FP(o.FP) { o.FP = nullptr; }
  template <class J, std::enable_if_t<std::is_convertible_v<J*, I*>, int> = 0>
  TIntf(const TIntf<J>& o) : TIntf(static_cast<I*>(o.get())) {}  // NOLINT
  ~TIntf() { reset(); }

  TIntf& operator=(const TIntf& o) { return *this = o.FP; }
  TIntf& operator=(TIntf&& o) noexcept {
    if (this != &o) { I* old = FP; FP = o.FP; o.FP = nullptr; if (old) old->_Release(); }
    return *this;
  }
  TIntf& operator=(I* p) {
    if (p) p->_AddRef();
    I* old = FP;
    FP = p;
    if (old) old->_Release();
    return *this;
  }
  TIntf& operator=(std::nullptr_t) { reset(); return *this; }

  void reset() {
    I* old = FP;
    FP = nullptr;
    if (old) old->_Release();
  }
  // Takes over a reference already counted (as QueryInterface hands out).
  void Attach(I* p) { reset(); FP = p; }
  I* Detach() { I* p = FP; FP = nullptr; return p; }

  I* get() const { return FP; }
  I* operator->() const { return FP; }
  I& operator*() const { return *FP; }
  explicit operator bool() const { return FP != nullptr; }
  template <class J>
  friend bool operator==(const TIntf& a, const TIntf<J>& b) { return a.get() == b.get(); }
  friend bool operator==(const TIntf& a, std::nullptr_t) { return a.FP == nullptr; }

 private:
  I* FP = nullptr;
};

// Queries for another interface of the same object.
template <class I, class J>
TIntf<I> IntfCast(const TIntf<J>& src) {
  TIntf<I> r;
  void* p = nullptr;
  if (src && src->QueryInterface(I::IID, &p) == S_OK) r.Attach(static_cast<I*>(p));
  return r;
}

// Supports: whether an object or interface implements the interface `iid`.
// The forms with an out parameter hand out a counted reference; the plain
// test leaves an object's count alone.
template <class T>
bool Supports(T* p, const TGUID& iid, void** out) {
  if (out) *out = nullptr;
  if (!p) return false;
  if constexpr (std::is_base_of_v<TObject, T>) {
    return static_cast<TObject*>(p)->GetInterface(iid, out);
  } else {
    static_assert(std::is_base_of_v<IInterface, T>, "Supports takes an object or an interface");
    void* tmp = nullptr;
    if (static_cast<IInterface*>(p)->QueryInterface(iid, &tmp) != S_OK) return false;
    // tmp has the type of `iid`, unknown here; the count is per object, so
    // the reference is returned through the interface we came with.
    if (out) *out = tmp;
    else static_cast<IInterface*>(p)->_Release();
    return true;
  }
}
template <class T>
bool Supports(T* p, const TGUID& iid) { return Supports(p, iid, nullptr); }
template <class T, class I>
bool Supports(T* p, TIntf<I>& out) {
  void* q = nullptr;
  bool ok = Supports(p, I::IID, &q);
  out.Attach(ok ? static_cast<I*>(q) : nullptr);
  return ok;
}
template <class J>
bool Supports(const TIntf<J>& p, const TGUID& iid) { return Supports(p.get(), iid, nullptr); }
template <class J, class I>
bool Supports(const TIntf<J>& p, TIntf<I>& out) { return Supports(p.get(), out); }

// Whether the code runs inside a dynamic library, and inside a run-time
// package; both false for a program, settable so that tests can take the
// library branches.
bool IsLibrary();
void SetIsLibrary(bool Value);
bool ModuleIsPackage();
void SetModuleIsPackage(bool Value);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
