#include "qt/qt_taskbar.h"

#include <QDBusConnection>
#include <QDBusMessage>
#include <QFileInfo>

namespace framora::qt {

namespace {
constexpr const char* kConnection = "framora-launcher-entry";
constexpr const char* kPath = "/example/framora/AudioConverter";
constexpr const char* kInterface = "com.canonical.Unity.LauncherEntry";
}  // namespace

LauncherEntryProgress::LauncherEntryProgress(const QString& appId)
    : appUri_("application://" + appId + ".desktop") {}

LauncherEntryProgress::~LauncherEntryProgress() {
  ClearProgress();
  if (bus_) {
    // Signals leave in the background; one call to the bus, answered only after everything
    // sent before it, makes sure that they have left before the connection goes.
    bus_->call(QDBusMessage::createMethodCall("org.freedesktop.DBus", "/org/freedesktop/DBus",
                                              "org.freedesktop.DBus", "GetId"),
               QDBus::Block, 1000);
    bus_.reset();
    QDBusConnection::disconnectFromBus(kConnection);
  }
}

void LauncherEntryProgress::ShowProgress(double fraction) {
  Send({{"progress", fraction}, {"progress-visible", true}});
  shown_ = true;
}

void LauncherEntryProgress::ClearProgress() {
  if (!shown_) return;
  Send({{"progress", 0.0}, {"progress-visible", false}});
  shown_ = false;
}

bool LauncherEntryProgress::Connected() {
  if (tried_) return bus_ != nullptr;
  tried_ = true;
  // Only a bus that is there: asking for "the session bus" without one may start one.
  QString address = qEnvironmentVariable("DBUS_SESSION_BUS_ADDRESS");
  const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
  if (address.isEmpty() && !runtime.isEmpty() && QFileInfo::exists(runtime + "/bus")) {
    address = "unix:path=" + runtime + "/bus";
  }
  if (address.isEmpty()) return false;
  auto bus = std::make_unique<QDBusConnection>(QDBusConnection::connectToBus(address, kConnection));
  if (!bus->isConnected()) {
    bus.reset();
    QDBusConnection::disconnectFromBus(kConnection);
    return false;
  }
  bus_ = std::move(bus);
  return true;
}

void LauncherEntryProgress::Send(const QVariantMap& properties) {
  if (!Connected()) return;
  QDBusMessage update = QDBusMessage::createSignal(kPath, kInterface, "Update");
  update << appUri_ << properties;
  bus_->send(update);
}

}  // namespace framora::qt
