#include "app/CommandLineFrontEnd.h"

#include "model/AppModel.h"
#include "model/ChangeHistory.h"
#include "model/ChangeLog.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QTimer>
#include <unistd.h>

namespace orbix {

CommandLineFrontEnd::CommandLineFrontEnd(AppModel& model, Options options, QTextStream& transcript,
                                         QTextStream& output, QObject* parent)
    : QObject(parent), model_(model), options_(std::move(options)), out_(transcript), json_(output) {}

void CommandLineFrontEnd::start(std::function<void()> finished) {
    finished_ = std::move(finished);
    pending_ = options_.prompts;
    connect(&model_, &AppModel::messagesChanged, this, &CommandLineFrontEnd::printNewEntries);
    connect(&model_, &AppModel::artifactsChanged, this, &CommandLineFrontEnd::printNewEntries);
    connect(&model_, &AppModel::isRespondingChanged, this, &CommandLineFrontEnd::submitNextWhenIdle);
    if (options_.readStandardInput) {
        inputClosed_ = false;
        inputNotifier_ = std::make_unique<QSocketNotifier>(STDIN_FILENO, QSocketNotifier::Read);
        connect(inputNotifier_.get(), &QSocketNotifier::activated, this,
                &CommandLineFrontEnd::readStandardInputLines);
    }
    submitNextWhenIdle();
}

void CommandLineFrontEnd::readStandardInputLines() {
    char buffer[4096];
    const ssize_t count = ::read(STDIN_FILENO, buffer, sizeof buffer);
    if (count <= 0) {
        inputNotifier_->setEnabled(false);
        inputClosed_ = true;
        if (!inputBuffer_.trimmed().isEmpty()) {
            pending_ << QString::fromUtf8(inputBuffer_);
        }
        inputBuffer_.clear();
    } else {
        inputBuffer_.append(buffer, count);
        qsizetype newline;
        while ((newline = inputBuffer_.indexOf('\n')) >= 0) {
            const QString line = QString::fromUtf8(inputBuffer_.left(newline));
            inputBuffer_.remove(0, newline + 1);
            if (!line.trimmed().isEmpty()) {
                pending_ << line;
            }
        }
    }
    submitNextWhenIdle();
}

void CommandLineFrontEnd::submitNextWhenIdle() {
    // Checked on the next turn of the event loop: a reply with an action stops responding only for the
    // moment between the reply and its action.
    if (waitingForIdle_ || done_) {
        return;
    }
    waitingForIdle_ = true;
    QTimer::singleShot(0, this, [this] {
        waitingForIdle_ = false;
        if (done_ || model_.isResponding()) {
            return;
        }
        if (!pending_.isEmpty()) {
            model_.setPromptText(pending_.takeFirst());
            out_ << "> " << model_.promptText() << Qt::endl;
            model_.submitPrompt();
            submitNextWhenIdle();
            return;
        }
        if (inputClosed_) {
            finishWhenUpdateCheckIsDone();
        }
    });
}

void CommandLineFrontEnd::finishWhenUpdateCheckIsDone() {
    // The final state includes the update notice: the check started with the model is waited for (its
    // request has its own time-out), so the same run always reports the same state.
    if (model_.isCheckingForProductUpdate()) {
        connect(&model_, &AppModel::productUpdateCheckFinished, this,
                &CommandLineFrontEnd::finishWhenUpdateCheckIsDone, Qt::SingleShotConnection);
        return;
    }
    if (done_) {
        return;
    }
    done_ = true;
    if (options_.printJson) {
        json_ << QJsonDocument(stateJson(model_)).toJson(QJsonDocument::Indented) << Qt::flush;
    }
    if (finished_) {
        finished_();
    }
}

void CommandLineFrontEnd::printNewEntries() {
    const auto& messages = model_.messages();
    for (; printedMessages_ < messages.size(); ++printedMessages_) {
        const ConversationMessage& message = messages[printedMessages_];
        if (message.role == ConversationRole::assistant) {
            out_ << "Orbix: " << message.content << Qt::endl;
        }
    }
    for (const Artifact& artifact : model_.artifacts()) {
        if (printedArtifacts_.contains(artifact.id)) {
            continue;
        }
        printedArtifacts_.insert(artifact.id);
        out_ << "\n# " << artifact.title << " (" << label(artifact.status) << ")\n"
             << artifact.body << "\n"
             << Qt::endl;
    }
}

QJsonObject CommandLineFrontEnd::stateJson(const AppModel& model) {
    QJsonArray messages;
    for (const ConversationMessage& message : model.messages()) {
        messages.append(QJsonObject{
            {"role", rawValue(message.role)},
            {"mode", message.mode ? QJsonValue(rawValue(*message.mode)) : QJsonValue(QJsonValue::Null)},
            {"content", message.content},
        });
    }
    QJsonArray artifacts;
    for (const Artifact& artifact : model.artifacts()) {
        artifacts.append(QJsonObject{
            {"kind", rawValue(artifact.kind)},
            {"title", artifact.title},
            {"status", rawValue(artifact.status)},
            {"body", artifact.body},
        });
    }
    QJsonArray photos;
    for (const ImportedPhotoAsset& photo : model.importedPhotos()) {
        photos.append(QJsonObject{
            {"displayName", photo.displayName},
            {"path", photo.url.toLocalFile()},
            {"selected", model.selectedImportedPhotoIDs().contains(photo.id)},
        });
    }
    const auto selected = model.selectedArtifact();
    return QJsonObject{
        {"messages", messages},
        {"artifacts", artifacts},
        {"selectedArtifactTitle", selected ? QJsonValue(selected->title) : QJsonValue(QJsonValue::Null)},
        {"importedPhotos", photos},
        {"changes",
         changelog::json(model.changeHistory() ? model.changeHistory()->changes() : QList<ChangeRecord>())},
    };
}

} // namespace orbix
