// The simulated application driven by the scripts Orbix sends: every template, the target block, the
// property kinds and ranges, and the refusals on bad values and bad state.
#include "SimulatorTestSupport.h"
#include "engine/AdjustmentTable.h"
#include "engine/PhotoFolder.h"
#include "engine/Terminology.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix::c1sim;
using namespace orbix::c1sim::test;

namespace {

QJsonValue adjustment(const Variant& variant, const char* name) {
    return variant.adjustments[size_t(*adjustments::indexOf(QString::fromLatin1(name)))];
}

QString countReturn(const QString& lead) {
    return QStringLiteral("return \"%1 \" & (count of targetVariants) & \" selected variant(s).\"").arg(lead);
}

class SimulatedApplicationTest : public ::testing::Test {
protected:
    Catalog catalog = Catalog::sample();
    Document& document() { return *catalog.document; }
    Variant& variantAt(int position) { return document().variants[size_t(position - 1)]; }
    void select(std::initializer_list<int> positions) {
        document().selection.clear();
        for (int position : positions)
            document().selection.push_back(variantAt(position).id);
        document().primary = document().selection.empty() ? QString() : document().selection.front();
    }
    InProcessRun run(const QString& source) { return runScript(catalog, source); }
    QString ok(const QString& source) {
        const auto outcome = run(source);
        EXPECT_FALSE(outcome.error) << outcome.error->message.toStdString() << "\n" << source.toStdString();
        return outcome.result.value_or(QString());
    }
    QString refused(const QString& source) {
        const auto outcome = run(source);
        EXPECT_TRUE(outcome.error) << source.toStdString();
        return outcome.error ? outcome.error->message : QString();
    }
};

} // namespace

TEST_F(SimulatedApplicationTest, StatusScriptReportsTheSelection) {
    select({2, 3});
    EXPECT_EQ(ok(statusScript()), "Selected variants: 2\nPrimary: Portrait Window Light\n"
                                  "File: /Sample Photos/Portrait Window Light.NEF\nRating: 4");
    select({});
    EXPECT_EQ(ok(statusScript()), "No variants selected.");
    catalog.document.reset();
    const auto outcome = run(statusScript());
    ASSERT_TRUE(outcome.error);
    EXPECT_EQ(outcome.error->message, "Open a Capture One catalog or session first.");
    EXPECT_EQ(outcome.error->number, -2700);
}

TEST_F(SimulatedApplicationTest, AbsoluteRelativeAndSliderAdjustments) {
    select({1, 2});
    EXPECT_EQ(ok(perVariantScript({u"set exposure of adjustments of aVariant to 0.5"_qs},
                                  countReturn(u"Adjusted exposure on"_qs))),
              "Adjusted exposure on 2 selected variant(s).");
    ok(perVariantScript({u"set exposure of adjustments of aVariant to ((exposure of adjustments of aVariant) + "
                         u"0.25)"_qs},
                        countReturn(u"Adjusted exposure on"_qs)));
    EXPECT_EQ(adjustment(variantAt(1), "exposure").toDouble(), 0.75);
    EXPECT_EQ(adjustment(variantAt(2), "exposure").toDouble(), 0.75);
    EXPECT_EQ(adjustment(variantAt(3), "exposure").toDouble(), 0.0) << "unselected variants are untouched";

    EXPECT_EQ(
        ok(perVariantScript({u"set black and white of adjustments of aVariant to true"_qs,
                             u"set vignetting method of adjustments of aVariant to circular on crop"_qs,
                             u"set film grain type of adjustments of aVariant to silver rich"_qs,
                             u"set white balance preset of adjustments of aVariant to \"Daylight\""_qs,
                             u"set black and white red sensitivity of adjustments of aVariant to 30"_qs},
                            u"return \"Applied 5 adjustment(s) to \" & (count of targetVariants) & \" selected "
                            u"variant(s).\""_qs)),
        "Applied 5 adjustment(s) to 2 selected variant(s).");
    EXPECT_EQ(adjustment(variantAt(2), "black and white").toBool(), true);
    EXPECT_EQ(adjustment(variantAt(2), "vignetting method").toString(), "circular on crop");
    EXPECT_EQ(adjustment(variantAt(2), "film grain type").toString(), "silver rich");
    EXPECT_EQ(adjustment(variantAt(2), "white balance preset").toString(), "Daylight");
    EXPECT_EQ(adjustment(variantAt(2), "black and white red sensitivity").toDouble(), 30);
}

