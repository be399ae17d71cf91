#include "AppModelTestHarness.h"
#include "model/BatchReplies.h"

#include <QDir>
#include <QJsonArray>
#include <QSignalSpy>

using namespace orbix;
using namespace orbix::test;

namespace {

QStringList displayNames(const QList<ImportedPhotoAsset>& photos) {
    QStringList names;
    for (const auto& photo : photos) {
        names << photo.displayName;
    }
    return names;
}

} // namespace

TEST_F(AppModelTest, ImportingAFolderFillsTheTrayOnce) {
    makeModel();
    const QString folder = makeFolder("path with spaces/shoot", {"b.JPG", "a.cr3", "notes.txt", ".hidden.jpg"});
    makeFolder("path with spaces/shoot/sub", {"c.jpg"});

    submit("import photos from \"" + folder + "\".");
    EXPECT_EQ(displayNames(model->importedPhotos()), QStringList({"a", "b"}));
    EXPECT_EQ(model->selectedImportedPhotos().size(), 2);
    EXPECT_EQ(lastReply(), "Started importing " + folder + ".");
    ASSERT_TRUE(model->selectedArtifact().has_value());
    EXPECT_EQ(model->selectedArtifact()->title, "Imported Photos");
    EXPECT_EQ(model->selectedArtifact()->body,
              "Started importing " + folder + ".\n\nFolder: " + folder + "\n\nPhotos found: 2");
    EXPECT_EQ(simulator.variants().size(), 5) << "one variant per photo file";
    EXPECT_FALSE(simulator.variantWithFile("a.cr3").isEmpty());

    submit("import photos from " + folder + "/../shoot");
    EXPECT_EQ(model->importedPhotos().size(), 2) << "the same files, compared by standardised path";
    EXPECT_TRUE(model->selectedImportedPhotos().isEmpty());
    EXPECT_TRUE(model->selectedArtifact()->body.endsWith("Photos found: 2"));
}

TEST_F(AppModelTest, FoldersWithoutPhotosAndFailedImportsLeaveTheTray) {
    makeModel();
    const QString empty = makeFolder("Empty Card", {"readme.txt"});
    submit("import photos from " + empty);
    EXPECT_EQ(lastReply(), "No supported photo files were found in Empty Card.");
    EXPECT_TRUE(model->artifacts().isEmpty());
    // A folder that is not there, or not a folder, is named as such rather than as one without photos.
    submit("import photos from " + empty + "/Missing");
    EXPECT_EQ(lastReply(), "No folder was found at " + empty + "/Missing.");
    submit("import photos from " + empty + "/readme.txt");
    EXPECT_EQ(lastReply(), empty + "/readme.txt is a file, not a folder.");

    simulator.command({"close-document"});
    const QString folder = makeFolder("card", {"x.nef"});
    submit("import photos from " + folder);
    EXPECT_TRUE(model->importedPhotos().isEmpty());
    EXPECT_EQ(lastReply(), "Capture One Simulator: Open a Capture One catalog or session first.");
    EXPECT_EQ(model->selectedArtifact()->title, "Imported Photos") << "the reason is shown as an artifact too";
}

