#include "skin/extended/uQuarnDragFile.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/vector/Pix32_Polygons_qn.h"
#include "graphics/vector/Pix32_VectorUtils_qn.h"
#include "platform/classes/Streaming.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/rtl/SysUtils.h"
#include "skin/foundation/uQnCBTM.h"

namespace qn {

namespace {

const char* const kLayerForm =
    "object DragFilesLayerForm: TDragFilesLayerForm\n"
    "  Left = 0\n"
    "  Top = 0\n"
    "  BorderStyle = bsNone\n"
    "  Caption = 'DragFilesLayerForm'\n"
    "  ClientHeight = 240\n"
    "  ClientWidth = 320\n"
    "  Color = clBtnFace\n"
    "  Font.Color = clWindowText\n"
    "  Font.Height = -11\n"
    "  Font.Name = 'Tahoma'\n"
    "  Font.Style = []\n"
    "  OldCreateOrder = False\n"
    "  Position = poDesigned\n"
    "  Scaled = False\n"
    "  OnClose = FormClose\n"
    "  OnCreate = FormCreate\n"
    "  OnResize = FormResize\n"
    "  PixelsPerInch = 96\n"
    "  TextHeight = 13\n"
    "  object tmr1: TTimer\n"
    "    Interval = 100\n"
    "    OnTimer = tmr1Timer\n"
    "  end\n"
    "end\n";

const char16_t* const kLayerClass = u"TDragFilesLayerForm";
const char16_t* const kDragImageClass = u"SysDragImage";
const char16_t* const kDefaultTip = u"Drag and drop files here";
constexpr Cardinal kTipFlags = 37;  // DT_CENTER | DT_VCENTER | DT_SINGLELINE
constexpr Byte kTipQuality = 10;
constexpr TFloat kFrameWidth = 8;

// The caption an overlay carries: its control's window handle in decimal.
String HandleText(HWND h) {
  const std::string s = std::to_string(reinterpret_cast<uintptr_t>(h));
  return String(s.begin(), s.end());
}

// The number of names at the head of a file-drop block that end with their
// terminator inside the block. A list placed inside the head or past the
// block holds none.
size_t CompleteNames(HDROP Drop) {
  const HGLOBAL h = reinterpret_cast<HGLOBAL>(Drop);
  const size_t size = h ? GlobalSize(h) : 0;
  if (size < sizeof(DROPFILES)) return 0;
  const auto* p = static_cast<const Byte*>(GlobalLock(h));
  if (!p) return 0;
  DROPFILES head;
  std::memcpy(&head, p, sizeof head);
  size_t n = 0;
  if (head.pFiles >= sizeof(DROPFILES) && head.pFiles < size) {
    const size_t unit = head.fWide ? 2 : 1;
    const size_t count = (size - head.pFiles) / unit;
    const Byte* at = p + head.pFiles;
    size_t len = 0;
    for (size_t i = 0; i < count; ++i) {
      bool zero = at[i * unit] == 0 && (unit == 1 || at[i * unit + 1] == 0);
      if (!zero) {
        ++len;
        continue;
      }
      if (len == 0) break;  // the list's own terminator
      ++n;
      len = 0;
    }
  }
  GlobalUnlock(h);
  return n;
}

TColor32 DragColor(TColor C) { return Color32(C) | 0xFF000000u; }

}  // namespace

// ---------------------------------------------------------------------------
// The overlay

TDragFilesLayerForm::TDragFilesLayerForm(TComponent* AOwner) : TForm(AOwner) {}

TDragFilesLayerForm::~TDragFilesLayerForm() {
  if (TQuarnDragFile* d = Owner_(); d && d->FLayer == this) d->FLayer = nullptr;
}

TQuarnDragFile* TDragFilesLayerForm::Owner_() const { return dynamic_cast<TQuarnDragFile*>(Owner()); }

void TDragFilesLayerForm::FormCreate(TObject*) {
  tmr1 = dynamic_cast<TTimer*>(FindComponent(u"tmr1"));
  if (!tmr1) throw EComponentError(u"The drop overlay's form lacks tmr1");
  FLayerTransparent = true;
  FLayerColor = static_cast<TColor>(0);
  FLayerAlpha = 0;
  if (!ComponentState().Contains(csDesigning)) {
    const HWND h = Handle();
    SetWindowLongPtrW(h, GWL_EXSTYLE, GetWindowLongPtrW(h, GWL_EXSTYLE) | WS_EX_LAYERED | WS_EX_TOOLWINDOW);
    const LONG_PTR style = GetWindowLongPtrW(h, GWL_STYLE);
    if (style & WS_SYSMENU) SetWindowLongPtrW(h, GWL_STYLE, style & ~LONG_PTR(WS_SYSMENU));
  }
  DoChanged();
}

void TDragFilesLayerForm::FormClose(TObject*, TCloseAction& Action) {
  if (FClosing) {
    // Already on its way out: a second close must not free it twice.
    Action = caNone;
    return;
  }
  FClosing = true;
  Action = caFree;
  if (tmr1) tmr1->SetEnabled(false);
  if (TQuarnDragFile* d = Owner_(); d && d->FLayer == this) d->FLayer = nullptr;
  // Its name is free for the next overlay of the same owner, made before
  // this one is freed.
  SetName(String());
  // Gone from the screen at once, and no longer found by its caption,
  // though the form itself is freed only after this message.
  if (HandleAllocated()) {
    ShowWindow(Handle(), SW_HIDE);
    SetCaption(String());
  }
}

void TDragFilesLayerForm::FormResize(TObject*) { ReDraw(); }

void TDragFilesLayerForm::tmr1Timer(TObject*) {
  if (FClosing) return;
  if (FSysDragImageHandle && IsWindow(FSysDragImageHandle)) return;
  // The drag picture is gone (or was never known): the overlay stays only
  // while a drag may still be going on over the control's form.
  TQuarnDragFile* d = Owner_();
  bool keep = false;
  if (d && d->FBindingControl) {
    TCustomForm* f = GetParentForm(d->FBindingControl);
    POINT p;
    if (f && f->HandleAllocated() && GetCursorPos(&p)) {
      TRect r;
      GetWindowRect(f->Handle(), &r);
      const bool inside = p.X >= r.Left && p.Y >= r.Top && p.X < r.Right && p.Y < r.Bottom;
      keep = inside && GetAsyncKeyState(VK_LBUTTON) < 0;
    }
  }
  if (keep) return;
  tmr1->SetEnabled(false);
  Close();
}

void TDragFilesLayerForm::SetLayerTransparent(bool Value) {
  if (FLayerTransparent == Value) return;
  FLayerTransparent = Value;
  DoChanged();
}

void TDragFilesLayerForm::SetLayerColor(TColor Value) {
  if (FLayerColor == Value) return;
  FLayerColor = Value;
  DoChanged();
}

void TDragFilesLayerForm::SetLayerAlpha(Byte Value) {
  if (FLayerAlpha == Value) return;
  FLayerAlpha = Value;
  DoChanged();
}

void TDragFilesLayerForm::SetSysDragImageHandle(HWND Value) { FSysDragImageHandle = Value; }

void TDragFilesLayerForm::DoChanged() {
  if (HandleAllocated() && !ComponentState().Contains(csDesigning)) {
    // A see-through overlay lets the pointer through to the control, so the
    // drag keeps finding its drop target under it.
    const HWND h = Handle();
    const LONG_PTR ex = GetWindowLongPtrW(h, GWL_EXSTYLE);
    const LONG_PTR now = FLayerTransparent ? (ex | WS_EX_TRANSPARENT) : (ex & ~LONG_PTR(WS_EX_TRANSPARENT));
    if (now != ex) SetWindowLongPtrW(h, GWL_EXSTYLE, now);
  }
  ReDraw();
}

void TDragFilesLayerForm::Dispatch(TMessage& Message) {
  if (Message.Msg == WM_PRINTCLIENT) {
    WMPrintClient(Message);
    return;
  }
  TForm::Dispatch(Message);
}

void TDragFilesLayerForm::WMPrintClient(TMessage& Message) {
  TForm::Dispatch(Message);
  ReDraw();
}

void TDragFilesLayerForm::BuildPicture(Integer W, Integer H, TBitmap32* Dst) {
  TQuarnDragFile* d = Owner_();
  if (!d || W <= 0 || H <= 0) {
    Dst->SetSize(0, 0);
    return;
  }
  Dst->SetSize(W, H);
  Dst->SetCombineMode(TCombineMode::cmMerge);
  Dst->Clear((Color32(FLayerColor) & 0x00FFFFFFu) | (TColor32(FLayerAlpha) << 24));
  Dst->Font()->Assign(d->TipFont());
  Dst->RenderText(TRect(0, 0, W, H), kTipFlags, d->TipText(), kTipQuality, DragColor(d->TipFont()->Color()));
  // Half of the stroke lies outside: a band of half its width shows along
  // the inner edge.
  const TArrayOfFloatPoint edge = {TFloatPoint(0, 0), TFloatPoint(TFloat(W), 0), TFloatPoint(TFloat(W), TFloat(H)),
                                   TFloatPoint(0, TFloat(H))};
  const TArrayOfFloat pattern = {7, 5, 7, 5};
  const TColor32 c = DragColor(d->HighLightDotLineColor());
  for (const TArrayOfFloatPoint& dash : BuildDashedLine(edge, pattern, 0, true))
    PolylineFS(Dst, dash, c, false, kFrameWidth, TJoinStyle::jsMiter, TEndStyle::esButt, 4.0f);
  // Layered windows take premultiplied colours; straight ones would show
  // the soft edges of the text too bright.
  TColor32* px = Dst->Bits();
  for (Integer i = 0, n = W * H; i < n; ++i) {
    const TColor32 v = px[i];
    const Cardinal a = v >> 24;
    auto ch = [&](int s) { return ((((v >> s) & 0xFFu) * a + 127) / 255) << s; };
    px[i] = (a << 24) | ch(16) | ch(8) | ch(0);
  }
}

void TDragFilesLayerForm::ReDraw() {
  if (ComponentState().Contains(csDesigning) || !HandleAllocated()) return;
  const Integer W = Width(), H = Height();
  TBitmap32 pic;
  BuildPicture(W, H, &pic);
  if (pic.Empty()) return;
  SIZE size{W, H};
  POINT from(0, 0);
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(Handle(), nullptr, nullptr, &size, pic.Canvas()->Handle(), &from, 0, &blend, ULW_ALPHA);
}

// ---------------------------------------------------------------------------
// The drop target

// Stands for the component where others keep interface references: the
// component itself counts no references, so a registry entry or a running
// drag that still held it after it was freed would call into nothing.
class TDropTargetLink : public TInterfacedObject, public virtual IDropTarget {
  QN_CLASS(TDropTargetLink, TInterfacedObject)
  QN_INTERFACES(IDropTarget)
 public:
  explicit TDropTargetLink(TQuarnDragFile* Target) : FTarget(Target) {}
  void Detach() { FTarget = nullptr; }
  HRESULT DragEnter(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override {
    return FTarget ? FTarget->DragEnter(pDataObj, grfKeyState, pt, pdwEffect) : E_UNEXPECTED;
  }
  HRESULT DragOver(DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override {
    return FTarget ? FTarget->DragOver(grfKeyState, pt, pdwEffect) : E_UNEXPECTED;
  }
  HRESULT DragLeave() override { return FTarget ? FTarget->DragLeave() : S_OK; }
  HRESULT Drop(IDataObject* pDataObj, DWORD grfKeyState, POINTL pt, DWORD* pdwEffect) override {
    return FTarget ? FTarget->Drop(pDataObj, grfKeyState, pt, pdwEffect) : E_UNEXPECTED;
  }

 private:
  TQuarnDragFile* FTarget;
};

TQuarnDragFile::TQuarnDragFile(TComponent* AOwner) : TComponent(AOwner) {
  FTipFont = std::make_unique<TFont>();
  FTipFont->SetSize(20);
  FTipFont->SetStyle(TFontStyles{TFontStyle::fsBold});
  FTipText = kDefaultTip;
  FHighLightDotLineHotColor = static_cast<TColor>(0x71CC2F);
  FHighLightDotLineNormalColor = static_cast<TColor>(0x0FC4F1);
  FHighLightDotLineColor = FHighLightDotLineNormalColor;
  FTipFont->SetColor(FHighLightDotLineNormalColor);
  FMouseDown = false;
}

TQuarnDragFile::~TQuarnDragFile() {
  DoUnBinding();
  if (FBindingControl) FBindingControl->RemoveFreeNotification(this);
  FBindingControl = nullptr;
  // The overlays go while this component is still whole: they look at it
  // on their way out.
  DestroyComponents();
}

HRESULT TQuarnDragFile::QueryInterface(const TGUID& iid, void** obj) {
  if (!obj) return E_POINTER;
  *obj = nullptr;
  return GetInterface(iid, obj) ? S_OK : E_NOINTERFACE;
}

bool TQuarnDragFile::IsTipTextStored() const { return FTipText != kDefaultTip; }

bool TQuarnDragFile::Running() const { return !ComponentState().Contains(csDesigning); }

void TQuarnDragFile::Loaded() {
  TComponent::Loaded();
  if (FBindingControl && Running()) DoBinding();
}

void TQuarnDragFile::SetBindingControl(TWinControl* Value) {
  if (Value == FBindingControl) return;
  const bool bind = Running() && !ComponentState().Contains(csLoading);
  // A control that cannot have a window fails here, before anything changed.
  if (bind && Value) Value->HandleNeeded();
  TWinControl* old = FBindingControl;
  DoUnBinding();
  if (old) old->RemoveFreeNotification(this);
  FBindingControl = Value;
  if (Value) Value->FreeNotification(this);
  if (!bind) return;
  try {
    DoBinding();
  } catch (...) {
    if (Value) Value->RemoveFreeNotification(this);
    FBindingControl = old;
    if (old) {
      old->FreeNotification(this);
      try {
        DoBinding();
      } catch (...) {
      }
    }
    throw;
  }
}

void TQuarnDragFile::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  if (AComponent == FBindingControl) {
    // The control goes: its registration and the hooks go with it, and the
    // overlay has nothing left to lie over.
    DoUnBinding();
    FBindingControl = nullptr;
  }
  if (AComponent == FLayer) FLayer = nullptr;
}

void TQuarnDragFile::DoBinding() {
  if (!FBindingControl || !Running() || FDropWnd) return;
  const HWND h = FBindingControl->Handle();
  WINEVENTPROC proc = MakeInstruction(TQnWinEventMethod(this, &TQuarnDragFile::DoWinEventProc));
  if (!proc) throw EComponentError(u"No WinEvent callback is left for the file drop target");
  HWINEVENTHOOK onCreate =
      SetWinEventHook(EVENT_OBJECT_CREATE, EVENT_OBJECT_CREATE, nullptr, proc, 0, 0, WINEVENT_OUTOFCONTEXT);
  HWINEVENTHOOK onDestroy =
      SetWinEventHook(EVENT_OBJECT_DESTROY, EVENT_OBJECT_DESTROY, nullptr, proc, 0, 0, WINEVENT_OUTOFCONTEXT);
  auto* link = new TDropTargetLink(this);
  link->_AddRef();
  const HRESULT hr = RegisterDragDrop(h, link);
  if (Failed(hr)) {
    link->Detach();
    link->_Release();
    if (onCreate) UnhookWinEvent(onCreate);
    if (onDestroy) UnhookWinEvent(onDestroy);
    FreeInstruction(proc);
    throw EComponentError(Format(u"Cannot make %s a drop target (error %.8x)",
                                 {FBindingControl->Name(), static_cast<Cardinal>(hr)}));
  }
  FPInstruction = proc;
  FEVENT_OBJECT_CREATE = onCreate;
  FEVENT_OBJECT_DESTROY = onDestroy;
  FDropWnd = h;
  FLink = link;
}

void TQuarnDragFile::DoUnBinding() {
  if (FPInstruction) FreeInstruction(FPInstruction);
  FPInstruction = nullptr;
  if (FEVENT_OBJECT_CREATE) UnhookWinEvent(FEVENT_OBJECT_CREATE);
  if (FEVENT_OBJECT_DESTROY) UnhookWinEvent(FEVENT_OBJECT_DESTROY);
  FEVENT_OBJECT_CREATE = FEVENT_OBJECT_DESTROY = nullptr;
  // A window already destroyed took its registration with it.
  if (FDropWnd && IsWindow(FDropWnd)) RevokeDragDrop(FDropWnd);
  FDropWnd = nullptr;
  if (FLink) {
    // A drag may still hold it: from now on it answers for nobody.
    FLink->Detach();
    FLink->_Release();
    FLink = nullptr;
  }
  FDragInside = false;
  DoHideDragFilesLayer();
}

void TQuarnDragFile::DoWinEventProc(HWINEVENTHOOK, DWORD Event, HWND Wnd, LONG, LONG, DWORD, DWORD) {
  if (Event != EVENT_OBJECT_CREATE || !Wnd || !FBindingControl) return;
  char16_t name[256] = {};
  const int n = GetClassNameW(Wnd, name, 256);
  if (n <= 0 || String(name, size_t(n)) != kDragImageClass) return;
  try {
    Reregister();
    // A drag that began over the control is already inside it.
    FHighLightDotLineColor = FDragInside ? FHighLightDotLineHotColor : FHighLightDotLineNormalColor;
    DoShowDragFilesLayer(Wnd);
  } catch (...) {
    if (!Application) throw;
    Application->HandleException(this);
  }
}

void TQuarnDragFile::Reregister() {
  if (!FDropWnd || !FLink || !FBindingControl || !FBindingControl->HandleAllocated()) return;
  const HWND now = FBindingControl->Handle();
  if (now == FDropWnd && IsDragDropRegistered(now)) return;
  // The control's window was made again (its registration went with the
  // old one): the new one becomes the target before the drag reaches it.
  if (IsWindow(FDropWnd)) RevokeDragDrop(FDropWnd);
  if (Succeeded(RegisterDragDrop(now, FLink))) FDropWnd = now;
}

void TQuarnDragFile::ClosePrevlDragFilesLayerForm() {
  if (FLayer && !FLayer->Closing()) FLayer->Close();
  FLayer = nullptr;
  if (!FBindingControl || !FBindingControl->HandleAllocated()) return;
  const String caption = HandleText(FBindingControl->Handle());
  // Bounded: a window of that class that does not close is asked once more
  // at most a few times.
  for (int i = 0; i < 16; ++i) {
    const HWND h = FindWindowW(kLayerClass, caption.c_str());
    if (!h) break;
    SendMessageW(h, WM_CLOSE, 0, 0);
  }
}

void TQuarnDragFile::DoShowDragFilesLayer(HWND H) {
  if (!FBindingControl || !Running()) return;
  TCustomForm* form = GetParentForm(FBindingControl);
  if (form && (form->WindowState() == wsMinimized || (form->HandleAllocated() && IsIconic(form->Handle())))) {
    DoHideDragFilesLayer();
    return;
  }
  const HWND control = FBindingControl->Handle();
  // Nothing to lie over while the control is not on screen.
  if (!IsWindowVisible(control)) {
    DoHideDragFilesLayer();
    return;
  }
  // Remade in place keeps knowing the drag picture, so the overlay stays
  // while the drag goes on, wherever the pointer is.
  if (!H && FLayer) H = FLayer->SysDragImageHandle();
  ClosePrevlDragFilesLayerForm();
  TDragFilesLayerForm* layer = TCustomForm::Create<TDragFilesLayerForm>(this);
  FLayer = layer;
  layer->SetCaption(HandleText(control));
  layer->SetSysDragImageHandle(H);
  const TPoint origin = FBindingControl->ClientOrigin();
  layer->SetBounds(origin.X, origin.Y, FBindingControl->ClientWidth(), FBindingControl->ClientHeight());
  layer->ReDraw();
  // Shown without taking the activation from the application's form.
  ShowWindow(layer->Handle(), SW_SHOWNOACTIVATE);
  SetWindowPos(layer->Handle(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TQuarnDragFile::DoHideDragFilesLayer() {
  TDragFilesLayerForm* layer = FLayer;
  FLayer = nullptr;
  if (layer && !layer->Closing()) layer->Close();
}

void TQuarnDragFile::DoDragFiles(const String& FileNames) {
  if (FOnDragFiles) FOnDragFiles(this, FileNames);
}

HRESULT TQuarnDragFile::DragEnter(IDataObject*, DWORD, POINTL, DWORD*) {
  try {
    FDragInside = true;
    FHighLightDotLineColor = FHighLightDotLineHotColor;
    DoShowDragFilesLayer(nullptr);
    if (FOnDragEnter) FOnDragEnter(this);
  } catch (...) {
    return E_UNEXPECTED;
  }
  return S_OK;
}

HRESULT TQuarnDragFile::DragOver(DWORD, POINTL, DWORD*) { return S_OK; }

HRESULT TQuarnDragFile::DragLeave() {
  try {
    FDragInside = false;
    FHighLightDotLineColor = FHighLightDotLineNormalColor;
    DoShowDragFilesLayer(nullptr);
    if (FOnDragLeave) FOnDragLeave(this);
  } catch (...) {
    return E_UNEXPECTED;
  }
  return S_OK;
}

std::vector<String> TQuarnDragFile::ReadDropNames(HDROP Drop) {
  std::vector<String> names;
  if (!Drop) return names;
  const UINT count = std::min<size_t>(DragQueryFileW(Drop, 0xFFFFFFFFu, nullptr, 0), CompleteNames(Drop));
  for (UINT i = 0; i < count; ++i) {
    // Each name whole: its length first, then a buffer that holds it.
    const UINT len = DragQueryFileW(Drop, i, nullptr, 0);
    if (len == 0) continue;
    std::vector<char16_t> buf(size_t(len) + 1, 0);
    const UINT got = DragQueryFileW(Drop, i, buf.data(), len + 1);
    names.emplace_back(buf.data(), size_t(got));
  }
  return names;
}

HRESULT TQuarnDragFile::Drop(IDataObject* pDataObj, DWORD, POINTL, DWORD*) {
  try {
    FDragInside = false;
    FHighLightDotLineColor = FHighLightDotLineNormalColor;
    std::vector<String> names;
    if (pDataObj) {
      FORMATETC f;
      f.cfFormat = CF_HDROP;
      f.ptd = nullptr;
      f.dwAspect = DVASPECT_CONTENT;
      f.lindex = -1;
      f.tymed = TYMED_HGLOBAL;
      STGMEDIUM m;
      if (Succeeded(pDataObj->GetData(&f, &m))) {
        const bool block = m.tymed == TYMED_HGLOBAL && m.hGlobal;
        try {
          if (block) names = ReadDropNames(reinterpret_cast<HDROP>(m.hGlobal));
        } catch (...) {
          ReleaseStgMedium(&m);
          throw;
        }
        // A block the data object keeps for itself is only released.
        if (block && !m.pUnkForRelease) DragFinish(reinterpret_cast<HDROP>(m.hGlobal));
        else ReleaseStgMedium(&m);
      }
    }
    DoHideDragFilesLayer();
    if (!names.empty()) {
      String text;
      for (const String& n : names) text += n + u"\r\n";
      DoDragFiles(text);
    }
  } catch (...) {
    return E_UNEXPECTED;
  }
  return S_OK;
}

void InitQuarnDragFile() {
  RegisterClasses({TQuarnDragFile::StaticClass(), TDragFilesLayerForm::StaticClass(), TTimer::StaticClass()});
  RegisterFormResource(kLayerClass, kLayerForm);
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQuarnDragFile)
