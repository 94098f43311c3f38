// The markup renderer: one pass over the prepared lines that draws,
// measures or hit-tests, steered by the calculation mode.
#include "skin/controls/uQuarnHtmlLabel.h"

#include <algorithm>
#include <memory>
#include <vector>

#include "platform/rtl/Math.h"
#include "platform/rtl/SysUtils.h"
#include "platform/vcl/GraphicsColor.h"

namespace qn {

Double DefaultSuperSubScriptRatio = 2.0 / 3.0;

namespace {

// Applied in this order: "&amp;quot;" therefore ends as a quotation mark.
struct TEntity {
  const Char* Name;
  const Char* Text;
};
constexpr TEntity kEntities[] = {
    {u"&amp;", u"&"},        {u"&quot;", u"\""},      {u"&reg;", u"\u00AE"}, {u"&copy;", u"\u00A9"},
    {u"&trade;", u"\u2122"}, {u"&euro;", u"\u20AC"}, {u"&nbsp;", u" "},
};

const TReplaceFlags kAllNoCase{TReplaceFlag::rfReplaceAll, TReplaceFlag::rfIgnoreCase};

// The value of attribute Name in the tag text (between "<" and ">"), or
// false when the tag does not mention it. The value is read from
// everything after the name, so a quoted value further on wins over an
// unquoted one here.
bool TagAttribute(const String& Tag, const String& Name, String& Value) {
  const Integer at = Pos(UpperCase(Name), UpperCase(Tag));
  if (at == 0) return false;
  const String rest = Copy(Tag, at + Integer(Name.size()));
  for (const Char quote : {u'"', u'\''}) {
    const size_t first = rest.find(quote);
    if (first == String::npos) continue;
    const size_t second = rest.find(quote, first + 1);
    Value = second == String::npos ? String() : rest.substr(first + 1, second - first - 1);
    return true;
  }
  String v = Trim(rest);
  if (!v.empty()) v.erase(0, 1);  // the "=" sign
  v = Trim(v);
  const size_t space = v.size() > 1 ? v.find(u' ', 1) : String::npos;
  if (space != String::npos) v.resize(space);
  Value = v;
  return true;
}

bool StartsWith(const String& S, const Char* Prefix) {
  const size_t n = std::char_traits<Char>::length(Prefix);
  return S.size() >= n && S.compare(0, n, Prefix) == 0;
}

constexpr Integer kMinFontSize = 1, kMaxFontSize = 1638;

enum class TScriptMode { smNone, smSuper, smBottom };

// One call's working state.
class TRenderer {
 public:
  TRenderer(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, TQuarnHTMLCalcType CalcType,
            Integer X, Integer Y, Double Ratio, TColor HyperLinkColor, Integer Percent)
      : C(Canvas), R(ARect), FState(State), FCalc(CalcType), FX(X), FY(Y), FRatio(Ratio), FLinkColor(HyperLinkColor),
        FPercent(Percent) {}

  void Run(const String& HTML, Integer& XSize, Integer& YSize, bool& Hit, String& HyperLink) {
    TFont* font = C->Font();
    const TFontStyles oldStyle = font->Style();
    const TColor oldColor = font->Color();
    const TColor oldBrushColor = C->Brush()->Color();
    const TBrushStyle oldBrushStyle = C->Brush()->Style();
    FBaseColor = oldColor;
    FBaseBrush = oldBrushColor;
    FBaseSize = font->Size();
    FPlain = FState.Contains(TOwnerDrawStateItem::odSelected) || FState.Contains(TOwnerDrawStateItem::odDisabled);
    FClearBackground = oldBrushStyle == TBrushStyle::bsClear && !FPlain;
    FLineTop = R.Top;

    const std::vector<String> lines = SplitLines(HTMLPrepareText(HTML));
    for (size_t i = 0; i < lines.size(); ++i) {
      String line = lines[i];
      FPenX = 0;
      while (!line.empty()) {
        String run;
        HTMLBeforeTag(line, true, run);
        run = StringReplace(run, u"&lt;", u"<", kAllNoCase);
        run = StringReplace(run, u"&gt;", u">", kAllNoCase);
        if (!line.empty() && line[0] == u'<') {
          WriteRun(run);
          // A "<" that nothing closes becomes an empty tag, so it never shows.
          if (line.find(u'>') == String::npos) line.insert(1, 1, u'>');
          const size_t close = line.find(u'>');
          Tag(line.substr(1, close - 1));
          line = HTMLDeleteTag(line);
        } else {
          WriteRun(run);
        }
      }
      if (i + 1 < lines.size()) LineEnd();
    }

    font->SetStyle(oldStyle);
    font->SetColor(oldColor);
    C->Brush()->SetColor(oldBrushColor);
    C->Brush()->SetStyle(oldBrushStyle);
    FXSize = std::max(FXSize, FPenX);
    XSize = FXSize;
    YSize = FLineTop + LineHeight();
    Hit = FHit;
    HyperLink = FHyperLink;
  }

