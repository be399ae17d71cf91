#include "TestBundles.h"
#include "captureone/CaptureOneCapabilities.h"
#include "core/TextRules.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QSet>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;
using Tag = CaptureOneAdjustmentValueKind::Tag;

namespace {
QString propertyOf(const char* name) {
    const auto definition = CaptureOneCapabilities::adjustment(QString::fromUtf8(name));
    return definition ? definition->property : QStringLiteral("<none>");
}
QString valueOf(const char* property, const char* raw) {
    const auto definition = CaptureOneCapabilities::adjustment(QString::fromUtf8(property));
    const auto value = CaptureOneCapabilities::valueExpression(*definition, QString::fromUtf8(raw));
    return value ? *value : QStringLiteral("<invalid>");
}
} // namespace

TEST(CaptureOneCapabilities, RegistryHasSeventySixDistinctEntries) {
    const auto& registry = CaptureOneCapabilities::adjustmentDefinitions();
    ASSERT_EQ(registry.size(), 76u);
    EXPECT_EQ(registry.front().property, "orientation");
    EXPECT_EQ(registry[13].property, "exposure");
    EXPECT_EQ(registry[28].aliases, QStringList({"black & white", "b&w", "monochrome"}));
    EXPECT_EQ(registry[62].kind.options, QStringList({"elliptic on crop", "circular on crop", "circular"}));
    EXPECT_EQ(registry.back().property, "moire pattern");
    EXPECT_EQ(registry.back().kind.tag, Tag::integer);

    QSet<QString> keys;
    int names = 0;
    for (const auto& definition : registry) {
        keys.insert(orbix::text::compactKey(definition.property));
        ++names;
        for (const QString& alias : definition.aliases) {
            keys.insert(orbix::text::compactKey(alias));
            ++names;
        }
    }
    EXPECT_EQ(keys.size(), names) << "no two names collide after normalisation";
}

TEST(CaptureOneCapabilities, LookupNormalisesNamesAndNeverGuesses) {
    const std::vector<std::pair<const char*, const char*>> cases{
        {"Exposure", "exposure"},
        {" exposure ", "exposure"},
        {"EXPOSURE", "exposure"},
        {"expo-sure", "exposure"},
        {"expo", "<none>"},
        {"B&W", "black and white"},
        {"black & white", "black and white"},
        {"black and white red", "<none>"},
        {"b&w red", "black and white red sensitivity"},
        {"highlight", "highlight adjustment"},
        {"shadow", "shadow recovery"},
        {"Vignette Method", "vignetting method"},
        {"", "<none>"},
    };
    for (const auto& [name, expected] : cases) {
        EXPECT_EQ(propertyOf(name), expected) << name;
    }
}

TEST(CaptureOneCapabilities, ValueExpressionsFollowTheKind) {
    const std::vector<std::tuple<const char*, const char*, const char*>> cases{
        {"exposure", "10", "10.0"},
        {"exposure", "+10", "10.0"},
        {"exposure", "1e2", "100.0"},
        {"exposure", "-0.5", "-0.5"},
        {"exposure", " 0.25 \n", "0.25"},
        {"exposure", "10%", "<invalid>"},
        {"exposure", "", "<invalid>"},
        {"exposure", "inf", "<invalid>"},
        {"exposure", "nan", "<invalid>"},
        {"orientation", "30.0", "30"},
        {"orientation", "30.5", "<invalid>"},
        {"orientation", "1e30", "<invalid>"},
        {"orientation", "-9223372036854775808", "-9223372036854775808"},
        {"black and white", "On", "true"},
        {"black and white", "ENABLED", "true"},
        {"black and white", "0", "false"},
        {"black and white", "maybe", "<invalid>"},
        {"film curve", "", "\"\""},
        {"film curve", "C:\\curve \"x\"", "\"C:\\\\curve \\\"x\\\"\""},
        {"vignetting method", "Elliptic on Crop", "elliptic on crop"},
        {"vignetting method", "circular", "circular"},
        {"film grain type", "Silver-Rich", "silver rich"},
        {"film grain type", "grainy", "<invalid>"},
    };
    for (const auto& [property, raw, expected] : cases) {
        EXPECT_EQ(valueOf(property, raw), expected) << property << " = " << raw;
    }
}

TEST(CaptureOneCapabilities, DictionaryProbesAreExactAndCachedOncePerApplication) {
    QTemporaryDir folder;
    const auto a = CaptureOneApplication::fromBundle(test::makeBundle(
        folder.path(), test::BundleSpec("Capture One A.app", "16.0")
                           .declaring(QStringList{"exposure", "tint"}, QStringList{"autoadjust"})));
    const auto b = CaptureOneApplication::fromBundle(
        test::makeBundle(folder.path(), test::BundleSpec("Capture One B.app", "15.0")));
    const auto missing = CaptureOneApplication::fromBundle(folder.path() + "/Capture One Gone.app");

    const int readsBefore = CaptureOneCapabilities::dictionaryReadCount();
    EXPECT_TRUE(CaptureOneCapabilities::supportsProperty("exposure", a));
    EXPECT_FALSE(CaptureOneCapabilities::supportsProperty("Exposure", a)) << "case-sensitive";
    EXPECT_FALSE(CaptureOneCapabilities::supportsProperty("expo", a))
        << "the closing quote is part of the probe";
    EXPECT_TRUE(CaptureOneCapabilities::supportsCommand("autoadjust", a));
    EXPECT_FALSE(CaptureOneCapabilities::supportsCommand("tint", a)) << "a property is not a command";
    EXPECT_EQ(CaptureOneCapabilities::supportedAdjustmentCount(a), 2);
    EXPECT_EQ(CaptureOneCapabilities::dictionaryReadCount(), readsBefore + 1);

    EXPECT_EQ(CaptureOneCapabilities::supportedAdjustmentCount(b), 0);
    EXPECT_TRUE(CaptureOneCapabilities::supportsProperty("tint", a));
    EXPECT_EQ(CaptureOneCapabilities::dictionaryReadCount(), readsBefore + 3) << "A, B, then A again";

    EXPECT_EQ(CaptureOneCapabilities::supportedAdjustmentCount(missing), 0);
    EXPECT_FALSE(CaptureOneCapabilities::supportsCommand("autoadjust", missing));
    EXPECT_EQ(CaptureOneCapabilities::dictionaryReadCount(), readsBefore + 4) << "empty text is cached too";
}

TEST(CaptureOneCapabilities, AnUpdatedDictionaryIsReadAgain) {
    QTemporaryDir folder;
    const QString bundle = test::makeBundle(
        folder.path(), test::BundleSpec("Capture One.app", "16.0").declaring(QStringList{"tint"}));
    const auto application = CaptureOneApplication::fromBundle(bundle);
    EXPECT_FALSE(CaptureOneCapabilities::supportsProperty("exposure", application));

    const QString sdef = bundle + "/Contents/Resources/CaptureOne.sdef";
    test::writeFile(sdef, "<property name=\"exposure\"/>");
    QFile file(sdef);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    file.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime);
    file.close();
    EXPECT_TRUE(CaptureOneCapabilities::supportsProperty("exposure", application));
}
