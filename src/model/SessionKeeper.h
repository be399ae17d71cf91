#pragma once
// Keeps the model's session saved: every change of the conversation, the artifacts or the change log
// schedules one save, written at most once per saveDelay (a voice transcript that grows word by word
// writes once a second, not once a word). New Session starts a new file; opening a saved session puts its
// conversation, artifacts and changes back (never its voice state, nor an update notice). An empty
// session is not saved.

#include "model/SessionStore.h"

#include <QObject>
#include <QTimer>
#include <QUuid>
#include <chrono>

namespace orbix {

class AppModel;

class SessionKeeper : public QObject {
    Q_OBJECT
public:
    static constexpr std::chrono::milliseconds saveDelay{1000};

    // The model and the store must outlive the keeper.
    SessionKeeper(AppModel& model, SessionStore& store, QObject* parent = nullptr);
    // Writes a save still waiting.
    ~SessionKeeper() override;

    SessionStore& store() const { return store_; }
    const QUuid& sessionID() const { return sessionID_; }
    // Opens the most recently saved session; false when none can be read.
    bool restoreLatest();
    // Saves the current session, then shows the saved one in its place; false when it cannot be read.
    bool open(const QUuid& id);
    // Writes a waiting save now.
    void flush();

private:
    void scheduleSave();
    void showSaved(const SavedSession& session);

    AppModel& model_;
    SessionStore& store_;
    QUuid sessionID_ = QUuid::createUuid();
    QTimer saveTimer_;
    bool isShowingSaved_ = false;
};

} // namespace orbix
