// The real Linux backend under a private desktop: Xvfb, a session bus and the AT-SPI bus, driving a small
// Qt Widgets window started by the test. The test plays the window manager's part of announcing the
// active window (_NET_ACTIVE_WINDOW).
#include "VirtualDesktop.h"
#include "platform/PlatformAccessibility.h"
#include "uiautomation/UIAutomationService.h"

#include <QProcess>
#include <gtest/gtest.h>

namespace orbix {
namespace {

// The helper window's reports, line by line.
class TestWindow {
public:
    explicit TestWindow(const QProcessEnvironment& environment) {
        QProcessEnvironment env = environment;
        env.insert(QStringLiteral("QT_QPA_PLATFORM"), QStringLiteral("xcb"));
        env.insert(QStringLiteral("QT_LINUX_ACCESSIBILITY_ALWAYS_ON"), QStringLiteral("1"));
        env.insert(QStringLiteral("QT_ACCESSIBILITY"), QStringLiteral("1"));
        process_.setProcessEnvironment(env);
        process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
        QObject::connect(&process_, &QProcess::readyReadStandardOutput, [this] {
            while (process_.canReadLine()) {
                lines_.append(QString::fromUtf8(process_.readLine()).trimmed());
            }
        });
        process_.start(QStringLiteral(ORBIX_ACCESSIBLE_TEST_WINDOW), {});
    }
    ~TestWindow() {
        process_.kill();
        process_.waitForFinished();
    }

    bool waitFor(const QString& line) {
        return test::waitUntil([&] { return lines_.contains(line); });
    }
    std::optional<unsigned long> windowId() {
        std::optional<unsigned long> id;
        test::waitUntil([&] {
            for (const QString& line : lines_) {
                if (line.startsWith(QLatin1String("window "))) {
                    id = line.mid(7).toULong();
                    return true;
                }
            }
            return process_.state() == QProcess::NotRunning;
        });
        return id;
    }
    qint64 pid() const { return process_.processId(); }
    const QStringList& lines() const { return lines_; }

private:
    QProcess process_;
    QStringList lines_;
};

TEST(AtspiEndToEndTest, WithoutAReachableBusTheProcessIsUntrustedAndCarriesOn) {
    // libatspi ends the process when it cannot find a bus; the backend must find out first.
    test::ScopedEnvironment noDisplay("DISPLAY", std::nullopt);
    test::ScopedEnvironment noBus("AT_SPI_BUS_ADDRESS", QByteArray("unix:path=/nonexistent/orbix-a11y-bus"));
    auto backend = createAccessibilityBackend();
    EXPECT_FALSE(backend->isProcessTrusted(true));
    UIAutomationService service(*backend);
    EXPECT_TRUE(service.getVisibleElements().empty());
    EXPECT_EQ(service.typeText(QStringLiteral("x")), UIAutomationResult::accessibilityNotTrusted());

    test::ScopedEnvironment noAddress("AT_SPI_BUS_ADDRESS", std::nullopt);
    test::ScopedEnvironment noSession("DBUS_SESSION_BUS_ADDRESS",
                                      QByteArray("unix:path=/nonexistent/orbix-session"));
    EXPECT_FALSE(backend->isProcessTrusted(false));
    EXPECT_EQ(backend->frontmostApplicationElement(), nullptr);
}

TEST(AtspiEndToEndTest, ListsClicksFocusesTypesAndPressesKeysInARealWindow) {
    test::VirtualDesktop desktop(test::VirtualDesktop::Services::withAccessibility);
    if (!desktop.unavailableReason().isEmpty()) {
        GTEST_SKIP() << "No private accessible desktop: " << desktop.unavailableReason().toStdString();
    }
    auto backend = createAccessibilityBackend();
    UIAutomationService service(*backend);
    ASSERT_TRUE(backend->isProcessTrusted(true));
    // Nothing announced as active yet.
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Auto Adjust")),
              UIAutomationResult::failure(QStringLiteral("No frontmost app is available.")));

    TestWindow window(desktop.environment());
    const auto windowId = window.windowId();
    ASSERT_TRUE(windowId) << window.lines().join(QLatin1Char('\n')).toStdString();
    ASSERT_TRUE(desktop.announceActiveWindow(*windowId));

    // The window registers on the accessibility bus shortly after it appears.
    std::vector<UIElementDescription> elements;
    const auto listed = [&](const QString& role, const QString& name) {
        return std::any_of(elements.begin(), elements.end(),
                           [&](const UIElementDescription& e) { return e.role == role && e.name == name; });
    };
    ASSERT_TRUE(test::waitUntil([&] {
        elements = service.getVisibleElements();
        return listed(QStringLiteral("AXButton"), QStringLiteral("Auto Adjust")) &&
               listed(QStringLiteral("AXTextField"), QStringLiteral("Search"));
    }));
    EXPECT_TRUE(listed(QStringLiteral("AXStaticText"), QStringLiteral("Exposure Readout")));

    // Pressed through its accessible action.
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("auto adjust")),
              UIAutomationResult::success(QStringLiteral("Clicked Auto Adjust.")));
    EXPECT_TRUE(window.waitFor(QStringLiteral("clicked Auto Adjust")));

    // A label has no action: clicked with a synthetic pointer event at its centre.
    EXPECT_EQ(service.clickVisibleElement(QStringLiteral("Exposure Readout")),
              UIAutomationResult::success(QStringLiteral("Clicked Exposure Readout.")));
    EXPECT_TRUE(window.waitFor(QStringLiteral("clicked Exposure Readout")));

    // Focus and type, including characters the keyboard map lacks.
    const QString text = QString::fromUtf8("Warm t\xC3\xB6ne \xF0\x9F\x98\x80 \xC3\x89");
    EXPECT_EQ(service.typeText(text, QStringLiteral("search")),
              UIAutomationResult::success(QStringLiteral("Typed text into search.")));
    EXPECT_TRUE(window.waitFor(QStringLiteral("focus Search")));
    EXPECT_TRUE(window.waitFor(QStringLiteral("text ") + text))
        << window.lines().join(QLatin1Char('\n')).toStdString();

    // Command maps to Control on X11.
    EXPECT_EQ(service.pressKey(*KeyboardKey::parse(QStringLiteral("command shift k"))),
              UIAutomationResult::success(QStringLiteral("Pressed Command-Shift-K.")));
    EXPECT_TRUE(window.waitFor(QStringLiteral("shortcut")));

    // The field's text is its value.
    elements = service.getVisibleElements();
    const auto field = std::find_if(elements.begin(), elements.end(), [](const UIElementDescription& e) {
        return e.name == QLatin1String("Search");
    });
    ASSERT_NE(field, elements.end());
    EXPECT_EQ(field->value, text);
}

} // namespace
} // namespace orbix
