#pragma once

#include "platform/SocketLibrary.h"

#include <atomic>
#include <cstdint>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

namespace dnspeek::test {

using Bytes = std::vector<std::uint8_t>;

// A socket as the system names it: a SOCKET handle on Windows, a descriptor elsewhere.
#ifdef _WIN32
using TNativeSocket = std::uintptr_t;
#else
using TNativeSocket = int;
#endif

// A UDP responder on 127.0.0.1 and a free port, serving in a thread of its
// own until it goes. Every datagram it receives is kept; the answer function
// gives the reply to send back to its sender, and an empty reply sends nothing.
class TLoopbackResponder {
public:
    using TAnswer = std::function<Bytes(std::span<const std::uint8_t> query, const TEndpoint& sender)>;

    explicit TLoopbackResponder(TAnswer answer);
    // Answers every query with the same reply.
    explicit TLoopbackResponder(Bytes reply);
    ~TLoopbackResponder();
    TLoopbackResponder(const TLoopbackResponder&) = delete;
    TLoopbackResponder& operator=(const TLoopbackResponder&) = delete;

    [[nodiscard]] TEndpoint Endpoint() const { return {"127.0.0.1", socket_.port}; }
    [[nodiscard]] std::vector<Bytes> Queries() const;

private:
    void Serve();

    struct TBoundSocket {
        TNativeSocket fd;
        std::uint16_t port;
    };
    static TBoundSocket BindLoopback();

    const TBoundSocket socket_;
    TAnswer answer_;
    mutable std::mutex mutex_;
    std::vector<Bytes> queries_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

// A loopback port that nothing listens on: a datagram sent there is refused.
[[nodiscard]] TEndpoint RefusingEndpoint();

// Sends one datagram to `to` from a new socket on another loopback port.
void SendFromAnotherPort(const TEndpoint& to, const Bytes& datagram);

}  // namespace dnspeek::test
