#include "qt/application.h"

#include <QCoreApplication>
#include <QTimer>

#include "app/identity.h"
#include "info/registry.h"
#include "qt/about_window.h"
#include "qt/console_window.h"
#include "qt/donate_window.h"
#include "qt/main_window.h"
#include "qt/modal_window.h"
#include "qt/qt_adapters.h"
#include "qt/qt_settings.h"
#include "qt/qt_taskbar.h"
#include "qt/wrap_button.h"
#include "queue/desk.h"
#include "runner/background_stops.h"
#include "runner/process_host.h"

namespace framora::qt {

WindowRegistry::FrontEnd QtFrontEnd(std::function<FramoraWindow*(WindowId)> make) {
  // Pending reaps go with the registry, which holds the last reference to their context.
  auto reaper = std::make_shared<QObject>();
  return {
      [make = std::move(make)](WindowId id) { return std::unique_ptr<RegisteredWindow>(make(id)); },
      // Nested loops (a run in the console) see the end through the yield and stop; the
      // main loop ends once they have returned.
      [] { QCoreApplication::exit(0); },
      [reaper](WindowRegistry& registry) {
        QTimer::singleShot(0, reaper.get(), [&registry] { registry.ReapClosed(); });
      }};
}

struct Application::Adapters {
  // The files outlive the stops: work after a stop removes what its command was writing.
  std::unique_ptr<FileSystemPort> files = MakeFileSystem();
  // Stops still going when the windows have gone: the program ends once they are over.
  BackgroundStops stops;
  QtSettingsStore settings;
  QtMessageBox messages;
  QtFileDialog fileDialog;
  QtModal modal;
  QtDesktop desktop;
  std::unique_ptr<ProgramSearchPort> programs = MakeProgramSearch();
  LauncherEntryProgress taskbar{identity::kAppId};
  std::unique_ptr<RegistryPort> registry = MakeRegistry();
  queue::Desk desk;
  std::unique_ptr<QtYield> yield;
};

Application::Application(Overrides overrides) : adapters_(std::make_unique<Adapters>()) {
  InstallFonts();
  windows_ = std::make_unique<WindowRegistry>(QtFrontEnd([this](WindowId id) -> FramoraWindow* {
    switch (id) {
      case WindowId::Form1:
        return new QtMainWindow(ctx_, windows_.get());
      case WindowId::frmReadOutput:
        return new ConsoleWindow(ctx_, windows_.get());
      case WindowId::frmAbout:
        return new AboutWindow(ctx_, windows_.get());
      case WindowId::frmDonate:
        return new DonateWindow(ctx_, windows_.get());
      case WindowId::frmSongsQuestion:
      case WindowId::frmQueueDone:
        break;  // shown modally, through ctx_.modal
    }
    return nullptr;
  }));
  adapters_->yield = std::make_unique<QtYield>([this] { return windows_->Ending(); });
  ctx_.settings = &adapters_->settings;
  ctx_.messages = overrides.messages ? overrides.messages : &adapters_->messages;
  ctx_.fileDialog = overrides.fileDialog ? overrides.fileDialog : &adapters_->fileDialog;
  ctx_.desktop = overrides.desktop ? overrides.desktop : &adapters_->desktop;
  ctx_.files = adapters_->files.get();
  ctx_.yield = adapters_->yield.get();
  ctx_.registry = adapters_->registry.get();
  ctx_.desk = &adapters_->desk;
  ctx_.programs = adapters_->programs.get();
  ctx_.taskbar = &adapters_->taskbar;
  ctx_.ffmpegSearch = PosixFfmpegSearch();
  ctx_.makeProcessHost = [this]() -> std::unique_ptr<ProcessHost> {
    return MakeProcessHost(*adapters_->yield, &adapters_->stops);
  };
  ctx_.windows = windows_.get();
  ctx_.modal = overrides.modal ? overrides.modal : &adapters_->modal;
  ctx_.programFolder = QCoreApplication::applicationDirPath().toStdString();
}

Application::Application() : Application(Overrides{}) {}

Application::~Application() {
  windows_.reset();  // the windows go while the adapters they use are still there
}

void Application::Start() { windows_->Show(WindowId::Form1); }

FramoraWindow* Application::Window(WindowId id) const {
  return dynamic_cast<FramoraWindow*>(windows_->Loaded(id));
}

}  // namespace framora::qt
