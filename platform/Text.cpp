#include "platform/Text.h"

#include <charconv>
#include <limits>

namespace dnspeek {

namespace {

bool IsTrimmed(char c)
{
    return static_cast<unsigned char>(c) <= ' ';
}

// A text quoted in an error message is cut short so that a pasted megabyte
// does not become a megabyte-wide box.
ByteString Quoted(std::string_view text)
{
    constexpr std::size_t QuotedLimit = 40;
    if (text.size() <= QuotedLimit)
        return "'" + ByteString(text) + "'";
    return "'" + ByteString(text.substr(0, QuotedLimit)) + "...'";
}

}  // namespace

ByteString Trim(std::string_view text)
{
    while (!text.empty() && IsTrimmed(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && IsTrimmed(text.back()))
        text.remove_suffix(1);
    return ByteString(text);
}

std::int32_t StrToInt(std::string_view text)
{
    // from_chars takes a leading '-' but not '+', and nothing else before the
    // digits; the sign and digits are checked here so that it only converts.
    std::string_view digits = text;
    bool negative = false;
    if (!digits.empty() && (digits.front() == '+' || digits.front() == '-')) {
        negative = digits.front() == '-';
        digits.remove_prefix(1);
    }
    const bool allDigits = !digits.empty()
        && digits.find_first_not_of("0123456789") == std::string_view::npos;
    if (allDigits) {
        // The magnitude is read as 64 bits so that -2147483648 is in range.
        std::uint64_t magnitude = 0;
        const auto [end, error] = std::from_chars(digits.data(), digits.data() + digits.size(), magnitude);
        constexpr std::uint64_t PositiveLimit = std::numeric_limits<std::int32_t>::max();
        const std::uint64_t limit = negative ? PositiveLimit + 1 : PositiveLimit;
        if (error == std::errc{} && end == digits.data() + digits.size() && magnitude <= limit) {
            const auto value = static_cast<std::int64_t>(magnitude);
            return static_cast<std::int32_t>(negative ? -value : value);
        }
    }
    throw EConvertError(Quoted(text) + " is not a valid integer value");
}

}  // namespace dnspeek
