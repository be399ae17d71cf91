#pragma once
// Builds application bundles in temporary folders for resolver, dictionary and service tests.

#include <QString>
#include <QStringList>

namespace orbix::test {

struct BundleSpec {
    BundleSpec(QString fileName, QString version)
        : fileName(std::move(fileName)), version(std::move(version)) {}

    BundleSpec& withIdentifier(QString value) { return identifier = std::move(value), *this; }
    BundleSpec& withDisplayName(QString value) { return displayName = std::move(value), *this; }
    BundleSpec& binary() { return binaryPlist = true, *this; }
    BundleSpec& withByteOrderMark() { return byteOrderMark = true, *this; }
    BundleSpec& declaring(QStringList propertyNames, QStringList commandNames = {}) {
        properties = std::move(propertyNames);
        commands = std::move(commandNames);
        return *this;
    }

    QString fileName; // "Capture One 23.app"
    QString version;  // CFBundleShortVersionString; empty leaves it out
    QString identifier = QStringLiteral("com.captureone.captureone16");
    QString displayName; // CFBundleDisplayName; empty leaves it out
    bool binaryPlist = false;
    bool byteOrderMark = false;
    QStringList properties; // declared in Contents/Resources/CaptureOne.sdef
    QStringList commands;
};

// Creates <folder>/<fileName> and returns its path.
QString makeBundle(const QString& folder, const BundleSpec& spec);

// Every property and command the scripts use, for a fully scriptable bundle.
QStringList allAdjustmentProperties();
QStringList allCommands();

} // namespace orbix::test
