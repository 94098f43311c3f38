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

[[gnu::noinline]] void ReportNonDefault(TXmlNode* n, TsdXmlParser* P) {
  n->DoDebugOut(n, wsHint,
                "non-default chardata at line " + Pos(P->GetLineNumber()) + " (pos " + Pos(P->GetPosition()) + ")");
}

[[gnu::noinline]] void ReportPremature(TXmlNode* n, TsdXmlParser* P) {
  P->FPrematureEnd = true;
  n->DoDebugOut(n, wsFail, "stream terminated prematurely at pos " + Pos(P->GetPosition()));
}

// An element whose list the end of the text ends, not its end tag: said
// once per text, by the innermost one that is left open.
[[gnu::noinline]] void ReportOpenAtEnd(TXmlNode* n, TsdXmlParser* P) {
  if (!P->FPrematureEnd) ReportPremature(n, P);
}

// Tag names are trimmed of XML's blanks only: a name that starts with
// another control byte must keep it, or "<\x01?x>" would write back as an
// instruction.
std::string_view TrimBlanks(std::string_view s) {
  auto blank = [](char c) { return c == 9 || c == 10 || c == 13 || c == 32; };
  size_t a = 0, b = s.size();
  while (a < b && blank(s[a])) ++a;
  while (b > a && blank(s[b - 1])) --b;
  return s.substr(a, b - a);
}

