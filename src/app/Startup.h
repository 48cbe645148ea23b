#pragma once

// The program's entry and its application object, and the platform queries start-up uses.

#include <QApplication>

#include <string>

// The program's version text ("1.00"), computed before any window exists.
extern const std::string VersionText;

// The application object: an exception that escapes an event handler is shown in an error box
// and the program goes on.
class TOrvanixApplication : public QApplication {
    Q_OBJECT

public:
    TOrvanixApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Shows the exception being handled in the error box; call it from a catch block.
    static void ShowCurrentException();
};

// Bits per pixel of the primary screen; 0 without a screen.
int ColorDepth();

// True while a Shift key is held.
bool IsShiftDown();

// The program: the display, the command line's options, the user's folders, the default font, the
// colour-depth check, the main window and the event loop. Returns the exit code: 1 (with one line
// on standard error) when no display can be opened, 2 for an option the editor does not know.
int RunProgram(int argc, char** argv);
