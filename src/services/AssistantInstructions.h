#pragma once
// The system instructions sent with every text-model request: they fix the JSON reply schema (message,
// action, artifact) and the action vocabulary.

#include <QString>

namespace orbix {

// The instructions text, lines separated by single line feeds, no line feed at the end.
const QString& assistantInstructions();

} // namespace orbix
