// Every window of the native front-end, built in this process from its description and checked
// against it: the window's class, caption, client size and border, each control's kind, place,
// text, font, tab stop and tab order, and the menu.
#include <gtest/gtest.h>

#include "platform/win32/windows_api.h"

#include <commctrl.h>
#include <oleacc.h>

#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "app/app_context.h"
#include "app/text.h"
#include "console/console_form.h"
#include "console/queue_done.h"
#include "fakes/fake_ports.h"
#include "info/about_form.h"
#include "info/donate_form.h"
#include "main_window/main_form.h"
#include "main_window/songs_question.h"
#include "platform/win32/win32_text.h"
#include "win32_ui/console_window.h"
#include "win32_ui/info_windows.h"
#include "win32_ui/main_window.h"
#include "win32_ui/modal_window.h"

namespace framora::win32 {
namespace {

std::string ClassOf(HWND hwnd) {
  wchar_t name[64] = {};
  ::GetClassNameW(hwnd, name, 64);
  return FromWide(name);
}

std::string TextOf(HWND hwnd) {
  std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(hwnd)) + 1, L'\0');
  text.resize(
      static_cast<std::size_t>(::GetWindowTextW(hwnd, text.data(), static_cast<int>(text.size()))));
  return FromWide(text);
}

RECT Placed(const TwipsRect& r) {
  return {Win32Window::TwipsX(r.left), Win32Window::TwipsY(r.top),
          Win32Window::TwipsX(r.left) + Win32Window::TwipsX(r.width),
          Win32Window::TwipsY(r.top) + Win32Window::TwipsY(r.height)};
}

bool operator==(const RECT& a, const RECT& b) {
  return a.left == b.left && a.top == b.top && a.right == b.right && a.bottom == b.bottom;
}

class Forms : public ::testing::TestWithParam<const FormDesign*> {
 protected:
  void SetUp() override {
    ::CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);  // as the program's task-bar button has it
    // Built as designed, before any load step changes a text.
    switch (GetParam()->id) {
      case WindowId::Form1:
        window = std::make_unique<Win32MainWindow>(ctx, nullptr);
        break;
      case WindowId::frmReadOutput:
        window = std::make_unique<ConsoleWindow>(ctx, nullptr);
        break;
      case WindowId::frmAbout:
        window = std::make_unique<AboutWindow>(ctx, nullptr);
        break;
      case WindowId::frmDonate:
        window = std::make_unique<DonateWindow>(ctx, nullptr);
        break;
      case WindowId::frmSongsQuestion:
        window = std::make_unique<ModalWindow>(
            form(), [&](auto& v, auto& f) { return TargetOf(question.emplace(v, f, 2, true)); },
            nullptr);
        break;
      case WindowId::frmQueueDone:
        window = std::make_unique<ModalWindow>(
            form(),
            [&](auto& v, auto& f) {
              return TargetOf(
                  done.emplace(v, f, fakes.desktop, fakes.messages, console::QueueDone{}));
            },
            nullptr);
        break;
    }
    ASSERT_NE(window->Handle(), nullptr);
  }
  void TearDown() override {
    window.reset();
    ::CoUninitialize();
  }
  const FormDesign& form() const { return *GetParam(); }

  struct RichEdit {
    HMODULE module = ::LoadLibraryW(L"Msftedit.dll");
    ~RichEdit() { ::FreeLibrary(module); }
  } richEdit;
  test::FakePorts fakes;
  AppContext& ctx = fakes.ctx;
  std::optional<SongsQuestionLogic> question;
  std::optional<console::QueueDoneLogic> done;
  std::unique_ptr<Win32Window> window;
};

