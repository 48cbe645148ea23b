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
#include <optional>
#include <random>
#include <vector>

namespace {

constexpr int NameTries = 3;         // fresh temporary names tried before giving up
constexpr size_t RandomLetters = 10; // of our own names: 62^10 names, none to be guessed
const std::string OwnTag = ".orvanix-";

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
                        bool passwordGiven, const std::string& what) {
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
        return "サーバーのディスクがいっぱいか容量の制限を超えたため、" + what +
               "を書き込めませんでした。";
    case TRemoteFault::WriteStopped:
        return "転送が途中で止まりました。サーバーのディスクがいっぱいか容量の制限を超えたか、接続"
               "が一時的に切れたためです。";
    case TRemoteFault::Mismatch:
        return "サーバーに届いた" + what + "が送ったものと違います" + InBrackets(status.Detail) +
               "。";
    case TRemoteFault::NotRecorded:
        return "公開の記録をこの機械に書けません" + InBrackets(status.Detail) + "。";
    case TRemoteFault::NameTaken:
    case TRemoteFault::Other:
        break;
    }
    const std::string words =
        InBrackets(status.Detail.empty() ? "理由は示されていません" : status.Detail);
    if (step == TStep::Replace)
        return "アップロードした" + what + "を公開中の" + what + "と置き換えられません" + words +
               "。";
    return "サーバーとの通信でエラーが起きました" + words + "。";
}

// A file of a publish: the feed, or a file that goes up with it.
struct TUpload {
    std::string Name;  // its name in the remote folder
    std::string Bytes; // its whole content
    std::string What;  // what the user calls it: "フィード"
};

// "AとB", "A、BとC".
std::string Joined(const std::vector<std::string>& words) {
    std::string joined;
    for (size_t at = 0; at < words.size(); ++at)
        joined += (at == 0 ? "" : at + 1 == words.size() ? "と" : "、") + words[at];
    return joined;
}

// One file of a publish into a remote folder, from its upload to the replaced published file,
// with the remote files it makes recorded with its lock until they are gone. A publish runs the
// steps of all its files (TPublishRun).
class TPublication {
public:
    TPublication(TRemoteFolder& folder, TPublishLock& lock, const TUpload& file,
                 TProgressReport& report, uint64_t sentBefore)
        : folder_(folder), lock_(lock), file_(file), report_(report), sentBefore_(sentBefore) {}

    // What a publish that was killed left in the folder is put right before anything else.
    void TidyUpEarlierPublish() {
        const TRemoteLeftovers earlier = lock_.Recorded();
        temporary_ = IfOwnName(earlier.Temporary, file_.Name);
        aside_ = IfOwnName(earlier.Aside, file_.Name);
        if (temporary_.empty() && aside_.empty()) return;
        std::ignore = Settle();
        temporary_.clear();
        aside_.clear();
    }

    TRemoteStatus Upload() {
        report_.StartFile(sentBefore_);
        TRemoteStatus created;
        for (int tries = 0; tries < NameTries; ++tries) {
            temporary_ = OwnName(file_.Name);
            if (TRemoteStatus recorded = Record(); !recorded) return recorded;
            created = folder_.Create(temporary_, file_.Bytes);
            if (created.Fault != TRemoteFault::NameTaken) return created;
        }
        temporary_.clear();
        return created;
    }

