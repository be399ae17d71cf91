#pragma once
// One action request as every road hands it to the dispatcher (the voice tool, a text-model reply, a
// shortcut), and the shape of the call that runs it, so that callers need not know the dispatcher.

#include "core/ConversationRecords.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <optional>

namespace orbix {

struct ComputerUseArguments {
    QString action;
    std::optional<QString> appName;
    std::optional<QString> url;
    std::optional<QString> targetName;
    std::optional<QString> text;
    std::optional<QString> key;
    std::optional<QString> query;
    std::optional<QString> prompt;
    std::optional<QString> aspectRatio;
    std::optional<QString> scriptCode;
    std::optional<QString> slider;
    std::optional<double> value;
    std::optional<bool> relative;
    std::optional<QString> presetName;
    std::optional<QString> folderPath;
    QStringList targetPaths;
};

// Called exactly once, on the main thread.
using ComputerUseCompletion = std::function<void(const ComputerUseResult& result)>;
// Runs one action and calls the completion.
using ComputerUseExecutor = std::function<void(const ComputerUseArguments& arguments, ComputerUseCompletion)>;

// The answer to a request about the imported photos when none of them is a target: nothing runs, because
// an empty target list would reach Capture One as "the current selection", which the user did not name.
ComputerUseResult withoutImportedPhotoTargets();

} // namespace orbix
