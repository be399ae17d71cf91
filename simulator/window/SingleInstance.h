#pragma once
// One simulator window per catalog: the first process for a catalog listens on a local socket named after
// the catalog's path, in a folder only this user may enter ($XDG_RUNTIME_DIR or a private fallback); a
// later one connects, asks it to come to the front and leaves. Both ends believe only a peer running as the
// same user. A socket left behind by a process that died is taken over.

#include <QLocalServer>
#include <QObject>
#include <QString>

namespace orbix::c1sim {

class SingleInstance : public QObject {
    Q_OBJECT

public:
    explicit SingleInstance(const QString& catalogPath, QObject* parent = nullptr);

    // The socket name for a catalog (the same for every spelling of its absolute path).
    static QString serverName(const QString& catalogPath);
    // Where the socket is: the private folder and the name; empty when there is no private folder.
    const QString& socketPath() const { return name_; }

    // True when another process already shows this catalog; it has been asked to come to the front.
    bool activateRunningInstance();
    // Starts answering later launches; false (with the reason) when the socket cannot be created, or when
    // another launch for the same catalog took it first (activateRunningInstance then reaches that one).
    bool listen(QString* reason);

signals:
    void activationRequested();

private:
    bool answers() const;

    QString name_;
    QString folderProblem_;
    QLocalServer server_;
};

} // namespace orbix::c1sim