TEST_F(AppModelTest, BatchRequestsTargetExactlyTheTrayPhotos) {
    makeModel();
    const QString folder = makeFolder("batch", {"p1.jpg", "p2.jpg", "p3.jpg"});
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 3);
    model->selectImportedPhoto(model->importedPhotos()[0], false);
    model->selectImportedPhoto(model->importedPhotos()[2], true);

    submit("rate these photos 5 stars");
    EXPECT_EQ(lastReply(), "Set rating to 5 on 2 selected variant(s).");
    EXPECT_EQ(model->selectedArtifact()->title, "Imported Photo Action");
    EXPECT_EQ(model->selectedArtifact()->body,
              "Set rating to 5 on 2 selected variant(s).\n\nPhotos targeted: 2");
    EXPECT_EQ(simulator.variantWithFile("p1.jpg").value("rating").toInt(), 5);
    EXPECT_EQ(simulator.variantWithFile("p2.jpg").value("rating").toInt(), 0);
    EXPECT_EQ(simulator.variantWithFile("p3.jpg").value("rating").toInt(), 5);
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 0)
        << "the Capture One selection is untouched";

    submit("pick these");
    EXPECT_TRUE(simulator.variantWithFile("p1.jpg").value("pick").toBool());
    submit("reject these");
    EXPECT_EQ(lastReply(),
              "Capture One has no reject flag, so Orbix cleared the pick flag instead. Updated pick "
              "status for 2 selected variant(s).");
    EXPECT_FALSE(simulator.variantWithFile("p1.jpg").value("pick").toBool()) << "a rejected photo is no pick";
    EXPECT_FALSE(simulator.variantWithFile("p3.jpg").value("pick").toBool());

    submit("make these brighter and warmer");
    const QJsonObject adjusted = simulator.variantWithFile("p3.jpg").value("adjustments").toObject();
    const QJsonObject untouched = simulator.variantWithFile("p2.jpg").value("adjustments").toObject();
    EXPECT_DOUBLE_EQ(adjusted.value("exposure").toDouble(), untouched.value("exposure").toDouble() + 0.3);
    EXPECT_DOUBLE_EQ(adjusted.value("temperature").toDouble(), untouched.value("temperature").toDouble() + 500);

    simulator.command({"add-style", "Film Look", "contrast=12"});
    submit("apply the Film Look preset to these");
    EXPECT_EQ(lastReply(), "Applied style Film Look to 2 selected variant(s).");
    EXPECT_EQ(simulator.variantWithFile("p1.jpg").value("adjustments").toObject().value("contrast").toInt(),
              12);

    submit("rate all photos 2");
    for (const char* file : {"p1.jpg", "p2.jpg", "p3.jpg"}) {
        EXPECT_EQ(simulator.variantWithFile(file).value("rating").toInt(), 2) << file;
    }

    model->removeImportedPhoto(model->importedPhotos()[0]);
    model->selectImportedPhoto(model->importedPhotos()[1], true);
    EXPECT_TRUE(model->selectedImportedPhotos().isEmpty());
    submit("rate these photos 5 stars");
    EXPECT_EQ(lastReply(), "Select one or more imported photos in the artifact area first.");
    EXPECT_TRUE(QFile::exists(folder + "/p1.jpg")) << "removal never touches the file";
}

TEST_F(AppModelTest, TraySelectionRangesAllNoneAndRemovingSeveral) {
    makeModel();
    const QString folder = makeFolder("range", {"r1.jpg", "r2.jpg", "r3.jpg", "r4.jpg", "r5.jpg"});
    submit("import photos from " + folder);
    const QList<ImportedPhotoAsset> photos = model->importedPhotos();
    ASSERT_EQ(photos.size(), 5);
    QSignalSpy selectionChanges(model.get(), &AppModel::selectedImportedPhotoIDsChanged);
    QSignalSpy trayChanges(model.get(), &AppModel::importedPhotosChanged);

    model->selectImportedPhoto(photos[0], false);
    model->selectImportedPhotoRange(photos[3], photos[1]);
    EXPECT_EQ(displayNames(model->selectedImportedPhotos()), QStringList({"r2", "r3", "r4"}))
        << "either end first; the range replaces the selection";
    model->selectImportedPhotoRange(photos[2], photos[2]);
    EXPECT_EQ(displayNames(model->selectedImportedPhotos()), QStringList{"r3"});
    model->selectImportedPhoto(photos[4], true);
    model->selectImportedPhoto(photos[2], true);
    EXPECT_EQ(displayNames(model->selectedImportedPhotos()), QStringList{"r5"}) << "extending toggles";

    const ImportedPhotoAsset stranger = ImportedPhotoAsset::make(QUrl::fromLocalFile(folder + "/r9.jpg"));
    selectionChanges.clear();
    model->selectImportedPhotoRange(photos[0], stranger);
    model->selectImportedPhoto(photos[4], false);
    model->deselectAllImportedPhotos();
    model->deselectAllImportedPhotos();
    EXPECT_EQ(selectionChanges.size(), 1) << "only a real change is announced";
    model->selectAllImportedPhotos();
    EXPECT_EQ(model->selectedImportedPhotoCount(), 5);

    trayChanges.clear();
    const qsizetype variants = simulator.variants().size();
    model->removeImportedPhotos({photos[1], photos[3], stranger});
    EXPECT_EQ(displayNames(model->importedPhotos()), QStringList({"r1", "r3", "r5"}));
    EXPECT_EQ(displayNames(model->selectedImportedPhotos()), QStringList({"r1", "r3", "r5"}));
    EXPECT_EQ(model->selectedImportedPhotoCount(), 3) << "removed photos leave the selection";
    model->removeImportedPhotos({stranger});
    EXPECT_EQ(trayChanges.size(), 1);
    EXPECT_EQ(simulator.variants().size(), variants) << "Capture One keeps every photo";
    EXPECT_TRUE(QFile::exists(folder + "/r2.jpg"));
}

