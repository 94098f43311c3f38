// Host-internal: the window server's state, shared by the units of
// platform/user and by platform/desktop. Not for code above platform/.
//
// One lock guards everything. Window procedures, hooks and callbacks are
// always called with the lock released, so they may call back into the server
// from any thread; code therefore keeps HWNDs, not Window pointers, across
// such calls and looks the window up again afterwards.
#pragma once

#include <chrono>
#include <condition_variable>
#include <deque>
#include <map>
#include <memory>
#include <mutex>
#include <unordered_map>
#include <vector>

#include "platform/gdi/GdiSurface.h"
#include "platform/user/User.h"

namespace vcl::server {

struct ThreadQueue;
struct Window;

struct WndClass {
  String Name;  // as registered
  String Key;   // upper-cased, for look-ups
  UINT Style = 0;
  WNDPROC Proc = nullptr;
  int ClsExtra = 0;
  int WndExtra = 0;
  HINSTANCE Instance = nullptr;
  HICON Icon = nullptr;
  HICON IconSm = nullptr;
  HCURSOR Cursor = nullptr;
  // TrackMouseEvent leave tracking: the window and whether it tracks its
  // non-client area.
  HWND LeaveTrack = nullptr;
  bool LeaveNonClient = false;
  HBRUSH Background = nullptr;
  String MenuName;
  ATOM Atom = 0;
  bool System = false;
  int Windows = 0;  // living windows of the class
  std::vector<Byte> Extra;
};

struct ScrollBarState {
  int Min = 0;
  int Max = 100;
  UINT Page = 0;
  int Pos = 0;
  int TrackPos = 0;
  bool Shown = false;     // WS_HSCROLL / WS_VSCROLL mirror this
  UINT Disabled = 0;      // ESB_* arrows
};

struct Window {
  HWND Handle = nullptr;
  std::shared_ptr<WndClass> Class;
  DWORD Style = 0;
  DWORD ExStyle = 0;
  Window* Parent = nullptr;  // nullptr: a top-level or message-only window
  bool MessageOnly = false;
  HWND Owner = nullptr;
  std::vector<Window*> Children;  // front (top of the z-order) first
  // The window rectangle in the parent's client coordinates (screen
  // coordinates for top-level windows) and the client rectangle relative to
  // the window's top-left corner.
  TRect Rect;
  TRect Client;
  String Text;
  WNDPROC Proc = nullptr;
  WNDPROC Interposer = nullptr;  // SetWindowInterposer
  LONG_PTR UserData = 0;
  LONG_PTR Id = 0;
  HINSTANCE Instance = nullptr;
  std::vector<Byte> Extra;
  std::map<String, HANDLE> Props;
  ThreadQueue* Queue = nullptr;
  DWORD ThreadId = 0;
  bool Created = false;      // WM_NCCREATE reached
  bool Destroying = false;   // DestroyWindow under way
  bool Redraw = true;        // WM_SETREDRAW
  bool Minimized = false;
  bool HiddenWithOwner = false;  // hidden by its owner's minimising
  bool Maximized = false;
  TRect RestoreRect;         // the normal position of a minimised/maximised window
  // Non-client state (NonClient.cpp): the caption's active look, the caption
  // button shown pressed (a hit code, 0 for none), whether restoring the
  // minimised window maximises it, and the last minimised/maximised places.
  bool NcActive = false;
  int NcPressed = 0;
  bool RestoreMaximized = false;
  TPoint MinPosition{-1, -1};
  TPoint MaxPosition{-1, -1};
  ScrollBarState HScroll, VScroll;
  HICON IconSmall = nullptr;  // WM_SETICON
  HICON IconBig = nullptr;
  // Painting (see Paint.cpp).
  HRGN Update = nullptr;     // client coordinates; nullptr when empty
  bool InternalPaint = false;
  bool EraseNeeded = false;
  bool NcPaintNeeded = false;
  HRGN WindowRgn = nullptr;  // window coordinates, owned
  TGdiSurfacePtr Surface;    // top-level windows: the window rectangle's pixels
  HDC OwnDC = nullptr;       // CS_OWNDC / CS_CLASSDC
  // Layered windows (Layered.cpp) and AnimateWindow (Animate.cpp).
  enum class LayerMode : Byte { None, Attributes, Update };
  LayerMode Layer = LayerMode::None;  // a WS_EX_LAYERED window shows nothing while None
  TGdiSurfacePtr LayerImage;          // Update: the picture, as given
  DWORD LayerFlags = 0;               // ULW_* (Update) or LWA_* (Attributes)
  Byte LayerAlpha = 255;              // ULW_ALPHA's constant alpha, LWA_ALPHA
  bool LayerPerPixel = false;         // ULW_ALPHA with AC_SRC_ALPHA
  COLORREF LayerKey = 0;              // ULW_COLORKEY / LWA_COLORKEY
  bool Animating = false;
  DWORD AnimFlags = 0;                // AW_*
  double AnimShown = 1;               // the part of the animation shown, 0..1

