// The "EDIT" system class. Each window has an Edit object from WM_NCCREATE
// to WM_NCDESTROY holding the text, a line table (start, length, break kind
// and width of every display line, rebuilt on each change so that queries
// and painting never rescan the text), the selection as anchor and caret,
// the view (first visible line, horizontal offset in pixels) and the undo
// state.
#include "platform/user/Edit.h"
#include "platform/user/ComboBox.h"
#include "platform/user/NativeControl.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/user/Clipboard.h"
#include "platform/user/ListBox.h"

namespace vcl {

namespace {

constexpr UINT_PTR kDragTimer = 1;
constexpr UINT kDragTimerMs = 50;

bool IsBlank(char16_t c) { return c == u' ' || c == u'\t'; }
bool IsWordChar(char16_t c) { return !(c == u' ' || c == u'\t' || c == u'\r' || c == u'\n'); }

struct Line {
  int Start = 0;
  int Len = 0;        // without the CR LF that may follow
  bool Hard = false;  // a CR LF follows
  int Width = 0;      // pixels
};

class Edit {
 public:
  explicit Edit(HWND h) : H(h) {}
  ~Edit() {
    if (Mem) DeleteDC(Mem);
  }

  LRESULT Proc(UINT msg, WPARAM wp, LPARAM lp);
  bool Dead = false;

 private:
  HWND H;
  String Text;
  std::vector<Line> Lines;
  int Widest = 0;
  int Anchor = 0, Caret = 0;
  HFONT Font = nullptr;
  HDC Mem = nullptr;  // measuring DC with the font selected
  int LineH = 16, AveW = 7;
  std::array<int, 128> Ascii{};
  std::unordered_map<char16_t, int> Others;
  std::vector<int> Tabs;  // pixel stops; empty: every 8 average characters
  RECT Fmt{};
  bool FmtSet = false;
  int LeftM = 2, RightM = 2;
  bool MarginsSet = false;  // EM_SETMARGINS gave numbers of its own
  int Top = 0, XOff = 0;
  UINT Limit = EditDefaultLimit;
  bool Modified = false;
  bool Multi = false, Wrap = false, HasV = false, HasH = false;
  char16_t PassChar = 0;
  bool Redraw = true, Focused = false, Dragging = false, FmtLines = false;
  int WantX = -1;  // the column up and down keep, in pixels from the line start
  // One level of undo: the whole text and selection before the last edit;
  // undoing swaps it with the present, so a second undo redoes.
  bool CanUndo = false, TypingRun = false;
  String UndoText;
  int UndoAnchor = 0, UndoCaret = 0;

  DWORD Style() const { return DWORD(GetWindowLongW(H, GWL_STYLE)); }
  bool ReadOnly() const { return (Style() & ES_READONLY) != 0; }
  int Len() const { return int(Text.size()); }
  int SelMin() const { return std::min(Anchor, Caret); }
  int SelMax() const { return std::max(Anchor, Caret); }
  int FmtW() const { return std::max<int>(0, Fmt.Right - Fmt.Left); }
  int Visible() const { return std::max(1, int(Fmt.Bottom - Fmt.Top) / std::max(1, LineH)); }
  bool ShowsSelection() const { return Focused || (Style() & ES_NOHIDESEL); }
  bool HScrolls() const { return Multi ? !Wrap : (Style() & ES_AUTOHSCROLL) != 0; }

  // Measuring
  void SetFont(HFONT f);
  // The margins a font asks for: a third of its average character, at least two pixels.
  int FontMargin() const { return std::max(2, (AveW + 2) / 3); }
  int CharW(char16_t c);
  int TabW(int x);
  int AdvanceAt(int i, int x) {
    char16_t c = Text[size_t(i)];
    if (PassChar && !Multi) return CharW(PassChar);
    return c == u'\t' ? TabW(x) : CharW(c);
  }
  int WidthOf(int start, int end) {
    int x = 0;
    for (int i = start; i < end; ++i) x += AdvanceAt(i, x);
    return x;
  }

  // Layout and positions
  void Layout();
  void FormatRect();
  int LineOf(int index) const;
  int AlignOff(const Line& l) const;
  int XInLine(int line, int index);
  TPoint PosOf(int index);
  int IndexAtX(int line, int x);
  int IndexAt(TPoint p, bool clampToView);
  int SnapIndex(int i) const;

  // Editing
  bool Replace(int from, int to, String s, bool user, bool undoable);
  void ReplaceSel(String s, bool user, bool undoable) { Replace(SelMin(), SelMax(), std::move(s), user, undoable); }
  String Filter(String s, bool typed);
  void DoUndo();
  void SetSel(int anchor, int caret, bool scroll);
  void SetText(const String& s);
  bool Copy();
  void Cut();
  void Paste();
  void Clear();
  int WordLeft(int i) const;
  int WordRight(int i) const;

  // View
  void ScrollTo(int top, int xoff);
  void ScrollCaret();
  void UpdateScrollInfo();
  void Invalidate();
  void UpdateCaret();
  void Notify(UINT code) { SendCommandNotify(H, code); }

  // Input
  void KeyDown(WPARAM vk);
  void Char(char16_t c);
  void MouseDown(TPoint p, bool shift);
  void MouseMove(TPoint p);
  void EndDrag();
  void DragTick();
  void ContextMenu(LPARAM lp);
  LRESULT VScroll(int code, int thumb);
  LRESULT HScroll(int code, int thumb);

