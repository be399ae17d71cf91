#include "window/PrivateRuntimeFolder.h"

#include <QDir>
#include <QFile>
#include <cerrno>
#include <cstring>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbix::c1sim {
namespace {

// Why the path is not a folder only this user may enter; empty when it is. Links are not followed.
QString unsafeBecause(const QString& path) {
    struct stat status {};
    if (::lstat(QFile::encodeName(path).constData(), &status) != 0) {
        return QString::fromLocal8Bit(std::strerror(errno));
    }
    if (!S_ISDIR(status.st_mode)) {
        return QStringLiteral("it is not a folder");
    }
    if (status.st_uid != ::geteuid()) {
        return QStringLiteral("it belongs to user %1").arg(status.st_uid);
    }
    if ((status.st_mode & 077) != 0) {
        return QStringLiteral("others may enter it (mode %1)")
            .arg(status.st_mode & 0777, 3, 8, QLatin1Char('0'));
    }
    return {};
}

} // namespace

QString privateRuntimeFolder(QString* reason) {
    const QString runtime = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (!runtime.isEmpty() && QDir::isAbsolutePath(runtime) && unsafeBecause(runtime).isEmpty()) {
        return runtime;
    }
    const QString fallback =
        QDir::tempPath() + QStringLiteral("/orbix-runtime-") + QString::number(::geteuid());
    // mkdir does not follow a link planted at the path; an existing entry is judged as it is.
    ::mkdir(QFile::encodeName(fallback).constData(), 0700);
    const QString problem = unsafeBecause(fallback);
    if (problem.isEmpty()) {
        return fallback;
    }
    *reason = fallback + QStringLiteral(" can\u2019t hold private sockets: ") + problem;
    return {};
}

long long peerUserId(qintptr socketDescriptor) {
    ucred credentials{};
    socklen_t length = sizeof credentials;
    if (socketDescriptor < 0 ||
        ::getsockopt(int(socketDescriptor), SOL_SOCKET, SO_PEERCRED, &credentials, &length) != 0) {
        return -1;
    }
    return credentials.uid;
}

} // namespace orbix::c1sim
