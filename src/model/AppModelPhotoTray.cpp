// The photo tray of the application model: importing folders, selecting and removing photos, and running
// batch requests on exactly the photos they target.
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "core/TextRules.h"
#include "model/AppModel.h"
#include "model/BatchReplies.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <memory>

namespace orbix {

namespace {

const QString importArtifactTitle = QStringLiteral("Imported Photos");
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

void AppModel::importPhotos(const QUrl& folder, std::function<void()> done) {
    const QString folderPath = standardizedPath(folder);
    const std::optional<QString> problem = ImportedPhotoRecognizers::folderProblem(folderPath);
    const QList<QUrl> photos = problem ? QList<QUrl>() : ImportedPhotoRecognizers::photoURLs(folderPath);
    if (photos.isEmpty()) {
        appendAssistantMessage(problem ? *problem
                                       : QStringLiteral("No supported photo files were found in ") +
                                             QFileInfo(folderPath).fileName() + QLatin1Char('.'));
        setResponding(false);
        if (done) {
            done();
        }
        return;
    }
    setResponding(true);
    setWorkDescription(QStringLiteral("Importing %1 from %2.")
                           .arg(photoCount(photos.size()), QFileInfo(folderPath).fileName()));
    QPointer<AppModel> self(this);
    services_.captureOne->importFolder(
        folderPath, [self, folderPath, photos, done](const CommandOutcome& outcome) {
            if (!self) {
                return;
            }
            const QString& reply = outcome.text;
            if (outcome.status.succeeded()) {
                QSet<QString> present;
                for (const ImportedPhotoAsset& asset : self->photoTray_.records()) {
                    present.insert(standardizedPath(asset.url));
                }
                QList<ImportedPhotoAsset> newPhotos;
                QSet<QUuid> added;
                for (const QUrl& photo : photos) {
                    if (!present.contains(standardizedPath(photo))) {
                        newPhotos.append(ImportedPhotoAsset::make(photo));
                        added.insert(newPhotos.constLast().id);
                    }
                }
                self->photoTray_.appendAll(std::move(newPhotos));
                self->photoTray_.setSelectedIds(std::move(added));
            }
            self->appendArtifact(
                Artifact::make(ArtifactKind::markdown, importArtifactTitle, ArtifactStatus::ready,
                               reply + QStringLiteral("\n\nFolder: ") + folderPath +
                                   QStringLiteral("\n\nPhotos found: ") + QString::number(photos.size())),
                true);
            self->appendAssistantMessage(reply);
            self->setResponding(false);
            if (done) {
                done();
            }
        });
}

void AppModel::selectImportedPhoto(const ImportedPhotoAsset& photo, bool extendingSelection) {
    if (!photoTray_.records().contains(photo)) {
        return;
    }
    QSet<QUuid> selected = photoTray_.selectedIds();
    if (!extendingSelection) {
        selected = {photo.id};
    } else if (!selected.remove(photo.id)) {
        selected.insert(photo.id);
    }
    photoTray_.setSelectedIds(std::move(selected));
}

void AppModel::selectImportedPhotoRange(const ImportedPhotoAsset& from, const ImportedPhotoAsset& to) {
    const QList<ImportedPhotoAsset>& photos = photoTray_.records();
    const qsizetype first = photos.indexOf(from);
    const qsizetype last = photos.indexOf(to);
    if (first < 0 || last < 0) {
        return;
    }
    QSet<QUuid> selected;
    for (qsizetype index = qMin(first, last); index <= qMax(first, last); ++index) {
        selected.insert(photos[index].id);
    }
    photoTray_.setSelectedIds(std::move(selected));
}

void AppModel::selectAllImportedPhotos() {
    QSet<QUuid> all;
    for (const ImportedPhotoAsset& asset : photoTray_.records()) {
        all.insert(asset.id);
    }
    photoTray_.setSelectedIds(std::move(all));
}

void AppModel::deselectAllImportedPhotos() {
    photoTray_.setSelectedIds({});
}

void AppModel::removeImportedPhoto(const ImportedPhotoAsset& photo) {
    removeImportedPhotos({photo});
}

void AppModel::removeImportedPhotos(const QList<ImportedPhotoAsset>& photos) {
    QSet<QUuid> removed;
    for (const ImportedPhotoAsset& photo : photos) {
        removed.insert(photo.id);
    }
    photoTray_.removeIf([&](const ImportedPhotoAsset& asset) { return removed.contains(asset.id); });
}

QList<ImportedPhotoAsset> AppModel::selectedImportedPhotos() const {
    return photoTray_.selectedPhotos();
}

QList<ImportedPhotoAsset> AppModel::targetImportedPhotos(const QString& text) const {
    return ImportedPhotoRecognizers::targetsAllImportedPhotos(text) ? photoTray_.records()
                                                                    : selectedImportedPhotos();
}

void AppModel::runImportedPhotoBatchIntent(const ImportedPhotoBatchIntent& intent, std::function<void()> done) {
    const QList<ImportedPhotoAsset> targets = targetImportedPhotos(intent.prompt);
    if (targets.isEmpty()) {
        appendAssistantMessage(MacComputerUseService::withoutImportedPhotoTargets().summary);
        setResponding(false);
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
    setWorkDescription(QStringLiteral("Changing %1 in Capture One.").arg(photoCount(targets.size())));
    QPointer<AppModel> self(this);
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
            self->noteChange(named, ChangeRoad::typed, request);
        }
        self->appendAssistantMessage(reply);
        self->appendArtifact(
            Artifact::make(ArtifactKind::markdown, batchArtifactTitle, ArtifactStatus::ready,
                           reply + QStringLiteral("\n\nPhotos targeted: ") + QString::number(targetCount)),
            true);
        self->setResponding(false);
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

void AppModel::runBatchOperation(const ImportedPhotoBatchIntent& intent, const QStringList& paths,
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

void AppModel::refreshImportedPhotoMarks() {
    if (photoTray_.records().isEmpty() || !services_.captureOne) {
        return;
    }
    QStringList paths;
    for (const ImportedPhotoAsset& asset : photoTray_.records()) {
        paths << standardizedPath(asset.url);
    }
    const int generation = ++photoMarksReadGeneration_;
    ++photoMarksReadsRunning_;
    QPointer<AppModel> self(this);
    services_.captureOne->readPhotoMarks(paths, [self, generation](QHash<QString, PhotoMarks> marks) {
        if (!self) {
            return;
        }
        --self->photoMarksReadsRunning_;
        if (generation == self->photoMarksReadGeneration_) {
            self->photoTray_.setMarks(std::move(marks));
        }
    });
}

void AppModel::runAdjustmentSteps(std::shared_ptr<const std::vector<AdjustmentStep>> steps, size_t index,
                                  QStringList replies, std::optional<ChangeRecord> change, bool succeeded,
                                  const QStringList& paths, BatchFinish finish) {
    if (index == steps->size()) {
        finish(replies.join(QLatin1Char('\n')), change, succeeded);
        return;
    }
    const AdjustmentStep& step = (*steps)[index];
    QPointer<AppModel> self(this);
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
