#include "core/ComputerUseActions.h"

#include "core/TextRules.h"

namespace orbix {

namespace {

using A = ComputerUseAction;
using W = WrittenAdjustments;

// One row per action: name, the tool parameters it reads, tray targets, document writes. Every action but
// open_app is offered to the text assistant.
ComputerUseActionEntry entry(A action, const char* name, QStringList arguments, bool trayTargets,
                             bool writesDocument, QStringList properties = {}, W adjustments = W::none) {
    return {action,         QString::fromLatin1(name), std::move(arguments), trayTargets, action != A::openApp,
            writesDocument, std::move(properties),     adjustments};
}

QList<ComputerUseActionEntry> buildTable() {
    const QStringList slider{"slider", "target_name", "value", "text", "relative"};
    const QStringList textOrTarget{"text", "target_name"};
    const QStringList text{"text"};
    const QStringList none;
    return {
        entry(A::openApp, "open_app", {"app_name"}, false, false),
        entry(A::adjustSlider, "c1_adjust_slider", slider, true, true, {}, W::namedBySlider),
        entry(A::setAdjustment, "c1_set_adjustment", slider, false, true, {}, W::namedBySlider),
        entry(A::adjustSliders, "c1_adjust_sliders", text, true, true, {}, W::listedInText),
        entry(A::autoAdjust, "c1_auto_adjust", none, false, true, {}, W::all),
        entry(A::resetAdjustments, "c1_reset_adjustments", none, false, true, {}, W::all),
        entry(A::copyApplyAdjustments, "c1_copy_apply_adjustments", none, false, true, {}, W::all),
        entry(A::cloneVariant, "c1_clone_variant", none, false, true),
        entry(A::rotate, "c1_rotate", textOrTarget, false, true, {"orientation"}),
        entry(A::maximumCrop, "c1_maximum_crop", none, false, true, {"crop"}),
        entry(A::setCrop, "c1_set_crop", text, false, true, {"crop aspect ratio", "crop orientation"}),
        entry(A::createLayer, "c1_create_layer", textOrTarget, false, true),
        entry(A::setLayer, "c1_set_layer", text, false, true),
        entry(A::mask, "c1_mask", textOrTarget, false, true),
        entry(A::applyStyle, "c1_apply_style", {"preset_name", "text", "target_name"}, true, true, {}, W::all),
        entry(A::importFolder, "c1_import_folder", {"folder_path", "text", "target_name"}, false, true),
        entry(A::setPick, "c1_set_pick", textOrTarget, true, true, {"pick"}),
        entry(A::setRating, "c1_set_rating", {"value", "text"}, true, true, {"rating"}),
        entry(A::setColorTag, "c1_set_color_tag", {"value", "text"}, true, true, {"color tag"}),
        entry(A::process, "c1_process", none, false, false),
        entry(A::getStatus, "c1_get_status", none, false, false),
        entry(A::getCapabilities, "c1_get_capabilities", none, false, false),
        entry(A::inspectUI, "inspect_ui", none, false, false),
        // UI input can change anything the pressed control changes.
        entry(A::click, "click", {"target_name", "text"}, false, true),
        entry(A::type, "type", {"text", "target_name"}, false, true),
        entry(A::pressKey, "press_key", {"key", "text"}, false, true),
        // They write what the change they take back wrote; the history records them, not as changes.
        entry(A::undoLastChange, "undo_last_change", none, false, false),
        entry(A::redoLastChange, "redo_last_change", none, false, false),
    };
}

} // namespace

const QList<ComputerUseActionEntry>& computerUseActions() {
    static const QList<ComputerUseActionEntry> table = buildTable();
    return table;
}

const ComputerUseActionEntry* findComputerUseAction(const QString& name) {
    const QString wanted = text::trimmed(name).toLower();
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        if (entry.name == wanted) {
            return &entry;
        }
    }
    return nullptr;
}

const ComputerUseActionEntry& computerUseAction(ComputerUseAction action) {
    // The table lists the enumeration in order.
    return computerUseActions()[qsizetype(action)];
}

} // namespace orbix
