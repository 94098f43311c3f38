// Opens a public header: the usual macros of C libraries a program includes
// beside this one (glib's FALSE and TRUE, X11's None, Bool, Status and the
// like, a system's min and max) are set aside until MacroShieldEnd.h puts
// them back, so that the header's own names (and the standard headers it
// includes) mean what they say whatever was included before it, and the
// program keeps its macros after it.
//
// Deliberately without an include guard: every public header includes this
// file first and MacroShieldEnd.h last; nested, each pair saves and restores
// the state the enclosing one left.
#pragma push_macro("FALSE")
#undef FALSE
#pragma push_macro("TRUE")
#undef TRUE
#pragma push_macro("False")
#undef False
#pragma push_macro("True")
#undef True
#pragma push_macro("None")
#undef None
#pragma push_macro("Bool")
#undef Bool
#pragma push_macro("Status")
#undef Status
#pragma push_macro("Always")
#undef Always
#pragma push_macro("Success")
#undef Success
#pragma push_macro("Above")
#undef Above
#pragma push_macro("Below")
#undef Below
#pragma push_macro("KeyPress")
#undef KeyPress
#pragma push_macro("XValue")
#undef XValue
#pragma push_macro("YValue")
#undef YValue
#pragma push_macro("min")
#undef min
#pragma push_macro("max")
#undef max
