#include "app/DesktopRequest.h"

#include "app/AppIntents.h"
#include "app/OrbixDBusService.h"

#include <QDBusMessage>
#include <QVariantMap>

namespace orbix {
namespace {

const QString applicationInterface = QStringLiteral("org.freedesktop.Application");

} // namespace

ForwardResult forwardToRunningInstance(const QDBusConnection& connection, const DesktopRequest& request,
                                       const QString& destination) {
    QDBusMessage call;
    switch (request.kind) {
    case DesktopRequest::Kind::activate:
        call = QDBusMessage::createMethodCall(destination, OrbixDBusService::objectPath, applicationInterface,
                                              QStringLiteral("Activate"));
        call << QVariantMap();
        break;
    case DesktopRequest::Kind::openSection:
        call = QDBusMessage::createMethodCall(destination, OrbixDBusService::objectPath,
                                              OrbixDBusService::interfaceName, QStringLiteral("OpenSection"));
        call << request.argument;
        break;
    case DesktopRequest::Kind::createNote:
        call = QDBusMessage::createMethodCall(destination, OrbixDBusService::objectPath,
                                              OrbixDBusService::interfaceName, QStringLiteral("CreateNote"));
        call << request.argument;
        break;
    }
    const QDBusMessage answer = connection.call(call);
    ForwardResult result;
    if (answer.type() == QDBusMessage::ErrorMessage) {
        result.error = answer.errorMessage();
        return result;
    }
    result.delivered = true;
    if (!answer.arguments().isEmpty()) {
        result.reply = answer.arguments().constFirst().toString();
    }
    return result;
}

std::optional<QString> applyDesktopRequest(AppIntentRouter& router, const DesktopRequest& request) {
    switch (request.kind) {
    case DesktopRequest::Kind::activate:
        break;
    case DesktopRequest::Kind::openSection: {
        const std::optional<SidebarSection> section = appIntents::sectionNamed(request.argument);
        if (!section) {
            return appIntents::unknownSectionMessage(request.argument);
        }
        appIntents::openSection(router, *section);
        break;
    }
    case DesktopRequest::Kind::createNote:
        if (std::optional<QString> refusal = appIntents::noteTooLongMessage(request.argument)) {
            return refusal;
        }
        appIntents::createNote(router, request.argument);
        break;
    }
    return std::nullopt;
}

} // namespace orbix
