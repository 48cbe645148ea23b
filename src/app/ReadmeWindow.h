#pragma once

// The readme in a plain read-only window of the editor's own, for a desktop that has no program
// to show a text file with. The window belongs to the main window and closes with it; Esc or
// 閉じる closes it. A readme that cannot be read is reported in the error box with the reason,
// and no window opens.

#include <string>

class QWidget;

// Shows the UTF-8 text file `path` (file-system bytes) in the readme window over `owner`, or
// brings the one already open to the front.
void ShowReadmeWindow(QWidget* owner, const std::string& path);
