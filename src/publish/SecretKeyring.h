#pragma once

// The publishing passwords as items of the Secret Service (libsecret): the publishing module's side
// of PublishKeyring.h, which says how items are found and when there is a keyring at all. An
// account is named by its key (PublishKeyringKey). Each call blocks until the keyring answers; a
// failed call leaves the keyring as it was.

#include "publish/PublishKeyring.h"
#include "text/Result.h"

#include <string>

// The password kept for `account`; empty when there is none, or the keyring is locked and may not
// be unlocked, or cannot be reached.
std::string FindSecretPassword(const std::string& account, TKeyringUnlock unlock);

// Keeps `password` (UTF-8) for `account`, in place of the one kept before.
TResult StoreSecretPassword(const std::string& account, const std::string& password);

// Removes the password of `account`; success too when none was kept.
TResult ForgetSecretPassword(const std::string& account);