TEST_F(SimulatedApplicationTest, AdjustmentKindsAndRangesAreEnforced) {
    const auto set = [&](const QString& property, const QString& value) {
        return run(
            perVariantScript({QStringLiteral("set %1 of adjustments of aVariant to %2").arg(property, value)},
                             countReturn(u"Adjusted"_qs)));
    };
    const auto outOfRange = set(u"exposure"_qs, u"9.0"_qs);
    ASSERT_TRUE(outOfRange.error);
    EXPECT_EQ(
        outOfRange.error->message,
        "Capture One got an error: Can’t set exposure to 9.0: the value must be a number from -4.0 to 4.0.");
    EXPECT_EQ(outOfRange.error->number, -10006);
    EXPECT_TRUE(outOfRange.error->fromApplication);
    EXPECT_EQ(set(u"moire pattern"_qs, u"2.5"_qs).error->message,
              "Capture One got an error: Can’t make 2.5 into type integer.");
    EXPECT_FALSE(set(u"moire pattern"_qs, u"25.0"_qs).error) << "a whole real is an integer";
    EXPECT_EQ(set(u"orientation"_qs, u"45"_qs).error->number, -10006);
    EXPECT_EQ(set(u"black and white"_qs, u"\"yes\""_qs).error->number, -1700);
    EXPECT_EQ(set(u"flip"_qs, u"\"horizontal\""_qs).error->number, -1700) << "enumerators are not text";
    EXPECT_EQ(
        set(u"flip"_qs, u"landscape"_qs).error->message,
        "Capture One got an error: Can’t set flip to landscape: the value must be one of none, horizontal, "
        "vertical.");
    EXPECT_EQ(set(u"color profile"_qs, u"12"_qs).error->number, -1700);
    const auto unknown = set(u"expo"_qs, u"1.0"_qs);
    EXPECT_EQ(unknown.error->number, -10006);
    EXPECT_TRUE(unknown.error->message.startsWith(u"Capture One got an error: Can’t set expo of adjustments of "
                                                  u"variant id \"1\""_qs));
    EXPECT_EQ(adjustment(variantAt(1), "exposure").toDouble(), 0.0) << "a refused value changes nothing";

    // Every declared adjustment can be read and written back at its default.
    for (const AdjustmentProperty& row : adjustments::table()) {
        const QString read = QStringLiteral("set v to %1 of adjustments of aVariant").arg(row.name);
        const QString write = QStringLiteral("set %1 of adjustments of aVariant to v").arg(row.name);
        EXPECT_FALSE(run(perVariantScript({read, write}, u"return 1"_qs)).error) << row.name.toStdString();
    }
}

TEST_F(SimulatedApplicationTest, RatingPickColourTagAndTheirLimits) {
    select({1, 3});
    ok(perVariantScript({u"set rating of aVariant to 0"_qs}, countReturn(u"Set rating to 0 on"_qs)));
    EXPECT_EQ(variantAt(1).rating, 0);
    ok(perVariantScript({u"set rating of aVariant to 5"_qs}, countReturn(u"Set rating to 5 on"_qs)));
    EXPECT_EQ(variantAt(3).rating, 5);
    EXPECT_EQ(refused(perVariantScript({u"set rating of aVariant to 6"_qs}, u"return 1"_qs)),
              "Capture One got an error: Can’t set rating to 6: the value must be a whole number from 0 to 5.");
    ok(perVariantScript({u"set pick of aVariant to true"_qs}, countReturn(u"Updated pick status for"_qs)));
    EXPECT_TRUE(variantAt(3).pick);
    ok(perVariantScript({u"set color tag of aVariant to 7"_qs}, countReturn(u"Set color tag on"_qs)));
    EXPECT_EQ(variantAt(1).colorTag, 7);
    EXPECT_EQ(
        refused(perVariantScript({u"set color tag of aVariant to 8"_qs}, u"return 1"_qs)),
        "Capture One got an error: Can’t set color tag to 8: the value must be a whole number from 0 to 7.");
    EXPECT_EQ(refused(perVariantScript({u"set name of aVariant to \"x\""_qs}, u"return 1"_qs)).left(40),
              "Capture One got an error: Can’t set name");
    EXPECT_EQ(refused(perVariantScript({u"set sharpness of aVariant to 1"_qs}, u"return 1"_qs)).left(45),
              "Capture One got an error: Can’t set sharpness");
}

