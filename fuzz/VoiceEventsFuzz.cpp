// Untrusted input: frames from the Realtime server, one per line, handled by a voice service without a
// socket. No frame sequence may crash or hang the handler.
#include "voice/OpenAIRealtimeVoiceService.h"

#include <QCoreApplication>
#include <QDir>
#include <QNetworkAccessManager>
#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace orbix;
    static int argc = 1;
    static char name[] = "fuzz_VoiceEvents";
    static char* argv[] = {name, nullptr};
    static QCoreApplication application(argc, argv);
    static QNetworkAccessManager network;

    RealtimeVoiceServiceOptions options;
    options.lookup = [](const QString&) { return std::nullopt; };
    options.logDirectory = QDir::tempPath() + QStringLiteral("/orbix-fuzz-voice");
    OpenAIRealtimeVoiceService service(
        network,
        [](const ComputerUseArguments&, MacComputerUseService::Completion done) {
            done(ComputerUseResult{QStringLiteral("Done."), std::nullopt});
        },
        options);
    service.productScopeBlocker = [](const QString& transcript) -> std::optional<ComputerUseResult> {
        if (transcript.contains(QLatin1Char('!'))) {
            return ComputerUseResult{QStringLiteral("Refused."), std::nullopt};
        }
        return std::nullopt;
    };
    const QByteArray bytes(reinterpret_cast<const char*>(data), qsizetype(size));
    for (const QByteArray& frame : bytes.split('\n')) {
        service.receiveFrame(frame);
    }
    QCoreApplication::processEvents();
    // Timers dropped by the service are deleted later; no event loop runs here, so do it now.
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    return 0;
}
