// The library-drawn edit's model: text, selection, caret, the insert path
// and its filter, measuring and scrolling, keys, clipboard and the text
// messages.
#include "skin/controls/uQuarnEdit.h"

#include <algorithm>
#include <cstring>

#include "platform/rtl/SysUtils.h"
#include "platform/vcl/Clipbrd.h"
#include "platform/vcl/ControlMessages.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQnPix32Lib.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

bool IsHigh(Char C) { return C >= 0xD800 && C <= 0xDBFF; }
bool IsLow(Char C) { return C >= 0xDC00 && C <= 0xDFFF; }

// Cut S to at most N units; a cut between the halves of a pair goes one
// unit earlier, so no lone half is ever stored.
String CutUnits(const String& S, Integer N) {
  if (N <= 0) return String();
  if (Integer(S.size()) <= N) return S;
  Integer n = N;
  if (IsHigh(S[size_t(n - 1)]) && IsLow(S[size_t(n)])) --n;
  return S.substr(0, size_t(n));
}

constexpr Integer kDlgCode = 0x81;  // arrows and characters

}  // namespace

TQuarnPngEdit::TQuarnPngEdit(TComponent* AOwner) : TQuarnCustomControl(AOwner) {
  SetBounds(Left(), Top(), 120, 26);
  SetColor(static_cast<TColor>(0x00FFFFFF));
  SetCursor(crIBeam);
  SetTabStop(true);
  SetControlStyle(ControlStyle() + TControlStyle{csCaptureMouse, csClickEvents, csDoubleClicks});
  FFontHint = std::make_unique<TFont>();
  FFontHint->SetColor(static_cast<TColor>(0x00B2B2B2));
  FCursorTimer = std::make_unique<uSimpleTimer::TSimpleTimer>();
  FCursorTimer->SetInterval(500);
  FCursorTimer->SetEnabled(false);
  FCursorTimer->SetOnTimer(TNotifyEvent(this, &TQuarnPngEdit::DoBlink));
  FDefaultPopupMenu = new TPopupMenu(this);
  FDefaultPopupMenu->SetOnPopup(TNotifyEvent(this, &TQuarnPngEdit::DoDefaultPopupMenuPopupUp));
  FTips = new TQuarnEditTips(this);
  FItems = std::make_unique<TQnEditItems>(this);
  FItems->SetPropName(u"EdItems");
  FSpace = std::make_unique<TQnSpaceSize>();
  FSpace->SetLeft(4);
  FSpace->SetTop(6);
  FSpace->SetRight(4);
  FSpace->SetBottom(6);
  FSpace->SetOnChange(TNotifyEvent(this, &TQuarnPngEdit::SpaceChanged));
}

TQuarnPngEdit::~TQuarnPngEdit() {
  FCursorTimer.reset();
  FCheckItem = nullptr;
  FItems.reset();
}

// ---------------------------------------------------------------------------
// Context menu: rebuilt at every pop-up, so its enabled states are those of
// the moment it opens.

namespace {

enum : Integer { kMenuCut = 2, kMenuCopy = 3, kMenuPaste = 4, kMenuDelete = 5, kMenuLine = 0, kMenuSelectAll = 6 };

}  // namespace

void TQuarnPngEdit::DoDefaultPopupMenu(TPopupMenu* Menu) {
  if (!Menu) return;
  const bool chinese = GetSystemDefaultLCID() == 2052;
  const bool pasteable = Clipboard()->HasFormat(CF_UNICODETEXT) && !Clipboard()->AsText().empty();
  struct TEntry {
    Integer Tag;
    const char16_t* Caption;
    const char16_t* ChineseCaption;
    bool Enabled;
  };
  const TEntry entries[] = {
      {kMenuCut, u"Cut", u"\u526A\u5207", !FReadOnly},
      {kMenuCopy, u"Copy", u"\u590D\u5236", SelLength() >= 1},
      {kMenuPaste, u"Paste", u"\u7C98\u8D34", !FReadOnly && pasteable},
      {kMenuDelete, u"Delete", u"\u5220\u9664", !FReadOnly && SelLength() > 0},
      {kMenuLine, u"-", u"-", false},
      {kMenuSelectAll, u"Select All", u"\u5168\u9009", !FText.empty()},
  };
  Menu->Items()->Clear();
  for (const TEntry& e : entries) {
    auto* item = new TMenuItem(Menu);
    item->SetCaption(chinese ? e.ChineseCaption : e.Caption);
    item->SetTag(e.Tag);
    item->SetEnabled(e.Enabled);
    item->SetOnClick(TNotifyEvent(this, &TQuarnPngEdit::DefaultMenuItemClick));
    Menu->Items()->Add(item);
  }
}

void TQuarnPngEdit::DoDefaultPopupMenuPopupUp(TObject*) { DoDefaultPopupMenu(FDefaultPopupMenu); }

void TQuarnPngEdit::DefaultMenuItemClick(TObject* Sender) {
  auto* item = dynamic_cast<TMenuItem*>(Sender);
  if (!item) return;
  switch (item->Tag()) {
    case kMenuCut: CutToClipboard(); break;
    case kMenuCopy: CopyToClipboard(); break;
    case kMenuPaste: PasteFromClipboard(); break;
    case kMenuDelete: ClearSelection(); break;
    case kMenuSelectAll:
      SetSelStart(0);
      SetSelLength(Integer(FText.size()));
      break;
    default: break;
  }
}

TPopupMenu* TQuarnPngEdit::GetPopupMenu() { return PopupMenu() ? PopupMenu() : FDefaultPopupMenu; }

// ---------------------------------------------------------------------------
// Text and selection

Integer TQuarnPngEdit::GetMaxLength() { return FMaxLength; }

void TQuarnPngEdit::SetMaxLength(Integer Value) {
  FMaxLength = std::max(0, Value);
  if (FMaxLength > 0 && Integer(FText.size()) > FMaxLength) SetText(CutUnits(FText, FMaxLength));
}

