#pragma once
// The roads a typed request takes: decides which road a request goes (an answer to a question waiting,
// undo and redo words, the change log, the scope notice, the connection test, an import, a tray batch, a
// command run here, the text assistant) and runs the connection test, the local road and the text
// assistant with the reply's action. Owns the local road's waiting question. It reaches the rest of the
// application model only through its Host. Main thread only: each road's waiting part starts on the next
// turn of the event loop, and the services answer through completions on that thread; answers that arrive
// after the pipeline is gone are dropped.

#include "core/ChangeRecord.h"
#include "core/ComputerUseArguments.h"
#include "core/ConversationRecords.h"
#include "model/ImportedPhotoRecognizers.h"
#include "model/LocalCommandRoad.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <optional>

namespace orbix {

class AssistantProvider;
class CaptureOneService;
class MacComputerUseService;
class Workspace;

class PromptPipeline : public QObject {
    Q_OBJECT
public:
    struct Services {
        AssistantProvider* assistantProvider = nullptr;
        MacComputerUseService* computerUseService = nullptr;
        CaptureOneService* captureOne = nullptr;
        // Tells which application is in use; without it Capture One counts as in use only when named.
        Workspace* workspace = nullptr;
    };

    // What the roads ask of the model that owns the pipeline.
    struct Host {
        // The conversation and the inspector. `appendReply` adds an assistant message in the current mode.
        std::function<void(ConversationMessage)> appendMessage;
        std::function<void(const QString& content)> appendReply;
        std::function<void(Artifact, bool select)> appendArtifact;
        // The request in progress: ending it clears its description.
        std::function<void(bool)> setResponding;
        std::function<void(const QString&)> setWorkDescription;
        // Records what a command changed, with the road and words that asked for it.
        std::function<void(const std::optional<ChangeRecord>&, ChangeRoad, const QString& request)>
            recordChange;
        std::function<QString()> lastUserRequest;
        // Voice: reads a reply aloud, and says whether it did (only in voice mode); hands an open voice
        // session back its microphone after the application answered a request itself.
        std::function<bool(const QString&)> readAloudInVoiceMode;
        std::function<void()> resumeVoiceSession;
        // The roads the rest of the model runs.
        std::function<bool(const QString&)> answersWakeConfirmation;
        std::function<void(const QString&)> takeWakeConfirmationAnswer;
        std::function<bool(const QString&)> answersBatchConfirmation;
        std::function<void()> dropPendingBatch;
        std::function<void(bool apply)> answerPendingBatch;
        std::function<void(bool redo)> undoLastChange;
        std::function<void()> showChanges;
        std::function<void(const QUrl& folder)> importPhotos;
        std::function<bool()> isTrayEmpty;
        std::function<void(const ImportedPhotoBatchIntent&)> runTrayBatch;
    };

    PromptPipeline(Services services, Host host, QObject* parent = nullptr);

    // Sends a request down its road. The model has already shown it and marked itself responding; every
    // road ends by marking it no longer responding.
    void route(const QString& request);
    // Refuses a request for another application, with the refusal's artifact.
    void showProductScopeNotice();
    static bool isCaptureOneConnectionTest(const QString& text);
    // Judges words for the local road, typed or said after the wake phrase: Capture One is addressed when
    // named or in use. The road's question waits across both.
    LocalCommandRoad::Decision decideLocally(const QString& words);
    // Runs a command here and answers in the conversation (read aloud in voice mode).
    void runLocalCommand(const QString& command);

private:
    bool captureOneInUse() const;
    bool isTextModelConfigured() const;
    void runConnectionTest();
    void runLocalAction(const ComputerUseArguments& arguments);
    void answerLocally(const QString& reply);
    ComputerUseCompletion localCommandFinished();
    void askAssistant(const QString& text);
    void executeReplyAction(const AssistantAction& action);
    // Runs work on the next turn of the event loop while the pipeline still exists: the roads' "background
    // task", so that a request's road returns before its result is published.
    void later(std::function<void()> work);

    Services services_;
    Host host_;
    LocalCommandRoad localCommandRoad_;
};

} // namespace orbix
