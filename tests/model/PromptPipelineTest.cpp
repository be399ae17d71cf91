#include "model/PromptPipeline.h"

#include "AppModelTestHarness.h"
#include "model/ChangeHistory.h"
#include "services/AssistantProvider.h"

#include <QJsonArray>
#include <QTimer>

using namespace orbix;
using namespace orbix::test;

namespace {

const QString scopeNotice =
    "Orbix works exclusively with Capture One. I can’t open, control, or perform work in other apps.";

int scriptsRun(SimulatorSession& simulator) {
    return simulator.dump().value("application").toObject().value("scriptsRun").toInt();
}

// A provider whose reply the test fixes, for replies the Responses provider never produces (two artifacts).
class FixedProvider : public AssistantProvider {
public:
    explicit FixedProvider(AssistantResponse response) : response_(std::move(response)) {}
    AssistantProviderKind kind() const override { return AssistantProviderKind::openAI; }
    void respond(const AssistantRequest&, ResponseCompletion completion) const override {
        QTimer::singleShot(0, [completion, response = response_] { completion(response); });
    }

private:
    AssistantResponse response_;
};

// A provider that keeps the completion until the test answers.
class HeldProvider : public AssistantProvider {
public:
    AssistantProviderKind kind() const override { return AssistantProviderKind::openAI; }
    void respond(const AssistantRequest&, ResponseCompletion completion) const override { held = completion; }
    mutable ResponseCompletion held;
};

} // namespace

TEST_F(AppModelTest, EmptyPromptsAndPromptsWhileRespondingAreIgnored) {
    makeModel();
    model->setPromptText("  \n");
    model->submitPrompt();
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_EQ(model->promptText(), "  \n");

    server.enqueue("POST", "/v1/responses",
                   modelReply({{"message", "Hello."}}).after(std::chrono::milliseconds(200)));
    model->setPromptText("hello there");
    model->submitPrompt();
    EXPECT_TRUE(model->isResponding());
    model->setPromptText("capture one status");
    model->submitPrompt();
    EXPECT_EQ(model->promptText(), "capture one status") << "a pending request leaves the prompt untouched";
    ASSERT_TRUE(waitUntil([&] { return !model->isResponding(); }));
    EXPECT_EQ(assistantReplies(), QStringList{"Hello."});
    EXPECT_EQ(model->messages().size(), 2);
}

TEST_F(AppModelTest, ScopeRefusalIsImmediateAndSelectsItsArtifact) {
    makeModel();
    const int before = scriptsRun(simulator);
    model->setPromptText("open the mail app");
    model->submitPrompt();
    EXPECT_FALSE(model->isResponding()) << "no background work";
    ASSERT_EQ(model->messages().size(), 2);
    EXPECT_EQ(model->messages()[0].role, ConversationRole::user);
    EXPECT_EQ(model->messages()[0].mode, InputMode::quiet);
    EXPECT_EQ(lastReply(), scopeNotice);
    ASSERT_TRUE(model->selectedArtifact().has_value());
    EXPECT_EQ(model->selectedArtifact()->title, "Capture One only");
    EXPECT_EQ(model->selectedArtifact()->body, scopeNotice);
    EXPECT_EQ(scriptsRun(simulator), before);
    EXPECT_TRUE(server.requests().isEmpty() || server.requestsTo("/v1/responses").isEmpty());
}