  bool IsChild() const { return (Style & WS_CHILD) != 0 && Parent != nullptr; }
};

// A message sent from another thread, waiting to be served.
struct SentMessage {
  HWND Hwnd = nullptr;
  UINT Msg = 0;
  WPARAM WParam = 0;
  LPARAM LParam = 0;
  LRESULT Result = 0;
  bool Done = false;        // replied (ReplyMessage or the procedure returned)
  bool Notify = false;      // SendNotifyMessage: nobody waits
  std::shared_ptr<ThreadQueue> Sender;
};

struct Timer {
  HWND Hwnd = nullptr;  // nullptr: a thread timer
  UINT_PTR Id = 0;
  UINT Elapse = 0;
  TIMERPROC Proc = nullptr;
  Int64 Due = 0;  // clock ms
};

struct ThreadQueue {
  DWORD ThreadId = 0;
  bool Alive = true;
  std::condition_variable Cv;
  std::deque<MSG> Posted;
  std::deque<std::shared_ptr<SentMessage>> SentIn;
  // Messages of other threads this thread is serving, innermost last.
  std::vector<std::shared_ptr<SentMessage>> Serving;
  std::vector<Timer> Timers;
  bool QuitPending = false;
  int QuitCode = 0;
  UINT WakeBits = 0;     // QS_* kinds that arrived since the last look (GetQueueStatus)
  UINT ChangedBits = 0;  // kinds that arrived since the last WaitMessage
  DWORD LastMessageTime = 0;
  DWORD LastMessagePos = 0;
};

// Host hooks filled by higher host units (desktop: composition and input).
struct Hooks {
  // The input stage of retrieval: returns true and fills msg when input for
  // a window of the thread is waiting (removing it when remove is set).
  // The lock is held on entry and exit; the hook may release it meanwhile to
  // ask windows (WM_NCHITTEST, WM_SETCURSOR).
  bool (*PeekInput)(std::unique_lock<std::mutex>& lk, ThreadQueue& q, HWND filter, UINT min, UINT max,
                    bool remove, MSG& msg) = nullptr;
  // Called whenever a top-level window's image on the screen may have changed.
  void (*ScreenChanged)() = nullptr;
  // The composed screen (virtual-screen sized); called with the lock held.
  TGdiSurfacePtr (*ComposeScreen)() = nullptr;
  // What the windows behind top and the desktop show where top stands, into
  // out, a surface of top's size; called with the lock held.
  void (*ComposeBehind)(const Window* top, const TGdiSurfacePtr& out) = nullptr;
  // Runs the main thread's queued synchronisations during retrieval.
  bool (*CheckSynchronize)() = nullptr;
  // A part of the screen (screen coordinates) whose pixels changed; the
  // lock may or may not be held.
  void (*ScreenDamaged)(const TRect& screenRect) = nullptr;
  // A display backend waits for the thread that drives it (DisplayThread)
  // instead of the queue's condition variable, so that it can watch its own
  // connection too: lock held on entry and exit, released meanwhile; returns
  // when woken, at until (nullptr: no limit) or when the display had events.
  void (*DisplayWait)(std::unique_lock<std::mutex>& lk, ThreadQueue& q,
                      const std::chrono::steady_clock::time_point* until) = nullptr;
  // Ends a DisplayWait early; lock held.
  void (*DisplayWake)() = nullptr;
  // The clock time at which input held back by a pause reaches the queue
  // (INT64_MAX: none held); lock held. Waiting loops move the virtual clock
  // there as they would to a timer.
  Int64 (*InputDue)() = nullptr;
  // A window got WM_NCDESTROY and is about to be freed; lock not held.
  void (*WindowNcDestroyed)(HWND h) = nullptr;
};

struct Monitor {
  HMONITOR Handle = nullptr;
  TRect Bounds;
  TRect Work;
  bool Primary = false;
  String Device;
};

struct Server {
  std::mutex Lock;
  std::unordered_map<intptr_t, std::unique_ptr<Window>> Windows;
  std::vector<Window*> TopLevels;     // front first; the topmost band leads
  std::vector<Window*> MessageOnly;
  std::map<String, std::shared_ptr<WndClass>> Classes;  // by upper-cased name
  ATOM NextAtom = 0xC000;
  intptr_t NextHandle = 0x20000;
  std::map<String, UINT> RegisteredMessages;  // upper-cased name -> id
  UINT NextMessage = 0xC000;
  std::unordered_map<DWORD, std::shared_ptr<ThreadQueue>> Queues;
  UINT_PTR NextThreadTimer = 0x7FFF0000;
  std::vector<Monitor> Monitors;
  Hooks Hook;
  // Input state (Input.cpp): one capture and one focus window for the
  // server, the key state of the last retrieved input and the driver's own.
  HWND Capture = nullptr;
  HWND Focus = nullptr;
  Byte KeyState[256] = {};
  Byte AsyncKeyState[256] = {};
  TPoint CursorPos;
  HCURSOR Cursor = nullptr;
  // TrackMouseEvent leave tracking: the window and whether it tracks its
  // non-client area.
  HWND LeaveTrack = nullptr;
  bool LeaveNonClient = false;
  // The main thread (the first that used the server), for synchronisation.
  DWORD MainThreadId = 0;
  // The thread whose waits the display backend serves (0: none).
  DWORD DisplayThread = 0;
  // Counts changes that may change what part of its surface any window's
  // DC may touch (see VisibilityChanged); a kept DC is handed out again only
  // while it stands where it was when the DC was made.
  uint64_t VisEpoch = 0;
};

Server& S();
// Called, the lock held, on every change that may alter a window's visible
// area or a DC's origin: a window placed, sized, shown, hidden, restacked,
// reparented, created or destroyed, a new style, window region, surface,
// client area or update lock, a scroll. Errs on the side of calling.
inline void VisibilityChanged() { ++S().VisEpoch; }
// The calling thread's queue, made on first use.
std::shared_ptr<ThreadQueue> CurrentQueue();
DWORD CurrentThreadId();

// Look-ups; the lock must be held.
Window* Find(HWND h);
Window* FindLive(HWND h);  // nullptr for windows being destroyed past WM_NCDESTROY
ThreadQueue* QueueOf(DWORD tid);
// The top-level window (or message-only root) that holds w.
Window* TopOf(Window* w);
// w's window rectangle in screen coordinates; its client rectangle in screen
// coordinates; the offset of its window rectangle inside its top-level
// window's rectangle.
TRect ScreenRect(const Window* w);
TRect ScreenClient(const Window* w);
TPoint OffsetInTop(const Window* w);
bool VisibleChain(const Window* w);  // w and every ancestor have WS_VISIBLE

// The visible, enabled window under a screen point, deepest child first,
// passing over the windows in skip (those that answered HTTRANSPARENT); lock held.
HWND WindowAt(TPoint p, const std::vector<HWND>& skip);

// Wakes a queue after something arrived of the given QS_* kinds; lock held.
void Wake(ThreadQueue& q, UINT bits);
void WakeAll(UINT bits);
// Wakes a waiting thread without saying why (events, replies); lock held.
void Notify(ThreadQueue& q);
// Waits until woken or until the given time (nullptr: no limit); lock held,
// released meanwhile. A thread driving a display waits on it instead.
void WaitQueue(std::unique_lock<std::mutex>& lk, ThreadQueue& q, const std::chrono::steady_clock::time_point* until);

// Sends a message to a window of any thread (the lock must not be held).
LRESULT Send(HWND h, UINT msg, WPARAM wp, LPARAM lp);
// Calls the window's procedure on this thread (the lock must not be held).
LRESULT Deliver(HWND h, UINT msg, WPARAM wp, LPARAM lp);

// The clock in milliseconds and in 100 ns units; virtual mode control.
Int64 ClockMs();
Int64 ClockTicks();
bool ClockVirtual();
void SetClockVirtual(bool on);
void AdvanceClock(Int64 ms);
// Moves the virtual clock to at least ms (used when a loop would block).
void AdvanceClockTo(Int64 ms);

// Default sizes: frame thickness from styles, as WM_NCCALCSIZE computes them.
TRect NonClientInsets(DWORD style, DWORD exStyle);

// The clipboard owner is being destroyed: it renders its promised formats
// (WM_RENDERALLFORMATS); lock not held.
void ClipboardOwnerDestroying(HWND h);

// Timers: the earliest due time of the thread's timers (INT64_MAX if none),
// or of input held back by a pause when that comes first.
Int64 NextTimerDue(ThreadQueue& q);
void RemoveWindowTimers(Window* w);

// Painting hooks inside platform/user (Paint.cpp); lock held unless noted.
bool NeedsPaint(const Window* w);
Window* FindPaintWindow(ThreadQueue& q, HWND filter);  // parents before children
void ValidateAfterPaint(Window* w);
// A top-level window's surface, made or resized to its window rectangle.
TGdiSurfacePtr SurfaceOf(Window* top);
void OnWindowDestroyed(Window* w);
void OnWindowMoved(Window* w, const TRect& oldRect, const TRect& oldClient, UINT flags);
void OnWindowShown(Window* w, bool shown);
void InvalidateAll(Window* w, bool erase, bool children);
void ScreenChanged();
// The pixels of a part of the screen changed (screen coordinates); lock held.
void ScreenDamaged(const TRect& screenRect);
// What screen DCs draw (ScreenDC.cpp), kept over the composition until the
// window beneath changes what it shows there; lock held for each.
// Paints the overlay onto a composed area (out: the virtual screen, area in
// its coordinates), dropping overlay pixels whose window changed beneath.
void ApplyScreenOverlayLocked(const TGdiSurfacePtr& out, const TRect& area);
// Screen DCs: a new one is tracked over the surface it was made on; Sync
// takes what every live one drew into the overlay and shows each the screen
// as it now is; Release takes one's drawing and forgets it.
void TrackScreenDCLocked(HDC dc, const TGdiSurfacePtr& surface);
void SyncScreenDCsLocked();
// The screen DCs still open that only read get the screen as it is now.
void RefreshReadingScreenDCsLocked();
void ReleaseScreenDCLocked(HDC dc);
// A window put pixels on the screen in screenRgn (screen coordinates): the
// overlay goes there, what live screen DCs drew until now included.
void ScreenPaintedLocked(HRGN screenRgn);
// Whether anything is drawn on the screen or a screen DC is open.
bool ScreenOverlayInUseLocked();
bool IsScreenDCLocked(HDC dc);
void ClearScreenOverlayLocked();
// System settings for tests and the desktop (SysInfo.cpp); the lock must not be held.
void SetMetricOverride(int index, int value);
UINT ParameterLocked(UINT spiGet);  // lock held
void SetParameterOverride(UINT spiGet, UINT value);
void ResetSystemSettings();
void SetLocale(LCID lcid);
void SetLocaleOverride(LCTYPE type, const String& value);
void SetMonitors(const std::vector<Monitor>& monitors);
// DefWindowProcW's painting messages (Paint.cpp).
LRESULT DefPaintProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);

