// Feeds arbitrary text to the typed-command parsers, the scope guard and the key=value reader.
#include "captureone/CaptureOneCommandParser.h"
#include "captureone/CaptureOneScopeGuard.h"
#include "captureone/CaptureOneService.h"
#include "captureone/CaptureOneSliderPromptParser.h"

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const QString text = QString::fromUtf8(reinterpret_cast<const char*>(data), qsizetype(size));
    (void)orbix::CaptureOneCommandParser::parse(text, true);
    (void)orbix::CaptureOneSliderPromptParser::parse(text);
    (void)orbix::CaptureOneScopeGuard::isOffProductAppRequest(text);
    const auto map = orbix::CaptureOneService::assignmentMap(text);
    for (auto it = map.cbegin(); it != map.cend(); ++it) {
        if (it.key().isEmpty() || it.value().isEmpty()) {
            __builtin_trap(); // the reader never keeps an empty key or value
        }
    }
    return 0;
}
