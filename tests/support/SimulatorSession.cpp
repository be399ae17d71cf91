#include "support/SimulatorSession.h"

#include <QJsonDocument>
#include <QProcess>
#include <gtest/gtest.h>

namespace orbix::test {

SimulatorSession::SimulatorSession(QString program)
    : program_(std::move(program)), catalogVariable_("ORBIX_C1SIM_CATALOG", catalogPath().toUtf8()) {}

QString SimulatorSession::command(const QStringList& arguments) {
    QProcess process;
    process.start(program_, QStringList{QStringLiteral("--catalog"), catalogPath()} + arguments);
    const bool finished = process.waitForFinished(20000);
    EXPECT_TRUE(finished && process.exitCode() == 0)
        << arguments.join(' ').toStdString() << ": " << process.readAllStandardError().toStdString();
    return QString::fromUtf8(process.readAllStandardOutput());
}

QJsonObject SimulatorSession::dump() {
    return QJsonDocument::fromJson(command({QStringLiteral("dump")}).toUtf8()).object();
}

QJsonArray SimulatorSession::variants() {
    return dump().value(QStringLiteral("document")).toObject().value(QStringLiteral("variants")).toArray();
}

QJsonObject SimulatorSession::variantWithFile(const QString& fileName) {
    for (const QJsonValue& variant : variants()) {
        if (variant.toObject().value(QStringLiteral("path")).toString().endsWith(QLatin1Char('/') + fileName)) {
            return variant.toObject();
        }
    }
    return {};
}

} // namespace orbix::test
