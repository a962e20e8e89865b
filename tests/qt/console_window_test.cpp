// The console window's widget: names, layout, texts, focus, keys, the pane display, closing
// during a run, and runs of real commands through the POSIX runner.
#include "qt/console_window.h"
#include "fakes/fake_file_system.h"
#include "queue/desk.h"
#include "queue/song_queue.h"

#include <gtest/gtest.h>

#include <signal.h>
#include <QAccessible>

#include <QAbstractEventDispatcher>
#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QFontDatabase>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPointer>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>
#include <algorithm>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <functional>
#include <thread>
#include <vector>

#include "console/console_form.h"
#include "console/pane_text.h"
#include "fakes/fake_message_box.h"
#include "fakes/fake_process_host.h"
#include "platform/posix/posix_process_host.h"
#include "qt/application.h"
#include "qt/console_pane_view.h"
#include "support/qt_input.h"

namespace framora::qt {
namespace {

using test::FakeMessageBox;
using test::FakeProcessHost;

const std::string kFresh = console::FreshPaneText();

// Handles the queued events like the program's own yield, and lets a test act in between.
class TestYield : public YieldPort {
 public:
  bool Yield() override {
    QCoreApplication::processEvents();
    if (hook) hook();
    return true;
  }
  std::function<void()> hook;
};

using test::Key;

QString Shown(const std::string& paneText) {
  QString text = QString::fromStdString(paneText);
  text.replace("\r\n", "\n");
  return text;
}

struct ConsoleWidgetFixture : ::testing::Test {
  ConsoleWidgetFixture() {
    ctx.messages = &messages;
    ctx.yield = &yield;
    ctx.programFolder = "/opt/framora";
    ctx.desk = &desk;
    ctx.makeProcessHost = [this]() -> std::unique_ptr<ProcessHost> {
      auto host = std::make_unique<FakeProcessHost>();
      fake = host.get();
      return host;
    };
  }
  // The window as the program opens it, through the registry of its windows.
  ConsoleWindow* Open() {
    windows.Show(WindowId::frmReadOutput);
    window = dynamic_cast<ConsoleWindow*>(windows.Loaded(WindowId::frmReadOutput));
    return window;
  }
  // What the event loop does between two events: destroys the windows that may go.
  void Reap() { QCoreApplication::processEvents(); }
  template <typename T>
  T* Child(const char* name) {
    return window->findChild<T*>(name);
  }
  QString PaneShown() { return Child<ConsolePaneView>("rtfOutput")->PlainText(); }
  // The change rule as the screen shows it: caret after the last character, nothing selected.
  bool CaretAtEndOnScreen() {
    auto* pane = Child<ConsolePaneView>("rtfOutput");
    return !pane->HasSelection() &&
           pane->Caret() == window->View().Text(console_form::rtfOutput).size() &&
           pane->LastVisibleRow() == pane->RowCount() - 1;
  }
  // Nothing cut off: no horizontal scroll bar, and every row in view, but for the blanks that
  // end it, is no wider than the pane (measured with the font as the pane draws it).
  bool RowsFitThePane() {
    auto* pane = Child<ConsolePaneView>("rtfOutput");
    QFont font = pane->font();
    font.setKerning(false);
    font.setStyleStrategy(QFont::PreferNoShaping);
    const QFontMetricsF metrics(font, pane->viewport());
    for (std::size_t row = pane->FirstVisibleRow(); row <= pane->LastVisibleRow(); ++row) {
      const QString text = pane->RowText(row).trimmed();
      if (metrics.horizontalAdvance(text) > pane->viewport()->width() - 4) return false;
    }
    return !pane->horizontalScrollBar()->isVisible();
  }

