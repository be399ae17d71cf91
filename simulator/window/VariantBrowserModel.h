#pragma once
// The browser's rows: one per variant of the document, with its name, rating, colour tag and pick flag.
// The primary variant's row is bold. Which rows are selected is the view's business (see SimulatorWindow).

#include "engine/Catalog.h"

#include <QAbstractTableModel>
#include <QStringList>

namespace orbix::c1sim {

class VariantBrowserModel : public QAbstractTableModel {
    Q_OBJECT

public:
    enum Column { NameColumn, RatingColumn, ColorTagColumn, PickColumn, ColumnCount };

    using QAbstractTableModel::QAbstractTableModel;

    // Shows the document's variants (none for no document). Rows are rebuilt only when the variants
    // themselves come and go; otherwise the changed rows are updated in place, which keeps the view's
    // selection and scroll position.
    void setDocument(const Document* document);

    QString variantId(int row) const;
    // -1 when no row shows that variant.
    int rowOf(const QString& id) const;

    int rowCount(const QModelIndex& parent = {}) const override;
    int columnCount(const QModelIndex& parent = {}) const override;
    QVariant data(const QModelIndex& index, int role) const override;
    QVariant headerData(int section, Qt::Orientation orientation, int role) const override;

    // "★★★☆☆" for 3; the stars a rating shows.
    static QString ratingStars(qint64 rating);
    // "None", "Red", … "Purple"; an out-of-range tag reads "Tag N".
    static QString colorTagName(qint64 tag);

private:
    struct Row {
        QString id;
        QString name;
        qint64 rating = 0;
        qint64 colorTag = 0;
        bool pick = false;
        bool primary = false;
        bool operator==(const Row&) const = default;
    };
    std::vector<Row> rows_;
};

} // namespace orbix::c1sim
