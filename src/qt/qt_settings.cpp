#include "qt/qt_settings.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace framora::qt {

namespace {
QString Q(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
}  // namespace

QtSettingsStore::QtSettingsStore(QString configDir) : dir_(std::move(configDir)) {
  if (dir_.isEmpty()) {
    dir_ = QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) + "/framora";
  }
}

QString QtSettingsStore::FilePath(const std::string& app) const {
  return dir_ + "/" + Q(app) + ".ini";
}

std::optional<std::string> QtSettingsStore::Read(const std::string& app, const std::string& section,
                                                 const std::string& key) {
  // A fresh QSettings each time: another instance of the program may have written since.
  QSettings ini(FilePath(app), QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) return std::nullopt;
  ini.beginGroup(Q(section));
  const QVariant value = ini.value(Q(key));
  if (!value.isValid()) return std::nullopt;
  return value.toString().toUtf8().toStdString();
}

void QtSettingsStore::Write(const std::string& app, const std::string& section,
                            const std::string& key, const std::string& value) {
  const QString path = FilePath(app);
  const QFileInfo info(path);
  // A file we cannot read back, or that is not a file, is left as it is: the write is dropped.
  if (info.exists() && (!info.isFile() || !info.isReadable())) return;
  if (!QDir().mkpath(info.absolutePath())) return;
  QSettings ini(path, QSettings::IniFormat);
  if (ini.status() != QSettings::NoError) return;
  ini.beginGroup(Q(section));
  ini.setValue(Q(key), Q(value));
  ini.endGroup();
  // Written through a temporary file that replaces the old one, before we return: Exit ends
  // the program at once and nothing chosen may be lost.
  ini.sync();
}

}  // namespace framora::qt
