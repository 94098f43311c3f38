// Subclass chains, kept per window and run through the window's interposer.
#include <map>
#include <memory>
#include <mutex>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/user/OwnedWindows.h"

namespace vcl {

namespace {

struct Node {
  SUBCLASSPROC Proc = nullptr;
  UINT_PTR Id = 0;
  DWORD_PTR Data = 0;
  bool Removed = false;
};
using NodePtr = std::shared_ptr<Node>;

// The nodes of one window, newest first.
struct Chains {
  std::mutex Lock;
  std::map<HWND, std::vector<NodePtr>> Of;
};

Chains& C() {
  static Chains c;
  return c;
}

// One message on its way down a chain. The snapshot keeps the nodes alive
// while they run; Next is the node DefSubclassProc calls.
struct Frame {
  HWND Wnd;
  std::vector<NodePtr> Nodes;
  size_t Next = 0;
};
thread_local std::vector<Frame*> tFrames;

LRESULT Step(Frame& f, UINT msg, WPARAM wp, LPARAM lp) {
  while (f.Next < f.Nodes.size()) {
    size_t at = f.Next++;
    NodePtr n = f.Nodes[at];
    if (n->Removed) continue;
    DWORD_PTR data;
    {
      std::lock_guard<std::mutex> lk(C().Lock);
      data = n->Data;
    }
    LRESULT r = n->Proc(f.Wnd, msg, wp, lp, n->Id, data);
    // A node may pass a message on more than once; each time it reaches the
    // same next node.
    f.Next = at + 1;
    return r;
  }
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(f.Wnd, GWLP_WNDPROC));
  return CallWindowProcW(proc, f.Wnd, msg, wp, lp);
}

LRESULT ChainProc(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  Frame f{h, {}, 0};
  {
    std::lock_guard<std::mutex> lk(C().Lock);
    auto it = C().Of.find(h);
    if (it != C().Of.end()) f.Nodes = it->second;
  }
  tFrames.push_back(&f);
  struct Pop {
    ~Pop() { tFrames.pop_back(); }
  } pop;
  LRESULT r = Step(f, msg, wp, lp);
  if (msg == WM_NCDESTROY) {
    {
      std::lock_guard<std::mutex> lk(C().Lock);
      auto it = C().Of.find(h);
      if (it != C().Of.end()) {
        for (auto& n : it->second) n->Removed = true;
        C().Of.erase(it);
      }
    }
    SetWindowInterposer(h, nullptr);
  }
  return r;
}

bool OwnThread(HWND h) { return IsWindow(h) && GetWindowThreadProcessId(h, nullptr) == GetCurrentThreadId(); }

}  // namespace

BOOL SetWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass, DWORD_PTR dwRefData) {
  if (!pfnSubclass || !OwnThread(hWnd)) return 0;
  bool first;
  {
    std::lock_guard<std::mutex> lk(C().Lock);
    auto& nodes = C().Of[hWnd];
    for (auto& n : nodes)
      if (n->Proc == pfnSubclass && n->Id == uIdSubclass) {
        n->Data = dwRefData;
        return 1;
      }
    first = nodes.empty();
    auto n = std::make_shared<Node>();
    n->Proc = pfnSubclass;
    n->Id = uIdSubclass;
    n->Data = dwRefData;
    nodes.insert(nodes.begin(), n);
  }
  if (first && !SetWindowInterposer(hWnd, ChainProc)) {
    std::lock_guard<std::mutex> lk(C().Lock);
    C().Of.erase(hWnd);
    return 0;
  }
  return 1;
}

BOOL GetWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass, DWORD_PTR* pdwRefData) {
  std::lock_guard<std::mutex> lk(C().Lock);
  auto it = C().Of.find(hWnd);
  if (it != C().Of.end())
    for (auto& n : it->second)
      if (n->Proc == pfnSubclass && n->Id == uIdSubclass) {
        if (pdwRefData) *pdwRefData = n->Data;
        return 1;
      }
  if (pdwRefData) *pdwRefData = 0;
  return 0;
}

BOOL RemoveWindowSubclass(HWND hWnd, SUBCLASSPROC pfnSubclass, UINT_PTR uIdSubclass) {
  if (!OwnThread(hWnd)) return 0;
  bool last = false;
  {
    std::lock_guard<std::mutex> lk(C().Lock);
    auto it = C().Of.find(hWnd);
    if (it == C().Of.end()) return 0;
    auto& nodes = it->second;
    auto n = std::find_if(nodes.begin(), nodes.end(),
                          [&](const NodePtr& p) { return p->Proc == pfnSubclass && p->Id == uIdSubclass; });
    if (n == nodes.end()) return 0;
    (*n)->Removed = true;
    nodes.erase(n);
    if (nodes.empty()) {
      C().Of.erase(it);
      last = true;
    }
  }
  if (last) SetWindowInterposer(hWnd, nullptr);
  return 1;
}

LRESULT DefSubclassProc(HWND hWnd, UINT uMsg, WPARAM wParam, LPARAM lParam) {
  for (auto it = tFrames.rbegin(); it != tFrames.rend(); ++it)
    if ((*it)->Wnd == hWnd) return Step(**it, uMsg, wParam, lParam);
  // Called outside any chain: straight to the window procedure.
  auto proc = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(hWnd, GWLP_WNDPROC));
  return CallWindowProcW(proc, hWnd, uMsg, wParam, lParam);
}

}  // namespace vcl
