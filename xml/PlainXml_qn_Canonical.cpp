// The canonicalizer: the declaration goes, entity references are expanded
// into the nodes their replacement text holds.
#include <algorithm>
#include <cstring>
#include <map>
#include <set>
#if defined(__SSE2__)
#include <immintrin.h>
#endif

#include "xml/PlainXml_qn.h"

namespace qn {

namespace {

bool IsStandardEntity(std::string_view n) {
  return n == "lt" || n == "gt" || n == "amp" || n == "apos" || n == "quot" || (!n.empty() && n[0] == '#');
}

// The end of the section, comment or instruction that starts at the '<' at
// I of replacement text T (its whole rest when it is not closed), or npos
// when none starts there: what stands inside them is text, not references.
size_t LiteralMarkupEnd(std::string_view t, size_t i) {
  std::string_view close;
  size_t open = 0;
  if (t.compare(i, 9, "<![CDATA[") == 0) close = "]]>", open = 9;
  else if (t.compare(i, 4, "<!--") == 0) close = "-->", open = 4;
  else if (t.compare(i, 2, "<?") == 0) close = "?>", open = 2;
  else return std::string_view::npos;
  size_t e = t.find(close, i + open);
  return e == std::string_view::npos ? t.size() : e + close.size();
}

// Calls Text with the pieces of T outside such sections and Literal with
// the sections themselves, in order.
template <class FText, class FLiteral>
bool SplitAtLiteralMarkup(std::string_view t, FText text, FLiteral literal) {
  size_t from = 0;
  for (size_t lt = t.find('<'); lt != std::string_view::npos; lt = t.find('<', lt + 1)) {
    size_t end = LiteralMarkupEnd(t, lt);
    if (end == std::string_view::npos) continue;
    if (!text(t.substr(from, lt - from)) || !literal(t.substr(lt, end - lt))) return false;
    from = end;
    lt = end - 1;
  }
  return text(t.substr(from));
}

// Expands the references to declared general entities in stored text; the
// standard and numeric references stay escaped, so "&lt;" never becomes
// markup. Entities met while expanding themselves stay as references.
class TExpander {
 public:
  TExpander(const TsdEntityMap& Entities, Int64 Limit) : FEntities(Entities), FLimit(Limit) {}
  bool Expand(std::string_view text, UTF8String& out) { return Run(text, out, 0); }
  bool Exceeded() const { return FExceeded; }

 private:
  bool Run(std::string_view text, UTF8String& out, int depth) {
    // Stored text holds no markup; replacement text may, and its sections
    // are copied as they are.
    if (text.find('<') == std::string_view::npos) return RunText(text, out, depth);
    return SplitAtLiteralMarkup(
        text, [&](std::string_view t) { return RunText(t, out, depth); },
        [&](std::string_view m) { return Put(out, m); });
  }
  bool RunText(std::string_view text, UTF8String& out, int depth) {
    size_t i = 0;
    while (i < text.size()) {
      size_t amp = text.find('&', i);
      size_t semi = amp == std::string_view::npos ? amp : text.find(';', amp + 1);
      if (semi == std::string_view::npos) {
        if (!Put(out, text.substr(i))) return false;
        return true;
      }
      if (!Put(out, text.substr(i, amp - i))) return false;
      std::string_view name = text.substr(amp + 1, semi - amp - 1);
      auto it = IsStandardEntity(name) ? FEntities.end() : FEntities.find(UTF8String(name));
      if (it == FEntities.end() || FActive.count(it->first) || depth > 64) {
        if (!Put(out, text.substr(amp, semi - amp + 1))) return false;
      } else {
        FActive.insert(it->first);
        bool ok = Run(it->second, out, depth + 1);
        FActive.erase(it->first);
        if (!ok) return false;
      }
      i = semi + 1;
    }
    return true;
  }
  bool Put(UTF8String& out, std::string_view s) {
    FTotal += static_cast<Int64>(s.size());
    if (FTotal > FLimit) {
      FExceeded = true;
      return false;
    }
    out.append(s.data(), s.size());
    return true;
  }

