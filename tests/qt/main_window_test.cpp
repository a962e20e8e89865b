// The main window's widget: names, places, captions, tab order, menu, and its actions.
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <QAbstractItemView>
#include <QAccessible>
#include <QAction>
#include <QComboBox>
#include <QFileDialog>
#include <QFileSystemModel>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QMimeData>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QUrl>
#include <fstream>
#include <functional>

#include "app/settings.h"
#include "console/console_form.h"
#include "fakes/fake_ports.h"
#include "info/about_form.h"
#include "main_window/main_form.h"
#include "qt/about_window.h"
#include "qt/application.h"
#include "qt/console_window.h"
#include "qt/donate_window.h"
#include "qt/main_window.h"
#include "qt/qt_adapters.h"
#include "support/qt_drops.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

class MainWindowWidget : public ::testing::Test, protected test::FakePorts {
 protected:
  void SetUp() override {
    ctx.windows = &windows;
    windows.Show(WindowId::Form1);
    form = Window<QtMainWindow>(WindowId::Form1);
  }
  template <class T = FramoraWindow>
  T* Window(WindowId id) {
    return dynamic_cast<T*>(windows.Loaded(id));
  }
  template <class T>
  T* Child(const char* name) {
    T* w = form->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QAction* Item(const char* name) { return form->findChild<QAction*>(name); }

  // The program's own windows, as the main window opens them.
  WindowRegistry windows{QtFrontEnd([this](WindowId id) -> FramoraWindow* {
    switch (id) {
      case WindowId::Form1:
        return new QtMainWindow(ctx, &windows);
      case WindowId::frmReadOutput:
        return new ConsoleWindow(ctx, &windows);
      case WindowId::frmAbout:
        return new AboutWindow(ctx, &windows);
      case WindowId::frmDonate:
        return new DonateWindow(ctx, &windows);
      case WindowId::frmSongsQuestion:
      case WindowId::frmQueueDone:
        break;  // shown modally
    }
    return nullptr;
  })};
  QtMainWindow* form = nullptr;
};

TEST_F(MainWindowWidget, LoadRestoresTheSavedPaths) {
  settings.values[{kSettingsApp, kSettingsSection, kKeyAudio}] = "/music/ä b.mp3";
  windows.Ref(WindowId::Form1);  // already loaded: nothing runs again
  EXPECT_EQ(Child<QLineEdit>("Text3")->text(), "");
  form->close();
  auto& again = windows.Ref(WindowId::Form1);
  EXPECT_EQ(again.Text(main_form::Text3), "/music/ä b.mp3");
}

TEST_F(MainWindowWidget, AChooserClickStoresTheChosenPath) {
  dialog.answers = {std::string("/pics/cover.png")};
  QTest::mouseClick(Child<QPushButton>("Command2"), Qt::LeftButton);
  EXPECT_EQ(Child<QLineEdit>("Text2")->text(), "/pics/cover.png");
  EXPECT_EQ((settings.values[{kSettingsApp, kSettingsSection, kKeyImage}]), "/pics/cover.png");
}

TEST_F(MainWindowWidget, AClickRunsItsHandlerOnlyWhereTheButtonCanBeClicked) {
  auto* button = Child<QPushButton>("Command2");
  const struct {
    const char* what;
    bool enabled, hidden;
    std::size_t asked;
  } cases[] = {{"disabled", false, false, 0}, {"hidden", true, true, 0}, {"shown", true, false, 1}};
  for (const auto& c : cases) {
    dialog.requests.clear();
    button->setEnabled(c.enabled);
    button->setHidden(c.hidden);
    button->click();
    EXPECT_EQ(dialog.requests.size(), c.asked) << c.what;
  }
}

TEST_F(MainWindowWidget, ThePictureOpensTheConsoleWithTheCommandByMouseKeysOrScreenReader) {
  Child<QLineEdit>("Text1")->setText("/usr/bin/ffmpeg");
  Child<QLineEdit>("Text2")->setText("/p/a.png");
  Child<QLineEdit>("Text3")->setText("/m/a.wav");
  Child<QLineEdit>("Text4")->setText("/o/v.avi");
  auto* picture = Child<QWidget>("Picture1");
  const std::function<void()> presses[] = {
      [&] { QTest::mouseClick(picture, Qt::LeftButton); },
      [&] { QTest::keyClick(picture, Qt::Key_Space); },
      [&] { QTest::keyClick(picture, Qt::Key_Return); },
      [&] {
        QAccessible::queryAccessibleInterface(picture)->actionInterface()->doAction(
            QAccessibleActionInterface::pressAction());
        QCoreApplication::processEvents();  // pressed from the event loop
      },
  };
  const std::string command =
      "/usr/bin/ffmpeg -loop 1 -y -i /p/a.png -i /m/a.wav -shortest -acodec copy -vcodec mjpeg "
      "/o/v.avi";
  for (std::size_t i = 0; i < std::size(presses); ++i) {
    presses[i]();
    ASSERT_TRUE(windows.IsLoaded(WindowId::frmReadOutput)) << i;
    auto* console = Window(WindowId::frmReadOutput);
    EXPECT_TRUE(console->isVisible());
    EXPECT_EQ(console->Text(console_form::Text1), command);
    EXPECT_EQ(console->Text(console_form::txtCommand), command);
    console->close();
  }
  // Tab brings the focus to it, and the focus shows.
  form->activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(form));
  Child<QWidget>("Text3")->setFocus();
  const QImage unfocused = picture->grab().toImage();
  QTest::keyClick(Child<QWidget>("Text3"), Qt::Key_Tab);
  ASSERT_TRUE(picture->hasFocus());
  EXPECT_NE(picture->grab().toImage(), unfocused);
}

