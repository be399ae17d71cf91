// Every CaptureOneService operation end to end: the service builds the script, OsascriptRunner runs it in
// orbix-c1sim on a private catalog, and the catalog (dump) shows what happened. The simulator's bundle is
// installed as "Capture One 23" in a private Applications folder, so the resolver pins that name.
#include "captureone/CaptureOneService.h"
#include "captureone/OsascriptRunner.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/SimulatorSession.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

const QString kApplication = QStringLiteral("Capture One 23");

class CaptureOneServiceEndToEnd : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                                applications.filePath(kApplication + QStringLiteral(".app"))));
        simulator.command({QStringLiteral("reset"), QStringLiteral("--select"), QStringLiteral("1,2")});
    }

    // Runs one operation and waits for its completion.
    QString call(const std::function<void(CaptureOneService::Completion)>& operation) {
        std::optional<QString> result;
        operation([&](const CommandOutcome& outcome) { result = outcome.text; });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }, std::chrono::seconds(30)));
        return result.value_or(QString());
    }
    QJsonObject variant(int position) { return simulator.variants().at(position - 1).toObject(); }
    QJsonObject adjustments(int position) { return variant(position).value(u"adjustments"_qs).toObject(); }
    QJsonObject document() { return simulator.dump().value(u"document"_qs).toObject(); }
    qint64 scriptsRun() {
        return simulator.dump().value(u"application"_qs).toObject().value(u"scriptsRun"_qs).toInteger();
    }
    QString path(int position) { return variant(position).value(u"path"_qs).toString(); }
    QJsonObject currentLayer(int position) {
        const QJsonObject v = variant(position);
        for (const QJsonValue& layer : v.value(u"layers"_qs).toArray()) {
            if (layer.toObject().value(u"id"_qs) == v.value(u"currentLayer"_qs))
                return layer.toObject();
        }
        return {};
    }

    QTemporaryDir applications;
    test::PrivateCaptureOneSetup setup{{applications.path()}};
    test::SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    CaptureOneService service{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                              setup.resolver};
    const QStringList selection{}; // no target paths: the variants selected in the document
};

} // namespace

TEST_F(CaptureOneServiceEndToEnd, AdjustmentsAbsoluteRelativeAndRefused) {
    EXPECT_EQ(
        call([&](auto done) { service.setAdjustment(u"Exposure"_qs, u"0.5"_qs, false, selection, done); }),
        "Adjusted exposure on 2 selected variant(s).");
    EXPECT_EQ(
        call([&](auto done) { service.setAdjustment(u"exposure"_qs, u"+0.25"_qs, true, selection, done); }),
        "Adjusted exposure on 2 selected variant(s).");
    EXPECT_EQ(adjustments(1).value(u"exposure"_qs).toDouble(), 0.75);
    EXPECT_EQ(adjustments(2).value(u"exposure"_qs).toDouble(), 0.75);
    EXPECT_EQ(adjustments(3).value(u"exposure"_qs).toDouble(), 0.0);
    EXPECT_EQ(simulator.dump().value(u"application"_qs).toObject().value(u"lastAddressedName"_qs).toString(),
              kApplication);

    call([&](auto done) { service.setAdjustment(u"b&w"_qs, u"on"_qs, true, selection, done); });
    call([&](auto done) {
        service.setAdjustment(u"vignette method"_qs, u"Circular"_qs, false, selection, done);
    });
    call([&](auto done) { service.setAdjustment(u"wb preset"_qs, u"Day\"light"_qs, false, selection, done); });
    call([&](auto done) {
        service.setAdjustment(u"noise reduction details"_qs, u"30.0"_qs, false, selection, done);
    });
    EXPECT_EQ(adjustments(1).value(u"black and white"_qs).toBool(), true);
    EXPECT_EQ(adjustments(1).value(u"vignetting method"_qs).toString(), "circular");
    EXPECT_EQ(adjustments(1).value(u"white balance preset"_qs).toString(), "Day\"light");
    EXPECT_EQ(adjustments(1).value(u"noise reduction details"_qs).toInteger(), 30);

    const QString tooBright =
        call([&](auto done) { service.setAdjustment(u"exposure"_qs, u"9"_qs, false, selection, done); });
    EXPECT_TRUE(tooBright.startsWith(kApplication + u": "_qs)) << tooBright.toStdString();
    EXPECT_TRUE(
        tooBright.contains(u"Can’t set exposure to 9.0: the value must be a number from -4.0 to 4.0."_qs));
    EXPECT_EQ(adjustments(1).value(u"exposure"_qs).toDouble(), 0.75);

    const qint64 before = scriptsRun();
    EXPECT_EQ(call([&](auto done) { service.setAdjustment(u"expo"_qs, u"1"_qs, false, selection, done); }),
              "expo is not in Orbix’s safe Capture One adjustment registry yet.");
    EXPECT_EQ(scriptsRun(), before) << "validation failures run no script";
}

