// DrawText: prefixes, line breaking, word wrap, tabs, ellipses, alignment
// and the measuring mode.
#include <algorithm>
#include <cstdint>

#include "platform/gdi/GdiTextInternal.h"

namespace vcl {

using namespace gdi;

namespace {

struct TLine {
  std::vector<char32_t> Chars;
  std::vector<bool> Prefixed;  // the character after a single '&'
  bool Ellipsised = false;
};

bool IsFullWidth(char32_t c) {
  return (c >= 0x1100 && c <= 0x115F) || (c >= 0x2E80 && c <= 0xA4CF && c != 0x303F) ||
         (c >= 0xAC00 && c <= 0xD7A3) || (c >= 0xF900 && c <= 0xFAFF) || (c >= 0xFE30 && c <= 0xFE4F) ||
         (c >= 0xFF00 && c <= 0xFF60) || (c >= 0xFFE0 && c <= 0xFFE6) || (c >= 0x20000 && c <= 0x3FFFD);
}

class TLayout {
 public:
  TLayout(TDCObj& dc, TFontInstance& font, UINT format, int tabWidth)
      : FDC(dc), FFont(font), FFormat(format), FTab(std::max(1, tabWidth)) {}

  // Pen position after character c placed at x on a line.
  int Step(int x, char32_t c) const {
    if (c == u'\t' && (FFormat & DT_EXPANDTABS)) return (x / FTab + 1) * FTab;
    return x + FFont.Advance(c) + FDC.State.TextCharExtra;
  }
  int Width(const std::vector<char32_t>& s, size_t from, size_t to) const {
    int x = 0;
    for (size_t i = from; i < to; ++i) x = Step(x, s[i]);
    return x;
  }
  int Width(const std::vector<char32_t>& s) const { return Width(s, 0, s.size()); }
  // Widths of every prefix: w[i] is the width of the first i characters.
  std::vector<int> Prefixes(const std::vector<char32_t>& s) const {
    std::vector<int> w(s.size() + 1, 0);
    for (size_t i = 0; i < s.size(); ++i) w[i + 1] = Step(w[i], s[i]);
    return w;
  }
  bool Blank(char32_t c) const { return c == u' ' || (c == u'\t' && (FFormat & DT_EXPANDTABS)); }

  // Greedy wrapping of one paragraph into lines no wider than w.
  void Wrap(const TLine& p, int w, std::vector<TLine>& out) const {
    const auto& s = p.Chars;
    size_t n = s.size(), pos = 0;
    bool fullBreak = !(FFormat & DT_NOFULLWIDTHCHARBREAK);
    auto emit = [&](size_t a, size_t b) {
      while (b > a && Blank(s[b - 1])) --b;
      TLine l;
      l.Chars.assign(s.begin() + ptrdiff_t(a), s.begin() + ptrdiff_t(b));
      l.Prefixed.assign(p.Prefixed.begin() + ptrdiff_t(a), p.Prefixed.begin() + ptrdiff_t(b));
      out.push_back(std::move(l));
    };
    if (n == 0) {
      out.push_back(TLine{});
      return;
    }
    while (pos < n) {
      int x = 0;
      size_t brk = 0, i = pos;
      bool overflow = false;
      for (; i < n; ++i) {
        char32_t c = s[i];
        if (Blank(c)) {
          // Trailing blanks hang past the edge; the line may end before them.
          if (i > pos) brk = i;
          x = Step(x, c);
          continue;
        }
        bool full = fullBreak && IsFullWidth(c);
        if (full && i > pos) brk = i;
        int nx = Step(x, c);
        if (nx > w && i > pos) {
          overflow = true;
          break;
        }
        x = nx;
        if (full) brk = i + 1;
      }
      if (!overflow) {
        emit(pos, n);
        break;
      }
      size_t end;
      if (brk > pos) {
        end = brk;
      } else if (FFormat & DT_EDITCONTROL) {
        end = i;
      } else {
        // A word wider than the line stays whole and overflows.
        end = i;
        while (end < n && !Blank(s[end]) && !(fullBreak && IsFullWidth(s[end]))) ++end;
      }
      emit(pos, end);
      pos = end;
      while (pos < n && Blank(s[pos])) ++pos;
    }
  }

