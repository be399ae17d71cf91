#include "model/LocalCommandRoad.h"

#include "captureone/LocalCommands.h"

namespace orbix {

const QString LocalCommandRoad::examplesText = QStringLiteral(
    "Without a text model Orbix understands Capture One commands such as \u201cmake it warmer\u201d, \u201cset "
    "exposure to 0.5 and contrast to 10\u201d, \u201crate this 4 stars\u201d, \u201ctag it red\u201d, "
    "\u201ccrop "
    "to 4:5\u201d, \u201cadd a layer called Dodge\u201d or \u201cauto adjust\u201d.");

LocalCommandRoad::Decision LocalCommandRoad::decide(const QString& text, bool captureOneAddressed,
                                                    bool textModelConfigured) {
    using Kind = Decision::Kind;
    if (const auto question = std::exchange(question_, std::nullopt)) {
        if (const auto completed = localgrammar::answer(*question, text)) {
            return {Kind::run, *completed, {}};
        }
    }
    const auto reading = localcommands::read(text);
    if (reading && (captureOneAddressed || !textModelConfigured)) {
        if (const auto* question = std::get_if<LocalQuestion>(&*reading)) {
            question_ = *question;
            return {Kind::ask, {}, question->text()};
        }
        return {Kind::run, std::get<ComputerUseArguments>(*reading), {}};
    }
    if (!textModelConfigured) {
        return {Kind::examples, {}, examplesText};
    }
    return {};
}

} // namespace orbix
