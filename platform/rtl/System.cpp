#include "platform/rtl/System.h"

#include <map>
#include <mutex>
#include <random>

#include "platform/rtl/Math.h"

namespace vcl {

static const TMetaClass TObjectClass(u"TObject", nullptr);
TClass TObject::StaticClass() noexcept { return &TObjectClass; }

bool TMetaClass::InheritsFrom(TClass other) const {
  for (TClass c = this; c; c = c->FParent)
    if (c == other) return true;
  return false;
}

TObject* TMetaClass::Create(TObject* arg) const {
  if (!FCreate) throw EAbstractError(u"Abstract Error: " + ClassName() + u" has no virtual constructor");
  return FCreate(arg);
}

std::string ToUtf8(const String& s) {
  std::string out;
  out.reserve(s.size());
  for (size_t i = 0; i < s.size(); ++i) {
    uint32_t c = s[i];
    if (c >= 0xD800 && c <= 0xDBFF && i + 1 < s.size() && s[i + 1] >= 0xDC00 && s[i + 1] <= 0xDFFF) {
      c = 0x10000 + ((c - 0xD800) << 10) + (s[i + 1] - 0xDC00);
      ++i;
    } else if (c >= 0xD800 && c <= 0xDFFF) {
      c = 0xFFFD;
    }
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c < 0x800) {
      out += static_cast<char>(0xC0 | (c >> 6));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
      out += static_cast<char>(0xE0 | (c >> 12));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (c >> 18));
      out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (c & 0x3F));
    }
  }
  return out;
}

String FromUtf8(const std::string& s) {
  String out;
  out.reserve(s.size());
  size_t i = 0, n = s.size();
  auto cont = [&](size_t k) { return k < n && (static_cast<unsigned char>(s[k]) & 0xC0) == 0x80; };
  while (i < n) {
    unsigned char b = static_cast<unsigned char>(s[i]);
    uint32_t c;
    size_t len;
    if (b < 0x80) { c = b; len = 1; }
    else if ((b & 0xE0) == 0xC0 && cont(i + 1)) { c = ((b & 0x1F) << 6) | (s[i + 1] & 0x3F); len = 2; if (c < 0x80) c = 0xFFFD; }
    else if ((b & 0xF0) == 0xE0 && cont(i + 1) && cont(i + 2)) {
      c = ((b & 0x0F) << 12) | ((s[i + 1] & 0x3F) << 6) | (s[i + 2] & 0x3F); len = 3;
      if (c < 0x800 || (c >= 0xD800 && c <= 0xDFFF)) c = 0xFFFD;
    } else if ((b & 0xF8) == 0xF0 && cont(i + 1) && cont(i + 2) && cont(i + 3)) {
      c = ((b & 0x07) << 18) | ((s[i + 1] & 0x3F) << 12) | ((s[i + 2] & 0x3F) << 6) | (s[i + 3] & 0x3F); len = 4;
      if (c < 0x10000 || c > 0x10FFFF) c = 0xFFFD;
    } else { c = 0xFFFD; len = 1; }
    i += len;
    if (c >= 0x10000) {
      c -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (c >> 10));
      out += static_cast<char16_t>(0xDC00 + (c & 0x3FF));
    } else {
      out += static_cast<char16_t>(c);
    }
  }
  return out;
}

namespace {
struct ClassRegistry {
  std::mutex lock;
  std::map<String, TClass> classes;
};
ClassRegistry& Registry() {
  static ClassRegistry r;
  return r;
}
}  // namespace

void RegisterClass(TClass c) {
  auto& r = Registry();
  std::lock_guard g(r.lock);
  r.classes.emplace(c->ClassName(), c);
}
void RegisterClasses(std::initializer_list<TClass> cs) {
  for (TClass c : cs) RegisterClass(c);
}
void UnRegisterClass(TClass c) {
  auto& r = Registry();
  std::lock_guard g(r.lock);
  auto it = r.classes.find(c->ClassName());
  if (it != r.classes.end() && it->second == c) r.classes.erase(it);
}
TClass GetClass(const String& name) {
  auto& r = Registry();
  std::lock_guard g(r.lock);
  auto it = r.classes.find(name);
  return it == r.classes.end() ? nullptr : it->second;
}
TClass FindClass(const String& name) {
  TClass c = GetClass(name);
  if (!c) throw EClassNotFound(u"Class " + name + u" not found");
  return c;
}

