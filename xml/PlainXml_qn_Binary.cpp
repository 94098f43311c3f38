// Binary XML: header, string table of the strings used more than once, one
// record per node in document order, an optional coder over the payload.
#include <cstring>

#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

const char kMagic[4] = {'$', 'B', 'X', 'M'};
constexpr Cardinal kEndOfNodes = 16;  // the ordinal of xeEndTag

bool HasContainerPart(TsdElementType t) {
  switch (t) {
    case xeElement: case xeDtdElement: case xeDtdAttList: case xeDtdEntity: case xeDtdNotation:
    case xeDeclaration: case xeStylesheet: case xeDocType:
      return true;
    default:
      return false;
  }
}

bool HasName(TsdElementType t) {
  return t == xeElement || t == xeDtdElement || t == xeDtdAttList || t == xeDtdEntity || t == xeDtdNotation;
}

bool IsTextKind(TsdElementType t) {
  return t == xeCharData || t == xeComment || t == xeCData || t == xeCondSection || t == xeInstruction ||
         t == xeWhiteSpace;
}

Int64 Left(TStream* S) { return S->Size() - S->Position(); }

}  // namespace

TsdBinaryXml::TsdBinaryXml(TComponent* AOwner) : TDebugComponent(AOwner) {}

TsdBinaryXml::~TsdBinaryXml() = default;

void TsdBinaryXml::Fail(TStream* S, const UTF8String& Message) {
  if (FFailed) return;
  FFailed = true;
  DoDebugOut(this, wsFail, Message + " (offset " + std::to_string(FBase + (S ? S->Position() : 0)) + ")");
}

// ---------------------------------------------------------------------------
// Cardinals and strings

void TsdBinaryXml::WriteCardinal(TStream* S, Cardinal Value) { sdStreamWriteCardinal(S, Value); }

Cardinal TsdBinaryXml::ReadCardinal(TStream* S) {
  if (FFailed) return 0;
  Cardinal v = 0;
  for (int group = 0; group < 5; ++group) {
    Byte b;
    if (S->Read(&b, 1) != 1) break;
    if (group == 4 && (b & 0xF0)) break;  // bits beyond 32
    v |= Cardinal(b & 0x7F) << (7 * group);
    if (!(b & 0x80)) return v;
  }
  Fail(S, "invalid cardinal reader");
  return 0;
}

bool TsdBinaryXml::ReadBytes(TStream* S, void* Buffer, Integer Count) {
  if (FFailed) return false;
  if (Count < 0 || Left(S) < Count || S->Read(Buffer, Count) != Count) {
    Fail(S, "invalid binary xml stream");
    return false;
  }
  return true;
}

void TsdBinaryXml::WriteString(TStream* S, Integer ID) {
  TsdSymbolTable* t = FDocument->SymbolTable();
  if (ID <= t->PluralSymbolCount()) {
    WriteCardinal(S, static_cast<Cardinal>(ID + 1));
    return;
  }
  // Used once: the symbol itself, in the table's single-symbol form.
  WriteCardinal(S, 0);
  const TsdSymbol* sym = t->Symbol(ID);
  WriteCardinal(S, sym ? sym->FSymbolStyle : 0);
  std::string_view v = sym ? sym->View() : std::string_view();
  WriteCardinal(S, static_cast<Cardinal>(v.size()));
  if (!v.empty()) S->WriteBuffer(v.data(), static_cast<Integer>(v.size()));
}

Integer TsdBinaryXml::ReadString(TStream* S) {
  Cardinal ref = ReadCardinal(S);
  if (FFailed) return 0;
  TsdSymbolTable* t = FDocument->SymbolTable();
  if (ref > 0) {
    if (ref - 1 > FTableCount) {
      Fail(S, "unknown string reference " + std::to_string(ref));
      return 0;
    }
    // A table may hold an empty symbol; text refers to "" by id 0 only.
    Integer id = static_cast<Integer>(ref - 1);
    return t->GetView(id).empty() ? 0 : id;
  }
  ReadCardinal(S);  // the symbol style
  Cardinal len = ReadCardinal(S);
  if (FFailed) return 0;
  if (Int64(len) > Left(S)) {
    Fail(S, "invalid binary xml stream");
    return 0;
  }
  std::string bytes(len, '\0');
  if (!ReadBytes(S, bytes.data(), static_cast<Integer>(len))) return 0;
  return t->AddString(sdValidUtf8(bytes));
}


