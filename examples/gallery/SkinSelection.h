// The selection colour of the gallery's skinned pages: the blue the launcher
// and the index mark what is chosen with, under white text (6.4:1). The
// skinned lists and combos leave their selection colours to the application
// (the system highlight until it sets them), so a page that shows them sets
// the skin's blue on them, as an application dressing its forms in the skin
// would.
#pragma once

#include "platform/vcl/Controls.h"

namespace gallery {

inline constexpr vcl::COLORREF kSkinSelection = vcl::RGB(31, 95, 168);
inline constexpr vcl::COLORREF kSkinSelectionText = vcl::RGB(255, 255, 255);

// Gives every skinned list box, combo box (its list and its focused face)
// and skinned list view under Root, Root included, the skin's selection
// colours. A list view is drawn by the page for it (owner-drawn rows with its
// small images, columns and their alignment), since the host's list view
// knows only the system highlight.
void UseSkinSelection(vcl::TWinControl* Root);

}  // namespace gallery
