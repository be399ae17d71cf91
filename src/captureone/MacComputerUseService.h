#pragma once
// The action dispatcher: turns one named action with loosely typed arguments into exactly one Capture One
// operation and a ComputerUseResult. It binds a handler to every entry of the action table
// (core/ComputerUseActions: c1_*, open_app and the UI-fallback actions inspect_ui, click, type, press_key)
// and owns the scope gate and the UI-fallback policy. It keeps no state of its own: every call is
// independent.

#include "core/CommandOutcome.h"
#include "core/ComputerUseActions.h"
#include "core/ComputerUseArguments.h"
#include "core/ConversationRecords.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orbix {

class AccessibilityBackend;
class CaptureOneService;
class Settings;
class Workspace;

class MacComputerUseService {
public:
    using Completion = ComputerUseCompletion;

    // Reads "allow computer control" from `settings` before every UI fallback action. Each reference must
    // outlive the dispatcher.
    MacComputerUseService(CaptureOneService& captureOne, Settings& settings, Workspace& workspace,
                          AccessibilityBackend& accessibility);

    // The completion is called exactly once on the main thread; refusals answer before the call returns.
    void executeAction(const ComputerUseArguments& arguments, Completion completion);
    // A typed or spoken command read without the network (the parser's rules, then the local grammar), always
    // on the current selection. Whether Capture One is addressed was decided by the caller.
    void execute(const QString& command, Completion completion);
    // executeAction as a function, for callers that must not know the dispatcher (the voice session).
    ComputerUseExecutor executor();

    // Who takes back (redo: puts again) the session's last change: the application's change history.
    // Without one, undo_last_change and redo_last_change answer that there is nothing to take back.
    using ChangeHistoryHandler = std::function<void(bool redo, std::function<void(const CommandOutcome&)>)>;
    void setChangeHistoryHandler(ChangeHistoryHandler handler) { changeHistoryHandler_ = std::move(handler); }

    // The "Capture One only" refusal shared by every road that refuses other applications.
    static ComputerUseResult scopeRefusal();
    // The answer to a request aimed at the imported photos when none of them is a target: nothing runs,
    // rather than falling back to whatever Capture One has selected.
    static ComputerUseResult withoutImportedPhotoTargets();

private:
    using OutcomeCompletion = std::function<void(const CommandOutcome&)>;

    // The action's result without an artifact.
    static OutcomeCompletion resultCompletion(Completion completion);
    // Names the action in the change a successful writing action reports; one that reported none is
    // recorded as a change Orbix cannot take back.
    static OutcomeCompletion recordingCompletion(const ComputerUseActionEntry& entry,
                                                 OutcomeCompletion completion);
    void dispatch(ComputerUseAction action, const ComputerUseArguments& arguments,
                  const OutcomeCompletion& answer);
    void openCaptureOne(const std::optional<QString>& requested, OutcomeCompletion completion);
    std::optional<CommandOutcome> uiAutomationBlocker() const;
    CommandOutcome inspectCaptureOneUI();
    CommandOutcome clickCaptureOneElement(const QString& name);
    CommandOutcome typeInCaptureOne(const QString& text, const std::optional<QString>& field);
    CommandOutcome pressCaptureOneKey(const QString& shortcut);

    CaptureOneService& captureOne_;
    Settings& settings_;
    Workspace& workspace_;
    AccessibilityBackend& accessibility_;
    ChangeHistoryHandler changeHistoryHandler_;
};

} // namespace orbix