// True, with the end tag's name, when it does not close n (Plain: n is
// known to be a TsdElement).
bool ReadEndTag(TsdXmlParser* P, TXmlNode* n, UTF8String& endName, bool Plain) {
  std::string_view name = TrimBlanks(P->ReadViewUntilChar('>'));
  if (P->EndOfStream()) {
    // No '>': the text ends inside the end tag, and the element is open.
    ReportPremature(n, P);
    return false;
  }
  bool differs;
  if (Plain || (n->ElementType() == xeElement && n->Is<TsdElement>())) {
    TPlainXml* d = n->Document();
    differs = name != (d ? d->SymbolTable()->GetView(static_cast<TsdElement*>(n)->NameID()) : std::string_view());
  } else {
    differs = name != n->GetName();
  }
  if (differs) endName.assign(name.data(), name.size());
  return differs;
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
  std::string_view blanks;
  char c = P->SkipBlanks(blanks);
  if (c == '"' || c == '\'') {
    FQuoteStyle = c == '"' ? qsQuote : qsApos;
    FValueID = AddString(P->ReadViewUntilChar(c));
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
  FValueID = AddString(P->ReadViewUntil("-->"));
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
  FValueID = AddString(P->ReadViewUntil("]]>"));
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
  FValueID = AddString(P->ReadViewUntil("?>"));
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
  FNameID = AddString(sdTrimView(P->ReadViewUntilChar('=')));
  CoreValue()->ParseStream(P);
  return this;
}

[[gnu::always_inline]] inline void TsdAttribute::SetParsed(TsdSymbolTable* Table, std::string_view AName,
                                                           char Quote, std::string_view AValue) {
  FNameID = Table->AddPadded(AName);
  FParsedQuote = Quote == '"' ? qsQuote : qsApos;
  FParsedValueID = Table->AddPadded(AValue);
}

void TsdAttribute::WriteStream(TStream* S) {
  Out(S, GetName());
  Out(S, "=");
  if (FCoreValue) {
    FCoreValue->WriteStream(S);
    return;
  }
  const char* q = FParsedQuote == qsApos ? "'" : "\"";
  Out(S, q);
  Out(S, sdUnNormaliseEol(UTF8String(ValueView()), GetEolStyle()));
  Out(S, q);
}

// ---------------------------------------------------------------------------
// Containers

char TsdContainerNode::ParseAttributeList(TsdXmlParser* P) {
  for (;;) {
    std::string_view blanks;
    char c = P->SkipBlanks(blanks);
    if (c == 0 && P->EndOfStream()) return 0;
    if (!blanks.empty() && blanks != " ") {
      UTF8String kept(blanks);  // the report may read on
      ReportNonDefault(this, P);
      if (GetPreserveWhiteSpace()) {
        auto* w = TsdNodeArena::Make<TsdWhiteSpace>(Document()->NodeArena(), Document());
        w->SetCoreValue(kept);
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
    auto* a = TsdNodeArena::Make<TsdAttribute>(Document()->NodeArena(), Document());
    AddParsed(a, true);
    DoNodeNew(a);
    a->ParseStream(P);
    DoNodeLoaded(a);
  }
}

TXmlNode* TsdContainerNode::ParseElementList(TsdXmlParser* P, const TSet<TsdElementType>& Allowed) {
  // Plain elements read their content in TsdElement::ParseNested; this
  // serves the other containers.
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
      if (t == xeError && P->EndOfStream()) {
        ReportOpenAtEnd(this, P);
        return result;
      }
      if (!Allowed.Contains(t)) {
        ReportAt(this, wsWarn, "illegal tag (\"", qn::ElementTypeName(t), P, false);
        return result;
      }
      if (t == xeEndTag) {
        FNodeClosingStyle = ncFull;
        UTF8String endName;
        if (ReadEndTag(P, this, endName, false)) {
          ReportMismatch(this, endName, P);
          if (doc && doc->FixStructuralErrors() && Is<TsdElement>())
            result = static_cast<TsdElement*>(this)->ParseFixStructuralErrors(endName);
        }
        return result;
      }
      if (t != xeElement && !cNodeClass(t)) {
        ReportAt(this, wsFail, "unsupported tag (\"", qn::ElementTypeName(t), P, false);
        return result;
      }
      // Elements, most of what a document holds, without the kind switch.
      TXmlNode* n = t == xeElement ? TsdNodeArena::Make<TsdElement>(doc ? doc->NodeArena() : nullptr, doc)
                                   : NewParsedNode(t, doc);
      AddParsed(n, false);
      if (t != xeElement) DoNodeNew(n);
      TXmlNode* done = n->ParseStream(P);
      if (done != n) {
        ReportLevel(this, n, done, P);
        return done;
      }
      // Only xeCData makes a TsdCData.
      if (t == xeCData && FValueIndex < 0) FValueIndex = NodeIndexOf(n);
      DoNodeLoaded(n);
    } else if (c == ']' && ElementType() == xeDocType) {
      return result;
    }
    if (doc && doc->AbortParsing()) return result;
    if (P->EndOfStream()) {
      ReportOpenAtEnd(this, P);
      return result;
    }
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
void ReadElementName(TsdElement* n, TsdXmlParser* P) { n->SetNameView(TrimBlanks(P->ReadViewUntilBlankOrEndTag())); }
// What an element's content may hold.
constexpr TSet<TsdElementType> kElementContent{xeElement,     xeAttribute,  xeCharData,    xeComment, xeCData,
                                               xeInstruction, xeWhiteSpace, xeQuotedText, xeEndTag};
[[gnu::noinline]] TXmlNode* ParseChildren(TsdContainerNode* n, TsdXmlParser* P) {
  return n->ParseElementList(P, kElementContent);
}

}  // namespace

// The open elements of ParseNested: the first levels in place, so that a
// parse takes no heap block for them; deeper ones move to the heap.
class TsdOpenElements {
 public:
  TsdOpenElements() = default;
  TsdOpenElements(const TsdOpenElements&) = delete;
  TsdOpenElements& operator=(const TsdOpenElements&) = delete;
  void push_back(TsdElement* E) {
    if (FCount == FCapacity) Grow();
    FItems[FCount++] = E;
  }
  TsdElement* back() const { return FItems[FCount - 1]; }
  void pop_back() { --FCount; }
  bool empty() const { return FCount == 0; }

 private:
  [[gnu::noinline]] void Grow() {
    std::vector<TsdElement*> more(FItems, FItems + FCount);
    more.resize(FCapacity * 2);
    FHeap.swap(more);
    FItems = FHeap.data();
    FCapacity = FHeap.size();
  }
  static constexpr size_t kInline = 32;
  TsdElement* FInline[kInline];
  TsdElement** FItems = FInline;
  size_t FCount = 0;
  size_t FCapacity = kInline;
  std::vector<TsdElement*> FHeap;
};
bool TsdElement::ParseOpen(TsdXmlParser* P) {
  TPlainXml* doc = Document();
  // Nesting is bounded: hostile input may nest without end, and the
  // element and repair reports name every level.
  if (doc && doc->FNestingLevel >= doc->FMaxNestingDepth) {
    DoDebugOut(this, wsFail, "maximum nesting depth exceeded");
    doc->SetAbortParsing(true);
    return false;
  }
  if (doc) ++doc->FNestingLevel;
  P->Flush();
  FValueIndex = -1;
  char c;
  switch (ParseStartTag(P, c)) {
    case stNone:
      ReadElementName(this, P);
      DoNodeNew(this);
      c = ParseAttributeList(P);
      break;
    case stPartial:
      c = ParseAttributeList(P);
      break;
    case stWhole:
      break;
  }
  return CloseStartTag(P, c);
}

bool TsdElement::CloseStartTag(TsdXmlParser* P, char c) {
  TPlainXml* doc = Document();
  if (c == '>') return true;
  if (c == '/') {
    char n = P->NextChar();
    if (n == '>') {
      FNodeClosingStyle = ncClose;
      DoProgress(P->GetPosition());
    } else if (n == 0 && P->EndOfStream()) {
      ReportPremature(this, P);
    } else {
      ReportEndTag(this, n, P);
    }
  } else if (c == 0 && P->EndOfStream()) {
    ReportPremature(this, P);
  } else {
    ReportEndTag(this, c, P);
  }
  if (doc) --doc->FNestingLevel;
  return false;
}

TXmlNode* TsdElement::ParseStream(TsdXmlParser* P) {
  if (!ParseOpen(P)) return this;
  if (ClassType() == TsdElement::StaticClass()) return ParseNested(P);
  // A kind of element of its own reads its text its own way; its children
  // are plain elements again.
  TXmlNode* r = ParseChildren(this, P);
  DoProgress(P->GetPosition());
  if (TPlainXml* doc = Document()) --doc->FNestingLevel;
  return r;
}

TXmlNode* TsdElement::ParseNested(TsdXmlParser* P) {
  // The element list of each open element, as the containers read theirs,
  // with the levels on a stack of their own: a level costs a pointer, not
  // a recursion through the node classes. Every element made here is a
  // plain one, so the text step and the end tag need no virtual call.
  TPlainXml* doc = Document();
  // Elements made here come from the document's arena: when this one does
  // as well, every element on the stack is known to share the arena of its
  // children, and they join their lists without the check.
  TsdNodeArena* arena = doc ? doc->NodeArena() : nullptr;
  const bool oneArena = arena && InArena() && TsdNodeArena::Of(this) == arena;
  TsdOpenElements stack;
  stack.push_back(this);
  // A child element of the top level that has just been completed, with
  // what its parse returned (another node after a repair).
  TsdElement* child = nullptr;
  TXmlNode* childDone = nullptr;
  // Whether ParseRun may take the next steps.
  auto runnable = [&] { return oneArena && !doc->HasNodeHandlers() && !doc->AbortParsing() && !P->EndOfStream(); };
  for (;;) {
    TsdElement* e = stack.back();
    TXmlNode* result = nullptr;  // set when e's list ends
    if (child) {
      if (childDone != child) {
        ReportLevel(e, child, childDone, P);
        result = childDone;
      } else {
        e->DoNodeLoaded(child);
        if ((doc && doc->AbortParsing()) || P->EndOfStream()) result = e;
        if (P->EndOfStream()) ReportOpenAtEnd(e, P);
      }
      child = nullptr;
    }
    if (!result && runnable()) {
      bool completed;
      e = ParseRun(P, stack, doc, arena, completed);
      if (!e) return this;
      if (completed && (doc->AbortParsing() || P->EndOfStream())) result = e;
      if (completed && P->EndOfStream()) ReportOpenAtEnd(e, P);
    }
    // One step of the loop at a time, where ParseRun stopped.
    bool opened = false, again = false;
    while (!result) {
      // Mostly the next tag follows at once.
      bool tag = P->SkipChar('<');
      // The text before a tag at hand ends with its '<' consumed.
      bool known = tag || e->ReadText(P);
      tag = known;
      if (P->EndOfStream()) {
        ReportPremature(e, P);
        result = e;
        break;
      }
      if (!known) {
        P->MoveBack();
        tag = P->NextChar() == '<';
      }
      if (tag) {
        TsdElementType t = P->ReadOpenTag();
        if (t == xeError && P->EndOfStream()) {
          // A '<' and nothing behind it.
          ReportOpenAtEnd(e, P);
          result = e;
          break;
        }
        if (!kElementContent.Contains(t)) {
          ReportAt(e, wsWarn, "illegal tag (\"", qn::ElementTypeName(t), P, false);
          result = e;
          break;
        }
        if (t == xeEndTag) {
          e->FNodeClosingStyle = ncFull;
          result = e;
          // The end tag mostly repeats the name: compared in place.
          const TsdSymbol* name = doc ? doc->SymbolTable()->Symbol(e->FNameID) : nullptr;
          if (name && P->SkipEndTagOfSymbol(name->View())) break;
          UTF8String endName;
          if (ReadEndTag(P, e, endName, true)) {
            ReportMismatch(e, endName, P);
            if (doc && doc->FixStructuralErrors()) result = e->ParseFixStructuralErrors(endName);
          }
          break;
        }
        if (t == xeElement) {
          auto* n = TsdNodeArena::Make<TsdElement>(arena, doc);
          if (oneArena) e->AddArenaChild(n);
          else e->AddParsedChild(n);
          if (n->ParseOpen(P)) {
            if (!n->ReadLeaf(P, doc)) {
              stack.push_back(n);
              opened = true;
              break;
            }
            // The rest of the leaf's own parse, as when its list ends, and
            // its report as loaded.
            if (doc->HasNodeHandlers()) n->DoProgress(P->GetPosition());
            --doc->FNestingLevel;
            if (doc->HasNodeHandlers()) e->DoNodeLoaded(n);
          } else {
            e->DoNodeLoaded(n);
          }
        } else {
          // Null exactly for a kind without a node class.
          TXmlNode* n = NewParsedNode(t, doc);
          if (!n) {
            ReportAt(e, wsFail, "unsupported tag (\"", qn::ElementTypeName(t), P, false);
            result = e;
            break;
          }
          e->AddParsed(n, false);
          e->DoNodeNew(n);
          TXmlNode* done = n->ParseStream(P);
          if (done != n) {
            ReportLevel(e, n, done, P);
            result = done;
            break;
          }
          // Only xeCData makes a TsdCData.
          if (t == xeCData && e->FValueIndex < 0) e->FValueIndex = e->NodeIndexOf(n);
          e->DoNodeLoaded(n);
        }
      }
      if ((doc && doc->AbortParsing()) || P->EndOfStream()) result = e;
      if (P->EndOfStream()) ReportOpenAtEnd(e, P);
      if (!result && runnable()) {
        again = true;
        break;
      }
    }
    if (opened || again) continue;
    // The rest of e's own parse, once its list has ended.
    e->DoProgress(P->GetPosition());
    if (doc) --doc->FNestingLevel;
    stack.pop_back();
    if (stack.empty()) return result;
    child = e;
    childDone = result;
  }
}

namespace {
// Blanks, '/', '>' and '[': where a tag name ends.
struct TElementNameStops {
  bool Stop[256] = {};
  constexpr TElementNameStops() {
    for (unsigned char c : {9, 10, 13, 32, 47, 62, 91}) Stop[c] = true;
  }
};
constexpr TElementNameStops kElementNameStops;
bool IsBlankChar(char c) { return c == 9 || c == 10 || c == 13 || c == 32; }

// The first byte in [p, end) that ends a tag name, or end. Bytes up to 32,
// '/', '>' and '[' are candidates, found 16 at a time; a candidate that is
// a control byte other than a blank belongs to the name.
[[gnu::always_inline]] inline const char* FindNameStop(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i k32 = _mm_set1_epi8(32), kSlash = _mm_set1_epi8('/'), kGt = _mm_set1_epi8('>'),
                kBracket = _mm_set1_epi8('[');
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    __m128i c = _mm_or_si128(_mm_or_si128(_mm_cmpeq_epi8(_mm_min_epu8(v, k32), v), _mm_cmpeq_epi8(v, kSlash)),
                             _mm_or_si128(_mm_cmpeq_epi8(v, kGt), _mm_cmpeq_epi8(v, kBracket)));
    for (unsigned m = static_cast<unsigned>(_mm_movemask_epi8(c)); m; m &= m - 1) {
      const char* h = p + __builtin_ctz(m);
      if (kElementNameStops.Stop[static_cast<unsigned char>(*h)]) return h;
    }
    p += 16;
  }
#endif
  while (p < end && !kElementNameStops.Stop[static_cast<unsigned char>(*p)]) ++p;
  return p;
}

// The first byte above 32 in [p, end), or end: the end of the blanks and
// control bytes that text is trimmed of. Byte by byte, for the blanks in
// front of a tag: mostly a line break and an indentation that repeats,
// which a loop whose branches are foreseen passes while the work on the
// tag goes on, where a vector search would hold the read position back
// until its load and compare are done.
[[gnu::always_inline]] inline const char* SkipControlBytesScalar(const char* p, const char* end) {
  while (p < end && static_cast<unsigned char>(*p) <= 32) ++p;
  return p;
}
// The same 16 bytes at a time, for runs of any length.
[[gnu::always_inline]] inline const char* SkipControlBytes(const char* p, const char* end) {
#if defined(__SSE2__)
  const __m128i k32 = _mm_set1_epi8(32);
  while (end - p >= 16) {
    __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(_mm_min_epu8(v, k32), v))) ^ 0xFFFFu;
    if (m) return p + __builtin_ctz(m);
    p += 16;
  }
#endif
  while (p < end && static_cast<unsigned char>(*p) <= 32) ++p;
  return p;
}
}  // namespace