  const TsdEntityMap& FEntities;
  Int64 FLimit;
  Int64 FTotal = 0;
  bool FExceeded = false;
  std::set<UTF8String> FActive;
};

// Whether the '&' at K of T starts "&amp;", "&lt;" or "&gt;".
bool UsualReferenceAt(std::string_view t, size_t k) {
  const char* p = t.data();
  const size_t n = t.size();
  if (n - k >= 4 && p[k + 2] == 't' && p[k + 3] == ';' && (p[k + 1] == 'l' || p[k + 1] == 'g')) return true;
  return n - k >= 5 && std::memcmp(p + k + 1, "amp;", 4) == 0;
}

#if defined(__SSE2__)
// The '&' among the 16 bytes at P that do not start "&amp;", "&lt;" or
// "&gt;", as bits; reads 20 bytes. The three are told apart in the vector
// registers, from loads one to four bytes further on: text that mixes them
// would mispredict a branch per '&'.
inline unsigned OtherAmps(const char* p) {
  __m128i a = _mm_cmpeq_epi8(_mm_loadu_si128(reinterpret_cast<const __m128i*>(p)), _mm_set1_epi8('&'));
  __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 1));
  __m128i v2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 2));
  __m128i v3 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 3));
  __m128i v4 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + 4));
  __m128i semi3 = _mm_cmpeq_epi8(v3, _mm_set1_epi8(';'));
  __m128i ltgt =
      _mm_and_si128(_mm_or_si128(_mm_cmpeq_epi8(v1, _mm_set1_epi8('l')), _mm_cmpeq_epi8(v1, _mm_set1_epi8('g'))),
                    _mm_and_si128(_mm_cmpeq_epi8(v2, _mm_set1_epi8('t')), semi3));
  __m128i ampRef = _mm_and_si128(
      _mm_and_si128(_mm_cmpeq_epi8(v1, _mm_set1_epi8('a')), _mm_cmpeq_epi8(v2, _mm_set1_epi8('m'))),
      _mm_and_si128(_mm_cmpeq_epi8(v3, _mm_set1_epi8('p')), _mm_cmpeq_epi8(v4, _mm_set1_epi8(';'))));
  return static_cast<unsigned>(_mm_movemask_epi8(_mm_andnot_si128(_mm_or_si128(ltgt, ampRef), a)));
}

// Whether any of the first N bytes at P is an '&' that OtherAmps would
// give, 32 bytes at a time; reads up to 35 bytes past P + N.
__attribute__((target("avx2"))) bool AnyOtherAmpWide(const char* p, size_t n) {
  const __m256i amp = _mm256_set1_epi8('&'), l = _mm256_set1_epi8('l'), g = _mm256_set1_epi8('g'),
                t = _mm256_set1_epi8('t'), semi = _mm256_set1_epi8(';'), a = _mm256_set1_epi8('a'),
                m = _mm256_set1_epi8('m'), pp = _mm256_set1_epi8('p');
  for (size_t i = 0; i < n; i += 32) {
    const char* q = p + i;
    __m256i v0 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q));
    __m256i v1 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 1));
    __m256i v2 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 2));
    __m256i v3 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 3));
    __m256i v4 = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(q + 4));
    __m256i ltgt = _mm256_and_si256(_mm256_or_si256(_mm256_cmpeq_epi8(v1, l), _mm256_cmpeq_epi8(v1, g)),
                                    _mm256_and_si256(_mm256_cmpeq_epi8(v2, t), _mm256_cmpeq_epi8(v3, semi)));
    __m256i ampRef = _mm256_and_si256(_mm256_and_si256(_mm256_cmpeq_epi8(v1, a), _mm256_cmpeq_epi8(v2, m)),
                                      _mm256_and_si256(_mm256_cmpeq_epi8(v3, pp), _mm256_cmpeq_epi8(v4, semi)));
    unsigned bits = static_cast<unsigned>(
        _mm256_movemask_epi8(_mm256_andnot_si256(_mm256_or_si256(ltgt, ampRef), _mm256_cmpeq_epi8(v0, amp))));
    if (n - i < 32) bits &= (1u << (n - i)) - 1;
    if (bits) return true;
  }
  return false;
}
#endif

