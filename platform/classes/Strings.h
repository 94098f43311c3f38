// String lists: TStrings (the abstract interface every string list shares,
// with names and values, text, delimited text and files) and TStringList
// (the stored list: objects, sorting, duplicates, change events).
//
// Delimited text follows the platform's rules. On output an item is quoted
// (QuoteChar doubled inside) when it holds QuoteChar, the delimiter or a NUL,
// or (unless StrictDelimiter) any character up to ' '; a list of one empty
// item is written as two quote chars. On input quoted sections are unquoted
// (a missing closing quote ends at the end of the text), and unless
// StrictDelimiter blanks and control characters outside quotes separate
// items and are skipped around them; a delimiter at the very end adds an
// empty last item.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <vector>

#include "platform/classes/Lists.h"
#include "platform/classes/Persistent.h"
#include "platform/classes/Streams.h"

namespace vcl {

class TStringList;

// Compares two items of List by index: <0, 0, >0.
using TStringListSortCompare = Integer (*)(TStringList* List, Integer Index1, Integer Index2);

class TStrings : public TPersistent {
  QN_CLASS(TStrings, TPersistent)
 public:
  TStrings() = default;

  virtual Integer Add(const String& S);
  virtual Integer AddObject(const String& S, TObject* AObject);
  Integer AddPair(const String& Name, const String& Value) { return Add(Name + NameValueSeparator() + Value); }
  void Append(const String& S) { Add(S); }
  virtual void AddStrings(TStrings* Strings);
  virtual void Insert(Integer Index, const String& S) = 0;
  virtual void InsertObject(Integer Index, const String& S, TObject* AObject);
  virtual void Delete(Integer Index) = 0;
  virtual void Clear() = 0;
  virtual void Move(Integer CurIndex, Integer NewIndex);
  virtual void Exchange(Integer Index1, Integer Index2);

  // Case-insensitive unless a descendant says otherwise (CompareStrings).
  virtual Integer IndexOf(const String& S);
  virtual Integer IndexOfName(const String& Name);
  virtual Integer IndexOfObject(TObject* AObject);
  // Same count and the same strings, case included (objects not compared).
  bool Equals(TStrings* Strings);

  String Strings(Integer Index) { return Get(Index); }
  void SetStrings(Integer Index, const String& S) { Put(Index, S); }
  String operator[](Integer Index) { return Get(Index); }
  TObject* Objects(Integer Index) { return GetObject(Index); }
  void SetObjects(Integer Index, TObject* AObject) { PutObject(Index, AObject); }
  Integer Count() { return GetCount(); }

  // "name=value": the part before the first separator ("" without one) and
  // the part after it ("" without one).
  String Names(Integer Index);
  String ValueFromIndex(Integer Index);
  // An empty value deletes the item; a negative index adds one.
  void SetValueFromIndex(Integer Index, const String& Value);
  String Values(const String& Name);
  // An empty value deletes the named item; an unknown name is added.
  void SetValues(const String& Name, const String& Value);

  // Every item followed by LineBreak.
  String Text() { return GetTextStr(); }
  // Split at CR, LF and CR LF (or at LineBreak when it is something else).
  void SetText(const String& Value) { SetTextStr(Value); }
  virtual String GetTextStr();
  virtual void SetTextStr(const String& Value);
  String CommaText();
  void SetCommaText(const String& Value);
  String DelimitedText();
  void SetDelimitedText(const String& Value);

  Char Delimiter() const { return FDelimiter; }
  void SetDelimiter(Char Value) { FDelimiter = Value; }
  Char QuoteChar() const { return FQuoteChar; }
  void SetQuoteChar(Char Value) { FQuoteChar = Value; }
  Char NameValueSeparator() const { return FNameValueSeparator; }
  void SetNameValueSeparator(Char Value) { FNameValueSeparator = Value; }
  bool StrictDelimiter() const { return FStrictDelimiter; }
  void SetStrictDelimiter(bool Value) { FStrictDelimiter = Value; }
  const String& LineBreak() const { return FLineBreak; }
  void SetLineBreak(const String& Value) { FLineBreak = Value; }

