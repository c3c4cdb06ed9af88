#pragma once

#include "lookup/DnsMessage.h"
#include "tests/support/LoopbackResponder.h"

#include <algorithm>
#include <cstdint>
#include <initializer_list>

namespace dnspeek::test {

// Replies are written out byte by byte here, never by the query writer, so a
// misunderstanding shared by writer and reader cannot pass unseen.

inline Bytes Concat(std::initializer_list<Bytes> parts)
{
    Bytes all;
    for (const Bytes& part : parts)
        all.insert(all.end(), part.begin(), part.end());
    return all;
}

// Identifier 11 DF, a response with RD and RA, one question, `answers` answers.
inline Bytes ReplyHeader(std::uint16_t answers)
{
    return {0x11, 0xDF, 0x81, 0x80, 0x00, 0x01,
            static_cast<std::uint8_t>(answers >> 8), static_cast<std::uint8_t>(answers & 0xFF),
            0x00, 0x00, 0x00, 0x00};
}

// 'ab.cde' as labels.
inline const Bytes AbCde{0x02, 'a', 'b', 0x03, 'c', 'd', 'e', 0x00};

// The question at offset 12: its name, then QTYPE and QCLASS.
inline Bytes Question(const Bytes& name, std::uint8_t type)
{
    return Concat({name, {0x00, type, 0x00, 0x01}});
}

inline Bytes AbCdeQuestion(std::uint8_t type)
{
    return Question(AbCde, type);
}

// An answer owned by the name at offset 12: TYPE, CLASS 1, TTL 3600, and
// RDLENGTH covering the preference and the exchange bytes.
inline Bytes AnswerHead(std::uint8_t type, std::size_t exchangeSize)
{
    return {0xC0, 0x0C, 0x00, type, 0x00, 0x01, 0x00, 0x00, 0x0E, 0x10,
            0x00, static_cast<std::uint8_t>(2 + exchangeSize), 0x00, 0x0A};
}

// An MX reply echoing the question name `name`, whose exchange name is
// `exchange`.
inline Bytes MxReply(const Bytes& name, const Bytes& exchange)
{
    return Concat({ReplyHeader(1), Question(name, 15), AnswerHead(15, exchange.size()), exchange});
}

// The same for 'ab.cde': the exchange name starts at offset 38.
inline Bytes AbCdeMxReply(const Bytes& exchange)
{
    return MxReply(AbCde, exchange);
}

// 'mx' and a pointer to the question name: mx.ab.cde.
inline const Bytes MxExchange{0x02, 'm', 'x', 0xC0, 0x0C};

// The datagram as it lands in a fresh ReplyBuffer: zeros after its end.
inline TReplyBuffer InReplyBuffer(const Bytes& datagram)
{
    TReplyBuffer buffer{};
    std::copy_n(datagram.begin(), std::min(datagram.size(), buffer.size()), buffer.begin());
    return buffer;
}

}  // namespace dnspeek::test
