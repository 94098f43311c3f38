#include "platform/classes/Streaming.h"

#include "platform/classes/ClassesInternal.h"

#include "platform/classes/Strings.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <mutex>

namespace vcl {

using namespace classes_detail;

namespace {

// Names and short strings are stored a byte per character; bytes map to the
// first 256 code points both ways so nothing is lost in a round trip.
String FromBytes(const std::string& s) {
  String r;
  r.reserve(s.size());
  for (unsigned char c : s) r.push_back(c);
  return r;
}

bool IsAscii(const String& s) {
  for (char16_t c : s)
    if (c >= 128) return false;
  return true;
}

bool IsIntTag(TValueType t) { return t == vaInt8 || t == vaInt16 || t == vaInt32 || t == vaInt64; }

// The property's value as a comparable thing (ancestor comparison).
bool SameValue(const TPropInfo& Info, const TPropValue& a, const TPropValue& b) {
  if (a.Kind != b.Kind) return false;
  switch (a.Kind) {
    case TPropValue::TKind::Empty: return true;
    case TPropValue::TKind::Ordinal: return a.Ordinal == b.Ordinal;
    case TPropValue::TKind::Float: return a.Float == b.Float || (std::isnan(a.Float) && std::isnan(b.Float));
    case TPropValue::TKind::Str: return a.Str == b.Str;
    case TPropValue::TKind::Object: return a.Object == b.Object;
    case TPropValue::TKind::Method: return Info.SameMethod(a.Method, b.Method);
    case TPropValue::TKind::Interface: return a.Intf.get() == b.Intf.get();
  }
  return false;
}

// ---- 80-bit extended values (sign, 15-bit exponent, 64-bit mantissa with
// an explicit integer bit), converted through long double arithmetic so any
// host's long double works.

Extended ExtendedFromBytes(const Byte* b) {
  UInt64 mant = 0;
  for (int i = 7; i >= 0; --i) mant = (mant << 8) | b[i];
  unsigned se = static_cast<unsigned>(b[8]) | (static_cast<unsigned>(b[9]) << 8);
  bool neg = (se & 0x8000) != 0;
  int exp = static_cast<int>(se & 0x7FFF);
  Extended v;
  if (exp == 0x7FFF) {
    v = (mant << 1) == 0 ? std::numeric_limits<Extended>::infinity() : std::numeric_limits<Extended>::quiet_NaN();
  } else {
    // Denormals use the minimum exponent without the implicit bit; the
    // integer bit is explicit, so one formula covers both.
    int e = (exp == 0 ? 1 : exp) - 16383 - 63;
    v = std::ldexp(static_cast<Extended>(mant), e);
  }
  return neg ? -v : v;
}

void ExtendedToBytes(Extended v, Byte* b) {
  UInt64 mant = 0;
  unsigned se = std::signbit(v) ? 0x8000u : 0u;
  if (std::isnan(v)) {
    se |= 0x7FFF;
    mant = 0xC000000000000000ull;
  } else if (std::isinf(v)) {
    se |= 0x7FFF;
    mant = 0x8000000000000000ull;
  } else if (v != 0) {
    int e = 0;
    Extended f = std::frexp(std::fabs(v), &e);  // f in [0.5, 1)
    int exp = e - 1 + 16383;
    if (exp <= 0) {
      // Denormal: scale to the minimum exponent.
      mant = static_cast<UInt64>(std::ldexp(std::fabs(v), 16382 + 63));
      exp = 0;
    } else if (exp >= 0x7FFF) {
      exp = 0x7FFF;
      mant = 0x8000000000000000ull;
    } else {
      mant = static_cast<UInt64>(std::ldexp(f, 64));
    }
    se |= static_cast<unsigned>(exp);
  }
  for (int i = 0; i < 8; ++i) b[i] = static_cast<Byte>(mant >> (8 * i));
  b[8] = static_cast<Byte>(se);
  b[9] = static_cast<Byte>(se >> 8);
}

// ---- Registries.

struct TIntConsts {
  String TypeName;
  TIdentToInt ToInt;
  TIntToIdent ToIdent;
};

std::mutex& RegistryLock() {
  static std::mutex m;
  return m;
}
std::vector<TIntConsts>& IntConsts() {
  static std::vector<TIntConsts> v;
  return v;
}
std::vector<TFindGlobalComponent>& GlobalFinders() {
  static std::vector<TFindGlobalComponent> v;
  return v;
}

}  // namespace

void RegisterIntegerConsts(const String& TypeName, TIdentToInt IdentToInt, TIntToIdent IntToIdent) {
  std::lock_guard<std::mutex> g(RegistryLock());
  IntConsts().push_back({TypeName, IdentToInt, IntToIdent});
}

void UnregisterIntegerConsts(const String& TypeName) {
  std::lock_guard<std::mutex> g(RegistryLock());
  auto& v = IntConsts();
  v.erase(std::remove_if(v.begin(), v.end(), [&](const TIntConsts& c) { return SameIdent(c.TypeName, TypeName); }),
          v.end());
}

TIdentToInt FindIdentToInt(const String& TypeName) {
  std::lock_guard<std::mutex> g(RegistryLock());
  for (auto& c : IntConsts())
    if (SameIdent(c.TypeName, TypeName)) return c.ToInt;
  return nullptr;
}

TIntToIdent FindIntToIdent(const String& TypeName) {
  std::lock_guard<std::mutex> g(RegistryLock());
  for (auto& c : IntConsts())
    if (SameIdent(c.TypeName, TypeName)) return c.ToIdent;
  return nullptr;
}

void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  std::lock_guard<std::mutex> g(RegistryLock());
  GlobalFinders().push_back(Proc);
}

void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc) {
  std::lock_guard<std::mutex> g(RegistryLock());
  auto& v = GlobalFinders();
  v.erase(std::remove(v.begin(), v.end(), Proc), v.end());
}

TComponent* FindGlobalComponent(const String& Name) {
  std::vector<TFindGlobalComponent> finders;
  {
    std::lock_guard<std::mutex> g(RegistryLock());
    finders = GlobalFinders();
  }
  for (auto f : finders)
    if (TComponent* c = f(Name)) return c;
  return nullptr;
}

// ---------------------------------------------------------------------------
// Pending references: "Form2.Button1" read before Form2 exists. Each entry
// is watched through free notification, so a form freed before the
// reference resolves takes its entries with it.

namespace {

struct TPendingFixup {
  TComponent* Holder;    // the component whose (sub-object) property waits
  TPersistent* Instance;
  const TPropInfo* Info;
  String RootName;
  String Path;           // the rest after the root name
};

class TFixupWatcher : public TComponent {
  QN_CLASS(TFixupWatcher, TComponent)
 public:
  TFixupWatcher() : TComponent(nullptr) {}
  std::vector<TPendingFixup> Pending;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override {
    inherited::Notification(AComponent, Operation);
    if (Operation != opRemove) return;
    Pending.erase(std::remove_if(Pending.begin(), Pending.end(),
                                 [&](const TPendingFixup& f) { return f.Holder == AComponent; }),
                  Pending.end());
  }
};

std::recursive_mutex& FixupLock() {
  static std::recursive_mutex m;
  return m;
}

TFixupWatcher& Watcher() {
  // Lives for the process: entries may outlive any one reader.
  static TFixupWatcher* w = new TFixupWatcher();
  return *w;
}

// Follows "A.B.C" through FindComponent from Start.
TComponent* FindPath(TComponent* Start, const String& Path) {
  TComponent* c = Start;
  size_t from = 0;
  while (c && from <= Path.size()) {
    size_t dot = Path.find(u'.', from);
    String part = Path.substr(from, dot == String::npos ? String::npos : dot - from);
    if (SameIdent(part, u"Owner")) c = c->Owner() ? c->Owner() : c;
    else c = c->FindComponent(part);
    if (dot == String::npos) break;
    from = dot + 1;
  }
  return c;
}

}  // namespace

