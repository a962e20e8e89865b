#include "qt/main_window.h"

#include <QDropEvent>
#include <QMimeData>

#include "main_window/main_form.h"
#include "main_window/main_window.h"

namespace framora::qt {

QtMainWindow::QtMainWindow(AppContext& ctx, WindowRegistry* registry)
    : FramoraWindow(main_form::Form(), registry),
      logic_(std::make_unique<framora::MainWindowLogic>(
          *this, MainWindowPorts{*ctx.settings, *ctx.messages, *ctx.fileDialog, *ctx.files,
                                 *ctx.desktop, *ctx.windows, ShellKind::Posix, ctx.programs,
                                 ctx.ffmpegSearch, ctx.desk, ctx.modal})) {
  Build(TargetOf(*logic_));
  // Files from a file manager may be dropped on a field or anywhere else on the window.
  setAcceptDrops(true);
  for (const ControlDesign& control : Form().controls) {
    if (control.kind == ControlKind::TextBox) Widget(control.id)->installEventFilter(this);
  }
}

QtMainWindow::~QtMainWindow() = default;

bool QtMainWindow::TakeDrop(QEvent* event, ControlId control) {
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

void QtMainWindow::dragEnterEvent(QDragEnterEvent* event) {
  if (!TakeDrop(event, WindowItself(main_form::kWindow))) FramoraWindow::dragEnterEvent(event);
}

void QtMainWindow::dragMoveEvent(QDragMoveEvent* event) {
  if (!TakeDrop(event, WindowItself(main_form::kWindow))) FramoraWindow::dragMoveEvent(event);
}

void QtMainWindow::dropEvent(QDropEvent* event) {
  if (!TakeDrop(event, WindowItself(main_form::kWindow))) FramoraWindow::dropEvent(event);
}

bool QtMainWindow::eventFilter(QObject* watched, QEvent* event) {
  for (const ControlDesign& control : Form().controls) {
    if (control.kind == ControlKind::TextBox && watched == Widget(control.id) &&
        TakeDrop(event, control.id)) {
      return true;
    }
  }
  return FramoraWindow::eventFilter(watched, event);  // Enter
}

}  // namespace framora::qt