bool TsdContainerNode::ScanAttributes(TsdXmlParser* P, const char* q, char& Stop) {
  P->SetCurrent(ScanAttributesAt<false>(P, q, P->TextEnd(), Stop));
  return Stop != 0;
}

template <bool Known>
const char* TsdContainerNode::ScanAttributesAt(TsdXmlParser* P, const char* q, const char* end, char& Stop) {
  TPlainXml* doc = Document();
  for (;;) {
    // q < end: behind the name or an attribute's closing quote.
    const char* at = q;
    // One space or none before each attribute and the end of the tag.
    if (*q == ' ') ++q;
    if (q < end && !IsBlankChar(*q)) {
      char c = *q++;
      if (c == '>' || c == '/') {
        Stop = c;
        return q;
      }
      if (c != '!' && c != '?' && c != '"' && c != '\'') {
        const char* from = q - 1;
        // Byte by byte, as SkipControlBytesScalar: names are short.
        const char* eq = from;
        while (eq < end && *eq != '=') ++eq;
        const char* v = eq < end ? eq + 1 : end;
        while (v < end && IsBlankChar(*v)) ++v;
        const char* close = v < end && (*v == '"' || *v == '\'') ? sdFindByte(v + 1, end, *v) : end;
        if (close + 1 < end) {
          const char* n0 = from;
          const char* n1 = eq;
          while (n0 < n1 && static_cast<unsigned char>(*n0) <= 32) ++n0;
          while (n1 > n0 && static_cast<unsigned char>(n1[-1]) <= 32) --n1;
          auto* a = TsdNodeArena::Make<TsdAttribute>(doc->NodeArena(), doc);
          if (Known) AddArenaAttribute(a);
          else AddParsedAttribute(a);
          if (!Known && doc->HasNodeHandlers()) DoNodeNew(a);
          a->SetParsed(doc->SymbolTable(), std::string_view(n0, static_cast<size_t>(n1 - n0)), *v,
                       std::string_view(v + 1, static_cast<size_t>(close - v - 1)));
          q = close + 1;
          if (!Known && doc->HasNodeHandlers()) {
            DoProgress(P->PositionAt(q));
            DoNodeLoaded(a);
          }
          continue;
        }
      }
    }
    Stop = 0;
    return at;
  }
}

