// Random blocks under random formats, put on the clipboard both ways (as
// classic blocks and as an OLE object that renders them on request), read
// back through OleGetClipboard as blocks and as streams, and flushed: the
// bytes of every non-text format come back unchanged, text formats read
// without running past their blocks, and no block outlives the clipboard.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/ole/ActiveX.h"

using namespace vcl;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

std::string Bytes(HGLOBAL h) {
  size_t n = GlobalSize(h);
  const char* p = static_cast<const char*>(GlobalLock(h));
  std::string s(p ? p : "", p ? n : 0);
  GlobalUnlock(h);
  return s;
}

HGLOBAL Block(const std::string& s) {
  HGLOBAL h = GlobalAlloc(GMEM_MOVEABLE, s.size());
  if (!s.empty()) std::memcpy(GlobalLock(h), s.data(), s.size());
  GlobalUnlock(h);
  return h;
}

bool IsText(UINT cf) { return cf == CF_TEXT || cf == CF_OEMTEXT || cf == CF_UNICODETEXT; }

// Reads every format the clipboard object lists, both ways, and checks the
// ones whose bytes are known.
void ReadBack(const std::map<UINT, std::string>& want) {
  IDataObject* raw = nullptr;
  Check(OleGetClipboard(&raw) == S_OK);
  IEnumFORMATETC* e = nullptr;
  Check(raw->EnumFormatEtc(DATADIR_GET, &e) == S_OK);
  FORMATETC fe[4];
  ULONG got = 0;
  size_t listed = 0;
  while (e->Next(4, fe, &got), got > 0) {
    Check(got <= 4);
    for (ULONG i = 0; i < got; ++i) {
      ++listed;
      for (DWORD t : {TYMED_HGLOBAL, TYMED_ISTREAM}) {
        FORMATETC ask = fe[i];
        ask.tymed = t;
        STGMEDIUM m;
        if (raw->GetData(&ask, &m) != S_OK) continue;
        Check(m.tymed == t && m.hGlobal);
        std::string bytes;
        if (t == TYMED_HGLOBAL) {
          bytes = Bytes(m.hGlobal);
        } else {
          char buf[64];
          ULONG n = 0;
          while (m.pstm->Read(buf, sizeof buf, &n), n > 0) {
            Check(n <= sizeof buf);
            bytes.append(buf, n);
          }
        }
        auto it = want.find(fe[i].cfFormat);
        if (it != want.end() && !IsText(fe[i].cfFormat)) Check(bytes == it->second);
        ReleaseStgMedium(&m);
      }
    }
  }
  Check(listed >= want.size());
  e->_Release();
  raw->_Release();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static HWND window = [] {
    qn::Initialize();
    OleInitialize(nullptr);
    return CreateWindowExW(0, u"STATIC", u"fuzz", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  }();
  static const UINT formats[] = {CF_TEXT,
                                 CF_UNICODETEXT,
                                 CF_OEMTEXT,
                                 CF_DIB,
                                 RegisterClipboardFormatW(u"Fuzz one"),
                                 RegisterClipboardFormatW(u"Fuzz two"),
                                 RegisterClipboardFormatW(u"Lazy Tree Data"),
                                 RegisterClipboardFormatW(u"HTML Format")};
  ResetClipboard();
  const size_t baseline = GlobalBlockCount();
  std::map<UINT, std::string> blocks;
  size_t at = 0;
  while (at + 2 <= size && blocks.size() < 8) {
    UINT cf = formats[data[at] % 8];
    size_t n = std::min<size_t>(data[at + 1], size - at - 2);
    blocks[cf] = std::string(reinterpret_cast<const char*>(data + at + 2), n);
    at += 2 + n;
  }
  // Classic blocks read back through the clipboard object.
  Check(OpenClipboard(window));
  EmptyClipboard();
  for (auto& [cf, bytes] : blocks) SetClipboardData(cf, Block(bytes));
  CloseClipboard();
  ReadBack(blocks);
  // The same blocks in an OLE object: promised, read back, flushed, read again.
  void* p = nullptr;
  Check(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p) == S_OK);
  auto* obj = static_cast<IDataObject*>(p);
  bool streams = size && (data[0] & 0x80);
  for (auto& [cf, bytes] : blocks) {
    FORMATETC fe;
    fe.cfFormat = CLIPFORMAT(cf);
    STGMEDIUM m;
    if (streams) {
      fe.tymed = TYMED_ISTREAM;
      m.tymed = TYMED_ISTREAM;
      Check(CreateStreamOnHGlobal(Block(bytes), TRUE, &m.pstm) == S_OK);
    } else {
      fe.tymed = TYMED_HGLOBAL;
      m.tymed = TYMED_HGLOBAL;
      m.hGlobal = Block(bytes);
    }
    Check(obj->SetData(&fe, &m, TRUE) == S_OK);
  }
  Check(OleSetClipboard(obj) == S_OK);
  ReadBack(blocks);
  Check(OleFlushClipboard() == S_OK);
  Check(OleIsCurrentClipboard(obj) == S_FALSE);
  obj->_Release();
  ReadBack(blocks);
  Check(OpenClipboard(window));
  for (auto& [cf, bytes] : blocks)
    if (!IsText(cf)) {
      HANDLE h = GetClipboardData(cf);
      Check(h && Bytes(h) == bytes);
    }
  CloseClipboard();
  ResetClipboard();
  Check(GlobalBlockCount() == baseline);
  return 0;
}