  FakeMessageBox messages;
  TestYield yield;
  queue::Desk desk;
  AppContext ctx;
  FakeProcessHost* fake = nullptr;
  WindowRegistry windows{
      QtFrontEnd([this](WindowId) -> FramoraWindow* { return new ConsoleWindow(ctx, &windows); })};
  QPointer<ConsoleWindow> window;
};

using ConsoleWidgetLayout = ConsoleWidgetFixture;

TEST_F(ConsoleWidgetLayout, PaneIsReadOnlyButCanBeSelectedAndCopied) {
  Open();
  auto* rtfOutput = Child<ConsolePaneView>("rtfOutput");
  EXPECT_TRUE(rtfOutput->focusPolicy() & Qt::TabFocus);
  rtfOutput->setFocus();
  Key(rtfOutput, Qt::Key_A, "a");
  Key(rtfOutput, Qt::Key_Delete);
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), kFresh);
  EXPECT_EQ(PaneShown(), Shown(kFresh));

  QKeyEvent selectAll(QEvent::KeyPress, Qt::Key_A, Qt::ControlModifier, "a");
  QApplication::sendEvent(rtfOutput, &selectAll);
  QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier, "c");
  QApplication::sendEvent(rtfOutput, &copy);
  EXPECT_EQ(rtfOutput->SelectedText(), Shown(kFresh));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), Shown(kFresh));
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), kFresh);
}

TEST_F(ConsoleWidgetLayout, MouseDragSelectsFromWhereItStarted) {
  Open();
  auto* rtfOutput = Child<ConsolePaneView>("rtfOutput");
  QWidget* viewport = rtfOutput->viewport();
  const auto mouse = [&](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
    QMouseEvent event(type, QPointF(at), viewport->mapToGlobal(QPointF(at)), Qt::LeftButton,
                      buttons, Qt::NoModifier);
    QApplication::sendEvent(viewport, &event);
  };
  // From the very start of the text to far below and right of its end.
  mouse(QEvent::MouseButtonPress, QPoint(0, 1), Qt::LeftButton);
  mouse(QEvent::MouseMove, QPoint(viewport->width() - 1, viewport->height() - 1), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, QPoint(viewport->width() - 1, viewport->height() - 1),
        Qt::NoButton);
  EXPECT_EQ(rtfOutput->SelectedText(), Shown(kFresh));
  // From the start of the prompt line to its end.
  const int promptY = 2 * rtfOutput->fontMetrics().lineSpacing() + 1;
  mouse(QEvent::MouseButtonPress, QPoint(0, promptY), Qt::LeftButton);
  mouse(QEvent::MouseButtonRelease, QPoint(viewport->width() - 1, promptY), Qt::NoButton);
  EXPECT_EQ(rtfOutput->SelectedText(), "");  // no drag, no selection
  mouse(QEvent::MouseButtonPress, QPoint(0, promptY), Qt::LeftButton);
  mouse(QEvent::MouseMove, QPoint(viewport->width() - 1, promptY), Qt::LeftButton);
  EXPECT_EQ(rtfOutput->SelectedText(), "C:\\> ");
}

TEST_F(ConsoleWidgetLayout, ALongLineWrapsAndASelectionOverAWrapCopiesItWhole) {
  Open();
  std::string line;
  for (int i = 0; line.size() < 2000; ++i) line += "frame=" + std::to_string(i * 37) + " ";
  window->View().SetText(console_form::rtfOutput, "one\r\n" + line + "\r\nC:\\> ");
  window->FlushPane();
  auto* rtfOutput = Child<ConsolePaneView>("rtfOutput");
  ASSERT_GT(rtfOutput->RowCount(), rtfOutput->LineCount() + 5);
  EXPECT_EQ(rtfOutput->LineCount(), 3u);
  EXPECT_TRUE(CaretAtEndOnScreen());
  EXPECT_EQ(rtfOutput->RowText(rtfOutput->LastVisibleRow()), "C:\\> ");
  EXPECT_TRUE(RowsFitThePane());

  // A drag from the middle of one row of the line to the middle of the next, then Ctrl+C.
  const std::size_t row = rtfOutput->LastVisibleRow() - 2;
  const int height = rtfOutput->fontMetrics().lineSpacing();
  const QPoint at(rtfOutput->viewport()->width() / 2,
                  static_cast<int>(row - rtfOutput->FirstVisibleRow()) * height + 2);
  test::Mouse(rtfOutput->viewport(), QEvent::MouseButtonPress, at, Qt::LeftButton);
  test::Mouse(rtfOutput->viewport(), QEvent::MouseMove, at + QPoint(0, height), Qt::LeftButton);
  rtfOutput->setFocus();
  Key(rtfOutput, Qt::Key_C, "c", Qt::ControlModifier);
  const std::size_t from = std::min(rtfOutput->Anchor(), rtfOutput->Caret());
  const std::size_t to = std::max(rtfOutput->Anchor(), rtfOutput->Caret());
  EXPECT_LT(from, rtfOutput->RowStart(row + 1));
  EXPECT_GT(to, rtfOutput->RowStart(row + 1));
  const std::string text = window->View().Text(console_form::rtfOutput);
  EXPECT_EQ(rtfOutput->SelectedText().toStdString(), text.substr(from, to - from));
  EXPECT_EQ(QGuiApplication::clipboard()->text(), rtfOutput->SelectedText());
}