void TsdBinaryXml::WriteQuoted(TStream* S, TsdQuotedText* Q) {
  WriteString(S, Q->FValueID);
  WriteCardinal(S, static_cast<Cardinal>(Q->QuoteStyle()));
}

void TsdBinaryXml::ReadQuoted(TStream* S, TsdQuotedText* Q) {
  Q->FValueID = ReadString(S);
  Cardinal style = ReadCardinal(S);
  Q->SetQuoteStyle(style == 1 ? qsApos : qsQuote);
}

// ---------------------------------------------------------------------------
// String ids by use

void TsdBinaryXml::ForEachID(TXmlNode* ANode, const std::function<void(Integer&)>& F) {
  TsdElementType t = ANode->ElementType();
  if (HasName(t) && ANode->Is<TsdElement>()) F(static_cast<TsdElement*>(ANode)->FNameID);
  if (t == xeAttribute && ANode->Is<TsdAttribute>()) {
    auto* a = static_cast<TsdAttribute*>(ANode);
    F(a->FNameID);
    F(a->FCoreValue ? a->FCoreValue->FValueID : a->FParsedValueID);
  }
  if ((IsTextKind(t) || t == xeQuotedText) && ANode->Is<TsdCharData>()) F(static_cast<TsdCharData*>(ANode)->FValueID);
  if (t == xeDocType && ANode->Is<TsdDocType>()) {
    auto* d = static_cast<TsdDocType*>(ANode);
    F(d->FNameID);
    F(d->ExternalID()->FValueID);
    F(d->SystemLiteral()->FValueID);
    F(d->PubIDLiteral()->FValueID);
  }
}

void TsdBinaryXml::IncrementFrequency(Integer ID) {
  if (ID > 0) FDocument->SymbolTable()->IncrementFrequency(ID);
}

Integer TsdBinaryXml::UpdateID(Integer ID) const {
  return ID > 0 && static_cast<size_t>(ID) < FNewIDs.size() ? FNewIDs[static_cast<size_t>(ID)] : ID;
}

void TsdBinaryXml::SortByFrequency() {
  TsdSymbolTable* t = FDocument->SymbolTable();
  t->ClearFrequency();
  sdWalkNodes(*FDocument->RootNodeList(), [&](TXmlNode* n) {
    ForEachID(n, [&](Integer& id) { IncrementFrequency(id); });
    return true;
  });
  FNewIDs.assign(static_cast<size_t>(t->GetSymbolCount()) + 1, 0);
  for (size_t i = 0; i < FNewIDs.size(); ++i) FNewIDs[i] = static_cast<Integer>(i);
  t->SortByFrequency(FNewIDs);
  sdWalkNodes(*FDocument->RootNodeList(), [&](TXmlNode* n) {
    ForEachID(n, [&](Integer& id) { id = UpdateID(id); });
    return true;
  });
}

// ---------------------------------------------------------------------------
// Writing

void TsdBinaryXml::WriteNode(TStream* S, TXmlNode* ANode) {
  TsdElementType t = ANode->ElementType();
  if (t >= xeEndTag) {
    DoDebugOut(this, wsWarn, "unknown " + sdClassName(ANode) + " \"" + ANode->GetName() + "\"");
    return;
  }
  // The record's body must match the class, or it could not be read back.
  bool fits = HasContainerPart(t) ? ANode->Is<TsdContainerNode>() && (t != xeDocType || ANode->Is<TsdDocType>()) &&
                                        (!HasName(t) || ANode->Is<TsdElement>())
              : t == xeAttribute ? ANode->Is<TsdAttribute>()
                                 : ANode->Is<TsdCharData>();
  if (!fits) {
    DoDebugOut(this, wsFail, "wrong element type");
    return;
  }
  WriteCardinal(S, static_cast<Cardinal>(t));
  if (HasContainerPart(t)) {
    auto* c = static_cast<TsdContainerNode*>(ANode);
    WriteCardinal(S, static_cast<Cardinal>(c->GetNodeCount()));
    WriteCardinal(S, static_cast<Cardinal>(c->GetDirectNodeCount()));
    WriteCardinal(S, static_cast<Cardinal>(c->ValueIndex() + 1));
  }
  if (HasName(t)) {
    auto* e = static_cast<TsdElement*>(ANode);
    WriteString(S, e->FNameID);
    WriteCardinal(S, static_cast<Cardinal>(e->NodeClosingStyle()));
  } else if (t == xeAttribute) {
    auto* a = static_cast<TsdAttribute*>(ANode);
    WriteString(S, a->FNameID);
    WriteQuoted(S, a->CoreValue());
  } else if (IsTextKind(t)) {
    WriteString(S, static_cast<TsdCharData*>(ANode)->FValueID);
  } else if (t == xeDocType) {
    auto* d = static_cast<TsdDocType*>(ANode);
    WriteString(S, d->FNameID);
    WriteString(S, d->ExternalID()->FValueID);
    WriteQuoted(S, d->SystemLiteral());
    WriteQuoted(S, d->PubIDLiteral());
  } else if (t == xeQuotedText) {
    WriteQuoted(S, static_cast<TsdQuotedText*>(ANode));
  }
  ++FElementTypeCount[static_cast<size_t>(t)];
}

