#include "treeview/VTAccessibilityFactory_qn.h"

#include <atomic>
#include <mutex>

#include "treeview/LazyTrees_qn.h"

namespace qn {

namespace {

std::mutex GFactoryLock;
TVTAccessibilityFactory* GFactory = nullptr;
// Set by the first request; cleared again by the finalization, after which
// no factory is made.
bool GAccessibilityAvailable = false;
bool GFinalized = false;

}  // namespace

TVTAccessibilityFactory::TVTAccessibilityFactory() : FAccessibleProviders(new TInterfaceList) {}

TVTAccessibilityFactory::~TVTAccessibilityFactory() = default;

std::vector<TIntf<IVTAccessibleProvider>> TVTAccessibilityFactory::Providers() const {
  // A copy: a provider may register or unregister providers while it is
  // asked.
  std::vector<TIntf<IVTAccessibleProvider>> result;
  FAccessibleProviders->Lock();
  Integer n = FAccessibleProviders->Count();
  for (Integer i = 0; i < n; ++i)
    if (auto p = IntfCast<IVTAccessibleProvider>(FAccessibleProviders->Items(i))) result.push_back(p);
  FAccessibleProviders->Unlock();
  return result;
}

TIntf<IAccessible> TVTAccessibilityFactory::CreateIAccessible(TBaseLazyTree_qn* Tree) {
  if (!Tree) return nullptr;
  std::vector<TIntf<IVTAccessibleProvider>> providers = Providers();
  if (!Tree->Accessible() && !providers.empty()) return providers.front()->CreateIAccessible(Tree);
  if (Tree->AccessibleItem()) return Tree->AccessibleItem();
  if (providers.empty()) return nullptr;
  for (size_t i = providers.size() - 1; i >= 1; --i)
    if (TIntf<IAccessible> result = providers[i]->CreateIAccessible(Tree)) return result;
  return providers.front()->CreateIAccessible(Tree);
}

void TVTAccessibilityFactory::RegisterAccessibleProvider(const TIntf<IVTAccessibleProvider>& Provider) {
  if (!Provider) return;
  TIntf<IInterface> item(Provider);
  FAccessibleProviders->Lock();
  if (FAccessibleProviders->IndexOf(item) < 0) FAccessibleProviders->Add(item);
  FAccessibleProviders->Unlock();
}

void TVTAccessibilityFactory::UnRegisterAccessibleProvider(const TIntf<IVTAccessibleProvider>& Provider) {
  if (!Provider) return;
  FAccessibleProviders->Remove(TIntf<IInterface>(Provider));
}

TVTAccessibilityFactory* GetAccessibilityFactory() {
  std::lock_guard<std::mutex> lock(GFactoryLock);
  if (GFinalized) return nullptr;
  if (!GAccessibilityAvailable) GAccessibilityAvailable = true;
  if (!GFactory) GFactory = new TVTAccessibilityFactory;
  return GFactory;
}

void InitVTAccessibilityFactory() {
  std::lock_guard<std::mutex> lock(GFactoryLock);
  GFinalized = false;
}

void DoneVTAccessibilityFactory() {
  TVTAccessibilityFactory* factory;
  {
    std::lock_guard<std::mutex> lock(GFactoryLock);
    factory = GFactory;
    GFactory = nullptr;
    GAccessibilityAvailable = false;
    GFinalized = true;
  }
  // The providers are released outside the lock: their last release may
  // run code that asks for the factory.
  delete factory;
}

}  // namespace qn
