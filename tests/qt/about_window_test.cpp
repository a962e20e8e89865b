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

#include "app/identity.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_registry.h"
#include "info/about.h"
#include "info/about_form.h"
#include "info/registry.h"
#include "qt/application.h"
#include "qt/wrap_button.h"
#include "support/qt_input.h"

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
