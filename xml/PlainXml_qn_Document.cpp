// The document: its options with their defaults, its top-level nodes and the
// skeleton a fresh document gets.
#include <algorithm>
#include <typeinfo>

#include "platform/rtl/Kernel.h"
#include "platform/rtl/WinInet.h"
#include "xml/PlainXml_qn.h"

namespace qn {

namespace {
// The key the binary form uses when none is set; a placeholder, since no
// coder ships with the library.
const char kDefaultAesKeyHex[] = "5175617270584D4C4B65794465666175";
}  // namespace

TPlainXml::TPlainXml(TComponent* AOwner, bool HasDeclaration, bool HasDocType, bool HasRoot, const UTF8String& RootName)
    : TDebugComponent(AOwner) {
  FSymbolTable = new TsdSymbolTable(this);
  FSymbolTable->SetWatch('&', sdHasEntityReference);
  FNodeArena = new TsdNodeArena;
  FRootNodes = std::make_unique<TsdNodeList>(true);
  FHasDeclaration = HasDeclaration;
  FHasDocType = HasDocType;
  FHasRoot = HasRoot;
  FRootName = RootName;
  ResetDefaults();
  ClearData(HasDeclaration, HasDocType, HasRoot);
}

TPlainXml::TPlainXml(TComponent* AOwner) : TPlainXml(AOwner, false, false, true, UTF8String()) {}

TPlainXml::TPlainXml(const UTF8String& RootName, TComponent* AOwner) : TPlainXml(AOwner, true, false, true, RootName) {}

TPlainXml::~TPlainXml() {
  ReleaseTree();
  FRootNodes.reset();
  delete FNodeArena;
  FNodeArena = nullptr;
  delete FSymbolTable;
  FSymbolTable = nullptr;
}

void TPlainXml::ResetDefaults() {
  FDirectCloseTag = "/>";
  FDropCommentsOnParse = false;
  FEolStyle = esCRLF;
  FFloatAllowScientific = true;
  FFloatSignificantDigits = 6;
  FExternalBomInfo = TsdBomInfo();
  FExternalCodePage = 0;
  FExternalEncoding = seUTF8;
  FFixStructuralErrors = false;
  FIndentString = "\t";
  FNodeClosingStyle = ncClose;
  FParserWarnings = false;
  FSplitSecondDigits = 0;
  FXmlFormat = xfPreserve;
  FUseLocalBias = false;
  FWriteOnDefault = true;
  FBinaryMethod = bmDefault;
  FAesKeyHex = kDefaultAesKeyHex;
}

void TPlainXml::ReleaseTree() {
  TsdNodeArena* a = FNodeArena;
  if (a && !a->Dirty) {
    // Every node of the tree is in the arena and nothing else of it is in
    // use: the whole tree goes at once.
    FRootNodes->Release();
    a->Reset();
    return;
  }
  FRootNodes->Clear();
  if (!a) return;
  if (a->Live == 0) {
    a->Reset();
  } else {
    // Arena nodes live on outside the tree: the arena stays for them.
    a->Orphan = true;
    FNodeArena = new TsdNodeArena;
  }
}

void TPlainXml::ClearData(bool HasDeclaration, bool HasDocType, bool HasRoot) {
  ReleaseTree();
  FSymbolTable->Clear();
  if (HasDeclaration) {
    auto d = std::make_unique<TsdDeclaration>(this);
    d->SetVersion("1.0");
    d->SetEncoding("utf-8");
    FRootNodes->Add(d.release());
  }
  if (HasDocType) {
    auto t = std::make_unique<TsdDocType>(this);
    t->SetName(FRootName);
    t->ExternalID()->SetCoreValue("SYSTEM");
    FRootNodes->Add(t.release());
  }
  if (HasRoot) {
    std::unique_ptr<TXmlNode> r(static_cast<TXmlNode*>(GetRootNodeClass()->Create(this)));
    r->SetName(FRootName);
    FRootNodes->Add(r.release());
  }
}

void TPlainXml::Clear() { ClearData(FHasDeclaration, FHasDocType, FHasRoot); }

void TPlainXml::New() {
  FHasDeclaration = true;
  Clear();
}

TsdDeclaration* TPlainXml::GetOrCreateDeclarationNode() {
  TXmlNode* first = FRootNodes->GetItems(0);
  if (first && first->ElementType() == xeDeclaration) return static_cast<TsdDeclaration*>(first);
  // A declaration needs its version, which comes first.
  auto d = std::make_unique<TsdDeclaration>(this);
  d->SetVersion("1.0");
  FRootNodes->Insert(0, d.get());
  return d.release();
}

TsdElement* TPlainXml::Root() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeElement) : nullptr;
  return n && n->Is<TsdElement>() ? static_cast<TsdElement*>(n) : nullptr;
}

