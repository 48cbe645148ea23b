#pragma once

// Where the programs keep what they write for their user: the settings file, the default table
// file (the document a start with an HTML page opens) and the folder the open and save dialogs
// show first. They sit beside the program when the user can write to the program's folder (a
// build folder, an install into the user's own folder), so such a set-up keeps everything
// together; otherwise (a package under /usr) in the user's freedesktop folders and documents
// folder. The editor and the command-line feed builder decide it by these same rules, so both find
// the same settings file.

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
    std::string Documents; // the documents folder
};

// The places of a program in `programFolder` (ending in "/"), by whether the user can write to
// that folder.
TUserPlaces ChooseUserPlaces(const std::string& programFolder, bool programFolderWritable,
                             const TUserFolders& user);

// True when the running user may create files in `folder`.
bool IsWritableFolder(const std::string& folder);

// $XDG_CONFIG_HOME when it is an absolute path, else ~/.config; without a trailing "/".
std::string UserConfigFolder();

// The settings file of a program that has no desktop folders at hand (the command-line feed
// builder): the same file the editor beside it uses. Nothing is created.
std::string ProgramSettingsFile();
