#include "UserPlaces.h"

#include "Platform.h"
#include "S_string.h"

#include <QFile>
#include <QStandardPaths>

#include <filesystem>

namespace {

std::string DesktopFolder(QStandardPaths::StandardLocation location) {
    return DelPathDelim(
        QFile::encodeName(QStandardPaths::writableLocation(location)).toStdString());
}

TUserFolders DesktopFolders() {
    return {UserConfigFolder(), DesktopFolder(QStandardPaths::GenericDataLocation),
            DesktopFolder(QStandardPaths::DocumentsLocation)};
}

void CreateFolderOf(const std::string& path) {
    std::error_code ignored; // the write into it reports the failure
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

} // namespace

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
