#include "graphics/raster/Pix32_Backends_qn.h"

namespace qn {

void RequireBackendSupport(TCustomBitmap32* TargetBitmap, const std::vector<TGUID>& RequiredInterfaces,
                           TRequireOperatorMode Mode, bool DestructiveSwitch, TCustomBackend*& ReleasedBackend) {
  bool supported = false;
  for (const TGUID& iid : RequiredInterfaces) {
    supported = TargetBitmap->Backend() && TargetBitmap->Backend()->GetInterface(iid, nullptr);
    if (Mode == TRequireOperatorMode::romAnd ? !supported : supported) break;
  }
  ReleasedBackend = nullptr;
  if (supported) return;
  if (DestructiveSwitch) TargetBitmap->SetSize(0, 0);
  ReleasedBackend = TargetBitmap->ReleaseBackend();
  try {
    TargetBitmap->GetPlatformBackendClass()->Create(TargetBitmap);
  } catch (...) {
    if (ReleasedBackend) ReleasedBackend->_Release();
    ReleasedBackend = nullptr;
    throw;
  }
}

void RestoreBackend(TCustomBitmap32* TargetBitmap, TCustomBackend* SavedBackend) {
  if (SavedBackend) TargetBitmap->SetBackend(SavedBackend);
}

}  // namespace qn
