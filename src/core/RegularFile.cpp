#include "core/RegularFile.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace orbix::files {
namespace {

QString systemReason(int error) {
    return QString::fromLocal8Bit(std::strerror(error));
}

void setReason(QString* reason, const QString& text) {
    if (reason) {
        *reason = text;
    }
}

} // namespace

bool isRegularFile(const QString& path) {
    struct stat entry {};
    return ::stat(QFile::encodeName(path).constData(), &entry) == 0 && S_ISREG(entry.st_mode);
}

bool openRegularFile(QFile& file, const QString& path, Links links, QString* reason) {
    const QByteArray name = QFile::encodeName(path);
    // A look before opening keeps devices from being opened at all; the check on the handle below is the
    // one that counts.
    struct stat before {};
    const int lookup =
        links == Links::follow ? ::stat(name.constData(), &before) : ::lstat(name.constData(), &before);
    if (lookup != 0) {
        setReason(reason, systemReason(errno));
        return false;
    }
    if (!S_ISREG(before.st_mode)) {
        setReason(reason, QStringLiteral("it is not a regular file"));
        return false;
    }
    int flags = O_RDONLY | O_NONBLOCK | O_CLOEXEC;
    if (links == Links::refuse) {
        flags |= O_NOFOLLOW;
    }
    int descriptor = -1;
    do {
        descriptor = ::open(name.constData(), flags);
    } while (descriptor < 0 && errno == EINTR);
    if (descriptor < 0) {
        setReason(reason, errno == ELOOP ? QStringLiteral("it is a symbolic link") : systemReason(errno));
        return false;
    }
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode)) {
        ::close(descriptor);
        setReason(reason, QStringLiteral("it is not a regular file"));
        return false;
    }
    // Reads of a regular file never wait anyway; clearing the flag keeps decoders that test for it calm.
    ::fcntl(descriptor, F_SETFL, ::fcntl(descriptor, F_GETFL) & ~O_NONBLOCK);
    if (!file.open(descriptor, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(descriptor);
        setReason(reason, file.errorString());
        return false;
    }
    return true;
}

std::optional<QByteArray> readRegularFile(const QString& path, qint64 maximumBytes, Links links,
                                          QString* reason) {
    QFile file;
    if (!openRegularFile(file, path, links, reason)) {
        return std::nullopt;
    }
    if (file.size() > maximumBytes) {
        setReason(reason, QStringLiteral("it is larger than %1 bytes").arg(maximumBytes));
        return std::nullopt;
    }
    // Read one byte past the limit, in case the file grew since it was measured.
    QByteArray content = file.read(maximumBytes + 1);
    if (content.size() > maximumBytes) {
        setReason(reason, QStringLiteral("it is larger than %1 bytes").arg(maximumBytes));
        return std::nullopt;
    }
    return content;
}

int openOwnerOnlyForWriting(const QString& path, bool append) {
    const int flags = O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | (append ? O_APPEND : 0);
    const int descriptor = ::open(QFile::encodeName(path).constData(), flags, 0600);
    if (descriptor < 0) {
        return -1;
    }
    struct stat opened {};
    if (::fstat(descriptor, &opened) != 0 || !S_ISREG(opened.st_mode) || ::fchmod(descriptor, 0600) != 0) {
        ::close(descriptor);
        return -1;
    }
    return descriptor;
}

} // namespace orbix::files
