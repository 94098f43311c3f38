#include "platform/user/Clipboard.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <vector>

#include "platform/rtl/SysUtils.h"
#include "platform/user/Server.h"

namespace vcl {

// ---------------------------------------------------------------------------
// Global memory

namespace {

struct Block {
  std::vector<Byte> Data;  // capacity kept at least one byte, so data() is stable and unique
  UINT Flags = 0;
  UINT Locks = 0;
  bool Moveable = false;
};

struct Heap {
  std::mutex Lock;
  size_t Live = 0;  // blocks allocated and not yet freed
  std::map<uintptr_t, std::unique_ptr<Block>> Blocks;  // by handle
  std::map<const void*, uintptr_t> ByPointer;          // fixed blocks and locked pointers
  uintptr_t NextHandle = 0x40000;
};

Heap& H() {
  static Heap* h = new Heap;
  return *h;
}

// A handle, or a pointer GlobalLock gave out, to its block (lock held).
Block* Find(HGLOBAL mem, uintptr_t* key = nullptr) {
  auto& h = H();
  auto it = h.Blocks.find(reinterpret_cast<uintptr_t>(mem));
  if (it == h.Blocks.end()) {
    auto p = h.ByPointer.find(mem);
    if (p == h.ByPointer.end()) return nullptr;
    it = h.Blocks.find(p->second);
    if (it == h.Blocks.end()) return nullptr;
  }
  if (key) *key = it->first;
  return it->second.get();
}

const void* DataOf(Block& b) { return b.Data.data(); }

}  // namespace

HGLOBAL GlobalAlloc(UINT flags, size_t bytes) {
  auto b = std::make_unique<Block>();
  try {
    b->Data.reserve(std::max<size_t>(bytes, 1));
    b->Data.resize(bytes);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  b->Flags = flags & (GMEM_DDESHARE);
  b->Moveable = (flags & GMEM_MOVEABLE) != 0;
  std::lock_guard<std::mutex> lk(H().Lock);
  uintptr_t key;
  if (b->Moveable) {
    key = H().NextHandle;
    H().NextHandle += 8;
  } else {
    key = reinterpret_cast<uintptr_t>(DataOf(*b));
  }
  H().ByPointer[DataOf(*b)] = key;
  H().Blocks[key] = std::move(b);
  ++H().Live;
  return reinterpret_cast<HGLOBAL>(key);
}

HGLOBAL GlobalFree(HGLOBAL mem) {
  if (!mem) return nullptr;
  std::lock_guard<std::mutex> lk(H().Lock);
  uintptr_t key;
  Block* b = Find(mem, &key);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return mem;
  }
  H().ByPointer.erase(DataOf(*b));
  H().Blocks.erase(key);
  --H().Live;
  return nullptr;
}

size_t GlobalBlockCount() {
  std::lock_guard<std::mutex> lk(H().Lock);
  return H().Live;
}

void* GlobalLock(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(H().Lock);
  Block* b = Find(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (b->Moveable && b->Locks < GMEM_LOCKCOUNT) ++b->Locks;
  return b->Data.data();
}

bool GlobalUnlock(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(H().Lock);
  Block* b = Find(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return false;
  }
  if (b->Locks > 0) --b->Locks;
  SetLastError(ERROR_SUCCESS);
  return b->Locks > 0;
}

size_t GlobalSize(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(H().Lock);
  Block* b = Find(mem);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return 0;
  }
  return b->Data.size();
}

HGLOBAL GlobalReAlloc(HGLOBAL mem, size_t bytes, UINT flags) {
  std::lock_guard<std::mutex> lk(H().Lock);
  uintptr_t key;
  Block* b = Find(mem, &key);
  if (!b) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  if (flags & GMEM_MODIFY) {
    if (flags & GMEM_MOVEABLE) b->Moveable = true;
    return mem;
  }
  size_t old = b->Data.size();
  bool fits = bytes <= b->Data.capacity();
  // A fixed or locked block keeps its address: it may only change within
  // what it already has.
  if (!fits && (!b->Moveable || b->Locks > 0) && !(flags & GMEM_MOVEABLE)) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  const void* before = DataOf(*b);
  try {
    if (!fits) b->Data.reserve(bytes);
    b->Data.resize(bytes);
  } catch (const std::bad_alloc&) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return nullptr;
  }
  if (bytes > old) std::memset(b->Data.data() + old, 0, bytes - old);
  if (DataOf(*b) != before) {
    H().ByPointer.erase(before);
    H().ByPointer[DataOf(*b)] = key;
    if (!b->Moveable) {
      // A fixed block that was allowed to move has a new handle: its address.
      auto owned = std::move(H().Blocks[key]);
      H().Blocks.erase(key);
      key = reinterpret_cast<uintptr_t>(DataOf(*owned));
      H().ByPointer[DataOf(*owned)] = key;
      H().Blocks[key] = std::move(owned);
    }
  }
  return reinterpret_cast<HGLOBAL>(key);
}

