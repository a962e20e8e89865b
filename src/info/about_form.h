// frmAbout, the About box, as designed: see about_form.cpp.
#pragma once

#include <string_view>

#include "app/form.h"

namespace framora::about_form {

inline constexpr WindowId kWindow = WindowId::frmAbout;
inline constexpr ControlId Caption = WindowItself(kWindow);
inline constexpr ControlId cmdOK{kWindow, 1};  // the window's OK, and its cancel
inline constexpr ControlId picIcon{kWindow, 3001};
inline constexpr ControlId lblTitle{kWindow, 3002};
inline constexpr ControlId lblVersion{kWindow, 3003};
inline constexpr ControlId lblDescription{kWindow, 3004};
inline constexpr ControlId cmdSysInfo{kWindow, 3005};
inline constexpr ControlId lblDisclaimer{kWindow, 3006};
inline constexpr ControlId Label1{kWindow, 3007};
inline constexpr ControlId Line1_1{kWindow, 3008};
inline constexpr ControlId Line1_0{kWindow, 3009};

const FormDesign& Form();

}  // namespace framora::about_form
