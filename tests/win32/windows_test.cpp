// The native front-end's windows, built in the test's own process over fakes: files dropped
// from Explorer, as a real WM_DROPFILES with a global DROPFILES block of wide names, the MP4
// frame list, and the console's pane with a line longer than itself.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

// Needs <windows.h> first.
#include <richedit.h>
#include <shellapi.h>
#include <shlobj.h>

#include <vector>

#include "app/app_context.h"
#include "app/settings.h"
#include "app/window_registry.h"
#include "console/console_form.h"
#include "console/pane_text.h"
#include "fakes/fake_ports.h"
#include "main_window/main_form.h"
#include "platform/win32/win32_text.h"
#include "queue/song_queue.h"
#include "win32_ui/console_window.h"
#include "win32_ui/main_window.h"

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

class Win32MainWindowTest : public ::testing::Test, protected test::FakePorts {
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
                            return std::make_unique<Win32MainWindow>(ctx, &windows);
                          },
                          [] {},
                          {}}};
  Win32Window* form = nullptr;
};

TEST_F(Win32MainWindowTest, SpaceAndEnterOnTheExecutePicturePressIt) {
  const HWND picture = form->Control(main_form::Picture1);
  for (const WPARAM key : {VK_SPACE, VK_RETURN}) {
    messages.shown.clear();
    ::SetFocus(picture);
    // Through the window's keyboard navigation first, as the program's message loop does.
    for (const UINT message : {WM_KEYDOWN, WM_KEYUP}) {
      MSG msg{picture, message, key, 0, 0, {}};
      if (!form->PreTranslate(msg)) ::DispatchMessageW(&msg);
    }
    HandleQueuedMessages();
    ASSERT_FALSE(messages.shown.empty()) << key;
    EXPECT_EQ(messages.shown.front().prompt, "FFMPEG EXE FILE LOCATION MISSING") << "launched";
  }
}

// A row's handler runs on a click from a control that can be clicked now, and on nothing else;
// a menu command runs its item's.
TEST_F(Win32MainWindowTest, AClickRunsItsHandlerOnlyWhereTheControlCanBeClicked) {
  const HWND button = form->Control(main_form::Command2);
  const struct {
    const char* what;
    BOOL enabled;
    int show;
    WORD code;
    std::size_t asked;
  } cases[] = {{"double click", TRUE, SW_SHOW, BN_DOUBLECLICKED, 0},
               {"disabled", FALSE, SW_SHOW, BN_CLICKED, 0},
               {"hidden", TRUE, SW_HIDE, BN_CLICKED, 0},
               {"click", TRUE, SW_SHOW, BN_CLICKED, 1}};
  for (const auto& c : cases) {
    dialog.requests.clear();
    ::EnableWindow(button, c.enabled);
    ::ShowWindow(button, c.show);
    ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(main_form::Command2.number, c.code),
                   reinterpret_cast<LPARAM>(button));
    EXPECT_EQ(dialog.requests.size(), c.asked) << c.what;
  }
  ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(main_form::mnuExit.number, 0), 0);
  EXPECT_TRUE(windows.Ending());
}