HGLOBAL GlobalHandle(const void* mem) {
  std::lock_guard<std::mutex> lk(H().Lock);
  uintptr_t key;
  if (!Find(const_cast<void*>(mem), &key)) {
    SetLastError(ERROR_INVALID_HANDLE);
    return nullptr;
  }
  return reinterpret_cast<HGLOBAL>(key);
}

UINT GlobalFlags(HGLOBAL mem) {
  std::lock_guard<std::mutex> lk(H().Lock);
  Block* b = Find(mem);
  if (!b) return GMEM_INVALID_HANDLE;
  return b->Locks | b->Flags;
}

// ---------------------------------------------------------------------------
// The clipboard

namespace {

// An entry without data is one the owner renders when asked (delayed).
struct Entry {
  UINT Format = 0;
  HANDLE Data = nullptr;
  bool Synthesized = false;  // made from another text format on request
};

struct Board {
  std::recursive_mutex Lock;
  HWND Opener = nullptr;
  DWORD OpenerThread = 0;
  bool Open = false;
  HWND Owner = nullptr;
  std::vector<Entry> Entries;
  DWORD Sequence = 1;
  std::vector<String> Names;  // registered formats, 0xC000 + index
  // While the owner renders a delayed format on request, its thread may set
  // data without having the clipboard open.
  int Rendering = 0;
  DWORD RenderThread = 0;
};

Board& B() {
  static Board* b = new Board;
  return *b;
}

using Lock = std::lock_guard<std::recursive_mutex>;

bool IsText(UINT f) { return f == CF_TEXT || f == CF_OEMTEXT || f == CF_UNICODETEXT; }

void FreeData(UINT format, HANDLE data) {
  if (!data) return;
  if (format == CF_BITMAP || format == CF_PALETTE) DeleteObject(static_cast<HGDIOBJ>(data));
  else GlobalFree(data);
}

void FreeAll(Board& b) {
  for (auto& e : b.Entries) FreeData(e.Format, e.Data);
  b.Entries.clear();
}

bool OpenedHere(Board& b) {
  if (!b.Open || b.OpenerThread != GetCurrentThreadId()) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  return true;
}

bool Renders(Board& b) { return b.Rendering > 0 && b.RenderThread == GetCurrentThreadId(); }

Entry* Stored(Board& b, UINT format) {
  for (auto& e : b.Entries)
    if (e.Format == format) return &e;
  return nullptr;
}

// The source a missing text format can be made from, best first.
Entry* TextSource(Board& b, UINT format) {
  if (!IsText(format)) return nullptr;
  for (UINT f : {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT})
    if (f != format)
      if (Entry* e = Stored(b, f); e && !e->Synthesized) return e;
  return nullptr;
}

// Makes `format` from another text format; the block's own size bounds
// what is read, so a missing terminator ends the text at the block's end.
HANDLE Convert(const Entry& src, UINT format) {
  size_t size = GlobalSize(src.Data);
  const void* p = GlobalLock(src.Data);
  if (!p) return nullptr;
  String wide;
  if (src.Format == CF_UNICODETEXT) {
    const Char* w = static_cast<const Char*>(p);
    size_t n = size / sizeof(Char), len = 0;
    while (len < n && w[len]) ++len;
    wide.assign(w, len);
  } else {
    const char* a = static_cast<const char*>(p);
    size_t len = 0;
    while (len < size && a[len]) ++len;
    UINT cp = src.Format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
    int need = len ? MultiByteToWideChar(cp, 0, a, int(len), nullptr, 0) : 0;
    wide.resize(size_t(std::max(need, 0)));
    if (need > 0) MultiByteToWideChar(cp, 0, a, int(len), wide.data(), need);
  }
  GlobalUnlock(src.Data);
  if (format == CF_UNICODETEXT) {
    HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, (wide.size() + 1) * sizeof(Char));
    if (!out) return nullptr;
    auto* w = static_cast<Char*>(GlobalLock(out));
    std::copy(wide.begin(), wide.end(), w);
    w[wide.size()] = 0;
    GlobalUnlock(out);
    return out;
  }
  UINT cp = format == CF_OEMTEXT ? CP_OEMCP : CP_ACP;
  int need = wide.empty() ? 0 : WideCharToMultiByte(cp, 0, wide.data(), int(wide.size()), nullptr, 0, nullptr, nullptr);
  need = std::max(need, 0);
  HGLOBAL out = GlobalAlloc(GMEM_MOVEABLE, size_t(need) + 1);
  if (!out) return nullptr;
  auto* a = static_cast<char*>(GlobalLock(out));
  if (need > 0) WideCharToMultiByte(cp, 0, wide.data(), int(wide.size()), a, need, nullptr, nullptr);
  a[need] = 0;
  GlobalUnlock(out);
  return out;
}

