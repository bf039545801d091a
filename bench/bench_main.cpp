// The benchmarks run against virtual card 0 with its pattern drawing and its
// request log off, so that the library's own work is what is measured.
#include <benchmark/benchmark.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

#include "platform/posix/control.h"
#include "virtual_card.h"

int main(int argc, char** argv)
{
    char directory[] = "/tmp/saa7146-bench-XXXXXX";
    if (mkdtemp(directory))
        standin::setWindowsDirectory(directory);
    SetEnvironmentVariableA("OS", "Windows_NT");
    sim::reset();
    sim::CardSettings settings = sim::card(0).settings();
    settings.renderFrames = false;
    settings.logRequests = false;
    sim::card(0).configure(settings);

    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    rmdir(directory);
    return 0;
}
