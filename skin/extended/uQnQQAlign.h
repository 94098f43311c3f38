// uQnQQAlign: docks its owner form to an edge of its monitor's work area.
// A form dragged against an allowed edge stays there; while the pointer is
// away it slides out of view but for a 2-pixel strip, and comes back when
// the pointer returns over that strip. The form's messages pass through a
// window-procedure hook; the pointer is polled every 30 ms, only while the
// form is docked.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/QnBase.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowHooks.h"

namespace qn {

class TQnQQAlign : public TComponent {
  QN_CLASS_CREATE(TQnQQAlign, TComponent, TComponent)
 public:
  // AOwner must be a form: it is the form that docks.
  explicit TQnQQAlign(TComponent* AOwner);
  ~TQnQQAlign() override;

  bool Active() const { return FActive; }
  void SetActive(bool Value);
  // The edges docking is allowed on (akBottom is ignored).
  TAnchors Anchors() const { return FAnchors; }
  void SetAnchors(TAnchors Value);

  // The edges the form is docked to now.
  TAnchors CurAnchors() const { return FCurAnchors; }
  // The work area the docked edges belong to.
  const TRect& DockArea() const { return FDockArea; }
  TCustomForm* Form() const { return FForm; }
  // Whether the pointer is being polled.
  bool Polling() const;

  // Clamps R (a window rectangle in screen coordinates) to the allowed
  // edges of the work area of the monitor it lies on, and records the
  // edges it touches.
  void DoAlign(TRect& R);
  // The window under P; the form's own window while P lies in its client
  // rectangle, whatever child is there. Nil where no window is.
  HWND FindCurHWMD(const TPoint& P);

  QN_PUBLISHED_DECL(TQnQQAlign) {
    QN_PROP(Active);
    QN_PROP(Anchors).Default(TAnchors{akTop});
  }

 protected:
  virtual void WndProc(TMessage& Message);
  void WMMoving(TMessage& Message);
  void fOnTimer(TObject* Sender);
  void Loaded() override;

 private:
  // Re-evaluates the docked edges from the form's bounds.
  void Reevaluate();
  void UpdateTimer();
  bool Bypassed();

  bool FActive = true;
  // The form's hook chain link; shared, so a message on its way through
  // can still be passed on when the component is freed meanwhile.
  std::shared_ptr<TWindowProcHook> FOldWndMethod;
  TCustomForm* FForm = nullptr;
  std::unique_ptr<TTimer> Ftimer;
  TAnchors FCurAnchors;
  TAnchors FAnchors{akTop};
  TRect FDockArea;
};

void InitQnQQAlign();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
