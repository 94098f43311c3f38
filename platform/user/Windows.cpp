// Window classes, creation and destruction, the window tree and z-order,
// positions with their message sequence, text, window longs, procedures and
// the default window procedure.
#include <algorithm>
#include <climits>
#include <cstring>
#include <unordered_map>

#include "platform/user/OwnedWindows.h"
#include "platform/user/ServerInput.h"

namespace vcl::server {

namespace {

const HWND kDesktop = HwndFromValue(0x10010);

String Upper(const char16_t* s) {
  String r;
  for (; s && *s; ++s) r += (*s >= u'a' && *s <= u'z') ? char16_t(*s - 32) : *s;
  return r;
}

bool IsAtom(const char16_t* name) { return reinterpret_cast<uintptr_t>(name) < 0x10000; }

std::shared_ptr<WndClass> FindClass(const char16_t* name) {
  Server& s = S();
  if (!name) return nullptr;
  if (IsAtom(name)) {
    ATOM a = static_cast<ATOM>(reinterpret_cast<uintptr_t>(name));
    for (auto& [k, c] : s.Classes)
      if (c->Atom == a) return c;
    return nullptr;
  }
  auto it = s.Classes.find(Upper(name));
  return it == s.Classes.end() ? nullptr : it->second;
}

// Procedures made from callables: the WNDPROC is the address of the record,
// recognised by CallWindowProcW and never called directly.
struct ObjectInstance {
  TWndMethod Method;
};
std::unordered_map<void*, std::shared_ptr<ObjectInstance>>& Instances() {
  static auto* m = new std::unordered_map<void*, std::shared_ptr<ObjectInstance>>;
  return *m;
}

std::vector<Window*>& SiblingList(Window* w) {
  Server& s = S();
  if (w->Parent) return w->Parent->Children;
  return w->MessageOnly ? s.MessageOnly : s.TopLevels;
}

void UnlinkWindow(Window* w) {
  auto& v = SiblingList(w);
  v.erase(std::remove(v.begin(), v.end(), w), v.end());
  VisibilityChanged();
}

bool IsTopmost(const Window* w) { return !w->Parent && (w->ExStyle & WS_EX_TOPMOST); }

// Puts w into its sibling list at the place insertAfter names, keeping the
// topmost band of top-level windows in front.
void LinkAt(Window* w, HWND insertAfter) {
  VisibilityChanged();
  auto& v = SiblingList(w);
  v.erase(std::remove(v.begin(), v.end(), w), v.end());
  bool top = !w->Parent && !w->MessageOnly;
  size_t bandStart = 0, bandEnd = v.size();
  if (top) {
    size_t firstNormal = 0;
    while (firstNormal < v.size() && IsTopmost(v[firstNormal])) ++firstNormal;
    if (IsTopmost(w)) bandEnd = firstNormal;
    else bandStart = firstNormal;
  }
  size_t pos;
  if (insertAfter == HWND_TOP || insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) {
    pos = bandStart;
  } else if (insertAfter == HWND_BOTTOM) {
    pos = bandEnd;
  } else {
    pos = bandStart;
    for (size_t i = 0; i < v.size(); ++i)
      if (v[i]->Handle == insertAfter) { pos = i + 1; break; }
    pos = std::clamp(pos, bandStart, bandEnd);
  }
  v.insert(v.begin() + static_cast<std::ptrdiff_t>(pos), w);
}

// Owned windows stay above their owner.
void RaiseOwned(Window* owner) {
  Server& s = S();
  std::vector<Window*> owned;
  for (Window* t : s.TopLevels)
    if (t->Owner == owner->Handle && t != owner) owned.push_back(t);
  // Keep their relative order: insert from the back so the front one ends first.
  for (auto it = owned.rbegin(); it != owned.rend(); ++it) {
    Window* o = *it;
    auto& v = s.TopLevels;
    auto oi = std::find(v.begin(), v.end(), o);
    auto wi = std::find(v.begin(), v.end(), owner);
    if (oi > wi) LinkAt(o, owner == v.front() ? HWND_TOP : (*(wi - 1))->Handle);
  }
  for (Window* o : owned) RaiseOwned(o);
}

void LinkWindow(Window* w, HWND insertAfter) {
  LinkAt(w, insertAfter);
  if (!w->Parent && !w->MessageOnly) RaiseOwned(w);
}

}  // namespace

TRect NonClientInsets(DWORD style, DWORD exStyle) {
  int frame = 0;
  if (style & WS_THICKFRAME) frame = GetSystemMetrics(SM_CXFRAME) + GetSystemMetrics(SM_CXPADDEDBORDER);
  else if ((style & WS_DLGFRAME) || (exStyle & WS_EX_DLGMODALFRAME)) frame = GetSystemMetrics(SM_CXDLGFRAME);
  else if (style & WS_BORDER) frame = GetSystemMetrics(SM_CXBORDER);
  if (exStyle & WS_EX_CLIENTEDGE) frame += GetSystemMetrics(SM_CXEDGE);
  if (exStyle & WS_EX_STATICEDGE) frame += GetSystemMetrics(SM_CXBORDER);
  int top = frame;
  if ((style & WS_CAPTION) == WS_CAPTION)
    top += (exStyle & WS_EX_TOOLWINDOW) ? GetSystemMetrics(SM_CYSMCAPTION) : GetSystemMetrics(SM_CYCAPTION);
  return TRect(frame, top, frame, frame);
}

LRESULT Deliver(HWND h, UINT msg, WPARAM wp, LPARAM lp) {
  WNDPROC proc;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return 0;
    proc = w->Interposer ? w->Interposer : w->Proc;
  }
  return CallWindowProcW(proc, h, msg, wp, lp);
}

}  // namespace vcl::server

