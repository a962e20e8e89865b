// Gives a test program its own HOME, XDG_CONFIG_HOME and working folder, removed at exit,
// so that no test ever touches the real user's files.
#pragma once

#include <string>

namespace framora::test {

// Sets up the temporary environment; returns its root folder.
std::string EnterTempEnvironment();
// A fresh empty folder below the temporary root.
std::string MakeTempDir(const std::string& prefix = "dir");
void LeaveTempEnvironment();

}  // namespace framora::test