TEST_F(MainWindowWidget, EnterInTheOutputFieldStoresAndLaunchesAndStillReachesTheField) {
  Child<QLineEdit>("Text1")->setText("/usr/bin/ffmpeg");
  auto* text4 = Child<QLineEdit>("Text4");
  text4->setText("/o/v.avi");
  int returns = 0;
  QObject::connect(text4, &QLineEdit::returnPressed, [&] { ++returns; });
  messages.whileShown = [](const auto&) {};
  QTest::keyClick(text4, Qt::Key_Return);
  EXPECT_EQ((settings.values[{kSettingsApp, kSettingsSection, kKeySave}]), "/o/v.avi");
  EXPECT_TRUE(windows.IsLoaded(WindowId::frmReadOutput));
  EXPECT_EQ(returns, 1) << "the key is passed on";
  QTest::keyClick(text4, Qt::Key_A);
  EXPECT_EQ(text4->text(), "/o/v.avia");
}

TEST_F(MainWindowWidget, MenuItemsRunTheirCommands) {
  Item("mnuHelp")->trigger();
  EXPECT_EQ(desktop.openedUrls.size(), 1u);
  Item("mnuAbout")->trigger();
  auto* about = Window(WindowId::frmAbout);
  Item("mnuAbout")->trigger();
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(Window(WindowId::frmAbout), about) << "one About box";
  EXPECT_EQ(about->windowTitle(), "About Framora audio converter");
  EXPECT_EQ(about->Text(about_form::lblVersion), "Version 1.0");
  EXPECT_TRUE(about->isVisible());
  Item("mnuDonate")->trigger();
  EXPECT_TRUE(Window(WindowId::frmDonate)->isVisible());
  Item("mnuExit")->trigger();
  EXPECT_TRUE(windows.Ending());
  EXPECT_FALSE(form->isVisible());
}

// --- Files dropped from a file manager ---

TEST_F(MainWindowWidget, AFileDroppedOnAFieldLandsThereAsAPath) {
  const struct {
    const char* field;
    QString dropped;
    QString shown;
    const char* key;
  } cases[] = {
      {"Text1", "/opt/ff mpeg/ffmpeg", "/opt/ff mpeg/ffmpeg", kKeyFfmpeg},
      {"Text2", "/tmp/My Pictures/café #1.png", "/tmp/My Pictures/café #1.png", kKeyImage},
      {"Text3", "/tmp/100%41.wav", "/tmp/100%41.wav", kKeyAudio},
      {"Text4", "/tmp/clip.mov", "/tmp/clip.mov.avi", nullptr},
  };
  for (const auto& c : cases) {
    std::unique_ptr<QMimeData> mime(test::Files({c.dropped}));
    ASSERT_TRUE(test::DropAt(form, test::CentreOf(form, Child<QLineEdit>(c.field)), *mime))
        << c.field;
    EXPECT_EQ(Child<QLineEdit>(c.field)->text(), c.shown) << c.field;
    if (c.key != nullptr) {
      EXPECT_EQ((settings.values[{kSettingsApp, kSettingsSection, c.key}]), c.shown.toStdString());
    }
  }
  EXPECT_EQ(settings.Read(kSettingsApp, kSettingsSection, kKeySave), std::nullopt);
}

TEST_F(MainWindowWidget, FilesDroppedBesideTheFieldsGoWhereTheirKindBelongs) {
  std::unique_ptr<QMimeData> mime(test::Files({"/p/a.png", "/m/b.mp3", "/notes.txt", "/p/c.JPG"}));
  for (const char* beside : {"Label2", "Picture1", "Command3"}) {
    Child<QLineEdit>("Text2")->clear();
    Child<QLineEdit>("Text3")->clear();
    ASSERT_TRUE(test::DropAt(form, test::CentreOf(form, Child<QWidget>(beside)), *mime)) << beside;
    EXPECT_EQ(Child<QLineEdit>("Text2")->text(), "/p/c.JPG") << beside;
    EXPECT_EQ(Child<QLineEdit>("Text3")->text(), "/m/b.mp3") << beside;
  }
  EXPECT_TRUE(Child<QLineEdit>("Text1")->text().isEmpty());
}

