// The drag-image helper objects: a class in the class table once asked for,
// a log of every call, and the picture that rides a drag in its own window.
#include <memory>
#include <vector>

#include "platform/comctl/CommCtrl.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/shell/ShellAPI.h"
#include "platform/shell/ShellInternal.h"

namespace vcl {

namespace {

// A picture given to a source helper: a copy of the bitmap's pixels (the
// bitmap itself is only kept to be freed), or the shell's own picture of
// the files.
struct TPicture {
  TIntf<IDataObject> Obj;
  bool Files = false;
  HBITMAP Bitmap = nullptr;  // owned
  SIZE Size;
  POINT Offset;
  COLORREF Key = CLR_NONE;
  std::vector<uint32_t> Pixels;  // Size.cx x Size.cy, rows top-down
  ~TPicture() {
    if (Bitmap) DeleteObject(Bitmap);
  }
};

struct THelperState {
  DWORD Cookie = 0;
  std::unique_ptr<TPicture> Pending;  // waits for its object's drag
  std::unique_ptr<TPicture> Riding;   // the drag that runs now
  HWND Window = nullptr;
  bool Hidden = false;  // a target helper's Show(FALSE)
  std::vector<TDragHelperCall> Log;
};

THelperState& H() {
  static THelperState s;
  return s;
}

TDragHelperCall Call(const char* method, HWND wnd = nullptr) {
  TDragHelperCall c;
  c.Method = method;
  c.Wnd = wnd;
  return c;
}

HRESULT Note(TDragHelperCall c) {
  HRESULT r = c.Result;
  H().Log.push_back(std::move(c));
  return r;
}

void Place(POINT pointer) {
  THelperState& s = H();
  if (!s.Window || !s.Riding) return;
  POINT at(pointer.X - s.Riding->Offset.X, pointer.Y - s.Riding->Offset.Y);
  SetWindowPos(s.Window, HWND_TOPMOST, at.X, at.Y, 0, 0,
               SWP_NOSIZE | SWP_NOACTIVATE | (s.Hidden ? SWP_HIDEWINDOW : SWP_SHOWWINDOW));
}

// Gives the picture window what it shows: the caller's pixels with the
// colour key see-through, or the shell's picture of the files.
void Paint(HWND h, const TPicture& p, POINT at) {
  if (p.Files) {
    shell::PaintItemsPicture(h, shell::ItemCount(p.Obj.get()), at);
    return;
  }
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = p.Size.cx;
  bi.bmiHeader.biHeight = -p.Size.cy;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  if (bmp && bits) {
    std::copy(p.Pixels.begin(), p.Pixels.end(), static_cast<uint32_t*>(bits));
    HGDIOBJ old = SelectObject(dc, bmp);
    POINT src(0, 0);
    SIZE sz = p.Size;
    UpdateLayeredWindow(h, nullptr, &at, &sz, dc, &src, p.Key & 0xFFFFFF, nullptr,
                        p.Key == CLR_NONE ? ULW_OPAQUE : ULW_COLORKEY);
    SelectObject(dc, old);
  }
  if (bmp) DeleteObject(bmp);
  DeleteDC(dc);
}

// The drag loop's news: a waiting picture starts riding when its object's
// drag begins, follows the pointer, and goes (with its bitmap) at the end.
void Watch(TDragPhase phase, IDataObject* obj, POINTL pt) {
  THelperState& s = H();
  POINT pointer(pt.x, pt.y);
  switch (phase) {
    case TDragPhase::Begin: {
      if (!s.Pending || s.Pending->Obj.get() != obj) return;
      s.Riding = std::move(s.Pending);
      s.Hidden = false;
      const TPicture& p = *s.Riding;
      SIZE size = p.Files ? SIZE(shell::ItemsPictureWidth, shell::ItemsPictureHeight) : p.Size;
      POINT at(pointer.X - p.Offset.X, pointer.Y - p.Offset.Y);
      s.Window = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                                 shell::DragImageClass(), u"", WS_POPUP, at.X, at.Y, size.cx, size.cy, nullptr,
                                 nullptr, nullptr, nullptr);
      if (s.Window) {
        Paint(s.Window, p, at);
        ShowWindow(s.Window, SW_SHOWNA);
      }
      return;
    }
    case TDragPhase::Move:
      if (s.Riding && s.Riding->Obj.get() == obj) Place(pointer);
      return;
    case TDragPhase::End: {
      if (!s.Riding || s.Riding->Obj.get() != obj) return;
      HWND w = std::exchange(s.Window, nullptr);
      std::unique_ptr<TPicture> gone = std::move(s.Riding);
      s.Hidden = false;
      if (w) DestroyWindow(w);
      return;
    }
  }
}

bool OffersFiles(IDataObject* obj) {
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  return obj->QueryGetData(&f) == S_OK;
}

class TDragDropHelper : public TInterfacedObject,
                        public virtual IDropTargetHelper,
                        public virtual IDragSourceHelper2 {
  QN_CLASS(TDragDropHelper, TInterfacedObject)
  QN_INTERFACES(IDropTargetHelper, IDragSourceHelper, IDragSourceHelper2)
 public:
  // Target side. The picture shows over every window anyway; the target
  // only hides it while it paints, and its points move it.
  HRESULT DragEnter(HWND hwndTarget, IDataObject* pDataObject, POINT* ppt, DWORD dwEffect) override {
    TDragHelperCall c = Call("DragEnter", hwndTarget);
    c.Effect = dwEffect;
    if (ppt) c.Pt = *ppt;
    if (!pDataObject || !ppt || (hwndTarget && !IsWindow(hwndTarget))) c.Result = E_INVALIDARG;
    else {
      H().Hidden = false;
      Place(*ppt);
    }
    return Note(c);
  }
  HRESULT DragLeave() override {
    H().Hidden = false;
    if (H().Window) ShowWindow(H().Window, SW_SHOWNA);
    return Note(Call("DragLeave"));
  }
  HRESULT DragOver(POINT* ppt, DWORD dwEffect) override {
    TDragHelperCall c = Call("DragOver");
    c.Effect = dwEffect;
    if (!ppt) c.Result = E_INVALIDARG;
    else {
      c.Pt = *ppt;
      Place(*ppt);
    }
    return Note(c);
  }
  HRESULT Drop(IDataObject* pDataObject, POINT* ppt, DWORD dwEffect) override {
    TDragHelperCall c = Call("Drop");
    c.Effect = dwEffect;
    if (ppt) c.Pt = *ppt;
    if (!pDataObject || !ppt) c.Result = E_INVALIDARG;
    return Note(c);
  }
  HRESULT Show(BOOL fShow) override {
    TDragHelperCall c = Call("Show");
    c.Effect = DWORD(fShow);
    THelperState& s = H();
    s.Hidden = !fShow;
    if (s.Window) ShowWindow(s.Window, fShow ? SW_SHOWNA : SW_HIDE);
    return Note(c);
  }

  // Source side.
  HRESULT InitializeFromBitmap(SHDRAGIMAGE* pshdi, IDataObject* pDataObject) override {
    TDragHelperCall c = Call("InitializeFromBitmap");
    if (pshdi) {
      c.ImageSize = pshdi->sizeDragImage;
      c.Offset = pshdi->ptOffset;
      c.ColorKey = pshdi->crColorKey;
    }
    auto p = std::make_unique<TPicture>();
    c.Result = pshdi && pDataObject ? ReadBitmap(*pshdi, *p) : E_INVALIDARG;
    if (Failed(c.Result)) return Note(c);  // the caller keeps its bitmap
    p->Obj = pDataObject;
    p->Bitmap = pshdi->hbmpDragImage;
    p->Offset = pshdi->ptOffset;
    p->Key = pshdi->crColorKey;
    H().Pending = std::move(p);  // a picture waiting before frees its bitmap
    return Note(c);
  }
  HRESULT InitializeFromWindow(HWND hwnd, POINT* ppt, IDataObject* pDataObject) override {
    TDragHelperCall c = Call("InitializeFromWindow", hwnd);
    if (ppt) c.Pt = *ppt;
    if (!pDataObject || (hwnd && !IsWindow(hwnd))) c.Result = E_INVALIDARG;
    else if (!OffersFiles(pDataObject)) c.Result = E_FAIL;
    else {
      auto p = std::make_unique<TPicture>();
      p->Obj = pDataObject;
      p->Files = true;
      if (ppt) p->Offset = *ppt;
      H().Pending = std::move(p);
    }
    return Note(c);
  }
  HRESULT SetFlags(DWORD dwFlags) override {
    TDragHelperCall c = Call("SetFlags");
    c.Effect = dwFlags;
    if (dwFlags & ~DSH_ALLOWDROPDESCRIPTIONTEXT) c.Result = E_INVALIDARG;
    return Note(c);
  }

 private:
  // The picture's pixels, checked against the bitmap they come from.
  static HRESULT ReadBitmap(const SHDRAGIMAGE& d, TPicture& p) {
    BITMAP bm;
    if (!d.hbmpDragImage || GetObjectType(d.hbmpDragImage) != OBJ_BITMAP ||
        GetObjectW(d.hbmpDragImage, sizeof bm, &bm) == 0)
      return E_INVALIDARG;
    if (d.sizeDragImage.cx <= 0 || d.sizeDragImage.cy <= 0 || d.sizeDragImage.cx > bm.bmWidth ||
        d.sizeDragImage.cy > bm.bmHeight)
      return E_INVALIDARG;
    BITMAPINFO bi;
    bi.bmiHeader.biWidth = bm.bmWidth;
    bi.bmiHeader.biHeight = -bm.bmHeight;
    bi.bmiHeader.biBitCount = 32;
    std::vector<uint32_t> all(size_t(bm.bmWidth) * size_t(bm.bmHeight));
    HDC dc = CreateCompatibleDC(nullptr);
    int lines = GetDIBits(dc, d.hbmpDragImage, 0, UINT(bm.bmHeight), all.data(), &bi, DIB_RGB_COLORS);
    DeleteDC(dc);
    if (lines != bm.bmHeight) return E_INVALIDARG;
    p.Size = d.sizeDragImage;
    p.Pixels.resize(size_t(p.Size.cx) * size_t(p.Size.cy));
    for (int y = 0; y < p.Size.cy; ++y)
      for (int x = 0; x < p.Size.cx; ++x)
        p.Pixels[size_t(y) * size_t(p.Size.cx) + size_t(x)] = all[size_t(y) * size_t(bm.bmWidth) + size_t(x)];
    return S_OK;
  }
};

class THelperFactory : public TInterfacedObject, public virtual IClassFactory {
  QN_CLASS(THelperFactory, TInterfacedObject)
  QN_INTERFACES(IClassFactory)
 public:
  HRESULT CreateInstance(IUnknown* pUnkOuter, const TGUID& riid, void** ppvObject) override {
    if (!ppvObject) return E_POINTER;
    *ppvObject = nullptr;
    if (pUnkOuter) return CLASS_E_NOAGGREGATION;
    TIntf<IDropTargetHelper> helper(new TDragDropHelper);
    return helper->QueryInterface(riid, ppvObject);
  }
  HRESULT LockServer(BOOL) override { return S_OK; }
};

}  // namespace

namespace shell {

HWND HelperPictureWindow() { return H().Window; }

bool HelperPictureDue(IDataObject* obj) { return H().Pending && H().Pending->Obj.get() == obj; }

}  // namespace shell

HRESULT RegisterDragDropHelper() {
  THelperState& s = H();
  if (s.Cookie) return S_FALSE;
  TIntf<IClassFactory> factory(new THelperFactory);
  HRESULT hr = CoRegisterClassObject(CLSID_DragDropHelper, factory.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                     &s.Cookie);
  if (Failed(hr)) {
    s.Cookie = 0;
    return hr;
  }
  SetDragWatcher(Watch);
  return S_OK;
}

HRESULT RevokeDragDropHelper() {
  THelperState& s = H();
  if (!s.Cookie) return S_FALSE;
  CoRevokeClassObject(std::exchange(s.Cookie, 0));
  SetDragWatcher(nullptr);
  s.Pending = nullptr;
  if (s.Window) DestroyWindow(std::exchange(s.Window, nullptr));
  s.Riding = nullptr;
  return S_OK;
}

std::vector<TDragHelperCall> TakeDragHelperLog() { return std::exchange(H().Log, {}); }

}  // namespace vcl