TEST_F(SimulatedApplicationTest, TargetPathsPickVariantsOfTheDocument) {
    const QString second = variantAt(2).path;
    const QString fourth = variantAt(4).path;
    ok(perVariantScript({u"set rating of aVariant to 1"_qs}, countReturn(u"Set rating to 1 on"_qs),
                        {fourth, u"/elsewhere/not-here.jpg"_qs, second}));
    EXPECT_EQ(variantAt(2).rating, 1);
    EXPECT_EQ(variantAt(4).rating, 1);
    EXPECT_EQ(variantAt(1).rating, 3) << "the selection plays no part when paths are given";

    EXPECT_EQ(refused(perVariantScript({u"set rating of aVariant to 1"_qs}, u"return 1"_qs,
                                       {u"/elsewhere/not-here.jpg"_qs})),
              "None of the selected Orbix photos are in the open Capture One document.");
    select({});
    EXPECT_EQ(refused(perVariantScript({u"set rating of aVariant to 1"_qs}, u"return 1"_qs)),
              "Select one or more Capture One variants first.");
}

TEST_F(SimulatedApplicationTest, StylesKnownAndUnknown) {
    EXPECT_EQ(ok(perVariantScript({u"apply style \"warm portrait\" to aVariant"_qs},
                                  countReturn(u"Applied style warm portrait to"_qs))),
              "Applied style warm portrait to 1 selected variant(s).");
    EXPECT_EQ(adjustment(variantAt(1), "temperature").toDouble(), 6200);
    EXPECT_EQ(
        refused(perVariantScript({u"apply style \"No Such \\\"Style\\\"\" to aVariant"_qs}, u"return 1"_qs)),
        "Capture One got an error: Can’t get style \"No Such \\\"Style\\\"\".");
}

TEST_F(SimulatedApplicationTest, VariantCommands) {
    select({1});
    ok(perVariantScript({u"rotate right aVariant"_qs}, countReturn(u"Rotated right"_qs)));
    ok(perVariantScript({u"rotate right aVariant"_qs}, countReturn(u"Rotated right"_qs)));
    EXPECT_EQ(adjustment(variantAt(1), "orientation").toDouble(), 180);
    ok(perVariantScript({u"rotate left aVariant"_qs}, countReturn(u"Rotated left"_qs)));
    ok(perVariantScript({u"rotate left aVariant"_qs}, countReturn(u"Rotated left"_qs)));
    ok(perVariantScript({u"rotate left aVariant"_qs}, countReturn(u"Rotated left"_qs)));
    EXPECT_EQ(adjustment(variantAt(1), "orientation").toDouble(), 270);

    ok(perVariantScript({u"autoadjust aVariant"_qs}, countReturn(u"Auto-adjusted"_qs)));
    EXPECT_EQ(adjustment(variantAt(1), "exposure").toDouble(), 0.25);
    ok(perVariantScript({u"reset adjustments aVariant"_qs}, countReturn(u"Reset adjustments on"_qs)));
    EXPECT_EQ(adjustment(variantAt(1), "exposure").toDouble(), 0);
    EXPECT_EQ(adjustment(variantAt(1), "orientation").toDouble(), 270) << "reset keeps the orientation";

    variantAt(1).adjustments[size_t(*adjustments::indexOf(u"contrast"_qs))] = 12.0;
    ok(perVariantScript({u"clone variant aVariant"_qs}, countReturn(u"Cloned"_qs)));
    ASSERT_EQ(document().variants.size(), 6u);
    const Variant& clone = variantAt(2);
    EXPECT_EQ(clone.path, variantAt(1).path);
    EXPECT_NE(clone.id, variantAt(1).id);
    EXPECT_EQ(adjustment(clone, "contrast").toDouble(), 12);
    EXPECT_NE(clone.layers.front().id, variantAt(1).layers.front().id);
}

TEST_F(SimulatedApplicationTest, ProcessQueuesAndCopyApplies) {
    select({1, 2, 4});
    EXPECT_EQ(ok(processScript()), "Queued 3 selected variant(s) for processing.");
    ASSERT_EQ(document().queue.size(), 3u);
    EXPECT_EQ(document().queue[2].path, variantAt(4).path);

    variantAt(1).adjustments[size_t(*adjustments::indexOf(u"saturation"_qs))] = 40.0;
    EXPECT_EQ(ok(copyAdjustmentsScript()),
              "Copied the primary variant adjustments to 2 other selected variant(s).");
    EXPECT_EQ(adjustment(variantAt(4), "saturation").toDouble(), 40);
    EXPECT_EQ(adjustment(variantAt(3), "saturation").toDouble(), 0);
    select({1});
    EXPECT_EQ(ok(copyAdjustmentsScript()),
              "Copied the primary variant adjustments to the Capture One clipboard.");

    select({});
    EXPECT_EQ(refused(processScript()), "Select one or more variants first.");
    Catalog fresh = Catalog::sample();
    EXPECT_EQ(
        runScript(fresh, perVariantScript({u"apply adjustments aVariant"_qs}, u"return 1"_qs)).error->number,
        -10000)
        << "applying with an empty clipboard is refused";
}