  void Truncate(TLine& l, size_t n) const {
    l.Chars.resize(n);
    l.Prefixed.resize(n);
  }
  void Append(TLine& l, const std::vector<char32_t>& s) const {
    l.Chars.insert(l.Chars.end(), s.begin(), s.end());
    l.Prefixed.insert(l.Prefixed.end(), s.size(), false);
  }
  // The longest run of dots (three at most) that fits in w after the text.
  void AddDots(TLine& l, int w) const {
    for (int dots = 3; dots > 0; --dots) {
      std::vector<char32_t> e(size_t(dots), u'.');
      TLine t = l;
      Append(t, e);
      if (Width(t.Chars) <= w) {
        l = std::move(t);
        return;
      }
    }
  }
  // Text cut at the end (at a character, or at a word for DT_WORD_ELLIPSIS)
  // followed by dots, never wider than w.
  void EndEllipsis(TLine& l, int w, bool atWord) const {
    std::vector<char32_t> dots(3, u'.');
    int dw = Width(dots);
    size_t n = l.Chars.size();
    std::vector<int> pw = Prefixes(l.Chars);
    if (atWord) {
      // Drop whole words from the end while the rest and the dots are too wide.
      size_t k = n;
      while (k > 0 && pw[k] + dw > w) {
        size_t j = k;
        while (j > 0 && l.Chars[j - 1] != u' ') --j;
        if (j == 0) break;  // the first word: cut it by characters below
        while (j > 0 && l.Chars[j - 1] == u' ') --j;
        k = j;
      }
      n = k;
    }
    while (n > 0 && pw[n] + dw > w) --n;
    Truncate(l, n);
    AddDots(l, w);
    l.Ellipsised = true;
  }
  // Keeps the part from the last backslash on and cuts the text before it.
  void PathEllipsis(TLine& l, int w) const {
    size_t slash = l.Chars.size();
    for (size_t i = l.Chars.size(); i-- > 0;)
      if (l.Chars[i] == u'\\') {
        slash = i;
        break;
      }
    if (slash == l.Chars.size()) {
      EndEllipsis(l, w, false);
      return;
    }
    std::vector<char32_t> tail(l.Chars.begin() + ptrdiff_t(slash), l.Chars.end());
    std::vector<bool> tailP(l.Prefixed.begin() + ptrdiff_t(slash), l.Prefixed.end());
    std::vector<char32_t> dots(3, u'.');
    int fixed = Width(dots) + Width(tail);
    size_t n = slash;
    std::vector<int> pw = Prefixes(l.Chars);
    while (n > 0 && pw[n] + fixed > w) --n;
    if (pw[n] + fixed <= w) {
      Truncate(l, n);
      Append(l, dots);
      l.Chars.insert(l.Chars.end(), tail.begin(), tail.end());
      l.Prefixed.insert(l.Prefixed.end(), tailP.begin(), tailP.end());
      l.Ellipsised = true;
      return;
    }
    // Not even the last part fits: dots, then as much of it as fits.
    TLine t;
    Append(t, dots);
    t.Chars.insert(t.Chars.end(), tail.begin(), tail.end());
    t.Prefixed.insert(t.Prefixed.end(), 3, false);
    t.Prefixed.insert(t.Prefixed.end(), tailP.begin(), tailP.end());
    size_t k = t.Chars.size();
    std::vector<int> tw = Prefixes(t.Chars);
    while (k > 0 && tw[k] > w) --k;
    Truncate(t, k);
    t.Ellipsised = true;
    l = std::move(t);
  }
  void Ellipsis(TLine& l, int w) const {
    if (FFormat & DT_PATH_ELLIPSIS) PathEllipsis(l, w);
    else if (FFormat & DT_WORD_ELLIPSIS) EndEllipsis(l, w, true);
    else EndEllipsis(l, w, false);
  }

  // The run to paint for a line, tabs turned into blank steps.
  TTextRun Run(const TLine& l) const {
    TTextRun r;
    int x = 0, lastPrefix = -1;
    for (size_t i = 0; i < l.Chars.size(); ++i) {
      char32_t c = l.Chars[i];
      int nx = Step(x, c);
      r.Chars.push_back(c == u'\t' && (FFormat & DT_EXPANDTABS) ? char32_t(u' ') : c);
      r.Advances.push_back(nx - x);
      if (l.Prefixed[i]) lastPrefix = int(i);
      x = nx;
    }
    // One underlined character per line: the last one marked.
    if (lastPrefix >= 0 && !(FFormat & DT_HIDEPREFIX)) {
      int a = 0;
      for (int i = 0; i < lastPrefix; ++i) a += r.Advances[size_t(i)];
      r.Underlines.push_back({a, a + r.Advances[size_t(lastPrefix)]});
    }
    r.NoGlyphs = (FFormat & DT_PREFIXONLY) != 0;
    return r;
  }

