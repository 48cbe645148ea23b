#pragma once

// TFileClaim: lets editors of one user know of each other when they open the same table file.
// While a window shows a table file it holds a claim on it: an exclusive lock (flock) on a lock
// file named after the file's real path, in the user's runtime folder ($XDG_RUNTIME_DIR/orvanix),
// and beside it a local socket on which it listens. Another editor that opens the file finds the
// lock taken, asks its user, and may ask the holder through the socket to bring its window
// forward. Every name of the file (a link, a relative path) leads to the same claim.
//
// A claim ends when its window turns to another file or ends; a killed editor's lock ends with its
// process, and the next claim on the file replaces the socket it left. Without a runtime folder of
// the user's own (Platform.h), or when the lock file cannot be made, nothing is claimed and every
// file counts as free: the lost-update question of a save still guards the file.

#include "document/Recovery.h"

#include <QObject>
#include <QString>

#include <string>

class QLocalServer;

class TFileClaim : public QObject {
    Q_OBJECT

public:
    explicit TFileClaim(QObject* parent);
    ~TFileClaim() override { Release(); }

    // Another editor holds the claim on `path` (the file system's bytes).
    bool HeldElsewhere(const std::string& path) const;
    // Claims `path`, giving up the claim held on another file; when another editor holds it, this
    // one holds none.
    void Claim(const std::string& path);
    void Release();
    // Asks the editor that holds the claim on `path` to bring its window forward, if it runs on
    // this display. Returns at once; nothing is reported.
    void RaiseHolder(const std::string& path);

signals:
    // An editor on this display asked to see this one's window.
    void RaiseRequested();

private:
    std::string LockPath(const std::string& key) const;
    QString SocketPath(const std::string& key) const;
    void Answer();

    std::string folder_; // where the claims are; empty when there is no runtime folder
    TRecoveryLock lock_;
    std::string claimed_; // the key of the file claimed; empty when none is
    QLocalServer* server_;
};
