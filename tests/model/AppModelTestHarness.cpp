#include "AppModelTestHarness.h"

#include <QCoreApplication>
#include <QDir>
#include <QJsonDocument>

namespace orbix::test {

AppModelTest::AppModelTest() {
    EXPECT_TRUE(server.listen());
    simulator.command({"reset", "--variants", "3", "--select", "1,2"});
}

AppModel& AppModelTest::makeModel(const QString& version) {
    runningVersion = version;
    const auto configuration = [this] {
        return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"},
                                                      {"OrbixProductID", "orbix"},
                                                      {"OrbixBackendURL", server.url().toString()},
                                                      {"CFBundleShortVersionString", runningVersion}},
                                                     {});
    };
    NetworkSettings network = NetworkSettings::defaults();
    network.openAIOrigin = server.url();
    network.identityToolkitOrigin = server.url();
    OpenAIAssistantProviderOptions options;
    options.network = network;
    options.lookup = [](const QString& name) -> std::optional<QString> {
        return name == QStringLiteral("ORBIX_OPENAI_API_KEY")
                   ? std::optional<QString>(QStringLiteral("sk-test"))
                   : std::nullopt;
    };
    options.configuration = configuration;
    provider = std::make_unique<OpenAIAssistantProvider>(this->network, options);
    updates = std::make_unique<ProductUpdateService>(this->network, network);

    AppModelServices services;
    services.assistantProvider = providerOverride ? providerOverride : provider.get();
    services.computerUseService = &dispatcher;
    services.captureOne = &captureOne;
    services.productUpdateService = updates.get();
    services.workspace = &workspace;
    services.configuration = configuration;
    services.batchConfirmationThreshold = [this] { return batchThreshold; };
    addServices(services);
    model = std::make_unique<AppModel>(std::move(services));
    return *model;
}

void AppModelTest::submit(const QString& prompt) {
    model->setPromptText(prompt);
    model->submitPrompt();
    EXPECT_TRUE(waitUntil([this] { return !model->isResponding(); }, std::chrono::seconds(20)))
        << prompt.toStdString();
    // A reply's action starts on the next turn of the event loop; let it start before looking again.
    QCoreApplication::processEvents();
    EXPECT_TRUE(waitUntil([this] { return !model->isResponding(); }, std::chrono::seconds(20)))
        << prompt.toStdString();
}

QStringList AppModelTest::assistantReplies() const {
    QStringList replies;
    for (const ConversationMessage& message : model->messages()) {
        if (message.role == ConversationRole::assistant) {
            replies << message.content;
        }
    }
    return replies;
}

QString AppModelTest::lastReply() const {
    const QStringList replies = assistantReplies();
    return replies.isEmpty() ? QString() : replies.last();
}

ScriptedReply AppModelTest::modelReply(const QJsonObject& reply) {
    const QString text = QString::fromUtf8(QJsonDocument(reply).toJson(QJsonDocument::Compact));
    return ScriptedReply::json(200, QJsonDocument(QJsonObject{{"output_text", text}}).toJson());
}

QString AppModelTest::makeFolder(const QString& name, const QStringList& files) {
    const QString folder = home.filePath(name);
    QDir().mkpath(folder);
    for (const QString& file : files) {
        writeFile(folder + QLatin1Char('/') + file, "photo");
    }
    return folder;
}

} // namespace orbix::test