void TQuarnPngEdit::SetText(const String& Value) {
  if (Value == FText) return;
  String v = FMaxLength >= 1 ? CutUnits(Value, FMaxLength) : Value;
  FText = TextHandle(v, true, true);
  FCursorPos = 0;
  FSelPoint1 = FSelPoint2 = 0;
  CalcFirstDisplayChar();
  Change();
  Invalidate();
}

void TQuarnPngEdit::Clear() { SetText(String()); }

void TQuarnPngEdit::SetSelStart(Integer Value) {
  const Integer v = std::clamp(Value, 0, Integer(FText.size()));
  FSelPoint1 = FSelPoint2 = v;
  Invalidate();
}

void TQuarnPngEdit::SetSelLength(Integer Value) {
  if (FReadOnly) return;
  const Integer start = SelStart();
  const Integer v = std::clamp(Value, 0, Integer(FText.size()) - start);
  // The larger point moves (the first one while they are equal).
  if (FSelPoint1 >= FSelPoint2) FSelPoint1 = start + v;
  else FSelPoint2 = start + v;
  Invalidate();
}

String TQuarnPngEdit::SelText() const {
  if (SelLength() == 0) return String();
  return FText.substr(size_t(SelStart()), size_t(SelLength()));
}

Integer TQuarnPngEdit::GetSelTextBuf(Char* Buffer, Integer BufSize) {
  const Integer n = std::min(BufSize, SelLength());
  if (!Buffer || n <= 0) return 0;
  const String sel = SelText();
  std::copy_n(sel.data(), size_t(n), Buffer);
  return n;
}

void TQuarnPngEdit::SelectAll() {
  SetSelStart(0);
  SetSelLength(Integer(FText.size()));
}

void TQuarnPngEdit::SetSelText(const String& Value) {
  if (FReadOnly) return;
  String s = TextHandle(Value, false, true);
  // What does not fit is cut from the inserted text, never from the text
  // after the caret.
  if (FMaxLength > 0) s = CutUnits(s, std::max(0, FMaxLength - (Integer(FText.size()) - SelLength())));
  Integer at = FCursorPos;
  if (SelLength() > 0) {
    at = SelStart();
    FText.erase(size_t(at), size_t(SelLength()));
  }
  at = std::clamp(at, 0, Integer(FText.size()));
  FText.insert(size_t(at), s);
  // The insert point stays put while the caret moves, so no selection
  // grows from it.
  FSelPoint1 = FSelPoint2 = at;
  const TShiftState shift = FShiftState;
  const TSet<TMouseButton> buttons = FMouseButtons;
  FShiftState = TShiftState();
  FMouseButtons = TSet<TMouseButton>();
  SetCursorPos(std::max(0, at + Integer(s.size())));
  FShiftState = shift;
  FMouseButtons = buttons;
  FSelPoint1 = FSelPoint2 = FCursorPos;
  if (FMaxLength > 0 && Integer(FText.size()) > FMaxLength) {
    FText = CutUnits(FText, FMaxLength);
    FCursorPos = std::min(FCursorPos, Integer(FText.size()));
    FSelPoint1 = FSelPoint2 = FCursorPos;
  }
  Change();
}

void TQuarnPngEdit::Change() {
  RestartBlink();
  Invalidate();
  if (Assigned(FOnChange)) FOnChange(this);
}

void TQuarnPngEdit::RestartBlink() {
  FCursorTimer->SetEnabled(false);
  FCursorShowing = true;
  if (Focused()) FCursorTimer->SetEnabled(true);
}

void TQuarnPngEdit::DoBlink(TObject*) {
  if (ComponentState().Contains(csDesigning)) return;
  if (!Focused()) {
    FCursorTimer->SetEnabled(false);
    FCursorShowing = false;
  } else {
    FCursorShowing = !FCursorShowing;
  }
  Invalidate();
}

void TQuarnPngEdit::SetCursorPos(Integer Value) {
  const Integer len = Integer(FText.size());
  Integer v = std::clamp(Value, 0, len);
  RestartBlink();
  const Integer old = FCursorPos;
  // Never between the halves of a pair: on past it moving right, back
  // before it moving left.
  if (v > 0 && v < len && IsHigh(FText[size_t(v - 1)]) && IsLow(FText[size_t(v)])) v += v >= old ? 1 : -1;
  FCursorPos = v;
  if (!FShiftState.Contains(ssShift) && !FMouseButtons.Contains(mbLeft)) {
    FSelPoint1 = FSelPoint2 = FCursorPos;
  } else {
    const Integer delta = FCursorPos - old;
    if (old == FSelPoint2) FSelPoint2 += delta;
    else FSelPoint1 += delta;
    FSelPoint1 = std::clamp(FSelPoint1, 0, len);
    FSelPoint2 = std::clamp(FSelPoint2, 0, len);
  }
  CalcFirstDisplayChar();
  Invalidate();
}

Integer TQuarnPngEdit::StepLeft(Integer Pos) const {
  if (Pos <= 0) return 0;
  if (Pos >= 2 && IsLow(FText[size_t(Pos - 1)]) && IsHigh(FText[size_t(Pos - 2)])) return Pos - 2;
  return Pos - 1;
}

Integer TQuarnPngEdit::StepRight(Integer Pos) const {
  const Integer len = Integer(FText.size());
  if (Pos >= len) return len;
  if (Pos + 1 < len && IsHigh(FText[size_t(Pos)]) && IsLow(FText[size_t(Pos + 1)])) return Pos + 2;
  return Pos + 1;
}

// ---------------------------------------------------------------------------
// Measuring and scrolling

