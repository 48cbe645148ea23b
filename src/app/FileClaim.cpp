#include "app/FileClaim.h"

#include "app/FilePaths.h"
#include "text/Platform.h"

#include <QCryptographicHash>
#include <QLocalServer>
#include <QLocalSocket>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <sys/stat.h>

namespace {

// The claim's name for the file at `path`: a hash of its real path, so that every name of one
// file gives the same claim and any path gives a short name.
std::string ClaimKey(const std::string& path) {
    char real[PATH_MAX];
    const std::string resolved = realpath(path.c_str(), real) ? std::string(real) : path;
    return QCryptographicHash::hash(QByteArray::fromStdString(resolved), QCryptographicHash::Sha256)
        .toHex()
        .left(32)
        .toStdString();
}

// Editors on one display share it; on another (a second login, a remote one) a window brought
// forward would not be seen.
QByteArray ThisDisplay() {
    return qgetenv("WAYLAND_DISPLAY") + '|' + qgetenv("DISPLAY") + '\n';
}

} // namespace

TFileClaim::TFileClaim(QObject* parent)
    : QObject(parent), folder_(RuntimeFolder()), server_(new QLocalServer(this)) {
    if (!folder_.empty()) folder_ += "/orvanix";
    connect(server_, &QLocalServer::newConnection, this, &TFileClaim::Answer);
}

std::string TFileClaim::LockPath(const std::string& key) const {
    return folder_ + "/" + key + ".lock";
}

QString TFileClaim::SocketPath(const std::string& key) const {
    return ShownPath(folder_ + "/" + key + ".socket");
}

bool TFileClaim::HeldElsewhere(const std::string& path) const {
    const std::string key = ClaimKey(path);
    if (folder_.empty() || key == claimed_) return false;
    TRecoveryLock probe;
    const TResult locked = probe.Lock(LockPath(key));
    if (locked) probe.RemoveAndUnlock();
    return locked.Errno() == EWOULDBLOCK;
}

void TFileClaim::Claim(const std::string& path) {
    const std::string key = ClaimKey(path);
    if (folder_.empty() || key == claimed_) return;
    Release();
    if (mkdir(folder_.c_str(), 0700) != 0 && errno != EEXIST) return;
    if (!lock_.Lock(LockPath(key))) return;
    claimed_ = key;
    // A socket left by a killed holder of this claim is in the way.
    QLocalServer::removeServer(SocketPath(key));
    server_->listen(SocketPath(key));
}

void TFileClaim::Release() {
    server_->close();
    lock_.RemoveAndUnlock();
    claimed_.clear();
}

void TFileClaim::RaiseHolder(const std::string& path) {
    if (folder_.empty()) return;
    auto* socket = new QLocalSocket(this);
    connect(socket, &QLocalSocket::connected, socket, [socket] {
        socket->write(ThisDisplay());
        socket->disconnectFromServer();
    });
    connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
    connect(socket, &QLocalSocket::errorOccurred, socket, &QObject::deleteLater);
    socket->connectToServer(SocketPath(ClaimKey(path)));
}

void TFileClaim::Answer() {
    while (QLocalSocket* socket = server_->nextPendingConnection()) {
        connect(socket, &QLocalSocket::disconnected, socket, &QObject::deleteLater);
        connect(socket, &QLocalSocket::readyRead, this, [this, socket] {
            if (!socket->canReadLine()) return;
            if (socket->readLine(256) == ThisDisplay()) emit RaiseRequested();
            socket->disconnectFromServer();
        });
    }
}
