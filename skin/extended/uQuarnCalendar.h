// uQuarnCalendar: one month as a grid of 7 columns (Sunday first) by 6 rows
// of day cells under a row of weekday names. Neighbouring months' days fill
// the leading and trailing cells in grey; days outside an optional range are
// lighter and cannot be picked. A click on an enabled cell makes its date the
// focus day. The grid is recomputed lazily, at the paint after a change.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <array>
#include <memory>

#include "skin/controls/uQuarnPanel.h"

namespace qn {

struct TDayCell {
  String Text;
  TRect Rect;
  TDate Date = 0;
  bool IsValidDayOfMonth = false;
  bool Disabled = false;
  Integer Tag = 0;
};
using PDayCell = TDayCell*;
// 7 columns (0 = Sunday .. 6 = Saturday) of 6 rows each.
using TDayCells = std::array<std::array<TDayCell, 6>, 7>;

namespace uQuarnCalendar {
using TCellClickEvent = TEvent<void(TObject* Sender, TDayCell& Data)>;
}  // namespace uQuarnCalendar
using TDrawCellEvent = TEvent<void(TObject* Sender, TCanvas* Canvas, TDayCell& Data)>;

class TQuarnCalendar : public TQuarnCustomPanel {
  QN_CLASS_CREATE(TQuarnCalendar, TQuarnCustomPanel, TComponent)
 public:
  explicit TQuarnCalendar(TComponent* AOwner);
  ~TQuarnCalendar() override;

  TColor HolidayTextColor() const { return FHolidayTextColor; }
  void SetHolidayTextColor(TColor Value);
  TColor HeaderColor() const { return FHeaderColor; }
  void SetHeaderColor(TColor Value);
  TFont* HeaderFont() const { return FHeaderFont.get(); }
  void SetHeaderFont(TFont* Value) { FHeaderFont->Assign(Value); }
  TFont* CellFont() const { return FCellFont.get(); }
  void SetCellFont(TFont* Value) { FCellFont->Assign(Value); }
  Integer HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(Integer Value) { FHeaderHeight = Value; }
  TColor CellColor() const { return FCellColor; }
  void SetCellColor(TColor Value) { FCellColor = Value; }
  TColor CellFocusColor() const { return FCellFocusColor; }
  void SetCellFocusColor(TColor Value) { FCellFocusColor = Value; }
  TColor FrameColor() const { return FFrameColor; }
  void SetFrameColor(TColor Value) { FFrameColor = Value; }
  Integer Padding() const { return FPadding; }
  void SetPadding(Integer Value) { FPadding = Value; }
  String TextSu() const { return FTextSu; }
  void SetTextSu(const String& Value) { FTextSu = Value; }
  String TextMo() const { return FTextMo; }
  void SetTextMo(const String& Value) { FTextMo = Value; }
  String TextTu() const { return FTextTu; }
  void SetTextTu(const String& Value) { FTextTu = Value; }
  String TextWe() const { return FTextWe; }
  void SetTextWe(const String& Value) { FTextWe = Value; }
  String TextTh() const { return FTextTh; }
  void SetTextTh(const String& Value) { FTextTh = Value; }
  String TextFr() const { return FTextFr; }
  void SetTextFr(const String& Value) { FTextFr = Value; }
  String TextSa() const { return FTextSa; }
  void SetTextSa(const String& Value) { FTextSa = Value; }
  Word Year() const { return FYear; }
  void SetYear(Word Value);
  Word Month() const { return FMonth; }
  // 1..12; 0 and 13 step into the neighbouring years.
  void SetMonth(Word Value);
  Word FocusDay() const { return FFocusDay; }
  void SetFocusDay(Word Value);
  TDate MinDate() const { return FMinDate; }
  void SetMinDate(TDate Value);
  TDate MaxDate() const { return FMaxDate; }
  void SetMaxDate(TDate Value);
  bool IsMinDateStored() const { return FMinDate != 0; }
  bool IsMaxDateStored() const { return FMaxDate != 0; }
  const uQuarnCalendar::TCellClickEvent& OnCellClick() const { return FOnCellClick; }
  void SetOnCellClick(const uQuarnCalendar::TCellClickEvent& Value) { FOnCellClick = Value; }
  const TDrawCellEvent& OnCellDrawing() const { return FOnCellDrawing; }
  void SetOnCellDrawing(const TDrawCellEvent& Value) { FOnCellDrawing = Value; }
  const TNotifyEvent& OnChanged() const { return FOnChanged; }
  void SetOnChanged(const TNotifyEvent& Value) { FOnChanged = Value; }