using ConsoleWidgetLoad = ConsoleWidgetFixture;

TEST_F(ConsoleWidgetLoad, FreshPaneAndFocusInCommandBox) {
  Open();
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), kFresh);
  EXPECT_EQ(PaneShown(), Shown(kFresh));
  EXPECT_EQ(window->focusWidget(), Child<QWidget>("txtCommand"));
  EXPECT_TRUE(messages.shown.empty());
}

TEST_F(ConsoleWidgetLoad, PaneSetFromOutsideIsReplacedAndShown) {
  Open();
  window->View().SetText(console_form::rtfOutput, "one\r\ntwo");
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), "one\r\ntwo");
  window->FlushPane();
  EXPECT_EQ(PaneShown(), "one\ntwo");
  EXPECT_TRUE(CaretAtEndOnScreen());
}

TEST_F(ConsoleWidgetLoad, AScreenReaderReadsThePaneAsReadOnlyTextWithTheCaretAtTheEnd) {
  Open();
  QAccessibleTextInterface* text =
      QAccessible::queryAccessibleInterface(Child<ConsolePaneView>("rtfOutput"))->textInterface();
  ASSERT_NE(text, nullptr);
  // Offsets in UTF-16 units, as screen readers count: a character beyond the BMP takes two.
  const struct {
    std::string pane;
    int count;
    int from, to;
    QString read;
  } cases[] = {
      {"one\r\ntwo", 8, 5, 8, "two"},
      {"d\xC3\xA9j\xC3\xA0 \xF0\x9F\x8E\xB5 vu", 10, 5, 10, "\U0001F3B5 vu"},
      {std::string(200000, 'x') + "Duration: 00:00:02", 200018, 200000, 200009, "Duration:"},
      {"", 0, 0, 0, ""}};
  for (const auto& c : cases) {
    window->View().SetText(console_form::rtfOutput, c.pane);  // replaced whole, counted afresh
    window->FlushPane();
    EXPECT_EQ(text->characterCount(), c.count);
    EXPECT_EQ(text->text(c.from, c.to), c.read);
    EXPECT_EQ(text->cursorPosition(), c.count);
  }
  EXPECT_TRUE(
      QAccessible::queryAccessibleInterface(Child<ConsolePaneView>("rtfOutput"))->state().readOnly);
}

using ConsoleWidgetActions = ConsoleWidgetFixture;

TEST_F(ConsoleWidgetActions, ExecuteRunsText1AndShowsTheOutput) {
  Open();
  fake->reads = {{"A\nB\n"}};
  Child<QLineEdit>("Text1")->setText("X");
  Child<QLineEdit>("txtCommand")->setText("typed");
  Child<QPushButton>("cmdExecute")->click();
  EXPECT_EQ(fake->started.command, "X");
  EXPECT_EQ(Child<QLineEdit>("txtCommand")->text(), "X");
  const std::string expected = kFresh + "X\r\nA\r\nB\r\n\r\nC:\\> ";
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), expected);
  window->FlushPane();
  EXPECT_EQ(PaneShown(), Shown(expected));
  EXPECT_TRUE(CaretAtEndOnScreen());
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "Complete reading output!");
}

