#include "model/ImportedPhotoRecognizers.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix;
namespace R = orbix::ImportedPhotoRecognizers;
using Kind = ImportedPhotoBatchIntent::Kind;

TEST(ImportedPhotoRecognizers, FolderPathsAsTyped) {
    const QString home = QDir::homePath();
    const std::pair<const char*, std::optional<QString>> cases[] = {
        {"Import photos from \"/path with spaces/shoot\".", "/path with spaces/shoot"},
        {"import photos from the folder '/a/b'!", "/a/b"},
        {"import the folder from /Card/DCIM/Day 2", "/Card/DCIM/Day 2"},
        {"import photos in folder /x, please", "/x, please"},
        {"import from /Card", std::nullopt},
        {"İstanbul: import photos from /Shoot", "/Shoot"},
        {"import photos from .", std::nullopt},
        {"import photos from ~/Shoots/Day 1", home + "/Shoots/Day 1"},
        {"import photos from “/Shoots/Day 1”", "/Shoots/Day 1"},
        {"import photos from ‘/Shoots/Day 1’.", "/Shoots/Day 1"},
        {"import photos from \"/Shoots/Away from home\"", "/Shoots/Away from home"},
        {"import photos from '/Shoots/In the folder 3'", "/Shoots/In the folder 3"},
        {"import photos from /Shoots/Mike's Wedding", "/Shoots/Mike's Wedding"},
        {"reimport photos from /Card", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(R::importFolderPath(QString::fromUtf8(text)), expected) << text;
    }
    EXPECT_EQ(R::stripMatchingQuotes(" \"a\" "), "a");
    EXPECT_EQ(R::stripMatchingQuotes("“a”"), "a");
    EXPECT_EQ(R::stripMatchingQuotes("\"a'"), "\"a'");
    EXPECT_EQ(R::stripMatchingQuotes("\""), "\"");
}

TEST(ImportedPhotoRecognizers, StyleNamesEndBeforeTheirTargets) {
    const std::pair<const char*, std::optional<QString>> cases[] = {
        {"apply the Film Look preset to these", "Film Look"},
        {"apply preset named Film Look to selected", "Film Look"},
        {"apply preset named \"Film Look\" to selected", "Film Look"},
        {"apply preset named “Film Look” to the selected photos", "Film Look"},
        {"apply preset called Soft Matte to these photos", "Soft Matte"},
        {"apply preset called Warm to these", "Warm"},
        {"use the preset Matte to all imported photos", "Matte"},
        {"apply capture one style Warm Portrait to the selected", "Warm Portrait"},
        {"apply preset Back to the Future on these", "Back to the Future"},
        {"Apply A Preset to these", std::nullopt},
        {"reapply preset Matte to these", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(R::presetName(QString::fromUtf8(text)), expected) << text;
    }
}

TEST(ImportedPhotoRecognizers, RatingsAreWholeNumbersFromZeroToFive) {
    const std::pair<const char*, std::optional<int>> cases[] = {
        {"rate these 4", 4},
        {"3 stars for the selected", 3},
        {"rate these photos 5 stars", 5},
        {"rate these photos 12 stars", std::nullopt},
        {"rate the 3 selected photos 5 stars", 5},
        {"give these a 4-star rating", 4},
        {"rating 7 for these", std::nullopt},
        {"rate these 10", std::nullopt},
        {"rate these 0", 0},
        {"rate these 4.5", std::nullopt},
        {"rate 2024 shots 6 stars", std::nullopt},
        {"rate all photos 2", 2},
        {"these are pirates 3", std::nullopt},
    };
    for (const auto& [text, expected] : cases) {
        EXPECT_EQ(R::ratingValue(QString::fromUtf8(text).toLower()), expected) << text;
    }
}

TEST(ImportedPhotoRecognizers, BatchIntentsInRuleOrderOnWholeWords) {
    struct Case {
        const char* text;
        std::optional<Kind> kind;
        QString payload = {};
    };
    const Case cases[] = {
        {"rate the current photo 4", std::nullopt},
        {"reject these", Kind::cull, "reject"},
        {"clear flag on selected", Kind::cull, "unflag"},
        {"unpick these", Kind::cull, "unflag"},
        {"clear pick on the selected", Kind::cull, "unflag"},
        {"pick these", Kind::cull, "pick"},
        {"flag these", Kind::cull, "pick"},
        {"these are the keepers of the picket fence", std::nullopt},
        {"make these brighter and warmer", Kind::adjustSliders, "exposure:0.3:1;temperature:500:1"},
        {"make these darker", Kind::adjustSliders, "exposure:-0.3:1"},
        {"these need more contrast", Kind::adjustSliders, "contrast:10:1"},
        {"make these brightercolours", std::nullopt},
        {"these selectedness", std::nullopt},
        {"print the theses", std::nullopt},
    };
    for (const Case& c : cases) {
        const auto intent = R::batchIntent(QString::fromUtf8(c.text));
        ASSERT_EQ(intent.has_value(), c.kind.has_value()) << c.text;
        if (intent) {
            EXPECT_EQ(intent->kind, *c.kind) << c.text;
            EXPECT_EQ(intent->text, c.payload) << c.text;
            EXPECT_EQ(intent->prompt, QString::fromUtf8(c.text));
        }
    }
    const auto slider = R::batchIntent("set exposure of these to 0.5");
    ASSERT_TRUE(slider.has_value());
    EXPECT_EQ(slider->kind, Kind::adjustSlider);
    EXPECT_EQ(slider->slider, (ParsedCaptureOneSliderCommand{"exposure", 0.5, false}));
    EXPECT_EQ(R::batchIntent("change exposure of these to -0,5")->slider,
              (ParsedCaptureOneSliderCommand{"exposure", -0.5, false}));
    EXPECT_EQ(R::batchIntent("exposure +0.5 on these slower shots")->slider,
              (ParsedCaptureOneSliderCommand{"exposure", 0.5, true}));
}

TEST(ImportedPhotoRecognizers, TargetingAndActions) {
    EXPECT_TRUE(R::targetsAllImportedPhotos("rate ALL photos 2"));
    EXPECT_FALSE(R::targetsAllImportedPhotos("rate these 2"));
    EXPECT_FALSE(R::targetsAllImportedPhotos("rate these, not overall photoshoots"));
    EXPECT_TRUE(R::isImportedPhotoTargetableAction(" C1_Set_Rating\n"));
    EXPECT_FALSE(R::isImportedPhotoTargetableAction("c1_rotate"));
}

TEST(ImportedPhotoRecognizers, ScanKeepsDirectPhotoFilesInFinderOrder) {
    QTemporaryDir folder;
    for (const char* name :
         {"IMG_10.jpg", "IMG_2.JPG", "b.tiff", "notes.txt", ".hidden.jpg", "sub/c.jpg", "x.X3F"}) {
        test::writeFile(folder.filePath(name), "x");
    }
    // Links count for what they reach: a photo, a FIFO (whose thumbnail would wait forever), nothing.
    ASSERT_EQ(::mkfifo(QFile::encodeName(folder.filePath("pipe")).constData(), 0600), 0);
    ASSERT_TRUE(QFile::link(folder.filePath("IMG_2.JPG"), folder.filePath("linked.jpg")));
    ASSERT_TRUE(QFile::link(folder.filePath("pipe"), folder.filePath("fifo.jpg")));
    ASSERT_TRUE(QFile::link(folder.filePath("gone"), folder.filePath("dangling.jpg")));
    QStringList names;
    for (const QUrl& url : R::photoURLs(folder.path())) {
        names << url.fileName();
    }
    EXPECT_EQ(names, QStringList({"b.tiff", "IMG_2.JPG", "IMG_10.jpg", "linked.jpg", "x.X3F"}));
    EXPECT_TRUE(R::photoURLs(folder.filePath("missing")).isEmpty());
    EXPECT_EQ(R::supportedExtensions().size(), 19);
}
