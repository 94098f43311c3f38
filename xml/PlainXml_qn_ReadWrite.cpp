// How each node class reads itself from the parser and writes itself as
// XML text.
#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

std::string Pos(Int64 v) { return std::to_string(v); }

void Out(TStream* S, std::string_view v) {
  if (!v.empty()) S->WriteBuffer(v.data(), static_cast<Integer>(v.size()));
}

// Messages are built outside the recursive parse functions, so that each
// nesting level costs little stack.
[[gnu::noinline]] void ReportAt(TXmlNode* n, TsdWarnStyle w, const char* what, const UTF8String& a, TsdXmlParser* P,
                                bool withLine, const char* posWord = "pos ") {
  UTF8String m = what;
  m += a;
  if (withLine) m += "\") at line " + Pos(P->GetLineNumber()) + " (" + posWord + Pos(P->GetPosition()) + ")";
  else m += "\") at pos " + Pos(P->GetPosition());
  n->DoDebugOut(n, w, m);
}

[[gnu::noinline]] void ReportMismatch(TXmlNode* n, const UTF8String& endName, TsdXmlParser* P) {
  n->DoDebugOut(n, wsWarn,
                "begin and end tag mismatch: \"" + n->GetName() + "\" and \"" + endName + "\" at line " +
                    Pos(P->GetLineNumber()) + " (pos " + Pos(P->GetPosition()) + ")");
}

[[gnu::noinline]] void ReportLevel(TXmlNode* self, TXmlNode* n, TXmlNode* done, TsdXmlParser* P) {
  self->DoDebugOut(self, wsWarn,
                   "level mismatch between subnode \"" + n->GetName() + "\" and endnode \"" +
                       (done ? done->GetName() : UTF8String("nil")) + "\" at line " + Pos(P->GetLineNumber()) +
                       " (pos " + Pos(P->GetPosition()) + ")");
}

[[gnu::noinline]] void ReportPremature(TXmlNode* n, TsdXmlParser* P) {
  n->DoDebugOut(n, wsFail, "stream terminated prematurely at pos " + Pos(P->GetPosition()));
}