TEST_F(CaptureOneServiceEndToEnd, SlidersAreAllOrNothing) {
    EXPECT_EQ(call([&](auto done) { service.adjustSliders(u"exposure=0.3, contrast=10"_qs, selection, done); }),
              "Applied 2 adjustment(s) to 2 selected variant(s).");
    EXPECT_EQ(adjustments(2).value(u"contrast"_qs).toDouble(), 10);
    EXPECT_EQ(call([&](auto done) { service.adjustSliders(u"exposure=-1, foo=1"_qs, selection, done); }),
              "Invalid or unsupported adjustment values:  foo=1. No changes were made.");
    EXPECT_EQ(adjustments(2).value(u"exposure"_qs).toDouble(), 0.3);
}

TEST_F(CaptureOneServiceEndToEnd, StylesPickRatingAndColourTag) {
    EXPECT_EQ(call([&](auto done) { service.applyStyle(u"Warm Portrait"_qs, selection, done); }),
              "Applied style Warm Portrait to 2 selected variant(s).");
    EXPECT_EQ(adjustments(2).value(u"temperature"_qs).toDouble(), 6200);
    EXPECT_EQ(call([&](auto done) { service.applyStyle(u"Nope"_qs, selection, done); }),
              kApplication + u": Can’t get style \"Nope\"."_qs);

    call([&](auto done) { service.setPick(true, selection, done); });
    EXPECT_TRUE(variant(1).value(u"pick"_qs).toBool());
    EXPECT_EQ(call([&](auto done) { service.setRating(0, selection, done); }),
              "Set rating to 0 on 2 selected variant(s).");
    EXPECT_EQ(variant(1).value(u"rating"_qs).toInt(), 0);
    call([&](auto done) { service.setRating(5, selection, done); });
    EXPECT_EQ(variant(2).value(u"rating"_qs).toInt(), 5);
    const qint64 before = scriptsRun();
    EXPECT_EQ(call([&](auto done) { service.setRating(6, selection, done); }),
              "Capture One ratings must be between 0 and 5.");
    EXPECT_EQ(scriptsRun(), before);
    EXPECT_EQ(call([&](auto done) { service.setColorTag(3, selection, done); }),
              "Set color tag on 2 selected variant(s).");
    EXPECT_EQ(variant(2).value(u"colorTag"_qs).toInt(), 3);
    EXPECT_TRUE(call([&](auto done) { service.setColorTag(9, selection, done); }).contains(u"from 0 to 7"_qs));
}

