#include "views/WindowMenus.h"

#include "model/AppModel.h"
#include "views/HelpWindows.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>
#include <QWidget>

namespace orbix::views {
namespace {

// Qt::CTRL is the Command key on macOS, so one set of shortcuts serves every platform.
QAction* addCommand(QMenu& menu, const QString& text, const QKeySequence& shortcut, const QString& name) {
    QAction* action = menu.addAction(text);
    action->setShortcut(shortcut);
    action->setObjectName(name);
    // The shortcuts work while any widget of the window has focus, the prompt field included.
    action->setShortcutContext(Qt::WindowShortcut);
    return action;
}

} // namespace

void installWindowMenus(QMenuBar& menuBar, AppModel& model, QWidget& window,
                        std::function<void()> showSettings) {
    QMenu* file = menuBar.addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction* newSession = addCommand(*file, QStringLiteral("New Session"), QKeySequence(Qt::CTRL | Qt::Key_N),
                                     QStringLiteral("newSessionAction"));
    QObject::connect(newSession, &QAction::triggered, &model, [&model] { model.startNewSession(); });
    // Ctrl+, (Command-comma on macOS, where the preferences role moves it into the application menu).
    QAction* settings = addCommand(*file, QStringLiteral("Settings\u2026"),
                                   QKeySequence(Qt::CTRL | Qt::Key_Comma), QStringLiteral("settingsAction"));
    settings->setMenuRole(QAction::PreferencesRole);
    QObject::connect(settings, &QAction::triggered, &window, [showSettings = std::move(showSettings)] {
        if (showSettings) {
            showSettings();
        }
    });
#ifndef Q_OS_MACOS
    // macOS puts Quit in the application menu; elsewhere File is where people look for it.
    file->addSeparator();
    QAction* quit = file->addAction(QStringLiteral("Quit"));
    quit->setShortcut(QKeySequence::Quit);
    quit->setMenuRole(QAction::QuitRole);
    QObject::connect(quit, &QAction::triggered, &window, &QWidget::close);
#endif

    QMenu* assistant = menuBar.addMenu(QStringLiteral("&Assistant"));
    assistant->setObjectName(QStringLiteral("assistantMenu"));
    QAction* focus = addCommand(*assistant, QStringLiteral("Focus Prompt"), QKeySequence(Qt::CTRL | Qt::Key_L),
                                QStringLiteral("focusPromptAction"));
    QObject::connect(focus, &QAction::triggered, &model, [&model] { model.togglePromptFocus(); });
    assistant->addSeparator();
    QAction* voice =
        addCommand(*assistant, QStringLiteral("Enable Voice"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_V),
                   QStringLiteral("enableVoiceAction"));
    QObject::connect(voice, &QAction::triggered, &model, [&model] { model.setMode(InputMode::voice); });
    QAction* quiet =
        addCommand(*assistant, QStringLiteral("Enable Quiet"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Q),
                   QStringLiteral("enableQuietAction"));
    QObject::connect(quiet, &QAction::triggered, &model, [&model] { model.setMode(InputMode::quiet); });

    QMenu* help = menuBar.addMenu(QStringLiteral("&Help"));
    help->setObjectName(QStringLiteral("helpMenu"));
    QAction* orbixHelp = addCommand(*help, QStringLiteral("Orbix Help"), QKeySequence::HelpContents,
                                    QStringLiteral("orbixHelpAction"));
    QObject::connect(orbixHelp, &QAction::triggered, &window, [&window] { showOrbixHelp(window); });
    QAction* about = help->addAction(QStringLiteral("About Orbix"));
    about->setObjectName(QStringLiteral("aboutOrbixAction"));
    about->setMenuRole(QAction::AboutRole);
    QObject::connect(about, &QAction::triggered, &window, [&window] { showAboutOrbix(window); });
}

} // namespace orbix::views
