#include "core/TextRules.h"

#include <QLocale>
#include <QRegularExpression>
#include <charconv>
#include <cmath>
#include <limits>

namespace orbix::text {

QString appleScriptEscaped(QStringView text) {
    QString escaped = text.toString();
    escaped.replace(QLatin1Char('\\'), QLatin1String("\\\\"));
    escaped.replace(QLatin1Char('"'), QLatin1String("\\\""));
    return escaped;
}

QString appleScriptQuoted(QStringView text) {
    return QLatin1Char('"') + appleScriptEscaped(text) + QLatin1Char('"');
}

std::optional<NumberMatch> firstNumberMatch(QStringView text) {
    // \d must stay ASCII: digits of other scripts are not numbers for Capture One. Thousands groups are
    // tried first, so "5,200" is not read as 5.2.
    static const QRegularExpression pattern(
        QStringLiteral("(?<sign>[-+]?)(?:(?<grouped>(?<![0-9])[1-9][0-9]{0,2}(?:,[0-9]{3})+(?![0-9])"
                       "(?:\\.[0-9]+)?)|(?<plain>[0-9]+(?:[.,][0-9]+)?|\\.[0-9]+))"));
    const auto match = pattern.match(text);
    if (!match.hasMatch()) {
        return std::nullopt;
    }
    QString written = match.captured(u"sign");
    if (match.hasCaptured(u"grouped")) {
        written += match.captured(u"grouped").remove(QLatin1Char(','));
    } else {
        written += match.captured(u"plain").replace(QLatin1Char(','), QLatin1Char('.'));
    }
    const auto value = parseFiniteReal(written);
    if (!value) {
        return std::nullopt;
    }
    return NumberMatch{*value, match.capturedStart(0), match.capturedLength(0)};
}

std::optional<double> firstNumber(QStringView text) {
    const auto match = firstNumberMatch(text);
    return match ? std::optional<double>(match->value) : std::nullopt;
}

QString trimmed(QStringView text) {
    return text.trimmed().toString();
}

QString trimmedOf(QStringView text, QStringView characters) {
    qsizetype begin = 0;
    qsizetype end = text.size();
    while (begin < end && characters.contains(text[begin])) {
        ++begin;
    }
    while (end > begin && characters.contains(text[end - 1])) {
        --end;
    }
    return text.mid(begin, end - begin).toString();
}

QString trimmedName(QStringView text) {
    return trimmedOf(text, u" .,!?\n\t\"'\u201C\u201D\u2018\u2019");
}

QString lowerKeepingOffsets(QStringView text) {
    QString lower = text.toString();
    for (QChar& c : lower) {
        c = c.toLower();
    }
    return lower;
}

QString compactKey(QStringView text) {
    const QString lower = text.toString().toLower();
    QString key;
    key.reserve(lower.size());
    for (const QChar c : lower) {
        if (c.isLetterOrNumber()) {
            key.append(c);
        }
    }
    return key;
}

QString normalizedPhrase(QStringView text) {
    const QString lower = text.toString().toLower();
    QString kept;
    kept.reserve(lower.size());
    for (const QChar c : lower) {
        if (c.isLetterOrNumber()) {
            kept.append(c);
        } else if (c.isSpace()) {
            kept.append(QLatin1Char(' '));
        }
    }
    return kept.split(QLatin1Char(' '), Qt::SkipEmptyParts).join(QLatin1Char(' '));
}

QString capitalizedWords(QStringView text) {
    QString result = text.toString().toLower();
    bool atWordStart = true;
    for (QChar& c : result) {
        if (c.isLetterOrNumber()) {
            if (atWordStart) {
                c = c.toUpper();
            }
            atWordStart = false;
        } else {
            atWordStart = true;
        }
    }
    return result;
}

QString shortestRealText(double value) {
    char buffer[400];
    const auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed);
    if (error != std::errc()) {
        return {};
    }
    QString textValue = QString::fromLatin1(buffer, end - buffer);
    if (std::isfinite(value) && !textValue.contains(QLatin1Char('.'))) {
        textValue += QLatin1String(".0");
    }
    return textValue;
}

std::optional<double> parseFiniteReal(QStringView text) {
    const QByteArray bytes = text.toLatin1();
    const char* begin = bytes.constData();
    const char* end = begin + bytes.size();
    // from_chars refuses a leading '+'; accept one sign character as written numbers do.
    if (begin != end && *begin == '+') {
        ++begin;
        if (begin != end && (*begin == '-' || *begin == '+')) {
            return std::nullopt;
        }
    }
    if (begin == end) {
        return std::nullopt;
    }
    // Non-Latin-1 characters turn into '?', which never parses; letters other than an exponent are refused.
    for (const char* p = begin; p != end; ++p) {
        const char c = *p;
        const bool allowed = (c >= '0' && c <= '9') || c == '.' || c == '-' || c == '+' || c == 'e' || c == 'E';
        if (!allowed) {
            return std::nullopt;
        }
    }
    double value = 0;
    const auto [stop, error] = std::from_chars(begin, end, value, std::chars_format::general);
    if (error != std::errc() || stop != end || !std::isfinite(value)) {
        return std::nullopt;
    }
    return value;
}

std::optional<qint64> truncatedInteger(double value) {
    if (!std::isfinite(value)) {
        return std::nullopt;
    }
    const double whole = std::trunc(value);
    // 2^63 is exactly representable; every double below it in magnitude fits.
    constexpr double limit = 9223372036854775808.0;
    if (whole >= limit || whole < -limit) {
        return std::nullopt;
    }
    return static_cast<qint64>(whole);
}

QString countText(qsizetype count) {
    return QLocale(QLocale::English, QLocale::UnitedStates).toString(count);
}

QString photoCount(qsizetype count) {
    return count == 1 ? QStringLiteral("1 photo") : countText(count) + QStringLiteral(" photos");
}

} // namespace orbix::text
