// TCustomForm: the top of a control tree as a top-level window; showing,
// modal loops, closing, focus bookkeeping and dialog keys.
#include <algorithm>
#include <deque>

#include "platform/vcl/Forms.h"

namespace vcl {

namespace {

// Counts focus changes: a notification during which it moved means a
// handler moved the focus elsewhere, and the change in progress stops.
Integer gFocusCount = 0;

constexpr WORD kInactive = 0;  // WM_ACTIVATE's WA_INACTIVE

[[noreturn]] void RaiseCannotFocus() {
  throw EInvalidOperation(u"Cannot focus a disabled or invisible window");
}

// The thread's visible, enabled top-level windows, disabled for a modal
// loop and enabled again afterwards.
std::vector<HWND> DisableTaskWindows(HWND Except) {
  std::vector<HWND> all, disabled;
  EnumThreadWindows(
      GetCurrentThreadId(),
      [](HWND h, LPARAM p) {
        reinterpret_cast<std::vector<HWND>*>(p)->push_back(h);
        return true;
      },
      reinterpret_cast<LPARAM>(&all));
  for (HWND h : all)
    if (h != Except && IsWindowVisible(h) && IsWindowEnabled(h)) {
      EnableWindow(h, false);
      disabled.push_back(h);
    }
  return disabled;
}

void EnableTaskWindows(const std::vector<HWND>& Windows) {
  for (HWND h : Windows)
    if (IsWindow(h)) EnableWindow(h, true);
}

}  // namespace

Integer TApplication::MessageBox(const String& Text, const String& Caption, Integer Flags) {
  HWND active = GetActiveWindow();
  if (active && GetWindowThreadProcessId(active, nullptr) != GetCurrentThreadId()) active = nullptr;
  HWND owner = active;
  if (!owner && FMainForm && FMainForm->HandleAllocated() && IsWindowVisible(FMainForm->Handle()))
    owner = FMainForm->Handle();
  if (!owner) owner = Handle();
  std::vector<HWND> disabled = DisableTaskWindows(nullptr);
  Integer result;
  try {
    result = MessageBoxW(owner, Text.c_str(), Caption.c_str(), UINT(Flags));
  } catch (...) {
    EnableTaskWindows(disabled);
    throw;
  }
  EnableTaskWindows(disabled);
  if (active && IsWindow(active)) SetActiveWindow(active);
  return result;
}

// ---------------------------------------------------------------------------
// Life cycle

TCustomForm::TCustomForm(TComponent* AOwner) : TWinControl(AOwner) {
  FControlStyle = TControlStyle{csAcceptsControls, csCaptureMouse, csClickEvents, csSetCaption, csDoubleClicks};
  FVisible = false;
  SetBounds(0, 0, 320, 240);
  SetParentColor(false);
  SetColor(clBtnFace);
  SetParentFont(false);
  FCanvas = std::make_unique<TControlCanvas>();
  FCanvas->SetControl(this);
  if (Screen) {
    FPixelsPerInch = Screen->PixelsPerInch();
    Screen->AddForm(this);
  }
}

void TCustomForm::BeforeDestruction() {
  try {
    DoDestroy();
  } catch (...) {
    if (Application) Application->HandleException(this);
  }
  if (Screen) Screen->RemoveForm(this);
  inherited::BeforeDestruction();
}

TCustomForm::~TCustomForm() {
  if (Screen) Screen->RemoveForm(this);
  FCanvas->FreeHandle();
}

void TCustomForm::DoCreate() {
  if (FOnCreate) FOnCreate(this);
}

void TCustomForm::DoDestroy() {
  if (FOnDestroy) FOnDestroy(this);
}

void TCustomForm::DefineProperties(TFiler* Filer) {
  inherited::DefineProperties(Filer);
  Filer->DefineProperty(
      u"TextHeight", [this](TReader* Reader) { FTextHeight = Reader->ReadInteger(); },
      [this](TWriter* Writer) { Writer->WriteInteger(FTextHeight); }, FTextHeight != 0);
}

void TCustomForm::ReadState(TReader* Reader) {
  DisableAlign();
  try {
    inherited::ReadState(Reader);
    // Designed at another density: what the file measures in pixels is
    // brought to the screen's, so the form shows at the size designed.
    const Integer screen = Screen ? Screen->PixelsPerInch() : 96;
    if (FScaled && FPixelsPerInch != screen) ScaleForDensity(screen, FPixelsPerInch);
  } catch (...) {
    EnableAlign();
    throw;
  }
  EnableAlign();
}

void TCustomForm::ScaleForDensity(Integer M, Integer D) {
  // The form stays where it is; its client area, its font (which its
  // children sharing it follow) and its children scale.
  Font()->SetHeight(MulDiv(Font()->Height(), M, D));
  if (FLoadedClientSize.X >= 0) {
    SetClientSize(TPoint(MulDiv(FLoadedClientSize.X, M, D), MulDiv(FLoadedClientSize.Y, M, D)));
  } else {
    const TRect client = GetClientRect();
    SetClientSize(TPoint(MulDiv(client.Width(), M, D), MulDiv(client.Height(), M, D)));
  }
  ScaleControls(M, D);
  if (FTextHeight > 0) FTextHeight = MulDiv(FTextHeight, M, D);
  FPixelsPerInch = M;
}

void TCustomForm::Loaded() {
  inherited::Loaded();
  // The frame depends on properties that may come after the client size
  // in the form file; the size is worked out again with all of them.
  if (FLoadedClientSize.X >= 0) {
    TPoint size = FLoadedClientSize;
    FLoadedClientSize = TPoint(-1, -1);
    SetClientSize(size);
  }
}

// The styles the window will be created with, without CreateParams' other
// work (the parent window it would look up may not exist yet).
TCreateParams TCustomForm::StyleParams() {
  TCreateParams params;
  FStyleOnly = true;
  try {
    CreateParams(params);
  } catch (...) {
    FStyleOnly = false;
    throw;
  }
  FStyleOnly = false;
  return params;
}

void TCustomForm::SetClientSize(const TPoint& Value) {
  if (ComponentState().Contains(csLoading)) FLoadedClientSize = Value;
  if (HandleAllocated()) {
    inherited::SetClientSize(Value);
    return;
  }
  // No window yet: the frame follows from the styles it will have.
  TCreateParams params = StyleParams();
  RECT r(0, 0, Value.X, Value.Y);
  AdjustWindowRectEx(&r, params.Style, false, params.ExStyle);
  SetBounds(Left(), Top(), r.Width(), r.Height());
}

TRect TCustomForm::GetClientRect() {
  if (HandleAllocated()) return inherited::GetClientRect();
  TCreateParams params = StyleParams();
  RECT frame(0, 0, 0, 0);
  AdjustWindowRectEx(&frame, params.Style, false, params.ExStyle);
  return TRect(0, 0, std::max(0, Width() - frame.Width()), std::max(0, Height() - frame.Height()));
}

void TCustomForm::GetChildren(const TGetChildProc& Proc, TComponent* Root) {
  inherited::GetChildren(Proc, Root);
  // Components the form owns that are not controls (timers, menus...)
  // stream as its children too.
  if (Root == this)
    for (Integer i = 0; i < ComponentCount(); ++i) {
      TComponent* c = Components(i);
      if (!c->HasParent()) Proc(c);
    }
}

// ---------------------------------------------------------------------------
// The window

void TCustomForm::CreateParams(TCreateParams& Params) {
  inherited::CreateParams(Params);
  Params.Style &= ~(WS_CHILD | WS_GROUP | WS_TABSTOP | WS_CLIPSIBLINGS);
  Params.Style |= WS_CLIPCHILDREN;
  if (!Parent() && !ParentWindow()) {
    Params.WndParent = nullptr;
    if (Application && !FStyleOnly) {
      TCustomForm* main = Application->MainForm();
      if (Application->MainFormOnTaskBar() && (!main || main == this)) {
        Params.ExStyle |= WS_EX_APPWINDOW;
      } else {
        // Owned by the window that stands for the application, so it stays
        // above it and has no taskbar button of its own.
        Params.WndParent = Application->MainFormOnTaskBar() && main && main != this ? main->Handle()
                                                                                      : Application->Handle();
      }
    }
  }
  switch (FBorderStyle) {
    case bsNone:
      if (!Parent() && !ParentWindow()) Params.Style |= WS_POPUP;
      break;
    case bsSingle:
    case bsToolWindow: Params.Style |= WS_CAPTION | WS_BORDER; break;
    case bsSizeable:
    case bsSizeToolWin: Params.Style |= WS_CAPTION | WS_THICKFRAME; break;
    case bsDialog:
      Params.Style |= WS_POPUP | WS_CAPTION;
      Params.ExStyle |= WS_EX_DLGMODALFRAME | WS_EX_WINDOWEDGE;
      break;
  }
  if (FBorderStyle == bsToolWindow || FBorderStyle == bsSizeToolWin) Params.ExStyle |= WS_EX_TOOLWINDOW;
  if (FBorderStyle != bsNone && FBorderIcons.Contains(biSystemMenu)) {
    Params.Style |= WS_SYSMENU;
    // Dialogs and tool windows have no minimise and maximise boxes.
    bool boxes = FBorderStyle == bsSingle || FBorderStyle == bsSizeable;
    if (boxes && FBorderIcons.Contains(biMinimize)) Params.Style |= WS_MINIMIZEBOX;
    if (boxes && FBorderIcons.Contains(biMaximize)) Params.Style |= WS_MAXIMIZEBOX;
    if (FBorderStyle == bsDialog && FBorderIcons.Contains(biHelp)) Params.ExStyle |= WS_EX_CONTEXTHELP;
  }
  if (FFormStyle == fsStayOnTop) Params.ExStyle |= WS_EX_TOPMOST;
  if (FAlphaBlend || FTransparentColor) Params.ExStyle |= WS_EX_LAYERED;
  if (!FPositioned && (FPosition == poDefault || FPosition == poDefaultPosOnly)) {
    Params.X = CW_USEDEFAULT;
    Params.Y = CW_USEDEFAULT;
  }
  if (!FPositioned && (FPosition == poDefault || FPosition == poDefaultSizeOnly)) {
    Params.Width = CW_USEDEFAULT;
    Params.Height = CW_USEDEFAULT;
  }
  Params.WindowClass.style |= CS_DBLCLKS;
}

void TCustomForm::CreateWnd() {
  inherited::CreateWnd();
  UpdateLayered();
}

void TCustomForm::SetBorderStyle(TFormBorderStyle Value) {
  if (FBorderStyle == Value) return;
  FBorderStyle = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetBorderIcons(TBorderIcons Value) {
  if (FBorderIcons == Value) return;
  FBorderIcons = Value;
  if (HandleAllocated()) RecreateWnd();
}

void TCustomForm::SetFormStyle(TFormStyle Value) {
  if (FFormStyle == Value) return;
  FFormStyle = Value;
  if (HandleAllocated())
    SetWindowPos(Handle(), Value == fsStayOnTop ? HWND_TOPMOST : HWND_NOTOPMOST, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TCustomForm::SetPosition(TPosition Value) {
  if (FPosition == Value) return;
  FPosition = Value;
  FPositioned = false;
}

TWindowState TCustomForm::WindowState() const {
  if (WindowHandle() && Showing()) {
    if (IsIconic(WindowHandle())) return wsMinimized;
    if (IsZoomed(WindowHandle())) return wsMaximized;
    return wsNormal;
  }
  return FWindowState;
}

void TCustomForm::SetWindowState(TWindowState Value) {
  FWindowState = Value;
  if (!Showing()) return;
  static constexpr int kShow[] = {SW_SHOWNORMAL, SW_MINIMIZE, SW_SHOWMAXIMIZED};
  ShowWindow(Handle(), kShow[static_cast<int>(Value)]);
}

TMonitor* TCustomForm::Monitor() {
  if (!Screen) return nullptr;
  if (HandleAllocated()) return Screen->MonitorFromWindow(Handle(), mdNearest);
  return Screen->MonitorFromRect(BoundsRect(), mdNearest);
}

// ---------------------------------------------------------------------------
// Showing

void TCustomForm::Show() {
  SetVisible(true);
  BringToFront();
}

void TCustomForm::ApplyPosition() {
  if (FPositioned) return;
  FPositioned = true;
  if (!Screen) return;
  auto centerIn = [this](const TRect& r) {
    SetBounds(r.Left + (r.Width() - Width()) / 2, r.Top + (r.Height() - Height()) / 2, Width(), Height());
  };
  auto monitorArea = [this]() -> TRect {
    TMonitor* m = nullptr;
    switch (FDefaultMonitor) {
      case dmDesktop: return Screen->DesktopRect();
      case dmPrimary: m = Screen->PrimaryMonitor(); break;
      case dmMainForm:
        if (Application && Application->MainForm() && Application->MainForm() != this)
          m = Application->MainForm()->Monitor();
        break;
      case dmActiveForm:
        if (Screen->ActiveForm() && Screen->ActiveForm() != this) m = Screen->ActiveForm()->Monitor();
        break;
    }
    if (!m) m = Screen->PrimaryMonitor();
    return m ? m->WorkareaRect() : Screen->WorkAreaRect();
  };
  TCustomForm* around = nullptr;
  switch (FPosition) {
    case poScreenCenter: centerIn(monitorArea()); break;
    case poDesktopCenter: centerIn(Screen->DesktopRect()); break;
    case poOwnerFormCenter: around = dynamic_cast<TCustomForm*>(Owner()); [[fallthrough]];
    case poMainFormCenter:
      if (!around && Application) around = Application->MainForm();
      if (around && around != this && around->HandleAllocated()) centerIn(around->BoundsRect());
      else centerIn(monitorArea());
      break;
    default: break;
  }
}

void TCustomForm::CMShowingChanged(TMessage&) {
  if (FFormState.Contains(fsShowing)) throw EInvalidOperation(u"Cannot change Visible in OnShow or OnHide");
  FFormState.Include(fsShowing);
  struct Guard {
    TFormState& S;
    ~Guard() { S.Exclude(fsShowing); }
  } guard{FFormState};
  if (Showing()) {
    try {
      DoShow();
    } catch (...) {
      if (!Application) throw;
      Application->HandleException(this);
    }
    ApplyPosition();
    static constexpr int kShow[] = {SW_SHOWNORMAL, SW_SHOWMINNOACTIVE, SW_SHOWMAXIMIZED};
    ShowWindow(Handle(), kShow[static_cast<int>(FWindowState)]);
    FFormState.Include(fsVisible);
    // The window server may activate the form (WM_ACTIVATE sets the
    // focus); where it did not, the form takes the focus itself.
    if (FWindowState != wsMinimized) {
      HWND focus = GetFocus();
      if (!focus || (focus != Handle() && !IsChild(Handle(), focus))) SetWindowFocus();
    }
  } else {
    try {
      DoHide();
    } catch (...) {
      if (!Application) throw;
      Application->HandleException(this);
    }
    FFormState.Exclude(fsVisible);
    HWND focus = GetFocus();
    bool hadFocus = focus && (focus == Handle() || IsChild(Handle(), focus));
    ShowWindow(Handle(), SW_HIDE);
    if (hadFocus && GetFocus() == focus) ::vcl::SetFocus(nullptr);
    if (FActive) SetActive(false);
  }
}

void TCustomForm::DoShow() {
  if (FOnShow) FOnShow(this);
}

void TCustomForm::DoHide() {
  if (FOnHide) FOnHide(this);
}

// ---------------------------------------------------------------------------
// Modal loops and closing

namespace {

struct TModalScripts {
  std::deque<TModalScript> Queue;
  std::vector<TModalRun> Runs;
};
TModalScripts& ModalScripts() {
  static TModalScripts s;
  return s;
}
TModalScript TakeModalScript() {
  auto& q = ModalScripts().Queue;
  if (q.empty()) return nullptr;
  TModalScript s = std::move(q.front());
  q.pop_front();
  return s;
}
void RecordModalRun(const TModalRun& Run) { ModalScripts().Runs.push_back(Run); }

}  // namespace

void SetModalScript(TModalScript Proc) {
  if (!Proc) throw EInvalidOperation(u"A modal script needs a procedure");
  ModalScripts().Queue.push_back(std::move(Proc));
}
Integer PendingModalScripts() { return Integer(ModalScripts().Queue.size()); }
void ClearModalScripts() { ModalScripts().Queue.clear(); }
std::vector<TModalRun> ModalRuns() { return ModalScripts().Runs; }
void ClearModalRuns() { ModalScripts().Runs.clear(); }

Integer TCustomForm::ShowModal() {
  if (Visible() || !Enabled() || FFormState.Contains(fsModal))
    throw EInvalidOperation(u"Cannot make a visible window modal");
  if (HWND c = GetCapture()) SendMessageW(c, WM_CANCELMODE, 0, 0);
  ReleaseCapture();
  HWND savedFocus = GetFocus();
  Application->ModalStarted();
  FFormState.Include(fsModal);
  Screen->FSaveFocusedList.insert(Screen->FSaveFocusedList.begin(), Screen->FFocusedForm);
  Screen->FFocusedForm = this;
  TCursor savedCursor = Screen->Cursor();
  Screen->SetCursor(crDefault);
  std::vector<HWND> disabled = DisableTaskWindows(nullptr);
  // Runs on every way out, the exceptional ones included.
  struct Restore {
    TCustomForm* Form;
    std::vector<HWND>& Disabled;
    HWND SavedFocus;
    TCursor SavedCursor;
    ~Restore() {
      EnableTaskWindows(Disabled);
      if (Screen) {
        if (!Screen->FSaveFocusedList.empty()) {
          Screen->FFocusedForm = Screen->FSaveFocusedList.front();
          Screen->FSaveFocusedList.erase(Screen->FSaveFocusedList.begin());
        }
        Screen->SetCursor(SavedCursor);
      }
      if (SavedFocus && IsWindow(SavedFocus) && IsWindowVisible(SavedFocus)) ::vcl::SetFocus(SavedFocus);
      Form->FFormState.Exclude(fsModal);
      if (Application) Application->ModalFinished();
    }
  } restore{this, disabled, savedFocus, savedCursor};
  Integer result = mrNone;
  TModalScript script = TakeModalScript();
  bool scripted = static_cast<bool>(script);
  Show();
  try {
    SendMessageW(Handle(), CM_ACTIVATE, 0, 0);
    FModalResult = mrNone;
    Application->FModalIdleGaveUp = false;
    do {
      MSG m;
      if (Application->ProcessMessage(m)) {
      } else if (script) {
        // The first idle moment belongs to the script.
        TModalScript run = std::move(script);
        script = nullptr;
        run(this);
      } else {
        Application->Idle(m);
      }
      if (Application->Terminated() || Application->FModalIdleGaveUp) FModalResult = mrCancel;
      else if (FModalResult != mrNone) CloseModal();
    } while (FModalResult == mrNone);
    Application->FModalIdleGaveUp = false;
    result = FModalResult;
    SendMessageW(Handle(), CM_DEACTIVATE, 0, 0);
  } catch (...) {
    RecordModalRun({ClassName(), Name(), scripted, mrNone});
    Hide();
    throw;
  }
  RecordModalRun({ClassName(), Name(), scripted, result});
  Hide();
  return result;
}

void TCustomForm::CloseModal() {
  try {
    TCloseAction action = caNone;
    if (CloseQuery()) {
      action = caHide;
      DoClose(action);
    }
    switch (action) {
      case caNone: FModalResult = mrNone; break;
      case caFree: Release(); break;
      default: break;
    }
  } catch (...) {
    FModalResult = mrNone;
    Application->HandleException(this);
  }
}

bool TCustomForm::CloseQuery() {
  bool canClose = true;
  if (FOnCloseQuery) FOnCloseQuery(this, canClose);
  return canClose;
}

void TCustomForm::DoClose(TCloseAction& Action) {
  if (FOnClose) FOnClose(this, Action);
}

void TCustomForm::Close() {
  if (FFormState.Contains(fsModal)) {
    FModalResult = mrCancel;
    return;
  }
  if (!CloseQuery()) return;
  TCloseAction action = caHide;
  DoClose(action);
  if (action == caNone) return;
  if (Application && Application->MainForm() == this) Application->Terminate();
  else if (action == caHide) Hide();
  else if (action == caMinimize) SetWindowState(wsMinimized);
  else Release();
}

void TCustomForm::Release() {
  PostMessageW(Handle(), CM_RELEASE, 0, 0);
}

// ---------------------------------------------------------------------------
// Focus

void TCustomForm::SetActiveControl(TWinControl* Control) {
  if (FActiveControl == Control) return;
  bool loading = ComponentState().Contains(csLoading);
  if (Control && (Control == this || GetParentForm(Control, false) != this || (!loading && !Control->CanFocus())))
    RaiseCannotFocus();
  FActiveControl = Control;
  // Forgetting the active control leaves the focus where it is: a window
  // that is no control of ours (an embedded object's) may hold it.
  if (!loading && FActive && Control) SetWindowFocus();
}

void TCustomForm::SetWindowFocus() {
  if (FActiveControl && !FActiveControl->CanFocus()) FActiveControl = nullptr;
  if (!FActiveControl) FActiveControl = FindNextControl(nullptr, true, true, false);
  HWND h = FActiveControl ? FActiveControl->Handle() : Handle();
  if (GetFocus() != h) ::vcl::SetFocus(h);
}

void TCustomForm::SetActive(bool Value) {
  FActive = Value;
  if (Value) {
    FFormState.Include(fsActivated);
    SetWindowFocus();
  }
}

void TCustomForm::SetFocus() {
  if (!(Visible() && Enabled())) RaiseCannotFocus();
  SetWindowFocus();
}

void TCustomForm::FocusControl(TWinControl* Control) {
  bool wasActive = FActive;
  SetActiveControl(Control);
  if (!wasActive || GetFocus() != Control->Handle()) SetFocus();
}

bool TCustomForm::SendFocusMessage(HWND Window, UINT Msg) {
  Integer saved = gFocusCount;
  SendMessageW(Window, Msg, 0, 0);
  return saved == gFocusCount;
}

bool TCustomForm::SetFocusedControl(TWinControl* Control) {
  if (!Control) return false;
  ++gFocusCount;
  FActiveControl = Control != this ? Control : nullptr;
  // A form on its way out only keeps its own books: no activation events.
  if (Screen && !ComponentState().Contains(csDestroying)) {
    bool formChanged = Screen->FActiveForm != this;
    bool controlChanged = Screen->FActiveControl != Control;
    Screen->FActiveControl = Control;
    Screen->FActiveForm = this;
    auto& forms = Screen->FForms;
    auto it = std::find(forms.begin(), forms.end(), this);
    if (it != forms.end()) std::rotate(forms.begin(), it, it + 1);
    if (Control->ControlState().Contains(csFocusing)) return false;
    if (Screen->FFocusedForm != this) {
      if (TCustomForm* old = Screen->FFocusedForm) {
        Screen->FFocusedForm = nullptr;
        if (old->HandleAllocated() && !SendFocusMessage(old->Handle(), CM_DEACTIVATE)) return false;
      }
      Screen->FFocusedForm = this;
      if (!SendFocusMessage(Handle(), CM_ACTIVATE)) return false;
    }
    if (formChanged && Screen->OnActiveFormChange) Screen->OnActiveFormChange(Screen);
    if (controlChanged && Screen->OnActiveControlChange) Screen->OnActiveControlChange(Screen);
  }
  return inherited::SetFocusedControl(Control);
}

void TCustomForm::DefocusControl(TWinControl* Control, bool Removing) {
  if (FActiveControl && Control->ContainsControl(FActiveControl)) FActiveControl = nullptr;
  if (Screen && Screen->FActiveControl && Control->ContainsControl(Screen->FActiveControl))
    Screen->FActiveControl = nullptr;
  inherited::DefocusControl(Control, Removing);
}

void TCustomForm::Activate() {
  if (FOnActivate) FOnActivate(this);
}

void TCustomForm::Deactivate() {
  if (FOnDeactivate) FOnDeactivate(this);
}

// ---------------------------------------------------------------------------
// Keys

void TCustomForm::CMDialogKey(TMessage& Message) {
  if (GetKeyState(VK_MENU) >= 0) {
    switch (Message.WParam) {
      case VK_TAB:
        if (GetKeyState(VK_CONTROL) >= 0) {
          SelectNext(FActiveControl, GetKeyState(VK_SHIFT) >= 0, true);
          Message.Result = 1;
          return;
        }
        break;
      case VK_LEFT:
      case VK_RIGHT:
      case VK_UP:
      case VK_DOWN:
        // The arrows move among the active control's siblings, tab stops
        // or not.
        if (FActiveControl && FActiveControl->Parent()) {
          FActiveControl->Parent()->SelectNext(FActiveControl, Message.WParam == VK_RIGHT || Message.WParam == VK_DOWN,
                                               false);
          Message.Result = 1;
        }
        return;
      default: break;
    }
  }
  inherited::Dispatch(Message);
}

// ---------------------------------------------------------------------------
// Painting

void TCustomForm::PaintWindow(HDC DC) {
  FCanvas->Lock();
  FCanvas->FreeHandle();
  FCanvas->SetHandle(DC);
  try {
    Paint();
  } catch (...) {
    FCanvas->SetHandle(nullptr);
    FCanvas->Unlock();
    throw;
  }
  FCanvas->SetHandle(nullptr);
  FCanvas->Unlock();
}

void TCustomForm::Paint() {
  if (FOnPaint) FOnPaint(this);
}

TBitmap* TCustomForm::GetFormImage() {
  auto bmp = std::make_unique<TBitmap>();
  bmp->SetWidth(ClientWidth());
  bmp->SetHeight(ClientHeight());
  bmp->Canvas()->Brush()->SetColor(Color());
  bmp->Canvas()->FillRect(TRect(0, 0, bmp->Width(), bmp->Height()));
  if (HandleAllocated()) {
    // PaintTo draws the whole window, frame included; shifting it by the
    // client area's offset leaves only the client area on the bitmap.
    RECT wr;
    GetWindowRect(Handle(), &wr);
    TPoint origin = ClientOrigin();
    bmp->Canvas()->Lock();
    PaintTo(bmp->Canvas()->Handle(), wr.Left - origin.X, wr.Top - origin.Y);
    bmp->Canvas()->Unlock();
  }
  return bmp.release();
}

// ---------------------------------------------------------------------------
// Layered attributes

void TCustomForm::SetAlphaBlend(bool Value) {
  if (FAlphaBlend == Value) return;
  FAlphaBlend = Value;
  UpdateLayered();
}

void TCustomForm::SetAlphaBlendValue(Byte Value) {
  if (FAlphaBlendValue == Value) return;
  FAlphaBlendValue = Value;
  UpdateLayered();
}

void TCustomForm::SetTransparentColor(bool Value) {
  if (FTransparentColor == Value) return;
  FTransparentColor = Value;
  UpdateLayered();
}

void TCustomForm::SetTransparentColorValue(TColor Value) {
  if (FTransparentColorValue == Value) return;
  FTransparentColorValue = Value;
  UpdateLayered();
}

void TCustomForm::UpdateLayered() {
  if (!HandleAllocated()) return;
  HWND h = Handle();
  LONG ex = GetWindowLongW(h, GWL_EXSTYLE);
  bool layered = FAlphaBlend || FTransparentColor;
  if (layered) {
    if (!(ex & WS_EX_LAYERED)) SetWindowLongW(h, GWL_EXSTYLE, ex | static_cast<LONG>(WS_EX_LAYERED));
    DWORD flags = (FAlphaBlend ? LWA_ALPHA : 0) | (FTransparentColor ? LWA_COLORKEY : 0);
    SetLayeredWindowAttributes(h, static_cast<COLORREF>(ColorToRGB(FTransparentColorValue)),
                               FAlphaBlend ? FAlphaBlendValue : Byte(255), flags);
  } else if (ex & WS_EX_LAYERED) {
    SetWindowLongW(h, GWL_EXSTYLE, ex & ~static_cast<LONG>(WS_EX_LAYERED));
    RedrawWindow(h, nullptr, nullptr, RDW_ERASE | RDW_INVALIDATE | RDW_FRAME | RDW_ALLCHILDREN);
  }
}

// ---------------------------------------------------------------------------
// Messages

void TCustomForm::WMActivate(TMessage& Message) { SetActive(LOWORD(Message.WParam) != kInactive); }

void TCustomForm::Dispatch(TMessage& Message) {
  switch (Message.Msg) {
    case WM_CLOSE:
      // Not the default (which would destroy the window): the form decides.
      Close();
      return;
    case WM_ACTIVATE:
      WMActivate(Message);
      return;
    case WM_SIZE:
      if (Showing()) {
        switch (Message.WParam) {
          case SIZE_MINIMIZED: FWindowState = wsMinimized; break;
          case SIZE_MAXIMIZED: FWindowState = wsMaximized; break;
          case SIZE_RESTORED: FWindowState = wsNormal; break;
          default: break;
        }
      }
      break;
    case CM_SHOWINGCHANGED:
      CMShowingChanged(Message);
      return;
    case CM_DIALOGKEY:
      CMDialogKey(Message);
      return;
    case CM_ACTIVATE:
      Activate();
      return;
    case CM_DEACTIVATE:
      Deactivate();
      return;
    case CM_RELEASE:
      delete this;
      return;
    case CM_ACTIONEXECUTE:
    case CM_ACTIONUPDATE:
      CMActionExecuteUpdate(Message);
      return;
    case CM_UPDATEACTIONS:
      UpdateActions();
      return;
    default: break;
  }
  inherited::Dispatch(Message);
}

}  // namespace vcl