namespace vcl {

using namespace server;

// ---------------------------------------------------------------------------
// Classes

ATOM RegisterClassExW(const WNDCLASSEXW* wc) {
  if (!wc || !wc->lpszClassName || IsAtom(wc->lpszClassName) || !*wc->lpszClassName ||
      wc->cbClsExtra < 0 || wc->cbWndExtra < 0 || wc->cbClsExtra > 40000 || wc->cbWndExtra > 40000) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  String key = Upper(wc->lpszClassName);
  if (s.Classes.count(key)) {
    SetLastError(ERROR_CLASS_ALREADY_EXISTS);
    return 0;
  }
  auto c = std::make_shared<WndClass>();
  c->Name = wc->lpszClassName;
  c->Key = key;
  c->Style = wc->style;
  c->Proc = wc->lpfnWndProc;
  c->ClsExtra = wc->cbClsExtra;
  c->WndExtra = wc->cbWndExtra;
  c->Instance = wc->hInstance;
  c->Icon = wc->hIcon;
  c->IconSm = wc->hIconSm;
  c->Cursor = wc->hCursor;
  c->Background = wc->hbrBackground;
  if (wc->lpszMenuName && !IsAtom(wc->lpszMenuName)) c->MenuName = wc->lpszMenuName;
  c->Atom = s.NextAtom++;
  c->Extra.assign(static_cast<size_t>(wc->cbClsExtra), 0);
  s.Classes[key] = c;
  return c->Atom;
}

bool UnregisterClassW(const char16_t* className, HINSTANCE) {
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  auto c = FindClass(className);
  if (!c) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  if (c->Windows > 0) {
    SetLastError(ERROR_CLASS_HAS_WINDOWS);
    return false;
  }
  s.Classes.erase(c->Key);
  return true;
}

bool GetClassInfoExW(HINSTANCE, const char16_t* className, WNDCLASSEXW* wc) {
  std::lock_guard<std::mutex> lk(S().Lock);
  auto c = FindClass(className);
  if (!c || !wc) {
    SetLastError(ERROR_CLASS_DOES_NOT_EXIST);
    return false;
  }
  wc->style = c->Style;
  wc->lpfnWndProc = c->Proc;
  wc->cbClsExtra = c->ClsExtra;
  wc->cbWndExtra = c->WndExtra;
  wc->hInstance = c->Instance;
  wc->hIcon = c->Icon;
  wc->hIconSm = c->IconSm;
  wc->hCursor = c->Cursor;
  wc->hbrBackground = c->Background;
  wc->lpszMenuName = c->MenuName.empty() ? nullptr : c->MenuName.c_str();
  wc->lpszClassName = c->Name.c_str();
  return true;
}

String GetClassName(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w ? w->Class->Name : String();
}

int GetClassNameW(HWND h, char16_t* buffer, int maxCount) {
  String n = GetClassName(h);
  if (n.empty() || !buffer || maxCount <= 0) return 0;
  int len = std::min<int>(static_cast<int>(n.size()), maxCount - 1);
  std::memcpy(buffer, n.data(), size_t(len) * sizeof(char16_t));
  buffer[len] = 0;
  return len;
}

ULONG_PTR GetClassLongPtrW(HWND h, int index) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return 0;
  WndClass& c = *w->Class;
  switch (index) {
    case GCL_STYLE: return c.Style;
    case GCLP_WNDPROC: return reinterpret_cast<ULONG_PTR>(c.Proc);
    case GCLP_HBRBACKGROUND: return reinterpret_cast<ULONG_PTR>(c.Background);
    case GCLP_HCURSOR: return reinterpret_cast<ULONG_PTR>(c.Cursor);
    case GCLP_HICON: return reinterpret_cast<ULONG_PTR>(c.Icon);
    case GCLP_HICONSM: return reinterpret_cast<ULONG_PTR>(c.IconSm);
    case GCLP_HMODULE: return reinterpret_cast<ULONG_PTR>(c.Instance);
    case GCL_CBWNDEXTRA: return ULONG_PTR(c.WndExtra);
    case GCL_CBCLSEXTRA: return ULONG_PTR(c.ClsExtra);
    default:
      if (index >= 0 && size_t(index) + sizeof(LONG_PTR) <= c.Extra.size()) {
        ULONG_PTR v;
        std::memcpy(&v, c.Extra.data() + index, sizeof v);
        return v;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

ULONG_PTR SetClassLongPtrW(HWND h, int index, LONG_PTR value) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return 0;
  WndClass& c = *w->Class;
  ULONG_PTR old = 0;
  switch (index) {
    case GCL_STYLE: old = c.Style; c.Style = UINT(value); VisibilityChanged(); break;
    case GCLP_WNDPROC: old = reinterpret_cast<ULONG_PTR>(c.Proc); c.Proc = reinterpret_cast<WNDPROC>(value); break;
    case GCLP_HBRBACKGROUND: old = reinterpret_cast<ULONG_PTR>(c.Background); c.Background = reinterpret_cast<HBRUSH>(value); break;
    case GCLP_HCURSOR: old = reinterpret_cast<ULONG_PTR>(c.Cursor); c.Cursor = reinterpret_cast<HCURSOR>(value); break;
    case GCLP_HICON: old = reinterpret_cast<ULONG_PTR>(c.Icon); c.Icon = reinterpret_cast<HICON>(value); break;
    case GCLP_HICONSM: old = reinterpret_cast<ULONG_PTR>(c.IconSm); c.IconSm = reinterpret_cast<HICON>(value); break;
    default:
      if (index >= 0 && size_t(index) + sizeof(LONG_PTR) <= c.Extra.size()) {
        std::memcpy(&old, c.Extra.data() + index, sizeof old);
        std::memcpy(c.Extra.data() + index, &value, sizeof value);
        break;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return old;
}

// ---------------------------------------------------------------------------
// Creation and destruction

namespace {

void NotifyParents(HWND h, UINT event) {
  // WM_PARENTNOTIFY climbs while the window is a child that did not opt out.
  HWND cur = h;
  LPARAM id = 0;
  for (;;) {
    HWND parent;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(cur);
      if (!w || !w->IsChild() || (w->ExStyle & WS_EX_NOPARENTNOTIFY)) return;
      parent = w->Parent->Handle;
      if (cur == h) id = w->Id;
    }
    Send(parent, WM_PARENTNOTIFY, MAKEWPARAM(int(event), int(id)), HwndValue(h));
    cur = parent;
  }
}

void DefaultPlacement(Window* w, int& x, int& y, int& cx, int& cy, bool overlapped) {
  static int cascade = 0;
  const TRect work = S().Monitors.front().Work;
  if (x == CW_USEDEFAULT) {
    if (overlapped) {
      int step = 26 * (cascade++ % 10);
      x = work.Left + 26 + step;
      y = work.Top + 26 + step;
    } else {
      x = y = 0;
    }
  }
  if (cx == CW_USEDEFAULT) {
    if (overlapped) {
      cx = work.Width() * 3 / 4;
      cy = work.Height() * 3 / 4;
    } else {
      cx = cy = 0;
    }
  }
}

// Sends WM_NCCALCSIZE for a window rectangle (parent coordinates) and returns
// the client rectangle relative to the window.
TRect CalcClient(HWND h, const TRect& windowRect, bool full, const TRect& oldWindow,
                 const TRect& oldClientInParent, WINDOWPOS* pos) {
  TRect r;
  if (!full) {
    r = windowRect;
    Send(h, WM_NCCALCSIZE, 0, reinterpret_cast<LPARAM>(&r));
  } else {
    NCCALCSIZE_PARAMS p;
    p.rgrc[0] = windowRect;
    p.rgrc[1] = oldWindow;
    p.rgrc[2] = oldClientInParent;
    p.lppos = pos;
    Send(h, WM_NCCALCSIZE, 1, reinterpret_cast<LPARAM>(&p));
    r = p.rgrc[0];
  }
  if (r.Right < r.Left) r.Right = r.Left;
  if (r.Bottom < r.Top) r.Bottom = r.Top;
  OffsetRect(r, -windowRect.Left, -windowRect.Top);
  return r;
}

void SendDestroy(HWND h) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    w->Destroying = true;
  }
  ClipboardOwnerDestroying(h);
  Send(h, WM_DESTROY, 0, 0);
  std::vector<HWND> kids;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (Window* w = Find(h))
      for (Window* c : w->Children) kids.push_back(c->Handle);
  }
  for (HWND c : kids) SendDestroy(c);
}

void FreeWindow(HWND h) {
  std::vector<HWND> kids;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return;
    for (Window* c : w->Children) kids.push_back(c->Handle);
  }
  for (HWND c : kids) FreeWindow(c);
  Send(h, WM_NCDESTROY, 0, 0);
  Server& s = S();
  if (auto hook = s.Hook.WindowNcDestroyed) hook(h);
  std::lock_guard<std::mutex> lk(s.Lock);
  Window* w = Find(h);
  if (!w) return;
  for (Window* c : w->Children) c->Parent = nullptr;  // already freed; defensive
  w->Children.clear();
  RemoveWindowTimers(w);
  if (w->Queue) {
    auto& p = w->Queue->Posted;
    p.erase(std::remove_if(p.begin(), p.end(), [h](const MSG& m) { return m.hwnd == h; }), p.end());
  }
  for (Window* t : s.TopLevels)
    if (t->Owner == h) t->Owner = nullptr;
  bool top = !w->Parent;
  OnWindowDestroyed(w);
  UnlinkWindow(w);
  --w->Class->Windows;
  s.Windows.erase(HwndValue(h));
  if (top) ScreenChanged();
}

}  // namespace