// ---------------------------------------------------------------------------
// Non-client area and modal loops (NonClient.cpp, Loops.cpp); no lock held.

// The messages DefWindowProcW hands to DefNonClientProc.
bool IsNonClientDefault(UINT msg);
LRESULT DefNonClientProc(HWND h, UINT msg, WPARAM wp, LPARAM lp);
// Draws the classic frame, caption and scroll bars of the window's styles on
// a whole-window DC; clip (window coordinates) limits it when given.
void DrawClassicFrame(HWND h, HDC dc, HRGN clip);
// The default limits for the window's monitor, then WM_GETMINMAXINFO's answer.
MINMAXINFO QueryMinMaxInfo(HWND h);
// The move or size loop of WM_SYSCOMMAND SC_MOVE / SC_SIZE (+ WMSZ_*).
void SizeMoveLoop(HWND h, WPARAM command);
// The menu loop of TrackPopupMenuEx (Menus.cpp); a system menu tells the
// owner so in WM_INITMENUPOPUP.
int TrackMenuLoop(HMENU m, UINT flags, TPoint at, HWND owner, const TRect* exclude, bool systemMenu);

// How a top-level window reaches the screen (Layered.cpp, Animate.cpp); lock
// held. Source pixel (x, y) shows at window point (x + Shift.X, y + Shift.Y),
// only inside Clip (window coordinates) and the window's shape.
struct ScreenLook {
  bool Hidden = false;         // a layered window with nothing to show yet
  TGdiSurfacePtr Source;       // the window surface or the layered picture
  bool PerPixel = false;       // premultiplied source alpha composes per pixel
  uint32_t Alpha = 255;        // constant opacity, 0..255
  bool Keyed = false;          // pixels whose colour bytes equal Key are not shown
  uint32_t Key = 0;            // 0x00RRGGBB
  TRect Clip;
  TPoint Shift;
};
ScreenLook LookOf(Window* top);
// The opacity (0..255) the screen gives window point p of a look; 0 lets
// the pointer through.
uint32_t LookAlphaAt(const ScreenLook& look, TPoint p);
// AnimateWindow's part in a look (Animate.cpp).
void ApplyAnimation(const Window* top, ScreenLook& look);
// Whether screen point p falls on w's shape: its window region, and for a
// top-level window a pixel it shows; lock held.
bool InShape(Window* w, TPoint p);
// WS_EX_LAYERED went on or off: the layered state starts afresh (Layered.cpp).
void OnExStyleChanged(Window* w, DWORD oldExStyle);

}  // namespace vcl::server
