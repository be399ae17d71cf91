#include "engine/Terminology.h"

#include "engine/AdjustmentTable.h"

#include <QXmlStreamWriter>

namespace orbix::c1sim::terminology {
namespace {

const QString kVariant = QStringLiteral("variant");
const QString kLayer = QStringLiteral("layer");

std::vector<CommandSpec> buildCommands() {
    auto variantCommand = [](const char* name, const char* description) {
        return CommandSpec{QString::fromLatin1(name), kVariant, {}, QString::fromLatin1(description)};
    };
    auto layerCommand = [](const char* name, const char* description) {
        return CommandSpec{QString::fromLatin1(name), kLayer, {}, QString::fromLatin1(description)};
    };
    std::vector<CommandSpec> list;
    list.push_back({QStringLiteral("activate"), {}, {}, QStringLiteral("Mark the application as running.")});
    list.push_back(variantCommand("process", "Add the variant to the processing queue. No file is written."));
    list.push_back(variantCommand("autoadjust", "Apply automatic exposure, contrast and levels."));
    list.push_back(variantCommand("reset adjustments", "Return every adjustment except orientation to its "
                                                       "default."));
    list.push_back(variantCommand("copy adjustments", "Copy the variant's adjustments to the clipboard."));
    list.push_back(
        variantCommand("apply adjustments", "Apply the adjustments on the clipboard to the variant."));
    list.push_back({QStringLiteral("apply style"),
                    QStringLiteral("text"),
                    {{QStringLiteral("to"), kVariant}},
                    QStringLiteral("Apply an installed style, named by the direct parameter.")});
    list.push_back(variantCommand("rotate left", "Rotate the variant 90 degrees counter-clockwise."));
    list.push_back(variantCommand("rotate right", "Rotate the variant 90 degrees clockwise."));
    list.push_back(variantCommand("clone variant", "Add a copy of the variant after it; returns the copy."));
    list.push_back(variantCommand("maximum crop", "Enlarge the crop to the largest one of its aspect ratio."));
    list.push_back({QStringLiteral("make"),
                    {},
                    {{QStringLiteral("new"), QStringLiteral("type")},
                     {QStringLiteral("with properties"), QStringLiteral("record")},
                     {QStringLiteral("at"), QStringLiteral("specifier")}},
                    QStringLiteral("Make a new layer on the variant addressed by the tell block.")});
    list.push_back(layerCommand("fill mask", "Fill the layer's mask."));
    list.push_back(layerCommand("clear mask", "Clear the layer's mask."));
    list.push_back(layerCommand("invert mask", "Invert the layer's mask."));
    list.push_back(layerCommand("rasterize mask", "Rasterize the layer's mask."));
    list.push_back(layerCommand("clear luma range", "Remove the luma range from the layer's mask."));
    list.push_back({QStringLiteral("feather mask"),
                    kLayer,
                    {{QStringLiteral("amount"), QStringLiteral("real")}},
                    QStringLiteral("Feather the layer's mask, 0 to 100.")});
    list.push_back({QStringLiteral("refine mask"),
                    kLayer,
                    {{QStringLiteral("amount"), QStringLiteral("real")}},
                    QStringLiteral("Refine the layer's mask edge, 0 to 300.")});
    list.push_back({QStringLiteral("import"),
                    QStringLiteral("file"),
                    {{QStringLiteral("into"), QStringLiteral("document")}},
                    QStringLiteral("Add one variant per supported photo directly inside the folder.")});
    return list;
}

PropertySpec property(const char* name, const char* type, bool readOnly, const char* description) {
    return {QString::fromLatin1(name), QString::fromLatin1(type), readOnly, QString::fromLatin1(description)};
}

std::vector<ClassSpec> buildClasses() {
    std::vector<ClassSpec> list;
    list.push_back({QStringLiteral("application"),
                    QStringLiteral("The Capture One Simulator."),
                    {property("name", "text", true, "The name the application was addressed by."),
                     property("version", "text", true, "The simulator's version."),
                     property("current document", "document", true, "The open document."),
                     property("selected variants", "list of variant", true, "The selection of the document."),
                     property("primary variant", "variant", true, "The primary variant of the selection."),
                     property("styles", "list of text", true, "The names of the installed styles.")}});
    list.push_back({QStringLiteral("document"),
                    QStringLiteral("A catalog or session."),
                    {property("name", "text", true, "The document's name."),
                     property("variants", "list of variant", true, "Every variant, in document order."),
                     property("selected variants", "list of variant", true, "The selected variants."),
                     property("primary variant", "variant", true, "The primary variant.")}});
    list.push_back(
        {QStringLiteral("variant"),
         QStringLiteral("One version of an image."),
         {property("id", "text", true, "The unique identifier."),
          property("name", "text", true, "The image's file name without its extension."),
          property("file", "file", true, "The image file."),
          property("rating", "integer", false, "Star rating, 0 to 5."),
          property("color tag", "integer", false, "Colour tag, 0 (none) to 7."),
          property("pick", "boolean", false, "The pick flag."),
          property("orientation", "integer", false, "Rotation in degrees: 0, 90, 180 or 270."),
          property("crop aspect ratio", "text", false, "W:H with positive numbers, Original or Unconstrained."),
          property("crop orientation", "crop orientation values", false, "landscape, portrait or square."),
          property("crop", "list of real", true, "The crop rectangle {left, top, width, height}."),
          property("adjustments", "adjustments", true, "The variant's adjustments."),
          property("current layer", "layer", true, "The layer that edits go to."),
          property("layers", "list of layer", true, "The background layer and adjustment layers.")}});
    list.push_back({QStringLiteral("layer"),
                    QStringLiteral("A layer of a variant."),
                    {property("id", "integer", true, "The unique identifier."),
                     property("name", "text", false, "The layer's name (not for the background layer)."),
                     property("opacity", "integer", false, "Opacity in percent, 0 to 100."),
                     property("enabled", "boolean", false, "Whether the layer is shown.")}});
    ClassSpec adjustmentClass{
        QStringLiteral("adjustments"), QStringLiteral("The adjustments of a variant."), {}};
    for (const AdjustmentProperty& row : adjustments::table()) {
        const QString type = row.kind == ValueKind::Enumeration ? row.name + QStringLiteral(" values")
                                                                : adjustments::kindName(row.kind);
        adjustmentClass.properties.push_back({row.name, type, false, adjustments::rangeDescription(row)});
    }
    list.push_back(adjustmentClass);
    return list;
}

QStringList buildEnumerators() {
    QStringList list{QStringLiteral("landscape"), QStringLiteral("portrait"), QStringLiteral("square")};
    for (const AdjustmentProperty& row : adjustments::table()) {
        for (const QString& option : row.options) {
            if (!list.contains(option)) {
                list << option;
            }
        }
    }
    return list;
}

// A four-character code: the suite prefix and a running number.
QString code(char prefix, int number) {
    return QLatin1Char(prefix) + QString::number(number, 36).rightJustified(3, QLatin1Char('0'));
}

} // namespace

const std::vector<CommandSpec>& commands() {
    static const std::vector<CommandSpec> list = buildCommands();
    return list;
}

const std::vector<ClassSpec>& classes() {
    static const std::vector<ClassSpec> list = buildClasses();
    return list;
}

const QStringList& enumerators() {
    static const QStringList list = buildEnumerators();
    return list;
}

QString scriptingDictionary() {
    QString xml;
    QXmlStreamWriter writer(&xml);
    writer.setAutoFormatting(true);
    writer.setAutoFormattingIndent(2);
    writer.writeStartDocument();
    writer.writeDTD(
        QStringLiteral("<!DOCTYPE dictionary SYSTEM \"file://localhost/System/Library/DTDs/sdef.dtd\">"));
    writer.writeStartElement(QStringLiteral("dictionary"));
    writer.writeAttribute(QStringLiteral("title"), QStringLiteral("Capture One Simulator Terminology"));
    writer.writeStartElement(QStringLiteral("suite"));
    writer.writeAttribute(QStringLiteral("name"), QStringLiteral("Capture One Simulator Suite"));
    writer.writeAttribute(QStringLiteral("code"), QStringLiteral("CsIm"));
    writer.writeAttribute(QStringLiteral("description"),
                          QStringLiteral("The terms that the Capture One Simulator implements."));

    int number = 0;
    for (const CommandSpec& command : commands()) {
        writer.writeStartElement(QStringLiteral("command"));
        writer.writeAttribute(QStringLiteral("name"), command.name);
        writer.writeAttribute(QStringLiteral("code"), QStringLiteral("CsIm") + code('c', ++number));
        writer.writeAttribute(QStringLiteral("description"), command.description);
        if (!command.directType.isEmpty()) {
            writer.writeEmptyElement(QStringLiteral("direct-parameter"));
            writer.writeAttribute(QStringLiteral("type"), command.directType);
        }
        for (const ParameterSpec& parameter : command.parameters) {
            writer.writeEmptyElement(QStringLiteral("parameter"));
            writer.writeAttribute(QStringLiteral("name"), parameter.label);
            writer.writeAttribute(QStringLiteral("code"), code('p', ++number));
            writer.writeAttribute(QStringLiteral("type"), parameter.type);
        }
        writer.writeEndElement();
    }

    for (const ClassSpec& cls : classes()) {
        writer.writeStartElement(QStringLiteral("class"));
        writer.writeAttribute(QStringLiteral("name"), cls.name);
        writer.writeAttribute(QStringLiteral("code"), code('k', ++number));
        writer.writeAttribute(QStringLiteral("description"), cls.description);
        for (const PropertySpec& prop : cls.properties) {
            writer.writeEmptyElement(QStringLiteral("property"));
            writer.writeAttribute(QStringLiteral("name"), prop.name);
            writer.writeAttribute(QStringLiteral("code"), code('a', ++number));
            writer.writeAttribute(QStringLiteral("type"), prop.type);
            if (prop.readOnly) {
                writer.writeAttribute(QStringLiteral("access"), QStringLiteral("r"));
            }
            writer.writeAttribute(QStringLiteral("description"), prop.description);
        }
        writer.writeEndElement();
    }

    auto writeEnumeration = [&](const QString& name, const QStringList& values) {
        writer.writeStartElement(QStringLiteral("enumeration"));
        writer.writeAttribute(QStringLiteral("name"), name);
        writer.writeAttribute(QStringLiteral("code"), code('e', ++number));
        for (const QString& value : values) {
            writer.writeEmptyElement(QStringLiteral("enumerator"));
            writer.writeAttribute(QStringLiteral("name"), value);
            writer.writeAttribute(QStringLiteral("code"), code('v', ++number));
        }
        writer.writeEndElement();
    };
    writeEnumeration(QStringLiteral("crop orientation values"),
                     {QStringLiteral("landscape"), QStringLiteral("portrait"), QStringLiteral("square")});
    for (const AdjustmentProperty& row : adjustments::table()) {
        if (row.kind == ValueKind::Enumeration) {
            writeEnumeration(row.name + QStringLiteral(" values"), row.options);
        }
    }

    writer.writeEndElement(); // suite
    writer.writeEndElement(); // dictionary
    writer.writeEndDocument();
    return xml;
}

} // namespace orbix::c1sim::terminology
