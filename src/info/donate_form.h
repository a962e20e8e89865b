// frmDonate, the donation window, as designed: see donate_form.cpp.
#pragma once

#include "app/form.h"

namespace framora::donate_form {

inline constexpr WindowId kWindow = WindowId::frmDonate;
inline constexpr ControlId Label1{kWindow, 4001};
inline constexpr ControlId Image1{kWindow, 4002};

const FormDesign& Form();

}  // namespace framora::donate_form
