#pragma once

// Where the editor keeps what publishing needs between runs: the publish settings of each table
// file in the settings file (the same place orvanix-feed reads them), and the password of each
// server account in the desktop's keyring (Secret Service) only. Without a keyring nothing about
// the password is kept: the user is asked at every publish.

#include "publish/PublishSettings.h"

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

// Looks the account's password up in the keyring and calls `done` on the GUI thread with it, or
// with std::nullopt when the keyring has none or there is no keyring. `context` going away
// cancels the call.
void ReadKeyringPassword(const TPublishSettings& settings, QObject* context,
                         std::function<void(std::optional<QString>)> done);
// Keeps the password in the keyring; without a keyring it is dropped.
void WriteKeyringPassword(const TPublishSettings& settings, const QString& password);
// Removes the account's password from the keyring, so that the next publish asks for it.
void ForgetKeyringPassword(const TPublishSettings& settings);
