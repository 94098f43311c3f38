// The ExtCtrls unit of the host layer: TTimer, the non-visual component
// that calls OnTimer every Interval milliseconds on the thread that made it,
// TPanel, a container with a bevelled edge and a caption, and TImage, a
// control that shows a picture.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/classes/Component.h"
#include "platform/classes/PropInfo.h"
#include "platform/user/User.h"
#include "platform/vcl/Controls.h"
#include "platform/vcl/Graphic.h"

namespace vcl {

// Ticks on the window server's one clock: a window timer on a hidden
// utility window, so OnTimer runs from the creating thread's message loop
// (in virtual-clock tests, when a loop would otherwise wait for it).
// Any change of Enabled, Interval or OnTimer starts the interval afresh;
// the timer runs only while it is enabled, has a non-zero interval and has
// a handler.
class TTimer : public TComponent {
  QN_CLASS_CREATE(TTimer, TComponent, TComponent)
 public:
  explicit TTimer(TComponent* AOwner);
  ~TTimer() override;

  bool Enabled() const { return FEnabled; }
  void SetEnabled(bool Value);
  Cardinal Interval() const { return FInterval; }
  void SetInterval(Cardinal Value);
  TNotifyEvent OnTimer() const { return FOnTimer; }
  void SetOnTimer(const TNotifyEvent& Value);

  QN_PUBLISHED_DECL(TTimer) {
    QN_PROP(Enabled).Default(true);
    QN_PROP(Interval).Default(1000);
    QN_PROP(OnTimer);
  }

 protected:
  // Calls OnTimer; descendants may tick without a handler by overriding it.
  virtual void Timer();

 private:
  void UpdateTimer();
  void WndProc(TMessage& Msg);

  bool FEnabled = true;
  Cardinal FInterval = 1000;
  TNotifyEvent FOnTimer;
  HWND FWindowHandle = nullptr;
  bool FRunning = false;
};

enum class TAlignment : Byte { taLeftJustify, taRightJustify, taCenter };
QN_ENUM_NAMES(TAlignment, taLeftJustify, taRightJustify, taCenter)
using enum TAlignment;

enum class TVerticalAlignment : Byte { taAlignTop, taAlignBottom, taVerticalCenter };
QN_ENUM_NAMES(TVerticalAlignment, taAlignTop, taAlignBottom, taVerticalCenter)
using enum TVerticalAlignment;

// TBevelCut, TBevelWidth and TBorderWidth come from Controls.h.

// Draws a frame of Width lines inside Rect: TopColor on the top and left,
// BottomColor on the bottom and right; Rect shrinks by Width.
void Frame3D(TCanvas* Canvas, TRect& Rect, TColor TopColor, TColor BottomColor, Integer Width);

// A windowed container: an outer bevel, BorderWidth of its colour, an inner
// bevel, then the client area its aligned children share. The caption is
// drawn in the middle (vertically) at Alignment.
class TCustomPanel : public TCustomControl {
  QN_CLASS(TCustomPanel, TCustomControl)
 public:
  explicit TCustomPanel(TComponent* AOwner);

  TAlignment Alignment() const { return FAlignment; }
  void SetAlignment(TAlignment Value);
  TBevelCut BevelInner() const { return FBevelInner; }
  void SetBevelInner(TBevelCut Value);
  TBevelCut BevelOuter() const { return FBevelOuter; }
  void SetBevelOuter(TBevelCut Value);
  TBevelWidth BevelWidth() const { return FBevelWidth; }
  void SetBevelWidth(TBevelWidth Value);
  TBorderWidth BorderWidth() const { return FBorderWidth; }
  void SetBorderWidth(TBorderWidth Value);
  bool ShowCaption() const { return FShowCaption; }
  void SetShowCaption(bool Value);

  void Dispatch(TMessage& Message) override;

 protected:
  void Paint() override;
  void AdjustClientRect(TRect& Rect) override;

 private:
  void PanelChanged(bool DoRealign);
  TAlignment FAlignment = taCenter;
  TBevelCut FBevelInner = bvNone;
  TBevelCut FBevelOuter = bvRaised;
  TBevelWidth FBevelWidth = 1;
  TBorderWidth FBorderWidth = 0;
  bool FShowCaption = true;
};

class TPanel : public TCustomPanel {
  QN_CLASS_CREATE(TPanel, TCustomPanel, TComponent)
 public:
  explicit TPanel(TComponent* AOwner) : TCustomPanel(AOwner) {}

