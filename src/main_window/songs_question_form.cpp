#include "main_window/songs_question_form.h"

#include "app/identity.h"
#include "main_window/songs_question.h"

namespace framora::songs_question_form {

namespace {

using enum ControlKind;

// The question across the top (its load writes it), wide enough for "200 songs: ..." on two lines
// in the platforms' dialog fonts, and high enough for a note of two more below it; below them the
// three answers in a row, the default first. Without the album the middle of the row stays empty.
constexpr ControlDesign kControls[] = {
    {.id = lblQuestion,
     .kind = Label,
     .name = "lblQuestion",
     .rect = {240, 240, 5280, 1440},
     .tabIndex = 3,
     .wordWrap = true},
    {.id = cmdEach,
     .kind = Button,
     .name = "cmdEach",
     .text = "One video &each",
     .rect = {240, 1860, 1920, 375},
     .tabIndex = 0,
     .isDefault = true,
     .on = On<&SongsQuestionLogic::cmdEach_Click>()},
    {.id = cmdAlbum,
     .kind = Button,
     .name = "cmdAlbum",
     .text = "One &album video",
     .rect = {2280, 1860, 1920, 375},
     .tabIndex = 1,
     .on = On<&SongsQuestionLogic::cmdAlbum_Click>()},
    {.id = cmdCancel,
     .kind = Button,
     .name = "cmdCancel",
     .text = "Cancel",
     .rect = {4320, 1860, 1200, 375},
     .tabIndex = 2,
     .isCancel = true,
     .on = On<&SongsQuestionLogic::cmdCancel_Click>()},
};

// Name, caption, client size in twips; border, icon, background; controls and menu; what its
// load and its closing run.
// clang-format off
constexpr FormDesign kForm = FormFor<SongsQuestionLogic>({kWindow, "frmSongsQuestion",
                         identity::kTitle, 5760, 2475, BorderKind::FixedDialog,
                         IconKind::Program, kWindowColor, kControls, {},
                         On<&SongsQuestionLogic::Load>(), On<&SongsQuestionLogic::Closed>()});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace framora::songs_question_form