HWND CreateWindowExW(DWORD exStyle, const char16_t* className, const char16_t* windowName,
                     DWORD style, int x, int y, int width, int height, HWND parent, HMENU menu,
                     HINSTANCE inst, void* param) {
  Server& s = S();
  auto queue = CurrentQueue();
  HWND h;
  bool messageOnly = parent == HWND_MESSAGE;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    auto cls = FindClass(className);
    if (!cls) {
      SetLastError(ERROR_CANNOT_FIND_WND_CLASS);
      return nullptr;
    }
    Window* pw = nullptr;
    HWND owner = nullptr;
    if (parent == kDesktop) parent = nullptr;
    if (parent && !messageOnly) {
      pw = Find(parent);
      if (!pw) {
        SetLastError(ERROR_INVALID_WINDOW_HANDLE);
        return nullptr;
      }
    }
    if ((style & WS_CHILD) && !pw && !messageOnly) {
      SetLastError(ERROR_INVALID_PARAMETER);  // a child needs a parent
      return nullptr;
    }
    if (!(style & WS_CHILD) && pw) {
      owner = TopOf(pw)->Handle;  // the parent of a top-level window is its owner
      pw = nullptr;
    }
    auto w = std::make_unique<Window>();
    h = HwndFromValue(s.NextHandle);
    s.NextHandle += 4;
    w->Handle = h;
    w->Class = cls;
    ++cls->Windows;
    bool overlapped = !(style & (WS_CHILD | WS_POPUP));
    if (overlapped) style |= WS_CAPTION | WS_CLIPSIBLINGS;
    if (!pw) style |= WS_CLIPSIBLINGS;
    if ((style & (WS_DLGFRAME | WS_THICKFRAME)) || (exStyle & WS_EX_DLGMODALFRAME)) exStyle |= WS_EX_WINDOWEDGE;
    w->Style = style & ~(WS_VISIBLE | WS_MINIMIZE | WS_MAXIMIZE);
    w->ExStyle = exStyle;
    w->Parent = pw;
    w->MessageOnly = messageOnly;
    w->Owner = owner;
    w->Proc = cls->Proc;
    w->Instance = inst;
    w->Id = (style & WS_CHILD) ? reinterpret_cast<LONG_PTR>(menu) : 0;
    w->Extra.assign(size_t(cls->WndExtra), 0);
    w->Queue = queue.get();
    w->ThreadId = queue->ThreadId;
    DefaultPlacement(w.get(), x, y, width, height, overlapped && !pw && !messageOnly);
    w->Rect = Bounds(x, y, std::max(0, width), std::max(0, height));
    w->Client = TRect(0, 0, w->Rect.Width(), w->Rect.Height());
    w->RestoreRect = w->Rect;
    Window* raw = w.get();
    s.Windows[HwndValue(h)] = std::move(w);
    // Children join at the bottom (creation order is tab order); top-level
    // windows come to the front of their band.
    LinkAt(raw, pw ? HWND_BOTTOM : HWND_TOP);
  }

  CREATESTRUCTW cs;
  cs.lpCreateParams = param;
  cs.hInstance = inst;
  cs.hMenu = menu;
  cs.hwndParent = parent;
  cs.cx = width;
  cs.cy = height;
  cs.x = x;
  cs.y = y;
  cs.style = LONG(style);
  cs.lpszName = windowName;
  cs.lpszClass = className;
  cs.dwExStyle = exStyle;

  if (CbtCreateVetoed(h, &cs)) {
    DestroyWindow(h);
    return nullptr;
  }
  if ((style & WS_THICKFRAME) || !(style & (WS_POPUP | WS_CHILD))) QueryMinMaxInfo(h);
  if (!Send(h, WM_NCCREATE, 0, reinterpret_cast<LPARAM>(&cs))) {
    DestroyWindow(h);
    return nullptr;
  }
  TRect wr;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(h);
    if (!w) return nullptr;
    w->Created = true;
    wr = w->Rect;
  }
  TRect client = CalcClient(h, wr, false, wr, wr, nullptr);
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    if (Window* w = Find(h)) w->Client = client;
    VisibilityChanged();
  }
  if (Send(h, WM_CREATE, 0, reinterpret_cast<LPARAM>(&cs)) == -1) {
    DestroyWindow(h);
    return nullptr;
  }
  TRect cl;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(h);
    if (!w) return nullptr;
    cl = w->Client;
    OffsetRect(cl, w->Rect.Left, w->Rect.Top);
  }
  Send(h, WM_SIZE, SIZE_RESTORED, MAKELPARAM(cl.Width(), cl.Height()));
  Send(h, WM_MOVE, 0, MAKELPARAM(cl.Left, cl.Top));
  NotifyParents(h, WM_CREATE);
  if (!IsWindow(h)) return nullptr;
  NotifyWinEvent(EVENT_OBJECT_CREATE, h, OBJID_WINDOW, CHILDID_SELF);
  if (style & WS_VISIBLE) {
    int cmd = (style & WS_MAXIMIZE) ? SW_SHOWMAXIMIZED : (style & WS_MINIMIZE) ? SW_SHOWMINIMIZED : SW_SHOW;
    ShowWindow(h, cmd);
  } else if (style & (WS_MAXIMIZE | WS_MINIMIZE)) {
    // Hidden but in a state: the state is kept for when it is shown.
    std::lock_guard<std::mutex> lk(s.Lock);
    if (Window* w = Find(h)) {
      w->Minimized = style & WS_MINIMIZE;
      w->Maximized = !w->Minimized && (style & WS_MAXIMIZE);
      VisibilityChanged();
    }
  }
  return IsWindow(h) ? h : nullptr;
}

bool DestroyWindow(HWND h) {
  std::vector<HWND> owned;
  bool visible;
  if (IsWindow(h) && CbtDestroyVetoed(h)) return false;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    if (w->ThreadId != CurrentThreadId()) {
      SetLastError(ERROR_ACCESS_DENIED);
      return false;
    }
    if (w->Destroying) return false;
    w->Destroying = true;
    visible = (w->Style & WS_VISIBLE) != 0;
    for (Window* t : S().TopLevels)
      if (t->Owner == h) owned.push_back(t->Handle);
  }
  if (visible)
    SetWindowPos(h, nullptr, 0, 0, 0, 0,
                 SWP_HIDEWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  BeforeDestroy(h);
  NotifyParents(h, WM_DESTROY);
  for (HWND o : owned) DestroyWindow(o);
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (Window* w = Find(h)) w->Destroying = false;  // SendDestroy marks the subtree
  }
  SendDestroy(h);
  FreeWindow(h);
  return true;
}

bool IsWindow(HWND h) {
  if (h == kDesktop) return true;
  std::lock_guard<std::mutex> lk(S().Lock);
  return Find(h) != nullptr;
}

bool IsWindowVisible(HWND h) {
  if (h == kDesktop) return true;
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w && VisibleChain(w);
}

bool IsWindowEnabled(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w && !(w->Style & WS_DISABLED);
}

bool IsChild(HWND parent, HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  for (Window* p = w ? w->Parent : nullptr; p; p = p->Parent)
    if (p->Handle == parent) return true;
  return false;
}

