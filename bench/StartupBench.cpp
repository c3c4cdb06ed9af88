#include <fcntl.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <optional>
#include <sstream>
#include <string>

namespace dnspeek {
namespace {

using Clock = std::chrono::steady_clock;

struct TStartup {
    Clock::duration untilIdle;
    long peakKilobytes;  // cppcheck-suppress unusedStructMember
};

// Starts a probe program and waits for it to end. The probe writes the
// moment it was shown and idle, and its peak resident memory until then
// (QuitWhenIdle.cpp); steady clock readings are comparable between processes
// on this system. The child's own figure is taken because the kernel's count
// for a child started by posix_spawn (vfork) includes the parent's memory.
std::optional<TStartup> StartUntilIdle(const char* program)
{
    int output[2];
    if (::pipe2(output, O_CLOEXEC) != 0)
        return std::nullopt;
    posix_spawn_file_actions_t actions;
    ::posix_spawn_file_actions_init(&actions);
    ::posix_spawn_file_actions_adddup2(&actions, output[1], STDOUT_FILENO);
    // The offscreen platform's notices would fill the report.
    ::posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string name = program;
    char* argv[] = {name.data(), nullptr};
    pid_t pid = 0;
    const auto start = Clock::now();
    const int spawned = ::posix_spawn(&pid, program, &actions, nullptr, argv, environ);
    ::posix_spawn_file_actions_destroy(&actions);
    ::close(output[1]);

    std::string text;
    char chunk[64];
    for (ssize_t count = 0; spawned == 0 && (count = ::read(output[0], chunk, sizeof chunk)) > 0;)
        text.append(chunk, static_cast<std::size_t>(count));
    ::close(output[0]);
    if (spawned != 0)
        return std::nullopt;
    int status = 0;
    long long idleTicks = 0;
    long peakKilobytes = 0;
    std::istringstream report(text);
    if (::waitpid(pid, &status, 0) != pid || !WIFEXITED(status) || WEXITSTATUS(status) != 0
        || !(report >> idleTicks >> peakKilobytes))
        return std::nullopt;
    const Clock::time_point idle{Clock::duration{idleTicks}};
    return TStartup{idle - start, peakKilobytes};
}

// The program's start-up against a floor's, in turns: the time until shown
// and idle, and the peak resident memory until then.
void BM_StartProgram(benchmark::State& state, const char* floorProbe, const char* target)
{
    using Seconds = std::chrono::duration<double>;
    Seconds programTotal{};
    Seconds floorTotal{};
    long peakKilobytes = 0;
    long floorPeakKilobytes = 0;
    for (auto _ : state) {
        const std::optional<TStartup> program = StartUntilIdle(DNSPEEK_STARTUP_PROBE);
        const std::optional<TStartup> floor = StartUntilIdle(floorProbe);
        if (!program || !floor) {
            state.SkipWithError("a probe did not report itself shown and idle");
            return;
        }
        state.SetIterationTime(Seconds(program->untilIdle).count());
        programTotal += program->untilIdle;
        floorTotal += floor->untilIdle;
        peakKilobytes = std::max(peakKilobytes, program->peakKilobytes);
        floorPeakKilobytes = std::max(floorPeakKilobytes, floor->peakKilobytes);
    }
    state.counters["floor"] = benchmark::Counter(floorTotal.count(), benchmark::Counter::kAvgIterations);
    state.counters["ratio"] = programTotal / floorTotal;
    state.counters["peak_rss_kB"] = static_cast<double>(peakKilobytes);
    state.counters["floor_peak_rss_kB"] = static_cast<double>(floorPeakKilobytes);
    state.counters["rss_ratio"] = static_cast<double>(peakKilobytes) / static_cast<double>(floorPeakKilobytes);
    state.SetLabel(target);
}

// An empty window draws no text, so it loads no font; the window with the
// form's controls, texts and font is the floor the targets hold against.
BENCHMARK_CAPTURE(BM_StartProgram, EmptyWindow, EMPTY_WINDOW_PROBE, "no target: the window draws no text")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_StartProgram, FormLikeWindow, FORM_LIKE_WINDOW_PROBE, "target ratio <= 1.2, rss_ratio <= 1.2")
    ->UseManualTime()
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace dnspeek