TsdElement::TStartTagRead TsdElement::ParseStartTag(TsdXmlParser* P, char& Stop) {
  // Out of ParseOpen, so that its room on the stack is given back before
  // the children are read. The same steps as the element's name,
  // ParseAttributeList, the attribute and its quoted text, over the decoded
  // text at hand, making the nodes and events in the same order; where one
  // of those reads would report or read on, the scan stops at the last
  // attribute it completed and leaves the rest to them.
  const char* p = P->Current();
  const char* end = P->TextEnd();
  const char* q = FindNameStop(p, end);
  if (q >= end) return stNone;
  // A document always has its table.
  TPlainXml* doc = Document();
  FNameID = doc ? doc->SymbolTable()->AddPadded(std::string_view(p, static_cast<size_t>(q - p))) : 0;
  if (doc && doc->HasNodeHandlers()) DoNodeNew(this);
  return ScanAttributes(P, q, Stop) ? stWhole : stPartial;
}

void TsdElement::ParseIntermediateData(TsdXmlParser* P) { ReadText(P); }

bool TsdElement::ReadText(TsdXmlParser* P) {
  // Blanks up to the next tag, the usual text between tags, in the text at
  // hand: one white-space node at most, without a search and a trim.
  const char* from = P->Current();
  const char* end = P->TextEnd();
  const char* q = SkipControlBytes(from, end);
  if (q < end && *q == '<') {
    AddTextAtHand(P, from, q, q);
    return true;
  }
  // Text up to a '<' at hand: it starts at q, and only its end is trimmed.
  const char* lt = q < end ? sdFindByte(q, end, '<') : end;
  if (lt < end) {
    AddTextAtHand(P, from, q, lt);
    return true;
  }
  std::string_view text = P->ReadViewUntilChar('<');
  if (text.empty()) return false;
  std::string_view core = sdTrimView(text);
  size_t a = core.empty() ? text.size() : static_cast<size_t>(core.data() - text.data());
  std::string_view pre = text.substr(0, a), post = text.substr(a + core.size());
  bool keep = GetPreserveWhiteSpace();
  TPlainXml* doc = Document();
  if (keep && !pre.empty()) {
    auto* w = TsdNodeArena::Make<TsdWhiteSpace>(doc->NodeArena(), doc);
    w->SetCoreView(pre);
    AddParsed(w, false);
  }
  if (!core.empty()) {
    auto* c = TsdNodeArena::Make<TsdCharData>(doc->NodeArena(), doc);
    c->SetCoreView(core);
    Integer at = AddParsed(c, false);
    if (FValueIndex < 0) FValueIndex = at;
    DoNodeNew(c);
    DoNodeLoaded(c);
  }
  if (keep && !post.empty()) {
    auto* w = TsdNodeArena::Make<TsdWhiteSpace>(doc->NodeArena(), doc);
    w->SetCoreView(post);
    AddParsed(w, false);
  }
  return false;
}

