#pragma once
// The Realtime diagnostics log: one time-stamped line per event in "realtime.log". The file holds the
// user's transcripts, so it is created owner-only (0600) and an existing file is narrowed to that; when it
// grows past maximumSize it is moved to "realtime.log.1" (replacing the previous one) and a new file starts.
// Callers never pass keys or tokens. Every error is ignored: logging never affects the session.

#include <QString>

namespace orbix {

class RealtimeLog {
public:
    static constexpr qint64 maximumSize = 4 * 1024 * 1024;

    // `directory` empty: defaultDirectory().
    explicit RealtimeLog(QString directory = {});

    // $XDG_STATE_HOME/Orbix, or ~/.local/state/Orbix when XDG_STATE_HOME is unset or not absolute.
    static QString defaultDirectory();

    QString filePath() const;
    void write(const QString& message) const;

private:
    QString directory_;
};

} // namespace orbix
