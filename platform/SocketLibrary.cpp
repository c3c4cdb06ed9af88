#include "platform/SocketLibrary.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <cerrno>

namespace dnspeek {

namespace {

class TPosixDatagramSocket final : public TDatagramSocket {
public:
    TPosixDatagramSocket() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~TPosixDatagramSocket() override
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TPosixDatagramSocket(const TPosixDatagramSocket&) = delete;
    TPosixDatagramSocket& operator=(const TPosixDatagramSocket&) = delete;

    bool Connect(const TEndpoint& peer) override
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = htons(peer.Port);
        if (::inet_pton(AF_INET, peer.Address.c_str(), &address.sin_addr) != 1)
            return false;
        return ::connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }

    bool Send(std::span<const std::uint8_t> datagram) override
    {
        return ::send(fd_, datagram.data(), datagram.size(), 0) == static_cast<ssize_t>(datagram.size());
    }

    std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, std::chrono::milliseconds bound) override
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + bound;
        for (;;) {
            const auto left = std::chrono::ceil<std::chrono::milliseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            pollfd waiting{fd_, POLLIN, 0};
            const int ready = ::poll(&waiting, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR)
                continue;
            if (ready <= 0)
                return std::nullopt;
            const ssize_t received = ::recv(fd_, buffer.data(), buffer.size(), 0);
            if (received < 0 && errno == EINTR)
                continue;
            if (received < 0)
                return std::nullopt;
            return static_cast<std::size_t>(received);
        }
    }

private:
    int fd_;
};

}  // namespace

int TPosixSocketLibrary::WSAStartup(std::uint16_t versionRequested, TWSAData& data)
{
    data.wVersion = versionRequested;
    return 0;
}

int TPosixSocketLibrary::WSACleanup()
{
    return 0;
}

bool TPosixSocketLibrary::WSAIsBlocking()
{
    return false;
}

void TPosixSocketLibrary::WSACancelBlockingCall() {}

std::unique_ptr<TDatagramSocket> TPosixSocketLibrary::OpenDatagramSocket()
{
    return std::make_unique<TPosixDatagramSocket>();
}

}  // namespace dnspeek
