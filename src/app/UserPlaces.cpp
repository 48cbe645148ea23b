#include "app/UserPlaces.h"

#include "text/Platform.h"
#include "text/S_string.h"

#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <filesystem>

namespace {

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
    return {UserConfigFolder(), DesktopFolder(QStandardPaths::GenericDataLocation),
            DocumentsOrHome()};
}

void CreateFolderOf(const std::string& path) {
    std::error_code ignored; // the write into it reports the failure
    std::filesystem::create_directories(std::filesystem::path(path).parent_path(), ignored);
}

} // namespace

const TUserPlaces& UserPlaces() {
    static const TUserPlaces places = [] {
        const std::string& program = ProgramFolder();
        return ChooseUserPlaces(program, RunsFromBuildFolder(program), DesktopFolders());
    }();
    return places;
}

void CreateUserFolders() {
    CreateFolderOf(UserPlaces().IniFileName);
    CreateFolderOf(UserPlaces().DefaultTableFile);
}
