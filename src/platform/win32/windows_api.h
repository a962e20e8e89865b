// <windows.h> for this program. Its name macros would rename the port functions that share a
// name with a Windows function (CreateProcess, FindFirstFile, GetVersionEx, PostMessage,
// SearchPath, Yield), so they go; the code calls the "A" and "W" functions by their full names.
#pragma once

#include <windows.h>

#undef CreateProcess
#undef FindFirstFile
#undef GetVersionEx
#undef PostMessage
#undef SearchPath
#undef Yield
#undef small
