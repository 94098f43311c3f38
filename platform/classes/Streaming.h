// Form-file streaming: TReader and TWriter move components, their published
// properties and their owned children to and from the platform's binary form
// format ("TPF0", then one tagged value per property; lists end with vaNull).
//
// Reading is careful with what it is given. The whole component is checked
// for well-formedness (tags, lengths, nesting, known classes) before anything
// is created or assigned, so a truncated or corrupt stream changes nothing.
// Errors found later (a property that does not exist, a value the property
// refuses) free every component the read created and put the published
// values of an existing root and its components back as they were.
// EReadError messages of malformed data carry the offset in the stream.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "platform/classes/Collection.h"
#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/classes/Streams.h"

namespace vcl {

enum class TValueType : Byte {
  vaNull, vaList, vaInt8, vaInt16, vaInt32, vaExtended, vaString, vaIdent, vaFalse, vaTrue,
  vaBinary, vaSet, vaLString, vaNil, vaCollection, vaSingle, vaCurrency, vaDate, vaWString,
  vaInt64, vaUTF8String, vaDouble
};
using enum TValueType;
inline constexpr Byte vaLastValue = static_cast<Byte>(vaDouble);

enum class TFilerFlag { ffInherited, ffChildPos, ffInline };
using TFilerFlags = TSet<TFilerFlag>;
using enum TFilerFlag;

// The signature that starts every binary form.
inline constexpr char FilerSignature[4] = {'T', 'P', 'F', '0'};

using TReaderProc = TEvent<void(TReader* Reader)>;
using TWriterProc = TEvent<void(TWriter* Writer)>;
using TStreamProc = TEvent<void(TStream* Stream)>;
// Handled = true skips the property and goes on reading.
using TReaderError = TEvent<void(TReader* Reader, const String& Message, bool& Handled)>;
// Lets a reader map a method name to an event the form file names but the
// root does not publish; leave Event empty to report the method as missing.
using TFindMethodEvent = TEvent<void(TReader* Reader, const String& MethodName, std::any& Event)>;

class TFiler : public TObject {
  QN_CLASS(TFiler, TObject)
 public:
  explicit TFiler(TStream* Stream);
  // The root whose published methods events name and whose owned components
  // references name without an owner prefix.
  TComponent* Root() const { return FRoot; }
  virtual void SetRoot(TComponent* Value) { FRoot = Value; }
  TComponent* LookupRoot() const { return FLookupRoot; }
  // While writing an inherited component: its counterpart in the ancestor,
  // whose values are not written again. Nil otherwise.
  TPersistent* Ancestor() const { return FAncestor; }
  void SetAncestor(TPersistent* Value) { FAncestor = Value; }
  bool IgnoreChildren() const { return FIgnoreChildren; }
  void SetIgnoreChildren(bool Value) { FIgnoreChildren = Value; }
  TStream* Stream() const { return FStream; }

  // Streams data that is not a published property, under Name. The reader
  // calls ReadData when Name comes up; the writer calls WriteData when HasData.
  virtual void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                              bool HasData) = 0;
  // The same for raw bytes (vaBinary): the procedures see a stream holding
  // just the property's data.
  virtual void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                                    bool HasData) = 0;

 protected:
  TStream* FStream;
  TComponent* FRoot = nullptr;
  TComponent* FLookupRoot = nullptr;
  TPersistent* FAncestor = nullptr;
  bool FIgnoreChildren = false;
};

class TReader : public TFiler {
  QN_CLASS(TReader, TFiler)
 public:
  explicit TReader(TStream* Stream);
  ~TReader() override;

  void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  // Reads a whole form: into Root when given (which keeps its class; the
  // stream's class name must be Root's or one of its parents'), otherwise
  // into a new component of the registered class the stream names.
  TComponent* ReadRootComponent(TComponent* Root);
  // Reads one component (the stream's class, owned by the reader's Owner)
  // or, given Component, into it. Used by ReadData for the children.
  TComponent* ReadComponent(TComponent* Component);
  // The properties and children of Instance (TComponent::ReadState).
  void ReadData(TComponent* Instance);
  void ReadProperty(TPersistent* AInstance);
  void ReadCollection(TCollection* Collection);

