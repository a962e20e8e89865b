#include "win32_ui/application.h"

#include <commctrl.h>

#include <algorithm>

#include "app/text.h"
#include "info/registry.h"
#include "queue/desk.h"
#include "runner/background_stops.h"
#include "runner/process_host.h"
#include "win32_ui/console_window.h"
#include "win32_ui/info_windows.h"
#include "win32_ui/main_window.h"
#include "win32_ui/modal_window.h"
#include "win32_ui/win32_desktop.h"
#include "win32_ui/win32_dialogs.h"
#include "win32_ui/win32_settings.h"
#include "win32_ui/win32_taskbar.h"
#include "win32_ui/win32_yield.h"

namespace framora::win32 {

namespace {

// The RichEdit control lives in its own library, loaded for the life of the program.
struct RichEditLibrary {
  HMODULE module = ::LoadLibraryW(L"Msftedit.dll");
  ~RichEditLibrary() {
    if (module != nullptr) ::FreeLibrary(module);
  }
  RichEditLibrary() = default;
  RichEditLibrary(const RichEditLibrary&) = delete;
  RichEditLibrary& operator=(const RichEditLibrary&) = delete;
};

// The folder of the program file, where FFmpeg is looked for first.
std::string ProgramFolder() {
  std::wstring path(32768, L'\0');  // as long as a path can be
  path.resize(::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size())));
  path.resize(std::min(path.size(), path.find_last_of(L"\\/")));
  return FromWide(path);
}

}  // namespace

struct Application::Adapters {
  // The yield gives each message to the windows' keyboard navigation first, as the main loop.
  explicit Adapters(Application& app) : yield([&app](MSG& msg) { return app.PreTranslate(msg); }) {}
  // The system's own, as the command line has them. The files go last: what a stop does once
  // its command has ended may remove one.
  const std::unique_ptr<FileSystemPort> files = MakeFileSystem();
  const std::unique_ptr<ProgramSearchPort> programs = MakeProgramSearch();
  const std::unique_ptr<RegistryPort> registry = MakeRegistry();
  // Stops still going when the windows have gone: the program ends once they are over.
  BackgroundStops stops;
  RichEditLibrary richEdit;
  Win32SettingsStore settings;
  Win32MessageBox messages;
  Win32FileDialog fileDialog;
  Win32Modal modal;
  Win32TaskbarProgress taskbar;
  Win32Desktop desktop;
  queue::Desk desk;
  Win32Yield yield;
};

Application::Application() {
  INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
  ::InitCommonControlsEx(&controls);
  adapters_ = std::make_unique<Adapters>(*this);
  windows_ = std::make_unique<WindowRegistry>(
      WindowRegistry::FrontEnd{[this](WindowId id) -> std::unique_ptr<RegisteredWindow> {
                                 switch (id) {
                                   case WindowId::Form1:
                                     return std::make_unique<Win32MainWindow>(ctx_, windows_.get());
                                   case WindowId::frmReadOutput:
                                     return std::make_unique<ConsoleWindow>(ctx_, windows_.get());
                                   case WindowId::frmAbout:
                                     return std::make_unique<AboutWindow>(ctx_, windows_.get());
                                   case WindowId::frmDonate:
                                     return std::make_unique<DonateWindow>(ctx_, windows_.get());
                                   case WindowId::frmSongsQuestion:
                                   case WindowId::frmQueueDone:
                                     break;  // shown modally, through ctx_.modal
                                 }
                                 return nullptr;
                               },
                               // Nested loops (a run in the console) see the quit message at their
                               // next yield and stop; the main loop ends once they have returned.
                               [] { ::PostQuitMessage(0); },
                               // The main loop reaps after every message.
                               {}});
  ctx_.settings = &adapters_->settings;
  ctx_.messages = &adapters_->messages;
  ctx_.fileDialog = &adapters_->fileDialog;
  ctx_.desktop = &adapters_->desktop;
  ctx_.files = adapters_->files.get();
  ctx_.yield = &adapters_->yield;
  ctx_.registry = adapters_->registry.get();
  ctx_.desk = &adapters_->desk;
  ctx_.windows = windows_.get();
  ctx_.modal = &adapters_->modal;
  ctx_.makeProcessHost = [this] { return MakeProcessHost(adapters_->yield, &adapters_->stops); };
  ctx_.programFolder = ProgramFolder();
  ctx_.programs = adapters_->programs.get();
  ctx_.taskbar = &adapters_->taskbar;
  ctx_.ffmpegSearch = WindowsFfmpegSearch(ctx_.programFolder);
}

Application::~Application() {
  windows_.reset();  // the windows go while the adapters they use are still there
}

int Application::Run() {
  windows_->Show(WindowId::Form1);
  // The shell tells the main window about its button once the loop below is running.
  if (auto* main = dynamic_cast<Win32Window*>(windows_->Loaded(WindowId::Form1))) {
    adapters_->taskbar.Attach(main->Handle());
  }
  MSG msg{};
  while (::GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (!PreTranslate(msg)) {
      ::TranslateMessage(&msg);
      ::DispatchMessageW(&msg);
    }
    windows_->ReapClosed();
  }
  return static_cast<int>(msg.wParam);
}

bool Application::PreTranslate(MSG& msg) {
  const HWND root = ::GetAncestor(msg.hwnd, GA_ROOT);
  if (root == nullptr || !windows_) return false;
  for (int id = 0; id < kWindowCount; ++id) {
    auto* window = dynamic_cast<Win32Window*>(windows_->Loaded(static_cast<WindowId>(id)));
    if (window != nullptr && window->Handle() == root) return window->PreTranslate(msg);
  }
  return false;
}

}  // namespace framora::win32
