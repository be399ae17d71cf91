#include "window/CatalogWatcher.h"

#include "window/CatalogEdits.h"

#include <QDir>
#include <QFileInfo>

namespace orbix::c1sim {

CatalogWatcher::CatalogWatcher(QString path, QObject* parent) : QObject(parent), path_(std::move(path)) {
    pending_.setSingleShot(true);
    pending_.setInterval(0);
    connect(&pending_, &QTimer::timeout, this, &CatalogWatcher::reload);
    connect(&watcher_, &QFileSystemWatcher::fileChanged, &pending_, qOverload<>(&QTimer::start));
    connect(&watcher_, &QFileSystemWatcher::directoryChanged, &pending_, qOverload<>(&QTimer::start));
    QDir().mkpath(QFileInfo(path_).absolutePath());
    watch();
}

void CatalogWatcher::watch() {
    const QString folder = QFileInfo(path_).absolutePath();
    if (!watcher_.directories().contains(folder)) {
        watcher_.addPath(folder);
    }
    // A replaced file drops out of the watch list; a missing one cannot be watched until it exists.
    if (QFileInfo::exists(path_) && !watcher_.files().contains(path_)) {
        watcher_.addPath(path_);
    }
}

void CatalogWatcher::reload() {
    pending_.stop();
    watch();
    QString reason;
    std::optional<Catalog> fresh = edits::readCatalog(path_, &reason);
    if (fresh) {
        // The folder also changes for temporary files and the lock file: only a new state is news.
        QByteArray state = fresh->toCompactJson();
        if (catalog_ && problem_.isEmpty() && state == state_) {
            return;
        }
        catalog_ = std::move(fresh);
        state_ = std::move(state);
        problem_.clear();
    } else {
        catalog_.reset();
        state_.clear();
        problem_ = reason;
    }
    emit catalogChanged();
}

} // namespace orbix::c1sim
