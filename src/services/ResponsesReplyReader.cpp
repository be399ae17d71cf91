#include "services/ResponsesReplyReader.h"

#include "core/TextRules.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QStringDecoder>
#include <cmath>

namespace orbix::ResponsesReplyReader {
namespace {

using OutputResult = Result<QString, OpenAIProviderError>;

const QString kRedactedPlaceholder = QStringLiteral("[redacted]");
const QString kFence = QStringLiteral("```");
const QString kJsonFence = QStringLiteral("```json");

QString utf8OrEmpty(const QByteArray& bytes) {
    QStringDecoder decoder(QStringDecoder::Utf8);
    QString text = decoder.decode(bytes);
    return decoder.hasError() ? QString() : text;
}

// The JSON value as an array of objects, when it is an array and every element is an object.
std::optional<QJsonArray> arrayOfObjects(const QJsonValue& value) {
    if (!value.isArray()) {
        return std::nullopt;
    }
    const QJsonArray array = value.toArray();
    for (const QJsonValue& element : array) {
        if (!element.isObject()) {
            return std::nullopt;
        }
    }
    return array;
}

std::optional<QString> stringMember(const QJsonObject& object, const QString& key) {
    const QJsonValue value = object.value(key);
    return value.isString() ? std::optional(value.toString()) : std::nullopt;
}

std::optional<Artifact> artifactFrom(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const auto kind = stringMember(object, QStringLiteral("kind"));
    const auto title = stringMember(object, QStringLiteral("title"));
    const auto body = stringMember(object, QStringLiteral("body"));
    if (!kind || !title || !body) {
        return std::nullopt;
    }
    ArtifactKind artifactKind = ArtifactKind::note;
    if (*kind == QStringLiteral("markdown")) {
        artifactKind = ArtifactKind::markdown;
    } else if (*kind == QStringLiteral("progress")) {
        artifactKind = ArtifactKind::progress;
    }
    QString text = *body;
    text.replace(QStringLiteral("\\n"), QStringLiteral("\n"));
    return Artifact::make(artifactKind, *title, ArtifactStatus::ready, text);
}

std::optional<AssistantAction> actionFrom(const QJsonValue& value) {
    if (!value.isObject()) {
        return std::nullopt;
    }
    const QJsonObject object = value.toObject();
    const auto type = stringMember(object, QStringLiteral("type"));
    if (!type) {
        return std::nullopt;
    }
    AssistantAction action;
    action.type = *type;
    action.scriptCode = stringMember(object, QStringLiteral("script_code"));
    action.slider = stringMember(object, QStringLiteral("slider"));
    const QJsonValue number = object.value(QStringLiteral("value"));
    if (number.isDouble() && std::isfinite(number.toDouble())) {
        action.value = number.toDouble();
    }
    const QJsonValue relative = object.value(QStringLiteral("relative"));
    if (relative.isBool()) {
        action.relative = relative.toBool();
    }
    action.text = stringMember(object, QStringLiteral("text"));
    action.presetName = stringMember(object, QStringLiteral("preset_name"));
    action.folderPath = stringMember(object, QStringLiteral("folder_path"));
    return action;
}

} // namespace

QString redacted(QString text, const QStringList& secrets) {
    for (const QString& secret : secrets) {
        if (!secret.isEmpty()) {
            text.replace(secret, kRedactedPlaceholder);
        }
    }
    return text;
}

Result<QString, OpenAIProviderError> outputText(const HttpReply& reply, const QStringList& secrets) {
    if (!reply.statusCode) {
        return OutputResult::failure(OpenAIProviderError::invalidResponse());
    }
    if (!reply.isHttpSuccess()) {
        const QString body = redacted(utf8OrEmpty(reply.body), secrets);
        return OutputResult::failure(
            OpenAIProviderError::apiError(QStringLiteral("HTTP %1 %2").arg(*reply.statusCode).arg(body)));
    }

    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(reply.body, &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return OutputResult::failure(OpenAIProviderError::invalidResponse());
    }
    const QJsonObject root = document.object();

    // A blank "output_text" would make an empty message; the output items are read instead.
    if (const auto direct = stringMember(root, QStringLiteral("output_text"))) {
        const QString text = text::trimmed(*direct);
        if (!text.isEmpty()) {
            return OutputResult::success(text);
        }
    }

    const auto items = arrayOfObjects(root.value(QStringLiteral("output")));
    if (!items) {
        return OutputResult::failure(OpenAIProviderError::emptyOutput());
    }
    QStringList texts;
    for (const QJsonValue& item : *items) {
        const auto content = arrayOfObjects(item.toObject().value(QStringLiteral("content")));
        if (!content) {
            continue;
        }
        for (const QJsonValue& part : *content) {
            const QJsonObject object = part.toObject();
            if (object.value(QStringLiteral("type")).toString() != QStringLiteral("output_text")) {
                continue;
            }
            if (const auto text = stringMember(object, QStringLiteral("text"))) {
                texts.append(*text);
            }
        }
    }
    const QString joined = text::trimmed(texts.join(QLatin1Char('\n')));
    if (joined.isEmpty()) {
        return OutputResult::failure(OpenAIProviderError::emptyOutput());
    }
    return OutputResult::success(joined);
}

QString cleanJsonString(QStringView text) {
    QString cleaned = text::trimmed(text);
    if (cleaned.startsWith(kJsonFence)) {
        cleaned.remove(0, kJsonFence.size());
    } else if (cleaned.startsWith(kFence)) {
        cleaned.remove(0, kFence.size());
    }
    if (cleaned.endsWith(kFence)) {
        cleaned.chop(kFence.size());
    }
    return text::trimmed(cleaned);
}

AssistantResponse messageOnly(QString message) {
    return AssistantResponse{
        ConversationMessage::make(ConversationRole::assistant, InputMode::quiet, std::move(message)),
        {},
        std::nullopt};
}

AssistantResponse assistantResponse(const QString& modelText) {
    QJsonParseError parseError;
    const QJsonDocument document = QJsonDocument::fromJson(cleanJsonString(modelText).toUtf8(), &parseError);
    if (parseError.error != QJsonParseError::NoError || !document.isObject()) {
        return messageOnly(modelText);
    }
    const QJsonObject root = document.object();
    AssistantResponse response = messageOnly(stringMember(root, QStringLiteral("message")).value_or(QString()));
    if (auto artifact = artifactFrom(root.value(QStringLiteral("artifact")))) {
        response.artifacts.push_back(std::move(*artifact));
    }
    response.action = actionFrom(root.value(QStringLiteral("action")));
    return response;
}

} // namespace orbix::ResponsesReplyReader
