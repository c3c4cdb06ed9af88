#pragma once

#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"
#include "tests/support/LoopbackResponder.h"

#include <algorithm>
#include <deque>
#include <memory>
#include <string>
#include <vector>

namespace dnspeek::test {

// A window that keeps what the lookup did to it, in order.
class TFakeWindow final : public TLookupWindow {
public:
    ByteString hostText = "ab.cde";
    ByteString typeText = "15";
    std::vector<ByteString> resultLines;
    std::vector<ByteString> replyLines;
    ByteString statusText;
    std::vector<ByteString> boxes;
    std::vector<std::string> calls;

    ByteString HostNameText() const override { return hostText; }
    ByteString QueryTypeText() const override { return typeText; }
    void ClearReplyLines() override
    {
        calls.emplace_back("clear reply");
        replyLines.clear();
    }
    void AppendReplyLines(std::span<const std::string_view> lines) override
    {
        calls.emplace_back("append reply");
        for (const std::string_view line : lines)
            replyLines.emplace_back(line);
    }
    void AppendResultLine(const ByteString& line) override
    {
        calls.emplace_back("append result");
        resultLines.push_back(line);
    }
    void SetStatusText(const ByteString& text) override
    {
        calls.emplace_back("status " + text);
        statusText = text;
    }
    void MessageDlg(const ByteString& text) override
    {
        calls.emplace_back("box " + text);
        boxes.push_back(text);
    }
};

// A socket library whose start, stop and network are scripted: each socket
// it opens answers with the next of `replies`, or with nothing when none is
// left.
class TFakeSocketLibrary final : public TSocketLibrary {
public:
    int startResult = 0;
    std::uint16_t grantedVersion = 0x0002;
    int cleanupResult = 0;
    bool blocking = false;
    bool connectFails = false;
    bool sendFails = false;
    std::deque<Bytes> replies;

    std::uint16_t requestedVersion = 0;
    int starts = 0;
    int cleanups = 0;
    int cancels = 0;
    int openSockets = 0;
    int receives = 0;
    std::vector<Bytes> sent;
    std::vector<TEndpoint> peers;

    int WSAStartup(std::uint16_t versionRequested, TWSAData& data) override
    {
        ++starts;
        requestedVersion = versionRequested;
        if (startResult == 0)
            data.wVersion = grantedVersion;
        return startResult;
    }
    int WSACleanup() override
    {
        ++cleanups;
        return cleanupResult;
    }
    bool WSAIsBlocking() override { return blocking; }
    void WSACancelBlockingCall() override { ++cancels; }
    std::unique_ptr<TDatagramSocket> OpenDatagramSocket() override { return std::make_unique<TSocket>(*this); }

private:
    class TSocket final : public TDatagramSocket {
    public:
        explicit TSocket(TFakeSocketLibrary& library) : library_(library) { ++library_.openSockets; }
        ~TSocket() override { --library_.openSockets; }
        TSocket(const TSocket&) = delete;
        TSocket& operator=(const TSocket&) = delete;

        bool Connect(const TEndpoint& peer) override
        {
            library_.peers.push_back(peer);
            return !library_.connectFails;
        }
        bool Send(std::span<const std::uint8_t> datagram) override
        {
            if (library_.sendFails)
                return false;
            library_.sent.emplace_back(datagram.begin(), datagram.end());
            return true;
        }
        std::optional<std::size_t> Receive(std::span<std::uint8_t> buffer, std::chrono::milliseconds) override
        {
            ++library_.receives;
            if (library_.replies.empty())
                return std::nullopt;
            const Bytes reply = std::move(library_.replies.front());
            library_.replies.pop_front();
            const std::size_t stored = std::min(reply.size(), buffer.size());
            std::copy_n(reply.begin(), stored, buffer.begin());
            return stored;
        }

    private:
        TFakeSocketLibrary& library_;
    };
};

}  // namespace dnspeek::test
