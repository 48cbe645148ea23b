#include "text/UserPlaceRules.h"

#include "text/Platform.h"
#include "text/S_string.h"

#include <cstdlib>

namespace {

const std::string IniName = "orvanix.ini";
const std::string TableName = "orvanix.tbl";
const std::string OwnFolder = "/orvanix/";

std::string Environment(const char* name) {
    const char* value = std::getenv(name);
    return value ? value : "";
}

} // namespace

TUserPlaces ChooseUserPlaces(const std::string& programFolder, bool runFromBuildFolder,
                             const TUserFolders& user) {
    if (runFromBuildFolder)
        return {programFolder + IniName, programFolder + TableName, user.Documents};
    return {user.Config + OwnFolder + IniName, user.Data + OwnFolder + TableName, user.Documents};
}

bool RunsFromBuildFolder(const std::string& programFolder) {
    return programFolder == ORVANIX_BUILD_PROGRAM_FOLDER;
}

std::string UserConfigFolder() {
    const std::string config = Environment("XDG_CONFIG_HOME");
    if (config.starts_with('/')) return DelPathDelim(config);
    return DelPathDelim(Environment("HOME")) + "/.config";
}

std::string UserStateFolder() {
    const std::string state = Environment("XDG_STATE_HOME");
    if (state.starts_with('/')) return DelPathDelim(state);
    return DelPathDelim(Environment("HOME")) + "/.local/state";
}

std::string ProgramSettingsFile() {
    const std::string& program = ProgramFolder();
    return ChooseUserPlaces(program, RunsFromBuildFolder(program), {UserConfigFolder(), {}, {}})
        .IniFileName;
}
