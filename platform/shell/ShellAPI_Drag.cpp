// Shell drags: the drag picture window, the shell's drop source and the
// file-drop fallback for windows without a drop target.
#include <algorithm>
#include <string>

#include "platform/gdi/GdiText.h"
#include "platform/shell/ShellAPI.h"
#include "platform/ole/DragDropQuery.h"
#include "platform/shell/ShellInternal.h"

namespace vcl {

namespace {

constexpr int ImageW = shell::ItemsPictureWidth, ImageH = shell::ItemsPictureHeight, OffsetX = 12, OffsetY = 16;

HWND gImage = nullptr;

}  // namespace

namespace shell {

const Char* DragImageClass() {
  static bool done = [] {
    WNDCLASSEXW wc;
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"SysDragImage";
    return RegisterClassExW(&wc) != 0;
  }();
  (void)done;
  return u"SysDragImage";
}

// The picture: a page for the items with their count in a badge, on a
// see-through ground (premultiplied).
void PaintItemsPicture(HWND h, UINT count, POINT at) {
  BITMAPINFO bi;
  bi.bmiHeader.biWidth = ImageW;
  bi.bmiHeader.biHeight = -ImageH;
  bi.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HDC dc = CreateCompatibleDC(nullptr);
  HBITMAP bmp = CreateDIBSection(dc, &bi, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(dc, bmp);
  auto* px = static_cast<uint32_t*>(bits);
  std::fill(px, px + ImageW * ImageH, 0u);
  auto fill = [&](int l, int t, int r, int b, uint32_t argb) {
    for (int y = t; y < b; ++y)
      for (int x = l; x < r; ++x) px[y * ImageW + x] = argb;
  };
  fill(2, 2, 30, 38, 0xC0707070u);   // frame, 75 % opaque
  fill(3, 3, 29, 37, 0xC0C0C0C0u);   // page
  for (int line = 0; line < 4; ++line) fill(7, 9 + line * 6, 25, 11 + line * 6, 0xC0404850u);
  fill(34, 10, 34 + 26, 30, 0xFF1E64C8u);  // count badge
  String n;
  for (char c : std::to_string(count)) n.push_back(char16_t(c));
  RECT r{34, 10, 60, 30};
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, n.c_str(), int(n.size()), &r, DT_CENTER | DT_VCENTER | DT_SINGLELINE);
  // GDI text leaves alpha at 0: the badge's pixels are made opaque again.
  for (int y = 10; y < 30; ++y)
    for (int x = 34; x < 60; ++x) px[y * ImageW + x] |= 0xFF000000u;
  POINT dst = at, src(0, 0);
  SIZE sz(ImageW, ImageH);
  BLENDFUNCTION bf{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  UpdateLayeredWindow(h, nullptr, &dst, &sz, dc, &src, 0, &bf, ULW_ALPHA);
  SelectObject(dc, old);
  DeleteObject(bmp);
  DeleteDC(dc);
}

UINT ItemCount(IDataObject* obj) {
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  if (Failed(obj->GetData(&f, &m))) return 1;
  UINT n = DragQueryFileW(reinterpret_cast<HDROP>(m.hGlobal), 0xFFFFFFFF, nullptr, 0);
  ReleaseStgMedium(&m);
  return std::max(n, 1u);
}

}  // namespace shell

namespace {

POINT MessagePoint() {
  DWORD pos = GetMessagePos();
  return POINT(GET_X_LPARAM(LPARAM(pos)), GET_Y_LPARAM(LPARAM(pos)));
}

// The window that takes files at a point: the one under it or its nearest
// ancestor with WS_EX_ACCEPTFILES, unless a drop target is registered on
// the way there (that one gets the drop through the loop instead).
HWND FileWindowAt(POINT p) {
  for (HWND h = WindowFromPoint(p); h; h = GetAncestor(h, GA_PARENT)) {
    if (IsDragDropRegistered(h)) return nullptr;
    if (GetWindowLongPtrW(h, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) return h;
    if (h == GetDesktopWindow() || !(GetWindowLongPtrW(h, GWL_STYLE) & WS_CHILD)) break;
  }
  return nullptr;
}

class TShellDropSource : public TInterfacedObject, public virtual IDropSource {
  QN_CLASS(TShellDropSource, TInterfacedObject)
  QN_INTERFACES(IDropSource)
 public:
  explicit TShellDropSource(bool files) : FFiles(files) {}
  HRESULT QueryContinueDrag(BOOL fEscapePressed, DWORD grfKeyState) override {
    if (fEscapePressed) return DRAGDROP_S_CANCEL;
    if (!(grfKeyState & MK_LBUTTON)) return DRAGDROP_S_DROP;
    return S_OK;
  }
  HRESULT GiveFeedback(DWORD dwEffect) override {
    POINT p = MessagePoint();
    if (gImage) SetWindowPos(gImage, HWND_TOPMOST, p.X + OffsetX, p.Y + OffsetY, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
    if ((dwEffect & ~DROPEFFECT_SCROLL) == DROPEFFECT_NONE && FFiles && FileWindowAt(p)) {
      SetCursor(OleDragCursor(DROPEFFECT_COPY));
      return S_OK;
    }
    return DRAGDROP_S_USEDEFAULTCURSORS;
  }

 private:
  bool FFiles;
};

HRESULT Drag(IDataObject* obj, DWORD okEffects, DWORD* pdwEffect) {
  if (!pdwEffect || !obj) return E_INVALIDARG;
  *pdwEffect = DROPEFFECT_NONE;
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  bool files = obj->QueryGetData(&f) == S_OK;
  // A picture a source helper was given for this object rides the drag
  // instead of ours.
  HWND image = nullptr;
  if (!shell::HelperPictureDue(obj)) {
    POINT at = MessagePoint();
    gImage = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_TOPMOST,
                             shell::DragImageClass(), u"", WS_POPUP, at.X + OffsetX, at.Y + OffsetY, ImageW, ImageH,
                             nullptr, nullptr, nullptr, nullptr);
    image = gImage;
    shell::PaintItemsPicture(image, shell::ItemCount(obj), POINT(at.X + OffsetX, at.Y + OffsetY));
    ShowWindow(image, SW_SHOWNA);
  }
  TIntf<IDropSource> src(new TShellDropSource(files));
  HRESULT r = E_FAIL;
  try {
    r = DoDragDrop(obj, src.get(), okEffects, pdwEffect);
  } catch (...) {
    gImage = nullptr;
    if (image) DestroyWindow(image);
    throw;
  }
  gImage = nullptr;
  if (image) DestroyWindow(image);
  if (r == DRAGDROP_S_DROP && *pdwEffect == DROPEFFECT_NONE && files && (okEffects & DROPEFFECT_COPY)) {
    POINT p = MessagePoint();
    if (HWND target = FileWindowAt(p)) {
      STGMEDIUM m;
      if (Succeeded(obj->GetData(&f, &m))) {
        shell::TDropContent d;
        shell::ReadDrop(reinterpret_cast<HDROP>(m.hGlobal), d);
        ReleaseStgMedium(&m);
        POINT client = p;
        ScreenToClient(target, &client);
        HGLOBAL block = shell::MakeDropBlock(d.Files, client, false);
        if (PostMessageW(target, WM_DROPFILES, reinterpret_cast<WPARAM>(block), 0)) *pdwEffect = DROPEFFECT_COPY;
        else GlobalFree(block);
      }
    }
  }
  return r;
}

}  // namespace

HRESULT ShellDragData(IDataObject* obj, DWORD okEffects, DWORD* pdwEffect) { return Drag(obj, okEffects, pdwEffect); }

HRESULT ShellDragFiles(const std::vector<String>& files, DWORD okEffects, DWORD* pdwEffect) {
  if (files.empty()) return E_INVALIDARG;
  void* p = nullptr;
  HRESULT hr = SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p);
  if (Failed(hr)) return hr;
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = shell::MakeDropBlock(files, POINT(), false);
  hr = obj->SetData(&f, &m, TRUE);
  if (Failed(hr)) {
    ReleaseStgMedium(&m);
    return hr;
  }
  return Drag(obj.get(), okEffects, pdwEffect);
}

HWND ShellDragImageWindow() { return gImage ? gImage : shell::HelperPictureWindow(); }

}  // namespace vcl
