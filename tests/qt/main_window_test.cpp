// The main window's widget: names, places, captions, tab order, menu, and its actions.
#include <gtest/gtest.h>

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

#include "app/settings.h"
#include "fakes/fake_desktop.h"
#include "fakes/fake_file_dialog.h"
#include "fakes/fake_file_system.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_settings.h"
#include "qt/main_window.h"
#include "qt/qt_adapters.h"
#include "qt/window_manager.h"
#include "support/qt_drops.h"
#include "support/temp_env.h"

namespace framora::qt {
namespace {

// Stands in for the other windows: just the controls the main window writes into.
class StubWindow : public FramoraWindow {
 public:
  explicit StubWindow(const char* name) {
    setObjectName(name);
    for (const char* control : {"Text1", "txtCommand", "lblVersion", "lblDescription", "lblTitle"})
      (new QLineEdit(this))->setObjectName(control);
  }
  void Load() override { ++loads; }
  int loads = 0;
};

class MainWindowWidget : public ::testing::Test {
 protected:
  void SetUp() override {
    ctx.settings = &settings;
    ctx.messages = &messages;
    ctx.fileDialog = &dialog;
    ctx.desktop = &desktop;
    ctx.files = &files;
    ctx.windows = &windows;
    form = static_cast<MainWindow*>(dynamic_cast<FramoraWindow*>(&windows.Ref(WindowId::Form1)));
    windows.Show(WindowId::Form1);
  }
  template <class T>
  T* Child(const char* name) {
    T* w = form->findChild<T*>(name);
    EXPECT_NE(w, nullptr) << name;
    return w;
  }
  QAction* Item(const char* name) { return form->findChild<QAction*>(name); }

