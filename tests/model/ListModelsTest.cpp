// The conversation, artifact and tray lists as item models: every change of a real session reaches the
// views as the row signals QAbstractItemModelTester holds them to, and only the rows that changed.
#include "AppModelTestHarness.h"

#include <QAbstractItemModelTester>
#include <QSignalSpy>

using namespace orbix;
using namespace orbix::test;

namespace {

// The rows of each dataChanged signal recorded, as "first-last".
QStringList changedRows(const QSignalSpy& spy) {
    QStringList rows;
    for (const QList<QVariant>& signal : spy) {
        rows << QStringLiteral("%1-%2").arg(signal[0].toModelIndex().row()).arg(signal[1].toModelIndex().row());
    }
    return rows;
}

using Mode = QAbstractItemModelTester::FailureReportingMode;

} // namespace

TEST_F(AppModelTest, ConversationAndArtifactRowsFollowASessionOfSeveralTurns) {
    makeModel();
    ConversationModel& conversation = model->conversationModel();
    ArtifactListModel& artifacts = model->artifactListModel();
    QAbstractItemModelTester conversationTester(&conversation, Mode::Fatal);
    QAbstractItemModelTester artifactTester(&artifacts, Mode::Fatal);
    QSignalSpy messagesInserted(&conversation, &QAbstractItemModel::rowsInserted);
    QSignalSpy messagesChanged(&conversation, &QAbstractItemModel::dataChanged);

    submit("capture one rate this 4 stars");
    submit("undo");
    ASSERT_EQ(conversation.rowCount(), 4);
    EXPECT_EQ(messagesInserted.size(), 4) << "each message is one row inserted at the end";
    EXPECT_EQ(messagesInserted.last()[1].toInt(), 3);
    EXPECT_EQ(conversation.index(3).data().toString(), "Restored rating on 2 photos.");
    EXPECT_EQ(conversation.index(2).data(ConversationModel::roleRole).toString(), "user");
    EXPECT_EQ(conversation.index(2).data(ConversationModel::modeRole).toString(), "quiet");
    EXPECT_TRUE(messagesChanged.isEmpty());

    // A spoken reply grows in one row.
    model->upsertRealtimeTranscript("Rating");
    model->upsertRealtimeTranscript("Rating set to four.");
    EXPECT_EQ(conversation.rowCount(), 5);
    EXPECT_EQ(changedRows(messagesChanged), QStringList{"4-4"});
    EXPECT_EQ(conversation.index(4).data().toString(), "Rating set to four.");

    // The live change log changes its row in place on redo.
    model->showChanges();
    ASSERT_EQ(artifacts.rowCount(), 1);
    EXPECT_TRUE(artifacts.index(0).data(ArtifactListModel::bodyRole).toString().contains("(undone)"));
    QSignalSpy artifactsInserted(&artifacts, &QAbstractItemModel::rowsInserted);
    QSignalSpy artifactsChanged(&artifacts, &QAbstractItemModel::dataChanged);
    submit("redo");
    EXPECT_TRUE(artifactsInserted.isEmpty());
    EXPECT_EQ(changedRows(artifactsChanged), QStringList{"0-0"});
    EXPECT_FALSE(artifacts.index(0).data(ArtifactListModel::bodyRole).toString().contains("(undone)"));
    EXPECT_EQ(artifacts.index(0).data().toString(), "Session Changes");
    EXPECT_EQ(artifacts.index(0).data(ArtifactListModel::kindRole).toString(), "markdown");

    QSignalSpy conversationReset(&conversation, &QAbstractItemModel::modelReset);
    model->startNewSession();
    EXPECT_EQ(conversationReset.size(), 1);
    EXPECT_EQ(conversation.rowCount(), 0);
    EXPECT_EQ(artifacts.rowCount(), 0);
}

TEST_F(AppModelTest, TrayRowsSignalOnlyThePhotosWhoseSelectionOrMarksChanged) {
    makeModel();
    PhotoTrayModel& tray = model->photoTrayModel();
    QAbstractItemModelTester tester(&tray, Mode::Fatal);
    QSignalSpy inserted(&tray, &QAbstractItemModel::rowsInserted);
    const QString folder = makeFolder("rows", {"r1.jpg", "r2.jpg", "r3.jpg", "r4.jpg", "r5.jpg"});
    submit("import photos from " + folder);
    ASSERT_EQ(tray.rowCount(), 5);
    ASSERT_EQ(inserted.size(), 1) << "an import is one insertion";
    EXPECT_EQ(tray.index(0).data().toString(), "r1");
    EXPECT_EQ(tray.index(0).data(Qt::ToolTipRole).toString(), "r1.jpg");
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));

    const QList<ImportedPhotoAsset> photos = model->importedPhotos();
    QSignalSpy changed(&tray, &QAbstractItemModel::dataChanged);
    model->selectImportedPhotoRange(photos[1], photos[3]);
    EXPECT_EQ(changedRows(changed), QStringList({"0-0", "4-4"})) << "the import had selected all five";
    EXPECT_EQ(changed[0][2].value<QList<int>>(), QList<int>{PhotoTrayModel::selectedRole});
    EXPECT_FALSE(tray.index(0).data(PhotoTrayModel::selectedRole).toBool());
    EXPECT_TRUE(tray.index(2).data(PhotoTrayModel::selectedRole).toBool());

    changed.clear();
    submit("rate these photos 2 stars");
    ASSERT_TRUE(waitUntil([&] { return !model->isReadingImportedPhotoMarks(); }));
    EXPECT_EQ(changedRows(changed), QStringList{"1-3"}) << "marks read back change the rated photos only";
    EXPECT_EQ(tray.index(2).data(PhotoTrayModel::ratingRole).toInt(), 2);
    EXPECT_EQ(tray.index(4).data(PhotoTrayModel::ratingRole).toInt(), 0);

    QSignalSpy removed(&tray, &QAbstractItemModel::rowsRemoved);
    QSignalSpy selection(&tray, &PhotoTrayModel::selectionChanged);
    model->removeImportedPhotos({photos[0], photos[2]});
    EXPECT_EQ(removed.size(), 2) << "two runs of rows";
    EXPECT_EQ(selection.size(), 1) << "the selected photo that left, once";
    const QList<ImportedPhotoAsset> selected = model->selectedImportedPhotos();
    ASSERT_EQ(selected.size(), 2);
    EXPECT_EQ(selected[0].displayName + selected[1].displayName, "r2r4");
}
