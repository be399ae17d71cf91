#include "views/WindowMenus.h"

#include "model/AppModel.h"
#include "model/ChangeHistory.h"
#include "views/HelpWindows.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
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

// The focused text field's own undo (redo) when it has one to offer: typing comes before Orbix's changes.
bool undoInFocusedField(bool redo) {
    QWidget* focused = QApplication::focusWidget();
    if (auto* field = qobject_cast<QPlainTextEdit*>(focused); field && !field->isReadOnly()) {
        QTextDocument* document = field->document();
        if (redo ? document->isRedoAvailable() : document->isUndoAvailable()) {
            redo ? field->redo() : field->undo();
            return true;
        }
    }
    if (auto* field = qobject_cast<QLineEdit*>(focused); field && !field->isReadOnly()) {
        if (redo ? field->isRedoAvailable() : field->isUndoAvailable()) {
            redo ? field->redo() : field->undo();
            return true;
        }
    }
    return false;
}

bool hasUndo(QObject* object, bool redo) {
    if (auto* field = qobject_cast<QPlainTextEdit*>(object)) {
        return redo ? field->document()->isRedoAvailable() : field->document()->isUndoAvailable();
    }
    if (auto* field = qobject_cast<QLineEdit*>(object)) {
        return redo ? field->isRedoAvailable() : field->isUndoAvailable();
    }
    return true;
}

// Text fields claim Ctrl+Z even with nothing to undo; this lets the key through to the Edit menu then.
class FieldUndoGate : public QObject {
public:
    using QObject::QObject;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) {
            return false;
        }
        auto* key = static_cast<QKeyEvent*>(event);
        const bool undo = key->matches(QKeySequence::Undo);
        const bool redo =
            key->matches(QKeySequence::Redo) ||
            key->keyCombination() == QKeyCombination(Qt::ControlModifier | Qt::ShiftModifier, Qt::Key_Z);
        return (undo || redo) && !hasUndo(watched, redo);
    }
};

// Cut, Copy, Paste and Select All act on the focused text: the prompt field or another editable field, or
// (Copy alone) text selected in a reply. With the keys in a field, the field's own handling comes first.
enum class TextCommand { cut, copy, paste, selectAll };

// QPlainTextEdit and QLineEdit name these the same.
template <typename Field>
void runOnField(Field& field, TextCommand command) {
    switch (command) {
    case TextCommand::cut:
        field.isReadOnly() ? field.copy() : field.cut();
        return;
    case TextCommand::copy:
        field.copy();
        return;
    case TextCommand::paste:
        if (!field.isReadOnly()) {
            field.paste();
        }
        return;
    case TextCommand::selectAll:
        field.selectAll();
        return;
    }
}

void runTextCommand(TextCommand command) {
    QWidget* focused = QApplication::focusWidget();
    if (auto* field = qobject_cast<QPlainTextEdit*>(focused)) {
        runOnField(*field, command);
    } else if (auto* line = qobject_cast<QLineEdit*>(focused)) {
        runOnField(*line, command);
    } else if (auto* label = qobject_cast<QLabel*>(focused);
               label && command == TextCommand::copy && label->hasSelectedText()) {
        QGuiApplication::clipboard()->setText(label->selectedText());
    }
}

void addTextCommands(QMenu& edit) {
    for (const auto& [command, text, keys, name] :
         {std::tuple{TextCommand::cut, "Cu&t", QKeySequence(QKeySequence::Cut), "cutAction"},
          std::tuple{TextCommand::copy, "&Copy", QKeySequence(QKeySequence::Copy), "copyAction"},
          std::tuple{TextCommand::paste, "&Paste", QKeySequence(QKeySequence::Paste), "pasteAction"},
          std::tuple{TextCommand::selectAll, "Select &All", QKeySequence(QKeySequence::SelectAll),
                     "selectAllAction"}}) {
        QAction* action = addCommand(edit, QString::fromLatin1(text), keys, QString::fromLatin1(name));
        QObject::connect(action, &QAction::triggered, action, [command = command] { runTextCommand(command); });
    }
}