  test::FakeSettings settings;
  test::FakeMessageBox messages;
  test::FakeFileDialog dialog;
  test::FakeDesktop desktop;
  test::FakeFileSystem files;
  AppContext ctx;
  QtWindowManager windows{[this](WindowId id) -> FramoraWindow* {
    if (id == WindowId::Form1) return new MainWindow(ctx);
    return new StubWindow(id == WindowId::frmReadOutput ? "frmReadOutput"
                          : id == WindowId::frmAbout    ? "frmAbout"
                                                        : "frmDonate");
  }};
  MainWindow* form = nullptr;
};

QRect Twips(int l, int t, int w, int h) { return QRect(l / 15, t / 15, w / 15, h / 15); }

TEST_F(MainWindowWidget, ControlsSitWhereTheWindowWasDesignedWithExactCaptions) {
  EXPECT_EQ(form->windowTitle(), "Framora audio converter v1.0");
  EXPECT_FALSE(form->windowIcon().isNull());
  QWidget* client = Child<QWidget>("client");
  EXPECT_EQ(client->size(), QSize(515, 440));
  struct Expect {
    const char* name;
    const char* caption;
    QRect rect;
  };
  const Expect controls[] = {
      {"Command1", "FFMPEG EXE LOCATION", Twips(240, 240, 1575, 975)},
      {"Command2", "IMAGE FILE", Twips(2040, 240, 1575, 975)},
      {"Command3", "AUDIO FILE", Twips(3840, 240, 1575, 975)},
      {"Label1", "FFMPEG  Executable location ", Twips(240, 1680, 1455, 375)},
      {"Text1", nullptr, Twips(1920, 1680, 5415, 375)},
      {"Label2", "Image file location ", Twips(240, 2280, 1455, 375)},
      {"Text2", nullptr, Twips(1920, 2280, 5415, 375)},
      {"Label3", "Audio file  location ", Twips(240, 2760, 1455, 375)},
      {"Text3", nullptr, Twips(1920, 2760, 5415, 375)},
      {"Picture1", nullptr, Twips(3840, 3600, 3735, 2655)},
      {"Label4", "Save as file :>  (choose output)", Twips(240, 3840, 2895, 375)},
      {"Text4", nullptr, Twips(240, 4440, 3255, 495)},
      {"Command4", "Choose saveas filename output", Twips(360, 5520, 3135, 735)},
  };
  for (const auto& c : controls) {
    QWidget* w = Child<QWidget>(c.name);
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(w->parentWidget(), client) << c.name;
    EXPECT_EQ(w->geometry(), c.rect) << c.name;
    if (c.caption) EXPECT_EQ(form->Text(c.name), c.caption) << c.name;
  }
  auto* picture = Child<QLabel>("Picture1");
  ASSERT_FALSE(picture->pixmap().isNull());
  EXPECT_EQ(picture->pixmap().size(), QSize(239, 169));
}

TEST_F(MainWindowWidget, TabOrderFollowsTheDesign) {
  const char* order[] = {"Command1", "Text1",    "Command2", "Command3", "Text2",
                         "Text3",    "Picture1", "Text4",    "Command4"};
  for (std::size_t i = 0; i + 1 < std::size(order); ++i) {
    QWidget* w = Child<QWidget>(order[i]);
    QWidget* next = w->nextInFocusChain();
    while (next && !(next->focusPolicy() & Qt::TabFocus)) next = next->nextInFocusChain();
    ASSERT_NE(next, nullptr);
    EXPECT_EQ(next->objectName(), order[i + 1]) << "after " << order[i];
  }
}

TEST_F(MainWindowWidget, TheFileMenuHoldsItsItemsInOrder) {
  auto* menu = form->findChild<QMenu*>("mnuFile");
  ASSERT_NE(menu, nullptr);
  EXPECT_EQ(menu->title(), "&File");
  QStringList seen;
  for (QAction* a : menu->actions())
    seen << a->objectName() + "=" + (a->isSeparator() ? "-" : a->text());
  EXPECT_EQ(seen, (QStringList{"mnuHelp=&Help", "mnuAbout=&About", "mnuSpacer1=-",
                               "mnuDonate=Donate", "mnuspacer2=-", "mnuExit=E&xit"}));
  for (QAction* a : menu->actions()) EXPECT_TRUE(a->shortcut().isEmpty());
}

TEST_F(MainWindowWidget, LoadRestoresTheSavedPaths) {
  settings.values[{kSettingsApp, kSettingsSection, kKeyAudio}] = "/music/ä b.mp3";
  windows.Ref(WindowId::Form1);  // already loaded: nothing runs again
  EXPECT_EQ(Child<QLineEdit>("Text3")->text(), "");
  form->close();
  auto& again = windows.Ref(WindowId::Form1);
  EXPECT_EQ(again.Text("Text3"), "/music/ä b.mp3");
}

TEST_F(MainWindowWidget, AChooserClickStoresTheChosenPath) {
  dialog.answers = {std::string("/pics/cover.png")};
  QTest::mouseClick(Child<QPushButton>("Command2"), Qt::LeftButton);
  EXPECT_EQ(Child<QLineEdit>("Text2")->text(), "/pics/cover.png");
  EXPECT_EQ((settings.values[{kSettingsApp, kSettingsSection, kKeyImage}]), "/pics/cover.png");
}

TEST_F(MainWindowWidget, ClickingThePictureOpensTheConsoleWithTheCommand) {
  Child<QLineEdit>("Text1")->setText("/usr/bin/ffmpeg");
  Child<QLineEdit>("Text2")->setText("/p/a.png");
  Child<QLineEdit>("Text3")->setText("/m/a.wav");
  Child<QLineEdit>("Text4")->setText("/o/v.avi");
  QTest::mouseClick(Child<QWidget>("Picture1"), Qt::LeftButton);
  ASSERT_TRUE(windows.IsLoaded(WindowId::frmReadOutput));
  auto* console = windows.Loaded(WindowId::frmReadOutput);
  EXPECT_TRUE(console->isVisible());
  const std::string command =
      "/usr/bin/ffmpeg -loop 1 -y -i /p/a.png -i /m/a.wav -shortest -acodec copy -vcodec mjpeg "
      "/o/v.avi";
  EXPECT_EQ(console->Text("Text1"), command);
  EXPECT_EQ(console->Text("txtCommand"), command);
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
  Item("mnuAbout")->trigger();
  auto* about = static_cast<StubWindow*>(windows.Loaded(WindowId::frmAbout));
  ASSERT_NE(about, nullptr);
  EXPECT_EQ(about->loads, 1);
  EXPECT_EQ(about->windowTitle(), "About Framora audio converter");
  EXPECT_EQ(about->Text("lblVersion"), "Version 1.0");
  EXPECT_TRUE(about->isVisible());
  Item("mnuDonate")->trigger();
  EXPECT_TRUE(windows.Loaded(WindowId::frmDonate)->isVisible());
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
      {"Text4", "/tmp/clip.mp4", "/tmp/clip.mp4.avi", nullptr},
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
       {"*.jpg"}},
      {"AVI (*.avi)", {"AVI (*.avi)"}, {"*"}},
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

}  // namespace
}  // namespace framora::qt
