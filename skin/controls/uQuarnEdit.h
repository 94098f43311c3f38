// uQuarnEdit: a single-line text editor that owns no system edit window.
// It keeps its own text, caret, selection and horizontal scroll position;
// typing, paste, cut and deletion all go through one insert path
// (SetSelText) behind the input filter (TextHandle), and a surrogate pair is
// one character to the caret and to deletion. The text messages are
// answered from the edit's own text unless BlockWinMsg says otherwise.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <memory>
#include <unordered_map>
#include <vector>

#include "platform/vcl/Menus.h"
#include "platform/vcl/StdCtrls.h"
#include "skin/controls/uQnItemsInEdit.h"
#include "skin/controls/uQuarnEditTips.h"
#include "skin/foundation/uQuarnCtrls.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

class TQuarnPngEdit : public TQuarnCustomControl {
  QN_CLASS_CREATE(TQuarnPngEdit, TQuarnCustomControl, TComponent)
 public:
  explicit TQuarnPngEdit(TComponent* AOwner);
  ~TQuarnPngEdit() override;

  // ---- virtual slots, in this order
  virtual void DoDefaultPopupMenu(TPopupMenu* Menu);
  virtual void DoDefaultPopupMenuPopupUp(TObject* Sender);
  virtual Integer GetMaxLength();
  virtual void SetMaxLength(Integer Value);
  virtual void SetSelText(const String& Value);
  virtual void SetCursorPos(Integer Value);
  virtual void CalcFirstDisplayChar();
  virtual Integer GetTextHintHeight();
  virtual Integer GetTextHeight();
  virtual Integer GetTextWidth(Integer Start, Integer Count, const String& Text);
  virtual Integer GetTextWidth(Integer Index, const String& Text);
  virtual void DrawCursor(TBitmap32* Buffer, Integer X, Integer Index);
  virtual TPoint HitTest(Integer X, Integer Y);
  virtual void DrawTexts(TBitmap32* Buffer);
  virtual void DrawText(TBitmap32* Buffer, Integer X, Integer Y, const String& S, bool Selected);
  virtual void DrawItems(TBitmap32* Buffer);
  virtual void DrawTextHint(TBitmap32* Buffer);
  virtual void SetText(const String& Value);
  virtual String TextHandle(const String& S, bool ClearFirst, bool Filter);
  virtual void Clear();
  virtual Integer GetSelTextBuf(Char* Buffer, Integer BufSize);

  // ---- text and selection
  const String& Text() const { return FText; }
  Integer SelStart() const { return std::min(FSelPoint1, FSelPoint2); }
  void SetSelStart(Integer Value);
  Integer SelLength() const { return std::abs(FSelPoint1 - FSelPoint2); }
  void SetSelLength(Integer Value);
  String SelText() const;
  Integer CursorPos() const { return FCursorPos; }
  Integer FirstDisplayChar() const { return FFirstDisplayChar; }
  // Where the caret was last drawn (or would have been).
  Integer CursorXPos() const { return FCursorXPos; }
  Integer MaxLength() { return GetMaxLength(); }
  bool BlockWinMsg() const { return FBlockWinMsg; }
  void SetBlockWinMsg(bool Value) { FBlockWinMsg = Value; }
  // Kept for code written against the platform's edit: there is no undo.
  bool Modified() const { return false; }
  void SetModified(bool) {}
  bool CanUndo() const { return false; }
  void Undo() {}
  void ClearUndo() {}
  void SetSelTextBuf(const Char*) {}
  void CopyToClipboard();
  void CutToClipboard();
  // The first line of the clipboard's text only.
  void PasteFromClipboard();
  void SelectAll();
  void ClearSelection() { SetSelText(String()); }
  TQnEditItem* CreateNewItem();
  virtual TClass GetItemClass() { return TQnEditItem::StaticClass(); }
  virtual TClass GetItemsClass() { return TQnEditItems::StaticClass(); }
  void InvalidateBuffer() { Invalidate(); }
  // Left and right room taken by in-box items.
  Integer LeftOffset() const { return FLeftOffset; }
  Integer RightOffset() const { return FRightOffset; }
  void SetOffsets(Integer Left, Integer Right) {
    FLeftOffset = std::max(0, Left);
    FRightOffset = std::max(0, Right);
  }

