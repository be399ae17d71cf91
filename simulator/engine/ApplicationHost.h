#pragma once
// The port between the interpreter and the applications a script addresses. The interpreter knows the
// language; the host knows which applications exist and what their objects, properties and commands do.
// Every method reports failures by throwing ScriptError (caught by the interpreter, never beyond it).

#include "engine/ScriptValue.h"

#include <optional>
#include <utility>
#include <vector>

namespace orbix::c1sim {

using CommandParameters = std::vector<std::pair<QString, Value>>;

class ApplicationHost {
public:
    virtual ~ApplicationHost() = default;

    // `application "NAME"` or `application id "ID"`: the application object, or a -1728 error.
    virtual ObjectRef application(const QString& nameOrId, bool byId) = 0;
    virtual Value property(const ObjectRef& object, const QString& name) = 0;
    virtual void setProperty(const ObjectRef& object, const QString& name, const Value& value) = 0;
    // A command sent inside a tell block to `target`; `direct` is the direct parameter when given.
    virtual Value command(const ObjectRef& target, const QString& name, const std::optional<Value>& direct,
                          const CommandParameters& parameters) = 0;
};

} // namespace orbix::c1sim
