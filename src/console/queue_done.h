// frmQueueDone: what the console says at the end of a queue or an album, in a window of its own
// with the way to the videos, "Open folder", which shows their folder in the file manager.
#pragma once

#include <string>

#include "app/form.h"
#include "app/ports.h"

namespace framora::console {

namespace queue_done_form {
inline constexpr WindowId kWindow = WindowId::frmQueueDone;
inline constexpr ControlId lblMessage{kWindow, 6001}, cmdOpen{kWindow, 6002}, cmdOK{kWindow, 6003};
const FormDesign& Form();
}  // namespace queue_done_form

struct QueueDone {
  std::string title;     // "Success!", or "Error" when a video failed
  std::string message;   // what became of the videos, and where they are
  std::string folder;    // where they are
  std::string selected;  // the video the file manager picks out there
};

class QueueDoneLogic {
 public:
  QueueDoneLogic(WindowView& view, WindowFrame& frame, DesktopPort& desktop,
                 MessageBoxPort& messages, QueueDone done)
      : view_(view),
        frame_(frame),
        desktop_(desktop),
        messages_(messages),
        done_(std::move(done)) {}

  void Load();
  // Shows the folder, or tells that no file manager could; the window stays.
  void cmdOpen_Click();
  void cmdOK_Click() { frame_.CloseWindow(); }

 private:
  WindowView& view_;
  WindowFrame& frame_;
  DesktopPort& desktop_;
  MessageBoxPort& messages_;
  QueueDone done_;
};

// Shows the window modally until the user closes it.
void ShowQueueDone(ModalPort& modal, DesktopPort& desktop, MessageBoxPort& messages,
                   const QueueDone& done);

}  // namespace framora::console
