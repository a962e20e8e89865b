// What a screen reader gets for a control through MSAA: the standard object of the control's
// window class, with the name and the role that the window's description gives it, where the
// class alone says less (a picture that acts as a button, a field named by its label with its
// blanks tidied, the console's pane).
#pragma once

#include "win32_ui/win32_api.h"

// Needs <windows.h> first.
#include <oleacc.h>

#include <string>

namespace framora::win32 {

// What the control's value is, read from it whenever asked: the standard object's; its window
// text (a drop-down list's chosen item); or its window text as a per cent, "45%" (a progress
// bar's, none while it is empty or its end is not known).
enum class AccessibleValue { Standard, WindowText, Percent };

// The answer to WM_GETOBJECT for the control's client object, on a thread that has COM (0 for
// any other object: the system's own answer then stands). An empty name keeps the class's own;
// a role of 0 too.
LRESULT AnswerGetObject(HWND control, WPARAM wParam, LPARAM lParam, const std::wstring& name,
                        long role, AccessibleValue value = AccessibleValue::Standard);

}  // namespace framora::win32