 private:
  static std::vector<String> SplitLines(const String& S) {
    std::vector<String> lines;
    String cur;
    for (size_t i = 0; i < S.size(); ++i) {
      const Char c = S[i];
      if (c == u'\r' || c == u'\n') {
        lines.push_back(cur);
        cur.clear();
        if (c == u'\r' && i + 1 < S.size() && S[i + 1] == u'\n') ++i;
      } else {
        cur.push_back(c);
      }
    }
    lines.push_back(cur);
    return lines;
  }

  Integer LineHeight() { return C->TextHeight(String()); }

  void LineEnd() {
    FXSize = std::max(FXSize, FPenX);
    FPenX = 0;
    FLineTop += LineHeight();
  }

  void SetStyle(TFontStyle S, bool On) {
    TFontStyles st = C->Font()->Style();
    if (On) st.Include(S);
    else st.Exclude(S);
    C->Font()->SetStyle(st);
  }

  void SetSizeClamped(Int64 Size) { C->Font()->SetSize(Integer(std::clamp<Int64>(Size, kMinFontSize, kMaxFontSize))); }

  void WriteRun(const String& Run) {
    if (Run.empty()) return;
    const Integer x = R.Left + FPenX;
    Integer y = FLineTop;
    const Integer oldSize = C->Font()->Size();
    const bool scaled = FMode != TScriptMode::smNone;
    if (scaled) C->Font()->SetSize(Integer(Round(Double(oldSize) * FRatio)));
    const TSize ext = C->TextExtent(Run);
    const Integer w = ext.cx, h = ext.cy;
    if (FMode == TScriptMode::smBottom) y = R.Bottom - h - 1;
    if (FInLink && !FHit && y <= FY && FY <= y + h && x <= FX && FX <= x + w && (FY > 0 || FX >= 1)) {
      FHit = true;
      C->Font()->SetColor(FLinkColor);
      FHyperLink = FLinkTarget;
    }
    if (FCalc == htmlShow) {
      if (FClearBackground) C->Brush()->SetStyle(TBrushStyle::bsClear);
      C->TextOut(x, y, Run);
    }
    FPenX += w;
    if (scaled) C->Font()->SetSize(oldSize);
  }

  void Tag(const String& Text) {
    const String t = UpperCase(Text);
    if (t.empty()) return;
    switch (t[0]) {
      case u'B': SetStyle(TFontStyle::fsBold, true); return;
      case u'I': SetStyle(TFontStyle::fsItalic, true); return;
      case u'U': SetStyle(TFontStyle::fsUnderline, true); return;
      case u'S':
        if (StartsWith(t, u"SUP")) {
          FMode = TScriptMode::smSuper;
        } else if (StartsWith(t, u"SUB")) {
          FMode = TScriptMode::smBottom;
        } else {
          SetStyle(TFontStyle::fsStrikeOut, true);
          FMode = TScriptMode::smNone;
        }
        return;
      case u'A':
        if (Pos(u"HREF", t) > 0) {
          LinkStart(Text);
        } else if (StartsWith(t, u"AL")) {
          FPenX = 0;
        }
        return;
      case u'H':
        if (StartsWith(t, u"HR")) Rule(t);
        return;
      case u'F':
        if (!FPlain) FontStart(t);
        return;
      case u'/': break;
      default: return;
    }
    if (t.size() < 2) return;
    switch (t[1]) {
      case u'B': SetStyle(TFontStyle::fsBold, false); break;
      case u'I': SetStyle(TFontStyle::fsItalic, false); break;
      case u'U': SetStyle(TFontStyle::fsUnderline, false); break;
      case u'S':
        SetStyle(TFontStyle::fsStrikeOut, false);
        FMode = TScriptMode::smNone;
        break;
      case u'A':
        FInLink = false;
        if (FSavedFont) C->Font()->Assign(FSavedFont.get());
        break;
      case u'F':
        if (!FPlain) {
          C->Font()->SetColor(FBaseColor);
          C->Brush()->SetColor(FBaseBrush);
          C->Font()->SetSize(FBaseSize);
          FClearBackground = true;
        }
        break;
      default: break;
    }
  }