  // ---- published
  bool AutoSelect() const { return FAutoSelect; }
  void SetAutoSelect(bool Value) { FAutoSelect = Value; }
  bool ShowCheckBox() const { return FShowCheckBox; }
  void SetShowCheckBox(bool Value);
  TEditCharCase CharCase() const { return FCharCase; }
  void SetCharCase(TEditCharCase Value);
  bool Checked() const { return FChecked; }
  void SetChecked(bool Value);
  TFont* FontHint() const { return FFontHint.get(); }
  void SetFontHint(TFont* Value) { FFontHint->Assign(Value); }
  TQnResID BorderNormal() const { return FBorderNormal; }
  void SetBorderNormal(const TQnResID& Value);
  TQnResID BorderHot() const { return FBorderHot; }
  void SetBorderHot(const TQnResID& Value);
  bool BorderVisible() const { return FBorderVisible; }
  void SetBorderVisible(bool Value) { FBorderVisible = Value; }
  bool ReadOnly() const { return FReadOnly; }
  void SetReadOnly(bool Value) { FReadOnly = Value; }
  TQnTextKind TextKind() const { return FTextKind; }
  void SetTextKind(TQnTextKind Value);
  const String& TextHint() const { return FTextHint; }
  void SetTextHint(const String& Value);
  TQnEditItems* EdItems() const { return FItems.get(); }
  void SetEdItems(TQnEditItems* Value) { FItems->Assign(Value); }
  TQnSpaceSize* Space() const { return FSpace.get(); }
  void SetSpace(TQnSpaceSize* Value) { FSpace->Assign(Value); }
  const TNotifyEvent& OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  bool TextHintHideInKey() const { return FTextHintHideInKey; }
  void SetTextHintHideInKey(bool Value) { FTextHintHideInKey = Value; }
  TColor CursorColor() const { return FCursorColor; }
  void SetCursorColor(TColor Value) { FCursorColor = Value; }
  bool DisableIME() const { return FDisableIME; }
  // Detaches the window's input context (or gives it back); before the
  // window exists only stores, and the window takes it when it is made.
  void SetDisableIME(bool Value);
  TQuarnEditTips* Tips() const { return FTips; }

  // Design time has no caret and no blink.
  bool Focused() override;
  TPopupMenu* GetPopupMenu() override;
  void Dispatch(TMessage& Message) override;
  void DefaultHandler(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnPngEdit) {
    QN_PROP(TextHint);
    QN_PROP(TextHintHideInKey).Default(false);
    QN_PROP(CursorColor).TypeName(u"TColor").Default(clBlack);
    QN_PROP(DisableIME).Default(false);
  }