    // The file on the server is the one sent, readable by the web server, and the user has not
    // stopped the publish meanwhile.
    TRemoteStatus Check() {
        const std::string& bytes = file_.Bytes;
        report_.StartFile(sentBefore_);
        if (!report_.Report(bytes.size())) return {TRemoteFault::Cancelled, {}};
        TRemoteEntry entry;
        if (TRemoteStatus looked = folder_.Look(temporary_, entry); !looked) return looked;
        if (!entry.Regular)
            return {TRemoteFault::Mismatch, "サーバーにあるのはファイルではありません"};
        // A server that tells no size (and so perhaps nothing at all) sends the file back.
        std::string back;
        if (entry.Size && *entry.Size != bytes.size())
            return {TRemoteFault::Mismatch, "送ったのは " + std::to_string(bytes.size()) +
                                                " バイト、届いたのは " +
                                                std::to_string(*entry.Size) + " バイト"};
        if (!entry.Size && (!folder_.Read(temporary_, back, bytes.size()) || back != bytes))
            return {TRemoteFault::Mismatch, "読み戻した内容が違います"};
        if (!entry.Permissions || (*entry.Permissions & 0044) != 0044)
            if (TRemoteStatus readable = folder_.MakeReadable(temporary_); !readable)
                return readable;
        if (!report_.Report(bytes.size())) return {TRemoteFault::Cancelled, {}};
        return {};
    }

    // Renames the new file over the published one; where the server will not rename over a file,
    // the published one goes aside first and comes back if the new one cannot take its place.
    TRemoteStatus Replace() {
        const std::string& name = file_.Name;
        TRemoteStatus replaced = folder_.Replace(temporary_, name);
        if (replaced) return Published();
        if (ConnectionBroke(replaced)) {
            renaming_ = true;
            return replaced;
        }
        aside_ = OwnName(name);
        if (TRemoteStatus recorded = Record(); !recorded) return recorded;
        if (TRemoteStatus moved = folder_.Rename(name, aside_); !moved) {
            if (!ConnectionBroke(moved)) aside_.clear();
            return moved;
        }
        renaming_ = true;
        if (replaced = folder_.Rename(temporary_, name); !replaced) return replaced;
        temporary_.clear();
        if (folder_.Remove(aside_)) aside_.clear();
        return Published();
    }

    // A step of the publish failed: the folder is put right (over a new connection when the old
    // one broke). What the site now holds of this file.
    TSiteState Abandon() {
        TRemoteStatus settled = Settle();
        if (ConnectionBroke(settled) && folder_.Open()) settled = Settle();
        std::ignore = Record();
        if (!settled && state_ != TSiteState::WithoutFeed)
            state_ = aside_.empty() ? TSiteState::Unchanged : TSiteState::Unsure;
        if (state_ == TSiteState::Published) std::ignore = Published();
        return state_;
    }

    const std::string& What() const { return file_.What; }

    // What a failed publish left of this file beyond an unchanged or replaced published file:
    // the published file missing or in doubt, and our temporary file still on the server.
    std::string LeftText() const {
        std::string text;
        if (state_ == TSiteState::WithoutFeed)
            text += "サイトには今" + What() + "がありません。元の" + What() + "はサーバーに " +
                    aside_ + " として残っていて、次の公開で元に戻します。";
        if (state_ == TSiteState::Unsure)
            text +=
                "公開済みの" + What() + "が元のままか確かめられません。次の公開で元に戻します。";
        if (!temporary_.empty())
            text += "アップロードしかけた一時ファイル " + temporary_ +
                    " がサーバーに残っています。次の公開で削除します。";
        return text;
    }

private:
    TRemoteStatus Published() {
        temporary_.clear();
        state_ = TSiteState::Published;
        std::ignore = Record(); // names nothing when the old file is gone
        return {};
    }

    TRemoteStatus Record() {
        if (TResult recorded = lock_.Record({temporary_, aside_}); !recorded)
            return {TRemoteFault::NotRecorded, Cp932ToUtf8(recorded.Reason())};
        return {};
    }

