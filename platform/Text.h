#pragma once

#include "platform/Exception.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace dnspeek {

// Texts are 8-bit byte strings. Text from the window arrives as UTF-8 and is
// sent as typed; nothing here knows about encodings.
using ByteString = std::string;

// Removes the leading and trailing bytes of code 32 and below. DEL and bytes
// of 128 and above stay, so a UTF-8 no-break space is kept.
[[nodiscard]] ByteString Trim(std::string_view text);

// Reads a decimal integer with an optional sign ("015" is 15) in the signed
// 32-bit range; anything else, the empty text included, raises EConvertError.
[[nodiscard]] std::int32_t StrToInt(std::string_view text);

}  // namespace dnspeek
