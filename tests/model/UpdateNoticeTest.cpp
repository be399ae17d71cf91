#include "AppModelTestHarness.h"

#include <QJsonDocument>

using namespace orbix;
using namespace orbix::test;

namespace {

ScriptedReply latest(const char* version, const char* mode = "recommended") {
    return ScriptedReply::json(200, QJsonDocument(QJsonObject{{"update",
                                                               QJsonObject{
                                                                   {"latestVersion", version},
                                                                   {"minimumVersion", "1.0"},
                                                                   {"mode", mode},
                                                                   {"releaseNotes", "Faster imports."},
                                                                   {"downloadUrl", "https://example.com/get"},
                                                               }}})
                                        .toJson());
}

const QString latestPath = "/v1/products/orbix/latest-version";

} // namespace

TEST_F(AppModelTest, NewerVersionShowsOneSelectedUpdateArtifact) {
    server.route("GET", latestPath, latest("1.10"));
    makeModel("1.9");
    ASSERT_TRUE(waitUntil([&] { return model->activeUpdate().has_value(); }));
    ASSERT_TRUE(model->selectedArtifact().has_value());
    EXPECT_EQ(model->selectedArtifact()->kind, ArtifactKind::update);
    EXPECT_EQ(model->selectedArtifact()->title, "Update Available");
    EXPECT_EQ(model->selectedArtifact()->body,
              "A newer version of Orbix is available.\n\nLatest version: 1.10\n\nFaster imports.");

    model->checkForProductUpdate();
    server.waitForRequests(2);
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_EQ(model->artifacts().size(), 1) << "a second notice replaces the first";

    model->downloadAvailableUpdate();
    EXPECT_EQ(workspace.openedUrls, QList<QUrl>{QUrl("https://example.com/get")});
}

TEST_F(AppModelTest, EqualVersionsAndFailuresShowNothing) {
    server.route("GET", latestPath, latest("1.2.0"));
    makeModel("1.2");
    ASSERT_TRUE(server.waitForRequests(1));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(model->activeUpdate().has_value());
    EXPECT_TRUE(model->artifacts().isEmpty());
    EXPECT_FALSE(server.requests()[0].hasHeader("Authorization"));
}

TEST_F(AppModelTest, RequiredUpdatesCarryTheExtraParagraph) {
    server.route("GET", latestPath, latest("2.0-beta", "required"));
    makeModel("1.5");
    ASSERT_TRUE(waitUntil([&] { return model->activeUpdate().has_value(); }));
    EXPECT_EQ(model->artifacts()[0].body,
              "A newer version of Orbix is available.\n\nLatest version: 2.0-beta\n\nThis "
              "update is required before continuing.\n\nFaster imports.");
}

TEST_F(AppModelTest, LaterRepairsTheSelectionAndSilencesThatVersion) {
    server.route("GET", latestPath, latest("3.0"));
    makeModel("1.0");
    submit("open the mail app"); // a "Capture One only" artifact first
    ASSERT_TRUE(waitUntil([&] { return model->activeUpdate().has_value(); }));
    const QUuid first = model->artifacts()[0].id;
    ASSERT_EQ(model->selectedArtifact()->kind, ArtifactKind::update);

    model->dismissAvailableUpdate();
    EXPECT_FALSE(model->activeUpdate().has_value());
    EXPECT_EQ(model->artifacts().size(), 1);
    EXPECT_EQ(model->selectedArtifactID(), first) << "the oldest remaining artifact";

    model->checkForProductUpdate();
    ASSERT_TRUE(server.waitForRequests(2));
    waitUntil([] { return false; }, std::chrono::milliseconds(100));
    EXPECT_FALSE(model->activeUpdate().has_value()) << "the dismissed version stays quiet";

    server.route("GET", latestPath, latest("3.1"));
    model->checkForProductUpdate();
    ASSERT_TRUE(waitUntil([&] { return model->activeUpdate().has_value(); }));
    model->setSelectedArtifactID(first);
    model->dismissAvailableUpdate();
    EXPECT_EQ(model->selectedArtifactID(), first) << "another selected artifact keeps its selection";

    model->startNewSession();
    server.route("GET", latestPath, latest("3.2"));
    model->checkForProductUpdate();
    ASSERT_TRUE(waitUntil([&] { return model->activeUpdate().has_value(); }));
    model->dismissAvailableUpdate();
    EXPECT_EQ(model->selectedArtifactID(), std::nullopt) << "no artifact left";
}