TEST_F(SimulatedApplicationTest, CropAspectOrientationAndMaximumCrop) {
    const auto crop = [&](const QStringList& statements) {
        return run(perVariantScript(statements, countReturn(u"Updated crop settings on"_qs)));
    };
    EXPECT_FALSE(crop({u"set crop aspect ratio of aVariant to \"1:1\""_qs}).error);
    const Variant& first = variantAt(1);
    EXPECT_EQ(first.cropOrientation, "square");
    EXPECT_EQ(first.crop.width, 4000);
    EXPECT_EQ(first.crop.left, 1000);
    EXPECT_FALSE(crop({u"set crop aspect ratio of aVariant to \"3:2\""_qs}).error);
    EXPECT_EQ(first.crop.width, 4000) << "a new ratio fits inside the current crop";
    EXPECT_EQ(first.crop.height, 2667);
    EXPECT_FALSE(
        run(perVariantScript({u"maximum crop aVariant"_qs}, countReturn(u"Applied maximum crop to"_qs))).error);
    EXPECT_EQ(first.crop.width, 6000);
    EXPECT_EQ(first.crop.height, 4000);
    EXPECT_FALSE(crop({u"set crop aspect ratio of aVariant to \"3:2\""_qs,
                       u"set crop orientation of aVariant to portrait"_qs})
                     .error);
    EXPECT_EQ(first.cropOrientation, "portrait");
    EXPECT_EQ(first.crop.width, 2667);
    EXPECT_EQ(first.crop.height, 4000);

    EXPECT_EQ(crop({u"set crop orientation of aVariant to square"_qs}).error->message,
              "Capture One got an error: A 3:2 crop can’t be square. Set the crop aspect ratio to 1:1 first.");
    EXPECT_EQ(crop({u"set crop aspect ratio of aVariant to \"wide\""_qs}).error->number, -10006);
    EXPECT_EQ(crop({u"set crop aspect ratio of aVariant to \"0:2\""_qs}).error->number, -10006);
    EXPECT_EQ(crop({u"set crop orientation of aVariant to \"portrait\""_qs}).error->number, -1700);
    EXPECT_EQ(first.cropAspectRatio, "3:2") << "refused values leave the crop as it was";
}

TEST_F(SimulatedApplicationTest, LayersAndMasks) {
    select({1});
    const auto layerScript = [&](const QStringList& statements) {
        QStringList body{u"set activeLayer to current layer of aVariant"_qs};
        body << statements;
        return run(perVariantScript(body, countReturn(u"Updated the current layer on"_qs)));
    };
    EXPECT_EQ(layerScript({u"fill mask activeLayer"_qs}).error->message,
              "Capture One got an error: The background layer has no mask.");
    EXPECT_EQ(layerScript({u"set name of activeLayer to \"Sky\""_qs}).error->number, -10000);

    EXPECT_EQ(
        ok(perVariantScript({u"tell aVariant to make new layer with properties {name:\"Orbix Adjustment\"}"_qs},
                            countReturn(u"Created an adjustment layer on"_qs))),
        "Created an adjustment layer on 1 selected variant(s).");
    Variant& first = variantAt(1);
    ASSERT_EQ(first.layers.size(), 2u);
    EXPECT_EQ(first.layers.back().name, "Orbix Adjustment");
    EXPECT_EQ(first.currentLayerId, first.layers.back().id);

    EXPECT_FALSE(layerScript({u"set name of activeLayer to \"Sky\""_qs, u"set opacity of activeLayer to 60"_qs,
                              u"set enabled of activeLayer to false"_qs})
                     .error);
    EXPECT_EQ(first.layers.back().name, "Sky");
    EXPECT_EQ(first.layers.back().opacity, 60);
    EXPECT_FALSE(first.layers.back().enabled);
    EXPECT_EQ(layerScript({u"set opacity of activeLayer to 101"_qs}).error->number, -10006);

    EXPECT_EQ(layerScript({u"feather mask activeLayer amount 25.0"_qs}).error->message,
              "Capture One got an error: The mask of layer “Sky” is empty: fill or paint it first.");
    EXPECT_FALSE(layerScript({u"fill mask activeLayer"_qs}).error);
    EXPECT_FALSE(layerScript({u"feather mask activeLayer amount 25.0"_qs}).error);
    EXPECT_FALSE(layerScript({u"refine mask activeLayer amount 300.0"_qs}).error);
    EXPECT_EQ(layerScript({u"refine mask activeLayer amount 300.5"_qs}).error->number, -10006);
    EXPECT_FALSE(layerScript({u"invert mask activeLayer"_qs}).error);
    EXPECT_FALSE(layerScript({u"rasterize mask activeLayer"_qs}).error);
    EXPECT_FALSE(layerScript({u"clear luma range activeLayer"_qs}).error);
    const LayerMask& mask = first.layers.back().mask;
    EXPECT_TRUE(mask.filled);
    EXPECT_TRUE(mask.inverted);
    EXPECT_TRUE(mask.rasterized);
    EXPECT_EQ(mask.feather, 25);
    EXPECT_EQ(mask.refine, 300);
    EXPECT_FALSE(layerScript({u"clear mask activeLayer"_qs}).error);
    EXPECT_TRUE(first.layers.back().mask.isEmpty());
}

