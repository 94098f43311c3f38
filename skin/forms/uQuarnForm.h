// uQuarnForm: the window-procedure hook base every form-level component
// stands on, and the process-wide registries of skinned windowed controls
// and skinned forms.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "platform/classes/Component.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowHooks.h"
#include "skin/forms/uQnFormSkinVar.h"
#include "skin/forms/uQuarnNCCtrlBase.h"
#include "skin/foundation/uQnComm.h"
#include "skin/foundation/uQuarnResManager.h"

namespace qn {

// Takes over its owner form's messages at run time: NewWndProc sees each
// message first and, in this base, passes it on unchanged. At design time,
// or with an owner that is not a form, nothing is hooked. Several such
// components may hook one form and go in any order.
class TQnHookWindowProc : public TComponent {
  QN_CLASS(TQnHookWindowProc, TComponent)
 public:
  explicit TQnHookWindowProc(TComponent* AOwner);
  ~TQnHookWindowProc() override;
  TForm* DestForm() const { return FDestForm; }
  bool Hooked() const { return FHook != nullptr && FHook->Active(); }

 protected:
  virtual void NewWndProc(TMessage& Message);
  // Passes the message to the procedure that was in place before the hook
  // (the rest of the form's hook chain).
  void OldWndProc(TMessage& Message);
  // Removes the hook early (a component that stops handling its form).
  void Unhook();

  TForm* FDestForm = nullptr;

 private:
  std::unique_ptr<TWindowProcHook> FHook;
};

// The skinned windowed controls alive at run time. Adding twice keeps one
// entry, removing an absent one does nothing, and a control destroyed
// without removing itself leaves the list.
class TQnWinControlHelper : public TComponent {
  QN_CLASS(TQnWinControlHelper, TComponent)
 public:
  TQnWinControlHelper() : TComponent(nullptr) {}
  ~TQnWinControlHelper() override;
  void Add(TWinControl* Control);
  void Remove(TWinControl* Control);
  Integer Count() const { return Integer(FList.size()); }
  TWinControl* Items(Integer Index) const;
  Integer IndexOf(TWinControl* Control) const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  std::vector<TWinControl*> FList;
};
TQnWinControlHelper* TQnWinControlHelperObj();

// One skinned form: the form and the form-skin component on it.
struct TFormSkinHelperDataRec {
  TCustomForm* Form = nullptr;
  TComponent* SkinForm = nullptr;
};

// The skinned forms alive at run time. An entry leaves the list when either
// its form or its form skin is destroyed.
class TQnFormSkinHelper : public TComponent {
  QN_CLASS(TQnFormSkinHelper, TComponent)
 public:
  TQnFormSkinHelper() : TComponent(nullptr) {}
  ~TQnFormSkinHelper() override;
  Integer GetCount() const { return Integer(FList.size()); }
  Integer Count() const { return GetCount(); }
  // EListError for an index outside the list.
  const TFormSkinHelperDataRec& Items(Integer Index) const;
  // A second entry for the same form skin replaces the first.
  void Add(TCustomForm* Form, TComponent* SkinForm);
  void Remove(TComponent* SkinForm);
  // -1 when the form has no entry.
  Integer IndexOfForm(TCustomForm* Form) const;

 protected:
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void Watch(TComponent* C);
  std::vector<TFormSkinHelperDataRec> FList;
};
TQnFormSkinHelper* TQnFormSkinHelperObj();

class TQuarnForm;

// Options of a form skin that concern the window rather than its look.
class TQnFormOptions : public TPersistent {
  QN_CLASS(TQnFormOptions, TPersistent)
 public:
  explicit TQnFormOptions(TQuarnForm* AOwner) : FOwner(AOwner) {}
  void Assign(TPersistent* Source) override;
  // True: the form window has a taskbar entry of its own (WS_EX_APPWINDOW).
  Boolean MinimizeToTaskbar() const { return FMinimizeToTaskbar; }
  void SetMinimizeToTaskbar(Boolean Value);

  QN_PUBLISHED_DECL(TQnFormOptions) { QN_PROP(MinimizeToTaskbar).Default(true); }