void GlobalFixupReferences() {
  std::lock_guard<std::recursive_mutex> g(FixupLock());
  auto& pending = Watcher().Pending;
  for (size_t i = 0; i < pending.size();) {
    TPendingFixup f = pending[i];
    TComponent* root = FindGlobalComponent(f.RootName);
    TComponent* target = root ? FindPath(root, f.Path) : nullptr;
    if (!target) {
      ++i;
      continue;
    }
    pending.erase(pending.begin() + static_cast<std::ptrdiff_t>(i));
    try {
      f.Info->SetValue(f.Instance, TPropValue::FromObject(target));
    } catch (const Exception&) {
      // The property refused the component; the reference stays unset.
    }
  }
}

Integer PendingFixupCount() {
  std::lock_guard<std::recursive_mutex> g(FixupLock());
  return static_cast<Integer>(Watcher().Pending.size());
}

void RemoveFixupReferences(TComponent* Root, const String& RootName) {
  std::lock_guard<std::recursive_mutex> g(FixupLock());
  auto& p = Watcher().Pending;
  p.erase(std::remove_if(p.begin(), p.end(),
                         [&](const TPendingFixup& f) {
                           if (!RootName.empty() && !SameIdent(f.RootName, RootName)) return false;
                           if (!Root) return true;
                           for (TComponent* c = f.Holder; c; c = c->Owner())
                             if (c == Root) return true;
                           return false;
                         }),
          p.end());
}

// ---------------------------------------------------------------------------

TFiler::TFiler(TStream* Stream) : FStream(Stream) {
  if (!Stream) throw EFilerError(u"No stream");
}

// ---------------------------------------------------------------------------
// TReader

struct TReader::TFixup {
  TComponent* Holder;
  TPersistent* Instance;
  const TPropInfo* Info;
  String Name;
  String Path;  // for messages
  Int64 Offset;
};

// The published values of an existing root and its components, put back
// when a read fails part-way.
struct TReader::TSnapshot {
  struct TEntry {
    TPersistent* Instance;
    const TPropInfo* Info;
    TPropValue Value;
  };
  std::vector<TEntry> Entries;
  std::vector<TComponent*> Components;
  std::vector<Integer> DesignInfos;
  TComponent* Root = nullptr;
  String RootName;

  void Capture(TPersistent* obj, int depth) {
    if (!obj || depth > 8) return;
    for (const TPropInfo* p : GetPropInfos(obj)) {
      if (!p->IsWritable() && p->Kind() != tkClass) continue;
      try {
        TPropValue v = p->GetValue(obj);
        if (p->Kind() == tkClass) {
          auto* sub = dynamic_cast<TPersistent*>(v.Object);
          bool reference = dynamic_cast<TComponent*>(sub) &&
                           !static_cast<TComponent*>(sub)->ComponentStyle().Contains(csSubComponent);
          if (auto* coll = dynamic_cast<TCollection*>(sub)) CaptureCollection(coll);
          else if (auto* strings = dynamic_cast<TStrings*>(sub)) CaptureStrings(strings);
          else if (sub && !reference) Capture(sub, depth + 1);
          if (!p->IsWritable() || (sub && !reference)) continue;
        }
        if (p->Name() == u"Name" && dynamic_cast<TComponent*>(obj)) continue;
        Entries.push_back({obj, p, std::move(v)});
      } catch (const Exception&) {
      }
    }
  }
  // Collections are kept as the bytes the writer makes of them.
  struct TCollectionEntry {
    TCollection* Collection;
    TMemoryStream Data;
  };
  std::vector<std::unique_ptr<TCollectionEntry>> Collections;
  void CaptureCollection(TCollection* c) {
    auto e = std::make_unique<TCollectionEntry>();
    e->Collection = c;
    TWriter w(&e->Data);
    w.WriteCollection(c);
    w.FlushBuffer();
    Collections.push_back(std::move(e));
  }
  std::vector<std::pair<TStrings*, std::vector<String>>> Lines;
  void CaptureStrings(TStrings* s) {
    std::vector<String> lines;
    for (Integer i = 0; i < s->Count(); ++i) lines.push_back(s->Get(i));
    Lines.emplace_back(s, std::move(lines));
  }
  void CaptureTree(TComponent* c, int depth) {
    if (depth > 32) return;
    Components.push_back(c);
    DesignInfos.push_back(c->DesignInfo());
    Capture(c, 0);
    for (Integer i = 0; i < c->ComponentCount(); ++i) CaptureTree(c->Components(i), depth + 1);
  }
  void Restore() {
    for (auto& c : Collections) {
      try {
        c->Collection->Clear();
        c->Data.SetPosition(0);
        TReader r(&c->Data);
        r.SetRoot(Root);
        r.ReadValue();
        r.ReadCollection(c->Collection);
      } catch (...) {
      }
    }
    for (auto& [strings, lines] : Lines) {
      try {
        strings->BeginUpdate();
        strings->Clear();
        for (auto& l : lines) strings->Add(l);
        strings->EndUpdate();
      } catch (...) {
      }
    }
    for (auto& e : Entries) {
      try {
        e.Info->SetValue(e.Instance, e.Value);
      } catch (...) {
      }
    }
    for (size_t i = 0; i < Components.size(); ++i) Components[i]->SetDesignInfo(DesignInfos[i]);
    if (Root && Root->Name() != RootName) {
      try {
        Root->SetName(RootName);
      } catch (...) {
      }
    }
  }
};

TReader::TReader(TStream* Stream) : TFiler(Stream) {
  FStart = Stream->Position();
  FSize = Stream->Size() - FStart;
  if (FSize < 0) FSize = 0;
}

TReader::~TReader() = default;

void TReader::ReadError(const String& Message) {
  throw EReadError(Message + u" at offset " + IntStr(FPosition));
}

void TReader::Enter() {
  if (++FDepth > MaxDepth) {
    --FDepth;
    ReadError(u"Form nested too deeply");
  }
}

void TReader::Read(void* Buf, Integer Count) {
  if (Count <= 0) return;
  if (Count > FSize - FPosition) ReadError(u"Stream read error");
  if (FStream->Read(Buf, Count) != Count) ReadError(u"Stream read error");
  FPosition += Count;
}

Byte TReader::PeekByte() {
  Byte b = 0;
  if (FPosition >= FSize || FStream->Read(&b, 1) != 1) ReadError(u"Stream read error");
  FStream->Seek(-1, soCurrent);
  return b;
}

int32_t TReader::ReadLength() {
  int32_t n = 0;
  Read(&n, 4);
  // Checked against what is left before anything is allocated for it.
  if (n < 0 || n > FSize - FPosition) {
    FPosition -= 4;
    ReadError(u"Invalid stream format");
  }
  return n;
}

TValueType TReader::ReadValue() {
  Byte b = 0;
  Read(&b, 1);
  if (b > vaLastValue) {
    --FPosition;
    ReadError(u"Invalid stream format");
  }
  return static_cast<TValueType>(b);
}

TValueType TReader::NextValue() {
  Byte b = PeekByte();
  if (b > vaLastValue) ReadError(u"Invalid stream format");
  return static_cast<TValueType>(b);
}

void TReader::CheckValue(TValueType Value) {
  if (ReadValue() != Value) {
    --FPosition;
    ReadError(u"Invalid property value");
  }
}

bool TReader::EndOfList() { return PeekByte() == 0; }
void TReader::ReadListBegin() { CheckValue(vaList); }
void TReader::ReadListEnd() { CheckValue(vaNull); }

void TReader::ReadResHeader() {
  const Int64 at = FPosition;
  auto bad = [&] {
    FPosition = at;
    ReadError(u"Invalid stream format");
  };
  Byte b = 0;
  Word w = 0;
  Read(&b, 1);
  if (b != 0xFF) bad();
  // The type, as an ordinal: form resources are RCDATA (10).
  Read(&w, 2);
  if (w != 10) bad();
  // The name: an ordinal (0xFF and a word) or bytes up to a zero.
  Read(&b, 1);
  if (b == 0xFF) {
    Read(&w, 2);
  } else {
    for (int n = 0; b != 0; ++n) {
      if (n >= 255) bad();
      Read(&b, 1);
    }
  }
  Read(&w, 2);  // memory flags: nothing to do with them
  int32_t size = 0;
  Read(&size, 4);
  if (size < 4 || size > FSize - FPosition) {
    FPosition -= 4;
    ReadError(u"Invalid stream format");
  }
  // The form ends where the resource does, whatever follows it.
  FSize = FPosition + size;
}