TQuarnPngEdit::TCharAdvances* TQuarnPngEdit::Advances(bool Hint) {
  if (!SkinCachesEnabled()) return nullptr;
  TFont* font = Hint ? FFontHint.get() : Font();
  TCharAdvances* cache = &FAdvances[Hint ? 1 : 0];
  // Every property that shapes the glyphs; the colour does not. Compared
  // in place: this runs for every character of every paint.
  const TFontData& f = cache->Font;
  if (f.Height != font->Height() || f.Pitch != font->Pitch() || f.Style != font->Style() ||
      f.Charset != font->Charset() || f.Orientation != font->Orientation() || f.Quality != font->Quality() ||
      cache->PixelsPerInch != font->PixelsPerInch() || f.Name != font->Name()) {
    cache->Widths.clear();
    cache->Latin.fill(-1);
    cache->Height = -1;
    cache->Font.Name = font->Name();
    cache->Font.Height = font->Height();
    cache->Font.Pitch = font->Pitch();
    cache->Font.Style = font->Style();
    cache->Font.Charset = font->Charset();
    cache->Font.Orientation = font->Orientation();
    cache->Font.Quality = font->Quality();
    cache->PixelsPerInch = font->PixelsPerInch();
  }
  return cache;
}

TBitmap32* TQuarnPngEdit::Measurer(bool Hint) {
  if (!FMeasure) {
    FMeasure = std::make_unique<TBitmap32>();
    FMeasure->SetSize(1, 1);
  }
  FMeasure->Font()->Assign(Hint ? FFontHint.get() : Font());
  return FMeasure.get();
}

Integer TQuarnPngEdit::CharWidth(const Char* P, Integer Units, bool Hint) {
  return CharWidth(Advances(Hint), P, Units, Hint);
}

Integer TQuarnPngEdit::CharWidth(TCharAdvances* Cache, const Char* P, Integer Units, bool Hint) {
  TCharAdvances* cache = Cache;
  const char32_t key =
      Units == 2 ? 0x10000 + ((char32_t(P[0]) - 0xD800) << 10) + (char32_t(P[1]) - 0xDC00) : char32_t(P[0]);
  if (cache) {
    if (key < cache->Latin.size() && cache->Latin[key] >= 0) return cache->Latin[key];
    if (auto it = cache->Widths.find(key); it != cache->Widths.end()) return it->second;
  }
  const Integer w = Measurer(Hint)->TextWidthW(String(P, size_t(Units)));
  if (cache) {
    if (key < cache->Latin.size()) cache->Latin[key] = w;
    else cache->Widths.emplace(key, w);
  }
  return w;
}

Integer TQuarnPngEdit::Measure(const String& Text, bool Hint) {
  const bool pair = Text.size() == 2 && IsHigh(Text[0]) && IsLow(Text[1]);
  if (Text.size() == 1 || pair) return CharWidth(Text.data(), Integer(Text.size()), Hint);
  return Measurer(Hint)->TextWidthW(Text);
}

Integer TQuarnPngEdit::LineHeight(bool Hint) {
  TCharAdvances* cache = Advances(Hint);
  if (cache && cache->Height >= 0) return cache->Height;
  const Integer h = Measurer(Hint)->TextHeightW(u"Wg");
  if (cache) cache->Height = h;
  return h;
}

Integer TQuarnPngEdit::GetTextHeight() {
  if (!Parent()) return 12;
  return LineHeight(false);
}

Integer TQuarnPngEdit::GetTextHintHeight() {
  if (!Parent()) return 12;
  return LineHeight(true);
}

Integer TQuarnPngEdit::GetTextWidth(Integer Start, Integer Count, const String& Text) {
  if (!Parent()) return 0;
  const String& t = Text.empty() ? FText : Text;
  const Integer len = Integer(t.size());
  const Integer from = std::max(1, Start);
  if (from > len) return 0;
  const Integer n = std::clamp(Count, 0, len - from + 1);
  if (n == 0) return 0;
  if (!SkinCachesEnabled()) return Measure(t.substr(size_t(from - 1), size_t(n)));
  // A run is as wide as its characters together (the host lays no pair of
  // them closer than their advances), which the cache knows one by one.
  TCharAdvances* cache = Advances(false);
  Integer w = 0;
  for (Integer i = from - 1, end = from - 1 + n; i < end;) {
    const Integer units = i + 1 < end && IsHigh(t[size_t(i)]) && IsLow(t[size_t(i + 1)]) ? 2 : 1;
    w += CharWidth(cache, t.data() + i, units, false);
    i += units;
  }
  return w;
}

Integer TQuarnPngEdit::GetTextWidth(Integer Index, const String& Text) {
  if (!Parent()) return 0;
  const String& t = Text.empty() ? FText : Text;
  if (t.empty()) return 0;
  const Integer i = std::clamp(Index, 1, Integer(t.size()));
  return Measure(t.substr(size_t(i - 1), 1));
}

Integer TQuarnPngEdit::TextLeft() const {
  return FSpace->Active() ? FSpace->Left() + FLeftOffset : FLeftOffset + 8;
}

Integer TQuarnPngEdit::TextRight() const {
  return FSpace->Active() ? Width() - (FSpace->Right() + FRightOffset) : Width() - (FRightOffset + 8);
}

void TQuarnPngEdit::CalcFirstDisplayChar() {
  const Integer len = Integer(FText.size());
  if (len == 0) return;
  if (FCursorPos < FFirstDisplayChar) FFirstDisplayChar = std::max(FCursorPos, 1);
  const Integer m = FSpace->Active() ? FSpace->Left() + FSpace->Right() + FLeftOffset + FRightOffset
                                     : FLeftOffset + FRightOffset + 12;
  for (;;) {
    const Integer w = GetTextWidth(FFirstDisplayChar, FCursorPos - FFirstDisplayChar + 1, FText);
    if (w < Width() - m) break;
    const Integer at = FFirstDisplayChar - 1;
    const Integer step = (at + 1 < len && IsHigh(FText[size_t(at)]) && IsLow(FText[size_t(at + 1)])) ? 2 : 1;
    // An edit no wider than its margins fits nothing: the caret's own
    // character stays the first one shown.
    if (FFirstDisplayChar + step > FCursorPos) break;
    FFirstDisplayChar += step;
  }
  FFirstDisplayChar = std::clamp(FFirstDisplayChar, 1, len);
}