 private:
  TQuarnForm* FOwner;
  Boolean FMinimizeToTaskbar = true;
};

// The tag a pop-up dialog gives its form skin so that its own look never
// becomes the process-wide form style.
inline constexpr NativeInt QnPrivateFormSkinTag = 99999;

// The form skin: owned by its form, it replaces the platform's frame and
// caption with a picture of its own (colour and title gradient, or a skin
// picture filled in one of four ways, tinted by gHSB, with a one- or
// two-line frame), rounds the window and answers the frame's hit tests.
// The client part of the same picture is the form's background, so
// transparent skinned controls on the form show it.
class TQuarnForm : public TQnHookWindowProc, public IQnBackgroundProvider, public IQnNCCtrlHost {
  QN_CLASS_CREATE(TQuarnForm, TQnHookWindowProc, TComponent)
 public:
  explicit TQuarnForm(TComponent* AOwner);
  ~TQuarnForm() override;

  Boolean ActiveGradient() const { return FActiveGradient; }
  void SetActiveGradient(Boolean Value);
  Boolean DoubleFrame() const { return FDoubleFrame; }
  void SetDoubleFrame(Boolean Value);
  Boolean FlatFrame() const { return FFlatFrame; }
  void SetFlatFrame(Boolean Value);
  Boolean RoundWindow() const { return FRoundWindow; }
  void SetRoundWindow(Boolean Value);
  TQnFillStyle FillStyle() const { return FFillStyle; }
  void SetFillStyle(TQnFillStyle Value);
  TColor Color() const { return FColor; }
  void SetColor(TColor Value);
  TColor TitlerColor() const { return FTitlerColor; }
  void SetTitlerColor(TColor Value);
  TQnResID CustomPicture() const { return FCustomPicture; }
  void SetCustomPicture(const TQnResID& Value);
  // Negative metrics are ignored.
  Integer FramWidth() const { return FFramWidth; }
  void SetFramWidth(Integer Value);
  Integer HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(Integer Value);
  Integer TitleHeight() const { return FTitleHeight; }
  void SetTitleHeight(Integer Value);
  Integer GradientHeight() const { return FGradientHeight; }
  void SetGradientHeight(Integer Value);
  TQuarnStyle Style() const { return FStyle; }
  void SetStyle(TQuarnStyle Value);
  // Not owned; cleared when the border is destroyed.
  TQnFormLayerBorder* ImageBorder() const { return FImageBorder; }
  void SetImageBorder(TQnFormLayerBorder* Value);
  Boolean EraseBackGround() const { return FEraseBackGround; }
  void SetEraseBackGround(Boolean Value);
  TQnFormOptions* Options() const { return FOptions.get(); }
  void SetOptions(TQnFormOptions* Value) { FOptions->Assign(Value); }
  // The skin configuration the form follows on MM_SKINRESCHANGED; cleared
  // when it is destroyed.
  TQnCustomSkinRes* SkinRes() const { return FSkinRes; }
  void SetSkinRes(TQnCustomSkinRes* Value);
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  // Takes Color, CustomPicture, GradientHeight, Style and TitlerColor from
  // SkinRes's form settings, then rebuilds with the current tint and
  // repaints; without SkinRes only the rebuild and repaint.
  void UseMainSkin();
  // Writes Color, CustomPicture, FramWidth, HitTestWidth, Style and
  // TitlerColor into gQnFormStyle as one change; nothing for a skin tagged
  // QnPrivateFormSkinTag.
  void ResetGQnFormStyle();
  // Rebuilds the picture and repaints frame, client and the children that
  // take their background from the form.
  void RefreshSkin();
  // Paints the frame now (window DC, client excluded), title-bar controls
  // on top.
  void PaintFrame();