void TReader::ReadSignature() {
  if (FPosition < FSize && PeekByte() == 0xFF) ReadResHeader();
  char sig[4];
  Read(sig, 4);
  if (std::memcmp(sig, FilerSignature, 4) != 0) {
    FPosition -= 4;
    ReadError(u"Invalid stream format");
  }
}

void TReader::ReadPrefix(TFilerFlags& Flags, Integer& AChildPos) {
  Flags = TFilerFlags();
  AChildPos = 0;
  Byte b = PeekByte();
  if ((b & 0xF0) == 0xF0) {
    Read(&b, 1);
    if (b & 0x08) {
      --FPosition;
      ReadError(u"Invalid stream format");
    }
    Flags = TFilerFlags::FromBits(b & 0x07);
    if (Flags.Contains(ffChildPos)) AChildPos = ReadInteger();
  }
}

String TReader::ReadStr() {
  Byte len = 0;
  Read(&len, 1);
  std::string s(len, '\0');
  Read(s.data(), len);
  return FromBytes(s);
}

Integer TReader::ReadInteger() {
  switch (ReadValue()) {
    case vaInt8: { int8_t v; Read(&v, 1); return v; }
    case vaInt16: { int16_t v; Read(&v, 2); return v; }
    case vaInt32: { int32_t v; Read(&v, 4); return v; }
    default:
      --FPosition;
      ReadError(u"Invalid property value");
  }
}

Int64 TReader::ReadInt64() {
  if (NextValue() == vaInt64) {
    ReadValue();
    Int64 v;
    Read(&v, 8);
    return v;
  }
  return ReadInteger();
}

bool TReader::ReadBoolean() {
  TValueType t = ReadValue();
  if (t == vaTrue) return true;
  if (t == vaFalse) return false;
  --FPosition;
  ReadError(u"Invalid property value");
}

Char TReader::ReadChar() {
  Int64 at = FPosition;
  if (IsIntTag(NextValue())) {
    Int64 v = ReadInt64();
    if (v < 0 || v > 0xFFFF) {
      FPosition = at;
      ReadError(u"Invalid property value");
    }
    return static_cast<Char>(v);
  }
  String s = ReadString();
  if (s.size() != 1) {
    FPosition = at;
    ReadError(u"Invalid property value");
  }
  return s[0];
}

Extended TReader::ReadFloat() {
  switch (NextValue()) {
    case vaExtended: {
      ReadValue();
      Byte b[10];
      Read(b, 10);
      return ExtendedFromBytes(b);
    }
    case vaSingle: return ReadSingle();
    case vaDouble: return ReadDouble();
    case vaDate: return ReadDate();
    case vaCurrency: return ReadCurrency();
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: return static_cast<Extended>(ReadInt64());
    default:
      ReadError(u"Invalid property value");
  }
}

Single TReader::ReadSingle() {
  if (NextValue() != vaSingle) return static_cast<Single>(ReadFloat());
  ReadValue();
  Single v;
  Read(&v, 4);
  return v;
}

Double TReader::ReadDouble() {
  if (NextValue() != vaDouble) return static_cast<Double>(ReadFloat());
  ReadValue();
  Double v;
  Read(&v, 8);
  return v;
}

Int64 TReader::ReadCurrencyRaw() {
  if (NextValue() == vaCurrency) {
    ReadValue();
    Int64 v;
    Read(&v, 8);
    return v;
  }
  Extended f = ReadFloat() * 10000;
  if (!(f >= -9.2233720368547758e18L && f <= 9.2233720368547758e18L)) ReadError(u"Invalid property value");
  return static_cast<Int64>(std::llround(f));
}

Extended TReader::ReadCurrency() { return static_cast<Extended>(ReadCurrencyRaw()) / 10000; }

TDateTime TReader::ReadDate() {
  if (NextValue() != vaDate) return static_cast<TDateTime>(ReadFloat());
  ReadValue();
  Double v;
  Read(&v, 8);
  return v;
}

String TReader::ReadString() {
  TValueType t = ReadValue();
  switch (t) {
    case vaString: case vaLString: {
      int32_t n = 0;
      if (t == vaString) {
        Byte b;
        Read(&b, 1);
        n = b;
      } else {
        n = ReadLength();
      }
      std::string s(static_cast<size_t>(n), '\0');
      Read(s.data(), n);
      return FromBytes(s);
    }
    case vaWString: {
      int32_t n = ReadLength();  // characters: the byte check below is exact
      if (n > (FSize - FPosition) / 2) {
        FPosition -= 4;
        ReadError(u"Invalid stream format");
      }
      String s(static_cast<size_t>(n), u'\0');
      Read(s.data(), n * 2);
      return s;
    }
    case vaUTF8String: {
      int32_t n = ReadLength();
      std::string s(static_cast<size_t>(n), '\0');
      Read(s.data(), n);
      return FromUtf8(s);
    }
    default:
      --FPosition;
      ReadError(u"Invalid property value");
  }
}

String TReader::ReadIdent() {
  TValueType t = ReadValue();
  switch (t) {
    case vaIdent: {
      Byte len;
      Read(&len, 1);
      std::string s(len, '\0');
      Read(s.data(), len);
      return FromBytes(s);
    }
    case vaFalse: return u"False";
    case vaTrue: return u"True";
    case vaNil: return u"nil";
    case vaNull: return u"Null";
    default:
      --FPosition;
      ReadError(u"Invalid property value");
  }
}

std::vector<String> TReader::ReadSetNames() {
  if (NextValue() == vaSet) ReadValue();
  std::vector<String> r;
  for (;;) {
    String s = ReadStr();
    if (s.empty()) break;
    // At most one entry per remaining byte, so this cannot grow unbounded.
    r.push_back(std::move(s));
  }
  return r;
}

TBytes TReader::ReadBinary() {
  CheckValue(vaBinary);
  int32_t n = ReadLength();
  TBytes b(static_cast<size_t>(n));
  Read(b.data(), n);
  return b;
}

void TReader::SkipValue() {
  Enter();
  TValueType t = NextValue();
  switch (t) {
    case vaNull: ReadValue(); break;
    case vaList:
      ReadValue();
      while (!EndOfList()) SkipValue();
      ReadListEnd();
      break;
    case vaInt8: case vaInt16: case vaInt32: case vaInt64: ReadInt64(); break;
    case vaExtended: case vaSingle: case vaDouble: case vaDate: ReadFloat(); break;
    case vaCurrency: ReadCurrencyRaw(); break;
    case vaString: case vaLString: case vaWString: case vaUTF8String: {
      // Skipped without building the string.
      ReadValue();
      Int64 n;
      if (t == vaString) {
        Byte b;
        Read(&b, 1);
        n = b;
      } else {
        n = ReadLength();
        if (t == vaWString) {
          if (n > (FSize - FPosition) / 2) ReadError(u"Invalid stream format");
          n *= 2;
        }
      }
      if (n > FSize - FPosition) ReadError(u"Stream read error");
      FStream->Seek(n, soCurrent);
      FPosition += n;
      break;
    }
    case vaIdent: case vaFalse: case vaTrue: case vaNil: ReadIdent(); break;
    case vaBinary: {
      ReadValue();
      int32_t n = ReadLength();
      FStream->Seek(n, soCurrent);
      FPosition += n;
      break;
    }
    case vaSet:
      ReadValue();
      while (!ReadStr().empty()) {
      }
      break;
    case vaCollection:
      ReadValue();
      while (!EndOfList()) {
        if (IsIntTag(NextValue())) ReadInt64();
        ReadListBegin();
        while (!EndOfList()) {
          ReadStr();
          SkipValue();
        }
        ReadListEnd();
      }
      ReadListEnd();
      break;
  }
  Leave();
}

