#include "views/ArtifactListView.h"

#include "core/ConversationRecords.h"
#include "model/AppModel.h"

#include <QAction>
#include <algorithm>

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

} // namespace

ArtifactListView::ArtifactListView(AppModel& model, QWidget* parent) : QListWidget(parent), model_(model) {
    setObjectName(QStringLiteral("artifactList"));
    setAccessibleName(QStringLiteral("Artifacts of this session"));
    setFrameShape(QFrame::NoFrame);
    setSelectionMode(QAbstractItemView::SingleSelection);
    setUniformItemSizes(true);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setTextElideMode(Qt::ElideRight);
    // Rows start where the header's title does; the list sits on the window colour like the header.
    setStyleSheet(QStringLiteral("QListWidget { background: transparent; }"
                                 "QListWidget::item { padding: 3px 4px; border-radius: 4px; }"
                                 "QListWidget::item:selected { background: palette(highlight);"
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

    // A click or the keyboard choosing a row shows that artifact.
    connect(this, &QListWidget::currentItemChanged, this, [this](QListWidgetItem* item) {
        if (!isRebuilding_ && item) {
            model_.setSelectedArtifactID(item->data(Qt::UserRole).toUuid());
        }
    });
    connect(&model_, &AppModel::artifactsChanged, this, &ArtifactListView::rebuild);
    connect(&model_, &AppModel::selectedArtifactIDChanged, this, &ArtifactListView::followSelection);
    rebuild();
    followSelection();
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
    const int rows = std::min(count(), kVisibleRows);
    return {QListWidget::sizeHint().width(),
            rows * std::max(sizeHintForRow(0), 1) + 2 * frameWidth() + 2 * kListPadding};
}

void ArtifactListView::rebuild() {
    isRebuilding_ = true;
    clear();
    const QList<Artifact>& artifacts = model_.artifacts();
    for (auto artifact = artifacts.crbegin(); artifact != artifacts.crend(); ++artifact) {
        auto* item = new QListWidgetItem(rowText(*artifact), this);
        item->setData(Qt::UserRole, artifact->id);
        item->setToolTip(artifact->title);
    }
    isRebuilding_ = false;
    setVisible(!artifacts.isEmpty());
    setFixedHeight(sizeHint().height());
    followSelection();
}

void ArtifactListView::followSelection() {
    const std::optional<QUuid> selected = model_.selectedArtifactID();
    isRebuilding_ = true;
    setCurrentItem(nullptr);
    for (int row = 0; selected && row < count(); ++row) {
        if (item(row)->data(Qt::UserRole).toUuid() == *selected) {
            setCurrentRow(row);
            break;
        }
    }
    isRebuilding_ = false;
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
        const bool exists = std::any_of(model_.artifacts().cbegin(), model_.artifacts().cend(),
                                        [&](const Artifact& artifact) { return artifact.id == id; });
        if (exists) {
            position_ = next;
            model_.setSelectedArtifactID(id);
            return;
        }
    }
}

} // namespace orbix::views
