// Every window of the Qt front-end, built from its description and checked against it: the
// window's name, caption, size, border and icon, each control's kind, name, place, text, font,
// colours, focus and tab order, the menu, and what the screen shows of labels and lines.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFontDatabase>
#include <QFontInfo>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QProgressBar>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <algorithm>
#include <map>
#include <memory>
#include <vector>

#include "console/console_form.h"
#include "console/queue_done.h"
#include "fakes/fake_ports.h"
#include "info/about_form.h"
#include "info/donate_form.h"
#include "main_window/main_form.h"
#include "main_window/songs_question.h"
#include "qt/about_window.h"
#include "qt/console_pane_view.h"
#include "qt/console_window.h"
#include "qt/donate_window.h"
#include "qt/main_window.h"
#include "qt/modal_window.h"
#include "qt/qt_text.h"
#include "qt/wrap_button.h"
#include "support/qt_input.h"

namespace framora::qt {
namespace {

QRect Placed(const TwipsRect& r) {
  return {FramoraWindow::Twips(r.left), FramoraWindow::Twips(r.top), FramoraWindow::Twips(r.width),
          FramoraWindow::Twips(r.height)};
}

class Forms : public ::testing::TestWithParam<const FormDesign*> {
 protected:
  void SetUp() override {
    InstallFonts();  // the program's font substitutes, as at start
    // Built as designed, before any load step changes a text.
    switch (GetParam()->id) {
      case WindowId::Form1:
        window.reset(new QtMainWindow(ctx, nullptr));
        break;
      case WindowId::frmReadOutput:
        window.reset(new ConsoleWindow(ctx, nullptr));
        break;
      case WindowId::frmAbout:
        window.reset(new AboutWindow(ctx, nullptr));
        break;
      case WindowId::frmDonate:
        window.reset(new DonateWindow(ctx, nullptr));
        break;
      case WindowId::frmSongsQuestion:
        window.reset(new ModalWindow(
            form(), [&](auto& v, auto& f) { return TargetOf(question.emplace(v, f, 2, true)); },
            nullptr));
        break;
      case WindowId::frmQueueDone:
        window.reset(new ModalWindow(
            form(),
            [&](auto& v, auto& f) {
              return TargetOf(done.emplace(v, f, desktop, messages, console::QueueDone{}));
            },
            nullptr));
        break;
    }
    window->show();
  }
  const FormDesign& form() const { return *GetParam(); }
  QWidget* Found(const ControlDesign& control) const {
    const auto all = window->findChildren<QWidget*>(Q(control.name));
    EXPECT_EQ(all.size(), 1) << control.name;
    return all.value(0);
  }

