#include "qt/about_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QRgb>
#include <filesystem>
#include <fstream>

#include "app/identity.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_registry.h"
#include "info/about.h"
#include "info/about_form.h"
#include "info/registry.h"
#include "platform/posix/posix_registry.h"
#include "qt/application.h"
#include "qt/qt_adapters.h"
#include "qt/wrap_button.h"
#include "runner/posix_test_support.h"
#include "support/qt_input.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

using namespace about_form;
using test::Click;
using test::Key;
using test::Mouse;

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFonts();  // the program's font substitutes, as at start
    ctx.registry = &registry;
    ctx.files = &files;
    ctx.desktop = &desktop;
    ctx.messages = &messages;
    Open();
  }
  // The box as the program makes it: loaded on first reference.
  void Open() {
    windows.Ref(kWindow);
    window = dynamic_cast<AboutWindow*>(windows.Loaded(kWindow));
  }

  template <typename T = QWidget>
  T* Child(const char* name) {
    T* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLabel* Label(const char* name) { return Child<QLabel>(name); }
  void ShowLoaded() { windows.Show(kWindow); }

  test::FakeRegistry registry;
  test::FakeFileSystem files;
  test::FakeDesktop desktop;
  test::FakeMessageBox messages;
  AppContext ctx;
  WindowRegistry windows{
      QtFrontEnd([this](WindowId) -> FramoraWindow* { return new AboutWindow(ctx, &windows); })};
  QPointer<AboutWindow> window;
};

TEST_F(AboutWindowTest, LoadWritesCaptionVersionAndTitleOnly) {
  window->Load();
  EXPECT_EQ(window->windowTitle(), "About Framora audio converter");
  EXPECT_EQ(window->Text(lblVersion), "Version 1.0.0");
  EXPECT_EQ(window->Text(lblTitle), "Framora audio converter");
  EXPECT_EQ(window->Text(lblDescription), "App Description");
}

TEST_F(AboutWindowTest, OpenersTextsStayAfterLoad) {
  window->Load();
  window->SetText(lblVersion, "Version 1.0");
  window->SetText(lblDescription, identity::kDescription);
  window->show();
  EXPECT_EQ(window->Text(lblVersion), "Version 1.0");
  EXPECT_EQ(window->Text(lblDescription), identity::kDescription);
}

TEST_F(AboutWindowTest, TextsAreNotCutOff) {
  ShowLoaded();
  Label("lblDescription")->setText(identity::kDescription);  // as the menu writes it
  for (const char* name : {"lblDescription", "lblDisclaimer", "Label1", "lblTitle", "lblVersion"}) {
    const auto [inside, outside] = test::InkInsideAndOutside(Label(name));
    EXPECT_GT(inside, 0) << name << " shows nothing";
    EXPECT_EQ(outside, 0) << name << " is cut off";
  }
  EXPECT_TRUE(Label("lblDescription")->wordWrap());
}

TEST_F(AboutWindowTest, EnterAndEscCloseTheBoxWhereverTheFocusIs) {
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    for (const char* focus : {"cmdOK", "picIcon"}) {
      Open();
      ShowLoaded();
      QWidget* target = Child(focus);
      target->setFocus();
      Key(target, key);
      EXPECT_TRUE(window->IsClosed()) << key << " on " << focus;
      EXPECT_TRUE(window->isHidden());
    }
  }
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(AboutWindowTest, OkDestroysTheBox) {
  ShowLoaded();
  Child<QPushButton>("cmdOK")->click();
  EXPECT_TRUE(window->IsClosed());
  EXPECT_FALSE(windows.IsLoaded(kWindow));
  QCoreApplication::processEvents();  // where closed windows are destroyed
  EXPECT_TRUE(window.isNull());
}

TEST_F(AboutWindowTest, SysInfoWithoutToolShowsTheMessageAndStaysOpen) {
  ShowLoaded();
  Child<QPushButton>("cmdSysInfo")->click();
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "System Information Is Unavailable At This Time");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::None);
  EXPECT_EQ(messages.shown[0].title, "Framora audio converter");
  EXPECT_FALSE(window->IsClosed());
  EXPECT_TRUE(window->isVisible());
}

