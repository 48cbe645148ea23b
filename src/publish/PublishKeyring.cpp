#include "publish/PublishKeyring.h"

#include <cstdlib>
#include <libsecret/secret.h>
#include <sys/stat.h>

const char* const PublishKeyringService = "Orvane Lite publishing";

namespace {

const SecretSchema& QtKeychainSchema() {
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

// Without a session bus, D-Bus would try to start one through X11: a cron job has none to ask.
bool HasSessionBus() {
    if (std::getenv("DBUS_SESSION_BUS_ADDRESS")) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    struct stat info {};
    return runtime && stat((std::string(runtime) + "/bus").c_str(), &info) == 0 &&
           S_ISSOCK(info.st_mode);
}

// The text of the first unlocked item of the list; the list is freed.
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

std::string KeyringPassword(const TPublishSettings& settings) {
    if (!HasSessionBus()) return {};
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (!service) return g_clear_error(&error), std::string();
    const std::string key = PublishKeyringKey(settings);
    GHashTable* attributes =
        secret_attributes_build(&QtKeychainSchema(), "user", key.c_str(), "server",
                                PublishKeyringService, "type", "plaintext", nullptr);
    // Only unlocked items give their secret: unlocking could ask the user.
    GList* items = secret_service_search_sync(service, &QtKeychainSchema(), attributes,
                                              SECRET_SEARCH_LOAD_SECRETS, nullptr, &error);
    g_hash_table_unref(attributes);
    g_object_unref(service);
    g_clear_error(&error);
    return FirstSecret(items);
}
