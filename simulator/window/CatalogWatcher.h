#pragma once
// Follows the catalog file as any process changes it. Writers replace the file (temporary file + rename),
// which ends a watch on the file itself, so the folder is watched too and the file's watch is renewed on
// every change. Each burst of notifications becomes one read, under the catalog lock, on the next turn of
// the event loop.

#include "engine/Catalog.h"

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>
#include <optional>

namespace orbix::c1sim {

class CatalogWatcher : public QObject {
    Q_OBJECT

public:
    explicit CatalogWatcher(QString path, QObject* parent = nullptr);

    const QString& path() const { return path_; }
    // The catalog as last read; none until the first read, or after a read that failed.
    const std::optional<Catalog>& catalog() const { return catalog_; }
    // Why the last read failed; empty when it succeeded.
    const QString& problem() const { return problem_; }

    // Reads the catalog now (the window calls it once at start and after its own writes).
    void reload();

signals:
    // After a read that found a different state, or failed.
    void catalogChanged();

private:
    void watch();

    QString path_;
    QFileSystemWatcher watcher_;
    QTimer pending_;
    std::optional<Catalog> catalog_;
    QByteArray state_;
    QString problem_;
};

} // namespace orbix::c1sim
