#include "core/ConversationRecords.h"

#include <QFileInfo>

namespace orbix {

QString label(ArtifactKind kind) {
    switch (kind) {
    case ArtifactKind::markdown:
        return QStringLiteral("Markdown");
    case ArtifactKind::note:
        return QStringLiteral("Note");
    case ArtifactKind::progress:
        return QStringLiteral("Progress");
    case ArtifactKind::update:
        return QStringLiteral("Update");
    }
    return {};
}

QString symbolName(ArtifactKind kind) {
    switch (kind) {
    case ArtifactKind::markdown:
        return QStringLiteral("doc.text");
    case ArtifactKind::note:
        return QStringLiteral("square.and.pencil");
    case ArtifactKind::progress:
        return QStringLiteral("circle.dotted");
    case ArtifactKind::update:
        return QStringLiteral("arrow.down.circle");
    }
    return {};
}

QString label(ArtifactStatus status) {
    switch (status) {
    case ArtifactStatus::ready:
        return QStringLiteral("Ready");
    case ArtifactStatus::running:
        return QStringLiteral("Running");
    case ArtifactStatus::needsReview:
        return QStringLiteral("Needs Review");
    }
    return {};
}

ConversationMessage ConversationMessage::make(ConversationRole role, std::optional<InputMode> mode,
                                              QString content) {
    return {QUuid::createUuid(), role, mode, std::move(content), QDateTime::currentDateTime()};
}

Artifact Artifact::make(ArtifactKind kind, QString title, ArtifactStatus status, QString body) {
    return {QUuid::createUuid(), kind, std::move(title), status, QDateTime::currentDateTime(), std::move(body)};
}

ImportedPhotoAsset ImportedPhotoAsset::make(const QUrl& fileUrl) {
    return {QUuid::createUuid(), fileUrl, QFileInfo(fileUrl.toLocalFile()).completeBaseName()};
}

AppIntentRoute AppIntentRoute::make(SidebarSection destination, std::optional<QString> prefilledPrompt) {
    return {QUuid::createUuid(), destination, std::move(prefilledPrompt)};
}

size_t qHash(const ConversationMessage& message, size_t seed) {
    return qHashMulti(seed, message.id, int(message.role), message.mode ? int(*message.mode) : -1,
                      message.content, message.createdAt);
}

size_t qHash(const Artifact& artifact, size_t seed) {
    return qHashMulti(seed, artifact.id, int(artifact.kind), artifact.title, int(artifact.status),
                      artifact.createdAt, artifact.body);
}

size_t qHash(const ImportedPhotoAsset& asset, size_t seed) {
    return qHashMulti(seed, asset.id, asset.url, asset.displayName);
}

size_t qHash(const AppIntentRoute& route, size_t seed) {
    return qHash(route.id, seed);
}

} // namespace orbix
