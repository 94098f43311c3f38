// The document type and the markup declarations of its internal subset:
// reading, writing, and the entity table they give.
#include <cstring>

#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

std::string DtdPos(Int64 v) { return std::to_string(v); }

void DtdOut(TStream* S, std::string_view v) {
  if (!v.empty()) S->WriteBuffer(v.data(), static_cast<Integer>(v.size()));
}

std::string_view DtdTrim(std::string_view s) {
  auto blank = [](char c) { return c == 9 || c == 10 || c == 13 || c == 32; };
  size_t a = 0, b = s.size();
  while (a < b && blank(s[a])) ++a;
  while (b > a && blank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

bool DtdBlank(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

[[gnu::noinline]] void ReportIllegalTag(TXmlNode* n, const UTF8String& what, TsdXmlParser* P) {
  n->DoDebugOut(n, wsWarn, "illegal tag (\"" + what + "\") at pos " + DtdPos(P->GetPosition()));
}

[[gnu::noinline]] void DtdReportEndTag(TXmlNode* n, TsdWarnStyle w, char c, TsdXmlParser* P) {
  n->DoDebugOut(n, w,
                "illegal end tag (\"" + (c ? UTF8String(1, c) : UTF8String()) + "\") at line " +
                    DtdPos(P->GetLineNumber()) + " (streampos " + DtdPos(P->GetPosition()) + ")");
}

[[gnu::noinline]] void DtdReportPremature(TXmlNode* n, TsdXmlParser* P) {
  P->FPrematureEnd = true;
  n->DoDebugOut(n, wsFail, "stream terminated prematurely at pos " + DtdPos(P->GetPosition()));
}

// A word of a declaration: up to a blank, a quote or the end of the
// declaration (at least the character already read, so reading always moves
// on).
UTF8String ReadWord(TsdXmlParser* P, char first, const char* stops) {
  UTF8String w(1, first);
  for (;;) {
    char c = P->NextChar();
    if (c == 0 && P->EndOfStream()) return w;
    if (DtdBlank(c) || std::strchr(stops, c)) {
      P->MoveBack();
      return w;
    }
    w += c;
  }
}

// The character "&#...;" names at its '&' (S[At]), with the reference's
// length; -1 when it names none that XML text may hold.
Int64 CharacterReferenceAt(std::string_view s, size_t at, size_t& len) {
  size_t i = at + 2;
  if (s.size() < at + 4 || s[at + 1] != '#') return -1;
  int base = 10;
  if (s[i] == 'x') {
    base = 16;
    ++i;
  }
  size_t digits = i;
  UInt64 v = 0;
  for (; i < s.size() && s[i] != ';'; ++i) {
    char c = s[i];
    int d = c >= '0' && c <= '9' ? c - '0'
            : base == 16 && c >= 'a' && c <= 'f' ? c - 'a' + 10
            : base == 16 && c >= 'A' && c <= 'F' ? c - 'A' + 10
                                                 : -1;
    if (d < 0) return -1;
    v = v * static_cast<UInt64>(base) + static_cast<UInt64>(d);
    if (v > 0x10FFFF) return -1;
  }
  if (i >= s.size() || i == digits) return -1;
  bool allowed = v == 0x9 || v == 0xA || v == 0xD || (v >= 0x20 && v <= 0xD7FF) || (v >= 0xE000 && v <= 0xFFFD) ||
                 v >= 0x10000;
  if (!allowed) return -1;
  len = i + 1 - at;
  return static_cast<Int64>(v);
}

void AppendCharacter(UTF8String& r, UInt64 c) {
  if (c < 0x80) {
    r += static_cast<char>(c);
  } else if (c < 0x800) {
    r += static_cast<char>(0xC0 | (c >> 6));
    r += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    r += static_cast<char>(0xE0 | (c >> 12));
    r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    r += static_cast<char>(0xF0 | (c >> 18));
    r += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    r += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    r += static_cast<char>(0x80 | (c & 0x3F));
  }
}

}  // namespace

UTF8String sdEntityReplacementText(std::string_view Literal) {
  // The character references of an entity's literal stand for their
  // characters from the declaration on: "&#60;" in it is markup where the
  // entity is used. References to other entities stay as they are written
  // until then.
  UTF8String r;
  size_t from = 0;
  for (size_t amp = Literal.find("&#"); amp != std::string_view::npos; amp = Literal.find("&#", amp + 1)) {
    size_t len = 0;
    Int64 c = CharacterReferenceAt(Literal, amp, len);
    if (c < 0) continue;
    r.append(Literal.data() + from, amp - from);
    AppendCharacter(r, static_cast<UInt64>(c));
    from = amp + len;
    amp = from - 1;
  }
  r.append(Literal.data() + from, Literal.size() - from);
  return r;
}

// ---------------------------------------------------------------------------
// Document type

TXmlNode* TsdDocType::ParseStream(TsdXmlParser* P) {
  std::string_view b;
  char c = P->SkipBlanks(b);
  FBlanks[0] = UTF8String(b);
  if (c) P->MoveBack();
  SetName(UTF8String(DtdTrim(P->ReadViewUntilBlankOrEndTag())));
  c = P->SkipBlanks(b);
  UTF8String afterName(b);
  if (c == 0 && P->EndOfStream()) {
    DtdReportPremature(this, P);
    return this;
  }
  FBlanks[1] = " ";
  if (c != '>' && c != '[') {
    P->MoveBack();
    FBlanks[1] = afterName;
    bool isPublic = false;
    if (P->CheckString("SYSTEM")) {
      ExternalID()->SetCoreValue("SYSTEM");
    } else if (P->CheckString("PUBLIC")) {
      ExternalID()->SetCoreValue("PUBLIC");
      isPublic = true;
    } else {
      ReportIllegalTag(this, ReadWord(P, P->NextChar(), ">["), P);
      return this;
    }
    c = P->SkipBlanks(b);
    FBlanks[2] = UTF8String(b);
    if (c) P->MoveBack();
    if (isPublic) {
      PubIDLiteral()->ParseStream(P);
      c = P->SkipBlanks(b);
      FBlanks[3] = UTF8String(b);
      if (c) P->MoveBack();
    }
    SystemLiteral()->ParseStream(P);
    c = P->SkipBlanks(b);
    FBlanks[4] = UTF8String(b);
  } else {
    FBlanks[4] = afterName;
  }
  FBlanks[5].clear();
  FHasSubset = c == '[';
  if (c == '[') {
    static const TSet<TsdElementType> allowed{xeCharData,   xeComment,  xeDtdElement,  xeDtdAttList,
                                              xeDtdEntity, xeDtdNotation, xeInstruction};
    ParseElementList(P, allowed);
    c = P->SkipBlanks(b);
    FBlanks[5] = UTF8String(b);
  }
  if (c != '>') {
    if (c == 0 && P->EndOfStream()) DtdReportPremature(this, P);
    else ReportIllegalTag(this, UTF8String(1, c), P);
  }
  DoProgress(P->GetPosition());
  return this;
}

void TsdDocType::ParseIntermediateData(TsdXmlParser* P) {
  // Between the declarations: blanks (all kept when preserving, so that the
  // subset writes back unchanged) and stray words such as parameter-entity
  // references, up to the next "<" or "]" (consumed).
  bool keep = GetPreserveWhiteSpace();
  TPlainXml* doc = Document();
  for (;;) {
    std::string_view b;
    char c = P->SkipBlanks(b);
    if (!b.empty() && keep) {
      auto* w = new TsdWhiteSpace(doc);
      w->SetCoreView(b);
      AddParsed(w);
    }
    if (c == 0 && P->EndOfStream()) return;
    if (c == '<' || c == ']') return;
    auto* t = new TsdCharData(doc);
    t->SetCoreValue(ReadWord(P, c, "<]"));
    AddParsed(t);
    DoNodeNew(t);
    DoNodeLoaded(t);
  }
}

void TsdDocType::WriteStream(TStream* S) {
  bool keep = GetPreserveWhiteSpace();
  auto blank = [&](int i, const char* standard) {
    return keep ? sdUnNormaliseEol(FBlanks[i], GetEolStyle()) : UTF8String(standard);
  };
  UTF8String out = GetIndent() + "<!DOCTYPE" + blank(0, " ") + GetName();
  UTF8String ext = FExternalID ? FExternalID->GetCoreValue() : UTF8String();
  if (ext == "SYSTEM") {
    out += blank(1, " ") + "SYSTEM" + blank(2, " ") + SystemLiteral()->WriteToString();
  } else if (ext == "PUBLIC") {
    out += blank(1, " ") + "PUBLIC" + blank(2, " ") + PubIDLiteral()->WriteToString() + blank(3, " ") +
           SystemLiteral()->WriteToString();
  }
  out += blank(4, " ");
  DtdOut(S, out);
  if (FNodes.Count() > 0 || (keep && FHasSubset)) {
    DtdOut(S, "[");
    DtdOut(S, GetEndOfLine());
    for (Integer i = 0; i < FNodes.Count(); ++i) {
      TXmlNode* n = FNodes.GetItems(i);
      n->WriteStream(S);
      // Words between declarations stand on their own line when laid out.
      if (!keep && n->ElementType() == xeCharData) DtdOut(S, GetEndOfLine());
    }
    DtdOut(S, "]");
    DtdOut(S, blank(5, ""));
  }
  DtdOut(S, ">");
  DtdOut(S, GetEndOfLine());
}

TsdEntityMap TsdDocType::Entities() const {
  TsdEntityMap m;
  for (Integer i = 0; i < FNodes.Count(); ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    if (n->ElementType() != xeDtdEntity || !n->Is<TsdDtdEntity>()) continue;
    auto* e = static_cast<TsdDtdEntity*>(n);
    if (e->IsParameter()) continue;
    if (TsdQuotedText* lit = e->Literal())
      m.emplace(e->EntityName(), sdEntityReplacementText(lit->GetCoreValue()));  // the first one counts
  }
  return m;
}

bool TsdDocType::HasExternalParts() const {
  if (FExternalID && !FExternalID->GetCoreValue().empty()) return true;
  for (Integer i = 0; i < FNodes.Count(); ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    if (n->ElementType() == xeCharData) {
      std::string_view v = static_cast<TsdCharData*>(n)->GetCoreView();
      if (!v.empty() && v[0] == '%') return true;
    }
  }
  return false;
}

// ---------------------------------------------------------------------------
// Markup declarations

TXmlNode* TsdDtdElement::ParseStream(TsdXmlParser* P) {
  std::string_view b;
  char c = P->SkipBlanks(b);
  FBlanks[0] = UTF8String(b);
  if (c) P->MoveBack();
  SetName(UTF8String(DtdTrim(P->ReadViewUntilBlankOrEndTag())));
  c = P->SkipBlanks(b);
  FBlanks[1] = UTF8String(b);
  if (c == 0 && P->EndOfStream()) {
    DtdReportPremature(this, P);
    return this;
  }
  P->MoveBack();
  ParseContent(P);
  DoProgress(P->GetPosition());
  return this;
}

void TsdDtdElement::ParseContent(TsdXmlParser* P) {
  // Up to the ">" outside quotes: an attribute default may hold one.
  UTF8String text;
  char quote = 0;
  for (;;) {
    char c = P->NextChar();
    if (c == 0 && P->EndOfStream()) {
      DtdReportPremature(this, P);
      break;
    }
    if (quote) {
      if (c == quote) quote = 0;
    } else if (c == '"' || c == '\'') {
      quote = c;
    } else if (c == '>') {
      break;
    }
    text += c;
  }
  if (!text.empty()) {
    auto* t = new TsdCharData(Document());
    t->SetCoreValue(text);
    AddParsed(t);
  }
}

void TsdDtdEntity::ParseContent(TsdXmlParser* P) { ParseQuotedTextList(P); }

void TsdDtdEntity::ParseQuotedTextList(TsdXmlParser* P) {
  bool keep = GetPreserveWhiteSpace();
  TPlainXml* doc = Document();
  for (;;) {
    std::string_view b;
    char c = P->SkipBlanks(b);
    // One space between two pieces is what the writer puts there; any other
    // run, and any blank before the end, is kept when preserving.
    bool last = c == '!' || c == '/' || c == '>' || (c == 0 && P->EndOfStream());
    if (!b.empty() && (b != " " || last)) {
      UTF8String blanks(b);
      if (b != " ")
        DoDebugOut(this, wsHint,
                   "non-default chardata at line " + DtdPos(P->GetLineNumber()) + " (pos " + DtdPos(P->GetPosition()) + ")");
      if (keep) {
        auto* w = new TsdWhiteSpace(doc);
        w->SetCoreValue(blanks);
        AddParsed(w);
      }
    }
    if (c == 0 && P->EndOfStream()) {
      DtdReportEndTag(this, wsFail, 0, P);
      return;
    }
    if (c == '!' || c == '/' || c == '>') {
      if (c != '>') DtdReportEndTag(this, wsFail, c, P);
      return;
    }
    if (c == '"' || c == '\'') {
      P->MoveBack();
      auto* q = new TsdQuotedText(doc);
      AddParsed(q);
      DoNodeNew(q);
      q->ParseStream(P);
      DoNodeLoaded(q);
    } else {
      // "%", SYSTEM, PUBLIC, NDATA and names stay as words.
      auto* w = new TsdCharData(doc);
      w->SetCoreValue(ReadWord(P, c, "\"'>!/"));
      AddParsed(w);
      DoNodeNew(w);
      DoNodeLoaded(w);
    }
  }
}

void TsdDtdElement::WriteStream(TStream* S) {
  switch (ElementType()) {
    case xeDtdElement:
    case xeDtdAttList:
    case xeDtdEntity:
    case xeDtdNotation: break;
    default:
      throw EFilerError(FromUtf8("unsupported tag (\"" + UTF8String(ElementTypeName()) + "\") at pos " +
                                 DtdPos(S->Position())));
  }
  bool keep = GetPreserveWhiteSpace();
  auto blank = [&](int i) { return keep ? sdUnNormaliseEol(FBlanks[i], GetEolStyle()) : UTF8String(" "); };
  UTF8String out = GetIndent() + "<!" + Keyword() + blank(0) + GetName() + blank(1);
  TXmlNode* prev = nullptr;
  for (Integer i = 0; i < FNodes.Count(); ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    // Words and literals of an entity stand one blank apart unless kept
    // white space lies between them.
    if (prev && prev->ElementType() != xeWhiteSpace && n->ElementType() != xeWhiteSpace) out += " ";
    out += n->WriteToString();
    prev = n;
  }
  out += ">";
  out += GetEndOfLine();
  DtdOut(S, out);
}

UTF8String TsdDtdElement::GetValue() {
  UTF8String v;
  for (Integer i = 0; i < FNodes.Count(); ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    if (i > 0 && n->ElementType() != xeWhiteSpace && FNodes.GetItems(i - 1)->ElementType() != xeWhiteSpace) v += " ";
    v += n->WriteToString();
  }
  return v;
}

void TsdDtdElement::CopyOwnData(TXmlNode* ASource) {
  TsdElement::CopyOwnData(ASource);
  if (ASource->Is<TsdDtdElement>()) {
    auto* d = static_cast<TsdDtdElement*>(ASource);
    FBlanks[0] = d->FBlanks[0];
    FBlanks[1] = d->FBlanks[1];
  }
}

bool TsdDtdEntity::IsParameter() { return GetName() == "%"; }

UTF8String TsdDtdEntity::EntityName() {
  if (!IsParameter()) return GetName();
  for (Integer i = 0; i < FNodes.Count(); ++i)
    if (FNodes.GetItems(i)->ElementType() == xeCharData) return static_cast<TsdCharData*>(FNodes.GetItems(i))->GetCoreValue();
  return {};
}

TsdQuotedText* TsdDtdEntity::Literal() {
  // The first piece after the name (after the parameter entity's own name):
  // a literal for an internal entity, SYSTEM or PUBLIC for an external one.
  bool skipName = IsParameter();
  for (Integer i = 0; i < FNodes.Count(); ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    TsdElementType t = n->ElementType();
    if (t == xeWhiteSpace) continue;
    if (skipName && t == xeCharData) {
      skipName = false;
      continue;
    }
    return t == xeQuotedText ? static_cast<TsdQuotedText*>(n) : nullptr;
  }
  return nullptr;
}

UTF8String TsdDtdEntity::GetValue() {
  TsdQuotedText* lit = Literal();
  return lit ? lit->GetCoreValue() : TsdDtdElement::GetValue();
}

UTF8String sdReplaceString(const UTF8String& AValue, bool& HasNonStandardReferences, const TsdNodeList& DtdNodes) {
  TsdEntityMap m;
  for (Integer i = 0; i < DtdNodes.Count(); ++i) {
    TXmlNode* n = DtdNodes.GetItems(i);
    if (n->ElementType() != xeDtdEntity || !n->Is<TsdDtdEntity>()) continue;
    auto* e = static_cast<TsdDtdEntity*>(n);
    if (e->IsParameter()) continue;
    if (TsdQuotedText* lit = e->Literal()) m.emplace(e->EntityName(), sdEntityReplacementText(lit->GetCoreValue()));
  }
  return sdReplaceString(AValue, HasNonStandardReferences, m);
}

}  // namespace qn