  // Painting
  HBRUSH ControlBrush(HDC dc);
  void Paint(HDC dc);
  void PaintLine(HDC dc, int line, int y);
};

TNativeControls<Edit>& Edits() {
  static TNativeControls<Edit> m;
  return m;
}

// ---------------------------------------------------------------------------
// Measuring

void Edit::SetFont(HFONT f) {
  Font = f;
  if (!Mem) Mem = CreateCompatibleDC(nullptr);
  SelectObject(Mem, f ? static_cast<HGDIOBJ>(f) : GetStockObject(SYSTEM_FONT));
  TEXTMETRICW tm;
  if (GetTextMetricsW(Mem, &tm)) {
    LineH = std::max<int>(1, tm.tmHeight);
    AveW = std::max<int>(1, tm.tmAveCharWidth);
  }
  if (!MarginsSet) LeftM = RightM = FontMargin();
  Ascii.fill(-1);
  Others.clear();
}

int Edit::CharW(char16_t c) {
  if (c < 128 && Ascii[c] >= 0) return Ascii[c];
  if (c >= 128) {
    auto it = Others.find(c);
    if (it != Others.end()) return it->second;
  }
  SIZE sz;
  int w = GetTextExtentPoint32W(Mem, &c, 1, &sz) ? sz.cx : AveW;
  if (c < 128) Ascii[c] = w;
  else Others[c] = w;
  return w;
}

int Edit::TabW(int x) {
  if (Tabs.empty()) {
    int step = std::max(1, AveW * 8);
    return step - x % step;
  }
  for (int t : Tabs)
    if (t > x) return t - x;
  // Past the last stop the stops repeat at the last one's distance.
  int step = std::max(1, Tabs.size() > 1 ? Tabs.back() - Tabs[Tabs.size() - 2] : Tabs.back());
  return step - (x - Tabs.back()) % step;
}

// ---------------------------------------------------------------------------
// Layout

void Edit::FormatRect() {
  if (FmtSet) return;
  RECT cr;
  GetClientRect(H, &cr);
  Fmt = cr;
  Fmt.Left += LeftM;
  Fmt.Right -= RightM;
  if (Fmt.Right < Fmt.Left) Fmt.Right = Fmt.Left;
  if (!Multi) {
    // A single line sits at the top, as high as the font.
    Fmt.Bottom = std::max<int>(Fmt.Top + LineH, cr.Bottom);
  }
}

void Edit::Layout() {
  Lines.clear();
  Widest = 0;
  int n = Len();
  if (!Multi) {
    Line l{0, n, false, WidthOf(0, n)};
    Widest = l.Width;
    Lines.push_back(l);
    return;
  }
  int width = FmtW();
  int p = 0;
  while (true) {
    int e = p;
    while (e < n && !(Text[size_t(e)] == u'\r' && e + 1 < n && Text[size_t(e) + 1] == u'\n')) ++e;
    bool hard = e < n;
    if (!Wrap) {
      Line l{p, e - p, hard, WidthOf(p, e)};
      Widest = std::max(Widest, l.Width);
      Lines.push_back(l);
    } else {
      int q = p;
      while (true) {
        int x = 0, i = q, lastBreak = -1;
        while (i < e) {
          int w = AdvanceAt(i, x);
          if (x + w > width && i > q) break;
          x += w;
          if (IsBlank(Text[size_t(i)])) lastBreak = i + 1;
          ++i;
        }
        if (i >= e) {
          Lines.push_back({q, e - q, hard, x});
          Widest = std::max(Widest, x);
          break;
        }
        int brk = lastBreak > q ? lastBreak : i;
        // Blanks after the break hang at the end of the line.
        while (brk < e && Text[size_t(brk)] == u' ') ++brk;
        if (brk >= e) {
          Lines.push_back({q, e - q, hard, WidthOf(q, e)});
          break;
        }
        int w = WidthOf(q, brk);
        Lines.push_back({q, brk - q, false, w});
        Widest = std::max(Widest, std::min(w, width));
        q = brk;
      }
    }
    if (!hard) break;
    p = e + 2;
  }
}

int Edit::LineOf(int index) const {
  auto it = std::upper_bound(Lines.begin(), Lines.end(), index,
                             [](int v, const Line& l) { return v < l.Start; });
  return std::max(0, int(it - Lines.begin()) - 1);
}

int Edit::AlignOff(const Line& l) const {
  DWORD a = Style() & (ES_CENTER | ES_RIGHT);
  if (a == ES_LEFT) return 0;
  int room = FmtW() - l.Width;
  if (room <= 0) return 0;
  return a == ES_RIGHT ? room : room / 2;
}

int Edit::XInLine(int line, int index) {
  const Line& l = Lines[size_t(line)];
  return WidthOf(l.Start, std::min(index, l.Start + l.Len));
}

TPoint Edit::PosOf(int index) {
  int line = LineOf(index);
  const Line& l = Lines[size_t(line)];
  return TPoint(Fmt.Left + AlignOff(l) + XInLine(line, index) - XOff, Fmt.Top + (line - Top) * LineH);
}

int Edit::IndexAtX(int line, int x) {
  const Line& l = Lines[size_t(line)];
  int cx = 0;
  int end = l.Start + l.Len;
  // A soft-wrapped line's last blank belongs to it, but the caret stays
  // before it, so a click there does not land on the next line.
  if (!l.Hard && line + 1 < int(Lines.size()) && l.Len > 0) --end;
  for (int i = l.Start; i < end; ++i) {
    int w = AdvanceAt(i, cx);
    if (x < cx + (w + 1) / 2) return i;
    cx += w;
  }
  return end;
}

int Edit::IndexAt(TPoint p, bool clampToView) {
  int line = p.Y < Fmt.Top ? Top - 1 - (Fmt.Top - p.Y - 1) / LineH : Top + (p.Y - Fmt.Top) / LineH;
  if (clampToView) line = std::clamp(line, Top, Top + Visible() - 1);
  line = std::clamp(line, 0, int(Lines.size()) - 1);
  return IndexAtX(line, p.X - Fmt.Left + XOff - AlignOff(Lines[size_t(line)]));
}

// Never between the CR and the LF of a line break.
int Edit::SnapIndex(int i) const {
  i = std::clamp(i, 0, Len());
  if (i > 0 && i < Len() && Text[size_t(i) - 1] == u'\r' && Text[size_t(i)] == u'\n') --i;
  return i;
}

// ---------------------------------------------------------------------------
// View

void Edit::UpdateScrollInfo() {
  // SIF_DISABLENOSCROLL keeps a bar that has nothing to scroll, disabled,
  // instead of taking WS_VSCROLL / WS_HSCROLL away.
  if (HasV) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = std::max(0, int(Lines.size()) - 1);
    si.nPage = UINT(Visible());
    si.nPos = Top;
    SetScrollInfo(H, SB_VERT, &si, Redraw);
  }
  if (HasH) {
    SCROLLINFO si;
    si.fMask = SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL;
    si.nMin = 0;
    si.nMax = Widest;
    si.nPage = UINT(FmtW());
    si.nPos = XOff;
    SetScrollInfo(H, SB_HORZ, &si, Redraw);
  }
}

void Edit::Invalidate() {
  if (Redraw) InvalidateRect(H, nullptr, true);
}

void Edit::UpdateCaret() {
  if (!Focused) return;
  TPoint p = PosOf(Caret);
  SetCaretPos(p.X, p.Y);
}

void Edit::ScrollTo(int top, int xoff) {
  if (Multi) top = std::clamp(top, 0, std::max(0, int(Lines.size()) - Visible()));
  else top = 0;
  xoff = std::max(0, xoff);
  if (!HScrolls()) xoff = 0;
  bool v = top != Top, h = xoff != XOff;
  if (!v && !h) return;
  // The parent hears of it first: it may switch redraw off for the move.
  if (v) Notify(EN_VSCROLL);
  if (Dead) return;
  if (h) Notify(EN_HSCROLL);
  if (Dead) return;
  Top = top;
  XOff = xoff;
  UpdateScrollInfo();
  Invalidate();
  UpdateCaret();
}

void Edit::ScrollCaret() {
  int line = LineOf(Caret);
  int top = Top;
  if (Multi) {
    if (line < top) top = line;
    else if (line >= top + Visible()) top = line - Visible() + 1;
  }
  int xoff = XOff;
  if (HScrolls()) {
    const Line& l = Lines[size_t(line)];
    int x = AlignOff(l) + XInLine(line, Caret);
    int w = FmtW();
    if (x < xoff) xoff = std::max(0, x - w / 4);
    else if (x >= xoff + w) xoff = x - w + std::max(1, w / 4);
  }
  ScrollTo(top, xoff);
}

// ---------------------------------------------------------------------------
// Editing

String Edit::Filter(String s, bool typed) {
  DWORD st = Style();
  if (st & ES_UPPERCASE) s = AnsiUpperCase(s);
  else if (st & ES_LOWERCASE) s = AnsiLowerCase(s);
  if (!Multi) {
    // One line: what comes after the first line break is dropped.
    size_t cut = s.find_first_of(u"\r\n");
    if (cut != String::npos) s.resize(cut);
  }
  (void)typed;
  return s;
}

// Replaces [from, to) with s; user edits honour the limit, read-only and
// the view limits of edits that do not scroll. Returns whether the text
// changed. Notifications: EN_UPDATE after formatting, EN_CHANGE after the
// display, as the platform sends them.
bool Edit::Replace(int from, int to, String s, bool user, bool undoable) {
  from = SnapIndex(from);
  to = SnapIndex(to);
  if (to < from) std::swap(from, to);
  s = Filter(std::move(s), user);
  long room = long(Limit) - (Len() - (to - from));
  if (long(s.size()) > room) {
    s.resize(size_t(std::max<long>(0, room)));
    // Never cut a line break in half.
    if (!s.empty() && s.back() == u'\r') s.pop_back();
    Notify(EN_MAXTEXT);
    if (Dead) return false;
  }
  if (s.empty() && from == to) return false;
  String oldText = Text;
  int oldA = Anchor, oldC = Caret;
  int oldTop = Top, oldX = XOff;
  Text.replace(size_t(from), size_t(to - from), s);
  Anchor = Caret = from + int(s.size());
  Layout();
  if (user) {
    // An edit that does not scroll refuses text beyond its view.
    bool over = Multi ? !(Style() & ES_AUTOVSCROLL) && int(Lines.size()) > Visible() && Lines.size() > 1
                      : !(Style() & ES_AUTOHSCROLL) && Widest > FmtW();
    if (over) {
      Text = oldText;
      Anchor = oldA;
      Caret = oldC;
      Layout();
      Notify(EN_MAXTEXT);
      return false;
    }
  }
  if (undoable) {
    if (!(user && TypingRun)) {
      UndoText = std::move(oldText);
      UndoAnchor = oldA;
      UndoCaret = oldC;
      CanUndo = true;
    }
  }
  Modified = true;
  WantX = -1;
  Top = std::min(Top, std::max(0, int(Lines.size()) - Visible()));
  Notify(EN_UPDATE);
  if (Dead) return true;
  int newTop = Top, newX = XOff;
  Top = oldTop;
  XOff = oldX;
  if (newTop != oldTop || newX != oldX) ScrollTo(newTop, newX);
  if (Dead) return true;
  ScrollCaret();
  if (Dead) return true;
  UpdateScrollInfo();
  Invalidate();
  UpdateCaret();
  Notify(EN_CHANGE);
  return true;
}

void Edit::DoUndo() {
  if (!CanUndo) return;
  String t = UndoText;
  int a = UndoAnchor, c = UndoCaret;
  UndoText = Text;
  UndoAnchor = Anchor;
  UndoCaret = Caret;
  TypingRun = false;
  Text = t;
  Layout();
  Anchor = std::min(a, Len());
  Caret = std::min(c, Len());
  Modified = true;
  Notify(EN_UPDATE);
  if (Dead) return;
  ScrollTo(std::min(Top, std::max(0, int(Lines.size()) - Visible())), XOff);
  if (Dead) return;
  ScrollCaret();
  if (Dead) return;
  UpdateScrollInfo();
  Invalidate();
  UpdateCaret();
  Notify(EN_CHANGE);
}

void Edit::SetSel(int anchor, int caret, bool scroll) {
  anchor = SnapIndex(anchor);
  caret = SnapIndex(caret);
  if (anchor == Anchor && caret == Caret) {
    if (scroll) ScrollCaret();
    return;
  }
  bool repaint = ShowsSelection() && (Anchor != Caret || anchor != caret);
  Anchor = anchor;
  Caret = caret;
  TypingRun = false;
  if (repaint) Invalidate();
  if (scroll) ScrollCaret();
  if (Dead) return;
  UpdateCaret();
}

void Edit::SetText(const String& s) {
  Text = Filter(s, false);
  Anchor = Caret = 0;
  CanUndo = false;
  TypingRun = false;
  Modified = false;
  WantX = -1;
  Layout();
  Notify(EN_UPDATE);
  if (Dead) return;
  ScrollTo(0, 0);
  if (Dead) return;
  UpdateScrollInfo();
  Invalidate();
  UpdateCaret();
  // A multi-line edit does not report WM_SETTEXT as a change.
  if (!Multi) Notify(EN_CHANGE);
}

bool Edit::Copy() {
  if (SelMin() == SelMax() || (Style() & ES_PASSWORD) || (PassChar && !Multi)) return false;
  String s = Text.substr(size_t(SelMin()), size_t(SelMax() - SelMin()));
  if (!OpenClipboard(H)) return false;
  EmptyClipboard();
  HGLOBAL g = GlobalAlloc(GMEM_MOVEABLE, (s.size() + 1) * sizeof(char16_t));
  if (g) {
    if (auto* p = static_cast<char16_t*>(GlobalLock(g))) {
      std::memcpy(p, s.c_str(), (s.size() + 1) * sizeof(char16_t));
      GlobalUnlock(g);
      SetClipboardData(CF_UNICODETEXT, g);
    } else {
      GlobalFree(g);
    }
  }
  CloseClipboard();
  return true;
}

void Edit::Cut() {
  if (ReadOnly() || !Copy()) return;
  TypingRun = false;
  ReplaceSel(String(), false, true);
}

void Edit::Paste() {
  if (ReadOnly()) return;
  String s;
  if (!OpenClipboard(H)) return;
  if (HANDLE g = GetClipboardData(CF_UNICODETEXT)) {
    size_t bytes = GlobalSize(g);
    if (auto* p = static_cast<const char16_t*>(GlobalLock(g))) {
      // Read to the terminator or the end of the block, never past it.
      size_t n = 0, max = bytes / sizeof(char16_t);
      while (n < max && p[n]) ++n;
      s.assign(p, n);
      GlobalUnlock(g);
    }
  }
  CloseClipboard();
  TypingRun = false;
  ReplaceSel(s, true, true);
  TypingRun = false;
}

void Edit::Clear() {
  if (ReadOnly() || SelMin() == SelMax()) return;
  TypingRun = false;
  ReplaceSel(String(), false, true);
}

int Edit::WordLeft(int i) const {
  while (i > 0 && !IsWordChar(Text[size_t(i) - 1])) --i;
  while (i > 0 && IsWordChar(Text[size_t(i) - 1])) --i;
  return i;
}

int Edit::WordRight(int i) const {
  int n = Len();
  while (i < n && IsWordChar(Text[size_t(i)])) ++i;
  while (i < n && !IsWordChar(Text[size_t(i)])) ++i;
  return i;
}

// ---------------------------------------------------------------------------
// Keyboard

void Edit::KeyDown(WPARAM vk) {
  bool shift = GetKeyState(VK_SHIFT) < 0, ctrl = GetKeyState(VK_CONTROL) < 0;
  int line = LineOf(Caret);
  int to = Caret;
  bool keepX = false;
  switch (vk) {
    case VK_LEFT:
      if (!shift && Anchor != Caret) to = SelMin();
      else to = ctrl ? WordLeft(Caret) : Caret - (Caret >= 2 && Text[size_t(Caret) - 2] == u'\r' && Text[size_t(Caret) - 1] == u'\n' ? 2 : 1);
      break;
    case VK_RIGHT:
      if (!shift && Anchor != Caret) to = SelMax();
      else to = ctrl ? WordRight(Caret) : Caret + (Caret + 1 < Len() && Text[size_t(Caret)] == u'\r' && Text[size_t(Caret) + 1] == u'\n' ? 2 : 1);
      break;
    case VK_UP:
    case VK_DOWN:
    case VK_PRIOR:
    case VK_NEXT: {
      if (!Multi) {
        to = (vk == VK_UP || vk == VK_PRIOR) ? (vk == VK_UP ? Caret - 1 : 0) : (vk == VK_DOWN ? Caret + 1 : Len());
        break;
      }
      int step = (vk == VK_UP || vk == VK_DOWN) ? 1 : Visible();
      int dir = (vk == VK_UP || vk == VK_PRIOR) ? -1 : 1;
      int target = std::clamp(line + dir * step, 0, int(Lines.size()) - 1);
      if (WantX < 0) WantX = XInLine(line, Caret) + AlignOff(Lines[size_t(line)]);
      to = IndexAtX(target, WantX - AlignOff(Lines[size_t(target)]));
      keepX = true;
      if (step > 1) ScrollTo(Top + dir * step, XOff);
      if (Dead) return;
      break;
    }
    case VK_HOME:
      to = ctrl ? 0 : Lines[size_t(line)].Start;
      break;
    case VK_END: {
      const Line& l = Lines[size_t(line)];
      to = ctrl ? Len() : (!l.Hard && line + 1 < int(Lines.size()) && l.Len > 0 ? l.Start + l.Len - 1 : l.Start + l.Len);
      break;
    }
    case VK_DELETE:
      if (ReadOnly()) return;
      if (shift) {
        Cut();
        return;
      }
      TypingRun = false;
      if (Anchor != Caret) {
        ReplaceSel(String(), false, true);
      } else if (Caret < Len()) {
        int end = Caret + (Caret + 1 < Len() && Text[size_t(Caret)] == u'\r' && Text[size_t(Caret) + 1] == u'\n' ? 2 : 1);
        Replace(Caret, end, String(), false, true);
      }
      return;
    case VK_INSERT:
      if (shift) Paste();
      else if (ctrl) Copy();
      return;
    default:
      return;
  }
  if (!keepX) WantX = -1;
  int want = WantX;
  SetSel(shift ? Anchor : to, to, true);
  if (keepX) WantX = want;
}

void Edit::Char(char16_t c) {
  switch (c) {
    case 0x03:  // Ctrl+C
      Copy();
      return;
    case 0x18:  // Ctrl+X
      Cut();
      return;
    case 0x16:  // Ctrl+V
      Paste();
      return;
    case 0x1A:  // Ctrl+Z
      if (!ReadOnly()) DoUndo();
      return;
    case 0x01:  // Ctrl+A
      SetSel(0, Len(), false);
      return;
    case 0x08: {  // Backspace
      if (ReadOnly()) return;
      TypingRun = false;
      if (Anchor != Caret) {
        ReplaceSel(String(), false, true);
      } else if (Caret > 0) {
        int from = Caret - (Caret >= 2 && Text[size_t(Caret) - 2] == u'\r' && Text[size_t(Caret) - 1] == u'\n' ? 2 : 1);
        Replace(from, Caret, String(), false, true);
      }
      return;
    }
    case 0x7F: {  // Ctrl+Backspace: the word before the caret
      if (ReadOnly()) return;
      TypingRun = false;
      if (Anchor == Caret) Replace(WordLeft(Caret), Caret, String(), false, true);
      else ReplaceSel(String(), false, true);
      return;
    }
    case u'\r':
      if (!Multi || ReadOnly()) return;
      TypingRun = false;
      ReplaceSel(u"\r\n", true, true);
      return;
    case u'\t':
      if (!Multi || ReadOnly()) return;
      break;
    default:
      if (c < 0x20) return;
      break;
  }
  if (ReadOnly()) return;
  if ((Style() & ES_NUMBER) && !(c >= u'0' && c <= u'9')) return;
  // Characters typed one after another undo together.
  TypingRun = TypingRun && Anchor == Caret;
  ReplaceSel(String(1, c), true, true);
  TypingRun = true;
}

// ---------------------------------------------------------------------------
// Mouse

void Edit::MouseDown(TPoint p, bool shift) {
  if (GetFocus() != H) SetFocus(H);
  if (Dead) return;
  int i = IndexAt(p, false);
  WantX = -1;
  SetSel(shift ? Anchor : i, i, true);
  if (Dead) return;
  Dragging = true;
  SetCapture(H);
  SetTimer(H, kDragTimer, kDragTimerMs, nullptr);
}

void Edit::MouseMove(TPoint p) {
  if (!Dragging) return;
  SetSel(Anchor, IndexAt(p, true), false);
}

void Edit::EndDrag() {
  if (!Dragging) return;
  Dragging = false;
  KillTimer(H, kDragTimer);
  if (GetCapture() == H) ReleaseCapture();
}

// While the button is held outside the view, the view follows the pointer
// one line (or a few characters) per tick and the selection with it.
void Edit::DragTick() {
  POINT pt;
  GetCursorPos(&pt);
  ScreenToClient(H, &pt);
  TPoint p(pt.X, pt.Y);
  int top = Top, xoff = XOff;
  if (Multi && p.Y < Fmt.Top) --top;
  else if (Multi && p.Y >= Fmt.Bottom) ++top;
  if (HScrolls() && p.X < Fmt.Left) xoff -= AveW * 2;
  else if (HScrolls() && p.X >= Fmt.Right) xoff += AveW * 2;
  if (top == Top && xoff == XOff) return;
  ScrollTo(top, std::min(xoff, std::max(0, Widest - FmtW() + 1)));
  if (Dead) return;
  SetSel(Anchor, IndexAt(p, true), false);
}

void Edit::ContextMenu(LPARAM lp) {
  TPoint at(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
  if (at.X == -1 && at.Y == -1) {
    POINT p(PosOf(Caret).X, PosOf(Caret).Y + LineH);
    ClientToScreen(H, &p);
    at = TPoint(p.X, p.Y);
  }
  if (GetFocus() != H) SetFocus(H);
  if (Dead) return;
  bool ro = ReadOnly(), sel = Anchor != Caret, secret = (PassChar && !Multi);
  HMENU m = CreatePopupMenu();
  auto item = [&](UINT id, const char16_t* text, bool on) {
    AppendMenuW(m, MF_STRING | (on ? MF_ENABLED : MF_GRAYED), id, text);
  };
  item(EditMenuUndo, u"&Undo", CanUndo && !ro);
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  item(EditMenuCut, u"Cu&t", sel && !ro && !secret);
  item(EditMenuCopy, u"&Copy", sel && !secret);
  item(EditMenuPaste, u"&Paste", !ro && IsClipboardFormatAvailable(CF_UNICODETEXT));
  item(EditMenuDelete, u"&Delete", sel && !ro);
  AppendMenuW(m, MF_SEPARATOR, 0, nullptr);
  item(EditMenuSelectAll, u"Select &All", Len() > 0 && SelMax() - SelMin() < Len());
  int cmd = TrackPopupMenuEx(m, TPM_RETURNCMD | TPM_NONOTIFY | TPM_RIGHTBUTTON, at.X, at.Y, H, nullptr);
  DestroyMenu(m);
  if (Dead || cmd == 0) return;
  if (UINT(cmd) == EditMenuSelectAll) SetSel(0, Len(), false);
  else SendMessageW(H, UINT(cmd), 0, 0);
}

LRESULT Edit::VScroll(int code, int thumb) {
  if (!Multi) return 0;
  int top = Top;
  switch (code) {
    case SB_LINEUP: --top; break;
    case SB_LINEDOWN: ++top; break;
    case SB_PAGEUP: top -= std::max(1, Visible() - 1); break;
    case SB_PAGEDOWN: top += std::max(1, Visible() - 1); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: top = thumb; break;
    case SB_TOP: top = 0; break;
    case SB_BOTTOM: top = int(Lines.size()); break;
    default: return 0;
  }
  int before = Top;
  ScrollTo(top, XOff);
  return Top - before;
}

LRESULT Edit::HScroll(int code, int thumb) {
  int x = XOff;
  int maxX = std::max(0, Widest - FmtW());
  switch (code) {
    case SB_LINELEFT: x -= AveW; break;
    case SB_LINERIGHT: x += AveW; break;
    case SB_PAGELEFT: x -= std::max(1, FmtW()); break;
    case SB_PAGERIGHT: x += std::max(1, FmtW()); break;
    case SB_THUMBPOSITION:
    case SB_THUMBTRACK: x = thumb; break;
    case SB_LEFT: x = 0; break;
    case SB_RIGHT: x = maxX; break;
    default: return 0;
  }
  ScrollTo(Top, std::clamp(x, 0, std::max(maxX, XOff)));
  return 0;
}

// ---------------------------------------------------------------------------
// Painting

HBRUSH Edit::ControlBrush(HDC dc) {
  bool plain = ReadOnly() || !IsWindowEnabled(H);
  UINT msg = plain ? WM_CTLCOLORSTATIC : WM_CTLCOLOREDIT;
  HWND parent = GetParent(H);
  LRESULT r = parent ? SendMessageW(parent, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(H)) : 0;
  if (!r) r = DefWindowProcW(H, msg, reinterpret_cast<WPARAM>(dc), reinterpret_cast<LPARAM>(H));
  if (!IsWindowEnabled(H)) SetTextColor(dc, GetSysColor(COLOR_GRAYTEXT));
  return reinterpret_cast<HBRUSH>(r);
}

void Edit::PaintLine(HDC dc, int line, int y) {
  const Line& l = Lines[size_t(line)];
  int n = l.Len;
  String shown(size_t(n), u' ');
  std::vector<int> dx(static_cast<size_t>(n));
  int cx = 0;
  for (int i = 0; i < n; ++i) {
    int idx = l.Start + i;
    char16_t c = Text[size_t(idx)];
    int w = AdvanceAt(idx, cx);
    shown[size_t(i)] = (!Multi && PassChar) ? PassChar : (c == u'\t' ? u' ' : c);
    dx[size_t(i)] = w;
    cx += w;
  }
  int x0 = Fmt.Left + AlignOff(l) - XOff;
  int s = ShowsSelection() ? std::clamp(SelMin() - l.Start, 0, n) : 0;
  int e = ShowsSelection() ? std::clamp(SelMax() - l.Start, 0, n) : 0;
  auto xAt = [&](int i) {
    int x = x0;
    for (int k = 0; k < i; ++k) x += dx[size_t(k)];
    return x;
  };
  auto run = [&](int a, int b) {
    if (b > a) ExtTextOutW(dc, xAt(a), y, 0, nullptr, shown.c_str() + a, UINT(b - a), dx.data() + a);
  };
  run(0, s);
  run(e, n);
  // The selection, and the line break when it is selected too.
  bool breakSelected = ShowsSelection() && l.Hard && SelMin() <= l.Start + n && SelMax() > l.Start + n;
  if (e > s || breakSelected) {
    COLORREF oldText = SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
    COLORREF oldBk = SetBkColor(dc, GetSysColor(COLOR_HIGHLIGHT));
    int oldMode = SetBkMode(dc, OPAQUE);
    int right = xAt(e) + (breakSelected ? std::max(2, AveW / 2) : 0);
    RECT r{xAt(s), y, right, y + LineH};
    ExtTextOutW(dc, xAt(s), y, ETO_OPAQUE, &r, shown.c_str() + s, UINT(e - s), dx.data() + s);
    SetBkMode(dc, oldMode);
    SetBkColor(dc, oldBk);
    SetTextColor(dc, oldText);
  }
}

void Edit::Paint(HDC dc) {
  int saved = SaveDC(dc);
  HBRUSH br = ControlBrush(dc);
  RECT cr;
  GetClientRect(H, &cr);
  if (br && br != GetStockObject(NULL_BRUSH)) FillRect(dc, &cr, br);
  SelectObject(dc, Font ? static_cast<HGDIOBJ>(Font) : GetStockObject(SYSTEM_FONT));
  SetTextAlign(dc, TA_LEFT | TA_TOP);
  IntersectClipRect(dc, Fmt.Left, Fmt.Top, Fmt.Right, Fmt.Bottom);
  int last = std::min(int(Lines.size()) - 1, Top + Visible());
  for (int i = Top; i <= last; ++i) PaintLine(dc, i, Fmt.Top + (i - Top) * LineH);
  RestoreDC(dc, saved);
}

// ---------------------------------------------------------------------------
// Messages

LRESULT Edit::Proc(UINT msg, WPARAM wp, LPARAM lp) {
  switch (msg) {
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lp);
      DWORD st = DWORD(cs->style);
      Multi = (st & ES_MULTILINE) != 0;
      if (st & WS_HSCROLL) st |= ES_AUTOHSCROLL;
      if (Multi && (st & ES_PASSWORD)) st &= ~ES_PASSWORD;
      Wrap = Multi && !(st & ES_AUTOHSCROLL);
      HasV = (st & WS_VSCROLL) != 0;
      HasH = (st & WS_HSCROLL) != 0;
      if (!Multi && (st & ES_PASSWORD)) PassChar = u'*';
      SetFont(nullptr);
      LRESULT r = DefWindowProcW(H, msg, wp, lp);
      SetWindowLongW(H, GWL_STYLE, LONG(st));
      Text = Filter(reinterpret_cast<uintptr_t>(cs->lpszName) >= 0x10000 ? String(cs->lpszName) : String(), false);
      return r;
    }
    case WM_CREATE:
      FormatRect();
      Layout();
      UpdateScrollInfo();
      return 0;
    case WM_SIZE:
      FormatRect();
      Layout();
      ScrollTo(Top, XOff);
      if (Dead) return 0;
      UpdateScrollInfo();
      Invalidate();
      UpdateCaret();
      return 0;
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char16_t*>(lp);
      int size = int(wp);
      if (!buf || size <= 0) return 0;
      String t = Text;
      if (FmtLines && Wrap) {
        // Soft breaks show as CR CR LF.
        t.clear();
        for (size_t i = 0; i < Lines.size(); ++i) {
          t.append(Text, size_t(Lines[i].Start), size_t(Lines[i].Len));
          if (Lines[i].Hard) t += u"\r\n";
          else if (i + 1 < Lines.size()) t += u"\r\r\n";
        }
      }
      int n = std::min(size - 1, int(t.size()));
      std::memcpy(buf, t.data(), size_t(n) * sizeof(char16_t));
      buf[n] = 0;
      return n;
    }
    case WM_GETTEXTLENGTH:
      return Len();
    case WM_SETTEXT: {
      auto* s = reinterpret_cast<const char16_t*>(lp);
      DefWindowProcW(H, msg, wp, lp);
      SetText(s ? String(s) : String());
      return 1;
    }
    case WM_SETFONT:
      SetFont(reinterpret_cast<HFONT>(wp));
      FormatRect();
      Layout();
      ScrollTo(Top, XOff);
      if (Dead) return 0;
      UpdateScrollInfo();
      if (Focused) {
        DestroyCaret();
        CreateCaret(H, nullptr, 1, LineH);
        ShowCaret(H);
      }
      UpdateCaret();
      if (lp) Invalidate();
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(Font);
    case WM_SETFOCUS: {
      Focused = true;
      UINT cw = 1;
      SystemParametersInfoW(SPI_GETCARETWIDTH, 0, &cw, 0);
      CreateCaret(H, nullptr, int(std::max<UINT>(1, cw)), LineH);
      UpdateCaret();
      ShowCaret(H);
      if (Anchor != Caret && !(Style() & ES_NOHIDESEL)) Invalidate();
      Notify(EN_SETFOCUS);
      return 0;
    }
    case WM_KILLFOCUS:
      Focused = false;
      EndDrag();
      DestroyCaret();
      if (Anchor != Caret && !(Style() & ES_NOHIDESEL)) Invalidate();
      Notify(EN_KILLFOCUS);
      return 0;
    case WM_ENABLE:
      Invalidate();
      return 0;
    case WM_STYLECHANGED:
      Invalidate();
      return 0;
    case WM_SETREDRAW:
      Redraw = wp != 0;
      DefWindowProcW(H, msg, wp, lp);
      if (Redraw) UpdateScrollInfo();
      return 0;
    case WM_GETDLGCODE: {
      LRESULT r = DLGC_WANTCHARS | DLGC_HASSETSEL | DLGC_WANTARROWS;
      if (Multi) r |= DLGC_WANTALLKEYS;
      return r;
    }
    case WM_KEYDOWN:
      KeyDown(wp);
      return 0;
    case WM_CHAR:
      Char(char16_t(wp));
      return 0;
    case WM_LBUTTONDOWN:
      MouseDown(TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), (wp & MK_SHIFT) != 0);
      return 0;
    case WM_LBUTTONDBLCLK: {
      if (GetFocus() != H) SetFocus(H);
      if (Dead) return 0;
      int i = IndexAt(TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)), false);
      int a = i, b = i;
      if (i < Len() && IsWordChar(Text[size_t(i)])) {
        while (a > 0 && IsWordChar(Text[size_t(a) - 1])) --a;
        while (b < Len() && IsWordChar(Text[size_t(b)])) ++b;
      } else if (i > 0 && IsWordChar(Text[size_t(i) - 1])) {
        while (a > 0 && IsWordChar(Text[size_t(a) - 1])) --a;
      }
      SetSel(a, b, true);
      return 0;
    }
    case WM_MOUSEMOVE:
      MouseMove(TPoint(GET_X_LPARAM(lp), GET_Y_LPARAM(lp)));
      return 0;
    case WM_LBUTTONUP:
      EndDrag();
      return 0;
    case WM_CAPTURECHANGED:
      if (reinterpret_cast<HWND>(lp) != H) {
        Dragging = false;
        KillTimer(H, kDragTimer);
      }
      return 0;
    case WM_TIMER:
      if (wp == kDragTimer && Dragging) DragTick();
      return 0;
    case WM_MOUSEWHEEL: {
      if (!Multi) return 0;
      UINT lines = 3;
      SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
      int notches = int(int16_t(HIWORD(wp))) / WHEEL_DELTA;
      if (lines == 0xFFFFFFFF) VScroll(notches > 0 ? SB_PAGEUP : SB_PAGEDOWN, 0);
      else ScrollTo(Top - notches * int(lines), XOff);
      return 0;
    }
    case WM_CONTEXTMENU:
      ContextMenu(lp);
      return 0;
    case WM_VSCROLL:
      VScroll(LOWORD(wp), int(int16_t(HIWORD(wp))));
      return 0;
    case WM_HSCROLL:
      HScroll(LOWORD(wp), int(HIWORD(wp)));
      return 0;
    case WM_ERASEBKGND: {
      HDC dc = reinterpret_cast<HDC>(wp);
      if (!dc) return 0;
      int saved = SaveDC(dc);
      HBRUSH br = ControlBrush(dc);
      RestoreDC(dc, saved);
      RECT cr;
      GetClientRect(H, &cr);
      if (br && br != GetStockObject(NULL_BRUSH)) FillRect(dc, &cr, br);
      return 1;
    }
    case WM_PAINT: {
      HDC dc = reinterpret_cast<HDC>(wp);
      PAINTSTRUCT ps;
      bool own = !dc;
      if (own) dc = BeginPaint(H, &ps);
      if (Focused) HideCaret(H);
      Paint(dc);
      if (Focused) ShowCaret(H);
      if (own) EndPaint(H, &ps);
      return 0;
    }
    case WM_CUT:
      Cut();
      return 0;
    case WM_COPY:
      Copy();
      return 0;
    case WM_PASTE:
      Paste();
      return 0;
    case WM_CLEAR:
      Clear();
      return 0;
    case WM_UNDO:
    case EM_UNDO:
      if (ReadOnly() || !CanUndo) return 0;
      DoUndo();
      return 1;
    case EM_CANUNDO:
      return CanUndo ? 1 : 0;
    case EM_EMPTYUNDOBUFFER:
      CanUndo = false;
      TypingRun = false;
      UndoText.clear();
      return 0;
    case EM_GETSEL: {
      if (wp) *reinterpret_cast<DWORD*>(wp) = DWORD(SelMin());
      if (lp) *reinterpret_cast<DWORD*>(lp) = DWORD(SelMax());
      if (SelMax() > 0xFFFF) return -1;
      return MAKELRESULT(SelMin(), SelMax());
    }
    case EM_SETSEL: {
      int s = int(intptr_t(wp)), e = int(lp);
      if (s == -1) {
        SetSel(Caret, Caret, false);
        return 0;
      }
      if (s < 0) s = Len();
      if (e < 0) e = Len();
      SetSel(std::min(s, Len()), std::min(e, Len()), false);
      return 0;
    }
    case EM_GETRECT:
      if (auto* r = reinterpret_cast<RECT*>(lp)) *r = Fmt;
      return 0;
    case EM_SETRECT:
    case EM_SETRECTNP: {
      if (auto* r = reinterpret_cast<const RECT*>(lp)) {
        FmtSet = true;
        Fmt = *r;
        if (Fmt.Right < Fmt.Left) Fmt.Right = Fmt.Left;
        if (Fmt.Bottom < Fmt.Top) Fmt.Bottom = Fmt.Top;
      } else {
        FmtSet = false;
        FormatRect();
      }
      Layout();
      ScrollTo(Top, XOff);
      if (Dead) return 0;
      UpdateScrollInfo();
      UpdateCaret();
      if (msg == EM_SETRECT) Invalidate();
      return 0;
    }
    case EM_SCROLL: {
      int before = Top;
      switch (wp) {
        case SB_LINEUP:
        case SB_LINEDOWN:
        case SB_PAGEUP:
        case SB_PAGEDOWN: VScroll(int(wp), 0); break;
        default: return 0;
      }
      return Dead ? 0 : MAKELRESULT(Top - before, 1);
    }
    case EM_LINESCROLL:
      if (!Multi) return 0;
      ScrollTo(Top + int(lp), XOff + int(intptr_t(wp)) * AveW);
      return 1;
    case EM_SCROLLCARET:
      ScrollCaret();
      return 1;
    case EM_GETMODIFY:
      return Modified ? 1 : 0;
    case EM_SETMODIFY:
      Modified = wp != 0;
      return 0;
    case EM_GETLINECOUNT:
      return Multi ? LRESULT(Lines.size()) : 1;
    case EM_LINEINDEX: {
      int line = int(intptr_t(wp));
      if (line < 0) line = LineOf(Caret);
      if (line >= int(Lines.size())) return -1;
      return Lines[size_t(line)].Start;
    }
    case EM_LINELENGTH: {
      int i = int(intptr_t(wp));
      if (i < 0) {
        if (Anchor == Caret) return 0;
        const Line& a = Lines[size_t(LineOf(SelMin()))];
        const Line& b = Lines[size_t(LineOf(SelMax()))];
        return (SelMin() - a.Start) + std::max(0, b.Start + b.Len - SelMax());
      }
      if (i > Len()) return 0;
      return Lines[size_t(LineOf(i))].Len;
    }
    case EM_LINEFROMCHAR: {
      int i = int(intptr_t(wp));
      if (i < 0) i = SelMin();
      return Multi ? LineOf(std::min(i, Len())) : 0;
    }
    case EM_GETLINE: {
      auto* buf = reinterpret_cast<char16_t*>(lp);
      int line = Multi ? int(wp) : 0;
      if (!buf || line < 0 || line >= int(Lines.size())) return 0;
      WORD size;
      std::memcpy(&size, buf, sizeof size);
      const Line& l = Lines[size_t(line)];
      int n = std::min<int>(size, l.Len);
      if (n > 0) std::memmove(buf, Text.data() + l.Start, size_t(n) * sizeof(char16_t));
      // Room left over takes a terminator, for callers that expect one.
      if (n < int(size)) buf[n] = 0;
      return n;
    }
    case EM_REPLACESEL: {
      auto* s = reinterpret_cast<const char16_t*>(lp);
      TypingRun = false;
      ReplaceSel(s ? String(s) : String(), false, wp != 0);
      return 0;
    }
    case EM_LIMITTEXT:
      Limit = wp ? UINT(wp) : EditMaxLimit;
      return 0;
    case EM_GETLIMITTEXT:
      return LRESULT(Limit);
    case EM_FMTLINES:
      FmtLines = wp != 0;
      return FmtLines ? 1 : 0;
    case EM_GETFIRSTVISIBLELINE:
      if (Multi) return Top;
      return IndexAtX(0, XOff);
    case EM_SETREADONLY: {
      DWORD st = Style();
      SetWindowLongW(H, GWL_STYLE, LONG(wp ? st | ES_READONLY : st & ~ES_READONLY));
      Invalidate();
      return 1;
    }
    case EM_SETPASSWORDCHAR: {
      if (Multi) return 0;
      PassChar = char16_t(wp);
      DWORD st = Style();
      SetWindowLongW(H, GWL_STYLE, LONG(PassChar ? st | ES_PASSWORD : st & ~ES_PASSWORD));
      Layout();
      ScrollCaret();
      if (Dead) return 0;
      UpdateScrollInfo();
      Invalidate();
      UpdateCaret();
      return 0;
    }
    case EM_GETPASSWORDCHAR:
      return PassChar;
    case EM_SETMARGINS: {
      int l = LOWORD(uintptr_t(lp)), r = HIWORD(uintptr_t(lp));
      if (wp & EC_LEFTMARGIN) LeftM = l == EC_USEFONTINFO ? FontMargin() : l;
      if (wp & EC_RIGHTMARGIN) RightM = r == EC_USEFONTINFO ? FontMargin() : r;
      MarginsSet = true;
      FmtSet = false;
      FormatRect();
      Layout();
      ScrollTo(Top, XOff);
      if (Dead) return 0;
      UpdateScrollInfo();
      Invalidate();
      UpdateCaret();
      return 0;
    }
    case EM_GETMARGINS:
      return MAKELRESULT(LeftM, RightM);
    case EM_POSFROMCHAR: {
      int i = int(intptr_t(wp));
      if (i < 0 || i > Len()) return -1;
      TPoint p = PosOf(i);
      return MAKELRESULT(p.X, p.Y);
    }
    case EM_CHARFROMPOS: {
      TPoint p(GET_X_LPARAM(lp), GET_Y_LPARAM(lp));
      int i = IndexAt(p, false);
      return MAKELRESULT(i, Multi ? LineOf(i) : 0);
    }
    case EM_SETTABSTOPS: {
      // Dialog units: a quarter of the average character width.
      int n = int(wp);
      auto* stops = reinterpret_cast<const int*>(lp);
      Tabs.clear();
      if (n == 1 && stops && stops[0] > 0) {
        int step = std::max(1, stops[0] * AveW / 4);
        for (int x = step; x < 32767 && Tabs.size() < 256; x += step) Tabs.push_back(x);
      } else if (n > 1 && stops) {
        for (int k = 0; k < n; ++k) {
          int x = stops[k] * AveW / 4;
          if (x > 0 && (Tabs.empty() || x > Tabs.back())) Tabs.push_back(x);
        }
      }
      Layout();
      UpdateScrollInfo();
      Invalidate();
      UpdateCaret();
      return 1;
    }
    case WM_NCDESTROY:
      EndDrag();
      return DefWindowProcW(H, msg, wp, lp);
    default:
      return DefWindowProcW(H, msg, wp, lp);
  }
}

LRESULT EditProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  return Edits().Dispatch(h, msg, wp, lp);
}

}  // namespace

void RegisterSystemControlClasses() {
  static std::once_flag once;
  std::call_once(once, [] {
    WNDCLASSEXW wc;
    wc.style = CS_DBLCLKS | CS_GLOBALCLASS;
    wc.lpfnWndProc = EditProc;
    wc.hCursor = LoadCursorW(nullptr, IDC_IBEAM);
    wc.lpszClassName = WC_EDIT;
    RegisterClassExW(&wc);
  });
  RegisterListBoxClass();
  RegisterComboBoxClass();
}

}  // namespace vcl
