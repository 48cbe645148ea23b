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

// What happens when a started program ends with an error at once: by default the error box with
// its exit code and the reason (ShowStartFailure).
using TStartFailure = std::function<void(int exitCode, const QString& reason)>;

// The error box of a hand-over that failed: "指定のプロセスは実行出来ませんでした。Er=<code>" and
// the reason on a line of its own, centred over the window in use.
void ShowStartFailure(int code, const QString& reason);

// Starts `program` with `parameter` (none when empty) and does not wait for it. "iexplore.exe"
// opens the parameter in the desktop's web browser and "notepad.exe" in its text editor; any other
// name is started as a program. A program that cannot be started, or that ends with an error at
// once, is reported with ShowStartFailure (see StartWatchedProgram). Returns ExecSucceeded, or
// ExecFileNotFound when it could not be started.
int ExecProgram(const QString& program, const QString& parameter);

// Opens a document or web address with the desktop's program for it, reported like ExecProgram
// when that cannot be done.
void OpenWithShell(const QString& target);

// Opens the file `path` with the desktop's program for it. When the desktop has none (its opener
// cannot be started, or ends at once with an error), `noProgram` runs instead of the error box.
void OpenWithDesktop(const QString& path, const std::function<void()>& noProgram);

// How programs and addresses actually reach the desktop: each returns an empty text when the
// program was started, else the reason it was not; a started program that ends with an error at
// once is handed to `failed`. Tests put recorders in their place.
using TProgramLauncher = std::function<QString(const QString& program, const QStringList& arguments,
                                               const TStartFailure& failed)>;
using TUrlOpener = std::function<QString(const QUrl& url)>;
void SetProgramLauncher(TProgramLauncher launcher);
void SetUrlOpener(TUrlOpener opener);

// The desktop's launcher: starts the program without waiting for it, with no input and its
// output discarded, and keeps the last line of its error output. When it ends with an error
// within a few seconds (the desktop's opener finding no program, say), `failed` gets its exit
// code and that line. It may outlive the editor.
QString StartWatchedProgram(const QString& program, const QStringList& arguments,
                            const TStartFailure& failed = ShowStartFailure);
