// orbix-c1sim: the Capture One Simulator's command-line program. The same source, built with
// ORBIX_C1SIM_LAUNCHER, is the executable inside the simulator's application bundle (the window).
#include "engine/CommandLine.h"
#ifdef ORBIX_C1SIM_LAUNCHER
#include "window/SimulatorApplication.h"
#endif

#include <QFile>
#include <cstdio>

int main(int argc, char** argv) {
#ifdef ORBIX_C1SIM_LAUNCHER
    return orbix::c1sim::runSimulatorApplication(argc, argv);
#else
    QStringList arguments;
    for (int i = 1; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }

    orbix::c1sim::CommandLineIo io;
    io.readStandardInput = [] {
        QFile input;
        if (!input.open(stdin, QIODevice::ReadOnly)) {
            return QByteArray();
        }
        return input.readAll();
    };
    const int status = orbix::c1sim::runCommandLine(arguments, io);
    std::fwrite(io.standardOutput.constData(), 1, size_t(io.standardOutput.size()), stdout);
    std::fwrite(io.standardError.constData(), 1, size_t(io.standardError.size()), stderr);
    return status;
#endif
}
