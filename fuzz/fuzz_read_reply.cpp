// Feeds any reply, host text and type text to ReadReply and checks what
// must hold for every one of them.
#include "lookup/DnsMessage.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace {

void Require(bool holds)
{
    if (!holds)
        __builtin_trap();
}

// Characters are appended with their top bit cleared, and the reader adds
// nothing but dots.
bool SevenBit(std::string_view text)
{
    return std::ranges::all_of(text, [](char c) { return static_cast<unsigned char>(c) < 0x80; });
}

}  // namespace

// The first 2048 bytes are the reply, landing in a zero-filled ReplyBuffer as
// a received datagram would; the bytes after them, up to 4096 in all, are the
// host text and the type text, split at the first newline.
extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace dnspeek;
    size = std::min(size, 2 * ReplyBufferSize);
    const std::size_t replySize = std::min(size, ReplyBufferSize);
    TReplyBuffer reply{};
    std::copy_n(data, replySize, reply.begin());
    const std::string_view texts(reinterpret_cast<const char*>(data) + replySize, size - replySize);
    const std::size_t newline = texts.find('\n');
    const std::string_view host = texts.substr(0, newline);
    const std::string_view type = newline == std::string_view::npos ? std::string_view() : texts.substr(newline + 1);

    const TLookupResult result = ReadReply(reply, host, type);

    Require(SevenBit(result.QuestionName) && SevenBit(result.FoundValue));
    // The question name is never read through a pointer: at most one
    // character for each byte after its first length byte, and the dot of a
    // label that ends at the end of the buffer.
    Require(result.QuestionName.size() <= ReplyBufferSize - HeaderSize);
    if (reply[6] == 0 && reply[7] == 0)
        Require(result.QuestionName.empty() && result.FoundValue.empty());
    const ByteString trimmedType = Trim(type);
    if (trimmedType == "1")
        Require(result.FoundValue == result.QuestionName);
    else if (trimmedType != "15")
        Require(result.FoundValue.empty());
    return 0;
}