TEST_F(CaptureOneServiceEndToEnd, RotateCropAndVariantCommands) {
    EXPECT_EQ(call([&](auto done) { service.rotate(u"Right"_qs, selection, done); }),
              "Rotated right 2 selected variant(s).");
    EXPECT_EQ(variant(1).value(u"orientation"_qs).toInt(), 90);
    call([&](auto done) { service.rotate(u"left"_qs, selection, done); });
    call([&](auto done) { service.rotate(u"left"_qs, selection, done); });
    EXPECT_EQ(variant(2).value(u"orientation"_qs).toInt(), 270);

    EXPECT_EQ(call([&](auto done) { service.setCrop(u"aspect=1:1"_qs, selection, done); }),
              "Updated crop settings on 2 selected variant(s).");
    EXPECT_EQ(variant(1).value(u"crop"_qs).toArray(), QJsonArray({1000, 0, 4000, 4000}));
    call([&](auto done) { service.setCrop(u"ratio=3:2, orientation=Portrait"_qs, selection, done); });
    EXPECT_EQ(variant(1).value(u"cropOrientation"_qs).toString(), "portrait");
    EXPECT_EQ(variant(1).value(u"crop"_qs).toArray(), QJsonArray({1667, 0, 2667, 4000}));
    EXPECT_TRUE(call([&](auto done) {
                    service.setCrop(u"orientation=square"_qs, selection, done);
                }).contains(u"can’t be square"_qs));
    call([&](auto done) { service.setCrop(u"aspect=4:5"_qs, selection, done); });
    EXPECT_EQ(call([&](auto done) {
                  service.runVariantCommand(u"maximum crop"_qs, u"Applied maximum crop to"_qs, selection, done);
              }),
              "Applied maximum crop to 2 selected variant(s).");
    EXPECT_EQ(variant(1).value(u"crop"_qs).toArray(), QJsonArray({1400, 0, 3200, 4000}));

    call([&](auto done) { service.runVariantCommand(u"autoadjust"_qs, u"Auto-adjusted"_qs, selection, done); });
    EXPECT_EQ(adjustments(1).value(u"exposure"_qs).toDouble(), 0.25);
    call([&](auto done) {
        service.runVariantCommand(u"reset adjustments"_qs, u"Reset adjustments on"_qs, selection, done);
    });
    EXPECT_EQ(adjustments(1).value(u"exposure"_qs).toDouble(), 0.0);
    EXPECT_EQ(
        call([&](auto done) { service.runVariantCommand(u"clone variant"_qs, u"Cloned"_qs, selection, done); }),
        "Cloned 2 selected variant(s).");
    EXPECT_EQ(simulator.variants().size(), 7);
    EXPECT_EQ(variant(2).value(u"path"_qs), variant(1).value(u"path"_qs));
}

TEST_F(CaptureOneServiceEndToEnd, LayersAndMasks) {
    EXPECT_EQ(call([&](auto done) { service.createAdjustmentLayer(QString(), selection, done); }),
              "Created an adjustment layer on 2 selected variant(s).");
    EXPECT_EQ(currentLayer(1).value(u"name"_qs).toString(), "Orbix Adjustment");
    EXPECT_EQ(call([&](auto done) {
                  service.updateCurrentLayer(u"Name=Sky, opacity=60, enabled=off"_qs, selection, done);
              }),
              "Updated the current layer on 2 selected variant(s).");
    EXPECT_EQ(currentLayer(2).value(u"name"_qs).toString(), "Sky");
    EXPECT_EQ(currentLayer(2).value(u"opacity"_qs).toInt(), 60);
    EXPECT_FALSE(currentLayer(2).value(u"enabled"_qs).toBool());

    EXPECT_TRUE(call([&](auto done) {
                    service.modifyCurrentMask(u"feather 25"_qs, selection, done);
                }).contains(u"The mask of layer “Sky” is empty"_qs));
    EXPECT_EQ(call([&](auto done) { service.modifyCurrentMask(u"Fill"_qs, selection, done); }),
              "Updated the current mask on 2 selected variant(s).");
    call([&](auto done) { service.modifyCurrentMask(u"feather 25"_qs, selection, done); });
    call([&](auto done) { service.modifyCurrentMask(u"refine 300"_qs, selection, done); });
    call([&](auto done) { service.modifyCurrentMask(u"invert"_qs, selection, done); });
    call([&](auto done) { service.modifyCurrentMask(u"clear luma"_qs, selection, done); });
    call([&](auto done) { service.modifyCurrentMask(u"rasterize"_qs, selection, done); });
    const QJsonObject mask = currentLayer(1).value(u"mask"_qs).toObject();
    EXPECT_EQ(mask.value(u"feather"_qs).toDouble(), 25);
    EXPECT_EQ(mask.value(u"refine"_qs).toDouble(), 300);
    EXPECT_TRUE(mask.value(u"inverted"_qs).toBool());
    EXPECT_TRUE(mask.value(u"rasterized"_qs).toBool());
    call([&](auto done) { service.modifyCurrentMask(u"clear"_qs, selection, done); });
    EXPECT_FALSE(currentLayer(1).value(u"mask"_qs).toObject().value(u"filled"_qs).toBool());

    simulator.command({u"select"_qs, u"3"_qs});
    EXPECT_EQ(call([&](auto done) { service.modifyCurrentMask(u"fill"_qs, selection, done); }),
              kApplication + u": The background layer has no mask."_qs);
}

