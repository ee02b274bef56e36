// The server at scale: the main window's server against a plain QTcpServer, with the modules in a
// second process (moduleload); and the window under a flood from a module of its own (floodpeer).
#include "floodbench.h"
#include "serverbench.h"

#include "app/application.h"
#include "platform/sys/openfiles.h"

#include <QCoreApplication>
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

int main(int argc, char **argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    const long wanted = ModuleCount() + 256L;
    if (platform::RaiseOpenFilesLimit(wanted) < wanted) {
        std::fprintf(stderr, "bench_server: the open-files limit is below %ld\n", wanted);
        return 1;
    }

    if (argc == 3 && std::strcmp(argv[1], "--memory-probe") == 0) {
        if (std::strcmp(argv[2], "plain") == 0) {
            QCoreApplication app(argc, argv);
            return RunMemoryProbe(vPlain);
        }
        TApplication app(argc, argv);
        return RunMemoryProbe(vWindow);
    }
    if (argc == 3 && std::strcmp(argv[1], "--log-probe") == 0) {
        TApplication app(argc, argv);
        return RunLogProbe(std::atoi(argv[2]));
    }

    TApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    RegisterServerBenchmarks();
    RegisterFloodBenchmarks();
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
