#include "console/queue_done.h"

#include <optional>

#include "app/identity.h"

namespace framora::console {

namespace queue_done_form {
namespace {

using enum ControlKind;

// The message across the top, room for a few failed songs; the two answers below, the way to the
// videos first and OK, which has the keyboard.
constexpr ControlDesign kControls[] = {
    {.id = lblMessage,
     .kind = Label,
     .name = "lblMessage",
     .rect = {240, 240, 6000, 1920},
     .tabIndex = 2,
     .wordWrap = true},
    {.id = cmdOpen,
     .kind = Button,
     .name = "cmdOpen",
     .text = "&Open folder",
     .rect = {2760, 2340, 1920, 375},
     .tabIndex = 1,
     .on = On<&QueueDoneLogic::cmdOpen_Click>()},
    {.id = cmdOK,
     .kind = Button,
     .name = "cmdOK",
     .text = "OK",
     .rect = {4800, 2340, 1440, 375},
     .tabIndex = 0,
     .isDefault = true,
     .isCancel = true,
     .on = On<&QueueDoneLogic::cmdOK_Click>()},
};

// clang-format off
constexpr FormDesign kForm = FormFor<QueueDoneLogic>({kWindow, "frmQueueDone", identity::kTitle,
                         6480, 2955, BorderKind::FixedDialog, IconKind::Program, kWindowColor,
                         kControls, {}, On<&QueueDoneLogic::Load>()});
// clang-format on

}  // namespace

const FormDesign& Form() { return kForm; }

}  // namespace queue_done_form

void QueueDoneLogic::Load() {
  view_.SetText(WindowItself(queue_done_form::kWindow), done_.title);
  view_.SetText(queue_done_form::lblMessage, done_.message);
}

void QueueDoneLogic::cmdOpen_Click() {
  if (desktop_.ShowFolder(done_.folder, done_.selected)) return;
  messages_.ShowMessage("No file manager could be started to show the folder " + done_.folder + ".",
                        MessageIcon::Critical, identity::kTitle);
}

void ShowQueueDone(ModalPort& modal, DesktopPort& desktop, MessageBoxPort& messages,
                   const QueueDone& done) {
  std::optional<QueueDoneLogic> logic;
  modal.RunModal(queue_done_form::Form(), [&](WindowView& view, WindowFrame& frame) {
    return TargetOf(logic.emplace(view, frame, desktop, messages, done));
  });
}

}  // namespace framora::console
