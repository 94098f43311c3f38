// Any bytes as a "Lazy Tree Reference" block, or as the requests a foreign
// caller makes of a tree's data object. A reference resolves to nothing or
// to a tree that is alive, and only when it names this process and that
// tree's token; requests get result codes, media that match what was asked
// and no leaked or doubly freed block.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "package/Quarn.h"
#include "platform/ole/ActiveX.h"
#include "platform/user/User.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"
#include "treeview/LazyTrees_qn_StringTree.h"

using namespace qn;

namespace {

void CheckAt(bool ok, int line) {
  if (ok) return;
  std::fprintf(stderr, "check failed at line %d\n", line);
  std::abort();
}
#define Check(ok) CheckAt((ok), __LINE__)

void SetUpOnce() {
  static const bool done = [] {
    qn::Initialize();
    return true;
  }();
  (void)done;
}

TForm* GForm = nullptr;
TLazyStringTree_qn* GTree = nullptr;
TLazyStringTree_qn* GOther = nullptr;
std::vector<Byte> GLiveRef, GOtherRef, GDeadRef;

TLazyStringTree_qn* MakeTree() {
  auto* t = new TLazyStringTree_qn(GForm);
  t->SetParent(GForm);
  t->ClipboardFormats()->Add(u"Lazy Tree Data");
  t->ClipboardFormats()->Add(u"CSV");
  t->SetRootNodeCount(3);
  t->AddToSelection(t->GetFirst());
  return t;
}

std::vector<Byte> ReferenceOf(IDataObject* Obj) {
  FORMATETC f;
  f.cfFormat = CF_VTREFERENCE;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  if (Obj->GetData(&f, &m) != S_OK) return {};
  const Byte* p = static_cast<const Byte*>(GlobalLock(m.hGlobal));
  std::vector<Byte> v(p, p + GlobalSize(m.hGlobal));
  GlobalUnlock(m.hGlobal);
  ReleaseStgMedium(&m);
  return v;
}

void SetUpTrees() {
  if (GForm) return;
  GForm = new TForm(nullptr);
  GTree = MakeTree();
  GOther = MakeTree();
  TIntf<IDataObject> live(new TVTDataObject(GTree, false));
  GLiveRef = ReferenceOf(live.get());
  TIntf<IDataObject> other(new TVTDataObject(GOther, false));
  GOtherRef = ReferenceOf(other.get());
  TLazyStringTree_qn* doomed = MakeTree();
  TIntf<IDataObject> dead(new TVTDataObject(doomed, false));
  GDeadRef = ReferenceOf(dead.get());
  delete doomed;
  Check(GLiveRef.size() == 8 && GOtherRef.size() == 8 && GDeadRef.size() == 8);
  std::atexit([] {
    delete GForm;
    qn::Finalize();
  });
}

struct TInput {
  const uint8_t* P;
  size_t N;
  Byte Next() {
    if (!N) return 0;
    --N;
    return *P++;
  }
  DWORD Next32() { return DWORD(Next()) | DWORD(Next()) << 8 | DWORD(Next()) << 16 | DWORD(Next()) << 24; }
};

void ResolveReference(TInput& R) {
  std::vector<Byte> block;
  switch (R.Next() % 4) {
    case 0: block = GLiveRef; break;
    case 1: block = GOtherRef; break;
    case 2: block = GDeadRef; break;
    default: break;
  }
  // The rest patches the block or becomes it.
  const size_t size = R.Next() % 12;
  block.resize(size);
  for (size_t i = 0; i < size && R.N; ++i)
    if (R.Next() & 1) block[i] = R.Next();
  void* p = nullptr;
  Check(SHCreateDataObject(nullptr, 0, nullptr, nullptr, IDataObject::IID, &p) == S_OK);
  TIntf<IDataObject> obj;
  obj.Attach(static_cast<IDataObject*>(p));
  FORMATETC f;
  f.cfFormat = CF_VTREFERENCE;
  f.tymed = TYMED_HGLOBAL;
  STGMEDIUM m;
  m.tymed = TYMED_HGLOBAL;
  m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, block.size());
  if (!block.empty()) {
    std::memcpy(GlobalLock(m.hGlobal), block.data(), block.size());
    GlobalUnlock(m.hGlobal);
  }
  Check(obj->SetData(&f, &m, TRUE) == S_OK);
  TBaseLazyTree_qn* found = GTree->GetTreeFromDataObject(obj.get());
  if (!found) return;
  // Only a whole block of this process with a live tree's token resolves,
  // and to that very tree.
  Check(block.size() >= 8);
  DWORD pid = 0;
  std::memcpy(&pid, block.data(), 4);
  Check(pid == GetCurrentProcessId());
  std::vector<Byte> head(block.begin(), block.begin() + 8);
  Check((found == GTree && head == GLiveRef) || (found == GOther && head == GOtherRef));
}

