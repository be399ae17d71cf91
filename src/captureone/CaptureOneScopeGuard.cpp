#include "captureone/CaptureOneScopeGuard.h"

#include <QRegularExpression>
#include <QStringList>

namespace orbix::CaptureOneScopeGuard {

bool isOffProductAppRequest(const QString& text) {
    static const QStringList appVerbs{"open ",    "launch ",  "start ", "switch to ",
                                      "control ", "work in ", "use "};
    static const QStringList captureOneNouns{"catalog", "session", "folder", "photos",
                                             "photo",   "image",   "images", "document"};
    const QString lower = text.toLower();
    if (lower.contains(QStringLiteral("capture one"))) {
        return false;
    }
    const bool hasVerb = std::any_of(appVerbs.cbegin(), appVerbs.cend(),
                                     [&](const QString& verb) { return lower.contains(verb); });
    if (!hasVerb) {
        return false;
    }
    static const QRegularExpression wordSeparators(QStringLiteral("[^\\p{L}\\p{N}]+"));
    const QStringList words = lower.split(wordSeparators, Qt::SkipEmptyParts);
    return std::none_of(words.cbegin(), words.cend(),
                        [&](const QString& word) { return captureOneNouns.contains(word); });
}

} // namespace orbix::CaptureOneScopeGuard
