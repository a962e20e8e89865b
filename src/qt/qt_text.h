// Text between the core (UTF-8 in std::string) and Qt (QString).
#pragma once

#include <QString>
#include <string>
#include <string_view>

namespace framora::qt {

inline QString Q(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

inline std::string S(const QString& text) { return text.toUtf8().toStdString(); }

}  // namespace framora::qt