  // The focus date.
  TDate Date() const;
  void SetDate(TDate Value);
  PDayCell HotCell() const { return FHotCell; }
  // Today's year and month; the focus day is kept where the month allows.
  void GoToday();
  // Days before AMin's or after AMax's whole day cannot be picked (0: that
  // end is open); the focus moves into the range.
  void SetRange(TDate AMin, TDate AMax);

  // The grid as last computed, and its cell size.
  const TDayCells& DayCells() const { return FDayCells; }
  Integer CellWidth() const { return FCellWidth; }
  Integer CellHeight() const { return FCellHeight; }
  TRect HeaderRect() const { return FHeaderRect; }
  TRect HeaderCol(Integer Index) const { return FHeaderCols[size_t(Index)]; }
  // Recomputes the grid now when a change has marked it.
  void UpdateCells();

  void Dispatch(TMessage& Message) override;

  QN_PUBLISHED_DECL(TQuarnCalendar) {
    QN_PROP(Alpha).Default(0);
    QN_PROP(BorderSides).Default(TSides{sdLeft, sdTop, sdRight, sdBottom});
    QN_PROP(BorderColor).TypeName(u"TColor").Default(static_cast<TColor>(0x00D9CBBA));
    QN_PROP(HolidayTextColor).TypeName(u"TColor").Default(TColor(0));
    QN_PROP(HeaderColor).TypeName(u"TColor").Default(TColor(0x00F6F6F6));
    QN_PROP(HeaderFont);
    QN_PROP(CellFont);
    QN_PROP(HeaderHeight).Default(24);
    QN_PROP(CellColor).TypeName(u"TColor").Default(TColor(0x00FFFFFF));
    QN_PROP(CellFocusColor).TypeName(u"TColor").Default(TColor(0x00E3E3E3));
    QN_PROP(FrameColor).TypeName(u"TColor").Default(TColor(0x00C6C6C6));
    QN_PROP(Padding).Default(0);
    QN_PROP(TextSu);
    QN_PROP(TextMo);
    QN_PROP(TextTu);
    QN_PROP(TextWe);
    QN_PROP(TextTh);
    QN_PROP(TextFr);
    QN_PROP(TextSa);
    QN_PROP(Year).NoDefault();
    QN_PROP(Month).NoDefault();
    QN_PROP(FocusDay).NoDefault();
    QN_PROP(MinDate).TypeName(u"TDate").Stored(&TQuarnCalendar::IsMinDateStored);
    QN_PROP(MaxDate).TypeName(u"TDate").Stored(&TQuarnCalendar::IsMaxDateStored);
    QN_PROP(OnCellClick).TypeName(u"TCellClickEvent");
    QN_PROP(OnCellDrawing).TypeName(u"TDrawCellEvent");
    QN_PROP(OnChanged).TypeName(u"TNotifyEvent");
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnMouseDown", &TControl::OnMouseDown, &TControl::SetOnMouseDown);
    P.Property(u"OnMouseUp", &TControl::OnMouseUp, &TControl::SetOnMouseUp);
  }

 protected:
  void DrawBody(TBitmap32* Buffer) override;

 private:
  void MarkCells();
  // Whether the whole day D lies outside the range.
  bool OutOfRange(Int64 D) const;

  Word FYear = 0, FMonth = 0;
  TColor FHolidayTextColor = TColor(0);
  TRect FHeaderRect;
  bool FResetCells = true;
  TColor FHeaderColor = TColor(0x00F6F6F6);
  std::unique_ptr<TFont> FHeaderFont;
  Integer FPadding = 0;
  Integer FHeaderHeight = 24;
  std::array<TRect, 7> FHeaderCols{};
  TDayCells FDayCells{};
  TColor FCellColor = TColor(0x00FFFFFF);
  TColor FCellFocusColor = TColor(0x00E3E3E3);
  std::unique_ptr<TFont> FCellFont;
  PDayCell FHotCell = nullptr;
  Integer FCellWidth = 0, FCellHeight = 0;
  TColor FFrameColor = TColor(0x00C6C6C6);
  Word FFocusDay = 1;
  TDate FDate = 0;
  TDate FMaxDate = 0, FMinDate = 0;
  Int64 FTruncMin = 0, FTruncMax = 0;
  String FTextSu, FTextMo, FTextTu, FTextWe, FTextTh, FTextFr, FTextSa;
  std::array<String, 7> FWeekTexts;
  uQuarnCalendar::TCellClickEvent FOnCellClick;
  TDrawCellEvent FOnCellDrawing;
  TNotifyEvent FOnChanged;
};

void InitQuarnCalendar();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
