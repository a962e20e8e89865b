#include "info/about_form.h"

#include "info/about.h"

namespace framora::about_form {

namespace {

using enum ControlKind;

constexpr FormColor kBlack = Rgb(0, 0, 0);

// Focus moves among cmdOK, picIcon and cmdSysInfo. The two lines, 15 twips apart, make an
// etched separator above the buttons; the link stands right of the notice, as one line.
constexpr ControlDesign kControls[] = {
    {.id = picIcon,
     .kind = Picture,
     .name = "picIcon",
     .rect = {120, 120, 675, 675},
     .tabIndex = 1,
     .picture = "about-logo",
     .autoSize = true,
     .accessibleName = "Framora audio converter logo"},
    {.id = lblTitle,
     .kind = Label,
     .name = "lblTitle",
     .text = "Application Title",
     .rect = {1050, 240, 3885, 480},
     .tabIndex = 5,
     .fore = kBlack,
     .wordWrap = true},
    {.id = lblVersion,
     .kind = Label,
     .name = "lblVersion",
     .text = "Version",
     .rect = {1050, 780, 3885, 225},
     .tabIndex = 6,
     .wordWrap = true},
    {.id = lblDescription,
     .kind = Label,
     .name = "lblDescription",
     .text = "App Description",
     .rect = {1050, 1125, 3885, 1170},
     .tabIndex = 3,
     .fore = kBlack,
     .wordWrap = true},
    {.id = Line1_1,
     .kind = Line,
     .name = "Line1_1",
     .rect = {90, 2445, 5564, 15},
     .fore = Rgb(128, 128, 128)},
    {.id = Line1_0,
     .kind = Line,
     .name = "Line1_0",
     .rect = {105, 2460, 5549, 30},
     .fore = Rgb(255, 255, 255)},
    {.id = cmdOK,
     .kind = Button,
     .name = "cmdOK",
     .text = "OK",
     .rect = {4245, 2625, 1260, 345},
     .tabIndex = 0,
     .isDefault = true,
     .isCancel = true,
     .on = On<&AboutLogic::cmdOK_Click>()},
    {.id = cmdSysInfo,
     .kind = Button,
     .name = "cmdSysInfo",
     .text = "&System Info...",
     .rect = {4260, 3075, 1245, 345},
     .tabIndex = 2,
     .on = On<&AboutLogic::cmdSysInfo_Click>()},
    {.id = lblDisclaimer,
     .kind = Label,
     .name = "lblDisclaimer",
     .text = "Visit our web site:",
     .rect = {255, 2625, 1350, 345},
     .tabIndex = 4,
     .fore = kBlack,
     .wordWrap = true},
    {.id = Label1,
     .kind = LinkLabel,
     .name = "Label1",
     .text = HomeLinkText(),
     .rect = {1680, 2640, 1455, 255},
     .tabIndex = 7,
     .font = {"MS Sans Serif", 8.25, false, true},
     .fore = Rgb(0, 0, 255),
     .on = On<&AboutLogic::Label1_Click>()},
};

// Name, caption, client size in twips; border, icon, background; controls and menu; what its
// load runs.
// clang-format off
constexpr FormDesign kForm = FormFor<AboutLogic>({kWindow, "frmAbout", "About MyApp", 5730,
                         3555, BorderKind::FixedDialog, IconKind::Program, kWindowColor,
                         kControls, {}, On<&AboutLogic::Load>()});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace framora::about_form
