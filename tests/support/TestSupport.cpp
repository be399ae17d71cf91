#include "support/TestSupport.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>
#include <QThread>

namespace orbix::test {

bool waitUntil(const std::function<bool()>& condition, std::chrono::milliseconds timeout) {
    QDeadlineTimer deadline(timeout);
    while (!condition()) {
        if (deadline.hasExpired()) {
            return false;
        }
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        QThread::msleep(1);
    }
    return true;
}

QString writeFile(const QString& path, const QByteArray& content) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate)) {
        return {};
    }
    file.write(content);
    return path;
}

QString writeExecutable(const QString& path, const QByteArray& script) {
    writeFile(path, script);
    QFile::setPermissions(path, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner | QFile::ReadGroup |
                                    QFile::ExeGroup | QFile::ReadOther | QFile::ExeOther);
    return path;
}

QString findProgram(const QString& name, const QStringList& extraPaths) {
    QString found = QStandardPaths::findExecutable(name);
    if (found.isEmpty()) {
        found = QStandardPaths::findExecutable(name, extraPaths);
    }
    return found;
}

QString accessibilityBusLauncher() {
    return findProgram(QStringLiteral("at-spi-bus-launcher"),
                       {QStringLiteral("/usr/libexec"), QStringLiteral("/usr/lib/at-spi2-core"),
                        QStringLiteral("/usr/lib/x86_64-linux-gnu/at-spi2-core")});
}

ScopedEnvironment::ScopedEnvironment(const char* name, std::optional<QByteArray> value) : name_(name) {
    if (qEnvironmentVariableIsSet(name)) {
        previous_ = qgetenv(name);
    }
    if (value) {
        qputenv(name, *value);
    } else {
        qunsetenv(name);
    }
}

ScopedEnvironment::~ScopedEnvironment() {
    if (previous_) {
        qputenv(name_.constData(), *previous_);
    } else {
        qunsetenv(name_.constData());
    }
}

} // namespace orbix::test
