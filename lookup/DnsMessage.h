#pragma once

#include "platform/Exception.h"
#include "platform/Text.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

namespace dnspeek {

inline constexpr std::size_t QueryBufferSize = 4000;
inline constexpr std::size_t ReplyBufferSize = 2048;
inline constexpr std::size_t HeaderSize = 12;
// Header, then the name, then type and class of two bytes each.
inline constexpr std::size_t MaxEncodedNameSize = QueryBufferSize - HeaderSize - 4;
// A length byte keeps 7 bits of the label length in this format; a longer
// label would get a length byte that disagrees with the bytes written.
inline constexpr std::size_t MaxLabelLength = 127;

inline constexpr std::uint16_t QueryId = 0x11DF;
// QR 0, opcode 0, AA 0, TC 0, RD 1.
inline constexpr std::uint8_t HeaderFlagsByte = 0x01;
inline constexpr std::uint16_t QueryClassInternet = 1;

using TReplyBuffer = std::array<std::uint8_t, ReplyBufferSize>;

// QueryBuffer and its write position. A write that would pass the end of the
// buffer writes nothing, not even part of itself, and every later write is
// dropped too.
class TQueryBuffer {
public:
    void PutU8(std::uint8_t value);
    void PutU16BE(std::uint16_t value);
    void PutBytes(std::string_view bytes);

    [[nodiscard]] bool Ok() const { return ok_; }
    // The bytes written so far: the message, once BuildQuery has returned.
    // Not on a temporary, whose bytes would be gone before they are read.
    [[nodiscard]] std::span<const std::uint8_t> Message() const& { return {QueryBuffer.data(), length_}; }
    std::span<const std::uint8_t> Message() const&& = delete;

private:
    // True when `count` more bytes fit; otherwise latches the failure.
    bool Reserve(std::size_t count);

    std::array<std::uint8_t, QueryBufferSize> QueryBuffer{};
    std::size_t length_ = 0;
    bool ok_ = true;
};

// Writes the query for a host text and a type text. Raises Exception for a
// host text that cannot be encoded (a label over MaxLabelLength characters,
// or a name over MaxEncodedNameSize bytes) and EConvertError for a type text
// that is not a number; nothing is written to the network either way.
[[nodiscard]] TQueryBuffer BuildQuery(std::string_view hostText, std::string_view typeText);

struct TLookupResult {
    ByteString QuestionName;
    ByteString FoundValue;
};

// Reads the echoed question name and, for a mail-exchanger question whose
// echoed name matches keptHostText, the first answer's exchange name; for
// type "1" the found value is the question name.
[[nodiscard]] TLookupResult ReadReply(const TReplyBuffer& ReplyBuffer, std::string_view keptHostText,
                                      std::string_view typeText);

}  // namespace dnspeek
