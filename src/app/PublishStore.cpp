#include "app/PublishStore.h"

#include "publish/PublishKeyring.h"
#include "text/IniFile.h"
#include "widgets/Cp932Text.h"

#include <qt6keychain/keychain.h>

using namespace Qt::StringLiterals;

namespace {

const QString KeyringService = QString::fromUtf8(PublishKeyringService);

// Starts `job`, which deletes itself when finished. A keyring is never replaced by a plain file.
void StartJob(QKeychain::Job* job, const TPublishSettings& settings) {
    job->setAutoDelete(true);
    job->setInsecureFallback(false);
    job->setKey(QString::fromUtf8(PublishKeyringKey(settings)));
    job->start();
}

} // namespace

std::optional<TPublishSettings> LoadPublishSettings(const std::string& tablePath,
                                                    const std::string& iniPath) {
    TIniFile ini(iniPath);
    if (!ini.Load()) return std::nullopt;
    return ReadPublishSettings(ini, tablePath);
}

std::optional<std::string> StorePublishSettings(const std::string& tablePath,
                                                const TPublishSettings& settings,
                                                const std::string& iniPath) {
    TIniFile ini(iniPath);
    TResult result = ini.Load();
    if (result) {
        WritePublishSettings(ini, tablePath, settings);
        result = ini.Save();
    }
    if (result) return std::nullopt;
    return result.Describe(ToCp932(u"公開先の設定を保存できません。"_s) + "\r\n" + ini.Path());
}

void ReadKeyringPassword(const TPublishSettings& settings, QObject* context,
                         std::function<void(std::optional<QString>)> done) {
    auto* job = new QKeychain::ReadPasswordJob(KeyringService);
    QObject::connect(job, &QKeychain::Job::finished, context, [done](QKeychain::Job* finished) {
        auto* read = static_cast<QKeychain::ReadPasswordJob*>(finished);
        if (read->error() == QKeychain::NoError)
            done(read->textData());
        else
            done(std::nullopt);
    });
    StartJob(job, settings);
}

void WriteKeyringPassword(const TPublishSettings& settings, const QString& password) {
    auto* job = new QKeychain::WritePasswordJob(KeyringService);
    job->setTextData(password);
    StartJob(job, settings);
}

void ForgetKeyringPassword(const TPublishSettings& settings) {
    StartJob(new QKeychain::DeletePasswordJob(KeyringService), settings);
}
