// Host-internal: what the display backends of platform/desktop share with
// the composition. Not for code above platform/.
#pragma once

#include "platform/user/Server.h"

namespace vcl::desktop {

// Composes the part area (output coordinates) of the screen into out, whose
// top-left pixel is the virtual screen's; pixels outside area stay as they
// were. Lock held.
void ComposeAreaLocked(const TGdiSurfacePtr& out, const TRect& area);
// The virtual screen (every monitor's bounds); lock held.
TRect VirtualScreenBoundsLocked();
// Ends whatever display is up, for the unit's finalisation.
void StopDisplayAtExit();

}  // namespace vcl::desktop