 private:
  TDCObj& FDC;
  TFontInstance& FFont;
  UINT FFormat;
  int FTab;
};

}  // namespace

int DrawTextExW(HDC dc, WCHAR* text, int count, RECT* rc, UINT format, DRAWTEXTPARAMS* params) {
  auto d = LookupDC(dc);
  if (!d || !rc) return 0;
  if (!text) count = 0;
  if (count < 0) {
    count = 0;
    while (text[count]) ++count;
  }
  if (params && params->cbSize != sizeof(DRAWTEXTPARAMS)) return 0;
  TFontInstancePtr font = DCFontInstance(dc);
  if (!font) return 0;
  const TFontFaceMetrics& m = font->Metrics();
  int tabChars = 8;
  if (format & DT_TABSTOP) {
    // The tab size shares its byte with flags that cannot go with it.
    tabChars = int((format >> 8) & 0xFF);
    format &= ~0xFF00u;
  }
  if (params && params->iTabLength > 0) tabChars = params->iTabLength;
  if (tabChars <= 0) tabChars = 8;
  TLayout lay(*d, *font, format, tabChars * std::max(1, m.AveCharWidth));
  int lh = m.Height() + ((format & DT_EXTERNALLEADING) ? m.ExternalLeading : 0);
  int left = rc->Left + (params ? params->iLeftMargin : 0);
  int right = rc->Right - (params ? params->iRightMargin : 0);
  int w = right - left;
  bool single = (format & DT_SINGLELINE) != 0;
  if (params) params->uiLengthDrawn = UINT(count);

  // Prefixes, then paragraphs.
  std::vector<char32_t> cps;
  DecodeUtf16(text, count, cps);
  std::vector<TLine> paras(1);
  for (size_t i = 0; i < cps.size(); ++i) {
    char32_t c = cps[i];
    if (c == u'\r' || c == u'\n') {
      if (c == u'\r' && i + 1 < cps.size() && cps[i + 1] == u'\n') ++i;
      if (!single) paras.emplace_back();
      continue;
    }
    bool prefixed = false;
    if (c == u'&' && !(format & DT_NOPREFIX) && i + 1 < cps.size()) {
      c = cps[++i];
      prefixed = c != u'&';
    }
    paras.back().Chars.push_back(c);
    paras.back().Prefixed.push_back(prefixed);
  }
  // A break at the very end does not open another line.
  if (paras.size() > 1 && paras.back().Chars.empty()) paras.pop_back();
  std::vector<TLine> lines;
  if (cps.empty()) {
    lines.clear();
  } else if (!single && (format & DT_WORDBREAK)) {
    for (const TLine& p : paras) lay.Wrap(p, w, lines);
  } else {
    lines = std::move(paras);
  }
  bool anyEllipsis = (format & (DT_END_ELLIPSIS | DT_PATH_ELLIPSIS | DT_WORD_ELLIPSIS)) != 0;
  if (anyEllipsis)
    for (TLine& l : lines)
      if (lay.Width(l.Chars) > w) lay.Ellipsis(l, w);
  // An edit control shows no partly visible line; the last one shown ends
  // with dots when text was left out.
  if (!(format & DT_CALCRECT) && !single && (format & DT_EDITCONTROL) && lh > 0) {
    size_t fit = size_t(std::max<int64_t>(1, (int64_t(rc->Bottom) - rc->Top) / lh));
    if (lines.size() > fit) {
      lines.resize(fit);
      if (format & DT_END_ELLIPSIS) {
        lay.EndEllipsis(lines.back(), w, false);
      }
    }
  }
  int maxW = 0;
  for (const TLine& l : lines) maxW = std::max(maxW, lay.Width(l.Chars));
  int height = lines.empty() ? (single ? lh : 0) : int(lines.size()) * lh;
  if (single) height = lh;

  if ((format & DT_MODIFYSTRING) && text && lines.size() == 1 && lines[0].Ellipsised) {
    int room = count + 4, k = 0;
    for (char32_t c : lines[0].Chars) {
      int need = c > 0xFFFF ? 2 : 1;
      if (k + need > room - 1) break;
      if (c > 0xFFFF) {
        text[k++] = WCHAR(0xD800 + ((c - 0x10000) >> 10));
        text[k++] = WCHAR(0xDC00 + ((c - 0x10000) & 0x3FF));
      } else {
        text[k++] = WCHAR(c);
      }
    }
    text[k] = 0;
  }

  if (format & DT_CALCRECT) {
    rc->Right = left + maxW + (params ? params->iRightMargin : 0);
    rc->Bottom = rc->Top + height;
    return height;
  }

  int y = rc->Top;
  if (single) {
    if (format & DT_VCENTER) y = rc->Top + (rc->Bottom - rc->Top - lh) / 2;
    else if (format & DT_BOTTOM) y = rc->Bottom - lh;
  }
  int result = (single && (format & (DT_VCENTER | DT_BOTTOM))) ? y - rc->Top + lh : height;
  if (lines.empty()) return result;

  TDrawScope scope(dc);
  if (!scope.S) return result;
  TPoint off = d->Offset();
  TRegion clip = d->EffectiveClip();
  if (!(format & DT_NOCLIP)) clip.IntersectRect(TRect(rc->Left + off.X, rc->Top + off.Y, rc->Right + off.X, rc->Bottom + off.Y));
  if (clip.Empty()) return result;
  bool alignRight = (format & DT_RIGHT) || ((format & DT_RTLREADING) && !(format & DT_CENTER));
  for (const TLine& l : lines) {
    TTextRun run = lay.Run(l);
    int lw = run.Total();
    int x = left;
    if (format & DT_CENTER) x = left + (w - lw) / 2;
    else if (alignRight) x = right - lw;
    PaintTextRun(*d, *scope.S, *font, x + off.X, y + m.Ascent + off.Y, run, clip);
    y += lh;
  }
  return result;
}

int DrawTextW(HDC dc, const WCHAR* text, int count, RECT* rc, UINT format) {
  // The text is written to only with DT_MODIFYSTRING, as the caller asked.
  return DrawTextExW(dc, const_cast<WCHAR*>(text), count, rc, format, nullptr);
}

}  // namespace vcl
