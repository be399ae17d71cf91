#include "engine/CatalogStore.h"

#include "engine/PhotoFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QRegularExpression>
#include <QSaveFile>
#include <QStandardPaths>
#include <QThread>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace orbix::c1sim {
namespace {

const QString kDefaultRelativePath = QStringLiteral("/Orbix/Capture One Simulator/catalog.json");
const QString kLockSuffix = QStringLiteral(".lock");

} // namespace

CatalogStore::CatalogStore(QString path) : path_(std::move(path)) {}

CatalogStore::~CatalogStore() {
    if (lockDescriptor_ >= 0) {
        ::flock(lockDescriptor_, LOCK_UN);
        ::close(lockDescriptor_);
    }
}

QString CatalogStore::resolvePath(const QString& option) {
    if (!option.isEmpty()) {
        return QFileInfo(option).absoluteFilePath();
    }
    const QByteArray fromEnvironment = qgetenv(kCatalogEnvironmentVariable);
    if (!fromEnvironment.isEmpty()) {
        return QFileInfo(QString::fromLocal8Bit(fromEnvironment)).absoluteFilePath();
    }
    return QStandardPaths::writableLocation(QStandardPaths::GenericDataLocation) + kDefaultRelativePath;
}

bool CatalogStore::lock(QString* reason) {
    if (lockDescriptor_ >= 0) {
        return true;
    }
    const QFileInfo info(path_);
    if (!QDir().mkpath(info.absolutePath())) {
        *reason = QStringLiteral("its folder cannot be created");
        return false;
    }
    const QByteArray lockPath = QFile::encodeName(path_ + kLockSuffix);
    const int descriptor = ::open(lockPath.constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
    if (descriptor < 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        return false;
    }
    int result = 0;
    do {
        result = ::flock(descriptor, LOCK_EX);
    } while (result != 0 && errno == EINTR);
    if (result != 0) {
        *reason = QString::fromLocal8Bit(std::strerror(errno));
        ::close(descriptor);
        return false;
    }
    lockDescriptor_ = descriptor;
    return true;
}

std::optional<Catalog> CatalogStore::load(QString* reason) {
    QFile file(path_);
    if (!file.exists()) {
        return Catalog::sample();
    }
    // Reading a FIFO or a device would wait for a writer that never comes.
    if (!photos::isRegularFile(path_)) {
        *reason = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    if (!file.open(QIODevice::ReadOnly)) {
        *reason = file.errorString();
        return std::nullopt;
    }
    QJsonParseError parseError;
    const QJsonDocument json = QJsonDocument::fromJson(file.readAll(), &parseError);
    if (parseError.error != QJsonParseError::NoError) {
        *reason = QStringLiteral("%1 at offset %2").arg(parseError.errorString()).arg(parseError.offset);
        return std::nullopt;
    }
    if (!json.isObject()) {
        *reason = QStringLiteral("it is not a JSON object");
        return std::nullopt;
    }
    return Catalog::fromJson(json.object(), reason);
}

void CatalogStore::removeStaleTemporaryFiles() const {
    // QSaveFile writes "catalog.json.XXXXXX" and renames it; a process killed in between leaves it. Saving
    // happens under the exclusive lock, so no other writer's temporary file can be in progress.
    const QFileInfo catalogFile(path_);
    static const QRegularExpression temporarySuffix(QStringLiteral("^\\.[A-Za-z0-9]{6}$"));
    const QFileInfoList siblings = catalogFile.dir().entryInfoList(
        {catalogFile.fileName() + QStringLiteral(".*")}, QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot);
    for (const QFileInfo& sibling : siblings) {
        if (temporarySuffix.match(sibling.fileName().mid(catalogFile.fileName().size())).hasMatch()) {
            QFile::remove(sibling.absoluteFilePath());
        }
    }
}

bool CatalogStore::save(const Catalog& catalog, QString* reason) {
    if (!QDir().mkpath(QFileInfo(path_).absolutePath())) {
        *reason = QStringLiteral("its folder cannot be created");
        return false;
    }
    removeStaleTemporaryFiles();
    QSaveFile file(path_);
    if (!file.open(QIODevice::WriteOnly)) {
        *reason = file.errorString();
        return false;
    }
    file.write(catalog.toCompactJson());
    file.flush();
    const int delay = qEnvironmentVariableIntValue(kWriteDelayEnvironmentVariable);
    if (delay > 0) {
        std::fputs("orbix-c1sim: catalog written to a temporary file, waiting before the rename\n", stderr);
        std::fflush(stderr);
        QThread::msleep(ulong(delay));
    }
    if (!file.commit()) {
        *reason = file.errorString();
        return false;
    }
    return true;
}

} // namespace orbix::c1sim
