// Files put in place by someone else: FIFOs and links behind a name never block a reader, and the
// settings store never writes through a link planted at its path.
#include "core/RegularFile.h"
#include "core/Settings.h"
#include "core/UserDefaults.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace orbix;
using orbix::test::writeFile;

namespace {

void makeFifo(const QString& path) {
    ASSERT_EQ(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
}

void makeLink(const QString& target, const QString& link) {
    ASSERT_TRUE(QDir().mkpath(QFileInfo(link).absolutePath()));
    ASSERT_TRUE(QFile::link(target, link));
}

} // namespace

TEST(RegularFile, OnlyARegularFileIsOpenedAndNothingElseBlocks) {
    QTemporaryDir folder;
    const QString regular = writeFile(folder.filePath("photo.jpg"), "bytes");
    makeFifo(folder.filePath("fifo"));
    makeLink(folder.filePath("fifo"), folder.filePath("to-fifo.jpg"));
    makeLink(regular, folder.filePath("to-photo.jpg"));

    QFile file;
    QString reason;
    ASSERT_TRUE(files::openRegularFile(file, regular, files::Links::refuse, &reason)) << reason.toStdString();
    EXPECT_EQ(file.readAll(), "bytes");
    file.close();

    for (const char* name : {"fifo", "to-fifo.jpg", "missing.jpg", ""}) {
        QFile other;
        EXPECT_FALSE(files::openRegularFile(other, folder.filePath(name), files::Links::follow)) << name;
    }
    QFile linked;
    EXPECT_TRUE(files::openRegularFile(linked, folder.filePath("to-photo.jpg"), files::Links::follow));
    linked.close();
    EXPECT_FALSE(
        files::openRegularFile(linked, folder.filePath("to-photo.jpg"), files::Links::refuse, &reason));
    EXPECT_FALSE(reason.isEmpty());

    EXPECT_EQ(files::readRegularFile(regular, 5, files::Links::refuse), QByteArray("bytes"));
    EXPECT_FALSE(files::readRegularFile(regular, 4, files::Links::refuse)) << "larger than allowed";
    EXPECT_FALSE(files::readRegularFile(folder.filePath("to-fifo.jpg"), 100, files::Links::follow));
}

TEST(UserDefaults, ALinkPlantedAtTheSettingsPathIsSetAsideAndItsTargetLeftAlone) {
    const QStringList paths = userDefaultsFiles();
    ASSERT_EQ(paths.size(), 2);
    EXPECT_EQ(paths.first(), userDefaults()->fileName()) << "the store's own file";
    QFile::remove(paths.first());

    QTemporaryDir elsewhere;
    const QString target = writeFile(elsewhere.filePath("authorized_keys"), "ssh-ed25519 AAAA owner\n");
    ASSERT_TRUE(QFile::setPermissions(target, QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                                  QFileDevice::ReadGroup | QFileDevice::ReadOther));
    const QFileDevice::Permissions before = QFileInfo(target).permissions();
    makeLink(target, paths.first());

    Settings settings;
    settings.setAllowComputerControl(!settings.allowComputerControl());
    EXPECT_TRUE(restrictToOwner(*userDefaults()));

    QFile planted(target);
    ASSERT_TRUE(planted.open(QIODevice::ReadOnly));
    EXPECT_EQ(planted.readAll(), "ssh-ed25519 AAAA owner\n");
    EXPECT_EQ(QFileInfo(target).permissions(), before);
    EXPECT_TRUE(QFileInfo(paths.first() + kSetAsideSuffix).isSymLink()) << "kept, under another name";
    const QFileInfo store(paths.first());
    EXPECT_TRUE(store.isFile() && !store.isSymLink());
    EXPECT_EQ(store.permissions() & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0);
    QFile::remove(paths.first() + kSetAsideSuffix);
}

TEST(UserDefaults, AFifoAtEitherSettingsPathDoesNotHangTheStore) {
    const QStringList paths = userDefaultsFiles();
    for (const QString& path : paths) {
        QFile::remove(path);
        ASSERT_TRUE(QDir().mkpath(QFileInfo(path).absolutePath()));
        makeFifo(path);
    }
    Settings settings;
    EXPECT_EQ(settings.startInQuietMode(), Settings::kDefaultStartInQuietMode);
    settings.setStartInQuietMode(!Settings::kDefaultStartInQuietMode);
    EXPECT_EQ(settings.startInQuietMode(), !Settings::kDefaultStartInQuietMode);
    for (const QString& path : paths) {
        QFile::remove(path + kSetAsideSuffix);
    }
}
