// Drives the real program from outside through window messages, as a user would: starts it
// in a fresh folder, finds its windows by their captions, reads their controls and answers its
// message boxes. Shared by the end-to-end tests of the program under Wine.
#pragma once

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "console/queue_done.h"
#include "main_window/main_form.h"
#include "platform/win32/win32_handles.h"
#include "platform/win32/win32_text.h"
#include "support/temp_env.h"
#include "win32_test_support.h"
#include "win32_ui/win32_settings.h"

namespace framora::win32 {

inline std::string WindowText(HWND hwnd) {
  std::wstring text(65536, L'\0');
  const LRESULT length =
      ::SendMessageW(hwnd, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()));
  text.resize(static_cast<std::size_t>(length));
  return FromWide(text);
}

struct Find {
  DWORD process;
  std::string title;
  const wchar_t* windowClass;
  HWND found = nullptr;
};

inline BOOL CALLBACK FindTopLevel(HWND hwnd, LPARAM lParam) {
  auto* find = reinterpret_cast<Find*>(lParam);
  DWORD owner = 0;
  ::GetWindowThreadProcessId(hwnd, &owner);
  if (owner != find->process || !::IsWindowVisible(hwnd)) return TRUE;
  if (find->windowClass != nullptr) {
    wchar_t name[64] = {};
    ::GetClassNameW(hwnd, name, 64);
    if (std::wstring(name) != find->windowClass) return TRUE;
  }
  if (WindowText(hwnd) != find->title) return TRUE;
  find->found = hwnd;
  return FALSE;
}

// The MessageBoxA text control.
inline constexpr int kMessageText = 0xFFFF;

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    char display[256];
    if (::GetEnvironmentVariableA("DISPLAY", display, sizeof display) == 0)
      GTEST_SKIP() << "needs a display (run under xvfb-run)";
    dir = test::MakeTempDir("program") + "\\";
    // Our virtual display has no window manager, and Wine waits 2 s for one at every window
    // it hides; on Windows, or with a window manager, hiding is immediate. Unmanaged windows
    // (in the tests' own prefix) keep that wait out of what is measured.
    HKEY key = nullptr;
    if (::RegCreateKeyExA(HKEY_CURRENT_USER, x11Driver.Path().c_str(), 0, nullptr, 0, KEY_SET_VALUE,
                          nullptr, &key, nullptr) == ERROR_SUCCESS) {
      ::RegSetValueExA(key, "Managed", 0, REG_SZ, reinterpret_cast<const BYTE*>("N"), 2);
      ::RegCloseKey(key);
    }
  }
  void TearDown() override {
    if (process && ::WaitForSingleObject(process.get(), 0) == WAIT_TIMEOUT)
      ::TerminateProcess(process.get(), 99);
  }

  // The program built beside the tests, or another one (an installed copy) in FRAMORA_PROGRAM.
  void Start() {
    char other[MAX_PATH] = {};
    const std::string program = ::GetEnvironmentVariableA("FRAMORA_PROGRAM", other, MAX_PATH) > 0
                                    ? std::string(other)
                                    : test::ProgramFolder() + FRAMORA_PROGRAM_FROM_TESTS;
    std::string line = "\"" + program + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info{};
    ASSERT_TRUE(::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                                 ToNarrow(dir).c_str(), &startup, &info))
        << program;
    process.reset(info.hProcess);
    KernelHandle(info.hThread).reset();
    processId = info.dwProcessId;
  }
  HWND WaitForWindow(const std::string& title, const wchar_t* windowClass = nullptr) {
    Find find{processId, title, windowClass};
    test::WaitFor([&] {
      find.found = nullptr;
      ::EnumWindows(&FindTopLevel, reinterpret_cast<LPARAM>(&find));
      return find.found != nullptr;
    });
    return find.found;
  }
  // A click on the main window's convert picture, as the mouse gives it.
  void ClickConvert(HWND main) {
    ::PostMessageA(::GetDlgItem(main, main_form::Picture1.number), WM_LBUTTONDOWN, MK_LBUTTON, 0);
    ::PostMessageA(::GetDlgItem(main, main_form::Picture1.number), WM_LBUTTONUP, 0, 0);
  }
  // Waits for a message box with that title, returns its text and presses OK. While it is up,
  // `held` (another window of the program) takes no input, and afterwards it does again.
  std::string AnswerMessageBox(const std::string& title, HWND held = nullptr) {
    const HWND box = WaitForWindow(title, L"#32770");
    if (box == nullptr) return "<no message box " + title + ">";
    const std::string text = WindowText(::GetDlgItem(box, kMessageText));
    if (held != nullptr) {
      EXPECT_FALSE(::IsWindowEnabled(held)) << "beside the box " << title;
    }
    ::PostMessageA(box, WM_COMMAND, IDOK, 0);
    test::WaitFor([&] { return !::IsWindow(box); });
    if (held != nullptr) {
      EXPECT_TRUE(test::WaitFor([&] { return ::IsWindowEnabled(held); }));
    }
    return text;
  }

  // Waits for the window that ends a queue or an album, returns its message and presses OK.
  std::string AnswerQueueDone(const std::string& title) {
    using namespace console::queue_done_form;
    const HWND done = WaitForWindow(title, L"FramorafrmQueueDone");
    const std::string text = WindowText(::GetDlgItem(done, lblMessage.number));
    ::PostMessageA(::GetDlgItem(done, cmdOK.number), BM_CLICK, 0, 0);
    test::WaitFor([&] { return !::IsWindow(done); });
    return text;
  }

  std::string dir;
  KernelHandle process;
  DWORD processId = 0;
  test::ScopedTestKey settings{std::string(Win32SettingsStore::kBaseKey) +
                               "\\Framora audio converter"};
  test::ScopedTestKey x11Driver{"Software\\Wine\\X11 Driver"};
};

}  // namespace framora::win32