void TsdBinaryXml::WriteDocument(TStream* S) {
  Cardinal count = 0;
  sdWalkNodes(*FDocument->RootNodeList(), [&](TXmlNode* n) {
    WriteNode(S, n);
    ++count;
    return true;
  });
  WriteCardinal(S, kEndOfNodes);
  DoDebugOut(this, wsInfo, "total node count: " + std::to_string(count));
}

void TsdBinaryXml::SaveToStream(TStream* S) {
  if (!FDocument) return;
  std::fill(std::begin(FElementTypeCount), std::end(FElementTypeCount), 0);
  S->WriteBuffer(kMagic, 4);
  WriteCardinal(S, cBinaryXmlVersion);
  Int64 coderPos = S->Position();
  S->WriteBuffer("none", 4);
  Byte lf = 0x0A;
  S->WriteBuffer(&lf, 1);
  Int64 payloadPos = S->Position();
  SortByFrequency();
  FDocument->SymbolTable()->SaveToStream(S, FDocument->SymbolTable()->PluralSymbolCount());
  WriteDocument(S);
  if (!Assigned(FOnEncode)) return;
  Int64 end = S->Position();
  TsdFastMemStream plain, coded;
  S->SetPosition(payloadPos);
  plain.CopyFrom(S, end - payloadPos);
  plain.SetPosition(0);
  UTF8String name;
  FOnEncode(this, &plain, &coded, plain.Size(), name);
  if (name.size() != 4) {
    S->SetPosition(end);
    DoDebugOut(this, wsFail, "coder name length <> 4");
    return;
  }
  S->SetPosition(coderPos);
  S->WriteBuffer(name.data(), 4);
  S->SetPosition(payloadPos);
  WriteCardinal(S, static_cast<Cardinal>(plain.Size()));
  if (coded.Size() > 0) S->WriteBuffer(coded.Memory(), static_cast<Integer>(coded.Size()));
  S->SetSize(S->Position());
}

void TsdBinaryXml::SaveToFile(const String& FileName) {
  TsdFastMemStream m;
  SaveToStream(&m);
  m.SaveToFile(FileName);
}

// ---------------------------------------------------------------------------
// Reading

