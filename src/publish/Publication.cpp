#include "publish/Publication.h"

#include "publish/FtpFolder.h"
#include "publish/PublishLock.h"
#include "publish/SftpFolder.h"
#include "text/CodePage.h"
#include "text/S_string.h"

#include <algorithm>
#include <cerrno>
#include <fstream>
#include <memory>
#include <random>

namespace {

constexpr int NameTries = 3;         // fresh temporary names tried before giving up
constexpr size_t RandomLetters = 10; // of our own names: 62^10 names, none to be guessed
const std::string OwnTag = ".orvanix-";
const std::string FeedUnchanged = "公開済みのフィードは元のままです。";

// A message for the user from UTF-8 text; paths and names from the server shown as far as code
// page 932 can show them.
TResult Because(const std::string& utf8) {
    return TResult::Because(Utf8ToCp932Shown(utf8));
}

bool IsSftp(const TPublishSettings& settings) {
    return settings.Protocol == TPublishProtocol::Sftp;
}

// A name of our own beside the feed `feed`: hidden, and new at every call.
std::string OwnName(const std::string& feed) {
    static constexpr char Letters[] =
        "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    std::random_device random;
    std::uniform_int_distribution<size_t> pick(0, sizeof Letters - 2);
    std::string name = "." + feed + OwnTag;
    for (size_t at = 0; at < RandomLetters; ++at)
        name += Letters[pick(random)];
    return name;
}

// A record names only our own files: anything else in it is not ours to touch.
std::string IfOwnName(const std::string& candidate, const std::string& feed) {
    const std::string start = "." + feed + OwnTag;
    const bool own =
        candidate.size() == start.size() + RandomLetters && candidate.starts_with(start) &&
        std::all_of(candidate.begin() + static_cast<long>(start.size()), candidate.end(),
                    [](unsigned char ch) { return std::isalnum(ch) != 0; });
    return own ? candidate : std::string();
}

bool ConnectionBroke(const TRemoteStatus& status) {
    return status.Fault == TRemoteFault::ConnectionLost || status.Fault == TRemoteFault::TimedOut;
}

// Where a publish went wrong, for the words that explain it.
enum class TStep { Connect, Upload, Check, Replace };

// What the site holds after a publish that failed.
enum class TSiteState {
    Unchanged,   // the published feed, untouched or put back
    Published,   // the new feed after all: the step that seemed to fail had been done
    WithoutFeed, // no feed: the old one is aside and could not be put back
    Unsure,      // the server could not be asked
};

std::string LoginFailure(const TPublishSettings& settings, bool passwordGiven) {
    if (IsSftp(settings) && settings.Login == TSftpLogin::Keys)
        return "ログインできません。SSH エージェントと ~/.ssh の鍵がサーバーに受け入れられませんで"
               "した。";
    if (!passwordGiven)
        return "ログインできません。パスワードがキーリングにも ~/.netrc にもないか、~/.netrc "
               "のパスワードが違います。";
    return "ログインできません。ユーザー名かパスワードが違います。";
}

// The server's words in brackets, or nothing when it said none.
std::string InBrackets(const std::string& words) {
    return words.empty() ? std::string() : " (" + words + ")";
}

// Why a step failed, in the user's words; never empty.
std::string FailureText(TStep step, const TRemoteStatus& status, const TPublishSettings& settings,
                        bool passwordGiven) {
    const std::string& host = settings.Host;
    switch (status.Fault) {
    case TRemoteFault::None:
    case TRemoteFault::Cancelled:
        return "公開を中止しました。";
    case TRemoteFault::HostNotFound:
        return "サーバー " + host + " が見つかりません。サーバー名を確認してください。";
    case TRemoteFault::Unreachable:
        return "サーバー " + host + " のポート " + std::to_string(EffectivePort(settings)) +
               " に接続できません (接続を拒否されたか、応答がありません)。";
    case TRemoteFault::TimedOut:
        if (step == TStep::Connect) return "サーバー " + host + " が応答しません (時間切れ)。";
        [[fallthrough]];
    case TRemoteFault::ConnectionLost:
        return step == TStep::Upload
                   ? "転送中にサーバーとの接続が切れました。"
                   : "サーバーとの接続が切れました" + InBrackets(status.Detail) + "。";
    case TRemoteFault::NotTrusted:
        return status.Detail;
    case TRemoteFault::LoginDenied:
        return LoginFailure(settings, passwordGiven);
    case TRemoteFault::NoSuchFile:
        if (step == TStep::Connect || step == TStep::Upload)
            return "公開先のフォルダ " + settings.RemoteFolder + " がサーバーにありません。";
        break;
    case TRemoteFault::PermissionDenied:
        if (step == TStep::Connect || step == TStep::Upload)
            return "公開先のフォルダ " + settings.RemoteFolder + " に書き込む権限がありません。";
        break;
    case TRemoteFault::DiskFull:
        return "サーバーのディスクがいっぱいか容量の制限を超えたため、フィードを書き込めませんでし"
               "た。";
    case TRemoteFault::WriteStopped:
        return "転送が途中で止まりました。サーバーのディスクがいっぱいか容量の制限を超えたか、接続"
               "が一時的に切れたためです。";
    case TRemoteFault::Mismatch:
        return "サーバーに届いたフィードが送ったものと違います" + InBrackets(status.Detail) + "。";
    case TRemoteFault::NotRecorded:
        return "公開の記録をこの機械に書けません" + InBrackets(status.Detail) + "。";
    case TRemoteFault::NameTaken:
    case TRemoteFault::Other:
        break;
    }
    const std::string words =
        InBrackets(status.Detail.empty() ? "理由は示されていません" : status.Detail);
    if (step == TStep::Replace)
        return "アップロードしたフィードを公開中のフィードと置き換えられません" + words + "。";
    return "サーバーとの通信でエラーが起きました" + words + "。";
}

// One publish of a feed into a remote folder, from the connection to the replaced feed, with
// the remote files it makes recorded with its lock until they are gone.
class TPublication {
public:
    TPublication(TRemoteFolder& folder, TPublishLock& lock, const TPublishSettings& settings,
                 const std::string& name, const std::string& bytes, TProgressReport& report,
                 bool passwordGiven)
        : folder_(folder), lock_(lock), settings_(settings), name_(name), bytes_(bytes),
          report_(report), passwordGiven_(passwordGiven) {}