// The formats in enumeration order: what was set, then what can be made.
std::vector<UINT> Available(Board& b) {
  std::vector<UINT> v;
  for (auto& e : b.Entries)
    if (!e.Synthesized) v.push_back(e.Format);
  for (UINT f : {CF_UNICODETEXT, CF_TEXT, CF_OEMTEXT})
    if (std::find(v.begin(), v.end(), f) == v.end() && TextSource(b, f)) v.push_back(f);
  return v;
}

}  // namespace

bool OpenClipboard(HWND newOwner) {
  Board& b = B();
  Lock lk(b.Lock);
  if (b.Open && (b.OpenerThread != GetCurrentThreadId() || b.Opener != newOwner)) {
    SetLastError(ERROR_ACCESS_DENIED);
    return false;
  }
  if (newOwner && !IsWindow(newOwner)) {
    SetLastError(ERROR_INVALID_WINDOW_HANDLE);
    return false;
  }
  b.Open = true;
  b.Opener = newOwner;
  b.OpenerThread = GetCurrentThreadId();
  return true;
}

bool CloseClipboard() {
  Board& b = B();
  Lock lk(b.Lock);
  if (!OpenedHere(b)) return false;
  b.Open = false;
  b.Opener = nullptr;
  b.OpenerThread = 0;
  return true;
}

bool EmptyClipboard() {
  Board& b = B();
  HWND old;
  {
    Lock lk(b.Lock);
    if (!OpenedHere(b)) return false;
    old = b.Owner;
    FreeAll(b);
    b.Owner = b.Opener;
    ++b.Sequence;
  }
  if (old && IsWindow(old)) SendMessageW(old, WM_DESTROYCLIPBOARD, 0, 0);
  return true;
}

HANDLE SetClipboardData(UINT format, HANDLE mem) {
  Board& b = B();
  Lock lk(b.Lock);
  bool rendering = Renders(b);
  if (!rendering && !OpenedHere(b)) return nullptr;
  if (format == 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return nullptr;
  }
  if (!mem) {
    // Promised data needs an owner to ask for it later.
    if (rendering || !b.Owner || b.Owner != b.Opener) {
      SetLastError(ERROR_INVALID_PARAMETER);
      return nullptr;
    }
  }
  // A new text replaces the ones made from the old.
  if (IsText(format)) {
    for (auto it = b.Entries.begin(); it != b.Entries.end();) {
      if (it->Synthesized) {
        FreeData(it->Format, it->Data);
        it = b.Entries.erase(it);
      } else {
        ++it;
      }
    }
  }
  bool fulfils = false;
  if (Entry* e = Stored(b, format)) {
    fulfils = !e->Data && mem;
    if (e->Data != mem) FreeData(format, e->Data);
    e->Data = mem;
  } else {
    b.Entries.push_back(Entry{format, mem, false});
  }
  // Rendering what was promised does not change the content.
  if (!(rendering && fulfils)) ++b.Sequence;
  SetLastError(ERROR_SUCCESS);
  return mem;
}

namespace {

// Asks the owner to render a promised format; the board lock is not held,
// since the owner may live on another thread.
void RenderDelayed(UINT format) {
  Board& b = B();
  HWND owner;
  {
    Lock lk(b.Lock);
    Entry* e = Stored(b, format);
    if (!e || e->Data || e->Synthesized) return;
    owner = b.Owner;
    if (!owner || !IsWindow(owner)) return;
    ++b.Rendering;
    b.RenderThread = GetWindowThreadProcessId(owner, nullptr);
  }
  SendMessageW(owner, WM_RENDERFORMAT, WPARAM(format), 0);
  Lock lk(b.Lock);
  if (--b.Rendering == 0) b.RenderThread = 0;
}

HANDLE Synthesize(Board& b, const Entry& src, UINT format) {
  HANDLE made = Convert(src, format);
  if (made) b.Entries.push_back(Entry{format, made, true});
  return made;
}

}  // namespace

