#pragma once

// Where the programs keep what they write for their user: the settings file, the default table
// file (the document a start with an HTML page opens) and the folder the open and save dialogs
// show first. An installed copy (a package, an install into ~/.local) keeps them in the user's
// freedesktop folders, so nothing is ever written beside an installed program; only a copy run
// from the build folder it was built in keeps them beside itself, so a developer's set-up stays
// together. The dialogs start in the user's documents folder either way. The editor and the
// command-line feed builder decide it by these same rules, so both find the same settings file.

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

// True when `programFolder` (ending in "/", links resolved) is the folder the build wrote the
// programs into; an install copies them elsewhere.
bool RunsFromBuildFolder(const std::string& programFolder);

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; without a trailing "/".
std::string UserConfigFolder();

// $XDG_STATE_HOME when it is an absolute path, else ~/.local/state; without a trailing "/".
std::string UserStateFolder();

// The settings file of a program that has no desktop folders at hand (the command-line feed
// builder): the same file the editor beside it uses. Nothing is created.
std::string ProgramSettingsFile();