TEST_F(ConsoleWidgetActions, LongOutputIsShownWholeWhileItArrives) {
  Open();
  // Over two megabytes in lines of every length up to 300, so that line breaks fall on the
  // pane's storage block boundaries somewhere.
  std::string output;
  for (int i = 0; output.size() < 2300000; ++i) {
    output += std::string(static_cast<std::size_t>(i * 37 % 300), static_cast<char>('a' + i % 26));
    output += '\n';
  }
  for (std::size_t at = 0; at < output.size(); at += 256)
    fake->reads.push_back({output.substr(at, 256)});
  int flushes = 0;
  fake->onRead = [&] {
    if (fake->reads.size() % 1000 == 0) {
      window->FlushPane();  // as the frame timer would, part way
      ++flushes;
      EXPECT_TRUE(CaretAtEndOnScreen());
      EXPECT_TRUE(RowsFitThePane());
    }
  };
  Child<QPushButton>("cmdExecute")->click();
  window->FlushPane();
  const std::string text = window->View().Text(console_form::rtfOutput);
  EXPECT_EQ(PaneShown(), Shown(text));
  EXPECT_EQ(Child<ConsolePaneView>("rtfOutput")->LineCount(),
            static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n')) + 1);
  EXPECT_GT(Child<ConsolePaneView>("rtfOutput")->RowCount(),
            Child<ConsolePaneView>("rtfOutput")->LineCount());  // the longer lines wrap
  EXPECT_TRUE(CaretAtEndOnScreen());
  EXPECT_TRUE(RowsFitThePane());
  EXPECT_GT(flushes, 5);
}

TEST_F(ConsoleWidgetActions, AFloodKeepsThePaneBoundedAndTheViewInStepThroughAResize) {
  Open();
  // FFmpeg's header, then the error an unreadable picture repeats for ever: 16 MB of it.
  const std::string header = "Input #0, image2, from 'cover.jpg':\n  Duration: 00:00:00.04\n";
  const std::string error =
      "[mjpeg @ 0x55d0c0a0] No JPEG data found in image\nError while decoding stream #0:0: "
      "Invalid data found when processing input\n";
  std::string flood = header;
  for (int i = 0; flood.size() < (16u << 20); ++i) flood += std::to_string(i) + " " + error;
  for (std::size_t at = 0; at < flood.size(); at += 256) {
    fake->reads.push_back({flood.substr(at, 256)});
  }
  auto* rtfOutput = Child<ConsolePaneView>("rtfOutput");
  const int width = rtfOutput->width();
  const int narrow = rtfOutput->width() - rtfOutput->viewport()->width() + 4 +
                     rtfOutput->fontMetrics().horizontalAdvance('W');
  const std::size_t reads = fake->reads.size();
  const QFont font = rtfOutput->font();
  const QFont larger(font.family(), font.pointSize() * 3 / 2, font.weight());
  const console::ConsolePane& pane = window->Logic().Pane();
  std::uint64_t notShown = 0;
  int fontChanges = 0;
  fake->onYield = [] {  // as the program's yield: the pane's timers run between the reads
    QCoreApplication::processEvents();
    return true;
  };
  fake->onRead = [&] {
    // A resize to one character's width and back while the output pours in; near its end, a
    // font change just after each cut of old text, with the pane shown up to then.
    if (fake->reads.size() == reads * 2 / 3) rtfOutput->resize(narrow, rtfOutput->height());
    if (fake->reads.size() < 600 && pane.BytesNotShown() == notShown) window->FlushPane();
    if (fake->reads.size() < 600 && pane.BytesNotShown() != notShown)
      rtfOutput->setFont(++fontChanges % 2 ? larger : font);
    notShown = pane.BytesNotShown();
    if (fake->reads.size() == reads / 3) rtfOutput->resize(width, rtfOutput->height());
    if (fake->reads.size() % 4000 == 0) window->FlushPane();  // as the frame timer would
  };
  Child<QLineEdit>("Text1")->setText("ffmpeg");
  Child<QPushButton>("cmdExecute")->click();
  window->FlushPane();
  while (!rtfOutput->Settled()) QCoreApplication::processEvents();
  EXPECT_GE(fontChanges, 2);

  const std::string text = window->View().Text(console_form::rtfOutput);
  EXPECT_LT(text.size(), 7u << 20) << "memory stays flat";
  EXPECT_EQ(text.substr(0, kFresh.size() + 8), kFresh + "ffmpeg\r\n");
  EXPECT_NE(text.find("  Duration: 00:00:00.04\r\n"), std::string::npos) << "the header stays";
  EXPECT_NE(text.find(" of output not shown [**]\r\n"), std::string::npos);
  const std::string last = flood.substr(flood.rfind('\n', flood.size() - 2) + 1);
  EXPECT_EQ(Shown(text.substr(text.size() - last.size() - 8)).toStdString(),
            last.substr(0, last.size() - 1) + "\n\nC:\\> ");
  // What is drawn, copied and read out is the pane's text.
  EXPECT_EQ(PaneShown(), Shown(text));
  rtfOutput->SelectAll();
  EXPECT_EQ(rtfOutput->SelectedText(), Shown(text));
  EXPECT_EQ(QAccessible::queryAccessibleInterface(rtfOutput)->textInterface()->characterCount(),
            QString::fromStdString(text).size());
  EXPECT_TRUE(RowsFitThePane());

  // The rows are those of the same text laid out afresh, as another font and back lays it out.
  const auto rows = [rtfOutput] {
    std::vector<std::size_t> starts;
    for (std::size_t r = 0; r < rtfOutput->RowCount(); ++r)
      starts.push_back(rtfOutput->RowStart(r));
    return starts;
  };
  const std::vector<std::size_t> kept = rows();
  rtfOutput->setFont(fontChanges % 2 ? font : larger);
  rtfOutput->setFont(fontChanges % 2 ? larger : font);
  EXPECT_TRUE(kept == rows()) << kept.size() << " rows kept, " << rows().size() << " afresh";
}

TEST_F(ConsoleWidgetActions, EnterInCommandBoxRunsAndIsSwallowed) {
  Open();
  Child<QLineEdit>("Text1")->setText("echo hi");
  auto* txtCommand = Child<QLineEdit>("txtCommand");
  bool lineEditSawEnter = false;
  QObject::connect(txtCommand, &QLineEdit::returnPressed, [&] { lineEditSawEnter = true; });
  Key(txtCommand, Qt::Key_Return, "\r");
  EXPECT_EQ(fake->started.command, "echo hi");
  EXPECT_FALSE(lineEditSawEnter);
  EXPECT_EQ(txtCommand->text(), "echo hi");

  EXPECT_EQ(txtCommand->cursorPosition(), 0);  // a text box shows a new text from its start

  txtCommand->end(false);
  Key(txtCommand, Qt::Key_Z, "z");  // other keys are typed as usual
  EXPECT_EQ(txtCommand->text(), "echo hiz");
  EXPECT_EQ(messages.shown.size(), 1u);
}

TEST_F(ConsoleWidgetActions, EnterInText1RunsNothing) {
  Open();
  Key(Child<QLineEdit>("Text1"), Qt::Key_Return, "\r");
  Key(Child<QLineEdit>("Text1"), Qt::Key_Enter, "\r");
  EXPECT_TRUE(fake->calls.empty());
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), kFresh);
}

