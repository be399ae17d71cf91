// orbix(1) against the program it documents and the D-Bus interface it describes.
#include "app/ManPage.h"

#include "support/TestSupport.h"

#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

namespace {

QByteArray interfaceXml() {
    QFile file(QStringLiteral(ORBIX_DBUS_INTERFACE_XML));
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QString runOrbix(const QStringList& arguments) {
    QProcess process;
    process.start(QStringLiteral(ORBIX_PROGRAM), arguments);
    EXPECT_TRUE(process.waitForFinished(30000));
    EXPECT_EQ(process.exitCode(), 0);
    return QString::fromUtf8(process.readAllStandardOutput());
}

QSet<QString> longOptions(const QString& text) {
    QSet<QString> names;
    static const QRegularExpression option(QStringLiteral("--([a-z][a-z-]*)"));
    for (const QRegularExpressionMatch& match : option.globalMatch(text)) {
        names << match.captured(1);
    }
    return names;
}

} // namespace

TEST(ManPage, DescribesEveryOptionOfTheProgramsHelpAndItsVersion) {
    QString error;
    QString page =
        orbix::manPage::render({QStringLiteral("9.8.7"), QStringLiteral("share"), interfaceXml()}, &error);
    EXPECT_TRUE(error.isEmpty()) << error.toStdString();
    page.replace(QStringLiteral("\\-"), QStringLiteral("-"));

    const QSet<QString> helpOptions = longOptions(runOrbix({QStringLiteral("--help")}));
    EXPECT_TRUE(helpOptions.contains(QStringLiteral("prompt")));
    EXPECT_TRUE(helpOptions.contains(QStringLiteral("version")));
    for (const QString& option : helpOptions) {
        EXPECT_TRUE(page.contains(QStringLiteral("\\fB--") + option + QStringLiteral("\\fR")))
            << "orbix(1) lists no --" << option.toStdString();
    }
    EXPECT_TRUE(page.startsWith(QStringLiteral(".TH ORBIX 1 \"\" \"Orbix 9.8.7\"")));
    EXPECT_TRUE(page.contains(QStringLiteral("\\fBorg.orbix.Orbix.CreateNote\\fR(in s text, out s dialog)\n"
                                             "Brings the window forward")));

    EXPECT_EQ(runOrbix({QStringLiteral("--version")}),
              QStringLiteral("orbix %1 (Qt %2)\n")
                  .arg(QStringLiteral(ORBIX_VERSION), QStringLiteral(QT_VERSION_STR)));
}

TEST(ManPage, TextNeverBecomesARoffRequestAndABrokenInterfaceFileIsReported) {
    EXPECT_EQ(orbix::manPage::escaped(QStringLiteral(".so /etc/passwd")), QStringLiteral("\\&.so /etc/passwd"));
    EXPECT_EQ(orbix::manPage::escaped(QStringLiteral("'br")), QStringLiteral("\\&'br"));
    EXPECT_EQ(orbix::manPage::escaped(QStringLiteral("C:\\fBx --y")), QStringLiteral("C:\\efBx \\-\\-y"));

    QString error;
    const QString page = orbix::manPage::render(
        {QStringLiteral("1"), QStringLiteral("share"), QByteArray("<node><interface name=\"a\"><method")},
        &error);
    EXPECT_TRUE(error.contains(QStringLiteral("does not parse"))) << error.toStdString();
    EXPECT_FALSE(page.contains(QStringLiteral("\\fBa.")));
}
