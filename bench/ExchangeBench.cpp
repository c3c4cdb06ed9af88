#include "lookup/DnsMessage.h"
#include "lookup/LookupCommand.h"
#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"
#include "tests/support/LoopbackResponder.h"
#include "tests/support/Replies.h"

#include <arpa/inet.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

namespace dnspeek {
namespace {

constexpr char ExpectedLine[] = "Search : ab.cde....   Find : mx.ab.cde";

// A window that costs next to nothing, so that the lookup alone is timed:
// it keeps the last result line and drops everything else.
class TQuietWindow final : public TLookupWindow {
public:
    ByteString resultLine;

    ByteString HostNameText() const override { return "ab.cde"; }
    ByteString QueryTypeText() const override { return "15"; }
    void ClearReplyLines() override {}
    void AppendReplyLines(std::span<const std::string_view>) override {}
    void AppendResultLine(const ByteString& line) override { resultLine = line; }
    void SetStatusText(const ByteString&) override {}
    void MessageDlg(const ByteString&) override {}
};

void BM_Lookup(benchmark::State& state)
{
    const test::TLoopbackResponder responder(test::AbCdeMxReply(test::MxExchange));
    TQuietWindow window;
    TPosixSocketLibrary sockets;
    TLookupCommand command(window, sockets, responder.Endpoint());
    for (auto _ : state)
        command.Button1Click();
    if (window.resultLine != ExpectedLine)
        state.SkipWithError("the lookup did not find mx.ab.cde");
}

class TSocketFd {
public:
    TSocketFd() : fd_(::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0)) {}
    ~TSocketFd()
    {
        if (fd_ >= 0)
            ::close(fd_);
    }
    TSocketFd(const TSocketFd&) = delete;
    TSocketFd& operator=(const TSocketFd&) = delete;

    [[nodiscard]] int Get() const { return fd_; }

private:
    int fd_;
};

// A function of its own, like the lookup's Button1Click, so that callgrind
// can count its instructions (--toggle-collect).
[[gnu::noinline]] bool SendAndReceive(int socket, std::span<const std::uint8_t> query, TReplyBuffer& reply)
{
    return ::send(socket, query.data(), query.size(), 0) == static_cast<ssize_t>(query.size())
        && ::recv(socket, reply.data(), reply.size(), 0) > 0;
}

// The floor of a lookup: one socket, kept open, sending the same 24-byte
// query to the same responder and taking its reply.
void BM_SendReceive(benchmark::State& state)
{
    const test::TLoopbackResponder responder(test::AbCdeMxReply(test::MxExchange));
    const TQueryBuffer query = BuildQuery("ab.cde", "15");
    const auto message = query.Message();
    const TSocketFd socket;
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(responder.Endpoint().Port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    // The same bound as a lookup's, so that a lost datagram cannot hang the run.
    const timeval bound{3, 0};
    if (::setsockopt(socket.Get(), SOL_SOCKET, SO_RCVTIMEO, &bound, sizeof bound) != 0
        || ::connect(socket.Get(), reinterpret_cast<const sockaddr*>(&address), sizeof address) != 0) {
        state.SkipWithError("no socket to the responder");
        return;
    }
    TReplyBuffer reply{};
    for (auto _ : state) {
        if (!SendAndReceive(socket.Get(), message, reply)) {
            state.SkipWithError("no reply from the responder");
            break;
        }
    }
}

BENCHMARK(BM_Lookup);
BENCHMARK(BM_SendReceive);

}  // namespace
}  // namespace dnspeek