HANDLE GetClipboardData(UINT format) {
  Board& b = B();
  UINT promised = 0;
  {
    Lock lk(b.Lock);
    if (!OpenedHere(b)) return nullptr;
    if (Entry* e = Stored(b, format)) {
      if (e->Data) return e->Data;
      promised = format;
    } else {
      Entry* src = TextSource(b, format);
      if (!src) return nullptr;
      if (src->Data) return Synthesize(b, *src, format);
      promised = src->Format;
    }
  }
  RenderDelayed(promised);
  Lock lk(b.Lock);
  if (!OpenedHere(b)) return nullptr;
  if (Entry* e = Stored(b, format)) return e->Data;
  Entry* src = TextSource(b, format);
  if (!src || !src->Data) return nullptr;
  return Synthesize(b, *src, format);
}

bool IsClipboardFormatAvailable(UINT format) {
  Board& b = B();
  Lock lk(b.Lock);
  auto v = Available(b);
  return std::find(v.begin(), v.end(), format) != v.end();
}

int CountClipboardFormats() {
  Board& b = B();
  Lock lk(b.Lock);
  return int(Available(b).size());
}

UINT EnumClipboardFormats(UINT format) {
  Board& b = B();
  Lock lk(b.Lock);
  if (!OpenedHere(b)) return 0;
  auto v = Available(b);
  SetLastError(ERROR_SUCCESS);
  if (format == 0) return v.empty() ? 0 : v.front();
  auto it = std::find(v.begin(), v.end(), format);
  if (it == v.end() || ++it == v.end()) return 0;
  return *it;
}

HWND GetClipboardOwner() {
  Board& b = B();
  Lock lk(b.Lock);
  if (b.Owner && !IsWindow(b.Owner)) b.Owner = nullptr;
  return b.Owner;
}

HWND GetOpenClipboardWindow() {
  Board& b = B();
  Lock lk(b.Lock);
  return b.Open ? b.Opener : nullptr;
}

DWORD GetClipboardSequenceNumber() {
  Board& b = B();
  Lock lk(b.Lock);
  return b.Sequence;
}

UINT RegisterClipboardFormatW(const Char* name) {
  if (!name || !*name) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  Board& b = B();
  Lock lk(b.Lock);
  String n(name);
  for (size_t i = 0; i < b.Names.size(); ++i)
    if (AnsiSameText(b.Names[i], n)) return UINT(0xC000 + i);
  if (b.Names.size() >= 0x3FFF) {
    SetLastError(ERROR_NOT_ENOUGH_MEMORY);
    return 0;
  }
  b.Names.push_back(n);
  return UINT(0xC000 + b.Names.size() - 1);
}

int GetClipboardFormatNameW(UINT format, Char* name, int maxCount) {
  Board& b = B();
  Lock lk(b.Lock);
  if (format < 0xC000 || format - 0xC000 >= b.Names.size() || !name || maxCount <= 0) {
    SetLastError(ERROR_INVALID_PARAMETER);
    return 0;
  }
  const String& n = b.Names[format - 0xC000];
  int count = std::min(int(n.size()), maxCount - 1);
  std::copy(n.begin(), n.begin() + count, name);
  name[count] = 0;
  return count;
}

namespace server {

void ClipboardOwnerDestroying(HWND h) {
  Board& b = B();
  {
    Lock lk(b.Lock);
    if (b.Owner != h) return;
    bool promised = std::any_of(b.Entries.begin(), b.Entries.end(),
                                [](const Entry& e) { return !e.Data && !e.Synthesized; });
    if (!promised) return;
  }
  SendMessageW(h, WM_RENDERALLFORMATS, 0, 0);
  // What the owner did not render is gone with it.
  Lock lk(b.Lock);
  auto gone = std::remove_if(b.Entries.begin(), b.Entries.end(), [](const Entry& e) { return !e.Data; });
  if (gone != b.Entries.end()) {
    b.Entries.erase(gone, b.Entries.end());
    ++b.Sequence;
  }
}

}  // namespace server

void ResetClipboard() {
  Board& b = B();
  HWND owner;
  {
    Lock lk(b.Lock);
    FreeAll(b);
    b.Open = false;
    b.Opener = nullptr;
    b.OpenerThread = 0;
    owner = b.Owner;
    b.Owner = nullptr;
    ++b.Sequence;
  }
  // The owner's content is gone: it lets go of what it kept for it (the
  // OLE clipboard its data object). A notification, so that a reset never
  // waits on a thread that does not pump.
  if (owner && IsWindow(owner)) SendNotifyMessageW(owner, WM_DESTROYCLIPBOARD, 0, 0);
}

}  // namespace vcl
