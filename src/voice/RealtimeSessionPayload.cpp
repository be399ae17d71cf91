#include "voice/RealtimeSessionPayload.h"

#include "core/ComputerUseActions.h"

#include <QJsonArray>

namespace orbix::realtime {

namespace {

QJsonObject stringProperty(const char* description) {
    return {{QStringLiteral("type"), QStringLiteral("string")},
            {QStringLiteral("description"), QString::fromUtf8(description)}};
}

} // namespace

QString operatorInstructions() {
    return QStringLiteral(
        "You are Orbix, a Capture One computer-use operator.\n"
        "Execute Capture One workflow requests through the available local actions. Be brief and "
        "action-focused.\n"
        "\n"
        "Use direct Capture One actions, not UI clicking, for normal work:\n"
        "- `c1_adjust_slider` for one exposure, brightness, contrast, highlight, shadow, white, black, "
        "temperature, tint, or saturation adjustment.\n"
        "- `c1_adjust_sliders` for a deliberate batch of absolute adjustments, using comma-separated "
        "`property=value` pairs.\n"
        "- `c1_apply_style` for an installed Capture One Style.\n"
        "- `c1_import_folder` to import an absolute local folder path.\n"
        "- `c1_set_pick`, `c1_set_rating`, and `c1_set_color_tag` for culling and organization.\n"
        "- `c1_process` to process the currently selected variants, and `c1_get_status` to inspect "
        "selection.\n"
        "\n"
        "Apply actions to the selected Capture One variants by default. When the user explicitly refers to "
        "selected or imported Orbix photos, use the supplied target paths. Do not control unrelated "
        "applications or perform unrelated web, document, presentation, or image-generation work.\n"
        "Use inspect_ui, click, type, and press_key only as a fallback for Capture One features that have no "
        "direct c1_* action. Never send UI input unless the selected Capture One version is frontmost.\n"
        "Use `undo_last_change` when the user asks to undo or take back Orbix's last change, and "
        "`redo_last_change` when they ask to redo it.");
}

QJsonObject computerUseToolDefinition() {
    QJsonArray actions;
    for (const ComputerUseActionEntry& entry : computerUseActions()) {
        actions.append(entry.name);
    }
    QJsonObject action = stringProperty("The Capture One action to perform. Use direct actions for "
                                        "selected-variant edits rather than UI interaction.");
    action.insert(QStringLiteral("enum"), actions);

    const QJsonObject properties{
        {QStringLiteral("action"), action},
        {QStringLiteral("app_name"),
         stringProperty("The exact installed Capture One app name, such as Capture One, Capture One 21, "
                        "Capture One 22, or Capture One Beta (required for open_app).")},
        {QStringLiteral("target_name"), stringProperty("Optional Capture One target name.")},
        {QStringLiteral("text"),
         stringProperty("String or boolean adjustment value; comma-separated property=value adjustments; "
                        "rotate direction; crop/layer specification; layer name; mask operation; or "
                        "pick/unpick.")},
        {QStringLiteral("key"), stringProperty("The keyboard key to press (required for press_key). E.g. "
                                               "'enter', 'tab', 'escape', 'space'.")},
        {QStringLiteral("slider"), stringProperty("Capture One adjustment property name (required for "
                                                  "c1_adjust_slider and c1_set_adjustment).")},
        {QStringLiteral("value"),
         QJsonObject{{QStringLiteral("type"), QStringLiteral("number")},
                     {QStringLiteral("description"),
                      QStringLiteral("Required for c1_adjust_slider, c1_set_rating, and c1_set_color_tag.")}}},
        {QStringLiteral("relative"),
         QJsonObject{{QStringLiteral("type"), QStringLiteral("boolean")},
                     {QStringLiteral("description"),
                      QStringLiteral("Whether c1_adjust_slider is relative (true) or absolute (false).")}}},
        {QStringLiteral("preset_name"),
         stringProperty("The exact Capture One Style name (required for c1_apply_style).")},
        {QStringLiteral("folder_path"), stringProperty("The absolute local folder path to import into Capture "
                                                       "One (required for c1_import_folder).")},
    };

    return {
        {QStringLiteral("type"), QStringLiteral("function")},
        {QStringLiteral("name"), QString::fromUtf8(computerUseToolName.data())},
        {QStringLiteral("description"),
         QStringLiteral(
             "Control Capture One variants, adjustments, crop, layers, masks, styles, ratings, tags, "
             "imports, processing, and selected-variant status.")},
        {QStringLiteral("parameters"),
         QJsonObject{{QStringLiteral("type"), QStringLiteral("object")},
                     {QStringLiteral("properties"), properties},
                     {QStringLiteral("required"), QJsonArray{QStringLiteral("action")}},
                     {QStringLiteral("additionalProperties"), false}}},
    };
}

QJsonObject sessionUpdateEvent(bool isVoice) {
    QJsonObject session{
        {QStringLiteral("type"), QStringLiteral("realtime")},
        {QStringLiteral("instructions"), operatorInstructions()},
        {QStringLiteral("tools"), QJsonArray{computerUseToolDefinition()}},
        {QStringLiteral("tool_choice"), QStringLiteral("auto")},
        // Without it the server speaks every answer, and a text-only session would pay for audio it drops.
        {QStringLiteral("output_modalities"),
         QJsonArray{isVoice ? QStringLiteral("audio") : QStringLiteral("text")}},
    };
    if (isVoice) {
        const QJsonObject input{
            {QStringLiteral("format"), QJsonObject{{QStringLiteral("type"), QStringLiteral("audio/pcm")},
                                                   {QStringLiteral("rate"), 24000}}},
            {QStringLiteral("transcription"),
             QJsonObject{{QStringLiteral("model"), QStringLiteral("gpt-4o-mini-transcribe")}}},
            {QStringLiteral("turn_detection"),
             QJsonObject{{QStringLiteral("type"), QStringLiteral("server_vad")},
                         {QStringLiteral("create_response"), true}}},
        };
        session.insert(QStringLiteral("audio"), QJsonObject{{QStringLiteral("input"), input}});
    }
    return {{QStringLiteral("type"), QStringLiteral("session.update")}, {QStringLiteral("session"), session}};
}

} // namespace orbix::realtime
