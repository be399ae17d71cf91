#include "engine/ScriptValue.h"

#include <QStringList>
#include <charconv>
#include <cmath>

namespace orbix::c1sim {
namespace {

QString quoted(const QString& text) {
    QString escaped = text;
    escaped.replace(QLatin1Char('\\'), QStringLiteral("\\\\"));
    escaped.replace(QLatin1Char('"'), QStringLiteral("\\\""));
    return QLatin1Char('"') + escaped + QLatin1Char('"');
}

QString objectText(const ObjectRef& ref) {
    const QString application = QStringLiteral("application ") + quoted(ref.applicationName);
    const QString document = QStringLiteral("document 1 of ") + application;
    const QString variant = QStringLiteral("variant id %1 of ").arg(quoted(ref.variantId)) + document;
    switch (ref.kind) {
    case ObjectRef::Kind::Application:
    case ObjectRef::Kind::HostApplication:
        return application;
    case ObjectRef::Kind::Document:
        return document;
    case ObjectRef::Kind::Variant:
        return variant;
    case ObjectRef::Kind::Adjustments:
        return QStringLiteral("adjustments of ") + variant;
    case ObjectRef::Kind::Layer:
        return QStringLiteral("layer id %1 of ").arg(ref.layerId) + variant;
    }
    return application;
}

QString shortestDigits(double value, std::chars_format format) {
    char buffer[64];
    const auto result = std::to_chars(buffer, buffer + sizeof buffer, value, format);
    return QString::fromLatin1(buffer, int(result.ptr - buffer));
}

QString joined(const List& items, QString (*form)(const Value&)) {
    QStringList parts;
    for (const Value& item : items) {
        parts << form(item);
    }
    return parts.join(QStringLiteral(", "));
}

} // namespace

Value Value::deepCopy() const {
    if (is<ListPtr>()) {
        List copy;
        copy.reserve(items().size());
        for (const Value& item : items()) {
            copy.push_back(item.deepCopy());
        }
        return Value::list(std::move(copy));
    }
    if (is<std::shared_ptr<Record>>()) {
        Record copy;
        for (const auto& [label, value] : record()) {
            copy.emplace_back(label, value.deepCopy());
        }
        return Value(std::move(copy));
    }
    return *this;
}

qint64 Value::weight() const {
    qint64 total = 1;
    if (is<ListPtr>()) {
        for (const Value& item : items()) {
            total += item.weight();
        }
    } else if (is<std::shared_ptr<Record>>()) {
        for (const auto& field : record()) {
            total += field.second.weight();
        }
    } else if (is<QString>()) {
        total += as<QString>().size() / 64;
    }
    return total;
}

QString className(const Value& value) {
    if (value.is<MissingValue>()) {
        return QStringLiteral("missing value");
    }
    if (value.is<bool>()) {
        return QStringLiteral("boolean");
    }
    if (value.is<qint64>()) {
        return QStringLiteral("integer");
    }
    if (value.is<double>()) {
        return QStringLiteral("real");
    }
    if (value.is<QString>()) {
        return QStringLiteral("text");
    }
    if (value.is<ListPtr>()) {
        return QStringLiteral("list");
    }
    if (value.is<std::shared_ptr<Record>>()) {
        return QStringLiteral("record");
    }
    if (value.is<FileRef>()) {
        return QStringLiteral("file");
    }
    if (value.is<Enumerator>()) {
        return QStringLiteral("constant");
    }
    return QStringLiteral("reference");
}

QString formatReal(double value) {
    if (!std::isfinite(value)) {
        return value > 0 ? QStringLiteral("1.797693E+308") : QStringLiteral("-1.797693E+308");
    }
    const double magnitude = std::fabs(value);
    if (magnitude != 0 && (magnitude >= 1e4 || magnitude < 1e-4)) {
        QString text = shortestDigits(value, std::chars_format::scientific); // e.g. 1.2345e+04, 1e-05
        const int e = int(text.indexOf(QLatin1Char('e')));
        QString mantissa = text.left(e);
        if (!mantissa.contains(QLatin1Char('.'))) {
            mantissa += QStringLiteral(".0");
        }
        const int exponent = text.mid(e + 1).toInt();
        return mantissa + QStringLiteral("E") + (exponent < 0 ? QStringLiteral("-") : QStringLiteral("+")) +
               QString::number(std::abs(exponent));
    }
    QString text = shortestDigits(value, std::chars_format::fixed);
    if (!text.contains(QLatin1Char('.'))) {
        text += QStringLiteral(".0");
    }
    return text;
}

QString displayText(const Value& value) {
    if (value.is<QString>()) {
        return value.as<QString>();
    }
    if (value.is<ListPtr>()) {
        return joined(value.items(), &displayText);
    }
    if (value.is<std::shared_ptr<Record>>()) {
        QStringList parts;
        for (const auto& [label, field] : value.record()) {
            parts << label + QLatin1Char(':') + displayText(field);
        }
        return parts.join(QStringLiteral(", "));
    }
    return sourceText(value);
}

QString sourceText(const Value& value) {
    if (value.is<MissingValue>()) {
        return QStringLiteral("missing value");
    }
    if (value.is<bool>()) {
        return value.as<bool>() ? QStringLiteral("true") : QStringLiteral("false");
    }
    if (value.is<qint64>()) {
        return QString::number(value.as<qint64>());
    }
    if (value.is<double>()) {
        return formatReal(value.as<double>());
    }
    if (value.is<QString>()) {
        return quoted(value.as<QString>());
    }
    if (value.is<ListPtr>()) {
        return QLatin1Char('{') + joined(value.items(), &sourceText) + QLatin1Char('}');
    }
    if (value.is<std::shared_ptr<Record>>()) {
        QStringList parts;
        for (const auto& [label, field] : value.record()) {
            parts << label + QLatin1Char(':') + sourceText(field);
        }
        return QLatin1Char('{') + parts.join(QStringLiteral(", ")) + QLatin1Char('}');
    }
    if (value.is<FileRef>()) {
        return QStringLiteral("file ") + quoted(value.as<FileRef>().path);
    }
    if (value.is<Enumerator>()) {
        return value.as<Enumerator>().name;
    }
    return objectText(value.as<ObjectRef>());
}

std::optional<QString> coerceToText(const Value& value) {
    if (value.is<QString>()) {
        return value.as<QString>();
    }
    if (value.is<qint64>() || value.is<double>() || value.is<bool>() || value.is<Enumerator>()) {
        return sourceText(value);
    }
    if (value.is<FileRef>()) {
        return value.as<FileRef>().path;
    }
    if (value.is<ListPtr>()) {
        QString text;
        for (const Value& item : value.items()) {
            const auto part = coerceToText(item);
            if (!part) {
                return std::nullopt;
            }
            text += *part;
        }
        return text;
    }
    return std::nullopt;
}

bool valuesEqual(const Value& a, const Value& b) {
    if (a.isNumber() && b.isNumber()) {
        if (a.is<qint64>() && b.is<qint64>()) {
            return a.as<qint64>() == b.as<qint64>();
        }
        return a.toDouble() == b.toDouble();
    }
    if (a.is<QString>() && b.is<QString>()) {
        return a.as<QString>().compare(b.as<QString>(), Qt::CaseInsensitive) == 0;
    }
    if (a.is<ListPtr>() && b.is<ListPtr>()) {
        const List& x = a.items();
        const List& y = b.items();
        if (x.size() != y.size()) {
            return false;
        }
        for (size_t i = 0; i < x.size(); ++i) {
            if (!valuesEqual(x[i], y[i])) {
                return false;
            }
        }
        return true;
    }
    if (a.is<std::shared_ptr<Record>>() && b.is<std::shared_ptr<Record>>()) {
        const Record& x = a.record();
        const Record& y = b.record();
        if (x.size() != y.size()) {
            return false;
        }
        for (size_t i = 0; i < x.size(); ++i) {
            if (x[i].first != y[i].first || !valuesEqual(x[i].second, y[i].second)) {
                return false;
            }
        }
        return true;
    }
    if (a.is<bool>() && b.is<bool>()) {
        return a.as<bool>() == b.as<bool>();
    }
    if (a.is<FileRef>() && b.is<FileRef>()) {
        return a.as<FileRef>() == b.as<FileRef>();
    }
    if (a.is<Enumerator>() && b.is<Enumerator>()) {
        return a.as<Enumerator>() == b.as<Enumerator>();
    }
    if (a.is<ObjectRef>() && b.is<ObjectRef>()) {
        ObjectRef x = a.as<ObjectRef>();
        ObjectRef y = b.as<ObjectRef>();
        x.applicationName.clear();
        y.applicationName.clear();
        return x == y;
    }
    return a.isMissing() && b.isMissing();
}

} // namespace orbix::c1sim