  test::FakePorts fakes;
  AppContext& ctx = fakes.ctx;
  std::optional<SongsQuestionLogic> question;
  std::optional<console::QueueDoneLogic> done;
  test::FakeDesktop desktop;
  test::FakeMessageBox messages;
  std::unique_ptr<FramoraWindow> window;
};

TEST_P(Forms, TheWindowIsAsDesigned) {
  EXPECT_EQ(S(window->objectName()), form().name);
  EXPECT_EQ(S(window->windowTitle()), form().caption);
  EXPECT_EQ(window->Text(WindowItself(form().id)), form().caption);
  const QSize client(FramoraWindow::Twips(form().clientWidth),
                     FramoraWindow::Twips(form().clientHeight));
  auto* area = form().menu.empty() ? window.get() : window->findChild<QWidget*>("client");
  ASSERT_NE(area, nullptr);
  EXPECT_EQ(area->size(), client);
  const Qt::WindowFlags flags = window->windowFlags();
  switch (form().border) {
    case BorderKind::Sizable:
      EXPECT_EQ(window->windowType(), Qt::Window);
      EXPECT_NE(window->minimumSize(), window->maximumSize());
      break;
    case BorderKind::FixedDialog:
    case BorderKind::FixedToolWindow:
      EXPECT_EQ(window->windowType(),
                form().border == BorderKind::FixedDialog ? Qt::Dialog : Qt::Tool);
      EXPECT_EQ(window->minimumSize(), window->maximumSize());
      EXPECT_FALSE(flags & (Qt::WindowMinimizeButtonHint | Qt::WindowMaximizeButtonHint));
      EXPECT_TRUE(flags & Qt::WindowCloseButtonHint);
      break;
  }
  const QImage icon = window->windowIcon().pixmap(32, 32).toImage();
  const char* drawn =
      form().icon == IconKind::Console ? ":/images/console-icon.png" : ":/images/app-icon-32.png";
  EXPECT_EQ(icon, QImage(drawn).convertToFormat(icon.format()));
  if (form().back != kWindowColor) {
    EXPECT_TRUE(window->autoFillBackground());
    EXPECT_EQ(window->palette().color(QPalette::Window), ToQColor(form().back));
  }
}

TEST_P(Forms, EachControlIsAsDesigned) {
  for (const ControlDesign& c : form().controls) {
    SCOPED_TRACE(std::string(c.name));
    QWidget* w = Found(c);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(window->Widget(c.id), w);
    auto* label = qobject_cast<QLabel*>(w);
    switch (c.kind) {
      case ControlKind::Button:
        ASSERT_NE(qobject_cast<QAbstractButton*>(w), nullptr);
        EXPECT_EQ(qobject_cast<QPushButton*>(w)->isDefault(), c.isDefault);
        break;
      case ControlKind::TextBox:
        ASSERT_NE(qobject_cast<QLineEdit*>(w), nullptr);
        EXPECT_FALSE(qobject_cast<QLineEdit*>(w)->isReadOnly());
        break;
      case ControlKind::Label:
      case ControlKind::LinkLabel:
        ASSERT_NE(label, nullptr);
        EXPECT_EQ(label->textFormat(), Qt::PlainText);
        EXPECT_EQ(label->wordWrap(), c.wordWrap);
        break;
      case ControlKind::Picture:
        ASSERT_NE(label, nullptr);
        EXPECT_FALSE(label->pixmap().isNull());
        break;
      case ControlKind::Pane:
        EXPECT_NE(qobject_cast<ConsolePaneView*>(w), nullptr);
        break;
      case ControlKind::Line:
        break;
      case ControlKind::ComboBox:
        ASSERT_NE(qobject_cast<QComboBox*>(w), nullptr);
        EXPECT_EQ(static_cast<std::size_t>(qobject_cast<QComboBox*>(w)->count()), c.items.size());
        break;
      case ControlKind::ProgressBar:
        ASSERT_NE(qobject_cast<QProgressBar*>(w), nullptr);
        break;
    }
    const QRect placed = Placed(c.rect);
    if (c.autoSize) {
      EXPECT_EQ(w->geometry(), QRect(placed.topLeft(), label->pixmap().size()));
    } else if (c.kind == ControlKind::Label && c.wordWrap && w->height() > placed.height()) {
      // Grown down to the text of a taller look-alike font, never onto another control.
      EXPECT_EQ(w->geometry().topLeft(), placed.topLeft());
      EXPECT_EQ(w->width(), placed.width());
      for (const ControlDesign& other : form().controls) {
        if (&other == &c) continue;
        EXPECT_FALSE(w->geometry().intersects(Placed(other.rect))) << other.name;
      }
    } else {
      EXPECT_EQ(w->geometry(), placed);
    }
    if (c.kind != ControlKind::Pane && c.kind != ControlKind::Line &&
        c.kind != ControlKind::Picture) {
      EXPECT_EQ(window->Text(c.id), c.kind == ControlKind::ComboBox ? c.items[0] : c.text);
    }
    EXPECT_EQ(TakesFocus(c), (w->focusPolicy() & Qt::TabFocus) != 0);

    if (!c.font.face.empty()) {
      // The face asked for, or an installed look-alike where it is missing.
      EXPECT_EQ(S(w->font().family()), c.font.face);
      EXPECT_TRUE(QFontDatabase::families().contains(QFontInfo(w->font()).family()));
      EXPECT_LE(w->font().pointSizeF(), c.font.points);
      EXPECT_GE(w->font().pointSizeF(), c.font.points - 4) << "narrowed to fit, a little";
      EXPECT_EQ(w->font().bold(), c.font.bold);
      EXPECT_EQ(w->font().underline(), c.font.underline);
    } else {
      EXPECT_EQ(w->font(), QApplication::font(w)) << "the window's default font";
    }
    // What a screen reader calls it: named (by its label, or by what it is for), in its role.
    if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(w);
        c.kind != ControlKind::Line) {
      ASSERT_NE(a, nullptr);
      // A drop-down list is named by its label through their relation, its own name being what
      // is chosen (AT-SPI's way).
      if (const std::string name = AccessibleName(form(), c);
          !name.empty() && c.kind != ControlKind::ComboBox) {
        EXPECT_EQ(S(a->text(QAccessible::Name)), name);
      }
      EXPECT_TRUE(!TakesFocus(c) || !a->text(QAccessible::Name).isEmpty()) << "unnamed";
      static const std::map<AccessibleRole, QAccessible::Role> kRoles = {
          {AccessibleRole::Button, QAccessible::Button},
          {AccessibleRole::Text, QAccessible::EditableText},
          {AccessibleRole::StaticText, QAccessible::StaticText},
          {AccessibleRole::Link, QAccessible::Link},
          {AccessibleRole::Graphic, QAccessible::Graphic},
          {AccessibleRole::Output, QAccessible::EditableText},
          {AccessibleRole::ComboBox, QAccessible::ComboBox},
          {AccessibleRole::ProgressBar, QAccessible::ProgressBar}};
      EXPECT_EQ(a->role(), kRoles.at(RoleOf(c)));
    }
    const bool box = c.kind == ControlKind::TextBox || c.kind == ControlKind::Pane;
    if (c.back != kWindowColor) {
      EXPECT_EQ(w->palette().color(box ? QPalette::Base : QPalette::Window), ToQColor(c.back));
      EXPECT_TRUE(box || w->autoFillBackground());
    }
    if (c.fore != kWindowColor && c.kind != ControlKind::Line) {
      EXPECT_EQ(w->palette().color(box ? QPalette::Text : QPalette::WindowText), ToQColor(c.fore));
    }
  }
}

TEST_P(Forms, ControlsAreMadeInTheOrderBothFrontEndsShare) {
  std::vector<std::string> made;
  for (QObject* child : window->Widget(form().controls.front().id)->parentWidget()->children()) {
    if (!child->objectName().isEmpty()) made.push_back(S(child->objectName()));
  }
  std::vector<std::string> designed;
  for (const ControlDesign* c : CreationOrder(form())) designed.emplace_back(c->name);
  EXPECT_EQ(made, designed);
}

TEST_P(Forms, FocusMovesInTabOrder) {
  const std::vector<const ControlDesign*> designed = FocusOrder(form());
  if (designed.empty()) return;  // nothing in the window takes the focus
  EXPECT_EQ(window->focusWidget(), window->Widget(designed.front()->id)) << "focus starts first";
  QWidget* w = window->Widget(designed.front()->id);
  for (std::size_t i = 0; i <= designed.size(); ++i) {
    EXPECT_EQ(S(w->objectName()), designed[i % designed.size()]->name) << i;
    do {
      w = w->nextInFocusChain();
    } while (!(w->focusPolicy() & Qt::TabFocus));
  }
}

TEST_P(Forms, TheMenuIsAsDesigned) {
  QMenu* menu = nullptr;
  int position = 0;
  for (const MenuItemDesign& item : form().menu) {
    SCOPED_TRACE(std::string(item.name));
    if (item.level == 0) {
      menu = window->findChild<QMenu*>(Q(item.name));
      ASSERT_NE(menu, nullptr);
      EXPECT_EQ(S(menu->title()), item.caption);
      position = 0;
      continue;
    }
    ASSERT_NE(menu, nullptr);
    QAction* action = menu->actions().value(position++);
    ASSERT_NE(action, nullptr);
    EXPECT_EQ(S(action->objectName()), item.name);
    EXPECT_EQ(action, window->MenuItem(item.id));
    EXPECT_EQ(action->isSeparator(), item.caption == "-");
    if (!action->isSeparator()) {
      EXPECT_EQ(S(action->text()), item.caption);
    }
    EXPECT_TRUE(action->shortcut().isEmpty());
  }
  if (menu != nullptr) {
    EXPECT_EQ(position, menu->actions().size());
  }
}

TEST_P(Forms, LabelsShowTheirWholeTextAndLinesTheirColour) {
  const QImage screen = window->grab().toImage();
  for (const ControlDesign& c : form().controls) {
    SCOPED_TRACE(std::string(c.name));
    auto* label = qobject_cast<QLabel*>(window->Widget(c.id));
    // Dark text on the window's face: none of it may be cut off.
    if (label != nullptr && !c.text.empty() && c.back == kWindowColor) {
      const auto [inside, outside] = test::InkInsideAndOutside(label);
      EXPECT_GT(inside, 0) << "shows nothing";
      EXPECT_EQ(outside, 0) << "is cut off";
    }
    if (c.kind == ControlKind::Line) {
      const QRect line = window->Widget(c.id)->geometry();
      for (int x : {line.left(), line.center().x(), line.right()}) {
        for (int y = line.top(); y <= line.bottom(); ++y) {
          EXPECT_EQ(screen.pixelColor(x, y), ToQColor(c.fore)) << x << "," << y;
        }
      }
      EXPECT_NE(screen.pixelColor(line.right() + 2, line.top()), ToQColor(c.fore));
    }
  }
}

INSTANTIATE_TEST_SUITE_P(EveryWindow, Forms,
                         ::testing::Values(&main_form::Form(), &console_form::Form(),
                                           &about_form::Form(), &donate_form::Form(),
                                           &songs_question_form::Form(),
                                           &console::queue_done_form::Form()),
                         [](const auto& info) { return std::string(info.param->name); });

// The songs question, modal, answered by keys (none: the close box); Tab passes a hidden album.
TEST(SongsQuestionWindow, AsksModallyAndTheKeysAnswer) {
  using enum SongsAnswer;
  const std::tuple<bool, const char*, SongsAnswer> cases[] = {
      {true, "Return", Each},       {true, "Esc", Cancel}, {true, "Alt+A", Album},
      {true, "Tab, Return", Album}, {true, "", Cancel},    {false, "Tab, Tab, Return", Each}};
  QtModal modal;
  for (const auto& [albumOffered, keys, answer] : cases) {
    QTimer::singleShot(0, [&] {
      auto* asking = qobject_cast<ModalWindow*>(QApplication::activeModalWidget());
      ASSERT_TRUE(asking &&
                  QTest::qWaitFor([&] { return QApplication::activeWindow() == asking; }));
      QTest::keySequence(asking->windowHandle(), QKeySequence(keys));
      const auto buttons = asking->findChildren<QPushButton*>();  // an access key's, held down
      if (std::any_of(buttons.begin(), buttons.end(), [](auto* b) { return b->isDown(); })) {
        EXPECT_TRUE(QTest::qWaitFor([&] { return asking->IsClosed(); }));
      }
      asking->close();
    });
    EXPECT_EQ(AskSongs(modal, 200, albumOffered), answer) << keys;
  }
}

}  // namespace
}  // namespace framora::qt