// The first '&' at or after From that does not start "&amp;", "&lt;" or
// "&gt;", nearly every reference of most texts, or npos. Texts hold many of
// those: the '&' are found 32 bytes at a time and the three looked at in
// place, without a search for their ';'.
size_t FindOtherReference(std::string_view t, size_t From) {
  const char* p = t.data();
  const size_t n = t.size();
  size_t i = From;
#if defined(__SSE2__)
  const __m128i amp = _mm_set1_epi8('&');
  while (i + 36 <= n) {
    unsigned m = OtherAmps(p + i) | OtherAmps(p + i + 16) << 16;
    if (m) return i + static_cast<size_t>(__builtin_ctz(m));
    i += 32;
  }
  while (i + 32 <= n) {
    __m128i v0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
    __m128i v1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
    unsigned m = static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v0, amp))) |
                 static_cast<unsigned>(_mm_movemask_epi8(_mm_cmpeq_epi8(v1, amp))) << 16;
    for (; m; m &= m - 1) {
      size_t k = i + static_cast<size_t>(__builtin_ctz(m));
      if (!UsualReferenceAt(t, k)) return k;
    }
    i += 32;
  }
#endif
  for (; i < n; ++i)
    if (p[i] == '&' && !UsualReferenceAt(t, i)) return i;
  return std::string_view::npos;
}

// Calls F with each reference to a non-standard entity in stored text.
template <class F>
void ForEachReference(std::string_view text, F f) {
  // The ';' found for one '&' serves every '&' before it, so a text of many
  // '&' and one late ';' is not searched again for each of them.
  size_t semi = 0;
  for (size_t i = FindOtherReference(text, 0); i != std::string_view::npos; i = FindOtherReference(text, i + 1)) {
    if (semi <= i) semi = text.find(';', i + 1);
    if (semi == std::string_view::npos) return;
    std::string_view name = text.substr(i + 1, semi - i - 1);
    if (!name.empty() && !IsStandardEntity(name) && name.find_first_of(" \t\r\n&<") == std::string_view::npos)
      f(name);
  }
}

// Start and end tags pair up (comments, sections and instructions aside).
bool Balanced(std::string_view t) {
  std::vector<std::string_view> open;
  size_t i = 0;
  while ((i = t.find('<', i)) != std::string_view::npos) {
    auto skipTo = [&](std::string_view end) {
      size_t e = t.find(end, i);
      i = e == std::string_view::npos ? t.size() : e + end.size();
      return e != std::string_view::npos;
    };
    if (t.compare(i, 4, "<!--") == 0) {
      if (!skipTo("-->")) return false;
    } else if (t.compare(i, 9, "<![CDATA[") == 0) {
      if (!skipTo("]]>")) return false;
    } else if (t.compare(i, 2, "<?") == 0) {
      if (!skipTo("?>")) return false;
    } else {
      bool end = t.compare(i, 2, "</") == 0;
      size_t a = i + (end ? 2 : 1), b = a;
      while (b < t.size() && !std::strchr(" \t\r\n/>", t[b])) ++b;
      std::string_view name = t.substr(a, b - a);
      char quote = 0;
      size_t g = b;
      for (; g < t.size(); ++g) {
        if (quote) quote = t[g] == quote ? 0 : quote;
        else if (t[g] == '"' || t[g] == '\'') quote = t[g];
        else if (t[g] == '>') break;
      }
      if (g >= t.size() || name.empty()) return false;
      if (end) {
        if (open.empty() || open.back() != name) return false;
        open.pop_back();
      } else if (t[g - 1] != '/') {
        open.push_back(name);
      }
      i = g + 1;
    }
  }
  return open.empty();
}

// A CR in expanded text comes from a character reference in an entity's
// literal: the parser has already made every CR of the document itself a
// line feed. Parsed again as content it would be taken for a line end (made
// LF, or trimmed away as a blank), so the text keeps it as "&#13;", which
// is how canonical XML writes it. Tags, sections, comments and
// instructions are left as they are.
void KeepCarriageReturns(UTF8String& Text) {
  if (Text.find('\r') == UTF8String::npos) return;
  const std::string_view t = Text;
  UTF8String out;
  out.reserve(Text.size() + 16);
  size_t i = 0;
  while (i < t.size()) {
    if (t[i] == '<') {
      size_t end = LiteralMarkupEnd(t, i);
      if (end == std::string_view::npos) {
        // A tag reaches to its '>' outside quotes.
        char quote = 0;
        size_t g = i + 1;
        for (; g < t.size(); ++g) {
          if (quote) quote = t[g] == quote ? 0 : quote;
          else if (t[g] == '"' || t[g] == '\'') quote = t[g];
          else if (t[g] == '>') break;
        }
        end = g < t.size() ? g + 1 : t.size();
      }
      out.append(t.substr(i, end - i));
      i = end;
      continue;
    }
    if (t[i] == '\r') out += "&#13;";
    else out += t[i];
    ++i;
  }
  Text.swap(out);
}

}  // namespace