bool IsIconic(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w && w->Minimized;
}

bool IsZoomed(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  return w && w->Maximized;
}

bool EnableWindow(HWND h, bool enable) {
  bool wasDisabled;
  if (!enable && IsWindowEnabled(h)) BeforeDisable(h);
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return false;
    wasDisabled = (w->Style & WS_DISABLED) != 0;
    if (wasDisabled == !enable) return wasDisabled;
    if (enable) w->Style &= ~WS_DISABLED;
    else w->Style |= WS_DISABLED;
    VisibilityChanged();
  }
  Send(h, WM_ENABLE, enable ? 1 : 0, 0);
  return wasDisabled;
}

// ---------------------------------------------------------------------------
// Positions

bool SetWindowPos(HWND h, HWND insertAfter, int x, int y, int cx, int cy, UINT flags) {
  Server& s = S();
  WINDOWPOS wp;
  TRect oldRect, oldClient;
  bool shown = false, hidden = false;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    bool visible = (w->Style & WS_VISIBLE) != 0;
    if (visible) flags &= ~SWP_SHOWWINDOW;
    else flags &= ~SWP_HIDEWINDOW;
    if (w->Parent || w->MessageOnly) {
      if (insertAfter == HWND_TOPMOST || insertAfter == HWND_NOTOPMOST) insertAfter = HWND_TOP;
    }
    if (flags & SWP_NOMOVE) { x = w->Rect.Left; y = w->Rect.Top; }
    if (flags & SWP_NOSIZE) { cx = w->Rect.Width(); cy = w->Rect.Height(); }
    if (cx < 0) cx = 0;
    if (cy < 0) cy = 0;
    if (x == w->Rect.Left && y == w->Rect.Top) flags |= SWP_NOMOVE;
    if (cx == w->Rect.Width() && cy == w->Rect.Height()) flags |= SWP_NOSIZE;
    wp.hwnd = h;
    wp.hwndInsertAfter = insertAfter;
    wp.x = x;
    wp.y = y;
    wp.cx = cx;
    wp.cy = cy;
    wp.flags = flags;
    oldRect = w->Rect;
    oldClient = w->Client;
  }
  if (!(wp.flags & SWP_NOSENDCHANGING)) Send(h, WM_WINDOWPOSCHANGING, 0, reinterpret_cast<LPARAM>(&wp));
  flags = wp.flags;
  TRect newRect = (flags & SWP_NOMOVE) ? Bounds(oldRect.Left, oldRect.Top, 0, 0) : Bounds(wp.x, wp.y, 0, 0);
  if (flags & SWP_NOSIZE) { newRect.Right = newRect.Left + oldRect.Width(); newRect.Bottom = newRect.Top + oldRect.Height(); }
  else { newRect.Right = newRect.Left + std::max(0, wp.cx); newRect.Bottom = newRect.Top + std::max(0, wp.cy); }
  TRect newClient = oldClient;
  bool sized = newRect.Width() != oldRect.Width() || newRect.Height() != oldRect.Height();
  if (sized || (flags & SWP_FRAMECHANGED)) {
    TRect oldClientParent = oldClient;
    OffsetRect(oldClientParent, oldRect.Left, oldRect.Top);
    newClient = CalcClient(h, newRect, true, oldRect, oldClientParent, &wp);
  }
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(h);
    if (!w) return false;
    w->Rect = newRect;
    w->Client = newClient;
    VisibilityChanged();
    if (!(flags & SWP_NOZORDER)) {
      HWND after = wp.hwndInsertAfter;
      if (!w->Parent && !w->MessageOnly) {
        if (after == HWND_TOPMOST) w->ExStyle |= WS_EX_TOPMOST;
        else if (after == HWND_NOTOPMOST) w->ExStyle &= ~WS_EX_TOPMOST;
        else if (after != HWND_TOP && after != HWND_BOTTOM) {
          Window* a = Find(after);
          // Placing below a topmost window makes a window topmost; below a
          // normal one, normal.
          if (a && !a->Parent && !(flags & SWP_NOOWNERZORDER)) {
            if (IsTopmost(a)) w->ExStyle |= WS_EX_TOPMOST;
          }
        }
      }
      if (after != h) LinkWindow(w, after);
    }
    bool wasVisible = (w->Style & WS_VISIBLE) != 0;
    if (flags & SWP_SHOWWINDOW) w->Style |= WS_VISIBLE;
    if (flags & SWP_HIDEWINDOW) w->Style &= ~WS_VISIBLE;
    TRect oc = oldClient, nc = newClient;
    OffsetRect(oc, oldRect.Left, oldRect.Top);
    OffsetRect(nc, newRect.Left, newRect.Top);
    if (oc.Left == nc.Left && oc.Top == nc.Top) wp.flags |= SWP_NOCLIENTMOVE;
    if (oc.Width() == nc.Width() && oc.Height() == nc.Height()) wp.flags |= SWP_NOCLIENTSIZE;
    OnWindowMoved(w, oldRect, oldClient, wp.flags);
    bool nowVisible = (w->Style & WS_VISIBLE) != 0;
    shown = nowVisible && !wasVisible;
    hidden = wasVisible && !nowVisible;
    if (wasVisible != nowVisible) OnWindowShown(w, nowVisible);
    if (!(flags & SWP_NOZORDER) || wasVisible != nowVisible || !(wp.flags & SWP_NOMOVE) || sized) ScreenChanged();
  }
  wp.x = newRect.Left;
  wp.y = newRect.Top;
  wp.cx = newRect.Width();
  wp.cy = newRect.Height();
  Send(h, WM_WINDOWPOSCHANGED, 0, reinterpret_cast<LPARAM>(&wp));
  AfterWindowPos(h, flags, shown, hidden, !(flags & SWP_NOMOVE) || sized);
  return true;
}

bool MoveWindow(HWND h, int x, int y, int width, int height, bool repaint) {
  return SetWindowPos(h, nullptr, x, y, width, height,
                      SWP_NOZORDER | SWP_NOACTIVATE | (repaint ? 0 : SWP_NOREDRAW));
}

bool BringWindowToTop(HWND h) { return SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE); }

