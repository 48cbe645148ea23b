#pragma once

// L_Sizeing: window placement (sizing).
//
// Window placement in the settings file, and the desktop geometry it is checked against.
// The rectangle arithmetic takes the desktop and work areas as arguments; the overloads without
// them ask the screens.

#include "app/L_CtlSize.h"
#include "text/IniFile.h"

#include <QPoint>
#include <QRect>
#include <QSize>

#include <functional>
#include <string>

class QObject;
class QWidget;

// The settings file "orvanix.ini" (see UserPlaces.h), a file-system path. Set before any window
// exists.
extern std::string IniFileName;

// "Sz_" + the control's object name.
std::string PlacementSection(const QWidget* control);

// Reads or writes the placement keys of `control` in `iniFile`. An empty `section` is
// filled on reading and makes writing do nothing. Writing erases the section first, so it moves to
// the end of the file. A write-through file keeps its first failed write for FlushIni.
void IniPlacement(TIniFile& iniFile, QWidget* control, std::string& section,
                  TControlSizeStyle style, TIniMode mode);

// A window's place and size: the position of its frame (so that a place kept on the desktop
// keeps the title bar there too) and the size inside the frame.
QRect WindowBounds(const QWidget* form);
// The window's normal (not maximized) rectangle, measured as WindowBounds measures it: also while
// the window is maximized, its frame's position then is the one it had in the normal state.
QRect NormalBounds(const QWidget* form);

// The rectangle spanning all screens; empty when there is no screen.
QRect VirtualDesktop();

// Cuts the size to the desktop and moves the rectangle inside it; any int values are taken.
void FitToDesktop(const QRect& desktop, int& left, int& top, int& width, int& height);
void FitToDesktop(int& left, int& top, int& width, int& height);

// The position of a window of `size` centred across the work area and a third of the way down.
QPoint CenteredOnWorkArea(const QRect& workArea, const QSize& size);
// The largest inside of a window, at most `size`, whose frame (`frame` larger than the inside)
// fits into the work area.
QSize FittedToWorkArea(const QRect& workArea, const QSize& frame, const QSize& size);
// Shrinks the window to fit its own screen's work area (the primary one if it has none) and
// moves it there.
void CenterOnWorkArea(QWidget* form);

// The settings file held in memory, handed to `opened`: at once when it can be read, else after up
// to two more attempts 200 ms apart on timers, while the event loop goes on; when all three fail,
// a file in write-through mode. `opened` is not called once `context` is gone.
void OpenIniRetry(const std::string& path, QObject* context, std::function<void(TIniFile&)> opened);
// The settings file held in memory, or in write-through mode when it cannot be read: for a
// writer that cannot wait, such as a window being closed or destroyed.
TIniFile OpenIniNow(const std::string& path);
// Writes an in-memory file back; for a write-through file, reports its first failed write.
TResult FlushIni(TIniFile& file);