TEST_F(AboutWindowTest, SysInfoStartsTheRegisteredToolAndStaysOpen) {
  registry.SetString(kHKeyLocalMachine, "SOFTWARE\\Microsoft\\Shared Tools\\MSINFO", "PATH",
                     "C:\\msinfo32.exe");
  ShowLoaded();
  QWidget* sysInfo = Child("cmdSysInfo");
  sysInfo->setFocus();
  Key(sysInfo, Qt::Key_Return);  // Enter on the focused button presses that button
  ASSERT_EQ(desktop.started.size(), 1u);
  EXPECT_EQ(desktop.started[0].path, "C:\\msinfo32.exe");
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_FALSE(window->IsClosed());
  EXPECT_EQ(registry.OpenKeys(), 0u);
}

// A desktop's tool: answers --list as FAKE_PANELS says, else notes how it was started (name,
// arguments, standard handles, whether it leads its own session) and its process id.
constexpr const char* kFakeTool = R"(#!/bin/sh
PATH=/usr/bin:/bin
if [ "$1" = --list ]; then
  case $FAKE_PANELS in fail) exit 1 ;; hang) sleep 600 ;; esac
  printf %s "$FAKE_PANELS" && exit
fi
read -r _ _ _ _ _ sid _ </proc/$$/stat
line=${0##*/}
for word; do line="$line $word"; done
echo "$line [$(readlink /proc/$$/fd/[012] | tr '\n' ' ')$((sid == $$))] $$" >"$FAKE_RECORD.part"
mv "$FAKE_RECORD.part" "$FAKE_RECORD"
)";

struct SysInfoCase {
  const char* what;
  const char* desktop;             // XDG_CURRENT_DESKTOP; nullptr: not set
  std::vector<std::string> tools;  // on PATH; a last '!': broken interpreter line, '?': none,
                                   // '-': not executable
  const char* panels;              // what gnome-control-center --list prints
  std::string started;             // the tool and its arguments; empty: the message
};

