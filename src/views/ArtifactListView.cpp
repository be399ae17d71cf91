#include "views/ArtifactListView.h"

#include "core/ConversationRecords.h"
#include "model/AppModel.h"
#include "views/Symbols.h"

#include <QAction>
#include <QApplication>
#include <QHash>
#include <QIcon>
#include <QSortFilterProxyModel>

namespace orbix::views {
namespace {

QString kindWord(ArtifactKind kind) {
    switch (kind) {
    case ArtifactKind::markdown:
        return QStringLiteral("document");
    case ArtifactKind::note:
        return QStringLiteral("note");
    case ArtifactKind::progress:
        return QStringLiteral("progress");
    case ArtifactKind::update:
        return QStringLiteral("update");
    }
    return QString();
}

QString statusWord(ArtifactStatus status) {
    switch (status) {
    case ArtifactStatus::ready:
        return QStringLiteral("ready");
    case ArtifactStatus::running:
        return QStringLiteral("running");
    case ArtifactStatus::needsReview:
        return QStringLiteral("needs review");
    }
    return QString();
}

// The model's artifacts newest first, each row as rowText with its kind's symbol.
class NewestFirstArtifacts : public QSortFilterProxyModel {
public:
    NewestFirstArtifacts(ArtifactListModel& artifacts, QObject* parent)
        : QSortFilterProxyModel(parent), artifacts_(artifacts) {
        setSourceModel(&artifacts);
        sort(0, Qt::DescendingOrder);
    }

    QVariant data(const QModelIndex& index, int role) const override {
        const QModelIndex source = mapToSource(index);
        if (!source.isValid()) {
            return {};
        }
        const Artifact& artifact = artifacts_.records()[source.row()];
        switch (role) {
        case Qt::DisplayRole:
            return ArtifactListView::rowText(artifact);
        case Qt::ToolTipRole:
            return artifact.title;
        case Qt::DecorationRole:
            return kindIcon(artifact);
        default:
            return QSortFilterProxyModel::data(index, role);
        }
    }

protected:
    bool lessThan(const QModelIndex& left, const QModelIndex& right) const override {
        return left.row() < right.row();
    }

private:
    // Drawn once per kind and palette, not on every paint of a row.
    QIcon kindIcon(const Artifact& artifact) const {
        const QPalette palette = QApplication::palette();
        if (palette.cacheKey() != iconPalette_) {
            icons_.clear();
            iconPalette_ = palette.cacheKey();
        }
        QIcon& icon = icons_[int(artifact.kind)];
        if (icon.isNull()) {
            icon = symbolIcon(ArtifactListView::kindSymbol(artifact), palette.color(QPalette::PlaceholderText),
                              kSymbolSize, palette.color(QPalette::HighlightedText));
        }
        return icon;
    }