  // Values.
  TValueType ReadValue();
  TValueType NextValue();
  void CheckValue(TValueType Value);
  void SkipValue();
  bool EndOfList();
  void ReadListBegin();
  void ReadListEnd();
  // The signature, after the resource header a form file may start with
  // (see ReadResHeader).
  void ReadSignature();
  // The header of a form stored as a resource: 0xFF, the type 10 as a word,
  // the name (0xFF and a word, or bytes up to a zero), a word of flags and
  // the size of the data that follows. The reader stops at the data's end.
  void ReadResHeader();
  void ReadPrefix(TFilerFlags& Flags, Integer& AChildPos);
  Integer ReadInteger();
  Int64 ReadInt64();
  bool ReadBoolean();
  Char ReadChar();
  Extended ReadFloat();
  Single ReadSingle();
  Double ReadDouble();
  Extended ReadCurrency();  // the value, not the scaled integer
  Int64 ReadCurrencyRaw();  // the scaled integer
  TDateTime ReadDate();
  String ReadString();
  String ReadWideString() { return ReadString(); }
  // vaIdent, and the values spelled as identifiers: False, True, nil, Null.
  String ReadIdent();
  // A short string (length byte), as names and property names are stored.
  String ReadStr();
  // The element names of a vaSet value (the tag already read or not).
  std::vector<String> ReadSetNames();
  TBytes ReadBinary();
  // Reads exactly Count bytes or raises EReadError with the offset.
  void Read(void* Buf, Integer Count);
  // Offset of the next byte, from where the reader started.
  Int64 Position() const { return FPosition; }
  // Offset of the component header or property the reader was on when it
  // last raised (text forms map it back to a line).
  Int64 ItemOffset() const { return FItemStart; }

  // Components created by children go to Owner, with Parent as their parent.
  TComponent* Owner() const { return FOwner; }
  void SetOwner(TComponent* Value) { FOwner = Value; }
  TComponent* Parent() const { return FParent; }
  void SetParent(TComponent* Value) { FParent = Value; }

  TReaderError OnError;
  TFindMethodEvent OnFindMethod;

  // Raises EReadError "<Message> at offset <n>".
  [[noreturn]] void ReadError(const String& Message);
  // Nesting deeper than this is refused (a stack guard for hostile files).
  static constexpr int MaxDepth = 200;

 private:
  friend class TWriter;
  struct TFixup;
  struct TSnapshot;
  void ReadPropValue(TPersistent* Instance, const TPropInfo& Info, const String& PropPath);
  void PropertyError(TPersistent* Instance, const String& PropPath, const String& Message);
  bool HandleError(const String& Message);
  String NameOf(TPersistent* Instance) const;
  // Walks one component without creating anything; throws on any fault.
  void ValidateComponent(int depth);
  void ValidateValue(int depth);
  void ValidateCollection(int depth);
  void FixupReferences();
  void Enter();
  void Leave() { --FDepth; }
  Byte PeekByte();
  int32_t ReadLength();

  Int64 FStart = 0;
  Int64 FPosition = 0;
  Int64 FItemStart = 0;
  Int64 FSize = 0;
  int FDepth = 0;
  bool FValidating = false;
  TComponent* FOwner = nullptr;
  TComponent* FParent = nullptr;
  TComponent* FCurrent = nullptr;  // whose properties are being read
  String FPropName;     // the property DefineProperties is asked about
  bool FPropDone = false;
  std::vector<TComponent*> FLoaded;
  std::vector<TComponent*> FCreated;
  std::vector<std::unique_ptr<TFixup>> FFixups;
};

class TWriter : public TFiler {
  QN_CLASS(TWriter, TFiler)
 public:
  explicit TWriter(TStream* Stream);
  ~TWriter() override;

