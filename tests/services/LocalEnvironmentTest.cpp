#include "services/LocalEnvironment.h"

#include "support/TestSupport.h"

#include <QDir>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace orbix;
using orbix::test::ScopedEnvironment;
using orbix::test::writeFile;

namespace {

// A private home and working directory for each test.
class LocalEnvironmentTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root_.isValid());
        home_ = root_.filePath("home");
        work_ = root_.filePath("work");
        QDir().mkpath(home_);
        QDir().mkpath(work_);
        homeOverride_.emplace("HOME", home_.toUtf8());
        previousDirectory_ = QDir::currentPath();
        ASSERT_TRUE(QDir::setCurrent(work_));
    }
    void TearDown() override {
        QDir::setCurrent(previousDirectory_);
        homeOverride_.reset();
    }

    QString envFile(const QString& directory, const QByteArray& contents) {
        return writeFile(directory + "/.env.local", contents);
    }

    QTemporaryDir root_;
    QString home_;
    QString work_;
    QString previousDirectory_;
    std::optional<ScopedEnvironment> homeOverride_;
};

const QString kName = QStringLiteral("ORBIX_TEST_LOCAL_SETTING");

} // namespace

TEST_F(LocalEnvironmentTest, FileLinesFollowTheLineRules) {
    struct Case {
        const char* contents;
        std::optional<QString> expected;
    };
    const Case cases[] = {
        {"ORBIX_TEST_LOCAL_SETTING=plain", QStringLiteral("plain")},
        {"ORBIX_TEST_LOCAL_SETTING=\"quoted\"", QStringLiteral("quoted")},
        {"ORBIX_TEST_LOCAL_SETTING='\"nested\"'", QStringLiteral("nested")},
        {"ORBIX_TEST_LOCAL_SETTING=\"'\"mixed'\"", QStringLiteral("mixed")},
        {"ORBIX_TEST_LOCAL_SETTING=a=b==c", QStringLiteral("a=b==c")},
        {"ORBIX_TEST_LOCAL_SETTING= spaced value", QStringLiteral(" spaced value")},
        {"ORBIX_TEST_LOCAL_SETTING=\" inner \"", QStringLiteral(" inner ")},
        {"ORBIX_TEST_LOCAL_SETTING=it's", QStringLiteral("it's")},
        {"ORBIX_TEST_LOCAL_SETTING=", QStringLiteral("")},
        {"ORBIX_TEST_LOCAL_SETTING=\"\"", QStringLiteral("")},
        {"   ORBIX_TEST_LOCAL_SETTING=trimmed line   ", QStringLiteral("trimmed line")},
        {"ORBIX_TEST_LOCAL_SETTING =space before", std::nullopt},
        {"orbix_test_local_setting=lower case", std::nullopt},
        {"export ORBIX_TEST_LOCAL_SETTING=exported", std::nullopt},
        {"   # ORBIX_TEST_LOCAL_SETTING=comment", std::nullopt},
        {"ORBIX_TEST_LOCAL_SETTING", std::nullopt},
        {"OTHER=1\nORBIX_TEST_LOCAL_SETTING=first\nORBIX_TEST_LOCAL_SETTING=second", QStringLiteral("first")},
        {"#c\n\n  \nNOEQUALS\nORBIX_TEST_LOCAL_SETTING=after junk", QStringLiteral("after junk")},
        {"\xEF\xBB\xBFORBIX_TEST_LOCAL_SETTING=after bom", QStringLiteral("after bom")},
        {"ORBIX_TEST_LOCAL_SETTING=caf\xC3\xA9", QStringLiteral("caf\u00E9")},
    };
    for (const Case& c : cases) {
        const QString file = envFile(work_, c.contents);
        EXPECT_EQ(LocalEnvironment::value(kName, file), c.expected) << c.contents;
    }

    // "export NAME" is a key of its own.
    envFile(work_, "export ORBIX_TEST_LOCAL_SETTING=exported");
    EXPECT_EQ(LocalEnvironment::value("export " + kName, work_ + "/.env.local"), QStringLiteral("exported"));
}

