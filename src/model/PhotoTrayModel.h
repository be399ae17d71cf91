#pragma once
// The photo tray: the imported photos in tray order, which of them are selected, and their rating, pick
// and colour tag as Capture One last reported them. A selection or marks change signals only the rows
// whose state changed, besides `selectionChanged()` / `marksChanged()`.

#include "captureone/PhotoMarks.h"
#include "core/ConversationRecords.h"
#include "model/RecordListModel.h"

#include <QHash>
#include <QSet>
#include <functional>

namespace orbix {

class PhotoTrayModel : public RecordListModel<ImportedPhotoAsset> {
    Q_OBJECT
public:
    enum Role {
        urlRole = idRole + 1,
        selectedRole,
        // 0–5; 0 also while Capture One has not reported the photo.
        ratingRole,
        pickRole,
        colorTagRole,
    };

    explicit PhotoTrayModel(QObject* parent = nullptr);

    // Qt::DisplayRole is the display name, Qt::ToolTipRole the file name.
    QVariant data(const QModelIndex& index, int role = Qt::DisplayRole) const override;
    QHash<int, QByteArray> roleNames() const override;

    const QSet<QUuid>& selectedIds() const { return selected_; }
    // Identifiers no photo has are dropped.
    void setSelectedIds(QSet<QUuid> ids);
    // The selected photos in tray order.
    QList<ImportedPhotoAsset> selectedPhotos() const;

    // By standardised path.
    const QHash<QString, PhotoMarks>& marks() const { return marks_; }
    void setMarks(QHash<QString, PhotoMarks> marks);

signals:
    void selectionChanged();
    void marksChanged();

private:
    // Signals the rows for which `changed` holds, one dataChanged per unbroken run of them.
    void signalRuns(const std::function<bool(int row)>& changed, const QList<int>& roles);

    QSet<QUuid> selected_;
    QHash<QString, PhotoMarks> marks_;
};

} // namespace orbix
