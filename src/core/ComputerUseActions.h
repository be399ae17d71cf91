#pragma once
// The action vocabulary in one table: every action the computer_use tool, the text assistant's reply schema
// and the photo tray speak of, in the order the tool offers them. The dispatcher binds a handler to each
// entry; the tool definition, the assistant's action list and the tray's targetable set are read from here.
// Later actions are appended after the last entry; existing entries never change.

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace orbix {

enum class ComputerUseAction {
    openApp,
    adjustSlider,
    setAdjustment,
    adjustSliders,
    autoAdjust,
    resetAdjustments,
    copyApplyAdjustments,
    cloneVariant,
    rotate,
    maximumCrop,
    setCrop,
    createLayer,
    setLayer,
    mask,
    applyStyle,
    importFolder,
    setPick,
    setRating,
    setColorTag,
    process,
    getStatus,
    getCapabilities,
    inspectUI,
    click,
    type,
    pressKey,
    undoLastChange,
    redoLastChange,
};

// Which adjustments of a variant an action changes.
enum class WrittenAdjustments {
    none,
    namedBySlider, // the one property named by the "slider" (else "target_name") argument
    listedInText,  // the property=value pairs of the "text" argument
    all,           // any of them (auto adjust, reset, copied adjustments, a style)
};

struct ComputerUseActionEntry {
    ComputerUseAction action;
    QString name;
    // The tool parameters the action reads, in the order it prefers them.
    QStringList arguments;
    // The tray's photos may be handed over as its targets.
    bool targetsTrayPhotos = false;
    // Offered in the text assistant's reply schema (open_app is the voice tool's alone).
    bool offeredToTextAssistant = true;
    // It changes the open document (catalog or session), not only what is shown.
    bool writesDocument = false;
    // The variant properties it sets, by their scripting names.
    QStringList writtenProperties;
    WrittenAdjustments writtenAdjustments = WrittenAdjustments::none;
};

// Every action in the order the tool offers them.
const QList<ComputerUseActionEntry>& computerUseActions();
// The entry for an action name, trimmed of white space and line breaks and compared in lower case.
const ComputerUseActionEntry* findComputerUseAction(const QString& name);
// The entry of an action.
const ComputerUseActionEntry& computerUseAction(ComputerUseAction action);

} // namespace orbix
