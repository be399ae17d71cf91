// A tray batch on many photos shows what it would change and waits for "apply" (or "confirm") or
// "cancel", typed or said after the wake phrase; any other request drops it. Nothing is written before.
#include "core/Settings.h"
#include "model/PromptPipeline.h"
#include "model/WakeCommandConfirmation.h"

namespace orbix {

namespace {

constexpr qsizetype previewNameCount = 5;
const QString previewTitle = QStringLiteral("Batch Preview");

} // namespace

int PromptPipeline::batchConfirmationThreshold() const {
    return services_.batchConfirmationThreshold ? services_.batchConfirmationThreshold()
                                                : Settings::defaultBatchConfirmationThreshold;
}

bool PromptPipeline::answersBatchConfirmation(const QString& words) const {
    if (!batchAwaitingConfirmation_) {
        return false;
    }
    QString word = words.trimmed().toLower();
    while (!word.isEmpty() && !word.back().isLetter()) {
        word.chop(1);
    }
    return word == QStringLiteral("apply") ||
           wakeconfirmation::answerIn(words) != wakeconfirmation::Answer::none;
}

void PromptPipeline::askBatchConfirmation(const ImportedPhotoBatchIntent& intent,
                                          const QList<ImportedPhotoAsset>& targets) {
    batchAwaitingConfirmation_ = intent;
    QStringList names;
    for (const ImportedPhotoAsset& photo : targets.mid(0, previewNameCount)) {
        names << photo.displayName;
    }
    if (targets.size() > previewNameCount) {
        names << QStringLiteral("and %1 more").arg(targets.size() - previewNameCount);
    }
    const QString count = QString::number(targets.size());
    Artifact preview = Artifact::make(
        ArtifactKind::markdown, previewTitle, ArtifactStatus::needsReview,
        QStringLiteral("**“") + intent.prompt + QStringLiteral("”** will change ") + count +
            QStringLiteral(" photos in Capture One.\n\nFirst photos: ") + names.join(QStringLiteral(", ")) +
            QStringLiteral("\n\nNothing is written before you answer: type or say "
                           "“apply” to run it, or “cancel”."));
    batchPreviewArtifactID_ = preview.id;
    host_.appendArtifact(std::move(preview), true);
    host_.appendReply(QStringLiteral("This changes ") + count +
                      QStringLiteral(" photos. Type “apply” to run it, or “cancel”."));
    host_.setResponding(false);
}

void PromptPipeline::answerPendingBatch(bool apply) {
    const std::optional<ImportedPhotoBatchIntent> intent =
        std::exchange(batchAwaitingConfirmation_, std::nullopt);
    if (!intent) {
        return;
    }
    if (!apply) {
        host_.appendReply(wakeconfirmation::cancelledText);
        host_.setResponding(false);
        return;
    }
    host_.setResponding(true);
    runningConfirmedBatch_ = true;
    runTrayBatch(*intent);
    runningConfirmedBatch_ = false;
}

} // namespace orbix
