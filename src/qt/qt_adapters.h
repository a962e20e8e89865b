// Qt adapters of the core's ports: message boxes, the file dialog, the desktop, the yield.
#pragma once

#include <QElapsedTimer>
#include <QFileDialog>
#include <QPointer>
#include <QWidget>
#include <functional>

#include "app/ports.h"

namespace framora::qt {

class QtMessageBox : public MessageBoxPort {
 public:
  void ShowMessage(const std::string& prompt, MessageIcon icon, const std::string& title) override;
};

class QtFileDialog : public FileDialogPort {
 public:
  std::optional<FileDialogChoice> Run(const FileDialogRequest& request) override;
};

// Turns "description|pattern|..." into Qt's name filters. A description without a pattern
// lists every file (an FFmpeg program on Linux has no .exe).
QStringList NameFilters(const std::string& filter);

// Everything the request asks of the dialog: title, kind, filters shown by their descriptions
// alone, default extension, the file name, several files; no flags beyond the plain dialog's
// behaviour.
void ConfigureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

// The files of a dialog left with OK, and which of its filter's entries was selected.
FileDialogChoice Chosen(const QFileDialog& dialog);

class QtDesktop : public DesktopPort {
 public:
  void OpenUrl(const std::string& url) override;
  bool StartProgram(const std::string& path, int showState) override;
  // The desktop's file manager over D-Bus (FileManager1), which picks out the file; else the
  // folder's own default program.
  bool ShowFolder(const std::string& folder, const std::string& selected) override;
};

class QtYield : public YieldPort {
 public:
  explicit QtYield(std::function<bool()> ending) : ending_(std::move(ending)) {}
  bool Yield() override;

 private:
  static constexpr qint64 kEventsEveryNs = 1'000'000;
  std::function<bool()> ending_;
  QElapsedTimer sinceEvents_;
};

}  // namespace framora::qt