TEST_F(Win32MainWindowTest, AFileDroppedOnAFieldLandsThere) {
  Drop(CentreOf(main_form::Text2), {"C:\\My Pictures\\café 日本.png", "C:\\second.png"});
  Drop(CentreOf(main_form::Text4), {"C:\\Videos\\clip.mov"});
  EXPECT_EQ(form->Text(main_form::Text2), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(Stored(kKeyImage), "C:\\My Pictures\\café 日本.png");
  EXPECT_EQ(form->Text(main_form::Text4), "C:\\Videos\\clip.mov.avi");
  EXPECT_EQ(Stored(kKeySave), std::nullopt);
}

TEST_F(Win32MainWindowTest, FilesDroppedBesideTheFieldsGoByKind) {
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

// The MP4 frame list: greyed but for an MP4, reached by its label's Alt+R, and only the user's
// choice is stored.
TEST_F(Win32MainWindowTest, TheFrameListServesAnMp4AndStoresOnlyTheUsersChoice) {
  const HWND list = form->Control(main_form::cboFrame);
  for (const auto& [output, enabled] : {std::pair{L"C:\\a.avi", false}, {L"C:\\b.MP4", true}}) {
    ::SendMessageW(form->Control(main_form::Text4), WM_SETTEXT, 0,
                   reinterpret_cast<LPARAM>(output));
    MSG alt{form->Control(main_form::Text4), WM_SYSCHAR, 'r', 1 << 29, 0, {}};
    EXPECT_TRUE(form->PreTranslate(alt));
    EXPECT_EQ(::IsWindowEnabled(list) != FALSE && ::GetFocus() == list, enabled);
  }
  form->SetText(main_form::cboFrame, std::string(main_form::kFrameChoices[2]));
  EXPECT_EQ(Stored(kKeyFrame), std::nullopt);
  ::SendMessageW(list, CB_SETCURSEL, 1, 0);
  ::SendMessageW(form->Handle(), WM_COMMAND, MAKEWPARAM(main_form::cboFrame.number, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  EXPECT_EQ(Stored(kKeyFrame), "black");
}

// The RichEdit as a console shows FFmpeg's progress, its updates joined on one line: wrapped at
// the pane's width, no horizontal scroll bar, and the last row, the prompt, in view.
// The console over fakes, loaded, with its RichEdit's library, which outlives the window.
class Win32ConsolePane : public ::testing::Test {
 protected:
  Win32ConsolePane() { console.Load(); }
  struct RichEdit {
    HMODULE module = ::LoadLibraryW(L"Msftedit.dll");
    ~RichEdit() { ::FreeLibrary(module); }
  } richEdit;
  test::FakePorts fakes;
  ConsoleWindow console{fakes.ctx, nullptr};
};

TEST_F(Win32ConsolePane, ALongLineWrapsAndTheLastRowStaysInView) {
  std::string text;
  for (int i = 0; i < 40; ++i) text += "line " + std::to_string(i) + "\r\n";
  std::string line;
  for (int i = 0; i < 30; ++i) line += "frame= " + std::to_string(25 * i) + " fps=0.0 size= 256kB ";
  console.View().SetText(console_form::rtfOutput, text + line + "\r\n\r\nC:\\> ");
  ::SendMessageW(console.Handle(), WM_TIMER, 1, 0);  // the pane's frame timer
  const HWND pane = console.Control(console_form::rtfOutput);

  EXPECT_GT(::SendMessageW(pane, EM_GETLINECOUNT, 0, 0), 40 + 3 + 3);
  SCROLLBARINFO bar{};
  bar.cbSize = sizeof bar;
  ASSERT_TRUE(::GetScrollBarInfo(pane, OBJID_HSCROLL, &bar));
  EXPECT_TRUE(bar.rgstate[0] & STATE_SYSTEM_INVISIBLE);
  RECT client{};
  ::GetClientRect(pane, &client);
  const auto at = [pane](LRESULT index) {
    POINTL point{};
    ::SendMessageW(pane, EM_POSFROMCHAR, reinterpret_cast<WPARAM>(&point), index);
    return point;
  };
  // The RichEdit counts a line break as one character.
  GETTEXTLENGTHEX how{GTL_NUMCHARS | GTL_PRECISE, 1200};
  const LRESULT length =
      ::SendMessageW(pane, EM_GETTEXTLENGTHEX, reinterpret_cast<WPARAM>(&how), 0);
  EXPECT_GE(at(length - 1).y, 0);  // the prompt's last character is in view
  EXPECT_LT(at(length - 1).y, client.bottom);
  const auto lineEnd = length - 7;  // before two line breaks and the prompt
  for (LRESULT i = lineEnd - static_cast<LRESULT>(line.size()); i < lineEnd; ++i) {
    ASSERT_LT(at(i).x, client.right) << i;  // nothing of the long line is out to the right
  }
}

// What the pane cuts out of a long output goes from the RichEdit too, in place: the RichEdit
// holds the pane's text, characters beyond the BMP and line breaks included.
TEST_F(Win32ConsolePane, WhatThePaneCutsOutGoesFromTheRichEditToo) {
  console::ConsolePane& pane = console.Logic().Pane();
  pane.SetBound({40, 2, 256});
  pane.Replace(console::FreshPaneText());
  for (int i = 0; i < 400; ++i) {
    pane.Append("\xE2\x82\xAC line " + std::to_string(i) + " \xF0\x9F\x8E\xB5\r\n");
    if (i % 7 == 0) ::SendMessageW(console.Handle(), WM_TIMER, 1, 0);  // the frame timer
  }
  ::SendMessageW(console.Handle(), WM_TIMER, 1, 0);
  ASSERT_GT(pane.BytesNotShown(), 0u);
  const HWND edit = console.Control(console_form::rtfOutput);
  std::wstring text(pane.Text().size() + 1, L'\0');
  GETTEXTEX how{static_cast<DWORD>(text.size() * sizeof(wchar_t)), GT_USECRLF, 1200, nullptr,
                nullptr};
  text.resize(static_cast<std::size_t>(::SendMessageW(
      edit, EM_GETTEXTEX, reinterpret_cast<WPARAM>(&how), reinterpret_cast<LPARAM>(&text[0]))));
  EXPECT_EQ(FromWide(text), pane.Text());
}

// Execute runs the launch's song while Text1 holds what the program wrote there, and the box's
// text alone once the user has changed it.
TEST_F(Win32ConsolePane, OnlyTheUsersChangeOfText1MakesExecuteRunItAlone) {
  auto songs = std::make_shared<queue::SongQueue>(
      fakes.files, queue::Rules{"ffmpeg.exe", "C:\\c.png", ShellKind::Cmd, false, true});
  songs->AddOne("C:\\a.mp3", "C:\\a.avi");
  fakes.desk.HandOver(songs);
  const auto ran = [&](const char* command) {
    console.Logic().Execute();
    return console.Logic().Pane().Text().find(command) != std::string::npos;
  };
  console.View().SetText(console_form::Text1, "echo set");
  EXPECT_FALSE(ran("C:\\> echo set"));
  ::SendMessageW(console.Control(console_form::Text1), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(L"echo typed"));
  EXPECT_TRUE(ran("C:\\> echo typed"));
}

}  // namespace
}  // namespace framora::win32