bool ShowWindow(HWND h, int cmd) {
  Server& s = S();
  bool wasVisible, minimized, maximized;
  TRect restore;
  DWORD style;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(h);
    if (!w) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return false;
    }
    wasVisible = (w->Style & WS_VISIBLE) != 0;
    minimized = w->Minimized;
    maximized = w->Maximized;
    restore = w->RestoreRect;
    style = w->Style;
  }
  UINT swp = SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE;
  switch (cmd) {
    case SW_HIDE:
      if (!wasVisible) return false;
      Send(h, WM_SHOWWINDOW, 0, 0);
      SetWindowPos(h, nullptr, 0, 0, 0, 0, SWP_HIDEWINDOW | SWP_NOACTIVATE | swp);
      return true;
    case SW_MINIMIZE:
    case SW_SHOWMINIMIZED:
    case SW_SHOWMINNOACTIVE:
    case SW_FORCEMINIMIZE:
    case SW_MAXIMIZE:
    case SW_RESTORE:
    case SW_SHOWNORMAL:
    case SW_SHOWDEFAULT: {
      bool toMin = cmd == SW_MINIMIZE || cmd == SW_SHOWMINIMIZED || cmd == SW_SHOWMINNOACTIVE || cmd == SW_FORCEMINIMIZE;
      bool toMax = cmd == SW_MAXIMIZE;
      if (cmd == SW_RESTORE && minimized) {
        // A window minimised from maximised comes back maximised.
        std::lock_guard<std::mutex> lk(s.Lock);
        Window* w = Find(h);
        toMax = w && w->RestoreMaximized;
      }
      bool toNormal = !toMin && !toMax;
      if (!wasVisible) Send(h, WM_SHOWWINDOW, 1, 0);
      TRect target;
      bool change = (toMin && !minimized) || (toMax && !maximized) || (toNormal && (minimized || maximized));
      if (!change) {
        if (!wasVisible)
          SetWindowPos(h, HWND_TOP, 0, 0, 0, 0,
                       SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | ((style & WS_CHILD) ? SWP_NOZORDER : 0));
        return wasVisible;
      }
      TRect cur;
      {
        std::lock_guard<std::mutex> lk(s.Lock);
        Window* w = Find(h);
        if (!w) return wasVisible;
        if (!minimized && !maximized) w->RestoreRect = w->Rect;
        cur = w->Rect;
        restore = w->RestoreRect;
      }
      if (toMin) {
        target = Bounds(-32000, -32000, GetSystemMetrics(SM_CXMINIMIZED), GetSystemMetrics(SM_CYMINIMIZED));
      } else if (toMax) {
        TRect work;
        {
          std::lock_guard<std::mutex> lk(s.Lock);
          Window* w = Find(h);
          if (w && w->Parent) work = TRect(0, 0, w->Parent->Client.Width(), w->Parent->Client.Height());
        }
        if (IsRectEmpty(work)) {
          MONITORINFO mi;
          GetMonitorInfoW(MonitorFromWindow(h, MONITOR_DEFAULTTONEAREST), &mi);
          work = mi.rcWork;
        }
        MINMAXINFO mmi = QueryMinMaxInfo(h);
        target = Bounds(work.Left + mmi.ptMaxPosition.X, work.Top + mmi.ptMaxPosition.Y, mmi.ptMaxSize.X, mmi.ptMaxSize.Y);
      } else {
        target = restore;
      }
      {
        std::lock_guard<std::mutex> lk(s.Lock);
        Window* w = Find(h);
        if (!w) return wasVisible;
        if (toMin) w->RestoreMaximized = maximized;
        w->Minimized = toMin;
        w->Maximized = toMax;
        VisibilityChanged();
        if (toMin) w->MinPosition = target.TopLeft();
        if (toMax) w->MaxPosition = target.TopLeft();
        w->Style &= ~(WS_MINIMIZE | WS_MAXIMIZE);
        if (toMin) w->Style |= WS_MINIMIZE;
        if (toMax) w->Style |= WS_MAXIMIZE;
      }
      UINT f = SWP_NOZORDER | SWP_FRAMECHANGED | SWP_STATECHANGED | (wasVisible ? 0 : SWP_SHOWWINDOW);
      // Minimising hands the activation on rather than taking it.
      if (cmd == SW_SHOWMINNOACTIVE || cmd == SW_MINIMIZE || cmd == SW_FORCEMINIMIZE) f |= SWP_NOACTIVATE;
      SetWindowPos(h, HWND_TOP, target.Left, target.Top, target.Width(), target.Height(), f);
      // The owned pop-ups of a top-level window leave with it and come back
      // when it is restored; each is asked first (WM_SHOWWINDOW), and the
      // default handling does the hiding or showing.
      if (!(style & WS_CHILD) && (toMin != minimized)) {
        std::vector<HWND> owned;
        {
          std::lock_guard<std::mutex> lk(s.Lock);
          for (Window* o : s.TopLevels)
            if (o->Owner == h && (toMin ? (o->Style & WS_VISIBLE) != 0 : o->HiddenWithOwner)) owned.push_back(o->Handle);
        }
        for (HWND o : owned) Send(o, WM_SHOWWINDOW, toMin ? 0 : 1, toMin ? SW_PARENTCLOSING : SW_PARENTOPENING);
      }
      return wasVisible;
    }
    default: {  // SW_SHOW, SW_SHOWNA, SW_SHOWNOACTIVATE, SW_SHOWMAXIMIZED
      if (cmd == SW_SHOWMAXIMIZED) return ShowWindow(h, SW_MAXIMIZE);
      if (wasVisible) return true;
      Send(h, WM_SHOWWINDOW, 1, 0);
      UINT f = SWP_SHOWWINDOW | SWP_NOMOVE | SWP_NOSIZE;
      // Showing a child never changes its place among its siblings.
      if (cmd != SW_SHOW || (style & WS_CHILD)) f |= SWP_NOACTIVATE | SWP_NOZORDER;
      SetWindowPos(h, HWND_TOP, 0, 0, 0, 0, f);
      return false;
    }
  }
}

bool GetWindowRect(HWND h, RECT* r) {
  if (!r) return false;
  if (h == kDesktop || !h) {
    *r = TRect(0, 0, GetSystemMetrics(SM_CXSCREEN), GetSystemMetrics(SM_CYSCREEN));
    return h == kDesktop;
  }
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  *r = ScreenRect(w);
  return true;
}

bool GetClientRect(HWND h, RECT* r) {
  if (!r) return false;
  if (h == kDesktop) return GetWindowRect(h, r);
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  *r = TRect(0, 0, w->Client.Width(), w->Client.Height());
  return true;
}

bool AdjustWindowRectEx(RECT* r, DWORD style, bool menu, DWORD exStyle) {
  if (!r) return false;
  TRect in = NonClientInsets(style, exStyle);
  r->Left -= in.Left;
  r->Top -= in.Top;
  r->Right += in.Right;
  r->Bottom += in.Bottom;
  if (menu) r->Top -= GetSystemMetrics(SM_CYMENU);
  return true;
}

namespace {
bool ClientOrigin(HWND h, TPoint& p) {
  if (!h || h == kDesktop) { p = TPoint(); return true; }
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return false;
  TRect c = ScreenClient(w);
  p = c.TopLeft();
  return true;
}
}  // namespace

bool ClientToScreen(HWND h, POINT* p) {
  TPoint o;
  if (!p || !ClientOrigin(h, o)) return false;
  p->X += o.X;
  p->Y += o.Y;
  return true;
}

bool ScreenToClient(HWND h, POINT* p) {
  TPoint o;
  if (!p || !ClientOrigin(h, o)) return false;
  p->X -= o.X;
  p->Y -= o.Y;
  return true;
}

int MapWindowPoints(HWND from, HWND to, POINT* points, UINT count) {
  TPoint a, b;
  if (!ClientOrigin(from, a) || !ClientOrigin(to, b)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  int dx = a.X - b.X, dy = a.Y - b.Y;
  for (UINT i = 0; points && i < count; ++i) {
    points[i].X += dx;
    points[i].Y += dy;
  }
  SetLastError(0);
  return int(MAKELPARAM(dx, dy));
}

// ---------------------------------------------------------------------------
// Relations

HWND GetDesktopWindow() { return kDesktop; }

HWND GetParent(HWND h) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return nullptr;
  if (w->Parent && (w->Style & WS_CHILD)) return w->Parent->Handle;
  if (w->Parent) return w->Parent->Handle;
  return (w->Style & WS_POPUP) ? w->Owner : nullptr;
}

