#include "engine/SimulatedApplication.h"

#include "engine/AdjustmentTable.h"
#include "engine/PhotoFolder.h"
#include "engine/ScriptError.h"

#include <QFileInfo>
#include <cmath>

namespace orbix::c1sim {
namespace {

const QString kCantGetApplication = QStringLiteral("Can’t get application %1.");
const QString kCantGetApplicationId = QStringLiteral("Can’t get application id %1.");
const QString kGotAnError = QStringLiteral("%1 got an error: %2");
const QString kCantGet = QStringLiteral("Can’t get %1 of %2.");
const QString kCantGetObject = QStringLiteral("Can’t get %1.");
const QString kCantSet = QStringLiteral("Can’t set %1 of %2 to %3.");
const QString kCantMake = QStringLiteral("Can’t make %1 into type %2.");
const QString kOutOfRange = QStringLiteral("Can’t set %1 to %2: the value must be %3.");
const QString kNotUnderstood = QStringLiteral("%1 doesn’t understand the “%2” message.");
const QString kNoDocument = QStringLiteral("current document");
const QString kNoPrimary = QStringLiteral("primary variant");
const QString kNoStyle = QStringLiteral("Can’t get style %1.");
const QString kEmptyClipboard =
    QStringLiteral("There are no copied adjustments to apply. Copy adjustments first.");
const QString kBackgroundNoMask = QStringLiteral("The background layer has no mask.");
const QString kBackgroundFixed = QStringLiteral("The %1 of the background layer can’t be changed.");
const QString kEmptyMask = QStringLiteral("The mask of layer “%1” is empty: fill or paint it first.");
const QString kMaskAmount = QStringLiteral("Can’t %1 the mask by %2: the amount must be from 0 to %3.");
const QString kFolderNotFound = QStringLiteral("The folder “%1” wasn’t found.");
const QString kNotAPhoto = QStringLiteral("“%1” is not a supported photo file.");
const QString kOnlyLayers = QStringLiteral("Can’t make a new %1. Only layers can be made, inside a tell block "
                                           "addressed to a variant.");
const QString kNewLayerProperty = QStringLiteral("Can’t set %1 of a new layer.");
const QString kBadAspect = QStringLiteral("Can’t set crop aspect ratio to %1: use a ratio of two positive "
                                          "numbers such as 3:2, or Original, or Unconstrained.");
const QString kSquareOnly = QStringLiteral("A square 1:1 crop can’t be %1. Set the crop aspect ratio first.");
const QString kNotSquare = QStringLiteral("A %1 crop can’t be square. Set the crop aspect ratio to 1:1 first.");
const QString kOrbixName = QStringLiteral("Orbix");
const QString kBackgroundName = QStringLiteral("background");
const QString kOriginal = QStringLiteral("Original");
const QString kUnconstrained = QStringLiteral("Unconstrained");
const QStringList kHostIdentifiers{QStringLiteral("com.orbix.orbix"), QStringLiteral("org.orbix.orbix")};
const QStringList kCropOrientations{QStringLiteral("landscape"), QStringLiteral("portrait"),
                                    QStringLiteral("square")};

// What `autoadjust` sets: a gentle, deterministic correction.
const std::pair<const char*, double> kAutoAdjustments[] = {
    {"exposure", 0.25},      {"contrast", 8},         {"highlight adjustment", -15},
    {"shadow recovery", 12}, {"level shadow rgb", 4}, {"level highlight rgb", 250},
};

constexpr qint64 kMaxRating = 5;
constexpr qint64 kMaxColorTag = 7;
constexpr qint64 kMaxOpacity = 100;
constexpr double kMaxFeather = 100;
constexpr double kMaxRefine = 300;

ScriptError appError(const ObjectRef& ref, const QString& message, int number) {
    return applicationError(kGotAnError.arg(ref.applicationName, message), number);
}

QString quotedText(const QString& text) {
    return sourceText(Value(text));
}

qint64 integerArgument(const ObjectRef& ref, const QString& what, const Value& value, qint64 minimum,
                       qint64 maximum, const QString& description) {
    qint64 number = 0;
    if (value.is<qint64>()) {
        number = value.as<qint64>();
    } else if (value.is<double>() && std::trunc(value.as<double>()) == value.as<double>() &&
               std::fabs(value.as<double>()) < 9.0e15) {
        number = qint64(value.as<double>());
    } else {
        throw appError(ref, kCantMake.arg(sourceText(value), QStringLiteral("integer")), errnum::kCantMake);
    }
    if (number < minimum || number > maximum) {
        throw appError(ref, kOutOfRange.arg(what, sourceText(value), description), errnum::kCantSet);
    }
    return number;
}

double realArgument(const ObjectRef& ref, const QString& what, const Value& value, double minimum,
                    double maximum, const QString& description) {
    if (!value.isNumber()) {
        throw appError(ref, kCantMake.arg(sourceText(value), QStringLiteral("real")), errnum::kCantMake);
    }
    const double number = value.toDouble();
    if (!(number >= minimum && number <= maximum)) {
        throw appError(ref, kOutOfRange.arg(what, sourceText(value), description), errnum::kCantSet);
    }
    return number;
}

bool booleanArgument(const ObjectRef& ref, const Value& value) {
    if (!value.is<bool>()) {
        throw appError(ref, kCantMake.arg(sourceText(value), QStringLiteral("boolean")), errnum::kCantMake);
    }
    return value.as<bool>();
}

QString textArgument(const ObjectRef& ref, const Value& value) {
    if (!value.is<QString>()) {
        throw appError(ref, kCantMake.arg(sourceText(value), QStringLiteral("text")), errnum::kCantMake);
    }
    return value.as<QString>();
}

QString enumeratorArgument(const ObjectRef& ref, const QString& what, const Value& value,
                           const QStringList& options) {
    if (!value.is<Enumerator>()) {
        throw appError(ref, kCantMake.arg(sourceText(value), QStringLiteral("constant")), errnum::kCantMake);
    }
    const QString& name = value.as<Enumerator>().name;
    if (!options.contains(name)) {
        throw appError(
            ref, kOutOfRange.arg(what, name, QStringLiteral("one of ") + options.join(QStringLiteral(", "))),
            errnum::kCantSet);
    }
    return name;
}

Value adjustmentToValue(const AdjustmentProperty& row, const QJsonValue& stored) {
    switch (row.kind) {
    case ValueKind::Real:
        return Value(stored.toDouble());
    case ValueKind::Integer:
        return Value(qint64(stored.toDouble()));
    case ValueKind::Boolean:
        return Value(stored.toBool());
    case ValueKind::Text:
        return Value(stored.toString());
    case ValueKind::Enumeration:
        return Value(Enumerator{stored.toString()});
    }
    return Value();
}

// The value of a labelled command parameter, or null when the command was sent without it.
const Value* parameter(const CommandParameters& parameters, const QString& label) {
    for (const auto& [name, value] : parameters) {
        if (name == label) {
            return &value;
        }
    }
    return nullptr;
}

// ---- crop geometry ----

// The width-to-height ratio of an aspect text; none for Unconstrained; -1 when the text is invalid.
double aspectRatioOf(const QString& text, const Variant& variant) {
    const QString trimmed = text.trimmed();
    if (trimmed.compare(kOriginal, Qt::CaseInsensitive) == 0) {
        return double(variant.width) / double(variant.height);
    }
    if (trimmed.compare(kUnconstrained, Qt::CaseInsensitive) == 0) {
        return 0;
    }
    const QStringList parts = trimmed.split(QLatin1Char(':'));
    if (parts.size() != 2) {
        return -1;
    }
    bool okWidth = false;
    bool okHeight = false;
    const double width = parts[0].trimmed().toDouble(&okWidth);
    const double height = parts[1].trimmed().toDouble(&okHeight);
    if (!okWidth || !okHeight || !(width > 0) || !(height > 0) || !std::isfinite(width / height) ||
        width / height > 1e6 || width / height < 1e-6) {
        return -1;
    }
    return width / height;
}

double orientedRatio(double ratio, const QString& orientation) {
    if (orientation == u"square") {
        return 1;
    }
    const double wide = std::max(ratio, 1 / ratio);
    return orientation == u"portrait" ? 1 / wide : wide;
}

QString orientationOf(double ratio, const QString& fallback) {
    if (ratio <= 0) {
        return fallback;
    }
    if (std::fabs(ratio - 1) < 1e-9) {
        return QStringLiteral("square");
    }
    return ratio > 1 ? QStringLiteral("landscape") : QStringLiteral("portrait");
}

// The largest rectangle of the ratio inside the frame, centred on the frame, in whole pixels.
CropRect fitInside(const CropRect& frame, double ratio) {
    double width = frame.width;
    double height = width / ratio;
    if (height > frame.height) {
        height = frame.height;
        width = height * ratio;
    }
    width = std::round(width);
    height = std::round(height);
    return {std::round(frame.left + (frame.width - width) / 2),
            std::round(frame.top + (frame.height - height) / 2), width, height};
}

CropRect fullFrame(const Variant& variant) {
    return {0, 0, double(variant.width), double(variant.height)};
}

} // namespace

SimulatedApplication::SimulatedApplication(std::function<Catalog&()> catalog, NameLookup isCaptureOneName)
    : loadCatalog_(std::move(catalog)), isCaptureOneName_(std::move(isCaptureOneName)) {}

Catalog& SimulatedApplication::catalog() {
    if (!catalog_) {
        catalog_ = &loadCatalog_();
    }
    return *catalog_;
}

ObjectRef SimulatedApplication::application(const QString& nameOrId, bool byId) {
    ObjectRef ref;
    if (byId) {
        if (kHostIdentifiers.contains(nameOrId.toLower())) {
            ref.kind = ObjectRef::Kind::HostApplication;
            ref.applicationName = kOrbixName;
            return ref;
        }
        if (nameOrId.compare(kSimulatorBundleIdentifier, Qt::CaseInsensitive) != 0) {
            throw ScriptError{kCantGetApplicationId.arg(quotedText(nameOrId)), errnum::kCantGet};
        }
        ref.applicationName = kSimulatorDisplayName;
    } else {
        if (nameOrId.compare(kOrbixName, Qt::CaseInsensitive) == 0) {
            ref.kind = ObjectRef::Kind::HostApplication;
            ref.applicationName = kOrbixName;
            return ref;
        }
        if (!isCaptureOneName_(nameOrId)) {
            throw ScriptError{kCantGetApplication.arg(quotedText(nameOrId)), errnum::kCantGet};
        }
        ref.applicationName = nameOrId;
    }
    const bool first = catalog_ == nullptr;
    Catalog& state = catalog();
    if (first) {
        ++state.scriptsRun;
    }
    state.lastAddressedName = nameOrId;
    ref.kind = ObjectRef::Kind::Application;
    return ref;
}

Document& SimulatedApplication::document(const ObjectRef& ref, const QString& what) {
    Catalog& state = catalog();
    if (!state.document) {
        throw appError(ref, kCantGetObject.arg(what.isEmpty() ? kNoDocument : what), errnum::kCantGet);
    }
    return *state.document;
}

Variant& SimulatedApplication::variant(const ObjectRef& ref) {
    Variant* found = document(ref).variant(ref.variantId);
    if (!found) {
        throw appError(ref, kCantGetObject.arg(QStringLiteral("variant id ") + quotedText(ref.variantId)),
                       errnum::kCantGet);
    }
    return *found;
}

Layer& SimulatedApplication::layer(const ObjectRef& ref) {
    Layer* found = variant(ref).layer(ref.layerId);
    if (!found) {
        throw appError(ref, kCantGetObject.arg(sourceText(Value(ref))), errnum::kCantGet);
    }
    return *found;
}

ObjectRef SimulatedApplication::variantRef(const ObjectRef& from, const QString& id) const {
    ObjectRef ref;
    ref.kind = ObjectRef::Kind::Variant;
    ref.applicationName = from.applicationName;
    ref.variantId = id;
    return ref;
}

Value SimulatedApplication::property(const ObjectRef& object, const QString& name) {
    switch (object.kind) {
    case ObjectRef::Kind::HostApplication:
        if (name == u"name") {
            return Value(kOrbixName);
        }
        throw ScriptError{kCantGet.arg(name, sourceText(Value(object))), errnum::kCantGet};
    case ObjectRef::Kind::Application:
    case ObjectRef::Kind::Document:
        return applicationProperty(object, name);
    case ObjectRef::Kind::Variant:
        return variantProperty(object, name);
    case ObjectRef::Kind::Adjustments: {
        const Variant& owner = variant(object);
        if (const auto index = adjustments::indexOf(name)) {
            return adjustmentToValue(adjustments::table()[size_t(*index)], owner.adjustments[size_t(*index)]);
        }
        break;
    }
    case ObjectRef::Kind::Layer: {
        const Layer& found = layer(object);
        if (name == u"id") {
            return Value(found.id);
        }
        if (name == u"name") {
            return Value(found.name);
        }
        if (name == u"opacity") {
            return Value(found.opacity);
        }
        if (name == u"enabled") {
            return Value(found.enabled);
        }
        break;
    }
    }
    throw appError(object, kCantGet.arg(name, sourceText(Value(object))), errnum::kCantGet);
}

Value SimulatedApplication::applicationProperty(const ObjectRef& ref, const QString& name) {
    if (ref.kind == ObjectRef::Kind::Application) {
        if (name == u"name") {
            return Value(ref.applicationName);
        }
        if (name == u"version") {
            return Value(QStringLiteral(ORBIX_C1SIM_VERSION));
        }
        if (name == u"styles") {
            List names;
            for (const Style& style : catalog().styles) {
                names.push_back(Value(style.name));
            }
            return Value::list(std::move(names));
        }
        if (name == u"current document") {
            document(ref);
            ObjectRef documentRef = ref;
            documentRef.kind = ObjectRef::Kind::Document;
            return Value(documentRef);
        }
    }
    if (name == u"name" && ref.kind == ObjectRef::Kind::Document) {
        return Value(document(ref).name);
    }
    if (name == u"variants" || name == u"selected variants") {
        const Document& doc = document(ref, name);
        List list;
        if (name == u"variants") {
            for (const Variant& each : doc.variants) {
                list.push_back(Value(variantRef(ref, each.id)));
            }
        } else {
            for (const QString& id : doc.selection) {
                list.push_back(Value(variantRef(ref, id)));
            }
        }
        return Value::list(std::move(list));
    }
    if (name == u"primary variant") {
        const Document& doc = document(ref, name);
        if (doc.primary.isEmpty()) {
            throw appError(ref, kCantGetObject.arg(kNoPrimary), errnum::kCantGet);
        }
        return Value(variantRef(ref, doc.primary));
    }
    throw appError(ref, kCantGet.arg(name, sourceText(Value(ref))), errnum::kCantGet);
}

Value SimulatedApplication::variantProperty(const ObjectRef& ref, const QString& name) {
    Variant& found = variant(ref);
    if (name == u"id") {
        return Value(found.id);
    }
    if (name == u"name") {
        return Value(found.name);
    }
    if (name == u"file") {
        return Value(FileRef{found.path});
    }
    if (name == u"rating") {
        return Value(found.rating);
    }
    if (name == u"color tag") {
        return Value(found.colorTag);
    }
    if (name == u"pick") {
        return Value(found.pick);
    }
    if (name == u"orientation") {
        return property(ObjectRef{ObjectRef::Kind::Adjustments, ref.applicationName, ref.variantId, 0}, name);
    }
    if (name == u"crop aspect ratio") {
        return Value(found.cropAspectRatio);
    }
    if (name == u"crop orientation") {
        return Value(Enumerator{found.cropOrientation});
    }
    if (name == u"crop") {
        return Value::list(
            {Value(found.crop.left), Value(found.crop.top), Value(found.crop.width), Value(found.crop.height)});
    }
    if (name == u"adjustments") {
        return Value(ObjectRef{ObjectRef::Kind::Adjustments, ref.applicationName, ref.variantId, 0});
    }
    if (name == u"current layer") {
        return Value(
            ObjectRef{ObjectRef::Kind::Layer, ref.applicationName, ref.variantId, found.currentLayerId});
    }
    if (name == u"layers") {
        List list;
        for (const Layer& each : found.layers) {
            list.push_back(
                Value(ObjectRef{ObjectRef::Kind::Layer, ref.applicationName, ref.variantId, each.id}));
        }
        return Value::list(std::move(list));
    }
    throw appError(ref, kCantGet.arg(name, sourceText(Value(ref))), errnum::kCantGet);
}

void SimulatedApplication::setProperty(const ObjectRef& object, const QString& name, const Value& value) {
    switch (object.kind) {
    case ObjectRef::Kind::Variant:
        setVariantProperty(object, name, value);
        return;
    case ObjectRef::Kind::Adjustments:
        setAdjustment(object, name, value);
        return;
    case ObjectRef::Kind::Layer:
        setLayerProperty(object, name, value);
        return;
    case ObjectRef::Kind::HostApplication:
        throw ScriptError{kCantSet.arg(name, sourceText(Value(object)), sourceText(value)), errnum::kCantSet};
    default:
        break;
    }
    if (object.kind == ObjectRef::Kind::Document) {
        document(object);
    }
    throw appError(object, kCantSet.arg(name, sourceText(Value(object)), sourceText(value)), errnum::kCantSet);
}

void SimulatedApplication::setVariantProperty(const ObjectRef& ref, const QString& name, const Value& value) {
    Variant& target = variant(ref);
    if (name == u"rating") {
        target.rating =
            integerArgument(ref, name, value, 0, kMaxRating, QStringLiteral("a whole number from 0 to 5"));
        return;
    }
    if (name == u"color tag") {
        target.colorTag =
            integerArgument(ref, name, value, 0, kMaxColorTag, QStringLiteral("a whole number from 0 to 7"));
        return;
    }
    if (name == u"pick") {
        target.pick = booleanArgument(ref, value);
        return;
    }
    if (name == u"orientation") {
        setAdjustment(ObjectRef{ObjectRef::Kind::Adjustments, ref.applicationName, ref.variantId, 0}, name,
                      value);
        return;
    }
    if (name == u"crop aspect ratio") {
        const QString text = textArgument(ref, value);
        const double ratio = aspectRatioOf(text, target);
        if (ratio < 0) {
            throw appError(ref, kBadAspect.arg(quotedText(text)), errnum::kCantSet);
        }
        target.cropAspectRatio = text;
        if (ratio > 0) {
            target.cropOrientation = orientationOf(ratio, target.cropOrientation);
            target.crop = fitInside(target.crop, ratio);
        }
        return;
    }
    if (name == u"crop orientation") {
        const QString orientation = enumeratorArgument(ref, name, value, kCropOrientations);
        const double ratio = aspectRatioOf(target.cropAspectRatio, target);
        const bool square = ratio > 0 && std::fabs(ratio - 1) < 1e-9;
        if (square && orientation != u"square") {
            throw appError(ref, kSquareOnly.arg(orientation), errnum::kBadState);
        }
        if (!square && ratio > 0 && orientation == u"square") {
            throw appError(ref, kNotSquare.arg(target.cropAspectRatio), errnum::kBadState);
        }
        target.cropOrientation = orientation;
        if (ratio > 0) {
            target.crop = fitInside(fullFrame(target), orientedRatio(ratio, orientation));
        } else if (orientation == u"square") {
            target.crop = fitInside(target.crop, 1);
        }
        return;
    }
    // Read-only properties and unknown ones are refused alike.
    throw appError(ref, kCantSet.arg(name, sourceText(Value(ref)), sourceText(value)), errnum::kCantSet);
}

void SimulatedApplication::setAdjustment(const ObjectRef& ref, const QString& name, const Value& value) {
    Variant& target = variant(ref);
    const auto index = adjustments::indexOf(name);
    if (!index) {
        throw appError(ref, kCantSet.arg(name, sourceText(Value(ref)), sourceText(value)), errnum::kCantSet);
    }
    const AdjustmentProperty& row = adjustments::table()[size_t(*index)];
    const QString description = adjustments::rangeDescription(row);
    QJsonValue stored;
    switch (row.kind) {
    case ValueKind::Real:
        stored = realArgument(ref, name, value, row.minimum, row.maximum, description);
        break;
    case ValueKind::Integer: {
        const qint64 number =
            integerArgument(ref, name, value, qint64(row.minimum), qint64(row.maximum), description);
        if (!row.allowed.isEmpty() && !row.allowed.contains(int(number))) {
            throw appError(ref, kOutOfRange.arg(name, sourceText(value), description), errnum::kCantSet);
        }
        stored = double(number);
        break;
    }
    case ValueKind::Boolean:
        stored = booleanArgument(ref, value);
        break;
    case ValueKind::Text:
        stored = textArgument(ref, value);
        break;
    case ValueKind::Enumeration:
        stored = enumeratorArgument(ref, name, value, row.options);
        break;
    }
    target.adjustments[size_t(*index)] = stored;
}

void SimulatedApplication::setLayerProperty(const ObjectRef& ref, const QString& name, const Value& value) {
    Layer& target = layer(ref);
    if (name == u"name" || name == u"opacity" || name == u"enabled") {
        if (target.background) {
            throw appError(ref, kBackgroundFixed.arg(name), errnum::kBadState);
        }
    }
    if (name == u"name") {
        target.name = textArgument(ref, value);
        return;
    }
    if (name == u"opacity") {
        target.opacity =
            integerArgument(ref, name, value, 0, kMaxOpacity, QStringLiteral("a whole number from 0 to 100"));
        return;
    }
    if (name == u"enabled") {
        target.enabled = booleanArgument(ref, value);
        return;
    }
    throw appError(ref, kCantSet.arg(name, sourceText(Value(ref)), sourceText(value)), errnum::kCantSet);
}

Variant& SimulatedApplication::variantArgument(const ObjectRef& target, const std::optional<Value>& value,
                                               const QString& command) {
    if (value) {
        if (!value->is<ObjectRef>() || value->as<ObjectRef>().kind != ObjectRef::Kind::Variant) {
            throw appError(target, kCantMake.arg(sourceText(*value), QStringLiteral("variant")),
                           errnum::kCantMake);
        }
        return variant(value->as<ObjectRef>());
    }
    if (target.kind != ObjectRef::Kind::Variant) {
        throw appError(target, kNotUnderstood.arg(sourceText(Value(target)), command), errnum::kNotUnderstood);
    }
    return variant(target);
}

Layer& SimulatedApplication::layerArgument(const ObjectRef& target, const std::optional<Value>& value,
                                           const QString& command) {
    if (value) {
        if (!value->is<ObjectRef>() || value->as<ObjectRef>().kind != ObjectRef::Kind::Layer) {
            throw appError(target, kCantMake.arg(sourceText(*value), QStringLiteral("layer")),
                           errnum::kCantMake);
        }
        return layer(value->as<ObjectRef>());
    }
    if (target.kind != ObjectRef::Kind::Layer) {
        throw appError(target, kNotUnderstood.arg(sourceText(Value(target)), command), errnum::kNotUnderstood);
    }
    return layer(target);
}

Value SimulatedApplication::command(const ObjectRef& target, const QString& name,
                                    const std::optional<Value>& direct, const CommandParameters& parameters) {
    if (target.kind == ObjectRef::Kind::HostApplication) {
        if (name == u"activate" && !direct) {
            return Value(); // Orbix bringing itself forward: nothing to simulate
        }
        throw ScriptError{kNotUnderstood.arg(kOrbixName, name), errnum::kNotUnderstood};
    }
    if (name == u"activate") {
        catalog().running = true;
        return Value();
    }
    if (name == u"make") {
        return makeLayer(target, parameters);
    }
    if (name == u"import") {
        importPhotos(target, direct, parameters);
        return Value();
    }
    if (name.endsWith(QStringLiteral(" mask")) || name == u"clear luma range") {
        maskCommand(layerArgument(target, direct, name), name, parameters, target);
        return Value();
    }
    if (name == u"apply style") {
        if (!direct) {
            throw appError(target, kCantMake.arg(QStringLiteral("missing value"), QStringLiteral("text")),
                           errnum::kCantMake);
        }
        const QString styleName = textArgument(target, *direct);
        const Value* to = parameter(parameters, QStringLiteral("to"));
        Variant& variant = variantArgument(target, to ? std::optional<Value>(*to) : std::nullopt, name);
        for (const Style& style : catalog().styles) {
            if (style.name.compare(styleName, Qt::CaseInsensitive) == 0) {
                for (const auto& [index, value] : style.adjustments) {
                    variant.adjustments[size_t(index)] = value;
                }
                return Value();
            }
        }
        throw appError(target, kNoStyle.arg(quotedText(styleName)), errnum::kCantGet);
    }

    Variant& subject = variantArgument(target, direct, name);
    const auto orientationIndex = size_t(*adjustments::indexOf(QStringLiteral("orientation")));
    if (name == u"process") {
        document(target).queue.push_back({subject.id, subject.name, subject.path});
        return Value();
    }
    if (name == u"autoadjust") {
        for (const auto& [property, value] : kAutoAdjustments) {
            subject.adjustments[size_t(*adjustments::indexOf(QString::fromLatin1(property)))] = value;
        }
        return Value();
    }
    if (name == u"reset adjustments") {
        const QJsonValue orientation = subject.adjustments[orientationIndex];
        subject.adjustments = defaultAdjustments();
        subject.adjustments[orientationIndex] = orientation;
        return Value();
    }
    if (name == u"copy adjustments") {
        catalog().clipboard = subject.adjustments;
        return Value();
    }
    if (name == u"apply adjustments") {
        if (!catalog().clipboard) {
            throw appError(target, kEmptyClipboard, errnum::kBadState);
        }
        const QJsonValue orientation = subject.adjustments[orientationIndex];
        subject.adjustments = *catalog().clipboard;
        subject.adjustments[orientationIndex] = orientation;
        return Value();
    }
    if (name == u"rotate left" || name == u"rotate right") {
        const int turn = name == u"rotate left" ? 270 : 90;
        const int current = int(subject.adjustments[orientationIndex].toDouble());
        subject.adjustments[orientationIndex] = double((current + turn) % 360);
        return Value();
    }
    if (name == u"maximum crop") {
        const double ratio = aspectRatioOf(subject.cropAspectRatio, subject);
        subject.crop = ratio > 0 ? fitInside(fullFrame(subject), orientedRatio(ratio, subject.cropOrientation))
                                 : fullFrame(subject);
        return Value();
    }
    if (name == u"clone variant") {
        Document& doc = document(target);
        Catalog& state = catalog();
        Variant copy = subject;
        copy.id = QString::number(state.nextVariantId++);
        for (Layer& each : copy.layers) {
            const qint64 newId = state.nextLayerId++;
            if (copy.currentLayerId == each.id) {
                copy.currentLayerId = newId;
            }
            each.id = newId;
        }
        const QString sourceId = subject.id; // `subject` dangles once the vector grows
        auto position = std::find_if(doc.variants.begin(), doc.variants.end(),
                                     [&](const Variant& each) { return each.id == sourceId; });
        const QString cloneId = copy.id;
        doc.variants.insert(position + 1, std::move(copy));
        return Value(variantRef(target, cloneId));
    }
    throw appError(target, kNotUnderstood.arg(sourceText(Value(target)), name), errnum::kNotUnderstood);
}

Value SimulatedApplication::makeLayer(const ObjectRef& target, const CommandParameters& parameters) {
    const Value* kind = parameter(parameters, QStringLiteral("new"));
    const Value* at = parameter(parameters, QStringLiteral("at"));
    const Value* properties = parameter(parameters, QStringLiteral("with properties"));
    const QString className = kind && kind->is<Enumerator>() ? kind->as<Enumerator>().name : QString();
    if (className != u"layer") {
        throw appError(target, kOnlyLayers.arg(className), errnum::kNotUnderstood);
    }
    Variant& owner =
        variantArgument(target, at ? std::optional<Value>(*at) : std::nullopt, QStringLiteral("make"));
    const ObjectRef ownerRef = variantRef(target, owner.id);

    Layer created;
    created.name = QStringLiteral("Layer %1").arg(owner.layers.size());
    if (properties) {
        if (!properties->is<std::shared_ptr<Record>>()) {
            throw appError(target, kCantMake.arg(sourceText(*properties), QStringLiteral("record")),
                           errnum::kCantMake);
        }
        for (const auto& [label, value] : properties->record()) {
            if (label == u"name") {
                created.name = textArgument(target, value);
            } else if (label == u"opacity") {
                created.opacity = integerArgument(target, label, value, 0, kMaxOpacity,
                                                  QStringLiteral("a whole number from 0 to 100"));
            } else if (label == u"enabled") {
                created.enabled = booleanArgument(target, value);
            } else {
                throw appError(target, kNewLayerProperty.arg(label), errnum::kCantSet);
            }
        }
    }
    created.id = catalog().nextLayerId++;
    owner.layers.push_back(created);
    owner.currentLayerId = created.id;
    return Value(ObjectRef{ObjectRef::Kind::Layer, ownerRef.applicationName, owner.id, created.id});
}

void SimulatedApplication::importPhotos(const ObjectRef& target, const std::optional<Value>& direct,
                                        const CommandParameters& parameters) {
    const Value* into = parameter(parameters, QStringLiteral("into"));
    if (into && !(into->is<ObjectRef>() && into->as<ObjectRef>().kind == ObjectRef::Kind::Document)) {
        throw appError(target, kCantMake.arg(sourceText(*into), QStringLiteral("document")), errnum::kCantMake);
    }
    document(target); // importing needs an open document
    QString path;
    if (direct && direct->is<FileRef>()) {
        path = direct->as<FileRef>().path;
    } else if (direct && direct->is<QString>()) {
        path = direct->as<QString>();
    } else {
        throw appError(target,
                       kCantMake.arg(direct ? sourceText(*direct) : QStringLiteral("missing value"),
                                     QStringLiteral("file")),
                       errnum::kCantMake);
    }
    const QFileInfo info(path);
    QStringList files;
    if (info.isDir()) {
        files = photos::photosIn(path);
    } else if (photos::isRegularFile(path)) {
        if (!photos::isSupportedPhoto(path)) {
            throw appError(target, kNotAPhoto.arg(path), errnum::kBadState);
        }
        files << info.absoluteFilePath();
    } else {
        throw appError(target, kFolderNotFound.arg(path), errnum::kFileNotFound);
    }
    catalog().addPhotos(files);
}

void SimulatedApplication::maskCommand(Layer& target, const QString& name, const CommandParameters& parameters,
                                       const ObjectRef& ref) {
    if (target.background) {
        throw appError(ref, kBackgroundNoMask, errnum::kBadState);
    }
    LayerMask& mask = target.mask;
    if (name == u"fill mask") {
        mask = LayerMask{};
        mask.filled = true;
        return;
    }
    if (name == u"clear mask") {
        mask = LayerMask{};
        return;
    }
    if (name == u"invert mask") {
        mask.inverted = !mask.inverted;
        return;
    }
    if (name == u"clear luma range") {
        mask.lumaRange = false;
        return;
    }
    if (mask.isEmpty()) {
        throw appError(ref, kEmptyMask.arg(target.name), errnum::kBadState);
    }
    if (name == u"rasterize mask") {
        mask.rasterized = true;
        mask.lumaRange = false;
        return;
    }
    const Value* amount = parameter(parameters, QStringLiteral("amount"));
    const bool feather = name == u"feather mask";
    const double limit = feather ? kMaxFeather : kMaxRefine;
    const QString verb = feather ? QStringLiteral("feather") : QStringLiteral("refine");
    if (!amount) {
        throw appError(ref, kMaskAmount.arg(verb, QStringLiteral("nothing")).arg(limit), errnum::kCantMake);
    }
    if (!amount->isNumber()) {
        throw appError(ref, kCantMake.arg(sourceText(*amount), QStringLiteral("real")), errnum::kCantMake);
    }
    const double value = amount->toDouble();
    if (!(value >= 0 && value <= limit)) {
        throw appError(ref, kMaskAmount.arg(verb, sourceText(*amount)).arg(limit), errnum::kCantSet);
    }
    (feather ? mask.feather : mask.refine) = value;
}

} // namespace orbix::c1sim
