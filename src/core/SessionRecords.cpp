#include "core/SessionRecords.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QLocale>

namespace orbix {

namespace {

template <typename E>
using NamedCases = std::initializer_list<std::pair<E, const char*>>;

const NamedCases<RecordedProperty::Scope> scopeNames{{RecordedProperty::Scope::variant, "variant"},
                                                     {RecordedProperty::Scope::adjustments, "adjustments"},
                                                     {RecordedProperty::Scope::currentLayer, "current layer"}};
const NamedCases<RecordedProperty::Kind> kindNames{{RecordedProperty::Kind::number, "number"},
                                                   {RecordedProperty::Kind::boolean, "boolean"},
                                                   {RecordedProperty::Kind::text, "text"},
                                                   {RecordedProperty::Kind::enumeration, "enumeration"}};

template <typename E>
QString nameOf(const NamedCases<E>& cases, E value) {
    for (const auto& [candidate, name] : cases) {
        if (candidate == value) {
            return QString::fromLatin1(name);
        }
    }
    return {};
}

QString timeText(const QDateTime& time) {
    return time.toUTC().toString(Qt::ISODateWithMs);
}

// Reads fields and notes the first one that is missing or of the wrong type; later reads then yield
// defaults, and the caller throws the whole document away.
class Reader {
public:
    QString failure;

    QString text(const QJsonObject& object, const char* key) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isString()) {
            fail(key);
        }
        return value.toString();
    }
    bool boolean(const QJsonObject& object, const char* key) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isBool()) {
            fail(key);
        }
        return value.toBool();
    }
    QUuid uuid(const QJsonObject& object, const char* key) {
        const QUuid id(text(object, key));
        if (id.isNull()) {
            fail(key);
        }
        return id;
    }
    QDateTime time(const QJsonObject& object, const char* key) {
        const QDateTime parsed = QDateTime::fromString(text(object, key), Qt::ISODateWithMs);
        if (!parsed.isValid()) {
            fail(key);
        }
        return parsed;
    }
    template <typename E>
    E raw(const QJsonObject& object, const char* key) {
        const std::optional<E> value = enumFromRawValue<E>(text(object, key));
        if (!value) {
            fail(key);
        }
        return value.value_or(E{});
    }
    template <typename E>
    E named(const NamedCases<E>& cases, const QJsonObject& object, const char* key) {
        const QString name = text(object, key);
        for (const auto& [candidate, caseName] : cases) {
            if (name == QLatin1String(caseName)) {
                return candidate;
            }
        }
        fail(key);
        return E{};
    }
    // Each element of the array as an object, handed to `read`.
    template <typename T, typename Read>
    QList<T> list(const QJsonObject& object, const char* key, Read read) {
        const QJsonValue value = object.value(QLatin1String(key));
        if (!value.isArray()) {
            fail(key);
        }
        QList<T> items;
        for (const QJsonValue& element : value.toArray()) {
            if (!element.isObject()) {
                fail(key);
                break;
            }
            items.append(read(element.toObject()));
        }
        return items;
    }

private:
    void fail(const char* key) {
        if (failure.isEmpty()) {
            failure = QStringLiteral("the field \u201C%1\u201D is missing or wrong").arg(QLatin1String(key));
        }
    }
};

QJsonObject messageJson(const ConversationMessage& message) {
    QJsonObject object{{QStringLiteral("id"), message.id.toString(QUuid::WithoutBraces)},
                       {QStringLiteral("role"), rawValue(message.role)},
                       {QStringLiteral("content"), message.content},
                       {QStringLiteral("createdAt"), timeText(message.createdAt)}};
    if (message.mode) {
        object.insert(QStringLiteral("mode"), rawValue(*message.mode));
    }
    return object;
}

ConversationMessage readMessage(Reader& reader, const QJsonObject& object) {
    ConversationMessage message;
    message.id = reader.uuid(object, "id");
    message.role = reader.raw<ConversationRole>(object, "role");
    if (object.contains(QStringLiteral("mode"))) {
        message.mode = reader.raw<InputMode>(object, "mode");
    }
    message.content = reader.text(object, "content");
    message.createdAt = reader.time(object, "createdAt");
    return message;
}

QJsonObject artifactJson(const Artifact& artifact) {
    return {{QStringLiteral("id"), artifact.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("kind"), rawValue(artifact.kind)},
            {QStringLiteral("title"), artifact.title},
            {QStringLiteral("status"), rawValue(artifact.status)},
            {QStringLiteral("createdAt"), timeText(artifact.createdAt)},
            {QStringLiteral("body"), artifact.body}};
}

Artifact readArtifact(Reader& reader, const QJsonObject& object) {
    Artifact artifact;
    artifact.id = reader.uuid(object, "id");
    artifact.kind = reader.raw<ArtifactKind>(object, "kind");
    artifact.title = reader.text(object, "title");
    artifact.status = reader.raw<ArtifactStatus>(object, "status");
    artifact.createdAt = reader.time(object, "createdAt");
    artifact.body = reader.text(object, "body");
    return artifact;
}

QJsonObject propertyChangeJson(const PropertyChange& change) {
    return {{QStringLiteral("name"), change.property.name},
            {QStringLiteral("scope"), nameOf(scopeNames, change.property.scope)},
            {QStringLiteral("kind"), nameOf(kindNames, change.property.kind)},
            {QStringLiteral("before"), change.before},
            {QStringLiteral("after"), change.after}};
}

