// frmAbout and frmDonate, the information windows, built from their descriptions. Their texts
// and actions live in the core (info/about.h, info/sys_info.h, info/donate.h).
#pragma once

#include "app/app_context.h"
#include "platform/win32/win32_desktop.h"
#include "win32/win32_window.h"

namespace framora::win32 {

// The About box: title, version, description, the maker's link and the system information.
class AboutWindow : public Win32Window {
 public:
  AboutWindow(AppContext& ctx, WindowRegistry* registry);
  void Load() override;

 protected:
  void Command(int number, int code) override;

 private:
  AppContext& ctx_;
  Win32Desktop desktop_;
};

// The donation window: the appeal text and the DONATE NOW picture.
class DonateWindow : public Win32Window {
 public:
  DonateWindow(AppContext& ctx, WindowRegistry* registry);

 protected:
  void Command(int number, int code) override;

 private:
  Win32Desktop desktop_;
};

}  // namespace framora::win32
