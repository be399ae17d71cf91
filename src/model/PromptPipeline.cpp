#include "model/PromptPipeline.h"

#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "model/ChangeHistory.h"
#include "model/WakeCommandConfirmation.h"
#include "services/AssistantProvider.h"
#include "uiautomation/Workspace.h"

#include <QPointer>
#include <QTimer>

namespace orbix {

namespace {
// "capture one, rate these 4 stars" with nothing in the tray speaks of Capture One's own selection.
bool isAddressedToCaptureOne(const QString& text) {
    return text.contains(QStringLiteral("capture one"), Qt::CaseInsensitive);
}
} // namespace

PromptPipeline::PromptPipeline(Services services, Host host, QObject* parent)
    : QObject(parent), services_(std::move(services)), host_(std::move(host)) {}

void PromptPipeline::later(std::function<void()> work) {
    QTimer::singleShot(0, this, std::move(work));
}

bool PromptPipeline::isCaptureOneConnectionTest(const QString& text) {
    QString lower = text.toLower();
    lower.replace(QLatin1Char('-'), QLatin1Char(' '));
    if (lower.contains(QStringLiteral("test capture one connection")) ||
        lower.contains(QStringLiteral("check capture one connection")) ||
        lower.contains(QStringLiteral("capture one connection test"))) {
        return true;
    }
    if (lower.contains(QStringLiteral("capture one status"))) {
        return lower.contains(QStringLiteral("connection"));
    }
    return false;
}

LocalCommandRoad::Decision PromptPipeline::decideLocally(const QString& words) {
    return localCommandRoad_.decide(words, isAddressedToCaptureOne(words) || captureOneInUse(),
                                    isTextModelConfigured());
}

void PromptPipeline::route(const QString& text) {
    // Judged first: a question waiting for its answer is dropped by whatever else the text is.
    const LocalCommandRoad::Decision local = decideLocally(text);
    // Any other request drops a batch waiting for its answer.
    const bool answersBatch = answersBatchConfirmation(text);
    if (!answersBatch) {
        dropPendingBatch();
    }
    if (answersBatch) {
        const bool apply = wakeconfirmation::answerIn(text) != wakeconfirmation::Answer::cancel;
        later([this, apply] { answerPendingBatch(apply); });
    } else if (host_.answersWakeConfirmation(text)) {
        later([this, text] { host_.takeWakeConfirmationAnswer(text); });
    } else if (const auto redo = ChangeHistory::undoRequest(text)) {
        later([this, redo = *redo] { host_.undoLastChange(redo); });
    } else if (ChangeHistory::isShowChangesRequest(text)) {
        host_.showChanges();
        host_.setResponding(false);
    } else if (CaptureOneScopeGuard::isOffProductAppRequest(text)) {
        showProductScopeNotice();
    } else if (isCaptureOneConnectionTest(text)) {
        host_.setWorkDescription(QStringLiteral("Checking the connection to Capture One."));
        later([this] { runConnectionTest(); });
    } else if (const auto path = ImportedPhotoRecognizers::importFolderPath(text)) {
        later([this, folder = QUrl::fromLocalFile(*path)] { host_.importPhotos(folder); });
    } else if (const auto intent = ImportedPhotoRecognizers::batchIntent(text);
               intent && !(host_.isTrayEmpty() && local.kind != LocalCommandRoad::Decision::Kind::notLocal)) {
        // With nothing in the tray, batch words ("warmer", "reject these") are for Capture One's selection.
        later([this, intent = *intent] { runTrayBatch(intent); });
    } else if (local.kind == LocalCommandRoad::Decision::Kind::run) {
        host_.setWorkDescription(QStringLiteral("Running the command in Capture One."));
        later([this, arguments = local.arguments, text] { runLocalAction(arguments, text); });
    } else if (local.kind != LocalCommandRoad::Decision::Kind::notLocal) {
        later([this, reply = local.reply] { answerLocally(reply); });
    } else {
        host_.setWorkDescription(QStringLiteral("Asking the assistant."));
        later([this, text] { askAssistant(text); });
    }
}

void PromptPipeline::showProductScopeNotice() {
    const ComputerUseResult refusal = MacComputerUseService::scopeRefusal();
    host_.appendArtifact(*refusal.artifact, true);
    host_.appendReply(refusal.summary);
    host_.setResponding(false);
}

void PromptPipeline::runConnectionTest() {
    QPointer<PromptPipeline> self(this);
    services_.captureOne->getStatus([self](const CommandOutcome& outcome) {
        if (!self) {
            return;
        }
        self->host_.appendReply(outcome.text);
        self->host_.setResponding(false);
    });
}

bool PromptPipeline::captureOneInUse() const {
    const auto application = services_.workspace ? services_.workspace->applicationInUse() : std::nullopt;
    return application && isAddressedToCaptureOne(application->localizedName);
}

bool PromptPipeline::isTextModelConfigured() const {
    return !services_.assistantProvider || services_.assistantProvider->isConfigured();
}

void PromptPipeline::answerLocally(const QString& reply) {
    host_.appendReply(reply);
    host_.readAloudInVoiceMode(reply);
    host_.setResponding(false);
}

void PromptPipeline::runLocalCommand(const QString& text) {
    services_.computerUseService->execute(text, localCommandFinished(host_.lastUserRequest()));
}

void PromptPipeline::runLocalAction(const ComputerUseArguments& arguments, const QString& request) {
    services_.computerUseService->executeAction(arguments, localCommandFinished(request));
}

ComputerUseCompletion PromptPipeline::localCommandFinished(const QString& request) {
    QPointer<PromptPipeline> self(this);
    // The request is taken when the road starts: a wake command heard meanwhile adds a message of its own.
    return [self, request](const ComputerUseResult& result) {
        if (!self) {
            return;
        }
        const Host& host = self->host_;
        host.recordChange(result.change, ChangeRoad::typed, request);
        host.appendReply(result.summary);
        if (result.artifact) {
            host.appendArtifact(*result.artifact, true);
        }
        if (!host.readAloudInVoiceMode(result.summary)) {
            host.resumeVoiceSession();
        }
        host.setResponding(false);
    };
}

void PromptPipeline::askAssistant(const QString& text) {
    QPointer<PromptPipeline> self(this);
    services_.assistantProvider->respond(
        AssistantRequest{text}, [self, text](const AssistantResponse& response) {
            if (!self) {
                return;
            }
            const Host& host = self->host_;
            host.appendMessage(response.message);
            for (qsizetype index = 0; index < qsizetype(response.artifacts.size()); ++index) {
                host.appendArtifact(response.artifacts[size_t(index)],
                                    index + 1 == qsizetype(response.artifacts.size()));
            }
            host.setResponding(false);
            if (!response.action) {
                return;
            }
            host.setResponding(true);
            self->later([self, action = *response.action, text] {
                if (self) {
                    self->executeReplyAction(action, text);
                }
            });
        });
}

void PromptPipeline::executeReplyAction(const AssistantAction& action, const QString& request) {
    // Only what the reply's action carries: no application name (open_app always opens Capture One) and no
    // target paths (the Capture One selection, never the tray).
    ComputerUseArguments arguments;
    arguments.action = action.type;
    arguments.text = action.text;
    arguments.slider = action.slider;
    arguments.value = action.value;
    arguments.relative = action.relative;
    arguments.presetName = action.presetName;
    arguments.folderPath = action.folderPath;
    QPointer<PromptPipeline> self(this);
    services_.computerUseService->executeAction(arguments, [self, request](const ComputerUseResult& result) {
        if (!self) {
            return;
        }
        const Host& host = self->host_;
        host.recordChange(result.change, ChangeRoad::assistant, request);
        host.setResponding(false);
        if (result.artifact) {
            host.appendArtifact(*result.artifact, true);
        }
        host.appendReply(result.summary);
    });
}

} // namespace orbix
