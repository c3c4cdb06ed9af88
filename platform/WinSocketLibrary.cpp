#include "platform/SocketLibrary.h"

// WSOCK32's own header: it declares WSAIsBlocking and WSACancelBlockingCall.
#include <winsock.h>

namespace dnspeek {

namespace {

class TWinDatagramSocket final : public TDatagramSocket {
public:
    TWinDatagramSocket() : socket_(::socket(AF_INET, SOCK_DGRAM, 0)) {}
    ~TWinDatagramSocket() override
    {
        if (socket_ != INVALID_SOCKET)
            ::closesocket(socket_);
    }
    TWinDatagramSocket(const TWinDatagramSocket&) = delete;
    TWinDatagramSocket& operator=(const TWinDatagramSocket&) = delete;

    bool Connect(const TEndpoint& peer) override
    {
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_port = ::htons(peer.Port);
        address.sin_addr.s_addr = ::inet_addr(peer.Address.c_str());
        if (address.sin_addr.s_addr == INADDR_NONE)
            return false;
        return ::connect(socket_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }

    bool Send(std::span<const std::uint8_t> datagram) override
    {
        const int size = static_cast<int>(datagram.size());
        return ::send(socket_, reinterpret_cast<const char*>(datagram.data()), size, 0) == size;
    }

    std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, std::chrono::milliseconds bound) override
    {
        using Clock = std::chrono::steady_clock;
        const auto deadline = Clock::now() + bound;
        for (;;) {
            // select may wake a little before its timeout: the wait is over
            // at the deadline only.
            const auto left = std::chrono::ceil<std::chrono::microseconds>(deadline - Clock::now());
            if (left.count() <= 0)
                return std::nullopt;
            fd_set readable;
            FD_ZERO(&readable);
            FD_SET(socket_, &readable);
            timeval timeout{static_cast<long>(left.count() / 1'000'000),
                            static_cast<long>(left.count() % 1'000'000)};
            const int ready = ::select(0, &readable, nullptr, nullptr, &timeout);
            if (ready == 0)
                continue;
            if (ready < 0)
                return std::nullopt;
            const int received = ::recv(socket_, reinterpret_cast<char*>(buffer.data()),
                                        static_cast<int>(buffer.size()), 0);
            if (received >= 0)
                return static_cast<std::size_t>(received);
            // A longer datagram fills the buffer and loses the rest, as on POSIX.
            if (::WSAGetLastError() == WSAEMSGSIZE)
                return buffer.size();
            // WSAECONNRESET among them: the resolver's host refused the query.
            return std::nullopt;
        }
    }

private:
    SOCKET socket_;
};

}  // namespace

int TWinSocketLibrary::WSAStartup(std::uint16_t versionRequested, TWSAData& data)
{
    WSADATA described{};
    const int started = ::WSAStartup(versionRequested, &described);
    if (started == 0)
        data.wVersion = described.wVersion;
    return started;
}

int TWinSocketLibrary::WSACleanup()
{
    return ::WSACleanup();
}

bool TWinSocketLibrary::WSAIsBlocking()
{
    return ::WSAIsBlocking() != FALSE;
}

void TWinSocketLibrary::WSACancelBlockingCall()
{
    ::WSACancelBlockingCall();
}

std::unique_ptr<TDatagramSocket> TWinSocketLibrary::OpenDatagramSocket()
{
    return std::make_unique<TWinDatagramSocket>();
}

}  // namespace dnspeek
