#pragma once

// Recovery copies: while a document has unsaved changes, the editor keeps a copy of it in a folder
// of the user's state, so that an editor that is killed or crashes loses at most the last moments
// of typing. A copy is the table file's text (TableFile.h) followed by one line that names the
// table file the document belongs to, so reading it back gives the document the user had, under
// its own name, and, when the editor had loaded or saved that file, a line with the file's state
// on disk then (DiskState.h), so that a save of the restored document still notices what another
// editor saved in between.
//
// Every running editor holds a slot in the folder: a lock file of its own, locked (flock) for the
// editor's lifetime, and beside it its copy. A copy whose lock file nobody holds was left by an
// editor that no longer runs; only such copies are offered, and the one who offers it holds its
// lock meanwhile, so two editors starting together never both take the same copy.
//
// Paths are the file system's bytes. Every file is written through WriteFileAtomic, so a copy on
// disk is always whole: the previous one or the new one.

#include "document/DiskState.h"
#include "document/FeedDocument.h"
#include "text/Result.h"

#include <cerrno>
#include <optional>
#include <string>
#include <vector>

// The folder of the recovery copies: $XDG_STATE_HOME/orvanix/recovery, or
// ~/.local/state/orvanix/recovery when XDG_STATE_HOME is unset, empty or not absolute. `stateHome`
// and `home` are the variables' values, nullptr when unset.
std::string RecoveryFolder(const char* stateHome, const char* home);
// The same for this process's environment.
std::string RecoveryFolder();

// What a recovery copy keeps: the document, and its table file as the editor last loaded or saved
// it (none when it did neither, or when the copy was written before copies kept it).
struct TRecoveryCopy {
    TFeedDocument Document;
    std::optional<TDiskState> TableFileState = std::nullopt;
};

// The content of a recovery copy.
std::string RecoveryCopyText(const TRecoveryCopy& copy);

// Reads the recovery copy at `copyPath` into `copy`: the document's contents, FileName = the table
// file it names (empty for a document never saved), Modified = true, and the table file's state.
// A file that is not a whole recovery copy is refused with the reason; `copy` is then left as it
// was.
TResult ReadRecoveryCopy(TRecoveryCopy& copy, const std::string& copyPath);

// An exclusive lock on a lock file, held while the object lives or until Unlock.
class TRecoveryLock {
public:
    TRecoveryLock() = default;
    ~TRecoveryLock() { Unlock(); }
    TRecoveryLock(TRecoveryLock&& other) noexcept;
    TRecoveryLock& operator=(TRecoveryLock&& other) noexcept;
    TRecoveryLock(const TRecoveryLock&) = delete;
    TRecoveryLock& operator=(const TRecoveryLock&) = delete;

    // Opens (creating it when missing) and locks `path` without waiting. EWOULDBLOCK when another
    // process holds it; the object holds nothing then.
    TResult Lock(const std::string& path);
    // Removes the lock file while it is still held, then lets it go.
    void RemoveAndUnlock();
    void Unlock();
    bool Held() const { return fd_ >= 0; }
    const std::string& Path() const { return path_; }

private:
    int fd_ = -1;
    std::string path_;
};

// A copy left by an editor that no longer runs, its lock held by this object.
struct TLeftRecoveryCopy {
    std::string Path;
    TRecoveryLock Lock;
};

// The copies in `folder` whose editors no longer run, newest first. A lock file left without a
// copy (an editor that ended with nothing unsaved and could not tidy up) is removed on the way.
std::vector<TLeftRecoveryCopy> FindLeftRecoveryCopies(const std::string& folder);

// Removes a left copy and its lock file.
TResult DiscardRecoveryCopy(TLeftRecoveryCopy& copy);

// This editor's slot in the folder. Write and Remove may run on another thread than Open, Adopt
// and Close, but never at the same time as them.
class TRecoverySlot {
public:
    TRecoverySlot() = default;
    ~TRecoverySlot() { Close(); }
    TRecoverySlot(const TRecoverySlot&) = delete;
    TRecoverySlot& operator=(const TRecoverySlot&) = delete;

    // Creates `folder` when missing, makes it private to the user (0700) when it is not, and takes
    // a lock file of its own there. On failure the slot stays closed and Write fails with the same
    // reason.
    TResult Open(const std::string& folder);
    bool IsOpen() const { return lock_.Held(); }
    const std::string& CopyPath() const { return copyPath_; }

    // Replaces the copy with `copy`, readable by the user alone (0600).
    TResult Write(const TRecoveryCopy& copy) const;
    // Removes the copy; no copy is no failure.
    TResult Remove() const;
    // Makes a left copy this slot's own (it is moved, not copied) and removes its lock file.
    TResult Adopt(TLeftRecoveryCopy& copy);
    // Removes the copy and the lock file: the editor ends as it should.
    void Close();

private:
    TRecoveryLock lock_;
    std::string copyPath_;
    TResult opened_ = TResult::FromErrno(EBADF);
};
