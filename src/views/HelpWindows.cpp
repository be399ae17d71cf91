#include "views/HelpWindows.h"

#include <QCoreApplication>
#include <QFile>
#include <QMessageBox>
#include <QTextBrowser>
#include <QWidget>

namespace orbix::views {
namespace {

const QString readmeResource = QStringLiteral(":/orbix/help/README.md");
const QString usageHeading = QStringLiteral("Using Orbix");
const QString helpWindowName = QStringLiteral("orbixHelpWindow");
constexpr QSize helpWindowSize{720, 640};

struct License {
    const char* component;
    const char* license;
};

// What the program ships with (the symbol font) or loads at run time, with the licence each comes under.
constexpr License licenses[] = {
    {"Material Icons font", "Apache License 2.0"},
    {"Qt 6 (Core, Gui, Widgets, Network, WebSockets, Multimedia, DBus, Concurrent)", "GNU LGPL 3.0"},
    {"LibRaw", "GNU LGPL 2.1 or CDDL 1.0"},
    {"libplist", "GNU LGPL 2.1"},
    {"libsoxr", "GNU LGPL 2.1"},
    {"PocketSphinx and its US English model", "BSD 2-Clause"},
    {"eSpeak NG", "GNU GPL 3.0"},
    {"AT-SPI (libatspi)", "GNU LGPL 2.1"},
    {"libXtst", "MIT"},
};

} // namespace

QString markdownSection(const QString& markdown, const QString& heading) {
    const QStringList lines = markdown.split(QLatin1Char('\n'));
    const QString start = QStringLiteral("## ") + heading;
    qsizetype first = -1;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString line = lines[i].trimmed();
        if (first < 0 && line == start) {
            first = i;
        } else if (first >= 0 && line.startsWith(QStringLiteral("## "))) {
            return lines.mid(first, i - first).join(QLatin1Char('\n')).trimmed();
        }
    }
    return first < 0 ? QString() : lines.mid(first).join(QLatin1Char('\n')).trimmed();
}

QString aboutOrbixText(const QString& version) {
    QString text = QStringLiteral("<h3>Orbix %1</h3><p>Built with Qt %2.</p><p>Orbix uses:</p><ul>")
                       .arg(version.toHtmlEscaped(), QStringLiteral(QT_VERSION_STR));
    for (const License& entry : licenses) {
        text += QStringLiteral("<li>%1 \u2014 %2</li>")
                    .arg(QString::fromUtf8(entry.component), QString::fromUtf8(entry.license));
    }
    return text + QStringLiteral("</ul>");
}

void showOrbixHelp(QWidget& parent) {
    auto* browser = parent.findChild<QTextBrowser*>(helpWindowName, Qt::FindDirectChildrenOnly);
    if (!browser) {
        browser = new QTextBrowser(&parent);
        browser->setObjectName(helpWindowName);
        browser->setWindowFlag(Qt::Window);
        browser->setWindowTitle(QStringLiteral("Orbix Help"));
        browser->setOpenExternalLinks(true);
        browser->resize(helpWindowSize);
        QFile readme(readmeResource);
        const QString markdown =
            readme.open(QIODevice::ReadOnly) ? QString::fromUtf8(readme.readAll()) : QString();
        browser->setMarkdown(markdownSection(markdown, usageHeading));
    }
    browser->show();
    browser->raise();
    browser->activateWindow();
}

void showAboutOrbix(QWidget& parent) {
    QMessageBox::about(&parent, QStringLiteral("About Orbix"),
                       aboutOrbixText(QCoreApplication::applicationVersion()));
}

} // namespace orbix::views