TEST_F(ConsoleWidgetActions, TheHandedSongFillsBothBoxesUntilTheUserEditsText1) {
  Open();
  test::FakeFileSystem files;
  auto songs = std::make_shared<queue::SongQueue>(
      files, queue::Rules{.ffmpeg = "ff", .image = "/p/c.png", .single = true});
  songs->AddOne("/m/a.mp3", "/v/a.avi");
  desk.HandOver(songs);
  EXPECT_EQ(Child<QLineEdit>("Text1")->text().toStdString(), songs->Command(0));
  EXPECT_EQ(Child<QLineEdit>("txtCommand")->text().toStdString(), songs->Command(0));
  QTest::keyClick(Child<QLineEdit>("Text1"), Qt::Key_End);
  QTest::keyClicks(Child<QLineEdit>("Text1"), " -an");
  Child<QPushButton>("cmdExecute")->click();
  EXPECT_EQ(fake->started.command, songs->Command(0) + " -an") << "typed: it runs as it stands";
}

TEST_F(ConsoleWidgetActions, CancelClosesAndDestroysTheWindow) {
  Open();
  Child<QPushButton>("cmdCancel")->click();
  EXPECT_TRUE(fake->calls.empty());
  ASSERT_FALSE(window.isNull());
  EXPECT_FALSE(window->isVisible());
  EXPECT_TRUE(window->IsClosed());
  Reap();
  EXPECT_TRUE(window.isNull());
}

