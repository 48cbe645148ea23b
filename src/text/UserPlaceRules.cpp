#include "UserPlaceRules.h"

#include "Platform.h"
#include "S_string.h"

#include <cstdlib>
#include <unistd.h>

namespace {

const std::string IniName = "orvanix.ini";
const std::string TableName = "orvanix.tbl";
const std::string OwnFolder = "/orvanix/";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
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

std::string UserConfigFolder() {
    const std::string config = Environment("XDG_CONFIG_HOME");
    if (config.starts_with('/')) return DelPathDelim(config);
    return DelPathDelim(Environment("HOME")) + "/.config";
}

std::string ProgramSettingsFile() {
    const std::string& program = ProgramFolder();
    return ChooseUserPlaces(program, IsWritableFolder(program), {UserConfigFolder(), {}, {}})
        .IniFileName;
}
