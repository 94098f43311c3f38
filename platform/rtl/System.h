// The platform's run-time core: the object model (TObject and metaclasses
// with names, parents and virtual constructors), the base exception, sets over
// enumerations and comparable event closures.
#pragma once

#include <array>
#include <cstring>
#include <exception>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <type_traits>
#include <utility>

#include "platform/rtl/Types.h"

namespace vcl {

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
// Exceptions. Every exception the system raises derives from Exception.

class Exception : public TObject, public std::exception {
  QN_CLASS(Exception, TObject)
 public:
  explicit Exception(String msg) : FMessage(std::move(msg)), FUtf8(ToUtf8(FMessage)) {}
  explicit Exception(const char16_t* msg) : Exception(String(msg ? msg : u"")) {}
  Exception(const Exception& e) : TObject(), std::exception(e), FMessage(e.FMessage), FUtf8(e.FUtf8) {}
  const String& Message() const { return FMessage; }
  void SetMessage(const String& m) { FMessage = m; FUtf8 = ToUtf8(m); }
  const char* what() const noexcept override { return FUtf8.c_str(); }

 private:
  String FMessage;
  std::string FUtf8;
};

#define QN_EXCEPTION(Name, Parent)                 \
  class Name : public Parent {                     \
    QN_CLASS(Name, Parent)                         \
   public:                                         \
    using Parent::Parent;                          \
  };

QN_EXCEPTION(EAbort, Exception)
QN_EXCEPTION(EConvertError, Exception)
QN_EXCEPTION(EAssertionFailed, Exception)
QN_EXCEPTION(EListError, Exception)
QN_EXCEPTION(EInvalidCast, Exception)
QN_EXCEPTION(EAbstractError, Exception)
QN_EXCEPTION(EOutOfMemory, Exception)
QN_EXCEPTION(EIntError, Exception)
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
  EOSError(String msg, Cardinal code) : Exception(std::move(msg)), ErrorCode(code) {}
  Cardinal ErrorCode = 0;
};

// Programming errors in the libraries raise EAssertionFailed.
void Assert(bool condition, const String& msg = u"Assertion failure");
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

}  // namespace vcl
