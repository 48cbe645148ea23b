#pragma once

// Paths between Qt and the rest of the program. Below the window a path is the file system's own
// bytes (std::string), passed unchanged down to open(); only Qt's side (dialogs, the command line,
// captions) holds it as a QString. QFile's encodeName and decodeName are the one bridge, so any
// folder the desktop can show can be opened and saved.

#include <QFile>
#include <QFileInfo>
#include <QString>

#include <string>

// A path from a dialog or the command line as the file system's bytes.
inline std::string FileSystemPath(const QString& path) {
    return QFile::encodeName(path).toStdString();
}

// A path of the file system's bytes as the window shows it.
inline QString ShownPath(const std::string& path) {
    return QFile::decodeName(QByteArray::fromStdString(path));
}

// The name a document goes by: its table file's name without folder and extension, "無題" for a
// document that has none yet.
inline QString DocumentName(const std::string& fileName) {
    if (fileName.empty()) return QStringLiteral("無題");
    return QFileInfo(ShownPath(fileName)).completeBaseName();
}
