#pragma once
// The session's artifacts in the order they were made, oldest first. An artifact whose body or status
// changes (the live change log) changes its row in place.

#include "core/ConversationRecords.h"
#include "model/RecordListModel.h"

namespace orbix {

class ArtifactListModel : public RecordListModel<Artifact> {
    Q_OBJECT
public:
    enum Role {
        kindRole = idRole + 1,
        statusRole,
        createdAtRole,
        bodyRole,
    };

    using RecordListModel::RecordListModel;

    // Qt::DisplayRole is the title; kind and status are their raw values.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;
};

} // namespace orbix
