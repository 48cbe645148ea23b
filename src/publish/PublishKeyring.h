#pragma once

// The publishing passwords in the desktop's keyring: the Secret Service, which GNOME's keyring and
// KDE's wallet (kwalletd5, while it runs) both serve. The editor and orvanix-feed both go through
// here, so that what one stores the other finds. Each call blocks until the keyring answers: the
// editor makes them off the GUI thread.
//
// An item is found by its attributes: "server" the service "Orvane Lite publishing", "user" the
// account's key and "type" "plaintext", in the schema "org.qt.keychain", the ones earlier versions
// of the editor stored passwords under, so that those are still found.
//
// Without a D-Bus session bus (a cron job) there is no keyring: nothing is looked up, and D-Bus is
// never asked to start a bus of its own. The keyring is reached through the publishing module
// (PublishModule.h), opened at the first call that needs it; while it cannot be opened there is no
// keyring either, and a call that changes it fails with the reason. A failed call leaves the
// keyring as it was.

#include "publish/PublishSettings.h"
#include "text/IniFile.h"
#include "text/Result.h"

#include <string>

// The account a password belongs to: "sftp://owner@example.jp:22".
std::string PublishKeyringKey(const TPublishSettings& settings);

// The settings log in with a password (every protocol but SFTP with the SSH keys).
bool LogsInWithPassword(const TPublishSettings& settings);

// True when there is a session bus to reach a keyring by.
bool HasSessionBus();

enum class TKeyringUnlock {
    Never, // a locked keyring counts as holding nothing (orvanix-feed never asks)
    MayAsk // the keyring may ask the user to unlock it
};

// The password the keyring holds for the account of `settings`; empty when it holds none, there is
// no keyring, or it is locked and may not be unlocked.
std::string KeyringPassword(const TPublishSettings& settings, TKeyringUnlock unlock);

// Keeps `password` (UTF-8) for the account of `settings`, in place of the one kept before.
TResult StoreKeyringPassword(const TPublishSettings& settings, const std::string& password);

// Removes the password of the account of `settings`; success too when none was kept.
TResult ForgetKeyringPassword(const TPublishSettings& settings);

// True when some table file's publish settings in `ini` log in with the password of the account
// of `settings`: its item in the keyring is still needed.
bool KeyringPasswordInUse(const TIniFile& ini, const TPublishSettings& settings);
