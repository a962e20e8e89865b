#include "console/console_form.h"

#include "console/console_logic.h"

namespace framora::console_form {

namespace {

using enum ControlKind;

// What the two command boxes hold until the main window writes the conversion command.
constexpr std::string_view kSample = "ping www.example.com";
constexpr FormColor kBlack = Rgb(0, 0, 0);
constexpr FontDesign kBoxFont{"MS Sans Serif", 12};

// From the top: Text1 across the whole width; the label, the command box and the two buttons;
// the output pane.
constexpr ControlDesign kControls[] = {
    {.id = txtCommand,
     .kind = TextBox,
     .name = "txtCommand",
     .text = kSample,
     .rect = {4200, 840, 3375, 405},
     .tabIndex = 0,
     .font = kBoxFont,
     .back = kBlack,
     .fore = kColorInactiveBorder,
     .on = On<&console::ConsoleLogic::TxtCommandKeyPress>()},
    {.id = cmdExecute,
     .kind = Button,
     .name = "cmdExecute",
     .text = "E&xecute",
     .rect = {7680, 840, 1335, 375},
     .tabIndex = 1,
     .on = On<&console::ConsoleLogic::Execute>()},
    {.id = lblInfo,
     .kind = Label,
     .name = "lblInfo",
     .text = "Command to get output from:",
     .rect = {120, 840, 3915, 270},
     .tabIndex = 2,
     .font = {"Verdana", 12, true},
     .back = kColorWindowText,
     .fore = kColorInactiveBorder,
     .labelFor = txtCommand},
    {.id = cmdCancel,
     .kind = Button,
     .name = "cmdCancel",
     .text = "&Cancel",
     .rect = {9120, 840, 1335, 375},
     .tabIndex = 3,
     .on = On<&console::ConsoleLogic::Cancel>()},
    {.id = rtfOutput,
     .kind = Pane,
     .name = "rtfOutput",
     .rect = {120, 1560, 10335, 3135},
     .tabIndex = 4,
     .font = {"Arial", 6, true},
     .back = kBlack,
     .fore = kColorScrollbar,
     .accessibleName = "Command output"},
    {.id = Text1,
     .kind = TextBox,
     .name = "Text1",
     .text = kSample,
     .rect = {360, 240, 10095, 405},
     .tabIndex = 5,
     .font = kBoxFont,
     .back = kBlack,
     .fore = kColorInactiveBorder,
     .accessibleName = "Command that Execute runs",
     .onChange = On<&console::ConsoleLogic::Text1_Change>()},
    // Under the pane, while a conversion runs: the song, how far it has got and how long it
    // will take, in words and as a bar.
    {.id = lblProgress,
     .kind = Label,
     .name = "lblProgress",
     .rect = {120, 4800, 10335, 270},
     .tabIndex = 6,
     .font = {"Verdana", 9},
     .back = kBlack,
     .fore = kColorInactiveBorder},
    {.id = prgProgress,
     .kind = ProgressBar,
     .name = "prgProgress",
     .rect = {120, 5115, 10335, 240},
     .tabIndex = 7,
     .accessibleName = "How far the conversion has got"},
};

// A fixed tool window (narrow caption, not resizable, not in the task bar) on black.
// Name, caption, client size in twips; border, icon, background; controls and menu; what its
// load and its closing run.
// clang-format off
constexpr FormDesign kForm = FormFor<console::ConsoleLogic>({kWindow, "frmReadOutput",
                         "Convert to ..", 10605, 5475, BorderKind::FixedToolWindow,
                         IconKind::Console, kBlack, kControls, {},
                         On<&console::ConsoleLogic::Load>(), On<&console::ConsoleLogic::Closed>()});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace framora::console_form