[[gnu::always_inline]] inline void TsdElement::AddTextAtHand(TsdXmlParser* P, const char* From, const char* Q,
                                                             const char* Lt) {
  P->SetCurrent(Lt + 1);
  AddTextNodes<false>(Document(), GetPreserveWhiteSpace(), From, Q, Lt);
}

template <bool Known>
[[gnu::always_inline]] inline void TsdElement::AddTextNodes(TPlainXml* doc, bool keep, const char* From,
                                                            const char* Q, const char* Lt) {
  if (Q == Lt) {
    // Blanks only: one white-space node at most.
    if (Lt > From && keep) {
      auto* w = TsdNodeArena::Make<TsdWhiteSpace>(doc->NodeArena(), doc);
      w->SetCoreView(doc->SymbolTable(), std::string_view(From, static_cast<size_t>(Lt - From)));
      AddTextChild<Known>(w);
    }
    return;
  }
  const char* e = Lt;
  while (static_cast<unsigned char>(e[-1]) <= 32) --e;
  if (keep && Q > From) {
    auto* w = TsdNodeArena::Make<TsdWhiteSpace>(doc->NodeArena(), doc);
    w->SetCoreView(doc->SymbolTable(), std::string_view(From, static_cast<size_t>(Q - From)));
    AddTextChild<Known>(w);
  }
  auto* c = TsdNodeArena::Make<TsdCharData>(doc->NodeArena(), doc);
  c->SetCoreView(doc->SymbolTable(), std::string_view(Q, static_cast<size_t>(e - Q)));
  Integer at = AddTextChild<Known>(c);
  if (FValueIndex < 0) FValueIndex = at;
  if (!Known && doc->HasNodeHandlers()) {
    DoNodeNew(c);
    DoNodeLoaded(c);
  }
  if (keep && Lt > e) {
    auto* w = TsdNodeArena::Make<TsdWhiteSpace>(doc->NodeArena(), doc);
    w->SetCoreView(doc->SymbolTable(), std::string_view(e, static_cast<size_t>(Lt - e)));
    AddTextChild<Known>(w);
  }
}