  // Reads from the stream's position to its end. Default detects a byte
  // order mark (UTF-8, UTF-16 LE or BE) and otherwise reads UTF-8; the
  // encoding found is kept for saving.
  virtual void LoadFromStream(TStream* Stream, TTextEncoding Encoding = TTextEncoding::Default);
  virtual void LoadFromFile(const String& FileName, TTextEncoding Encoding = TTextEncoding::Default);
  // Default writes in the encoding the text was loaded in (UTF-8 without a
  // byte order mark for new text); WriteBOM adds the mark to UTF encodings.
  virtual void SaveToStream(TStream* Stream, TTextEncoding Encoding = TTextEncoding::Default);
  virtual void SaveToFile(const String& FileName, TTextEncoding Encoding = TTextEncoding::Default);
  TTextEncoding Encoding() const { return FEncoding; }
  bool WriteBOM() const { return FWriteBOM; }
  void SetWriteBOM(bool Value) { FWriteBOM = Value; }

  // Brackets changes; the outermost pair calls SetUpdateState.
  void BeginUpdate();
  void EndUpdate();
  Integer UpdateCount() const { return FUpdateCount; }

  // Copies strings, objects and the text settings of another TStrings.
  void Assign(TPersistent* Source) override;

  virtual String Get(Integer Index) = 0;
  virtual void Put(Integer Index, const String& S);
  virtual TObject* GetObject(Integer Index);
  virtual void PutObject(Integer Index, TObject* AObject);
  virtual Integer GetCount() = 0;

 protected:
  // Streams the lines as "Strings = ( ... )"; defined by the streaming unit.
  void DefineProperties(TFiler* Filer) override;
  virtual void SetUpdateState(bool Updating);
  virtual Integer CompareStrings(const String& S1, const String& S2);
  [[noreturn]] static void Error(const String& Msg, Integer Data);
  String ExtractName(const String& S) const;

  TTextEncoding FEncoding = TTextEncoding::Default;

 private:
  Char FDelimiter = u',';
  Char FQuoteChar = u'"';
  Char FNameValueSeparator = u'=';
  bool FStrictDelimiter = false;
  bool FWriteBOM = true;
  String FLineBreak = u"\r\n";
  Integer FUpdateCount = 0;
};

class TStringList : public TStrings {
  QN_CLASS(TStringList, TStrings)
 public:
  TStringList() = default;
  explicit TStringList(bool OwnsObjects) : FOwnsObjects(OwnsObjects) {}
  ~TStringList() override;

  Integer Add(const String& S) override;
  Integer AddObject(const String& S, TObject* AObject) override;
  void Insert(Integer Index, const String& S) override;
  void InsertObject(Integer Index, const String& S, TObject* AObject) override;
  void Delete(Integer Index) override;
  void Clear() override;
  void Move(Integer CurIndex, Integer NewIndex) override;
  void Exchange(Integer Index1, Integer Index2) override;
  Integer IndexOf(const String& S) override;

  // Binary search (for sorted lists): true when found; Index is the match
  // (the first one with dupAccept) or where S would go.
  virtual bool Find(const String& S, Integer& Index);
  virtual void Sort();
  // Sorts stably by Compare (for an unsorted list).
  virtual void CustomSort(TStringListSortCompare Compare);

  String Get(Integer Index) override;
  void Put(Integer Index, const String& S) override;
  TObject* GetObject(Integer Index) override;
  void PutObject(Integer Index, TObject* AObject) override;
  Integer GetCount() override { return static_cast<Integer>(FList.size()); }
  Integer Capacity() const { return static_cast<Integer>(FList.capacity()); }
  void SetCapacity(Integer Value);

  bool Sorted() const { return FSorted; }
  void SetSorted(bool Value);
  TDuplicates Duplicates() const { return FDuplicates; }
  void SetDuplicates(TDuplicates Value) { FDuplicates = Value; }
  bool CaseSensitive() const { return FCaseSensitive; }
  void SetCaseSensitive(bool Value);
  // Objects are freed with their items (Delete, Clear, destruction).
  bool OwnsObjects() const { return FOwnsObjects; }
  void SetOwnsObjects(bool Value) { FOwnsObjects = Value; }

  TNotifyEvent OnChange;
  TNotifyEvent OnChanging;

  Integer CompareStrings(const String& S1, const String& S2) override;

 protected:
  virtual void Changed();
  virtual void Changing();
  void SetUpdateState(bool Updating) override;
  virtual void InsertItem(Integer Index, const String& S, TObject* AObject);

 private:
  struct TStringItem {
    String FString;
    TObject* FObject = nullptr;
  };
  void CheckIndex(Integer Index) const;
  std::vector<TStringItem> FList;
  bool FSorted = false;
  bool FCaseSensitive = false;
  bool FOwnsObjects = false;
  TDuplicates FDuplicates = dupIgnore;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
