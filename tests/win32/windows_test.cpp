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
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_settings.h"
#include "platform/win32/win32_text.h"
#include "win32/main_window.h"
#include "win32/window_manager.h"

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

class Win32MainWindow : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.settings = &settings;
    ctx.messages = &messages;
    ctx.fileDialog = &dialog;
    ctx.files = &files;
    ctx.windows = &windows;
    windows.Show(WindowId::Form1);
    form = windows.Loaded(WindowId::Form1);
    ASSERT_NE(form, nullptr);
    HandleQueuedMessages();
  }

  POINT CentreOf(const char* control) const {
    RECT rect{};
    ::GetWindowRect(::GetDlgItem(form->Handle(), ControlId(control)), &rect);
    ::MapWindowPoints(nullptr, form->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    return {(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
  }
  static int ControlId(const char* control) {
    const std::string name = control;
    if (name == "Text1") return 1002;
    if (name == "Text2") return 1006;
    if (name == "Text3") return 1009;
    if (name == "Text4") return 1012;
    if (name == "Label2") return 1007;
    return 1010;  // Picture1
  }
  void Drop(POINT at, const std::vector<std::string>& names) {
    ::PostMessageW(form->Handle(), WM_DROPFILES, reinterpret_cast<WPARAM>(DropBlock(at, names)), 0);
    HandleQueuedMessages();
  }
  std::optional<std::string> Stored(const char* key) {
    return settings.Read(kSettingsApp, kSettingsSection, key);
  }

  test::FakeSettings settings;
  test::FakeMessageBox messages;
  test::FakeFileDialog dialog;
  test::FakeFileSystem files;
  AppContext ctx;
  Win32WindowManager windows{[this](WindowId id) -> std::unique_ptr<Win32Window> {
    if (id != WindowId::Form1) return nullptr;
    return std::make_unique<MainWindow>(ctx);
  }};
  Win32Window* form = nullptr;
};

TEST_F(Win32MainWindow, AFileDroppedOnAFieldLandsThere) {
  Drop(CentreOf("Text2"), {"C:\\My Pictures\\café 日本.png", "C:\\second.png"});
  Drop(CentreOf("Text4"), {"C:\\Videos\\clip.mp4"});
  EXPECT_EQ(form->Text("Text2"), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(Stored(kKeyImage), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(form->Text("Text4"), "C:\\Videos\\clip.mp4.avi");
  EXPECT_EQ(Stored(kKeySave), std::nullopt);
}

TEST_F(Win32MainWindow, FilesDroppedBesideTheFieldsGoByKind) {
  files.folders = {"C:\\Music\\album.wav"};
  for (const char* beside : {"Label2", "Picture1"}) {
    form->SetText("Text1", "");
    form->SetText("Text3", "");
    Drop(CentreOf(beside), {"C:\\Music\\album.wav", "C:\\Music\\b.MP3", "C:\\notes.txt",
                            "C:\\ffmpeg\\bin\\ffmpeg.exe"});
    EXPECT_EQ(form->Text("Text3"), "C:\\Music\\b.MP3") << beside;
    EXPECT_EQ(form->Text("Text1"), "C:\\ffmpeg\\bin\\ffmpeg.exe") << beside;
  }
  EXPECT_EQ(Stored(kKeyAudio), "C:\\Music\\b.MP3");
  EXPECT_EQ(form->Text("Text2"), "");
}

}  // namespace
}  // namespace framora::win32
