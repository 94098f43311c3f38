// Platform-free backends: pixels in heap memory, or in a memory-mapped file
// (a temporary file deleted on close, a named file, or the paging file).
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn.h"
#include "platform/gdi/Gdi.h"

namespace qn {

class TMemoryBackend : public TCustomBackend {
  QN_BACKEND_CLASS(TMemoryBackend, TCustomBackend)
 public:
  TMemoryBackend() = default;
  ~TMemoryBackend() override;

 protected:
  // New surfaces are cleared to opaque black.
  void InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) override;
  void FinalizeSurface() override;
};

class TMMFBackend : public TMemoryBackend {
  QN_BACKEND_CLASS(TMMFBackend, TMemoryBackend)
 public:
  // Without a file name: a temporary file when IsTemporary, else the paging
  // file. Attach it with TCustomBackend::Create<TMMFBackend>(Owner, ...).
  explicit TMMFBackend(bool IsTemporary = true, const String& MapFileName = String());
  ~TMMFBackend() override;
  void BeforeDestruction() override;

  HANDLE MapHandle() const { return FMapHandle; }
  HANDLE MapFileHandle() const { return FMapFileHandle; }
  const String& MapFileName() const { return FMapFileName; }
  bool MapIsTemporary() const { return FMapIsTemporary; }

  static void InitializeFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, String& MapFileName);
  // Closes both handles whenever they are open (a paging-file mapping has
  // no file name but still a handle), and deletes a named file.
  static void DeinitializeFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, const String& MapFileName);
  static void CreateFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, String& MapFileName, bool IsTemporary,
                                Integer NewWidth, Integer NewHeight);

 protected:
  void InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) override;
  void FinalizeSurface() override;

 private:
  HANDLE FMapHandle;
  bool FMapIsTemporary;
  HANDLE FMapFileHandle;
  String FMapFileName;
};

// The temporary folder with a trailing delimiter, read by the unit's
// initialisation.
extern String TempPath;
void InitPix32BackendsGeneric();
void DonePix32BackendsGeneric();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
