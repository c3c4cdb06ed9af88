#include "tests/support/LoopbackResponder.h"

#ifdef _WIN32
#include <winsock.h>
#else
#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>
#endif

#include <stdexcept>
#include <string>
#include <utility>

namespace dnspeek::test {

namespace {

#ifdef _WIN32

static_assert(sizeof(TNativeSocket) == sizeof(SOCKET));
// A socket that could not be opened is NoSocket on both systems.
static_assert(INVALID_SOCKET == TNativeSocket(-1));
using TAddressLength = int;
using TDataLength = int;

// Started once for the whole test program, Windows Sockets stays started
// across the lookups' own starts and stops, which keeps the responders'
// sockets open.
const struct TSocketsStarted {
    TSocketsStarted()
    {
        WSADATA described;
        if (::WSAStartup(0x0002, &described) != 0)
            throw std::runtime_error("WSAStartup failed");
    }
    ~TSocketsStarted() { ::WSACleanup(); }
    TSocketsStarted(const TSocketsStarted&) = delete;
    TSocketsStarted& operator=(const TSocketsStarted&) = delete;
} SocketsStarted;

TNativeSocket OpenSocket()
{
    return ::socket(AF_INET, SOCK_DGRAM, 0);
}

void CloseSocket(TNativeSocket socket)
{
    ::closesocket(socket);
}

bool WaitReadable(TNativeSocket socket, int milliseconds)
{
    fd_set readable;
    FD_ZERO(&readable);
    FD_SET(socket, &readable);
    timeval timeout{0, milliseconds * 1000};
    return ::select(0, &readable, nullptr, nullptr, &timeout) > 0;
}

#else

using TAddressLength = socklen_t;
using TDataLength = std::size_t;

TNativeSocket OpenSocket()
{
    return ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
}

void CloseSocket(TNativeSocket socket)
{
    ::close(socket);
}

bool WaitReadable(TNativeSocket socket, int milliseconds)
{
    pollfd waiting{socket, POLLIN, 0};
    return ::poll(&waiting, 1, milliseconds) > 0;
}

#endif

constexpr TNativeSocket NoSocket = TNativeSocket(-1);

sockaddr_in Ipv4Address(const TEndpoint& endpoint)
{
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(endpoint.Port);
    address.sin_addr.s_addr = ::inet_addr(endpoint.Address.c_str());
    return address;
}

std::string AddressText(in_addr address)
{
    const std::uint32_t value = ntohl(address.s_addr);
    return std::to_string(value >> 24) + '.' + std::to_string(value >> 16 & 0xFF) + '.'
        + std::to_string(value >> 8 & 0xFF) + '.' + std::to_string(value & 0xFF);
}

}  // namespace

TLoopbackResponder::TBoundSocket TLoopbackResponder::BindLoopback()
{
    const TNativeSocket fd = OpenSocket();
    if (fd == NoSocket)
        throw std::runtime_error("socket failed");
    sockaddr_in address = Ipv4Address({"127.0.0.1", 0});
    TAddressLength length = sizeof address;
    if (::bind(fd, reinterpret_cast<sockaddr*>(&address), length) != 0
        || ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length) != 0) {
        CloseSocket(fd);
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
    CloseSocket(socket_.fd);
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
        if (!WaitReadable(socket_.fd, PollMilliseconds))
            continue;
        sockaddr_in sender{};
        TAddressLength senderLength = sizeof sender;
        const auto received = ::recvfrom(socket_.fd, reinterpret_cast<char*>(datagram.data()),
                                         static_cast<TDataLength>(datagram.size()), 0,
                                         reinterpret_cast<sockaddr*>(&sender), &senderLength);
        if (received < 0)
            continue;
        const std::span<const std::uint8_t> query(datagram.data(), static_cast<std::size_t>(received));
        {
            const std::lock_guard lock(mutex_);
            queries_.emplace_back(query.begin(), query.end());
        }
        const Bytes reply = answer_(query, TEndpoint{AddressText(sender.sin_addr), ntohs(sender.sin_port)});
        if (!reply.empty())
            ::sendto(socket_.fd, reinterpret_cast<const char*>(reply.data()), static_cast<TDataLength>(reply.size()), 0,
                     reinterpret_cast<const sockaddr*>(&sender), senderLength);
    }
}

TEndpoint RefusingEndpoint()
{
    // The port is free once the socket that held it is closed.
    return TLoopbackResponder(Bytes{}).Endpoint();
}

void SendFromAnotherPort(const TEndpoint& to, const Bytes& datagram)
{
    const TNativeSocket fd = OpenSocket();
    const sockaddr_in address = Ipv4Address(to);
    ::sendto(fd, reinterpret_cast<const char*>(datagram.data()), static_cast<TDataLength>(datagram.size()), 0,
             reinterpret_cast<const sockaddr*>(&address), sizeof address);
    CloseSocket(fd);
}

}  // namespace dnspeek::test
