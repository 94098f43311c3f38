// uQuarnNCCtrlBase: title-bar controls. They are components on a form, not
// windows: the form's skin adopts them, lays them out in its title band,
// paints them into its frame picture and hands them the non-client mouse.
// A control asks for adoption with MM_ADDNCCTRL (0x0BD6) and repeats the
// request every 100 ms until a host took it, since the form may get its
// window (and its skin) only later.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/Pix32_qn.h"
#include "platform/vcl/Forms.h"
#include "skin/foundation/uQuarnIntf.h"
#include "skin/foundation/uQuarnResManager.h"
#include "skin/foundation/uSimpleTimer.h"

namespace qn {

enum class TNCCtrlAlign { caLeft, caRight };
QN_ENUM_NAMES(TNCCtrlAlign, caLeft, caRight)

enum class TNCButtonState { bsNormal, bsHot, bsPressed };
QN_ENUM_NAMES(TNCButtonState, bsNormal, bsHot, bsPressed)

// Set by a title-bar control that shows a cursor of its own; the form skin
// then leaves the cursor alone (WM_SETCURSOR answered without change).
extern bool gHookedCursor;

class TQuarnNCCtrlBase;

// Where a title-bar control sits: XValue from the left edge, or from the
// right edge under caRight; YValue from the top. With UseDefault the host's
// layout places the control instead.
class TNCCtrlPos : public TPersistent {
  QN_CLASS(TNCCtrlPos, TPersistent)
 public:
  explicit TNCCtrlPos(TQuarnNCCtrlBase* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  TNCCtrlAlign Align() const { return FAlign; }
  void SetAlign(TNCCtrlAlign Value);
  Boolean UseDefault() const { return FUseDefault; }
  void SetUseDefault(Boolean Value);
  Integer XValue() const { return FXValue; }
  void SetXValue(Integer Value);
  Integer YValue() const { return FYValue; }
  void SetYValue(Integer Value);
  TNotifyEvent OnChange() const { return FOnChange; }
  void SetOnChange(const TNotifyEvent& Value) { FOnChange = Value; }
  // Window coordinates of the control's top-left corner from XValue/YValue.
  Integer GetX() const;
  Integer GetY() const { return FYValue; }

  QN_PUBLISHED_DECL(TNCCtrlPos) {
    QN_PROP(Align).Default(TNCCtrlAlign::caRight);
    QN_PROP(UseDefault).Default(true);
    QN_PROP(XValue).Default(0);
    QN_PROP(YValue).Default(0);
  }

 private:
  void Changed();
  TQuarnNCCtrlBase* FOwner;
  TNCCtrlAlign FAlign = TNCCtrlAlign::caRight;
  Boolean FUseDefault = true;
  Integer FXValue = 0;
  Integer FYValue = 0;
  TNotifyEvent FOnChange;
};

// What a title-bar control needs of the window that adopted it.
class IQnNCCtrlHost {
 public:
  virtual ~IQnNCCtrlHost() = default;
  // The control is going: drop it from the list without freeing it.
  virtual void NCCtrlFreed(TQuarnNCCtrlBase* Ctrl) = 0;
};

class TQuarnNCCtrlBase : public TComponent {
  QN_CLASS(TQuarnNCCtrlBase, TComponent)
 public:
  explicit TQuarnNCCtrlBase(TComponent* AOwner);
  ~TQuarnNCCtrlBase() override;

  Boolean Visible() const { return FVisible; }
  void SetVisible(Boolean Value);
  TNCCtrlPos* Pos() const { return FPos.get(); }
  void SetPos(TNCCtrlPos* Value) { FPos->Assign(Value); }

  // Window coordinates.
  virtual TRect GetRect();
  // The size the control takes in the title band.
  virtual TSize GetSize() { return TSize{16, 16}; }
  virtual void MouseEnter() {}
  virtual void MouseLeave();
  virtual void MouseMove(TPoint P) {}
  virtual void LMouseDown(TPoint P) {}
  virtual void LMouseUp(TPoint P) {}
  // Draws into the host's frame picture, whose origin is the window's.
  virtual void Paint(TBitmap32* Buffer) {}
  // Reads the cursor, relative to the form window, and enters, leaves or
  // moves over the control. P is ignored: hosts pass what they have.
  void NCMouseMove(TPoint P);
  // Asks the host to repaint the frame (MM_INVALIDATE).
  void Invalidate();

  // Host fields.
  bool FMouseEnter = false;
  bool FHooked = false;
  TForm* FForm = nullptr;
  IQnNCCtrlHost* FHost = nullptr;
  // The place the host's default layout gave it (window coordinates).
  TPoint FDefaultOrigin;

  // Whether Ctrl is a title-bar control alive now (for raw pointers that
  // came by message).
  static bool IsLive(const TQuarnNCCtrlBase* Ctrl);

  QN_PUBLISHED_DECL(TQuarnNCCtrlBase) {
    QN_PROP(Visible).Default(true);
    QN_PROP(Pos);
  }

 protected:
  TForm* OwnerForm() const;
  void PosChanged(TObject*) { Invalidate(); }

