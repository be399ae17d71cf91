#include "model/ImportedPhotoRecognizers.h"

#include "support/TestSupport.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;
namespace R = orbix::ImportedPhotoRecognizers;
using Kind = ImportedPhotoBatchIntent::Kind;

TEST(ImportedPhotoRecognizers, FolderPaths) {
    EXPECT_EQ(R::importFolderPath("Import photos from \"/path with spaces/shoot\"."),
              "/path with spaces/shoot");
    EXPECT_EQ(R::importFolderPath("import photos from the folder '/a/b'!"), "/a/b");
    EXPECT_EQ(R::importFolderPath("import the folder from /Card/DCIM/Day 2"), "/Card/DCIM/Day 2");
    EXPECT_EQ(R::importFolderPath("import photos in folder /x, please"), "/x, please") << "inner commas stay";
    EXPECT_EQ(R::importFolderPath("import from /Card"), std::nullopt) << "needs folder or photos";
    EXPECT_EQ(R::importFolderPath("İstanbul: import photos from /Shoot"), "/Shoot");
    EXPECT_EQ(R::importFolderPath("import photos from ."), std::nullopt);
    EXPECT_EQ(R::stripMatchingQuotes(" \"a\" "), "a");
    EXPECT_EQ(R::stripMatchingQuotes("\"a'"), "\"a'");
    EXPECT_EQ(R::stripMatchingQuotes("\""), "\"");
}

TEST(ImportedPhotoRecognizers, BatchIntentsInRuleOrder) {
    const auto intent = [](const char* text) { return R::batchIntent(QString::fromUtf8(text)); };
    EXPECT_EQ(intent("rate the current photo 4"), std::nullopt) << "no tray words";
    EXPECT_EQ(intent("apply the Film Look preset to these")->text, "Film Look");
    EXPECT_EQ(intent("apply preset named Film Look to selected")->text, "Film Look");
    EXPECT_EQ(intent("apply preset named \"Film Look\" to selected")->text, "Film Look");
    EXPECT_EQ(intent("apply preset called Warm to these")->text, "Warm");
    EXPECT_EQ(intent("Apply A Preset to these"), std::nullopt) << "an article alone names nothing";
    EXPECT_EQ(intent("use the preset Matte to all imported photos")->text, "Matte");
    EXPECT_EQ(intent("reject these")->text, "reject");
    EXPECT_EQ(intent("clear flag on selected")->text, "unflag");
    EXPECT_EQ(intent("rate these photos 5 stars")->rating, 5);
    EXPECT_EQ(intent("3 stars for the selected")->rating, 3);
    EXPECT_EQ(intent("rating 7 for these"), std::nullopt);
    const auto slider = intent("set exposure of these to 0.5");
    ASSERT_TRUE(slider.has_value());
    EXPECT_EQ(slider->kind, Kind::adjustSlider);
    EXPECT_EQ(slider->slider, (ParsedCaptureOneSliderCommand{"exposure", 0.5, false}));
    const auto inferred = intent("make these brighter and warmer");
    EXPECT_EQ(inferred->kind, Kind::adjustSliders);
    EXPECT_EQ(inferred->text, "exposure:0.3:1;temperature:500:1");
    EXPECT_EQ(inferred->prompt, "make these brighter and warmer");
}

TEST(ImportedPhotoRecognizers, TargetingAndActions) {
    EXPECT_TRUE(R::targetsAllImportedPhotos("rate ALL photos 2"));
    EXPECT_FALSE(R::targetsAllImportedPhotos("rate these 2"));
    EXPECT_TRUE(R::isImportedPhotoTargetableAction(" C1_Set_Rating\n"));
    EXPECT_FALSE(R::isImportedPhotoTargetableAction("c1_rotate"));
}

TEST(ImportedPhotoRecognizers, ScanKeepsDirectPhotoFilesInFinderOrder) {
    QTemporaryDir folder;
    for (const char* name :
         {"IMG_10.jpg", "IMG_2.JPG", "b.tiff", "notes.txt", ".hidden.jpg", "sub/c.jpg", "x.X3F"}) {
        test::writeFile(folder.filePath(name), "x");
    }
    QStringList names;
    for (const QUrl& url : R::photoURLs(folder.path())) {
        names << url.fileName();
    }
    EXPECT_EQ(names, QStringList({"b.tiff", "IMG_2.JPG", "IMG_10.jpg", "x.X3F"}));
    EXPECT_TRUE(R::photoURLs(folder.filePath("missing")).isEmpty());
    EXPECT_EQ(R::supportedExtensions().size(), 19);
}
