// uQuarnCountBar: a pager built on the icon button list: cells for "first",
// "previous", a window of page numbers, a "..." skip cell with the last
// page, "next" and "last". The focused number cell is the current page.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "skin/extended/uQuarnIconButtonList.h"

namespace qn {

enum class TCountKind { ckNum, ckPrevious, ckNext, ckSkip, ckFirst, ckLast };
QN_ENUM_NAMES(TCountKind, ckNum, ckPrevious, ckNext, ckSkip, ckFirst, ckLast)
using enum TCountKind;
using TCountKinds = TSet<TCountKind>;
QN_TYPE_NAME(TCountKinds)

// One per cell, hung on the cell's data pointer and freed with it.
struct TCountDataRec {
  String Caption;
  Integer Value = -1;
  TCountKind Kind = ckNum;
};

class TQuarnCustomCountBar : public TQuarnCustomIconButtonList {
  QN_CLASS_CREATE(TQuarnCustomCountBar, TQuarnCustomIconButtonList, TComponent)
 public:
  explicit TQuarnCustomCountBar(TComponent* AOwner);
  ~TQuarnCustomCountBar() override;

  // Makes page Value current; False, doing nothing, outside 1 .. NumCount.
  bool SkipTo(Integer Value);
  // Rebuilds the cells around page Value; True when it got a number cell.
  bool ResetBar(Integer Value, bool Flag = false);
  Integer IndexOfValue(Integer Value);
  void FirstClick() { DoFirstClick(); }
  void PreviousClick() { DoPreviousClick(); }
  void NextClick() { DoNextClick(); }
  void LastClick() { DoLastClick(); }
  // The cell's record, or nil.
  static TCountDataRec* Rec(TQnIconButtonItem* Item) { return static_cast<TCountDataRec*>(Item->Data()); }

  TCountKinds Kinds() const { return FKinds; }
  void SetKinds(TCountKinds Value);
  Cardinal NumCount() const { return FNumCount; }
  void SetNumCount(Cardinal Value);
  TFont* FontFocus() const { return FFontFocus.get(); }
  void SetFontFocus(TFont* Value) { FFontFocus->Assign(Value); }
  TColor ColorNormal() const { return FColorNormal; }
  void SetColorNormal(TColor Value) { FColorNormal = Value; }
  TColor ColorFocus() const { return FColorFocus; }
  void SetColorFocus(TColor Value) { FColorFocus = Value; }
  Integer MaxItems() const { return FMaxItems; }
  void SetMaxItems(Integer Value);
  Cardinal FocusNum() const { return FFocusNum; }
  Cardinal NumBegin() const { return FNumBegin; }
  Cardinal NumEnd() const { return FNumEnd; }

  const TNotifyEvent& OnNextClick() const { return FOnNextClick; }
  void SetOnNextClick(const TNotifyEvent& Value) { FOnNextClick = Value; }
  const TNotifyEvent& OnPreviousClick() const { return FOnPreviousClick; }
  void SetOnPreviousClick(const TNotifyEvent& Value) { FOnPreviousClick = Value; }
  const TNotifyEvent& OnSkipClick() const { return FOnSkipClick; }
  void SetOnSkipClick(const TNotifyEvent& Value) { FOnSkipClick = Value; }
  const TNotifyEvent& OnNumChanged() const { return FOnNumChanged; }
  void SetOnNumChanged(const TNotifyEvent& Value) { FOnNumChanged = Value; }
  const TNotifyEvent& OnFirstClick() const { return FOnFirstClick; }
  void SetOnFirstClick(const TNotifyEvent& Value) { FOnFirstClick = Value; }
  const TNotifyEvent& OnLastClick() const { return FOnLastClick; }
  void SetOnLastClick(const TNotifyEvent& Value) { FOnLastClick = Value; }

  void ScaleControlsForDpi(Integer NewPPI) override;

 protected:
  virtual void DoNextClick();
  virtual void DoPreviousClick();
  virtual void DoFirstClick();
  virtual void DoLastClick();

  void DoDrawItem(TBitmap32* Buffer, TQnIconButtonItem* Item) override;
  void DoFreeItem(TObject* Sender, TQnIconButtonItem* Item) override;
  void DoFocusChanging(TObject* Sender, Integer OldIndex, Integer NewIndex, bool& Allow) override;
  void DoGetCursor(TCursor& Cursor) override;

  void AddCell(const String& Caption, Integer Value, TCountKind Kind);

  std::unique_ptr<TFont> FFontFocus;
  TColor FColorFocus = static_cast<TColor>(0x004966FE);
  TColor FColorNormal = static_cast<TColor>(0x00EEEEEE);
  TNotifyEvent FOnSkipClick, FOnPreviousClick, FOnNextClick;
  Cardinal FNumCount = 0;
  Cardinal FNumBegin = 1, FNumEnd = 5;
  Cardinal FFocusNum = 1;
  TNotifyEvent FOnNumChanged;
  TCountKinds FKinds{ckNum, ckPrevious, ckNext, ckSkip};
  Integer FMaxItems = 0;
  TNotifyEvent FOnLastClick, FOnFirstClick;
};

class TQuarnCountBar : public TQuarnCustomCountBar {
  QN_CLASS_CREATE(TQuarnCountBar, TQuarnCustomCountBar, TComponent)
 public:
  explicit TQuarnCountBar(TComponent* AOwner) : TQuarnCustomCountBar(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnCountBar) {
    QN_PROP(Kinds).Default(TCountKinds{ckNum, ckPrevious, ckNext, ckSkip});
    QN_PROP(NumCount).Default(5);
    QN_PROP(FontFocus);
    QN_PROP(ColorNormal).TypeName(u"TColor").Default(static_cast<TColor>(0x00EEEEEE));
    QN_PROP(ColorFocus).TypeName(u"TColor").Default(static_cast<TColor>(0x004966FE));
    QN_PROP(AlignWithItems).Default(ihaCenter);
    QN_PROP(AlignVerticalWithItems).Default(ihavTop);
    QN_PROP(CaptionVisible).Default(true);
    QN_PROP(ItemWidth).Default(28);
    QN_PROP(ItemHeight).Default(28);
    QN_PROP(ItemSpaceSize).Default(3);
    QN_PROP(MarginBorderSize).Default(3);
    QN_PROP(BorderSides).Default(TSides{});
    // Declared with what the constructor sets, so every other value is
    // written and read back.
    QN_PROP(Alpha).Default(255);
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(Color).TypeName(u"TColor").Default(clWhite);
    QN_PROP(BackgroundImage).TypeName(u"TQnResID");
    QN_PROP(BackgroundOffsetX).Default(0);
    QN_PROP(BackgroundOffsetY).Default(0);
    QN_PROP(DoubleBorder).Default(true);
    QN_PROP(Font);
    QN_PROP(OnNextClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnPreviousClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnSkipClick).TypeName(u"TNotifyEvent");
    QN_PROP(OnNumChanged).TypeName(u"TNotifyEvent");
    QN_PROP(OnDrawItem).TypeName(u"TQnIconButtonItemDrawEnvent");
    QN_PROP(OnGetCursor).TypeName(u"TQnGetCursorEvent");
    QN_PROP(OnHotChanged).TypeName(u"TItemHotIndexEvent");
    QN_PROP(OnFocusChanging).TypeName(u"TStateChangeIndexEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  }
};

void InitQuarnCountBar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
