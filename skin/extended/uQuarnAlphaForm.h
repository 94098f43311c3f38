// uQuarnAlphaForm: turns its owner form into a borderless per-pixel-alpha
// layered window whose whole picture is one skin image stretched to the
// form's size, with the form's title-bar controls painted on top. A press
// on a free spot drags the form, invisible bands along the edges size it,
// and title-bar controls join it through the same messages the form skin
// answers (MM_ADDNCCTRL, MM_REMOVENCCTRL, MM_INVALIDATE).
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>
#include <vector>

#include "graphics/raster/Pix32_qn.h"
#include "skin/forms/uQuarnForm.h"
#include "skin/forms/uQuarnNCCtrlBase.h"

namespace qn {

class TQuarnAlphaForm : public TQnHookWindowProc, public IQnNCCtrlHost {
  QN_CLASS_CREATE(TQuarnAlphaForm, TQnHookWindowProc, TComponent)
 public:
  // The window timer that composes the picture once after an adoption.
  static constexpr UINT_PTR kAdoptTimer = 10;
  static constexpr UINT kAdoptDelay = 50;

  explicit TQuarnAlphaForm(TComponent* AOwner);
  ~TQuarnAlphaForm() override;

  // A new id recomposes the picture; the same id again does nothing.
  TQnResID Background() const { return FBackground; }
  void SetBackground(const TQnResID& Value);
  Boolean EnabledMove() const { return FEnabledMove; }
  void SetEnabledMove(Boolean Value) { FEnabledMove = Value; }
  Integer HitTestWidth() const { return FHitTestWidth; }
  void SetHitTestWidth(Integer Value) { FHitTestWidth = Value; }
  // When set (not owned), every composed picture is also copied into it.
  TBitmap32* SaveBitmap() const { return FSaveBitmap; }
  void SetSaveBitmap(TBitmap32* Value) { FSaveBitmap = Value; }

  // Composes the picture (skin image, then the visible title-bar controls
  // in component order) and hands it to the layered window. Without the
  // skin image the window keeps its last picture.
  void DrawSelf();
  void Invalidate() { DrawSelf(); }
  // A left press (Down) or release for the first visible hovered control;
  // a picture that does not capture the mouse is passed over. Whether a
  // control took it; the picture is recomposed either way.
  bool DoNCLButton(bool Down);
  // Frees Ctrl when it is adopted here (it leaves the list as it goes).
  void RemoveNCCtrl(TQuarnNCCtrlBase* Ctrl);
  // The sizing band under P (window coordinates), HTNOWHERE outside the
  // bands and whenever the form is maximised.
  LRESULT HitTestAt(TPoint P) const;

  Integer NCCtrlCount() const { return Integer(FNCCtrlList.size()); }
  TQuarnNCCtrlBase* NCCtrls(Integer Index) const { return FNCCtrlList.at(size_t(Index)); }
  void NCCtrlFreed(TQuarnNCCtrlBase* Ctrl) override;
  // How many pictures went to the window so far.
  Integer ComposeCount() const { return FComposeCount; }

  QN_PUBLISHED_DECL(TQuarnAlphaForm) {
    QN_PROP(Background).TypeName(u"TQnResID");
    QN_PROP(EnabledMove).Default(true);
    QN_PROP(HitTestWidth).Default(10);
  }

 protected:
  void NewWndProc(TMessage& Message) override;
  void MMINVALIDATE(TMessage& Message);

  std::vector<TQuarnNCCtrlBase*> FNCCtrlList;
  TQnResID FBackground = u"QuarnPreview_bkg";
  Boolean FEnabledMove = true;
  Integer FHitTestWidth = 10;
  TBitmap32* FSaveBitmap = nullptr;

 private:
  bool Running() const;
  HWND FormHandle() const;
  // Whether the window became layered just now.
  bool ApplyWindowStyles();
  bool Adopt(TQuarnNCCtrlBase* Ctrl);
  void AdoptOwnedNCCtrls();
  void ScheduleCompose();
  void LeaveControls();
  std::unique_ptr<TBitmap32> FPicture;
  bool FDrawing = false;
  bool FApplying = false;
  HWND FStyledWindow = nullptr;
  Integer FComposeCount = 0;
};

void InitQuarnAlphaForm();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
