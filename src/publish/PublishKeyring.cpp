#include "publish/PublishKeyring.h"

#include "publish/PublishModule.h"
#include "text/CodePage.h"

#include <cstdlib>
#include <sys/stat.h>

namespace {

TResult NoKeyring() {
    return TResult::Because(Utf8ToCp932Shown(
        "デスクトップのキーリングがありません (D-Bus のセッションバスがありません)。"));
}

// The publishing module, when there is a keyring to reach through it.
TResult KeyringModule(const TPublishModule*& module) {
    if (!HasSessionBus()) return NoKeyring();
    return OpenPublishModule(module);
}

} // namespace

std::string PublishKeyringKey(const TPublishSettings& settings) {
    static const char* const Schemes[] = {"sftp", "ftps", "ftp"};
    return std::string(Schemes[static_cast<int>(settings.Protocol)]) + "://" + settings.User + "@" +
           settings.Host + ":" + std::to_string(EffectivePort(settings));
}

bool LogsInWithPassword(const TPublishSettings& settings) {
    return settings.Protocol != TPublishProtocol::Sftp || settings.Login == TSftpLogin::Password;
}

// Without a session bus, D-Bus would try to start one through X11: a cron job has none to ask.
bool HasSessionBus() {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS")) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 &&
           S_ISSOCK(info.st_mode);
}

std::string KeyringPassword(const TPublishSettings& settings, TKeyringUnlock unlock) {
    const TPublishModule* module = nullptr;
    if (!KeyringModule(module)) return {};
    return module->FindPassword(PublishKeyringKey(settings), unlock);
}

TResult StoreKeyringPassword(const TPublishSettings& settings, const std::string& password) {
    const TPublishModule* module = nullptr;
    if (TResult opened = KeyringModule(module); !opened) return opened;
    return module->StorePassword(PublishKeyringKey(settings), password);
}

TResult ForgetKeyringPassword(const TPublishSettings& settings) {
    const TPublishModule* module = nullptr;
    if (TResult opened = KeyringModule(module); !opened) return opened;
    return module->ForgetPassword(PublishKeyringKey(settings));
}

bool KeyringPasswordInUse(const TIniFile& ini, const TPublishSettings& settings) {
    const std::string key = PublishKeyringKey(settings);
    for (const TPublishSettings& other : EveryPublishSettings(ini))
        if (LogsInWithPassword(other) && PublishKeyringKey(other) == key) return true;
    return false;
}
