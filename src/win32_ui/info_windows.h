// frmAbout and frmDonate, the information windows, built from their descriptions, whose rows
// wire their controls to the core's AboutLogic and DonateLogic (info/about.h, info/donate.h).
// What is the Win32 front-end's own here is the shell that opens links for them.
#pragma once

#include "app/app_context.h"
#include "info/about.h"
#include "info/donate.h"
#include "win32_ui/win32_desktop.h"
#include "win32_ui/win32_window.h"

namespace framora::win32 {

// The About box: title, version, description, the maker's link and the system information.
class AboutWindow : public Win32Window {
 public:
  AboutWindow(AppContext& ctx, WindowRegistry* registry);

 private:
  Win32Desktop desktop_;
  AboutLogic logic_;
};

// The donation window: the appeal text and the DONATE NOW picture.
class DonateWindow : public Win32Window {
 public:
  DonateWindow(AppContext& ctx, WindowRegistry* registry);

 private:
  Win32Desktop desktop_;
  DonateLogic logic_;
};

}  // namespace framora::win32
