#include "platform/classes/Strings.h"

#include "platform/classes/ClassesInternal.h"

#include "platform/rtl/SysUtils.h"

#include <algorithm>
#include <numeric>
#include <string>

namespace vcl {

using namespace classes_detail;

namespace {

// The platform's quoted-string extraction: from the opening quote at p,
// doubled quotes stand for one, the next single quote ends the string (a
// missing one: the text's end). p is left after the closing quote.
String ExtractQuoted(const String& s, size_t& p, Char quote) {
  String out;
  ++p;
  while (p < s.size()) {
    if (s[p] == quote) {
      if (p + 1 < s.size() && s[p + 1] == quote) {
        out += quote;
        p += 2;
        continue;
      }
      ++p;
      return out;
    }
    out += s[p++];
  }
  return out;
}

bool IsBlank(Char c) { return c >= 1 && c <= u' '; }

}  // namespace

// ---------------------------------------------------------------------------
// TStrings

void TStrings::Error(const String& Msg, Integer Data) {
  String s = Msg;
  size_t p = s.find(u"%d");
  if (p != String::npos) s.replace(p, 2, IntStr(Data));
  throw EStringListError(s);
}

Integer TStrings::Add(const String& S) {
  Integer result = GetCount();
  Insert(result, S);
  return result;
}

Integer TStrings::AddObject(const String& S, TObject* AObject) {
  Integer result = Add(S);
  PutObject(result, AObject);
  return result;
}

void TStrings::AddStrings(TStrings* Strings) {
  BeginUpdate();
  try {
    for (Integer i = 0; i < Strings->GetCount(); ++i) AddObject(Strings->Get(i), Strings->GetObject(i));
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::InsertObject(Integer Index, const String& S, TObject* AObject) {
  Insert(Index, S);
  PutObject(Index, AObject);
}

void TStrings::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  if (NewIndex < 0 || NewIndex >= GetCount()) Error(u"List index out of bounds (%d)", NewIndex);
  BeginUpdate();
  try {
    String s = Get(CurIndex);
    TObject* o = GetObject(CurIndex);
    Delete(CurIndex);
    InsertObject(NewIndex, s, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Exchange(Integer Index1, Integer Index2) {
  BeginUpdate();
  try {
    String s = Get(Index1);
    TObject* o = GetObject(Index1);
    Put(Index1, Get(Index2));
    PutObject(Index1, GetObject(Index2));
    Put(Index2, s);
    PutObject(Index2, o);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

Integer TStrings::IndexOf(const String& S) {
  for (Integer i = 0; i < GetCount(); ++i)
    if (CompareStrings(Get(i), S) == 0) return i;
  return -1;
}

Integer TStrings::IndexOfName(const String& Name) {
  for (Integer i = 0; i < GetCount(); ++i) {
    String s = Get(i);
    size_t p = s.find(FNameValueSeparator);
    if (p != String::npos && CompareStrings(s.substr(0, p), Name) == 0) return i;
  }
  return -1;
}

Integer TStrings::IndexOfObject(TObject* AObject) {
  for (Integer i = 0; i < GetCount(); ++i)
    if (GetObject(i) == AObject) return i;
  return -1;
}

bool TStrings::Equals(TStrings* Strings) {
  if (!Strings || GetCount() != Strings->GetCount()) return false;
  for (Integer i = 0; i < GetCount(); ++i)
    if (Get(i) != Strings->Get(i)) return false;
  return true;
}

String TStrings::ExtractName(const String& S) const {
  size_t p = S.find(FNameValueSeparator);
  return p == String::npos ? String() : S.substr(0, p);
}

String TStrings::Names(Integer Index) { return ExtractName(Get(Index)); }

String TStrings::ValueFromIndex(Integer Index) {
  if (Index < 0) return String();
  String s = Get(Index);
  size_t p = s.find(FNameValueSeparator);
  return p == String::npos ? String() : s.substr(p + 1);
}

void TStrings::SetValueFromIndex(Integer Index, const String& Value) {
  if (!Value.empty()) {
    if (Index < 0) Index = Add(String());
    Put(Index, Names(Index) + FNameValueSeparator + Value);
  } else if (Index >= 0) {
    Delete(Index);
  }
}

String TStrings::Values(const String& Name) {
  Integer i = IndexOfName(Name);
  return i >= 0 ? ValueFromIndex(i) : String();
}

void TStrings::SetValues(const String& Name, const String& Value) {
  Integer i = IndexOfName(Name);
  if (!Value.empty()) {
    if (i < 0) i = Add(String());
    Put(i, Name + FNameValueSeparator + Value);
  } else if (i >= 0) {
    Delete(i);
  }
}

String TStrings::GetTextStr() {
  String result;
  for (Integer i = 0; i < GetCount(); ++i) result += Get(i) + FLineBreak;
  return result;
}

void TStrings::SetTextStr(const String& Value) {
  std::vector<String> lines;
  size_t p = 0, n = Value.size();
  if (FLineBreak == u"\r\n") {
    while (p < n) {
      size_t start = p;
      while (p < n && Value[p] != u'\r' && Value[p] != u'\n') ++p;
      lines.push_back(Value.substr(start, p - start));
      if (p < n && Value[p] == u'\r') ++p;
      if (p < n && Value[p] == u'\n') ++p;
    }
  } else if (!FLineBreak.empty()) {
    while (p < n) {
      size_t q = Value.find(FLineBreak, p);
      if (q == String::npos) q = n;
      lines.push_back(Value.substr(p, q - p));
      p = q == n ? n : q + FLineBreak.size();
    }
  } else if (n) {
    lines.push_back(Value);
  }
  BeginUpdate();
  try {
    Clear();
    for (auto& l : lines) Add(l);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::DelimitedText() {
  Integer count = GetCount();
  if (count == 1 && Get(0).empty()) return String(2, FQuoteChar);
  String result;
  for (Integer i = 0; i < count; ++i) {
    String s = Get(i);
    bool quote = false;
    for (Char c : s)
      if (c == 0 || c == FQuoteChar || c == FDelimiter || (!FStrictDelimiter && c <= u' ')) {
        quote = true;
        break;
      }
    if (quote) {
      String q(1, FQuoteChar);
      for (Char c : s) {
        q += c;
        if (c == FQuoteChar) q += c;
      }
      q += FQuoteChar;
      s = q;
    }
    if (i) result += FDelimiter;
    result += s;
  }
  return result;
}

void TStrings::SetDelimitedText(const String& Value) {
  std::vector<String> items;
  size_t p = 0, n = Value.size();
  if (!FStrictDelimiter)
    while (p < n && IsBlank(Value[p])) ++p;
  while (p < n) {
    String s;
    if (Value[p] == FQuoteChar) {
      s = ExtractQuoted(Value, p, FQuoteChar);
    } else {
      size_t start = p;
      while (p < n && Value[p] != FDelimiter && (FStrictDelimiter || Value[p] > u' ')) ++p;
      s = Value.substr(start, p - start);
    }
    items.push_back(s);
    if (!FStrictDelimiter)
      while (p < n && IsBlank(Value[p])) ++p;
    if (p < n && Value[p] == FDelimiter) {
      if (p + 1 == n) items.push_back(String());
      do {
        ++p;
      } while (!FStrictDelimiter && p < n && IsBlank(Value[p]));
    } else if (p < n && Value[p] == 0 && !FStrictDelimiter) {
      ++p;  // a NUL outside quotes separates like a blank
    }
  }
  BeginUpdate();
  try {
    Clear();
    for (auto& s : items) Add(s);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

String TStrings::CommaText() {
  Char d = FDelimiter, q = FQuoteChar;
  FDelimiter = u',';
  FQuoteChar = u'"';
  String result;
  try {
    result = DelimitedText();
  } catch (...) {
    FDelimiter = d;
    FQuoteChar = q;
    throw;
  }
  FDelimiter = d;
  FQuoteChar = q;
  return result;
}

void TStrings::SetCommaText(const String& Value) {
  Char d = FDelimiter, q = FQuoteChar;
  FDelimiter = u',';
  FQuoteChar = u'"';
  try {
    SetDelimitedText(Value);
  } catch (...) {
    FDelimiter = d;
    FQuoteChar = q;
    throw;
  }
  FDelimiter = d;
  FQuoteChar = q;
}

void TStrings::LoadFromStream(TStream* Stream, TTextEncoding Encoding) {
  GuardOutOfMemory([&] {
    Int64 size = Stream->Size() - Stream->Position();
    if (size < 0) size = 0;
    if (size > 0x7FFFFFFF) throw EReadError(u"Stream read error");
    TBytes bytes(static_cast<size_t>(size));
    if (size) Stream->ReadBuffer(bytes.data(), static_cast<Integer>(size));
    bool hadUtf8Bom = bytes.size() >= 3 && bytes[0] == 0xEF && bytes[1] == 0xBB && bytes[2] == 0xBF;
    TTextEncoding found = Encoding;
    String text = DecodeBytes(bytes.data(), bytes.size(), found);
    SetTextStr(text);
    // Text without a byte order mark is saved back the same way.
    FEncoding = (Encoding == TTextEncoding::Default && found == TTextEncoding::UTF8 && !hadUtf8Bom)
                    ? TTextEncoding::Default
                    : found;
  });
}

void TStrings::LoadFromFile(const String& FileName, TTextEncoding Encoding) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f, Encoding);
}

void TStrings::SaveToStream(TStream* Stream, TTextEncoding Encoding) {
  TTextEncoding e = Encoding == TTextEncoding::Default ? FEncoding : Encoding;
  TBytes bytes = EncodeText(GetTextStr(), e, FWriteBOM && e != TTextEncoding::Default && e != TTextEncoding::ASCII);
  for (size_t done = 0; done < bytes.size();) {
    Integer n = static_cast<Integer>(std::min<size_t>(bytes.size() - done, 1u << 30));
    Stream->WriteBuffer(bytes.data() + done, n);
    done += static_cast<size_t>(n);
  }
}

void TStrings::SaveToFile(const String& FileName, TTextEncoding Encoding) {
  TFileStream f(FileName, fmCreate);
  SaveToStream(&f, Encoding);
}

void TStrings::BeginUpdate() {
  if (FUpdateCount == 0) SetUpdateState(true);
  ++FUpdateCount;
}

void TStrings::EndUpdate() {
  if (FUpdateCount <= 0) return;
  --FUpdateCount;
  if (FUpdateCount == 0) SetUpdateState(false);
}

void TStrings::SetUpdateState(bool) {}

void TStrings::Assign(TPersistent* Source) {
  auto* src = dynamic_cast<TStrings*>(Source);
  if (!src) {
    inherited::Assign(Source);
    return;
  }
  // Clearing first would empty the source as well.
  if (src == this) return;
  BeginUpdate();
  try {
    Clear();
    FDelimiter = src->FDelimiter;
    FQuoteChar = src->FQuoteChar;
    FNameValueSeparator = src->FNameValueSeparator;
    FStrictDelimiter = src->FStrictDelimiter;
    FLineBreak = src->FLineBreak;
    FWriteBOM = src->FWriteBOM;
    FEncoding = src->FEncoding;
    AddStrings(src);
  } catch (...) {
    EndUpdate();
    throw;
  }
  EndUpdate();
}

void TStrings::Put(Integer Index, const String& S) {
  TObject* o = GetObject(Index);
  Delete(Index);
  InsertObject(Index, S, o);
}

TObject* TStrings::GetObject(Integer) { return nullptr; }
void TStrings::PutObject(Integer, TObject*) {}

Integer TStrings::CompareStrings(const String& S1, const String& S2) { return AnsiCompareText(S1, S2); }

// ---------------------------------------------------------------------------
// TStringList

TStringList::~TStringList() {
  OnChange = nullptr;
  OnChanging = nullptr;
  if (FOwnsObjects)
    for (auto& item : FList) delete item.FObject;
}

void TStringList::CheckIndex(Integer Index) const {
  if (Index < 0 || Index >= static_cast<Integer>(FList.size())) Error(u"List index out of bounds (%d)", Index);
}

void TStringList::Changed() {
  if (UpdateCount() == 0 && OnChange) OnChange(this);
}

void TStringList::Changing() {
  if (UpdateCount() == 0 && OnChanging) OnChanging(this);
}

void TStringList::SetUpdateState(bool Updating) {
  if (Updating) Changing();
  else Changed();
}

Integer TStringList::Add(const String& S) { return AddObject(S, nullptr); }

Integer TStringList::AddObject(const String& S, TObject* AObject) {
  Integer result;
  if (!FSorted) {
    result = GetCount();
  } else if (Find(S, result)) {
    switch (FDuplicates) {
      case TDuplicates::dupIgnore: return result;
      case TDuplicates::dupError: Error(u"String list does not allow duplicates", 0);
      case TDuplicates::dupAccept: break;
    }
  }
  InsertItem(result, S, AObject);
  return result;
}

void TStringList::Insert(Integer Index, const String& S) { InsertObject(Index, S, nullptr); }

void TStringList::InsertObject(Integer Index, const String& S, TObject* AObject) {
  if (FSorted) Error(u"Operation not allowed on sorted list", 0);
  if (Index < 0 || Index > GetCount()) Error(u"List index out of bounds (%d)", Index);
  InsertItem(Index, S, AObject);
}

void TStringList::InsertItem(Integer Index, const String& S, TObject* AObject) {
  Changing();
  FList.insert(FList.begin() + Index, TStringItem{S, AObject});
  Changed();
}

void TStringList::Delete(Integer Index) {
  CheckIndex(Index);
  Changing();
  TObject* o = FList[static_cast<size_t>(Index)].FObject;
  FList.erase(FList.begin() + Index);
  if (FOwnsObjects) delete o;
  Changed();
}

void TStringList::Clear() {
  if (FList.empty()) return;
  Changing();
  std::vector<TStringItem> old;
  old.swap(FList);
  if (FOwnsObjects)
    for (auto& item : old) delete item.FObject;
  Changed();
}

void TStringList::Move(Integer CurIndex, Integer NewIndex) {
  if (CurIndex == NewIndex) return;
  // Checked before anything moves: a sorted list or a bad index leaves the
  // list (and an owned object) as it was.
  CheckIndex(CurIndex);
  CheckIndex(NewIndex);
  if (FSorted) Error(u"Operation not allowed on sorted list", 0);
  Changing();
  TStringItem item = std::move(FList[static_cast<size_t>(CurIndex)]);
  FList.erase(FList.begin() + CurIndex);
  FList.insert(FList.begin() + NewIndex, std::move(item));
  Changed();
}

void TStringList::Exchange(Integer Index1, Integer Index2) {
  CheckIndex(Index1);
  CheckIndex(Index2);
  Changing();
  std::swap(FList[static_cast<size_t>(Index1)], FList[static_cast<size_t>(Index2)]);
  Changed();
}

Integer TStringList::IndexOf(const String& S) {
  if (!FSorted) return TStrings::IndexOf(S);
  Integer i;
  return Find(S, i) ? i : -1;
}

bool TStringList::Find(const String& S, Integer& Index) {
  bool result = false;
  Integer l = 0, h = GetCount() - 1;
  while (l <= h) {
    Integer i = static_cast<Integer>(static_cast<UInt64>(l + h) >> 1);
    Integer c = CompareStrings(FList[static_cast<size_t>(i)].FString, S);
    if (c < 0) {
      l = i + 1;
    } else {
      h = i - 1;
      if (c == 0) {
        result = true;
        if (FDuplicates != dupAccept) l = i;
      }
    }
  }
  Index = l;
  return result;
}

void TStringList::Sort() {
  CustomSort([](TStringList* List, Integer a, Integer b) {
    return List->CompareStrings(List->FList[static_cast<size_t>(a)].FString, List->FList[static_cast<size_t>(b)].FString);
  });
}

void TStringList::CustomSort(TStringListSortCompare Compare) {
  if (FSorted || FList.size() < 2 || !Compare) return;
  Changing();
  std::vector<Integer> order(FList.size());
  std::iota(order.begin(), order.end(), 0);
  // The comparison reads the list as it is; the new order is applied after.
  std::stable_sort(order.begin(), order.end(), [&](Integer a, Integer b) { return Compare(this, a, b) < 0; });
  std::vector<TStringItem> sorted;
  sorted.reserve(FList.size());
  for (Integer i : order) sorted.push_back(std::move(FList[static_cast<size_t>(i)]));
  FList.swap(sorted);
  Changed();
}

String TStringList::Get(Integer Index) {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FString;
}

void TStringList::Put(Integer Index, const String& S) {
  if (FSorted) Error(u"Operation not allowed on sorted list", 0);
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FString = S;
  Changed();
}

TObject* TStringList::GetObject(Integer Index) {
  CheckIndex(Index);
  return FList[static_cast<size_t>(Index)].FObject;
}

void TStringList::PutObject(Integer Index, TObject* AObject) {
  CheckIndex(Index);
  Changing();
  FList[static_cast<size_t>(Index)].FObject = AObject;
  Changed();
}

void TStringList::SetCapacity(Integer Value) {
  if (Value < GetCount()) Error(u"List capacity out of bounds (%d)", Value);
  FList.reserve(static_cast<size_t>(Value));
}

void TStringList::SetSorted(bool Value) {
  if (FSorted == Value) return;
  if (Value) Sort();
  FSorted = Value;
}

void TStringList::SetCaseSensitive(bool Value) {
  if (FCaseSensitive == Value) return;
  FCaseSensitive = Value;
  if (FSorted) {
    FSorted = false;
    Sort();
    FSorted = true;
  }
}

Integer TStringList::CompareStrings(const String& S1, const String& S2) {
  return FCaseSensitive ? AnsiCompareStr(S1, S2) : AnsiCompareText(S1, S2);
}

}  // namespace vcl
