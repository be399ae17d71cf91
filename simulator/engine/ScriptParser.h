#pragma once
// Parses the AppleScript subset into a syntax tree. Inside a `tell application` block the simulated
// application's terms (multi-word properties, commands and enumerators) are recognised, longest match
// first, as AppleScript does when it compiles against an application's dictionary. Anything outside the
// subset is a syntax error.

#include "engine/ScriptError.h"
#include "engine/ScriptSyntax.h"

#include <variant>

namespace orbix::c1sim {

std::variant<Script, ScriptError> parseScript(const QString& source);

} // namespace orbix::c1sim
