// frmReadOutput, the console window, built from its description: the output pane (a RichEdit)
// shows the logic's text, and every action goes to the console logic, which owns that text
// and the runner ReadOutput1.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_logic.h"
#include "win32/win32_window.h"

namespace framora::win32 {

class ConsoleWindow : public Win32Window, private console::ConsoleView {
 public:
  ConsoleWindow(AppContext& ctx, WindowRegistry* registry);
  ~ConsoleWindow() override;

  void Load() override;
  bool CanDestroyNow() override;

  // The pane's text is the logic's string (CR LF line breaks), not what the control holds.
  std::string Text(ControlId control) const override;
  void SetText(ControlId control, const std::string& text) override;

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
  // The runner's process host must outlive the logic that holds the runner.
  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<console::ConsoleLogic> logic_;
};

}  // namespace framora::win32
