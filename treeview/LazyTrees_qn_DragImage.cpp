// The translucent drag picture, painted by the tree itself straight onto the
// screen. The screen area under it is saved; a move restores only the strips
// it uncovers, shifts the saved area inside its bitmap and reads only the
// strips it newly covers, so most of a move is a copy inside memory.
#include <algorithm>
#include <cmath>

#include "platform/user/Resources.h"
#include "platform/user/User.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_Appearance.h"

namespace qn {

namespace {

std::unique_ptr<TBitmap> NewImage(Integer W, Integer H) {
  auto b = std::make_unique<TBitmap>();
  b->SetPixelFormat(TPixelFormat::pf32bit);
  b->SetSize(W, H);
  return b;
}

// A strip as the update-rectangle routine gives it: Left/Top an offset,
// Right/Bottom a width and height. Empty strips copy nothing.
bool StripEmpty(const TRect& R) { return R.Right <= 0 || R.Bottom <= 0; }

// The screen DC for the length of one operation.
struct TScreenDC {
  HDC DC = GetDC(nullptr);
  ~TScreenDC() { ReleaseDC(nullptr, DC); }
};

}  // namespace

TVTDragImage::TVTDragImage(TBaseLazyTree_qn* AOwner) : FOwner(AOwner) {}

TVTDragImage::~TVTDragImage() { EndDrag(); }

bool TVTDragImage::GetVisible() const {
  return FStates.Contains(disInDrag) && FStates.Contains(disPrepared) && !FStates.Contains(disHidden) &&
         !FStates.Contains(disSystemSupport);
}

TRect TVTDragImage::GetDragImageRect() const {
  if (!GetVisible() || !FBackImage) return TRect();
  return TRect(FImagePosition.X, FImagePosition.Y, FImagePosition.X + FBackImage->Width(),
               FImagePosition.Y + FBackImage->Height());
}

bool TVTDragImage::WillMove(TPoint P) const {
  if (!GetVisible()) return false;
  return (FRestriction != dmrVerticalOnly && P.X != FLastPosition.X) ||
         (FRestriction != dmrHorizontalOnly && P.Y != FLastPosition.Y);
}

void TVTDragImage::PrepareDrag(TBitmap* DragImage, TPoint ImagePosition, TPoint HotSpot, IDataObject* DataObject) {
  if (!DragImage || DragImage->Empty()) return;
  EndDrag();
  Integer w = DragImage->Width(), h = DragImage->Height();
  if (DataObject) PrepareSystemDrag(DragImage, DataObject);
  if (!MMXAvailable || FStates.Contains(disSystemSupport)) return;
  // The picture is read as 32-bit pixels whatever its format.
  std::unique_ptr<TBitmap> source;
  TBitmap* picture = DragImage;
  if (DragImage->PixelFormat() != TPixelFormat::pf32bit) {
    source = NewImage(w, h);
    BitBlt(source->Canvas()->Handle(), 0, 0, w, h, DragImage->Canvas()->Handle(), 0, 0, SRCCOPY);
    picture = source.get();
  }
  FLastPosition = HotSpot;
  FDragImage = NewImage(w, h);
  FAlphaImage = NewImage(w, h);
  FBackImage = NewImage(w, h);
  if (FPreBlendBias == 0)
    BitBlt(FDragImage->Canvas()->Handle(), 0, 0, w, h, picture->Canvas()->Handle(), 0, 0, SRCCOPY);
  else
    AlphaBlend(picture->Canvas()->Handle(), FDragImage->Canvas()->Handle(), TRect(0, 0, w, h), TPoint(0, 0),
               bmConstantAlpha, 255, FPreBlendBias);
  MakeAlphaChannel(picture, FDragImage.get());
  FImagePosition = ImagePosition;
  FStates.Include(disHidden);
  FStates.Include(disInDrag);
  FStates.Include(disPrepared);
}

void TVTDragImage::PrepareSystemDrag(TBitmap* DragImage, IDataObject* DataObject) {
  void* made = nullptr;
  if (CoCreateInstance(CLSID_DragDropHelper, nullptr, CLSCTX_INPROC_SERVER, IDragSourceHelper::IID, &made) != S_OK ||
      !made)
    return;
  TIntf<IDragSourceHelper> helper;
  helper.Attach(static_cast<IDragSourceHelper*>(made));
  FStates.Include(disSystemSupport);
  if (TIntf<IDragSourceHelper2> helper2 = IntfCast<IDragSourceHelper2>(helper))
    helper2->SetFlags(DSH_ALLOWDROPDESCRIPTIONTEXT);
  FORMATETC files;
  files.cfFormat = CF_HDROP;
  files.ptd = nullptr;
  files.dwAspect = DVASPECT_CONTENT;
  files.lindex = -1;
  files.tymed = TYMED_HGLOBAL;
  if (DataObject->QueryGetData(&files) == S_OK) {
    POINT origin(0, 0);
    if (helper->InitializeFromWindow(nullptr, &origin, DataObject) == S_OK) return;
  }
  const Integer w = DragImage->Width(), h = DragImage->Height();
  SHDRAGIMAGE description;
  description.sizeDragImage = SIZE(w, h);
  description.ptOffset = POINT(w / 2, h / 2);
  // Always a bitmap of its own: on success the helper frees it, so it must
  // never be the caller's.
  description.hbmpDragImage = static_cast<HBITMAP>(CopyImage(DragImage->Handle(), IMAGE_BITMAP, w, h, 0));
  description.crColorKey = FColorKey == clNone ? CLR_NONE : ColorToColorRef(FColorKey);
  if (description.hbmpDragImage && helper->InitializeFromBitmap(&description, DataObject) == S_OK) return;
  if (description.hbmpDragImage) DeleteObject(description.hbmpDragImage);
  FStates.Exclude(disSystemSupport);
}

void TVTDragImage::MakeAlphaChannel(TBitmap* Source, TBitmap* Target) {
  Integer w = Target->Width(), h = Target->Height();
  if (w <= 0 || h <= 0 || Source->PixelFormat() != TPixelFormat::pf32bit ||
      Target->PixelFormat() != TPixelFormat::pf32bit)
    return;
  GdiFlush();
  bool keyed = FColorKey != clNone;
  COLORREF key = keyed ? ColorToColorRef(FColorKey) : 0;
  // Pixels are stored blue, green, red, alpha: the key as it lies in memory.
  uint32_t keyPixel = (uint32_t(GetRValue(key)) << 16) | (uint32_t(GetGValue(key)) << 8) | GetBValue(key);
  double m = std::max(w, h);
  Integer sw = std::min(w, Source->Width()), sh = std::min(h, Source->Height());
  for (Integer y = 0; y < h; ++y) {
    auto* target = static_cast<uint32_t*>(Target->ScanLine(y));
    const auto* source = y < sh ? static_cast<const uint32_t*>(Source->ScanLine(y)) : nullptr;
    double dy = (y - h / 2) / m;
    for (Integer x = 0; x < w; ++x) {
      uint32_t alpha;
      if (keyed && source && x < sw && (source[x] & 0xFFFFFF) == keyPixel) {
        alpha = 0;
      } else {
        double dx = (x - w / 2) / m;
        alpha = uint32_t(std::lround(255 * std::exp(-8 * std::sqrt(dx * dx + dy * dy))));
      }
      target[x] = (target[x] & 0xFFFFFF) | (alpha << 24);
    }
  }
}

void TVTDragImage::CaptureBackground(HDC ScreenDC, const TRect& Part) {
  if (StripEmpty(Part)) return;
  BitBlt(FBackImage->Canvas()->Handle(), Part.Left, Part.Top, Part.Right, Part.Bottom, ScreenDC,
         FImagePosition.X + Part.Left, FImagePosition.Y + Part.Top, SRCCOPY);
}

void TVTDragImage::RestoreBackground(HDC ScreenDC, const TRect& Part) {
  if (StripEmpty(Part)) return;
  BitBlt(ScreenDC, FImagePosition.X + Part.Left, FImagePosition.Y + Part.Top, Part.Right, Part.Bottom,
         FBackImage->Canvas()->Handle(), Part.Left, Part.Top, SRCCOPY);
}

void TVTDragImage::InternalShowDragImage(HDC DC) {
  if (!FBackImage) return;
  Integer w = FBackImage->Width(), h = FBackImage->Height();
  HDC alpha = FAlphaImage->Canvas()->Handle();
  BitBlt(alpha, 0, 0, w, h, FBackImage->Canvas()->Handle(), 0, 0, SRCCOPY);
  TBlendMode mode = (FFade || FColorKey != clNone) ? bmMasterAlpha : bmConstantAlpha;
  AlphaBlend(FDragImage->Canvas()->Handle(), alpha, TRect(0, 0, w, h), TPoint(0, 0), mode, FTransparency,
             FPostBlendBias);
  BitBlt(DC, FImagePosition.X, FImagePosition.Y, w, h, alpha, 0, 0, SRCCOPY);
}

void TVTDragImage::ShowDragImage() {
  if (FStates != TVTDragImageStates{disHidden, disInDrag, disPrepared}) return;
  FStates.Exclude(disHidden);
  GdiFlush();
  TScreenDC screen;
  CaptureBackground(screen.DC, TRect(0, 0, FBackImage->Width(), FBackImage->Height()));
  InternalShowDragImage(screen.DC);
}

void TVTDragImage::HideDragImage() {
  if (!GetVisible()) return;
  FStates.Include(disHidden);
  TScreenDC screen;
  RestoreBackground(screen.DC, TRect(0, 0, FBackImage->Width(), FBackImage->Height()));
}

void TVTDragImage::EndDrag() {
  HideDragImage();
  FStates = {};
  FBackImage.reset();
  FDragImage.reset();
  FAlphaImage.reset();
}

void TVTDragImage::RecaptureBackground(TBaseLazyTree_qn* Tree, TRect R, HRGN VisibleRegion, bool CaptureNCArea,
                                       bool ReshowDragImage) {
  if (!GetVisible() || !Tree || !Tree->HandleAllocated()) return;
  const TRect picture = GetDragImageRect();
  const TPoint at = Tree->ClientToScreen(TPoint(R.Left, R.Top));
  const TRect onScreen(at.X, at.Y, at.X + R.Width(), at.Y + R.Height());
  HDC dc = FBackImage->Canvas()->Handle();
  // The window's visible part in the picture's coordinates: what other
  // windows cover there stays as it was saved.
  HRGN visible = CreateRectRgn(0, 0, 0, 0);
  if (VisibleRegion) {
    CombineRgn(visible, VisibleRegion, nullptr, RGN_COPY);
    OffsetRgn(visible, -FImagePosition.X, -FImagePosition.Y);
  }
  TRect cut;
  if (IntersectRect(cut, onScreen, picture)) {
    const TRect target(cut.Left - FImagePosition.X, cut.Top - FImagePosition.Y, cut.Right - FImagePosition.X,
                       cut.Bottom - FImagePosition.Y);
    const TRect part(R.Left + cut.Left - onScreen.Left, R.Top + cut.Top - onScreen.Top,
                     R.Left + cut.Right - onScreen.Left, R.Top + cut.Bottom - onScreen.Top);
    HRGN clip = CreateRectRgn(target.Left, target.Top, target.Right, target.Bottom);
    if (VisibleRegion) CombineRgn(clip, clip, visible, RGN_AND);
    SelectClipRgn(dc, clip);
    DeleteObject(clip);
    Tree->PaintClientPart(FBackImage->Canvas(), part, TPoint(target.Left, target.Top),
                          {poBackground, poColumnColor, poDrawFocusRect, poDrawSelection, poDrawDropMark, poGridLines});
  }
  if (CaptureNCArea) {
    SelectClipRgn(dc, VisibleRegion ? visible : nullptr);
    RECT window;
    GetWindowRect(Tree->Handle(), &window);
    // The frame is printed at the window's own origin and laid in at its
    // place: not every frame part follows a moved canvas origin.
    const Integer w = window.Right - window.Left, h = window.Bottom - window.Top;
    if (w > 0 && h > 0) {
      std::unique_ptr<TBitmap> frame = NewImage(w, h);
      HDC fdc = frame->Canvas()->Handle();
      BitBlt(fdc, 0, 0, w, h, dc, window.Left - FImagePosition.X, window.Top - FImagePosition.Y, SRCCOPY);
      SendMessageW(Tree->Handle(), WM_PRINT, reinterpret_cast<WPARAM>(fdc), PRF_NONCLIENT);
      BitBlt(dc, window.Left - FImagePosition.X, window.Top - FImagePosition.Y, w, h, fdc, 0, 0, SRCCOPY);
    }
  }
  SelectClipRgn(dc, nullptr);
  DeleteObject(visible);
  if (ReshowDragImage) {
    GdiFlush();
    TScreenDC screen;
    InternalShowDragImage(screen.DC);
  }
}

bool TVTDragImage::DragTo(TPoint P, bool ForceRepaint) {
  Integer deltaX = FRestriction == dmrVerticalOnly ? 0 : FLastPosition.X - P.X;
  Integer deltaY = FRestriction == dmrHorizontalOnly ? 0 : FLastPosition.Y - P.Y;
  bool result = deltaX != 0 || deltaY != 0 || ForceRepaint;
  if (!result) return false;
  if (GetVisible()) {
    TScreenDC screen;
    Integer w = FBackImage->Width(), h = FBackImage->Height();
    TRect whole(0, 0, w, h);
    if (w <= std::abs(deltaX) || h <= std::abs(deltaY) || ForceRepaint) {
      RestoreBackground(screen.DC, whole);
      // What lies under the picture may have changed (a drop mark): it is
      // painted before the new background is read.
      if (ForceRepaint && FOwner && FOwner->HandleAllocated()) UpdateWindow(FOwner->Handle());
      FImagePosition.X -= deltaX;
      FImagePosition.Y -= deltaY;
      CaptureBackground(screen.DC, whole);
    } else {
      TRect r1, r2, r3, r4, r5, r6;
      GetDragImageUpdateRects(w, h, deltaX, deltaY, r1, r2, r3, r4, r5, r6);
      // The uncovered strips go back to the screen from the old place ...
      RestoreBackground(screen.DC, r5);
      RestoreBackground(screen.DC, r6);
      // ... what stays covered moves inside the saved background ...
      // R2 (the part that stays covered) lies inside R1 after the shift; the
      // whole bitmap as the scroll area keeps every pixel that lands in it.
      RECT scroll{r1.Left, r1.Top, r1.Left + r1.Right, r1.Top + r1.Bottom};
      RECT clip{0, 0, w, h};
      ScrollDC(FBackImage->Canvas()->Handle(), deltaX, deltaY, &scroll, &clip, nullptr, nullptr);
      FImagePosition.X -= deltaX;
      FImagePosition.Y -= deltaY;
      // ... and only the newly covered strips are read from the screen.
      CaptureBackground(screen.DC, r3);
      CaptureBackground(screen.DC, r4);
    }
    InternalShowDragImage(screen.DC);
  } else if (FStates.Contains(disInDrag) && FStates.Contains(disPrepared)) {
    // A hidden picture still follows the mouse, so it shows where it
    // belongs once shown.
    FImagePosition.X -= deltaX;
    FImagePosition.Y -= deltaY;
  }
  FLastPosition = P;
  return true;
}

}  // namespace qn