TsdDeclaration* TPlainXml::Declaration() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeDeclaration) : nullptr;
  return static_cast<TsdDeclaration*>(n);
}

TsdDocType* TPlainXml::DocType() const {
  TXmlNode* n = FRootNodes ? FRootNodes->ByType(xeDocType) : nullptr;
  return static_cast<TsdDocType*>(n);
}


}  // namespace qn

// ---------------------------------------------------------------------------
// Loading

namespace qn {

namespace {
std::string Num(Int64 v) { return std::to_string(v); }

// The code page reads ASCII as ASCII, so a declaration read before it was
// known means the same under it.
bool AsciiCompatible(Integer cp) {
  static const char probe[] = "<?xml version=\"1.0\" encoding=\"\"?>abcxyzABCXYZ0189\n";
  UTF8String back = sdAnsiToUtf8(probe, cp);
  return back == probe;
}

// Decl->Encoding() for a declaration just parsed, without asking each node
// its class and document: attributes as the parse makes them, their names
// and values in Table. An attribute named "encoding" as written is the one
// asked for when no attribute before it can match in another case (an ASCII
// name of another length cannot); anything else is asked the usual way.
UTF8String ParsedEncoding(TsdDeclaration* Decl, TsdSymbolTable* Table) {
  constexpr std::string_view kName = "encoding";
  for (Integer i = 0; i < Decl->GetNodeCount(); ++i) {
    TXmlNode* n = Decl->GetNodes(i);
    if (n->ClassType() != TsdAttribute::StaticClass()) break;
    auto* a = static_cast<TsdAttribute*>(n);
    if (a->NameID() < 1 || a->NameID() > Table->GetSymbolCount()) break;
    std::string_view name = Table->GetView(a->NameID());
    if (name == kName) {
      UTF8String value(a->ValueView());
      return value.find('&') == UTF8String::npos ? value : sdReplaceString(value);
    }
    if (name.size() == kName.size() ||
        std::any_of(name.begin(), name.end(), [](char c) { return static_cast<unsigned char>(c) >= 0x80; }))
      break;
  }
  return Decl->Encoding();
}
}  // namespace

void TPlainXml::LoadFromStream(TStream* Stream) {
  ReleaseTree();
  FSymbolTable->Clear();
  // Large blocks cut the per-chunk work; a small document is read in one
  // block of its own size. Results never depend on the block size.
  Int64 left = Stream->Size() - Stream->Position();
  Integer chunk = left < 256 ? 256 : left < 65536 ? static_cast<Integer>(left) + 1 : 65536;
  TsdXmlParser parser(Stream, chunk, &FParserBuffers);
  parser.SetOwner(this);
  if (parser.IsBinaryXml()) {
    // The binary form is read from a copy of the whole stream: the bytes
    // the parser holds and the rest (no seek, so any stream will do).
    TsdFastMemStream copy;
    std::string_view head = parser.RawBytes();
    copy.WriteBuffer(head.data(), static_cast<Integer>(head.size()));
    Byte block[4096];
    for (Integer n; (n = Stream->Read(block, sizeof block)) > 0;) copy.WriteBuffer(block, n);
    copy.SetPosition(0);
    LoadFromBinaryStream(&copy);
    DoProgress(Stream->Size());
    return;
  }
  ParseStream(&parser);
  FExternalEncoding = parser.Encoding() == seAnsi ? seAnsi : parser.Encoding();
  FExternalCodePage = parser.CodePage();
  FExternalBomInfo = parser.BomInfo();
  DoProgress(Stream->Size());
}

void TPlainXml::LoadFromFile(const String& FileName) {
  TFileStream f(FileName, fmOpenRead | fmShareDenyWrite);
  LoadFromStream(&f);
}

Int64 TPlainXml::LoadFromURL(const UTF8String& URL) {
  HINTERNET session = InternetOpenA("plainxml", INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0);
  if (!session) {
    DoDebugOut(this, wsFail, "Unable to initialize WinInet");
    return 0;
  }
  HINTERNET url = InternetOpenUrlA(session, URL.c_str(), nullptr, 0, INTERNET_FLAG_RELOAD, 0);
  if (!url) {
    InternetCloseHandle(session);
    DoDebugOut(this, wsFail, "Cannot open URL " + URL);
    return 0;
  }
  TsdFastMemStream m;
  Int64 total = 0;
  char block[1024];
  DWORD n = 0;
  while (InternetReadFile(url, block, sizeof block, &n) && n > 0) {
    m.WriteBuffer(block, static_cast<Integer>(n));
    total += n;
  }
  InternetCloseHandle(url);
  m.SetPosition(0);
  try {
    LoadFromStream(&m);
  } catch (...) {
    InternetCloseHandle(session);
    throw;
  }
  InternetCloseHandle(session);
  return total;
}

void TPlainXml::ReadFromString(const UTF8String& S) {
  TsdStringStream s(S);
  LoadFromStream(&s);
}

void TPlainXml::ParseStream(TsdXmlParser* Parser) {
  // Nodes made for this document during the parse need not ask its class.
  struct TKnown {
    const void* Before = detail::tsdKnownDocument;
    explicit TKnown(TPlainXml* D) { detail::tsdKnownDocument = D; }
    ~TKnown() { detail::tsdKnownDocument = Before; }
  } known(this);
  FAbortParsing = false;
  FNestingLevel = 0;
  FSingleTagNames.reset();
  FCollectSingleTags = FFixStructuralErrors;
  Parser->ReadBOM();
  FExternalBomInfo = Parser->BomInfo();
  // Only a declaration that opens the text names its encoding: one further
  // on would switch the decoding of bytes already read in another, and a
  // save, which keeps it in place, would no longer load back.
  bool opening = true;
  for (;;) {
    // In place: the parser reads nothing more until the node holds it.
    std::string_view text = Parser->ReadViewUntilChar('<');
    if (!PreserveWhiteSpace()) text = sdTrimView(text);
    if (opening && !sdTrimView(text).empty()) opening = false;
    if (!text.empty()) {
      auto* c = TsdNodeArena::Make<TsdCharData>(FNodeArena, this);
      c->SetCoreView(text);
      if (c->InArena()) FRootNodes->AddArenaNode(c);
      else FRootNodes->Add(c);
      DoNodeNew(c);
      DoNodeLoaded(c);
    }
    if (Parser->EndOfStream()) break;
    TsdElementType t = Parser->ReadOpenTag();
    if (t == xeError) {
      // A '<' with nothing behind it is a text cut short.
      if (Parser->EndOfStream())
        DoDebugOut(this, wsFail, "stream terminated prematurely at pos " + Num(Parser->GetPosition()));
      else
        DoDebugOut(this, wsWarn, "illegal tag (\"Error\") at pos " + Num(Parser->GetPosition()));
      break;
    }
    TClass cls = cNodeClass(t);
    if (!cls) {
      DoDebugOut(this, wsWarn,
                 "unsupported tag (\"" + UTF8String(ElementTypeName(t)) + "\") at pos " + Num(Parser->GetPosition()));
      break;
    }
    auto* n = NewParsedNode(t, this);
    if (n->InArena()) FRootNodes->AddArenaNode(n);
    else FRootNodes->Add(n);
    if (t != xeElement) DoNodeNew(n);
    n->ParseStream(Parser);
    DoNodeLoaded(n);
    if (t == xeDeclaration) {
      UTF8String enc = ParsedEncoding(static_cast<TsdDeclaration*>(n), FSymbolTable);
      Integer cp = sdCharsetToCodePage(enc, 65001);
      bool fixed = Parser->BomInfo().HasBOM || Parser->Encoding() == seUTF16LE || Parser->Encoding() == seUTF16BE;
      if (!enc.empty()) {
        bool usable = cp == 65001 || (IsValidCodePage(static_cast<UINT>(cp)) && cp != 1200 && cp != 1201 &&
                                      cp != 12000 && cp != 12001 && AsciiCompatible(cp));
        Integer current = Parser->Encoding() == seAnsi ? Parser->CodePage() : 65001;
        if (!opening) {
          DoDebugOut(this, wsHint, "declared encoding \"" + enc + "\" does not match the text, ignored");
        } else if (fixed || !usable) {
          // The bytes already say what they are; the declaration cannot
          // change that.
          Integer actual = Parser->CodePage();
          // "UTF-16" names either byte order; the byte-order mark tells which.
          bool utf16 = cp == 1200 && (Parser->Encoding() == seUTF16LE || Parser->Encoding() == seUTF16BE);
          if (cp != actual && !utf16)
            DoDebugOut(this, wsHint, "declared encoding \"" + enc + "\" does not match the text, ignored");
        } else if (cp != current && !Parser->SetCodePage(cp)) {
          DoDebugOut(this, wsHint, "declared encoding \"" + enc + "\" does not match the text, ignored");
        }
      }
      // Every load with a declaration says this: the message is built only
      // where it can be heard, by a handler or by a class that takes the
      // messages itself.
      if (typeid(*this) != typeid(TPlainXml) || HasDebugHandler())
        DoDebugOut(this, wsInfo,
                   "declaration with encoding \"" + enc + "\" and codepage " + Num(Parser->CodePage()));
    }
    opening = false;
    if (t == xeComment && FDropCommentsOnParse) {
      DoDebugOut(this, wsInfo, "option DropCommentsOnParse is true, deleting comment");
      FRootNodes->Remove(n);
    }
    if (FAbortParsing || Parser->EndOfStream()) break;
  }
  if (FFixStructuralErrors && FSingleTagNames && FSingleTagNames->Count() > 0) {
    // Single tags that swallowed what follows them give their children back
    // to their parent, right behind them.
    std::vector<TXmlNode*> all;
    for (TXmlNode* n = FindFirst(); n; n = FindNext(n)) all.push_back(n);
    for (TXmlNode* n : all) {
      if (!n->Is<TsdElement>() || !n->Parent()) continue;
      Integer idx;
      if (!FSingleTagNames->Find(FromUtf8(n->GetName()), idx)) continue;
      auto* e = static_cast<TsdElement*>(n);
      TXmlNode* parent = e->Parent();
      bool moved = false;
      while (e->GetNodeCount() > e->GetDirectNodeCount()) {
        TXmlNode* last = e->GetNodes(e->GetNodeCount() - 1);
        e->NodeExtract(last);
        parent->NodeInsert(parent->NodeIndexOf(e) + 1, last);
        moved = true;
      }
      if (moved) DoDebugOut(this, wsInfo, "correctly closed node \"" + e->GetName() + "\" at pos 0");
    }
  }
  FSingleTagNames.reset();
  FCollectSingleTags = false;
  CheckEntityReferences();
}

TStringList* TPlainXml::SingleTagNames() const {
  if (!FSingleTagNames && FCollectSingleTags) {
    FSingleTagNames = std::make_unique<TStringList>();
    FSingleTagNames->SetSorted(true);
  }
  return FSingleTagNames.get();
}

// ---------------------------------------------------------------------------
// Saving

void TPlainXml::SaveToStream(TStream* Stream) {
  TsdBomInfo bom;
  bom.Encoding = FExternalEncoding;
  switch (FExternalEncoding) {
    case seAnsi:
    case seUTF8: break;
    case seUTF16BE:
      bom.BOM[0] = 0xFE; bom.BOM[1] = 0xFF; bom.Len = 2; bom.HasBOM = true;
      break;
    case seUTF16LE:
      bom.BOM[0] = 0xFF; bom.BOM[1] = 0xFE; bom.Len = 2; bom.HasBOM = true;
      break;
    default:
      DoDebugOut(this, wsFail, "unsupported encoding (" + UTF8String(cStringEncodingCharsetNames(FExternalEncoding)) + ")");
      return;
  }
  FExternalBomInfo = bom;
  if (bom.HasBOM) Stream->WriteBuffer(bom.BOM, bom.Len);
  TsdXmlWriter w(this, Stream, 65536);
  w.SetEncoding(FExternalEncoding);
  w.SetCodePage(FExternalEncoding == seAnsi ? FExternalCodePage : FExternalEncoding == seUTF8 ? 65001
                                                                  : FExternalEncoding == seUTF16LE ? 1200 : 1201);
  WriteStream(&w);
  w.Flush();
}

void TPlainXml::WriteStream(TStream* Stream) {
  if (FParserWarnings && !Root()) throw EFilerError(u"XML root element not defined.");
  DoProgress(0);
  TXmlNode* first = FRootNodes->GetItems(0);
  if (first && first->ElementType() == xeDeclaration)
    DoDebugOut(this, wsInfo,
               "writing declaration with encoding \"" + static_cast<TsdDeclaration*>(first)->Encoding() +
                   "\" and codepage " + Num(FExternalCodePage));
  for (Integer i = 0; i < FRootNodes->Count(); ++i) FRootNodes->GetItems(i)->WriteStream(Stream);
  DoProgress(Stream->Size());
}

void TPlainXml::SaveToFile(const String& FileName) {
  if (FExternalEncoding != seAnsi && FExternalEncoding != seUTF8 && FExternalEncoding != seUTF16LE &&
      FExternalEncoding != seUTF16BE) {
    DoDebugOut(this, wsFail, "unsupported encoding (" + UTF8String(cStringEncodingCharsetNames(FExternalEncoding)) + ")");
    return;
  }
  String temp = FileName + u".qnsave";
  {
    TFileStream f(temp, fmCreate);
    try {
      SaveToStream(&f);
    } catch (...) {
      DeleteFile(temp);
      throw;
    }
  }
  // The finished file replaces the old one in one step.
  if (!MoveFileExW(temp.c_str(), FileName.c_str(), MOVEFILE_REPLACE_EXISTING)) {
    DeleteFile(temp);
    throw EFCreateError(u"Cannot create file \"" + FileName + u"\".");
  }
}

UTF8String TPlainXml::WriteToString() {
  TsdStringStream s("");
  SaveToStream(&s);
  return s.DataString();
}

UTF8String TPlainXml::WriteToLocalString() {
  TsdStringStream s("");
  WriteStream(&s);
  return s.DataString();
}

String TPlainXml::WriteToLocalUnicodeString() { return sdUtf8ToWide(WriteToLocalString()); }

// ---------------------------------------------------------------------------
// Encoding properties

UTF8String TPlainXml::Charset() const {
  TXmlNode* first = FRootNodes->GetItems(0);
  return first && first->ElementType() == xeDeclaration ? static_cast<TsdDeclaration*>(first)->Encoding() : UTF8String();
}

void TPlainXml::SetCharset(const UTF8String& Value) {
  if (Value.empty() || Value == Charset()) return;
  GetOrCreateDeclarationNode()->SetEncoding(Value);
  FExternalCodePage = sdCharsetToCodePage(Value, 65001);
  FExternalEncoding = sdCharsetToStringEncoding(Value);
}

UTF8String TPlainXml::VersionString() const {
  TXmlNode* first = FRootNodes->GetItems(0);
  return first && first->ElementType() == xeDeclaration ? static_cast<TsdDeclaration*>(first)->Version() : UTF8String();
}

void TPlainXml::SetVersionString(const UTF8String& Value) {
  if (Value == VersionString()) return;
  if (Value.empty() && !Declaration()) return;
  GetOrCreateDeclarationNode()->SetVersion(Value);
}

namespace {
// The name a save declares: the one other processors know for the bytes.
// UTF-16 in either byte order is "UTF-16", the byte-order mark saying
// which: no other processor knows "unicodeFFFE", though loads accept it.
const char* DeclaredCharset(TsdStringEncoding Encoding, Integer CodePage, const char* Name) {
  if (Encoding == seUTF16BE) return "UTF-16";
  const char* known = sdInterchangeCharsetName(CodePage);
  return known ? known : Name;
}
}  // namespace

void TPlainXml::SetExternalEncoding(TsdStringEncoding Value) {
  // Only encodings the writer can produce.
  Integer cp = Value == seUTF8 ? 65001 : Value == seUTF16LE ? 1200 : Value == seUTF16BE ? 1201 : 0;
  if (cp == 0) {
    DoDebugOut(this, wsFail,
               "external encoding \"" + UTF8String(cStringEncodingCharsetNames(Value)) +
                   "\" is not allowed (use ExternalCodepage)");
    return;
  }
  FExternalEncoding = Value;
  FExternalCodePage = cp;
  GetOrCreateDeclarationNode()->SetEncoding(DeclaredCharset(Value, cp, cStringEncodingCharsetNames(Value)));
}

namespace {
// Whether the page can carry a document that a reader can start on: every
// sign of markup must be in it, and the declaration, which a reader reads
// before it knows the page, must have ASCII's bytes or those of the usual
// EBCDIC page. Pages that put other letters in the place of ASCII's, or
// escape "<" (UTF-7), or open with a designation (ISO-2022-KR), fail.
bool HoldsMarkup(Integer cp) {
  static const char letters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789-_.:";
  const UTF8String declaration = UTF8String("<?xml version=\"1.0\" encoding=\"") + letters + "\"?> ";
  const UTF8String markup = declaration + "<!DOCTYPE [<!-- -->]><a b='&#;'/>";
  if (sdAnsiToUtf8(sdUtf8ToAnsi(markup, cp), cp) != markup) return false;
  RawByteString bytes = sdUtf8ToAnsi(declaration, cp);
  return bytes == declaration || bytes == sdUtf8ToAnsi(declaration, 37);
}
}  // namespace

void TPlainXml::SetExternalCodepage(Integer Value) {
  if (Value == FExternalCodePage) return;
  Integer count = 0;
  const TsdCharsetRow* rows = cCharsetTable(count);
  const TsdCharsetRow* row = nullptr;
  for (Integer i = 0; i < count && !row; ++i)
    if (rows[i].CodePage == Value) row = &rows[i];
  // UTF-32 cannot be written, and pages the host cannot convert would save
  // as nothing but "?"; nor can a page that lacks the letters and signs of
  // markup (a 7-bit national page that puts its own letters in their place)
  // hold a document.
  bool writable = row && Value != 12000 && Value != 12001 &&
                  (Value == 65001 || Value == 1200 || Value == 1201 ||
                   (IsValidCodePage(static_cast<UINT>(Value)) && HoldsMarkup(Value)));
  if (!writable) {
    DoDebugOut(this, wsFail, "external codepage \"" + Num(Value) + "\" not found");
    return;
  }
  FExternalCodePage = Value;
  FExternalEncoding = Value == 65001 ? seUTF8 : Value == 1200 ? seUTF16LE : Value == 1201 ? seUTF16BE : seAnsi;
  GetOrCreateDeclarationNode()->SetEncoding(DeclaredCharset(FExternalEncoding, Value, row->Name));
}

}  // namespace qn
