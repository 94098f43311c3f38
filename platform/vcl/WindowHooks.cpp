#include "platform/vcl/WindowHooks.h"

#include <algorithm>
#include <map>
#include <vector>

namespace vcl {

// One chain per control. The dispatcher installed as the control's WindowProc
// holds the chain alive; so does every copy of it that other code saved.
class TWindowProcChain : public std::enable_shared_from_this<TWindowProcChain> {
 public:
  // Tells the chain when its control starts to go, so nothing touches it later.
  class TLink : public TComponent {
    QN_CLASS(TLink, TComponent)
   public:
    explicit TLink(TWindowProcChain* Chain) : TComponent(nullptr), FChain(Chain) {}
    TWindowProcChain* FChain;

   protected:
    void Notification(TComponent* AComponent, TOperation Operation) override {
      inherited::Notification(AComponent, Operation);
      if (Operation == opRemove && AComponent == FChain->FControl) FChain->ControlGone();
    }
  };

  struct TDispatcher {
    std::shared_ptr<TWindowProcChain> Chain;
    void operator()(TMessage& m) const {
      // A local reference: the dispatcher itself may be replaced (and freed)
      // while the message runs.
      auto chain = Chain;
      chain->Run(0, m);
    }
  };
  using TNodePtr = std::shared_ptr<TWindowProcHook::TNode>;

  explicit TWindowProcChain(TControl* Control) : FControl(Control), FLink(new TLink(this)) {
    FBase = Control->WindowProc();
    FLink->FreeNotification(Control);
  }
  ~TWindowProcChain() {
    Forget();
    if (FControl) FLink->RemoveFreeNotification(FControl);
    delete FLink;
  }

  // Runs the first active hook from position `from`, or else the base.
  void Run(size_t from, TMessage& m) {
    auto keep = shared_from_this();
    ++FDepth;
    struct TLeave {
      TWindowProcChain* C;
      ~TLeave() {
        if (--C->FDepth == 0) C->Settle();
      }
    } leave{this};
    for (size_t i = from; i < FHooks.size(); ++i) {
      TNodePtr n = FHooks[i];
      if (!n->Active) continue;
      TWndMethod proc = n->Proc;  // the hook may go while it runs
      proc(m);
      return;
    }
    if (FBase) {
      TWndMethod base = FBase;
      base(m);
    }
  }

  void RunAfter(const TNodePtr& n, TMessage& m) {
    auto it = std::find(FHooks.begin(), FHooks.end(), n);
    Run(it == FHooks.end() ? FHooks.size() : size_t(it - FHooks.begin()) + 1, m);
  }

  void Add(const TNodePtr& n) {
    FHooks.insert(FHooks.begin(), n);
    if (FControl && !FInstalled) {
      FControl->SetWindowProc(TDispatcher{shared_from_this()});
      FInstalled = true;
    }
  }

  void Remove(const TNodePtr& n) {
    n->Active = false;
    if (FDepth == 0) Settle();
  }

  int Count() const {
    int n = 0;
    for (const auto& h : FHooks) n += h->Active;
    return n;
  }

  TControl* Control() const { return FControl; }

  static std::map<TControl*, std::weak_ptr<TWindowProcChain>>& Chains() {
    static std::map<TControl*, std::weak_ptr<TWindowProcChain>> chains;
    return chains;
  }

 private:
  // Drops removed hooks once no message is on its way through the chain, and
  // puts the original procedure back when no hook is left and nobody
  // replaced the dispatcher since.
  void Settle() {
    std::erase_if(FHooks, [](const TNodePtr& n) { return !n->Active; });
    if (!FHooks.empty() || !FControl || !FInstalled) return;
    if (FControl->ComponentState().Contains(csDestroying)) return;
    const TWndMethod& current = FControl->WindowProc();
    const TDispatcher* d = current.target<TDispatcher>();
    if (d && d->Chain.get() == this) {
      auto keep = shared_from_this();
      FInstalled = false;
      Forget();
      FControl->SetWindowProc(FBase);
    }
  }

  void ControlGone() {
    Forget();
    FControl = nullptr;
  }
  void Forget() {
    if (!FControl) return;
    auto& chains = Chains();
    auto it = chains.find(FControl);
    if (it != chains.end() && (it->second.expired() || it->second.lock().get() == this)) chains.erase(it);
  }

  TControl* FControl;
  TLink* FLink;
  TWndMethod FBase;
  std::vector<TNodePtr> FHooks;
  bool FInstalled = false;
  int FDepth = 0;
};

std::unique_ptr<TWindowProcHook> HookWindowProc(TControl* Control, TWndMethod Proc) {
  if (!Control || !Proc) return nullptr;
  auto& chains = TWindowProcChain::Chains();
  std::shared_ptr<TWindowProcChain> chain;
  if (auto it = chains.find(Control); it != chains.end()) chain = it->second.lock();
  if (!chain) {
    chain = std::make_shared<TWindowProcChain>(Control);
    chains[Control] = chain;
  }
  std::unique_ptr<TWindowProcHook> h(new TWindowProcHook());
  h->FChain = chain;
  h->FNode = std::make_shared<TWindowProcHook::TNode>();
  h->FNode->Proc = std::move(Proc);
  h->FActive = true;
  chain->Add(h->FNode);
  return h;
}

int WindowProcHookCount(TControl* Control) {
  auto& chains = TWindowProcChain::Chains();
  auto it = chains.find(Control);
  if (it == chains.end()) return 0;
  auto chain = it->second.lock();
  return chain ? chain->Count() : 0;
}

TWindowProcHook::~TWindowProcHook() { Remove(); }

void TWindowProcHook::Remove() {
  if (!FActive) return;
  FActive = false;
  auto chain = FChain;
  chain->Remove(FNode);
}

void TWindowProcHook::CallNext(TMessage& Message) {
  if (FChain && (FChain->Control() || FActive)) FChain->RunAfter(FNode, Message);
}

TControl* TWindowProcHook::Control() const { return FChain ? FChain->Control() : nullptr; }

}  // namespace vcl
