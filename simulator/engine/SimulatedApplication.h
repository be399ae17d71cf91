#pragma once
// The simulated Capture One: answers the names of installed Capture One bundles and its own bundle identifier,
// implements the object model (application, document, variant, adjustments, layer) over a Catalog, and
// accepts `activate` for Orbix itself. Every refusal is an application error worded as AppleScript words
// it ("Capture One got an error: …").

#include "engine/ApplicationHost.h"
#include "engine/Catalog.h"

#include <functional>

namespace orbix::c1sim {

inline const QString kSimulatorBundleIdentifier = QStringLiteral("com.orbix.captureone.simulator");
inline const QString kSimulatorDisplayName = QStringLiteral("Capture One Simulator");

class SimulatedApplication : public ApplicationHost {
public:
    // Whether `application "NAME"` names a Capture One that exists (see InstalledApplications.h).
    using NameLookup = std::function<bool(const QString& name)>;

    // `catalog` is called on the first access that needs the catalog (it may load it from disk); it
    // throws ScriptError when the catalog cannot be had. `isCaptureOneName` decides which application
    // names are answered.
    SimulatedApplication(std::function<Catalog&()> catalog, NameLookup isCaptureOneName);

    // Whether the script addressed the simulated application (and so touched the catalog).
    bool catalogTouched() const { return catalog_ != nullptr; }

    ObjectRef application(const QString& nameOrId, bool byId) override;
    Value property(const ObjectRef& object, const QString& name) override;
    void setProperty(const ObjectRef& object, const QString& name, const Value& value) override;
    Value command(const ObjectRef& target, const QString& name, const std::optional<Value>& direct,
                  const CommandParameters& parameters) override;

private:
    Catalog& catalog();
    // The open document; without one, a -1728 error naming `what` ("current document" by default).
    Document& document(const ObjectRef& ref, const QString& what = {});
    Variant& variant(const ObjectRef& ref);
    Layer& layer(const ObjectRef& ref);
    Variant& variantArgument(const ObjectRef& target, const std::optional<Value>& value,
                             const QString& command);
    Layer& layerArgument(const ObjectRef& target, const std::optional<Value>& value, const QString& command);
    ObjectRef variantRef(const ObjectRef& from, const QString& id) const;

    Value applicationProperty(const ObjectRef& ref, const QString& name);
    Value variantProperty(const ObjectRef& ref, const QString& name);
    void setVariantProperty(const ObjectRef& ref, const QString& name, const Value& value);
    void setAdjustment(const ObjectRef& ref, const QString& name, const Value& value);
    void setLayerProperty(const ObjectRef& ref, const QString& name, const Value& value);

    Value makeLayer(const ObjectRef& target, const CommandParameters& parameters);
    void importPhotos(const ObjectRef& target, const std::optional<Value>& direct,
                      const CommandParameters& parameters);
    void maskCommand(Layer& layer, const QString& name, const CommandParameters& parameters,
                     const ObjectRef& target);

    std::function<Catalog&()> loadCatalog_;
    NameLookup isCaptureOneName_;
    Catalog* catalog_ = nullptr;
};

} // namespace orbix::c1sim
