#pragma once

#include "lookup/DnsMessage.h"
#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"

#include <chrono>
#include <cstdint>

namespace dnspeek {

// The public recursive resolver every lookup asks; not configurable.
inline constexpr char ResolverAddress[] = "9.9.9.9";
inline constexpr std::uint16_t ResolverPort = 53;
inline const TEndpoint ResolverEndpoint{ResolverAddress, ResolverPort};
// The window is frozen while a lookup waits, so the wait is short.
inline constexpr std::chrono::milliseconds ReceiveBound{3000};
// Version 2.0: major in the low byte, minor in the high byte.
inline constexpr std::uint16_t SocketVersionWord = 0x0002;

// What the button does: one complete lookup per click, on the caller's thread.
class TLookupCommand {
public:
    // The resolver and the bound are parameters so that tests can point the
    // command at a responder on loopback.
    TLookupCommand(TLookupWindow& window, TSocketLibrary& sockets,
                   TEndpoint resolver = ResolverEndpoint,
                   std::chrono::milliseconds receiveBound = ReceiveBound);

    // Raises the errors of BuildQuery, after which nothing has been sent and
    // no result line added.
    void Button1Click();

private:
    int StartSockets();
    void StopSockets();
    void DumpReply(const TReplyBuffer& ReplyBuffer);
    TReplyBuffer Exchange(const TQueryBuffer& query);

    TLookupWindow& window_;
    TSocketLibrary& sockets_;
    TEndpoint resolver_;
    std::chrono::milliseconds receiveBound_;
    // Written by every start of the socket library.
    TWSAData wsaData_;
};

}  // namespace dnspeek
