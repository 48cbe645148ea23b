#include "UserPlaces.h"

#include "Platform.h"
#include "S_string.h"

#include <QFile>
#include <QStandardPaths>

#include <filesystem>
#include <unistd.h>

namespace {

const std::string IniName = "orvanix.ini";
const std::string TableName = "orvanix.tbl";
const std::string OwnFolder = "/orvanix/";

std::string DesktopFolder(QStandardPaths::StandardLocation location) {
    return DelPathDelim(
        QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString());
}

TUserFolders DesktopFolders() {
    return {DesktopFolder(QStandardPaths::GenericConfigLocation),
            DesktopFolder(QStandardPaths::GenericDataLocation),
            DesktopFolder(QStandardPaths::DocumentsLocation)};
}

void CreateFolderOf(const std::string& path) {
    std::error_code ignored; // the write into it reports the failure
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

} // namespace

TUserPlaces ChooseUserPlaces(const std::string& programFolder, bool programFolderWritable,
                             const TUserFolders& user) {
    if (programFolderWritable)
        return {programFolder + IniName, programFolder + TableName, DelPathDelim(programFolder)};
    return {user.Config + OwnFolder + IniName, user.Data + OwnFolder + TableName, user.Documents};
}

bool IsWritableFolder(const std::string& folder) {
    return access(folder.c_str(), W_OK) == 0;
}

const TUserPlaces& UserPlaces() {
    static const TUserPlaces places = [] {
        const std::string& program = ProgramFolder();
        if (IsWritableFolder(program)) return ChooseUserPlaces(program, true, {});
        TUserPlaces own = ChooseUserPlaces(program, false, DesktopFolders());
        CreateFolderOf(own.IniFileName);
        CreateFolderOf(own.DefaultTableFile);
        return own;
    }();
    return places;
}
