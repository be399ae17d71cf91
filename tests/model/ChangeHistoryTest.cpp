// Changes recorded, undone and redone end to end: the dispatcher's scripts run in the Capture One
// Simulator, the history writes values back there, and the catalog shows what each variant holds.
#include "model/ChangeHistory.h"

#include "support/SimulatorDispatcherFixture.h"

#include <QFile>
#include <QJsonArray>
#include <gtest/gtest.h>

using namespace orbix;

namespace {

class ChangeHistoryTest : public ::testing::Test, protected test::SimulatorDispatcherFixture {
protected:
    void SetUp() override {
        ASSERT_TRUE(QFile::link(QStringLiteral(ORBIX_SIMULATOR_BUNDLE_DIR "/Capture One Simulator.app"),
                                applications.filePath(QStringLiteral("Capture One 23.app"))));
        simulator.command({"reset", "--variants", "3", "--select", "1,2"});
    }

    // Runs an action and records its change as the typed road would.
    ComputerUseResult act(const char* action, const std::function<void(ComputerUseArguments&)>& fill) {
        ComputerUseArguments arguments;
        arguments.action = QString::fromUtf8(action);
        fill(arguments);
        std::optional<ComputerUseResult> result;
        dispatcher.executeAction(arguments, [&](const ComputerUseResult& answer) { result = answer; });
        EXPECT_TRUE(test::waitUntil([&] { return result.has_value(); }, std::chrono::seconds(20)));
        if (result && result->change) {
            history.record(*result->change);
        }
        return result.value_or(ComputerUseResult{});
    }
    CommandOutcome undoOrRedo(bool redo) {
        std::optional<CommandOutcome> outcome;
        const auto done = [&](const CommandOutcome& answer) { outcome = answer; };
        redo ? history.redo(done) : history.undo(done);
        EXPECT_TRUE(test::waitUntil([&] { return outcome.has_value(); }, std::chrono::seconds(20)));
        return outcome.value_or(CommandOutcome{});
    }
    QList<int> ratings() {
        QList<int> values;
        for (const QJsonValue& variant : simulator.variants()) {
            values << variant.toObject().value("rating").toInt();
        }
        return values;
    }
    void userSets(const QString& statement) {
        simulator.command({"-e", "tell application \"Capture One\"\nrepeat with v in (variants of current "
                                 "document)\nif name of v is \"IMG_0001\" then " +
                                     statement + "\nend repeat\nend tell"});
    }

    ChangeHistory history{captureOne};
};

} // namespace

TEST_F(ChangeHistoryTest, RecordsUndoesAndRedoesExactlyTheChangedVariants) {
    const ComputerUseResult selection = act("c1_set_rating", [](auto& a) { a.value = 4; });
    EXPECT_EQ(selection.summary, "Set rating to 4 on 2 selected variant(s).");
    ASSERT_TRUE(selection.change);
    EXPECT_EQ(selection.change->action, "c1_set_rating");
    EXPECT_FALSE(selection.change->onTrayPhotos);
    ASSERT_EQ(selection.change->variants.size(), 2);
    EXPECT_EQ(selection.change->variants[0].name, "IMG_0001");
    EXPECT_EQ(selection.change->variants[0].properties,
              QList<PropertyChange>(
                  {{{"rating", RecordedProperty::Scope::variant, RecordedProperty::Kind::number}, "0", "4"}}));

    const QString trayPath = simulator.variants()[2].toObject().value("path").toString();
    const ComputerUseResult tray = act("c1_set_rating", [&](auto& a) {
        a.value = 2;
        a.targetPaths = {trayPath};
    });
    ASSERT_TRUE(tray.change);
    EXPECT_TRUE(tray.change->onTrayPhotos);
    ASSERT_EQ(tray.change->variants.size(), 1);
    EXPECT_EQ(tray.change->variants[0].path, trayPath);
    EXPECT_EQ(ratings(), QList<int>({4, 4, 2}));

    EXPECT_EQ(undoOrRedo(false).text, "Restored rating on 1 photo.");
    EXPECT_EQ(ratings(), QList<int>({4, 4, 0})) << "only the tray photo went back";
    EXPECT_EQ(undoOrRedo(false).text, "Restored rating on 2 photos.");
    EXPECT_EQ(ratings(), QList<int>({0, 0, 0}));
    EXPECT_EQ(undoOrRedo(false), CommandOutcome::refused("There is no change for Orbix to undo."));
    EXPECT_TRUE(history.changes()[0].undone);

    EXPECT_EQ(undoOrRedo(true).text, "Reapplied rating on 2 photos.");
    EXPECT_EQ(ratings(), QList<int>({4, 4, 0}));
    EXPECT_FALSE(history.changes()[0].undone);
    ASSERT_TRUE(history.nextRedo());
    EXPECT_EQ(history.nextRedo()->id, history.changes()[1].id);

    // A new change clears redo; a change of nothing is not kept.
    act("c1_set_pick", [](auto& a) { a.text = "pick"; });
    EXPECT_FALSE(history.nextRedo());
    const qsizetype kept = history.changes().size();
    act("c1_set_pick", [](auto& a) { a.text = "pick"; });
    EXPECT_EQ(history.changes().size(), kept);
}

TEST_F(ChangeHistoryTest, UndoLeavesAVariantTheUserChangedSinceAndSaysWhich) {
    act("c1_set_adjustment", [](auto& a) {
        a.slider = "exposure";
        a.value = 1.5;
    });
    act("c1_set_rating", [](auto& a) { a.value = 5; });
    userSets("set rating of v to 1");

    const CommandOutcome undone = undoOrRedo(false);
    EXPECT_EQ(undone.text, "Restored rating on 1 photo. Left IMG_0001 as it is: changed in Capture One since.");
    EXPECT_EQ(ratings(), QList<int>({1, 0, 0}));

    EXPECT_EQ(undoOrRedo(false).text, "Restored exposure on 2 photos.");
    for (const QJsonValue& variant : simulator.variants()) {
        EXPECT_EQ(variant.toObject().value("adjustments").toObject().value("exposure").toDouble(), 0.0);
    }
}

TEST_F(ChangeHistoryTest, ChangesOrbixCannotTakeBackSaySoAndStepAside) {
    act("c1_set_color_tag", [](auto& a) { a.value = 3; });
    const ComputerUseResult clone = act("c1_clone_variant", [](auto&) {});
    ASSERT_TRUE(clone.change);
    EXPECT_FALSE(clone.change->undoable);
    EXPECT_EQ(undoOrRedo(false), CommandOutcome::refused("Cloning a variant can’t be undone by Orbix."));
    EXPECT_EQ(undoOrRedo(false).text, "Restored color tag on 2 photos.");
    EXPECT_EQ(history.changes().size(), 2);
}

TEST(ChangeHistoryWords, UndoAndRedoRequests) {
    EXPECT_EQ(ChangeHistory::undoRequest(" Undo that."), false);
    EXPECT_EQ(ChangeHistory::undoRequest("undo"), false);
    EXPECT_EQ(ChangeHistory::undoRequest("REDO!"), true);
    EXPECT_EQ(ChangeHistory::undoRequest("undo the crop on the sky layer"), std::nullopt);
    EXPECT_EQ(ChangeHistory::undoRequest("redone"), std::nullopt);
    EXPECT_TRUE(ChangeHistory::isShowChangesRequest("Show the changes."));
    EXPECT_FALSE(ChangeHistory::isShowChangesRequest("show changes to the sky"));
}
