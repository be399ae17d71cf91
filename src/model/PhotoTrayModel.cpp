#include "model/PhotoTrayModel.h"

#include "model/ImportedPhotoRecognizers.h"

#include <QFileInfo>
#include <utility>

namespace orbix {

PhotoTrayModel::PhotoTrayModel(QObject* parent) : RecordListModel(parent) {
    // Photos that leave the tray (removed, or not in a reset) leave the selection, announced once.
    connect(this, &RecordListModelBase::recordsChanged, this, [this] { setSelectedIds(selected_); });
}

QVariant PhotoTrayModel::data(const QModelIndex& index, int role) const {
    const ImportedPhotoAsset* photo = recordAt(index);
    if (!photo) {
        return {};
    }
    const auto mark = [&] { return marks_.value(ImportedPhotoRecognizers::standardizedPath(photo->url)); };
    switch (role) {
    case Qt::DisplayRole:
        return photo->displayName;
    case Qt::ToolTipRole:
        return QFileInfo(photo->url.toLocalFile()).fileName();
    case idRole:
        return photo->id;
    case urlRole:
        return photo->url;
    case selectedRole:
        return selected_.contains(photo->id);
    case ratingRole:
        return mark().rating;
    case pickRole:
        return mark().pick;
    case colorTagRole:
        return mark().colorTag;
    default:
        return {};
    }
}

QHash<int, QByteArray> PhotoTrayModel::roleNames() const {
    return {{Qt::DisplayRole, "displayName"}, {idRole, "id"},         {urlRole, "url"},
            {selectedRole, "selected"},       {ratingRole, "rating"}, {pickRole, "pick"},
            {colorTagRole, "colorTag"}};
}

void PhotoTrayModel::setSelectedIds(QSet<QUuid> ids) {
    QSet<QUuid> present;
    for (const ImportedPhotoAsset& photo : records()) {
        if (ids.contains(photo.id)) {
            present.insert(photo.id);
        }
    }
    if (present == selected_) {
        return;
    }
    const QSet<QUuid> before = std::exchange(selected_, std::move(present));
    signalRuns(
        [&](int row) {
            const QUuid& id = records()[row].id;
            return before.contains(id) != selected_.contains(id);
        },
        {selectedRole});
    emit selectionChanged();
}

QList<ImportedPhotoAsset> PhotoTrayModel::selectedPhotos() const {
    QList<ImportedPhotoAsset> photos;
    for (const ImportedPhotoAsset& photo : records()) {
        if (selected_.contains(photo.id)) {
            photos.append(photo);
        }
    }
    return photos;
}

void PhotoTrayModel::setMarks(QHash<QString, PhotoMarks> marks) {
    if (marks == marks_) {
        return;
    }
    const QHash<QString, PhotoMarks> before = std::exchange(marks_, std::move(marks));
    signalRuns(
        [&](int row) {
            const QString path = ImportedPhotoRecognizers::standardizedPath(records()[row].url);
            return before.value(path) != marks_.value(path);
        },
        {ratingRole, pickRole, colorTagRole});
    emit marksChanged();
}

void PhotoTrayModel::signalRuns(const std::function<bool(int row)>& changed, const QList<int>& roles) {
    const int rows = rowCount();
    for (int first = 0; first < rows; ++first) {
        if (!changed(first)) {
            continue;
        }
        int last = first;
        while (last + 1 < rows && changed(last + 1)) {
            ++last;
        }
        emit dataChanged(index(first), index(last), roles);
        first = last;
    }
}

} // namespace orbix
