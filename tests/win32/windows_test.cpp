// The native front-end's windows, built in the test's own process over fakes: files dropped
// from Explorer, as a real WM_DROPFILES with a global DROPFILES block of wide names.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "app/app_context.h"
#include "app/settings.h"
#include "app/window_registry.h"
#include "fakes/fake_ports.h"
#include "main_window/main_form.h"
#include "platform/win32/win32_text.h"
#include "win32/main_window.h"

namespace framora::win32 {
namespace {

void HandleQueuedMessages() {
  MSG msg;
  while (::PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    ::TranslateMessage(&msg);
    ::DispatchMessageW(&msg);
  }
}

// What Explorer hands a window that accepts files: the drop point in its client area and the
// names, each ended by a zero, the list by a second one.
HDROP DropBlock(POINT at, const std::vector<std::string>& names) {
  std::wstring list;
  for (const std::string& name : names) list += ToWide(name) + L'\0';
  list += L'\0';
  const HGLOBAL block = ::GlobalAlloc(GHND, sizeof(DROPFILES) + list.size() * sizeof(wchar_t));
  auto* drop = static_cast<DROPFILES*>(::GlobalLock(block));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = at;
  drop->fNC = FALSE;
  drop->fWide = TRUE;
  std::copy(list.begin(), list.end(), reinterpret_cast<wchar_t*>(drop + 1));
  ::GlobalUnlock(block);
  return static_cast<HDROP>(block);
}

class Win32MainWindow : public ::testing::Test, protected test::FakePorts {
 protected:
  void SetUp() override {
    ctx.windows = &windows;
    windows.Show(WindowId::Form1);
    form = dynamic_cast<Win32Window*>(windows.Loaded(WindowId::Form1));
    ASSERT_NE(form, nullptr);
    HandleQueuedMessages();
  }

  POINT CentreOf(ControlId control) const {
    RECT rect{};
    ::GetWindowRect(form->Control(control), &rect);
    ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  void Drop(POINT at, const std::vector<std::string>& names) {
    ::PostMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(at, names)), 0);
    HandleQueuedMessages();
  }
  std::optional<std::string> Stored(const char* key) {
    return settings.Read(kSettingsApp, kSettingsSection, key);
  }

  WindowRegistry windows{{[this](WindowId) -> std::unique_ptr<RegisteredWindow> {
                            return std::make_unique<MainWindow>(ctx, &windows);
                          },
                          [] {},
                          {}}};
  Win32Window* form = nullptr;
};

TEST_F(Win32MainWindow, AFileDroppedOnAFieldLandsThere) {
  Drop(CentreOf(main_form::Text2), {"C:\\My Pictures\\café 日本.png", "C:\\second.png"});
  Drop(CentreOf(main_form::Text4), {"C:\\Videos\\clip.mp4"});
  EXPECT_EQ(form->Text(main_form::Text2), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(Stored(kKeyImage), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(form->Text(main_form::Text4), "C:\\Videos\\clip.mp4.avi");
  EXPECT_EQ(Stored(kKeySave), std::nullopt);
}

TEST_F(Win32MainWindow, FilesDroppedBesideTheFieldsGoByKind) {
  files.folders = {"C:\\Music\\album.wav"};
  for (ControlId beside : {main_form::Label2, main_form::Picture1}) {
    form->SetText(main_form::Text1, "");
    form->SetText(main_form::Text3, "");
    Drop(CentreOf(beside), {"C:\\Music\\album.wav", "C:\\Music\\b.MP3", "C:\\notes.txt",
                            "C:\\ffmpeg\\bin\\ffmpeg.exe"});
    EXPECT_EQ(form->Text(main_form::Text3), "C:\\Music\\b.MP3") << beside.number;
    EXPECT_EQ(form->Text(main_form::Text1), "C:\\ffmpeg\\bin\\ffmpeg.exe") << beside.number;
  }
  EXPECT_EQ(Stored(kKeyAudio), "C:\\Music\\b.MP3");
  EXPECT_EQ(form->Text(main_form::Text2), "");
}

}  // namespace
}  // namespace framora::win32