TPoint TQuarnPngEdit::HitTest(Integer X, Integer) {
  const Integer len = Integer(FText.size());
  if (len == 0) return TPoint(-1, 0);
  Integer x = TextLeft();
  const Integer r = TextRight();
  for (Integer i = FFirstDisplayChar - 1; i <= len; ++i) {
    x += GetTextWidth(i, FText);
    if (x >= X + 4) return TPoint(i, 0);
    if (x >= r) break;
  }
  return TPoint(len, 0);
}

// ---------------------------------------------------------------------------
// The input filter

String TQuarnPngEdit::TextHandle(const String& S, bool ClearFirst, bool Filter) {
  String s = S;
  for (Char& c : s) {
    if (FCharCase == ecUpperCase && c >= u'a' && c <= u'z') c = Char(c - 32);
    else if (FCharCase == ecLowerCase && c >= u'A' && c <= u'Z') c = Char(c + 32);
  }
  if (FTextKind == tkAll || !Filter) return s;
  if (ClearFirst) FText.clear();
  String cur = FText;
  const Integer start = std::clamp(SelStart(), 0, Integer(cur.size()));
  cur.erase(size_t(start), size_t(std::clamp(SelLength(), 0, Integer(cur.size()) - start)));
  const auto letter = [](Char c) { return (c >= u'A' && c <= u'Z') || (c >= u'a' && c <= u'z'); };
  const auto digit = [](Char c) { return c >= u'0' && c <= u'9'; };
  // A minus only leads the number, and only once.
  const auto minusRefused = [&] {
    return (!cur.empty() && FCursorPos > 0) || cur.find(u'-') != String::npos;
  };
  String result;
  switch (FTextKind) {
    case tkEN:
      for (Char c : s)
        if (letter(c)) result.push_back(c);
      break;
    case tkENandNum:
      for (Char c : s)
        if (letter(c) || digit(c) || c == u'-' || c == u'.') result.push_back(c);
      break;
    case tkNumInt: {
      Integer dummy;
      if (s != u"-" && !TryStrToInt(s, dummy)) break;
      for (Char c : s) {
        if (c == u'-') {
          if (minusRefused()) break;
          result.push_back(c);
        } else if (digit(c)) {
          result.push_back(c);
        }
      }
      break;
    }
    case tkNumReal: {
      // A lone point is no number to the conversion, yet typing one is how
      // a fraction starts; it passes like a lone minus.
      Extended dummy;
      if (s != u"-" && s != u"." && !TryStrToFloat(s, dummy)) break;
      const auto dots = std::count(s.begin(), s.end(), u'.');
      for (Char c : s) {
        if (c == u'-') {
          if (minusRefused()) break;
          result.push_back(c);
        } else if (c == u'.') {
          if ((cur.find(u'.') != String::npos && s.size() == 1) || dots >= 2) break;
          result.push_back(c);
        } else if (digit(c)) {
          result.push_back(c);
        }
      }
      break;
    }
    case tkAll: break;
  }
  return result;
}

void TQuarnPngEdit::SetCharCase(TEditCharCase Value) {
  if (FCharCase == Value) return;
  FCharCase = Value;
  FCharCaseChanged = true;
  Invalidate();
}

void TQuarnPngEdit::SetTextKind(TQnTextKind Value) {
  if (FTextKind == Value) return;
  FTextKind = Value;
  FTextKindChanged = true;
  Invalidate();
}

void TQuarnPngEdit::SetTextHint(const String& Value) {
  if (FTextHint == Value) return;
  FTextHint = Value;
  Invalidate();
}

void TQuarnPngEdit::SetBorderNormal(const TQnResID& Value) {
  if (FBorderNormal == Value) return;
  FBorderNormal = Value;
  Invalidate();
}

void TQuarnPngEdit::SetBorderHot(const TQnResID& Value) {
  if (FBorderHot == Value) return;
  FBorderHot = Value;
  Invalidate();
}

void TQuarnPngEdit::SetShowCheckBox(bool Value) {
  const bool changed = FShowCheckBox != Value;
  FShowCheckBox = Value;
  // A check item cleared away with the items comes back with the next
  // setting, changed or not.
  if (Value && !ComponentState().Contains(csLoading)) EnsureCheckItem();
  if (FCheckItem && changed) FCheckItem->SetVisible(Value);
}

void TQuarnPngEdit::SetChecked(bool Value) {
  FChecked = Value;
  if (FShowCheckBox && !FCheckItem && !ComponentState().Contains(csLoading)) EnsureCheckItem();
  if (!FCheckItem) return;
  FCheckItem->SetImage(Value ? u"QuarnCheckedCheckbox_18" : u"QuarnUncheckedCheckbox_18");
  FCheckItem->SetImageHot(Value ? u"QuarnCheckedCheckbox_18_h" : u"QuarnUncheckedCheckbox_18_h");
  Invalidate();
}

namespace {

bool IsCheckImage(const TQnResID& Id) {
  return Id == u"QuarnCheckedCheckbox_18" || Id == u"QuarnUncheckedCheckbox_18";
}

}  // namespace

void TQuarnPngEdit::EnsureCheckItem() {
  if (FCheckItem) return;
  // Items read from a form file hold a copy of the check item the edit made
  // when it was saved; that one is taken again rather than doubled.
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnEditItem* item = FItems->Items(i);
    if (item->Kind() == ikButton && IsCheckImage(item->Image()) && item->Pos()->Align() == agLeft) {
      FCheckItem = item;
      break;
    }
  }
  if (!FCheckItem) {
    FCheckItem = CreateNewItem();
    FCheckItem->Pos()->SetX(5);
    FCheckItem->Pos()->SetY(6);
    FCheckItem->SetKind(ikButton);
  }
  FCheckItem->SetVisible(FShowCheckBox);
  SetChecked(FChecked);
}

void TQuarnPngEdit::ItemDeleting(TCollectionItem* Item) {
  if (Item == FCheckItem) FCheckItem = nullptr;
  if (FItems && FItems->HotIndex() >= 0 && FItems->HotIndex() == Item->Index()) FItems->SetHotIndex(-1);
}

