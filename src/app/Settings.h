#pragma once

// The editor's own settings in the settings file: the sections "Environ" and "Grid".

#include "app/L_Sizeing.h"

#include <optional>
#include <string>
#include <vector>

// What the main window keeps between runs.
struct TEditorSettings {
    bool OpenLastFile = true;   // reopen the last table file at start-up
    std::string FileName;       // the document's file name, the file system's bytes
    std::vector<int> ColWidths; // widths of the item grid's columns, from column 0
};

// Reading takes the stored values; a value the file does not hold (or holds in a wrong form) keeps
// the one `settings` has, and the file name is read only when OpenLastFile is on after reading.
// Writing stores the values and keeps the rest of the file; `alongside`, when given, adds sections
// of its own to the same save, so the file is written once. Returns the message for the user (code
// page 932) when the file could not be read or written, the reason on its last line; the file is
// then as it was.
std::optional<std::string> LoadSaveSettings(TIniMode mode, TEditorSettings& settings,
                                            const std::string& iniPath = IniFileName,
                                            const TIniWriter& alongside = {});
