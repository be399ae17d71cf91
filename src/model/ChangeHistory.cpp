#include "model/ChangeHistory.h"

#include "captureone/CaptureOneService.h"
#include "core/TextRules.h"

#include <QPointer>

namespace orbix {

namespace {

const QString nothingToUndoText = QStringLiteral("There is no change for Orbix to undo.");
const QString nothingToRedoText = QStringLiteral("There is no undone change for Orbix to redo.");
const QString busyText = QStringLiteral("Orbix is still taking back the last change.");
const QString unreadableText =
    QStringLiteral("Orbix could not read what Capture One holds now, so it changed nothing.");
// Past this many properties a reply counts them instead of naming them.
constexpr qsizetype namedPropertyLimit = 3;

using text::photoCount;

QString propertiesText(const QList<VariantChange>& variants) {
    ChangeRecord record;
    record.variants = variants;
    const QStringList names = record.propertyNames();
    if (names.size() > namedPropertyLimit) {
        return QString::number(names.size()) + QStringLiteral(" properties");
    }
    if (names.size() <= 1) {
        return names.value(0);
    }
    return names.mid(0, names.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") + names.last();
}

QString namesText(const QStringList& names) {
    return names.join(QStringLiteral(", "));
}

} // namespace

ChangeHistory::ChangeHistory(CaptureOneService& captureOne, QObject* parent)
    : QObject(parent), captureOne_(captureOne) {}

void ChangeHistory::record(ChangeRecord change) {
    if (change.undoable && !change.changedAnything()) {
        return;
    }
    undoStack_.append({change.id, change.variants});
    if (undoStack_.size() > undoDepth) {
        undoStack_.removeFirst();
    }
    redoStack_.clear();
    changes_.append(std::move(change));
    emit changed();
}

ChangeRecord* ChangeHistory::find(const QUuid& id) {
    for (ChangeRecord& change : changes_) {
        if (change.id == id) {
            return &change;
        }
    }
    return nullptr;
}

std::optional<ChangeRecord> ChangeHistory::nextUndo() const {
    for (const ChangeRecord& change : changes_) {
        if (!undoStack_.isEmpty() && change.id == undoStack_.last().id) {
            return change;
        }
    }
    return std::nullopt;
}

std::optional<ChangeRecord> ChangeHistory::nextRedo() const {
    for (const ChangeRecord& change : changes_) {
        if (!redoStack_.isEmpty() && change.id == redoStack_.last().id) {
            return change;
        }
    }
    return std::nullopt;
}

void ChangeHistory::clear() {
    changes_.clear();
    undoStack_.clear();
    redoStack_.clear();
    emit changed();
}

void ChangeHistory::restoreLog(QList<ChangeRecord> changes) {
    changes_ = std::move(changes);
    undoStack_.clear();
    redoStack_.clear();
    emit changed();
}

void ChangeHistory::undo(Completion completion) {
    restore(true, std::move(completion));
}

void ChangeHistory::redo(Completion completion) {
    restore(false, std::move(completion));
}

void ChangeHistory::restore(bool toBefore, Completion completion) {
    QList<Step>& from = toBefore ? undoStack_ : redoStack_;
    if (busy_) {
        completion(CommandOutcome::refused(busyText));
        return;
    }
    if (from.isEmpty()) {
        completion(CommandOutcome::refused(toBefore ? nothingToUndoText : nothingToRedoText));
        return;
    }
    const ChangeRecord* change = find(from.last().id);
    if (change && !change->undoable) {
        // Taken off the stack, so that the next undo reaches the change before it.
        from.removeLast();
        emit changed();
        completion(CommandOutcome::refused(cannotUndoText(change->action)));
        return;
    }
    const Step step = from.last();
    busy_ = true;
    QPointer<ChangeHistory> self(this);
    captureOne_.restoreValues(
        step.variants, toBefore,
        [self, step, toBefore, completion = std::move(completion)](
            const CommandOutcome& outcome,
            const std::optional<QHash<QString, changescripts::RestoreReading>>& readings) {
            if (!self) {
                return;
            }
            self->busy_ = false;
            if (!outcome.status.succeeded()) {
                completion(outcome);
                return;
            }
            if (!readings) {
                completion(CommandOutcome::captureOneError(unreadableText, std::nullopt));
                return;
            }
            QList<VariantChange> restored;
            QStringList leftAlone;
            QStringList missing;
            for (const VariantChange& variant : step.variants) {
                const auto reading = readings->constFind(variant.id);
                if (reading == readings->constEnd()) {
                    missing << variant.name;
                } else if (reading->restored) {
                    restored << variant;
                } else {
                    leftAlone << variant.name;
                }
            }
            QList<Step>& from = toBefore ? self->undoStack_ : self->redoStack_;
            QList<Step>& to = toBefore ? self->redoStack_ : self->undoStack_;
            from.removeLast();
            QString text;
            if (!restored.isEmpty()) {
                to.append({step.id, restored});
                if (ChangeRecord* change = self->find(step.id)) {
                    change->undone = toBefore;
                }
                text = (toBefore ? QStringLiteral("Restored ") : QStringLiteral("Reapplied ")) +
                       propertiesText(restored) + QStringLiteral(" on ") + photoCount(restored.size()) +
                       QLatin1Char('.');
            } else {
                text = toBefore ? QStringLiteral("Nothing was restored.")
                                : QStringLiteral("Nothing was reapplied.");
            }
            if (!leftAlone.isEmpty()) {
                text += QStringLiteral(" Left ") + namesText(leftAlone) +
                        (leftAlone.size() == 1 ? QStringLiteral(" as it is") : QStringLiteral(" as they are")) +
                        QStringLiteral(": changed in Capture One since.");
            }
            if (!missing.isEmpty()) {
                text += QStringLiteral(" No longer in the document: ") + namesText(missing) + QLatin1Char('.');
            }
            emit self->changed();
            completion(restored.isEmpty() ? CommandOutcome::refused(text) : CommandOutcome::success(text));
        });
}

namespace {
// The words in lower case, single-spaced, without closing punctuation.
QString plainRequest(const QString& words) {
    QString request = text::trimmed(words).toLower();
    while (!request.isEmpty() && QStringLiteral(".!?").contains(request.back())) {
        request.chop(1);
    }
    return request.simplified();
}
} // namespace

bool ChangeHistory::isShowChangesRequest(const QString& words) {
    const QString request = plainRequest(words);
    return request == QStringLiteral("show changes") || request == QStringLiteral("show the changes");
}

std::optional<bool> ChangeHistory::undoRequest(const QString& words) {
    const QString request = plainRequest(words);
    if (request == QStringLiteral("undo") || request == QStringLiteral("undo that")) {
        return false;
    }
    if (request == QStringLiteral("redo") || request == QStringLiteral("redo that")) {
        return true;
    }
    return std::nullopt;
}

QString ChangeHistory::cannotUndoText(const QString& action) {
    static const QList<std::pair<QString, QString>> gerunds{
        {QStringLiteral("c1_import_folder"), QStringLiteral("Importing")},
        {QStringLiteral("c1_clone_variant"), QStringLiteral("Cloning a variant")},
        {QStringLiteral("c1_maximum_crop"), QStringLiteral("Cropping to the maximum")},
        {QStringLiteral("c1_create_layer"), QStringLiteral("Creating a layer")},
        {QStringLiteral("c1_mask"), QStringLiteral("Changing a mask")},
        {QStringLiteral("click"), QStringLiteral("Clicking in Capture One")},
        {QStringLiteral("type"), QStringLiteral("Typing in Capture One")},
        {QStringLiteral("press_key"), QStringLiteral("Pressing keys in Capture One")},
    };
    for (const auto& [name, gerund] : gerunds) {
        if (name == action) {
            return gerund + QStringLiteral(" can’t be undone by Orbix.");
        }
    }
    return QStringLiteral("That change can’t be undone by Orbix.");
}

} // namespace orbix
