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

namespace framora::qt {
namespace {

int Px(int twips) { return FramoraWindow::Twips(twips); }

void Mouse(QWidget* target, QEvent::Type type, QPoint at, Qt::MouseButton button) {
  const QPointF global = target->mapToGlobal(QPointF(at));
  QMouseEvent event(type, QPointF(at), global, button,
                    type == QEvent::MouseButtonRelease ? Qt::NoButton : button, Qt::NoModifier);
  QApplication::sendEvent(target, &event);
}

void Click(QWidget* target, QPoint at) {
  Mouse(target, QEvent::MouseButtonPress, at, Qt::LeftButton);
  Mouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton);
}

// What a double click delivers: press, release, double click, release.
void DoubleClick(QWidget* target, QPoint at) {
  Click(target, at);
  Mouse(target, QEvent::MouseButtonDblClick, at, Qt::LeftButton);
  Mouse(target, QEvent::MouseButtonRelease, at, Qt::LeftButton);
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

class DonateWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    InstallFonts();  // the program's font substitutes, as at start
    ctx.desktop = &desktop;
    window = new DonateWindow(ctx);
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

TEST_F(DonateWindowTest, IsAFixedDialogWithItsCaption) {
  EXPECT_EQ(window->objectName(), "frmDonate");
  EXPECT_EQ(window->windowTitle(), "Framora audio converter - donate");
  EXPECT_EQ(window->size(), QSize(Px(8310), Px(2805)));
  EXPECT_EQ(window->minimumSize(), window->maximumSize());
  EXPECT_EQ(window->windowType(), Qt::Dialog);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMinimizeButtonHint);
  EXPECT_FALSE(window->windowFlags() & Qt::WindowMaximizeButtonHint);
}

TEST_F(DonateWindowTest, AppealIsShownWhole) {
  QLabel* label1 = Label("Label1");
  // At its place; it may run taller than placed (substitute fonts), but not onto the picture.
  EXPECT_EQ(label1->pos(), QPoint(Px(360), Px(240)));
  EXPECT_EQ(label1->width(), Px(7575));
  EXPECT_GE(label1->height(), Px(1335));
  EXPECT_LT(label1->geometry().bottom(), Label("Image1")->y());
  EXPECT_EQ(label1->text().toStdString(), kDonateAppeal);
  EXPECT_EQ(label1->textFormat(), Qt::PlainText);
  EXPECT_TRUE(label1->wordWrap());
  EXPECT_DOUBLE_EQ(label1->font().pointSizeF(), 12.0);
  EXPECT_EQ(label1->font().weight(), QFont::Normal);
  EXPECT_FALSE(label1->font().underline());
  // Wrapped at word boundaries within its width, the whole text shows.
  const Ink ink = InkOf(label1);
  EXPECT_GT(ink.inside, 0);
  EXPECT_EQ(ink.outside, 0);
}

TEST_F(DonateWindowTest, PictureIsTheDonateButton) {
  QLabel* image1 = Label("Image1");
  EXPECT_EQ(image1->geometry(), QRect(Px(5280), Px(1800), 179, 51));
  EXPECT_EQ(image1->pixmap().size(), QSize(179, 51));
}

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
