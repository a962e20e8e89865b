#include "qt/window_manager.h"

#include <QCoreApplication>

namespace framora::qt {

namespace {
std::size_t Index(WindowId id) { return static_cast<std::size_t>(id); }
}  // namespace

QtWindowManager::~QtWindowManager() {
  for (auto& w : windows_) delete w.data();
}

FramoraWindow* QtWindowManager::Loaded(WindowId id) const {
  FramoraWindow* w = windows_[Index(id)].data();
  return (w && !w->IsClosed()) ? w : nullptr;
}

bool QtWindowManager::IsLoaded(WindowId id) const { return Loaded(id) != nullptr; }

WindowView& QtWindowManager::Ref(WindowId id) {
  if (FramoraWindow* w = Loaded(id)) return *w;
  FramoraWindow* w = factory_(id);
  windows_[Index(id)] = w;
  w->Load();
  return *w;
}

void QtWindowManager::Show(WindowId id) {
  Ref(id);
  FramoraWindow* w = Loaded(id);
  if (!w) return;  // its own load closed it again
  w->show();
  w->raise();
  w->activateWindow();
}

void QtWindowManager::EndProgram() {
  // Nested loops (a run in the console) see this through the yield and stop; the main loop
  // ends once they have returned.
  ending_ = true;
  for (auto& w : windows_) {
    if (w) w->hide();
  }
  QCoreApplication::exit(0);
}

}  // namespace framora::qt
