#include "services/LocalEnvironment.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringDecoder>

namespace orbix::LocalEnvironment {
namespace {

const QString kEnvFileName = QStringLiteral(".env.local");
const QString kUserConfigFolder = QStringLiteral(".orbix");

#ifdef ORBIX_SOURCE_ROOT
const QString kSourceRoot = QStringLiteral(ORBIX_SOURCE_ROOT);
#else
const QString kSourceRoot;
#endif

struct BundleLocation {
    QString bundle;
    std::optional<QString> resources;
};

// The running program's bundle: the enclosing "X.app" when the executable lives in X.app/Contents/MacOS,
// otherwise the executable's own folder (which has no resources folder).
std::optional<BundleLocation> mainBundleLocation() {
    if (QCoreApplication::instance() == nullptr) {
        return std::nullopt;
    }
    const QString executableDir = QDir::cleanPath(QCoreApplication::applicationDirPath());
    if (executableDir.isEmpty()) {
        return std::nullopt;
    }
    if (executableDir.endsWith(QStringLiteral(".app/Contents/MacOS"))) {
        const QString bundle = QDir::cleanPath(executableDir + QStringLiteral("/../.."));
        const QString resources = bundle + QStringLiteral("/Contents/Resources");
        return BundleLocation{bundle, QFileInfo(resources).isDir() ? std::optional(resources) : std::nullopt};
    }
    return BundleLocation{executableDir, std::nullopt};
}

QString parentOf(const QString& directory) {
    return QDir::cleanPath(directory + QStringLiteral("/.."));
}

bool isQuoteCharacter(QChar c) {
    return c == QLatin1Char('"') || c == QLatin1Char('\'');
}

// Every leading and trailing quotation mark and apostrophe, in any number and mix; nothing else.
QString strippedOfQuotes(QStringView value) {
    qsizetype begin = 0;
    qsizetype end = value.size();
    while (begin < end && isQuoteCharacter(value[begin])) {
        ++begin;
    }
    while (end > begin && isQuoteCharacter(value[end - 1])) {
        --end;
    }
    return value.mid(begin, end - begin).toString();
}

} // namespace

std::optional<QString> value(const QString& name) {
    const QString fromEnvironment = qEnvironmentVariable(name.toLocal8Bit().constData());
    if (!fromEnvironment.isEmpty()) {
        return fromEnvironment;
    }
    for (const QString& file : candidateEnvFiles()) {
        const auto fromFile = value(name, file);
        if (fromFile && !fromFile->isEmpty()) {
            return fromFile;
        }
    }
    return std::nullopt;
}

std::optional<QString> value(const QString& name, const QString& filePath) {
    QFile file(filePath);
    if (!file.open(QIODevice::ReadOnly)) {
        return std::nullopt;
    }
    return valueInContents(name, file.readAll());
}

std::optional<QString> valueInContents(const QString& name, const QByteArray& contents) {
    // A leading byte-order mark is dropped by the decoder; invalid UTF-8 makes the whole file unreadable.
    QStringDecoder decoder(QStringDecoder::Utf8);
    const QString text = decoder.decode(contents);
    if (decoder.hasError()) {
        return std::nullopt;
    }
    // Lines end at line feeds. In a CRLF file the carriage return ends up at the end of its line and is
    // removed by the line trim below, so CRLF files read exactly like LF files. A lone carriage return is
    // not a line break.
    const auto lines = QStringView(text).split(QLatin1Char('\n'));
    for (const QStringView rawLine : lines) {
        const QStringView line = rawLine.trimmed();
        if (line.isEmpty() || line.startsWith(QLatin1Char('#'))) {
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0) {
            continue;
        }
        if (line.left(equals) != name) {
            continue;
        }
        return strippedOfQuotes(line.mid(equals + 1));
    }
    return std::nullopt;
}

QStringList candidateEnvFiles() {
    const QString home = QDir::homePath();
    QStringList directories{
        QDir::currentPath(),
        home,
        home + QLatin1Char('/') + kUserConfigFolder,
    };
    if (!kSourceRoot.isEmpty()) {
        directories.append(kSourceRoot);
    }
    if (const auto bundle = mainBundleLocation()) {
        const QString container = parentOf(bundle->bundle);
        directories.append(parentOf(container));
        directories.append(container);
        if (bundle->resources) {
            directories.append(*bundle->resources);
        }
    }

    QStringList files;
    for (const QString& directory : directories) {
        const QString file = QDir::cleanPath(directory + QLatin1Char('/') + kEnvFileName);
        if (!files.contains(file)) {
            files.append(file);
        }
    }
    return files;
}

SettingLookup settingLookup() {
    return [](const QString& name) { return value(name); };
}

} // namespace orbix::LocalEnvironment