  void LinkStart(const String& Text) {
    FInLink = true;
    if (!FSavedFont) FSavedFont = std::make_unique<TFont>();
    FSavedFont->Assign(C->Font());
    if (!FPlain) C->Font()->SetColor(static_cast<TColor>(0x00FF0000));
    String target;
    TagAttribute(Text, u"HREF", target);
    FLinkTarget = target;
  }

  void FontStart(const String& T) {
    FBaseColor = C->Font()->Color();
    FBaseBrush = C->Brush()->Color();
    String v;
    if (TagAttribute(T, u"COLOR", v)) {
      if (!v.empty() && v[0] == u'#') v[0] = u'$';
      // A colour nobody can read leaves the text as it was rather than
      // stopping the paint half way.
      try {
        C->Font()->SetColor(StringToColor(v));
      } catch (const Exception&) {
      }
    }
    if (TagAttribute(T, u"SIZE", v)) {
      const Int64 n = StrToIntDef(v, 2);
      SetSizeClamped(n * Int64(C->Font()->Size()) / 2);
    }
    if (TagAttribute(T, u"ALIGN", v)) FMode = v == u"BOTTOM" ? TScriptMode::smBottom : TScriptMode::smNone;
  }

  void Rule(const String& T) {
    TPen* pen = C->Pen();
    if (FState.Contains(TOwnerDrawStateItem::odDisabled)) pen->SetColor(C->Font()->Color());
    const Integer oldWidth = pen->Width();
    String v;
    Integer width = TagAttribute(T, u"SIZE", v) ? StrToIntDef(v, 1) : 1;
    if (FState.Contains(TOwnerDrawStateItem::odReserved1)) width = Integer(Int64(width) * FPercent / 100);
    pen->SetWidth(width);
    if (FCalc == htmlShow) {
      const Integer y = FLineTop + LineHeight();
      C->MoveTo(R.Left, y);
      C->LineTo(R.Right, y);
    }
    FLineTop += width + 1;
    pen->SetWidth(oldWidth);
    LineEnd();
  }

  TCanvas* C;
  TRect R;
  TOwnerDrawState FState;
  TQuarnHTMLCalcType FCalc;
  Integer FX, FY;
  Double FRatio;
  TColor FLinkColor;
  Integer FPercent;

  bool FPlain = false;
  bool FClearBackground = false;
  TColor FBaseColor = clBlack, FBaseBrush = clWhite;
  Integer FBaseSize = 0;
  Integer FLineTop = 0, FPenX = 0, FXSize = 0;
  TScriptMode FMode = TScriptMode::smNone;
  bool FInLink = false;
  String FLinkTarget;
  std::unique_ptr<TFont> FSavedFont;
  bool FHit = false;
  String FHyperLink;
};

}  // namespace

String HTMLPrepareText(const String& HTML) {
  String s = HTML;
  for (const TEntity& e : kEntities) s = StringReplace(s, e.Name, e.Text, kAllNoCase);
  s = StringReplace(s, u"\r\n", u"", {TReplaceFlag::rfReplaceAll});
  s = StringReplace(s, u"<BR>", u"\r\n", kAllNoCase);
  s = StringReplace(s, u"<HR>", u"<HR>\r\n", kAllNoCase);
  return s;
}

void HTMLBeforeTag(String& S, bool Delete, String& Before) {
  const size_t lt = S.find(u'<');
  if (lt == String::npos) {
    Before = S;
    if (Delete) S.clear();
    return;
  }
  Before = S.substr(0, lt);
  if (Delete) S.erase(0, lt);
}

String HTMLDeleteTag(const String& S) {
  if (S.empty() || S[0] != u'<') return S;
  const size_t gt = S.find(u'>');
  if (gt == String::npos || gt < 1) return S;
  return S.substr(gt + 1);
}

Char GetChar(const String& S, Integer Index, bool Upper) {
  if (Index < 1 || Index > Integer(S.size())) return u' ';
  const Char c = S[size_t(Index - 1)];
  return Upper ? UpperCase(String(1, c))[0] : c;
}

Integer CanvasMaxTextHeight(TCanvas* Canvas) {
  TEXTMETRICW tm{};
  Canvas->TextExtent(String());  // selects the font
  GetTextMetricsW(Canvas->Handle(), &tm);
  return tm.tmHeight;
}

void HTMLDrawTextEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Integer& XSize, Integer& YSize, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit,
                    String& HyperLink, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  Hit = false;
  HyperLink.clear();
  XSize = 0;
  YSize = 0;
  if (!Canvas) return;
  TRenderer r(Canvas, ARect, State, CalcType, X, Y, SuperSubScriptRatio, HyperLinkColor, Percent);
  r.Run(HTML, XSize, YSize, Hit, HyperLink);
}

void HTMLDrawTextEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Integer& Size, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit, String& HyperLink,
                    Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  Integer xs = 0, ys = 0;
  HTMLDrawTextEx(Canvas, ARect, State, HTML, xs, ys, CalcType, X, Y, Hit, HyperLink, SuperSubScriptRatio,
                 HyperLinkColor, Percent);
  Size = CalcType == htmlCalcHeight ? ys : xs;
}

void HTMLDrawText(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                  Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  HTMLDrawTextHL(Canvas, ARect, State, HTML, 0, 0, SuperSubScriptRatio, HyperLinkColor, Percent);
}

void HTMLDrawTextHL(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML, Integer X,
                    Integer Y, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  Integer size = 0;
  bool hit = false;
  String link;
  HTMLDrawTextEx(Canvas, ARect, State, HTML, size, htmlShow, X, Y, hit, link, SuperSubScriptRatio, HyperLinkColor,
                 Percent);
}

bool IsHyperLink(TCanvas* Canvas, const TRect& ARect, const String& HTML, Integer X, Integer Y, String& HyperLink,
                 TColor HyperLinkColor) {
  Integer size = 0;
  bool hit = false;
  HTMLDrawTextEx(Canvas, ARect, TOwnerDrawState(), HTML, size, htmlHyperLink, X, Y, hit, HyperLink,
                 DefaultSuperSubScriptRatio, HyperLinkColor, 100);
  return hit;
}

Integer HTMLTextWidth(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                      Double SuperSubScriptRatio, TColor HyperLinkColor) {
  Integer size = 0;
  bool hit = false;
  String link;
  HTMLDrawTextEx(Canvas, ARect, State, HTML, size, htmlCalcWidth, 0, 0, hit, link, SuperSubScriptRatio,
                 HyperLinkColor, 100);
  return size;
}

Integer HTMLTextHeight(TCanvas* Canvas, const String& HTML, Double SuperSubScriptRatio, TColor HyperLinkColor) {
  if (!Canvas) return 0;
  Integer size = 0;
  bool hit = false;
  String link;
  HTMLDrawTextEx(Canvas, TRect(0, 0, 0, 0), TOwnerDrawState(), HTML, size, htmlCalcHeight, 0, 0, hit, link,
                 SuperSubScriptRatio, HyperLinkColor, 100);
  if (size == 0) size = Canvas->TextHeight(String());
  return size + 1;
}

void ItemHTDraw(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  HTMLDrawText(Canvas, ARect, State, HTML, SuperSubScriptRatio, HyperLinkColor, Percent);
}

void ItemHTDrawEx(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                  Integer& Size, TQuarnHTMLCalcType CalcType, Integer X, Integer Y, bool& Hit, String& HyperLink,
                  Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  HTMLDrawTextEx(Canvas, ARect, State, HTML, Size, CalcType, X, Y, Hit, HyperLink, SuperSubScriptRatio,
                 HyperLinkColor, Percent);
}

void ItemHTDrawHL(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML, Integer X,
                  Integer Y, Double SuperSubScriptRatio, TColor HyperLinkColor, Integer Percent) {
  HTMLDrawTextHL(Canvas, ARect, State, HTML, X, Y, SuperSubScriptRatio, HyperLinkColor, Percent);
}

Integer ItemHTWidth(TCanvas* Canvas, const TRect& ARect, const TOwnerDrawState& State, const String& HTML,
                    Double SuperSubScriptRatio, TColor HyperLinkColor) {
  return HTMLTextWidth(Canvas, ARect, State, HTML, SuperSubScriptRatio, HyperLinkColor);
}

Integer ItemHTHeight(TCanvas* Canvas, const String& HTML, Double SuperSubScriptRatio, TColor HyperLinkColor) {
  return HTMLTextHeight(Canvas, HTML, SuperSubScriptRatio, HyperLinkColor);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnHtmlLabel)