HWND SetParent(HWND child, HWND newParent) {
  Server& s = S();
  if (newParent == kDesktop) newParent = nullptr;
  HWND old;
  bool visible;
  {
    std::lock_guard<std::mutex> lk(s.Lock);
    Window* w = Find(child);
    if (!w || w->Destroying) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    Window* np = newParent ? Find(newParent) : nullptr;
    if (newParent && !np) {
      SetLastError(ERROR_INVALID_WINDOW_HANDLE);
      return nullptr;
    }
    for (Window* p = np; p; p = p->Parent)
      if (p == w) {  // a window cannot become its own descendant
        SetLastError(ERROR_INVALID_PARAMETER);
        return nullptr;
      }
    old = w->Parent ? w->Parent->Handle : kDesktop;
    visible = (w->Style & WS_VISIBLE) != 0;
    if (visible) InvalidateAll(w->Parent ? w->Parent : w, true, true);
    OnWindowShown(w, false);
    UnlinkWindow(w);
    w->Parent = np;
    w->MessageOnly = false;
    VisibilityChanged();
    LinkAt(w, HWND_TOP);
    if (visible) InvalidateAll(w, true, true);
    ScreenChanged();
  }
  return old;
}

HWND GetWindow(HWND h, UINT cmd) {
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  if (h == kDesktop) {
    if (cmd == GW_CHILD) return s.TopLevels.empty() ? nullptr : s.TopLevels.front()->Handle;
    return nullptr;
  }
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return nullptr;
  }
  auto& v = SiblingList(w);
  auto it = std::find(v.begin(), v.end(), w);
  switch (cmd) {
    case GW_HWNDFIRST: return v.front()->Handle;
    case GW_HWNDLAST: return v.back()->Handle;
    case GW_HWNDNEXT: return (it + 1) == v.end() ? nullptr : (*(it + 1))->Handle;
    case GW_HWNDPREV: return it == v.begin() ? nullptr : (*(it - 1))->Handle;
    case GW_OWNER: return w->Parent ? nullptr : w->Owner;
    case GW_CHILD: return w->Children.empty() ? nullptr : w->Children.front()->Handle;
    case GW_ENABLEDPOPUP:
      for (Window* t : s.TopLevels)
        if (t->Owner == h && (t->Style & WS_VISIBLE) && !(t->Style & WS_DISABLED)) return t->Handle;
      return nullptr;
    default: SetLastError(ERROR_INVALID_PARAMETER); return nullptr;
  }
}

HWND GetNextWindow(HWND h, UINT cmd) { return GetWindow(h, cmd); }

HWND GetAncestor(HWND h, UINT flags) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) return nullptr;
  switch (flags) {
    case GA_PARENT: return w->Parent ? w->Parent->Handle : (w->MessageOnly ? nullptr : kDesktop);
    case GA_ROOT: return TopOf(w)->Handle;
    case GA_ROOTOWNER: {
      Window* r = TopOf(w);
      while (r->Owner) {
        Window* o = Find(r->Owner);
        if (!o) break;
        r = TopOf(o);
      }
      return r->Handle;
    }
    default: return nullptr;
  }
}

HWND GetTopWindow(HWND h) { return GetWindow(h ? h : kDesktop, GW_CHILD); }

namespace {
std::vector<HWND> Snapshot(const std::vector<Window*>& v) {
  std::vector<HWND> r;
  for (Window* w : v) r.push_back(w->Handle);
  return r;
}
void CollectDescendants(Window* w, std::vector<HWND>& out) {
  for (Window* c : w->Children) {
    out.push_back(c->Handle);
    CollectDescendants(c, out);
  }
}
}  // namespace

bool EnumWindows(WNDENUMPROC proc, LPARAM param) {
  std::vector<HWND> list;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    list = Snapshot(S().TopLevels);
  }
  for (HWND h : list)
    if (IsWindow(h) && !proc(h, param)) return false;
  return true;
}

bool EnumChildWindows(HWND parent, WNDENUMPROC proc, LPARAM param) {
  if (!parent || parent == kDesktop) return EnumWindows(proc, param);
  std::vector<HWND> list;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(parent);
    if (!w) return false;
    CollectDescendants(w, list);
  }
  for (HWND h : list)
    if (IsWindow(h) && !proc(h, param)) return false;
  return true;
}

bool EnumThreadWindows(DWORD threadId, WNDENUMPROC proc, LPARAM param) {
  std::vector<HWND> list;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    for (Window* w : S().TopLevels)
      if (w->ThreadId == threadId) list.push_back(w->Handle);
  }
  for (HWND h : list)
    if (IsWindow(h) && !proc(h, param)) return false;
  return true;
}

HWND FindWindowExW(HWND parent, HWND childAfter, const char16_t* className, const char16_t* windowName) {
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  std::vector<Window*>* list = &s.TopLevels;
  if (parent == HWND_MESSAGE) list = &s.MessageOnly;
  else if (parent && parent != kDesktop) {
    Window* p = Find(parent);
    if (!p) return nullptr;
    list = &p->Children;
  }
  std::shared_ptr<WndClass> cls;
  if (className) {
    cls = FindClass(className);
    if (!cls) return nullptr;
  }
  bool started = childAfter == nullptr;
  for (Window* w : *list) {
    if (!started) {
      started = w->Handle == childAfter;
      continue;
    }
    if (cls && w->Class != cls) continue;
    if (windowName && w->Text != windowName) continue;
    return w->Handle;
  }
  return nullptr;
}

HWND FindWindowW(const char16_t* className, const char16_t* windowName) {
  return FindWindowExW(nullptr, nullptr, className, windowName);
}

// ---------------------------------------------------------------------------
// Text, longs, properties

int GetWindowTextW(HWND h, char16_t* buffer, int maxCount) {
  if (!buffer || maxCount <= 0) return 0;
  DWORD tid;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) { buffer[0] = 0; return 0; }
    tid = w->ThreadId;
    if (tid != CurrentThreadId()) {
      // Another thread's window: its stored text, without running its procedure.
      int len = std::min<int>(int(w->Text.size()), maxCount - 1);
      std::memcpy(buffer, w->Text.data(), size_t(len) * sizeof(char16_t));
      buffer[len] = 0;
      return len;
    }
  }
  buffer[0] = 0;
  return int(Send(h, WM_GETTEXT, WPARAM(maxCount), reinterpret_cast<LPARAM>(buffer)));
}

int GetWindowTextLengthW(HWND h) {
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    Window* w = Find(h);
    if (!w) return 0;
    if (w->ThreadId != CurrentThreadId()) return int(w->Text.size());
  }
  return int(Send(h, WM_GETTEXTLENGTH, 0, 0));
}

String GetWindowText(HWND h) {
  int n = GetWindowTextLengthW(h);
  String r(size_t(n) + 1, u'\0');
  int got = GetWindowTextW(h, r.data(), n + 1);
  r.resize(size_t(std::max(0, got)));
  return r;
}

bool SetWindowTextW(HWND h, const char16_t* text) {
  if (!IsWindow(h)) return false;
  return Send(h, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text)) != 0;
}

