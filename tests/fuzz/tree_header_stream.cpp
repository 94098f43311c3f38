// Any bytes as a header stream: a load either succeeds or raises the
// stream's read error; the header is never left loading, its position array
// stays a permutation of its columns, and what was loaded saves and loads
// back to the same bytes.
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "package/Quarn.h"
#include "platform/classes/Streams.h"
#include "platform/vcl/Forms.h"
#include "treeview/LazyTrees_qn.h"

using namespace qn;

namespace {

void Check(bool ok) {
  if (!ok) std::abort();
}

// The package's units run once around all inputs; their finalisation lets
// go of the font machinery the trees' windows brought up.
void SetUpOnce() {
  static const bool done = [] {
    qn::Initialize();
    std::atexit([] { qn::Finalize(); });
    return true;
  }();
  (void)done;
}

void CheckHeader(TVTHeader* H) {
  Check(!H->States().Contains(hsLoading));
  TLazyTreeColumns* cols = H->Columns();
  const TIndexArray& p = cols->PositionToIndex();
  Check(p.size() == size_t(cols->Count()));
  std::vector<bool> seen(p.size(), false);
  for (size_t i = 0; i < p.size(); ++i) {
    Check(p[i] >= 0 && p[i] < cols->Count() && !seen[size_t(p[i])]);
    seen[size_t(p[i])] = true;
    Check(cols->Items(p[i])->Position() == i);
  }
}

std::vector<uint8_t> Saved(TVTHeader* H) {
  TMemoryStream s;
  H->SaveToStream(&s);
  const uint8_t* b = static_cast<const uint8_t*>(s.Memory());
  return std::vector<uint8_t>(b, b + s.Size());
}

TBaseLazyTree_qn* MakeTree(TForm* Form) {
  auto* t = new TBaseLazyTree_qn(Form);
  t->SetParent(Form);
  return t;
}

}  // namespace

int RunOne(const uint8_t* data, size_t size);

// A first input before the fuzzer counts allocations: the fonts behind the
// trees' windows are set up for the process on first use.
extern "C" int LLVMFuzzerInitialize(int*, char***) {
  SetUpOnce();
  const uint8_t warm[] = {0, 0, 0x45, 0x20, 0x56, 0, 0x54, 0, 2, 0, 0x20, 0, 0x46, 0x20, 0, 0, 0, 0};
  RunOne(warm, sizeof(warm));
  return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  SetUpOnce();
  return RunOne(data, size);
}

int RunOne(const uint8_t* data, size_t size) {
  TForm form(nullptr);
  TBaseLazyTree_qn* t = MakeTree(&form);
  t->Header()->Columns()->Add();
  TMemoryStream s;
  s.Write(data, Integer(size));
  s.SetPosition(0);
  bool ok = true;
  try {
    t->Header()->LoadFromStream(&s);
  } catch (const EReadError&) {
    ok = false;
  }
  CheckHeader(t->Header());
  if (ok) {
    std::vector<uint8_t> first = Saved(t->Header());
    TBaseLazyTree_qn* u = MakeTree(&form);
    TMemoryStream again;
    again.Write(first.data(), Integer(first.size()));
    again.SetPosition(0);
    u->Header()->LoadFromStream(&again);
    CheckHeader(u->Header());
    Check(Saved(u->Header()) == first);
  }
  return 0;
}
