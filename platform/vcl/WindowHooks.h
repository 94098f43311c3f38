// Chains of window-procedure hooks on a control. Several components may take
// over one control's messages (a form skin, an alpha form, edge docking all
// hook the same form); swapping WindowProc by hand and restoring it in
// reverse order breaks as soon as they go in another order, reinstating the
// procedure of an object that is gone.
//
// Here a control's hooks form one chain behind a single dispatcher installed
// as its WindowProc. Each hook sees a message first in the order of
// installation, newest first, and passes it on with CallNext; the last link
// is the WindowProc that was in place when the chain began. A hook can be
// removed in any order, also while a message is on its way through it.
// When the last hook goes and WindowProc is still the dispatcher, the
// original procedure is put back; code that saved the dispatcher as "the old
// WindowProc" and restores it later keeps working, since the dispatcher then
// simply passes everything on. A control being destroyed is left alone.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/vcl/Controls.h"

namespace vcl {

class TWindowProcChain;

class TWindowProcHook {
 public:
  ~TWindowProcHook();
  TWindowProcHook(const TWindowProcHook&) = delete;
  TWindowProcHook& operator=(const TWindowProcHook&) = delete;
  // Passes the message to the rest of the chain (the next older hook, or the
  // original procedure). Does nothing once the hook was removed and its
  // control is gone.
  void CallNext(TMessage& Message);
  // Takes the hook out of its chain; a second call does nothing.
  void Remove();
  bool Active() const { return FActive; }
  TControl* Control() const;

 private:
  friend class TWindowProcChain;
  friend std::unique_ptr<TWindowProcHook> HookWindowProc(TControl* Control, TWndMethod Proc);
  struct TNode {
    TWndMethod Proc;
    bool Active = true;
  };
  TWindowProcHook() = default;
  // Kept after removal, so a hook that removes itself while handling a
  // message can still pass that message on.
  std::shared_ptr<TWindowProcChain> FChain;
  std::shared_ptr<TNode> FNode;
  bool FActive = false;
};

// Installs Proc in front of the control's hooks. The hook is removed when the
// returned object is destroyed (or by Remove).
std::unique_ptr<TWindowProcHook> HookWindowProc(TControl* Control, TWndMethod Proc);
// The number of active hooks on a control (0 without a chain).
int WindowProcHookCount(TControl* Control);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
