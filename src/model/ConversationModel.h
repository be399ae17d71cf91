#pragma once
// The session's messages in order, oldest first. A growing spoken reply changes its row in place.

#include "core/ConversationRecords.h"
#include "model/RecordListModel.h"

namespace orbix {

class ConversationModel : public RecordListModel<ConversationMessage> {
    Q_OBJECT
public:
    enum Role {
        // "user" or "assistant".
        roleRole = idRole + 1,
        // "text" or "voice"; empty when the message has no mode.
        modeRole,
        createdAtRole,
    };

    using RecordListModel::RecordListModel;

    // Qt::DisplayRole is the message's words.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    // Sets one message's words; false when no message has that identifier.
    bool setContent(const QUuid& id, const QString& content);
};

} // namespace orbix
