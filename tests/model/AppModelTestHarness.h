#pragma once
// An application model wired to real services: the dispatcher, the script builder and the osascript runner
// driving the Capture One Simulator on a private catalog, and the text provider and update service talking
// to a local HTTP server that plays OpenAI and the back end. Platform ports are recording fakes.

#include "captureone/CaptureOneService.h"
#include "captureone/MacComputerUseService.h"
#include "captureone/OsascriptRunner.h"
#include "captureone/SimulatorLocation.h"
#include "model/AppModel.h"
#include "services/OpenAIAssistantProvider.h"
#include "services/ProductUpdateService.h"
#include "support/LocalHttpServer.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/RecordingAccessibilityBackend.h"
#include "support/RecordingWorkspace.h"
#include "support/SimulatorSession.h"

#include <QNetworkAccessManager>
#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace orbix::test {

class AppModelTest : public ::testing::Test {
protected:
    AppModelTest();

    // Builds the model (its update check starts on the next turn of the event loop).
    AppModel& makeModel(const QString& runningVersion = QStringLiteral("1.0"));
    // Types the prompt, submits it and waits until the model has finished responding.
    void submit(const QString& prompt);
    // The assistant's latest message.
    QString lastReply() const;
    QStringList assistantReplies() const;
    // A Responses reply whose output text is the given JSON object.
    static ScriptedReply modelReply(const QJsonObject& reply);
    // Lets a fixture add services (voice) before the model is built.
    virtual void addServices(AppModelServices& services) { (void)services; }
    // Makes a folder with the given (empty) files under the temporary directory.
    QString makeFolder(const QString& name, const QStringList& files);

    // The update service caches its sign-in token in the user defaults: a home of its own keeps it there.
    QTemporaryDir home;
    ScopedEnvironment homeVariable{"HOME", home.path().toUtf8()};
    // The bundled simulator, and a folder where a test can install other versions.
    QTemporaryDir applications;
    PrivateCaptureOneSetup setup{
        {applications.path(), SimulatorLocation::applicationsFolder().value_or(QString())}};
    SimulatorSession simulator{QStringLiteral(ORBIX_C1SIM_PROGRAM)};
    LocalHttpServer server;
    QNetworkAccessManager network;
    std::unique_ptr<OpenAIAssistantProvider> provider;
    std::unique_ptr<ProductUpdateService> updates;
    CaptureOneService captureOne{std::make_shared<OsascriptRunner>(QStringLiteral(ORBIX_C1SIM_PROGRAM)),
                                 setup.resolver};
    RecordingWorkspace workspace;
    RecordingAccessibilityBackend accessibility;
    MacComputerUseService dispatcher{captureOne, setup.settings, workspace, accessibility};
    std::unique_ptr<AppModel> model;
    QString runningVersion;
    AssistantProvider* providerOverride = nullptr;
    // The photo count above which a tray batch waits for "apply".
    int batchThreshold = 50;
};

} // namespace orbix::test