TEST_F(AppModelTest, ConnectionTestAndLocalCommandsRunInTheSimulator) {
    makeModel();
    submit("Test Capture-One connection");
    EXPECT_TRUE(lastReply().startsWith("Selected variants: 2\nPrimary: ")) << lastReply().toStdString();
    EXPECT_TRUE(model->artifacts().isEmpty());

    submit("capture one status please, no connection test");
    EXPECT_TRUE(lastReply().startsWith("Selected variants: 2")) << "status through the local parser";

    submit("capture one rate this 4 stars");
    EXPECT_EQ(lastReply(), "Set rating to 4 on 2 selected variant(s).");
    const QJsonArray variants = simulator.variants();
    EXPECT_EQ(variants[0].toObject().value("rating").toInt(), 4);
    EXPECT_EQ(variants[1].toObject().value("rating").toInt(), 4);
    EXPECT_EQ(variants[2].toObject().value("rating").toInt(), 0);

    // Typed "undo" and "redo" take it back and put it again, before any parser or model sees the words.
    submit("Undo that");
    EXPECT_EQ(lastReply(), "Restored rating on 2 photos.");
    EXPECT_EQ(simulator.variants()[0].toObject().value("rating").toInt(), 0);
    model->showChanges();
    ASSERT_TRUE(model->selectedArtifact());
    EXPECT_EQ(model->selectedArtifact()->title, "Session Changes");
    EXPECT_TRUE(model->selectedArtifact()->body.contains("rating 0 → 4 (undone)"));
    submit("redo");
    EXPECT_EQ(simulator.variants()[1].toObject().value("rating").toInt(), 4);
    EXPECT_FALSE(model->selectedArtifact()->body.contains("(undone)")) << "the log follows every undo and redo";
    ASSERT_EQ(model->changeHistory()->changes().size(), 1);
    EXPECT_EQ(model->changeHistory()->changes()[0].road, ChangeRoad::typed);
    EXPECT_EQ(model->changeHistory()->changes()[0].request, "capture one rate this 4 stars");
    EXPECT_TRUE(server.requestsTo("/v1/responses").isEmpty());
}

TEST_F(AppModelTest, TypedInTheWindowTheGrammarRunsWhileCaptureOneIsInUseAndAsksForWhatIsMissing) {
    makeModel();
    workspace.frontmost = FrontmostApplication{"Orbix", std::nullopt};
    workspace.inUseBeforeOrbix = FrontmostApplication{"Capture One Simulator", std::nullopt};
    const auto adjustment = [&](const char* name) {
        return simulator.variants()[0].toObject().value("adjustments").toObject().value(name).toDouble();
    };
    const double temperature = adjustment("temperature");
    submit("rate this 4 stars");
    EXPECT_EQ(lastReply(), "Set rating to 4 on 2 selected variant(s).");
    submit("make it warmer");
    EXPECT_DOUBLE_EQ(adjustment("temperature"), temperature + 500);

    submit("set exposure");
    EXPECT_EQ(lastReply(), "To what value?");
    submit("zero point five");
    EXPECT_EQ(lastReply(), "Adjusted exposure on 2 selected variant(s).");
    EXPECT_DOUBLE_EQ(adjustment("exposure"), 0.5);
    submit("tag it");
    EXPECT_EQ(lastReply(), "Which colour?");
    submit("a bit darker");
    EXPECT_DOUBLE_EQ(adjustment("exposure"), 0.35) << "not an answer: the question is dropped";
    EXPECT_EQ(simulator.variants()[0].toObject().value("colorTag").toInt(), 0);
    EXPECT_TRUE(server.requestsTo("/v1/responses").isEmpty());

    // Another application in use: the text model's.
    workspace.inUseBeforeOrbix = FrontmostApplication{"Finder", std::nullopt};
    server.enqueue("POST", "/v1/responses", modelReply({{"message", "Asked the model."}}));
    submit("rate this 2 stars");
    EXPECT_EQ(lastReply(), "Asked the model.");
}

TEST_F(AppModelTest, WithoutATextModelWhatTheGrammarReadsRunsAndTheRestGetsExamples) {
    class NoTextModel : public AssistantProvider {
    public:
        AssistantProviderKind kind() const override { return AssistantProviderKind::openAI; }
        bool isConfigured() const override { return false; }
        void respond(const AssistantRequest&, ResponseCompletion completion) const override {
            QTimer::singleShot(0, [completion] { completion({}); });
        }
    } noTextModel;
    providerOverride = &noTextModel;
    makeModel();
    workspace.frontmost = FrontmostApplication{"Finder", std::nullopt};
    submit("tag it red");
    EXPECT_EQ(lastReply(), "Set color tag on 2 selected variant(s).");
    EXPECT_EQ(simulator.variants()[1].toObject().value("colorTag").toInt(), 1);
    submit("what's the weather like");
    EXPECT_EQ(lastReply(), LocalCommandRoad::examplesText);
}

