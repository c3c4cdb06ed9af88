#include "lookup/LookupCommand.h"

#include <algorithm>
#include <array>
#include <string>
#include <utility>

namespace dnspeek {

TLookupCommand::TLookupCommand(TLookupWindow& window, TSocketLibrary& sockets, TEndpoint resolver,
                               std::chrono::milliseconds receiveBound)
    : window_(window), sockets_(sockets), resolver_(std::move(resolver)), receiveBound_(receiveBound)
{
}

void TLookupCommand::Button1Click()
{
    const ByteString workingHostText = Trim(window_.HostNameText());
    const ByteString keptHostText = Trim(window_.HostNameText());
    TLookupResult result;
    if (StartSockets() != 0) {
        window_.SetStatusText("Windows Sockets is not available.");
    } else {
        const TQueryBuffer query = BuildQuery(workingHostText, window_.QueryTypeText());
        const TReplyBuffer ReplyBuffer = Exchange(query);
        DumpReply(ReplyBuffer);
        result = ReadReply(ReplyBuffer, keptHostText, window_.QueryTypeText());
        StopSockets();
    }
    window_.AppendResultLine("Search : " + result.QuestionName + "....   Find : " + result.FoundValue);
}

int TLookupCommand::StartSockets()
{
    const int started = sockets_.WSAStartup(SocketVersionWord, wsaData_);
    if (started != 0) {
        window_.MessageDlg("Windows Socket is not responded.");
        return started;
    }
    // The words are compared whole, not as major and minor: 1.1 (0x0101)
    // passes and 1.0 (0x0001) does not. The library stays started here.
    if (wsaData_.wVersion < SocketVersionWord) {
        window_.MessageDlg("Sockets version is not supported by Windows Sockets.");
        return -1;
    }
    return 0;
}

void TLookupCommand::StopSockets()
{
    if (sockets_.WSAIsBlocking())
        sockets_.WSACancelBlockingCall();
    window_.SetStatusText(sockets_.WSACleanup() == 0 ? "Windows Sockets is closed."
                                                     : "Windows Sockets can not be closed.");
}

// Sends the query once and waits, within the bound, for one reply. A failed
// exchange leaves the buffer as it started: all zeros, so nothing of an
// earlier reply can show. The socket is closed on return.
TReplyBuffer TLookupCommand::Exchange(const TQueryBuffer& query)
{
    TReplyBuffer ReplyBuffer{};
    const auto socket = sockets_.OpenDatagramSocket();
    // Connected, the socket takes datagrams from the resolver alone, and a
    // refusal from its host ends the wait at once.
    if (socket->Connect(resolver_) && socket->Send(query.Message()))
        (void)socket->Receive(ReplyBuffer, receiveBound_);
    return ReplyBuffer;
}

namespace {

// The decimal text of every byte value, made once: each click lists 2048.
const std::array<ByteString, 256>& DecimalTexts()
{
    static const std::array<ByteString, 256> texts = [] {
        std::array<ByteString, 256> all;
        for (std::size_t value = 0; value < all.size(); ++value)
            all[value] = std::to_string(value);
        return all;
    }();
    return texts;
}

}  // namespace

// Lists every byte of the buffer in decimal, however short the reply was.
void TLookupCommand::DumpReply(const TReplyBuffer& ReplyBuffer)
{
    window_.ClearReplyLines();
    std::array<std::string_view, ReplyBufferSize> lines;
    std::ranges::transform(ReplyBuffer, lines.begin(), [](std::uint8_t byte) -> std::string_view { return DecimalTexts()[byte]; });
    window_.AppendReplyLines(lines);
}

}  // namespace dnspeek
