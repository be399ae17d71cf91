#include "window/VariantBrowserModel.h"

#include <QColor>
#include <QFont>

namespace orbix::c1sim {
namespace {

constexpr qint64 kMaximumRating = 5;

struct ColorTag {
    const char* name;
    QRgb color;
};
// Capture One's colour tags in scripting order (0 is none).
constexpr ColorTag kColorTags[] = {
    {"None", 0},           {"Red", 0xffe5484d},  {"Orange", 0xfff08c2e}, {"Yellow", 0xffe8c93a},
    {"Green", 0xff46a758}, {"Blue", 0xff3e7bd6}, {"Pink", 0xffe0609e},   {"Purple", 0xff8e5ad0},
};
constexpr qint64 kColorTagCount = qint64(std::size(kColorTags));

} // namespace

QString VariantBrowserModel::ratingStars(qint64 rating) {
    const qint64 filled = std::clamp<qint64>(rating, 0, kMaximumRating);
    return QString(int(filled), QChar(0x2605)) + QString(int(kMaximumRating - filled), QChar(0x2606));
}

QString VariantBrowserModel::colorTagName(qint64 tag) {
    if (tag >= 0 && tag < kColorTagCount) {
        return QString::fromLatin1(kColorTags[tag].name);
    }
    return QStringLiteral("Tag %1").arg(tag);
}

void VariantBrowserModel::setDocument(const Document* document) {
    std::vector<Row> rows;
    if (document) {
        rows.reserve(document->variants.size());
        for (const Variant& variant : document->variants) {
            rows.push_back({variant.id, variant.name, variant.rating, variant.colorTag, variant.pick,
                            variant.id == document->primary});
        }
    }
    const bool sameVariants =
        rows.size() == rows_.size() && std::equal(rows.begin(), rows.end(), rows_.begin(),
                                                  [](const Row& a, const Row& b) { return a.id == b.id; });
    if (!sameVariants) {
        beginResetModel();
        rows_ = std::move(rows);
        endResetModel();
        return;
    }
    for (size_t i = 0; i < rows.size(); ++i) {
        if (rows[i] == rows_[i]) {
            continue;
        }
        rows_[i] = rows[i];
        emit dataChanged(index(int(i), 0), index(int(i), ColumnCount - 1));
    }
}

QString VariantBrowserModel::variantId(int row) const {
    return row >= 0 && row < int(rows_.size()) ? rows_[size_t(row)].id : QString();
}

int VariantBrowserModel::rowOf(const QString& id) const {
    for (size_t i = 0; i < rows_.size(); ++i) {
        if (rows_[i].id == id) {
            return int(i);
        }
    }
    return -1;
}

int VariantBrowserModel::rowCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : int(rows_.size());
}

int VariantBrowserModel::columnCount(const QModelIndex& parent) const {
    return parent.isValid() ? 0 : ColumnCount;
}

QVariant VariantBrowserModel::data(const QModelIndex& index, int role) const {
    if (!index.isValid() || index.row() >= int(rows_.size())) {
        return {};
    }
    const Row& row = rows_[size_t(index.row())];
    const int column = index.column();
    if (role == Qt::DisplayRole) {
        switch (column) {
        case NameColumn:
            return row.name;
        case RatingColumn:
            return ratingStars(row.rating);
        case ColorTagColumn:
            return row.colorTag == 0 ? QString() : colorTagName(row.colorTag);
        case PickColumn:
            return row.pick ? QStringLiteral("Picked") : QString();
        }
    }
    // What screen readers (and the UI fallback) read: words instead of glyphs, and empty cells named.
    if (role == Qt::AccessibleTextRole) {
        switch (column) {
        case NameColumn:
            return row.name;
        case RatingColumn:
            return row.rating == 1 ? QStringLiteral("1 star") : QStringLiteral("%1 stars").arg(row.rating);
        case ColorTagColumn:
            return QStringLiteral("Color tag ") + colorTagName(row.colorTag);
        case PickColumn:
            return row.pick ? QStringLiteral("Picked") : QStringLiteral("Not picked");
        }
    }
    if (role == Qt::DecorationRole && column == ColorTagColumn && row.colorTag > 0 &&
        row.colorTag < kColorTagCount) {
        return QColor::fromRgba(kColorTags[row.colorTag].color);
    }
    if (role == Qt::FontRole && row.primary) {
        QFont font;
        font.setBold(true);
        return font;
    }
    if (role == Qt::ToolTipRole && row.primary) {
        return QStringLiteral("Primary variant");
    }
    return {};
}

QVariant VariantBrowserModel::headerData(int section, Qt::Orientation orientation, int role) const {
    if (orientation != Qt::Horizontal || role != Qt::DisplayRole) {
        return {};
    }
    switch (section) {
    case NameColumn:
        return QStringLiteral("Name");
    case RatingColumn:
        return QStringLiteral("Rating");
    case ColorTagColumn:
        return QStringLiteral("Color Tag");
    case PickColumn:
        return QStringLiteral("Pick");
    }
    return {};
}

} // namespace orbix::c1sim