void TQuarnPngEdit::Loaded() {
  TQuarnCustomControl::Loaded();
  if (FShowCheckBox && !FCheckItem) EnsureCheckItem();
}

TQnEditItem* TQuarnPngEdit::CreateNewItem() { return FItems->Add(); }

// ---------------------------------------------------------------------------
// Clipboard

void TQuarnPngEdit::CopyToClipboard() {
  if (FDisableCopy || SelLength() <= 0) return;
  Clipboard()->SetAsText(SelText());
}

void TQuarnPngEdit::CutToClipboard() {
  if (FDisableCopy || FReadOnly) return;
  CopyToClipboard();
  SetSelText(String());
}

void TQuarnPngEdit::PasteFromClipboard() {
  const String text = Clipboard()->AsText();
  const size_t end = text.find_first_of(u"\r\n");
  SetSelText(end == String::npos ? text : text.substr(0, end));
}

// ---------------------------------------------------------------------------
// Keys

void TQuarnPngEdit::KeyDown(Word& Key, TShiftState Shift) {
  TQuarnCustomControl::KeyDown(Key, Shift);
  FShiftState = Shift;
  if (Key == 0) return;
  const bool ctrl = Shift.Contains(ssCtrl);
  const Integer len = Integer(FText.size());
  switch (Key) {
    case 'C':
      if (ctrl) CopyToClipboard();
      break;
    case 'V':
      if (ctrl) PasteFromClipboard();
      break;
    case 'X':
      if (ctrl) CutToClipboard();
      break;
    case VK_LEFT:
      if (!ctrl) {
        if (FCursorPos > 0) SetCursorPos(StepLeft(FCursorPos));
        break;
      }
      for (;;) {
        const Integer old = FCursorPos;
        if (old == 0) break;
        SetCursorPos(StepLeft(old));
        if (FCursorPos == old || FCursorPos == 0 || FText[size_t(FCursorPos - 1)] == u' ') break;
      }
      break;
    case VK_RIGHT:
      if (!ctrl) {
        if (FCursorPos < len) SetCursorPos(StepRight(FCursorPos));
        break;
      }
      for (;;) {
        const Integer old = FCursorPos;
        if (old >= len) break;
        SetCursorPos(StepRight(old));
        if (FCursorPos == old || FText[size_t(FCursorPos - 1)] == u' ') break;
      }
      break;
    case VK_HOME: SetCursorPos(0); break;
    case VK_END: SetCursorPos(len); break;
    case VK_DELETE:
      if (FReadOnly) break;
      if (SelLength() > 0) {
        SetSelText(String());
      } else if (FCursorPos < len) {
        FText.erase(size_t(FCursorPos), size_t(StepRight(FCursorPos) - FCursorPos));
        Change();
      }
      break;
    case VK_BACK:
      if (FReadOnly) break;
      if (SelLength() > 0) {
        SetSelText(String());
      } else if (FCursorPos >= 1) {
        const Integer to = StepLeft(FCursorPos);
        FText.erase(size_t(to), size_t(FCursorPos - to));
        FCursorPos = to;
        FSelPoint1 = FSelPoint2 = to;
        SetCursorPos(to);
        Change();
      }
      break;
    default: break;
  }
}

void TQuarnPngEdit::KeyUp(Word& Key, TShiftState Shift) {
  TQuarnCustomControl::KeyUp(Key, Shift);
  FShiftState = Shift;
}

void TQuarnPngEdit::KeyPress(Char& Key) {
  if (Key < 32 || FReadOnly) {
    TQuarnCustomControl::KeyPress(Key);
    return;
  }
  // A character arrives as two halves when it lies beyond the basic plane;
  // the pair is inserted whole when its second half comes, and a lone half
  // is never stored.
  if (IsHigh(Key)) {
    FPendingHigh = Key;
    return;
  }
  String insert(1, Key);
  if (IsLow(Key)) {
    if (!FPendingHigh) return;
    insert = String{FPendingHigh, Key};
  }
  FPendingHigh = 0;
  if (FMaxLength > 0 && Integer(FText.size()) >= FMaxLength && SelLength() == 0) return;
  Char k = insert[0];
  TQuarnCustomControl::KeyPress(k);
  if (k == 0) return;
  if (insert.size() == 1) insert[0] = k;
  SetSelText(insert);
  FTips->Hide();
}

// ---------------------------------------------------------------------------
// Messages

void TQuarnPngEdit::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_GETDLGCODE:
      TQuarnCustomControl::Dispatch(Message);
      Message.Result = kDlgCode;
      return;
    case WM_SETTEXT:
    case WM_GETTEXT:
    case WM_GETTEXTLENGTH: DefaultHandler(Message); return;
    case WM_SETFOCUS: WMSetFocus(Message); return;
    case WM_LBUTTONDBLCLK: WMLButtonDblClk(Message); return;
    case WM_IME_STARTCOMPOSITION: WMImeStartComposition(Message); return;
    case WM_IME_COMPOSITION: WMImeComposition(Message); return;
    case CM_FONTCHANGED: CMFontChanged(Message); return;
    case CM_MOUSEENTER: CMMouseEnter(Message); return;
    case CM_MOUSELEAVE: CMMouseLeave(Message); return;
    case CM_ENABLEDCHANGED: CMEnabledChanged(Message); return;
    default: TQuarnCustomControl::Dispatch(Message);
  }
}

// ---------------------------------------------------------------------------
// Focus, blink and hover

bool TQuarnPngEdit::Focused() {
  return !ComponentState().Contains(csDesigning) && TQuarnCustomControl::Focused();
}

void TQuarnPngEdit::DoEnter() {
  TQuarnCustomControl::DoEnter();
  FCursorShowing = true;
  if (Focused()) FCursorTimer->SetEnabled(true);
  if (FAutoSelect) SelectAll();
  else SetSelLength(0);
  Invalidate();
}