    // Puts the published file back when it is aside and missing, and removes our files.
    TRemoteStatus Settle() {
        state_ = TSiteState::Unchanged;
        if (!aside_.empty()) {
            TRemoteEntry published;
            if (TRemoteStatus looked = folder_.Look(file_.Name, published); !looked) return looked;
            const TRemoteStatus status =
                published.Exists ? folder_.Remove(aside_) : folder_.Rename(aside_, file_.Name);
            if (!status && status.Fault != TRemoteFault::NoSuchFile) {
                if (!published.Exists && !ConnectionBroke(status)) state_ = TSiteState::WithoutFeed;
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

    TRemoteFolder& folder_;
    TPublishLock& lock_;
    const TUpload& file_;
    TProgressReport& report_;
    const uint64_t sentBefore_;
    std::string temporary_; // our new file on the server, while it is there
    std::string aside_;     // the published file moved aside, while it is there
    bool renaming_ = false; // the new file may have been renamed into place
    TSiteState state_ = TSiteState::Unchanged;
};

// A publish of the feed and the files that go with it, over one connection: every file is
// uploaded and checked before the first published file is replaced, so that a failure until then
// leaves the site as it was; then each replaces its published file in turn.
class TPublishRun {
public:
    TPublishRun(TRemoteFolder& folder, std::vector<TPublishLock>& locks,
                const std::vector<TUpload>& files, const TPublishSettings& settings,
                TProgressReport& report, bool passwordGiven)
        : folder_(folder), settings_(settings), report_(report), passwordGiven_(passwordGiven) {
        uint64_t sentBefore = 0;
        publications_.reserve(files.size());
        for (size_t at = 0; at < files.size(); ++at) {
            publications_.emplace_back(folder, locks[at], files[at], report, sentBefore);
            sentBefore += files[at].Bytes.size();
        }
    }

    TResult Run() {
        if (TRemoteStatus opened = folder_.Open(); !opened) return Fail(TStep::Connect, opened, 0);
        for (TPublication& publication : publications_)
            publication.TidyUpEarlierPublish();
        for (size_t at = 0; at < publications_.size(); ++at)
            if (TRemoteStatus uploaded = publications_[at].Upload(); !uploaded)
                return Fail(TStep::Upload, uploaded, at);
        for (size_t at = 0; at < publications_.size(); ++at)
            if (TRemoteStatus checked = publications_[at].Check(); !checked)
                return Fail(TStep::Check, checked, at);
        report_.Conclude(); // the published files are about to change: no stopping from here on
        for (size_t at = 0; at < publications_.size(); ++at) {
            const TRemoteStatus replaced = publications_[at].Replace();
            if (replaced) continue;
            // The rename that seemed to fail may have been done after all.
            const TSiteState state = publications_[at].Abandon();
            if (state != TSiteState::Published) return Fail(TStep::Replace, replaced, at, state);
        }
        return {};
    }

private:
    // The step of file `failed` failed (with `failedState` when that file is settled already):
    // every file not yet replaced is put right, and the message says what the site holds.
    TResult Fail(TStep step, const TRemoteStatus& status, size_t failed,
                 std::optional<TSiteState> failedState = std::nullopt) {
        report_.Conclude();
        std::vector<std::string> unchanged, published;
        std::string left;
        for (size_t at = 0; at < publications_.size(); ++at) {
            TPublication& publication = publications_[at];
            // Before the connection, nothing was done; not even the record is touched.
            const TSiteState state = step == TStep::Connect                  ? TSiteState::Unchanged
                                     : step == TStep::Replace && at < failed ? TSiteState::Published
                                     : at == failed && failedState           ? *failedState
                                                                   : publication.Abandon();
            if (state == TSiteState::Unchanged) unchanged.push_back(publication.What());
            if (state == TSiteState::Published) published.push_back(publication.What());
            left += publication.LeftText();
        }
        if (published.size() == publications_.size()) return {}; // done after all
        std::string text =
            FailureText(step, status, settings_, passwordGiven_, publications_[failed].What());
        if (!published.empty()) text += Joined(published) + "は公開しました。";
        if (!unchanged.empty()) text += "公開済みの" + Joined(unchanged) + "は元のままです。";
        return Because(text + left);
    }

    TRemoteFolder& folder_;
    const TPublishSettings& settings_;
    TProgressReport& report_;
    const bool passwordGiven_;
    std::vector<TPublication> publications_;
};

TResult ReadFile(const std::string& path, std::string& bytes) {
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

// "公開済みのフィードは元のままです。", naming every file of the publish.
std::string Unchanged(const std::vector<TUpload>& files) {
    std::vector<std::string> whats;
    for (const TUpload& file : files)
        whats.push_back(file.What);
    return "公開済みの" + Joined(whats) + "は元のままです。";
}

// Takes the lock of every file, in the order of the files, so that two publishes sharing some
// of them never wait for each other at once.
TResult TakeTurns(std::vector<TPublishLock>& locks, const TPublishSettings& settings,
                  const std::vector<TUpload>& files, TProgressReport& report) {
    for (size_t at = 0; at < files.size(); ++at) {
        const TResult locked = locks[at].Acquire(LockAddress(settings, files[at].Name),
                                                 [&report] { return report.Repeat(); });
        if (locked.Errno() == ECANCELED) return Because("公開を中止しました。" + Unchanged(files));
        if (!locked)
            return Because("ほかの公開と順番を決めるロックファイルを作れません: " +
                           Cp932ToUtf8(locked.Reason()) + Unchanged(files));
    }
    return {};
}

// The files of a publish, read, feed first; the reason of the first that cannot be read or named.
TResult ReadUploads(const TPublishSettings& settings, const std::string& feedPath,
                    const std::vector<TPublishedFile>& withFeed, std::vector<TUpload>& files) {
    files.push_back({ExtractFileName(feedPath), {}, "フィード"});
    std::vector<std::string> paths{feedPath};
    for (const TPublishedFile& file : withFeed) {
        files.push_back({ExtractFileName(file.Path), {}, file.What});
        paths.push_back(file.Path);
    }
    for (size_t at = 0; at < files.size(); ++at) {
        if (TResult named = CheckNames(settings, files[at].Name); !named) return named;
        if (TResult read = ReadFile(paths[at], files[at].Bytes); !read) return read;
    }
    return {};
}

} // namespace

TPublishOutcome RunPublication(const TPublishSettings& settings, const std::string& feedPath,
                               const std::string& password, const TPublishPrompts& prompts,
                               const std::vector<TPublishedFile>& withFeed) {
    TPublishOutcome outcome;
    outcome.Settings = settings;
    std::vector<TUpload> files;
    if (outcome.Result = ReadUploads(settings, feedPath, withFeed, files); !outcome.Result)
        return outcome;
    if (!AcceptPlainFtp(outcome, prompts)) {
        outcome.Result =
            Because("FTP ではパスワードとフィードが暗号化されずに送られます。"
                    "公開先の設定で FTP の使用を許可するか、SFTP か FTPS を使ってください。" +
                    Unchanged(files));
        return outcome;
    }
    uint64_t total = 0;
    for (const TUpload& file : files)
        total += file.Bytes.size();
    TProgressReport report(prompts.Progress, total);
    std::vector<TPublishLock> locks(files.size());
    if (outcome.Result = TakeTurns(locks, settings, files, report); !outcome.Result) return outcome;

    const bool passwordGiven = !password.empty();
    if (IsSftp(settings)) {
        TSftpFolder folder(outcome.Settings, password, prompts, report);
        outcome.Result =
            TPublishRun(folder, locks, files, outcome.Settings, report, passwordGiven).Run();
        return outcome;
    }
    TFtpFolder folder(outcome.Settings, password, prompts, report);
    outcome.Result =
        TPublishRun(folder, locks, files, outcome.Settings, report, passwordGiven).Run();
    if (!folder.AcceptedCertificate().empty()) {
        outcome.Settings.TrustedCertificate = folder.AcceptedCertificate();
        outcome.SettingsChanged = true;
    }
    return outcome;
}
