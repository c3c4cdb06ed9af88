#include "bench/FloorReport.h"

#include <cstdio>

namespace dnspeek::bench {

namespace {

double Nanoseconds(benchmark::TimeUnit unit)
{
    switch (unit) {
    case benchmark::kNanosecond:
        return 1;
    case benchmark::kMicrosecond:
        return 1e3;
    case benchmark::kMillisecond:
        return 1e6;
    case benchmark::kSecond:
        return 1e9;
    }
    return 1;
}

std::string Key(const benchmark::BenchmarkReporter::Run& run)
{
    return run.run_name.args.empty() ? run.run_name.function_name
                                     : run.run_name.function_name + '/' + run.run_name.args;
}

std::string Amount(double value, const std::string& unit)
{
    char text[64];
    if (!unit.empty())
        (void)std::snprintf(text, sizeof text, "%.0f %s", value, unit.c_str());
    else if (value < 1e3)
        (void)std::snprintf(text, sizeof text, "%.1f ns", value);
    else if (value < 1e6)
        (void)std::snprintf(text, sizeof text, "%.1f us", value / 1e3);
    else
        (void)std::snprintf(text, sizeof text, "%.2f ms", value / 1e6);
    return text;
}

}  // namespace

void TFloorReporter::ReportRuns(const std::vector<Run>& reports)
{
    ConsoleReporter::ReportRuns(reports);
    for (const Run& run : reports) {
        if (run.run_type == Run::RT_Aggregate && run.aggregate_name != "median")
            continue;
        TResult& result = results_[Key(run)];
        // A failed repetition marks the benchmark even when its median is fine.
        const bool failed = result.failed || run.error_occurred;
        result = {run.GetAdjustedRealTime() * Nanoseconds(run.time_unit),
                  {run.counters.begin(), run.counters.end()}, failed};
    }
}

bool TFloorReporter::PrintFigures(const std::vector<TFigure>& figures) const
{
    bool failed = false;
    std::printf("\nMedians, each over its floor from this run:\n");
    for (const TFigure& figure : figures) {
        std::vector<std::string> names{figure.measured};
        names.insert(names.end(), figure.floors.begin(), figure.floors.end());
        std::vector<double> values;
        std::string missing;
        for (const std::string& name : names) {
            const auto found = results_.find(name);
            if (found == results_.end()) {
                missing = "not run";
                break;
            }
            const auto count = found->second.counters.find(figure.counter);
            if (found->second.failed || (!figure.counter.empty() && count == found->second.counters.end())) {
                missing = "FAILED";
                failed = true;
                break;
            }
            values.push_back(figure.counter.empty() ? found->second.realNanoseconds : count->second);
        }
        if (!missing.empty()) {
            std::printf("  %-44s %s\n", figure.label.c_str(), missing.c_str());
            continue;
        }
        const double measured = values.front();
        double floor = 0;
        for (std::size_t part = 1; part < values.size(); ++part)
            floor += values[part];
        const double ratio = measured / floor;
        std::printf("  %-44s %12s  floor %12s  ratio %6.2f", figure.label.c_str(),
                    Amount(measured, figure.unit).c_str(), Amount(floor, figure.unit).c_str(), ratio);
        if (figure.maxRatio > 0)
            std::printf("  ratio <= %.1f %s", figure.maxRatio, ratio <= figure.maxRatio ? "met" : "MISSED");
        if (figure.maxValue > 0)
            std::printf("  under %s %s", Amount(figure.maxValue, figure.unit).c_str(),
                        measured < figure.maxValue ? "met" : "MISSED");
        std::printf("\n");
    }
    return !failed;
}

}  // namespace dnspeek::bench