TEST_P(Forms, TheWindowIsAsDesigned) {
  const HWND hwnd = window->Handle();
  EXPECT_EQ(ClassOf(hwnd), "Framora" + std::string(form().name));
  EXPECT_EQ(TextOf(hwnd), form().caption);
  RECT client{};
  ::GetClientRect(hwnd, &client);
  EXPECT_EQ(client.right, Win32Window::TwipsX(form().clientWidth));
  EXPECT_EQ(client.bottom, Win32Window::TwipsY(form().clientHeight));
  const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
  const LONG_PTR exStyle = ::GetWindowLongPtrW(hwnd, GWL_EXSTYLE);
  const bool sizable = form().border == BorderKind::Sizable;
  EXPECT_EQ((style & WS_THICKFRAME) != 0, sizable);
  EXPECT_EQ((style & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX)) != 0, sizable);
  EXPECT_EQ((exStyle & WS_EX_TOOLWINDOW) != 0, form().border == BorderKind::FixedToolWindow);
  EXPECT_EQ((exStyle & WS_EX_DLGMODALFRAME) != 0, form().border == BorderKind::FixedDialog);
}

TEST_P(Forms, EachControlIsAsDesigned) {
  for (const ControlDesign& c : form().controls) {
    SCOPED_TRACE(std::string(c.name));
    const HWND hwnd = window->Control(c.id);
    if (c.kind == ControlKind::Line) {
      EXPECT_EQ(hwnd, nullptr) << "painted by the window";
      continue;
    }
    ASSERT_NE(hwnd, nullptr);
    EXPECT_EQ(::GetParent(hwnd), window->Handle());
    const AccessibleRole role = RoleOf(c);
    const char* expected = role == AccessibleRole::Button       ? "Button"
                           : c.kind == ControlKind::TextBox     ? "Edit"
                           : c.kind == ControlKind::Pane        ? "RICHEDIT50W"
                           : c.kind == ControlKind::ComboBox    ? "ComboBox"
                           : c.kind == ControlKind::ProgressBar ? "msctls_progress32"
                                                                : "Static";
    EXPECT_STRCASEEQ(ClassOf(hwnd).c_str(), expected);
    RECT rect{};
    ::GetWindowRect(hwnd, &rect);
    ::MapWindowPoints(nullptr, window->Handle(), reinterpret_cast<POINT*>(&rect), 2);
    // No picture in this test program: a box that takes its picture's size keeps its own.
    EXPECT_TRUE(rect == Placed(c.rect))
        << rect.left << "," << rect.top << " " << rect.right << "," << rect.bottom;
    if (c.kind == ControlKind::ComboBox) {
      EXPECT_EQ(::SendMessageW(hwnd, CB_GETCOUNT, 0, 0), static_cast<LRESULT>(c.items.size()));
      EXPECT_EQ(window->Text(c.id), c.items[0]);
    } else if (c.kind != ControlKind::Pane) {
      EXPECT_EQ(TextOf(hwnd), c.kind == ControlKind::Picture ? AccessibleName(form(), c) : c.text);
    }
    // What a screen reader gets through MSAA: the name and the role of the description.
    IAccessible* accessible = nullptr;
    if (SUCCEEDED(::AccessibleObjectFromWindow(hwnd, static_cast<DWORD>(OBJID_CLIENT),
                                               IID_IAccessible,
                                               reinterpret_cast<void**>(&accessible)))) {
      VARIANT self{};
      self.vt = VT_I4;
      self.lVal = CHILDID_SELF;
      BSTR name = nullptr;
      accessible->get_accName(self, &name);
      VARIANT roleId{};
      accessible->get_accRole(self, &roleId);
      const std::string spoken = name != nullptr ? FromWide(name) : std::string();
      const std::string named = AccessibleName(form(), c);
      EXPECT_EQ(spoken, !named.empty() ? named : WithoutAccessKeys(c.text));
      static const std::map<AccessibleRole, long> kRoles = {
          {AccessibleRole::Button, ROLE_SYSTEM_PUSHBUTTON},
          {AccessibleRole::Text, ROLE_SYSTEM_TEXT},
          {AccessibleRole::StaticText, ROLE_SYSTEM_STATICTEXT},
          {AccessibleRole::Link, ROLE_SYSTEM_LINK},
          {AccessibleRole::Graphic, ROLE_SYSTEM_GRAPHIC},
          {AccessibleRole::Output, ROLE_SYSTEM_TEXT},
          {AccessibleRole::ComboBox, ROLE_SYSTEM_COMBOBOX},
          {AccessibleRole::ProgressBar, ROLE_SYSTEM_PROGRESSBAR}};
      EXPECT_EQ(roleId.lVal, kRoles.at(role));
      // A list's value is its choice, a bar's its per cent.
      if (c.kind == ControlKind::ProgressBar) window->SetText(c.id, "45");
      BSTR value = nullptr;
      accessible->get_accValue(self, &value);
      const std::string heard = value != nullptr ? FromWide(value) : std::string();
      EXPECT_TRUE(c.kind != ControlKind::ComboBox || heard == c.items[0]) << heard;
      EXPECT_TRUE(c.kind != ControlKind::ProgressBar || heard == "45%") << heard;
      EXPECT_TRUE(c.kind != ControlKind::ProgressBar ||
                  ::SendMessageW(hwnd, PBM_GETPOS, 0, 0) == 45);
      ::SysFreeString(value);
      ::SysFreeString(name);
      accessible->Release();
    } else {
      ADD_FAILURE() << "no accessible object";
    }
    const LONG_PTR style = ::GetWindowLongPtrW(hwnd, GWL_STYLE);
    EXPECT_EQ((style & WS_TABSTOP) != 0, TakesFocus(c));
    if (c.kind == ControlKind::Button) {
      EXPECT_EQ((style & 0x0F) == BS_DEFPUSHBUTTON, c.isDefault);
      EXPECT_EQ((style & BS_MULTILINE) != 0, c.wordWrap);
    }
    LOGFONTW font{};
    const auto hfont = reinterpret_cast<HFONT>(::SendMessageW(hwnd, WM_GETFONT, 0, 0));
    if (c.kind == ControlKind::Pane) continue;  // its text's own format
    ASSERT_NE(hfont, nullptr);
    ::GetObjectW(hfont, sizeof font, &font);
    if (c.font.face.empty()) {
      EXPECT_EQ(hfont, static_cast<HFONT>(::GetStockObject(DEFAULT_GUI_FONT)));
      continue;
    }
    EXPECT_EQ(FromWide(font.lfFaceName), c.font.face);
    const int dpi = ::GetDeviceCaps(::GetDC(nullptr), LOGPIXELSY);
    const LONG designed = -static_cast<LONG>(c.font.points * dpi / 72.0 + 0.5);
    // A one-line label whose words would be cut off is written smaller, never larger.
    const bool fitted = c.kind == ControlKind::Label && !c.wordWrap && !c.text.empty();
    EXPECT_TRUE(fitted ? font.lfHeight >= designed : font.lfHeight == designed) << font.lfHeight;
    EXPECT_EQ(font.lfWeight >= FW_BOLD, c.font.bold);
    EXPECT_EQ(font.lfUnderline != 0, c.font.underline);
  }
}

