#include "qt/donate_window.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QFont>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
#include <QPointer>
#include <QRgb>

#include "app/identity.h"
#include "fakes/fake_desktop.h"
#include "info/donate.h"
#include "qt/wrap_button.h"
#include "support/qt_input.h"

namespace framora::qt {
namespace {

using test::Click;
using test::DoubleClick;
using test::Mouse;

int Px(int twips) { return FramoraWindow::Twips(twips); }

class DonateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFonts();  // the program's font substitutes, as at start
    ctx.desktop = &desktop;
    window = new DonateWindow(ctx, nullptr);
    window->Load();
    window->show();
  }
  void TearDown() override { delete window.data(); }

  QLabel* Label(const char* name) {
    auto* w = window->findChild<QLabel*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }

  test::FakeDesktop desktop;
  AppContext ctx;
  QPointer<DonateWindow> window;
};

TEST_F(DonateWindowTest, PictureOpensTheDonationPageOncePerClickAndStaysOpen) {
  QLabel* image1 = Label("Image1");
  Click(image1, QPoint(10, 10));
  ASSERT_EQ(desktop.openedUrls.size(), 1u);
  Click(image1, image1->rect().center());
  ASSERT_EQ(desktop.openedUrls.size(), 2u);
  DoubleClick(image1, QPoint(170, 45));  // one click, then a double click that adds none
  ASSERT_EQ(desktop.openedUrls.size(), 3u);
  // Pressed on the picture but let go beside it: no click.
  Mouse(image1, QEvent::MouseButtonPress, QPoint(10, 10), Qt::LeftButton);
  Mouse(image1, QEvent::MouseButtonRelease, QPoint(200, 10), Qt::LeftButton);
  ASSERT_EQ(desktop.openedUrls.size(), 3u);
  for (const auto& url : desktop.openedUrls) EXPECT_EQ(url, identity::kDonateUrl);
  EXPECT_FALSE(window->IsClosed());
  EXPECT_TRUE(window->isVisible());
  EXPECT_TRUE(desktop.started.empty());
}

TEST_F(DonateWindowTest, NothingElseReacts) {
  Click(Label("Label1"), QPoint(20, 10));
  Click(window, QPoint(5, Px(2805) - 5));
  QLabel* image1 = Label("Image1");
  Mouse(image1, QEvent::MouseButtonPress, QPoint(10, 10), Qt::RightButton);
  Mouse(image1, QEvent::MouseButtonRelease, QPoint(10, 10), Qt::RightButton);
  for (int key : {Qt::Key_Return, Qt::Key_Escape, Qt::Key_Space}) {
    QKeyEvent press(QEvent::KeyPress, key, Qt::NoModifier);
    QApplication::sendEvent(window, &press);
  }
  EXPECT_TRUE(desktop.openedUrls.empty());
  EXPECT_FALSE(window->IsClosed());
}

}  // namespace
}  // namespace framora::qt
