#include "TestBundles.h"
#include "captureone/CaptureOneApplicationResolver.h"
#include "support/PrivateCaptureOneSetup.h"
#include "support/TestSupport.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace orbix;

namespace {

// Two applications folders of the test's own, searched in order, and settings of its own.
class ResolverTest : public ::testing::Test {
protected:
    void SetUp() override {}

    QString add(const test::BundleSpec& spec) { return test::makeBundle(folder.path(), spec); }
    QStringList names() const {
        QStringList result;
        for (const auto& application : setup.resolver.installedApplications()) {
            result << application.scriptName;
        }
        return result;
    }

    QTemporaryDir firstFolder;
    QTemporaryDir folder;
    test::PrivateCaptureOneSetup setup{{firstFolder.path(), folder.path()}};
};

} // namespace

TEST_F(ResolverTest, OrdersByBetaThenVersionThenPlainNameThenFinderOrder) {
    add(test::BundleSpec("Capture One 22.app", "15.4"));
    add(test::BundleSpec("Capture One 23.app", "16.0").binary());
    add(test::BundleSpec("Capture One 24 Beta.app", "17.0"));
    add(test::BundleSpec("Capture One 9.app", "16.10").withByteOrderMark());
    add(test::BundleSpec("Capture One.app", "15.4"));
    add(test::BundleSpec("Capture One 10 Trial.app", "15.4"));
    add(test::BundleSpec("Capture One 2 Trial.app", "15.4"));
    EXPECT_EQ(names(), QStringList({"Capture One 9", "Capture One 23", "Capture One", "Capture One 2 Trial",
                                    "Capture One 10 Trial", "Capture One 22", "Capture One 24 Beta"}));
    EXPECT_EQ(setup.resolver.resolve()->scriptName, "Capture One 9");
}

TEST_F(ResolverTest, ReadsInfoPropertiesWithFallbacks) {
    add(test::BundleSpec("Capture One 23.app", "16.3.2").withDisplayName("Capture One"));
    add(test::BundleSpec("Capture One 16.3.2.app", "16.3.2").withIdentifier("com.captureone.x"));
    test::writeFile(folder.path() + "/Capture One Broken.app/Contents/Info.plist", "not a plist");
    // A FIFO for a property list is read as none, not waited on.
    QDir().mkpath(folder.path() + "/Capture One Piped.app/Contents");
    ASSERT_EQ(
        ::mkfifo(QFile::encodeName(folder.path() + "/Capture One Piped.app/Contents/Info.plist").constData(),
                 0600),
        0);
    const auto applications = setup.resolver.installedApplications();
    ASSERT_EQ(applications.size(), 4u);
    EXPECT_EQ(applications[0].settingsLabel(), "Capture One 16.3.2");
    EXPECT_EQ(applications[1].settingsLabel(), "Capture One 23 (16.3.2)");
    EXPECT_EQ(applications[1].displayName, "Capture One");
    EXPECT_EQ(applications[2].scriptName, "Capture One Broken");
    EXPECT_EQ(applications[2].version, "");
    EXPECT_EQ(applications[2].displayName, "Capture One Broken.app");
    EXPECT_EQ(applications[2].id(), folder.path() + "/Capture One Broken.app");
    EXPECT_EQ(applications[3].scriptName, "Capture One Piped");
    EXPECT_EQ(applications[3].version, "");
}

TEST_F(ResolverTest, CandidatesNeedTheIdentifierOrAPlainName) {
    add(test::BundleSpec("My Capture One Tools.app", "99").withIdentifier("com.example.tools"));
    add(test::BundleSpec("My Capture One Build.app", "1").withIdentifier("com.CaptureOne.custom"));
    add(test::BundleSpec("Capture One Lite.app", "1").withIdentifier("com.example.lite"));
    add(test::BundleSpec(".Capture One Hidden.app", "50"));
    test::makeBundle(firstFolder.path(), test::BundleSpec("Capture One 21.app", "14.0"));
    test::writeFile(folder.path() + "/Capture One notes.txt", "x");
    EXPECT_EQ(names(), QStringList({"Capture One 21", "Capture One Lite", "My Capture One Build"}));
}