TEST_P(Forms, ControlsAreMadeInTheOrderBothFrontEndsShare) {
  std::vector<int> made;
  for (HWND child = ::GetWindow(window->Handle(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    made.push_back(::GetDlgCtrlID(child));
  }
  std::vector<int> designed;
  for (const ControlDesign* c : CreationOrder(form())) {
    if (c->kind != ControlKind::Line) designed.push_back(c->id.number);
  }
  EXPECT_EQ(made, designed);
}

TEST_P(Forms, TabGoesThroughTheControlsInTabOrder) {
  const std::vector<const ControlDesign*> designed = FocusOrder(form());
  std::vector<int> tabStops;
  for (HWND child = ::GetWindow(window->Handle(), GW_CHILD); child != nullptr;
       child = ::GetWindow(child, GW_HWNDNEXT)) {
    if ((::GetWindowLongPtrW(child, GWL_STYLE) & WS_TABSTOP) != 0) {
      tabStops.push_back(::GetDlgCtrlID(child));
    }
  }
  std::vector<int> expected;
  for (const ControlDesign* c : designed) expected.push_back(c->id.number);
  EXPECT_EQ(tabStops, expected);
}

TEST_P(Forms, TheMenuIsAsDesigned) {
  const HMENU bar = ::GetMenu(window->Handle());
  EXPECT_EQ(bar != nullptr, !form().menu.empty());
  int top = -1;
  int position = 0;
  HMENU popup = nullptr;
  for (const MenuItemDesign& item : form().menu) {
    SCOPED_TRACE(std::string(item.name));
    wchar_t caption[64] = {};
    if (item.level == 0) {
      ++top;
      ::GetMenuStringW(bar, static_cast<UINT>(top), caption, 64, MF_BYPOSITION);
      EXPECT_EQ(FromWide(caption), item.caption);
      popup = ::GetSubMenu(bar, top);
      position = 0;
      continue;
    }
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_FTYPE | MIIM_ID;
    ASSERT_TRUE(::GetMenuItemInfoW(popup, static_cast<UINT>(position), TRUE, &info));
    EXPECT_EQ((info.fType & MFT_SEPARATOR) != 0, item.caption == "-");
    if (item.caption != "-") {
      EXPECT_EQ(static_cast<int>(info.wID), item.id.number);
      ::GetMenuStringW(popup, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
      EXPECT_EQ(FromWide(caption), item.caption) << "no shortcut key after a tab";
    }
    ++position;
  }
  if (popup != nullptr) {
    EXPECT_EQ(::GetMenuItemCount(popup), position);
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, Forms,
                         ::testing::Values(&main_form::Form(), &console_form::Form(),
                                           &about_form::Form(), &donate_form::Form(),
                                           &songs_question_form::Form(),
                                           &console::queue_done_form::Form()),
                         [](const auto& info) { return std::string(info.param->name); });

// Once the question is up, the keys (a small letter: Alt+it), then the close box if still open.
HWND owner = nullptr;
const char* keys = "";
bool ownerHeldOff = false;

void CALLBACK Press(HWND, UINT, UINT_PTR timer, DWORD) {
  ::KillTimer(nullptr, timer);
  const HWND asking = ::GetActiveWindow();
  ownerHeldOff = ::GetWindow(asking, GW_OWNER) == owner && !::IsWindowEnabled(owner);
  for (const char* key = keys; *key != '\0'; ++key)
    ::PostMessageW(::GetFocus(), *key >= 'a' ? WM_SYSCHAR : WM_KEYDOWN, *key,
                   *key >= 'a' ? 1 << 29 : 0);
  ::PostMessageW(asking, WM_CLOSE, 0, 0);
}

// The songs question, modal over the active window, answered by keys; Tab passes a hidden album.
TEST(SongsQuestionWindow, AsksModallyAndTheKeysAnswer) {
  using enum SongsAnswer;
  const std::tuple<bool, const char*, SongsAnswer> cases[] = {
      {true, "\r", Each},    {true, "\x1b", Cancel}, {true, "a", Album},
      {true, "\t\r", Album}, {true, "", Cancel},     {false, "\t\t\r", Each}};
  owner = ::CreateWindowExW(0, L"STATIC", L"", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0, 0, 800, 600,
                            nullptr, nullptr, nullptr, nullptr);
  Win32Modal modal;
  for (const auto& [albumOffered, pressed, answer] : cases) {
    ::SetActiveWindow(owner);
    keys = pressed;
    ::SetTimer(nullptr, 0, 10, &Press);
    EXPECT_EQ(AskSongs(modal, 200, albumOffered), answer) << std::string(keys).size();
    EXPECT_TRUE(ownerHeldOff && ::IsWindowEnabled(owner)) << "held off while asked, not after";
  }
  ::DestroyWindow(owner);
}

}  // namespace
}  // namespace framora::win32