TEST_F(CaptureOneServiceEndToEnd, CopyApplyProcessImportAndStatus) {
    call([&](auto done) { service.setAdjustment(u"saturation"_qs, u"40"_qs, false, {path(1)}, done); });
    EXPECT_EQ(call([&](auto done) { service.copyPrimaryAdjustmentsToSelected(done); }),
              "Copied the primary variant adjustments to 1 other selected variant(s).");
    EXPECT_EQ(adjustments(2).value(u"saturation"_qs).toDouble(), 40);

    EXPECT_EQ(call([&](auto done) { service.processSelected(done); }),
              "Queued 2 selected variant(s) for processing.");
    EXPECT_EQ(document().value(u"processingQueue"_qs).toArray().size(), 2);

    EXPECT_EQ(
        call([&](auto done) { service.getStatus(done); }),
        "Selected variants: 2\nPrimary: Harbour at Dawn\nFile: /Sample Photos/Harbour at Dawn.CR3\nRating: 3");

    QTemporaryDir photos;
    for (const char* name : {"IMG_10.CR3", "IMG_2.jpg", "notes.txt"})
        test::writeFile(photos.filePath(QString::fromLatin1(name)), "x");
    EXPECT_EQ(call([&](auto done) { service.importFolder(photos.path(), done); }),
              QStringLiteral("Started importing %1.").arg(photos.path()));
    EXPECT_EQ(simulator.variants().size(), 7);
    EXPECT_EQ(path(6), photos.filePath(u"IMG_2.jpg"_qs));
    call([&](auto done) { service.importFolder(photos.path(), done); });
    EXPECT_EQ(simulator.variants().size(), 7);
    EXPECT_EQ(
        call([&](auto done) { service.importFolder(photos.filePath(u"gone"_qs), done); }),
        QStringLiteral("%1: The folder “%2” wasn’t found.").arg(kApplication, photos.filePath(u"gone"_qs)));
}

TEST_F(CaptureOneServiceEndToEnd, TargetsSelectionAndDocumentErrors) {
    EXPECT_EQ(call([&](auto done) {
                  service.setRating(4, {path(4), u"/not/in/document.jpg"_qs}, done);
              }),
              "Set rating to 4 on 1 selected variant(s).");
    EXPECT_EQ(variant(4).value(u"rating"_qs).toInt(), 4);
    EXPECT_EQ(variant(1).value(u"rating"_qs).toInt(), 3);
    EXPECT_EQ(call([&](auto done) { service.setRating(4, {u"/not/in/document.jpg"_qs}, done); }),
              kApplication + u": None of the selected Orbix photos are in the open Capture One document."_qs);

    simulator.command({u"select"_qs, u"none"_qs});
    EXPECT_EQ(call([&](auto done) { service.setPick(true, selection, done); }),
              kApplication + u": Select one or more Capture One variants first."_qs);
    EXPECT_EQ(call([&](auto done) { service.getStatus(done); }), "No variants selected.");
    EXPECT_EQ(call([&](auto done) { service.processSelected(done); }),
              kApplication + u": Select one or more variants first."_qs);

    simulator.command({u"close-document"_qs});
    EXPECT_EQ(call([&](auto done) { service.getStatus(done); }),
              kApplication + u": Open a Capture One catalog or session first."_qs);
    EXPECT_EQ(call([&](auto done) { service.setPick(true, selection, done); }),
              kApplication + u": Can’t get selected variants."_qs);
}

TEST_F(CaptureOneServiceEndToEnd, InsertedTextsStayOneString) {
    const QString marker = setup.folder.filePath(u"injected"_qs);
    const QString attack = QStringLiteral("\" & (do shell script \"touch %1\") & \"\\x").arg(marker);
    EXPECT_EQ(call([&](auto done) { service.applyStyle(attack, selection, done); }),
              kApplication + u": Can’t get style "_qs +
                  QStringLiteral("\"\\\" & (do shell script \\\"touch %1\\\") & \\\"\\\\x\".").arg(marker));
    EXPECT_EQ(call([&](auto done) { service.importFolder(attack, done); }),
              QStringLiteral("%1: The folder “%2” wasn’t found.").arg(kApplication, attack));
    // Line feeds too (an error message holding one spans several lines of standard error, so it is
    // checked through a created layer here and through the program's own output in the simulator's tests).
    const QString multiLine = attack + QStringLiteral("\nend tell\ndo shell script \"touch %1\"").arg(marker);
    call([&](auto done) { service.createAdjustmentLayer(multiLine, selection, done); });
    EXPECT_EQ(currentLayer(1).value(u"name"_qs).toString(), multiLine);
    EXPECT_FALSE(QFile::exists(marker));
}
