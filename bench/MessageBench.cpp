#include "bench/AgainstFloor.h"
#include "lookup/DnsMessage.h"
#include "tests/support/Replies.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>

namespace dnspeek {
namespace {

// Enough calls per turn that the clock readings around them do not count.
// The benchmark's minimum time counts the time per call, so the number of
// turns is fixed instead.
constexpr int Batch = 1000;
constexpr int Turns = 1000;

// Four labels of up to 63 letters: 250 bytes of text, 252 on the wire.
std::string Name250()
{
    std::string name;
    while (name.size() < 250)
        name += std::string(63, 'a') + '.';
    name.resize(250);
    return name;
}

// The floor of writing a query: a zeroed QueryBuffer with the finished
// message copied in.
void BuildQueryAgainstCopy(benchmark::State& state, const std::string& host)
{
    const std::string type = "15";
    const TQueryBuffer built = BuildQuery(host, type);
    const auto message = built.Message();
    bench::AgainstFloor(
        state, "under 1 us", Batch,
        [&] {
            const TQueryBuffer query = BuildQuery(host, type);
            benchmark::DoNotOptimize(&query);
            return query.Ok();
        },
        [&] {
            std::array<std::uint8_t, QueryBufferSize> buffer{};
            std::memcpy(buffer.data(), message.data(), message.size());
            benchmark::DoNotOptimize(&buffer);
            return true;
        });
}

void BM_BuildQuery_AbCde(benchmark::State& state)
{
    BuildQueryAgainstCopy(state, "ab.cde");
}

void BM_BuildQuery_Name250(benchmark::State& state)
{
    BuildQueryAgainstCopy(state, Name250());
}

// The floor of reading: the two result texts made from their known bytes.
void BM_ReadReply_Mx(benchmark::State& state)
{
    const TReplyBuffer reply = test::InReplyBuffer(test::AbCdeMxReply(test::MxExchange));
    const std::string host = "ab.cde";
    const std::string type = "15";
    const std::string exchange = "mx.ab.cde";
    bench::AgainstFloor(
        state, "under 1 us", Batch,
        [&] {
            const TLookupResult result = ReadReply(reply, host, type);
            benchmark::DoNotOptimize(&result);
            return result.FoundValue == exchange;
        },
        [&] {
            const TLookupResult result{host, exchange};
            benchmark::DoNotOptimize(&result);
            return true;
        });
}

BENCHMARK(BM_BuildQuery_AbCde)->UseManualTime()->Iterations(Turns);
BENCHMARK(BM_BuildQuery_Name250)->UseManualTime()->Iterations(Turns);
BENCHMARK(BM_ReadReply_Mx)->UseManualTime()->Iterations(Turns);

}  // namespace
}  // namespace dnspeek
