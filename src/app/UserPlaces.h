#pragma once

// Where the editor keeps what it writes for its user: the settings file, the default table file
// (the document a start with an HTML page opens) and the folder the open and save dialogs show
// first. An installed copy (a package, an install into ~/.local) keeps them in the user's
// freedesktop folders, so nothing is ever written beside an installed program; only a copy run
// from the build folder it was built in keeps them beside itself, so a developer's set-up stays
// together. The dialogs start in the user's documents folder either way. The readme and the
// style sheet stay in the program's folder.
//
// Decided once per run. The user's folders are created then; one that cannot be created shows
// only when its file cannot be written, which that write reports.

#include <string>

struct TUserPlaces {
    std::string IniFileName;      // the settings file, a file-system path
    std::string DefaultTableFile; // the default table file, a file-system path
    std::string DialogFolder;     // the dialogs' first folder, without a trailing "/"
};

// The user's folders as the desktop names them: file-system paths without a trailing "/".
struct TUserFolders {
    std::string Config;    // $XDG_CONFIG_HOME, else ~/.config
    std::string Data;      // $XDG_DATA_HOME, else ~/.local/share
    std::string Documents; // the documents folder, or the home folder when there is none
};

// The places of a program in `programFolder` (ending in "/"), by whether it runs from its build
// folder.
TUserPlaces ChooseUserPlaces(const std::string& programFolder, bool runFromBuildFolder,
                             const TUserFolders& user);

// This run's places, decided at the first call.
const TUserPlaces& UserPlaces();
