// Host-internal: activation, hooks, caret, cursor, hover and input-method
// state of the window server, shared by the units of platform/user and by
// the input driver of platform/desktop. Not for code above platform/.
//
// The state lives in the units that own it and is guarded by the server's
// one lock, like everything in Server.h.
#pragma once

#include <functional>
#include <mutex>

#include "platform/user/Server.h"

namespace vcl::server {

// ---------------------------------------------------------------------------
// Activation (Activation.cpp); the lock must not be held.

// Moves the activation to top (nullptr: nobody), with the message sequence of
// the platform. clickActive marks activation by a mouse click. Returns false
// when a hook vetoed or the window cannot be activated.
bool Activate(HWND top, bool clickActive);
// Lock held: the active window.
HWND ActiveLocked();
// Lock held: whether a top-level window may take activation at all.
bool CanActivate(const Window* top);
// A button press retrieved for target whose top-level window is inactive:
// WM_MOUSEACTIVATE up the parent chain and the activation it asks for.
// Returns true when the press is to be eaten.
bool MouseActivate(HWND target, LRESULT hit, UINT msg);
// Called by SetWindowPos after WM_WINDOWPOSCHANGED: activation of shown or
// raised windows, hand-over when the active window was hidden, WinEvents.
void AfterWindowPos(HWND h, UINT flags, bool shown, bool hidden, bool movedOrSized);
// Called by DestroyWindow before WM_DESTROY: activation and focus leave the
// window's tree, the caret goes, the WinEvent is raised.
void BeforeDestroy(HWND h);
// WH_CBT around creation and destruction: true when a hook vetoed. A window
// whose creation was vetoed is destroyed without asking again.
bool CbtCreateVetoed(HWND h, CREATESTRUCTW* cs);
bool CbtDestroyVetoed(HWND h);
// Called by EnableWindow before a window is disabled: WM_CANCELMODE and the
// focus leaving the disabled tree.
void BeforeDisable(HWND h);
// DefWindowProcW's answers to the messages of this part of the server;
// returns true and sets result when msg is one of them.
bool DefInputProc(HWND h, UINT msg, WPARAM wp, LPARAM lp, LRESULT& result);

// ---------------------------------------------------------------------------
// Hooks (Hooks.cpp)

// Runs the thread's WH_CBT chain; non-zero vetoes. Lock not held.
LRESULT CallCbt(int code, WPARAM wp, LPARAM lp);
// WH_MOUSE / WH_KEYBOARD for an input message about to be retrieved; true:
// discard it. Lock not held.
bool CallInputHook(int idHook, WPARAM wp, LPARAM lp);
// WH_GETMESSAGE for a retrieved message (it may change it). Lock not held.
void CallGetMessageHook(MSG& msg, bool removed);
// A sent message delivered to a procedure with the call-window hooks around
// it; fromThisThread as the platform reports it. Lock not held.
LRESULT DeliverSent(HWND h, UINT msg, WPARAM wp, LPARAM lp, bool fromThisThread);
// Queues a WinEvent to every hook that wants it. Lock held.
void RaiseWinEvent(DWORD event, HWND h, LONG idObject, LONG idChild);
// Runs the retrieval-time duties of a thread: its out-of-context WinEvent
// callbacks (lock released meanwhile) and the caret blink.
// Lock held on entry and exit.
void ServeRetrievalExtras(std::unique_lock<std::mutex>& lk, ThreadQueue& q);
// The earliest clock time at which retrieval has something of this part to
// do for the thread (INT64_MAX: nothing); lock held.
Int64 ExtrasDue(ThreadQueue& q);

// ---------------------------------------------------------------------------
// Caret (Caret.cpp); lock held.

// Brings the caret's pixels in line with its visibility and blink phase now.
void SyncCaret();
// Takes the caret off the screen while a window paints (BeginPaint), and
// puts it back afterwards (EndPaint).
void CaretPaintBegin(HWND h);
void CaretPaintEnd(HWND h);
void DropCaretOf(HWND h);
bool CaretDrawn();
// When the caret of a window of the thread next changes its blink phase
// (INT64_MAX: never). Only in real-time mode: a virtual clock is not moved
// on for a blink, so a waiting loop there still finds nothing to do.
Int64 CaretDue(ThreadQueue& q);

// ---------------------------------------------------------------------------
// Cursor and hover (Cursor.cpp); lock held.

// The pointer clamped to the ClipCursor rectangle.
TPoint ClampToClip(TPoint p);
// The driver's pointer mover; SetCursorPos goes through it so a moved
// pointer is routed like any other move. Set by platform/desktop.
using MovePointerFn = void (*)(int x, int y);
void SetMovePointerHook(MovePointerFn fn);
// TrackMouseEvent's hover part: start, cancel, query.
void StartHover(HWND h, bool nonClient, DWORD ms);
void CancelHover(HWND h, bool nonClient);
bool QueryHover(HWND& h, bool& nonClient, DWORD& ms);
// A retrieved mouse message for target: restarts or ends hover tracking.
// time is when the pointer got there.
void HoverCheck(HWND target, bool nonClient, TPoint screenPt, DWORD time);
// The hit-test code of the last retrieved non-client mouse message.
void SetHoverHit(LRESULT hit);
// Posts WM_MOUSEHOVER / WM_NCMOUSEHOVER when the hover time is up.
void HoverPoll(ThreadQueue& q);
Int64 HoverDue(ThreadQueue& q);
void ResetHover();
// Hover, the clip rectangle and the display counter back to their start.
void ResetPointer();
// Whether ShowCursor's counter lets the cursor show.
bool CursorShownLocked();

// ---------------------------------------------------------------------------
// Keyboard (Keyboard.cpp)

// The US-layout scan code of a key and whether it is an extended key.
UINT ScanCodeOf(UINT vk, bool* extended);

// ---------------------------------------------------------------------------
// Input method (Ime.cpp); lock not held.

// Delivers a composed string to the focus window as the input method does.
void DeliverComposition(HWND focus, const String& text);
// A destroyed window's own context goes with it; lock held.
void DropImeOf(HWND h);
// While not 0, result-string queries answer this error code; lock not held.
void SetImeResultError(LONG code);

}  // namespace vcl::server