  void DefineProperty(const String& Name, const TReaderProc& ReadData, const TWriterProc& WriteData,
                      bool HasData) override;
  void DefineBinaryProperty(const String& Name, const TStreamProc& ReadData, const TStreamProc& WriteData,
                            bool HasData) override;

  void WriteRootComponent(TComponent* Root) { WriteDescendent(Root, nullptr); }
  // Writes Root as a descendant of Ancestor (nil: everything): values equal
  // to the ancestor's are left out, inherited components are marked so.
  void WriteDescendent(TComponent* Root, TComponent* Ancestor);
  void WriteComponent(TComponent* Component);
  // The header, properties and children of Instance (TComponent::WriteState).
  void WriteData(TComponent* Instance);
  void WriteProperties(TPersistent* Instance);
  void WriteCollection(TCollection* Value);

  void WriteSignature();
  void WritePrefix(TFilerFlags Flags, Integer AChildPos);
  void WriteValue(TValueType Value);
  void WriteListBegin() { WriteValue(vaList); }
  void WriteListEnd() { WriteValue(vaNull); }
  void WriteInteger(Int64 Value);
  void WriteBoolean(bool Value) { WriteValue(Value ? vaTrue : vaFalse); }
  void WriteChar(Char Value);
  void WriteFloat(Extended Value);
  void WriteSingle(Single Value);
  void WriteDouble(Double Value);
  void WriteCurrency(Extended Value);
  void WriteCurrencyRaw(Int64 Value);
  void WriteDate(TDateTime Value);
  // ASCII as vaString/vaLString, anything else as vaWString.
  void WriteString(const String& Value);
  void WriteWideString(const String& Value);
  void WriteUTF8Str(const String& Value);
  // False, True, nil and Null become their own tags.
  void WriteIdent(const String& Ident);
  void WriteStr(const String& Value);
  void WriteSet(const std::vector<String>& Names);
  void WriteBinary(const void* Data, Integer Count);
  // WriteBinary with the bytes filled in place: room for up to Capacity
  // bytes, of which EndBinary keeps Count. Nothing else may be written in
  // between.
  Byte* BeginBinary(Integer Capacity);
  void EndBinary(Integer Count);
  void WritePropName(const String& PropName);
  // Appends to the writer's buffer; FlushBuffer (and the destructor, and
  // the component writers when done) hand it to the stream.
  void Write(const void* Buf, Integer Count);
  void FlushBuffer();
  // What is buffered and not yet flushed, handed over instead of written to
  // the stream (a caller that reads the form straight back saves a copy).
  std::vector<Byte> TakeBuffer();
  void Reserve(size_t Bytes) { FBuffer.reserve(Bytes); }
  // Bytes written so far, flushed or not.
  Int64 Position() const { return FFlushed + static_cast<Int64>(FBuffer.size()); }

 private:
  std::vector<Byte> FBuffer;
  Int64 FFlushed = 0;
  void WriteProperty(TPersistent* Instance, const TPropInfo& Info);
  bool WriteComponentBody(TComponent* Instance, TFilerFlags Flags, bool Optional);
  String ReferenceName(TComponent* C) const;
  String FPropPath;
  TComponent* FRootAncestor = nullptr;
  bool FWroteProperty = false;
  size_t FBinaryAt = 0;  // where BeginBinary's bytes start in FBuffer
};

// Integer properties whose values have names (colours, cursors): registered
// per type name by the unit that defines the type, consulted by the reader,
// the writer and design-time editors.
using TIdentToInt = bool (*)(const String& Ident, Integer& Int);
using TIntToIdent = bool (*)(Integer Int, String& Ident);
void RegisterIntegerConsts(const String& TypeName, TIdentToInt IdentToInt, TIntToIdent IntToIdent);
void UnregisterIntegerConsts(const String& TypeName);
TIdentToInt FindIdentToInt(const String& TypeName);
TIntToIdent FindIntToIdent(const String& TypeName);

