// The task-bar button on Windows: ITaskbarList3 made once the shell has announced the button,
// the calls a conversion makes through the console window, and failures that change nothing.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <memory>
#include <string>
#include <vector>

#include "app/app_context.h"
#include "console/console_form.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_process_host.h"
#include "win32_ui/console_window.h"
#include "win32_ui/win32_taskbar.h"

namespace framora::win32 {
namespace {

// The shell's object, recording the calls that matter here and answering them all with one
// result.
class FakeTaskbarList : public ITaskbarList3 {
 public:
  explicit FakeTaskbarList(HRESULT result) : result_(result) {}

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID, void** object) override {
    *object = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return ++references; }
  ULONG STDMETHODCALLTYPE Release() override { return --references; }
  // ITaskbarList
  HRESULT STDMETHODCALLTYPE HrInit() override { return result_; }
  HRESULT STDMETHODCALLTYPE AddTab(HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE DeleteTab(HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE ActivateTab(HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetActiveAlt(HWND) override { return result_; }
  // ITaskbarList2
  HRESULT STDMETHODCALLTYPE MarkFullscreenWindow(HWND, BOOL) override { return result_; }
  // ITaskbarList3
  HRESULT STDMETHODCALLTYPE SetProgressValue(HWND window, ULONGLONG done,
                                             ULONGLONG total) override {
    calls.push_back(Who(window) + "value " + std::to_string(done) + "/" + std::to_string(total));
    return result_;
  }
  HRESULT STDMETHODCALLTYPE SetProgressState(HWND window, TBPFLAG state) override {
    calls.push_back(Who(window) + "state " + std::to_string(state));
    return result_;
  }
  HRESULT STDMETHODCALLTYPE RegisterTab(HWND, HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE UnregisterTab(HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetTabOrder(HWND, HWND) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetTabActive(HWND, HWND, DWORD) override { return result_; }
  HRESULT STDMETHODCALLTYPE ThumbBarAddButtons(HWND, UINT, LPTHUMBBUTTON) override {
    return result_;
  }
  HRESULT STDMETHODCALLTYPE ThumbBarUpdateButtons(HWND, UINT, LPTHUMBBUTTON) override {
    return result_;
  }
  HRESULT STDMETHODCALLTYPE ThumbBarSetImageList(HWND, HIMAGELIST) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetOverlayIcon(HWND, HICON, LPCWSTR) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetThumbnailTooltip(HWND, LPCWSTR) override { return result_; }
  HRESULT STDMETHODCALLTYPE SetThumbnailClip(HWND, RECT*) override { return result_; }

  std::string Who(HWND window) const { return window == expected ? "" : "other window "; }

  HWND expected = nullptr;
  std::vector<std::string> calls;
  ULONG references = 0;

 private:
  HRESULT result_;
};

struct Window {
  HWND hwnd = ::CreateWindowExW(0, L"STATIC", L"main", WS_OVERLAPPED, 0, 0, 100, 100, nullptr,
                                nullptr, nullptr, nullptr);
  ~Window() {
    if (::IsWindow(hwnd)) ::DestroyWindow(hwnd);
  }
};

// A button that the fake stands behind, announced by the shell's message.
class TaskbarTest : public ::testing::Test {
 protected:
  void Announce() {
    ::SendMessageW(window.hwnd, Win32TaskbarProgress::ButtonCreatedMessage(), 0, 0);
  }

  Window window;
  FakeTaskbarList list{S_OK};
  int made = 0;
  Win32TaskbarProgress button{[this]() -> ITaskbarList3* {
    ++made;
    list.AddRef();
    return &list;
  }};
};

TEST_F(TaskbarTest, TheListIsMadeOnceTheShellHasAnnouncedTheButton) {
  list.expected = window.hwnd;
  button.Attach(window.hwnd);
  button.ShowProgress(0.1);
  EXPECT_EQ(made, 0) << "no button yet";
  Announce();
  EXPECT_EQ(made, 1);
  button.ShowProgress(0.25);
  button.ShowProgress(0.5);
  button.ClearProgress();
  button.ClearProgress();
  EXPECT_EQ(list.calls,
            (std::vector<std::string>{"state 2", "value 250/1000", "value 500/1000", "state 0"}));
  Announce();  // the shell started anew: a new list
  EXPECT_EQ(made, 2);
  EXPECT_EQ(list.references, 1u);
}

TEST_F(TaskbarTest, FailuresChangeNothingAndTheWindowsEndReleasesTheList) {
  FakeTaskbarList failing{E_FAIL};
  Win32TaskbarProgress refused{[] { return nullptr; }};
  Win32TaskbarProgress broken{[&]() -> ITaskbarList3* {
    failing.AddRef();
    return &failing;
  }};
  refused.Attach(window.hwnd);
  broken.Attach(window.hwnd);
  Announce();
  for (TaskbarProgressPort* port :
       {static_cast<TaskbarProgressPort*>(&refused), static_cast<TaskbarProgressPort*>(&broken)}) {
    port->ShowProgress(0.5);
    port->ClearProgress();
  }
  EXPECT_EQ(failing.calls.size(), 3u) << "asked, and no harm done";
  ::DestroyWindow(window.hwnd);
  EXPECT_EQ(failing.references, 0u);
  broken.ShowProgress(0.7);
  EXPECT_EQ(failing.calls.size(), 3u) << "nothing more for a window that is gone";
}

TEST_F(TaskbarTest, TheShellsOwnListUnderThisSystemIsHarmless) {
  Win32TaskbarProgress shells;
  shells.Attach(window.hwnd);
  Announce();
  shells.ShowProgress(0.5);
  shells.ClearProgress();
  SUCCEED() << "made or not, the calls did no harm";
}

// The console window in this process, running a conversion whose output a fake host plays.
TEST_F(TaskbarTest, AConversionInTheConsoleWindowShowsItsProgressAndClearsIt) {
  list.expected = window.hwnd;
  button.Attach(window.hwnd);
  Announce();
  struct RichEdit {
    HMODULE module = ::LoadLibraryW(L"Msftedit.dll");
    ~RichEdit() { ::FreeLibrary(module); }
  } richEdit;
  test::FakeMessageBox messages;
  AppContext ctx;
  ctx.messages = &messages;
  ctx.taskbar = &button;
  ctx.makeProcessHost = [] {
    auto host = std::make_unique<test::FakeProcessHost>();
    host->reads = {{"Input #0, png_pipe, from 'a.png':\n  Duration: N/A, bitrate: N/A\n"
                    "Input #1, wav, from 'b.wav':\n  Duration: 00:00:04.00, bitrate: 705 kb/s\n"},
                   {"frame=   25 fps=0.0 q=2.0 size=     256kB time=00:00:01.00 bitrate=\r"}};
    return std::unique_ptr<ProcessHost>(std::move(host));
  };
  ConsoleWindow console(ctx, nullptr);
  console.Load();
  const HWND execute = console.Control(console_form::cmdExecute);
  ::SendMessageW(console.Handle(), WM_COMMAND,
                 MAKEWPARAM(console_form::cmdExecute.number, BN_CLICKED),
                 reinterpret_cast<LPARAM>(execute));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(list.calls, (std::vector<std::string>{"state 2", "value 250/1000", "state 0"}));
}

}  // namespace
}  // namespace framora::win32
