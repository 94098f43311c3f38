// A long print holds little memory: a tree of 1,200 nodes printed on the
// recording printer at 300 dpi (20 A4 pages, 31 MB of pixels each, which
// the spooler once kept whole) grows the process by about one page being
// drawn plus the pages kept compressed. The growth is measured in this suite's own process: under the
// sanitizers as the peak of the heap the allocator hands out (their shadow
// memory and quarantine make resident memory say little), otherwise as the
// peak resident size over the size before.
#include <gtest/gtest.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <string>

#include "platform/desktop/Desktop.h"
#include "platform/gdi/WinSpool.h"
#include "platform/vcl/Forms.h"
#include "platform/vcl/Printers.h"
#include "treeview/LazyTrees_qn_StringTree.h"

#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
#define QN_T_PRINT_MEMORY_HEAP_HOOKS 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer) || __has_feature(thread_sanitizer)
#define QN_T_PRINT_MEMORY_HEAP_HOOKS 1
#endif
#endif
#ifdef QN_T_PRINT_MEMORY_HEAP_HOOKS
#include <sanitizer/allocator_interface.h>
#endif

using namespace qn;

namespace t_lazy_trees_qn_print_memory_test {

namespace {

#ifdef QN_T_PRINT_MEMORY_HEAP_HOOKS
std::atomic<Int64> gLive{0}, gPeak{0};

void OnAlloc(const volatile void*, size_t Size) {
  Int64 v = gLive.fetch_add(Int64(Size)) + Int64(Size);
  Int64 p = gPeak.load();
  while (v > p && !gPeak.compare_exchange_weak(p, v)) {
  }
}
void OnFree(const volatile void* Ptr) {
  const void* p = const_cast<const void*>(Ptr);
  if (p && __sanitizer_get_ownership(p)) gLive.fetch_sub(Int64(__sanitizer_get_allocated_size(p)));
}

// The peak of the heap from now on, over what it is now.
class TGrowthMeter {
 public:
  TGrowthMeter() {
    static const bool installed = __sanitizer_install_malloc_and_free_hooks(OnAlloc, OnFree) != 0;
    EXPECT_TRUE(installed);
    gPeak = gLive.load();
    FBase = gLive.load();
  }
  Int64 PeakGrowth() const { return gPeak.load() - FBase; }

 private:
  Int64 FBase = 0;
};
#else
Int64 StatusBytes(const char* Key) {
  std::ifstream f("/proc/self/status");
  std::string line;
  while (std::getline(f, line))
    if (line.rfind(Key, 0) == 0) return Int64(std::atoll(line.c_str() + std::strlen(Key))) * 1024;
  return 0;
}

class TGrowthMeter {
 public:
  TGrowthMeter() {
    // Resets the peak resident size to the present one.
    std::ofstream("/proc/self/clear_refs") << "5";
    FBase = StatusBytes("VmRSS:");
  }
  Int64 PeakGrowth() const { return StatusBytes("VmHWM:") - FBase; }

 private:
  Int64 FBase = 0;
};
#endif

TEST(LazyTrees_qn_PrintMemory, ALongTreePrintsInTheMemoryOfAboutOnePage) {
  constexpr Integer kNodes = 1200;
  constexpr Int64 kMB = 1 << 20;
  SetVirtualClock(true);
  ResetPrinters();
  ClearPrintedJobs();
  std::unique_ptr<TForm> form(new TForm(nullptr));
  form->SetBounds(20, 20, 300, 200);
  auto* tree = new TLazyStringTree_qn(form.get());
  tree->SetParent(form.get());
  tree->SetBounds(0, 0, 200, 120);
  tree->Font()->SetName(u"DejaVu Sans");
  tree->Header()->Columns()->Add()->SetWidth(300);
  tree->SetDefaultNodeHeight(18);
  tree->SetOnGetText([](TBaseLazyTree_qn* T, PLazyNode N, TColumnIndex, TVSTTextType, String& Text) {
    Text = u"Line " + IntToStr(Integer(T->AbsoluteIndex(N))) + u" of the long list";
  });
  tree->SetRootNodeCount(kNodes);
  form->Show();
  Application->ProcessMessages();

  TPrinter printer;
  TGrowthMeter meter;
  tree->Print(&printer, false);
  const Int64 growth = meter.PeakGrowth();

  std::vector<TPrintedJob> jobs = PrintedJobs();
  ASSERT_EQ(jobs.size(), 1u);
  const TPrintedJob& job = jobs[0];
  EXPECT_TRUE(job.Finished);
  const Int64 raw = Int64(printer.PageWidth()) * printer.PageHeight() * 4;
  const TPrintSpoolUsage usage = PrintSpoolUsage();
  std::printf("%d pages, %lld MB raw; peak growth %lld MB, spooler peak %lld MB, kept %lld MB\n", job.PageCount,
              (long long)(raw * job.PageCount / kMB), (long long)(growth / kMB), (long long)(usage.PeakBytes / kMB),
              (long long)(usage.Bytes / kMB));
  // About 60 rows of 18 pixels a page, none lost to the bound.
  EXPECT_GE(job.PageCount, kNodes / 70);
  EXPECT_EQ(Integer(job.Pages.size()), job.PageCount);
  // Kept whole, the pages would need over 600 MB.
  EXPECT_LT(growth, 200 * kMB);
  EXPECT_LT(usage.PeakBytes, raw + 100 * kMB);
  // A page decoded on demand still shows its lines.
  const TPrintedPage& last = *job.Pages.back();
  Integer ink = 0;
  for (Integer y = 0; y < last.Height; y += 3)
    for (Integer x = 0; x < 600; x += 3) ink += last.Pixel(x, y) != 0xFFFFFFu;
  EXPECT_GT(ink, 100);
  form.reset();
  ClearPrintedJobs();
}

}  // namespace

}  // namespace t_lazy_trees_qn_print_memory_test