  // The window-size picture (window coordinates); rebuilt when stale.
  TBitmap32* Picture();
  // The client rectangle in window coordinates for a window of W x H.
  TRect ClientRectFor(Integer W, Integer H) const;
  // The hit-test answer for a point in window coordinates.
  LRESULT HitTestAt(TPoint P);
  // The client part of the picture, in client coordinates.
  TBitmap32* GetBackgroundPicture() override;
  // Whether the picture is drawn with the active look.
  bool FormActive() const { return FActive; }
  // The adopted title-bar controls, in adoption order.
  Integer NCCtrlCount() const { return Integer(FNCCtrls.size()); }
  TQuarnNCCtrlBase* NCCtrls(Integer Index) const { return FNCCtrls.at(size_t(Index)); }
  void NCCtrlFreed(TQuarnNCCtrlBase* Ctrl) override;

  QN_PUBLISHED_DECL(TQuarnForm) {
    QN_PROP(About).Stored(false);
    QN_PROP(ActiveGradient).Default(true);
    QN_PROP(DoubleFrame).Default(true);
    QN_PROP(FlatFrame).Default(false);
    QN_PROP(RoundWindow).Default(true);
    QN_PROP(FillStyle).Default(mfsBlur);
    QN_PROP(Color).TypeName(u"TColor").Default(0xF2ECE1);
    QN_PROP(TitlerColor).TypeName(u"TColor").Default(0xFFC446);
    QN_PROP(CustomPicture).TypeName(u"TQnResID");
    QN_PROP(FramWidth).Default(2);
    QN_PROP(HitTestWidth).Default(5);
    QN_PROP(TitleHeight).Default(27);
    QN_PROP(GradientHeight).Default(168);
    QN_PROP(Style).Default(ssColor);
    QN_PROP(ImageBorder);
    QN_PROP(EraseBackGround).Default(true);
    QN_PROP(Options);
    QN_PROP(SkinRes);
  }

 protected:
  void NewWndProc(TMessage& Message) override;
  void Loaded() override;
  // Draws over the title band of the frame picture before it is shown:
  // the place the title-bar controls paint.
  virtual void PaintTitleBar(TBitmap32* Buffer);
  // Places the controls that use the default position in a window W wide.
  void LayoutNCCtrls(Integer W);
  friend class TQnFormOptions;
  void ApplyTaskbarStyle();

 private:
  bool Running() const;
  HWND FormHandle() const;
  void Changed(bool Metrics, bool GlobalStyle);
  void BuildPicture(Integer W, Integer H);
  void FillFrameLines(TBitmap32* B);
  void UpdateRegion();
  void NotifyChildren();
  void SkinResFreed(TObject* Sender);
  void BorderFreed(TObject* Sender);
  void WMNCCalcSize(TMessage& Message);
  bool NCCtrlMessage(TMessage& Message);
  bool Adopt(TQuarnNCCtrlBase* Ctrl);
  void AdoptOwnedNCCtrls();
  TQuarnNCCtrlBase* PressTaker() const;
  std::vector<TQuarnNCCtrlBase*> FNCCtrls;
  TQuarnNCCtrlBase* FPressed = nullptr;
  bool FNCTracking = false;

  Boolean FActiveGradient = true;
  Boolean FDoubleFrame = true;
  Boolean FFlatFrame = false;
  Boolean FRoundWindow = true;
  TQnFillStyle FFillStyle = mfsBlur;
  TColor FColor = 0xF2ECE1;
  TColor FTitlerColor = 0xFFC446;
  TQnResID FCustomPicture;
  Integer FFramWidth = 2;
  Integer FHitTestWidth = 5;
  Integer FTitleHeight = 27;
  Integer FGradientHeight = 168;
  TQuarnStyle FStyle = ssColor;
  TQnFormLayerBorder* FImageBorder = nullptr;
  Boolean FEraseBackGround = true;
  std::unique_ptr<TQnFormOptions> FOptions;
  TQnCustomSkinRes* FSkinRes = nullptr;
  std::unique_ptr<TQnFreeLink> FSkinResLink, FBorderLink;

  bool FActive = false;
  bool FPictureValid = false;
  THSB FPictureTint;
  std::unique_ptr<TBitmap32> FPicture;
  std::unique_ptr<TBitmap32> FClientPicture;
  std::unique_ptr<TBitmap32> FFrameBuffer;
};

void DoneQuarnForm();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
