#include "captureone/CaptureOneScopeGuard.h"

#include <QRegularExpression>
#include <QStringList>

namespace orbix::CaptureOneScopeGuard {

bool isOffProductAppRequest(const QString& text) {
    static const QStringList captureOneNouns{"catalog", "session", "folder", "photos",
                                             "photo",   "image",   "images", "document"};
    const QString lower = text.toLower();
    if (lower.contains(QStringLiteral("capture one"))) {
        return false;
    }
    // Whole words, each followed by something ("because" holds no "use ").
    static const QRegularExpression appVerb(
        QStringLiteral("(?<![\\p{L}\\p{N}])(?:open|launch|start|switch to|control|work in|use) "));
    if (!lower.contains(appVerb)) {
        return false;
    }
    static const QRegularExpression wordSeparators(QStringLiteral("[^\\p{L}\\p{N}]+"));
    const QStringList words = lower.split(wordSeparators, Qt::SkipEmptyParts);
    return std::none_of(words.cbegin(), words.cend(),
                        [&](const QString& word) { return captureOneNouns.contains(word); });
}

} // namespace orbix::CaptureOneScopeGuard
