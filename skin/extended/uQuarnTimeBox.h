// uQuarnTimeBox: a small picking panel for one part of a time — a title row
// with a close cross over a grid of numbers, 0-23 for hours or 0-59 for
// minutes and seconds. A click on a number picks it, reports it and hides
// the box.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>

#include "skin/controls/uQuarnPanel.h"

namespace qn {

enum class TQnBoxKind { bkHour, bkMinute, bkSecond };
QN_ENUM_NAMES(TQnBoxKind, bkHour, bkMinute, bkSecond)
using enum TQnBoxKind;

struct TQnNumCell {
  TRect Rect;
  Integer Num = 0;
  bool Enabled = false;
};
using PQnNumCell = TQnNumCell*;

namespace uQuarnTimeBox {
using TCellClickEvent = TEvent<void(TObject* Sender, TQnNumCell& Data)>;
}  // namespace uQuarnTimeBox

class TQuarnTimeBox : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnTimeBox, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnTimeBox(TComponent* AOwner);

  String TextHour() const { return FTextHour; }
  void SetTextHour(const String& Value) { FTextHour = Value; }
  String TextMinute() const { return FTextMinute; }
  void SetTextMinute(const String& Value) { FTextMinute = Value; }
  String TextSecond() const { return FTextSecond; }
  void SetTextSecond(const String& Value) { FTextSecond = Value; }
  TQnBoxKind Kind() const { return FKind; }
  void SetKind(TQnBoxKind Value);
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value);
  TColor HeaderColor() const { return FHeaderColor; }
  void SetHeaderColor(TColor Value);
  TColor CellFocusColor() const { return FCellFocusColor; }
  void SetCellFocusColor(TColor Value);
  Integer FocusNum() const { return FFocusNum; }
  void SetFocusNum(Integer Value);
  const uQuarnTimeBox::TCellClickEvent& OnCellClick() const { return FOnCellClick; }
  void SetOnCellClick(const uQuarnTimeBox::TCellClickEvent& Value) { FOnCellClick = Value; }

  PQnNumCell HotCell() const { return FHotCell; }
  bool HotCloseBtn() const { return FHotCloseBtn; }
  // The title row and its close cross.
  TRect TitleRect() const { return TRect(0, 0, Width(), 23); }
  TRect CloseRect() const { return TRect(Width() - 23, 0, Width(), 23); }
  // The cells of the kind shown, as last computed; recomputed first when a
  // change has marked them.
  void UpdateCells();
  // Cell C of row R of the hour (5 x 5) or minute and second (10 x 6) grid.
  const TQnNumCell& HourCell(Integer C, Integer R) const { return FHourNumCells[size_t(C)][size_t(R)]; }
  const TQnNumCell& MinuteCell(Integer C, Integer R) const { return FMinuteNumCells[size_t(C)][size_t(R)]; }

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnTimeBox) {
    QN_PROP(TextHour);
    QN_PROP(TextMinute);
    QN_PROP(TextSecond);
    QN_PROP(Kind).Default(bkHour);
    QN_PROP(FrameColor).TypeName(u"TColor").Default(TColor(0x00C6C6C6));
    QN_PROP(HeaderColor).TypeName(u"TColor").Default(TColor(0x00F6F6F6));
    QN_PROP(CellFocusColor).TypeName(u"TColor").Default(TColor(0x00E3E3E3));
    QN_PROP(FocusNum).Default(0);
    QN_PROP(OnCellClick).TypeName(u"TCellClickEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

 private:
  template <class F>
  void ForEachCell(F Fn);
  PQnNumCell CellAt(const TPoint& P);

  TQnBoxKind FKind = bkHour;
  TColor FFrameColor = TColor(0x00C6C6C6);
  String FTextMinute, FTextHour, FTextSecond;
  TColor FHeaderColor = TColor(0x00F6F6F6);
  bool FHotCloseBtn = false;
  bool FResetCells = true;
  std::array<std::array<TQnNumCell, 5>, 5> FHourNumCells{};
  std::array<std::array<TQnNumCell, 6>, 10> FMinuteNumCells{};
  TColor FCellFocusColor = TColor(0x00E3E3E3);
  PQnNumCell FHotCell = nullptr;
  uQuarnTimeBox::TCellClickEvent FOnCellClick;
  Integer FFocusNum = 0;
};

void InitQuarnTimeBox();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