bool TObject::GetInterface(const TGUID& iid, void** obj) {
  if (!(iid == IInterface::IID)) return false;
  auto* intf = dynamic_cast<IInterface*>(this);
  if (!intf) return false;
  if (obj) {
    intf->_AddRef();
    *obj = intf;
  }
  return true;
}

HRESULT TInterfacedObject::QueryInterface(const TGUID& iid, void** obj) {
  if (!obj) return E_POINTER;
  *obj = nullptr;
  return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

Integer TInterfacedObject::_Release() {
  Integer r = FRefCount.fetch_sub(1, std::memory_order_acq_rel) - 1;
  if (r == 0) delete this;
  return r;
}

HRESULT TNoRefCountObject::QueryInterface(const TGUID& iid, void** obj) {
  if (!obj) return E_POINTER;
  *obj = nullptr;
  return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

String GUIDToString(const TGUID& g) {
  static const char16_t hex[] = u"0123456789ABCDEF";
  String s = u"{";
  auto put = [&](UInt64 v, int digits) {
    for (int i = digits - 1; i >= 0; --i) s += hex[(v >> (4 * i)) & 15];
  };
  put(g.D1, 8);
  s += u'-';
  put(g.D2, 4);
  s += u'-';
  put(g.D3, 4);
  s += u'-';
  put(g.D4[0], 2);
  put(g.D4[1], 2);
  s += u'-';
  for (int i = 2; i < 8; ++i) put(g.D4[i], 2);
  s += u'}';
  return s;
}

bool TryStringToGUID(const String& s, TGUID& g) {
  TGUID r;
  if (!detail::ParseGuid(s.data(), s.size(), r)) return false;
  g = r;
  return true;
}

TGUID StringToGUID(const String& s) {
  TGUID g;
  if (!TryStringToGUID(s, g)) throw EConvertError(u"'" + s + u"' is not a valid GUID value");
  return g;
}

TGUID CreateGUID() {
  static std::mutex lock;
  static std::mt19937_64 gen{std::random_device{}()};
  UInt64 a, b;
  {
    std::lock_guard g(lock);
    a = gen();
    b = gen();
  }
  TGUID g;
  g.D1 = static_cast<Cardinal>(a >> 32);
  g.D2 = static_cast<Word>(a >> 16);
  g.D3 = static_cast<Word>((a & 0x0FFF) | 0x4000);
  for (int i = 0; i < 8; ++i) g.D4[i] = static_cast<Byte>(b >> (56 - 8 * i));
  g.D4[0] = static_cast<Byte>((g.D4[0] & 0x3F) | 0x80);
  return g;
}

String TVarRec::AsString() const {
  switch (VType) {
    case vtUnicodeString: return *VUnicodeString;
    case vtAnsiString: return FromUtf8(*VAnsiString);
    case vtPWideChar: return VPWideChar ? String(VPWideChar) : String();
    case vtPChar: return FromUtf8(VPChar);
    case vtChar: return String(1, static_cast<char16_t>(static_cast<unsigned char>(VChar)));
    case vtWideChar: return String(1, VWideChar);
    default: return String();
  }
}

void AssertionFailed(const String& msg) { throw EAssertionFailed(msg); }

void Abort() { throw EAbort(u"Operation aborted"); }

Integer Div(Integer a, Integer b) {
  if (b == 0) throw EDivByZero(u"Division by zero");
  if (b == -1) return -a;  // wraps for INT_MIN, as the platform does with overflow checks off
  return a / b;
}
Integer Mod(Integer a, Integer b) {
  if (b == 0) throw EDivByZero(u"Division by zero");
  if (b == -1) return 0;
  return a % b;
}

}  // namespace vcl
