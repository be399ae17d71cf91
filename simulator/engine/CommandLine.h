#pragma once
// The orbix-c1sim program: osascript-compatible script execution plus the commands for people and tests
// (reset, dump, select, close-document, add-style, sdef, launch). Kept out of main() so the bundle's
// launcher shares it.

#include <QByteArray>
#include <QStringList>
#include <functional>

namespace orbix::c1sim {

struct CommandLineIo {
    std::function<QByteArray()> readStandardInput; // called only when the script comes from stdin
    QByteArray standardOutput;
    QByteArray standardError;
};

// Runs the program with its arguments (without the program name); returns the exit status.
int runCommandLine(const QStringList& arguments, CommandLineIo& io);

// The bundle's executable: marks the simulated application as running in the catalog.
int runLauncher(const QStringList& arguments, CommandLineIo& io);

} // namespace orbix::c1sim