void TQuarnPngEdit::DoExit() {
  TQuarnCustomControl::DoExit();
  FCursorTimer->SetEnabled(false);
  FHot = false;
  if (FAutoSelect) SetSelStart(0);
  SetSelLength(0);
  Invalidate();
}

void TQuarnPngEdit::WMSetFocus(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (!Focused()) {
    FHot = true;
    Invalidate();
    BringToFront();
  }
  FCursorTimer->SetEnabled(true);
}

void TQuarnPngEdit::CMMouseEnter(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  // Enter and leave of hosted controls are passed on to their parents.
  if (Message.LParam && MessageControl(Message) != this) return;
  BringToFront();
  SetCursor(crIBeam);
  FHot = true;
  Invalidate();
}

void TQuarnPngEdit::CMMouseLeave(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  if (Message.LParam && MessageControl(Message) != this) return;
  if (!Focused()) SendToBack();
  FHot = false;
  FItems->SetHotIndex(-1);
  Invalidate();
}

void TQuarnPngEdit::CMFontChanged(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  Change();
}

void TQuarnPngEdit::CMEnabledChanged(TMessage& Message) { TQuarnCustomControl::Dispatch(Message); }

// ---------------------------------------------------------------------------
// Mouse

Integer TQuarnPngEdit::ButtonItemAt(Integer X, Integer Y) {
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnEditItem* item = FItems->Items(i);
    if (item->Visible() && item->Enabled() && item->Kind() == ikButton && PtInRect(item->GetRect(), TPoint(X, Y)))
      return i;
  }
  return -1;
}

void TQuarnPngEdit::MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FShiftState = Shift;
  FMouseButtons.Include(Button);
  if (HandleAllocated() && CanFocus() && !Focused()) SetFocus();
  if (Button != mbLeft) {
    TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
    return;
  }
  if (Shift.Contains(ssDouble) && FAutoSelect) {
    SelectAll();
    SetCursorPos(Integer(FText.size()));
  } else {
    const Integer hit = std::max(0, HitTest(X, Y).X);
    SetCursorPos(hit);
    SetSelStart(FCursorPos);
    SetSelLength(0);
    // The check item may flip Checked from inside its own click; the item
    // is found again afterwards, as handlers may clear the items.
    if (FShowCheckBox && FCheckItem && PtInRect(FCheckItem->GetRect(), TPoint(X, Y))) SetChecked(!FChecked);
    const Integer at = ButtonItemAt(X, Y);
    if (at >= 0) FItems->Items(at)->Click();
  }
  TQuarnCustomControl::MouseDown(Button, Shift, X, Y);
}

void TQuarnPngEdit::MouseMove(TShiftState Shift, Integer X, Integer Y) {
  if (FMouseButtons.Contains(mbLeft)) {
    Integer hit = std::max(0, HitTest(X, Y).X);
    if (hit < Integer(FText.size()) && IsLow(FText[size_t(hit)])) ++hit;
    SetCursorPos(hit);
  }
  const Integer at = ButtonItemAt(X, Y);
  if (at >= 0 && at != FItems->HotIndex()) {
    FItems->SetHotIndex(at);
    SetCursor(FItems->Items(at)->Curosor());
    Invalidate();
  } else if (at < 0 && FItems->HotIndex() >= 0) {
    SetCursor(crIBeam);
    FItems->SetHotIndex(-1);
    Invalidate();
  }
  TQuarnCustomControl::MouseMove(Shift, X, Y);
}

void TQuarnPngEdit::MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) {
  FShiftState = Shift;
  const bool wasLeft = FMouseButtons.Contains(mbLeft);
  FMouseButtons.Exclude(Button);
  if (Button == mbLeft && wasLeft) Invalidate();
  TQuarnCustomControl::MouseUp(Button, Shift, X, Y);
}

void TQuarnPngEdit::WMLButtonDblClk(TMessage& Message) {
  TQuarnCustomControl::Dispatch(Message);
  SelectAll();
  FCursorShowing = false;
  FCursorTimer->SetEnabled(false);
  Invalidate();
}

// ---------------------------------------------------------------------------
// Input method

void TQuarnPngEdit::SetDisableIME(bool Value) {
  if (FDisableIME == Value) return;
  FDisableIME = Value;
  if (!HandleAllocated()) return;
  if (Value) {
    HIMC imc = ImmGetContext(Handle());
    if (!imc) return;
    FHImc = imc;
    ImmAssociateContext(Handle(), nullptr);
    ImmReleaseContext(Handle(), imc);
  } else if (FHImc) {
    ImmAssociateContext(Handle(), FHImc);
    FHImc = nullptr;
  }
}

void TQuarnPngEdit::CreateWnd() {
  TQuarnCustomControl::CreateWnd();
  // A setting made before the window existed takes effect on it now.
  if (FDisableIME && !FHImc) {
    FHImc = ImmGetContext(Handle());
    if (FHImc) {
      ImmAssociateContext(Handle(), nullptr);
      ImmReleaseContext(Handle(), FHImc);
    }
  }
}

void TQuarnPngEdit::WMImeStartComposition(TMessage& Message) {
  if (FDisableIME) return;
  TQuarnCustomControl::Dispatch(Message);
  HIMC imc = ImmGetContext(Handle());
  if (!imc) return;
  LOGFONTW lf{};
  GetObjectW(Font()->Handle(), sizeof(lf), &lf);
  ImmSetCompositionFontW(imc, &lf);
  COMPOSITIONFORM form;
  form.dwStyle = CFS_RECT;
  form.rcArea = RECT{0, FSpace->Top(), Width(), Height()};
  form.ptCurrentPos = POINT{FCursorXPos, FSpace->Top()};
  ImmSetCompositionWindow(imc, &form);
  ImmReleaseContext(Handle(), imc);
}

