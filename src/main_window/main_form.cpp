#include "main_window/main_form.h"

#include "app/identity.h"
#include "main_window/main_window.h"

namespace framora::main_form {

namespace {

using enum ControlKind;

}  // namespace

const std::string_view kFrameChoices[3] = {"16:9 on the blurred cover", "16:9 on black",
                                           "The cover as it is"};

namespace {

// The buttons' captions wrap onto a second line where they do not fit; the labels wrap too.
constexpr ControlDesign kControls[] = {
    {.id = Command1,
     .kind = Button,
     .name = "Command1",
     .text = "FFMPEG EXE LOCATION",
     .rect = {240, 240, 1575, 975},
     .tabIndex = 0,
     .wordWrap = true,
     .on = On<&MainWindowLogic::Command1_Click>()},
    {.id = Command2,
     .kind = Button,
     .name = "Command2",
     .text = "IMAGE FILE",
     .rect = {2040, 240, 1575, 975},
     .tabIndex = 3,
     .wordWrap = true,
     .on = On<&MainWindowLogic::Command2_Click>()},
    {.id = Command3,
     .kind = Button,
     .name = "Command3",
     .text = "AUDIO FILE",
     .rect = {3840, 240, 1575, 975},
     .tabIndex = 4,
     .wordWrap = true,
     .on = On<&MainWindowLogic::Command3_Click>()},
    {.id = Label1,
     .kind = Label,
     .name = "Label1",
     .text = "FFMPEG  Executable location ",
     .rect = {240, 1680, 1455, 375},
     .tabIndex = 2,
     .wordWrap = true,
     .labelFor = Text1},
    {.id = Text1, .kind = TextBox, .name = "Text1", .rect = {1920, 1680, 5415, 375}, .tabIndex = 1},
    {.id = Label2,
     .kind = Label,
     .name = "Label2",
     .text = "Image file location ",
     .rect = {240, 2280, 1455, 375},
     .tabIndex = 6,
     .wordWrap = true,
     .labelFor = Text2},
    {.id = Text2, .kind = TextBox, .name = "Text2", .rect = {1920, 2280, 5415, 375}, .tabIndex = 5},
    {.id = Label3,
     .kind = Label,
     .name = "Label3",
     .text = "Audio file  location ",
     .rect = {240, 2760, 1455, 375},
     .tabIndex = 7,
     .wordWrap = true,
     .labelFor = Text3},
    {.id = Text3, .kind = TextBox, .name = "Text3", .rect = {1920, 2760, 5415, 375}, .tabIndex = 8},
    {.id = Picture1,
     .kind = Picture,
     .name = "Picture1",
     .rect = {3840, 3600, 3735, 2655},
     .tabIndex = 9,
     .picture = "execute-button",
     .accessibleName = "Execute",
     .pictureRole = AccessibleRole::Button,
     .on = On<&MainWindowLogic::LaunchConversion>()},
    {.id = Label4,
     .kind = Label,
     .name = "Label4",
     .text = "Save as file :>  (choose output)",
     .rect = {240, 3840, 2895, 375},
     .tabIndex = 10,
     .wordWrap = true,
     .labelFor = Text4},
    {.id = Text4,
     .kind = TextBox,
     .name = "Text4",
     .rect = {240, 4440, 3255, 495},
     .tabIndex = 11,
     .on = On<&MainWindowLogic::Text4_KeyDown>(),
     .onChange = On<&MainWindowLogic::Text4_Change>()},
    {.id = Command4,
     .kind = Button,
     .name = "Command4",
     .text = "Choose saveas filename output",
     .rect = {360, 5520, 3135, 735},
     .tabIndex = 12,
     .wordWrap = true,
     .on = On<&MainWindowLogic::Command4_Click>()},
    // How an MP4 shows its picture, between the fields and the convert picture; last in the tab
    // order, which keeps the fields' own.
    {.id = lblFrame,
     .kind = Label,
     .name = "lblFrame",
     .text = "MP4 f&rame",
     .rect = {240, 3240, 1455, 315},
     .tabIndex = 13,
     .labelFor = cboFrame},
    {.id = cboFrame,
     .kind = ComboBox,
     .name = "cboFrame",
     .items = kFrameChoices,
     .rect = {1920, 3195, 3000, 315},  // wide enough for its longest choice
     .tabIndex = 14,
     .onChange = On<&MainWindowLogic::cboFrame_Change>()},
};

// No item has a shortcut key; the character after '&' is the access key.
constexpr MenuItemDesign kMenu[] = {
    {mnuFile, "mnuFile", "&File", 0},
    {mnuHelp, "mnuHelp", "&Help", 1, On<&MainWindowLogic::mnuHelp_Click>()},
    {mnuAbout, "mnuAbout", "&About", 1, On<&MainWindowLogic::mnuAbout_Click>()},
    {mnuSpacer1, "mnuSpacer1", "-", 1},
    {mnuDonate, "mnuDonate", "Donate", 1, On<&MainWindowLogic::mnuDonate_Click>()},
    {mnuspacer2, "mnuspacer2", "-", 1},
    {mnuExit, "mnuExit", "E&xit", 1, On<&MainWindowLogic::mnuExit_Click>()},
};

// No font is set: every control has the platform's default dialog font.
// Name, caption, client size in twips; border, icon, background; controls and menu; what its
// load runs.
// clang-format off
constexpr FormDesign kForm = FormFor<MainWindowLogic>({kWindow, "Form1", identity::kMainCaption,
                         7725, 6600, BorderKind::Sizable, IconKind::Program, kWindowColor,
                         kControls, kMenu, On<&MainWindowLogic::Load>()});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace framora::main_form
