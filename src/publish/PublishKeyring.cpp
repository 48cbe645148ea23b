#include "publish/PublishKeyring.h"

#include "text/CodePage.h"

#include <cstdlib>
#include <libsecret/secret.h>
#include <sys/stat.h>

const char* const PublishKeyringService = "Orvane Lite publishing";

namespace {

const SecretSchema& PasswordSchema() {
    static const SecretSchema schema = {"org.qt.keychain",
                                        SECRET_SCHEMA_DONT_MATCH_NAME,
                                        {{"user", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"server", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {"type", SECRET_SCHEMA_ATTRIBUTE_STRING},
                                         {nullptr, SECRET_SCHEMA_ATTRIBUTE_STRING}},
                                        0,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr,
                                        nullptr};
    return schema;
}

TResult NoKeyring() {
    return TResult::Because(Utf8ToCp932Shown(
        "デスクトップのキーリングがありません (D-Bus のセッションバスがありません)。"));
}

// `what` failed for the reason in `error`, which is freed.
TResult KeyringFailure(const char* what, GError* error) {
    const std::string reason = error ? error->message : "";
    g_clear_error(&error);
    return TResult::Because(Utf8ToCp932Shown(std::string(what) + " (" + reason + ")。"));
}

// The text of the first item of the list that gave its secret; the list is freed.
std::string FirstSecret(GList* items) {
    std::string password;
    for (GList* item = items; item && password.empty(); item = item->next) {
        SecretValue* value = secret_item_get_secret(SECRET_ITEM(item->data));
        if (!value) continue; // locked
        gsize length = 0;
        const gchar* text = secret_value_get(value, &length);
        password.assign(text, length);
        secret_value_unref(value);
    }
    g_list_free_full(items, g_object_unref);
    return password;
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
    if (!HasSessionBus()) return {};
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (!service) return g_clear_error(&error), std::string();
    const std::string key = PublishKeyringKey(settings);
    GHashTable* attributes =
        secret_attributes_build(&PasswordSchema(), "user", key.c_str(), "server",
                                PublishKeyringService, "type", "plaintext", nullptr);
    const auto flags = static_cast<SecretSearchFlags>(
        SECRET_SEARCH_LOAD_SECRETS |
        (unlock == TKeyringUnlock::MayAsk ? SECRET_SEARCH_UNLOCK : SECRET_SEARCH_NONE));
    GList* items =
        secret_service_search_sync(service, &PasswordSchema(), attributes, flags, nullptr, &error);
    g_hash_table_unref(attributes);
    g_object_unref(service);
    g_clear_error(&error);
    return FirstSecret(items);
}

TResult StoreKeyringPassword(const TPublishSettings& settings, const std::string& password) {
    if (!HasSessionBus()) return NoKeyring();
    const std::string key = PublishKeyringKey(settings);
    const std::string label = std::string(PublishKeyringService) + ": " + key;
    GError* error = nullptr;
    if (!secret_password_store_sync(&PasswordSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                    password.c_str(), nullptr, &error, "user", key.c_str(),
                                    "server", PublishKeyringService, "type", "plaintext", nullptr))
        return KeyringFailure("キーリングにパスワードを保存できません", error);
    return {};
}

TResult ForgetKeyringPassword(const TPublishSettings& settings) {
    if (!HasSessionBus()) return NoKeyring();
    const std::string key = PublishKeyringKey(settings);
    GError* error = nullptr;
    // False without an error: there was nothing to remove.
    secret_password_clear_sync(&PasswordSchema(), nullptr, &error, "user", key.c_str(), "server",
                               PublishKeyringService, "type", "plaintext", nullptr);
    if (error) return KeyringFailure("キーリングのパスワードを消せません", error);
    return {};
}

bool KeyringPasswordInUse(const TIniFile& ini, const TPublishSettings& settings) {
    const std::string key = PublishKeyringKey(settings);
    for (const TPublishSettings& other : EveryPublishSettings(ini))
        if (LogsInWithPassword(other) && PublishKeyringKey(other) == key) return true;
    return false;
}
