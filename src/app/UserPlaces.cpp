#include "UserPlaces.h"

#include "Platform.h"
#include "S_string.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <filesystem>

namespace {

const std::string IniName = "orvanix.ini";
const std::string TableName = "orvanix.tbl";
const std::string OwnFolder = "/orvanix/";

std::string DesktopFolder(QStandardPaths::StandardLocation location) {
    return DelPathDelim(
        QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString());
}

// The desktop names a documents folder even where none was ever made.
std::string DocumentsOrHome() {
    const std::string documents = DesktopFolder(QStandardPaths::DocumentsLocation);
    std::error_code ignored;
    if (std::filesystem::is_directory(documents, ignored)) return documents;
    return DelPathDelim(QFile::encodeName(QDir::homePath()).toStdString());
}

TUserFolders DesktopFolders() {
    return {DesktopFolder(QStandardPaths::GenericConfigLocation),
            DesktopFolder(QStandardPaths::GenericDataLocation), DocumentsOrHome()};
}

void CreateFolderOf(const std::string& path) {
    std::error_code ignored; // the write into it reports the failure
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

} // namespace

TUserPlaces ChooseUserPlaces(const std::string& programFolder, bool runFromBuildFolder,
                             const TUserFolders& user) {
    if (runFromBuildFolder)
        return {programFolder + IniName, programFolder + TableName, user.Documents};
    return {user.Config + OwnFolder + IniName, user.Data + OwnFolder + TableName, user.Documents};
}

const TUserPlaces& UserPlaces() {
    static const TUserPlaces places = [] {
        const std::string& program = ProgramFolder();
        // The build writes its programs into ORVANIX_BUILD_PROGRAM_FOLDER; an install copies
        // them elsewhere.
        const bool runFromBuildFolder = program == ORVANIX_BUILD_PROGRAM_FOLDER;
        TUserPlaces own = ChooseUserPlaces(program, runFromBuildFolder, DesktopFolders());
        CreateFolderOf(own.IniFileName);
        CreateFolderOf(own.DefaultTableFile);
        return own;
    }();
    return places;
}
