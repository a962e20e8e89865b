#include "qt/main_window.h"

#include <QAction>
#include <QDropEvent>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>

#include "main_window/main_form.h"
#include "main_window/main_window.h"
#include "qt/click_label.h"

namespace framora::qt {

using namespace main_form;

namespace {
constexpr ControlId kFields[] = {Text1, Text2, Text3, Text4};
}  // namespace

MainWindow::MainWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(main_form::Form(), registry),
      logic_(std::make_unique<framora::MainWindow>(
          *this,
          MainWindowPorts{*ctx.settings, *ctx.messages, *ctx.fileDialog, *ctx.files, *ctx.desktop,
                          *ctx.windows, ShellKind::Posix, ctx.programs, ctx.ffmpegSearch})) {
  Build();
  framora::MainWindow& logic = *logic_;
  const auto onClick = [this](ControlId button, void (framora::MainWindow::*handler)()) {
    connect(Control<QPushButton>(button), &QPushButton::clicked, this,
            [this, handler] { (logic_.get()->*handler)(); });
  };
  onClick(Command1, &framora::MainWindow::Command1_Click);
  onClick(Command2, &framora::MainWindow::Command2_Click);
  onClick(Command3, &framora::MainWindow::Command3_Click);
  onClick(Command4, &framora::MainWindow::Command4_Click);
  auto* picture = Control<ClickLabel>(Picture1);
  picture->setCursor(Qt::PointingHandCursor);
  connect(picture, &ClickLabel::clicked, this, [&logic] { logic.LaunchConversion(); });
  const auto onMenu = [this](ControlId item, void (framora::MainWindow::*handler)()) {
    connect(MenuItem(item), &QAction::triggered, this,
            [this, handler] { (logic_.get()->*handler)(); });
  };
  onMenu(mnuHelp, &framora::MainWindow::mnuHelp_Click);
  onMenu(mnuAbout, &framora::MainWindow::mnuAbout_Click);
  onMenu(mnuDonate, &framora::MainWindow::mnuDonate_Click);
  onMenu(mnuExit, &framora::MainWindow::mnuExit_Click);
  // Files from a file manager may be dropped on a field or anywhere else on the window; Enter
  // in Text4 launches.
  setAcceptDrops(true);
  for (ControlId field : kFields) Widget(field)->installEventFilter(this);
}

MainWindow::~MainWindow() = default;

void MainWindow::Load() { logic_->Load(); }

bool MainWindow::TakeDrop(QEvent* event, ControlId control) {
  const QEvent::Type type = event->type();
  if (type != QEvent::DragEnter && type != QEvent::DragMove && type != QEvent::Drop) return false;
  auto* drop = static_cast<QDropEvent*>(event);
  // Text dragged from an editor is the field's own business, as typing is.
  if (drop->mimeData() == nullptr || !drop->mimeData()->hasUrls()) return false;
  drop->acceptProposedAction();
  if (type == QEvent::Drop) {
    std::vector<std::string> items;
    for (const QUrl& url : drop->mimeData()->urls()) items.push_back(url.toEncoded().toStdString());
    logic_->FilesDropped(control, items);
  }
  return true;
}

void MainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!TakeDrop(event, WindowItself(kWindow))) FramoraWindow::dragEnterEvent(event);
}

void MainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!TakeDrop(event, WindowItself(kWindow))) FramoraWindow::dragMoveEvent(event);
}

void MainWindow::dropEvent(QDropEvent* event) {
  if (!TakeDrop(event, WindowItself(kWindow))) FramoraWindow::dropEvent(event);
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event) {
  for (ControlId field : kFields) {
    if (watched != Widget(field)) continue;
    if (TakeDrop(event, field)) return true;
    if (field == Text4 && event->type() == QEvent::KeyPress) {
      auto* key = static_cast<QKeyEvent*>(event);
      if (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)
        logic_->Text4_KeyDown(kKeyEnter, static_cast<int>(key->modifiers()));
    }
    return false;  // the key goes on to the field unchanged
  }
  return FramoraWindow::eventFilter(watched, event);
}

}  // namespace framora::qt
