#include "tests/support/LoopbackResponder.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <stdexcept>
#include <utility>

namespace dnspeek::test {

TLoopbackResponder::TBoundSocket TLoopbackResponder::BindLoopback()
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    if (fd < 0)
        throw std::runtime_error("socket failed");
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    socklen_t length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        ::close(fd);
        throw std::runtime_error("bind on loopback failed");
    }
    return {fd, ntohs(address.sin_port)};
}

TLoopbackResponder::TLoopbackResponder(TAnswer answer)
    : socket_(BindLoopback()), answer_(std::move(answer)), thread_([this] { Serve(); })
{
}

TLoopbackResponder::TLoopbackResponder(Bytes reply)
    : TLoopbackResponder([reply = std::move(reply)](std::span<const std::uint8_t>, const TEndpoint&) { return reply; })
{
}

TLoopbackResponder::~TLoopbackResponder()
{
    stopping_ = true;
    thread_.join();
    ::close(socket_.fd);
}

std::vector<Bytes> TLoopbackResponder::Queries() const
{
    const std::lock_guard lock(mutex_);
    return queries_;
}

void TLoopbackResponder::Serve()
{
    constexpr int PollMilliseconds = 10;
    Bytes datagram(65536);
    while (!stopping_) {
        pollfd waiting{socket_.fd, POLLIN, 0};
        if (::poll(&waiting, 1, PollMilliseconds) <= 0)
            continue;
        sockaddr_in sender{};
        socklen_t senderLength = sizeof sender;
        const ssize_t received = ::recvfrom(socket_.fd, datagram.data(), datagram.size(), 0,
                                            reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (received < 0)
            continue;
        const std::span<const std::uint8_t> query(datagram.data(), static_cast<std::size_t>(received));
        {
            const std::lock_guard lock(mutex_);
            queries_.emplace_back(query.begin(), query.end());
        }
        char address[INET_ADDRSTRLEN] = {};
        ::inet_ntop(AF_INET, &sender.sin_addr, address, sizeof address);
        const Bytes reply = answer_(query, TEndpoint{address, ntohs(sender.sin_port)});
        if (!reply.empty())
            ::sendto(socket_.fd, reply.data(), reply.size(), 0, reinterpret_cast<const sockaddr*>(&sender),
                     senderLength);
    }
}

TEndpoint RefusingEndpoint()
{
    // The port is free once the socket that held it is closed.
    return TLoopbackResponder(Bytes{}).Endpoint();
}

void SendFromAnotherPort(const TEndpoint& to, const Bytes& datagram)
{
    const int fd = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(to.Port);
    ::inet_pton(AF_INET, to.Address.c_str(), &address.sin_addr);
    ::sendto(fd, datagram.data(), datagram.size(), 0, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    ::close(fd);
}

}  // namespace dnspeek::test
