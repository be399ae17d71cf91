#include "app/OrbixDBusAdaptors.h"

#include "app/OrbixDBusService.h"

#include <QDBusError>

namespace orbix {

QDBusArgument& operator<<(QDBusArgument& argument, const OrbixSessionEntity& entity) {
    argument.beginStructure();
    argument << entity.id << entity.title;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, OrbixSessionEntity& entity) {
    argument.beginStructure();
    argument >> entity.id >> entity.title;
    argument.endStructure();
    return argument;
}

QDBusArgument& operator<<(QDBusArgument& argument, const OrbixArtifactEntity& entity) {
    argument.beginStructure();
    argument << entity.id << entity.title << entity.kind;
    argument.endStructure();
    return argument;
}

const QDBusArgument& operator>>(const QDBusArgument& argument, OrbixArtifactEntity& entity) {
    argument.beginStructure();
    argument >> entity.id >> entity.title >> entity.kind;
    argument.endStructure();
    return argument;
}

OrbixInterfaceAdaptor::OrbixInterfaceAdaptor(OrbixDBusService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

void OrbixInterfaceAdaptor::OpenSection(const QString& section, const QDBusMessage& call) {
    const std::optional<SidebarSection> destination = appIntents::sectionNamed(section);
    if (!destination) {
        call.setDelayedReply(true);
        service_.connection().send(
            call.createErrorReply(QDBusError::InvalidArgs, appIntents::unknownSectionMessage(section)));
        return;
    }
    appIntents::openSection(service_.router(), *destination);
    emit service_.activationRequested();
}

QString OrbixInterfaceAdaptor::CreateNote(const QString& text, const QDBusMessage& call) {
    if (const std::optional<QString> refusal = appIntents::noteTooLongMessage(text)) {
        call.setDelayedReply(true);
        service_.connection().send(call.createErrorReply(QDBusError::LimitsExceeded, *refusal));
        return QString();
    }
    const QString dialog = appIntents::createNote(service_.router(), text);
    emit service_.activationRequested();
    return dialog;
}

QList<OrbixSessionEntity> OrbixInterfaceAdaptor::Sessions(const QStringList& ids) {
    return appIntents::sessions(ids, service_.savedSessions());
}

QList<OrbixSessionEntity> OrbixInterfaceAdaptor::SuggestedSessions() {
    return appIntents::suggestedSessions();
}

QList<OrbixArtifactEntity> OrbixInterfaceAdaptor::Artifacts(const QStringList& ids) {
    return appIntents::artifacts(ids, service_.savedSessions());
}

QList<OrbixArtifactEntity> OrbixInterfaceAdaptor::SuggestedArtifacts() {
    return appIntents::suggestedArtifacts();
}

ApplicationInterfaceAdaptor::ApplicationInterfaceAdaptor(OrbixDBusService& service)
    : QDBusAbstractAdaptor(&service), service_(service) {}

void ApplicationInterfaceAdaptor::Activate(const QVariantMap& platformData) {
    Q_UNUSED(platformData);
    emit service_.activationRequested();
}

} // namespace orbix
