#pragma once
// The session's changes: every change a command reported, newest last, and the undo and redo stacks over
// them. Undo writes the recorded before-values back to exactly the variants that changed, and only where
// Capture One still holds what the change left there; redo writes the after-values again under the same
// rule. A new change clears redo. Lives on the main thread; every change of state emits `changed`.

#include "core/ChangeRecord.h"
#include "core/CommandOutcome.h"

#include <QList>
#include <QObject>
#include <QString>
#include <functional>
#include <optional>

namespace orbix {

class CaptureOneService;

class ChangeHistory : public QObject {
    Q_OBJECT

public:
    using Completion = std::function<void(const CommandOutcome& outcome)>;
    // How many changes undo can reach back.
    static constexpr qsizetype undoDepth = 100;

    explicit ChangeHistory(CaptureOneService& captureOne, QObject* parent = nullptr);

    // Keeps a change that wrote something or that cannot be undone; a change of nothing is dropped.
    void record(ChangeRecord change);
    // Every change of the session, oldest first, with its undone mark.
    const QList<ChangeRecord>& changes() const { return changes_; }
    // The change undo (or redo) would take back next.
    std::optional<ChangeRecord> nextUndo() const;
    std::optional<ChangeRecord> nextRedo() const;
    // While an undo or redo runs, another one is refused.
    bool isBusy() const { return busy_; }

    void undo(Completion completion);
    void redo(Completion completion);
    void clear();
    // Puts a saved session's changes back for the change log. Undo and redo do not reach them: the
    // document may have changed since, in Orbix or by hand.
    void restoreLog(QList<ChangeRecord> changes);

    // "undo", "undo that" or "redo" as typed or heard: true for redo, false for undo, none for other words.
    static std::optional<bool> undoRequest(const QString& words);
    // "show changes" (or "show the changes") as the whole request.
    static bool isShowChangesRequest(const QString& words);
    // What undoing that kind of change answers when Orbix cannot take it back.
    static QString cannotUndoText(const QString& action);

signals:
    void changed();

private:
    struct Step {
        QUuid id;
        QList<VariantChange> variants; // what undo (or redo) writes: those restored last time for redo
    };
    void restore(bool toBefore, Completion completion);
    ChangeRecord* find(const QUuid& id);

    CaptureOneService& captureOne_;
    QList<ChangeRecord> changes_;
    QList<Step> undoStack_;
    QList<Step> redoStack_;
    bool busy_ = false;
};

} // namespace orbix