TEST_F(AboutWindowTest, SysInfoStartsTheDesktopsOwnToolFromPath) {
  const std::vector<std::string> all{"hardinfo", "xfce4-about", "gnome-control-center",
                                     "kinfocenter"};
  const SysInfoCase cases[] = {
      {"KDE", "KDE", all, "", "kinfocenter"},
      {"GNOME in a list", "ubuntu:GNOME", all, "Available panels:\n\tbackground\n\tinfo-overview\n",
       "gnome-control-center info-overview"},
      {"Xfce", "XFCE", all, "", "xfce4-about"},
      {"unknown desktop", "LXQt", {"hardinfo", "xfce4-about"}, "", "xfce4-about"},
      {"no desktop, About page preferred",
       nullptr,
       {"hardinfo", "gnome-control-center"},
       "\tsystem  System\n\tabout\n",
       "gnome-control-center about"},
      {"own tool missing",
       "KDE",
       {"hardinfo", "gnome-control-center"},
       "  system\n",
       "gnome-control-center system"},
      {"--list fails", "GNOME", {"hardinfo", "gnome-control-center"}, "fail", "hardinfo"},
      {"--list has no About page",
       "GNOME",
       {"hardinfo", "gnome-control-center"},
       "\tinfo-x\n",
       "hardinfo"},
      {"--list never ends", "GNOME", {"hardinfo", "gnome-control-center"}, "hang", "hardinfo"},
      {"not executable", "KDE", {"kinfocenter-", "xfce4-about"}, "", "xfce4-about"},
      {"broken interpreter line", "KDE", {"kinfocenter!", "xfce4-about"}, "", ""},
      {"no interpreter line", "XFCE", {"xfce4-about?"}, "", ""},
      {"nothing found", "KDE", {}, "", ""},
  };
  posix::PosixRegistry realRegistry;
  QtDesktop realDesktop;
  ctx.registry = &realRegistry;
  ctx.desktop = &realDesktop;
  Child<QPushButton>("cmdOK")->click();  // the box takes its ports when it is made
  Open();
  ShowLoaded();
  const int descriptors = test::OpenDescriptorCount();
  for (const SysInfoCase& c : cases) {
    SCOPED_TRACE(c.what);
    // Blanks, quotes and backslashes in the tool's path travel through the registry text too.
    const std::string folder = test::MakeTempDir("tools \"on\" \\path");
    for (std::string tool : c.tools) {
      const char kind =
          std::string_view("!?-").find(tool.back()) == std::string::npos ? ' ' : tool.back();
      if (kind != ' ') tool.pop_back();
      std::ofstream(folder + "/" + tool) << (kind == '!'   ? "#!/no/such/sh\n"
                                             : kind == '?' ? "exit 0\n"
                                                           : kFakeTool);
      std::filesystem::permissions(folder + "/" + tool, kind == '-'
                                                            ? std::filesystem::perms::owner_read
                                                            : std::filesystem::perms::owner_all);
    }
    const std::string record = folder + "/record";
    test::ScopedEnv path("PATH", folder.c_str()), desktop("XDG_CURRENT_DESKTOP", c.desktop),
        panels("FAKE_PANELS", c.panels), recordEnv("FAKE_RECORD", record.c_str());
    messages.shown.clear();
    Child<QPushButton>("cmdSysInfo")->click();
    EXPECT_FALSE(window->IsClosed());
    if (c.started.empty()) {
      ASSERT_EQ(messages.shown.size(), 1u);
      EXPECT_EQ(messages.shown[0].prompt, "System Information Is Unavailable At This Time");
      EXPECT_FALSE(std::filesystem::exists(record));
      continue;
    }
    EXPECT_TRUE(messages.shown.empty());
    ASSERT_TRUE(test::WaitUntil([&] { return std::filesystem::exists(record); }));
    std::string line;
    std::getline(std::ifstream(record), line);
    const std::size_t pid = line.rfind(' ');
    EXPECT_EQ(line.substr(0, pid), c.started + " [/dev/null /dev/null /dev/null 1]");
    // Detached, yet reaped once it has ended.
    EXPECT_TRUE(test::WaitUntil([&] { return test::IsGone(std::stoi(line.substr(pid + 1))); }));
  }
  EXPECT_TRUE(test::OurZombies().empty());
  EXPECT_EQ(test::OpenDescriptorCount(), descriptors);
}

TEST_F(AboutWindowTest, LinkOpensTheHomePageOncePerClick) {
  ShowLoaded();
  QLabel* link = Label("Label1");
  Click(link);
  Click(link);
  // A double click: one click, and the second press adds none.
  Click(link);
  Mouse(link, QEvent::MouseButtonDblClick, link->rect().center(), Qt::LeftButton);
  Mouse(link, QEvent::MouseButtonRelease, link->rect().center(), Qt::LeftButton);
  ASSERT_EQ(desktop.openedUrls.size(), 3u);
  for (const auto& url : desktop.openedUrls) EXPECT_EQ(url, identity::kHomeUrl);
  EXPECT_FALSE(window->IsClosed());
}

TEST_F(AboutWindowTest, OnlyALeftClickOnTheLinkCounts) {
  ShowLoaded();
  QLabel* link = Label("Label1");
  Click(link, Qt::RightButton);
  // Pressed on the link but let go elsewhere: no click.
  Mouse(link, QEvent::MouseButtonPress, link->rect().center(), Qt::LeftButton);
  Mouse(link, QEvent::MouseButtonRelease, QPoint(-20, -20), Qt::LeftButton);
  Click(Label("lblDisclaimer"));
  Click(Label("lblTitle"));
  EXPECT_TRUE(desktop.openedUrls.empty());
}

}  // namespace
}  // namespace framora::qt
