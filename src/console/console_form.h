// frmReadOutput, the console window, as designed: see console_form.cpp.
#pragma once

#include "app/form.h"

namespace framora::console_form {

inline constexpr WindowId kWindow = WindowId::frmReadOutput;
inline constexpr ControlId txtCommand{kWindow, 2001};
inline constexpr ControlId cmdExecute{kWindow, 2002};
inline constexpr ControlId lblInfo{kWindow, 2003};
inline constexpr ControlId cmdCancel{kWindow, 2004};
inline constexpr ControlId rtfOutput{kWindow, 2005};
inline constexpr ControlId Text1{kWindow, 2006};
inline constexpr ControlId lblProgress{kWindow, 2007};
inline constexpr ControlId prgProgress{kWindow, 2008};

const FormDesign& Form();

}  // namespace framora::console_form
