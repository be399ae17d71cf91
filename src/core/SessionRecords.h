#pragma once
// A saved session as one JSON document: its conversation, its artifacts and the changes its commands made,
// with the identity and times the session list shows. Reading refuses a document that is not one of
// ours rather than keeping half of it.

#include "core/ChangeRecord.h"
#include "core/ConversationRecords.h"

#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QString>
#include <QUuid>
#include <optional>

namespace orbix {

struct SavedSession {
    QUuid id;
    QDateTime updatedAt;
    QList<ConversationMessage> messages;
    QList<Artifact> artifacts;
    QList<ChangeRecord> changes;

    // What a list of sessions calls it: the first request typed or spoken, else the first message, else
    // "Session of" and when it was saved.
    QString title() const;

    friend bool operator==(const SavedSession&, const SavedSession&) = default;
};

namespace sessionJson {

// The document's format; a later format is refused, not guessed at.
inline constexpr int formatVersion = 1;

QByteArray encode(const SavedSession& session);
// The session the document holds; nothing, with the reason, for anything else.
std::optional<SavedSession> decode(const QByteArray& document, QString* reason = nullptr);

} // namespace sessionJson
} // namespace orbix
