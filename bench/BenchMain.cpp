#include "app/Application.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

int main(int argc, char* argv[])
{
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return EXIT_FAILURE;
    // The windows are drawn off screen unless a platform is asked for.
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    dnspeek::TApplication application(argc, argv);
    application.Initialize();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return EXIT_SUCCESS;
}
