#include "app/settings.h"

namespace framora {

std::string ReadSetting(SettingsStore& store, const std::string& app, const std::string& section,
                        const std::string& key, const std::string& defaultValue) {
  return store.Read(app, section, key).value_or(defaultValue);
}

void WriteSetting(SettingsStore& store, const std::string& app, const std::string& section,
                  const std::string& key, const std::string& value) {
  store.Write(app, section, key, value);
}

}  // namespace framora
