#include "skin/forms/uQnFormBorder.h"

#include <algorithm>
#include <cmath>

#include "platform/gdi/Gdi.h"
#include "skin/foundation/uQnPix32Lib.h"

namespace qn {

namespace {

const Char* LayerClass() {
  static const Char* name = [] {
    WNDCLASSEXW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.lpszClassName = u"QnFormLayerBorder";
    RegisterClassExW(&wc);
    return u"QnFormLayerBorder";
  }();
  return name;
}

// The generated shadow: a (4B + 1) square whose alpha falls off from the
// inner edge outwards (quadratically, at most 50 %), fully clear inside,
// so its nine slices give soft edges and rounded outer corners.
void MakeShadow(TBitmap32* B, Integer Border) {
  const Integer n = 4 * Border + 1, c = 2 * Border;
  B->SetSize(n, n);
  for (Integer y = 0; y < n; ++y)
    for (Integer x = 0; x < n; ++x) {
      // Distance outside the inner square [Border, n - Border).
      const double dx = std::max({0.0, double(Border - x), double(x - (n - Border - 1))});
      const double dy = std::max({0.0, double(Border - y), double(y - (n - Border - 1))});
      const double d = std::sqrt(dx * dx + dy * dy) / std::max(1, Border);
      const bool inside = dx == 0 && dy == 0;
      const double a = inside ? 0 : std::max(0.0, 1 - d);
      B->SetPixel(x, y, TColor32(Cardinal(std::lround(a * a * 128)) << 24));
      (void)c;
    }
}

}  // namespace

TQnFormLayerBorder::TQnFormLayerBorder(TComponent* AOwner) : TComponent(AOwner) {}

TQnFormLayerBorder::~TQnFormLayerBorder() { FreeLayerWindow(); }

void TQnFormLayerBorder::SetImage(const TQnResID& Value) {
  if (Value == FImage) return;
  FImage = Value;
  for (auto& s : FSets) Push(s);
}

void TQnFormLayerBorder::SetBorderWidth(Integer Value) {
  if (Value < 0 || Value == FBorderWidth) return;
  FBorderWidth = Value;
  for (auto& s : FSets) Push(s);
}

TQnFormLayerBorder::TLayerSet* TQnFormLayerBorder::Find(TCustomForm* Form) {
  for (auto& s : FSets)
    if (s.Form == Form) return &s;
  return nullptr;
}

std::vector<HWND> TQnFormLayerBorder::WindowsOf(TCustomForm* Form) const {
  for (auto& s : FSets)
    if (s.Form == Form) return {s.Wnd[0], s.Wnd[1], s.Wnd[2], s.Wnd[3]};
  return {};
}

void TQnFormLayerBorder::UpdateFor(TCustomForm* Form) {
  if (!Form || !Form->HandleAllocated() || ComponentState().Contains(csDesigning)) return;
  TLayerSet* s = Find(Form);
  if (!s) {
    TLayerSet n;
    n.Form = Form;
    for (HWND& w : n.Wnd)
      w = CreateWindowExW(WS_EX_LAYERED | WS_EX_TRANSPARENT | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, LayerClass(), u"",
                          WS_POPUP, 0, 0, 1, 1, Form->Handle(), nullptr, nullptr, nullptr);
    FSets.push_back(n);
    FreeNotification(Form);
    s = &FSets.back();
  }
  Push(*s);
}

void TQnFormLayerBorder::Push(TLayerSet& Set) {
  const HWND f = Set.Form->Handle();
  const bool show = IsWindowVisible(f) && !IsIconic(f) && !IsZoomed(f) && FBorderWidth > 0;
  if (!show) {
    for (HWND w : Set.Wnd) ShowWindow(w, SW_HIDE);
    return;
  }
  TRect r;
  GetWindowRect(f, &r);
  const Integer B = FBorderWidth, W = r.Right - r.Left, H = r.Bottom - r.Top;
  TBitmap32 pic;
  BuildPicture(W, H, &pic);
  // Layered windows take premultiplied colours.
  for (Integer i = 0; i < pic.Width() * pic.Height(); ++i) {
    const TColor32 c = pic.Bits()[i];
    const Cardinal a = c >> 24;
    auto ch = [&](int s) { return ((((c >> s) & 0xFF) * a + 127) / 255) << s; };
    pic.Bits()[i] = (a << 24) | ch(16) | ch(8) | ch(0);
  }
  // Slices in picture coordinates: top, bottom, left, right.
  const TRect slices[4] = {TRect(0, 0, W + 2 * B, B), TRect(0, H + B, W + 2 * B, H + 2 * B), TRect(0, B, B, H + B),
                           TRect(W + B, B, W + 2 * B, H + B)};
  HDC src = pic.Canvas()->Handle();
  BLENDFUNCTION blend{AC_SRC_OVER, 0, 255, AC_SRC_ALPHA};
  for (int i = 0; i < 4; ++i) {
    const TRect& sl = slices[i];
    POINT dst(r.Left - B + sl.Left, r.Top - B + sl.Top);
    SIZE size{sl.Right - sl.Left, sl.Bottom - sl.Top};
    POINT from(sl.Left, sl.Top);
    UpdateLayeredWindow(Set.Wnd[i], nullptr, &dst, &size, src, &from, 0, &blend, ULW_ALPHA);
    ShowWindow(Set.Wnd[i], SW_SHOWNOACTIVATE);
  }
}

void TQnFormLayerBorder::BuildPicture(Integer W, Integer H, TBitmap32* Dst) {
  const Integer B = FBorderWidth;
  Dst->SetSize(W + 2 * B, H + 2 * B);
  Dst->Clear(0);
  TBitmap32 shadow;
  TBitmap32* src = nullptr;
  if (!FImage.empty()) src = TQuarnResManagerObj()->GetImageByName(FImage);
  if (!src || src->Empty()) {
    MakeShadow(&shadow, B);
    src = &shadow;
  }
  // Corners of the border's width, 1:1; the rest stretched.
  const Integer cx = std::min(B, src->Width() / 2), cy = std::min(B, src->Height() / 2);
  NineSliceTransfer(src, src->BoundsRect(), TRect(cx, cy, cx, cy), Dst, Dst->BoundsRect(), true);
}

void TQnFormLayerBorder::Destroy(TLayerSet& Set) {
  for (HWND& w : Set.Wnd) {
    if (w && IsWindow(w)) DestroyWindow(w);
    w = nullptr;
  }
}

void TQnFormLayerBorder::Release(TCustomForm* Form) {
  for (auto it = FSets.begin(); it != FSets.end(); ++it)
    if (it->Form == Form) {
      Destroy(*it);
      RemoveFreeNotification(Form);
      FSets.erase(it);
      return;
    }
}

void TQnFormLayerBorder::FreeLayerWindow() {
  for (auto& s : FSets) {
    Destroy(s);
    RemoveFreeNotification(s.Form);
  }
  FSets.clear();
}

void TQnFormLayerBorder::Notification(TComponent* AComponent, TOperation Operation) {
  TComponent::Notification(AComponent, Operation);
  if (Operation != opRemove) return;
  for (auto it = FSets.begin(); it != FSets.end(); ++it)
    if (it->Form == AComponent) {
      // The form's window takes its owned windows with it.
      Destroy(*it);
      FSets.erase(it);
      return;
    }
}

}  // namespace qn

QN_PUBLISHED_IMPL(qn::TQnFormLayerBorder)