 protected:
  virtual void Change();
  void KeyDown(Word& Key, TShiftState Shift) override;
  void KeyUp(Word& Key, TShiftState Shift) override;
  void KeyPress(Char& Key) override;
  void DrawBody(TBitmap32* Buffer) override;
  void MouseDown(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void MouseMove(TShiftState Shift, Integer X, Integer Y) override;
  void MouseUp(TMouseButton Button, TShiftState Shift, Integer X, Integer Y) override;
  void DoEnter() override;
  void DoExit() override;
  void CreateWnd() override;
  void Loaded() override;
  // The message handlers Dispatch hands its cases to.
  void WMSetFocus(TMessage& Message);
  void WMLButtonDblClk(TMessage& Message);
  void WMImeStartComposition(TMessage& Message);
  void WMImeComposition(TMessage& Message);
  void CMFontChanged(TMessage& Message);
  void CMMouseEnter(TMessage& Message);
  void CMMouseLeave(TMessage& Message);
  void CMEnabledChanged(TMessage& Message);
  // The own menu's items all land here and act by their Tag.
  void DefaultMenuItemClick(TObject* Sender);
  // The first visible, enabled button item under the point, or -1.
  Integer ButtonItemAt(Integer X, Integer Y);
  // Restarts the blink with the caret shown (every caret move does).
  void RestartBlink();
  void DoBlink(TObject* Sender);
  // The character before / at a position as one step (a pair is two units).
  Integer StepLeft(Integer Pos) const;
  Integer StepRight(Integer Pos) const;
  // Measures Text in the edit's font (the hint font with Hint).
  Integer Measure(const String& Text, bool Hint = false);
  // The margins of the text area: the left edge and the right edge.
  Integer TextLeft() const;
  Integer TextRight() const;

  String FText;
  Integer FCursorPos = 0;
  Integer FSelPoint1 = 0, FSelPoint2 = 0;
  Integer FFirstDisplayChar = 1;
  Integer FCursorXPos = 0;
  Integer FLeftOffset = 0, FRightOffset = 0;
  bool FCursorShowing = false;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FCursorTimer;
  TShiftState FShiftState;
  TSet<TMouseButton> FMouseButtons;
  bool FHot = false;
  TQnEditItem* FCheckItem = nullptr;
  bool FDisableCopy = false;
  bool FBlockWinMsg = false;
  bool FCharCaseChanged = false, FTextKindChanged = false;
  // The context taken from the window while DisableIME is set.
  HIMC FHImc = nullptr;
  TPopupMenu* FDefaultPopupMenu = nullptr;
  TQuarnEditTips* FTips = nullptr;
  std::unique_ptr<TQnEditItems> FItems;
  std::unique_ptr<TQnSpaceSize> FSpace;
  Integer FMaxLength = 0;

  bool FAutoSelect = true;
  bool FShowCheckBox = false;
  TEditCharCase FCharCase = ecNormal;
  bool FChecked = false;
  std::unique_ptr<TFont> FFontHint;
  TQnResID FBorderNormal = u"QuarnBorderNormal";
  TQnResID FBorderHot = u"QuarnBorderHot";
  bool FBorderVisible = true;
  bool FReadOnly = false;
  TQnTextKind FTextKind = tkAll;
  String FTextHint;
  TNotifyEvent FOnChange;
  bool FTextHintHideInKey = false;
  TColor FCursorColor = clBlack;
  bool FDisableIME = false;

 private:
  friend class TQnEditItems;
  // The collection lets go of an item: the check item is forgotten with it.
  void ItemDeleting(TCollectionItem* Item);
  // Finds the check item among the items (after a load) or makes it.
  void EnsureCheckItem();
  void SpaceChanged(TObject*) { Invalidate(); }
  // One measuring surface per edit instead of a bitmap per measurement.
  std::unique_ptr<TBitmap32> FMeasure;
  // The advances of single characters in the font they were measured in:
  // the text is drawn and measured a character at a time on every paint.
  // [0] the edit's font, [1] the hint font.
  struct TCharAdvances {
    TFontData Font;
    Integer PixelsPerInch = 0;
    std::array<Integer, 256> Latin = MakeUnknown();  // -1 until measured
    std::unordered_map<char32_t, Integer> Widths;  // the rest, by code point
    Integer Height = -1;  // of a line, -1 until measured
    static std::array<Integer, 256> MakeUnknown() {
      std::array<Integer, 256> a;
      a.fill(-1);
      return a;
    }
  };
  TCharAdvances FAdvances[2];
  // The advances for the font (the hint font with Hint), emptied when it
  // changed since; nil with the caches off.
  TCharAdvances* Advances(bool Hint);
  // The measuring surface with the font (the hint font with Hint) set.
  TBitmap32* Measurer(bool Hint);
  // The advance of the character (one unit, or a pair with Units 2) at P.
  Integer CharWidth(const Char* P, Integer Units, bool Hint);
  // The same with the advances already fetched (Cache nil: measured).
  Integer CharWidth(TCharAdvances* Cache, const Char* P, Integer Units, bool Hint);
  Integer LineHeight(bool Hint);
  // The frame (border and fill) over the laid background, and what lay
  // under it: a paint that finds the same background under the same frame
  // copies the result instead of stretching the border again. Every input
  // of the frame is part of the key, so nothing needs to drop it.
  struct TFrameCache {
    std::vector<TColor32> Under, Done;
    Integer Width = 0, Height = 0;
    const TBitmap32* Border = nullptr;
    Cardinal Generation = 0;
    TColor Color = clNone;
    TDrawMode DrawMode = TDrawMode::dmOpaque;
    TCombineMode CombineMode = TCombineMode::cmBlend;
    Cardinal MasterAlpha = 0;
  };
  TFrameCache FFrameCache;
  // The border (nil: none) stretched over Buffer and the fill laid inside.
  void DrawFrame(TBitmap32* Buffer, TQuarnImage* Border);
  // The first half of a pair typed as two characters, until its second.
  Char FPendingHigh = 0;
};

// The platform's usual control properties and events, as every published
// edit of this family has them.
#define QN_EDIT_CONTROL_PROPS(P)                                                                      \
  P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);                       \
  P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop}); \
  P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);                   \
  P.Property(u"ImeMode", &TWinControl::ImeMode, &TWinControl::SetImeMode).Default(imDontCare);       \
  P.Property(u"ImeName", &TWinControl::ImeName, &TWinControl::SetImeName).TypeName(u"TImeName");     \
  P.Property(u"PopupMenu", &TControl::PopupMenu, &TControl::SetPopupMenu<TPopupMenu>);               \
  P.Property(u"ShowHint", &TControl::ShowHint, &TControl::SetShowHint).Stored(&TControl::IsShowHintStored).Default(false);               \
  P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);            \
  P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(true);             \
  P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);                   \
  P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);                                 \
  P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);                        \
  P.Property(u"OnEnter", &TWinControl::OnEnter, &TWinControl::SetOnEnter);                           \
  P.Property(u"OnExit", &TWinControl::OnExit, &TWinControl::SetOnExit);                              \
  P.Property(u"OnKeyDown", &TWinControl::OnKeyDown, &TWinControl::SetOnKeyDown);                     \
  P.Property(u"OnKeyPress", &TWinControl::OnKeyPress, &TWinControl::SetOnKeyPress);                  \
  P.Property(u"OnKeyUp", &TWinControl::OnKeyUp, &TWinControl::SetOnKeyUp);                           \
  P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);                     \
  P.Property(u"OnMouseMove", &TControl::OnMouseMove, &TControl::SetOnMouseMove);                     \
  P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);                           \
  P.Property(u"OnMouseEnter", &TControl::OnMouseEnter, &TControl::SetOnMouseEnter);                  \
  P.Property(u"OnMouseLeave", &TControl::OnMouseLeave, &TControl::SetOnMouseLeave)

