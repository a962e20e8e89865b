// The program's button in the task bar or dock of a Linux desktop: the launcher entry signal
// that KDE Plasma, the Ubuntu dock and Dash-to-Dock follow ("Update" of
// com.canonical.Unity.LauncherEntry on the session bus, for the installed desktop entry).
// Without a session bus nothing happens, and nothing is started to provide one.
#pragma once

#include <QString>
#include <QVariantMap>
#include <memory>

#include "app/ports.h"

class QDBusConnection;

namespace framora::qt {

class LauncherEntryProgress : public TaskbarProgressPort {
 public:
  // appId: the desktop entry's name without ".desktop".
  explicit LauncherEntryProgress(const QString& appId);
  // Leaves nothing shown behind.
  ~LauncherEntryProgress() override;
  LauncherEntryProgress(const LauncherEntryProgress&) = delete;
  LauncherEntryProgress& operator=(const LauncherEntryProgress&) = delete;

  void ShowProgress(double fraction) override;
  void ClearProgress() override;

 private:
  void Send(const QVariantMap& properties);
  // The session bus, connected on first use; false when there is none.
  bool Connected();

  QString appUri_;
  std::unique_ptr<QDBusConnection> bus_;
  bool tried_ = false;
  bool shown_ = false;
};

}  // namespace framora::qt
