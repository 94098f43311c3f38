// The Graphics unit of the host layer: colours, fonts, pens, brushes, the
// canvas, and the picture classes with their file formats.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "platform/vcl/Bitmap.h"
#include "platform/vcl/Canvas.h"
#include "platform/vcl/Graphic.h"
#include "platform/vcl/GraphicsColor.h"
#include "platform/vcl/Icon.h"
#include "platform/vcl/Jpeg.h"
#include "platform/vcl/PngImage.h"

#include "platform/rtl/MacroShieldEnd.h"
