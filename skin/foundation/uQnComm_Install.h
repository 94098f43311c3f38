// uQnComm's install-folder lookup, apart from the drawing helpers so that
// only the design-time code pulls the registry in.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/rtl/Types.h"

namespace qn {

// The folder the design files were installed to, as the installer wrote it
// for the current user, with a trailing path delimiter; empty when it was
// never installed. The key is only read, never created.
vcl::String GetQuarnInstallPath();

}  // namespace qn

#include "platform/rtl/MacroShieldEnd.h"
