// frmAbout and frmDonate, the information windows. Their texts and actions live in the core
// (info/about.h, info/sys_info.h, info/donate.h).
#pragma once

#include "app/app_context.h"
#include "platform/win32/win32_desktop.h"
#include "win32/win32_window.h"

namespace framora::win32 {

// The About box: title, version, description, the maker's link and the system information.
class AboutWindow : public Win32Window {
 public:
  explicit AboutWindow(AppContext& ctx);
  void Load() override;

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  AppContext& ctx_;
  Win32Desktop desktop_;
  HBITMAP logo_ = nullptr;
};

// The donation window: the appeal text and the DONATE NOW picture.
class DonateWindow : public Win32Window {
 public:
  explicit DonateWindow(AppContext& ctx);

 protected:
  LRESULT HandleMessage(UINT msg, WPARAM wParam, LPARAM lParam) override;

 private:
  AppContext& ctx_;
  Win32Desktop desktop_;
  HBITMAP picture_ = nullptr;
};

}  // namespace framora::win32
