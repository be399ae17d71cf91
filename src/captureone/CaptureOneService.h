#pragma once
// The one component that talks to Capture One: validates a request, builds its AppleScript from the fixed
// templates, runs it against the resolved Capture One version through a ScriptRunner and answers with a
// status and one line of text (a result or a sentence saying what went wrong; never an exception).
//
// Every operation is asynchronous: the completion is called exactly once on the main thread. When a
// request fails validation nothing runs and the completion is called before the operation returns.

#include "captureone/CaptureOneApplication.h"
#include "captureone/ChangeScripts.h"
#include "captureone/PhotoMarks.h"
#include "captureone/ScriptRunner.h"
#include "core/CommandOutcome.h"

#include <QHash>
#include <QMap>
#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <optional>

namespace orbix {

class CaptureOneApplicationResolver;

class CaptureOneService : public QObject {
    Q_OBJECT
    Q_PROPERTY(QString lastMessage READ lastMessage NOTIFY lastMessageChanged)

public:
    using Completion = std::function<void(const CommandOutcome& outcome)>;
    // What a recorded command reads before and after it writes: these properties of its targets (the
    // selection when there are no paths).
    struct Recording {
        QStringList targetPaths;
        QList<RecordedProperty> properties;
        // The values the command sets outright, as written in its script, by property name: the reply says
        // so when Capture One holds something else.
        QHash<QString, QString> asked = {};
    };
    // The outcome of putting recorded values back, with what each variant held afterwards (none when the
    // script did not answer in its own form).
    using RestoreCompletion = std::function<void(
        const CommandOutcome& outcome, const std::optional<QHash<QString, changescripts::RestoreReading>>&)>;

    // Every operation runs on the application `resolver` picks; it must outlive the service.
    CaptureOneService(std::shared_ptr<ScriptRunner> runner, CaptureOneApplicationResolver& resolver,
                      QObject* parent = nullptr);

    CaptureOneApplicationResolver& resolver() const { return resolver_; }

    // The result text of the most recent script that actually ran (success or error line).
    QString lastMessage() const { return lastMessage_; }

    void run(const QString& script, Completion completion);
    void setAdjustment(const QString& name, const QString& rawValue, bool relative,
                       const QStringList& targetPaths, Completion completion);
    void adjustSliders(const QString& adjustments, const QStringList& targetPaths, Completion completion);
    void applyStyle(const QString& name, const QStringList& targetPaths, Completion completion);
    void importFolder(const QString& path, Completion completion);
    void setPick(bool picked, const QStringList& targetPaths, Completion completion);
    // Capture One's pick flag has no reject state: a rejected photo has its pick flag cleared, and a
    // successful reply says so.
    void reject(const QStringList& targetPaths, Completion completion);
    void setRating(qint64 rating, const QStringList& targetPaths, Completion completion);
    void setColorTag(qint64 tag, const QStringList& targetPaths, Completion completion);
    void rotate(const QString& direction, const QStringList& targetPaths, Completion completion);
    void copyPrimaryAdjustmentsToSelected(Completion completion);
    void setCrop(const QString& specification, const QStringList& targetPaths, Completion completion);
    void createAdjustmentLayer(const QString& name, const QStringList& targetPaths, Completion completion);
    void updateCurrentLayer(const QString& specification, const QStringList& targetPaths,
                            Completion completion);
    void modifyCurrentMask(const QString& specification, const QStringList& targetPaths, Completion completion);
    void runVariantCommand(const QString& command, const QString& completionText,
                           const QStringList& targetPaths, Completion completion);
    void getStatus(Completion completion);
    void processSelected(Completion completion);
    // The marks of the variants of these files; nothing for a file Capture One does not hold, and nothing at
    // all when the script fails (the tray then shows no marks rather than stale ones).
    void readPhotoMarks(const QStringList& paths, std::function<void(QHash<QString, PhotoMarks>)> completion);
    CommandOutcome capabilitySummary() const;
    // Writes the recorded before-values (after-values when !toBefore) back to the recorded variants that
    // still hold what the change left there.
    void restoreValues(const QList<VariantChange>& variants, bool toBefore, RestoreCompletion completion);

    // key=value pieces separated by commas; keys lower-cased, values as written (trimmed).
    static QMap<QString, QString> assignmentMap(const QString& text);

signals:
    void lastMessageChanged(const QString& message);

private:
    // Runs a script on an application already resolved (and probed) by the operation, so the version that
    // was checked is the one that receives the script, and the folders are listed once per command.
    void runOn(const CaptureOneApplication& application, const QString& script, Completion completion);
    // `application`: the one the caller resolved, else it is resolved here.
    void runOnCurrentLayers(const QStringList& statements, const QString& completionText,
                            const QStringList& targetPaths, Completion completion,
                            const CaptureOneApplication& application,
                            const std::optional<Recording>& recording = std::nullopt);
    // Runs the write script with reads of the recording's properties before and after it in the same run;
    // the outcome carries the change.
    void runRecorded(const CaptureOneApplication& application, const QString& writeScript,
                     const Recording& recording, Completion completion);
    using PropertiesOf = std::function<QList<RecordedProperty>(const CaptureOneApplication&)>;
    void runRecordedWhenResolved(const QString& writeScript, const QStringList& targetPaths,
                                 const PropertiesOf& properties, Completion completion,
                                 const QHash<QString, QString>& asked = {});
    // The named variant properties, as far as the version declares them.
    static PropertiesOf declaredProperties(const QStringList& names, RecordedProperty::Kind kind);
    void finishRun(const CaptureOneApplication& application, const ScriptOutcome& outcome,
                   const Completion& completion, const std::optional<Recording>& recording);
    static CommandOutcome outcomeOf(const CaptureOneApplication& application, const ScriptOutcome& outcome);

    std::shared_ptr<ScriptRunner> runner_;
    CaptureOneApplicationResolver& resolver_;
    QString lastMessage_;
};

} // namespace orbix
