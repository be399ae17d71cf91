// orbix-man-page: writes orbix(1) at build time. Arguments: the output file, the program's version, the
// installed data folder and the D-Bus introspection file.
#include "app/ManPage.h"

#include <QFile>
#include <QSaveFile>
#include <QTextStream>

int main(int argc, char** argv) {
    // No application object: nothing here needs an event loop, and the tool also runs in sanitizer builds.
    QStringList arguments;
    for (int i = 0; i < argc; ++i) {
        arguments << QString::fromLocal8Bit(argv[i]);
    }
    QTextStream errors(stderr);
    if (arguments.size() != 5) {
        errors << "usage: orbix-man-page OUTPUT VERSION DATADIR INTERFACE_XML\n";
        return 2;
    }
    QFile interfaceFile(arguments[4]);
    if (!interfaceFile.open(QIODevice::ReadOnly)) {
        errors << "orbix-man-page: " << arguments[4] << ": " << interfaceFile.errorString() << '\n';
        return 1;
    }
    QString error;
    const QString page = orbix::manPage::render({arguments[2], arguments[3], interfaceFile.readAll()}, &error);
    if (!error.isEmpty()) {
        errors << "orbix-man-page: " << error << '\n';
        return 1;
    }
    QSaveFile output(arguments[1]);
    if (!output.open(QIODevice::WriteOnly) || output.write(page.toUtf8()) < 0 || !output.commit()) {
        errors << "orbix-man-page: " << arguments[1] << ": " << output.errorString() << '\n';
        return 1;
    }
    return 0;
}
