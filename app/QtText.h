#pragma once

#include "platform/Text.h"

#include <QString>

#include <string_view>

namespace dnspeek {

// The one place where texts cross between the byte strings of the lookup and
// Qt: the bytes are UTF-8 both ways.
[[nodiscard]] ByteString ToByteString(const QString& text);
[[nodiscard]] QString ToQString(std::string_view text);

}  // namespace dnspeek
