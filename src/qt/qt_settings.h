// The settings store as an INI file per application in the user's configuration folder.
#pragma once

#include <QString>

#include "app/ports.h"

namespace framora::qt {

class QtSettingsStore : public SettingsStore {
 public:
  // configDir: the folder that holds the files; empty means the user's configuration folder.
  explicit QtSettingsStore(QString configDir = {});

  std::optional<std::string> Read(const std::string& app, const std::string& section,
                                  const std::string& key) override;
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override;

  QString FilePath(const std::string& app) const;

 private:
  QString dir_;
};

}  // namespace framora::qt