TEST_F(AppModelTest, TileMarksAreReadFromCaptureOneAfterEachRequest) {
    makeModel();
    const QString folder = makeFolder("marks", {"m1.jpg", "m2.jpg", "Tom's \"best\" 3.jpg"});
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 3);
    const auto marksOf = [&](int index) {
        return model->importedPhotoMarks().value(
            ImportedPhotoRecognizers::standardizedPath(model->importedPhotos()[index].url), PhotoMarks{-1});
    };
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));
    EXPECT_EQ(model->importedPhotoMarks().size(), 3) << "a quoted file name is read like the others";
    EXPECT_EQ(marksOf(2), PhotoMarks{});

    model->selectImportedPhoto(model->importedPhotos()[0], false);
    model->selectImportedPhoto(model->importedPhotos()[2], true);
    submit("rate these photos 4 stars");
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));
    EXPECT_EQ(marksOf(0), (PhotoMarks{4, false, 0}));
    EXPECT_EQ(marksOf(1), PhotoMarks{});
    EXPECT_EQ(marksOf(2), (PhotoMarks{4, false, 0}));

    // A change made in Capture One itself shows after the next request.
    std::optional<CommandOutcome> tagged;
    captureOne.setColorTag(5, {ImportedPhotoRecognizers::standardizedPath(model->importedPhotos()[1].url)},
                           [&](const CommandOutcome& outcome) { tagged = outcome; });
    ASSERT_TRUE(waitUntil([&] { return tagged.has_value(); }));
    submit("pick these");
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));
    EXPECT_EQ(marksOf(0), (PhotoMarks{4, true, 0}));
    EXPECT_EQ(marksOf(1), (PhotoMarks{0, false, 5}));

    // Without a document nothing can be read: the tiles lose their marks rather than keep stale ones.
    simulator.command({"close-document"});
    submit("rate these photos 1 star");
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));
    EXPECT_TRUE(model->importedPhotoMarks().isEmpty());
}

// Over the threshold a tray batch shows a preview and writes nothing until "apply"; "cancel" or any other
// request drops it.
TEST_F(AppModelTest, BigTrayBatchesWaitForApply) {
    batchThreshold = 2;
    makeModel();
    const QString folder = makeFolder("big", {"p1.jpg", "p2.jpg", "p3.jpg"});
    submit("import photos from " + folder);
    const auto ratings = [&] {
        QList<int> values;
        for (const char* file : {"p1.jpg", "p2.jpg", "p3.jpg"}) {
            values << simulator.variantWithFile(file).value("rating").toInt();
        }
        return values;
    };

    submit("rate all photos 4");
    EXPECT_EQ(lastReply(), "This changes 3 photos. Type “apply” to run it, or “cancel”.");
    EXPECT_EQ(model->selectedArtifact()->title, "Batch Preview");
    EXPECT_TRUE(model->selectedArtifact()->body.contains("First photos: p1, p2, p3"));
    EXPECT_EQ(ratings(), QList<int>({0, 0, 0})) << "nothing before the answer";
    submit("cancel");
    EXPECT_EQ(lastReply(), "Cancelled. Nothing was changed.");
    submit("apply");
    EXPECT_EQ(ratings(), QList<int>({0, 0, 0})) << "a cancelled batch stays cancelled";

    submit("rate all photos 4");
    submit("capture one status");
    submit("apply");
    EXPECT_EQ(ratings(), QList<int>({0, 0, 0})) << "another request dropped it";

    submit("rate all photos 4");
    submit("Apply.");
    EXPECT_EQ(lastReply(), "Set rating to 4 on 3 selected variant(s).");
    EXPECT_EQ(ratings(), QList<int>({4, 4, 4}));
}

TEST(BatchReplies, ChunkRepliesAddUpTheirCountsAndKeepOtherLinesOnce) {
    EXPECT_EQ(batchreplies::combined({"Set rating to 4 on 100 selected variant(s).",
                                      "Set rating to 4 on 30 selected variant(s)."}),
              "Set rating to 4 on 130 selected variant(s).");
    EXPECT_EQ(
        batchreplies::combined({"Set exposure to +0.5 on 100 selected variant(s).\nCapture One holds 4.0 on a.",
                                "Set exposure to +0.5 on 2 selected variant(s).\nCapture One holds 4.0 on b."}),
        "Set exposure to +0.5 on 102 selected variant(s).\nCapture One holds 4.0 on a.\n"
        "Capture One holds 4.0 on b.");
    EXPECT_EQ(
        batchreplies::combined({"100% done on 3 selected variant(s).", "100% done on 4 selected variant(s)."}),
        "100% done on 7 selected variant(s).")
        << "only the count of variants is added up";
    EXPECT_EQ(batchreplies::stoppedAfter(1200, 2000), "Stopped after 1,200 of 2,000 photos.");
    EXPECT_EQ(text::photoCount(1), "1 photo");
    EXPECT_EQ(batchreplies::progress(1200, 2000), "Changing photos in Capture One: 1,200 of 2,000 done.");
}
