// Form1, the main window, as designed: see main_form.cpp.
#pragma once

#include "app/form.h"

namespace framora::main_form {

inline constexpr WindowId kWindow = WindowId::Form1;
inline constexpr ControlId Command1{kWindow, 1001};
inline constexpr ControlId Text1{kWindow, 1002};
inline constexpr ControlId Label1{kWindow, 1003};
inline constexpr ControlId Command2{kWindow, 1004};
inline constexpr ControlId Command3{kWindow, 1005};
inline constexpr ControlId Text2{kWindow, 1006};
inline constexpr ControlId Label2{kWindow, 1007};
inline constexpr ControlId Label3{kWindow, 1008};
inline constexpr ControlId Text3{kWindow, 1009};
inline constexpr ControlId Picture1{kWindow, 1010};
inline constexpr ControlId Label4{kWindow, 1011};
inline constexpr ControlId Text4{kWindow, 1012};
inline constexpr ControlId Command4{kWindow, 1013};
inline constexpr ControlId lblFrame{kWindow, 1014};
inline constexpr ControlId cboFrame{kWindow, 1015};
inline constexpr ControlId mnuFile{kWindow, 1100};
inline constexpr ControlId mnuHelp{kWindow, 1101};
inline constexpr ControlId mnuAbout{kWindow, 1102};
inline constexpr ControlId mnuDonate{kWindow, 1103};
inline constexpr ControlId mnuExit{kWindow, 1104};
inline constexpr ControlId mnuSpacer1{kWindow, 1105};
inline constexpr ControlId mnuspacer2{kWindow, 1106};

const FormDesign& Form();
// The frame choices of cboFrame, in the order of convert::Frame.
extern const std::string_view kFrameChoices[3];

}  // namespace framora::main_form
