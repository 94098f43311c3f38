// The internet client services as far as reading a URL goes: a session, a
// URL opened in it, reads in blocks, and closing. The host fetches nothing
// from the network: "file://" URLs are read from the file system, and any
// other URL goes to a fetcher the program (or a test) installs; without one
// opening it fails.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <functional>
#include <string>

#include "platform/rtl/Kernel.h"

namespace vcl {

using HINTERNET = void*;
using DWORD_PTR = uintptr_t;

constexpr DWORD INTERNET_OPEN_TYPE_PRECONFIG = 0, INTERNET_OPEN_TYPE_DIRECT = 1;
constexpr DWORD INTERNET_FLAG_RELOAD = 0x80000000u;
constexpr DWORD ERROR_INTERNET_NAME_NOT_RESOLVED = 12007, ERROR_INTERNET_INVALID_URL = 12005;

HINTERNET InternetOpenA(const char* agent, DWORD accessType, const char* proxy, const char* proxyBypass, DWORD flags);
HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char* headers, DWORD headersLength,
                           DWORD flags, DWORD_PTR context);
// Reads up to toRead bytes; *read is 0 at the end of the data.
BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read);
BOOL InternetCloseHandle(HINTERNET handle);

// The host's source of URLs other than "file://": given the URL, it fills
// the whole body and returns true, or returns false for a failure. Each read
// then hands the body out in pieces of at most PieceSize bytes (0: as asked),
// so that callers meet short reads. Returns the previous fetcher.
using TInternetFetcher = std::function<bool(const std::string& url, std::string& body)>;
TInternetFetcher SetInternetFetcher(TInternetFetcher fetcher, DWORD pieceSize = 0);
// Makes InternetOpenA fail (a host without internet support), for tests.
void SetInternetAvailable(bool available);

}  // namespace vcl

#include "platform/rtl/MacroShieldEnd.h"