bool sdHasEntityReference(std::string_view Text) { return sdHasEntityReference(Text, true); }

bool sdHasEntityReference(std::string_view Text, bool Wide) {
  // Called for each new string while its bytes are at hand, with room to
  // read behind them (see TsdSymbolTable::SetWatch): mostly its '&' start
  // "&amp;", "&lt;" and "&gt;", told apart without a branch per block.
  // An '&' too near the end for its four bytes is taken as usual only when
  // what lies behind it completes one of the three: the text then holds no
  // ';' after it, so it starts no reference either.
  const char* p = Text.data();
  const size_t n = Text.size();
  bool maybe = true;
#if defined(__SSE2__)
  static const bool wide = sdWideUtf8Check();
  if (Wide && wide) {
    maybe = AnyOtherAmpWide(p, n);
  } else {
    unsigned m = 0;
    for (size_t i = 0; i < n && !m; i += 16) m = OtherAmps(p + i) & (n - i >= 16 ? ~0u : (1u << (n - i)) - 1);
    maybe = m != 0;
  }
#endif
  if (!maybe) return false;
  bool any = false;
  ForEachReference(Text, [&](std::string_view) { any = true; });
  return any;
}

void TPlainXml::CheckEntityReferences() {
  // Most documents refer to no entity: the table has counted the strings in
  // use that do, and only then are the nodes walked.
  if (FSymbolTable->WatchedInUse() == 0) return;
  TsdDocType* dt = DocType();
  TsdEntityMap entities;
  if (dt) entities = dt->Entities();
  bool allKnown = !dt || !dt->HasExternalParts();
  std::set<UTF8String> used;
  auto collect = [&](std::string_view v) { ForEachReference(v, [&](std::string_view n) { used.insert(UTF8String(n)); }); };
  sdWalkNodes(*FRootNodes, [&](TXmlNode* n) {
    if (n->ElementType() == xeDocType) return false;
    if (n->ElementType() == xeCharData) collect(static_cast<TsdCharData*>(n)->GetCoreView());
    if (n->ElementType() == xeAttribute) collect(static_cast<TsdAttribute*>(n)->ValueView());
    return true;
  });
  // Each entity is checked once, references within it too, to a bounded
  // depth.
  std::map<UTF8String, bool> checked;
  std::vector<UTF8String> active;
  std::function<void(const UTF8String&)> check = [&](const UTF8String& name) {
    if (checked.count(name) || active.size() > 64) return;
    auto it = entities.find(name);
    if (it == entities.end()) {
      checked[name] = false;
      if (allKnown) DoDebugOut(this, wsWarn, "undeclared entity \"" + name + "\"");
      return;
    }
    active.push_back(name);
    if (!Balanced(it->second)) DoDebugOut(this, wsWarn, "entity \"" + name + "\" is not balanced markup");
    auto refer = [&](std::string_view r) {
      UTF8String ref(r);
      if (std::find(active.begin(), active.end(), ref) != active.end())
        DoDebugOut(this, wsWarn, "entity \"" + ref + "\" refers to itself");
      else
        check(ref);
    };
    SplitAtLiteralMarkup(
        it->second,
        [&](std::string_view t) {
          ForEachReference(t, refer);
          return true;
        },
        [](std::string_view) { return true; });
    active.pop_back();
    checked[name] = true;
  };
  for (const UTF8String& n : used) check(n);
}

