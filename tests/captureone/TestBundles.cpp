#include "TestBundles.h"

#include "captureone/CaptureOneCapabilities.h"
#include "support/TestSupport.h"

#include <plist/plist.h>

namespace orbix::test {

QString makeBundle(const QString& folder, const BundleSpec& spec) {
    const QString bundle = folder + QLatin1Char('/') + spec.fileName;
    plist_t root = plist_new_dict();
    plist_dict_set_item(root, "CFBundleIdentifier", plist_new_string(spec.identifier.toUtf8().constData()));
    if (!spec.version.isEmpty()) {
        plist_dict_set_item(root, "CFBundleShortVersionString",
                            plist_new_string(spec.version.toUtf8().constData()));
    }
    if (!spec.displayName.isEmpty()) {
        plist_dict_set_item(root, "CFBundleDisplayName",
                            plist_new_string(spec.displayName.toUtf8().constData()));
    }
    char* data = nullptr;
    uint32_t length = 0;
    if (spec.binaryPlist) {
        plist_to_bin(root, &data, &length);
    } else {
        plist_to_xml(root, &data, &length);
    }
    QByteArray bytes(data, length);
    free(data);
    plist_free(root);
    if (spec.byteOrderMark) {
        bytes.prepend("\xEF\xBB\xBF");
    }
    writeFile(bundle + QStringLiteral("/Contents/Info.plist"), bytes);

    QByteArray sdef = "<?xml version=\"1.0\"?>\n<dictionary>\n";
    for (const QString& property : spec.properties) {
        sdef += "  <property name=\"" + property.toUtf8() + "\" code=\"prop\" type=\"real\"/>\n";
    }
    for (const QString& command : spec.commands) {
        sdef += "  <command name=\"" + command.toUtf8() + "\" code=\"cmd \"/>\n";
    }
    sdef += "</dictionary>\n";
    writeFile(bundle + QStringLiteral("/Contents/Resources/CaptureOne.sdef"), sdef);
    return bundle;
}

QStringList allAdjustmentProperties() {
    QStringList properties{"crop aspect ratio", "crop orientation", "rating", "pick",
                           "color tag",         "orientation"};
    for (const auto& definition : CaptureOneCapabilities::adjustmentDefinitions()) {
        properties << definition.property;
    }
    return properties;
}

QStringList allCommands() {
    return {"autoadjust",   "reset adjustments", "clone variant",     "maximum crop", "rotate left",
            "rotate right", "copy adjustments",  "apply adjustments", "fill mask",    "clear mask",
            "invert mask",  "rasterize mask",    "clear luma range",  "feather mask", "refine mask"};
}

} // namespace orbix::test