// Tag names are trimmed of XML's blanks only: a name that starts with
// another control byte must keep it, or "<\x01?x>" would write back as an
// instruction.
UTF8String TrimBlanks(const UTF8String& s) {
  auto blank = [](char c) { return c == 9 || c == 10 || c == 13 || c == 32; };
  size_t a = 0, b = s.size();
  while (a < b && blank(s[a])) ++a;
  while (b > a && blank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

[[gnu::noinline]] bool ReadEndTag(TsdXmlParser* P, TXmlNode* n, UTF8String& endName) {
  endName = TrimBlanks(P->ReadStringUntilChar('>'));
  return endName != n->GetName();
}

}  // namespace

UTF8String TXmlNode::GetContent() {
  TsdStringStream s("");
  WriteContent(&s);
  return s.DataString();
}

UTF8String TXmlNode::WriteToString() {
  TsdStringStream s("");
  WriteStream(&s);
  return s.DataString();
}

// ---------------------------------------------------------------------------
// Character data and its kin

void TsdCharData::WriteStream(TStream* S) { Out(S, GetPlatformValue()); }

TXmlNode* TsdQuotedText::ParseStream(TsdXmlParser* P) {
  UTF8String blanks;
  char c = P->NextCharSkipBlanks(blanks);
  if (c == '"' || c == '\'') {
    FQuoteStyle = c == '"' ? qsQuote : qsApos;
    SetCoreValue(P->ReadQuotedString(c));
  } else {
    DoDebugOut(this, wsWarn, "quote char expected at pos " + Pos(P->GetPosition()));
    if (Document() && Document()->FixStructuralErrors() && !(c == 0 && P->EndOfStream())) {
      P->MoveBack();
      SetCoreValue(P->ReadStringUntilChar(' '));
    }
  }
  DoProgress(P->GetPosition());
  return this;
}

void TsdQuotedText::WriteStream(TStream* S) {
  const char* q = FQuoteStyle == qsApos ? "'" : "\"";
  Out(S, q);
  Out(S, GetPlatformValue());
  Out(S, q);
}

TXmlNode* TsdComment::ParseStream(TsdXmlParser* P) {
  SetCoreValue(P->ReadStringUntil("-->"));
  DoProgress(P->GetPosition());
  return this;
}

void TsdComment::WriteStream(TStream* S) {
  UTF8String v = GetCoreValue();
  if (v.find("--") != UTF8String::npos || (!v.empty() && v.back() == '-'))
    DoDebugOut(this, wsFail, "comment contains \"--\"");
  Out(S, "<!--");
  Out(S, sdUnNormaliseEol(v, GetEolStyle()));
  Out(S, "-->");
}

TXmlNode* TsdCData::ParseStream(TsdXmlParser* P) {
  SetCoreValue(P->ReadStringUntil("]]>"));
  DoProgress(P->GetPosition());
  return this;
}

void TsdCData::WriteStream(TStream* S) {
  // "]]>" cannot stand inside a section: it is split over two.
  UTF8String v = sdUnNormaliseEol(GetCoreValue(), GetEolStyle());
  size_t from = 0;
  for (;;) {
    size_t hit = v.find("]]>", from);
    Out(S, "<![CDATA[");
    if (hit == UTF8String::npos) {
      Out(S, std::string_view(v).substr(from));
      Out(S, "]]>");
      return;
    }
    Out(S, std::string_view(v).substr(from, hit + 2 - from));
    Out(S, "]]>");
    from = hit + 2;
  }
}

TXmlNode* TsdInstruction::ParseStream(TsdXmlParser* P) {
  SetCoreValue(P->ReadStringUntil("?>"));
  DoProgress(P->GetPosition());
  return this;
}

void TsdInstruction::WriteStream(TStream* S) {
  UTF8String v = GetCoreValue();
  if (v.find("?>") != UTF8String::npos) DoDebugOut(this, wsFail, "instruction contains \"?>\"");
  Out(S, GetIndent());
  Out(S, "<?");
  Out(S, sdUnNormaliseEol(v, GetEolStyle()));
  Out(S, "?>");
  Out(S, GetEndOfLine());
}

// ---------------------------------------------------------------------------
// Attributes

TXmlNode* TsdAttribute::ParseStream(TsdXmlParser* P) {
  SetName(sdTrim(P->ReadStringUntilChar('=')));
  CoreValue()->ParseStream(P);
  return this;
}

void TsdAttribute::WriteStream(TStream* S) {
  Out(S, GetName());
  Out(S, "=");
  CoreValue()->WriteStream(S);
}

// ---------------------------------------------------------------------------
// Containers

char TsdContainerNode::ParseAttributeList(TsdXmlParser* P) {
  for (;;) {
    UTF8String blanks;
    char c = P->NextCharSkipBlanks(blanks);
    if (c == 0 && P->EndOfStream()) return 0;
    if (!blanks.empty() && blanks != " ") {
      DoDebugOut(this, wsHint,
                 "non-default chardata at line " + Pos(P->GetLineNumber()) + " (pos " + Pos(P->GetPosition()) + ")");
      if (GetPreserveWhiteSpace()) {
        auto* w = new TsdWhiteSpace(Document());
        w->SetCoreValue(blanks);
        FNodes.Insert(FDirectNodeCount, w);
        LinkParent(w, this);
        if (FValueIndex >= FDirectNodeCount) ++FValueIndex;
        ++FDirectNodeCount;
      }
    }
    if (c == '!' || c == '/' || c == '>' || c == '?') return c;
    if (c == '"' || c == '\'') {
      DoDebugOut(this, wsWarn, "illegal quote at pos " + Pos(P->GetPosition()));
      continue;
    }
    P->MoveBack();
    auto* a = new TsdAttribute(Document());
    AttributeAdd(a);
    DoNodeNew(a);
    a->ParseStream(P);
    DoNodeLoaded(a);
  }
}

TXmlNode* TsdContainerNode::ParseElementList(TsdXmlParser* P, const TSet<TsdElementType>& Allowed) {
  TXmlNode* result = this;
  TPlainXml* doc = Document();
  for (;;) {
    ParseIntermediateData(P);
    if (P->EndOfStream()) {
      ReportPremature(this, P);
      return result;
    }
    P->MoveBack();
    char c = P->NextChar();
    if (c == '<') {
      TsdElementType t = P->ReadOpenTag();
      if (!Allowed.Contains(t)) {
        ReportAt(this, wsWarn, "illegal tag (\"", qn::ElementTypeName(t), P, false);
        return result;
      }
      if (t == xeEndTag) {
        FNodeClosingStyle = ncFull;
        UTF8String endName;
        if (ReadEndTag(P, this, endName)) {
          ReportMismatch(this, endName, P);
          if (doc && doc->FixStructuralErrors() && Is<TsdElement>())
            result = static_cast<TsdElement*>(this)->ParseFixStructuralErrors(endName);
        }
        return result;
      }
      TClass cls = cNodeClass(t);
      if (!cls) {
        ReportAt(this, wsFail, "unsupported tag (\"", qn::ElementTypeName(t), P, false);
        return result;
      }
      auto* n = static_cast<TXmlNode*>(cls->Create(doc));
      NodeAdd(n);
      if (t != xeElement) DoNodeNew(n);
      TXmlNode* done = n->ParseStream(P);
      if (done != n) {
        ReportLevel(this, n, done, P);
        return done;
      }
      if (n->Is<TsdCData>() && FValueIndex < 0) FValueIndex = NodeIndexOf(n);
      DoNodeLoaded(n);
    } else if (c == ']' && ElementType() == xeDocType) {
      return result;
    }
    if ((doc && doc->AbortParsing()) || P->EndOfStream()) return result;
  }
}

void TsdContainerNode::WriteContent(TStream* S) {
  for (Integer i = FDirectNodeCount; i < FNodes.Count(); ++i) FNodes.GetItems(i)->WriteStream(S);
}

// ---------------------------------------------------------------------------
// Elements

namespace {
[[gnu::noinline]] void ReportEndTag(TXmlNode* n, char c, TsdXmlParser* P) {
  ReportAt(n, wsWarn, "illegal end tag (\"", c ? UTF8String(1, c) : UTF8String(), P, true, "streampos ");
}
[[gnu::noinline]] void ReadElementName(TXmlNode* n, TsdXmlParser* P) { n->SetName(TrimBlanks(P->ReadStringUntilBlankOrEndTag())); }
[[gnu::noinline]] TXmlNode* ParseChildren(TsdContainerNode* n, TsdXmlParser* P) {
  static const TSet<TsdElementType> allowed{xeElement, xeAttribute, xeCharData, xeComment, xeCData,
                                            xeInstruction, xeWhiteSpace, xeQuotedText, xeEndTag};
  return n->ParseElementList(P, allowed);
}
}  // namespace

TXmlNode* TsdElement::ParseStream(TsdXmlParser* P) {
  TPlainXml* doc = Document();
  // Nesting is bounded: each level costs stack, and hostile input may
  // nest without end.
  if (doc && doc->FNestingLevel >= doc->FMaxNestingDepth) {
    DoDebugOut(this, wsFail, "maximum nesting depth exceeded");
    doc->SetAbortParsing(true);
    return this;
  }
  if (doc) ++doc->FNestingLevel;
  P->Flush();
  FValueIndex = -1;
  ReadElementName(this, P);
  DoNodeNew(this);
  char c = ParseAttributeList(P);
  TXmlNode* r = this;
  if (c == '/') {
    char n = P->NextChar();
    if (n == '>') {
      FNodeClosingStyle = ncClose;
      DoProgress(P->GetPosition());
    } else {
      ReportEndTag(this, n, P);
    }
  } else if (c != '>') {
    ReportEndTag(this, c, P);
  } else {
    r = ParseChildren(this, P);
    DoProgress(P->GetPosition());
  }
  if (doc) --doc->FNestingLevel;
  return r;
}

void TsdElement::ParseIntermediateData(TsdXmlParser* P) {
  UTF8String text = P->ReadStringUntilChar('<');
  if (text.empty()) return;
  UTF8String pre, post;
  UTF8String core = sdTrim(text, pre, post);
  bool keep = GetPreserveWhiteSpace();
  if (keep && !pre.empty()) {
    auto* w = new TsdWhiteSpace(Document());
    w->SetCoreValue(pre);
    NodeAdd(w);
  }
  if (!core.empty()) {
    auto* c = new TsdCharData(Document());
    c->SetCoreValue(core);
    Integer at = NodeAdd(c);
    if (FValueIndex < 0) FValueIndex = at;
    DoNodeNew(c);
    DoNodeLoaded(c);
  }
  if (keep && !post.empty()) {
    auto* w = new TsdWhiteSpace(Document());
    w->SetCoreValue(post);
    NodeAdd(w);
  }
}

TXmlNode* TsdElement::ParseFixStructuralErrors(const UTF8String& AEndTagName) {
  TPlainXml* doc = Document();
  TStringList* single = doc ? doc->SingleTagNames() : nullptr;
  auto remember = [&](const UTF8String& name) {
    if (!single) return;
    Integer idx;
    if (!single->Find(FromUtf8(name), idx)) single->Add(FromUtf8(name));
  };
  for (Integer k = 0;; ++k) {
    TXmlNode* parent = FParent;
    UTF8String p = parent ? parent->GetName() : UTF8String();
    if (parent && p == AEndTagName) {
      DoDebugOut(this, wsWarn,
                 "parent" + std::to_string(k) + " = \"" + p + "\", this endtag = \"" + AEndTagName + "\": maybe \"" +
                     GetName() + "\" should be closed");
      remember(GetName());
      return parent;
    }
    TXmlNode* grand = parent ? parent->Parent() : nullptr;
    if (!grand) return parent ? parent : this;  // nowhere further to go
    DoDebugOut(this, wsWarn,
               "moving node \"" + GetName() + "\" from parent \"" + p + "\" to grandparent \"" + grand->GetName() + "\"");
    remember(p);
    parent->NodeExtract(this);
    grand->NodeAdd(this);
  }
}

void TsdElement::WriteStream(TStream* S) {
  // An explicit stack: trees built through the API may be deeper than any
  // parse would allow.
  struct Frame {
    TsdElement* E;
    Integer Next;
    bool Sub;
  };
  std::vector<Frame> stack;
  auto open = [&](TsdElement* e) -> bool {
    bool sub = e->HasSubContainers();
    Out(S, e->GetIndent());
    Out(S, "<");
    Out(S, e->GetName());
    e->WriteAttributeList(S, e->FDirectNodeCount);
    // A nameless element's short form "</>" would read back as an end tag.
    if (e->FNodes.Count() <= e->FDirectNodeCount && e->GetNodeClosingStyle() == ncClose && e->FNameID != 0) {
      Out(S, e->Document() ? std::string_view(e->Document()->DirectCloseTag()) : std::string_view("/>"));
      Out(S, e->GetEndOfLine());
      return false;
    }
    Out(S, ">");
    stack.push_back({e, e->FDirectNodeCount, sub});
    return true;
  };
  open(this);
  while (!stack.empty()) {
    Frame& f = stack.back();
    TsdElement* e = f.E;
    if (f.Next >= e->FNodes.Count()) {
      if (f.Sub) Out(S, e->GetIndent());
      Out(S, "</");
      Out(S, e->GetName());
      Out(S, ">");
      Out(S, e->GetEndOfLine());
      e->DoProgress(S->Position());
      stack.pop_back();
      continue;
    }
    Integer i = f.Next++;
    bool sub = f.Sub;
    TXmlNode* n = e->FNodes.GetItems(i);
    bool isChar = n->Is<TsdCharData>() && !n->Is<TsdComment>() && !n->Is<TsdInstruction>();
    if (i == e->FDirectNodeCount && !isChar) Out(S, e->GetEndOfLine());
    if (isChar && i > e->FDirectNodeCount && sub) Out(S, e->GetIndent());
    if (n->ElementType() == xeElement && n->Is<TsdElement>()) {
      open(static_cast<TsdElement*>(n));
    } else {
      n->WriteStream(S);
    }
    if (isChar && sub) Out(S, e->GetEndOfLine());
  }
}

// ---------------------------------------------------------------------------
// Declarations and the document type

TXmlNode* TsdDeclaration::ParseStream(TsdXmlParser* P) {
  char c = ParseAttributeList(P);
  char n = c == '?' ? P->NextChar() : c;
  if (c == '?' && n == '>') {
    // One line break after the declaration belongs to it (it writes one).
    if (ElementType() == xeDeclaration) {
      char x = P->NextChar();
      if (x != '\n' && !(x == 0 && P->EndOfStream())) P->MoveBack();
    }
  } else {
    DoDebugOut(this, wsWarn,
               "illegal end tag (\"" + UTF8String(n ? UTF8String(1, n) : UTF8String()) + "\") at line " +
                   Pos(P->GetLineNumber()) + " (streampos " + Pos(P->GetPosition()) + ")");
  }
  DoProgress(P->GetPosition());
  return this;
}

void TsdDeclaration::WriteStream(TStream* S) {
  Out(S, GetIndent());
  Out(S, "<?xml");
  WriteAttributeList(S, FDirectNodeCount);
  Out(S, "?>");
  Out(S, GetSeparator());
}

void TsdStyleSheet::WriteStream(TStream* S) {
  Out(S, GetIndent());
  Out(S, "<?xml-stylesheet");
  WriteAttributeList(S, FDirectNodeCount);
  Out(S, "?>");
  Out(S, GetEndOfLine());
}

// The document type is kept whole: its text up to the ">" that ends it
// (outside quotes and the internal subset) is one character-data child, so
// that it writes back as it was read.
TXmlNode* TsdDocType::ParseStream(TsdXmlParser* P) {
  UTF8String blanks;
  char c = P->NextCharSkipBlanks(blanks);
  if (c) P->MoveBack();
  SetName(sdTrim(P->ReadStringUntilBlankOrEndTag()));
  UTF8String body;
  char quote = 0;
  Integer depth = 0;
  for (;;) {
    char x = P->NextChar();
    if (x == 0 && P->EndOfStream()) {
      DoDebugOut(this, wsFail, "stream terminated prematurely at pos " + Pos(P->GetPosition()));
      break;
    }
    if (quote) {
      if (x == quote) quote = 0;
    } else if (x == '"' || x == '\'') {
      quote = x;
    } else if (x == '[') {
      ++depth;
    } else if (x == ']') {
      if (depth > 0) --depth;
    } else if (x == '>' && depth == 0) {
      break;
    }
    body += x;
  }
  if (!body.empty()) {
    auto* t = new TsdCharData(Document());
    t->SetCoreValue(body);
    NodeAdd(t);
  }
  DoProgress(P->GetPosition());
  return this;
}

void TsdDocType::WriteStream(TStream* S) {
  Out(S, GetIndent());
  Out(S, "<!DOCTYPE ");
  Out(S, GetName());
  for (Integer i = 0; i < FNodes.Count(); ++i)
    if (FNodes.GetItems(i)->Is<TsdCharData>()) Out(S, static_cast<TsdCharData*>(FNodes.GetItems(i))->GetPlatformValue());
  Out(S, ">");
  Out(S, GetEndOfLine());
}

}  // namespace qn
