// Pix32_qn: the pixel and number types with their routines. The bitmap
// classes join this header as topic headers of their own.
#pragma once
#include "platform/rtl/MacroShield.h"

#include "graphics/raster/Pix32_qn_Routines.h"
#include "graphics/raster/Pix32_qn_Types.h"
#include "graphics/raster/Pix32_qn_Bases.h"
#include "graphics/raster/Pix32_qn_Bitmap.h"
#include "graphics/raster/Pix32_qn_Bitmap32.h"

#include "platform/rtl/MacroShieldEnd.h"