  QN_PUBLISHED_DECL(TPanel) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    QN_PROP(Alignment).Default(taCenter);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"BevelEdges", &TWinControl::BevelEdges, &TWinControl::SetBevelEdges)
        .Default(TBevelEdges{beLeft, beTop, beRight, beBottom});
    QN_PROP(BevelInner).Default(bvNone);
    P.Property(u"BevelKind", &TWinControl::BevelKind, &TWinControl::SetBevelKind).Default(bkNone);
    QN_PROP(BevelOuter).Default(bvRaised);
    QN_PROP(BevelWidth).Default(1);
    QN_PROP(BorderWidth).Default(0);
    P.Property(u"Caption", &TControl::Caption, &TControl::SetCaption).TypeName(u"TCaption");
    P.Property(u"Color", &TControl::Color, &TControl::SetColor).Stored(&TControl::IsColorStored).TypeName(u"TColor").Default(clBtnFace);
    P.Property(u"Ctl3D", &TWinControl::Ctl3D, &TWinControl::SetCtl3D).Default(true);
    P.Property(u"DockSite", &TWinControl::DockSite, &TWinControl::SetDockSite).Default(false);
    P.Property(u"DragCursor", &TControl::DragCursor, &TControl::SetDragCursor).TypeName(u"TCursor").Default(crDrag);
    P.Property(u"DragKind", &TControl::DragKind, &TControl::SetDragKind).Default(dkDrag);
    P.Property(u"DragMode", &TControl::DragMode, &TControl::SetDragMode).Default(dmManual);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    P.Property(u"Font", &TControl::Font, &TControl::SetFont).Stored(&TControl::IsFontStored);
    P.Property(u"ParentColor", &TControl::ParentColor, &TControl::SetParentColor).Default(false);
    P.Property(u"ParentCtl3D", &TWinControl::ParentCtl3D, &TWinControl::SetParentCtl3D).Default(true);
    P.Property(u"ParentFont", &TControl::ParentFont, &TControl::SetParentFont).Default(true);
    QN_PROP(ShowCaption).Default(true);
    P.Property(u"TabOrder", &TWinControl::TabOrder, &TWinControl::SetTabOrder).Default(-1);
    P.Property(u"TabStop", &TWinControl::TabStop, &TWinControl::SetTabStop).Default(false);
    P.Property(u"UseDockManager", &TWinControl::UseDockManager, &TWinControl::SetUseDockManager).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDockDrop", &TWinControl::OnDockDrop, &TWinControl::SetOnDockDrop);
    P.Property(u"OnDockOver", &TWinControl::OnDockOver, &TWinControl::SetOnDockOver);
    P.Property(u"OnDragDrop", &TControl::OnDragDrop, &TControl::SetOnDragDrop);
    P.Property(u"OnDragOver", &TControl::OnDragOver, &TControl::SetOnDragOver);
    P.Property(u"OnEndDock", &TControl::OnEndDock, &TControl::SetOnEndDock);
    P.Property(u"OnEndDrag", &TControl::OnEndDrag, &TControl::SetOnEndDrag);
    P.Property(u"OnGetSiteInfo", &TWinControl::OnGetSiteInfo, &TWinControl::SetOnGetSiteInfo);
    P.Property(u"OnMouseActivate", &TControl::OnMouseActivate, &TControl::SetOnMouseActivate);
    P.Property(u"OnResize", &TControl::OnResize, &TControl::SetOnResize);
    P.Property(u"OnStartDock", &TControl::OnStartDock, &TControl::SetOnStartDock);
    P.Property(u"OnStartDrag", &TControl::OnStartDrag, &TControl::SetOnStartDrag);
    P.Property(u"OnUnDock", &TWinControl::OnUnDock, &TWinControl::SetOnUnDock);
  }
};

// Shows its Picture: at its own size from the top-left corner (or centred
// with Center), or, with Stretch, filling the control (keeping the
// picture's proportions with Proportional, which on its own only shrinks a
// picture too large). Transparent is handed to the picture's graphic, so a
// bitmap's corner colour lets the parent show through. AutoSize makes the
// control the picture's size.
class TImage : public TGraphicControl {
  QN_CLASS_CREATE(TImage, TGraphicControl, TComponent)
 public:
  explicit TImage(TComponent* AOwner);
  ~TImage() override;

  TPicture* Picture() const { return FPicture.get(); }
  void SetPicture(TPicture* Value) { FPicture->Assign(Value); }
  bool Center() const { return FCenter; }
  void SetCenter(bool Value);
  bool Stretch() const { return FStretch; }
  void SetStretch(bool Value);
  bool Proportional() const { return FProportional; }
  void SetProportional(bool Value);
  bool Transparent() const { return FTransparent; }
  void SetTransparent(bool Value);
  // The rectangle the picture is drawn into, in client coordinates.
  TRect DestRect();

  QN_PUBLISHED_DECL(TImage) {
    P.Property(u"Align", &TControl::Align, &TControl::SetAlign).Default(alNone);
    P.Property(u"Anchors", &TControl::Anchors, &TControl::SetAnchors).Default(TAnchors{akLeft, akTop});
    P.Property(u"AutoSize", &TControl::AutoSize, &TControl::SetAutoSize).Default(false);
    QN_PROP(Center).Default(false);
    P.Property(u"Enabled", &TControl::Enabled, &TControl::SetEnabled).Default(true);
    QN_PROP(Picture);
    QN_PROP(Proportional).Default(false);
    QN_PROP(Stretch).Default(false);
    QN_PROP(Transparent).Default(false);
    P.Property(u"Visible", &TControl::Visible, &TControl::SetVisible).Default(true);
    P.Property(u"OnClick", &TControl::OnClick, &TControl::SetOnClick);
    P.Property(u"OnDblClick", &TControl::OnDblClick, &TControl::SetOnDblClick);
  }

 protected:
  void Paint() override;
  bool CanAutoSize(Integer& NewWidth, Integer& NewHeight) override;

 private:
  void PictureChanged(TObject* Sender);
  std::unique_ptr<TPicture> FPicture;
  bool FCenter = false;
  bool FStretch = false;
  bool FProportional = false;
  bool FTransparent = false;
};

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
