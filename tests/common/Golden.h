// Comparing a rendered picture with its golden PNG in tests/golden/.
#pragma once

#include <string>

#include "platform/desktop/Desktop.h"

namespace qntest {

// Fails the current test when more than allowedPixels pixels have a colour
// byte off by more than channelTolerance from tests/golden/<name>.png (the
// picture is saved and compared as opaque); the
// new rendering is then saved into a temporary folder named in the failure.
// QN_UPDATE_GOLDEN=1 rewrites the golden image from the rendering instead.
void ExpectMatchesGolden(const vcl::TScreenImage& picture, const std::string& name, int channelTolerance,
                         int allowedPixels);

}  // namespace qntest