void TQuarnPngEdit::WMImeComposition(TMessage& Message) {
  if (FDisableIME) return;
  HIMC imc = (Message.LParam & GCS_RESULTSTR) ? ImmGetContext(Handle()) : nullptr;
  if (!imc) {
    DefaultHandler(Message);
    return;
  }
  // The size comes back in bytes, or as a negative error code: no result.
  const LONG bytes = ImmGetCompositionStringW(imc, GCS_RESULTSTR, nullptr, 0);
  if (bytes <= 0) {
    ImmReleaseContext(Handle(), imc);
    DefaultHandler(Message);
    return;
  }
  String text(size_t((bytes + 1) / 2), u'\0');
  const LONG got = ImmGetCompositionStringW(imc, GCS_RESULTSTR, text.data(), DWORD(text.size() * 2));
  ImmReleaseContext(Handle(), imc);
  text.resize(size_t(std::clamp<LONG>(got, 0, LONG(text.size() * 2)) / 2));
  SetSelText(text);
  FTips->Hide();
  Message.Result = 0;
}

void TQuarnPngEdit::DefaultHandler(TMessage& Message) {
  switch (Message.Msg) {
    case WM_SETTEXT:
      if (FBlockWinMsg) return;
      SetText(Message.LParam ? String(reinterpret_cast<const Char*>(Message.LParam)) : String());
      Message.Result = 1;
      return;
    case WM_GETTEXT: {
      if (FBlockWinMsg) return;
      auto* buf = reinterpret_cast<Char*>(Message.LParam);
      const Integer room = Integer(std::min<WPARAM>(Message.WParam, WPARAM(MaxInt)));
      // Nothing fits into no room; otherwise the copy and its terminator
      // stay inside the buffer.
      if (!buf || room <= 0) {
        Message.Result = 0;
        return;
      }
      const Integer n = std::min(room - 1, Integer(FText.size()));
      std::copy_n(FText.data(), size_t(n), buf);
      buf[n] = 0;
      Message.Result = n;
      return;
    }
    case WM_GETTEXTLENGTH:
      if (FBlockWinMsg) return;
      Message.Result = LRESULT(FText.size());
      return;
    default: TQuarnCustomControl::DefaultHandler(Message);
  }
}

// ---------------------------------------------------------------------------
// Painting

void TQuarnPngEdit::DrawBody(TBitmap32* Buffer) {
  TQuarnResManager* store = TQuarnResManagerObj();
  TQuarnImage* border = nullptr;
  if (FBorderVisible) {
    if (Focused() || FHot) border = store->GetImageByName(FBorderHot);
    if (!border) border = store->GetImageByName(FBorderNormal);
  }
  DrawFrame(Buffer, border);
  DrawItems(Buffer);
  DrawTextHint(Buffer);
  if (FCharCaseChanged || FTextKindChanged) {
    FText = TextHandle(FText, false, false);
    FCharCaseChanged = FTextKindChanged = false;
  }
  DrawTexts(Buffer);
}

void TQuarnPngEdit::DrawFrame(TBitmap32* Buffer, TQuarnImage* Border) {
  const auto draw = [&] {
    if (Border) StretchBitmap(Border, Buffer, false);
    if (Color() != static_cast<TColor>(0x00FFFFFF))
      Buffer->FillRectS(2, 2, Buffer->Width() - 2, Buffer->Height() - 2, Color32(Color()));
  };
  TFrameCache& c = FFrameCache;
  TQuarnResManager* store = TQuarnResManagerObj();
  // Kept only for a border whose pixels the store holds still, and only
  // over the whole buffer.
  if (!SkinCachesEnabled() || Buffer->Empty() || (Border && !store->HandedOut(Border)) ||
      Buffer->ClipRect() != Buffer->BoundsRect()) {
    c.Under.clear();
    c.Done.clear();
    draw();
    return;
  }
  const size_t n = size_t(Buffer->Width()) * size_t(Buffer->Height());
  TColor32* bits = Buffer->Bits();
  const bool same = !c.Under.empty() && c.Width == Buffer->Width() && c.Height == Buffer->Height() &&
                    c.Border == Border && c.Generation == store->Generation() && c.Color == Color() &&
                    (!Border || (c.DrawMode == Border->DrawMode() && c.CombineMode == Border->CombineMode() &&
                                 c.MasterAlpha == Border->MasterAlpha())) &&
                    std::memcmp(c.Under.data(), bits, n * sizeof(TColor32)) == 0;
  if (same) {
    std::memcpy(bits, c.Done.data(), n * sizeof(TColor32));
    Buffer->Changed();
    return;
  }
  c.Under.assign(bits, bits + n);
  draw();
  c.Done.assign(bits, bits + n);
  c.Width = Buffer->Width();
  c.Height = Buffer->Height();
  c.Border = Border;
  c.Generation = store->Generation();
  c.Color = Color();
  if (Border) {
    c.DrawMode = Border->DrawMode();
    c.CombineMode = Border->CombineMode();
    c.MasterAlpha = Border->MasterAlpha();
  }
}

void TQuarnPngEdit::DrawItems(TBitmap32* Buffer) {
  TQuarnResManager* store = TQuarnResManagerObj();
  for (Integer i = 0; i < FItems->Count(); ++i) {
    TQnEditItem* item = FItems->Items(i);
    const Integer x0 = GetDPIScaledPixels(this, item->Pos()->X());
    const Integer y = GetDPIScaledPixels(this, item->Pos()->Y());
    const bool right = item->Pos()->Align() == agRight;
    const Integer x = right ? Width() - x0 : x0;
    const TRect r = item->GetRect();
    if (item->MakeSpace()) {
      if (item->Visible()) {
        if (!right && (r.Right > FLeftOffset || FLeftOffset == 0)) FLeftOffset = std::max(0, r.Right);
        if (right && (Width() - r.Left > FRightOffset || FRightOffset == 0))
          FRightOffset = std::max(0, Width() - r.Left);
      } else {
        if (!right && r.Right <= FLeftOffset) FLeftOffset = std::max(0, FLeftOffset - (x0 + r.Width()));
        if (right && x0 <= FRightOffset) FRightOffset = std::max(0, FRightOffset - x0);
      }
    }
    if (!item->Visible()) continue;
    const auto draw = [&](const TQnResID& Id) {
      TQuarnImage* img = Id.empty() ? nullptr : store->GetImageByName(Id);
      if (img) img->DrawTo(Buffer, x, y);
      return img != nullptr;
    };
    switch (item->Kind()) {
      case ikImage: draw(item->Image()); break;
      case ikText: {
        Buffer->Font()->Assign(item->Font());
        if (!Enabled()) Buffer->Font()->SetColor(static_cast<TColor>(0x00CCCCCC));
        Buffer->TextoutW(x, y, item->Text());
        break;
      }
      case ikButton:
        if (i != FItems->HotIndex()) {
          draw(item->Image());
        } else if (FMouseButtons.Contains(mbLeft)) {
          if (!draw(item->ImagePress()) && !draw(item->ImageHot())) draw(item->Image());
        } else if (!draw(item->ImageHot())) {
          draw(item->Image());
        }
        break;
    }
  }
}

