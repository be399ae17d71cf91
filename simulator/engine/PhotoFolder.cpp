#include "engine/PhotoFolder.h"

#include <QCollator>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>
#include <algorithm>
#include <sys/stat.h>

namespace orbix::c1sim::photos {

const QStringList& supportedExtensions() {
    static const QStringList extensions{
        QStringLiteral("jpg"),  QStringLiteral("jpeg"), QStringLiteral("png"),  QStringLiteral("tif"),
        QStringLiteral("tiff"), QStringLiteral("heic"), QStringLiteral("heif"), QStringLiteral("dng"),
        QStringLiteral("arw"),  QStringLiteral("cr2"),  QStringLiteral("cr3"),  QStringLiteral("nef"),
        QStringLiteral("nrw"),  QStringLiteral("raf"),  QStringLiteral("rw2"),  QStringLiteral("orf"),
        QStringLiteral("pef"),  QStringLiteral("srw"),  QStringLiteral("x3f")};
    return extensions;
}

bool isRegularFile(const QString& path) {
    // Following links; a link to a FIFO or a device passes QDir's Files filter and QFileInfo::isFile().
    struct stat entry {};
    return ::stat(QFile::encodeName(path).constData(), &entry) == 0 && S_ISREG(entry.st_mode);
}

bool isSupportedPhoto(const QString& path) {
    return supportedExtensions().contains(QFileInfo(path).suffix().toLower());
}

QStringList photosIn(const QString& folder) {
    const QDir dir(folder);
    const QFileInfoList entries = dir.entryInfoList(QDir::Files | QDir::NoDotAndDotDot, QDir::NoSort);
    QStringList names;
    for (const QFileInfo& entry : entries) {
        if (isRegularFile(entry.absoluteFilePath()) && !entry.fileName().startsWith(QLatin1Char('.')) &&
            isSupportedPhoto(entry.fileName())) {
            names << entry.fileName();
        }
    }
    // Numeric collation needs an explicit locale: it is ignored in the C locale.
    QCollator collator(QLocale(QLocale::English, QLocale::UnitedStates));
    collator.setNumericMode(true);
    collator.setCaseSensitivity(Qt::CaseInsensitive);
    std::sort(names.begin(), names.end(),
              [&](const QString& a, const QString& b) { return collator.compare(a, b) < 0; });
    QStringList paths;
    for (const QString& name : names) {
        paths << dir.absoluteFilePath(name);
    }
    return paths;
}

} // namespace orbix::c1sim::photos
