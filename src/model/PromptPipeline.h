#pragma once
// The roads a typed request takes: decides which road a request goes (an answer to a question waiting,
// undo and redo words, the change log, the scope notice, the connection test, an import, a tray batch, a
// command run here, the text assistant) and runs the connection test, the tray batch (held for "apply"
// above the threshold, chunk after chunk above one chunk), the local road and the text assistant with the
// reply's action. Owns the local road's waiting question and the batch waiting for its answer, and reaches
// the rest of the application model only through its Host. Main thread only: each road's waiting part
// starts on the next turn of the event loop, the services answer through completions on that thread, and
// answers that arrive after the pipeline is gone are dropped.

#include "core/ChangeRecord.h"
#include "core/ComputerUseArguments.h"
#include "core/ConversationRecords.h"
#include "model/ImportedPhotoRecognizers.h"
#include "model/LocalCommandRoad.h"

#include <QObject>
#include <QUrl>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

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
        // A tray batch on more photos than this waits for "apply" (0: never); the settings' default when
        // empty.
        std::function<int()> batchConfirmationThreshold;
    };

    // What the roads ask of the model that owns the pipeline.
    struct Host {
        // The conversation and the inspector. `appendReply` adds an assistant message in the current mode.
        std::function<void(ConversationMessage)> appendMessage;
        std::function<void(const QString& content)> appendReply;
        std::function<void(Artifact, bool select)> appendArtifact;
        // The request in progress: ending it clears its description and makes it no longer cancellable.
        std::function<void(bool)> setResponding;
        std::function<void(const QString&)> setWorkDescription;
        std::function<void(bool)> setWorkCancellable;
        std::function<bool()> isCancelRequested;
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
        std::function<void(bool redo)> undoLastChange;
        std::function<void()> showChanges;
        std::function<void(const QUrl& folder)> importPhotos;
        // The tray: whether it is empty, and the photos a request's words aim at.
        std::function<bool()> isTrayEmpty;
        std::function<QList<ImportedPhotoAsset>(const QString& request)> targetPhotos;
    };

    // How many photos a batch hands to Capture One at once.
    static constexpr qsizetype batchChunkSize = 100;

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

    // The tray batch road (PromptPipelineTrayBatch.cpp); `done` follows its reply, or the question a
    // batch above the threshold asks.
    void runTrayBatch(const ImportedPhotoBatchIntent& intent, std::function<void()> done = {});
    // The batch waiting for its answer (PromptPipelineBatchConfirmation.cpp): "apply" or "confirm" runs it,
    // "cancel" drops it, and so does any other request, typed or spoken.
    bool answersBatchConfirmation(const QString& words) const;
    void answerPendingBatch(bool apply);
    void dropPendingBatch() { batchAwaitingConfirmation_.reset(); }
    bool hasPendingBatch() const { return batchAwaitingConfirmation_.has_value(); }
    // The preview artifact of the batch waiting, if one waits.
    std::optional<QUuid> pendingBatchPreviewID() const {
        return batchAwaitingConfirmation_ ? batchPreviewArtifactID_ : std::nullopt;
    }

private:
    bool captureOneInUse() const;
    bool isTextModelConfigured() const;
    void runConnectionTest();
    // `request`: the words the change record names.
    void runLocalAction(const ComputerUseArguments& arguments, const QString& request);
    void answerLocally(const QString& reply);
    ComputerUseCompletion localCommandFinished(const QString& request);
    void askAssistant(const QString& text);
    void executeReplyAction(const AssistantAction& action, const QString& request);
    // One "property:amount:flag" item of an inferred batch adjustment.
    struct AdjustmentStep {
        QString property;
        QString amount;
        bool relative = true;
    };
    // Applies the steps from `index` on, one after the other, then reports the collected replies.
    using BatchFinish =
        std::function<void(const QString& reply, const std::optional<ChangeRecord>& change, bool succeeded)>;
    // The steps' changes are folded into one, so that one undo takes back the whole request.
    void runAdjustmentSteps(std::shared_ptr<const std::vector<AdjustmentStep>> steps, size_t index,
                            QStringList replies, std::optional<ChangeRecord> change, bool succeeded,
                            const QStringList& paths, BatchFinish finish);
    // The batch's operation on the given photos.
    void runBatchOperation(const ImportedPhotoBatchIntent& intent, const QStringList& paths,
                           BatchFinish finish);
    // A batch on more photos than one chunk runs chunk after chunk (PromptPipelineBatchRun.cpp), so it
    // shows how far it got, can be cancelled between chunks and stops at the first chunk that fails; its
    // changes fold into one.
    void runBatchInChunks(const ImportedPhotoBatchIntent& intent, const QStringList& paths, BatchFinish finish);
    struct BatchRun;
    void runNextBatchChunk(std::shared_ptr<BatchRun> run);
    int batchConfirmationThreshold() const;
    // The preview before a big batch, and the question.
    void askBatchConfirmation(const ImportedPhotoBatchIntent& intent, const QList<ImportedPhotoAsset>& targets);
    // Runs work on the next turn of the event loop while the pipeline still exists: the roads' "background
    // task", so that a request's road returns before its result is published.
    void later(std::function<void()> work);

    Services services_;
    Host host_;
    LocalCommandRoad localCommandRoad_;
    std::optional<ImportedPhotoBatchIntent> batchAwaitingConfirmation_;
    std::optional<QUuid> batchPreviewArtifactID_;
    // The batch now running was confirmed: it does not ask again.
    bool runningConfirmedBatch_ = false;
};

} // namespace orbix