class TQuarnEdit : public TQuarnPngEdit {
  QN_CLASS_CREATE(TQuarnEdit, TQuarnPngEdit, TComponent)
 public:
  explicit TQuarnEdit(TComponent* AOwner) : TQuarnPngEdit(AOwner) {}

  void SetTextProp(const String& Value) { SetText(Value); }
  String TextProp() const { return FText; }
  void SetMaxLengthProp(Integer Value) { SetMaxLength(Value); }
  Integer MaxLengthProp() { return GetMaxLength(); }

  QN_PUBLISHED_DECL(TQuarnEdit) {
    QN_PROP(AutoSelect).Default(true);
    QN_PROP(ShowCheckBox).Default(false);
    QN_PROP(CharCase).Default(ecNormal);
    QN_PROP(Checked).Default(false);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    QN_PROP(FontHint);
    QN_PROP(BorderNormal).TypeName(u"TQnResID");
    QN_PROP(BorderHot).TypeName(u"TQnResID");
    QN_PROP(BorderVisible).Default(true);
    QN_PROP(ReadOnly).Default(false);
    P.Property(u"Text", &TQuarnEdit::TextProp, &TQuarnEdit::SetTextProp);
    QN_PROP(TextKind).Default(tkAll);
    P.Property(u"MaxLength", &TQuarnEdit::MaxLengthProp, &TQuarnEdit::SetMaxLengthProp).Default(0);
    QN_PROP(EdItems);
    QN_PROP(Space);
    QN_PROP(OnChange).TypeName(u"TNotifyEvent");
    QN_EDIT_CONTROL_PROPS(P);
  }
};

void InitQuarnEdit();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
