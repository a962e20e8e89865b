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
#include "info/registry.h"
#include "qt/wrap_button.h"

namespace framora::qt {
namespace {

int Px(int twips) { return FramoraWindow::Twips(twips); }
QRect TwipsRect(int left, int top, int width, int height) {
  return QRect(Px(left), Px(top), Px(width), Px(height));
}

void Key(QWidget* target, int key) {
  QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
  QApplication::sendEvent(target, &press);
  QKeyEvent release(QEvent::KeyRelease, key, Qt::NoModifier);
  QApplication::sendEvent(target, &release);
}

void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const QPointF global = target->mapToGlobal(QPointF(at));
  QMouseEvent event(type, QPointF(at), global, button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, Qt::MouseButton button = Qt::LeftButton) {
  const QPoint centre = target->rect().center();
  Mouse(target, QEvent::MouseButtonPress, centre, button);
  Mouse(target, QEvent::MouseButtonRelease, centre, button);
}

// Dark pixels (text) that the label draws inside and outside its placed size once given
// more room: ink outside is text that the placed label cuts off. A wrapping label only gets
// more height, so that its lines stay as they are.
struct Ink {
  int inside = 0;
  int outside = 0;
};

Ink InkOf(QLabel* label) {
  const QSize placed = label->size();
  label->resize(placed.width() * (label->wordWrap() ? 1 : 2), placed.height() * 2);
  const QImage image = label->grab().toImage();
  label->resize(placed);
  Ink ink;
  for (int y = 0; y < image.height(); ++y) {
    for (int x = 0; x < image.width(); ++x) {
      if (qGray(image.pixel(x, y)) >= 160) continue;
      ++(x < placed.width() && y < placed.height() ? ink.inside : ink.outside);
    }
  }
  return ink;
}

class AboutWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFonts();  // the program's font substitutes, as at start
    ctx.registry = &registry;
    ctx.files = &files;
    ctx.desktop = &desktop;
    ctx.messages = &messages;
    window = new AboutWindow(ctx);
  }
  // Closing schedules the window's destruction; whatever is left goes here.
  void TearDown() override { delete window.data(); }

