// uQuarnListView: the platform list view with a flat header painted by the
// control itself and external skinned scroll bars that follow the view by
// a formula per view style. The native bars stay on but get no room.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/ComCtrls.h"
#include "skin/controls/uQuarnScrollBar.h"

namespace qn {

// Caption shortening of the header: S when it fits W, else its longest
// prefix that fits with "..." after it.
String ShortenHeaderCaption(TCanvas* C, const String& S, Integer W);

class TQuarnCustomListView : public TCustomListView {
  QN_CLASS(TQuarnCustomListView, TCustomListView)
 public:
  explicit TQuarnCustomListView(TComponent* AOwner);
  ~TQuarnCustomListView() override;

  // Store only: the value shows at the next header layout or paint.
  Integer HeaderHeight() const { return FHeaderHeight; }
  void SetHeaderHeight(Integer Value) { FHeaderHeight = Value; }
  TColor HeaderBgColor() const { return FHeaderBgColor; }
  void SetHeaderBgColor(TColor Value) { FHeaderBgColor = Value; }
  TColor HeaderPenColor() const { return FHeaderPenColor; }
  void SetHeaderPenColor(TColor Value) { FHeaderPenColor = Value; }
  TQuarnScrollBar* VScrollBar() const { return FVScrollBar; }
  void SetVScrollBar(TQuarnScrollBar* Bar);
  TQuarnScrollBar* HScrollBar() const { return FHScrollBar; }
  void SetHScrollBar(TQuarnScrollBar* Bar);
  const TNotifyEvent& OnScrollBarChange() const { return FOnScrollBarChange; }
  void SetOnScrollBarChange(const TNotifyEvent& Value) { FOnScrollBarChange = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  // Native state to the bars, by the routine of the view style.
  void UpDateScrollBars();
  // The header item's rectangle; with FullDrag, Index counts display
  // positions and goes through the header's order array first.
  TRect GetHeaderSectionRect(Integer Index);
  // The subclassed header, nullptr while none.
  HWND HeaderHandle() const { return FHeaderHandle; }

  void Dispatch(TMessage& Message) override;
  void WndProc(TMessage& Message) override;

 protected:
  void CreateParams(TCreateParams& Params) override;
  void Notification(TComponent* AComponent, TOperation Operation) override;
  void Change(TListItem* Item, TItemChange Change) override;
  void HeaderWndProc(TMessage& Message);
  void PaintHeader(HDC DC);
  void DrawHeaderSection(TCanvas* ACanvas, TListColumn* Column, const TRect& R);
  void UpDateScrollBars1();
  void UpDateScrollBars2();
  void UpDateScrollBars3();
  void VScrollChange(TObject* Sender);
  void HScrollChange(TObject* Sender);

  HWND FHeaderHandle = nullptr;
  WNDPROC FHeaderInstance = nullptr;
  WNDPROC FDefHeaderProc = nullptr;
  Integer FHeaderHeight = 25;
  TColor FHeaderBgColor = TColor(0xFCFCFC);
  TColor FHeaderPenColor = TColor(0xFBF1E8);
  Byte FAlpha = 192;
  TQuarnScrollBar* FVScrollBar = nullptr;
  TQuarnScrollBar* FHScrollBar = nullptr;
  TNotifyEvent FOnScrollBarChange;
  bool FLockUpdate = false;
  bool FInCheckScrollBars = false;
  Integer FOldVScrollBarPos = 0, FOldHScrollBarPos = 0;

 private:
  void ReleaseHeader();
  // The height of item 0's bounds; 1 without items.
  Integer ItemHeight();
  // Shows or hides a bar, and realigns an aligned view's siblings after.
  void ShowBar(TQuarnScrollBar* Bar, bool Show, bool& Changed);
  void RealignAfter(bool Changed);
};

class TQuarnListView : public TQuarnCustomListView {
  QN_CLASS_CREATE(TQuarnListView, TQuarnCustomListView, TComponent)
 public:
  explicit TQuarnListView(TComponent* AOwner) : TQuarnCustomListView(AOwner) {}

  QN_PUBLISHED_DECL(TQuarnListView) {
    QN_LIST_VIEW_PROPS(TQuarnListView)
    QN_PROP(HeaderHeight).Default(25);
    QN_PROP(HeaderBgColor).TypeName(u"TColor").Default(TColor(0xFCFCFC));
    QN_PROP(HeaderPenColor).TypeName(u"TColor").Default(TColor(0xFBF1E8));
    QN_PROP(VScrollBar);
    QN_PROP(HScrollBar);
    QN_PROP(OnScrollBarChange).TypeName(u"TNotifyEvent");
    QN_PROP(About).Stored(false);
  }
};

// Registers the classes for form files (the unit's initialisation).
void InitQuarnListView();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