inline bool TsdElement::ReadLeaf(TsdXmlParser* P, TPlainXml* Doc) {
  // What the element loop would do for the element's text and its end tag,
  // in the same order, when both stand in the text at hand.
  if (!Doc || P->EndOfStream()) return false;
  const char* from = P->Current();
  const char* end = P->TextEnd();
  const char* q = SkipControlBytes(from, end);
  const char* lt = q < end && *q != '<' ? sdFindByte(q, end, '<') : q;
  if (end - lt < 2 || lt[1] != '/') return false;
  return ReadLeafEnd(P, Doc, from, q, lt);
}

bool TsdElement::ReadLeafEnd(TsdXmlParser* P, TPlainXml* Doc, const char* from, const char* q, const char* lt) {
  const char* end = P->TextEnd();
  const TsdSymbol* name = Doc->SymbolTable()->Symbol(FNameID);
  if (!name || !TsdXmlParser::EndTagOfSymbolAt(lt + 2, end, name->View())) return false;
  AddTextAtHand(P, from, q, lt);
  P->SetCurrent(lt + 3 + name->View().size());
  FNodeClosingStyle = ncFull;
  return true;
}

const char* TsdElement::ReadMarkAtHand(TPlainXml* doc, TsdNodeArena* arena, bool keep, const char* from,
                                       const char* q, const char* lt, const char* end) {
  // As ReadOpenTag tells them (seven bytes at hand behind the '!') and
  // their ParseStream reads them.
  if (end - lt < 9) return nullptr;
  const bool comment = lt[2] == '-' && lt[3] == '-';
  if (!comment && std::memcmp(lt + 2, "[CDATA[", 7) != 0) return nullptr;
  const char* body = lt + (comment ? 4 : 9);
  const char* scan = body;
  const char* close = TsdXmlParser::FindAtHand(scan, end, comment ? "-->" : "]]>");
  if (!close) return nullptr;
  AddTextNodes<true>(doc, keep, from, q, lt);
  TsdComment* n = comment ? TsdNodeArena::Make<TsdComment>(arena, doc) : TsdNodeArena::Make<TsdCData>(arena, doc);
  Integer at = AddArenaChild(n);
  n->SetCoreView(doc->SymbolTable(), std::string_view(body, static_cast<size_t>(close - body)));
  if (!comment && FValueIndex < 0) FValueIndex = at;
  return close + 3;
}