void TReader::ValidateComponent(int depth) {
  Enter();
  FItemStart = FPosition;
  TFilerFlags flags;
  Integer pos;
  ReadPrefix(flags, pos);
  Int64 at = FPosition;
  String cls = ReadStr();
  ReadStr();
  // The root's class is the instance's own; children that exist already
  // (inherited) need no registration either.
  if (depth > 0 && !flags.Contains(ffInherited)) {
    TClass c = GetClass(cls);
    if (!c) throw EClassNotFound(u"Class " + cls + u" not found at offset " + IntStr(at));
    if (!c->InheritsFrom(TComponent::StaticClass()) || !c->CanCreate()) {
      FPosition = at;
      ReadError(u"Class " + cls + u" is not a component class");
    }
  }
  while (!EndOfList()) {
    FItemStart = FPosition;
    if (ReadStr().empty()) ReadError(u"Invalid property path");
    SkipValue();
  }
  ReadListEnd();
  while (!EndOfList()) ValidateComponent(depth + 1);
  ReadListEnd();
  Leave();
}

String TReader::NameOf(TPersistent* Instance) const {
  if (auto* c = dynamic_cast<TComponent*>(Instance)) {
    if (!c->Name().empty()) return c->Name();
    return c->ClassName();
  }
  return Instance ? Instance->GetNamePath() : String();
}

bool TReader::HandleError(const String& Message) {
  if (!OnError) return false;
  bool handled = false;
  OnError(this, Message, handled);
  return handled;
}

void TReader::PropertyError(TPersistent* Instance, const String& PropPath, const String& Message) {
  String msg = u"Error reading " + NameOf(Instance) + u"." + PropPath + u": " + Message;
  if (!HandleError(msg)) throw EReadError(msg);
}

void TReader::DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc&, bool) {
  if (FPropDone || !ReadData || !SameIdent(Name, FPropName)) return;
  FPropDone = true;
  ReadData(this);
}

namespace {
// The bytes of a binary property where they already lie in memory, read only.
class TBinaryView : public TCustomMemoryStream {
 public:
  TBinaryView(const Byte* Data, Int64 Size) { SetPointer(const_cast<Byte*>(Data), Size); }
  using TStream::Write;
  Integer Write(const void*, Integer) override { throw EStreamError(u"Can't write to a read-only stream"); }
};
}  // namespace

void TReader::DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc&, bool) {
  if (FPropDone || !ReadData || !SameIdent(Name, FPropName)) return;
  FPropDone = true;
  // Pictures come this way: from a memory stream the data is lent in place
  // instead of copied twice.
  if (auto* mem = dynamic_cast<TCustomMemoryStream*>(FStream)) {
    CheckValue(vaBinary);
    const int32_t n = ReadLength();
    const Int64 at = mem->Position();
    TBinaryView view(static_cast<const Byte*>(mem->Memory()) + at, n);
    FStream->Seek(n, soCurrent);
    FPosition += n;
    ReadData(&view);
    return;
  }
  TBytes data = ReadBinary();
  TMemoryStream ms;
  if (!data.empty()) ms.WriteBuffer(data.data(), static_cast<Integer>(data.size()));
  ms.SetPosition(0);
  ReadData(&ms);
}

void TReader::ReadProperty(TPersistent* AInstance) {
  FItemStart = FPosition;
  String path = ReadStr();
  TPersistent* instance = AInstance;
  size_t from = 0;
  const TPropInfo* info = nullptr;
  String last;
  for (;;) {
    size_t dot = path.find(u'.', from);
    last = path.substr(from, dot == String::npos ? String::npos : dot - from);
    info = GetPropInfo(instance, last);
    if (dot == String::npos) break;
    // A dotted path goes through a sub-object, never through a reference.
    TPersistent* sub = nullptr;
    if (info && info->Kind() == tkClass) {
      sub = dynamic_cast<TPersistent*>(info->GetValue(instance).Object);
      if (auto* c = dynamic_cast<TComponent*>(sub); c && !c->ComponentStyle().Contains(csSubComponent)) sub = nullptr;
    }
    if (!sub) {
      SkipValue();
      PropertyError(AInstance, path, u"Property " + last + u" does not exist");
      return;
    }
    instance = sub;
    from = dot + 1;
  }
  if (info) {
    ReadPropValue(instance, *info, path);
    return;
  }
  String oldName = FPropName;
  bool oldDone = FPropDone;
  FPropName = last;
  FPropDone = false;
  const Int64 valueAt = FPosition;
  const Int64 streamAt = FStream->Position();
  try {
    instance->DefineProperties(this);
  } catch (const Exception& e) {
    FPropName = oldName;
    FPropDone = oldDone;
    // Already reported (a property read inside this one) or out of memory:
    // nothing to add.
    if (dynamic_cast<const EOutOfMemory*>(&e) || e.Message().starts_with(u"Error reading ")) throw;
    // The defined property refused its value like a published one would:
    // the value was checked when the component was, so it can be skipped
    // from its start and the handler asked.
    String message = e.Message();
    FStream->SetPosition(streamAt);
    FPosition = valueAt;
    SkipValue();
    PropertyError(AInstance, path, message);
    return;
  } catch (...) {
    FPropName = oldName;
    FPropDone = oldDone;
    throw;
  }
  bool done = FPropDone;
  FPropName = oldName;
  FPropDone = oldDone;
  if (!done) {
    SkipValue();
    PropertyError(AInstance, path, u"Property " + last + u" does not exist");
  }
}

