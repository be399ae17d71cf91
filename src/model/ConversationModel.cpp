#include "model/ConversationModel.h"

#include "core/EnumRawValues.h"

namespace orbix {

QVariant ConversationModel::data(const QModelIndex& index, int role) const {
    const ConversationMessage* message = recordAt(index);
    if (!message) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return message->content;
    case idRole:
        return message->id;
    case roleRole:
        return rawValue(message->role);
    case modeRole:
        return message->mode ? rawValue(*message->mode) : QString();
    case createdAtRole:
        return message->createdAt;
    default:
        return {};
    }
}

QHash<int, QByteArray> ConversationModel::roleNames() const {
    return {{Qt::DisplayRole, "content"},
            {idRole, "id"},
            {roleRole, "role"},
            {modeRole, "mode"},
            {createdAtRole, "createdAt"}};
}

bool ConversationModel::setContent(const QUuid& id, const QString& content) {
    const ConversationMessage* message = find(id);
    if (!message) {
        return false;
    }
    ConversationMessage changed = *message;
    changed.content = content;
    return replace(changed);
}

} // namespace orbix
