#pragma once
// orbix(1), written in man(7) roff from the command-line reference (the same table as --help) and from the
// D-Bus introspection file the service exports, so the page follows both.

#include <QString>

namespace orbix::manPage {

struct Inputs {
    QString version;             // the program's version, shown in the page footer
    QString dataDirectory;       // the data folder under the installation prefix, e.g. share
    QByteArray dbusInterfaceXml; // the service's introspection XML
};

// The whole page; an introspection text that does not parse leaves the D-Bus section without methods
// and says so in the error.
QString render(const Inputs& inputs, QString* error = nullptr);

// Text made safe for a roff line: backslashes and minus signs escaped, a leading control character
// neutralised.
QString escaped(const QString& text);

} // namespace orbix::manPage
