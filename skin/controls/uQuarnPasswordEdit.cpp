// The password edit: character cells of one skin image each, measured and
// hit-tested in cells, painted over the edit's own frame, items and hint.
#include "skin/controls/uQuarnPasswordEdit.h"

#include <algorithm>

#include "skin/foundation/uQuarnResManager.h"

namespace qn {

namespace {

bool IsHighUnit(Char C) { return C >= 0xD800 && C <= 0xDBFF; }

}  // namespace

TQuarnPasswordEdit::TQuarnPasswordEdit(TComponent* AOwner) : TQuarnPngEdit(AOwner) {
  SetImeMode(imClose);
  SetWidth(140);
  FSpace->SetLeft(7);
  TQnEditItem* keyboard = FItems->Add();
  keyboard->SetKind(ikButton);
  keyboard->Pos()->SetX(4);
  keyboard->Pos()->SetY(2);
  keyboard->SetImage(u"QuarnKeyboard");
  FBlockWinMsg = true;
  FDisableCopy = true;
  // The tips sit beside the edit on its form and are saved with it.
  FTips->SetSubComponent(true);
}

void TQuarnPasswordEdit::SetPasswordChar(const TQnResID& Value) {
  if (FPasswordChar == Value) return;
  FPasswordChar = Value;
  Invalidate();
}

void TQuarnPasswordEdit::SetShowPassword(bool Value) {
  if (FShowPassword == Value) return;
  FShowPassword = Value;
  CalcFirstDisplayChar();
  Invalidate();
}

Integer TQuarnPasswordEdit::CellWidth() {
  TQuarnImage* img = FPasswordChar.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FPasswordChar);
  return (img ? img->Width() : 0) + FXSpace;
}

Integer TQuarnPasswordEdit::GetTextWidth(Integer Start, Integer Count, const String& Text) {
  if (FShowPassword) return TQuarnPngEdit::GetTextWidth(Start, Count, Text);
  if (!Parent()) return 0;
  const String& t = Text.empty() ? FText : Text;
  const Integer len = Integer(t.size());
  const Integer from = std::max(1, Start);
  if (from > len) return 0;
  Integer n = std::clamp(Count, 0, len - from + 1);
  // A count ending on the first half of a pair runs on to its second.
  if (n > 0 && from - 1 + n < len && IsHighUnit(t[size_t(from - 2 + n)])) ++n;
  return n * CellWidth();
}

Integer TQuarnPasswordEdit::GetTextWidth(Integer Index, const String& Text) {
  if (FShowPassword) return TQuarnPngEdit::GetTextWidth(Index, Text);
  if (!Parent()) return 0;
  const String& t = Text.empty() ? FText : Text;
  return t.empty() ? 0 : CellWidth();
}

void TQuarnPasswordEdit::DrawTexts(TBitmap32* Buffer) {
  if (FShowPassword) {
    TQuarnPngEdit::DrawTexts(Buffer);
    return;
  }
  const Integer y = FSpace->Active() ? FSpace->Top() : (Height() - GetTextHeight()) / 2;
  const Integer left = TextLeft(), right = TextRight();
  const Integer cell = CellWidth();
  Integer x = left;
  FCursorXPos = x;
  Integer caretX = -1;
  const Integer len = Integer(FText.size());
  const Integer selStart = SelStart(), selEnd = SelStart() + SelLength();
  const TRect keepClip = Buffer->ClipRect();
  Buffer->SetClipRect(TRect(std::max(0, left), 0, std::max(left, right), Buffer->Height()));
  for (Integer i = FFirstDisplayChar; i <= len; ++i) {
    DrawText(Buffer, x, y, FText.substr(size_t(i - 1), 1), SelLength() > 0 && selStart < i && i <= selEnd);
    x += cell;
    if (i == selStart) caretX = x;
    if (x >= right) break;
  }
  Buffer->SetClipRect(keepClip);
  if (caretX >= 0) FCursorXPos = caretX;
  else if (FCursorPos > 0) FCursorXPos = left + (FCursorPos - FFirstDisplayChar + 1) * cell - 1;
  if (Focused() && FCursorShowing) DrawCursor(Buffer, FCursorXPos, 0);
}

void TQuarnPasswordEdit::DrawText(TBitmap32* Buffer, Integer X, Integer Y, const String& S, bool Selected) {
  if (FShowPassword) {
    TQuarnPngEdit::DrawText(Buffer, X, Y, S, Selected);
    return;
  }
  TQuarnImage* img = FPasswordChar.empty() ? nullptr : TQuarnResManagerObj()->GetImageByName(FPasswordChar);
  if (Selected) {
    const Integer w = img ? Integer(S.size()) * (img->Width() + FXSpace) + 2 : 0;
    const Integer h = img ? img->Height() + 4 : 0;
    Buffer->FillRectTS(X - 2, Y + FYSpace - 4, X + w - 1, Y + FYSpace + h, Color32(clHighlight));
  }
  // A cell that runs past the text area is cut at its edge.
  if (!img) return;
  const Integer visible = std::min(img->Width(), Buffer->ClipRect().Right - X);
  if (visible > 0) img->DrawTo(Buffer, X, Y + FYSpace, TRect(0, 0, visible, img->Height()));
}

void InitQuarnPasswordEdit() { RegisterClasses({TQuarnPasswordEdit::StaticClass()}); }

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnPasswordEdit)
