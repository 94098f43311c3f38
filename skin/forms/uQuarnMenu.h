// uQuarnMenu: the pop-up menu of the palette. It pops up as the platform's
// own menu, so it looks like every other menu on the desktop; it differs
// from TPopupMenu only in carrying the package's About entry.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Menus.h"
#include "skin/foundation/uQuarnIntf.h"

namespace qn {

using namespace vcl;

class TQuarnMenu : public TPopupMenu {
  QN_CLASS_CREATE(TQuarnMenu, TPopupMenu, TComponent)
 public:
  explicit TQuarnMenu(TComponent* AOwner) : TPopupMenu(AOwner) {}
  TQnAboutInfo About() const { return aiQuarnComponent; }
  void SetAbout(TQnAboutInfo) {}

  QN_PUBLISHED_DECL(TQuarnMenu) { QN_PROP(About).Stored(false); }
};

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