TsdElement* TsdElement::ParseRun(TsdXmlParser* P, TsdOpenElements& Stack, TPlainXml* doc, TsdNodeArena* arena,
                                 bool& Completed) {
  // The steps of the element loop, ParseOpen and ReadLeaf for the usual
  // markup, in their order, with what they would only find false (node
  // handlers, an aborted parse, the end of the stream) left out: the loop
  // calls this only while they are.
  TsdElement* e = Stack.back();
  const char* p = P->Current();
  const char* const end = P->TextEnd();
  TsdSymbolTable* const table = doc->SymbolTable();
  const bool keep = doc->XmlFormat() == xfPreserve;
  // The nesting count in a register, the document's kept up to date where
  // anything else may read it.
  Integer level = doc->FNestingLevel;
  const Integer deepest = doc->FMaxNestingDepth;
  Completed = false;
  for (;;) {
    const char* from = p;
    const char* q = SkipControlBytesScalar(p, end);
    if (q >= end) break;
    const char* lt = *q == '<' ? q : sdFindByte(q, end, '<');
    if (end - lt < 2) break;
    const char c = lt[1];
    if (c == '/') {
      const TsdSymbol* name = table->Symbol(e->FNameID);
      if (!name || !TsdXmlParser::EndTagOfSymbolAt(lt + 2, end, name->View())) break;
      e->AddTextNodes<true>(doc, keep, from, q, lt);
      e->FNodeClosingStyle = ncFull;
      p = lt + 3 + name->View().size();
      --level;
      Stack.pop_back();
      if (Stack.empty()) {
        doc->FNestingLevel = level;
        P->SetCurrent(p);
        return nullptr;
      }
      e = Stack.back();
      continue;
    }
    if (c == '!') {
      const char* past = e->ReadMarkAtHand(doc, arena, keep, from, q, lt, end);
      if (!past) break;
      p = past;
      continue;
    }
    if (c == '?' || c == 0 || level >= deepest) break;
    const char* nameEnd = FindNameStop(lt + 1, end);
    if (nameEnd >= end) break;
    e->AddTextNodes<true>(doc, keep, from, q, lt);
    auto* n = TsdNodeArena::Make<TsdElement>(arena, doc);
    e->AddArenaChild(n);
    const std::string_view name(lt + 1, static_cast<size_t>(nameEnd - lt - 1));
    n->FNameID = table->AddPadded(name);
    char stop;
    p = n->ScanAttributesAt<true>(P, nameEnd, end, stop);
    if (stop == '>') {
      // A leaf: its text and its end tag at hand. The name is compared as
      // it stands in the text (with room behind it as a symbol's has),
      // which is the symbol's.
      const char* tf = p;
      const char* tq = SkipControlBytesScalar(p, end);
      const char* tl = tq < end && *tq != '<' ? sdFindByte(tq, end, '<') : tq;
      if (end - tl >= 2 && tl[1] == '/' && !name.empty() && TsdXmlParser::EndTagOfSymbolAt(tl + 2, end, name)) {
        n->AddTextNodes<true>(doc, keep, tf, tq, tl);
        n->FNodeClosingStyle = ncFull;
        p = tl + 3 + name.size();
        continue;
      }
      ++level;
      Stack.push_back(n);
      e = n;
      continue;
    }
    if (stop == '/' && p < end && *p == '>') {
      n->FNodeClosingStyle = ncClose;
      ++p;
      continue;
    }
    // The rest of the start tag read piece by piece, and the element ended
    // as the element loop ends it.
    doc->FNestingLevel = level + 1;
    P->SetCurrent(p);
    if (n->CloseStartTag(P, stop ? stop : n->ParseAttributeList(P))) {
      if (!n->ReadLeaf(P, doc)) {
        Stack.push_back(n);
        return n;
      }
      if (doc->HasNodeHandlers()) n->DoProgress(P->GetPosition());
      --doc->FNestingLevel;
      if (doc->HasNodeHandlers()) e->DoNodeLoaded(n);
    } else {
      e->DoNodeLoaded(n);
    }
    Completed = true;
    return e;
  }
  doc->FNestingLevel = level;
  P->SetCurrent(p);
  P->Flush();
  return e;
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

namespace {

// Pieces of output gathered into one block before they go to the stream:
// one stream write per block instead of one per name, quote and bracket.
class TXmlOut {
 public:
  explicit TXmlOut(TStream* S) : FStream(S) { FBuf.reserve(kBlock); }
  ~TXmlOut() {
    try {
      Flush();
    } catch (...) {
      // Only reached when the write already failed; WriteStream's callers
      // see that failure from the explicit Flush.
    }
  }
  void Put(std::string_view v) {
    if (FBuf.size() + v.size() > kBlock) {
      Flush();
      if (v.size() > kBlock) {
        FStream->WriteBuffer(v.data(), static_cast<Integer>(v.size()));
        return;
      }
    }
    FBuf.append(v.data(), v.size());
  }
  void Put(char c) {
    if (FBuf.size() >= kBlock) Flush();
    FBuf.push_back(c);
  }
  // Stored text with its LF breaks written in the document's style.
  void PutText(std::string_view v, TsdEolStyle Eol) {
    if (Eol == esLF) {
      Put(v);
      return;
    }
    for (;;) {
      size_t lf = v.find('\n');
      Put(v.substr(0, lf));
      if (lf == std::string_view::npos) return;
      Put(Eol == esCRLF ? std::string_view("\r\n") : std::string_view("\r"));
      v.remove_prefix(lf + 1);
    }
  }
  void Flush() {
    if (FBuf.empty()) return;
    FStream->WriteBuffer(FBuf.data(), static_cast<Integer>(FBuf.size()));
    FBuf.clear();
  }
  // For a node that writes itself: everything gathered goes first.
  TStream* Direct() {
    Flush();
    return FStream;
  }

 private:
  static constexpr size_t kBlock = 32 * 1024;
  TStream* FStream;
  std::string FBuf;
};

bool IsPlainText(TXmlNode* n) {
  TClass c = n->ClassType();
  return c == TsdCharData::StaticClass() || c == TsdWhiteSpace::StaticClass();
}

// The start tag's part: attributes as ` name="value"` with their stored
// quote (no blank after preserved white space), and that white space.
void PutAttributes(TXmlOut& o, TsdContainerNode* e, Integer Count, TsdSymbolTable* symbols, TsdEolStyle eol) {
  TsdNodeList& nodes = e->Nodes();
  if (Count > nodes.Count()) Count = nodes.Count();
  for (Integer i = 0; i < Count; ++i) {
    TXmlNode* n = nodes.GetItems(i);
    if (n->Is<TsdAttribute>()) {
      auto* a = static_cast<TsdAttribute*>(n);
      if (i == 0 || !nodes.GetItems(i - 1)->Is<TsdCharData>()) o.Put(' ');
      o.Put(symbols ? symbols->GetView(a->NameID()) : std::string_view());
      o.Put('=');
      char quote = a->ValueQuote() == qsApos ? '\'' : '"';
      o.Put(quote);
      o.PutText(a->ValueView(), eol);
      o.Put(quote);
    } else if (n->Is<TsdCharData>()) {
      o.PutText(static_cast<TsdCharData*>(n)->GetCoreView(), eol);
    }
  }
}

}  // namespace

void TsdElement::WriteStream(TStream* S) {
  // An explicit stack: trees built through the API may be deeper than any
  // parse would allow.
  struct Frame {
    TsdElement* E;
    Integer Next;
    bool Sub;
  };
  TPlainXml* doc = Document();
  TsdSymbolTable* symbols = doc ? doc->SymbolTable() : nullptr;
  TsdEolStyle eolStyle = GetEolStyle();
  bool readable = GetXmlFormat() == xfReadable;
  bool progress = doc && Assigned(doc->OnProgress());
  UTF8String eol = GetEndOfLine();
  std::string_view directClose = doc ? std::string_view(doc->DirectCloseTag()) : std::string_view("/>");
  auto nameOf = [&](TsdElement* e) {
    return symbols ? symbols->GetView(e->FNameID) : std::string_view();
  };
  TXmlOut o(S);
  std::vector<Frame> stack;
  auto open = [&](TsdElement* e) -> bool {
    bool sub = e->HasSubContainers();
    if (readable) o.Put(e->GetIndent());
    o.Put('<');
    o.Put(nameOf(e));
    PutAttributes(o, e, e->FDirectNodeCount, symbols, eolStyle);
    // A nameless element's short form "</>" would read back as an end tag.
    if (e->FNodes.Count() <= e->FDirectNodeCount && e->GetNodeClosingStyle() == ncClose && e->FNameID != 0) {
      o.Put(directClose);
      o.Put(eol);
      return false;
    }
    o.Put('>');
    stack.push_back({e, e->FDirectNodeCount, sub});
    return true;
  };
  open(this);
  while (!stack.empty()) {
    Frame& f = stack.back();
    TsdElement* e = f.E;
    if (f.Next >= e->FNodes.Count()) {
      if (f.Sub && readable) o.Put(e->GetIndent());
      o.Put("</");
      o.Put(nameOf(e));
      o.Put('>');
      o.Put(eol);
      if (progress) {
        TStream* d = o.Direct();
        e->DoProgress(d->Position());
      }
      stack.pop_back();
      continue;
    }
    Integer i = f.Next++;
    bool sub = f.Sub;
    TXmlNode* n = static_cast<TXmlNode*>(e->FNodes.List()[i]);
    TsdElementType t = n->ElementType();
    // Text and white space, not comments, sections or instructions.
    bool isChar = t == xeCharData || t == xeWhiteSpace || t == xeQuotedText;
    if (i == e->FDirectNodeCount && !isChar) o.Put(eol);
    if (isChar && i > e->FDirectNodeCount && sub && readable) o.Put(e->GetIndent());
    if (t == xeElement && n->Is<TsdElement>()) {
      open(static_cast<TsdElement*>(n));
    } else if (IsPlainText(n)) {
      o.PutText(static_cast<TsdCharData*>(n)->GetCoreView(), eolStyle);
    } else {
      n->WriteStream(o.Direct());
    }
    if (isChar && sub) o.Put(eol);
  }
  o.Flush();
}

// ---------------------------------------------------------------------------
// Declarations and the document type

void TsdDeclaration::SetPseudoAttribute(const UTF8String& AName, const UTF8String& AValue) {
  if (TsdAttribute* a = GetAttributeByName(AName)) {
    a->SetValue(AValue);
    return;
  }
  TsdAttribute* a = AttributeAdd(AName, AValue);
  if (!a) return;
  auto rank = [](const UTF8String& n) { return n == "version" ? 0 : n == "encoding" ? 1 : n == "standalone" ? 2 : 3; };
  const int mine = rank(AName);
  const Integer at = NodeIndexOf(a);
  Integer target = at;
  for (Integer i = 0; i < at && target == at; ++i) {
    TXmlNode* n = FNodes.GetItems(i);
    if (n->ElementType() == xeAttribute && rank(n->GetName()) > mine) target = i;
  }
  for (Integer i = at; i > target; --i) NodeExchange(i, i - 1);
}

TXmlNode* TsdDeclaration::ParseStream(TsdXmlParser* P) {
  // The attributes at hand in one go, as an element's (the rest, from the
  // first that would report or read on, piece by piece).
  char c;
  if (!(Document() && P->Current() < P->TextEnd() && ScanAttributes(P, P->Current(), c))) c = ParseAttributeList(P);
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

}  // namespace qn