TEST_F(ResolverTest, ResolutionRulesAndThePinnedVersion) {
    const QString v22 = add(test::BundleSpec("Capture One 22.app", "15.4"));
    const QString v23 = add(test::BundleSpec("Capture One 23.app", "16.0"));
    add(test::BundleSpec("Capture One 24 Beta.app", "17.0"));
    EXPECT_EQ(setup.resolver.resolve()->id(), v23) << "betas are never picked automatically";

    setup.resolver.setPreferredApplicationPath(v22);
    EXPECT_EQ(setup.resolver.resolve()->id(), v22);
    EXPECT_EQ(setup.resolver.resolve(QStringLiteral("capture one"))->id(), v22);
    EXPECT_EQ(setup.resolver.resolve(QStringLiteral("open the latest capture one"))->id(), v23);
    EXPECT_EQ(setup.resolver.resolve(QStringLiteral("Capture One 23.APP"))->id(), v23);

    const QString plain = add(test::BundleSpec("Capture One.app", "16.0"));
    EXPECT_EQ(setup.resolver.resolve(QStringLiteral("capture one 22"))->id(), plain)
        << "equal versions put the plain name first, and its name is contained in the query";

    setup.resolver.setPreferredApplicationPath(v23);
    QDir(v23).removeRecursively();
    EXPECT_EQ(setup.resolver.resolve()->id(), plain) << "a deleted pin is ignored";
    EXPECT_EQ(setup.resolver.preferredApplicationPath(), v23) << "and not cleared";
}

TEST_F(ResolverTest, RequestedNameExtraction) {
    add(test::BundleSpec("Capture One.app", "16.0"));
    add(test::BundleSpec("Capture One 22.app", "15.4"));
    EXPECT_EQ(setup.resolver.explicitRequestedName(QStringLiteral("open Capture One 22 please")),
              "Capture One 22");
    EXPECT_EQ(setup.resolver.explicitRequestedName(QStringLiteral("open capture one")), std::nullopt);
    EXPECT_EQ(setup.resolver.explicitRequestedName(QStringLiteral("open the newest capture one")),
              "latest Capture One");
    EXPECT_EQ(setup.resolver.explicitRequestedName(std::nullopt), std::nullopt);
}

TEST_F(ResolverTest, OnlyBetasOrNothingInstalled) {
    EXPECT_EQ(setup.resolver.resolve(), std::nullopt);
    add(test::BundleSpec("Capture One 24 Beta.app", "17.0"));
    add(test::BundleSpec("Capture One 25 beta.app", "18.0"));
    EXPECT_EQ(setup.resolver.resolve()->scriptName, "Capture One 25 beta");
}

TEST(CaptureOneVersions, DigitRunsCompareAsNumbers) {
    EXPECT_GT(CaptureOneApplicationResolver::compareVersions(u"16.10", u"16.9"), 0);
    EXPECT_EQ(CaptureOneApplicationResolver::compareVersions(u"16.01", u"16.1"), 0);
    EXPECT_LT(CaptureOneApplicationResolver::compareVersions(u"16", u"16.0"), 0);
    EXPECT_GT(CaptureOneApplicationResolver::compareVersions(u"99999999999999999999.1", u"9.1"), 0);
    EXPECT_LT(CaptureOneApplicationResolver::compareVersions(u"", u"1"), 0);
}

TEST(DefaultApplicationFolders, SystemThenHomeThenTheVariableThenTheSimulator) {
    const test::ScopedEnvironment applicationsPath{"ORBIX_APPLICATIONS_PATH", QByteArray("/opt/a::/opt/b")};
    const test::ScopedEnvironment simulator{"ORBIX_SIMULATOR_DIR", QByteArray("/opt/simulator")};
    EXPECT_EQ(CaptureOneApplicationResolver::defaultApplicationFolders(),
              QStringList(
                  {"/Applications", QDir::homePath() + "/Applications", "/opt/a", "/opt/b", "/opt/simulator"}));
}
