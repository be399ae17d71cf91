#pragma once
// The two requests other programs may make of Orbix — open a section, or open with a prompt already
// typed — and the sessions and artifacts offered beside them: fixed suggestions, and the saved ones. A request
// only leaves a route in the router; the main window applies it. Every entry point (D-Bus, the command line,
// and on macOS the App Intents and the URL scheme) calls these functions, so they behave the same. Main thread.

#include "core/ConversationRecords.h"
#include "core/SessionRecords.h"

#include <QList>
#include <QString>
#include <QStringList>
#include <optional>

namespace orbix {

class AppIntentRouter;

struct OrbixSessionEntity {
    QString id;
    QString title;
    friend bool operator==(const OrbixSessionEntity&, const OrbixSessionEntity&) = default;
};

struct OrbixArtifactEntity {
    QString id;
    QString title;
    QString kind; // a plain label shown as the subtitle
    friend bool operator==(const OrbixArtifactEntity&, const OrbixArtifactEntity&) = default;
};

namespace appIntents {

// The answer of a note request, shown or spoken by the caller.
inline const QString noteDialog = QStringLiteral("Opened Orbix.");

// The longest note taken, in bytes of UTF-8: a prompt is a request, not a document, and the text field
// lays out whatever it is given on the main thread.
inline constexpr qsizetype kMostNoteBytes = 16 * 1024;
// The refusal for a note longer than kMostNoteBytes, or none.
std::optional<QString> noteTooLongMessage(const QString& text);

// The section a raw value names ("chat"), or none.
std::optional<SidebarSection> sectionNamed(const QString& rawValue);
// The refusal for a raw value that names no section.
QString unknownSectionMessage(const QString& rawValue);

// Leaves a route to the section with no prompt text.
void openSection(AppIntentRouter& router, SidebarSection section);
// Leaves a route to the chat with the text exactly as given (an empty text types nothing) and returns
// the dialog. The caller refuses a note that noteTooLongMessage refuses.
QString createNote(AppIntentRouter& router, const QString& text);

// Entries whose identifiers are requested: the fixed list's in its order, then the saved sessions' (a
// session by its identifier, an artifact by its own) in the order given; unknown ones ignored.
QList<OrbixSessionEntity> sessions(const QStringList& ids, const QList<SavedSession>& saved = {});
QList<OrbixSessionEntity> suggestedSessions();
OrbixSessionEntity defaultSession();
QList<OrbixArtifactEntity> artifacts(const QStringList& ids, const QList<SavedSession>& saved = {});
QList<OrbixArtifactEntity> suggestedArtifacts();

} // namespace appIntents
} // namespace orbix
