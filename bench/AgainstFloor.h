#pragma once

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>

namespace dnspeek::bench {

// Times `measured` and `floor` in turns, `batch` calls of each per
// iteration, so that both meet the machine in the same state; `untimed` runs
// between them, outside the time. The benchmark's time is one call of
// `measured`; the counters give one call of `floor` and the ratio between
// them. `target` is printed with the figure. Each function returns false
// when its work went wrong, which fails the benchmark.
template <class TMeasured, class TFloor, class TUntimed>
void AgainstFloor(benchmark::State& state, const std::string& target, int batch, TMeasured&& measured, TFloor&& floor,
                  TUntimed&& untimed)
{
    using Clock = std::chrono::steady_clock;
    using Seconds = std::chrono::duration<double>;
    Seconds measuredTotal{};
    Seconds floorTotal{};
    for (auto _ : state) {
        bool ok = true;
        const auto start = Clock::now();
        for (int call = 0; call < batch; ++call)
            ok = measured() && ok;
        const auto middle = Clock::now();
        ok = untimed() && ok;
        const auto floorStart = Clock::now();
        for (int call = 0; call < batch; ++call)
            ok = floor() && ok;
        const auto end = Clock::now();
        if (!ok) {
            state.SkipWithError("a measured call or its floor went wrong");
            return;
        }
        state.SetIterationTime(Seconds(middle - start).count() / batch);
        measuredTotal += middle - start;
        floorTotal += end - floorStart;
    }
    state.counters["floor"] = benchmark::Counter(floorTotal.count() / batch, benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = measuredTotal / floorTotal;
    state.SetLabel("target " + target);
}

template <class TMeasured, class TFloor>
void AgainstFloor(benchmark::State& state, const std::string& target, int batch, TMeasured&& measured, TFloor&& floor)
{
    AgainstFloor(state, target, batch, measured, floor, [] { return true; });
}

}  // namespace dnspeek::bench
