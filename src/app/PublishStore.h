#pragma once

// Where the editor keeps what publishing needs between runs: the publish settings of each table
// file in the settings file (the same place orvanix-feed reads them), and the password of each
// server account in the desktop's keyring only (publish/PublishKeyring.h). The keyring is reached
// on a thread of its own, so that the window never waits for it; the calls reach it one after
// another, in the order they were made. Without a keyring nothing about the password is kept:
// the user is asked at every publish.

#include "publish/PublishSettings.h"
#include "text/Result.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>
#include <string>

// The publish settings of the table file at `tablePath`; std::nullopt when it has none or the
// settings file cannot be read.
std::optional<TPublishSettings> LoadPublishSettings(const std::string& tablePath,
                                                    const std::string& iniPath);
// Stores them, keeping the rest of the settings file. Returns the message for the user (code page
// 932, the reason on its last line) when the file could not be written; it is then as it was.
std::optional<std::string> StorePublishSettings(const std::string& tablePath,
                                                const TPublishSettings& settings,
                                                const std::string& iniPath);

// Each of the following calls `done` on the GUI thread once the keyring has answered, unless
// `context` is gone by then.

// The account's password, or std::nullopt when the keyring holds none or there is no keyring. A
// locked keyring may ask the user to unlock it.
void ReadKeyringPassword(const TPublishSettings& settings, QObject* context,
                         std::function<void(std::optional<QString>)> done);
// Keeps `password` for the account, in place of the one kept before.
void WriteKeyringPassword(const TPublishSettings& settings, const QString& password,
                          QObject* context, std::function<void(TResult)> done);
// Removes the account's password from the keyring unless some table file's settings in the
// settings file at `iniPath` still log in with it; success then without a change.
void ReleaseKeyringPassword(const TPublishSettings& settings, const std::string& iniPath,
                            QObject* context, std::function<void(TResult)> done);
