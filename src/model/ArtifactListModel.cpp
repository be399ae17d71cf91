#include "model/ArtifactListModel.h"

#include "core/EnumRawValues.h"

namespace orbix {

QVariant ArtifactListModel::data(const QModelIndex& index, int role) const {
    const Artifact* artifact = recordAt(index);
    if (!artifact) {
        return {};
    }
    switch (role) {
    case Qt::DisplayRole:
        return artifact->title;
    case idRole:
        return artifact->id;
    case kindRole:
        return rawValue(artifact->kind);
    case statusRole:
        return rawValue(artifact->status);
    case createdAtRole:
        return artifact->createdAt;
    case bodyRole:
        return artifact->body;
    default:
        return {};
    }
}

QHash<int, QByteArray> ArtifactListModel::roleNames() const {
    return {{Qt::DisplayRole, "title"},   {idRole, "id"},    {kindRole, "kind"}, {statusRole, "status"},
            {createdAtRole, "createdAt"}, {bodyRole, "body"}};
}

} // namespace orbix