TEST_F(SimulatedApplicationTest, ImportAddsSupportedPhotosOnce) {
    QTemporaryDir folder;
    for (const char* name : {"IMG_10.CR3", "IMG_2.jpg", "notes.txt", ".hidden.jpg", "Scan.TIFF"})
        orbix::test::writeFile(folder.filePath(QString::fromLatin1(name)), "x");
    QDir(folder.path()).mkdir(u"nested.jpg"_qs);
    orbix::test::writeFile(folder.filePath(u"sub/deep.jpg"_qs), "x");
    // A link to a FIFO is no photo, whatever its name says.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath(u"pipe"_qs)).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(folder.filePath(u"pipe"_qs), folder.filePath(u"IMG_3.jpg"_qs)));

    EXPECT_EQ(ok(importScript(folder.path())), QStringLiteral("Started importing %1.").arg(folder.path()));
    ASSERT_EQ(document().variants.size(), 8u);
    EXPECT_EQ(variantAt(6).path, folder.filePath(u"IMG_2.jpg"_qs));
    EXPECT_EQ(variantAt(7).path, folder.filePath(u"IMG_10.CR3"_qs));
    EXPECT_EQ(variantAt(8).name, "Scan");
    ok(importScript(folder.path()));
    EXPECT_EQ(document().variants.size(), 8u) << "files already in the document are skipped";

    EXPECT_EQ(refused(importScript(folder.filePath(u"missing"_qs))),
              QStringLiteral("Capture One got an error: The folder “%1” wasn’t found.")
                  .arg(folder.filePath(u"missing"_qs)));
    catalog.document.reset();
    EXPECT_EQ(refused(importScript(folder.path())), "Open a Capture One catalog or session first.");
}

TEST_F(SimulatedApplicationTest, ApplicationNamesAndVersionsAreRecorded) {
    EXPECT_FALSE(
        run(perVariantScript({u"set pick of aVariant to true"_qs}, u"return 1"_qs, {}, u"Capture One 23"_qs))
            .error);
    EXPECT_EQ(catalog.lastAddressedName, "Capture One 23");
    EXPECT_EQ(catalog.scriptsRun, 1);
    EXPECT_FALSE(run(u"tell application \"capture one beta\" to return name"_qs).error);
    EXPECT_EQ(catalog.lastAddressedName, "capture one beta");
    EXPECT_EQ(catalog.scriptsRun, 2);
    const auto failed =
        run(perVariantScript({u"set rating of aVariant to 9"_qs}, u"return 1"_qs, {}, u"Capture One 22"_qs));
    EXPECT_TRUE(failed.error->message.startsWith(u"Capture One 22 got an error: "_qs));
}

TEST(SimulatorTables, DictionaryDeclaresEveryTermTheScriptsUse) {
    const QString sdef = terminology::scriptingDictionary();
    EXPECT_EQ(adjustments::table().size(), 76u);
    for (const AdjustmentProperty& row : adjustments::table())
        EXPECT_TRUE(sdef.contains(QStringLiteral("<property name=\"%1\"").arg(row.name)))
            << row.name.toStdString();
    for (const char* command :
         {"autoadjust", "reset adjustments", "clone variant", "maximum crop", "rotate left", "rotate right",
          "copy adjustments", "apply adjustments", "fill mask", "clear mask", "invert mask", "rasterize mask",
          "feather mask", "refine mask", "clear luma range", "apply style", "process", "import", "make"})
        EXPECT_TRUE(sdef.contains(QStringLiteral("<command name=\"%1\"").arg(QString::fromLatin1(command))))
            << command;
    for (const char* property : {"crop aspect ratio", "crop orientation", "rating", "color tag", "pick"})
        EXPECT_TRUE(sdef.contains(QStringLiteral("<property name=\"%1\"").arg(QString::fromLatin1(property))));
    EXPECT_EQ(photos::supportedExtensions().size(), 19);
}
