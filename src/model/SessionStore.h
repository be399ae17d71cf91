#pragma once
// The saved sessions: one JSON file per session, named by its identifier, in one folder
// ($XDG_DATA_HOME/Orbix/sessions by default). A file is written whole under a temporary name, owner-only,
// and renamed over the old one, so a crash leaves the last complete save. A file that cannot be read as a
// session is skipped with a log line and never written over: it may be worth rescuing by hand.

#include "core/SessionRecords.h"

#include <QDateTime>
#include <QList>
#include <QSet>
#include <QString>
#include <QUuid>
#include <optional>

namespace orbix {

class SessionStore {
public:
    // A saved session as a list shows it, newest first.
    struct Entry {
        QUuid id;
        QString title;
        QDateTime updatedAt;
    };
    // The largest session file read; a larger one counts as damaged.
    static constexpr qint64 mostSessionBytes = 64 * 1024 * 1024;

    explicit SessionStore(QString directory);
    // $XDG_DATA_HOME/Orbix/sessions (~/.local/share/Orbix/sessions when unset).
    static QString defaultDirectory();

    const QString& directory() const { return directory_; }
    // Writes the session over its file; a sentence on failure (also when its file was found damaged).
    std::optional<QString> save(const SavedSession& session);
    std::optional<SavedSession> load(const QUuid& id);
    // Every readable session, newest first; when `limit` is positive, the first that many readable ones
    // of the files written last.
    QList<SavedSession> sessions(qsizetype limit = 0);
    QList<Entry> recent(qsizetype limit);

private:
    QString pathFor(const QUuid& id) const;
    std::optional<SavedSession> read(const QString& path);

    QString directory_;
    // Files found damaged in this run: saving over them is refused.
    QSet<QString> damaged_;
};

} // namespace orbix
