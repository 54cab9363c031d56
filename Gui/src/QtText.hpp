// QtText: the one place where the content's UTF-8 strings become Qt's.
#pragma once

#include <QString>
#include <string_view>

namespace quillo::gui {

inline QString qt(std::string_view text) {
  return QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size()));
}

}  // namespace quillo::gui