FORMATETC RandomFormat(TInput& R, DVTARGETDEVICE* Device) {
  FORMATETC f;
  const Byte pick = R.Next();
  const Word known[] = {CF_LAZYTREE, CF_VTREFERENCE, CF_CSV, Word(CF_TEXT), CF_HTML};
  f.cfFormat = pick < 200 ? known[pick % 5] : Word(R.Next() | R.Next() << 8);
  f.ptd = R.Next() % 8 == 0 ? Device : nullptr;
  f.dwAspect = R.Next() % 4 == 0 ? R.Next32() : DVASPECT_CONTENT;
  f.lindex = R.Next() % 4 == 0 ? LONG(R.Next32()) : -1;
  f.tymed = R.Next() % 3 == 0 ? R.Next32() : DWORD(R.Next() & 0x7F);
  return f;
}

void Request(TInput& R) {
  DVTARGETDEVICE device;
  TIntf<IDataObject> obj;
  switch (R.Next() % 3) {
    case 0: obj = new TVTDataObject(GTree, R.Next() & 1); break;
    case 1: {
      // An object whose tree went before the requests came.
      TLazyStringTree_qn* doomed = MakeTree();
      obj = new TVTDataObject(doomed, true);
      delete doomed;
      break;
    }
    default: obj = new TVTDataObject(nullptr, false); break;
  }
  while (R.N) {
    FORMATETC f = RandomFormat(R, &device);
    switch (R.Next() % 4) {
      case 0: {
        STGMEDIUM m;
        const HRESULT q = obj->QueryGetData(&f);
        const HRESULT hr = obj->GetData(&f, &m);
        if (hr == S_OK) {
          Check(q == S_OK || f.cfFormat == CF_VTREFERENCE);
          Check(m.tymed != TYMED_NULL && !(m.tymed & (m.tymed - 1)) && (m.tymed & f.tymed) && m.hGlobal);
          ReleaseStgMedium(&m);
        } else {
          Check(m.tymed == TYMED_NULL && !m.hGlobal && !m.pUnkForRelease);
        }
        break;
      }
      case 1: {
        // Only media that really hold what they claim: a caller that lies
        // about a handle is beyond any callee's help.
        STGMEDIUM m;
        const Byte kind = R.Next() % 4;
        if (kind == 0) {
          m.tymed = TYMED_HGLOBAL;
          m.hGlobal = GlobalAlloc(GMEM_MOVEABLE, R.Next());
        } else if (kind == 1) {
          m.tymed = TYMED_ISTREAM;
          Check(CreateStreamOnHGlobal(nullptr, TRUE, &m.pstm) == S_OK);
        } else if (kind == 2) {
          m.tymed = R.Next32() & ~(TYMED_HGLOBAL | TYMED_ISTREAM | TYMED_FILE | TYMED_ISTORAGE | TYMED_GDI |
                                   TYMED_MFPICT | TYMED_ENHMF);
        }
        const BOOL release = R.Next() & 1;
        const HRESULT hr = obj->SetData(&f, &m, release);
        if (hr != S_OK || !release) {
          if (m.tymed == TYMED_HGLOBAL || m.tymed == TYMED_ISTREAM) ReleaseStgMedium(&m);
        }
        break;
      }
      case 2: {
        IEnumFORMATETC* raw = nullptr;
        const HRESULT hr = obj->EnumFormatEtc(R.Next() % 3, &raw);
        if (hr != S_OK) {
          Check(!raw);
          break;
        }
        TIntf<IEnumFORMATETC> e;
        e.Attach(raw);
        FORMATETC got[8];
        ULONG n = 99;
        const ULONG celt = R.Next() % 9;
        if (e->Next(celt, got, &n) == S_OK) Check(n == celt);
        Check(n <= celt);
        e->Skip(R.Next32());
        IEnumFORMATETC* clone = nullptr;
        if (e->Clone(&clone) == S_OK) clone->_Release();
        break;
      }
      default: {
        FORMATETC out;
        obj->GetCanonicalFormatEtc(&f, &out);
        obj->GetDataHere(&f, nullptr);
        break;
      }
    }
  }
}

}  // namespace

int RunOne(const uint8_t* data, size_t size);

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpOnce();
  return RunOne(data, size);
}

int RunOne(const uint8_t* data, size_t size) {
  if (size < 1) return 0;
  SetUpTrees();
  TInput r{data + 1, size - 1};
  if (data[0] & 1) ResolveReference(r);
  else Request(r);
  return 0;
}
