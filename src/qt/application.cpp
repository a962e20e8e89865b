#include "qt/application.h"

#include <QCoreApplication>

#include "qt/about_window.h"
#include "qt/console_window.h"
#include "qt/donate_window.h"
#include "qt/main_window.h"

namespace framora::qt {

struct Application::Adapters {};

Application::Application() : adapters_(std::make_unique<Adapters>()) {
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
  ctx_.windows = windows_.get();
  ctx_.programFolder = QCoreApplication::applicationDirPath().toStdString();
}

Application::~Application() = default;

void Application::Start() { windows_->Show(WindowId::Form1); }

}  // namespace framora::qt