  template <typename T = QWidget>
  T* Child(const char* name) {
    T* w = window->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QLabel* Label(const char* name) { return Child<QLabel>(name); }
  void ShowLoaded() {
    window->Load();
    window->show();
  }

  test::FakeRegistry registry;
  test::FakeFileSystem files;
  test::FakeDesktop desktop;
  test::FakeMessageBox messages;
  AppContext ctx;
  QPointer<AboutWindow> window;
};

TEST_F(AboutWindowTest, IsAFixedDialogOfTheClientSize) {
  EXPECT_EQ(window->objectName(), "frmAbout");
  EXPECT_EQ(window->size(), QSize(Px(5730), Px(3555)));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  const Qt::WindowFlags flags = window->windowFlags();
  EXPECT_EQ(window->windowType(), Qt::Dialog);
  EXPECT_FALSE(flags & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(flags & Qt::WindowMaximizeButtonHint);
  EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
  EXPECT_FALSE(window->windowIcon().isNull());
  EXPECT_TRUE(window->windowIcon().availableSizes().contains(QSize(16, 16)));
}

TEST_F(AboutWindowTest, ControlsSitAtTheirPlaces) {
  EXPECT_EQ(Label("lblTitle")->geometry(), TwipsRect(1050, 240, 3885, 480));
  EXPECT_EQ(Label("lblVersion")->geometry(), TwipsRect(1050, 780, 3885, 225));
  EXPECT_EQ(Label("lblDescription")->geometry(), TwipsRect(1050, 1125, 3885, 1170));
  EXPECT_EQ(Child("cmdOK")->geometry(), TwipsRect(4245, 2625, 1260, 345));
  EXPECT_EQ(Child("cmdSysInfo")->geometry(), TwipsRect(4260, 3075, 1245, 345));
  EXPECT_EQ(Label("lblDisclaimer")->geometry(), TwipsRect(255, 2625, 1350, 345));
  EXPECT_EQ(Label("Label1")->geometry(), TwipsRect(1680, 2640, 1455, 255));
  // The logo box takes its 45 x 45 picture's size at its corner.
  QLabel* picIcon = Label("picIcon");
  EXPECT_EQ(picIcon->geometry(), QRect(Px(120), Px(120), 45, 45));
  EXPECT_EQ(picIcon->pixmap().size(), QSize(45, 45));
}

TEST_F(AboutWindowTest, StoredTextsAreShownAsPlainText) {
  EXPECT_EQ(window->windowTitle(), "About MyApp");
  EXPECT_EQ(Label("lblTitle")->text(), "Application Title");
  EXPECT_EQ(Label("lblVersion")->text(), "Version");
  EXPECT_EQ(Label("lblDescription")->text(), "App Description");
  EXPECT_EQ(Child<QPushButton>("cmdOK")->text(), "OK");
  EXPECT_EQ(Child<QPushButton>("cmdSysInfo")->text(), "&System Info...");
  EXPECT_FALSE(Label("lblDisclaimer")->text().isEmpty());
  EXPECT_EQ(Label("Label1")->text().toStdString(), HomeLinkText());
  for (const char* name : {"lblTitle", "lblVersion", "lblDescription", "lblDisclaimer", "Label1"})
    EXPECT_EQ(Label(name)->textFormat(), Qt::PlainText) << name;
}

TEST_F(AboutWindowTest, LoadWritesCaptionVersionAndTitleOnly) {
  window->Load();
  EXPECT_EQ(window->windowTitle(), "About Framora audio converter");
  EXPECT_EQ(window->Text("lblVersion"), "Version 1.0.0");
  EXPECT_EQ(window->Text("lblTitle"), "Framora audio converter");
  EXPECT_EQ(window->Text("lblDescription"), "App Description");
}

TEST_F(AboutWindowTest, OpenersTextsStayAfterLoad) {
  window->Load();
  window->SetText("lblVersion", "Version 1.0");
  window->SetText("lblDescription", identity::kDescription);
  window->show();
  EXPECT_EQ(window->Text("lblVersion"), "Version 1.0");
  EXPECT_EQ(window->Text("lblDescription"), identity::kDescription);
}

TEST_F(AboutWindowTest, LinkAndLabelsHaveTheirColoursAndFont) {
  EXPECT_EQ(Label("lblTitle")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_EQ(Label("lblDescription")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  EXPECT_EQ(Label("lblDisclaimer")->palette().color(QPalette::WindowText), QColor(0, 0, 0));
  QLabel* link = Label("Label1");
  EXPECT_EQ(link->palette().color(QPalette::WindowText), QColor(0, 0, 255));
  EXPECT_TRUE(link->font().underline());
  EXPECT_EQ(link->font().weight(), QFont::Normal);
  EXPECT_DOUBLE_EQ(link->font().pointSizeF(), 8.25);
}

TEST_F(AboutWindowTest, TextsAreNotCutOff) {
  ShowLoaded();
  Label("lblDescription")->setText(identity::kDescription);  // as the menu writes it
  for (const char* name : {"lblDescription", "lblDisclaimer", "Label1", "lblTitle", "lblVersion"}) {
    const Ink ink = InkOf(Label(name));
    EXPECT_GT(ink.inside, 0) << name << " shows nothing";
    EXPECT_EQ(ink.outside, 0) << name << " is cut off";
  }
  EXPECT_TRUE(Label("lblDescription")->wordWrap());
}

TEST_F(AboutWindowTest, SeparatorIsAGreyLineOverAWhiteOne) {
  ShowLoaded();
  const QImage image = window->grab().toImage();
  for (int x : {Px(120), Px(2800), Px(5600)}) {
    EXPECT_EQ(image.pixelColor(x, Px(2445)), QColor(128, 128, 128)) << x;
    EXPECT_EQ(image.pixelColor(x, Px(2460)), QColor(255, 255, 255)) << x;
    EXPECT_EQ(image.pixelColor(x, Px(2460) + 1), QColor(255, 255, 255)) << x;
    EXPECT_NE(image.pixelColor(x, Px(2445) - 1), QColor(128, 128, 128)) << x;
  }
  // Both lines end at the same right end; the white one starts a pixel later.
  EXPECT_EQ(image.pixelColor(Px(90), Px(2445)), QColor(128, 128, 128));
  EXPECT_NE(image.pixelColor(Px(90), Px(2460)), QColor(255, 255, 255));
  EXPECT_NE(image.pixelColor(Px(5654) + 1, Px(2445)), QColor(128, 128, 128));
}

TEST_F(AboutWindowTest, FocusMovesFromOkToPictureToSysInfo) {
  ShowLoaded();
  auto* ok = Child("cmdOK");
  auto* picture = Child("picIcon");
  auto* sysInfo = Child("cmdSysInfo");
  EXPECT_EQ(window->focusWidget(), ok);
  Key(ok, Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), picture);
  Key(picture, Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), sysInfo);
  Key(sysInfo, Qt::Key_Tab);
  EXPECT_EQ(window->focusWidget(), ok);
}

TEST_F(AboutWindowTest, EnterAndEscCloseTheBoxWhereverTheFocusIs) {
  for (int key : {Qt::Key_Return, Qt::Key_Enter, Qt::Key_Escape}) {
    for (const char* focus : {"cmdOK", "picIcon"}) {
      delete window.data();
      window = new AboutWindow(ctx);
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
  QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
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
