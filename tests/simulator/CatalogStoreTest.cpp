// The catalog's JSON form and the store's refusal to read (or replace) anything that is not a catalog.
#include "engine/CatalogStore.h"

#include "engine/Catalog.h"
#include "support/TestSupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix::c1sim;

TEST(CatalogStore, SparseFileFormRoundTripsToTheCompleteForm) {
    Catalog catalog = Catalog::sample();
    catalog.document->variants[1].adjustments[13] = 1.5;
    catalog.document->variants[1].layers.push_back(Layer{99, QStringLiteral("Sky"), 40, false, false, {}});
    catalog.document->variants[1].currentLayerId = 99;
    catalog.clipboard = catalog.document->variants[1].adjustments;
    catalog.document->queue.push_back({QStringLiteral("2"), QStringLiteral("n"), QStringLiteral("/p")});

    catalog.document->variants[2].pick = true;
    catalog.document->variants[2].layers.front().mask.feather = 2.5;
    catalog.document->variants[3].cropAspectRatio = QStringLiteral("1:1");
    catalog.document->variants[3].crop = {1000, 0, 4000, 4000};
    catalog.document->variants[3].name = QStringLiteral("Quote \" back\\ line\n");
    const QByteArray text = catalog.toCompactJson();
    EXPECT_LT(text.size(), QJsonDocument(catalog.toJson(true)).toJson().size() / 5);
    const QJsonObject sparse = QJsonDocument::fromJson(text).object();
    QString reason;
    const auto restored = Catalog::fromJson(sparse, &reason);
    ASSERT_TRUE(restored) << reason.toStdString();
    EXPECT_EQ(restored->toJson(true), catalog.toJson(true));
}

TEST(CatalogStore, DamagedFilesAreReportedNotReplaced) {
    QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("catalog.json"));
    const QByteArray variantWithBadValue =
        R"({"format":"orbix-c1sim-catalog","version":1,"document":{"name":"d","variants":[{"id":"1","path":"/a",)"
        R"("layers":[{"id":1,"background":true}],"adjustments":{"exposure":"bright"}}]}})";
    for (const QByteArray& content :
         {QByteArray("{not json"), QByteArray("[1,2]"), QByteArray(R"({"format":"x"})"),
          QByteArray(R"({"format":"orbix-c1sim-catalog","version":7})"), variantWithBadValue}) {
        orbix::test::writeFile(path, content);
        CatalogStore store(path);
        QString reason;
        ASSERT_TRUE(store.lock(&reason));
        EXPECT_FALSE(store.load(&reason)) << content.toStdString();
        EXPECT_FALSE(reason.isEmpty());
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        EXPECT_EQ(file.readAll(), content);
    }

    // A FIFO in the catalog's place is refused, not waited on.
    QFile::remove(path);
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    CatalogStore store(path);
    QString reason;
    EXPECT_FALSE(store.load(&reason));
    EXPECT_EQ(reason, QStringLiteral("it is not a regular file"));
}

TEST(CatalogStore, PathComesFromTheOptionThenTheEnvironment) {
    orbix::test::ScopedEnvironment environment(kCatalogEnvironmentVariable, QByteArray("/tmp/from-env.json"));
    EXPECT_EQ(CatalogStore::resolvePath(QStringLiteral("/tmp/option.json")), "/tmp/option.json");
    EXPECT_EQ(CatalogStore::resolvePath(QString()), "/tmp/from-env.json");
    orbix::test::ScopedEnvironment cleared(kCatalogEnvironmentVariable, std::nullopt);
    EXPECT_TRUE(CatalogStore::resolvePath(QString()).endsWith(
        QStringLiteral("/Orbix/Capture One Simulator/catalog.json")));
}