TEST_F(LocalEnvironmentTest, CrlfFilesReadLikeLfFiles) {
    const QString file =
        envFile(work_, "# comment\r\nFIRST=\"one\"\r\nORBIX_TEST_LOCAL_SETTING=two \r\nLAST=3\r\n");
    EXPECT_EQ(LocalEnvironment::value(kName, file), QStringLiteral("two"));
    EXPECT_EQ(LocalEnvironment::value("FIRST", file), QStringLiteral("one"));
    EXPECT_EQ(LocalEnvironment::value("LAST", file), QStringLiteral("3"));

    // A lone carriage return does not end a line.
    envFile(work_, "A=1\rORBIX_TEST_LOCAL_SETTING=hidden");
    EXPECT_EQ(LocalEnvironment::value(kName, file), std::nullopt);
    EXPECT_EQ(LocalEnvironment::value("A", file), QStringLiteral("1\rORBIX_TEST_LOCAL_SETTING=hidden"));
}

TEST_F(LocalEnvironmentTest, UnreadableFilesContributeNothing) {
    EXPECT_EQ(LocalEnvironment::value(kName, work_ + "/missing/.env.local"), std::nullopt);
    const QString notUtf8 = envFile(work_, "ORBIX_TEST_LOCAL_SETTING=\xFF\xFE bad");
    EXPECT_EQ(LocalEnvironment::value(kName, notUtf8), std::nullopt);
    EXPECT_EQ(LocalEnvironment::value(kName, work_), std::nullopt) << "a directory is not a file";
}

TEST_F(LocalEnvironmentTest, SearchOrderEnvironmentThenFiles) {
    ScopedEnvironment unset(kName.toLatin1().constData(), std::nullopt);
    EXPECT_EQ(LocalEnvironment::value(kName), std::nullopt);

    envFile(home_ + "/.orbix", "ORBIX_TEST_LOCAL_SETTING=from orbix folder");
    EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from orbix folder"));

    envFile(home_, "ORBIX_TEST_LOCAL_SETTING=from home");
    EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from home"));

    // An empty value in the working directory lets the search go on.
    envFile(work_, "ORBIX_TEST_LOCAL_SETTING=\"\"");
    EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from home"));

    // Edits count at the next lookup.
    envFile(work_, "ORBIX_TEST_LOCAL_SETTING=from work");
    EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from work"));

    {
        ScopedEnvironment empty(kName.toLatin1().constData(), QByteArray());
        EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from work"))
            << "empty variable hides nothing";
    }
    ScopedEnvironment set(kName.toLatin1().constData(), "from environment");
    EXPECT_EQ(LocalEnvironment::value(kName), QStringLiteral("from environment"));
}

TEST_F(LocalEnvironmentTest, CandidateFilesAreOrderedAndDistinct) {
    QStringList files = LocalEnvironment::candidateEnvFiles();
    ASSERT_GE(files.size(), 4);
    EXPECT_EQ(files[0], QDir::cleanPath(work_ + "/.env.local"));
    EXPECT_EQ(files[1], QDir::cleanPath(home_ + "/.env.local"));
    EXPECT_EQ(files[2], QDir::cleanPath(home_ + "/.orbix/.env.local"));
    EXPECT_TRUE(files.contains(QDir::cleanPath(QStringLiteral(ORBIX_TEST_SOURCE_ROOT) + "/.env.local")));
    EXPECT_EQ(files.removeDuplicates(), 0);

    // Working directory == home: that file is listed, and read, once.
    ASSERT_TRUE(QDir::setCurrent(home_));
    files = LocalEnvironment::candidateEnvFiles();
    EXPECT_EQ(files.count(QDir::cleanPath(home_ + "/.env.local")), 1);
    EXPECT_EQ(files[1], QDir::cleanPath(home_ + "/.orbix/.env.local"));
}
