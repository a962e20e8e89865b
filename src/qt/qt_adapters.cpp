#include "qt/qt_adapters.h"

#include <QApplication>
#include <QCoreApplication>
#include <QDBusInterface>
#include <QDBusMessage>
#include <QDesktopServices>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QProcess>
#include <QUrl>

#include "app/identity.h"
#include "info/desktop_sys_info.h"

namespace framora::qt {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
}  // namespace

void QtMessageBox::ShowMessage(const std::string& prompt, MessageIcon icon,
                               const std::string& title) {
  QMessageBox box(icon == MessageIcon::Critical ? QMessageBox::Critical : QMessageBox::NoIcon,
                  Q(title.empty() ? std::string(identity::kTitle) : title), Q(prompt),
                  QMessageBox::Ok);
  box.setTextFormat(Qt::PlainText);
  box.exec();
}

QStringList NameFilters(const std::string& filter) {
  const QStringList parts = Q(filter).split('|');
  QStringList filters;
  for (int i = 0; i < parts.size(); i += 2) {
    const QString description = parts[i];
    // The common dialog's patterns: ';' between them, "*.*" for every file, and letter case
    // aside, which Linux's file names do not leave aside.
    QStringList patterns;
    for (const QString& one : (i + 1 < parts.size() ? parts[i + 1] : QString()).split(';')) {
      const QString trimmed = one.trimmed();
      if (trimmed == "*.*") {
        patterns << "*";
      } else if (!trimmed.isEmpty()) {
        patterns << trimmed;
        if (trimmed.toUpper() != trimmed) patterns << trimmed.toUpper();
      }
    }
    const QString pattern = patterns.join(' ');
    // Qt takes the patterns from the last parentheses of an entry and, with the details hidden,
    // shows what stands before them: the description, exactly as given.
    filters << description + " (" + (pattern.isEmpty() ? QStringLiteral("*") : pattern) + ")";
  }
  return filters;
}

void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request) {
  dialog.setWindowTitle(Q(request.dialogTitle));
  dialog.setOption(QFileDialog::DontUseNativeDialog);
  dialog.setOption(QFileDialog::HideNameFilterDetails);
  // The dialogs' plain behaviour: any name may be typed, and the launch, not the dialog, is
  // the guard against an output file that exists.
  dialog.setOption(QFileDialog::DontConfirmOverwrite);
  // Several files are chosen among those that exist: Shift and Ctrl clicks and Ctrl+A select them.
  dialog.setFileMode(request.multiSelect && request.kind == FileDialogKind::Open
                         ? QFileDialog::ExistingFiles
                         : QFileDialog::AnyFile);
  dialog.setAcceptMode(request.kind == FileDialogKind::Save ? QFileDialog::AcceptSave
                                                            : QFileDialog::AcceptOpen);
  if (!request.filter.empty()) dialog.setNameFilters(NameFilters(request.filter));
  if (!request.defaultExt.empty()) dialog.setDefaultSuffix(Q(request.defaultExt));
  if (!request.fileName.empty()) {
    const QFileInfo info(Q(request.fileName));
    if (info.isAbsolute()) dialog.setDirectory(info.absolutePath());
    dialog.selectFile(Q(request.fileName));
  }
}

std::optional<FileDialogChoice> QtFileDialog::Run(const FileDialogRequest& request) {
  QFileDialog dialog(QApplication::activeWindow());
  ConfigureFileDialog(dialog, request);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return std::nullopt;
  return Chosen(dialog);
}

FileDialogChoice Chosen(const QFileDialog& dialog) {
  // With the details hidden the dialog names the entry by its description alone.
  const QString selected = dialog.selectedNameFilter();
  const QStringList filters = dialog.nameFilters();
  int entry = 1;
  for (int i = 0; i < filters.size(); ++i) {
    if (filters[i] == selected || filters[i].startsWith(selected + " (")) {
      entry = i + 1;
      break;
    }
  }
  FileDialogChoice choice{{}, entry, {}};
  for (const QString& file : dialog.selectedFiles()) choice.fileNames.push_back(file.toStdString());
  if (!choice.fileNames.empty()) choice.fileName = choice.fileNames.front();
  return choice;
}

void QtDesktop::OpenUrl(const std::string& url) { QDesktopServices::openUrl(QUrl(Q(url))); }

bool QtDesktop::StartProgram(const std::string& path, int /*showState*/) {
  // Here the text is a command: a desktop's tool may need an argument, as GNOME Settings needs
  // the page to open. A desktop program shows its own window normally; there is no show state
  // to pass.
  return StartDesktopCommand(path);
}

bool QtDesktop::ShowFolder(const std::string& folder, const std::string& selected) {
  QDBusInterface manager("org.freedesktop.FileManager1", "/org/freedesktop/FileManager1",
                         "org.freedesktop.FileManager1");
  if (manager.isValid()) {
    const QString item = QUrl::fromLocalFile(Q(selected.empty() ? folder : selected)).toString();
    const QDBusMessage reply = manager.call("ShowItems", QStringList{item}, QString());
    if (reply.type() == QDBusMessage::ReplyMessage) return true;
  }
  // Without a file manager the folder has no default program: nothing would open, and the
  // user is told so rather than left waiting.
  QProcess query;
  query.start("xdg-mime", {"query", "default", "inode/directory"});
  if (!query.waitForFinished(3000) || query.exitCode() != 0 ||
      query.readAllStandardOutput().trimmed().isEmpty()) {
    return false;
  }
  return QDesktopServices::openUrl(QUrl::fromLocalFile(Q(folder)));
}

bool QtYield::Yield() {
  // A flood of output yields before every small read. Handling the queued events at most once
  // a millisecond leaves the windows as lively and costs a small part of doing it every time.
  if (!sinceEvents_.isValid() || sinceEvents_.nsecsElapsed() >= kEventsEveryNs) {
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    sinceEvents_.start();
  }
  return !(ending_ && ending_());
}

}  // namespace framora::qt
