// Untrusted input: frames from the Realtime server, one per line, handled by a voice service that is
// connected to a local WebSocket server, so that every answer it sends (tool outputs, follow-ups, buffer
// clears) goes through a real socket. No frame sequence may crash, hang or grow the handler's memory.
// A frame that ends the session (a stop phrase, a fatal error) is followed by a new session for the next
// input.
#include "voice/OpenAIRealtimeVoiceService.h"

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QNetworkAccessManager>
#include <QTimer>
#include <QWebSocket>
#include <QWebSocketServer>
#include <cstddef>
#include <cstdint>
#include <memory>

namespace {

using namespace orbix;

// Greets every connection with "session.created" and throws away what the client sends.
class GreetingServer {
public:
    GreetingServer() : server_(QStringLiteral("fuzz"), QWebSocketServer::NonSecureMode) {
        server_.listen(QHostAddress::LocalHost);
        QObject::connect(&server_, &QWebSocketServer::newConnection, &server_, [this] {
            while (QWebSocket* socket = server_.nextPendingConnection()) {
                QObject::connect(socket, &QWebSocket::disconnected, socket, &QObject::deleteLater);
                socket->sendTextMessage(QStringLiteral(R"({"type":"session.created"})"));
            }
        });
    }
    QUrl origin() const { return QUrl(QStringLiteral("ws://127.0.0.1:%1").arg(server_.serverPort())); }

private:
    QWebSocketServer server_;
};

struct Harness {
    Harness() {
        RealtimeVoiceServiceOptions options;
        options.lookup = [](const QString& name) -> std::optional<QString> {
            return name == QLatin1String("OPENAI_API_KEY") ? std::optional<QString>(QStringLiteral("sk-fuzz"))
                                                           : std::nullopt;
        };
        options.configuration = [] {
            return ProductConfiguration::fromInformation({{"OrbixBuildFlavor", "internal"}}, {});
        };
        options.network = NetworkSettings::defaults();
        options.network.realtimeOrigin = server.origin();
        options.logDirectory = QDir::tempPath() + QStringLiteral("/orbix-fuzz-voice");
        service = std::make_unique<OpenAIRealtimeVoiceService>(
            network,
            [](const ComputerUseArguments& arguments, ComputerUseCompletion done) {
                // Some actions answer at once, the others from the event loop, as the dispatcher does.
                const ComputerUseResult result{QStringLiteral("Done."), std::nullopt};
                if (arguments.action == QLatin1String("c1_process")) {
                    QTimer::singleShot(0, [done, result] { done(result); });
                } else {
                    done(result);
                }
            },
            options);
        service->setProductScopeBlocker([](const QString& transcript) -> std::optional<ComputerUseResult> {
            if (transcript.isEmpty() || transcript.contains(QLatin1Char('!'))) {
                return ComputerUseResult{QStringLiteral("Refused."), std::nullopt};
            }
            return std::nullopt;
        });
        service->setImportedPhotoTargetPathsProvider(
            [](const RealtimeImportedPhotoTargetRequest& request,
               std::function<void(std::optional<QStringList>)> answer) {
                if (request.text && request.text->contains(QLatin1String("imported"))) {
                    answer(QStringList());
                } else {
                    answer(std::nullopt);
                }
            });
    }

    // A text-only session: no audio devices are needed to reach every handler.
    bool connect() {
        if (service->isActive()) {
            return true;
        }
        service->start(false);
        const QDeadlineTimer deadline(2000);
        while (!service->isActive() && !deadline.hasExpired()) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
        return service->isActive();
    }

    GreetingServer server;
    QNetworkAccessManager network;
    std::unique_ptr<OpenAIRealtimeVoiceService> service;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int argc = 1;
    static char name[] = "fuzz_VoiceEvents";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static Harness harness;

    if (!harness.connect()) {
        return 0;
    }
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& frame : bytes.split('\n')) {
        harness.service->receiveFrame(frame);
    }
    QCoreApplication::processEvents();
    // Timers dropped by the service are deleted later; no event loop runs here, so do it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