    TResult Run() {
        if (TRemoteStatus opened = folder_.Open(); !opened)
            return Failure(TStep::Connect, opened, TSiteState::Unchanged);
        TidyUpEarlierPublish();
        if (TRemoteStatus uploaded = Upload(); !uploaded) return Fail(TStep::Upload, uploaded);
        if (TRemoteStatus checked = Check(); !checked) return Fail(TStep::Check, checked);
        report_.Conclude(); // the published feed is about to change: no stopping from here on
        return Replace();
    }

private:
    // What a publish that was killed left in the folder is put right before anything else.
    void TidyUpEarlierPublish() {
        const TRemoteLeftovers earlier = lock_.Recorded();
        temporary_ = IfOwnName(earlier.Temporary, name_);
        aside_ = IfOwnName(earlier.Aside, name_);
        if (temporary_.empty() && aside_.empty()) return;
        std::ignore = Settle();
        temporary_.clear();
        aside_.clear();
    }

    TRemoteStatus Upload() {
        TRemoteStatus created;
        for (int tries = 0; tries < NameTries; ++tries) {
            temporary_ = OwnName(name_);
            if (TRemoteStatus recorded = Record(); !recorded) return recorded;
            created = folder_.Create(temporary_, bytes_);
            if (created.Fault != TRemoteFault::NameTaken) return created;
        }
        temporary_.clear();
        return created;
    }

    // The file on the server is the one sent, readable by the web server, and the user has not
    // stopped the publish meanwhile.
    TRemoteStatus Check() {
        if (!report_.Report(bytes_.size())) return {TRemoteFault::Cancelled, {}};
        TRemoteEntry entry;
        if (TRemoteStatus looked = folder_.Look(temporary_, entry); !looked) return looked;
        if (!entry.Regular)
            return {TRemoteFault::Mismatch, "サーバーにあるのはファイルではありません"};
        // A server that tells no size (and so perhaps nothing at all) sends the file back.
        std::string back;
        if (entry.Size && *entry.Size != bytes_.size())
            return {TRemoteFault::Mismatch, "送ったのは " + std::to_string(bytes_.size()) +
                                                " バイト、届いたのは " +
                                                std::to_string(*entry.Size) + " バイト"};
        if (!entry.Size && (!folder_.Read(temporary_, back, bytes_.size()) || back != bytes_))
            return {TRemoteFault::Mismatch, "読み戻した内容が違います"};
        if (!entry.Permissions || (*entry.Permissions & 0044) != 0044)
            if (TRemoteStatus readable = folder_.MakeReadable(temporary_); !readable)
                return readable;
        if (!report_.Report(bytes_.size())) return {TRemoteFault::Cancelled, {}};
        return {};
    }

