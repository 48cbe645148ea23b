#include "app/PublishStore.h"

#include "publish/PublishKeyring.h"
#include "text/IniFile.h"
#include "widgets/Cp932Text.h"

#include <QCoreApplication>
#include <QFutureWatcher>
#include <QThreadPool>
#include <QtConcurrent/QtConcurrentRun>

using namespace Qt::StringLiterals;

namespace {

// One thread, so that the keyring sees the calls in the order they were made. It belongs to the
// application, which waits for a call still running when it ends.
QThreadPool& KeyringThread() {
    static QThreadPool* const pool = [] {
        auto* threads = new QThreadPool(QCoreApplication::instance());
        threads->setMaxThreadCount(1);
        return threads;
    }();
    return *pool;
}

template <typename T>
void OnKeyringThread(QObject* context, std::function<T()> work, std::function<void(T)> done) {
    auto* watcher = new QFutureWatcher<T>(context);
    QObject::connect(watcher, &QFutureWatcherBase::finished, context, [watcher, done] {
        done(watcher->result());
        watcher->deleteLater();
    });
    watcher->setFuture(QtConcurrent::run(&KeyringThread(), std::move(work)));
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
    OnKeyringThread<std::string>(
        context, [settings] { return KeyringPassword(settings, TKeyringUnlock::MayAsk); },
        [done](const std::string& password) {
            if (password.empty())
                done(std::nullopt);
            else
                done(QString::fromStdString(password));
        });
}

void WriteKeyringPassword(const TPublishSettings& settings, const QString& password,
                          QObject* context, std::function<void(TResult)> done) {
    OnKeyringThread<TResult>(
        context,
        [settings, utf8 = password.toStdString()] { return StoreKeyringPassword(settings, utf8); },
        std::move(done));
}

void ReleaseKeyringPassword(const TPublishSettings& settings, const std::string& iniPath,
                            QObject* context, std::function<void(TResult)> done) {
    TIniFile ini(iniPath);
    if (const TResult loaded = ini.Load(); !loaded) return done(loaded);
    if (KeyringPasswordInUse(ini, settings)) return done({});
    OnKeyringThread<TResult>(
        context, [settings] { return ForgetKeyringPassword(settings); }, std::move(done));
}
