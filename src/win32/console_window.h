// frmReadOutput: the console window. Draws the controls and the output pane (a RichEdit) and
// forwards the user's actions to the console logic, which owns the pane's text and the runner
// ReadOutput1.
#pragma once

#include <memory>
#include <string>

#include "app/app_context.h"
#include "console/console_logic.h"
#include "win32/win32_window.h"

namespace framora::win32 {

class ConsoleWindow : public Win32Window, private console::ConsoleView {
 public:
  explicit ConsoleWindow(AppContext& ctx);
  ~ConsoleWindow() override;

  void Load() override;
  bool CanDestroyNow() override;

  // The pane's text is the logic's string (CR LF line breaks), not what the control holds.
  std::string Text(std::string_view control) const override;
  void SetText(std::string_view control, const std::string& text) override;

 protected:
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

  AppContext& ctx_;
  HBRUSH black_ = nullptr;
  HBRUSH labelBack_ = nullptr;
  std::uint32_t shownColor_ = 0;
  bool colorShown_ = false;
  bool flushPending_ = false;
  // The runner's process host must outlive the logic that holds the runner.
  std::unique_ptr<ProcessHost> host_;
  std::unique_ptr<console::ConsoleLogic> logic_;
};

}  // namespace framora::win32
