// What the fuzz targets do when a property does not hold: say which one, show the input in a
// readable form, and abort so that libFuzzer keeps the input as a crash.
#pragma once

#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

namespace framora::fuzz {

// C-style escapes for everything outside printable ASCII, so CRs and NULs show.
inline std::string Visible(std::string_view text) {
  std::string out;
  for (unsigned char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\n') {
      out += "\\n";
    } else if (c == '\\') {
      out += "\\\\";
    } else if (c < 0x20 || c >= 0x7F) {
      char hex[8];
      std::snprintf(hex, sizeof hex, "\\x%02X", c);
      out += hex;
    } else {
      out += static_cast<char>(c);
    }
  }
  return out;
}

[[noreturn]] inline void Fail(const std::string& what) {
  std::fprintf(stderr, "\n*** property broken: %s\n", what.c_str());
  std::abort();
}

inline void Check(bool holds, const std::string& what) {
  if (!holds) Fail(what);
}

}  // namespace framora::fuzz
