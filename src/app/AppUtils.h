#pragma once

// Handing work to programs outside the editor. Programs are started with an argument list, never
// through a shell, so a file or folder name can never run a command.

#include <QString>
#include <QStringList>
#include <QUrl>
#include <functional>

// Result codes of a hand-over: above 32 means the program was started.
inline constexpr int ExecSucceeded = 33;
inline constexpr int ExecFileNotFound = 2;

// Starts `program` with `parameter` (none when empty) and does not wait for it. "iexplore.exe"
// opens the parameter in the desktop's web browser and "notepad.exe" in its text editor; any other
// name is started as a program. A program that cannot be started, or that ends with an error at
// once, is reported in an error box at (50, 50) with its code and the reason (see
// StartWatchedProgram). Returns ExecSucceeded, or ExecFileNotFound when it could not be started.
int ExecProgram(const QString& program, const QString& parameter);

// Opens a document or web address with the desktop's program for it, reported like ExecProgram
// when that cannot be done.
void OpenWithShell(const QString& target);

// How programs and addresses actually reach the desktop: each returns an empty text when the
// program was started, else the reason it was not. Tests put recorders in their place.
using TProgramLauncher =
    std::function<QString(const QString& program, const QStringList& arguments)>;
using TUrlOpener = std::function<QString(const QUrl& url)>;
void SetProgramLauncher(TProgramLauncher launcher);
void SetUrlOpener(TUrlOpener opener);

// The desktop's launcher: starts the program without waiting for it, with no input and its
// output discarded, and keeps the last line of its error output. When it ends with an error
// within a few seconds (the desktop's opener finding no program, say), the error box shows its
// exit code and that line. It may outlive the editor.
QString StartWatchedProgram(const QString& program, const QStringList& arguments);
