#include "platform/rtl/WinInet.h"

#include <algorithm>
#include <cstring>
#include <fstream>
#include <iterator>
#include <mutex>
#include <set>

namespace vcl {

namespace {

struct TInetHandle {
  bool IsSession = false;
  std::string Body;
  size_t Pos = 0;
  DWORD Piece = 0;
};

std::mutex gInetLock;
TInternetFetcher gFetcher;
DWORD gPiece = 0;
bool gAvailable = true;
std::set<TInetHandle*> gHandles;  // only handles handed out are accepted back

TInetHandle* Lookup(HINTERNET h) {
  auto* p = static_cast<TInetHandle*>(h);
  return gHandles.count(p) ? p : nullptr;
}

// "file:///path" and "file://localhost/path" name local files.
bool ReadFileUrl(const std::string& url, std::string& body) {
  std::string path = url.substr(7);
  if (path.compare(0, 9, "localhost") == 0) path = path.substr(9);
  if (path.empty() || path[0] != '/') return false;
  std::ifstream f(path, std::ios::binary);
  if (!f) return false;
  body.assign(std::istreambuf_iterator<char>(f), std::istreambuf_iterator<char>());
  return !f.bad();
}

}  // namespace

HINTERNET InternetOpenA(const char*, DWORD, const char*, const char*, DWORD) {
  std::lock_guard<std::mutex> g(gInetLock);
  if (!gAvailable) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  auto* h = new TInetHandle;
  h->IsSession = true;
  gHandles.insert(h);
  return h;
}

HINTERNET InternetOpenUrlA(HINTERNET session, const char* url, const char*, DWORD, DWORD, DWORD_PTR) {
  TInternetFetcher fetcher;
  DWORD piece;
  {
    std::lock_guard<std::mutex> g(gInetLock);
    TInetHandle* s = Lookup(session);
    if (!s || !s->IsSession) {
      SetLastError(ERROR_INVALID_HANDLE);
      return nullptr;
    }
    fetcher = gFetcher;
    piece = gPiece;
  }
  if (!url) {
    SetLastError(ERROR_INTERNET_INVALID_URL);
    return nullptr;
  }
  std::string u(url), body;
  bool ok = u.compare(0, 7, "file://") == 0 ? ReadFileUrl(u, body) : fetcher && fetcher(u, body);
  if (!ok) {
    SetLastError(ERROR_INTERNET_NAME_NOT_RESOLVED);
    return nullptr;
  }
  std::lock_guard<std::mutex> g(gInetLock);
  auto* h = new TInetHandle;
  h->Body = std::move(body);
  h->Piece = piece;
  gHandles.insert(h);
  return h;
}

BOOL InternetReadFile(HINTERNET file, void* buffer, DWORD toRead, DWORD* read) {
  std::lock_guard<std::mutex> g(gInetLock);
  TInetHandle* h = Lookup(file);
  if (read) *read = 0;
  if (!h || h->IsSession || !read || (!buffer && toRead > 0)) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  size_t n = std::min<size_t>(toRead, h->Body.size() - h->Pos);
  if (h->Piece > 0 && n > h->Piece) n = h->Piece;
  if (n) std::memcpy(buffer, h->Body.data() + h->Pos, n);
  h->Pos += n;
  *read = static_cast<DWORD>(n);
  return 1;
}

BOOL InternetCloseHandle(HINTERNET handle) {
  std::lock_guard<std::mutex> g(gInetLock);
  TInetHandle* h = Lookup(handle);
  if (!h) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  gHandles.erase(h);
  delete h;
  return 1;
}

TInternetFetcher SetInternetFetcher(TInternetFetcher fetcher, DWORD pieceSize) {
  std::lock_guard<std::mutex> g(gInetLock);
  TInternetFetcher old = std::move(gFetcher);
  gFetcher = std::move(fetcher);
  gPiece = pieceSize;
  return old;
}

void SetInternetAvailable(bool available) {
  std::lock_guard<std::mutex> g(gInetLock);
  gAvailable = available;
}

}  // namespace vcl
