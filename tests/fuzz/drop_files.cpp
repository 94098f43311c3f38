// Random bytes as the file-drop block of a drop on the file drop target:
// the drop never raises out of the target, reports at most once, and what
// it reports is exactly the names that lie whole inside the block (each
// with its terminator before the block ends), in order, each followed by
// CR LF. The first byte picks a wide or narrow list regardless of the head,
// so both readers are explored from any input.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "package/Quarn.h"
#include "platform/ole/ActiveX.h"
#include "platform/shell/ShellAPI.h"
#include "skin/extended/uQuarnDragFile.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

class TSink : public TObject {
 public:
  std::vector<String> Reports;
  void Files(TObject*, const String& Names) { Reports.push_back(Names); }
};

uint32_t Le32(const uint8_t* p) { return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24; }

// The names wholly inside the block, read straight from its bytes.
std::vector<String> WholeNames(const std::vector<uint8_t>& b) {
  std::vector<String> out;
  if (b.size() < 20) return out;
  const uint32_t off = Le32(b.data());
  const bool wide = Le32(b.data() + 16) != 0;
  if (off < 20 || off >= b.size()) return out;
  if (wide) {
    String cur;
    for (size_t i = off; i + 1 < b.size(); i += 2) {
      const char16_t c = char16_t(b[i] | (b[i + 1] << 8));
      if (c) {
        cur.push_back(c);
      } else if (cur.empty()) {
        break;
      } else {
        out.push_back(cur);
        cur.clear();
      }
    }
  } else {
    std::string cur;
    for (size_t i = off; i < b.size(); ++i) {
      if (b[i]) {
        cur.push_back(char(b[i]));
        continue;
      }
      if (cur.empty()) break;
      const int n = MultiByteToWideChar(CP_ACP, 0, cur.data(), int(cur.size()), nullptr, 0);
      String w(size_t(n > 0 ? n : 0), u'\0');
      if (n > 0) MultiByteToWideChar(CP_ACP, 0, cur.data(), int(cur.size()), w.data(), n);
      out.push_back(w);
      cur.clear();
    }
  }
  return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static TQuarnDragFile* target = [] {
    qn::Initialize();
    return new TQuarnDragFile(nullptr);
  }();
  static TSink sink;
  if (size < 1) return 0;
  std::vector<uint8_t> block(data + 1, data + size);
  if (block.size() >= 20) {
    const uint32_t wide = (data[0] & 1) ? 1 : 0;
    std::memcpy(block.data() + 16, &wide, 4);
  }
  target->SetOnDragFiles(TDragFilesEvent(&sink, &TSink::Files));
  sink.Reports.clear();

  void* p = nullptr;
  Check(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p) == S_OK);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f;
  f.cfFormat = CF_HDROP;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, block.size());
  if (!block.empty()) std::memcpy(GlobalLock(m.hGlobal), block.data(), block.size());
  GlobalUnlock(m.hGlobal);
  Check(obj->SetData(&f, &m, TRUE) == S_OK);

  IDropTarget* t = target;
  DWORD effect = DROPEFFECT_COPY;
  Check(t->Drop(obj.get(), 0, POINTL{0, 0}, &effect) == S_OK);

  const std::vector<String> expect = WholeNames(block);
  if (expect.empty()) {
    Check(sink.Reports.empty());
  } else {
    Check(sink.Reports.size() == 1);
    String text;
    for (const String& n : expect) text += n + u"\r\n";
    Check(sink.Reports[0] == text);
  }
  return 0;
}