TPlainXml* TsdXmlCanonicalizer::Canonicalize(TPlainXml* ADocument, Int64 ExpansionLimit) {
  if (!ADocument) return nullptr;
  TsdNodeList* roots = ADocument->RootNodeList();
  if (roots->Count() > 0 && roots->GetItems(0)->ElementType() == xeDeclaration) roots->Delete(0);
  TXmlNode* docTypeNode = roots->ByType(xeDocType);
  TsdEntityMap entities;
  if (docTypeNode && docTypeNode->Is<TsdDocType>()) entities = static_cast<TsdDocType*>(docTypeNode)->Entities();
  // The nodes to replace are gathered first: the ones put in their place
  // are not visited again. The subset itself is not content.
  Integer nodeCount = 0, charCount = 0, refCount = 0;
  Int64 textSize = 0;
  std::vector<TsdCharData*> targets;
  sdWalkNodes(*roots, [&](TXmlNode* n) {
    ++nodeCount;
    if (n == docTypeNode) return false;
    if (n->ElementType() == xeCharData && n->Is<TsdCharData>()) {
      ++charCount;
      auto* c = static_cast<TsdCharData*>(n);
      textSize += static_cast<Int64>(c->GetCoreView().size());
      if (c->HasNonStandardReferences()) {
        ++refCount;
        targets.push_back(c);
      }
    }
    return true;
  });
  Int64 limit = ExpansionLimit > 0 ? ExpansionLimit : std::max<Int64>(16 * textSize, 1 << 20);
  TExpander expander(entities, limit);
  for (TsdCharData* c : targets) {
    if (!c->Parent()) continue;  // top-level text has nowhere to take nodes
    UTF8String substitute;
    if (!expander.Expand(c->GetCoreView(), substitute)) {
      DoDebugOut(this, wsFail, "entity expansion limit exceeded");
      break;
    }
    KeepCarriageReturns(substitute);
    ADocument->ParseSubstituteContentFromNode(c, substitute);
  }
  DoDebugOut(this, wsInfo,
             "total node count: " + std::to_string(nodeCount) + ", chardata count: " + std::to_string(charCount) +
                 ", references count: " + std::to_string(refCount));
  DoDebugOut(this, wsInfo, "C14N created");
  return ADocument;
}

TPlainXml* TPlainXml::Canonicalize() {
  TsdXmlCanonicalizer c(this);
  TPlainXml* r = c.Canonicalize(this);
  return r;
}

TXmlNode* TPlainXml::ParseSubstituteContentFromNode(TXmlNode* Node, const UTF8String& Substitute) {
  if (!Node || !Node->Parent() || !Node->Parent()->Is<TsdContainerNode>()) return nullptr;
  auto* parent = static_cast<TsdContainerNode*>(Node->Parent());
  Integer at = parent->NodeIndexOf(Node);
  bool wasValue = at >= 0 && parent->ValueIndex() == at;
  parent->NodeDelete(at);
  TsdStringStream s(Substitute);
  TsdXmlParser p(&s, 256);
  p.ReadBOM();  // no owner yet: the detection's hints are not about this text
  p.SetOwner(this);
  TXmlNode* first = nullptr;
  bool valueSet = !wasValue;
  auto place = [&](TXmlNode* n) {
    parent->NodeInsert(at, n);
    if (!first) first = n;
    if (!valueSet && n->ElementType() == xeCharData) {
      parent->SetCounters(parent->GetNodeCount(), parent->GetDirectNodeCount(), parent->NodeIndexOf(n));
      valueSet = true;
    }
    ++at;
  };
  for (;;) {
    UTF8String text = sdTrim(p.ReadStringUntilChar('<'));
    if (!text.empty()) {
      auto* c = new TsdCharData(this);
      c->SetCoreValue(text);
      place(c);
      DoNodeNew(c);
      DoNodeLoaded(c);
    }
    if (p.EndOfStream()) break;
    TsdElementType t = p.ReadOpenTag();
    TClass cls = t == xeDeclaration || t == xeDocType ? nullptr : cNodeClass(t);
    if (t == xeError || t == xeEndTag) {
      DoDebugOut(this, wsWarn, "illegal tag (\"" + UTF8String(ElementTypeName(t)) + "\") at pos " +
                                   std::to_string(p.GetPosition()));
      break;
    }
    if (!cls) {
      DoDebugOut(this, wsWarn, "unsupported tag (\"" + UTF8String(ElementTypeName(t)) + "\") at pos " +
                                   std::to_string(p.GetPosition()));
      break;
    }
    auto* n = static_cast<TXmlNode*>(cls->Create(this));
    place(n);
    if (t != xeElement) DoNodeNew(n);
    n->ParseStream(&p);
    DoNodeLoaded(n);
    if (FAbortParsing || p.EndOfStream()) break;
  }
  return first;
}

}  // namespace qn