TEST_F(AppModelTest, ModelReplyThenItsActionOnTheCaptureOneSelection) {
    server.enqueue(
        "POST", "/v1/responses",
        modelReply({{"message", "Setting the rating."},
                    {"artifact", QJsonObject{{"kind", "note"}, {"title", "Plan"}, {"body", "Rate 4"}}},
                    {"action", QJsonObject{{"type", "C1_Set_Rating "}, {"value", 4.7}}}}));
    QList<bool> respondingChanges;
    makeModel();
    QObject::connect(model.get(), &AppModel::isRespondingChanged,
                     [&] { respondingChanges << model->isResponding(); });
    submit("give the keepers a good rating");
    EXPECT_EQ(assistantReplies(),
              QStringList({"Setting the rating.", "Set rating to 4 on 2 selected variant(s)."}));
    EXPECT_EQ(respondingChanges, QList<bool>({true, false, true, false}));
    ASSERT_TRUE(model->selectedArtifact().has_value());
    EXPECT_EQ(model->selectedArtifact()->title, "Plan");
    EXPECT_EQ(model->selectedArtifact()->kind, ArtifactKind::note);
    EXPECT_EQ(simulator.variants()[1].toObject().value("rating").toInt(), 4);

    const auto requests = server.requestsTo("/v1/responses");
    ASSERT_EQ(requests.size(), 1);
    EXPECT_TRUE(requests[0].json().value("input").toString().endsWith("give the keepers a good rating"));
}

TEST_F(AppModelTest, ReplyActionsOpenOnlyCaptureOneAndRefuseUnknownNames) {
    makeModel();
    server.enqueue(
        "POST", "/v1/responses",
        modelReply({{"message", "Opening."}, {"action", QJsonObject{{"type", "open_app"}, {"text", "Mail"}}}}));
    submit("bring up the editor");
    ASSERT_EQ(workspace.openedApplications.size(), 1);
    EXPECT_TRUE(workspace.openedApplications[0].toLocalFile().endsWith("/Capture One Simulator.app"));
    EXPECT_EQ(lastReply(),
              "Opened Capture One Simulator. Orbix will use this version for Capture One commands.");

    server.enqueue("POST", "/v1/responses",
                   modelReply({{"message", "Running."}, {"action", QJsonObject{{"type", "do_shell_script"}}}}));
    submit("do something clever");
    EXPECT_EQ(assistantReplies().mid(2), QStringList({"Running.", "Orbix supports Capture One actions only."}));
}

TEST_F(AppModelTest, ReplyWithTwoArtifactsSelectsTheLast) {
    const auto first = Artifact::make(ArtifactKind::markdown, "One", ArtifactStatus::ready, "1");
    const auto second = Artifact::make(ArtifactKind::note, "Two", ArtifactStatus::ready, "2");
    FixedProvider fixed({ConversationMessage::make(ConversationRole::assistant, InputMode::quiet, ""),
                         {first, second},
                         std::nullopt});
    providerOverride = &fixed;
    makeModel();
    submit("two documents please");
    ASSERT_EQ(model->artifacts().size(), 2);
    EXPECT_EQ(model->selectedArtifactID(), second.id);
    EXPECT_EQ(lastReply(), "") << "an empty reply is still shown";
}

TEST_F(AppModelTest, SessionsKeepTheTrayAndSelectionRulesHold) {
    makeModel();
    submit("open the mail app");
    const auto refusal = *model->selectedArtifact();
    model->setArtifactPanelCleared(true);
    EXPECT_FALSE(model->selectedArtifact().has_value());
    model->setSelectedArtifactID(refusal.id);
    EXPECT_TRUE(model->selectedArtifact().has_value()) << "selecting again reopens the inspector";
    model->setSelectedArtifactID(QUuid::createUuid());
    EXPECT_FALSE(model->selectedArtifact().has_value());

    const QString folder = makeFolder("tray", {"a.jpg"});
    submit("import photos from " + folder);
    ASSERT_EQ(model->importedPhotos().size(), 1);
    model->setPromptText("draft");
    model->startNewSession();
    EXPECT_TRUE(model->messages().isEmpty());
    EXPECT_TRUE(model->artifacts().isEmpty());
    EXPECT_FALSE(model->selectedArtifact().has_value());
    EXPECT_EQ(model->promptText(), "");
    EXPECT_EQ(model->importedPhotos().size(), 1);
    EXPECT_EQ(model->selectedImportedPhotos().size(), 1);

    EXPECT_EQ(model->property("selectedArtifactID").toUuid(), QUuid());
    EXPECT_EQ(model->property("selectedSection").toString(), "chat");
    EXPECT_EQ(model->property("importedPhotoCount").toInt(), 1);
    model->setProperty("promptText", "via the property");
    EXPECT_EQ(model->promptText(), "via the property");

    bool focus = model->shouldFocusPrompt();
    model->applyIntentRoute(AppIntentRoute::make(SidebarSection::chat, QString()));
    EXPECT_EQ(model->shouldFocusPrompt(), focus);
    const AppIntentRoute note = AppIntentRoute::make(SidebarSection::chat, "rate these 5");
    model->applyIntentRoute(note);
    model->applyIntentRoute(note);
    EXPECT_EQ(model->promptText(), "via the property\nrate these 5") << "a route handed over twice counts once";
    model->applyIntentRoute(AppIntentRoute::make(SidebarSection::chat, "and warmer"));
    EXPECT_EQ(model->shouldFocusPrompt(), focus) << "toggled twice";
    EXPECT_EQ(model->promptText(), "via the property\nrate these 5\nand warmer")
        << "a typed draft is kept and each note goes on a line of its own";
    model->setPromptText("draft\n");
    model->applyIntentRoute(AppIntentRoute::make(SidebarSection::chat, "note"));
    EXPECT_EQ(model->promptText(), "draft\nnote");
    model->setPromptText("  \n ");
    model->applyIntentRoute(AppIntentRoute::make(SidebarSection::chat, "note"));
    EXPECT_EQ(model->promptText(), "note") << "blanks are no draft";
    EXPECT_TRUE(model->messages().isEmpty()) << "a route never submits";
}