    static constexpr int kSymbolSize = 16;
    ArtifactListModel& artifacts_;
    mutable QHash<int, QIcon> icons_;
    mutable qint64 iconPalette_ = 0;
};

} // namespace

ArtifactListView::ArtifactListView(AppModel& model, QWidget* parent) : QListView(parent), model_(model) {
    setObjectName(QStringLiteral("artifactList"));
    setAccessibleName(QStringLiteral("Artifacts of this session"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    // Rows start where the header's title does; the list sits on the window colour like the header.
    setStyleSheet(QStringLiteral("QListView { background: transparent; }"
                                 "QListView::item { padding: 3px 4px; border-radius: 4px; }"
                                 "QListView::item:selected { background: palette(highlight);"
                                 " color: palette(highlighted-text); }"));
    setViewportMargins(kRowPadding - 4, kListPadding, kRowPadding - 4, kListPadding);

    back_ = new QAction(QStringLiteral("Back"), this);
    back_->setObjectName(QStringLiteral("artifactBackAction"));
    back_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Left));
    forward_ = new QAction(QStringLiteral("Forward"), this);
    forward_->setObjectName(QStringLiteral("artifactForwardAction"));
    forward_->setShortcut(QKeySequence(Qt::ALT | Qt::Key_Right));
    for (QAction* action : {back_, forward_}) {
        // Anywhere in the window, like a browser's.
        action->setShortcutContext(Qt::WindowShortcut);
        addAction(action);
    }
    connect(back_, &QAction::triggered, this, [this] { step(-1); });
    connect(forward_, &QAction::triggered, this, [this] { step(1); });

    newestFirst_ = new NewestFirstArtifacts(model_.artifactListModel(), this);
    setModel(newestFirst_);
    // A click or the keyboard choosing a row shows that artifact.
    connect(selectionModel(), &QItemSelectionModel::currentChanged, this, [this](const QModelIndex& current) {
        if (!isFollowing_ && current.isValid()) {
            model_.setSelectedArtifactID(current.data(ArtifactListModel::idRole).toUuid());
        }
    });
    // Rows come and go with the artifacts; the current row follows what is on display.
    connect(newestFirst_, &QAbstractItemModel::rowsInserted, this, &ArtifactListView::fitToRows);
    connect(newestFirst_, &QAbstractItemModel::rowsRemoved, this, &ArtifactListView::fitToRows);
    connect(newestFirst_, &QAbstractItemModel::modelReset, this, &ArtifactListView::fitToRows);
    connect(&model_, &AppModel::selectedArtifactIDChanged, this, &ArtifactListView::followSelection);
    fitToRows();
}

QStringView ArtifactListView::kindSymbol(const Artifact& artifact) {
    switch (artifact.kind) {
    case ArtifactKind::markdown:
        return u"doc.text";
    case ArtifactKind::note:
        return u"square.and.pencil";
    case ArtifactKind::progress:
        return u"circle.dotted";
    case ArtifactKind::update:
        return u"arrow.down.circle";
    }
    return u"doc.text";
}

QString ArtifactListView::rowText(const Artifact& artifact) {
    QStringList parts{artifact.title, kindWord(artifact.kind)};
    if (artifact.status != ArtifactStatus::ready) {
        parts << statusWord(artifact.status);
    }
    parts << artifact.createdAt.toLocalTime().toString(QStringLiteral("HH:mm"));
    return parts.join(QStringLiteral(" · "));
}

QSize ArtifactListView::sizeHint() const {
    const int rows = std::min(newestFirst_->rowCount(), kVisibleRows);
    return {QListView::sizeHint().width(),
            rows * std::max(sizeHintForRow(0), 1) + 2 * frameWidth() + 2 * kListPadding};
}

void ArtifactListView::fitToRows() {
    setVisible(newestFirst_->rowCount() > 0);
    setFixedHeight(sizeHint().height());
    followSelection();
}

void ArtifactListView::followSelection() {
    const std::optional<QUuid> selected = model_.selectedArtifactID();
    const int sourceRow = selected ? model_.artifactListModel().rowOf(*selected) : -1;
    const QModelIndex shown = sourceRow < 0
                                  ? QModelIndex()
                                  : newestFirst_->mapFromSource(model_.artifactListModel().index(sourceRow));
    isFollowing_ = true;
    selectionModel()->setCurrentIndex(shown, QItemSelectionModel::ClearAndSelect);
    isFollowing_ = false;
    // A new artifact on display, not reached by Back or Forward, continues the history from here.
    if (selected && (position_ < 0 || history_.value(position_) != *selected)) {
        history_.resize(position_ + 1);
        history_.append(*selected);
        position_ = history_.size() - 1;
    }
    back_->setEnabled(position_ > 0);
    forward_->setEnabled(position_ + 1 < history_.size());
}

void ArtifactListView::step(int direction) {
    // Artifacts gone since (a new session, an update dismissed) are skipped.
    for (qsizetype next = position_ + direction; next >= 0 && next < history_.size(); next += direction) {
        const QUuid id = history_[next];
        if (model_.artifactListModel().find(id)) {
            position_ = next;
            model_.setSelectedArtifactID(id);
            return;
        }
    }
}

} // namespace orbix::views
