#include "bench/AgainstFloor.h"
#include "bench/Floors.h"
#include "lookup/DnsMessage.h"
#include "lookup/LookupCommand.h"
#include "lookup/LookupWindow.h"
#include "platform/SocketLibrary.h"
#include "tests/support/LoopbackResponder.h"
#include "tests/support/Replies.h"

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
    const TQueryBuffer query = BuildQuery("ab.cde", "15");
    TReplyBuffer reply{};
    bench::AgainstFloor(
        state, "ratio <= 1.3", 1,
        [&] {
            window.resultLine.clear();
            command.Button1Click();
            return window.resultLine == ExpectedLine;
        },
        [&] { return bench::ExchangeOnAFreshSocket(responder.Endpoint(), query.Message(), reply); });
}

BENCHMARK(BM_Lookup)->UseManualTime();

}  // namespace
}  // namespace dnspeek
