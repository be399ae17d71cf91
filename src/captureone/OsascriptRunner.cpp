#include "captureone/OsascriptRunner.h"

#include "captureone/SimulatorLocation.h"

#include <QProcess>
#include <QRegularExpression>
#include <QTimer>
#include <memory>

namespace orbix {

QString OsascriptRunner::defaultProgram() {
    const QString configured = qEnvironmentVariable("ORBIX_OSASCRIPT");
    if (!configured.isEmpty()) {
        return configured;
    }
#ifdef Q_OS_MACOS
    return QStringLiteral("/usr/bin/osascript");
#else
    return SimulatorLocation::programPath();
#endif
}

OsascriptRunner::OsascriptRunner(QString program, std::chrono::milliseconds timeout, QObject* parent)
    : QObject(parent), program_(std::move(program)), timeout_(timeout) {}

OsascriptRunner::~OsascriptRunner() {
    // Children are QObject children: stop them before they are deleted so none outlives us.
    for (QProcess* process : findChildren<QProcess*>()) {
        process->disconnect();
        process->kill();
        process->waitForFinished(1000);
    }
}

ScriptOutcome OsascriptRunner::outcomeFrom(int exitCode, const QByteArray& standardOutput,
                                           const QByteArray& standardError) {
    if (exitCode == 0) {
        QString result = QString::fromUtf8(standardOutput);
        if (result.endsWith(QLatin1Char('\n'))) {
            result.chop(1);
        }
        return {ScriptOutcome::Status::success, result};
    }
    // "[PATH:]START:END: execution error: MESSAGE (NUMBER)" starting a line. The message runs to the first
    // " (NUMBER)" at a line end, so one that contains line feeds (a style name with one, say) stays whole.
    // Other lines may be unrelated warnings: the last error wins.
    static const QRegularExpression executionError(
        QStringLiteral("^(?:[^\\n]*?:)?-?[0-9]+:-?[0-9]+: execution error: (.*?) \\((-?[0-9]+)\\)$"),
        QRegularExpression::MultilineOption | QRegularExpression::DotMatchesEverythingOption);
    std::optional<QRegularExpressionMatch> last;
    auto matches = executionError.globalMatch(QString::fromUtf8(standardError));
    while (matches.hasNext()) {
        last = matches.next();
    }
    if (last) {
        bool isNumber = false;
        const int number = last->captured(2).toInt(&isNumber);
        return {ScriptOutcome::Status::executionError, last->captured(1),
                isNumber ? std::optional<int>(number) : std::nullopt};
    }
    return {ScriptOutcome::Status::notPrepared, {}};
}

void OsascriptRunner::run(const QString& script, Completion completion) {
    auto* process = new QProcess(this);
    auto* timer = new QTimer(process);
    timer->setSingleShot(true);
    auto finish = std::make_shared<Completion>(std::move(completion));
    // Delivered through the event loop, so a completion never runs inside run() itself.
    const auto deliver = [this, process, finish](const ScriptOutcome& outcome) {
        if (*finish) {
            Completion callback = std::move(*finish);
            *finish = nullptr;
            process->disconnect();
            process->deleteLater();
            QMetaObject::invokeMethod(
                this, [callback = std::move(callback), outcome] { callback(outcome); }, Qt::QueuedConnection);
        }
    };

    connect(timer, &QTimer::timeout, process, [process, deliver] {
        deliver({ScriptOutcome::Status::timedOut, {}}); // first: it disconnects the process's own signals
        process->kill();
        process->waitForFinished(1000);
    });
    connect(process, &QProcess::errorOccurred, process, [process, deliver](QProcess::ProcessError error) {
        if (error == QProcess::FailedToStart) {
            deliver({ScriptOutcome::Status::notPrepared, {}});
        } else if (error == QProcess::Crashed) {
            deliver(outcomeFrom(-1, {}, process->readAllStandardError()));
        }
    });
    connect(process, &QProcess::finished, process,
            [process, deliver](int exitCode, QProcess::ExitStatus status) {
                const int code = status == QProcess::NormalExit ? exitCode : -1;
                deliver(outcomeFrom(code, process->readAllStandardOutput(), process->readAllStandardError()));
            });

    process->setProgram(program_);
    process->start(QIODevice::ReadWrite);
    if (!*finish) {
        return; // failed to start; already reported
    }
    timer->start(timeout_);
    process->write(script.toUtf8());
    process->closeWriteChannel();
}

} // namespace orbix