TXmlNode* TsdBinaryXml::ReadNode(TStream* S, TXmlNode* AParent, Integer& SubNodeCount) {
  (void)AParent;
  SubNodeCount = 0;
  Cardinal type = ReadCardinal(S);
  if (FFailed || type == kEndOfNodes) return nullptr;
  TClass cls = type < kEndOfNodes ? cNodeClass(static_cast<TsdElementType>(type)) : nullptr;
  if (!cls) {
    Fail(S, "unknown element type " + std::to_string(type));
    return nullptr;
  }
  auto t = static_cast<TsdElementType>(type);
  std::unique_ptr<TXmlNode> n(static_cast<TXmlNode*>(cls->Create(FDocument)));
  if (HasContainerPart(t)) {
    Cardinal count = ReadCardinal(S);
    Cardinal direct = ReadCardinal(S);
    Cardinal value = ReadCardinal(S);
    // Every child takes at least one byte.
    if (Int64(count) > Left(S)) Fail(S, "invalid binary xml stream");
    if (FFailed) return nullptr;
    SubNodeCount = static_cast<Integer>(count);
    FPendingCounts.push_back({static_cast<Integer>(direct), static_cast<Integer>(value) - 1});
  }
  if (HasName(t)) {
    auto* e = static_cast<TsdElement*>(n.get());
    e->FNameID = ReadString(S);
    Cardinal style = ReadCardinal(S);
    e->SetNodeClosingStyle(style == 1 ? ncFull : style == 2 ? ncClose : ncDefault);
  } else if (t == xeAttribute) {
    auto* a = static_cast<TsdAttribute*>(n.get());
    a->FNameID = ReadString(S);
    ReadQuoted(S, a->CoreValue());
  } else if (IsTextKind(t)) {
    static_cast<TsdCharData*>(n.get())->FValueID = ReadString(S);
  } else if (t == xeDocType) {
    auto* d = static_cast<TsdDocType*>(n.get());
    d->FNameID = ReadString(S);
    d->ExternalID()->FValueID = ReadString(S);
    ReadQuoted(S, d->SystemLiteral());
    ReadQuoted(S, d->PubIDLiteral());
  } else if (t == xeQuotedText) {
    ReadQuoted(S, static_cast<TsdQuotedText*>(n.get()));
  }
  if (FFailed) {
    if (HasContainerPart(t)) FPendingCounts.pop_back();
    return nullptr;
  }
  return n.release();
}

void TsdBinaryXml::ReadDocument(TStream* S) {
  struct Level {
    TsdContainerNode* Node;
    Integer Left;
    TContainerCounts Counts;
  };
  std::vector<Level> open;
  TsdNodeList* roots = FDocument->RootNodeList();
  Integer total = 0;
  // A level is closed when its children are read (or the data ends): its
  // start-tag count and value index are taken only when they describe the
  // list as read, so the document stays consistent after any input.
  auto close = [&]() {
    Level l = open.back();
    open.pop_back();
    TsdContainerNode* c = l.Node;
    TsdNodeList& list = c->Nodes();
    Integer count = list.Count();
    Integer direct = 0;
    while (direct < count && (list.GetItems(direct)->ElementType() == xeAttribute ||
                              list.GetItems(direct)->ElementType() == xeWhiteSpace))
      ++direct;
    bool ok = l.Counts.Direct >= 0 && l.Counts.Direct <= direct;
    // An attribute after the start tag would break the node model.
    for (Integer i = l.Counts.Direct; ok && i < count; ++i)
      if (list.GetItems(i)->ElementType() == xeAttribute) ok = false;
    Integer value = l.Counts.Value;
    // Only looked at once the start-tag count is known good: a count read as
    // negative would let the value index below 0.
    if (ok && value != -1 && (value < l.Counts.Direct || value >= count || !list.GetItems(value)->Is<TsdCharData>() ||
                        list.GetItems(value)->ElementType() == xeAttribute))
      ok = false;
    if (!ok) {
      Fail(S, "invalid binary xml stream");
      // Keep what can stand: attributes after the start tag go.
      for (Integer i = count - 1; i >= direct; --i)
        if (list.GetItems(i)->ElementType() == xeAttribute) list.Delete(i);
      c->SetCounters(list.Count(), direct, -1);
      return;
    }
    c->SetCounters(count, l.Counts.Direct, value);
  };
  for (;;) {
    if (!open.empty() && open.back().Left == 0) {
      close();
      continue;
    }
    Integer sub = 0;
    TXmlNode* n = ReadNode(S, open.empty() ? nullptr : open.back().Node, sub);
    if (!n) break;
    ++total;
    if (open.empty()) {
      roots->Add(n);
    } else {
      open.back().Node->AddChildRaw(n);
      --open.back().Left;
    }
    if (n->Is<TsdContainerNode>() && HasContainerPart(n->ElementType())) {
      TContainerCounts counts = FPendingCounts.back();
      FPendingCounts.pop_back();
      if (static_cast<Integer>(open.size()) >= FDocument->MaxNestingDepth()) {
        Fail(S, "maximum nesting depth exceeded");
        break;
      }
      open.push_back({static_cast<TsdContainerNode*>(n), sub, counts});
    }
    if (total % 100 == 0) FDocument->DoProgress(FBase + S->Position());
  }
  FPendingCounts.clear();
  while (!open.empty()) {
    if (open.back().Left > 0) Fail(S, "invalid binary xml stream");
    close();
  }
  DoDebugOut(this, wsInfo, "total node count: " + std::to_string(total));
}

