#include "model/SessionKeeper.h"

#include "model/AppModel.h"
#include "model/ChangeHistory.h"

namespace orbix {

SessionKeeper::SessionKeeper(AppModel& model, SessionStore& store, QObject* parent)
    : QObject(parent), model_(model), store_(store) {
    saveTimer_.setSingleShot(true);
    saveTimer_.setInterval(saveDelay);
    connect(&saveTimer_, &QTimer::timeout, this, &SessionKeeper::flush);
    connect(&model_, &AppModel::messagesChanged, this, &SessionKeeper::scheduleSave);
    connect(&model_, &AppModel::artifactsChanged, this, &SessionKeeper::scheduleSave);
    if (ChangeHistory* history = model_.changeHistory()) {
        connect(history, &ChangeHistory::changed, this, &SessionKeeper::scheduleSave);
    }
    // The old session's last words go to its own file before the model clears them.
    connect(&model_, &AppModel::sessionStarting, this, [this] {
        flush();
        sessionID_ = QUuid::createUuid();
    });
}

SessionKeeper::~SessionKeeper() {
    flush();
}

void SessionKeeper::scheduleSave() {
    // Not restarted by later changes: a steady stream of them still saves once per delay.
    if (!isShowingSaved_ && !saveTimer_.isActive()) {
        saveTimer_.start();
    }
}

void SessionKeeper::flush() {
    if (!saveTimer_.isActive()) {
        return;
    }
    saveTimer_.stop();
    SavedSession session;
    session.id = sessionID_;
    session.updatedAt = QDateTime::currentDateTimeUtc();
    session.messages = model_.messages();
    // An update notice belongs to this run's check: a later run checks again.
    for (const Artifact& artifact : model_.artifacts()) {
        if (artifact.kind != ArtifactKind::update) {
            session.artifacts.append(artifact);
        }
    }
    if (const ChangeHistory* history = model_.changeHistory()) {
        session.changes = history->changes();
    }
    if (session.messages.isEmpty() && session.artifacts.isEmpty() && session.changes.isEmpty()) {
        return;
    }
    if (const std::optional<QString> failure = store_.save(session)) {
        qWarning("Orbix: %s", qUtf8Printable(*failure));
    }
}

bool SessionKeeper::restoreLatest() {
    const QList<SavedSession> latest = store_.sessions(1);
    if (latest.isEmpty()) {
        return false;
    }
    showSaved(latest.first());
    return true;
}

bool SessionKeeper::open(const QUuid& id) {
    if (id == sessionID_) {
        return true;
    }
    flush();
    const std::optional<SavedSession> session = store_.load(id);
    if (!session) {
        return false;
    }
    model_.startNewSession();
    showSaved(*session);
    return true;
}

void SessionKeeper::showSaved(const SavedSession& session) {
    // Putting it back is no change of it: nothing is written until the user changes something.
    saveTimer_.stop();
    isShowingSaved_ = true;
    sessionID_ = session.id;
    model_.restoreSession(session.messages, session.artifacts, session.changes);
    isShowingSaved_ = false;
}

} // namespace orbix
