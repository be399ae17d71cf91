// The photo tray of the application model: importing folders, selecting and removing photos, targeting
// them, and reading their marks back from Capture One.
#include "captureone/CaptureOneService.h"
#include "core/TextRules.h"
#include "model/AppModel.h"

#include <QDir>
#include <QFileInfo>
#include <QPointer>
#include <memory>

namespace orbix {

namespace {

const QString importArtifactTitle = QStringLiteral("Imported Photos");

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

} // namespace orbix