 private:
  void PostAdd(TObject* Sender = nullptr);
  bool FVisible = true;
  std::unique_ptr<TNCCtrlPos> FPos;
  std::unique_ptr<uSimpleTimer::TSimpleTimer> FTimer;
};

enum class TQnSystemButtonKind { sbkClose, sbkMaximize, sbkMinimize };
QN_ENUM_NAMES(TQnSystemButtonKind, sbkClose, sbkMaximize, sbkMinimize)

// A title-bar system button: three-frame strips (normal, hot, pressed); a
// press and release over it sends the matching system command.
class TQuarnSystemButton : public TQuarnNCCtrlBase {
  QN_CLASS_CREATE(TQuarnSystemButton, TQuarnNCCtrlBase, TComponent)
 public:
  explicit TQuarnSystemButton(TComponent* AOwner) : TQuarnNCCtrlBase(AOwner) {}
  TQnSystemButtonKind Kind() const { return FKind; }
  void SetKind(TQnSystemButtonKind Value);
  TQnResID CloseImage() const { return FCloseImage; }
  void SetCloseImage(const TQnResID& Value);
  TQnResID MaxImage() const { return FMaxImage; }
  void SetMaxImage(const TQnResID& Value);
  TQnResID RestoreImage() const { return FRestoreImage; }
  void SetRestoreImage(const TQnResID& Value);
  TQnResID MinImage() const { return FMinImage; }
  void SetMinImage(const TQnResID& Value);
  TNCButtonState State() const;

  TSize GetSize() override;
  void MouseEnter() override { Invalidate(); }
  void MouseLeave() override;
  void LMouseDown(TPoint P) override;
  void LMouseUp(TPoint P) override;
  void Paint(TBitmap32* Buffer) override;

  QN_PUBLISHED_DECL(TQuarnSystemButton) {
    QN_PROP(Kind).Default(TQnSystemButtonKind::sbkClose);
    QN_PROP(CloseImage).TypeName(u"TQnResID");
    QN_PROP(MaxImage).TypeName(u"TQnResID");
    QN_PROP(RestoreImage).TypeName(u"TQnResID");
    QN_PROP(MinImage).TypeName(u"TQnResID");
  }

 private:
  TQnResID CurrentImage() const;
  TQnSystemButtonKind FKind = TQnSystemButtonKind::sbkClose;
  TQnResID FCloseImage = u"QuarnBtn_close";
  TQnResID FMaxImage = u"QuarnBtn_max";
  TQnResID FRestoreImage = u"QuarnBtn_restore";
  TQnResID FMinImage = u"QuarnBtn_min";
  bool FDown = false;
};

// Title-bar text, measured in its font, with an optional glow under it.
class TQuarnNCLabel : public TQuarnNCCtrlBase {
  QN_CLASS_CREATE(TQuarnNCLabel, TQuarnNCCtrlBase, TComponent)
 public:
  explicit TQuarnNCLabel(TComponent* AOwner);
  ~TQuarnNCLabel() override;
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TFont* Font() const { return FFont.get(); }
  void SetFont(TFont* Value) { FFont->Assign(Value); }
  TQnLightClass* Light() const { return FLight.get(); }
  void SetLight(TQnLightClass* Value) { FLight->Assign(Value); }

  TSize GetSize() override { return FTextSize; }
  void Paint(TBitmap32* Buffer) override;

  QN_PUBLISHED_DECL(TQuarnNCLabel) {
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Font);
    QN_PROP(Light);
  }

 private:
  void Measure();
  void FontChanged(TObject*);
  String FCaption;
  std::unique_ptr<TFont> FFont;
  std::unique_ptr<TQnLightClass> FLight;
  TSize FTextSize{0, 0};
};

// A title-bar picture, drawn unscaled; only with CaptureMouse does it take
// presses (and fire OnClick after a press and release over it).
class TQuarnNCImage : public TQuarnNCCtrlBase {
  QN_CLASS_CREATE(TQuarnNCImage, TQuarnNCCtrlBase, TComponent)
 public:
  explicit TQuarnNCImage(TComponent* AOwner) : TQuarnNCCtrlBase(AOwner) {}
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  Boolean CaptureMouse() const { return FCaptureMouse; }
  void SetCaptureMouse(Boolean Value) { FCaptureMouse = Value; }
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }

  TSize GetSize() override;
  void LMouseDown(TPoint P) override { FDown = true; }
  void LMouseUp(TPoint P) override;
  void Paint(TBitmap32* Buffer) override;

  QN_PUBLISHED_DECL(TQuarnNCImage) {
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(CaptureMouse).Default(false);
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }

 private:
  TQnResID FImage;
  Boolean FCaptureMouse = false;
  TNotifyEvent FOnClick;
  bool FDown = false;
};

// A title-bar button of the application's own: a three-frame strip
// (normal, hot, pressed) with Caption centred over it; without a strip the
// caption alone, on a faint plate that lights up under the mouse. A press
// and release over it fires OnClick.
class TQuarnNCButton : public TQuarnNCCtrlBase {
  QN_CLASS_CREATE(TQuarnNCButton, TQuarnNCCtrlBase, TComponent)
 public:
  explicit TQuarnNCButton(TComponent* AOwner) : TQuarnNCCtrlBase(AOwner) {}
  String Caption() const { return FCaption; }
  void SetCaption(const String& Value);
  TQnResID Image() const { return FImage; }
  void SetImage(const TQnResID& Value);
  TNotifyEvent OnClick() const { return FOnClick; }
  void SetOnClick(const TNotifyEvent& Value) { FOnClick = Value; }
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}
  TNCButtonState State() const;

  TSize GetSize() override;
  void MouseEnter() override { Invalidate(); }
  void MouseLeave() override;
  void LMouseDown(TPoint P) override;
  void LMouseUp(TPoint P) override;
  void Paint(TBitmap32* Buffer) override;

  QN_PUBLISHED_DECL(TQuarnNCButton) {
    QN_PROP(About).Stored(false);
    QN_PROP(Caption).TypeName(u"TCaption");
    QN_PROP(Image).TypeName(u"TQnResID");
    QN_PROP(OnClick).TypeName(u"TNotifyEvent");
  }

 private:
  TSize TextSize() const;
  String FCaption;
  TQnResID FImage;
  TNotifyEvent FOnClick;
  bool FDown = false;
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
