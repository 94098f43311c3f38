#include "graphics/raster/Pix32_Backends_Generic_qn.h"

#include <cstdlib>

#include "graphics/raster/Pix32_LowLevel_qn.h"
#include "platform/gdi/FileMapping.h"
#include "platform/rtl/SysUtils.h"

namespace qn {

String TempPath;

namespace {

// Width x Height pixels in bytes; 0 when that does not fit the 32-bit size
// a mapping takes, or the address space.
UInt64 SurfaceBytes(Integer W, Integer H) {
  const UInt64 n = static_cast<UInt64>(W) * static_cast<UInt64>(H) * 4u;
  return n > 0xFFFFFFFCu ? 0 : n;
}

bool ValidHandle(HANDLE h) { return h && h != INVALID_FILE_HANDLE; }

}  // namespace

// ---------------------------------------------------------------------------
// TMemoryBackend

TMemoryBackend::~TMemoryBackend() {
  std::free(FBits);
  FBits = nullptr;
}

void TMemoryBackend::InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) {
  const UInt64 bytes = SurfaceBytes(NewWidth, NewHeight);
  // Rows that start on a cache line are written in whole lines: a fill of a
  // large surface from plain malloc memory (16 bytes past a line) ran a fifth
  // slower, each vector store that straddles two lines costing twice.
  constexpr UInt64 kLine = 64;
  void* p = bytes ? std::aligned_alloc(kLine, static_cast<size_t>((bytes + kLine - 1) / kLine * kLine)) : nullptr;
  if (!p) throw EOutOfMemory(u"Out of memory");
  FBits = static_cast<PColor32Array>(p);
  if (ClearBuffer) FillLongword(FBits, static_cast<Cardinal>(bytes / 4), 0xFF000000u);
}

void TMemoryBackend::FinalizeSurface() {
  if (FBits) {
    std::free(FBits);
    FBits = nullptr;
  }
}

// ---------------------------------------------------------------------------
// TMMFBackend

TMMFBackend::TMMFBackend(bool IsTemporary, const String& MapFileName)
    : FMapHandle(INVALID_FILE_HANDLE),
      FMapIsTemporary(IsTemporary),
      FMapFileHandle(INVALID_FILE_HANDLE),
      FMapFileName(MapFileName) {
  InitializeFileMapping(FMapHandle, FMapFileHandle, FMapFileName);
}

void TMMFBackend::BeforeDestruction() {
  // The view goes first (inherited: Clear), then the handles and the file.
  inherited::BeforeDestruction();
  DeinitializeFileMapping(FMapHandle, FMapFileHandle, FMapFileName);
}

TMMFBackend::~TMMFBackend() {
  if (FBits) {
    UnmapViewOfFile(FBits);
    FBits = nullptr;
  }
  DeinitializeFileMapping(FMapHandle, FMapFileHandle, FMapFileName);
}

void TMMFBackend::InitializeFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, String& MapFileName) {
  MapHandle = INVALID_FILE_HANDLE;
  MapFileHandle = INVALID_FILE_HANDLE;
  if (!MapFileName.empty()) {
    const String dir = ExtractFileDir(MapFileName);
    if (!dir.empty()) ForceDirectories(dir);
  }
}

void TMMFBackend::DeinitializeFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, const String& MapFileName) {
  if (ValidHandle(MapHandle)) CloseFileMappingHandle(MapHandle);
  if (ValidHandle(MapFileHandle)) CloseFileMappingHandle(MapFileHandle);
  MapHandle = INVALID_FILE_HANDLE;
  MapFileHandle = INVALID_FILE_HANDLE;
  if (!MapFileName.empty() && FileExists(MapFileName)) DeleteFile(MapFileName);
}

void TMMFBackend::CreateFileMapping(HANDLE& MapHandle, HANDLE& MapFileHandle, String& MapFileName,
                                    bool IsTemporary, Integer NewWidth, Integer NewHeight) {
  if (ValidHandle(MapHandle)) CloseFileMappingHandle(MapHandle);
  if (ValidHandle(MapFileHandle)) CloseFileMappingHandle(MapFileHandle);
  MapHandle = INVALID_FILE_HANDLE;
  MapFileHandle = INVALID_FILE_HANDLE;

  if (!MapFileName.empty() || IsTemporary) {
    if (MapFileName.empty()) {
      const String prefix = IntToStr(static_cast<Int64>(reinterpret_cast<NativeUInt>(StaticClass()) % 1000000));
      MapFileName = GetTempFileName(TempPath, prefix);
    }
    if (FileExists(MapFileName)) DeleteFile(MapFileName);
    const DWORD attrs = IsTemporary ? (FILE_ATTRIBUTE_TEMPORARY | FILE_FLAG_DELETE_ON_CLOSE) : FILE_ATTRIBUTE_NORMAL;
    MapFileHandle = CreateFileW(MapFileName, GENERIC_READ | GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, attrs, nullptr);
    if (!ValidHandle(MapFileHandle)) {
      MapFileHandle = INVALID_FILE_HANDLE;
      if (!IsTemporary) throw Exception::CreateFmt(u"Failed to create map file (%s)", {MapFileName});
      // A temporary map falls back to the paging file.
      if (FileExists(MapFileName)) DeleteFile(MapFileName);
      MapFileName.clear();
    }
  }

  const UInt64 bytes = SurfaceBytes(NewWidth, NewHeight);
  HANDLE m = bytes ? CreateFileMappingW(MapFileHandle, nullptr, PAGE_READWRITE, 0, static_cast<DWORD>(bytes), nullptr)
                   : nullptr;
  if (!m) throw Exception(u"Failed to map file");
  MapHandle = m;
}

void TMMFBackend::InitializeSurface(Integer NewWidth, Integer NewHeight, bool ClearBuffer) {
  CreateFileMapping(FMapHandle, FMapFileHandle, FMapFileName, FMapIsTemporary, NewWidth, NewHeight);
  void* p = MapViewOfFile(FMapHandle, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (!p) throw Exception(u"Failed to map view of file.");
  FBits = static_cast<PColor32Array>(p);
  if (ClearBuffer) FillLongword(FBits, static_cast<Cardinal>(NewWidth) * static_cast<Cardinal>(NewHeight), 0xFF000000u);
}

void TMMFBackend::FinalizeSurface() {
  if (FBits) {
    UnmapViewOfFile(FBits);
    FBits = nullptr;
  }
}

void InitPix32BackendsGeneric() {
  String t = GetTempPath();
  if (t.size() > 260) t.resize(260);
  TempPath = IncludeTrailingPathDelimiter(t);
}

void DonePix32BackendsGeneric() { TempPath.clear(); }

}  // namespace qn