void TQuarnPngEdit::DrawTextHint(TBitmap32* Buffer) {
  if (Focused() && FTextHintHideInKey) return;
  if (!FText.empty()) return;
  FFontHint->SetSize(Font()->Size());
  const Integer x = FSpace->Active() ? FSpace->Left() + FLeftOffset : FLeftOffset + 8;
  const Integer y = FSpace->Active() ? FSpace->Top() : (Height() - GetTextHintHeight()) / 2;
  Buffer->Font()->Assign(FFontHint.get());
  if (!Enabled()) Buffer->Font()->SetColor(static_cast<TColor>(0x00CCCCCC));
  Buffer->TextoutW(x, y, FTextHint);
}

void TQuarnPngEdit::DrawTexts(TBitmap32* Buffer) {
  const Integer y = FSpace->Active() ? FSpace->Top() : (Height() - GetTextHeight()) / 2;
  const Integer left = TextLeft(), right = TextRight();
  Integer x = left;
  FCursorXPos = x;
  Integer caretX = -1;
  const Integer len = Integer(FText.size());
  const Integer selStart = SelStart(), selEnd = SelStart() + SelLength();
  // The last character shown may run past the text area; it is cut at the
  // area's edge rather than drawn over the items beside it.
  const TRect keepClip = Buffer->ClipRect();
  const TRect area(std::max(0, left), 0, std::max(left, right), Buffer->Height());
  Buffer->SetClipRect(area);
  // The characters are drawn one by one; the buffer hears of the text area
  // once instead of once for each of them.
  Buffer->BeginUpdate();
  try {
    // Unselected characters go out as one run per stretch: the run's pen
    // steps are the advances measured here, and its glyphs are laid in the
    // same order, so the pixels are those of one call per character. A
    // selected character is drawn alone: its highlight goes between its own
    // glyph and the next one's.
    Integer runFrom = 0, runX = x;
    const auto flush = [&](Integer To) {
      if (runFrom > 0 && To > runFrom)
        DrawText(Buffer, runX, y, FText.substr(size_t(runFrom - 1), size_t(To - runFrom)), false);
    };
    TCharAdvances* advances = Advances(false);
    Integer i = FFirstDisplayChar;
    while (i <= len) {
      const bool pair = i < len && IsHigh(FText[size_t(i - 1)]) && IsLow(FText[size_t(i)]);
      const bool selected = SelLength() > 0 && selStart < i && i <= selEnd;
      if (selected) {
        flush(i);
        runFrom = 0;
        DrawText(Buffer, x, y, FText.substr(size_t(i - 1), pair ? 2 : 1), true);
      } else if (runFrom == 0) {
        runFrom = i;
        runX = x;
      }
      x += CharWidth(advances, FText.data() + (i - 1), pair ? 2 : 1, false);
      if (i == selStart) caretX = x;
      i += pair ? 2 : 1;
      if (x >= right) break;
    }
    flush(std::min(i, len + 1));
  } catch (...) {
    Buffer->EndUpdate();
    throw;
  }
  Buffer->EndUpdate();
  Buffer->Changed(area);
  Buffer->SetClipRect(keepClip);
  FCursorXPos = caretX >= 0 ? caretX
                            : left + GetTextWidth(FFirstDisplayChar, FCursorPos - FFirstDisplayChar + 1, FText) - 1;
  if (Focused() && FCursorShowing) DrawCursor(Buffer, FCursorXPos, 0);
}

void TQuarnPngEdit::DrawText(TBitmap32* Buffer, Integer X, Integer Y, const String& S, bool Selected) {
  Buffer->Font()->Assign(Font());
  if (!Enabled()) Buffer->Font()->SetColor(static_cast<TColor>(0x00CCCCCC));
  Buffer->TextoutW(X, Y, Buffer->ClipRect(), S);
  if (!Selected || !Enabled()) return;
  const TColor keep = Buffer->Font()->Color();
  Buffer->Font()->SetColor(clHighlightText);
  const TSize ext = Buffer->TextExtentW(S);
  Buffer->FillRectTS(X, Y - 1, X + ext.cx, Y + ext.cy + 1, Color32(clHighlight));
  Buffer->TextoutW(X, Y, Buffer->ClipRect(), S);
  Buffer->Font()->SetColor(keep);
}

void TQuarnPngEdit::DrawCursor(TBitmap32* Buffer, Integer X, Integer Index) {
  const Integer h = GetTextHeight();
  const Integer top = FSpace->Active() ? FSpace->Top() : (Buffer->Height() - h) / 2;
  Integer x = X;
  if (Index >= 1 && Index <= Integer(FText.size())) {
    const bool pair = Index < Integer(FText.size()) && IsHigh(FText[size_t(Index - 1)]);
    x += Measure(FText.substr(size_t(Index - 1), pair ? 2 : 1)) - 1;
  }
  const TColor32 c = Color32(FCursorColor);
  for (Integer y = top; y < top + h; ++y) Buffer->SetPixelTS(x, y, c);
}

void InitQuarnEdit() { RegisterClasses({TQuarnEdit::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnPngEdit)
QN_PUBLISHED_IMPL(qn::TQuarnEdit)
