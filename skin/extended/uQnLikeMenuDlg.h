// uQnLikeMenuDlg: makes a windowed control — usually a small pop-up form —
// behave like a drop-down menu. While it is watched, the pointer is captured
// whenever it leaves the control, so a press anywhere outside arrives there
// and is reported through OnMouseClickOutside, where the application hides
// or frees its pop-up.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "graphics/raster/QnBase.h"
#include "platform/vcl/ExtCtrls.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/WindowHooks.h"

namespace qn {

class TQnLikeMenuDlg : public TComponent {
  QN_CLASS_CREATE(TQnLikeMenuDlg, TComponent, TComponent)
 public:
  explicit TQnLikeMenuDlg(TComponent* AOwner);
  ~TQnLikeMenuDlg() override;

  // Starts watching Win (nil ends the watch); a control watched before is
  // given back first.
  void Capture(TWinControl* Win);
  // Ends the watch and reports the outside press.
  void Stop();
  // Whether the pointer lies in the watched control's client rectangle.
  bool MouseIn() const;
  // Takes the pointer capture for the watched control, once.
  void DoCapture();

  TWinControl* DestWin() const { return FDestWin; }
  bool Captured() const { return FCaptured; }
  bool Stopped() const { return FStop; }
  const TNotifyEvent& OnMouseClickOutside() const { return FOnMouseClickOutside; }
  void SetOnMouseClickOutside(const TNotifyEvent& Value) { FOnMouseClickOutside = Value; }

  QN_PUBLISHED_DECL(TQnLikeMenuDlg) { QN_PROP(OnMouseClickOutside).TypeName(u"TNotifyEvent"); }

 protected:
  // The watched control's messages come here first, then go on unchanged.
  virtual void NewWndProc(TMessage& Message);
  void Notification(TComponent* AComponent, TOperation Operation) override;

 private:
  void DoOnOutsideCaputerTimer(TObject* Sender);
  void DoOnDoStopTimer(TObject* Sender);
  // Gives the watched control back: its hook goes, a capture held for it
  // is released.
  void Release();
  void ReleaseHeldCapture();
  static void Restart(TTimer* Timer);

  TCustomForm* FOwnerForm = nullptr;
  std::unique_ptr<TTimer> FOutsideCapture, FDoStop;
  TWinControl* FDestWin = nullptr;
  // The link of the watched control's hook chain; shared, so a message on
  // its way through can still be passed on when an outside press frees
  // this component.
  std::shared_ptr<TWindowProcHook> FOldWindowProc;
  bool FCaptured = false;
  bool FStop = false;
  TNotifyEvent FOnMouseClickOutside;
};

void InitQnLikeMenuDlg();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
