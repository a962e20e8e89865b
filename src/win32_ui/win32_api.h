// <windows.h> for the front-end. Its macro Yield would rename the yield's own function, and
// rpcndr.h's `small` any name of that word, so both go; the front-end calls the "A" and "W"
// functions by their full names.
#pragma once

#include <windows.h>

#undef Yield
#undef small
