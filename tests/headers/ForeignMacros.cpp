// A program that includes glib and Xlib, and defines min and max as some
// systems do, before the package's headers: every public header compiles
// there, and the program's macros are as it left them afterwards.
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <glib.h>

#define min(a, b) ((a) < (b) ? (a) : (b))
#define max(a, b) ((a) > (b) ? (a) : (b))

#include "QnPublicHeaders.h"

static_assert(FALSE == 0 && TRUE == 1 && False == 0 && True == 1, "the program keeps glib's and Xlib's truth values");
static_assert(None == 0L && Success == 0 && Always == 2 && Above == 0 && Below == 1 && KeyPress == 2,
              "the program keeps X11's constants");
static_assert(min(2, 3) == 2 && max(2, 3) == 3, "the program keeps its min and max");
[[maybe_unused]] static Bool gBool = True;
[[maybe_unused]] static Status gStatus = Success;

// The package's own names behind those macros are there for a program that
// sets the macros aside.
#undef FALSE
#undef TRUE
#undef Status
static_assert(vcl::FALSE == 0 && vcl::TRUE == 1, "the package's truth values");
static_assert(vcl::Status::Ok == vcl::Status{}, "the package's status codes");