LONG_PTR GetWindowLongPtrW(HWND h, int index) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  switch (index) {
    case GWL_STYLE: return LONG_PTR(LONG(w->Style));
    case GWL_EXSTYLE: return LONG_PTR(LONG(w->ExStyle));
    case GWLP_WNDPROC: return reinterpret_cast<LONG_PTR>(w->Proc);
    case GWLP_USERDATA: return w->UserData;
    case GWLP_ID: return w->Id;
    case GWLP_HINSTANCE: return reinterpret_cast<LONG_PTR>(w->Instance);
    case GWLP_HWNDPARENT: return HwndValue(w->Parent ? w->Parent->Handle : w->Owner);
    default:
      if (index >= 0 && size_t(index) + sizeof(LONG_PTR) <= w->Extra.size()) {
        LONG_PTR v;
        std::memcpy(&v, w->Extra.data() + index, sizeof v);
        return v;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
}

LONG_PTR SetWindowLongPtrW(HWND h, int index, LONG_PTR value) {
  if (index == GWL_STYLE || index == GWL_EXSTYLE) {
    STYLESTRUCT ss;
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      ss.styleOld = index == GWL_STYLE ? w->Style : w->ExStyle;
    }
    ss.styleNew = DWORD(value);
    Send(h, WM_STYLECHANGING, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
    {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      if (index == GWL_STYLE) {
        bool wasVisible = w->Style & WS_VISIBLE;
        w->Style = ss.styleNew;
        VisibilityChanged();
        w->HScroll.Shown = w->Style & WS_HSCROLL;
        w->VScroll.Shown = w->Style & WS_VSCROLL;
        if (wasVisible != bool(w->Style & WS_VISIBLE)) ScreenChanged();
      } else {
        bool topmost = w->ExStyle & WS_EX_TOPMOST;
        w->ExStyle = ss.styleNew;
        VisibilityChanged();
        // Topmost is a place in the z-order; it changes through SetWindowPos.
        w->ExStyle = (w->ExStyle & ~WS_EX_TOPMOST) | (topmost ? WS_EX_TOPMOST : 0);
        OnExStyleChanged(w, ss.styleOld);
        ScreenChanged();
      }
    }
    Send(h, WM_STYLECHANGED, WPARAM(index), reinterpret_cast<LPARAM>(&ss));
    return LONG_PTR(LONG(ss.styleOld));
  }
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  LONG_PTR old = 0;
  switch (index) {
    case GWLP_WNDPROC: old = reinterpret_cast<LONG_PTR>(w->Proc); w->Proc = reinterpret_cast<WNDPROC>(value); break;
    case GWLP_USERDATA: old = w->UserData; w->UserData = value; break;
    case GWLP_ID: old = w->Id; w->Id = value; break;
    case GWLP_HINSTANCE: old = reinterpret_cast<LONG_PTR>(w->Instance); w->Instance = reinterpret_cast<HINSTANCE>(value); break;
    case GWLP_HWNDPARENT:
      old = HwndValue(w->Parent ? w->Parent->Handle : w->Owner);
      if (!w->Parent) {
        Window* o = Find(HwndFromValue(value));
        w->Owner = o ? TopOf(o)->Handle : nullptr;
      }
      break;
    default:
      if (index >= 0 && size_t(index) + sizeof(LONG_PTR) <= w->Extra.size()) {
        std::memcpy(&old, w->Extra.data() + index, sizeof old);
        std::memcpy(w->Extra.data() + index, &value, sizeof value);
        break;
      }
      SetLastError(ERROR_INVALID_PARAMETER);
      return 0;
  }
  return old;
}

LONG GetWindowLongW(HWND h, int index) { return LONG(GetWindowLongPtrW(h, index)); }
LONG SetWindowLongW(HWND h, int index, LONG value) { return LONG(SetWindowLongPtrW(h, index, value)); }

int GetDlgCtrlID(HWND h) { return int(GetWindowLongPtrW(h, GWLP_ID)); }

HWND GetDlgItem(HWND parent, int id) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* p = Find(parent);
  if (!p) return nullptr;
  for (Window* c : p->Children)
    if (c->Id == id) return c->Handle;
  return nullptr;
}

bool SetPropW(HWND h, const char16_t* name, HANDLE data) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || !name) return false;
  w->Props[Upper(name)] = data;
  return true;
}

HANDLE GetPropW(HWND h, const char16_t* name) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || !name) return nullptr;
  auto it = w->Props.find(Upper(name));
  return it == w->Props.end() ? nullptr : it->second;
}

HANDLE RemovePropW(HWND h, const char16_t* name) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || !name) return nullptr;
  auto it = w->Props.find(Upper(name));
  if (it == w->Props.end()) return nullptr;
  HANDLE r = it->second;
  w->Props.erase(it);
  return r;
}

DWORD GetWindowThreadProcessId(HWND h, DWORD* processId) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return 0;
  }
  if (processId) *processId = GetCurrentProcessId();
  return w->ThreadId;
}

// ---------------------------------------------------------------------------
// Procedures

WNDPROC MakeObjectInstance(TWndMethod method) {
  auto inst = std::make_shared<ObjectInstance>();
  inst->Method = std::move(method);
  void* key = inst.get();
  std::lock_guard<std::mutex> lk(S().Lock);
  Instances()[key] = inst;
  return reinterpret_cast<WNDPROC>(key);
}

void FreeObjectInstance(WNDPROC proc) {
  std::shared_ptr<ObjectInstance> keep;  // destroyed after the lock is released
  std::lock_guard<std::mutex> lk(S().Lock);
  auto it = Instances().find(reinterpret_cast<void*>(proc));
  if (it != Instances().end()) {
    keep = it->second;
    Instances().erase(it);
  }
}

