// File mappings: files opened for mapping, mapping objects (over a file or
// over the paging file) and views of them, over the host's mmap. The handles
// are their own kind and are closed with CloseFileMappingHandle; the window
// server's CloseHandle closes only its events.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/gdi/Gdi.h"

namespace vcl {

inline constexpr DWORD GENERIC_READ = 0x80000000u;
inline constexpr DWORD GENERIC_WRITE = 0x40000000u;
inline constexpr DWORD CREATE_NEW = 1;
inline constexpr DWORD CREATE_ALWAYS = 2;
inline constexpr DWORD OPEN_EXISTING = 3;
inline constexpr DWORD OPEN_ALWAYS = 4;
inline constexpr DWORD FILE_ATTRIBUTE_NORMAL = 0x80;
inline constexpr DWORD FILE_ATTRIBUTE_TEMPORARY = 0x100;
inline constexpr DWORD FILE_FLAG_DELETE_ON_CLOSE = 0x04000000u;
inline constexpr DWORD PAGE_READONLY = 0x02;
inline constexpr DWORD PAGE_READWRITE = 0x04;
inline constexpr DWORD FILE_MAP_WRITE = 0x0002;
inline constexpr DWORD FILE_MAP_READ = 0x0004;
inline constexpr DWORD FILE_MAP_ALL_ACCESS = 0xF001F;
inline const HANDLE INVALID_FILE_HANDLE = reinterpret_cast<HANDLE>(~static_cast<NativeUInt>(0));

// INVALID_FILE_HANDLE on failure. Sharing is accepted and ignored; a file
// opened with FILE_FLAG_DELETE_ON_CLOSE is deleted when its handle closes.
HANDLE CreateFileW(const String& FileName, DWORD Access, DWORD ShareMode, void* Security, DWORD Disposition,
                   DWORD FlagsAndAttributes, HANDLE Template);
// nullptr on failure. File is INVALID_FILE_HANDLE for a mapping backed by the
// paging file (the size must then be given); a file is grown to the size.
HANDLE CreateFileMappingW(HANDLE File, void* Security, DWORD Protect, DWORD SizeHigh, DWORD SizeLow,
                          const char16_t* Name);
// nullptr on failure; Bytes 0 maps the whole mapping. Views stay valid after
// the mapping's handle is closed, as on the platform.
void* MapViewOfFile(HANDLE Mapping, DWORD Access, DWORD OffsetHigh, DWORD OffsetLow, NativeUInt Bytes);
bool UnmapViewOfFile(const void* View);
bool CloseFileMappingHandle(HANDLE Handle);
// Open file and mapping handles (tests check that nothing leaks).
Integer FileMappingHandleCount();

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