PropertyChange readPropertyChange(Reader& reader, const QJsonObject& object) {
    PropertyChange change;
    change.property.name = reader.text(object, "name");
    change.property.scope = reader.named(scopeNames, object, "scope");
    change.property.kind = reader.named(kindNames, object, "kind");
    change.before = reader.text(object, "before");
    change.after = reader.text(object, "after");
    return change;
}

QJsonObject changeJson(const ChangeRecord& change) {
    QJsonArray variants;
    for (const VariantChange& variant : change.variants) {
        QJsonArray properties;
        for (const PropertyChange& property : variant.properties) {
            properties.append(propertyChangeJson(property));
        }
        variants.append(QJsonObject{{QStringLiteral("id"), variant.id},
                                    {QStringLiteral("name"), variant.name},
                                    {QStringLiteral("path"), variant.path},
                                    {QStringLiteral("properties"), properties}});
    }
    return {{QStringLiteral("id"), change.id.toString(QUuid::WithoutBraces)},
            {QStringLiteral("time"), timeText(change.time)},
            {QStringLiteral("road"), rawValue(change.road)},
            {QStringLiteral("request"), change.request},
            {QStringLiteral("action"), change.action},
            {QStringLiteral("undoable"), change.undoable},
            {QStringLiteral("onTrayPhotos"), change.onTrayPhotos},
            {QStringLiteral("undone"), change.undone},
            {QStringLiteral("variants"), variants}};
}

ChangeRecord readChange(Reader& reader, const QJsonObject& object) {
    ChangeRecord change;
    change.id = reader.uuid(object, "id");
    change.time = reader.time(object, "time");
    change.road = reader.raw<ChangeRoad>(object, "road");
    change.request = reader.text(object, "request");
    change.action = reader.text(object, "action");
    change.undoable = reader.boolean(object, "undoable");
    change.onTrayPhotos = reader.boolean(object, "onTrayPhotos");
    change.undone = reader.boolean(object, "undone");
    change.variants = reader.list<VariantChange>(object, "variants", [&reader](const QJsonObject& element) {
        VariantChange variant;
        variant.id = reader.text(element, "id");
        variant.name = reader.text(element, "name");
        variant.path = reader.text(element, "path");
        variant.properties = reader.list<PropertyChange>(
            element, "properties", [&reader](const QJsonObject& p) { return readPropertyChange(reader, p); });
        return variant;
    });
    return change;
}

template <typename T, typename ToJson>
QJsonArray arrayOf(const QList<T>& items, ToJson toJson) {
    QJsonArray array;
    for (const T& item : items) {
        array.append(toJson(item));
    }
    return array;
}

} // namespace

QString SavedSession::title() const {
    for (const ConversationMessage& message : messages) {
        if (message.role == ConversationRole::user && !message.content.trimmed().isEmpty()) {
            return message.content.trimmed();
        }
    }
    if (!messages.isEmpty() && !messages.first().content.trimmed().isEmpty()) {
        return messages.first().content.trimmed();
    }
    return QStringLiteral("Session of ") + QLocale().toString(updatedAt.toLocalTime(), QLocale::ShortFormat);
}

namespace sessionJson {

QByteArray encode(const SavedSession& session) {
    const QJsonObject document{{QStringLiteral("format"), formatVersion},
                               {QStringLiteral("id"), session.id.toString(QUuid::WithoutBraces)},
                               {QStringLiteral("updatedAt"), timeText(session.updatedAt)},
                               {QStringLiteral("messages"), arrayOf(session.messages, messageJson)},
                               {QStringLiteral("artifacts"), arrayOf(session.artifacts, artifactJson)},
                               {QStringLiteral("changes"), arrayOf(session.changes, changeJson)}};
    return QJsonDocument(document).toJson(QJsonDocument::Compact);
}

std::optional<SavedSession> decode(const QByteArray& document, QString* reason) {
    QJsonParseError error{};
    const QJsonDocument parsed = QJsonDocument::fromJson(document, &error);
    const auto refuse = [reason](const QString& why) -> std::optional<SavedSession> {
        if (reason) {
            *reason = why;
        }
        return std::nullopt;
    };
    if (error.error != QJsonParseError::NoError) {
        return refuse(error.errorString());
    }
    if (!parsed.isObject()) {
        return refuse(QStringLiteral("it is not a JSON object"));
    }
    const QJsonObject object = parsed.object();
    if (object.value(QStringLiteral("format")).toInt(-1) != formatVersion) {
        return refuse(QStringLiteral("its format is not %1").arg(formatVersion));
    }
    Reader reader;
    SavedSession session;
    session.id = reader.uuid(object, "id");
    session.updatedAt = reader.time(object, "updatedAt");
    session.messages = reader.list<ConversationMessage>(
        object, "messages", [&reader](const QJsonObject& element) { return readMessage(reader, element); });
    session.artifacts = reader.list<Artifact>(
        object, "artifacts", [&reader](const QJsonObject& element) { return readArtifact(reader, element); });
    session.changes = reader.list<ChangeRecord>(
        object, "changes", [&reader](const QJsonObject& element) { return readChange(reader, element); });
    if (!reader.failure.isEmpty()) {
        return refuse(reader.failure);
    }
    return session;
}

} // namespace sessionJson
} // namespace orbix
