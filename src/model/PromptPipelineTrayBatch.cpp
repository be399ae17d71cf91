// The tray batch road: a batch request runs on exactly the tray photos it targets, by file path, and its
// change is recorded under the action it stands for.
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "core/TextRules.h"
#include "model/PromptPipeline.h"

#include <QPointer>

namespace orbix {

namespace {

const QString batchArtifactTitle = QStringLiteral("Imported Photo Action");

// The action table's name for what a tray batch does, for its change record.
QString batchActionName(ImportedPhotoBatchIntent::Kind kind) {
    using Kind = ImportedPhotoBatchIntent::Kind;
    switch (kind) {
    case Kind::applyPreset:
        return QStringLiteral("c1_apply_style");
    case Kind::cull:
        return QStringLiteral("c1_set_pick");
    case Kind::rate:
        return QStringLiteral("c1_set_rating");
    case Kind::adjustSlider:
        return QStringLiteral("c1_adjust_slider");
    case Kind::adjustSliders:
        break;
    }
    return QStringLiteral("c1_adjust_sliders");
}

using ImportedPhotoRecognizers::standardizedPath;

using text::photoCount;

} // namespace

void PromptPipeline::runTrayBatch(const ImportedPhotoBatchIntent& intent, std::function<void()> done) {
    const QList<ImportedPhotoAsset> targets = host_.targetPhotos(intent.prompt);
    if (targets.isEmpty()) {
        host_.appendReply(MacComputerUseService::withoutImportedPhotoTargets().summary);
        host_.setResponding(false);
        if (done) {
            done();
        }
        return;
    }
    if (!runningConfirmedBatch_ && batchConfirmationThreshold() > 0 &&
        targets.size() > batchConfirmationThreshold()) {
        askBatchConfirmation(intent, targets);
        if (done) {
            done();
        }
        return;
    }
    QStringList paths;
    for (const ImportedPhotoAsset& asset : targets) {
        paths << standardizedPath(asset.url);
    }
    host_.setWorkDescription(QStringLiteral("Changing %1 in Capture One.").arg(photoCount(targets.size())));
    QPointer<PromptPipeline> self(this);
    const qsizetype targetCount = targets.size();
    const QString action = batchActionName(intent.kind);
    const BatchFinish finish = [self, targetCount, done, action, request = intent.prompt](
                                   const QString& reply, const std::optional<ChangeRecord>& change, bool) {
        if (!self) {
            return;
        }
        if (change) {
            ChangeRecord named = *change;
            named.action = action;
            self->host_.recordChange(named, ChangeRoad::typed, request);
        }
        self->host_.appendReply(reply);
        self->host_.appendArtifact(
            Artifact::make(ArtifactKind::markdown, batchArtifactTitle, ArtifactStatus::ready,
                           reply + QStringLiteral("\n\nPhotos targeted: ") + QString::number(targetCount)),
            true);
        self->host_.setResponding(false);
        if (done) {
            done();
        }
    };
    if (paths.size() <= batchChunkSize) {
        runBatchOperation(intent, paths, finish);
        return;
    }
    runBatchInChunks(intent, paths, finish);
}

void PromptPipeline::runBatchOperation(const ImportedPhotoBatchIntent& intent, const QStringList& paths,
                                       BatchFinish finish) {
    using Kind = ImportedPhotoBatchIntent::Kind;
    const CaptureOneService::Completion finishOutcome = [finish](const CommandOutcome& outcome) {
        finish(outcome.text, outcome.change, outcome.status.succeeded());
    };
    CaptureOneService& captureOne = *services_.captureOne;
    switch (intent.kind) {
    case Kind::applyPreset:
        captureOne.applyStyle(intent.text, paths, finishOutcome);
        return;
    case Kind::cull:
        if (intent.text == QStringLiteral("reject")) {
            captureOne.reject(paths, finishOutcome);
        } else {
            captureOne.setPick(intent.text != QStringLiteral("unflag"), paths, finishOutcome);
        }
        return;
    case Kind::rate:
        captureOne.setRating(intent.rating, paths, finishOutcome);
        return;
    case Kind::adjustSlider:
        captureOne.setAdjustment(intent.slider.sliderName, text::shortestRealText(intent.slider.value),
                                 intent.slider.relative, paths, finishOutcome);
        return;
    case Kind::adjustSliders: {
        // Each "property:amount:1" item is a relative change of its own, applied one after the other; the
        // replies are reported together.
        auto steps = std::make_shared<std::vector<AdjustmentStep>>();
        for (const QString& item : intent.text.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            const QStringList parts = item.split(QLatin1Char(':'));
            if (parts.size() == 3) {
                steps->push_back({parts[0], parts[1], parts[2] == QStringLiteral("1")});
            }
        }
        runAdjustmentSteps(std::move(steps), 0, {}, std::nullopt, true, paths, finish);
        return;
    }
    }
}

void PromptPipeline::runAdjustmentSteps(std::shared_ptr<const std::vector<AdjustmentStep>> steps, size_t index,
                                        QStringList replies, std::optional<ChangeRecord> change, bool succeeded,
                                        const QStringList& paths, BatchFinish finish) {
    if (index == steps->size()) {
        finish(replies.join(QLatin1Char('\n')), change, succeeded);
        return;
    }
    const AdjustmentStep& step = (*steps)[index];
    QPointer<PromptPipeline> self(this);
    services_.captureOne->setAdjustment(
        step.property, step.amount, step.relative, paths,
        [self, steps, index, replies, change, succeeded, paths, finish](const CommandOutcome& outcome) mutable {
            if (!self) {
                return;
            }
            replies.append(outcome.text);
            if (outcome.change) {
                change ? change->merge(*outcome.change) : void(change = outcome.change);
            }
            self->runAdjustmentSteps(steps, index + 1, std::move(replies), std::move(change),
                                     succeeded && outcome.status.succeeded(), paths, std::move(finish));
        });
}

} // namespace orbix
