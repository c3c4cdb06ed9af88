#include "app/Application.h"
#include "bench/FloorReport.h"

#include <unistd.h>

#include <benchmark/benchmark.h>

#include <cstdlib>
#include <vector>

namespace {

using dnspeek::bench::TFigure;

constexpr double Kilobyte = 1024;
constexpr double Megabyte = 1024 * Kilobyte;

// Every figure with its floor; the names are those of the benchmarks.
const std::vector<TFigure>& Figures()
{
    static const std::vector<TFigure> figures{
        {"BuildQuery 'ab.cde' type 15", "BM_BuildQuery_AbCde", {"BM_CopyQuery_AbCde"}, "", "", 0, 1000},
        {"BuildQuery, 250-byte name", "BM_BuildQuery_Name250", {"BM_CopyQuery_Name250"}, "", "", 0, 1000},
        {"ReadReply of an MX reply", "BM_ReadReply_Mx", {"BM_CopyResult_Mx"}, "", "", 0, 1000},
        {"Lookup over loopback (quiet window)", "BM_Lookup", {"BM_SendReceive"}, "", "", 1.3, 0},
        {"Reply list: 2048 lines replace 2048", "BM_ReplyList", {"BM_SetStringList"}, "", "", 2, 1e9 / 60},
        {"Click, to the result line", "BM_Click", {"BM_SendReceive", "BM_SetStringList"}, "", "", 1.5, 0},
        {"Start-up until shown and idle", "BM_StartProgram", {"BM_StartEmptyWindow"}, "", "", 1.2, 0},
        {"Start-up peak resident memory", "BM_StartProgram", {"BM_StartEmptyWindow"}, "peak_rss_kB", "kB", 1.2, 0},
        {"ListBox1 after 10 000 lookups", "BM_ResultListMemory/10000", {"BM_StringListMemory/10000"}, "bytes", "B",
         0, 2 * Megabyte},
        {"ListBox1 per line, 1 000 lines", "BM_ResultListMemory/1000", {"BM_StringListMemory/1000"}, "bytes_per_line",
         "B", 0, 0},
        {"ListBox1 per line, 10 000 lines", "BM_ResultListMemory/10000", {"BM_StringListMemory/10000"},
         "bytes_per_line", "B", 0, 0},
    };
    return figures;
}

}  // namespace

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    // The windows are drawn off screen unless a platform is asked for.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    dnspeek::TApplication application(argc, argv);
    application.Initialize();

    dnspeek::bench::TFloorReporter reporter(isatty(STDOUT_FILENO) != 0);
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return reporter.PrintFigures(Figures()) ? EXIT_SUCCESS : EXIT_FAILURE;
}
