// An in-memory settings store that tells "never written" from "written empty".
#pragma once

#include <map>
#include <string>
#include <tuple>
#include <vector>

#include "app/ports.h"

namespace framora::test {

class FakeSettings : public SettingsStore {
 public:
  using Address = std::tuple<std::string, std::string, std::string>;

  std::optional<std::string> Read(const std::string& app, const std::string& section,
                                  const std::string& key) override {
    auto it = values.find({app, section, key});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Write(const std::string& app, const std::string& section, const std::string& key,
             const std::string& value) override {
    values[{app, section, key}] = value;
    writes.push_back({app, section, key});
  }

  std::map<Address, std::string> values;
  std::vector<Address> writes;
};

}  // namespace framora::test