TEST_F(ConsoleWidgetActions, ClosedDuringARunGoesOnlyAfterExecuteReturns) {
  Open();
  fake->GiveProcessAWindow();
  fake->reads = {{"one\n"}, {"two\n"}, {"three\n"}};
  int reads = 0;
  bool aliveAfterClose = false;
  fake->onRead = [&] {
    if (++reads != 2) return;
    Child<QPushButton>("cmdCancel")->click();
    windows.ReapClosed();  // a yield may well run it
    aliveAfterClose = !window.isNull() && !window->isVisible();
  };
  Child<QPushButton>("cmdExecute")->click();
  EXPECT_TRUE(aliveAfterClose);
  ASSERT_FALSE(window.isNull());
  ASSERT_EQ(fake->posted.size(), 1u);  // the command was asked to close
  EXPECT_EQ(fake->posted[0].uMsg, kWmClose);
  EXPECT_EQ(fake->reads.size(), 1u);
  EXPECT_TRUE(messages.shown.empty());
  Reap();
  EXPECT_TRUE(window.isNull());
}

TEST_F(ConsoleWidgetActions, ExecuteDuringARunIsRefused) {
  Open();
  fake->reads = {{"one\n"}, {"two\n"}};
  int reads = 0;
  fake->onRead = [&] {
    if (++reads == 2) Child<QPushButton>("cmdExecute")->click();
  };
  Child<QPushButton>("cmdExecute")->click();
  ASSERT_EQ(messages.shown.size(), 2u);
  EXPECT_EQ(messages.shown[0].prompt,
            "Error!\r\nDescription: Currently processing a command!\r\nLastDLLError: 1201");
  EXPECT_EQ(messages.shown[0].icon, MessageIcon::Critical);
  EXPECT_EQ(messages.shown[1].prompt, "Complete reading output!");
  EXPECT_EQ(window->View().Text(console_form::rtfOutput),
            kFresh + "ping www.example.com\r\none\r\ntwo\r\n\r\nC:\\> ");
}

TEST_F(ConsoleWidgetActions, ClosedAndShownAgainGivesAFreshPane) {
  QPointer<ConsoleWindow> first = Open();
  first->View().SetText(console_form::rtfOutput, "old output");
  first->close();
  EXPECT_FALSE(windows.IsLoaded(WindowId::frmReadOutput));
  ConsoleWindow* second = Open();
  ASSERT_TRUE(second);
  EXPECT_NE(second, first.data());
  EXPECT_EQ(second->View().Text(console_form::rtfOutput), kFresh);
  Reap();
  EXPECT_TRUE(first.isNull());
}

// --- Real commands through the POSIX runner ---

