#include "win32/info_windows.h"

#include "info/about.h"
#include "info/about_form.h"
#include "info/donate.h"
#include "info/donate_form.h"
#include "info/sys_info.h"

namespace framora::win32 {

AboutWindow::AboutWindow(AppContext& ctx, WindowRegistry* registry)
    : Win32Window(about_form::Form(), registry),
      ctx_(ctx),
      desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}) {
  Build();
  desktop_.SetOwner(Handle());
  Clickable(about_form::Label1);
  ::SetFocus(Control(about_form::cmdOK));
}

void AboutWindow::Load() { LoadAbout(*this); }

void AboutWindow::Command(int number, int code) {
  if (number == about_form::cmdOK.number) Close();  // and Enter, and Esc
  if (number == about_form::cmdSysInfo.number) {
    StartSysInfo(*ctx_.registry, *ctx_.files, desktop_, *ctx_.messages);
  }
  if (number == about_form::Label1.number && code == STN_CLICKED) OpenHomePage(desktop_);
}

DonateWindow::DonateWindow(AppContext& /*ctx*/, WindowRegistry* registry)
    : Win32Window(donate_form::Form(), registry),
      desktop_(Win32Desktop::ShellOpen{nullptr, "OPEN", false}) {
  Build();
  desktop_.SetOwner(Handle());
  Clickable(donate_form::Image1);
}

void DonateWindow::Command(int number, int code) {
  if (number == donate_form::Image1.number && code == STN_CLICKED) OpenDonationPage(desktop_);
}

}  // namespace framora::win32
