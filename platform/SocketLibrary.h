#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>

namespace dnspeek {

// An IPv4 address in dotted-decimal text and a UDP port.
struct TEndpoint {
    std::string Address;
    std::uint16_t Port = 0;
};

// What a start of the socket library reports; only the version it will use is read.
struct TWSAData {
    // Major version in the low byte, minor in the high byte.
    std::uint16_t wVersion = 0;
};

// One UDP socket, closed when the object goes. A socket that could not be
// opened still exists: every operation on it fails at once.
class TDatagramSocket {
public:
    virtual ~TDatagramSocket() = default;

    // Fixes the one peer: datagrams go only there, and only its datagrams
    // (or its ICMP refusal) are received.
    virtual bool Connect(const TEndpoint& peer) = 0;
    virtual bool Send(std::span<const std::uint8_t> datagram) = 0;
    // Waits at most `bound` for one datagram from the peer; its bytes beyond
    // buffer.size() are dropped. Returns the bytes stored, or nothing when the
    // wait ended by the bound or by an error.
    virtual std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, std::chrono::milliseconds bound) = 0;
};

// The socket library as the lookup sees it: a start that negotiates a
// version, a stop, and the sockets it hands out. Tests substitute their own.
class TSocketLibrary {
public:
    virtual ~TSocketLibrary() = default;

    // 0 when started; otherwise the library's error code.
    virtual int WSAStartup(std::uint16_t versionRequested, TWSAData& data) = 0;
    // 0 when stopped; otherwise the library's error code.
    virtual int WSACleanup() = 0;
    virtual bool WSAIsBlocking() = 0;
    virtual void WSACancelBlockingCall() = 0;
    virtual std::unique_ptr<TDatagramSocket> OpenDatagramSocket() = 0;
};

#ifdef _WIN32

// Windows Sockets as WSOCK32.DLL offers it; each call is the library's own.
class TWinSocketLibrary final : public TSocketLibrary {
public:
    int WSAStartup(std::uint16_t versionRequested, TWSAData& data) override;
    int WSACleanup() override;
    bool WSAIsBlocking() override;
    void WSACancelBlockingCall() override;
    std::unique_ptr<TDatagramSocket> OpenDatagramSocket() override;
};

// The socket library of the system the program is built for.
using TSystemSocketLibrary = TWinSocketLibrary;

#else

// POSIX sockets need no start or stop: the start grants the version asked
// for, the stop always succeeds, and no call is ever left blocking.
class TPosixSocketLibrary final : public TSocketLibrary {
public:
    int WSAStartup(std::uint16_t versionRequested, TWSAData& data) override;
    int WSACleanup() override;
    bool WSAIsBlocking() override;
    void WSACancelBlockingCall() override;
    std::unique_ptr<TDatagramSocket> OpenDatagramSocket() override;
};

// The socket library of the system the program is built for.
using TSystemSocketLibrary = TPosixSocketLibrary;

#endif

}  // namespace dnspeek
