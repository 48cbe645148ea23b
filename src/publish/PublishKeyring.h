#pragma once

// Where the desktop's keyring (the Secret Service) keeps a publishing password: the editor stores
// it there through QtKeychain, and orvanix-feed reads it back without asking. The item is
// QtKeychain's: schema "org.qt.keychain", "server" the service below, "user" the account's key.

#include "publish/PublishSettings.h"

#include <string>

// The keyring's service name for every publishing password.
extern const char* const PublishKeyringService;

// The account a password belongs to: "sftp://owner@example.jp:22".
std::string PublishKeyringKey(const TPublishSettings& settings);

// The password the keyring holds for `settings`; empty when there is no session keyring, it is
// locked, or it holds none. Never asks the user anything (no unlock prompt).
std::string KeyringPassword(const TPublishSettings& settings);