TEST_F(MainWindowWidget, TextDraggedFromAnEditorStillEditsTheField) {
  auto* text2 = Child<QLineEdit>("Text2");
  QMimeData mime;
  mime.setText("file:///not/a/drop.png");
  ASSERT_TRUE(test::DropAt(form, test::CentreOf(form, text2), mime));
  EXPECT_EQ(text2->text(), "file:///not/a/drop.png") << "taken as typed text";
  EXPECT_TRUE(settings.writes.empty());
}

// --- The file dialogs ---

std::vector<std::string> Strings(const QStringList& list) {
  std::vector<std::string> out;
  for (const QString& s : list) out.push_back(s.toStdString());
  return out;
}

TEST(FileDialogs, ShowEachFilterOnceAsGivenAndTakeAnyTypedName) {
  const struct {
    std::string filter;
    QStringList shown;
    QStringList listed;  // the patterns the dialog lists files by
  } cases[] = {
      {"FFMPEG App (*.exe)", {"FFMPEG App (*.exe)"}, {"*"}},
      {"Jpegs (*.jpg)|*.jpg|GIF files (*.gif)|*.gif|PNG files (*.png)|*.png",
       {"Jpegs (*.jpg)", "GIF files (*.gif)", "PNG files (*.png)"},
       {"*.jpg", "*.JPG"}},  // letter case aside, as Windows lists files
      // several patterns, and every file
      {"All pictures|*.jpg;*.jpeg|All files|*.*",
       {"All pictures", "All files"},
       {"*.jpg", "*.JPG", "*.jpeg", "*.JPEG"}},
      {"AVI (*.avi)||MP4 (*.mp4)", {"AVI (*.avi)", "MP4 (*.mp4)"}, {"*"}},
  };
  for (const auto& c : cases) {
    QFileDialog dialog;
    ConfigureFileDialog(dialog,
                        FileDialogRequest{FileDialogKind::Open, "", c.filter, "", "Select File"});
    auto* combo = dialog.findChild<QComboBox*>("fileTypeCombo");
    ASSERT_NE(combo, nullptr);
    QStringList shown;
    for (int i = 0; i < combo->count(); ++i) shown << combo->itemText(i);
    EXPECT_EQ(Strings(shown), Strings(c.shown));
    EXPECT_EQ(Strings(dialog.findChild<QFileSystemModel*>()->nameFilters()), Strings(c.listed));
    EXPECT_EQ(dialog.windowTitle(), "Select File");
    // The entry selected when the dialog is left is the one reported.
    dialog.selectFile("/typed");
    dialog.selectNameFilter(dialog.nameFilters().back());
    QMetaObject::invokeMethod(&dialog, "accept");
    EXPECT_EQ(Chosen(dialog).filterIndex, c.shown.size()) << c.filter;
  }

  // A name that does not exist is taken on Open; an existing one on Save, without a question.
  const std::string dir = test::MakeTempDir("dialog");
  std::ofstream(dir + "/exists.avi") << "x";
  int questions = 0;
  for (const auto& [kind, name] : {std::pair{FileDialogKind::Open, "/typed.png"},
                                   std::pair{FileDialogKind::Save, "/exists.avi"}}) {
    QFileDialog dialog;
    ConfigureFileDialog(dialog,
                        FileDialogRequest{kind, dir + name, "AVI (*.avi)", "", "Select File"});
    QTimer::singleShot(0, [&] {
      for (QWidget* w : QApplication::topLevelWidgets()) {
        if (auto* box = qobject_cast<QMessageBox*>(w); box != nullptr && box->isVisible()) {
          ++questions;
          box->reject();
        }
      }
    });
    QMetaObject::invokeMethod(&dialog, "accept");  // the Open or Save button
    EXPECT_EQ(dialog.result(), QDialog::Accepted) << name;
    EXPECT_EQ(Strings(dialog.selectedFiles()), std::vector<std::string>{dir + name});
  }
  EXPECT_EQ(questions, 0);
}

// An open dialog for several files: Ctrl+A in its list chooses them all.
TEST(FileDialogs, AnOpenDialogForSeveralFilesGivesEveryFileChosen) {
  const std::string dir = test::MakeTempDir("songs") + "/";
  for (const char* name : {"a b", "é %$"}) std::ofstream(dir + name) << "x";
  QFileDialog dialog;
  ConfigureFileDialog(dialog, {FileDialogKind::Open, dir, "", "", "", true});
  dialog.show();
  auto* list = dialog.findChild<QAbstractItemView*>("listView");
  ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount(list->rootIndex()) == 2; }));
  QTest::keyClick(list, Qt::Key_A, Qt::ControlModifier);
  QMetaObject::invokeMethod(&dialog, "accept");  // the Open button
  EXPECT_THAT(Chosen(dialog).fileNames, testing::UnorderedElementsAre(dir + "a b", dir + "é %$"));
}

}  // namespace
}  // namespace framora::qt
