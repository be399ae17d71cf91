#include "views/RecentSessionsMenu.h"

#include "model/SessionKeeper.h"

#include <QAction>
#include <QFontMetrics>
#include <QLocale>
#include <QMenu>
#include <QMenuBar>

namespace orbix::views {
namespace {

constexpr qsizetype recentSessionCount = 10;
// The widest a session's title is shown, in average characters.
constexpr int titleCharacters = 48;

QString entryText(const QMenu& menu, const SessionStore::Entry& entry) {
    const QString when = QLocale().toString(entry.updatedAt.toLocalTime(), QLocale::ShortFormat);
    const QFontMetrics metrics(menu.font());
    QString title = metrics.elidedText(entry.title.simplified(), Qt::ElideRight,
                                       metrics.averageCharWidth() * titleCharacters);
    // A single & would underline the next letter as a mnemonic.
    title.replace(QLatin1Char('&'), QStringLiteral("&&"));
    return title + QStringLiteral(" \u2014 ") + when;
}

void fill(QMenu& menu, SessionKeeper& keeper) {
    menu.clear();
    const QList<SessionStore::Entry> entries = keeper.store().recent(recentSessionCount);
    if (entries.isEmpty()) {
        menu.addAction(QStringLiteral("No Saved Sessions"))->setEnabled(false);
        return;
    }
    for (const SessionStore::Entry& entry : entries) {
        QAction* action = menu.addAction(entryText(menu, entry));
        action->setCheckable(true);
        action->setChecked(entry.id == keeper.sessionID());
        QObject::connect(action, &QAction::triggered, &keeper, [&keeper, id = entry.id] { keeper.open(id); });
    }
}

} // namespace

void installRecentSessionsMenu(QMenuBar& menuBar, SessionKeeper& keeper) {
    auto* file = menuBar.findChild<QMenu*>(QStringLiteral("fileMenu"));
    auto* newSession = menuBar.findChild<QAction*>(QStringLiteral("newSessionAction"));
    if (!file) {
        return;
    }
    auto* recent = new QMenu(QStringLiteral("Open Recent Session"), file);
    recent->setObjectName(QStringLiteral("recentSessionsMenu"));
    const QList<QAction*> actions = file->actions();
    const qsizetype after = actions.indexOf(newSession);
    QAction* before = after >= 0 && after + 1 < actions.size() ? actions[after + 1] : nullptr;
    file->insertMenu(before, recent);
    // Read each time it opens, with the current session's waiting save written first so it is listed.
    QObject::connect(recent, &QMenu::aboutToShow, recent, [recent, &keeper] {
        keeper.flush();
        fill(*recent, keeper);
    });
}

} // namespace orbix::views