void TReader::ReadPropValue(TPersistent* Instance, const TPropInfo& Info, const String& PropPath) {
  const TPropType& t = Info.PropType();
  TValueType next = NextValue();
  TPropValue value;
  String bad;  // why the value does not fit, once it has been skipped
  auto refuse = [&](const String& why) {
    SkipValue();
    bad = why;
  };
  switch (t.Kind) {
    case tkInteger: case tkInt64:
      if (next == vaIdent) {
        Int64 at = FPosition;
        String ident = ReadIdent();
        Integer v = 0;
        TIdentToInt conv = FindIdentToInt(t.Name);
        if (conv && conv(ident, v)) value = TPropValue::FromOrdinal(v);
        else { (void)at; bad = u"Invalid property value"; }
      } else if (IsIntTag(next)) {
        value = TPropValue::FromOrdinal(ReadInt64());
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkChar: case tkWChar:
      if (IsIntTag(next) || next == vaString || next == vaLString || next == vaWString || next == vaUTF8String) {
        Int64 at = FPosition;
        String s;
        if (IsIntTag(next)) value = TPropValue::FromOrdinal(ReadInt64());
        else {
          s = ReadString();
          if (s.size() == 1) value = TPropValue::FromOrdinal(s[0]);
          else { (void)at; bad = u"Invalid property value"; }
        }
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkEnumeration:
      if (next == vaIdent || next == vaFalse || next == vaTrue) {
        String ident = ReadIdent();
        Integer v = t.EnumType ? t.EnumType->ValueOf(ident) : -1;
        if (v < 0) bad = u"Invalid property value";
        else value = TPropValue::FromOrdinal(v);
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkSet:
      if (next == vaSet) {
        UInt64 bits = 0;
        for (const String& n : ReadSetNames()) {
          Integer v = t.EnumType ? t.EnumType->ValueOf(n) : -1;
          if (v < 0 || v >= 64) bad = u"Invalid property value";
          else bits |= UInt64(1) << v;
        }
        value = TPropValue::FromOrdinal(static_cast<Int64>(bits));
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkFloat:
      if (IsIntTag(next) || next == vaExtended || next == vaSingle || next == vaDouble || next == vaDate ||
          next == vaCurrency) {
        if (t.FloatType == ftCurr) value = TPropValue::FromFloat(ReadCurrency());
        else value = TPropValue::FromFloat(ReadFloat());
        // A finite value the property's type cannot hold is refused, not
        // turned into an infinity.
        if (std::isfinite(value.Float) &&
            ((t.FloatType == ftSingle && !std::isfinite(static_cast<Single>(value.Float))) ||
             ((t.FloatType == ftDouble || t.IsDate) && !std::isfinite(static_cast<Double>(value.Float)))))
          bad = u"Invalid property value";
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkString: case tkLString: case tkWString: case tkUString:
      if (next == vaString || next == vaLString || next == vaWString || next == vaUTF8String)
        value = TPropValue::FromString(ReadString());
      else
        refuse(u"Invalid property value");
      break;
    case tkClass:
      if (next == vaNil) {
        ReadValue();
        value = TPropValue::FromObject(nullptr);
      } else if (next == vaIdent) {
        String name = ReadIdent();
        FFixups.push_back(std::make_unique<TFixup>(TFixup{FCurrent, Instance, &Info, name, PropPath, FItemStart}));
        return;
      } else if (next == vaCollection) {
        auto* coll = dynamic_cast<TCollection*>(Info.GetValue(Instance).Object);
        if (!coll) {
          refuse(u"Invalid property value");
          break;
        }
        ReadValue();
        ReadCollection(coll);
        return;
      } else {
        refuse(u"Invalid property value");
      }
      break;
    case tkMethod:
      if (next == vaNil) {
        ReadValue();
        value = TPropValue::FromMethod(std::any());
      } else if (next == vaIdent) {
        String name = ReadIdent();
        std::any ev;
        TComponent* root = FLookupRoot ? FLookupRoot : FRoot;
        if (const TMethodInfo* m = MethodAddress(root, name)) ev = m->MakeEvent(root);
        if (!ev.has_value() && OnFindMethod) OnFindMethod(this, name, ev);
        if (!ev.has_value()) bad = u"Method '" + name + u"' not found";
        else if (t.MethodType && ev.type() != *t.MethodType) bad = u"Method '" + name + u"' does not fit the event";
        else value = TPropValue::FromMethod(std::move(ev));
      } else {
        refuse(u"Invalid property value");
      }
      break;
    default:
      refuse(u"Invalid property value");
      break;
  }
  if (!bad.empty()) {
    PropertyError(Instance, PropPath, bad);
    return;
  }
  try {
    Info.SetValue(Instance, value);
  } catch (const EReadError&) {
    throw;
  } catch (const Exception& e) {
    PropertyError(Instance, PropPath, e.Message());
  }
}

void TReader::ReadCollection(TCollection* Collection) {
  Enter();
  Collection->BeginUpdate();
  try {
    if (!EndOfList()) {
      // References read for the items about to go must not outlive them.
      FFixups.erase(std::remove_if(FFixups.begin(), FFixups.end(),
                                   [&](const std::unique_ptr<TFixup>& f) {
                                     TPersistent* p = f->Instance;
                                     for (int i = 0; p && i < 64; ++i, p = p->GetOwner())
                                       if (p == Collection) return true;
                                     return false;
                                   }),
                    FFixups.end());
      Collection->Clear();
    }
    while (!EndOfList()) {
      if (IsIntTag(NextValue())) ReadInt64();  // the item's position: items come in order
      TCollectionItem* item = Collection->Add();
      ReadListBegin();
      while (!EndOfList()) ReadProperty(item);
      ReadListEnd();
    }
    ReadListEnd();
  } catch (...) {
    Collection->EndUpdate();
    Leave();
    throw;
  }
  Collection->EndUpdate();
  Leave();
}

void TReader::ReadData(TComponent* Instance) {
  TComponent* oldCurrent = FCurrent;
  FCurrent = Instance;
  while (!EndOfList()) ReadProperty(Instance);
  ReadListEnd();
  FCurrent = oldCurrent;
  TComponent* oldParent = FParent;
  TComponent* oldOwner = FOwner;
  FParent = Instance->GetChildParent();
  FOwner = Instance->GetChildOwner();
  if (!FOwner) FOwner = FRoot;
  try {
    while (!EndOfList()) ReadComponent(nullptr);
    ReadListEnd();
  } catch (...) {
    FParent = oldParent;
    FOwner = oldOwner;
    throw;
  }
  FParent = oldParent;
  FOwner = oldOwner;
}

TComponent* TReader::ReadComponent(TComponent* Component) {
  Enter();
  FItemStart = FPosition;
  TFilerFlags flags;
  Integer pos = 0;
  ReadPrefix(flags, pos);
  Int64 at = FPosition;
  String cls = ReadStr();
  String name = ReadStr();
  TComponent* result = Component;
  if (!result) {
    if (flags.Contains(ffInherited)) {
      result = FOwner ? FOwner->FindComponent(name) : nullptr;
      if (!result) {
        FPosition = at;
        ReadError(u"Ancestor for '" + name + u"' not found");
      }
    } else {
      TClass c = FindClass(cls);
      if (!c->InheritsFrom(TComponent::StaticClass()) || !c->CanCreate()) {
        FPosition = at;
        ReadError(u"Class " + cls + u" is not a component class");
      }
      result = CreateComponent(c, FOwner);
      FCreated.push_back(result);
      result->IncludeState(csLoading);
      try {
        result->SetName(name);
      } catch (const EComponentError& e) {
        FPosition = at;
        ReadError(e.Message());
      }
    }
  }
  result->IncludeState(csLoading);
  result->IncludeState(csReading);
  if (flags.Contains(ffInline)) result->SetInline(true);
  if (std::find(FLoaded.begin(), FLoaded.end(), result) == FLoaded.end()) FLoaded.push_back(result);
  result->ReadState(this);
  result->ExcludeState(csReading);
  if (flags.Contains(ffChildPos) && FParent) FParent->SetChildOrder(result, pos);
  Leave();
  return result;
}

void TReader::FixupReferences() {
  std::vector<std::unique_ptr<TFixup>> fixups;
  fixups.swap(FFixups);
  for (auto& f : fixups) {
    FItemStart = f->Offset;
    TComponent* target = nullptr;
    size_t dot = f->Name.find(u'.');
    String first = f->Name.substr(0, dot);
    bool local = dot == String::npos || SameIdent(first, FRoot->Name()) || SameIdent(first, u"Owner");
    if (dot == String::npos) {
      target = SameIdent(f->Name, u"Owner") ? FRoot : FRoot->FindComponent(f->Name);
      if (!target && SameIdent(f->Name, FRoot->Name())) target = FRoot;
    } else if (local) {
      target = FindPath(FRoot, f->Name.substr(dot + 1));
    } else if (TComponent* other = FindGlobalComponent(first)) {
      target = FindPath(other, f->Name.substr(dot + 1));
    } else {
      // Another form, not read yet: resolved when it is.
      std::lock_guard<std::recursive_mutex> g(FixupLock());
      Watcher().Pending.push_back({f->Holder, f->Instance, f->Info, first, f->Name.substr(dot + 1)});
      f->Holder->FreeNotification(&Watcher());
      continue;
    }
    if (!target) {
      PropertyError(f->Instance, f->Path, u"Invalid reference '" + f->Name + u"'");
      continue;
    }
    try {
      f->Info->SetValue(f->Instance, TPropValue::FromObject(target));
    } catch (const Exception& e) {
      PropertyError(f->Instance, f->Path, e.Message());
    }
  }
}

TComponent* TReader::ReadRootComponent(TComponent* Root) {
  return GuardOutOfMemory([&]() -> TComponent* {
    Int64 streamStart = FStream->Position();
    Int64 start = FPosition;
    // Everything is checked before anything is touched.
    ReadSignature();
    ValidateComponent(0);
    FStream->SetPosition(streamStart);
    FPosition = start;

    ReadSignature();
    TFilerFlags flags;
    Integer pos;
    ReadPrefix(flags, pos);
    Int64 at = FPosition;
    String cls = ReadStr();
    String name = ReadStr();

    std::unique_ptr<TSnapshot> snapshot;
    bool createdRoot = false;
    if (!Root) {
      TClass c = FindClass(cls);
      if (!c->InheritsFrom(TComponent::StaticClass()) || !c->CanCreate()) {
        FPosition = at;
        ReadError(u"Class " + cls + u" is not a component class");
      }
      Root = CreateComponent(c, nullptr);
      createdRoot = true;
    } else {
      bool fits = false;
      for (TClass c = Root->ClassType(); c && !fits; c = c->ClassParent()) fits = SameIdent(c->ClassName(), cls);
      if (!fits) {
        FPosition = at;
        ReadError(u"Form of class " + cls + u" cannot be read into a " + Root->ClassName());
      }
      snapshot = std::make_unique<TSnapshot>();
      snapshot->Root = Root;
      snapshot->RootName = Root->Name();
      snapshot->CaptureTree(Root, 0);
    }

    FRoot = Root;
    FLookupRoot = Root;
    FOwner = Root;
    FLoaded.clear();
    FCreated.clear();
    FFixups.clear();
    try {
      if (!SameIdent(Root->Name(), name) || Root->Name() != name) {
        try {
          Root->SetName(name);
        } catch (const EComponentError& e) {
          FPosition = at;
          ReadError(e.Message());
        }
      }
      FLoaded.push_back(Root);
      Root->IncludeState(csLoading);
      Root->IncludeState(csReading);
      Root->ReadState(this);
      Root->ExcludeState(csReading);
      FixupReferences();
      // Loaded runs once the whole tree and its references are in place: the
      // root first, then the others in the order they were read.
      std::vector<TComponent*> loaded;
      loaded.swap(FLoaded);
      for (TComponent* c : loaded) c->Loaded();
    } catch (...) {
      FFixups.clear();
      // Free what this read created (children before the owners they were
      // created after), then restore what it changed.
      for (auto it = FCreated.rbegin(); it != FCreated.rend(); ++it) {
        TComponent* c = *it;
        RemoveFixupReferences(c, u"");
        delete c;
      }
      FCreated.clear();
      if (createdRoot) {
        RemoveFixupReferences(Root, u"");
        delete Root;
      } else {
        for (TComponent* c : snapshot->Components) {
          c->ExcludeState(csLoading);
          c->ExcludeState(csReading);
        }
        snapshot->Restore();
      }
      FLoaded.clear();
      throw;
    }
    FCreated.clear();
    GlobalFixupReferences();
    return Root;
  });
}

// ---------------------------------------------------------------------------
// TWriter

TWriter::TWriter(TStream* Stream) : TFiler(Stream) {}

TWriter::~TWriter() {
  try {
    FlushBuffer();
  } catch (...) {
    // A failing stream was reported by the call that filled the buffer last.
  }
}

void TWriter::FlushBuffer() {
  if (FBuffer.empty()) return;
  std::vector<Byte> b;
  b.swap(FBuffer);
  FStream->WriteBuffer(b.data(), static_cast<Integer>(b.size()));
  FFlushed += static_cast<Int64>(b.size());
}

void TWriter::Write(const void* Buf, Integer Count) {
  if (Count <= 0) return;
  auto* p = static_cast<const Byte*>(Buf);
  FBuffer.insert(FBuffer.end(), p, p + Count);
}

void TWriter::WriteValue(TValueType Value) {
  Byte b = static_cast<Byte>(Value);
  Write(&b, 1);
}

void TWriter::WriteSignature() { Write(FilerSignature, 4); }

void TWriter::WritePrefix(TFilerFlags Flags, Integer AChildPos) {
  if (Flags.Empty()) return;
  Byte b = static_cast<Byte>(0xF0 | (Flags.Bits() & 0x07));
  Write(&b, 1);
  if (Flags.Contains(ffChildPos)) WriteInteger(AChildPos);
}

void TWriter::WriteInteger(Int64 Value) {
  if (Value >= -128 && Value <= 127) {
    WriteValue(vaInt8);
    int8_t v = static_cast<int8_t>(Value);
    Write(&v, 1);
  } else if (Value >= -32768 && Value <= 32767) {
    WriteValue(vaInt16);
    int16_t v = static_cast<int16_t>(Value);
    Write(&v, 2);
  } else if (Value >= INT32_MIN && Value <= INT32_MAX) {
    WriteValue(vaInt32);
    int32_t v = static_cast<int32_t>(Value);
    Write(&v, 4);
  } else {
    WriteValue(vaInt64);
    Write(&Value, 8);
  }
}

void TWriter::WriteChar(Char Value) { WriteString(String(1, Value)); }

void TWriter::WriteFloat(Extended Value) {
  WriteValue(vaExtended);
  Byte b[10];
  ExtendedToBytes(Value, b);
  Write(b, 10);
}

void TWriter::WriteSingle(Single Value) {
  WriteValue(vaSingle);
  Write(&Value, 4);
}

void TWriter::WriteDouble(Double Value) {
  WriteValue(vaDouble);
  Write(&Value, 8);
}

void TWriter::WriteCurrencyRaw(Int64 Value) {
  WriteValue(vaCurrency);
  Write(&Value, 8);
}

void TWriter::WriteCurrency(Extended Value) {
  Extended scaled = std::nearbyint(Value * 10000);
  if (std::isnan(scaled)) throw EWriteError(u"Currency value out of range");
  // The ends of the range come back from doubles a rounding step beyond it.
  if (scaled >= 9.2233720368547758e18L) WriteCurrencyRaw(INT64_MAX);
  else if (scaled <= -9.2233720368547758e18L) WriteCurrencyRaw(INT64_MIN);
  else WriteCurrencyRaw(static_cast<Int64>(scaled));
}

void TWriter::WriteDate(TDateTime Value) {
  WriteValue(vaDate);
  Write(&Value, 8);
}

void TWriter::WriteString(const String& Value) {
  if (!IsAscii(Value)) {
    WriteWideString(Value);
    return;
  }
  if (Value.size() <= 255) {
    WriteValue(vaString);
    Byte n = static_cast<Byte>(Value.size());
    Write(&n, 1);
  } else {
    if (Value.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError(u"String too long");
    WriteValue(vaLString);
    int32_t n = static_cast<int32_t>(Value.size());
    Write(&n, 4);
  }
  std::string bytes(Value.begin(), Value.end());
  Write(bytes.data(), static_cast<Integer>(bytes.size()));
}

void TWriter::WriteWideString(const String& Value) {
  if (Value.size() > static_cast<size_t>(INT32_MAX / 2)) throw EWriteError(u"String too long");
  WriteValue(vaWString);
  int32_t n = static_cast<int32_t>(Value.size());
  Write(&n, 4);
  Write(Value.data(), n * 2);
}

void TWriter::WriteUTF8Str(const String& Value) {
  std::string u = ToUtf8(Value);
  if (u.size() > static_cast<size_t>(INT32_MAX)) throw EWriteError(u"String too long");
  WriteValue(vaUTF8String);
  int32_t n = static_cast<int32_t>(u.size());
  Write(&n, 4);
  Write(u.data(), n);
}

void TWriter::WriteIdent(const String& Ident) {
  if (SameIdent(Ident, u"False")) WriteValue(vaFalse);
  else if (SameIdent(Ident, u"True")) WriteValue(vaTrue);
  else if (SameIdent(Ident, u"nil")) WriteValue(vaNil);
  else if (SameIdent(Ident, u"Null")) WriteValue(vaNull);
  else {
    WriteValue(vaIdent);
    WriteStr(Ident);
  }
}

void TWriter::WriteStr(const String& Value) {
  if (Value.size() > 255) throw EWriteError(u"Name too long: " + Value.substr(0, 32) + u"...");
  Byte n = static_cast<Byte>(Value.size());
  Write(&n, 1);
  std::string bytes;
  bytes.reserve(Value.size());
  for (char16_t c : Value) bytes.push_back(static_cast<char>(c <= 0xFF ? c : u'?'));
  Write(bytes.data(), n);
}

void TWriter::WriteSet(const std::vector<String>& Names) {
  WriteValue(vaSet);
  for (const String& n : Names) WriteStr(n);
  WriteStr(String());
}

void TWriter::WriteBinary(const void* Data, Integer Count) {
  WriteValue(vaBinary);
  Write(&Count, 4);
  Write(Data, Count);
}

Byte* TWriter::BeginBinary(Integer Capacity) {
  WriteValue(vaBinary);
  const Integer none = 0;
  Write(&none, 4);
  FBinaryAt = FBuffer.size();
  FBuffer.resize(FBinaryAt + static_cast<size_t>(std::max(Capacity, 0)));
  return FBuffer.data() + FBinaryAt;
}

void TWriter::EndBinary(Integer Count) {
  std::memcpy(FBuffer.data() + FBinaryAt - 4, &Count, 4);
  FBuffer.resize(FBinaryAt + static_cast<size_t>(Count));
}

std::vector<Byte> TWriter::TakeBuffer() {
  std::vector<Byte> b;
  b.swap(FBuffer);
  FFlushed += static_cast<Int64>(b.size());
  return b;
}

void TWriter::WritePropName(const String& PropName) { WriteStr(FPropPath + PropName); }

void TWriter::DefineProperty(const String& Name, const TReaderProc&, const TWriterProc& WriteData, bool HasData) {
  if (!HasData || !WriteData) return;
  WritePropName(Name);
  WriteData(this);
}

void TWriter::DefineBinaryProperty(const String& Name, const TStreamProc&, const TStreamProc& WriteData,
                                   bool HasData) {
  if (!HasData || !WriteData) return;
  TMemoryStream ms;
  WriteData(&ms);
  WritePropName(Name);
  WriteBinary(ms.Memory(), static_cast<Integer>(ms.Size()));
}

String TWriter::ReferenceName(TComponent* C) const {
  if (!C) return String();
  if (C->Owner() == FLookupRoot && FLookupRoot) return C->Name();
  if (C == FLookupRoot) return u"Owner";
  if (C->Owner() && !C->Owner()->Name().empty() && !C->Name().empty())
    return C->Owner()->Name() + u"." + C->Name();
  if (!C->Name().empty()) return C->Name() + u".Owner";
  return String();
}

void TWriter::WriteCollection(TCollection* Value) {
  WriteValue(vaCollection);
  if (Value) {
    String oldPath = FPropPath;
    TPersistent* oldAncestor = FAncestor;
    FPropPath.clear();
    FAncestor = nullptr;
    for (Integer i = 0; i < Value->Count(); ++i) {
      WriteListBegin();
      WriteProperties(Value->Items(i));
      WriteListEnd();
    }
    FPropPath = oldPath;
    FAncestor = oldAncestor;
  }
  WriteListEnd();
}

namespace {

// The bytes WriteCollection would write, for comparing with the ancestor's.
std::vector<Byte> CollectionBytes(TCollection* c, TComponent* lookupRoot) {
  TMemoryStream ms;
  {
    TWriter w(&ms);
    w.SetRoot(lookupRoot);
    w.WriteCollection(c);
    w.FlushBuffer();
  }
  auto* p = static_cast<const Byte*>(ms.Memory());
  return std::vector<Byte>(p, p + ms.Size());
}

}  // namespace

void TWriter::WriteProperty(TPersistent* Instance, const TPropInfo& Info) {
  const TPropType& t = Info.PropType();
  TPropValue v = Info.GetValue(Instance);
  const TPropInfo* ancInfo = FAncestor ? GetPropInfo(FAncestor, Info.Name()) : nullptr;
  TPropValue anc;
  bool hasAnc = false;
  if (ancInfo && ancInfo->Kind() == Info.Kind()) {
    anc = ancInfo->GetValue(FAncestor);
    hasAnc = true;
  }
  switch (t.Kind) {
    case tkInteger: case tkInt64: case tkChar: case tkWChar: case tkEnumeration: case tkSet:
    case tkFloat: case tkString: case tkLString: case tkWString: case tkUString: {
      if (hasAnc ? SameValue(Info, v, anc) : Info.IsDefaultValue(Instance)) return;
      WritePropName(Info.Name());
      switch (t.Kind) {
        case tkInteger: case tkInt64: {
          String ident;
          TIntToIdent conv = FindIntToIdent(t.Name);
          if (conv && v.Ordinal >= INT32_MIN && v.Ordinal <= INT32_MAX && conv(static_cast<Integer>(v.Ordinal), ident))
            WriteIdent(ident);
          else
            WriteInteger(v.Ordinal);
          break;
        }
        case tkChar: case tkWChar: WriteChar(static_cast<Char>(v.Ordinal)); break;
        case tkEnumeration:
          if (t.EnumType == QnEnumTypeInfo(static_cast<bool*>(nullptr))) WriteBoolean(v.Ordinal != 0);
          else if (t.EnumType && v.Ordinal >= 0 && v.Ordinal <= t.EnumType->MaxValue())
            WriteIdent(t.EnumType->NameOf(static_cast<Integer>(v.Ordinal)));
          else
            WriteInteger(v.Ordinal);
          break;
        case tkSet: {
          std::vector<String> names;
          for (Integer i = 0; i < 64; ++i)
            if ((static_cast<UInt64>(v.Ordinal) >> i) & 1) names.push_back(t.EnumType ? t.EnumType->NameOf(i) : IntStr(i));
          WriteSet(names);
          break;
        }
        case tkFloat:
          if (t.FloatType == ftCurr) WriteCurrency(v.Float);
          else if (t.IsDate) WriteDate(static_cast<TDateTime>(v.Float));
          else if (t.FloatType == ftSingle) WriteSingle(static_cast<Single>(v.Float));
          else if (t.FloatType == ftDouble) {
            // A double goes out as the extended value with the same shortest
            // decimal form, so its text reads as written ("0.1", not
            // "0.1000000000000000055511151231257827").
            Double d = static_cast<Double>(v.Float);
            std::string text;
            for (int prec = 1; prec <= 17; ++prec) {
              text = FormatFloatC(d, std::chars_format::general, prec);
              if (ParseFloatC<Double>(text.c_str()) == d) break;
            }
            Extended e = ParseFloatC<Extended>(text.c_str());
            WriteFloat(static_cast<Double>(e) == d ? e : static_cast<Extended>(d));
          } else {
            WriteFloat(v.Float);
          }
          break;
        case tkWString: WriteWideString(v.Str); break;
        default: WriteString(v.Str); break;
      }
      return;
    }
    case tkClass: {
      TObject* obj = v.Object;
      auto* comp = dynamic_cast<TComponent*>(obj);
      bool reference = comp && !comp->ComponentStyle().Contains(csSubComponent);
      if (!obj) {
        if (hasAnc && anc.Object) {
          WritePropName(Info.Name());
          WriteValue(vaNil);
        }
        return;
      }
      if (reference) {
        String name = ReferenceName(comp);
        if (name.empty()) return;
        if (hasAnc) {
          auto* ancComp = dynamic_cast<TComponent*>(anc.Object);
          TComponent* oldLookup = FLookupRoot;
          FLookupRoot = FRootAncestor ? FRootAncestor : FLookupRoot;
          String ancName = ReferenceName(ancComp);
          FLookupRoot = oldLookup;
          if (ancComp && SameIdent(ancName, name)) return;
        }
        WritePropName(Info.Name());
        WriteIdent(name);
        return;
      }
      if (auto* coll = dynamic_cast<TCollection*>(obj)) {
        if (hasAnc) {
          auto* ancColl = dynamic_cast<TCollection*>(anc.Object);
          if (ancColl && CollectionBytes(coll, FLookupRoot) == CollectionBytes(ancColl, FLookupRoot)) return;
        } else if (coll->Count() == 0) {
          return;
        }
        WritePropName(Info.Name());
        WriteCollection(coll);
        return;
      }
      if (auto* sub = dynamic_cast<TPersistent*>(obj)) {
        String oldPath = FPropPath;
        TPersistent* oldAncestor = FAncestor;
        FPropPath += Info.Name() + u".";
        FAncestor = hasAnc ? dynamic_cast<TPersistent*>(anc.Object) : nullptr;
        try {
          WriteProperties(sub);
        } catch (...) {
          FPropPath = oldPath;
          FAncestor = oldAncestor;
          throw;
        }
        FPropPath = oldPath;
        FAncestor = oldAncestor;
      }
      return;
    }
    case tkMethod: {
      if (!v.Method.has_value()) {
        if (hasAnc && anc.Method.has_value()) {
          WritePropName(Info.Name());
          WriteValue(vaNil);
        }
        return;
      }
      String name = MethodName(FLookupRoot, v.Method);
      // Bound to something the root does not publish: nothing to name.
      if (name.empty()) return;
      if (hasAnc && anc.Method.has_value() && FRootAncestor &&
          SameIdent(MethodName(FRootAncestor, anc.Method), name))
        return;
      WritePropName(Info.Name());
      WriteIdent(name);
      return;
    }
    default:
      return;
  }
}

void TWriter::WriteProperties(TPersistent* Instance) {
  for (const TPropInfo* p : GetPropInfos(Instance))
    if (p->IsStored(Instance)) WriteProperty(Instance, *p);
  Instance->DefineProperties(this);
}

bool TWriter::WriteComponentBody(TComponent* Instance, TFilerFlags Flags, bool Optional) {
  size_t headerAt = FBuffer.size();
  // A length byte of F0 or more would read as a prefix.
  if (Instance->ClassName().size() >= 0xF0) throw EWriteError(u"Class name too long: " + Instance->ClassName());
  WritePrefix(Flags, 0);
  WriteStr(Instance->ClassName());
  WriteStr(Instance->Name());
  size_t propsAt = FBuffer.size();
  WriteProperties(Instance);
  bool wrote = FBuffer.size() != propsAt;
  WriteListEnd();
  if (!FIgnoreChildren) {
    TPersistent* oldAncestor = FAncestor;
    TComponent* childOwnerAncestor = FRootAncestor;
    try {
      Instance->GetChildren(
          [&](TComponent* Child) {
            FAncestor = childOwnerAncestor ? childOwnerAncestor->FindComponent(Child->Name()) : nullptr;
            size_t before = FBuffer.size();
            WriteComponent(Child);
            if (FBuffer.size() != before) wrote = true;
          },
          FRoot);
    } catch (...) {
      FAncestor = oldAncestor;
      throw;
    }
    FAncestor = oldAncestor;
  }
  WriteListEnd();
  if (Optional && !wrote) {
    FBuffer.resize(headerAt);
    return false;
  }
  return true;
}

void TWriter::WriteData(TComponent* Instance) {
  TFilerFlags flags;
  if (FAncestor) flags.Include(ffInherited);
  if (Instance->ComponentState().Contains(csInline)) flags.Include(ffInline);
  // An inherited child that differs in nothing is left to the ancestor.
  WriteComponentBody(Instance, flags, FAncestor != nullptr && Instance != FRoot);
}

void TWriter::WriteComponent(TComponent* Component) {
  bool had = Component->ComponentState().Contains(csWriting);
  Component->IncludeState(csWriting);
  try {
    Component->WriteState(this);
  } catch (...) {
    if (!had) Component->ExcludeState(csWriting);
    throw;
  }
  if (!had) Component->ExcludeState(csWriting);
}

void TWriter::WriteDescendent(TComponent* Root, TComponent* Ancestor) {
  FRootAncestor = Ancestor;
  FAncestor = Ancestor;
  FRoot = Root;
  FLookupRoot = Root;
  WriteSignature();
  WriteComponent(Root);
  FlushBuffer();
}

// ---------------------------------------------------------------------------
// Component and stream entry points.

void TComponent::ReadState(TReader* Reader) { Reader->ReadData(this); }

void TComponent::WriteState(TWriter* Writer) { Writer->WriteData(this); }

void TComponent::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Integer ancestor = 0;
  if (auto* a = dynamic_cast<TComponent*>(Filer->Ancestor())) ancestor = a->FDesignInfo;
  // Each half is a signed 16-bit number; the other half stays as it is.
  auto half = [this](int shift) {
    return static_cast<Integer>(static_cast<int16_t>(static_cast<Cardinal>(FDesignInfo) >> shift));
  };
  auto setHalf = [this](int shift, Integer v) {
    const Cardinal mask = Cardinal(0xFFFF) << shift;
    FDesignInfo = static_cast<Integer>((static_cast<Cardinal>(FDesignInfo) & ~mask) |
                                       ((static_cast<Cardinal>(v) & 0xFFFF) << shift));
  };
  const Cardinal diff = static_cast<Cardinal>(FDesignInfo) ^ static_cast<Cardinal>(ancestor);
  Filer->DefineProperty(
      u"Left", [setHalf](TReader* Reader) { setHalf(0, Reader->ReadInteger()); },
      [half](TWriter* Writer) { Writer->WriteInteger(half(0)); }, (diff & 0xFFFF) != 0);
  Filer->DefineProperty(
      u"Top", [setHalf](TReader* Reader) { setHalf(16, Reader->ReadInteger()); },
      [half](TWriter* Writer) { Writer->WriteInteger(half(16)); }, (diff >> 16) != 0);
}

TComponent* TStream::ReadComponent(TComponent* Instance) {
  return GuardOutOfMemory([&]() -> TComponent* {
    TReader reader(this);
    try {
      return reader.ReadRootComponent(Instance);
    } catch (EFilerError& e) {
      // Faults of meaning (a property that does not exist) say where, too.
      if (e.Message().find(u" at offset ") == String::npos)
        e.SetMessage(e.Message() + u" at offset " + IntStr(reader.ItemOffset()));
      throw;
    }
  });
}

void TStream::WriteComponent(TComponent* Instance) { WriteDescendent(Instance, nullptr); }

void TStream::WriteDescendent(TComponent* Instance, TComponent* Ancestor) {
  TWriter writer(this);
  writer.WriteDescendent(Instance, Ancestor);
}

void TStrings::DefineProperties(TFiler* Filer) {
  bool hasData;
  if (auto* anc = dynamic_cast<TStrings*>(Filer->Ancestor())) hasData = !Equals(anc);
  else hasData = Count() > 0;
  Filer->DefineProperty(
      u"Strings",
      [this](TReader* Reader) {
        Reader->ReadListBegin();
        BeginUpdate();
        try {
          Clear();
          while (!Reader->EndOfList()) Add(Reader->ReadString());
          Reader->ReadListEnd();
        } catch (...) {
          EndUpdate();
          throw;
        }
        EndUpdate();
      },
      [this](TWriter* Writer) {
        Writer->WriteListBegin();
        for (Integer i = 0; i < Count(); ++i) Writer->WriteString(Get(i));
        Writer->WriteListEnd();
      },
      hasData);
}

// ---------------------------------------------------------------------------
// TDataModule

void TDataModule::GetChildren(const TGetChildProc& Proc, TComponent*) {
  for (Integer i = 0; i < ComponentCount(); ++i) {
    TComponent* c = Components(i);
    if (!c->HasParent()) Proc(c);
  }
}

void TDataModule::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  auto* ancestor = dynamic_cast<TDataModule*>(Filer->Ancestor());
  Integer* const values[4] = {&FDesignSize.Y, &FDesignOffset.X, &FDesignOffset.Y, &FDesignSize.X};
  const Integer ancestorValues[4] = {
      ancestor ? ancestor->FDesignSize.Y : 0, ancestor ? ancestor->FDesignOffset.X : 0,
      ancestor ? ancestor->FDesignOffset.Y : 0, ancestor ? ancestor->FDesignSize.X : 0};
  static const char16_t* const kNames[4] = {u"Height", u"HorizontalOffset", u"VerticalOffset", u"Width"};
  for (int i = 0; i < 4; ++i) {
    Integer* v = values[i];
    Filer->DefineProperty(
        kNames[i], [v](TReader* Reader) { *v = Reader->ReadInteger(); },
        [v](TWriter* Writer) { Writer->WriteInteger(*v); }, *v != ancestorValues[i]);
  }
}

void TDataModule::DoCreate() {
  if (FOnCreate) FOnCreate(this);
}

void TDataModule::BeforeDestruction() {
  if (FOnDestroy) {
    try {
      FOnDestroy(this);
    } catch (...) {
    }
  }
  inherited::BeforeDestruction();
}

}  // namespace vcl

QN_PUBLISHED_IMPL(vcl::TDataModule)
