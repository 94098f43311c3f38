#include "platform/vcl/Clipbrd.h"

namespace vcl {

namespace {
TClipboard* gClipboard = nullptr;
}  // namespace

TClipboard::TClipboard() : FPicture(std::make_unique<TPicture>()) {}
TClipboard::~TClipboard() = default;

void TClipboard::Assign(TPersistent* Source) {
  if (!Source) return Clear();
  if (dynamic_cast<TGraphic*>(Source) || dynamic_cast<TPicture*>(Source)) {
    // Copied first, so that a failing copy leaves the old content.
    auto p = std::make_unique<TPicture>();
    p->Assign(Source);
    FPicture = std::move(p);
    return;
  }
  inherited::Assign(Source);
}

void TClipboard::Clear() { FPicture->SetGraphic(nullptr); }

bool TClipboard::HasPicture() const { return FPicture->Graphic() != nullptr; }

void TClipboard::AssignTo(TPersistent* Dest) {
  if (auto* p = dynamic_cast<TPicture*>(Dest)) return p->Assign(FPicture.get());
  if (auto* g = dynamic_cast<TGraphic*>(Dest); g && FPicture->Graphic()) return g->Assign(FPicture->Graphic());
  inherited::AssignTo(Dest);
}

TClipboard* Clipboard() {
  if (!gClipboard) gClipboard = new TClipboard();
  return gClipboard;
}

void DoneClipboard() {
  delete gClipboard;
  gClipboard = nullptr;
}

}  // namespace vcl
