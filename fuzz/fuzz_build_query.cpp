// Feeds any host text and type text to BuildQuery: it either rejects them
// with the framework's error or writes a well-formed query, and a name of
// ordinary labels comes back out of the query unchanged.
#include "lookup/DnsMessage.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace {

using namespace dnspeek;

void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// The host text's labels: split at its dots, a final dot ending the last
// label rather than starting an empty one.
std::vector<std::string_view> Labels(std::string_view host)
{
    std::vector<std::string_view> labels;
    while (!host.empty()) {
        const std::size_t dot = host.find('.');
        labels.push_back(host.substr(0, dot));
        host.remove_prefix(dot == std::string_view::npos ? host.size() : dot + 1);
    }
    return labels;
}

// A length byte and the characters of every label, then the zero byte.
std::size_t EncodedSize(const std::vector<std::string_view>& labels)
{
    std::size_t size = 1;
    for (const std::string_view label : labels)
        size += 1 + label.size();
    return size;
}

bool Encodable(const std::vector<std::string_view>& labels)
{
    return EncodedSize(labels) <= MaxEncodedNameSize
        && std::ranges::all_of(labels, [](std::string_view label) { return label.size() <= MaxLabelLength; });
}

// Ordinary labels: what any DNS reader takes for a name.
bool Ordinary(const std::vector<std::string_view>& labels)
{
    constexpr std::size_t DnsLabelLimit = 63;
    return std::ranges::all_of(labels,
                               [](std::string_view label) { return !label.empty() && label.size() <= DnsLabelLimit; });
}

std::optional<std::int32_t> Converted(std::string_view type)
{
    try {
        return StrToInt(Trim(type));
    } catch (const EConvertError&) {
        return std::nullopt;
    }
}

// Reads a name as a DNS reader does: labels of 1 to 63 bytes up to the zero
// byte, joined by dots. Returns the name and the bytes it took.
struct TDecodedName {
    std::string name;
    std::size_t size = 0;
};
std::optional<TDecodedName> DecodeName(std::span<const std::uint8_t> bytes)
{
    constexpr std::uint8_t DnsLabelLimit = 63;
    TDecodedName decoded;
    std::size_t at = 0;
    while (at < bytes.size()) {
        const std::uint8_t length = bytes[at++];
        if (length == 0) {
            decoded.size = at;
            return decoded;
        }
        if (length > DnsLabelLimit || length > bytes.size() - at)
            return std::nullopt;
        if (!decoded.name.empty())
            decoded.name += '.';
        decoded.name.append(reinterpret_cast<const char*>(bytes.data() + at), length);
        at += length;
    }
    return std::nullopt;
}

void CheckQuery(std::span<const std::uint8_t> message, std::string_view host, std::int32_t type)
{
    const std::vector<std::string_view> labels = Labels(host);
    const std::size_t nameSize = EncodedSize(labels);
    Require(message.size() == HeaderSize + nameSize + 4 && message.size() <= QueryBufferSize);
    constexpr std::array<std::uint8_t, HeaderSize> Header{0x11, 0xDF, 0x01, 0x00, 0x00, 0x01,
                                                          0x00, 0x00, 0x00, 0x00, 0x00, 0x00};
    Require(std::ranges::equal(message.first(HeaderSize), Header));
    const auto type16 = static_cast<std::uint16_t>(type);
    const std::array<std::uint8_t, 4> typeAndClass{static_cast<std::uint8_t>(type16 >> 8),
                                                   static_cast<std::uint8_t>(type16 & 0xFF), 0x00, 0x01};
    Require(std::ranges::equal(message.last(4), typeAndClass));
    const auto name = message.subspan(HeaderSize, nameSize);
    Require(name.back() == 0);
    if (Ordinary(labels)) {
        const std::optional<TDecodedName> decoded = DecodeName(name);
        const std::string_view expected = host.ends_with('.') ? host.substr(0, host.size() - 1) : host;
        Require(decoded && decoded->size == nameSize && decoded->name == expected);
    }
}

}  // namespace

// The first byte is the length of the type text that follows it; the rest is
// the host text, trimmed as the lookup trims it.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size == 0)
        return 0;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const std::size_t typeSize = std::min<std::size_t>(data[0], size - 1);
    const std::string_view type = input.substr(1, typeSize);
    const ByteString host = Trim(input.substr(1 + typeSize));
    const bool encodable = Encodable(Labels(host));
    const std::optional<std::int32_t> converted = Converted(type);
    try {
        const TQueryBuffer query = BuildQuery(host, type);
        Require(query.Ok() && encodable && converted);
        // NOLINTNEXTLINE(bugprone-unchecked-optional-access): Require has trapped unless it holds a value.
        CheckQuery(query.Message(), host, *converted);
    } catch (const EConvertError&) {
        // The name is written, and so checked, before the type is read.
        Require(encodable && !converted);
    } catch (const Exception&) {
        Require(!encodable);
    }
    return 0;
}
