#pragma once
// Everything Orbix reads without the network, as one action of the action table: the command parser's
// rules first (what they read stays as they read it), then the local grammar for what they leave. Three
// readings of the rules lose to the grammar because they change something else than was asked: a slider
// change that keeps only the first of several named adjustments, a slider word that is part of a longer
// adjustment name ("midtone saturation"), and "selected photo" taken for a status request when the
// sentence tags or rates that photo.

#include "captureone/CaptureOneCommandParser.h"
#include "captureone/LocalCommandGrammar.h"

#include <QString>
#include <optional>

namespace orbix {

namespace localcommands {

// What the text asks for; none when neither the rules nor the grammar read it.
std::optional<LocalReading> read(const QString& text);
// The action that runs a command of the rules.
ComputerUseArguments argumentsFor(const CaptureOneCommand& command);
// One line naming the action and the arguments it was given ("c1_set_rating|value=4"), for tables and
// benchmarks that compare readings.
QString summary(const ComputerUseArguments& arguments);

} // namespace localcommands

} // namespace orbix
