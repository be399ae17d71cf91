#include "voice/RealtimeLog.h"

#include "core/RegularFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <unistd.h>

namespace orbix {

namespace {

const QString fileName = QStringLiteral("realtime.log");

// Server texts are logged as they come: a line break or control character in one must not start a forged
// line or drive the terminal that shows the log.
QString singleLine(QString text) {
    for (QChar& character : text) {
        if (character.category() == QChar::Other_Control || character == QChar::LineSeparator ||
            character == QChar::ParagraphSeparator) {
            character = QLatin1Char(' ');
        }
    }
    return text;
}

} // namespace

RealtimeLog::RealtimeLog(QString directory)
    : directory_(directory.isEmpty() ? defaultDirectory() : std::move(directory)) {}

QString RealtimeLog::defaultDirectory() {
    const QString state = qEnvironmentVariable("XDG_STATE_HOME");
    const QString base =
        QDir::isAbsolutePath(state) ? state : QDir::homePath() + QStringLiteral("/.local/state");
    return base + QStringLiteral("/Orbix");
}

QString RealtimeLog::filePath() const {
    return directory_ + QLatin1Char('/') + fileName;
}

void RealtimeLog::write(const QString& message) const {
    QDir().mkpath(directory_);
    const QString path = filePath();
    const QString stamp = QDateTime::currentDateTime().toString(QStringLiteral("yyyy-MM-dd HH:mm:ss.zzz"));
    const QByteArray line =
        (QLatin1Char('[') + stamp + QStringLiteral("] ") + singleLine(message) + QLatin1Char('\n')).toUtf8();
    if (QFileInfo(path).size() + line.size() > maximumSize) {
        const QString previous = path + QStringLiteral(".1");
        QFile::remove(previous);
        QFile::rename(path, previous);
    }
    // Never through a planted link, never blocked by a FIFO, only into a regular file; a file left wider by
    // an earlier version or another tool is narrowed to its owner.
    const int descriptor = files::openOwnerOnlyForWriting(path, true);
    if (descriptor < 0) {
        return;
    }
    qsizetype written = 0;
    while (written < line.size()) {
        const auto count = ::write(descriptor, line.constData() + written, size_t(line.size() - written));
        if (count <= 0) {
            break;
        }
        written += count;
    }
    ::close(descriptor);
}

} // namespace orbix
