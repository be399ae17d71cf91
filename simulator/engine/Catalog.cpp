#include "engine/Catalog.h"

#include "engine/AdjustmentTable.h"

#include <QFileInfo>
#include <QJsonArray>
#include <charconv>
#include <cmath>
#include <cstdio>

namespace orbix::c1sim {
namespace {

const QString kFormat = QStringLiteral("orbix-c1sim-catalog");
constexpr int kVersion = 1;
const QString kSampleFolder = QStringLiteral("/Sample Photos/");
const QString kSampleDocumentName = QStringLiteral("Sample Session");
const QString kBackgroundLayerName = QStringLiteral("Background");

struct SamplePhoto {
    const char* file;
    qint64 width;
    qint64 height;
    qint64 rating;
    qint64 colorTag;
};

const SamplePhoto kSamplePhotos[] = {
    {"Harbour at Dawn.CR3", 6000, 4000, 3, 0},   {"Portrait Window Light.NEF", 4000, 6000, 4, 4},
    {"Forest Trail.ARW", 6000, 4000, 0, 0},      {"City Night.DNG", 6000, 4000, 2, 1},
    {"Studio Still Life.jpg", 5000, 5000, 5, 5},
};

std::vector<Style> sampleStyles() {
    auto style = [](const char* name, std::initializer_list<std::pair<const char*, QJsonValue>> values) {
        Style result{QString::fromUtf8(name), {}};
        for (const auto& [property, value] : values) {
            if (const auto index = adjustments::indexOf(QString::fromLatin1(property))) {
                result.adjustments.emplace_back(*index, value);
            }
        }
        return result;
    };
    return {
        style("Warm Portrait", {{"temperature", 6200.0}, {"tint", 5.0}, {"saturation", 8.0}}),
        style("Crisp Black & White", {{"black and white", true}, {"contrast", 20.0}, {"clarity amount", 15.0}}),
        style("Soft Matte", {{"contrast", -15.0}, {"level target shadow rgb", 20.0}, {"saturation", -10.0}}),
        style("Vivid Landscape", {{"saturation", 25.0}, {"clarity amount", 20.0}, {"dehaze amount", 15.0}}),
    };
}

QString baseName(const QString& path) {
    return QFileInfo(path).completeBaseName();
}

QString defaultOrientation(const Variant& variant) {
    return variant.width > variant.height   ? QStringLiteral("landscape")
           : variant.width < variant.height ? QStringLiteral("portrait")
                                            : QStringLiteral("square");
}

// A minimal JSON writer for the file form.
class JsonWriter {
public:
    QByteArray take() { return std::move(out_); }
    JsonWriter& key(const char* name) {
        separate();
        out_ += '"';
        out_ += name;
        out_ += "\":";
        pendingComma_ = false;
        return *this;
    }
    JsonWriter& key(const QString& name) {
        string(name);
        out_ += ':';
        pendingComma_ = false;
        return *this;
    }
    JsonWriter& open(char bracket) {
        separate();
        out_ += bracket;
        pendingComma_ = false;
        return *this;
    }
    JsonWriter& close(char bracket) {
        out_ += bracket;
        pendingComma_ = true;
        return *this;
    }
    JsonWriter& string(const QString& text) {
        separate();
        out_ += '"';
        const QByteArray utf8 = text.toUtf8();
        for (const char c : utf8) {
            switch (c) {
            case '"':
                out_ += "\\\"";
                break;
            case '\\':
                out_ += "\\\\";
                break;
            case '\n':
                out_ += "\\n";
                break;
            case '\r':
                out_ += "\\r";
                break;
            case '\t':
                out_ += "\\t";
                break;
            default:
                if (static_cast<unsigned char>(c) < 0x20) {
                    char escaped[8];
                    std::snprintf(escaped, sizeof escaped, "\\u%04x", unsigned(static_cast<unsigned char>(c)));
                    out_ += escaped;
                } else {
                    out_ += c;
                }
            }
        }
        out_ += '"';
        pendingComma_ = true;
        return *this;
    }
    JsonWriter& number(double value) {
        separate();
        char buffer[32];
        const auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
        out_.append(buffer, int(result.ptr - buffer));
        pendingComma_ = true;
        return *this;
    }
    JsonWriter& boolean(bool value) {
        separate();
        out_ += value ? "true" : "false";
        pendingComma_ = true;
        return *this;
    }
    JsonWriter& null() {
        separate();
        out_ += "null";
        pendingComma_ = true;
        return *this;
    }
    JsonWriter& value(const QJsonValue& value) {
        if (value.isBool()) {
            return boolean(value.toBool());
        }
        if (value.isDouble()) {
            return number(value.toDouble());
        }
        if (value.isString()) {
            return string(value.toString());
        }
        return null();
    }

private:
    void separate() {
        if (pendingComma_) {
            out_ += ',';
        }
    }
    QByteArray out_;
    bool pendingComma_ = false;
};

void writeAdjustments(JsonWriter& json, const AdjustmentValues& values) {
    const auto table = adjustments::table();
    json.open('{');
    for (size_t i = 0; i < table.size() && i < values.size(); ++i) {
        if (values[i] != table[i].defaultValue) {
            json.key(table[i].name).value(values[i]);
        }
    }
    json.close('}');
}

QJsonObject adjustmentsToJson(const AdjustmentValues& values, bool complete) {
    QJsonObject json;
    const auto table = adjustments::table();
    for (size_t i = 0; i < table.size() && i < values.size(); ++i) {
        if (complete || values[i] != table[i].defaultValue) {
            json.insert(table[i].name, values[i]);
        }
    }
    return json;
}

bool valueFitsKind(const QJsonValue& value, const AdjustmentProperty& property) {
    switch (property.kind) {
    case ValueKind::Real:
        return value.isDouble();
    case ValueKind::Integer:
        return value.isDouble() && value.toDouble() == std::trunc(value.toDouble());
    case ValueKind::Boolean:
        return value.isBool();
    case ValueKind::Text:
        return value.isString();
    case ValueKind::Enumeration:
        return value.isString() && property.options.contains(value.toString());
    }
    return false;
}

std::optional<AdjustmentValues> adjustmentsFromJson(const QJsonValue& json, QString* reason) {
    AdjustmentValues values = defaultAdjustments();
    if (json.isUndefined() || json.isNull()) {
        return values;
    }
    if (!json.isObject()) {
        *reason = QStringLiteral("adjustments must be an object");
        return std::nullopt;
    }
    const QJsonObject object = json.toObject();
    for (auto it = object.begin(); it != object.end(); ++it) {
        const auto index = adjustments::indexOf(it.key());
        if (!index) {
            *reason = QStringLiteral("unknown adjustment “%1”").arg(it.key());
            return std::nullopt;
        }
        if (!valueFitsKind(it.value(), adjustments::table()[size_t(*index)])) {
            *reason = QStringLiteral("adjustment “%1” has a value of the wrong kind").arg(it.key());
            return std::nullopt;
        }
        values[size_t(*index)] = it.value();
    }
    return values;
}

QJsonObject layerToJson(const Layer& layer) {
    QJsonObject mask{{QStringLiteral("filled"), layer.mask.filled},
                     {QStringLiteral("inverted"), layer.mask.inverted},
                     {QStringLiteral("rasterized"), layer.mask.rasterized},
                     {QStringLiteral("lumaRange"), layer.mask.lumaRange},
                     {QStringLiteral("feather"), layer.mask.feather},
                     {QStringLiteral("refine"), layer.mask.refine}};
    return {{QStringLiteral("id"), layer.id},
            {QStringLiteral("name"), layer.name},
            {QStringLiteral("opacity"), layer.opacity},
            {QStringLiteral("enabled"), layer.enabled},
            {QStringLiteral("background"), layer.background},
            {QStringLiteral("mask"), mask}};
}

Layer layerFromJson(const QJsonObject& json) {
    Layer layer;
    layer.id = json.value(QStringLiteral("id")).toInteger();
    layer.name = json.value(QStringLiteral("name")).toString();
    layer.opacity = json.value(QStringLiteral("opacity")).toInteger(100);
    layer.enabled = json.value(QStringLiteral("enabled")).toBool(true);
    layer.background = json.value(QStringLiteral("background")).toBool();
    const QJsonObject mask = json.value(QStringLiteral("mask")).toObject();
    layer.mask.filled = mask.value(QStringLiteral("filled")).toBool();
    layer.mask.inverted = mask.value(QStringLiteral("inverted")).toBool();
    layer.mask.rasterized = mask.value(QStringLiteral("rasterized")).toBool();
    layer.mask.lumaRange = mask.value(QStringLiteral("lumaRange")).toBool();
    layer.mask.feather = mask.value(QStringLiteral("feather")).toDouble();
    layer.mask.refine = mask.value(QStringLiteral("refine")).toDouble();
    return layer;
}

QJsonObject variantToJson(const Variant& variant, int position, bool complete) {
    QJsonArray layers;
    for (const Layer& layer : variant.layers) {
        layers.append(layerToJson(layer));
    }
    const auto orientationIndex = adjustments::indexOf(QStringLiteral("orientation"));
    QJsonObject json{
        {QStringLiteral("id"), variant.id},
        {QStringLiteral("position"), position},
        {QStringLiteral("name"), variant.name},
        {QStringLiteral("path"), variant.path},
        {QStringLiteral("width"), variant.width},
        {QStringLiteral("height"), variant.height},
        {QStringLiteral("rating"), variant.rating},
        {QStringLiteral("colorTag"), variant.colorTag},
        {QStringLiteral("pick"), variant.pick},
        {QStringLiteral("cropAspectRatio"), variant.cropAspectRatio},
        {QStringLiteral("cropOrientation"), variant.cropOrientation},
        {QStringLiteral("crop"),
         QJsonArray{variant.crop.left, variant.crop.top, variant.crop.width, variant.crop.height}},
        {QStringLiteral("adjustments"), adjustmentsToJson(variant.adjustments, complete)},
        {QStringLiteral("layers"), layers},
        {QStringLiteral("currentLayer"), variant.currentLayerId},
        {QStringLiteral("spotRemovals"), variant.spotRemovals},
    };
    if (complete && orientationIndex) {
        json.insert(QStringLiteral("orientation"), variant.adjustments[size_t(*orientationIndex)]);
    }
    return json;
}

std::optional<Variant> variantFromJson(const QJsonValue& value, QString* reason) {
    if (!value.isObject() || !value.toObject().value(QStringLiteral("id")).isString() ||
        !value.toObject().value(QStringLiteral("path")).isString()) {
        *reason = QStringLiteral("a variant lacks its id or path");
        return std::nullopt;
    }
    const QJsonObject json = value.toObject();
    Variant variant;
    variant.id = json.value(QStringLiteral("id")).toString();
    variant.name = json.value(QStringLiteral("name")).toString();
    variant.path = json.value(QStringLiteral("path")).toString();
    variant.width = json.value(QStringLiteral("width")).toInteger(6000);
    variant.height = json.value(QStringLiteral("height")).toInteger(4000);
    variant.rating = json.value(QStringLiteral("rating")).toInteger();
    variant.colorTag = json.value(QStringLiteral("colorTag")).toInteger();
    variant.pick = json.value(QStringLiteral("pick")).toBool();
    variant.cropAspectRatio =
        json.value(QStringLiteral("cropAspectRatio")).toString(QStringLiteral("Original"));
    variant.cropOrientation =
        json.value(QStringLiteral("cropOrientation")).toString(defaultOrientation(variant));
    const QJsonArray crop = json.value(QStringLiteral("crop")).toArray();
    if (crop.size() == 4) {
        variant.crop = {crop[0].toDouble(), crop[1].toDouble(), crop[2].toDouble(), crop[3].toDouble()};
    } else {
        variant.crop = {0, 0, double(variant.width), double(variant.height)};
    }
    const auto values = adjustmentsFromJson(json.value(QStringLiteral("adjustments")), reason);
    if (!values) {
        return std::nullopt;
    }
    variant.adjustments = *values;
    for (const QJsonValue& layer : json.value(QStringLiteral("layers")).toArray()) {
        variant.layers.push_back(layerFromJson(layer.toObject()));
    }
    if (variant.layers.empty()) {
        *reason = QStringLiteral("variant %1 has no layers").arg(variant.id);
        return std::nullopt;
    }
    variant.currentLayerId = json.value(QStringLiteral("currentLayer")).toInteger(variant.layers.front().id);
    if (!variant.layer(variant.currentLayerId)) {
        variant.currentLayerId = variant.layers.front().id;
    }
    variant.spotRemovals = std::max<qint64>(0, json.value(QStringLiteral("spotRemovals")).toInteger());
    return variant;
}

QJsonArray stringArray(const std::vector<QString>& strings) {
    QJsonArray array;
    for (const QString& text : strings) {
        array.append(text);
    }
    return array;
}

} // namespace

AdjustmentValues defaultAdjustments() {
    return AdjustmentValues();
}

size_t AdjustmentValues::size() const {
    return adjustments::table().size();
}

const QJsonValue& AdjustmentValues::operator[](size_t index) const {
    const auto found = std::lower_bound(slots_.begin(), slots_.end(), index,
                                        [](const auto& slot, size_t wanted) { return slot.first < wanted; });
    if (found != slots_.end() && found->first == index) {
        return found->second;
    }
    return adjustments::table()[index].defaultValue;
}

QJsonValue& AdjustmentValues::operator[](size_t index) {
    auto found = std::lower_bound(slots_.begin(), slots_.end(), index,
                                  [](const auto& slot, size_t wanted) { return slot.first < wanted; });
    if (found == slots_.end() || found->first != index) {
        found = slots_.insert(found, {index, adjustments::table()[index].defaultValue});
    }
    return found->second;
}

bool AdjustmentValues::operator==(const AdjustmentValues& other) const {
    for (size_t i = 0; i < size(); ++i) {
        if ((*this)[i] != other[i]) {
            return false;
        }
    }
    return true;
}

Layer* Variant::layer(qint64 id) {
    for (Layer& candidate : layers) {
        if (candidate.id == id) {
            return &candidate;
        }
    }
    return nullptr;
}

Variant* Document::variant(const QString& id) {
    auto lookup = [&]() -> Variant* {
        const auto found = index_.constFind(id);
        if (found != index_.constEnd() && *found < variants.size() && variants[*found].id == id) {
            return &variants[*found];
        }
        return nullptr;
    };
    if (Variant* hit = lookup()) {
        return hit;
    }
    if (index_.size() == qsizetype(variants.size()) && !index_.contains(id)) {
        // The index may still be current: only a full rebuild can tell a missing id from a stale index.
        bool current = true;
        for (size_t i = 0; i < variants.size() && current; ++i) {
            current = index_.value(variants[i].id, variants.size()) == i;
        }
        if (current) {
            return nullptr;
        }
    }
    index_.clear();
    for (size_t i = 0; i < variants.size(); ++i) {
        index_.insert(variants[i].id, i);
    }
    return lookup();
}

Variant Catalog::makeVariant(const QString& path, qint64 width, qint64 height) {
    Variant variant;
    variant.id = QString::number(nextVariantId++);
    variant.name = baseName(path);
    variant.path = path;
    variant.width = width;
    variant.height = height;
    variant.cropOrientation = width > height   ? QStringLiteral("landscape")
                              : width < height ? QStringLiteral("portrait")
                                               : QStringLiteral("square");
    variant.crop = {0, 0, double(width), double(height)};
    variant.adjustments = defaultAdjustments();
    Layer background;
    background.id = nextLayerId++;
    background.name = kBackgroundLayerName;
    background.background = true;
    variant.layers.push_back(background);
    variant.currentLayerId = background.id;
    return variant;
}

int Catalog::addPhotos(const QStringList& paths) {
    int added = 0;
    for (const QString& path : paths) {
        bool present = false;
        for (const Variant& variant : document->variants) {
            present = present || variant.path == path;
        }
        if (present) {
            continue;
        }
        document->variants.push_back(makeVariant(path));
        ++added;
    }
    return added;
}

Catalog Catalog::sample() {
    Catalog catalog;
    catalog.styles = sampleStyles();
    catalog.document.emplace();
    catalog.document->name = kSampleDocumentName;
    for (const SamplePhoto& photo : kSamplePhotos) {
        Variant variant =
            catalog.makeVariant(kSampleFolder + QString::fromUtf8(photo.file), photo.width, photo.height);
        variant.rating = photo.rating;
        variant.colorTag = photo.colorTag;
        catalog.document->variants.push_back(std::move(variant));
    }
    catalog.document->selection = {catalog.document->variants.front().id};
    catalog.document->primary = catalog.document->variants.front().id;
    return catalog;
}

Catalog Catalog::withVariants(int count) {
    Catalog catalog;
    catalog.styles = sampleStyles();
    catalog.document.emplace();
    catalog.document->name = kSampleDocumentName;
    catalog.document->variants.reserve(size_t(std::max(count, 0)));
    for (int i = 1; i <= count; ++i) {
        catalog.document->variants.push_back(
            catalog.makeVariant(kSampleFolder + QStringLiteral("IMG_%1.CR3").arg(i, 4, 10, QLatin1Char('0'))));
    }
    if (count > 0) {
        catalog.document->selection = {catalog.document->variants.front().id};
        catalog.document->primary = catalog.document->variants.front().id;
    }
    return catalog;
}

Catalog Catalog::withPhotos(const QStringList& paths) {
    Catalog catalog = withVariants(0);
    catalog.document->name =
        QFileInfo(paths.isEmpty() ? QString() : QFileInfo(paths.first()).path()).fileName();
    if (catalog.document->name.isEmpty()) {
        catalog.document->name = kSampleDocumentName;
    }
    catalog.addPhotos(paths);
    if (!catalog.document->variants.empty()) {
        catalog.document->selection = {catalog.document->variants.front().id};
        catalog.document->primary = catalog.document->variants.front().id;
    }
    return catalog;
}

QJsonObject Catalog::toJson(bool complete) const {
    QJsonArray styleArray;
    for (const Style& style : styles) {
        QJsonObject values;
        for (const auto& [index, value] : style.adjustments) {
            values.insert(adjustments::table()[size_t(index)].name, value);
        }
        styleArray.append(
            QJsonObject{{QStringLiteral("name"), style.name}, {QStringLiteral("adjustments"), values}});
    }
    QJsonObject json{
        {QStringLiteral("format"), kFormat},
        {QStringLiteral("version"), kVersion},
        {QStringLiteral("application"), QJsonObject{{QStringLiteral("running"), running},
                                                    {QStringLiteral("lastAddressedName"), lastAddressedName},
                                                    {QStringLiteral("scriptsRun"), scriptsRun}}},
        {QStringLiteral("nextVariantId"), nextVariantId},
        {QStringLiteral("nextLayerId"), nextLayerId},
        {QStringLiteral("styles"), styleArray},
        {QStringLiteral("clipboard"),
         clipboard ? QJsonValue(adjustmentsToJson(*clipboard, complete)) : QJsonValue()},
    };
    if (!document) {
        json.insert(QStringLiteral("document"), QJsonValue());
        return json;
    }
    QJsonArray variants;
    int position = 0;
    for (const Variant& variant : document->variants) {
        variants.append(variantToJson(variant, ++position, complete));
    }
    QJsonArray queue;
    for (const QueueEntry& entry : document->queue) {
        queue.append(QJsonObject{{QStringLiteral("variant"), entry.variantId},
                                 {QStringLiteral("name"), entry.name},
                                 {QStringLiteral("path"), entry.path}});
    }
    QJsonArray exports;
    for (const ExportEntry& entry : document->exports) {
        exports.append(QJsonObject{{QStringLiteral("variant"), entry.variantId},
                                   {QStringLiteral("name"), entry.name},
                                   {QStringLiteral("file"), entry.file}});
    }
    json.insert(QStringLiteral("document"),
                QJsonObject{{QStringLiteral("name"), document->name},
                            {QStringLiteral("variants"), variants},
                            {QStringLiteral("selection"), stringArray(document->selection)},
                            {QStringLiteral("primary"),
                             document->primary.isEmpty() ? QJsonValue() : QJsonValue(document->primary)},
                            {QStringLiteral("processingQueue"), queue},
                            {QStringLiteral("beforeAfter"), document->beforeAfter},
                            {QStringLiteral("exports"), exports}});
    return json;
}

QByteArray Catalog::toCompactJson() const {
    JsonWriter json;
    json.open('{');
    json.key("format").string(kFormat).key("version").number(kVersion);
    json.key("application").open('{');
    json.key("running").boolean(running).key("lastAddressedName").string(lastAddressedName);
    json.key("scriptsRun").number(double(scriptsRun)).close('}');
    json.key("nextVariantId").number(double(nextVariantId)).key("nextLayerId").number(double(nextLayerId));
    json.key("styles").open('[');
    for (const Style& style : styles) {
        json.open('{').key("name").string(style.name).key("adjustments").open('{');
        for (const auto& [index, value] : style.adjustments) {
            json.key(adjustments::table()[size_t(index)].name).value(value);
        }
        json.close('}').close('}');
    }
    json.close(']');
    json.key("clipboard");
    if (clipboard) {
        writeAdjustments(json, *clipboard);
    } else {
        json.null();
    }
    json.key("document");
    if (!document) {
        json.null().close('}');
        return json.take();
    }
    json.open('{').key("name").string(document->name).key("variants").open('[');
    for (const Variant& variant : document->variants) {
        json.open('{')
            .key("id")
            .string(variant.id)
            .key("name")
            .string(variant.name)
            .key("path")
            .string(variant.path);
        if (variant.width != 6000 || variant.height != 4000) {
            json.key("width").number(double(variant.width)).key("height").number(double(variant.height));
        }
        if (variant.rating != 0) {
            json.key("rating").number(double(variant.rating));
        }
        if (variant.colorTag != 0) {
            json.key("colorTag").number(double(variant.colorTag));
        }
        if (variant.pick) {
            json.key("pick").boolean(true);
        }
        if (variant.cropAspectRatio != u"Original") {
            json.key("cropAspectRatio").string(variant.cropAspectRatio);
        }
        if (variant.cropOrientation != defaultOrientation(variant)) {
            json.key("cropOrientation").string(variant.cropOrientation);
        }
        if (variant.crop.left != 0 || variant.crop.top != 0 || variant.crop.width != double(variant.width) ||
            variant.crop.height != double(variant.height)) {
            json.key("crop").open('[').number(variant.crop.left).number(variant.crop.top);
            json.number(variant.crop.width).number(variant.crop.height).close(']');
        }
        json.key("adjustments");
        writeAdjustments(json, variant.adjustments);
        json.key("layers").open('[');
        for (const Layer& layer : variant.layers) {
            json.open('{').key("id").number(double(layer.id)).key("name").string(layer.name);
            if (layer.opacity != 100) {
                json.key("opacity").number(double(layer.opacity));
            }
            if (!layer.enabled) {
                json.key("enabled").boolean(false);
            }
            if (layer.background) {
                json.key("background").boolean(true);
            }
            const LayerMask& mask = layer.mask;
            if (mask.filled || mask.inverted || mask.rasterized || mask.lumaRange || mask.feather != 0 ||
                mask.refine != 0) {
                json.key("mask")
                    .open('{')
                    .key("filled")
                    .boolean(mask.filled)
                    .key("inverted")
                    .boolean(mask.inverted);
                json.key("rasterized").boolean(mask.rasterized).key("lumaRange").boolean(mask.lumaRange);
                json.key("feather").number(mask.feather).key("refine").number(mask.refine).close('}');
            }
            json.close('}');
        }
        json.close(']');
        if (variant.layers.empty() || variant.currentLayerId != variant.layers.front().id) {
            json.key("currentLayer").number(double(variant.currentLayerId));
        }
        if (variant.spotRemovals != 0) {
            json.key("spotRemovals").number(double(variant.spotRemovals));
        }
        json.close('}');
    }
    json.close(']').key("selection").open('[');
    for (const QString& id : document->selection) {
        json.string(id);
    }
    json.close(']').key("primary");
    if (document->primary.isEmpty()) {
        json.null();
    } else {
        json.string(document->primary);
    }
    json.key("processingQueue").open('[');
    for (const QueueEntry& entry : document->queue) {
        json.open('{').key("variant").string(entry.variantId).key("name").string(entry.name);
        json.key("path").string(entry.path).close('}');
    }
    json.close(']');
    if (document->beforeAfter) {
        json.key("beforeAfter").boolean(true);
    }
    if (!document->exports.empty()) {
        json.key("exports").open('[');
        for (const ExportEntry& entry : document->exports) {
            json.open('{').key("variant").string(entry.variantId).key("name").string(entry.name);
            json.key("file").string(entry.file).close('}');
        }
        json.close(']');
    }
    json.close('}').close('}');
    return json.take();
}

std::optional<Catalog> Catalog::fromJson(const QJsonObject& json, QString* reason) {
    if (json.value(QStringLiteral("format")).toString() != kFormat) {
        *reason = QStringLiteral("it is not a Capture One Simulator catalog");
        return std::nullopt;
    }
    if (json.value(QStringLiteral("version")).toInt() != kVersion) {
        *reason = QStringLiteral("its version %1 is not %2")
                      .arg(json.value(QStringLiteral("version")).toInt())
                      .arg(kVersion);
        return std::nullopt;
    }
    Catalog catalog;
    const QJsonObject application = json.value(QStringLiteral("application")).toObject();
    catalog.running = application.value(QStringLiteral("running")).toBool();
    catalog.lastAddressedName = application.value(QStringLiteral("lastAddressedName")).toString();
    catalog.scriptsRun = application.value(QStringLiteral("scriptsRun")).toInteger();
    catalog.nextVariantId = json.value(QStringLiteral("nextVariantId")).toInteger(1);
    catalog.nextLayerId = json.value(QStringLiteral("nextLayerId")).toInteger(1);
    for (const QJsonValue& value : json.value(QStringLiteral("styles")).toArray()) {
        const QJsonObject object = value.toObject();
        Style style{object.value(QStringLiteral("name")).toString(), {}};
        const auto values = adjustmentsFromJson(object.value(QStringLiteral("adjustments")), reason);
        if (!values) {
            return std::nullopt;
        }
        const QJsonObject given = object.value(QStringLiteral("adjustments")).toObject();
        for (auto it = given.begin(); it != given.end(); ++it) {
            style.adjustments.emplace_back(*adjustments::indexOf(it.key()), it.value());
        }
        catalog.styles.push_back(std::move(style));
    }
    const QJsonValue clipboard = json.value(QStringLiteral("clipboard"));
    if (clipboard.isObject()) {
        const auto values = adjustmentsFromJson(clipboard, reason);
        if (!values) {
            return std::nullopt;
        }
        catalog.clipboard = *values;
    }
    const QJsonValue documentValue = json.value(QStringLiteral("document"));
    if (documentValue.isObject()) {
        const QJsonObject object = documentValue.toObject();
        Document document;
        document.name = object.value(QStringLiteral("name")).toString();
        for (const QJsonValue& value : object.value(QStringLiteral("variants")).toArray()) {
            auto variant = variantFromJson(value, reason);
            if (!variant) {
                return std::nullopt;
            }
            document.variants.push_back(std::move(*variant));
        }
        for (const QJsonValue& value : object.value(QStringLiteral("selection")).toArray()) {
            if (document.variant(value.toString())) {
                document.selection.push_back(value.toString());
            }
        }
        document.primary = object.value(QStringLiteral("primary")).toString();
        if (document.selection.empty() || std::find(document.selection.begin(), document.selection.end(),
                                                    document.primary) == document.selection.end()) {
            document.primary = document.selection.empty() ? QString() : document.selection.front();
        }
        for (const QJsonValue& value : object.value(QStringLiteral("processingQueue")).toArray()) {
            const QJsonObject entry = value.toObject();
            document.queue.push_back({entry.value(QStringLiteral("variant")).toString(),
                                      entry.value(QStringLiteral("name")).toString(),
                                      entry.value(QStringLiteral("path")).toString()});
        }
        document.beforeAfter = object.value(QStringLiteral("beforeAfter")).toBool();
        for (const QJsonValue& value : object.value(QStringLiteral("exports")).toArray()) {
            const QJsonObject entry = value.toObject();
            document.exports.push_back({entry.value(QStringLiteral("variant")).toString(),
                                        entry.value(QStringLiteral("name")).toString(),
                                        entry.value(QStringLiteral("file")).toString()});
        }
        catalog.document = std::move(document);
    } else if (!documentValue.isNull()) {
        *reason = QStringLiteral("the document entry is missing");
        return std::nullopt;
    }
    return catalog;
}

} // namespace orbix::c1sim
