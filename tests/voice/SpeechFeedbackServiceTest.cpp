// The spoken read-back over a synthesiser that only records: each completion runs exactly once, when its
// own utterance ends, and never inside the call that asked for it.
#include "voice/SpeechFeedbackService.h"

#include "FakeSpeechSynthesizer.h"

#include <QCoreApplication>
#include <gtest/gtest.h>

using namespace orbix;
using namespace orbix::test;

namespace {

// Runs everything already posted to the event loop, including what those events post in turn.
void runPostedEvents() {
    for (int round = 0; round < 4; ++round) {
        QCoreApplication::sendPostedEvents();
        QCoreApplication::processEvents();
    }
}

class SpeechFeedback : public ::testing::Test {
protected:
    std::shared_ptr<FakeSpeechSynthesizer> synthesizer = std::make_shared<FakeSpeechSynthesizer>();
    std::unique_ptr<SpeechFeedbackService> service = std::make_unique<SpeechFeedbackService>(synthesizer);
};

} // namespace

TEST_F(SpeechFeedback, CompletionRunsOnceWhenTheTrimmedTextHasBeenSpoken) {
    int completions = 0;
    service->speak(QStringLiteral("  Rating set to 3.\n"), [&] { ++completions; });
    ASSERT_EQ(synthesizer->spoken.size(), 1u);
    EXPECT_EQ(synthesizer->lastText(), QStringLiteral("Rating set to 3."));
    runPostedEvents();
    EXPECT_EQ(completions, 0) << "still speaking";

    synthesizer->finishSpeaking();
    EXPECT_EQ(completions, 0) << "ends arrive from the event loop";
    runPostedEvents();
    EXPECT_EQ(completions, 1);

    // A later utterance without a completion does not run the old one again, whichever way it ends.
    service->speak(QStringLiteral("Again."));
    synthesizer->breakOff();
    runPostedEvents();
    EXPECT_EQ(completions, 1);
}

TEST_F(SpeechFeedback, BlankTextCompletesFromTheEventLoopAndLeavesThePendingTextAlone) {
    int first = 0;
    service->speak(QStringLiteral("Pick set."), [&] { ++first; });

    for (const QString& blank : {QString(), QStringLiteral(" \t\n\r ")}) {
        int completions = 0;
        service->speak(blank, [&] { ++completions; });
        EXPECT_EQ(completions, 0) << "not inside the call";
        runPostedEvents();
        EXPECT_EQ(completions, 1);
    }
    EXPECT_EQ(synthesizer->spoken.size(), 1u) << "blank text is not spoken";
    EXPECT_EQ(synthesizer->stopCount, 0) << "blank text does not cut off the text being spoken";
    service->speak(QString()); // no completion: nothing to call, nothing to crash

    synthesizer->finishSpeaking();
    runPostedEvents();
    EXPECT_EQ(first, 1) << "the pending completion survived the blank texts";
}

TEST_F(SpeechFeedback, NewTextCutsTheOldOneOffAndItsCompletionWaitsForTheNewText) {
    std::vector<QString> completed;
    service->speak(QStringLiteral("First summary."), [&] { completed.push_back("first"); });
    service->speak(QStringLiteral("Second summary."), [&] { completed.push_back("second"); });

    EXPECT_EQ(synthesizer->stopCount, 1) << "the first text is stopped at once";
    ASSERT_EQ(synthesizer->spoken.size(), 2u);
    EXPECT_EQ(synthesizer->spoken[1].text, QStringLiteral("Second summary."));
    runPostedEvents();
    ASSERT_EQ(synthesizer->deliveredEnds.size(), 1u);
    EXPECT_EQ(synthesizer->deliveredEnds[0].second, UtteranceEnd::cancelled);
    EXPECT_TRUE(completed.empty()) << "the first text's cancellation must not hand the microphone back";
    EXPECT_TRUE(synthesizer->isSpeaking());

    synthesizer->finishSpeaking();
    runPostedEvents();
    EXPECT_EQ(completed, std::vector<QString>{"second"}) << "the replaced completion is dropped";
}

TEST_F(SpeechFeedback, UtteranceThatBreaksOffByItselfStillCompletes) {
    int completions = 0;
    service->speak(QStringLiteral("Exposure set."), [&] { ++completions; });
    synthesizer->breakOff();
    runPostedEvents();
    EXPECT_EQ(completions, 1);
}

TEST_F(SpeechFeedback, CompletionMaySpeakAgain) {
    std::vector<QString> completed;
    service->speak(QStringLiteral("One."), [&] {
        completed.push_back("one");
        service->speak(QStringLiteral("Two."), [&] { completed.push_back("two"); });
    });
    synthesizer->finishSpeaking();
    runPostedEvents();
    EXPECT_EQ(completed, std::vector<QString>{"one"});
    EXPECT_EQ(synthesizer->lastText(), QStringLiteral("Two."));
    synthesizer->finishSpeaking();
    runPostedEvents();
    EXPECT_EQ(completed, (std::vector<QString>{"one", "two"}));
}

TEST_F(SpeechFeedback, DestroyedServiceStopsSpeakingAndIsNeverCalledBack) {
    int completions = 0;
    service->speak(QStringLiteral("Crop reset."), [&] { ++completions; });
    service.reset();
    EXPECT_FALSE(synthesizer->isSpeaking());
    EXPECT_EQ(synthesizer->stopCount, 1);
    runPostedEvents();
    EXPECT_EQ(completions, 0);
    ASSERT_EQ(synthesizer->deliveredEnds.size(), 1u) << "the end reached an empty handler";
}
