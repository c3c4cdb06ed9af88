#include "lookup/DnsMessage.h"
#include "tests/support/Replies.h"

#include <benchmark/benchmark.h>

#include <array>
#include <cstring>
#include <string>

namespace dnspeek {
namespace {

// Four labels of up to 63 letters: 250 bytes of text, 252 on the wire.
std::string Name250()
{
    std::string name;
    while (name.size() < 250)
        name += std::string(63, 'a') + '.';
    name.resize(250);
    return name;
}

void EncodeQuery(benchmark::State& state, const std::string& host)
{
    const std::string type = "15";
    for (auto _ : state) {
        benchmark::DoNotOptimize(host.data());
        benchmark::DoNotOptimize(type.data());
        const TQueryBuffer query = BuildQuery(host, type);
        benchmark::DoNotOptimize(&query);
    }
}

// The floor of writing a query: a zeroed QueryBuffer with the finished
// message copied in.
void CopyQuery(benchmark::State& state, const std::string& host)
{
    const TQueryBuffer built = BuildQuery(host, "15");
    const auto message = built.Message();
    for (auto _ : state) {
        std::array<std::uint8_t, QueryBufferSize> buffer{};
        std::memcpy(buffer.data(), message.data(), message.size());
        benchmark::DoNotOptimize(&buffer);
    }
}

void BM_BuildQuery_AbCde(benchmark::State& state)
{
    EncodeQuery(state, "ab.cde");
}
void BM_CopyQuery_AbCde(benchmark::State& state)
{
    CopyQuery(state, "ab.cde");
}
void BM_BuildQuery_Name250(benchmark::State& state)
{
    EncodeQuery(state, Name250());
}
void BM_CopyQuery_Name250(benchmark::State& state)
{
    CopyQuery(state, Name250());
}

void BM_ReadReply_Mx(benchmark::State& state)
{
    const TReplyBuffer reply = test::InReplyBuffer(test::AbCdeMxReply(test::MxExchange));
    std::string host = "ab.cde";
    std::string type = "15";
    for (auto _ : state) {
        benchmark::DoNotOptimize(host.data());
        benchmark::DoNotOptimize(type.data());
        const TLookupResult result = ReadReply(reply, host, type);
        benchmark::DoNotOptimize(&result);
    }
}

// The floor of reading: the two result texts made from their known bytes.
void BM_CopyResult_Mx(benchmark::State& state)
{
    std::string question = "ab.cde";
    std::string exchange = "mx.ab.cde";
    for (auto _ : state) {
        benchmark::DoNotOptimize(question.data());
        benchmark::DoNotOptimize(exchange.data());
        const TLookupResult result{question, exchange};
        benchmark::DoNotOptimize(&result);
    }
}

BENCHMARK(BM_BuildQuery_AbCde);
BENCHMARK(BM_CopyQuery_AbCde);
BENCHMARK(BM_BuildQuery_Name250);
BENCHMARK(BM_CopyQuery_Name250);
BENCHMARK(BM_ReadReply_Mx);
BENCHMARK(BM_CopyResult_Mx);

}  // namespace
}  // namespace dnspeek
