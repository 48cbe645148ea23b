#include "publish/SecretKeyring.h"

#include "text/CodePage.h"

#include <libsecret/secret.h>

namespace {

// The keyring's service name for every publishing password.
constexpr const char* Service = "Orvane Lite publishing";

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

std::string FindSecretPassword(const std::string& account, TKeyringUnlock unlock) {
    GError* error = nullptr;
    SecretService* service = secret_service_get_sync(SECRET_SERVICE_NONE, nullptr, &error);
    if (!service) return g_clear_error(&error), std::string();
    GHashTable* attributes =
        secret_attributes_build(&PasswordSchema(), "user", account.c_str(), "server", Service,
                                "type", "plaintext", nullptr);
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

TResult StoreSecretPassword(const std::string& account, const std::string& password) {
    const std::string label = std::string(Service) + ": " + account;
    GError* error = nullptr;
    if (!secret_password_store_sync(&PasswordSchema(), SECRET_COLLECTION_DEFAULT, label.c_str(),
                                    password.c_str(), nullptr, &error, "user", account.c_str(),
                                    "server", Service, "type", "plaintext", nullptr))
        return KeyringFailure("キーリングにパスワードを保存できません", error);
    return {};
}

TResult ForgetSecretPassword(const std::string& account) {
    GError* error = nullptr;
    // False without an error: there was nothing to remove.
    secret_password_clear_sync(&PasswordSchema(), nullptr, &error, "user", account.c_str(),
                               "server", Service, "type", "plaintext", nullptr);
    if (error) return KeyringFailure("キーリングのパスワードを消せません", error);
    return {};
}