    // Renames the new feed over the published one; where the server will not rename over a file,
    // the published one goes aside first and comes back if the new one cannot take its place.
    TResult Replace() {
        TRemoteStatus replaced = folder_.Replace(temporary_, name_);
        if (replaced) return Published();
        if (ConnectionBroke(replaced)) {
            renaming_ = true;
            return Fail(TStep::Replace, replaced);
        }
        aside_ = OwnName(name_);
        if (TRemoteStatus recorded = Record(); !recorded) return Fail(TStep::Replace, recorded);
        if (TRemoteStatus moved = folder_.Rename(name_, aside_); !moved) {
            if (!ConnectionBroke(moved)) aside_.clear();
            return Fail(TStep::Replace, moved);
        }
        renaming_ = true;
        if (replaced = folder_.Rename(temporary_, name_); !replaced)
            return Fail(TStep::Replace, replaced);
        temporary_.clear();
        if (folder_.Remove(aside_)) aside_.clear();
        return Published();
    }

    TResult Published() {
        temporary_.clear();
        std::ignore = Record(); // names nothing when the old feed is gone
        return {};
    }

    TRemoteStatus Record() {
        if (TResult recorded = lock_.Record({temporary_, aside_}); !recorded)
            return {TRemoteFault::NotRecorded, Cp932ToUtf8(recorded.Reason())};
        return {};
    }

    // A step failed: the folder is put right (over a new connection when the old one broke), and
    // the message says what the site holds.
    TResult Fail(TStep step, const TRemoteStatus& status) {
        report_.Conclude();
        TRemoteStatus settled = Settle();
        if (ConnectionBroke(settled) && folder_.Open()) settled = Settle();
        std::ignore = Record();
        if (!settled && state_ != TSiteState::WithoutFeed)
            state_ = aside_.empty() ? TSiteState::Unchanged : TSiteState::Unsure;
        if (state_ == TSiteState::Published) return Published();
        return Failure(step, status, state_);
    }

    // Puts the published feed back when it is aside and missing, and removes our files.
    TRemoteStatus Settle() {
        state_ = TSiteState::Unchanged;
        if (!aside_.empty()) {
            TRemoteEntry feed;
            if (TRemoteStatus looked = folder_.Look(name_, feed); !looked) return looked;
            const TRemoteStatus status =
                feed.Exists ? folder_.Remove(aside_) : folder_.Rename(aside_, name_);
            if (!status && status.Fault != TRemoteFault::NoSuchFile) {
                if (!feed.Exists && !ConnectionBroke(status)) state_ = TSiteState::WithoutFeed;
                return status;
            }
            aside_.clear();
        }
        if (!temporary_.empty()) {
            const TRemoteStatus removed = folder_.Remove(temporary_);
            if (!removed && removed.Fault != TRemoteFault::NoSuchFile) return removed;
            // Gone already after a rename into place that seemed to fail: it had been done.
            if (!removed && renaming_) state_ = TSiteState::Published;
            temporary_.clear();
        }
        return {};
    }

    TResult Failure(TStep step, const TRemoteStatus& status, TSiteState state) const {
        std::string text = FailureText(step, status, settings_, passwordGiven_);
        switch (state) {
        case TSiteState::Unchanged:
        case TSiteState::Published:
            text += FeedUnchanged;
            break;
        case TSiteState::WithoutFeed:
            text += "サイトには今フィードがありません。元のフィードはサーバーに " + aside_ +
                    " として残っていて、次の公開で元に戻します。";
            break;
        case TSiteState::Unsure:
            text += "公開済みのフィードが元のままか確かめられません。次の公開で元に戻します。";
            break;
        }
        if (!temporary_.empty())
            text += "アップロードしかけた一時ファイル " + temporary_ +
                    " がサーバーに残っています。次の公開で削除します。";
        return Because(text);
    }

