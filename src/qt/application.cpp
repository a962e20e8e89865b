#include "qt/application.h"

#include <QCoreApplication>

#include "app/identity.h"

#include "platform/posix/posix_files.h"
#include "platform/posix/posix_process_host.h"
#include "platform/posix/posix_registry.h"
#include "qt/about_window.h"
#include "qt/console_window.h"
#include "qt/donate_window.h"
#include "qt/main_window.h"
#include "qt/qt_adapters.h"
#include "qt/qt_settings.h"
#include "qt/qt_taskbar.h"
#include "qt/wrap_button.h"

namespace framora::qt {

struct Application::Adapters {
  QtSettingsStore settings;
  QtMessageBox messages;
  QtFileDialog fileDialog;
  QtDesktop desktop;
  posix::PosixFileSystem files;
  posix::PosixProgramSearch programs;
  LauncherEntryProgress taskbar{identity::kAppId};
  posix::PosixRegistry registry;
  std::unique_ptr<QtYield> yield;
};

Application::Application(Overrides overrides) : adapters_(std::make_unique<Adapters>()) {
  InstallFonts();
  windows_ = std::make_unique<QtWindowManager>([this](WindowId id) -> FramoraWindow* {
    switch (id) {
      case WindowId::Form1:
        return new MainWindow(ctx_);
      case WindowId::frmReadOutput:
        return new ConsoleWindow(ctx_);
      case WindowId::frmAbout:
        return new AboutWindow(ctx_);
      case WindowId::frmDonate:
        return new DonateWindow(ctx_);
    }
    return nullptr;
  });
  adapters_->yield = std::make_unique<QtYield>([this] { return windows_->Ending(); });
  ctx_.settings = &adapters_->settings;
  ctx_.messages = overrides.messages ? overrides.messages : &adapters_->messages;
  ctx_.fileDialog = overrides.fileDialog ? overrides.fileDialog : &adapters_->fileDialog;
  ctx_.desktop = overrides.desktop ? overrides.desktop : &adapters_->desktop;
  ctx_.files = &adapters_->files;
  ctx_.yield = adapters_->yield.get();
  ctx_.registry = &adapters_->registry;
  ctx_.programs = &adapters_->programs;
  ctx_.taskbar = &adapters_->taskbar;
  ctx_.ffmpegSearch = PosixFfmpegSearch();
  ctx_.makeProcessHost = [this]() -> std::unique_ptr<ProcessHost> {
    return std::make_unique<posix::PosixProcessHost>(*adapters_->yield);
  };
  ctx_.windows = windows_.get();
  ctx_.programFolder = QCoreApplication::applicationDirPath().toStdString();
}

Application::Application() : Application(Overrides{}) {}

Application::~Application() = default;

void Application::Start() { windows_->Show(WindowId::Form1); }

}  // namespace framora::qt
