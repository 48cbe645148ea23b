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
// name is started as a program. When it cannot be started an error box at (50, 50) says so with the
// code. Returns ExecSucceeded or ExecFileNotFound.
int ExecProgram(const QString& program, const QString& parameter);

// Opens a document or web address with the desktop's program for it; failures are not reported.
void OpenWithShell(const QString& target);

// How programs and addresses actually reach the desktop. Tests put recorders in their place.
using TProgramLauncher = std::function<bool(const QString& program, const QStringList& arguments)>;
using TUrlOpener = std::function<bool(const QUrl& url)>;
void SetProgramLauncher(TProgramLauncher launcher);
void SetUrlOpener(TUrlOpener opener);
