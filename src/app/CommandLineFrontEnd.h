#pragma once
// The headless front end: submits prompts to the application model one at a time (the next only when the
// model is no longer responding), prints every new assistant message and artifact as it appears, and can
// print the whole state as JSON at the end.

#include <QJsonObject>
#include <QObject>
#include <QSocketNotifier>
#include <QStringList>
#include <QTextStream>
#include <functional>
#include <memory>

namespace orbix {

class AppModel;

class CommandLineFrontEnd : public QObject {
    Q_OBJECT
public:
    struct Options {
        QStringList prompts;    // submitted in order; when empty, prompts come from standard input
        bool printJson = false; // print the state as JSON at the end
        bool readStandardInput = false;
    };

    // The transcript goes to `transcript`; the JSON state, when asked for, to `output`.
    CommandLineFrontEnd(AppModel& model, Options options, QTextStream& transcript, QTextStream& output,
                        QObject* parent = nullptr);

    // Starts submitting; `finished` is called once every prompt has been answered.
    void start(std::function<void()> finished);

    // The model's state: messages, artifacts, the selected artifact's title and the photo tray.
    static QJsonObject stateJson(const AppModel& model);

private:
    void printNewEntries();
    void submitNextWhenIdle();
    void finishWhenUpdateCheckIsDone();
    void readStandardInputLines();

    AppModel& model_;
    Options options_;
    QTextStream& out_;
    QTextStream& json_;
    std::function<void()> finished_;
    qsizetype printedMessages_ = 0;
    QSet<QUuid> printedArtifacts_;
    QStringList pending_;
    bool inputClosed_ = true;
    bool waitingForIdle_ = false;
    bool done_ = false;
    std::unique_ptr<QSocketNotifier> inputNotifier_;
    QByteArray inputBuffer_;
};

} // namespace orbix