// Roots that references of the form "Root.Component" may name; searched by
// the reader when a reference names a root other than its own, and again
// for pending references whenever another form has been read.
using TFindGlobalComponent = TComponent* (*)(const String& Name);
void RegisterFindGlobalComponentProc(TFindGlobalComponent Proc);
void UnregisterFindGlobalComponentProc(TFindGlobalComponent Proc);
TComponent* FindGlobalComponent(const String& Name);
// Resolves pending cross-form references (the reader does after each form).
void GlobalFixupReferences();
// Number of references still waiting for a form that has not been read.
Integer PendingFixupCount();
// Drops the pending references of Root and everything it owns.
void RemoveFixupReferences(TComponent* Root, const String& RootName);

// Form resources: a class that carries its form (text or binary, registered
// under the class name as an RT_RCDATA resource) is built from it.
// Reads the resources of Instance's class and of its parents up to (not
// including) RootAncestor, the oldest first; false if none was found.
bool InitInheritedComponent(TComponent* Instance, TClass RootAncestor);
// Reads the named form resource into Instance (or a new component).
TComponent* ReadComponentRes(const String& ResName, TComponent* Instance);
// Registers a text form compiled into the library for class ClassName; Text
// must outlive the registration (a string literal does).
void RegisterFormResource(const String& ClassName, const char* Text);

// A container of non-visual components whose form file lists them all.
// C++ builds a class's parents before its own members, so a module cannot
// read its form from its own constructor: CreateFromForm<T> constructs it
// and then reads the form resources of T and its parents.
class TDataModule : public TComponent {
  QN_CLASS_CREATE(TDataModule, TComponent, TComponent)
 public:
  explicit TDataModule(TComponent* AOwner) : TComponent(AOwner) {}
  void GetChildren(const TGetChildProc& Proc, TComponent* Root) override;
  TNotifyEvent OnCreate() const { return FOnCreate; }
  void SetOnCreate(const TNotifyEvent& v) { FOnCreate = v; }
  TNotifyEvent OnDestroy() const { return FOnDestroy; }
  void SetOnDestroy(const TNotifyEvent& v) { FOnDestroy = v; }
  void BeforeDestruction() override;
  // Calls OnCreate; CreateFromForm does once the form is read.
  virtual void DoCreate();
  // The module's window in the designer: its size (streamed as Width and
  // Height) and the scroll offset of its surface (HorizontalOffset,
  // VerticalOffset). Kept so that a module written back keeps them.
  TPoint DesignSize() const { return FDesignSize; }
  void SetDesignSize(const TPoint& Value) { FDesignSize = Value; }
  TPoint DesignOffset() const { return FDesignOffset; }
  void SetDesignOffset(const TPoint& Value) { FDesignOffset = Value; }
  // Kept for form files that carry it: OnCreate runs once the form is read
  // either way.
  bool OldCreateOrder() const { return FOldCreateOrder; }
  void SetOldCreateOrder(bool Value) { FOldCreateOrder = Value; }

  QN_PUBLISHED_DECL(TDataModule) {
    QN_PROP(OldCreateOrder).Default(false);
    QN_PROP(OnCreate).TypeName(u"TNotifyEvent");
    QN_PROP(OnDestroy).TypeName(u"TNotifyEvent");
  }

 protected:
  void DefineProperties(TFiler* Filer) override;

 private:
  TNotifyEvent FOnCreate, FOnDestroy;
  TPoint FDesignSize;
  TPoint FDesignOffset;
  bool FOldCreateOrder = false;
};

// Creates a T (a TDataModule or any component class that carries a form
// resource) owned by AOwner and reads its form resources, the oldest
// ancestor's first. A form that fails to read frees the object and raises.
template <class T>
T* CreateFromForm(TComponent* AOwner) {
  T* obj = new T(AOwner);
  try {
    InitInheritedComponent(obj, TComponent::StaticClass());
    if constexpr (std::is_base_of_v<TDataModule, T>) obj->DoCreate();
  } catch (...) {
    delete obj;
    throw;
  }
  return obj;
}

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
