#include "model/SessionStore.h"

#include "core/RegularFile.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QtGlobal>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace orbix {

namespace {

const QString suffix = QStringLiteral(".json");

// Writes all of `content` to the descriptor and flushes it to the disk; false on any failure.
bool writeWhole(int descriptor, const QByteArray& content) {
    if (::ftruncate(descriptor, 0) != 0) {
        return false;
    }
    qsizetype written = 0;
    while (written < content.size()) {
        const ssize_t step =
            ::write(descriptor, content.constData() + written, size_t(content.size() - written));
        if (step < 0 && errno == EINTR) {
            continue;
        }
        if (step <= 0) {
            return false;
        }
        written += step;
    }
    return ::fsync(descriptor) == 0;
}

} // namespace

SessionStore::SessionStore(QString directory) : directory_(std::move(directory)) {}

QString SessionStore::defaultDirectory() {
    QString data = qEnvironmentVariable("XDG_DATA_HOME");
    if (data.isEmpty() || !QDir::isAbsolutePath(data)) {
        data = QDir::homePath() + QStringLiteral("/.local/share");
    }
    return data + QStringLiteral("/Orbix/sessions");
}

QString SessionStore::pathFor(const QUuid& id) const {
    return directory_ + QLatin1Char('/') + id.toString(QUuid::WithoutBraces) + suffix;
}

std::optional<QString> SessionStore::save(const SavedSession& session) {
    const QString path = pathFor(session.id);
    if (damaged_.contains(path)) {
        return QStringLiteral("%1 could not be read earlier, so Orbix leaves it as it is.").arg(path);
    }
    if (!QDir().mkpath(directory_)) {
        return QStringLiteral("Orbix could not create %1.").arg(directory_);
    }
    QFile::setPermissions(directory_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    // The temporary name is this process's own, so two writers never share one half-written file.
    const QString temporary = directory_ + QStringLiteral("/.") + session.id.toString(QUuid::WithoutBraces) +
                              QStringLiteral(".%1.tmp").arg(QCoreApplication::applicationPid());
    const int descriptor = files::openOwnerOnlyForWriting(temporary, false);
    if (descriptor < 0) {
        return QStringLiteral("Orbix could not write %1: %2")
            .arg(temporary, QString::fromLocal8Bit(std::strerror(errno)));
    }
    const bool written = writeWhole(descriptor, sessionJson::encode(session));
    ::close(descriptor);
    if (!written ||
        ::rename(QFile::encodeName(temporary).constData(), QFile::encodeName(path).constData()) != 0) {
        const QString reason = QString::fromLocal8Bit(std::strerror(errno));
        QFile::remove(temporary);
        return QStringLiteral("Orbix could not save %1: %2").arg(path, reason);
    }
    return std::nullopt;
}

std::optional<SavedSession> SessionStore::read(const QString& path) {
    QString reason;
    std::optional<SavedSession> session;
    if (const auto content = files::readRegularFile(path, mostSessionBytes, files::Links::refuse, &reason)) {
        session = sessionJson::decode(*content, &reason);
    }
    // A session names its own file: a copy under another name would be saved over the wrong one.
    if (session && pathFor(session->id) != path) {
        reason = QStringLiteral("it holds another session");
        session.reset();
    }
    if (!session) {
        damaged_.insert(path);
        qWarning("Orbix: skipped the saved session %s: %s", qUtf8Printable(path), qUtf8Printable(reason));
    }
    return session;
}

std::optional<SavedSession> SessionStore::load(const QUuid& id) {
    return QFile::exists(pathFor(id)) ? read(pathFor(id)) : std::nullopt;
}

QList<SavedSession> SessionStore::sessions(qsizetype limit) {
    QList<SavedSession> found;
    // Newest file first, so that start-up and the recent list read only as many files as they show; files
    // as new as the last one read are read too, since equal times come in no particular order and the
    // sessions' own times decide.
    const QFileInfoList files =
        QDir(directory_).entryInfoList({QStringLiteral("*") + suffix}, QDir::Files | QDir::System, QDir::Time);
    QDateTime lastRead;
    for (const QFileInfo& file : files) {
        if (limit > 0 && found.size() >= limit && file.lastModified() != lastRead) {
            break;
        }
        if (QUuid(file.fileName().chopped(suffix.size())).isNull()) {
            continue;
        }
        if (std::optional<SavedSession> session = read(file.absoluteFilePath())) {
            found.append(std::move(*session));
            lastRead = file.lastModified();
        }
    }
    std::sort(found.begin(), found.end(),
              [](const SavedSession& a, const SavedSession& b) { return a.updatedAt > b.updatedAt; });
    if (limit > 0 && found.size() > limit) {
        found.resize(limit);
    }
    return found;
}

QList<SessionStore::Entry> SessionStore::recent(qsizetype limit) {
    QList<Entry> entries;
    for (const SavedSession& session : sessions(limit)) {
        entries.append({session.id, session.title(), session.updatedAt});
    }
    return entries;
}

} // namespace orbix