// "Rating", "Exposure and Contrast", or the action's name when it wrote nothing Orbix could read.
QString changeTitle(const ChangeRecord& change) {
    const QStringList names = change.propertyNames();
    if (names.isEmpty()) {
        return change.action;
    }
    QString title = names.size() > 2 ? QStringLiteral("%1 Properties").arg(names.size())
                                     : names.join(QStringLiteral(" and "));
    title[0] = title[0].toUpper();
    return title;
}

// File → Save Changes as Markdown… / CSV…: the session's change log, through a save panel.
void addChangeLogSaving(QMenu& file, AppModel& model, QWidget& window) {
    using Format = AppModel::ChangeLogFormat;
    for (const auto& [format, label, filter, name] :
         {std::tuple{Format::markdown, "Save Changes as Markdown…", "Markdown (*.md)",
                     "saveChangesMarkdownAction"},
          std::tuple{Format::csv, "Save Changes as CSV…", "CSV (*.csv)", "saveChangesCsvAction"}}) {
        QAction* save = file.addAction(QString::fromUtf8(label));
        save->setObjectName(QString::fromLatin1(name));
        // Copied: clang 14 (the sanitizer build) cannot capture a structured binding.
        QObject::connect(
            save, &QAction::triggered, &window, [&model, &window, format = format, filter = filter] {
                const QString path = QFileDialog::getSaveFileName(
                    &window, QStringLiteral("Save Session Changes"), QString(), QString::fromLatin1(filter));
                if (path.isEmpty()) {
                    return;
                }
                if (const auto failure = model.saveChanges(path, format)) {
                    QMessageBox::warning(&window, QStringLiteral("Save Session Changes"), *failure);
                }
            });
    }
}

void installEditMenu(QMenuBar& menuBar, AppModel& model) {
    QMenu* edit = menuBar.addMenu(QStringLiteral("&Edit"));
    edit->setObjectName(QStringLiteral("editMenu"));
    QAction* undo = addCommand(*edit, QStringLiteral("Undo"), QKeySequence(Qt::CTRL | Qt::Key_Z),
                               QStringLiteral("undoAction"));
    QAction* redo = addCommand(*edit, QStringLiteral("Redo"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_Z),
                               QStringLiteral("redoAction"));
    qApp->installEventFilter(new FieldUndoGate(edit));
    for (const bool isRedo : {false, true}) {
        QObject::connect(isRedo ? redo : undo, &QAction::triggered, &model, [&model, isRedo] {
            if (!undoInFocusedField(isRedo)) {
                model.undoLastChange(isRedo);
            }
        });
    }
    edit->addSeparator();
    addTextCommands(*edit);
    edit->addSeparator();
    QAction* show = edit->addAction(QStringLiteral("Show Changes"));
    show->setObjectName(QStringLiteral("showChangesAction"));
    QObject::connect(show, &QAction::triggered, &model, [&model] { model.showChanges(); });
    ChangeHistory* history = model.changeHistory();
    if (!history) {
        return;
    }
    const auto showNext = [history, undo, redo] {
        const auto nextUndo = history->nextUndo();
        const auto nextRedo = history->nextRedo();
        undo->setText(nextUndo ? QStringLiteral("Undo ") + changeTitle(*nextUndo) : QStringLiteral("Undo"));
        redo->setText(nextRedo ? QStringLiteral("Redo ") + changeTitle(*nextRedo) : QStringLiteral("Redo"));
    };
    showNext();
    QObject::connect(history, &ChangeHistory::changed, undo, showNext);
}

} // namespace

void installWindowMenus(QMenuBar& menuBar, AppModel& model, QWidget& window,
                        std::function<void()> showSettings) {
    QMenu* file = menuBar.addMenu(QStringLiteral("&File"));
    file->setObjectName(QStringLiteral("fileMenu"));
    QAction* newSession = addCommand(*file, QStringLiteral("New Session"), QKeySequence(Qt::CTRL | Qt::Key_N),
                                     QStringLiteral("newSessionAction"));
    QObject::connect(newSession, &QAction::triggered, &model, [&model] { model.startNewSession(); });
    addChangeLogSaving(*file, model, window);
    file->addSeparator();
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

    installEditMenu(menuBar, model);

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