bool SetWindowInterposer(HWND h, WNDPROC interposer) {
  std::lock_guard<std::mutex> lk(S().Lock);
  Window* w = Find(h);
  if (!w || (w->ThreadId && w->ThreadId != CurrentThreadId())) {
    SetLastError(w ? ERROR_ACCESS_DENIED : ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  w->Interposer = interposer;
  return true;
}

LRESULT CallWindowProcW(WNDPROC proc, HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (!proc) return 0;
  std::shared_ptr<ObjectInstance> inst;
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    auto& m = Instances();
    auto it = m.find(reinterpret_cast<void*>(proc));
    if (it != m.end()) inst = it->second;
  }
  if (inst) {
    TMessage m;
    m.Msg = msg;
    m.WParam = wParam;
    m.LParam = lParam;
    inst->Method(m);
    return m.Result;
  }
  return proc(h, msg, wParam, lParam);
}

HWND AllocateHWnd(TWndMethod method) {
  static const char16_t* kClass = u"TPUtilWindow";
  {
    std::lock_guard<std::mutex> lk(S().Lock);
    if (!FindClass(kClass)) {
      auto c = std::make_shared<WndClass>();
      c->Name = kClass;
      c->Key = Upper(kClass);
      c->Proc = DefWindowProcW;
      c->Atom = S().NextAtom++;
      S().Classes[c->Key] = c;
    }
  }
  HWND h = CreateWindowExW(WS_EX_TOOLWINDOW, kClass, u"", WS_POPUP, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                           nullptr, nullptr);
  if (h && method) SetWindowLongPtrW(h, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(MakeObjectInstance(std::move(method))));
  return h;
}

void DeallocateHWnd(HWND h) {
  WNDPROC p = reinterpret_cast<WNDPROC>(GetWindowLongPtrW(h, GWLP_WNDPROC));
  DestroyWindow(h);
  if (p != DefWindowProcW) FreeObjectInstance(p);
}

UINT RegisterWindowMessageW(const char16_t* name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Server& s = S();
  std::lock_guard<std::mutex> lk(s.Lock);
  String key = Upper(name);
  auto it = s.RegisteredMessages.find(key);
  if (it != s.RegisteredMessages.end()) return it->second;
  if (s.NextMessage > 0xFFFF) return 0;
  UINT id = s.NextMessage++;
  s.RegisteredMessages[key] = id;
  return id;
}

// ---------------------------------------------------------------------------
// The default window procedure

LRESULT DefWindowProcW(HWND h, UINT msg, WPARAM wParam, LPARAM lParam) {
  if (LRESULT r = 0; DefInputProc(h, msg, wParam, lParam, r)) return r;
  if (IsNonClientDefault(msg)) return DefNonClientProc(h, msg, wParam, lParam);
  switch (msg) {
    case WM_SHOWWINDOW:
      if (lParam == SW_PARENTCLOSING || lParam == SW_PARENTOPENING) {
        bool show = lParam == SW_PARENTOPENING;
        {
          std::lock_guard<std::mutex> lk(S().Lock);
          Window* w = Find(h);
          if (!w || (w->Style & WS_CHILD) || (show && !w->HiddenWithOwner)) return 0;
          w->HiddenWithOwner = !show;
        }
        SetWindowPos(h, nullptr, 0, 0, 0, 0,
                     (show ? SWP_SHOWWINDOW : SWP_HIDEWINDOW) | SWP_NOACTIVATE | SWP_NOZORDER | SWP_NOMOVE | SWP_NOSIZE);
      }
      return 0;
    case WM_NCCREATE: {
      auto* cs = reinterpret_cast<CREATESTRUCTW*>(lParam);
      if (cs && cs->lpszName && !IsAtom(cs->lpszName)) {
        std::lock_guard<std::mutex> lk(S().Lock);
        if (Window* w = Find(h)) w->Text = cs->lpszName;
      }
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        if (Window* w = Find(h)) {
          w->HScroll.Shown = w->Style & WS_HSCROLL;
          w->VScroll.Shown = w->Style & WS_VSCROLL;
        }
      }
      return 1;
    }
    case WM_NCCALCSIZE: {
      TRect* r = wParam ? &reinterpret_cast<NCCALCSIZE_PARAMS*>(lParam)->rgrc[0] : reinterpret_cast<TRect*>(lParam);
      if (!r) return 0;
      DWORD style, ex;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return 0;
        style = w->Style;
        ex = w->ExStyle;
        if (w->Minimized) {  // a minimised window has no client area
          r->Right = r->Left;
          r->Bottom = r->Top;
          return 0;
        }
      }
      TRect in = NonClientInsets(style, ex);
      r->Left += in.Left;
      r->Top += in.Top;
      r->Right -= in.Right;
      r->Bottom -= in.Bottom;
      if ((style & WS_VSCROLL) && r->Right - r->Left >= GetSystemMetrics(SM_CXVSCROLL)) {
        if (ex & WS_EX_LEFTSCROLLBAR) r->Left += GetSystemMetrics(SM_CXVSCROLL);
        else r->Right -= GetSystemMetrics(SM_CXVSCROLL);
      }
      if ((style & WS_HSCROLL) && r->Bottom - r->Top > GetSystemMetrics(SM_CYHSCROLL))
        r->Bottom -= GetSystemMetrics(SM_CYHSCROLL);
      if (r->Right < r->Left) r->Right = r->Left;
      if (r->Bottom < r->Top) r->Bottom = r->Top;
      return 0;
    }
    case WM_SETTEXT: {
      auto* t = reinterpret_cast<const char16_t*>(lParam);
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      w->Text = t ? t : u"";
      if ((w->Style & WS_CAPTION) == WS_CAPTION) w->NcPaintNeeded = true;
      return 1;
    }
    case WM_GETTEXT: {
      auto* buf = reinterpret_cast<char16_t*>(lParam);
      if (!buf || wParam == 0) return 0;
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      size_t len = std::min(w->Text.size(), size_t(wParam) - 1);
      std::memcpy(buf, w->Text.data(), len * sizeof(char16_t));
      buf[len] = 0;
      return LRESULT(len);
    }
    case WM_GETTEXTLENGTH: {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      return w ? LRESULT(w->Text.size()) : 0;
    }
    case WM_CLOSE:
      DestroyWindow(h);
      return 0;
    case WM_WINDOWPOSCHANGED: {
      auto* wp = reinterpret_cast<WINDOWPOS*>(lParam);
      if (!wp) return 0;
      TRect cl;
      bool minimized, maximized;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (!w) return 0;
        cl = w->Client;
        OffsetRect(cl, w->Rect.Left, w->Rect.Top);
        minimized = w->Minimized;
        maximized = w->Maximized;
      }
      if (!(wp->flags & SWP_NOCLIENTMOVE)) Send(h, WM_MOVE, 0, MAKELPARAM(cl.Left, cl.Top));
      if (!(wp->flags & SWP_NOCLIENTSIZE) || (wp->flags & SWP_STATECHANGED)) {
        WPARAM kind = minimized ? SIZE_MINIMIZED : maximized ? SIZE_MAXIMIZED : SIZE_RESTORED;
        Send(h, WM_SIZE, kind, MAKELPARAM(cl.Width(), cl.Height()));
      }
      return 0;
    }
    case WM_QUERYENDSESSION:
      return 1;
    case WM_CTLCOLORMSGBOX:
    case WM_CTLCOLOREDIT:
    case WM_CTLCOLORLISTBOX:
    case WM_CTLCOLORBTN:
    case WM_CTLCOLORDLG:
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORSCROLLBAR: {
      // The control's colours: window colours for edits and lists, the face otherwise.
      HDC dc = reinterpret_cast<HDC>(wParam);
      bool window = msg == WM_CTLCOLOREDIT || msg == WM_CTLCOLORLISTBOX;
      if (msg == WM_CTLCOLORSCROLLBAR) {
        SetTextColor(dc, GetSysColor(COLOR_3DFACE));
        SetBkColor(dc, GetSysColor(COLOR_3DHIGHLIGHT));
        return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_SCROLLBAR));
      }
      SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
      SetBkColor(dc, GetSysColor(window ? COLOR_WINDOW : COLOR_3DFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(window ? COLOR_WINDOW : COLOR_3DFACE));
    }
    case WM_RBUTTONUP:
    case WM_NCRBUTTONUP: {
      POINT p(GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam));
      if (msg == WM_RBUTTONUP) ClientToScreen(h, &p);
      Send(h, WM_CONTEXTMENU, reinterpret_cast<WPARAM>(h), MAKELPARAM(p.X, p.Y));
      return 0;
    }
    case WM_MOUSEWHEEL:
    case WM_MOUSEHWHEEL:
    case WM_CONTEXTMENU: {
      // Unhandled, these travel up to the parent.
      HWND parent = nullptr;
      {
        std::lock_guard<std::mutex> lk(S().Lock);
        Window* w = Find(h);
        if (w && w->IsChild()) parent = w->Parent->Handle;
      }
      return parent ? Send(parent, msg, wParam, lParam) : 0;
    }
    case WM_SETICON: {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      HICON& slot = wParam == 0 ? w->IconSmall : w->IconBig;  // ICON_SMALL = 0, ICON_BIG = 1
      HICON old = slot;
      slot = reinterpret_cast<HICON>(lParam);
      return reinterpret_cast<LRESULT>(old);
    }
    case WM_GETICON: {
      std::lock_guard<std::mutex> lk(S().Lock);
      Window* w = Find(h);
      if (!w) return 0;
      return reinterpret_cast<LRESULT>(wParam == 0 ? w->IconSmall : w->IconBig);
    }
    case WM_SETREDRAW:
    case WM_PAINT:
    case WM_ERASEBKGND:
    case WM_PRINT:
    case WM_PRINTCLIENT:
    case WM_NCPAINT:
      return DefPaintProc(h, msg, wParam, lParam);
    default:
      return 0;
  }
}

}  // namespace vcl