void TsdBinaryXml::LoadFromStream(TStream* S) {
  if (!FDocument) return;
  FFailed = false;
  FBase = 0;
  FTableCount = 0;
  FPendingCounts.clear();
  char magic[4];
  if (S->Read(magic, 4) != 4 || std::memcmp(magic, kMagic, 4) != 0) {
    Fail(S, "invalid binary xml stream");
    return;
  }
  Cardinal version = ReadCardinal(S);
  if (FFailed) return;
  if (version > cBinaryXmlVersion) {
    Fail(S, "incompatible binary version");
    return;
  }
  if (version < cBinaryXmlVersion)
    DoDebugOut(this, wsWarn,
               "loading binary version=" + std::to_string(version) +
                   ", current version=" + std::to_string(cBinaryXmlVersion));
  char coder[5];
  if (!ReadBytes(S, coder, 5)) return;
  TStream* payload = S;
  TsdFastMemStream decoded;
  if (std::memcmp(coder, "none", 4) != 0) {
    if (!Assigned(FOnDecode)) {
      Fail(S, "OnDecode event unassigned");
      return;
    }
    Cardinal plainSize = ReadCardinal(S);
    if (FFailed) return;
    TsdFastMemStream coded;
    coded.CopyFrom(S, Left(S));
    coded.SetPosition(0);
    UTF8String name(coder, 4);
    FOnDecode(this, &coded, &decoded, plainSize, name);
    DoDebugOut(this, wsInfo,
               "coder name: " + UTF8String(coder, 4) + ", compressed size: " + std::to_string(coded.Size()) +
                   ", plain size: " + std::to_string(plainSize));
    // The decoded payload is read from a stream of its own: the caller's
    // stream is not written to.
    decoded.SetPosition(0);
    payload = &decoded;
  }
  FDocument->ClearData(false, false, false);
  try {
    FDocument->SymbolTable()->LoadFromStream(payload);
  } catch (const Exception&) {
    FDocument->SymbolTable()->Clear();
    Fail(payload, "invalid binary xml stream");
    return;
  }
  FTableCount = static_cast<Cardinal>(FDocument->SymbolTable()->GetSymbolCount());
  FDocument->DoProgress(payload->Position());
  ReadDocument(payload);
}

void TsdBinaryXml::LoadFromFile(const String& FileName) {
  TsdFastMemStream m;
  m.LoadFromFile(FileName);
  LoadFromStream(&m);
}

// ---------------------------------------------------------------------------
// The document's side

void TPlainXml::SetBinaryDocument(TsdBinaryXml* Binary) {
  if (!Binary) return;
  Binary->SetDocument(this);
  if (FBinaryMethod != bmDefault) {
    DoDebugOut(this, wsWarn, "binary method not available (check compiler defines)");
    return;
  }
  Binary->SetOnEncode(nullptr);
  Binary->SetOnDecode(nullptr);
}

void TPlainXml::LoadFromBinaryStream(TStream* Stream) {
  TsdBinaryXml b(this);
  SetBinaryDocument(&b);
  b.LoadFromStream(Stream);
  if (TsdDeclaration* d = Declaration()) {
    UTF8String enc = d->Encoding();
    FExternalCodePage = sdCharsetToCodePage(enc, 65001);
    FExternalEncoding = sdCharsetToStringEncoding(enc);
    // Only encodings a save can write.
    if (FExternalEncoding != seAnsi && FExternalEncoding != seUTF8 && FExternalEncoding != seUTF16LE &&
        FExternalEncoding != seUTF16BE) {
      FExternalEncoding = seUTF8;
      FExternalCodePage = 65001;
    }
  }
}

void TPlainXml::LoadFromBinaryFile(const String& FileName) {
  TsdFastMemStream m;
  m.LoadFromFile(FileName);
  LoadFromBinaryStream(&m);
}

void TPlainXml::SaveToBinaryStream(TStream* Stream) {
  TsdBinaryXml b(this);
  SetBinaryDocument(&b);
  b.SaveToStream(Stream);
}

void TPlainXml::SaveToBinaryFile(const String& FileName) {
  TsdFastMemStream m;
  SaveToBinaryStream(&m);
  m.SaveToFile(FileName);
}

}  // namespace qn