    TRemoteFolder& folder_;
    TPublishLock& lock_;
    const TPublishSettings& settings_;
    const std::string& name_;
    const std::string& bytes_;
    TProgressReport& report_;
    const bool passwordGiven_;
    std::string temporary_; // our new feed on the server, while it is there
    std::string aside_;     // the published feed moved aside, while it is there
    bool renaming_ = false; // the new feed may have been renamed into place
    TSiteState state_ = TSiteState::Unchanged;
};

TResult ReadFeed(const std::string& path, std::string& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return TResult::FromErrno(errno ? errno : ENOENT);
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return in.bad() ? TResult::FromErrno(EIO) : TResult();
}

TResult CheckNames(const TPublishSettings& settings, const std::string& name) {
    if (settings.Host.empty()) return Because("公開先のサーバーが設定されていません。");
    if (HasControlCharacter(settings.Host) || HasControlCharacter(settings.User) ||
        HasControlCharacter(settings.RemoteFolder) || HasControlCharacter(name) || name.empty())
        return Because("公開先の設定に使えない文字 (制御文字) が含まれています。");
    return {};
}

bool AcceptPlainFtp(TPublishOutcome& outcome, const TPublishPrompts& prompts) {
    if (outcome.Settings.Protocol != TPublishProtocol::Ftp || outcome.Settings.PlainFtpAccepted)
        return true;
    if (!prompts.AcceptPlainFtp || !prompts.AcceptPlainFtp()) return false;
    outcome.Settings.PlainFtpAccepted = outcome.SettingsChanged = true;
    return true;
}

// The remote feed as the lock knows it: one file on one server, whatever the protocol.
std::string LockAddress(const TPublishSettings& settings, const std::string& name) {
    return settings.User + "@" + LowerCaseAnsi(settings.Host) + ":" +
           std::to_string(EffectivePort(settings)) + "/" + RemoteFilePath(settings, name);
}

TResult TakeTurn(TPublishLock& lock, const TPublishSettings& settings, const std::string& name,
                 TProgressReport& report) {
    const TResult locked =
        lock.Acquire(LockAddress(settings, name), [&report] { return report.Repeat(); });
    if (locked.Errno() == ECANCELED) return Because("公開を中止しました。" + FeedUnchanged);
    if (!locked)
        return Because("ほかの公開と順番を決めるロックファイルを作れません: " +
                       Cp932ToUtf8(locked.Reason()) + FeedUnchanged);
    return {};
}

} // namespace

TPublishOutcome RunPublication(const TPublishSettings& settings, const std::string& feedPath,
                               const std::string& password, const TPublishPrompts& prompts) {
    TPublishOutcome outcome;
    outcome.Settings = settings;
    const std::string name = ExtractFileName(feedPath);
    if (outcome.Result = CheckNames(settings, name); !outcome.Result) return outcome;
    if (!AcceptPlainFtp(outcome, prompts)) {
        outcome.Result =
            Because("FTP ではパスワードとフィードが暗号化されずに送られます。"
                    "公開先の設定で FTP の使用を許可するか、SFTP か FTPS を使ってください。" +
                    FeedUnchanged);
        return outcome;
    }
    std::string bytes;
    if (outcome.Result = ReadFeed(feedPath, bytes); !outcome.Result) return outcome;
    TProgressReport report(prompts.Progress, bytes.size());
    TPublishLock lock;
    if (outcome.Result = TakeTurn(lock, settings, name, report); !outcome.Result) return outcome;

    if (IsSftp(settings)) {
        TSftpFolder folder(outcome.Settings, password, prompts, report);
        outcome.Result =
            TPublication(folder, lock, outcome.Settings, name, bytes, report, !password.empty())
                .Run();
        return outcome;
    }
    TFtpFolder folder(outcome.Settings, password, prompts, report);
    outcome.Result =
        TPublication(folder, lock, outcome.Settings, name, bytes, report, !password.empty()).Run();
    if (!folder.AcceptedCertificate().empty()) {
        outcome.Settings.TrustedCertificate = folder.AcceptedCertificate();
        outcome.SettingsChanged = true;
    }
    return outcome;
}
