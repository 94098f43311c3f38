// The process-wide registry of accessible-object providers for the lazy
// trees. A tree does not implement IAccessible itself: when a screen reader
// first asks its window (WM_GETOBJECT), the tree asks this factory for two
// objects, one standing for the tree and one for its focused item, and the
// registered providers make them. With no provider the tree answers no
// accessibility request.
#pragma once
#include "platform/rtl/MacroShield.h"

#include <memory>

#include "platform/classes/InterfaceList.h"
#include "platform/ole/OleAcc.h"

namespace qn {
using namespace vcl;

class TBaseLazyTree_qn;

struct IVTAccessibleProvider : virtual IInterface {
  static constexpr TGUID IID = MakeGUID("{17A5C3D2-6E41-4B0A-9C8E-2F7D5B1A0E63}");
  // The accessible object for ATree, or nil when this provider has none.
  virtual TIntf<IAccessible> CreateIAccessible(TBaseLazyTree_qn* ATree) = 0;

 protected:
  ~IVTAccessibleProvider() = default;
};

class TVTAccessibilityFactory : public TObject {
  QN_CLASS(TVTAccessibilityFactory, TObject)
 public:
  TVTAccessibilityFactory();
  ~TVTAccessibilityFactory() override;

  // The first registered provider makes the tree's own object; the item
  // object comes from the latest provider that has one, so a provider
  // registered later can specialise the items of a tree class.
  TIntf<IAccessible> CreateIAccessible(TBaseLazyTree_qn* Tree);
  // Appends Provider unless it is registered already; nil is ignored.
  void RegisterAccessibleProvider(const TIntf<IVTAccessibleProvider>& Provider);
  // Removes Provider when registered. Objects it made stay valid: they
  // belong to whoever holds them.
  void UnRegisterAccessibleProvider(const TIntf<IVTAccessibleProvider>& Provider);
  Integer ProviderCount() const { return FAccessibleProviders->Count(); }

 private:
  // The providers in registration order, queried for IVTAccessibleProvider.
  std::vector<TIntf<IVTAccessibleProvider>> Providers() const;
  std::unique_ptr<TInterfaceList> FAccessibleProviders;
};

// The factory, created on the first request; nil once the unit has been
// finalized.
TVTAccessibilityFactory* GetAccessibilityFactory();

void InitVTAccessibilityFactory();
void DoneVTAccessibilityFactory();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
