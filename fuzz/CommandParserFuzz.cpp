// Feeds arbitrary text to the typed-command parsers, the local grammar, the scope guard and the key=value
// reader.
#include "captureone/CaptureOneCommandParser.h"
#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneService.h"
#include "captureone/CaptureOneSliderPromptParser.h"
#include "captureone/LocalCommands.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)orbix::CaptureOneCommandParser::parse(text, true);
    (void)orbix::CaptureOneSliderPromptParser::parse(text);
    if (const auto reading = orbix::localcommands::read(text)) {
        if (const auto* question = std::get_if<orbix::LocalQuestion>(&*reading)) {
            (void)orbix::localgrammar::answer(*question, text);
        }
    }
    (void)orbix::CaptureOneScopeGuard::isOffProductAppRequest(text);
    const auto map = orbix::CaptureOneService::assignmentMap(text);
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.key().isEmpty() || it.value().isEmpty()) {
            __builtin_trap(); // the reader never keeps an empty key or value
        }
    }
    return 0;
}
