#pragma once
// The plain value records every subsystem exchanges: messages, artifacts, assistant replies, action
// results and imported photos. They carry identity and equality only; the application model owns the lists.

#include "core/CommandOutcome.h"
#include "core/EnumRawValues.h"

#include <QDateTime>
#include <QHash>
#include <QString>
#include <QUrl>
#include <QUuid>
#include <optional>
#include <vector>

namespace orbix {

enum class ConversationRole { system, user, assistant };
enum class InputMode { quiet, voice };
enum class ArtifactKind { markdown, note, progress, update };
enum class ArtifactStatus { ready, running, needsReview };
enum class AssistantProviderKind { openAI };
enum class SidebarSection { chat };

template <>
struct EnumRawValues<ConversationRole> {
    static constexpr std::array<std::pair<ConversationRole, std::string_view>, 3> table{{
        {ConversationRole::system, "system"},
        {ConversationRole::user, "user"},
        {ConversationRole::assistant, "assistant"},
    }};
};
template <>
struct EnumRawValues<InputMode> {
    static constexpr std::array<std::pair<InputMode, std::string_view>, 2> table{{
        {InputMode::quiet, "quiet"},
        {InputMode::voice, "voice"},
    }};
};
template <>
struct EnumRawValues<ArtifactKind> {
    static constexpr std::array<std::pair<ArtifactKind, std::string_view>, 4> table{{
        {ArtifactKind::markdown, "markdown"},
        {ArtifactKind::note, "note"},
        {ArtifactKind::progress, "progress"},
        {ArtifactKind::update, "update"},
    }};
};
template <>
struct EnumRawValues<ArtifactStatus> {
    static constexpr std::array<std::pair<ArtifactStatus, std::string_view>, 3> table{{
        {ArtifactStatus::ready, "ready"},
        {ArtifactStatus::running, "running"},
        {ArtifactStatus::needsReview, "needs review"},
    }};
};
template <>
struct EnumRawValues<AssistantProviderKind> {
    static constexpr std::array<std::pair<AssistantProviderKind, std::string_view>, 1> table{{
        {AssistantProviderKind::openAI, "openAI"},
    }};
};
template <>
struct EnumRawValues<SidebarSection> {
    static constexpr std::array<std::pair<SidebarSection, std::string_view>, 1> table{{
        {SidebarSection::chat, "chat"},
    }};
};

// What the artifact inspector shows for each kind and status.
QString label(ArtifactKind kind);
QString symbolName(ArtifactKind kind);
QString label(ArtifactStatus status);

struct ConversationMessage {
    QUuid id;
    ConversationRole role = ConversationRole::assistant;
    std::optional<InputMode> mode;
    QString content;
    QDateTime createdAt;

    // A new message: fresh random identifier, created now.
    static ConversationMessage make(ConversationRole role, std::optional<InputMode> mode, QString content);

    friend bool operator==(const ConversationMessage&, const ConversationMessage&) = default;
};

struct Artifact {
    QUuid id;
    ArtifactKind kind = ArtifactKind::markdown;
    QString title;
    ArtifactStatus status = ArtifactStatus::ready;
    QDateTime createdAt;
    QString body;

    // A new artifact: fresh random identifier, created now.
    static Artifact make(ArtifactKind kind, QString title, ArtifactStatus status, QString body);

    friend bool operator==(const Artifact&, const Artifact&) = default;
};

struct AssistantAction {
    QString type;
    std::optional<QString> scriptCode;
    std::optional<QString> slider;
    std::optional<double> value;
    std::optional<bool> relative;
    std::optional<QString> text;
    std::optional<QString> presetName;
    std::optional<QString> folderPath;

    friend bool operator==(const AssistantAction&, const AssistantAction&) = default;
};

struct AssistantResponse {
    ConversationMessage message;
    std::vector<Artifact> artifacts;
    std::optional<AssistantAction> action;

    friend bool operator==(const AssistantResponse&, const AssistantResponse&) = default;
};

struct ComputerUseResult {
    QString summary;
    std::optional<Artifact> artifact;
    // What callers decide on; the summary is only shown or spoken.
    CommandStatus status{};
    // What the action changed in the document, for the change log and undo.
    std::optional<ChangeRecord> change = std::nullopt;

    friend bool operator==(const ComputerUseResult&, const ComputerUseResult&) = default;
};

struct ImportedPhotoAsset {
    QUuid id;
    QUrl url;
    QString displayName;

    // A newly imported photo: fresh random identifier, the file's name without its extension as display name.
    static ImportedPhotoAsset make(const QUrl& fileUrl);

    friend bool operator==(const ImportedPhotoAsset&, const ImportedPhotoAsset&) = default;
};

// A navigation request left by a shortcut for the application model. Two routes are the same request
// exactly when their identifiers are equal.
struct AppIntentRoute {
    QUuid id;
    SidebarSection destination = SidebarSection::chat;
    std::optional<QString> prefilledPrompt;

    static AppIntentRoute make(SidebarSection destination, std::optional<QString> prefilledPrompt);

    friend bool operator==(const AppIntentRoute& a, const AppIntentRoute& b) { return a.id == b.id; }
};

size_t qHash(const ConversationMessage& message, size_t seed = 0);
size_t qHash(const Artifact& artifact, size_t seed = 0);
size_t qHash(const ImportedPhotoAsset& asset, size_t seed = 0);
size_t qHash(const AppIntentRoute& route, size_t seed = 0);

} // namespace orbix