TEST(ConnectionTestPhrases, HyphensCountAsSpaces) {
    EXPECT_TRUE(AppModel::isCaptureOneConnectionTest("please test capture-one connection"));
    EXPECT_TRUE(AppModel::isCaptureOneConnectionTest("Capture One status: connection ok?"));
    EXPECT_FALSE(AppModel::isCaptureOneConnectionTest("capture one status"));
    EXPECT_FALSE(AppModel::isCaptureOneConnectionTest("test the capture one link"));
}

// The model destroys its pipeline first; a road still waiting must then reach no part of the model.
TEST(PromptPipelineLifetime, RoadsStartAfterRouteReturnsAndLateAnswersReachNoOne) {
    HeldProvider provider;
    QStringList seen;
    PromptPipeline::Host host;
    host.answersWakeConfirmation = [](const QString&) { return false; };
    host.setWorkDescription = [&](const QString& work) { seen << "work: " + work; };
    host.setResponding = [&](bool responding) { seen << QString("responding: %1").arg(responding); };
    host.appendMessage = [&](const ConversationMessage& message) { seen << "message: " + message.content; };
    PromptPipeline::Services services;
    services.assistantProvider = &provider;
    auto pipeline = std::make_unique<PromptPipeline>(services, host);

    pipeline->route("what is a catalog?");
    EXPECT_FALSE(provider.held) << "the road's waiting part starts on the next turn";
    ASSERT_TRUE(waitUntil([&] { return bool(provider.held); }));
    const auto answer = ConversationMessage::make(ConversationRole::assistant, InputMode::quiet, "A library.");
    pipeline.reset();
    provider.held(AssistantResponse{answer, {}, std::nullopt});
    EXPECT_EQ(seen, QStringList{"work: Asking the assistant."});
}

// A change names the request that made it, also when a wake command is heard while it runs (after a typed
// request or another wake command).
TEST_F(AppModelTest, AChangeNamesItsOwnRequestWhenAnotherIsHeardWhileItRuns) {
    makeModel();
    model->setPromptText(QStringLiteral("capture one rate this 4 stars"));
    model->submitPrompt();
    model->handleWakePhrase(QStringLiteral("capture one status"));
    ASSERT_TRUE(waitUntil([&] { return !model->isResponding() && model->messages().size() == 4; }))
        << "both requests answered";
    ASSERT_EQ(model->changeHistory()->changes().size(), 1);
    EXPECT_EQ(model->changeHistory()->changes()[0].request, "capture one rate this 4 stars");

    // And a wake command while another runs.
    model->handleWakePhrase(QStringLiteral("capture one set rating to 2"));
    model->handleWakePhrase(QStringLiteral("capture one status"));
    ASSERT_TRUE(waitUntil([&] { return !model->isResponding() && model->messages().size() == 8; }));
    ASSERT_EQ(model->changeHistory()->changes().size(), 2);
    EXPECT_EQ(model->changeHistory()->changes()[1].request, "capture one set rating to 2");
    EXPECT_EQ(model->changeHistory()->changes()[1].road, ChangeRoad::wake);
}
