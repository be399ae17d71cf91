#pragma once
// Server events shaped as the hosted Realtime service sends them (ids included), so that a test reads as
// the script of a real session.

#include <QByteArray>
#include <QJsonObject>
#include <QString>

namespace orbix::test::events {

inline QJsonObject event(const char* type, QJsonObject members = {}) {
    members.insert("type", QString::fromUtf8(type));
    return members;
}

inline QJsonObject speechStarted(const QString& item) {
    return event("input_audio_buffer.speech_started", {{"item_id", item}, {"audio_start_ms", 1000}});
}
inline QJsonObject committed(const QString& item) {
    return event("input_audio_buffer.committed", {{"item_id", item}});
}
inline QJsonObject transcription(const QString& item, const QString& transcript) {
    return event("conversation.item.input_audio_transcription.completed",
                 {{"item_id", item}, {"content_index", 0}, {"transcript", transcript}});
}
inline QJsonObject transcriptionFailed(const QString& item) {
    return event("conversation.item.input_audio_transcription.failed",
                 {{"item_id", item}, {"error", QJsonObject{{"message", "Audio was unclear."}}}});
}
inline QJsonObject responseCreated(const QString& response) {
    return event("response.created", {{"response", QJsonObject{{"id", response}, {"status", "in_progress"}}}});
}
inline QJsonObject responseDone(const QString& response) {
    return event("response.done", {{"response", QJsonObject{{"id", response}, {"status", "completed"}}}});
}
inline QJsonObject functionCall(const QString& response, const QString& callID, const QString& arguments) {
    return event(
        "response.function_call_arguments.done",
        {{"response_id", response}, {"call_id", callID}, {"name", "computer_use"}, {"arguments", arguments}});
}
inline QJsonObject audioDelta(const QString& response, int bytes,
                              const char* type = "response.output_audio.delta") {
    return event(
        type, {{"response_id", response}, {"delta", QString::fromLatin1(QByteArray(bytes, '\0').toBase64())}});
}
inline QJsonObject serverError(const QString& type, const QString& code, const QString& message) {
    return event("error", {{"error", QJsonObject{{"type", type}, {"code", code}, {"message", message}}}});
}

} // namespace orbix::test::events