struct ConsoleRealRun : ConsoleWidgetFixture {
  ConsoleRealRun() {
    ctx.makeProcessHost = [this]() -> std::unique_ptr<ProcessHost> {
      return std::make_unique<posix::PosixProcessHost>(yield);
    };
  }
  void Run(const std::string& command) {
    Open();
    Child<QLineEdit>("Text1")->setText(QString::fromStdString(command));
    Child<QPushButton>("cmdExecute")->click();
  }
};

int OpenDescriptors() {
  int count = 0;
  for (const auto& entry : std::filesystem::directory_iterator("/proc/self/fd")) {
    (void)entry;
    ++count;
  }
  return count;
}

bool ProcessGone(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  if (!stat) return true;
  std::string line;
  std::getline(stat, line);
  const auto close = line.rfind(')');
  return close != std::string::npos && close + 2 < line.size() && line[close + 2] == 'Z';
}

TEST_F(ConsoleRealRun, PaneTextOfARealCommandIsExact) {
  const int descriptors = OpenDescriptors();
  Run("printf 'A\\nB\\n'; printf 'crlf\\r\\n'; printf '1%%\\r2%%\\n'");
  const std::string expected = kFresh +
                               "printf 'A\\nB\\n'; printf 'crlf\\r\\n'; printf '1%%\\r2%%\\n'" +
                               "\r\nA\r\nB\r\ncrlf\r\n1%2%\r\n\r\nC:\\> ";
  EXPECT_EQ(window->View().Text(console_form::rtfOutput), expected);
  window->FlushPane();
  EXPECT_EQ(PaneShown(), Shown(expected));
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].prompt, "Complete reading output!");
  EXPECT_EQ(messages.shown[0].title, "Success!");
  EXPECT_EQ(OpenDescriptors(), descriptors);  // the run's pipe is closed again
}

TEST_F(ConsoleRealRun, ClearScreenAndFolderMask) {
  Run("printf '\\f'");
  EXPECT_EQ(window->View().Text(console_form::rtfOutput),
            "[**] Zelbrin's Version of MS-DOS [**]\r\n\r\nC:\\> ");
  window->close();

  messages.shown.clear();
  Run("echo /opt/framora");  // the program folder, then a line break: the echo adds only LF
  EXPECT_EQ(window->View().Text(console_form::rtfOutput),
            kFresh + "echo /opt/framora\r\n/opt/framora\r\n\r\nC:\\> ");
  window->close();  // the next run in a fresh window

  Run("printf '/opt/framora\\r\\n'");
  EXPECT_EQ(window->View().Text(console_form::rtfOutput),
            kFresh + "printf '/opt/framora\\r\\n'\r\nC:\\\r\n\r\nC:\\> ");
}

TEST_F(ConsoleRealRun, ClosingDuringALongCommandEndsItSilently) {
  const std::string helper = FRAMORA_PROC_HELPER;
  pid_t pid = 0;
  int yieldsAfterClose = 0;
  yield.hook = [&] {
    // Should the run go on unseen, end the helper so that the test fails instead of hanging.
    if (pid != 0 && ++yieldsAfterClose == 5000) ::kill(pid, SIGUSR1);
    if (pid != 0 || !window) return;
    const std::string text = window->View().Text(console_form::rtfOutput);
    const auto at = text.find("pid ");
    if (at == std::string::npos || text.find("\r\n", at) == std::string::npos) return;
    pid = static_cast<pid_t>(std::stol(text.substr(at + 4)));
    window->close();
  };
  Run(helper + " wait");
  yield.hook = nullptr;
  ASSERT_GT(pid, 0);
  EXPECT_LT(yieldsAfterClose, 5000);
  EXPECT_TRUE(messages.shown.empty());
  Reap();
  EXPECT_TRUE(window.isNull());
  // The close request is a signal; give the system a moment to deliver it and the host to reap.
  for (int i = 0; i < 1000 && !ProcessGone(pid); ++i) {
    QCoreApplication::processEvents();
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  EXPECT_TRUE(ProcessGone(pid));
  if (!ProcessGone(pid)) ::kill(pid, SIGKILL);
}

}  // namespace
}  // namespace framora::qt
