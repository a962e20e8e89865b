// frmReadOutput, the console window, built from its description: the output pane (a RichEdit)
// shows the logic's text, and every action goes to the console logic, which owns that text
// and the runner ReadOutput1.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_core.h"
#include "win32/win32_window.h"

namespace framora::win32 {

class ConsoleWindow : public Win32Window, private console::ConsoleView {
 public:
  ConsoleWindow(AppContext& ctx, WindowRegistry* registry);
  ~ConsoleWindow() override;

  // The pane's text is the logic's; the window stays while a run of its own is on the stack.
  WindowView& View() override { return core_.View(); }
  console::ConsoleLogic& Logic() { return core_.Logic(); }
  bool CanDestroyNow() override;
  void Load() override;

 protected:
  void Command(int number, int code) override;
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;
  void Close() override;

 private:
  void ShowModeless() override;
  void CloseWindow() override;
  void PaneChanged() override;

  // Brings the RichEdit up to date with the pane: new text, colour, selection.
  void FlushPane();
  static LRESULT CALLBACK TxtCommandProc(HWND hwnd, UINT msg, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR id, DWORD_PTR self);

  std::uint32_t shownColor_ = 0;
  bool colorShown_ = false;
  bool flushPending_ = false;
  console::ConsoleCore core_;
};

}  // namespace framora::win32
