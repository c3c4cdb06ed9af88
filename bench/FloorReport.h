#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace dnspeek::bench {

// One figure of the report: a benchmark's median over the sum of its floors'
// medians from the same run, either real time per iteration or a counter.
struct TFigure {
    std::string label;
    std::string measured;
    std::vector<std::string> floors;
    // Empty for the real time; otherwise the counter compared, in `unit`.
    std::string counter;
    std::string unit;
    // Targets; 0 where there is none.
    double maxRatio = 0;
    double maxValue = 0;
};

// The console report as usual, keeping each benchmark's median (or its only
// run, without repetitions) for the figures printed at the end.
class TFloorReporter final : public benchmark::ConsoleReporter {
public:
    explicit TFloorReporter(bool colour) : ConsoleReporter(colour ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& reports) override;

    // Prints each figure with its floor, ratio and targets; false when one of
    // their benchmarks failed. Figures whose benchmarks did not run (a
    // filter) say so.
    bool PrintFigures(const std::vector<TFigure>& figures) const;

private:
    struct TResult {
        double realNanoseconds = 0;
        std::map<std::string, double> counters;
        bool failed = false;
    };

    std::map<std::string, TResult> results_;
};

}  // namespace dnspeek::bench
