#include "app/AppIntents.h"

#include "core/EnumRawValues.h"
#include "model/AppIntentRouter.h"

namespace orbix::appIntents {
namespace {

template <typename Entity>
QList<Entity> matching(const QList<Entity>& list, const QStringList& ids) {
    QList<Entity> found;
    for (const Entity& entity : list) {
        if (ids.contains(entity.id)) {
            found << entity;
        }
    }
    return found;
}

} // namespace

std::optional<SidebarSection> sectionNamed(const QString& rawValue) {
    return enumFromRawValue<SidebarSection>(rawValue);
}

QString unknownSectionMessage(const QString& rawValue) {
    return QStringLiteral("Unknown section \u201C%1\u201D; the only section is \u201Cchat\u201D.")
        .arg(rawValue);
}

void openSection(AppIntentRouter& router, SidebarSection section) {
    router.setPendingRoute(AppIntentRoute::make(section, std::nullopt));
}

std::optional<QString> noteTooLongMessage(const QString& text) {
    // UTF-8 takes at most three bytes per UTF-16 unit, so most texts are judged without converting them.
    if (text.size() * 3 <= kMostNoteBytes) {
        return std::nullopt;
    }
    const qsizetype bytes = text.toUtf8().size();
    if (bytes <= kMostNoteBytes) {
        return std::nullopt;
    }
    return QStringLiteral("The note is %1 KiB long; Orbix takes notes of up to %2 KiB.")
        .arg((bytes + 1023) / 1024)
        .arg(kMostNoteBytes / 1024);
}

QString createNote(AppIntentRouter& router, const QString& text) {
    router.setPendingRoute(AppIntentRoute::make(SidebarSection::chat, text));
    return noteDialog;
}

QList<OrbixSessionEntity> suggestedSessions() {
    return {defaultSession()};
}

OrbixSessionEntity defaultSession() {
    return {QStringLiteral("chat"), QStringLiteral("Capture One")};
}

QList<OrbixSessionEntity> sessions(const QStringList& ids, const QList<SavedSession>& saved) {
    QList<OrbixSessionEntity> found = matching(suggestedSessions(), ids);
    for (const SavedSession& session : saved) {
        const QString id = session.id.toString(QUuid::WithoutBraces);
        if (ids.contains(id)) {
            found.append({id, session.title()});
        }
    }
    return found;
}

QList<OrbixArtifactEntity> suggestedArtifacts() {
    return {{QStringLiteral("capture-one-status"), QStringLiteral("Capture One Status"),
             QStringLiteral("Markdown")}};
}

QList<OrbixArtifactEntity> artifacts(const QStringList& ids, const QList<SavedSession>& saved) {
    QList<OrbixArtifactEntity> found = matching(suggestedArtifacts(), ids);
    for (const SavedSession& session : saved) {
        for (const Artifact& artifact : session.artifacts) {
            const QString id = artifact.id.toString(QUuid::WithoutBraces);
            if (ids.contains(id)) {
                found.append({id, artifact.title, label(artifact.kind)});
            }
        }
    }
    return found;
}

} // namespace orbix::appIntents
